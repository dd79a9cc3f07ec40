// Orders laid out plate after plate: the quantities, the grouping of identical plates, every
// plate as cut (the independent checker of the engine tests), the cut drawings as ezdxf reads
// them, what fits no plate, the JSON instances, and bad order files.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numeric>
#include <set>
#include <sstream>
#include <tuple>

#include <nlohmann/json.hpp>

#include "external_tools.h"
#include "nesting/true_shapes.h"
#include "orders/order.h"
#include "orders/order_nesting.h"
#include "orders/order_report.h"
#include "test_support/scratch_folder.h"

namespace platenest {
namespace {

using testing::ScratchFolder;

const std::filesystem::path kSource = PLATENEST_SOURCE_DIR;
const std::string kLibrary = (kSource / "examples/job.txt").string();

OrderResult nest(const Order& order, OrderMode mode = OrderMode::kAll, double seconds = 1.0) {
  OrderNestOptions options;
  options.mode = mode;
  options.secondsPerPlate = seconds;
  options.threads = 1;
  return nestOrder(order, prepareOrderKinds(order, "/dev/null"), options);
}

// Every copy of every kind is on exactly one plate or counted as unplaced, and each plate's
// nester holds only parts on its plate.
void expectQuantitiesHonoured(const OrderResult& result) {
  std::vector<std::int64_t> seen(result.kinds.size(), 0);
  for (const OrderPlate& plate : result.plates) {
    std::vector<std::int64_t> onPlate(result.kinds.size(), 0);
    for (const PlacedPart& part : plate.nester->parts) {
      EXPECT_TRUE(plate.nester->isOnPlate(part));
      ++onPlate[plate.kindOfPart[static_cast<std::size_t>(part.id)]];
    }
    EXPECT_EQ(onPlate, plate.countOfKind);
    EXPECT_GE(plate.copies, 1);
    for (std::size_t k = 0; k < seen.size(); ++k) seen[k] += plate.copies * onPlate[k];
  }
  for (const UnplacedCount& missing : result.unplaced) seen[missing.kind] += missing.count;
  for (std::size_t k = 0; k < seen.size(); ++k) {
    EXPECT_EQ(seen[k], result.kinds[k].quantity) << result.kinds[k].name;
  }
}

// Every plate as cut: parts at least the gap apart, inside the plate by the edge margin.
void expectPlatesAsCut(const Order& order, const OrderResult& result) {
  for (std::size_t p = 0; p < result.plates.size(); ++p) {
    const OrderPlate& plate = result.plates[p];
    const testing::GapFinding finding = testing::measureCutShapes(*plate.nester, order.settings.gap + 1);
    EXPECT_EQ(finding.placed, plate.nester->parts.count()) << "plate " << p + 1;
    if (finding.placed > 1) {
      EXPECT_GE(finding.closest, order.settings.gap - 1e-6) << "plate " << p + 1 << ": " << finding.between;
    }
    EXPECT_GE(finding.worstPlateMargin + plate.origin.x,
              std::max(order.settings.edgeMargin, order.settings.gap / 2) - 1e-6)
        << "plate " << p + 1;
    if (order.strip) {
      EXPECT_LE(plate.length, plate.nester->plateLength() + 2 * plate.origin.x);
    } else {
      EXPECT_NEAR(plate.nester->plateLength() + 2 * plate.origin.x, plate.length, 1e-9);
    }
  }
}

std::string libraryItem(const std::string& part, int quantity, const std::string& extra = "") {
  return "[[item]]\nlibrary = \"" + kLibrary + "\"\npart = \"" + part + "\"\nquantity = " +
         std::to_string(quantity) + "\n" + extra + "\n";
}

// The whole example order: a job-sized run, with the other whole-job tests in the optimised
// pass only.
TEST(OrderJobTest, ExampleOrderHonoursQuantitiesAndEveryPlatePassesAsCut) {
  const Order order = readOrder(kSource / "examples/order/order.toml");
  const OrderResult result = nest(order);
  ASSERT_FALSE(result.plates.empty());
  EXPECT_TRUE(result.unplaced.empty());
  expectQuantitiesHonoured(result);
  expectPlatesAsCut(order, result);
  // Two plates of 3000 x 1500 were in stock: no more are used.
  std::int64_t large = 0;
  for (const OrderPlate& plate : result.plates) large += plate.stock == 0 ? plate.copies : 0;
  EXPECT_LE(large, 2);
}

TEST(OrderNesting, GrainItemsKeepTheirTurnsAndMustItemsComeFirst) {
  ScratchFolder folder("platenest-orders");
  const auto path = folder.write(
      "grain.toml", "[job]\ngap = 4\nedge_margin = 12\nrotation_number = 8\n"
                    "[[stock]]\nlength = 1200\nwidth = 800\n" +
                        libraryItem("LB400-1", 9, "orientations = \"fixed\"\nturn_over = false") +
                        libraryItem("GU300-2", 12, "orientations = \"half\"\npriority = \"must\"") +
                        libraryItem("HX240-1", 7, "orientations = \"quarter\""));
  const Order order = readOrder(path);
  const OrderResult result = nest(order);
  expectQuantitiesHonoured(result);
  expectPlatesAsCut(order, result);
  const double quarter = std::acos(-1.0) / 2;
  for (const OrderPlate& plate : result.plates) {
    for (const PlacedPart& part : plate.nester->parts) {
      const OrderKind& kind = result.kinds[plate.kindOfPart[static_cast<std::size_t>(part.id)]];
      const double turns = part.rotation / (quarter * 4 / kind.rotationNumber);
      EXPECT_NEAR(turns, std::round(turns), 1e-9) << kind.name << " turned " << part.rotation;
      if (!kind.turnOver) {
        EXPECT_FALSE(part.mirrored) << kind.name;
      }
    }
  }
  // The must-cut gussets are all on the first plate layout (they fit there together).
  EXPECT_EQ(result.plates[0].countOfKind[1], 12);
}

TEST(OrderNesting, IdenticalPlatesAreWrittenOnceWithTheirCount) {
  ScratchFolder folder("platenest-orders");
  const auto path = folder.write(
      "many.toml", "[job]\ngap = 5\n[[stock]]\nlength = 1000\nwidth = 700\ncount = \"unlimited\"\n" +
                       libraryItem("GU300-1", 300));
  const Order order = readOrder(path);
  const OrderResult result = nest(order);
  expectQuantitiesHonoured(result);
  expectPlatesAsCut(order, result);
  ASSERT_GE(result.plates.size(), 1u);
  EXPECT_LE(result.plates.size(), 2u);  // the full plate, cut many times, and the rest
  EXPECT_GT(result.plates[0].copies, 1);
  // No two layouts written are the same layout.
  std::set<std::vector<std::int64_t>> counts;
  for (const OrderPlate& plate : result.plates) counts.insert(plate.countOfKind);
  EXPECT_EQ(counts.size(), result.plates.size());
  // The full plate is laid out once: as many as fit on it, then the last plate the rest.
  if (result.plates.size() == 2) {
    EXPECT_LT(result.plates[1].countOfKind[0], result.plates[0].countOfKind[0]);
  }
}

TEST(OrderNesting, PartsLargerThanEveryPlateAndStockRunningOutAreReported) {
  ScratchFolder folder("platenest-orders");
  const auto path = folder.write(
      "small.toml", "[job]\ngap = 5\nedge_margin = 10\n[[stock]]\nlength = 700\nwidth = 500\ncount = 2\n" +
                        libraryItem("BP1000-1", 3) + libraryItem("RB350-1", 40));
  const Order order = readOrder(path);
  const OrderResult result = nest(order);
  expectQuantitiesHonoured(result);
  expectPlatesAsCut(order, result);
  std::map<std::string, std::string> reasons;
  for (const UnplacedCount& missing : result.unplaced) reasons[result.kinds[missing.kind].name] = missing.reason;
  EXPECT_EQ(reasons["BP1000-1"], "does not fit on any plate in stock");
  EXPECT_EQ(reasons["RB350-1"], "no plate left in stock");
  std::int64_t plates = 0;
  for (const OrderPlate& plate : result.plates) plates += plate.copies;
  EXPECT_EQ(plates, 2);
  const std::string json = orderJson(order, result);
  EXPECT_NE(json.find("\"reason\":\"does not fit on any plate in stock\""), std::string::npos);
}

TEST(OrderNesting, OptimisedPlatesKeepTheQuantitiesAndPassAsCut) {
  ScratchFolder folder("platenest-orders");
  const auto path = folder.write(
      "opt.toml", "[job]\ngap = 3\n[[stock]]\nlength = 1500\nwidth = 1000\n" +
                      libraryItem("FL300-2", 6) + libraryItem("PL250-3", 9, "orientations = \"quarter\"") +
                      libraryItem("GU300-4", 15));
  const Order order = readOrder(path);
  const OrderResult result = nest(order, OrderMode::kOptimise, 0.3);
  expectQuantitiesHonoured(result);
  expectPlatesAsCut(order, result);
}

// A strip instance and a bin instance in the public JSON format, written here.
TEST(OrderNesting, JsonInstancesAreLaidOut) {
  ScratchFolder folder("platenest-orders");
  const std::string items =
      R"("items": [
        {"id": 0, "demand": 5, "allowed_orientations": [0.0, 180.0],
         "shape": {"type": "simple_polygon", "data": [[0,0],[40,0],[40,10],[10,30],[0,30],[0,0]]}},
        {"id": 1, "demand": 3, "allowed_orientations": [0, 90, 180, 270],
         "shape": {"type": "polygon", "data": {"outer": [[0,0],[50,0],[50,50],[0,50]],
                                               "inner": [[[10,10],[40,10],[40,40],[10,40]]]}}},
        {"id": 2, "demand": 4,
         "shape": {"type": "rectangle", "data": {"x_min": 0, "y_min": 0, "width": 20, "height": 15}}}
      ])";
  const auto strip = folder.write("strip.json", "{\"name\": \"s\", " + items + ", \"strip_height\": 60}");
  const auto bins = folder.write(
      "bins.json", "{\"name\": \"b\", " + items +
                       R"(, "bins": [{"id": 0, "stock": 9, "cost": 2,
                          "shape": {"type": "rectangle", "data": {"x_min": 0, "y_min": 0, "width": 100, "height": 80}}}]})");
  for (const auto& path : {strip, bins}) {
    SCOPED_TRACE(path.filename().string());
    const Order order = readOrder(path, 1.0);
    EXPECT_EQ(order.settings.gap, 1.0);
    const OrderResult result = nest(order);
    expectQuantitiesHonoured(result);
    expectPlatesAsCut(order, result);
    EXPECT_TRUE(result.unplaced.empty());
    EXPECT_EQ(result.kinds[0].rotationNumber, 2);
    EXPECT_EQ(result.kinds[1].rotationNumber, 4);
  }
  const Order order = readOrder(strip);
  const OrderResult result = nest(order);
  // The strip used is at least the parts' area over its height, and no longer than the strip.
  double area = 0.0;
  for (const OrderKind& kind : result.kinds) area += kind.area * static_cast<double>(kind.quantity);
  EXPECT_NEAR(area, 5 * 900.0 + 3 * 1600.0 + 4 * 300.0, 1e-6);
  EXPECT_GE(result.stripLength, area / 60 - 1e-9);
  EXPECT_EQ(result.stripLength, result.plates[0].length);
  EXPECT_LE(result.stripLength, result.plates[0].nester->plateLength());
  EXPECT_NEAR(result.plates[0].density(), area / (60 * result.stripLength), 1e-12);
}

