// Whole jobs through the command line: the bundled example laid out in each mode must give a
// feasible layout (every part inside the plate, no two overlapping), the same layout every
// time, and the drawing, report and picture it promises; reduce and export-parts end to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "support/gbk.h"
#include "support/text_writer.h"

namespace platenest::testing {
namespace {

using Json = nlohmann::json;

struct Xy {
  double x;
  double y;
};
using Ring = std::vector<Xy>;

Ring ringOf(const Json& points) {
  Ring ring;
  for (const Json& p : points) ring.push_back({p[0].get<double>(), p[1].get<double>()});
  return ring;
}

double turn(const Xy& a, const Xy& b, const Xy& c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Parts slid into contact may touch, and the slide's arithmetic may leave them a hair's
// breadth (well under a micrometre) inside each other; only deeper overlaps count.
constexpr double kTouch = 1e-4;  // mm

// Signed distance of c from the line through a and b.
double side(const Xy& a, const Xy& b, const Xy& c) {
  const double length = std::hypot(b.x - a.x, b.y - a.y);
  return length > 0 ? turn(a, b, c) / length : 0.0;
}

// Segments that pass through each other by more than kTouch.
bool segmentsCross(const Xy& p1, const Xy& p2, const Xy& q1, const Xy& q2) {
  const double d1 = side(q1, q2, p1);
  const double d2 = side(q1, q2, p2);
  const double d3 = side(p1, p2, q1);
  const double d4 = side(p1, p2, q2);
  return ((d1 > kTouch && d2 < -kTouch) || (d1 < -kTouch && d2 > kTouch)) &&
         ((d3 > kTouch && d4 < -kTouch) || (d3 < -kTouch && d4 > kTouch));
}

bool ringContains(const Ring& ring, const Xy& p) {
  bool inside = false;
  for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
    if ((ring[i].y > p.y) != (ring[j].y > p.y) &&
        p.x < ring[i].x + (p.y - ring[i].y) * (ring[j].x - ring[i].x) / (ring[j].y - ring[i].y)) {
      inside = !inside;
    }
  }
  return inside;
}

struct Shape {
  std::string name;
  Ring outer;
  std::vector<Ring> holes;
  double box[4];

  explicit Shape(const Json& part) : name(part["name"]), outer(ringOf(part["outer"])) {
    for (const Json& hole : part["holes"]) holes.push_back(ringOf(hole));
    for (int i = 0; i < 4; ++i) box[i] = part["box"][i];
  }
  bool contains(const Xy& p) const {
    if (!ringContains(outer, p)) return false;
    return std::none_of(holes.begin(), holes.end(),
                        [&](const Ring& hole) { return ringContains(hole, p); });
  }
  std::vector<std::pair<Xy, Xy>> edges() const {
    std::vector<std::pair<Xy, Xy>> result;
    auto add = [&](const Ring& ring) {
      for (std::size_t i = 0; i < ring.size(); ++i) {
        result.push_back({ring[i], ring[(i + 1) % ring.size()]});
      }
    };
    add(outer);
    for (const Ring& hole : holes) add(hole);
    return result;
  }
};

double distanceToSegment(const Xy& p, const Xy& a, const Xy& b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double lengthSquared = dx * dx + dy * dy;
  double t = lengthSquared > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// Inside the part and clear of its boundary: a point on a shared edge is not inside.
bool strictlyInside(const Shape& shape, const Xy& p) {
  if (!shape.contains(p)) return false;
  for (const auto& [a, b] : shape.edges()) {
    if (distanceToSegment(p, a, b) <= kTouch) return false;
  }
  return true;
}

// Plain geometry, independent of the engine: edges crossing, or a point of one part strictly
// inside the other (a part lying in another's hole is allowed; parts may touch).
bool overlap(const Shape& a, const Shape& b) {
  if (a.box[1] < b.box[0] || b.box[1] < a.box[0] || a.box[3] < b.box[2] || b.box[3] < a.box[2]) {
    return false;
  }
  for (const auto& [p1, p2] : a.edges()) {
    for (const auto& [q1, q2] : b.edges()) {
      if (segmentsCross(p1, p2, q1, q2)) return true;
    }
  }
  // No crossing edges: one lies inside the other, or they are apart or only touch. Vertices
  // and edge midpoints of the one tell which.
  auto anyInside = [](const Shape& inner, const Shape& outer) {
    for (const auto& [p1, p2] : inner.edges()) {
      if (strictlyInside(outer, p1)) return true;
      if (strictlyInside(outer, {(p1.x + p2.x) / 2, (p1.y + p2.y) / 2})) return true;
    }
    return false;
  };
  return anyInside(a, b) || anyInside(b, a);
}

void expectFeasibleLayout(const Json& summary) {
  const double length = summary["plate"]["length"];
  const double width = summary["plate"]["width"];
  std::vector<Shape> placed;
  int onPlate = 0;
  for (const Json& part : summary["parts"]) {
    if (!part["onPlate"].get<bool>()) continue;
    ++onPlate;
    const Shape shape(part);
    EXPECT_GE(shape.box[0], -1e-10) << shape.name;
    EXPECT_LE(shape.box[1], length + 1e-10) << shape.name;
    EXPECT_GE(shape.box[2], -1e-10) << shape.name;
    EXPECT_LE(shape.box[3], width + 1e-10) << shape.name;
    for (const Xy& v : shape.outer) {
      EXPECT_TRUE(v.x >= shape.box[0] && v.x <= shape.box[1] && v.y >= shape.box[2] &&
                  v.y <= shape.box[3])
          << shape.name << ": the box holds the outline";
    }
    placed.push_back(shape);
  }
  EXPECT_EQ(summary["count"], onPlate);
  for (std::size_t i = 0; i < placed.size(); ++i) {
    for (std::size_t j = i + 1; j < placed.size(); ++j) {
      EXPECT_FALSE(overlap(placed[i], placed[j])) << placed[i].name << " / " << placed[j].name;
    }
  }
}

int countParts(const std::string& job) {
  int count = 0;
  std::istringstream lines(job);
  for (std::string line; std::getline(lines, line);) count += line.rfind("NAME", 0) == 0;
  return count;
}

std::string bundledExample() {
  return readBytes(std::string(PLATENEST_SOURCE_DIR) + "/examples/job.txt");
}

// ---- the bundled example in each mode

struct LayoutCase {
  const char* name;
  std::vector<std::string> options;
};

// Failures and test listings name the case rather than print its bytes.
void PrintTo(const LayoutCase& c, std::ostream* out) { *out << c.name; }

class LayoutJobTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutJobTest, BundledExampleGivesAFeasibleRepeatableLayoutAndItsOutputs) {
  CliFolder scratch;
  std::vector<std::string> arguments = {"layout",     "--error-log", "log.txt",   "--svg",
                                        "layout.svg", "--json",      "first.json"};
  arguments.insert(arguments.end(), GetParam().options.begin(), GetParam().options.end());
  const CliRun run = scratch.run(arguments);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "") << "the example loads and lays out without a warning";

