// A real plate-cutting job (arcs, holes, turned and turned-over parts) laid out by the
// engine, then written in every output: the drawing, the report, the picture and the part
// drawings must agree with the layout and with each other.
#include <gtest/gtest.h>

#include "test_support/benchmark_jobs.h"

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "output/layout_dxf.h"
#include "output/layout_svg.h"
#include "output/packing_report.h"
#include "output/parts_export.h"
#include "output_test_support.h"
#include "loading/load.h"
#include "support/gbk.h"
#include "support/messages.h"

namespace platenest {
namespace {

using testing::DxfEntity;
using testing::ScratchFolder;

class OutputJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto job =
        std::filesystem::path(PLATENEST_BENCHMARK_DIR) / "industrial" / "industrial-60.txt";
    PLATENEST_REQUIRE_BENCHMARKS();
    nester_ = openLibrary(job, LoadType::kTextLibrary, scratch_ / "PackError.txt");
    nester_->layoutAll();
    sink_.clear();  // what loading found is not the outputs' concern
    statistics_ = nester_->computeLayoutStatistics();
    ASSERT_GT(statistics_.count, 0);
  }

  ScratchFolder scratch_;
  RecordingMessageSink sink_;
  ScopedMessageSink guard_{&sink_};
  std::unique_ptr<Nester> nester_;
  LayoutStatistics statistics_;
};

TEST_F(OutputJobTest, ReportAgreesWithTheLayout) {
  writePackingReport(*nester_, scratch_ / "Report.txt");
  EXPECT_EQ(sink_.texts(), std::vector<std::string>{}) << "the engine's layout has no conflicts";
  const auto lines = testing::crlfLines(testing::readBytes(scratch_ / "Report.txt"));
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(lines[0], "Packed length:" + formatG(statistics_.packingLength));
  EXPECT_EQ(lines[1], "Packing density:" + formatG(statistics_.density * 100) + "%");
  EXPECT_EQ(lines[3], utf8ToGbk("已排样零件数量=") + std::to_string(statistics_.count));
  std::multiset<std::string> named;
  for (std::size_t i = 5; i < lines.size(); ++i) {
    std::istringstream names(lines[i]);
    std::string name;
    int onLine = 0;
    while (std::getline(names, name, ',')) {
      named.insert(name);
      ++onLine;
    }
    EXPECT_LE(onLine, 10);
    if (i + 1 < lines.size()) {
      EXPECT_EQ(onLine, 10);
    }
  }
  std::multiset<std::string> onPlate;
  for (const PlacedPart& part : nester_->parts) {
    if (nester_->isOnPlate(part)) onPlate.insert(part.label.text);
  }
  EXPECT_EQ(named, onPlate);
}

// Each region is drawn where its working part stands: every end point of its entities lies
// in the working part's box (grown by half the gap, so the true outline sits inside).
TEST_F(OutputJobTest, DrawingShowsEveryPartAtItsPlace) {
  writeLayoutDxf(*nester_, scratch_ / "layout.dxf");
  EXPECT_EQ(sink_.texts(), std::vector<std::string>{}) << "every arc of the job can be built";
  const auto entities = testing::readDxfEntities(scratch_ / "layout.dxf");
  auto entity = entities.begin() + 4;  // after the plate outline
  int mirrored = 0;
  for (const Region& region : nester_->regions) {
    const PlacedPart* working = nester_->parts.findById(region.id);
    ASSERT_NE(working, nullptr);
    SCOPED_TRACE(region.label.text);
    mirrored += working->mirrored;
    const std::string colour = working->mirrored ? "2" : "3";
    std::vector<const Contour*> contours = {&region.outer};
    for (const Contour& hole : region.holes) contours.push_back(&hole);
    const BoundingBox& box = working->box();
    auto inside = [&](double x, double y) {
      return x >= box.minX - 1e-3 && x <= box.maxX + 1e-3 && y >= box.minY - 1e-3 &&
             y <= box.maxY + 1e-3;
    };
    for (const Contour* contour : contours) {
      for (double radius : contour->radii) {
        ASSERT_NE(entity, entities.end());
        EXPECT_EQ(entity->type, radius == 0 ? "LINE" : "ARC");
        EXPECT_EQ(entity->layer(), "1");
        EXPECT_EQ(entity->value(" 62"), colour);
        if (entity->type == "LINE") {
          EXPECT_TRUE(inside(entity->number(" 10"), entity->number(" 20")));
          EXPECT_TRUE(inside(entity->number(" 11"), entity->number(" 21")));
        } else {
          const double r = entity->number(" 40");
          for (const char* code : {" 50", " 51"}) {
            const double a = entity->number(code) / 180 * kPi;
            EXPECT_TRUE(inside(entity->number(" 10") + r * std::cos(a),
                               entity->number(" 20") + r * std::sin(a)));
          }
        }
        ++entity;
      }
    }
    ASSERT_NE(entity, entities.end());
    EXPECT_EQ(entity->type, "TEXT");
    EXPECT_EQ(entity->value("  1"), region.label.text);
    ++entity;
  }
  EXPECT_GT(mirrored, 0) << "the job should exercise turned-over parts";
  ASSERT_EQ(entities.end() - entity, 4);
  // The outlines as read, cut into chords after posing, end within a chord error of the
  // engine's own measure of the packing length.
  EXPECT_NEAR(entity->number(" 10"), statistics_.packingLength, 1.0);
  EXPECT_EQ((entity + 3)
                ->value("  1")
                .rfind("Packed Parts Number=" + std::to_string(statistics_.count) + ",", 0),
            0u);
}