// ---- bad input: its message, naming file, line and field; through the command, nothing written

struct BadOrder {
  const char* name;
  std::string text;
  std::string message;  // expected after "FILE:"
};

std::vector<BadOrder> badOrders() {
  const std::string stock = "[[stock]]\nlength = 3000\nwidth = 1500\n";
  return {
      {"missing quantity", stock + "[[item]]\nlibrary = \"" + kLibrary + "\"\npart = \"FL300-1\"\n",
       ":5: item[1].quantity: is missing"},
      {"zero quantity", stock + libraryItem("FL300-1", 0), ":7: item[1].quantity: 0 is not a whole number"},
      {"unknown part", stock + libraryItem("NOPE", 2), ":5: part: no part named 'NOPE'"},
      {"misspelt key", stock + libraryItem("FL300-1", 2, "quantiy = 3"), ":8: item[1].quantiy: unknown key"},
      {"bad orientation", stock + libraryItem("FL300-1", 2, "orientations = \"any\""),
       ":8: item[1].orientations: 'any' is none of job, fixed, half, quarter"},
      {"no stock", libraryItem("FL300-1", 2), ":1: stock: the order needs at least one"},
      {"negative plate", "[[stock]]\nlength = -3\nwidth = 1500\n" + libraryItem("FL300-1", 2),
       ":2: stock[1].length: must be a positive number"},
      {"gap as text", "[job]\ngap = \"5\"\n" + stock + libraryItem("FL300-1", 2), ":2: job.gap: must be a number"},
      {"missing drawing", stock + "[[item]]\ndrawing = \"nowhere.dxf\"\nquantity = 2\n",
       ":5: item[1].drawing: "},
      {"broken toml", stock + "[[item]\n", ":4: "},
      {"csv bad quantity", stock + "items_csv = \"items.csv\"\n", "items.csv:3: quantity: 'many' is not a whole number"},
  };
}

