// The DXF part reader: exact entity and group-code lines, entity values, chains of chords
// into polygons, the largest polygon as the outline, names and thickness from TEXT.
#include "parts/dxf_part_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "geometry/point.h"
#include "support/line_reader.h"
#include "support/messages.h"

namespace platenest {
namespace {

const std::string kFewerThanThree = "读取得到的零件顶点数目少于3!";
const std::string kNotClosed = "读取得到的零件顶点无法构成多边形面域!";

std::string number(double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.17g", v);
  return buffer;
}

// The entities of a drawing as an ASCII DXF writes them: a right-aligned group code line,
// then its value line.
class Dxf {
 public:
  Dxf& pair(const std::string& code, const std::string& value) {
    body_ += code + "\n" + value + "\n";
    return *this;
  }
  Dxf& raw(const std::string& lines) {
    body_ += lines;
    return *this;
  }
  Dxf& line(double x1, double y1, double x2, double y2) {
    return pair("  0", "LINE")
        .pair("  8", "CUT")
        .pair(" 10", number(x1))
        .pair(" 20", number(y1))
        .pair(" 30", "0.0")
        .pair(" 11", number(x2))
        .pair(" 21", number(y2))
        .pair(" 31", "0.0");
  }
  Dxf& circle(double cx, double cy, double r) {
    return pair("  0", "CIRCLE")
        .pair(" 10", number(cx))
        .pair(" 20", number(cy))
        .pair(" 40", number(r));
  }
  Dxf& arc(double cx, double cy, double r, double start, double end) {
    return pair("  0", "ARC")
        .pair(" 10", number(cx))
        .pair(" 20", number(cy))
        .pair(" 40", number(r))
        .pair(" 50", number(start))
        .pair(" 51", number(end));
  }
  Dxf& rectangle(double x, double y, double w, double h) {
    return line(x, y, x + w, y)
        .line(x + w, y, x + w, y + h)
        .line(x + w, y + h, x, y + h)
        .line(x, y + h, x, y);
  }
  // The entities between an ENTITIES section head and the end of the file.
  std::string str() const {
    return "  0\nSECTION\n  2\nENTITIES\n" + body_ + "  0\nENDSEC\n  0\nEOF\n";
  }
  const std::string& body() const { return body_; }

 private:
  std::string body_;
};

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

// The area of the polygon a circle of radius r becomes with chord error 1: k + 1 corners at
// 0, a, 2a, ... ka degrees, a = 2 acos(1 - 1/r).
double circlePolygonArea(double r) {
  const double a = 2 * std::acos(1 - 1 / r);
  const int k = static_cast<int>(2 * kPi / a);
  return 0.5 * r * r * (k * std::sin(a) + std::sin(2 * kPi - k * a));
}

TEST(DxfPartReaderTest, RectangleWithCircleHole) {
  const ReadResult r = read(Dxf().rectangle(0, 0, 100, 50).circle(30, 25, 10).str());
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.messages.empty());
  const PlacedPart& part = r.part;
  EXPECT_EQ(part.outer.vertexCount(), 4);
  EXPECT_DOUBLE_EQ(part.outer.area(), 5000.0);
  ASSERT_EQ(part.holes.count(), 1);
  const Polygon& hole = part.holes[0];
  EXPECT_EQ(hole.vertexCount(), 7);  // 360 / 51.7 degrees: six chords and a short seventh
  EXPECT_NEAR(hole.area(), circlePolygonArea(10), 1e-9);
  EXPECT_EQ(part.area, 5000.0 - hole.area());

