// Parts read from drawings of their own reach the cutter as drawn: the layout drawing and
// the parts export write their lines, arcs and circles, every small hole included, at the
// part's pose. Read back with ezdxf, as a CAM system would.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>

#include "external_tools.h"
#include "output/drawing_entities.h"
#include "nesting/posed_layout.h"
#include "output/layout_dxf.h"
#include "output/parts_export.h"
#include "output_test_support.h"
#include "loading/load.h"
#include "support/messages.h"

namespace platenest::testing {
namespace {

// A 150 x 90 plate with R10 corners, four M3 clearance holes (Ø3.4) and a Ø30 hole.
void writeRoundedPlate(const std::filesystem::path& path) {
  std::ofstream out(path);
  out << "  0\nSECTION\n  2\nENTITIES\n";
  auto line = [&out](double x1, double y1, double x2, double y2) {
    out << "  0\nLINE\n  8\n0\n 10\n" << x1 << "\n 20\n" << y1 << "\n 11\n" << x2 << "\n 21\n" << y2 << '\n';
  };
  auto arc = [&out](double cx, double cy, double a0, double a1) {
    out << "  0\nARC\n  8\n0\n 10\n" << cx << "\n 20\n" << cy << "\n 40\n10\n 50\n" << a0 << "\n 51\n" << a1 << '\n';
  };
  auto circle = [&out](double cx, double cy, double r) {
    out << "  0\nCIRCLE\n  8\n0\n 10\n" << cx << "\n 20\n" << cy << "\n 40\n" << r << '\n';
  };
  line(10, 0, 140, 0);
  line(150, 10, 150, 80);
  line(140, 90, 10, 90);
  line(0, 80, 0, 10);
  arc(140, 10, 270, 360);
  arc(140, 80, 0, 90);
  arc(10, 80, 90, 180);
  arc(10, 10, 180, 270);
  for (double x : {15.0, 135.0}) {
    for (double y : {15.0, 75.0}) circle(x, y, 1.7);
  }
  circle(75, 45, 15);
  out << "  0\nTEXT\n  8\n0\n 10\n20\n 20\n30\n 40\n5\n  1\nname:R10-PLATE\n  0\nENDSEC\n  0\nEOF\n";
}

// The LINE, ARC and CIRCLE entities of one layer as ezdxf reads them, sorted.
std::string shapesOf(const std::filesystem::path& path, const std::string& layer) {
  const std::string python = findPython("ezdxf");
  if (python.empty()) return {};
  int status = 0;
  const std::string output = runCommand(python + " " + scriptPath("dxf_shapes.py") + " '" + layer +
                                            "' '" + path.string() + "'",
                                        status);
  EXPECT_EQ(status, 0) << output;
  return output.substr(output.find('\n') + 1);  // without the file line
}

class DrawnPartOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (findPython("ezdxf").empty()) GTEST_SKIP() << "no Python with ezdxf";
    std::filesystem::create_directories(scratch_ / "drawings");
    source_ = scratch_ / "drawings" / "plate.dxf";
    writeRoundedPlate(source_);
    std::ofstream(scratch_ / "job.txt") << "PlateLength: 600\nPlateWidth: 300\nPartToPartGap:5\n"
                                        << (scratch_ / "drawings").string() << '\n';
    RecordingMessageSink sink;
    ScopedMessageSink guard(&sink);
    nester_ = openLibrary(scratch_ / "job.txt", LoadType::kDxfList, scratch_ / "PackError.txt",
                          LoadOptions{});
    // The layout writes its report to the current folder: keep it out of the source tree.
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(scratch_.path());
    nester_->layoutAll();
    std::filesystem::current_path(previous);
    ASSERT_EQ(nester_->parts.count(), 1);
    ASSERT_TRUE(nester_->parts.begin()->isInside(nester_->plateRect()));
  }

  ScratchFolder scratch_;
  std::filesystem::path source_;
  std::unique_ptr<Nester> nester_;
};

