// One reading of a list's drawings: the drawing reader and the loop joiner give, for every
// drawing the plain part reader accepts, that reader's part and messages; the gaps the reading
// closes are named and drawn; CAD leftovers of no size are skipped with one warning.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "readers/dxf_list_file.h"
#include "readers/dxf_part_reader.h"
#include "support/messages.h"
#include "test_support/dxf_text.h"
#include "support/text_writer.h"
#include "test_support/scratch_folder.h"

namespace platenest {
namespace {

using testing::arcEntity;
using testing::circleEntity;
using testing::dxfEntities;
using testing::dxfNumber;
using testing::dxfPairs;
using testing::lineEntity;
using testing::rectangleLines;

std::string text(const std::string& value, double x, double y) {
  return dxfPairs({{"  0", "TEXT"}, {" 10", dxfNumber(x)}, {" 20", dxfNumber(y)}, {" 40", "5"}, {"  1", value}});
}
// A rectangle drawn with a closed polyline: a drawing only the drawing reader reads.
std::string polylineRectangle(double w, double h) {
  return dxfPairs({{"  0", "LWPOLYLINE"}, {" 90", "4"}, {" 70", "1"}, {" 10", "0"}, {" 20", "0"},
                {" 10", dxfNumber(w)}, {" 20", "0"}, {" 10", dxfNumber(w)}, {" 20", dxfNumber(h)}, {" 10", "0"},
                {" 20", dxfNumber(h)}});
}

struct PlainRead {
  bool ok = false;
  PlacedPart part;
  PartDrawing drawing;
  std::vector<std::string> messages;
};

struct ListRead {
  Job job;
  std::vector<std::string> messages;
};

PlainRead readPlain(const std::filesystem::path& path) {
  RecordingMessageSink sink;
  ScopedMessageSink guard(&sink);
  PlainRead r;
  r.ok = readDxfPart(r.part, path, r.drawing);
  r.messages = sink.texts();
  return r;
}

ListRead readListed(const std::filesystem::path& path, const DxfReadOptions& options = {}) {
  RecordingMessageSink sink;
  ScopedMessageSink guard(&sink);
  ListRead r;
  std::int32_t counter = 0;
  readDxfDrawing(testing::readBytes(path), path, options, counter, r.job);
  r.messages = sink.texts();
  return r;
}

void expectSamePolygon(const Polygon& a, const Polygon& b) {
  ASSERT_EQ(a.vertexCount(), b.vertexCount());
  for (int i = 0; i < a.vertexCount(); ++i) {
    EXPECT_EQ(a.vertex(i).x, b.vertex(i).x) << i;
    EXPECT_EQ(a.vertex(i).y, b.vertex(i).y) << i;
  }
}

// Bit for bit the same part: the layouts nested from it are then the same too.
void expectSamePart(const PlacedPart& a, const PlacedPart& b) {
  expectSamePolygon(a.outer, b.outer);
  ASSERT_EQ(a.holes.count(), b.holes.count());
  for (int h = 0; h < a.holes.count(); ++h) expectSamePolygon(a.holes[h], b.holes[h]);
  EXPECT_EQ(a.area(), b.area());
  EXPECT_EQ(a.centroid().x, b.centroid().x);
  EXPECT_EQ(a.centroid().y, b.centroid().y);
  EXPECT_EQ(a.refPoint.x, b.refPoint.x);
  EXPECT_EQ(a.refPoint.y, b.refPoint.y);
  EXPECT_EQ(a.rectangularity(), b.rectangularity());
  EXPECT_EQ(a.aspectRatio(), b.aspectRatio());
  EXPECT_EQ(a.secondLabel.text, b.secondLabel.text);
}

std::vector<std::pair<double, double>> endsOf(const SegmentList& lines) {
  std::vector<std::pair<double, double>> ends;
  for (const Segment& s : lines) {
    ends.push_back({s.start.x, s.start.y});
    ends.push_back({s.end.x, s.end.y});
  }
  return ends;
}

// The drawings the plain reader's own cases are made of, and the bundled example: read by the
// list, each gives the plain reader's part, drawing and messages, or, where the plain reader
// refuses, a refusal that starts with its messages and ends with the reason.
TEST(DxfOneReadingTest, TheListReadsEveryPlainDrawingAsThePlainReaderDoes) {
  testing::ScratchFolder scratch;
  const double s10 = std::sin(10.0 / 180 * kPi), c10 = std::cos(10.0 / 180 * kPi);
  const std::string threeSides = lineEntity(0, 0, 100, 0) + lineEntity(100, 0, 100, 50) + lineEntity(100, 50, 0, 50);
  std::vector<std::pair<std::string, std::string>> cases = {
      {"rectangle_and_hole", dxfEntities(rectangleLines(0, 0, 100, 50) + circleEntity(30, 25, 10))},
      {"reversed", dxfEntities(lineEntity(0, 50, 0, 0) + lineEntity(100, 50, 0, 50) + lineEntity(100, 0, 100, 50) +
                           lineEntity(0, 0, 100, 0) + circleEntity(30, 25, 10))},
      {"hole_first", dxfEntities(circleEntity(30, 25, 10) + lineEntity(100, 0, 100, 50) + lineEntity(0, 50, 0, 0) +
                             lineEntity(0, 0, 100, 0) + lineEntity(0, 50, 100, 50))},
      {"arc_across_zero", dxfEntities(arcEntity(0, 0, 500, 350, 10) +
                                  lineEntity(500 * c10, 500 * s10, 500 * c10, -500 * s10))},
      {"slot", dxfEntities(lineEntity(0, 0, 80, 0) + arcEntity(80, 20, 20, 270, 90) + lineEntity(80, 40, 0, 40) +
                       arcEntity(0, 20, 20, 90, 270) + arcEntity(40, 20, 7.3, 15.5, 195.5) +
                       arcEntity(40, 20, 7.3, 195.5, 15.5))},
      {"ring", dxfEntities(circleEntity(0, 0, 20) + circleEntity(0, 0, 90))},
      {"two_holes", dxfEntities(rectangleLines(0, 0, 100, 50) + circleEntity(20, 25, 10) + circleEntity(70, 25, 10))},
      {"named", dxfEntities(rectangleLines(0, 0, 100, 50) + text("name:BRACKET-7", 20, 30) +
                        text("thick=12", 1, 2))},
      {"no_eof", "  0\nSECTION\n  2\nENTITIES\n" + rectangleLines(0, 0, 100, 50)},
      {"empty_file", ""},
      {"two_lines", dxfEntities(lineEntity(0, 0, 1, 0) + lineEntity(1, 0, 0, 0))},
      {"text_only", dxfEntities(text("name:A", 0, 0))},
      {"gap_0.6", dxfEntities(lineEntity(0, 0, 99.4, 0) + lineEntity(100, 0, 100, 50) + lineEntity(100, 50, 0, 50) +
                          lineEntity(0, 50, 0, 0))},
      {"open_chain", dxfEntities(threeSides)},
      {"collinear", dxfEntities(lineEntity(10, 10, 20, 10) + lineEntity(20, 10, 30, 10) + lineEntity(30, 10, 10, 10) +
                            rectangleLines(0, 0, 100, 50))},
  };
  for (const auto& entry : std::filesystem::directory_iterator(
           std::filesystem::path(PLATENEST_SOURCE_DIR) / "examples" / "dxf-parts")) {
    cases.push_back({entry.path().filename().string(), testing::readBytes(entry.path())});
  }
  std::size_t accepted = 0;
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    const std::filesystem::path path = scratch.write(name + ".dxf", bytes);
    const PlainRead plain = readPlain(path);
    const ListRead listed = readListed(path);
    if (!plain.ok) {
      EXPECT_TRUE(listed.job.parts.empty());
      ASSERT_EQ(listed.job.rejected.size(), 1u);
      ASSERT_GE(listed.messages.size(), plain.messages.size() + 1);
      EXPECT_TRUE(std::equal(plain.messages.begin(), plain.messages.end(),
                             listed.messages.begin()));
      EXPECT_EQ(listed.messages[plain.messages.size()], listed.job.rejected[0].reason);
      continue;
    }
    ++accepted;
    EXPECT_EQ(listed.messages, plain.messages);
    EXPECT_TRUE(listed.job.rejected.empty());
    ASSERT_EQ(listed.job.parts.size(), 1u);
    ASSERT_EQ(listed.job.drawings.size(), 1u);
    expectSamePart(listed.job.parts[0], plain.part);
    const std::string label = plain.part.label.text == "empty text!" ? name : plain.part.label.text;
    EXPECT_EQ(listed.job.parts[0].label.text, label);
    const PartDrawing& drawn = listed.job.drawings[0];
    EXPECT_EQ(endsOf(drawn.lines), endsOf(plain.drawing.lines));
    ASSERT_EQ(drawn.arcs.size(), plain.drawing.arcs.size());
    auto arcIt = plain.drawing.arcs.begin();
    for (const Arc& a : drawn.arcs) {
      EXPECT_EQ(a.startAngle, arcIt->startAngle);
      EXPECT_EQ(a.endAngle, arcIt->endAngle);
      ++arcIt;
    }
    EXPECT_EQ(drawn.circles.size(), plain.drawing.circles.size());
  }
  EXPECT_EQ(accepted, 9u + 8u);  // the plain reader's nine and the example's eight
}

// Where the reading closes a gap, the operator is told where and how wide, and the drawing the
// cutter gets holds the closing line; a gap above what any reading closes refuses the drawing
// with the place, the gap and the option that widens the tolerance.
TEST(DxfOneReadingTest, GapsClosedAreNamedAndDrawn) {
  testing::ScratchFolder scratch;
  struct Case {
    const char* name;
    double gap;
    const char* gapText;
    std::string hole;  // a circle, or nothing
  };
  for (const Case& c : {Case{"hand_drawn", 0.2, "0.2", ""}, Case{"fine", 0.05, "0.05", ""},
                        Case{"with_hole", 0.2, "0.2", circleEntity(75, 50, 10)}}) {
    SCOPED_TRACE(c.name);
    const std::string bytes =
        dxfEntities(lineEntity(0, 0, 150 - c.gap, 0) + lineEntity(150, 0, 150, 100) + lineEntity(150, 100, 0, 100) +
                lineEntity(0, 100, 0, 0) + c.hole);
    const std::filesystem::path path = scratch.write(std::string(c.name) + ".dxf", bytes);
    const ListRead listed = readListed(path);
    ASSERT_EQ(listed.job.parts.size(), 1u);
    ASSERT_EQ(listed.messages.size(), 1u);
    const std::string said = std::string(c.name) + ".dxf: gap of " + c.gapText + " mm closed at (";
    EXPECT_TRUE(listed.messages[0] == said + "150, 0)" ||
                listed.messages[0] == said + formatG(150 - c.gap) + ", 0)")
        << listed.messages[0];
    // The closing line joins the two loose ends; every end of the drawing now meets another.
    const std::vector<std::pair<double, double>> ends = endsOf(listed.job.drawings[0].lines);
    ASSERT_EQ(ends.size(), 10u);
    EXPECT_EQ(std::count(ends.begin(), ends.end(), std::make_pair(150.0, 0.0)), 2);
    EXPECT_EQ(std::count(ends.begin(), ends.end(), std::make_pair(150 - c.gap, 0.0)), 2);
    for (const auto& end : ends) EXPECT_EQ(std::count(ends.begin(), ends.end(), end) % 2, 0);
  }

  const std::string wide = dxfEntities(lineEntity(0, 0, 149, 0) + lineEntity(150, 0, 150, 100) +
                                   lineEntity(150, 100, 0, 100) + lineEntity(0, 100, 0, 0));
  const ListRead refused = readListed(scratch.write("wide.dxf", wide));
  EXPECT_TRUE(refused.job.parts.empty());
  ASSERT_EQ(refused.job.rejected.size(), 1u);
  const std::string& reason = refused.job.rejected[0].detail;
  EXPECT_TRUE(reason.starts_with("outline not closed near (1")) << reason;
  EXPECT_TRUE(reason.ends_with(", 0): gap 1 mm is above the join tolerance 0.1 mm; see "
                               "--dxf-join-tolerance"))
      << reason;
  ASSERT_FALSE(refused.messages.empty());
  EXPECT_EQ(refused.messages.back(), "wide.dxf: " + reason);
  // A wider tolerance closes it, and says so.
  DxfReadOptions wider;
  wider.joinTolerance = 1.5;
  const ListRead closed = readListed(scratch / "wide.dxf", wider);
  EXPECT_EQ(closed.job.parts.size(), 1u);
  ASSERT_EQ(closed.messages.size(), 1u);
  EXPECT_TRUE(closed.messages[0].starts_with("wide.dxf: gap of 1 mm closed at (1"))
      << closed.messages[0];
}

// Lines of no length and arcs and circles of no radius carry no material: the part reads as
// if they were not there, with one warning for the drawing, plain or not.
TEST(DxfOneReadingTest, EmptyEntitiesAreSkippedWithOneWarning) {
  testing::ScratchFolder scratch;
  const std::string leftovers =
      lineEntity(100, 100, 100, 100) + circleEntity(100, 100, 0) + arcEntity(100, 100, 0, 0, 90);
  for (const std::string& outline :
       {rectangleLines(0, 0, 200, 150) + circleEntity(50, 50, 10), polylineRectangle(200, 150)}) {
    const std::filesystem::path clean = scratch.write("clean.dxf", dxfEntities(outline));
    const std::filesystem::path left = scratch.write("left.dxf", dxfEntities(leftovers + outline));
    const ListRead expected = readListed(clean);
    const ListRead r = readListed(left);
    ASSERT_EQ(expected.job.parts.size(), 1u);
    EXPECT_TRUE(expected.messages.empty());
    EXPECT_EQ(r.messages, std::vector<std::string>{"left.dxf: 3 empty entities skipped"});
    ASSERT_EQ(r.job.parts.size(), 1u);
    expectSamePart(r.job.parts[0], expected.job.parts[0]);
    EXPECT_EQ(r.job.drawings[0].lines.size(), expected.job.drawings[0].lines.size());
    EXPECT_EQ(r.job.drawings[0].arcs.size(), 0u);
    EXPECT_EQ(r.job.drawings[0].circles.size(), expected.job.drawings[0].circles.size());
  }
  const ListRead one = readListed(
      scratch.write("one.dxf", dxfEntities(rectangleLines(0, 0, 200, 150) + lineEntity(5, 5, 5, 5))));
  EXPECT_EQ(one.messages, std::vector<std::string>{"one.dxf: 1 empty entity skipped"});
  EXPECT_EQ(one.job.parts.size(), 1u);
}

}  // namespace
}  // namespace platenest