TEST(OrderFiles, BadOrdersNameFileLineAndFieldAndWriteNothing) {
  const std::string cli = PLATENEST_CLI_PATH;
  for (const BadOrder& bad : badOrders()) {
    SCOPED_TRACE(bad.name);
    ScratchFolder folder("platenest-orders");
    // The item list is read only by the order that names it (then at the top of the file).
    std::string text = bad.text;
    if (text.find("items_csv") != std::string::npos) {
      text = "items_csv = \"items.csv\"\n" + text.substr(0, text.find("items_csv"));
      folder.write("items.csv", "source,part,quantity\n" + kLibrary + ",FL300-1,2\n" + kLibrary + ",FL300-2,many\n");
    }
    const auto path = folder.write("order.toml", text);
    try {
      readOrder(path);
      prepareOrderKinds(readOrder(path), "/dev/null");
      ADD_FAILURE() << "accepted";
    } catch (const OrderError& error) {
      const std::string message = error.what();
      EXPECT_NE(message.find(bad.message), std::string::npos) << message;
      EXPECT_EQ(message.rfind((folder / (bad.message.find("items.csv") == 0 ? "" : "order.toml")).string(), 0), 0u)
          << message;
    }
    int status = 0;
    const std::string err = testing::runCommand(
        "HOME=" + folder.path().string() + " " + cli + " nest " + path.string() + " -C " +
            (folder / "out").string() + " --json " + (folder / "out.json").string() + " 2>&1 >/dev/null",
        status);
    EXPECT_EQ(WEXITSTATUS(status), 1) << err;
    EXPECT_NE(err.find(bad.message), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(folder / "out"));
    EXPECT_FALSE(std::filesystem::exists(folder / "out.json"));
  }
}