  EXPECT_EQ(part.box.minX, 0.0);
  EXPECT_EQ(part.box.maxX, 100.0);
  EXPECT_EQ(part.box.minY, 0.0);
  EXPECT_EQ(part.box.maxY, 50.0);
  EXPECT_EQ(part.rectangularity, 1.0);
  EXPECT_EQ(part.aspectRatio, 2.0);
  EXPECT_EQ(part.rotation, 0.0);
  EXPECT_EQ(part.refPoint.x, part.outer.vertex(0).x);
  EXPECT_EQ(part.refPoint.y, part.outer.vertex(0).y);
  // The hole left of centre moves the centroid of the remaining area to the right.
  EXPECT_GT(part.centroid.x, 50.0);
  EXPECT_NEAR(part.centroid.y, 25.0, 0.1);
  EXPECT_EQ(part.label.text, "empty text!");
  EXPECT_EQ(part.secondLabel.text, "empty text!");
  EXPECT_EQ(part.chordTolerance, 1.0);
}

// The same outline written in other ways: lines reversed or reordered, the hole first,
// CR LF line ends, sections and entities the reader ignores.
struct WritingCase {
  const char* name;
  std::string bytes;
};

std::string crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::vector<WritingCase> writings() {
  const std::string plain = Dxf().rectangle(0, 0, 100, 50).circle(30, 25, 10).str();
  const std::string reversed = Dxf()
                                   .line(0, 50, 0, 0)
                                   .line(100, 50, 0, 50)
                                   .line(100, 0, 100, 50)
                                   .line(0, 0, 100, 0)
                                   .circle(30, 25, 10)
                                   .str();
  const std::string shuffled = Dxf()
                                   .circle(30, 25, 10)
                                   .line(100, 0, 100, 50)
                                   .line(0, 50, 0, 0)
                                   .line(0, 0, 100, 0)
                                   .line(0, 50, 100, 50)
                                   .str();
  const std::string dressed =
      "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1009\n  9\n$EXTMIN\n 10\n0.0\n 20\n"
      "0.0\n  0\nENDSEC\n  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLAYER\n 70\n1\n  0\n"
      "LAYER\n  2\nCUT\n 70\n0\n 62\n7\n  6\nCONTINUOUS\n  0\nENDTAB\n  0\nENDSEC\n" +
      Dxf()
          .pair("  0", "POINT")
          .pair(" 10", "500")
          .pair(" 20", "500")
          .pair("  0", "LWPOLYLINE")
          .pair(" 90", "2")
          .pair(" 10", "300")
          .pair(" 20", "300")
          .pair(" 10", "400")
          .pair(" 20", "300")
          .rectangle(0, 0, 100, 50)
          .circle(30, 25, 10)
          .str();
  return {{"plain", plain},
          {"reversed", reversed},
          {"shuffled", shuffled},
          {"crlf", crlf(plain)},
          {"dressed", dressed}};
}

class DxfWritingTest : public ::testing::TestWithParam<WritingCase> {};

TEST_P(DxfWritingTest, GivesTheSamePart) {
  const ReadResult expected = read(writings().front().bytes);
  const ReadResult r = read(GetParam().bytes);
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.messages.empty());
  EXPECT_EQ(r.part.outer.vertexCount(), 4);
  EXPECT_EQ(r.part.holes.count(), 1);
  EXPECT_DOUBLE_EQ(r.part.area, expected.part.area);
  EXPECT_EQ(r.part.box.minX, 0.0);
  EXPECT_EQ(r.part.box.maxX, 100.0);
  EXPECT_EQ(r.part.box.minY, 0.0);
  EXPECT_EQ(r.part.box.maxY, 50.0);
  std::set<std::pair<double, double>> corners;
  for (const Point& p : r.part.outer.vertices()) corners.insert({p.x, p.y});
  EXPECT_EQ(corners, (std::set<std::pair<double, double>>{{0, 0}, {100, 0}, {100, 50}, {0, 50}}));
  EXPECT_NEAR(r.part.centroid.x, expected.part.centroid.x, 1e-9);
  EXPECT_NEAR(r.part.centroid.y, expected.part.centroid.y, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Writings, DxfWritingTest, ::testing::ValuesIn(writings()),
                         [](const auto& info) { return std::string(info.param.name); });

// Corners that miss each other by less than 0.5 mm still chain; a gap of 0.5 or more stops
// the chain and rejects the part with one chain message.
TEST(DxfPartReaderTest, CornerGapsAreBridgedBelowHalfAMillimetre) {
  const double g = 0.4;
  const ReadResult near = read(Dxf()
                                   .line(0, 0, 100 - g, 0)
                                   .line(100, 0, 100, 50 - g)
                                   .line(100, 50, g, 50)
                                   .line(0, 50, 0, g)
                                   .str());
  ASSERT_TRUE(near.ok);
  EXPECT_TRUE(near.messages.empty());
  EXPECT_EQ(near.part.outer.vertexCount(), 4);
  EXPECT_NEAR(near.part.area, 5000.0, 100 * g + 50 * g);

  for (const double gap : {0.5, 0.6, 5.0}) {
    SCOPED_TRACE(gap);
    const ReadResult open = read(Dxf()
                                     .line(0, 0, 100 - gap, 0)
                                     .line(100, 0, 100, 50)
                                     .line(100, 50, 0, 50)
                                     .line(0, 50, 0, 0)
                                     .str());
    EXPECT_FALSE(open.ok);
    ASSERT_EQ(open.messages.size(), 1u);
    EXPECT_TRUE(open.messages[0] == kNotClosed || open.messages[0] == kFewerThanThree)
        << open.messages[0];
  }
}

struct TextCase {
  const char* name;
  std::string entity;  // the lines after "TEXT"
  TextLabel label;
  TextLabel secondLabel;
};

TextLabel labelOf(std::string text, double x, double y, double angle, double height) {
  TextLabel label;
  label.text = std::move(text);
  label.x = x;
  label.y = y;
  label.angle = angle;
  label.height = height;
  return label;
}

std::string textEntity(const std::string& value, double x, double y, double h, double angle) {
  return Dxf()
      .pair("  8", "MARK")
      .pair(" 10", number(x))
      .pair(" 20", number(y))
      .pair(" 30", "0.0")
      .pair(" 40", number(h))
      .pair("  1", value)
      .pair(" 50", number(angle))
      .body();
}

std::vector<TextCase> textCases() {
  const TextLabel none;
  const std::string long43(43, 'L');
  // 42 bytes after "name:" and a three-byte character across the 48-byte cut.
  const std::string utf8Name = std::string(42, 'u') + "零件";
  // The same with a two-byte GBK character (0xC1 0xE3) across the cut.
  const std::string gbkName = std::string(42, 'g') + "\xC1\xE3" + "x";
  return {
      {"name", textEntity("name:BRACKET-7", 20, 30, 5, 90), labelOf("BRACKET-7", 20, 30, 90, 5),
       none},
      {"thick", textEntity("thick=12", 1, 2, 3, 45), none, labelOf("12", 1, 2, 45, 3)},
      {"other", textEntity("material S235", 1, 2, 3, 0), none, none},
      {"capital_name", textEntity("NAME:X", 1, 2, 3, 0), none, none},
      {"empty_name", textEntity("name:", 1, 2, 3, 0), labelOf("", 1, 2, 0, 3), none},
      {"without_angle",
       Dxf().pair(" 10", "7").pair(" 20", "8").pair(" 40", "2").pair("  1", "name:A").body(),
       labelOf("A", 7, 8, 0, 2), none},
      {"without_position_or_height", Dxf().pair("  1", "name:A").pair(" 50", "30").body(),
       labelOf("A", 0, 0, 30, 10), none},
      {"later_code_wins",
       Dxf()
           .pair(" 10", "1")
           .pair(" 10", "2")
           .pair(" 20", "3")
           .pair(" 40", "4")
           .pair("  1", "name:A")
           .pair("  1", "name:B")
           .body(),
       labelOf("B", 2, 3, 0, 4), none},
      {"cut_at_48", textEntity("name:" + long43 + "TAIL", 0, 0, 1, 0), labelOf(long43, 0, 0, 0, 1),
       none},
      {"utf8_not_split", textEntity("name:" + utf8Name, 0, 0, 1, 0),
       labelOf(std::string(42, 'u'), 0, 0, 0, 1), none},
      {"gbk_not_split", textEntity("name:" + gbkName, 0, 0, 1, 0),
       labelOf(std::string(42, 'g'), 0, 0, 0, 1), none},
  };
}

void expectLabel(const TextLabel& actual, const TextLabel& expected) {
  EXPECT_EQ(actual.text, expected.text);
  EXPECT_EQ(actual.x, expected.x);
  EXPECT_EQ(actual.y, expected.y);
  EXPECT_EQ(actual.angle, expected.angle);
  EXPECT_EQ(actual.height, expected.height);
}

class DxfTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(DxfTextTest, SetsTheLabels) {
  const TextCase& c = GetParam();
  const ReadResult r = read(Dxf().rectangle(0, 0, 100, 50).raw("  0\nTEXT\n" + c.entity).str());
  ASSERT_TRUE(r.ok);
  expectLabel(r.part.label, c.label);
  expectLabel(r.part.secondLabel, c.secondLabel);
}

INSTANTIATE_TEST_SUITE_P(Texts, DxfTextTest, ::testing::ValuesIn(textCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DxfPartReaderTest, ALaterMatchingTextReplacesTheEarlierOne) {
  const ReadResult r = read(Dxf()
                                .raw("  0\nTEXT\n" + textEntity("name:FIRST", 1, 1, 1, 1))
                                .raw("  0\nTEXT\n" + textEntity("thick=3", 2, 2, 2, 2))
                                .rectangle(0, 0, 10, 10)
                                .raw("  0\nTEXT\n" + textEntity("name:SECOND", 5, 6, 7, 8))
                                .str());
  ASSERT_TRUE(r.ok);
  expectLabel(r.part.label, labelOf("SECOND", 5, 6, 8, 7));
  expectLabel(r.part.secondLabel, labelOf("3", 2, 2, 2, 2));
}

// The scanner does not know sections or layers: a value line reading LINE starts a LINE
// entity. In a layer table it finds no coordinates and does no harm; among the entities it
// takes the coordinates that follow.
TEST(DxfPartReaderTest, AValueReadingLineStartsALineEntity) {
  const std::string table =
      "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLAYER\n 70\n1\n  0\nLAYER\n  2\nLINE\n 70\n"
      "0\n 62\n7\n  6\nCONTINUOUS\n  0\nENDTAB\n  0\nENDSEC\n";
  const ReadResult harmless = read(table + Dxf().rectangle(0, 0, 100, 50).str());
  ASSERT_TRUE(harmless.ok);
  EXPECT_EQ(harmless.part.outer.vertexCount(), 4);
  EXPECT_EQ(harmless.part.area, 5000.0);

  // The fourth edge is carried by a POINT on a layer named LINE.
  const ReadResult carried = read(Dxf()
                                      .line(0, 0, 100, 0)
                                      .line(100, 0, 100, 50)
                                      .line(100, 50, 0, 50)
                                      .pair("  0", "POINT")
                                      .pair("  8", "LINE")
                                      .pair(" 10", "0")
                                      .pair(" 20", "50")
                                      .pair(" 11", "0")
                                      .pair(" 21", "0")
                                      .str());
  ASSERT_TRUE(carried.ok);
  EXPECT_EQ(carried.part.area, 5000.0);

  // Inside an entity a LINE value is only a value: the CIRCLE keeps its centre and radius.
  const DxfEntities inside = scan(Dxf()
                                      .pair("  0", "CIRCLE")
                                      .pair("  8", "LINE")
                                      .pair(" 10", "1")
                                      .pair(" 20", "2")
                                      .pair(" 40", "3")
                                      .str());
  ASSERT_EQ(inside.circles.size(), 1u);
  EXPECT_TRUE(inside.segments.empty());
  EXPECT_EQ(inside.circles.front().radius, 3.0);
}

// Only the exact right-aligned forms count: "10", "10 " or " 10 " are not group codes, and
// "LINE " or "line" not entity names.
TEST(DxfPartReaderTest, OnlyExactLinesAreRecognised) {
  const auto unpadded = [](double x1, double y1, double x2, double y2) {
    return "  0\nLINE\n10\n" + number(x1) + "\n20\n" + number(y1) + "\n11\n" + number(x2) +
           "\n21\n" + number(y2) + "\n";
  };
  const ReadResult one = read(Dxf()
                                  .line(0, 0, 100, 0)
                                  .line(100, 0, 100, 50)
                                  .line(100, 50, 0, 50)
                                  .raw(unpadded(0, 50, 0, 0))
                                  .str());
  EXPECT_FALSE(one.ok);
  ASSERT_EQ(one.messages.size(), 1u);
  EXPECT_TRUE(one.messages[0] == kNotClosed || one.messages[0] == kFewerThanThree);

  const ReadResult all = read(Dxf()
                                  .raw(unpadded(0, 0, 100, 0))
                                  .raw(unpadded(100, 0, 100, 50))
                                  .raw(unpadded(100, 50, 0, 50))
                                  .raw(unpadded(0, 50, 0, 0))
                                  .str());
  EXPECT_FALSE(all.ok);
  EXPECT_TRUE(all.messages.empty());  // fewer than three segments: no message

  for (const std::string& text : {std::string("  0\nLINE \n 10\n0\n 20\n0\n 11\n1\n 21\n1\n"),
                                  std::string("  0\nline\n 10\n0\n 20\n0\n 11\n1\n 21\n1\n"),
                                  std::string("  0\nLINE\n 10 \n0\n 20\n0\n 11\n1\n 21\n1\n")}) {
    EXPECT_TRUE(scan(text).segments.empty()) << text;
  }
}

// Each entity listens only to its own codes: a code of another entity is an ordinary line,
// so its next line is still looked at. An unpadded 0 does not end an entity.
TEST(DxfPartReaderTest, EntitiesTakeOnlyTheirOwnCodes) {
  const DxfEntities foreign = scan("  0\nLINE\n 10\n0\n 20\n0\n 40\n 11\n100\n 21\n0\n  0\n");
  ASSERT_EQ(foreign.segments.size(), 1u);
  EXPECT_EQ(foreign.segments.front().end.x, 100.0);

  const DxfEntities unpaddedEnd = scan("  0\nLINE\n 10\n0\n 20\n0\n0\nLINE\n 11\n5\n 21\n0\n  0\n");
  ASSERT_EQ(unpaddedEnd.segments.size(), 1u);
  EXPECT_EQ(unpaddedEnd.segments.front().start.x, 0.0);
  EXPECT_EQ(unpaddedEnd.segments.front().end.x, 5.0);
}

// Among outlines of equal area the first of the polygon list, the one chained last, wins.
TEST(DxfPartReaderTest, EqualAreasKeepTheFirstPolygon) {
  const ReadResult r = read(Dxf().rectangle(0, 0, 50, 50).rectangle(200, 0, 50, 50).str());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.part.box.minX, 200.0);
  ASSERT_EQ(r.part.holes.count(), 1);
  EXPECT_EQ(r.part.holes[0].box().minX, 0.0);
}

TEST(DxfPartReaderTest, AnArcAcrossZeroDegrees) {
  const DxfEntities entities = scan(Dxf().arc(0, 0, 500, 350, 10).str());
  ASSERT_EQ(entities.arcs.size(), 1u);
  EXPECT_EQ(entities.arcs.front().startAngle, 350.0);
  EXPECT_EQ(entities.arcs.front().endAngle, 370.0);

  // The arc with its chord: cut every 10 degrees, so through the point at 0 degrees.
  const double s = std::sin(10.0 / 180 * kPi);
  const double c = std::cos(10.0 / 180 * kPi);
  const ReadResult r =
      read(Dxf().arc(0, 0, 500, 350, 10).line(500 * c, 500 * s, 500 * c, -500 * s).str());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.part.outer.vertexCount(), 3);
  EXPECT_NEAR(r.part.box.maxX, 500.0, 1e-9);
  for (const Point& p : r.part.outer.vertices()) EXPECT_GT(p.x, 490.0);
  EXPECT_NEAR(r.part.area, 500.0 * 500.0 * s * (1 - c), 1e-6);
}

