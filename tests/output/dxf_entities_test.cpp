// The DXF entity writers: every line of every entity form, numbers as "%g", CR LF.
#include "output/dxf_entities.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "output_test_support.h"
#include "support/messages.h"

namespace platenest {
namespace {

using testing::crlfLines;
using testing::readBytes;
using testing::ScratchFolder;

std::vector<std::string> written(const ScratchFolder& scratch,
                                 const std::function<void(TextWriter&)>& write) {
  const auto path = scratch / "entities.dxf";
  {
    TextWriter out;
    EXPECT_TRUE(out.open(path, TextWriter::Mode::kTruncate));
    write(out);
    EXPECT_TRUE(out.close());
  }
  return crlfLines(readBytes(path));
}

struct EntityCase {
  const char* name;
  std::function<void(TextWriter&)> write;
  std::vector<std::string> lines;
};

// Failures and test listings name the case rather than print its bytes.
void PrintTo(const EntityCase& c, std::ostream* out) { *out << c.name; }

class EntityFormTest : public ::testing::TestWithParam<EntityCase> {};

TEST_P(EntityFormTest, WritesEveryLineInOrder) {
  ScratchFolder scratch;
  EXPECT_EQ(written(scratch, GetParam().write), GetParam().lines);
}

Arc arc(double x, double y, double r, double start, double end) {
  Arc result;
  result.set(Point(x, y), r, start, end);
  return result;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, EntityFormTest,
    ::testing::Values(
        EntityCase{"Frame",
                   [](TextWriter& out) {
                     writeDxfOpening(out);
                     writeDxfClosing(out);
                   },
                   {"  0", "SECTION", "  2", "ENTITIES", "  0", "ENDSEC", "  0", "EOF"}},
        EntityCase{"PlainLine",
                   [](TextWriter& out) { writeLine(out, Point(0, 0), Point(6000, 0), "0"); },
                   {"LINE", "  8", "0", " 10", "0", " 20", "0", " 30", "0.0", " 11", "6000", " 21",
                    "0", " 31", "0.0", "  0"}},
        EntityCase{"ColouredLineKeepsSixDigits",
                   [](TextWriter& out) {
                     writeColouredLine(out, Point(12345.678, -0.5), Point(1234.5678, 1e-7), 2, "1");
                   },
                   {"LINE", "  8", "1", " 62", "2", " 10", "12345.7", " 20", "-0.5", " 30", "0.0",
                    " 11", "1234.57", " 21", "1e-07", " 31", "0.0", "  0"}},
        EntityCase{"Arc",
                   [](TextWriter& out) { writeArc(out, arc(5, 0, 5, 350, 10), 3, "1"); },
                   {"ARC", "  8", "1", " 62", "3", " 10", "5", " 20", "0", " 30", "0.0", " 40", "5",
                    " 50", "350", " 51", "370", "  0"}},
        EntityCase{"TextHasIntegerZ",
                   [](TextWriter& out) { writeText(out, 6000, 3840, 0, 80, "P-1 名", "3"); },
                   {"TEXT", "  8", "3", " 10", "6000", " 20", "3840", " 30", "0", " 40", "80",
                    "  1", "P-1 名", " 50", "0", "  0"}},
        // A stray line break in a name must not split the value over two lines.
        EntityCase{"TextStaysOnOneLine",
                   [](TextWriter& out) { writeText(out, 1, 2, 90, 5, "A\rB\nC", "2"); },
                   {"TEXT", "  8", "2", " 10", "1", " 20", "2", " 30", "0", " 40", "5", "  1",
                    "A B C", " 50", "90", "  0"}}),
    [](const ::testing::TestParamInfo<EntityCase>& info) { return info.param.name; });

// Contour edges: straight edges as coloured lines, every other radius as one arc, however
// flat or small, and an edge no arc can join as its chord after the message.
TEST(ContourEntitiesTest, OneEntityPerEdgeInVertexOrder) {
  struct Case {
    const char* what;
    double radius;
    std::vector<std::string> firstEntity;
    std::vector<std::string> messages;
  };
  const std::vector<Case> cases = {
      {"counterclockwise half circle",
       5,
       {"ARC", "  8", "1", " 62", "3", " 10", "5", " 20", "0", " 30", "0.0", " 40", "5", " 50",
        "180", " 51", "360", "  0"},
       {}},
      {"clockwise half circle",
       -5,
       {"ARC", "  8", "1", " 62", "3", " 10", "5", " 20", "0", " 30", "0.0", " 40", "5", " 50", "0",
        " 51", "180", "  0"},
       {}},
      {"radius too short to join the ends",
       4.9,
       {"LINE", "  8", "1", " 62", "3", " 10", "0", " 20", "0", " 30", "0.0", " 11", "10", " 21",
        "0", " 31", "0.0", "  0"},
       {"两圆求交失败!"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder scratch;
    RecordingMessageSink sink;
    ScopedMessageSink guard(&sink);
    const Contour shape = testing::contour({{0, 0, c.radius}, {10, 0, 0}, {10, -8, 0}});
    const auto lines =
        written(scratch, [&](TextWriter& out) { writeContourEntities(out, shape, 3, "1"); });
    ASSERT_EQ(lines.size(), c.firstEntity.size() + 2 * 18);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + c.firstEntity.size()),
              c.firstEntity);
    // The two straight edges follow, closing back to the first vertex.
    const std::size_t second = c.firstEntity.size();
    EXPECT_EQ(lines[second], "LINE");
    EXPECT_EQ(lines[second + 6], "10");   // from (10, 0)
    EXPECT_EQ(lines[second + 14], "-8");  // to (10, -8)
    EXPECT_EQ(lines[second + 18 + 12], "0");
    EXPECT_EQ(lines[second + 18 + 14], "0");  // back to (0, 0)
    EXPECT_EQ(sink.texts(), c.messages);
  }
}

TEST(ContourEntitiesTest, FlatArcStaysAnArc) {
  // |R| / chord = 300: the engine's polygon treats it as straight, the drawing does not.
  ScratchFolder scratch;
  const Contour shape = testing::contour({{0, 0, 300}, {1, 0, 0}, {0, 1, 0}});
  const auto lines =
      written(scratch, [&](TextWriter& out) { writeContourEntities(out, shape, 2, "1"); });
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "ARC");
  EXPECT_EQ(lines[4], "2");
  EXPECT_EQ(lines[12], "300");
}

TEST(RegionEntitiesTest, OuterThenHolesThenLabel) {
  ScratchFolder scratch;
  const Region part = testing::region(
      7, "FLANGE", testing::rectangleContour(0, 0, 100, 50),
      {testing::rectangleContour(10, 10, 20, 20), testing::contour({{60, 25, 5}, {70, 25, 5}})});
  const auto lines =
      written(scratch, [&](TextWriter& out) { writeRegionEntities(out, part, 3, "1", "2"); });
  std::vector<std::string> kinds;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == "LINE" || lines[i] == "ARC" || lines[i] == "TEXT") {
      kinds.push_back(lines[i] + "@" + lines[i + 2]);
    }
  }
  const std::vector<std::string> expected = {"LINE@1", "LINE@1", "LINE@1", "LINE@1",
                                             "LINE@1", "LINE@1", "LINE@1", "LINE@1",
                                             "ARC@1",  "ARC@1",  "TEXT@2"};
  EXPECT_EQ(kinds, expected);
  // First hole before the second: the first hole's first edge starts at (10, 10).
  EXPECT_EQ(lines[4 * 18 + 6], "10");
  // The label: at the first outer vertex, a tenth of the box diagonal high.
  const std::vector<std::string> label(lines.end() - 16, lines.end());
  EXPECT_EQ(label,
            (std::vector<std::string>{"TEXT", "  8", "2", " 10", "0", " 20", "0", " 30", "0", " 40",
                                      "11.1803", "  1", "FLANGE", " 50", "0", "  0"}));
}

}  // namespace
}  // namespace platenest