TEST(OrderFiles, JsonInstancesWithZonesOrOtherTurnsAreRefused) {
  ScratchFolder folder("platenest-orders");
  const std::string item = R"({"id": 0, "demand": 1, "shape": {"type": "rectangle", "data": {"x_min": 0, "y_min": 0, "width": 2, "height": 1}}})";
  const std::string turned = R"({"id": 0, "demand": 1, "allowed_orientations": [0, 45], "shape": {"type": "rectangle", "data": {"x_min": 0, "y_min": 0, "width": 2, "height": 1}}})";
  const std::pair<std::string, std::string> cases[] = {
      {"{\"items\": [" + item + R"(], "bins": [{"id": 0, "stock": 1, "cost": 1, "zones": [{"quality": 1, "shape": {"type": "rectangle", "data": {"x_min": 0, "y_min": 0, "width": 1, "height": 1}}}], "shape": {"type": "rectangle", "data": {"x_min": 0, "y_min": 0, "width": 9, "height": 9}}}]})",
       "bins[0].zones: quality zones are not supported"},
      {"{\"items\": [" + turned + "], \"strip_height\": 5}", "items[0].allowed_orientations: only"},
      {"{\"items\": [" + item + "]}", "strip_height: the instance needs a strip_height or bins"},
  };
  for (const auto& [text, message] : cases) {
    const auto path = folder.write("instance.json", text);
    try {
      readOrder(path);
      ADD_FAILURE() << "accepted: " << message;
    } catch (const OrderError& error) {
      EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
    }
  }
}

// ---- the outputs, through the command: ezdxf reads every cut drawing