  const Json summary = Json::parse(readBytes(scratch / "first.json"));
  const int partCount = countParts(bundledExample());
  ASSERT_EQ(static_cast<int>(summary["parts"].size()), partCount) << "no part rejected";
  EXPECT_EQ(summary["count"], partCount) << "the example fits its plate";
  expectFeasibleLayout(summary);
  EXPECT_GT(summary["seconds"].get<double>(), 0.0);

  // Packing length: the true outlines end half a gap inside the grown ones.
  double grownEnd = 0.0;
  for (const Json& part : summary["parts"])
    grownEnd = std::max(grownEnd, part["box"][1].get<double>());
  const double halfGap = summary["partGap"].get<double>() / 2;
  EXPECT_LE(summary["packingLength"].get<double>(), grownEnd - halfGap + 1e-9);
  EXPECT_GT(summary["packingLength"].get<double>(), grownEnd - 4 * halfGap);
  EXPECT_GT(summary["density"].get<double>(), 0.5);

  // The outputs, each recognisable as what it claims to be.
  EXPECT_EQ(readBytes(scratch / "layout.dxf").rfind("  0\r\nSECTION\r\n", 0), 0u);
  const std::string report = readBytes(scratch / "Report.txt");
  EXPECT_EQ(report.rfind("Packed length:", 0), 0u) << report;
  EXPECT_NE(report.find("=" + std::to_string(partCount) + "\r\n"), std::string::npos) << report;
  const std::string picture = readBytes(scratch / "layout.svg");
  EXPECT_NE(picture.find("<svg"), std::string::npos);
  EXPECT_NE(picture.find("BP1000-1"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(scratch / "排样计算时间.txt"));
  EXPECT_NE(run.out.find("Placed: " + std::to_string(partCount) + " of " +
                         std::to_string(partCount) + " parts"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("Not placed: none"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("排样计算时间为:"), std::string::npos) << run.out;

  // The same job twice gives the same layout, bit for bit.
  const std::string firstDrawing = readBytes(scratch / "layout.dxf");
  arguments[6] = "second.json";
  ASSERT_EQ(scratch.run(arguments).status, 0);
  const Json second = Json::parse(readBytes(scratch / "second.json"));
  EXPECT_EQ(second["parts"], summary["parts"]);
  EXPECT_EQ(second["packingLength"], summary["packingLength"]);
  EXPECT_EQ(readBytes(scratch / "layout.dxf"), firstDrawing);
}

INSTANTIATE_TEST_SUITE_P(Modes, LayoutJobTest,
                         ::testing::Values(LayoutCase{"LayoutAll", {}},
                                           LayoutCase{"MultipleSteps", {"--mode", "multi"}}),
                         [](const ::testing::TestParamInfo<LayoutCase>& info) {
                           return info.param.name;
                         });

TEST(LayoutOptionsJobTest, KeptOrientationsAndNoTurnoverLimitThePosesToQuarterTurns) {
  CliFolder scratch;
  const CliRun run = scratch.run({"layout", "--error-log", "log.txt", "--json", "j",
                                  "--keep-orientation", "--turnover", "off", "--rn", "4"});
  ASSERT_EQ(run.status, 0) << run.err;
  const Json summary = Json::parse(readBytes(scratch / "j"));
  expectFeasibleLayout(summary);
  const double quarter = std::acos(-1.0) / 2;
  for (const Json& part : summary["parts"]) {
    EXPECT_FALSE(part["mirrored"].get<bool>()) << part["name"];
    const double turns = part["rotation"].get<double>() / quarter;
    EXPECT_NEAR(turns, std::round(turns), 1e-9) << part["name"];
  }
  // RN 1 with kept orientations: every part keeps the pose it was drawn in.
  ASSERT_EQ(scratch
                .run({"layout", "--error-log", "log.txt", "--json", "j", "--keep-orientation",
                      "--turnover", "off", "--rn", "1"})
                .status,
            0);
  const Json unturned = Json::parse(readBytes(scratch / "j"));
  for (const Json& part : unturned["parts"]) {
    EXPECT_EQ(part["rotation"].get<double>(), 0.0) << part["name"];
  }
}

// ---- reduce and export-parts

TEST(ReduceTest, ShrinksThePlateKeepingEveryPartAndReportsEachTrial) {
  CliFolder scratch;
  std::string job = textLibraryHeader(1000, 600, 0);
  for (const char* name : {"A", "B", "C", "D"}) job += rectangleBlock(name, 0, 0, 200, 180);
  writeBytes(scratch / "job.txt", job + "#end\r\n");
  const CliRun run =
      scratch.run({"reduce", "job.txt", "-C", "steps", "--error-log", "log.txt", "--json", "j"});
  ASSERT_EQ(run.status, 0) << run.err;

  const Json summary = Json::parse(readBytes(scratch / "j"));
  EXPECT_EQ(summary["count"], 4) << "the run ends on a plate that holds every part";
  expectFeasibleLayout(summary);
  const double length = summary["plate"]["length"];
  const double width = summary["plate"]["width"];
  EXPECT_LE(length, 1000.0);
  EXPECT_LT(width, 600.0) << "four 200 x 180 parts fit a narrower plate";
  EXPECT_NE(run.out.find("Final plate: " + formatG(length) + " x " + formatG(width) + " mm"),
            std::string::npos)
      << run.out;

  // Every line of the detail report was shown on standard error as it was written.
  const std::string details = readBytes(scratch / "steps/DetailsReport.txt");
  int trialLines = 0;
  std::istringstream lines(run.err);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("母板尺寸:", 0) == 0) ++trialLines;
  }
  EXPECT_GE(trialLines, 3) << run.err;
  EXPECT_NE(details.find(utf8ToGbk("母板尺寸:1000x600")), std::string::npos) << details;
  EXPECT_TRUE(std::filesystem::exists(scratch / "steps/1000x600.dxf"));
}

TEST(ExportPartsTest, WritesOneDrawingPerPartIntoTheOutputFolder) {
  CliFolder scratch;
  writeBytes(scratch / "job.txt", textLibraryHeader(1000, 600, 4) + rectangleBlock("A", 0, 0, 200, 100) +
                                     rectangleBlock("B", 0, 0, 120, 80) + rectangleBlock("C", 0, 0, 60, 50) +
                                     "#end\r\n");
  for (bool layOutFirst : {false, true}) {
    std::vector<std::string> arguments = {"export-parts", "job.txt", "-C",     "parts",
                                          "--error-log",  "log.txt", "--json", "j"};
    if (layOutFirst) arguments.push_back("--layout");
    const CliRun run = scratch.run(arguments);
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* name : {"A", "B", "C"}) {
      const std::string drawing = readBytes(scratch / "parts" / (std::string(name) + ".dxf"));
      EXPECT_EQ(drawing.rfind("  0\r\nSECTION\r\n", 0), 0u) << name;
    }
    EXPECT_EQ(Json::parse(readBytes(scratch / "j"))["count"], layOutFirst ? 3 : 0);
  }
}

}  // namespace
}  // namespace platenest::testing