// An entity that lacks a coordinate, radius or angle is left out, not given a zero.
TEST(DxfPartReaderTest, IncompleteEntitiesAreSkipped) {
  struct Case {
    std::string entity;
    std::vector<std::string> codes;
  };
  const std::vector<Case> cases = {
      {"LINE", {" 10", " 20", " 11", " 21"}},
      {"CIRCLE", {" 10", " 20", " 40"}},
      {"ARC", {" 10", " 20", " 40", " 50", " 51"}},
  };
  for (const Case& c : cases) {
    for (std::size_t left = 0; left < c.codes.size(); ++left) {
      Dxf dxf;
      dxf.pair("  0", c.entity);
      for (std::size_t i = 0; i < c.codes.size(); ++i) {
        if (i != left) dxf.pair(c.codes[i], "5");
      }
      const DxfEntities e = scan(dxf.str());
      EXPECT_TRUE(e.segments.empty() && e.circles.empty() && e.arcs.empty())
          << c.entity << " without " << c.codes[left];
    }
    // A value that is not a finite number counts as absent too.
    for (const char* bad : {"nan", "inf", "-infinity"}) {
      Dxf dxf;
      dxf.pair("  0", c.entity);
      for (std::size_t i = 0; i < c.codes.size(); ++i) dxf.pair(c.codes[i], i == 0 ? bad : "5");
      const DxfEntities e = scan(dxf.str());
      EXPECT_TRUE(e.segments.empty() && e.circles.empty() && e.arcs.empty())
          << c.entity << " with " << bad;
    }
  }

  // A real edge left out breaks the chain, and the part is rejected with its message.
  const ReadResult r = read(Dxf()
                                .line(0, 0, 100, 0)
                                .line(100, 0, 100, 50)
                                .line(100, 50, 0, 50)
                                .raw("  0\nLINE\n 10\n0\n 20\n50\n 11\n0\n")
                                .str());
  EXPECT_FALSE(r.ok);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_TRUE(r.messages[0] == kNotClosed || r.messages[0] == kFewerThanThree);
}