// The whole example order through the command line (a job-sized run, as above).
TEST(OrderJobTest, CutDrawingsAreClosedInMillimetresAndTheSummaryMatches) {
  const std::string python = testing::findPython("ezdxf");
  if (python.empty()) GTEST_SKIP() << "python3-ezdxf is not installed";
  ScratchFolder folder("platenest-orders");
  const std::string cli = PLATENEST_CLI_PATH;
  int status = 0;
  const std::string out = testing::runCommand(
      "HOME=" + folder.path().string() + " " + cli + " nest " + (kSource / "examples/order/order.toml").string() +
          " -C " + (folder / "out").string() + " --json " + (folder / "out/summary.json").string() +
          " --quiet 2>&1",
      status);
  ASSERT_EQ(WEXITSTATUS(status), 0) << out;
  const std::string json = testing::readBytes(folder / "out/summary.json");
  std::vector<std::string> drawings;
  for (int p = 1; std::filesystem::exists(folder / ("out/plate-" + std::to_string(p) + ".dxf")); ++p) {
    drawings.push_back((folder / ("out/plate-" + std::to_string(p) + ".dxf")).string());
    EXPECT_TRUE(std::filesystem::exists(folder / ("out/plate-" + std::to_string(p) + ".svg")));
  }
  ASSERT_FALSE(drawings.empty());
  std::string command = python + " " + (kSource / "tests/orders/cut_drawing_check.py").string();
  for (const std::string& drawing : drawings) command += " " + drawing;
  const std::string report = testing::runCommand(command, status);
  ASSERT_EQ(WEXITSTATUS(status), 0) << report;
  // The summary's part count per plate layout, in order, against the labels of each drawing.
  const nlohmann::json summary = nlohmann::json::parse(json);
  std::vector<int> counts;
  for (const auto& plate : summary["plates"]) {
    counts.push_back(plate["count"].get<int>());
    EXPECT_EQ(plate["parts"].size(), counts.back());
    EXPECT_GE(plate["copies"].get<int>(), 1);
  }
  EXPECT_EQ(counts.size(), drawings.size());
  std::istringstream lines(report);
  std::string line;
  std::size_t index = 0;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string tag, path;
    int units = 0, contours = 0, open = 0, stray = 0, texts = 0;
    fields >> tag >> path >> units >> contours >> open >> stray >> texts;
    SCOPED_TRACE(path);
    EXPECT_EQ(tag, "file");
    EXPECT_EQ(units, 4);
    EXPECT_EQ(open, 0);
    EXPECT_EQ(stray, 0);
    EXPECT_GE(contours, texts);  // every part at least its outline
    ASSERT_LT(index, counts.size());
    EXPECT_EQ(texts, counts[index++]);
  }
  EXPECT_EQ(index, drawings.size());
  EXPECT_TRUE(summary["unplaced"].empty());
  EXPECT_EQ(summary["totals"]["unplaced"].get<int>(), 0);
}

TEST(OrderOutputs, AnOutputOverAnInputIsRefusedBeforeAnythingIsWritten) {
  ScratchFolder folder("platenest-orders");
  const auto library = folder.write("plate-1.dxf.txt", testing::readBytes(kLibrary));
  folder.write("order-report.txt", "keep me");
  const auto path = folder.write("order.toml", "[[stock]]\nlength = 3000\nwidth = 1500\n[[item]]\n"
                                               "library = \"order-report.txt\"\nquantity = 1\n");
  (void)library;
  int status = 0;
  const std::string err = testing::runCommand(
      "HOME=" + folder.path().string() + " " + std::string(PLATENEST_CLI_PATH) + " nest " + path.string() +
          " -C " + folder.path().string() + " 2>&1 >/dev/null",
      status);
  EXPECT_EQ(WEXITSTATUS(status), 1) << err;
  EXPECT_EQ(testing::readBytes(folder / "order-report.txt"), "keep me");
  EXPECT_FALSE(std::filesystem::exists(folder / "plate-1.dxf"));
}

}  // namespace
}  // namespace platenest

