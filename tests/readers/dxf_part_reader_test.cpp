// The DXF part reader: exact entity and group-code lines, entity values, chains of chords
// into polygons, the largest polygon as the outline, names and thickness from TEXT.
#include "readers/dxf_part_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "support/messages.h"
#include "test_support/dxf_text.h"

namespace platenest {
namespace {

using testing::arcEntity;
using testing::circleEntity;
using testing::dxfEntities;
using testing::dxfNumber;
using testing::dxfPairs;
using testing::lineEntity;
using testing::rectangleLines;

const std::string kFewerThanThree = "读取得到的零件顶点数目少于3!";
const std::string kNotClosed = "读取得到的零件顶点无法构成多边形面域!";


std::string text(const std::string& value, double x, double y, double h, double angle) {
  return dxfPairs({{"  0", "TEXT"},
                {" 10", dxfNumber(x)},
                {" 20", dxfNumber(y)},
                {" 40", dxfNumber(h)},
                {"  1", value},
                {" 50", dxfNumber(angle)}});
}

struct ReadResult {
  bool ok = false;
  PlacedPart part;
  std::vector<std::string> messages;
};

ReadResult read(const std::string& bytes) {
  RecordingMessageSink sink;
  ScopedMessageSink guard(&sink);
  LineReader reader;
  reader.openBytes(bytes);
  ReadResult result;
  result.ok = readDxfPart(result.part, reader);
  result.messages = sink.texts();
  return result;
}

DxfEntities scan(const std::string& bytes) {
  LineReader reader;
  reader.openBytes(bytes);
  DxfEntities entities;
  scanDxfEntities(reader, entities);
  return entities;
}

// The area of the polygon a circle of radius r becomes with chord error 1: corners at
// 0, a, 2a, ... ka degrees, a = 2 acos(1 - 1/r), and the closing chord back to 0.
double circlePolygonArea(double r) {
  const double a = 2 * std::acos(1 - 1 / r);
  const int k = static_cast<int>(2 * kPi / a);
  return 0.5 * r * r * (k * std::sin(a) + std::sin(2 * kPi - k * a));
}

TEST(DxfPartReaderTest, RectangleWithCircleHole) {
  const ReadResult r = read(dxfEntities(rectangleLines(0, 0, 100, 50) + circleEntity(30, 25, 10)));
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.messages.empty());
  const PlacedPart& part = r.part;
  EXPECT_EQ(part.outer.vertexCount(), 4);
  EXPECT_EQ(part.outer.area(), 5000.0);
  ASSERT_EQ(part.holes.count(), 1);
  EXPECT_EQ(part.holes[0].vertexCount(), 7);  // six chords of 51.7 degrees and a short one
  EXPECT_NEAR(part.holes[0].area(), circlePolygonArea(10), 1e-9);
  EXPECT_EQ(part.area(), 5000.0 - part.holes[0].area());
  EXPECT_EQ(part.box().maxX, 100.0);
  EXPECT_EQ(part.box().maxY, 50.0);
  EXPECT_EQ(part.rectangularity(), 1.0);
  EXPECT_EQ(part.aspectRatio(), 2.0);
  EXPECT_EQ(part.refPoint.x, part.outer.vertex(0).x);
  EXPECT_EQ(part.refPoint.y, part.outer.vertex(0).y);
  EXPECT_GT(part.centroid().x, 50.0);  // the hole left of centre
  EXPECT_NEAR(part.centroid().y, 25.0, 0.1);
  EXPECT_EQ(part.label.text, "empty text!");
}

// The same outline written in other ways: lines reversed and reordered, the hole first,
// CR LF line ends, sections and entities the reader ignores.
std::vector<std::pair<std::string, std::string>> writings() {
  const std::string plain = dxfEntities(rectangleLines(0, 0, 100, 50) + circleEntity(30, 25, 10));
  std::string crlf;
  for (char c : plain) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return {
      {"plain", plain},
      {"reversed", dxfEntities(lineEntity(0, 50, 0, 0) + lineEntity(100, 50, 0, 50) + lineEntity(100, 0, 100, 50) +
                           lineEntity(0, 0, 100, 0) + circleEntity(30, 25, 10))},
      {"shuffled", dxfEntities(circleEntity(30, 25, 10) + lineEntity(100, 0, 100, 50) + lineEntity(0, 50, 0, 0) +
                           lineEntity(0, 0, 100, 0) + lineEntity(0, 50, 100, 50))},
      {"crlf", crlf},
      {"dressed", dxfPairs({{"  0", "SECTION"},
                         {"  2", "HEADER"},
                         {"  9", "$ACADVER"},
                         {"  1", "AC1009"},
                         {"  9", "$EXTMIN"},
                         {" 10", "0"},
                         {" 20", "0"},
                         {"  0", "ENDSEC"}}) +
                      dxfEntities(dxfPairs({{"  0", "POINT"},
                                     {" 10", "500"},
                                     {" 20", "500"},
                                     {"  0", "LWPOLYLINE"},
                                     {" 10", "300"},
                                     {" 20", "300"}}) +
                              rectangleLines(0, 0, 100, 50) + circleEntity(30, 25, 10))},
  };
}

class DxfWritingTest : public ::testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(DxfWritingTest, GivesTheSamePart) {
  const ReadResult expected = read(writings().front().second);
  const ReadResult r = read(GetParam().second);
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.messages.empty());
  EXPECT_EQ(r.part.holes.count(), 1);
  EXPECT_DOUBLE_EQ(r.part.area(), expected.part.area());
  std::set<std::pair<double, double>> corners;
  for (const Point& p : r.part.outer.vertices()) corners.insert({p.x, p.y});
  EXPECT_EQ(corners, (std::set<std::pair<double, double>>{{0, 0}, {100, 0}, {100, 50}, {0, 50}}));
  EXPECT_NEAR(r.part.centroid().x, expected.part.centroid().x, 1e-9);
  EXPECT_NEAR(r.part.centroid().y, expected.part.centroid().y, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Writings, DxfWritingTest, ::testing::ValuesIn(writings()),
                         [](const auto& info) { return info.param.first; });

// What the scanner takes from lines: only exact entity names and right-aligned codes of the
// entity at hand; an entity lacking a value, or with a value that is not a finite number,
// is left out rather than given a zero; an entity ends at "  0" or at the end of the file.
TEST(DxfPartReaderTest, ScannerTable) {
  struct Case {
    const char* name;
    std::string bytes;
    std::size_t lines, circles, arcs;
  };
  const std::string complete = "  0\nLINE\n 10\n0\n 20\n0\n 11\n5\n 21\n0\n";
  std::vector<Case> cases = {
      {"exact", complete + "  0\n", 1, 0, 0},
      {"name_with_blank", "  0\nLINE \n 10\n0\n 20\n0\n 11\n5\n 21\n0\n", 0, 0, 0},
      {"lower_case_name", "  0\nline\n 10\n0\n 20\n0\n 11\n5\n 21\n0\n", 0, 0, 0},
      {"unpadded_codes", "  0\nLINE\n10\n0\n20\n0\n11\n5\n21\n0\n", 0, 0, 0},
      {"code_with_blank", "  0\nLINE\n 10 \n0\n 20\n0\n 11\n5\n 21\n0\n", 0, 0, 0},
      // " 40" is no LINE code, so " 11" after it is still read as a code.
      {"foreign_code", "  0\nLINE\n 10\n0\n 20\n0\n 40\n 11\n5\n 21\n0\n", 1, 0, 0},
      {"unpadded_zero_ends_nothing", "  0\nLINE\n 10\n0\n 20\n0\n0\nLINE\n 11\n5\n 21\n0\n", 1, 0,
       0},
      {"ends_with_the_file", complete.substr(0, complete.size() - 1), 1, 0, 0},
      {"code_without_value", "  0\nCIRCLE\n 10\n1\n 20\n2\n 40\n", 0, 0, 0},
      {"layer_named_line_in_a_table",
       "  0\nTABLE\n  2\nLAYER\n  0\nLAYER\n  2\nLINE\n 70\n0\n  0\nENDTAB\n", 0, 0, 0},
      {"layer_named_line_carries_coordinates",
       "  0\nPOINT\n  8\nLINE\n 10\n0\n 20\n50\n 11\n0\n 21\n0\n  0\n", 1, 0, 0},
      {"line_value_inside_a_circle", "  0\nCIRCLE\n  8\nLINE\n 10\n1\n 20\n2\n 40\n3\n  0\n", 0, 1,
       0},
  };
  const std::vector<std::pair<std::string, std::vector<std::string>>> entities = {
      {"LINE", {" 10", " 20", " 11", " 21"}},
      {"CIRCLE", {" 10", " 20", " 40"}},
      {"ARC", {" 10", " 20", " 40", " 50", " 51"}}};
  for (const auto& [entity, codes] : entities) {
    for (std::size_t changed = 0; changed < codes.size(); ++changed) {
      for (const char* value : {"", "nan", "inf"}) {
        std::string bytes = "  0\n" + entity + "\n";
        for (std::size_t i = 0; i < codes.size(); ++i) {
          if (i != changed) bytes += codes[i] + "\n5\n";
          if (i == changed && *value != '\0') bytes += codes[i] + "\n" + value + "\n";
        }
        cases.push_back({"incomplete", bytes, 0, 0, 0});
      }
    }
  }
  for (const Case& c : cases) {
    const DxfEntities e = scan(c.bytes);
    EXPECT_EQ(e.segments.size(), c.lines) << c.name << "\n" << c.bytes;
    EXPECT_EQ(e.circles.size(), c.circles) << c.name << "\n" << c.bytes;
    EXPECT_EQ(e.arcs.size(), c.arcs) << c.name << "\n" << c.bytes;
  }
}

// Parts that are refused, and what the operator is told.
TEST(DxfPartReaderTest, RefusedParts) {
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::string> messages;
  };
  const std::string threeSides = lineEntity(0, 0, 100, 0) + lineEntity(100, 0, 100, 50) + lineEntity(100, 50, 0, 50);
  const std::vector<Case> cases = {
      // Nothing at all, not even "EOF": perhaps a download cut at its first byte.
      {"empty_file",
       "",
       {"the drawing has no closing \"EOF\" line: the file may be cut short, and parts or holes "
        "may be missing"}},
      {"two_lines", dxfEntities(lineEntity(0, 0, 1, 0) + lineEntity(1, 0, 0, 0)), {}},
      {"text_only", dxfEntities(text("name:A", 0, 0, 1, 0)), {}},
      // The chain starts at the first line and stops at once at a 0.5 or 0.6 gap.
      {"gap_0.5",
       dxfEntities(lineEntity(0, 0, 99.5, 0) + lineEntity(100, 0, 100, 50) + lineEntity(100, 50, 0, 50) +
               lineEntity(0, 50, 0, 0)),
       {kFewerThanThree}},
      {"gap_0.6",
       dxfEntities(lineEntity(0, 0, 99.4, 0) + lineEntity(100, 0, 100, 50) + lineEntity(100, 50, 0, 50) +
               lineEntity(0, 50, 0, 0)),
       {kFewerThanThree}},
      {"open_chain", dxfEntities(threeSides), {kNotClosed}},
      // A real edge that is unreadable or incomplete breaks the chain instead of bending it.
      {"unpadded_edge",
       dxfEntities(threeSides + "  0\nLINE\n10\n0\n20\n50\n11\n0\n21\n0\n"),
       {kNotClosed}},
      {"edge_without_end_y",
       dxfEntities(threeSides + "  0\nLINE\n 10\n0\n 20\n50\n 11\n0\n"),
       {kNotClosed}},
      // Closed chains without area: a doubled line, collinear chords.
      {"doubled_line",
       dxfEntities(lineEntity(10, 10, 20, 10) + lineEntity(20, 10, 10, 10) + rectangleLines(0, 0, 100, 50)),
       {kFewerThanThree}},
      {"collinear",
       dxfEntities(lineEntity(10, 10, 20, 10) + lineEntity(20, 10, 30, 10) + lineEntity(30, 10, 10, 10) +
               rectangleLines(0, 0, 100, 50)),
       {kNotClosed}},
      // Radii and angles no drawing can mean: refused promptly, memory untouched.
      {"huge_radius", dxfEntities(rectangleLines(0, 0, 100, 50) + circleEntity(0, 0, 1e300)), {}},
      {"huge_arc_radius", dxfEntities(rectangleLines(0, 0, 100, 50) + arcEntity(0, 0, 1e300, 0, 90)), {}},
      {"huge_start_angle", dxfEntities(rectangleLines(0, 0, 100, 50) + arcEntity(0, 0, 10, 1e300, 0)), {}},
      {"huge_end_angle", dxfEntities(rectangleLines(0, 0, 100, 50) + arcEntity(0, 0, 10, 0, -1e300)), {}},
  };
  for (const Case& c : cases) {
    const ReadResult r = read(c.bytes);
    EXPECT_FALSE(r.ok) << c.name;
    EXPECT_EQ(r.messages, c.messages) << c.name;
  }
  RecordingMessageSink sink;
  ScopedMessageSink guard(&sink);
  PlacedPart part;
  EXPECT_FALSE(readDxfPart(part, "/nonexistent/platenest/part.dxf"));
  EXPECT_TRUE(sink.messages().empty());
}

