// The gap between parts as they will be cut: whole jobs are laid out and the parts' true
// shapes (arcs followed to micrometres, independent of the engine's chords and offsets) are
// replayed at the placed poses; every two must stay the gap apart, and all inside the plate.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine_test_support.h"
#include "loading/load.h"
#include "support/messages.h"
#include "shop_shapes.h"
#include "true_shapes.h"

namespace platenest::testing {
namespace {

using engine_test::ScratchFolder;

constexpr double kAllowance = 0.05;  // mm the cut shapes may come short of the gap


// A shop job of rings, flanges, rounded plates, filleted brackets and slotted bars.
std::filesystem::path writeShopJob(const std::filesystem::path& folder, double gap) {
  const std::filesystem::path path = folder / "shop.txt";
  std::ofstream out(path);
  out.precision(17);
  out << "PlateLength: 1400\nPlateWidth: 700\nPartToPartGap:" << gap << '\n';
  auto part = [&out](const std::string& name, const std::vector<Outline>& contours) {
    out << "NAME:" << name << '\n';
    for (const Outline& c : contours) writeContour(out, c);
  };
  for (int i = 0; i < 6; ++i) part("RING" + std::to_string(i), {circle(0, 0, 60), circle(0, 0, 40)});
  for (int i = 0; i < 4; ++i) {
    part("FLANGE" + std::to_string(i), {circle(0, 0, 80), circle(0, 0, 25), circle(60, 0, 6),
                                        circle(-60, 0, 6), circle(0, 60, 6), circle(0, -60, 6)});
  }
  for (int i = 0; i < 6; ++i) {
    part("PLATE" + std::to_string(i), {roundedRectangle(0, 0, 170, 110, 10), circle(30, 30, 1.7),
                                       circle(140, 80, 1.7), circle(85, 55, 20)});
  }
  for (int i = 0; i < 4; ++i) part("BRACKET" + std::to_string(i), {filletedL(150, 40, 15)});
  for (int i = 0; i < 6; ++i) part("BAR" + std::to_string(i), {slot(0, 0, 220, 50), slot(40, 19, 140, 12)});
  out << "#end\n";
  return path;
}

void dxfLine(std::ostream& out, double x1, double y1, double x2, double y2) {
  out << "  0\nLINE\n  8\n0\n 10\n" << x1 << "\n 20\n" << y1 << "\n 11\n" << x2 << "\n 21\n" << y2 << '\n';
}
void dxfArc(std::ostream& out, double cx, double cy, double r, double a0, double a1) {
  out << "  0\nARC\n  8\n0\n 10\n" << cx << "\n 20\n" << cy << "\n 40\n" << r << "\n 50\n" << a0
      << "\n 51\n" << a1 << '\n';
}
void dxfCircle(std::ostream& out, double cx, double cy, double r) {
  out << "  0\nCIRCLE\n  8\n0\n 10\n" << cx << "\n 20\n" << cy << "\n 40\n" << r << '\n';
}

// The drawing of a 150 x 90 plate with R10 corners, four M3 clearance holes and a Ø30 hole.
void writeRoundedPlateDxf(const std::filesystem::path& path) {
  std::ofstream out(path);
  out.precision(17);
  out << "  0\nSECTION\n  2\nENTITIES\n";
  dxfLine(out, 10, 0, 140, 0);
  dxfLine(out, 150, 10, 150, 80);
  dxfLine(out, 140, 90, 10, 90);
  dxfLine(out, 0, 80, 0, 10);
  dxfArc(out, 140, 10, 10, 270, 360);
  dxfArc(out, 140, 80, 10, 0, 90);
  dxfArc(out, 10, 80, 10, 90, 180);
  dxfArc(out, 10, 10, 10, 180, 270);
  for (const Point& p : {Point(15, 15), Point(135, 15), Point(135, 75), Point(15, 75)}) {
    dxfCircle(out, p.x, p.y, 1.7);
  }
  dxfCircle(out, 75, 45, 15);
  out << "  0\nENDSEC\n  0\nEOF\n";
}

// An L bracket with a concave R15 inner corner and a rounded outer corner.
void writeBracketDxf(const std::filesystem::path& path) {
  std::ofstream out(path);
  out.precision(17);
  out << "  0\nSECTION\n  2\nENTITIES\n";
  dxfLine(out, 0, 0, 110, 0);
  dxfArc(out, 110, 20, 20, 270, 360);
  dxfLine(out, 130, 20, 130, 40);
  dxfLine(out, 130, 40, 55, 40);
  dxfArc(out, 55, 55, 15, 180, 270);
  dxfLine(out, 40, 55, 40, 130);
  dxfLine(out, 40, 130, 0, 130);
  dxfLine(out, 0, 130, 0, 0);
  out << "  0\nENDSEC\n  0\nEOF\n";
}

void writeRingDxf(const std::filesystem::path& path) {
  std::ofstream out(path);
  out << "  0\nSECTION\n  2\nENTITIES\n";
  dxfCircle(out, 0, 0, 45);
  dxfCircle(out, 0, 0, 28);
  out << "  0\nENDSEC\n  0\nEOF\n";
}

std::filesystem::path writeDrawnJob(const std::filesystem::path& folder, double gap) {
  const std::filesystem::path drawings = folder / "drawn";
  std::filesystem::create_directories(drawings);
  for (int i = 0; i < 5; ++i) writeRoundedPlateDxf(drawings / ("plate" + std::to_string(i) + ".dxf"));
  for (int i = 0; i < 4; ++i) writeBracketDxf(drawings / ("bracket" + std::to_string(i) + ".dxf"));
  for (int i = 0; i < 5; ++i) writeRingDxf(drawings / ("ring" + std::to_string(i) + ".dxf"));
  const std::filesystem::path path = folder / "drawn.txt";
  std::ofstream out(path);
  out << "PlateLength: 900\nPlateWidth: 400\nPartToPartGap:" << gap << '\n' << drawings.string() << '\n';
  return path;
}

std::unique_ptr<Nester> layOut(const std::filesystem::path& job, LoadType type,
                               const std::filesystem::path& folder, bool keepOrientation,
                               bool multiStep) {
  RecordingMessageSink sink;
  ScopedMessageSink guard(&sink);
  // The layout writes its report to the current folder: keep it out of the source tree.
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  LoadOptions options;
  options.keepOrientation = keepOrientation;
  auto nester = openLibrary(job, type, folder / "PackError.txt", options);
  if (multiStep) {
    // The multi-step layout takes the selected parts.
    for (PlacedPart& part : nester->parts) part.selected = true;
    nester->layoutMultipleSteps();
  } else {
    nester->layoutAll();
  }
  std::filesystem::current_path(previous);
  return nester;
}

void expectGapHolds(const Nester& nester, int expectedPlaced) {
  const GapFinding finding = measureCutShapes(nester, nester.partGap + 1);
  EXPECT_EQ(finding.placed, expectedPlaced);
  EXPECT_GE(finding.closest, nester.partGap - kAllowance) << "between " << finding.between;
  EXPECT_GE(finding.worstPlateMargin, -kAllowance);
}

class TrueGapJobTest : public ::testing::TestWithParam<double> {};

TEST_P(TrueGapJobTest, ShopPartsWithArcsKeepTheGapAsCut) {
  const double gap = GetParam();
  ScratchFolder folder;
  const std::filesystem::path job = writeShopJob(folder.path(), gap);
  for (bool keep : {true, false}) {
    const auto nester = layOut(job, LoadType::kTextLibrary, folder.path(), keep, false);
    ASSERT_EQ(nester->parts.count(), 26);
    expectGapHolds(*nester, 26);
  }
  const auto multi = layOut(job, LoadType::kTextLibrary, folder.path(), false, true);
  expectGapHolds(*multi, 26);
}

TEST_P(TrueGapJobTest, DrawnPartsKeepTheGapAsCut) {
  const double gap = GetParam();
  ScratchFolder folder;
  const std::filesystem::path job = writeDrawnJob(folder.path(), gap);
  for (bool keep : {true, false}) {
    const auto nester = layOut(job, LoadType::kDxfList, folder.path(), keep, false);
    ASSERT_EQ(nester->parts.count(), 14);
    expectGapHolds(*nester, 14);
  }
}

INSTANTIATE_TEST_SUITE_P(Gaps, TrueGapJobTest, ::testing::Values(3.0, 5.0, 8.0));

// Circles as CAM exports write them (fine polygons with rounded coordinates) lost their whole
// working outline when grown by the gap and were cut on top of each other, off the plate.
TEST(TrueGapFinePolygonTest, FinelyPolygonisedCirclesAreLaidOutApartOnThePlate) {
  struct Fine {
    double radius;
    int points, decimals;
  };
  const std::vector<Fine> circles = {{150, 720, 2}, {50, 500, 2}, {300, 3600, 3}};
  ScratchFolder folder;
  const std::filesystem::path path = folder.path() / "fine.txt";
  {
    std::ofstream out(path);
    out.precision(17);
    out << "PlateLength: 3000\nPlateWidth: 1500\nPartToPartGap:5\n";
    int name = 0;
    for (const Fine& c : circles) {
      for (int copy = 0; copy < 2; ++copy) {
        out << "NAME:C" << name++ << '\n';
        writeContour(out, polygonCircle(0, 0, c.radius, c.points, c.decimals, copy == 1));
      }
    }
    // A plate with a finely polygonised hole near its edge.
    out << "NAME:H\n";
    writeContour(out, roundedRectangle(0, 0, 400, 300, 20));
    writeContour(out, polygonCircle(60, 150, 50, 500, 2, true));
    out << "#end\n";
  }
  for (bool multiStep : {false, true}) {
    const auto nester = layOut(path, LoadType::kTextLibrary, folder.path(), false, multiStep);
    ASSERT_EQ(nester->parts.count(), 7);
    for (const PlacedPart& part : nester->parts) EXPECT_GE(part.outer.vertexCount(), 3) << part.label.text;
    expectGapHolds(*nester, 7);
  }
}

struct SharedJob {
  const char* name;
  std::filesystem::path path;
  LoadType type;
};

// Failures and test listings name the case rather than print its bytes.
void PrintTo(const SharedJob& c, std::ostream* out) { *out << c.name << " (" << c.path.filename().string() << ")"; }

class TrueGapSharedJobTest : public ::testing::TestWithParam<SharedJob> {};

TEST_P(TrueGapSharedJobTest, PlacedPartsKeepTheGapAsCut) {
  const SharedJob& job = GetParam();
  ScratchFolder folder;
  const auto nester = layOut(job.path, job.type, folder.path(), false, false);
  const GapFinding finding = measureCutShapes(*nester, nester->partGap + 1);
  ASSERT_GT(finding.placed, 0);
  EXPECT_GE(finding.closest, nester->partGap - kAllowance) << "between " << finding.between;
  EXPECT_GE(finding.worstPlateMargin, -kAllowance);
}

const std::filesystem::path kBenchmarks(PLATENEST_BENCHMARK_DIR);
const std::filesystem::path kExamples = std::filesystem::path(PLATENEST_SOURCE_DIR) / "examples";

INSTANTIATE_TEST_SUITE_P(
    Jobs, TrueGapSharedJobTest,
    ::testing::Values(SharedJob{"industrial60", kBenchmarks / "industrial/industrial-60.txt", LoadType::kTextLibrary},
                      SharedJob{"industrial150", kBenchmarks / "industrial/industrial-150.txt", LoadType::kTextLibrary},
                      SharedJob{"exampleJob", kExamples / "job.txt", LoadType::kTextLibrary},
                      SharedJob{"examplePartList", kExamples / "shop-sheet.preSrc", LoadType::kPartList},
                      SharedJob{"exampleDxfList", kExamples / "dxf-job.txt", LoadType::kDxfList}),
    [](const ::testing::TestParamInfo<SharedJob>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace platenest::testing