// An entity not closed by "  0" ends with the file; a group code on the last line has no
// value and sets nothing.
TEST(DxfPartReaderTest, TheFileEndEndsTheEntity) {
  const ReadResult r =
      read(Dxf().line(0, 0, 100, 0).line(100, 0, 100, 50).line(100, 50, 0, 50).body() +
           "  0\nLINE\n 10\n0\n 20\n50\n 11\n0\n 21\n0");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.part.area, 5000.0);

  const DxfEntities e = scan("  0\nCIRCLE\n 10\n1\n 20\n2\n 40\n");
  EXPECT_TRUE(e.circles.empty());
  const DxfEntities t = scan("  0\nTEXT\n 10\n1\n  1\n");
  expectLabel(t.label, TextLabel());
}

TEST(DxfPartReaderTest, TooFewSegmentsGiveNoPartAndNoMessage) {
  for (const std::string& bytes :
       {std::string(), Dxf().str(), Dxf().line(0, 0, 1, 0).line(1, 0, 0, 0).str(),
        std::string("  0\nTEXT\n  1\nname:ONLY\n")}) {
    const ReadResult r = read(bytes);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.messages.empty());
  }
}

// A closed chain that encloses no area (a doubled line, collinear chords) is refused: as a
// hole it would turn the part's centroid into 0/0.
TEST(DxfPartReaderTest, ChainsWithoutAreaAreRefused) {
  const ReadResult doubled =
      read(Dxf().line(10, 10, 20, 10).line(20, 10, 10, 10).rectangle(0, 0, 100, 50).str());
  EXPECT_FALSE(doubled.ok);
  EXPECT_EQ(doubled.messages, std::vector<std::string>{kFewerThanThree});

  const ReadResult collinear = read(Dxf()
                                        .line(10, 10, 20, 10)
                                        .line(20, 10, 30, 10)
                                        .line(30, 10, 10, 10)
                                        .rectangle(0, 0, 100, 50)
                                        .str());
  EXPECT_FALSE(collinear.ok);
  EXPECT_EQ(collinear.messages, std::vector<std::string>{kNotClosed});
}