TEST(DxfPartReaderTest, CornersMissingByLessThanHalfAMillimetreChain) {
  const double g = 0.4;
  const ReadResult r = read(dxfEntities(lineEntity(0, 0, 100 - g, 0) + lineEntity(100, 0, 100, 50 - g) +
                                    lineEntity(100, 50, g, 50) + lineEntity(0, 50, 0, g)));
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.messages.empty());
  EXPECT_EQ(r.part.outer.vertexCount(), 4);
  EXPECT_NEAR(r.part.area(), 5000.0, 150 * g);
}

TEST(DxfPartReaderTest, AnArcAcrossZeroDegrees) {
  const DxfEntities entities = scan(arcEntity(0, 0, 500, 350, 10));
  ASSERT_EQ(entities.arcs.size(), 1u);
  EXPECT_EQ(entities.arcs.front().startAngle, 350.0);
  EXPECT_EQ(entities.arcs.front().endAngle, 370.0);

  // With its chord: cut every 10 degrees, so through the point at 0 degrees.
  const double s = std::sin(10.0 / 180 * kPi);
  const double c = std::cos(10.0 / 180 * kPi);
  const ReadResult r =
      read(dxfEntities(arcEntity(0, 0, 500, 350, 10) + lineEntity(500 * c, 500 * s, 500 * c, -500 * s)));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.part.outer.vertexCount(), 3);
  EXPECT_NEAR(r.part.box().maxX, 500.0, 1e-9);
  EXPECT_NEAR(r.part.area(), 500.0 * 500.0 * s * (1 - c), 1e-6);
}