TEST_F(OutputJobTest, IndependentReadersOpenEveryOutput) {
  writeLayoutDxf(*nester_, scratch_ / "layout.dxf");
  writeLayoutSvg(*nester_, scratch_ / "layout.svg");
  std::filesystem::create_directory(scratch_ / "parts");
  exportPartsDxf(*nester_, scratch_ / "parts");

  std::set<std::string> names;
  for (const PlacedPart& part : nester_->parts)
    names.insert(safeFileName(part.label.text) + ".dxf");
  std::set<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(scratch_ / "parts")) {
    files.insert(entry.path().filename().string());
    const auto entities = testing::readDxfEntities(entry.path());
    ASSERT_GE(entities.size(), 5u);
    EXPECT_EQ(entities.back().type, "POINT");
  }
  EXPECT_EQ(files, names);

  const std::string python = testing::findPython();
  if (python.empty()) GTEST_SKIP() << "python3 not found";
  int status = 0;
  const std::string svg =
      testing::runCommand(python + " " + testing::scriptPath("svg_check.py") + " '" +
                              (scratch_ / "layout.svg").string() + "' 2>&1",
                          status);
  EXPECT_EQ(status, 0) << svg;
  EXPECT_NE(svg.find("parts\t" + std::to_string(nester_->parts.count()) + "\n"), std::string::npos)
      << svg;
  EXPECT_NE(svg.find("outside\t0\n"), std::string::npos) << svg;

  const std::string ezdxf = testing::findPython("ezdxf");
  if (ezdxf.empty()) GTEST_SKIP() << "ezdxf not found";
  std::string command = ezdxf + " " + testing::scriptPath("ezdxf_count.py") + " '" +
                        (scratch_ / "layout.dxf").string() + "'";
  for (const std::string& file : files)
    command += " '" + (scratch_ / "parts" / file).string() + "'";
  const std::string read = testing::runCommand(command + " 2>&1", status);
  EXPECT_EQ(status, 0) << read;
  // As many entities as our own reading of the drawing finds.
  std::map<std::string, int> ours;
  for (const DxfEntity& entity : testing::readDxfEntities(scratch_ / "layout.dxf")) {
    ++ours[entity.type + "\t" + entity.layer()];
  }
  std::map<std::string, int> theirs;
  std::istringstream lines(read);
  std::string line;
  bool layout = false;
  while (std::getline(lines, line)) {
    if (line.rfind("file\t", 0) == 0) layout = line.find("layout.dxf") != std::string::npos;
    if (!layout || line.rfind("entity\t", 0) != 0) continue;
    std::istringstream fields(line);
    std::string tag, type, layer, colour, count;
    std::getline(fields, tag, '\t');
    std::getline(fields, type, '\t');
    std::getline(fields, layer, '\t');
    std::getline(fields, colour, '\t');
    std::getline(fields, count, '\t');
    theirs[type + "\t" + layer] += std::stoi(count);
  }
  EXPECT_EQ(theirs, ours);
}

}  // namespace
}  // namespace platenest