namespace platenest {
namespace {

// Ctrl-C in the middle of an order: the plates finished are written, and every part of the
// order is on them or reported as not placed.
TEST(OrderOutputs, AnInterruptedOrderWritesThePlatesFinished) {
  testing::ScratchFolder folder("platenest-orders");
  int status = 0;
  const std::string out = testing::runCommand(
      "HOME=" + folder.path().string() + " timeout --preserve-status -s INT 3 " +
          std::string(PLATENEST_CLI_PATH) + " nest " + (kSource / "bench/orders/order1000.toml").string() +
          " --mode optimise --seconds 0.5 --threads 1 --quiet -C " + (folder / "out").string() +
          " --json " + (folder / "out.json").string() + " 2>&1",
      status);
  ASSERT_TRUE(WIFEXITED(status)) << out;
  ASSERT_TRUE(WEXITSTATUS(status) == 130 || WEXITSTATUS(status) == 0) << out;
  const nlohmann::json summary = nlohmann::json::parse(testing::readBytes(folder / "out.json"));
  const nlohmann::json& totals = summary["totals"];
  EXPECT_EQ(totals["interrupted"].get<bool>(), WEXITSTATUS(status) == 130);
  EXPECT_EQ(totals["placed"].get<int>() + totals["unplaced"].get<int>(), 1000);
  const std::size_t layouts = summary["plates"].size();
  for (std::size_t p = 1; p <= layouts; ++p) {
    EXPECT_TRUE(std::filesystem::exists(folder / ("out/plate-" + std::to_string(p) + ".dxf")));
  }
  EXPECT_FALSE(std::filesystem::exists(folder / ("out/plate-" + std::to_string(layouts + 1) + ".dxf")));
  if (WEXITSTATUS(status) == 130) {
    for (const auto& missing : summary["unplaced"]) {
      EXPECT_EQ(missing["reason"].get<std::string>(), "stopped before it was placed");
    }
  }
}

}  // namespace
}  // namespace platenest

namespace platenest {
namespace {

// A part-list item's load writes its check report where the reader works: never beside the
// operator's files.
TEST(OrderOutputs, OnlyTheOutputsAreWritten) {
  testing::ScratchFolder folder("platenest-orders");
  const auto path = folder.write("order.toml", "[[stock]]\nlength = 3000\nwidth = 1500\n[[item]]\nlibrary = \"" +
                                                   (kSource / "examples/shop-sheet.preSrc").string() +
                                                   "\"\nquantity = 2\n");
  int status = 0;
  const std::string out = testing::runCommand("cd " + folder.path().string() + " && HOME=" + folder.path().string() +
                                                  " " + std::string(PLATENEST_CLI_PATH) + " nest order.toml --quiet " +
                                                  "--error-log log.txt 2>&1",
                                              status);
  ASSERT_EQ(WEXITSTATUS(status), 0) << out;
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    names.insert(entry.path().filename().string());
  }
  EXPECT_EQ(names, (std::set<std::string>{"order.toml", "log.txt", "order-report.txt", "plate-1.dxf", "plate-1.svg"}));
}

}  // namespace
}  // namespace platenest

namespace platenest {
namespace {

std::vector<std::tuple<std::size_t, double, double, double, bool>> posesOf(const OrderPlate& plate) {
  std::vector<std::tuple<std::size_t, double, double, double, bool>> poses;
  for (const PlacedPart& part : plate.nester->parts) {
    poses.emplace_back(plate.kindOfPart[static_cast<std::size_t>(part.id)], part.refPoint.x, part.refPoint.y,
                       part.rotation, part.mirrored);
  }
  std::sort(poses.begin(), poses.end());
  return poses;
}

// A plate counted again without a second layout is the plate a fresh layout of what was left
// would have given: the order cut down to what the last copy started from lays out the same.
TEST(OrderNesting, ARepeatedPlateIsWhatAFreshLayoutOfTheRestGives) {
  ScratchFolder folder("platenest-orders");
  const std::string stock = "[job]\ngap = 5\n[[stock]]\nlength = 1000\nwidth = 700\n";
  const auto full = folder.write("full.toml", stock + libraryItem("GU300-1", 200) + libraryItem("RB350-1", 60));
  const Order order = readOrder(full);
  const OrderResult result = nest(order);
  ASSERT_FALSE(result.plates.empty());
  const OrderPlate& first = result.plates[0];
  ASSERT_GT(first.copies, 1);
  std::vector<std::int64_t> left;
  for (std::size_t k = 0; k < result.kinds.size(); ++k) {
    left.push_back(result.kinds[k].quantity - (first.copies - 1) * first.countOfKind[k]);
  }
  const auto rest = folder.write("rest.toml", stock + libraryItem("GU300-1", static_cast<int>(left[0])) +
                                                   libraryItem("RB350-1", static_cast<int>(left[1])));
  const OrderResult fresh = nest(readOrder(rest));
  ASSERT_FALSE(fresh.plates.empty());
  EXPECT_EQ(fresh.plates[0].countOfKind, first.countOfKind);
  EXPECT_EQ(posesOf(fresh.plates[0]), posesOf(first));
}

}  // namespace
}  // namespace platenest