TEST(DxfPartReaderTest, TheLargestPolygonIsTheOutline) {
  const ReadResult ring = read(dxfEntities(circleEntity(0, 0, 20) + circleEntity(0, 0, 90)));
  ASSERT_TRUE(ring.ok);
  ASSERT_EQ(ring.part.holes.count(), 1);
  EXPECT_EQ(ring.part.box().maxX, 90.0);
  EXPECT_NEAR(ring.part.area(), circlePolygonArea(90) - circlePolygonArea(20), 1e-6);

  // Holes are inserted at the front in polygon-list order: drawing order comes back.
  const ReadResult plate =
      read(dxfEntities(rectangleLines(0, 0, 100, 50) + circleEntity(20, 25, 10) + circleEntity(70, 25, 10)));
  ASSERT_TRUE(plate.ok);
  ASSERT_EQ(plate.part.holes.count(), 2);
  EXPECT_EQ(plate.part.holes[0].box().maxX, 30.0);
  EXPECT_EQ(plate.part.holes[1].box().maxX, 80.0);

  // Beside a larger outline, two equal ones are both holes; alone, two equal outlines
  // leave no area and no part.
  const ReadResult twins = read(dxfEntities(rectangleLines(0, 0, 50, 50) + rectangleLines(200, 0, 250, 50) +
                                        rectangleLines(-100, -100, 300, 200)));
  ASSERT_TRUE(twins.ok);
  EXPECT_EQ(twins.part.holes.count(), 2);
  EXPECT_EQ(twins.part.area(), 120000.0 - 5000.0);
  const ReadResult pair = read(dxfEntities(rectangleLines(0, 0, 50, 50) + rectangleLines(200, 0, 250, 50)));
  EXPECT_FALSE(pair.ok);
  EXPECT_TRUE(pair.messages.empty());

  // A circle too small for the chord error is refused by the cutting, with its message,
  // and the rest of the part stands.
  const ReadResult small = read(dxfEntities(rectangleLines(0, 0, 100, 50) + circleEntity(50, 25, 0.8)));
  ASSERT_TRUE(small.ok);
  EXPECT_EQ(small.part.holes.count(), 0);
  EXPECT_EQ(small.messages, std::vector<std::string>{"弓高误差错误!"});
}