TEST_F(DrawnPartOutputTest, LayoutDrawingHoldsTheArcsAndEveryHoleAsDrawn) {
  const std::string drawn = shapesOf(source_, "0");
  EXPECT_EQ(drawn,
            "ARC\t10.000\t90.000\nARC\t10.000\t90.000\nARC\t10.000\t90.000\nARC\t10.000\t90.000\n"
            "CIRCLE\t1.700\nCIRCLE\t1.700\nCIRCLE\t1.700\nCIRCLE\t1.700\nCIRCLE\t15.000\n"
            "LINE\t130.000\nLINE\t130.000\nLINE\t70.000\nLINE\t70.000\n");
  writeLayoutDxf(*nester_, scratch_ / "layout.dxf");
  EXPECT_EQ(shapesOf(scratch_ / "layout.dxf", "1"), drawn);

  // Turned over and turned, the arcs keep their quarter sweeps (a reflected arc must run
  // counterclockwise again) and the part keeps its holes.
  PlacedPart& part = *nester_->parts.begin();
  part.mirrorAt(part.refPoint);
  part.rotateAbout(part.refPoint, 0.7);
  writeLayoutDxf(*nester_, scratch_ / "turned.dxf");
  EXPECT_EQ(shapesOf(scratch_ / "turned.dxf", "1"), drawn);
}

TEST_F(DrawnPartOutputTest, PartsExportWritesThePartAsDrawn) {
  exportPartsDxf(*nester_, scratch_.path());
  EXPECT_EQ(shapesOf(scratch_ / "R10-PLATE.dxf", "0"), shapesOf(source_, "0"));
}

// Turning a drawing over reflects every point of it across the horizontal line through the
// reference point; the arc's end points must be the reflected end points of the original.
TEST(PosedDrawingTest, TurnedOverArcsAndLinesLandOnTheReflectedPoints) {
  PartDrawing drawing;
  Arc arc;
  arc.set(Point(10, 20), 5, 30, 120);
  drawing.arcs.push_back(arc);
  drawing.lines.push_back(Segment(Point(0, 0), Point(4, 3)));
  drawing.circles.push_back(Circle{Point(7, 9), 2});
  PlacedPart twin;
  twin.refPoint = Point(0, 0);
  PlacedPart working = twin;
  working.mirrored = true;
  working.refPoint = Point(100, 50);
  working.rotation = kPi / 2;

  const PartDrawing posed = posedDrawing(drawing, twin, working);
  // A point (x, y) already reflected is moved to (x + 100, y + 50) and turned a quarter
  // about (100, 50): (100 - y, 50 + x).
  auto expected = [](double x, double y) { return Point(100 - y, 50 + x); };
  auto near = [](const Point& a, const Point& b) { return std::hypot(a.x - b.x, a.y - b.y) < 1e-9; };
  const Segment& line = posed.lines.front();
  EXPECT_TRUE(near(line.start, expected(0, 0)));
  EXPECT_TRUE(near(line.end, expected(4, -3)));
  EXPECT_TRUE(near(posed.circles.front().centre, expected(7, -9)));
  const Arc& moved = posed.arcs.front();
  EXPECT_TRUE(near(moved.centre, expected(10, -20)));
  EXPECT_NEAR(moved.endAngle - moved.startAngle, 90, 1e-9);
  auto at = [](const Arc& a, double degrees) {
    return Point(a.centre.x + a.radius * std::cos(degrees / 180 * kPi),
                 a.centre.y + a.radius * std::sin(degrees / 180 * kPi));
  };
  const Point start = at(arc, 30), end = at(arc, 120);
  // Reflection swaps the ends of a counterclockwise arc.
  EXPECT_TRUE(near(at(moved, moved.startAngle), expected(end.x, -end.y)));
  EXPECT_TRUE(near(at(moved, moved.endAngle), expected(start.x, -start.y)));
}

}  // namespace
}  // namespace platenest::testing