TEST(DxfPartReaderTest, TheLargestPolygonIsTheOutline) {
  // A ring whose hole is drawn first, and a plate with two holes in drawing order.
  const ReadResult ring = read(Dxf().circle(0, 0, 20).circle(0, 0, 90).str());
  ASSERT_TRUE(ring.ok);
  ASSERT_EQ(ring.part.holes.count(), 1);
  EXPECT_NEAR(ring.part.box.maxX, 90.0, 1e-9);
  EXPECT_NEAR(ring.part.area, circlePolygonArea(90) - circlePolygonArea(20), 1e-6);

  const ReadResult plate =
      read(Dxf().rectangle(0, 0, 100, 50).circle(20, 25, 10).circle(70, 25, 10).str());
  ASSERT_TRUE(plate.ok);
  ASSERT_EQ(plate.part.holes.count(), 2);
  // Holes go to the front of the hole list in the order of the polygon list.
  EXPECT_NEAR(plate.part.holes[0].box().maxX, 30.0, 1e-9);
  EXPECT_NEAR(plate.part.holes[1].box().maxX, 80.0, 1e-9);
}

// A circle too small for the chord error is refused by the discretisation with its message
// and contributes nothing; the rest of the part stands.
TEST(DxfPartReaderTest, ACircleSmallerThanTheChordErrorIsLeftOut) {
  const ReadResult r = read(Dxf().rectangle(0, 0, 100, 50).circle(50, 25, 0.8).str());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.part.holes.count(), 0);
  EXPECT_EQ(r.messages, std::vector<std::string>{"弓高误差错误!"});
}

// Radii and angles no drawing can mean make the file unreadable, promptly and without
// exhausting memory.
TEST(DxfPartReaderTest, AbsurdRadiiAndAnglesRefuseThePart) {
  for (const std::string& entity :
       {Dxf().circle(0, 0, 1e300).body(), Dxf().arc(0, 0, 1e300, 0, 90).body(),
        Dxf().arc(0, 0, 10, 1e300, 0).body(), Dxf().arc(0, 0, 10, 0, -1e300).body()}) {
    const ReadResult r = read(Dxf().rectangle(0, 0, 100, 50).raw(entity).str());
    EXPECT_FALSE(r.ok) << entity;
    EXPECT_TRUE(r.messages.empty());
  }
}

TEST(DxfPartReaderTest, AFileThatCannotBeOpenedGivesNoPartAndNoMessage) {
  RecordingMessageSink sink;
  ScopedMessageSink guard(&sink);
  PlacedPart part;
  EXPECT_FALSE(readDxfPart(part, "/nonexistent/platenest/part.dxf"));
  EXPECT_TRUE(sink.messages().empty());
}

}  // namespace
}  // namespace platenest