struct TextCase {
  const char* name;
  std::string entities;
  TextLabel label;
  TextLabel secondLabel;
};

TextLabel label(std::string s, double x, double y, double angle, double height) {
  return TextLabel{std::move(s), x, y, angle, height};
}

std::vector<TextCase> textCases() {
  const TextLabel none;
  const std::string l43(43, 'L');
  return {
      {"name", text("name:BRACKET-7", 20, 30, 5, 90), label("BRACKET-7", 20, 30, 90, 5), none},
      {"thick", text("thick=12", 1, 2, 3, 45), none, label("12", 1, 2, 45, 3)},
      {"other", text("material S235", 1, 2, 3, 0), none, none},
      {"capital_name", text("NAME:X", 1, 2, 3, 0), none, none},
      {"empty_name", text("name:", 1, 2, 3, 0), label("", 1, 2, 0, 3), none},
      {"without_angle",
       dxfPairs({{"  0", "TEXT"}, {" 10", "7"}, {" 20", "8"}, {" 40", "2"}, {"  1", "name:A"}}),
       label("A", 7, 8, 0, 2), none},
      {"without_position_or_height", dxfPairs({{"  0", "TEXT"}, {"  1", "name:A"}, {" 50", "30"}}),
       label("A", 0, 0, 30, 10), none},
      {"later_text_wins",
       text("name:FIRST", 1, 1, 1, 1) + text("thick=3", 2, 2, 2, 2) +
           text("name:SECOND", 5, 6, 7, 8),
       label("SECOND", 5, 6, 8, 7), label("3", 2, 2, 2, 2)},
      {"later_code_wins",
       dxfPairs({{"  0", "TEXT"}, {" 10", "1"}, {" 10", "2"}, {"  1", "name:A"}, {"  1", "name:B"}}),
       label("B", 2, 0, 0, 10), none},
      {"cut_at_48", text("name:" + l43 + "TAIL", 0, 0, 1, 0), label(l43, 0, 0, 0, 1), none},
      // A character across the cut is dropped whole, in UTF-8 and in GBK (0xC1 0xE3).
      {"utf8_not_split", text("name:" + std::string(42, 'u') + "零件", 0, 0, 1, 0),
       label(std::string(42, 'u'), 0, 0, 0, 1), none},
      {"gbk_not_split", text("name:" + std::string(42, 'g') + "\xC1\xE3x", 0, 0, 1, 0),
       label(std::string(42, 'g'), 0, 0, 0, 1), none},
  };
}

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class DxfTextTest : public ::testing::TestWithParam<TextCase> {};

void expectLabel(const TextLabel& actual, const TextLabel& expected) {
  EXPECT_EQ(actual.text, expected.text);
  EXPECT_EQ(actual.x, expected.x);
  EXPECT_EQ(actual.y, expected.y);
  EXPECT_EQ(actual.angle, expected.angle);
  EXPECT_EQ(actual.height, expected.height);
}

TEST_P(DxfTextTest, SetsTheLabels) {
  const ReadResult r = read(dxfEntities(rectangleLines(0, 0, 100, 50) + GetParam().entities));
  ASSERT_TRUE(r.ok);
  expectLabel(r.part.label, GetParam().label);
  expectLabel(r.part.secondLabel, GetParam().secondLabel);
}

INSTANTIATE_TEST_SUITE_P(Texts, DxfTextTest, ::testing::ValuesIn(textCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace platenest
