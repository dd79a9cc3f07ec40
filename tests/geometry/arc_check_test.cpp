// The arc checks and the radius repair, down to the bytes of the error report.
#include "geometry/arc_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "geometry/discretise.h"
#include "support/gbk.h"
#include "support/messages.h"
#include "test_support/scratch_folder.h"

namespace platenest {
namespace {

// The report as the file holds it: GBK with CR LF line ends.
std::string reportBytes(const std::string& utf8) {
  std::string crlf;
  for (char ch : utf8) {
    if (ch == '\n') crlf += '\r';
    crlf += ch;
  }
  return utf8ToGbk(crlf);
}

// Runs `write` against a fresh report file and returns what landed in it.
std::string capture(const std::function<void(TextWriter&)>& write) {
  const testing::ScratchFolder folder;
  const std::filesystem::path path = folder / "report.txt";
  {
    TextWriter report;
    EXPECT_TRUE(report.open(path, TextWriter::Mode::kTruncate));
    write(report);
    EXPECT_TRUE(report.close());
  }
  return testing::readBytes(path);
}

const char kReachLine[] =
    "\t报警圆弧:起点(10,0),终点(10,10), 错误细节:起讫点距离d=10超过两倍半径的绝对值=2*|R|=2*4.85"
    "=9.7";

TEST(CheckArcsTest, FirstFailingEdgeIsReported) {
  const struct {
    const char* what;
    Contour contour;
    double chordError;
    bool valid;
    std::string arcsReport;   // checkArcs with the chord error
    std::string reachReport;  // checkArcReach
  } cases[] = {
      {"straight and buildable arcs pass",
       Contour({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {0, 5.0, -20.0, 0}), 1.0, true, "", ""},
      {"radius too short for its chord",
       Contour({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {0, 4.85, 0, 0}), 1.0, false,
       std::string(kReachLine) + ", 半径绝对值太小, 圆弧生成失败!\n",
       std::string(kReachLine) + ", 圆弧无法生成!\n"},
      {"clockwise radius too short, later bad edges unreported",
       Contour({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {0, -4.85, 0.5, 0.1}), 1.0, false,
       std::string(kReachLine) + ", 半径绝对值太小, 圆弧生成失败!\n",
       std::string(kReachLine) + ", 圆弧无法生成!\n"},
      {"radius not above the chord error", Contour({{0, 0}, {1, 0}, {1, 1}}, {0.8, 0, 0}), 1.0,
       false,
       "\t报警圆弧:起点(0,0),终点(1,0), 错误细节:圆弧半径的绝对值=0.8<弓高误差=1, "
       "半径绝对值太小!\n",
       ""},
      {"radius equal to the chord error", Contour({{0, 0}, {0.5, 0}, {0.5, 1}}, {-0.25, 0, 0}),
       0.25, false,
       "\t报警圆弧:起点(0,0),终点(0.5,0), 错误细节:圆弧半径的绝对值=0.25<弓高误差=0.25, "
       "半径绝对值太小!\n",
       ""},
      {"closing edge too short: reach fails before the radius test",
       Contour({{0, 0}, {1.5, 0}, {1.5, 1}}, {0, 0, -0.25}), 0.25, false,
       "\t报警圆弧:起点(1.5,1),终点(0,0), 错误细节:起讫点距离d=1.80278超过两倍半径的绝对值=2*|R|"
       "=2*0.25=0.5, 半径绝对值太小, 圆弧生成失败!\n",
       "\t报警圆弧:起点(1.5,1),终点(0,0), 错误细节:起讫点距离d=1.80278超过两倍半径的绝对值=2*|R|"
       "=2*0.25=0.5, 圆弧无法生成!\n"},
  };
  for (const auto& c : cases) {
    bool arcsValid = false;
    EXPECT_EQ(capture([&](TextWriter& r) { arcsValid = checkArcs(c.contour, c.chordError, r); }),
              reportBytes(c.arcsReport))
        << c.what;
    EXPECT_EQ(arcsValid, c.valid) << c.what;
    bool reachValid = false;
    EXPECT_EQ(capture([&](TextWriter& r) { reachValid = checkArcReach(c.contour, r); }),
              reportBytes(c.reachReport))
        << c.what;
    EXPECT_EQ(reachValid, c.reachReport.empty()) << c.what;
  }
}

const char kNeedsMore[] = "圆弧半径绝对值|R|需要适当增加，以连接零件轮廓某段起讫点。\n";
const char kFixed[] = "圆弧半径绝对值|R|增加了0.1mm，问题得到修正。\n";
const char kStillShort[] = "圆弧半径绝对值|R|增加了0.1mm，依然无法连接零件轮廓某段起讫点！\n";

TEST(RepairArcsTest, EnlargesEachShortRadiusOnceByATenth) {
  const struct {
    const char* what;
    std::vector<double> radii;
    bool repaired;
    std::vector<double> after;
    std::string report;
  } cases[] = {
      {"4.95 becomes 5.05",
       {4.95, 0, 0},
       true,
       {4.95 + 0.1, 0, 0},
       std::string(kNeedsMore) + kFixed},
      {"-4.95 becomes -5.05",
       {-4.95, 0, 0},
       true,
       {-4.95 - 0.1, 0, 0},
       std::string(kNeedsMore) + kFixed},
      {"4.85 stays short and is restored",
       {4.85, -4.95, 0},
       false,
       {4.85, -4.95, 0},
       std::string(kNeedsMore) + kStillShort},
      {"two edges, each enlarged once",
       {4.95, 0, 7.05},
       true,
       {4.95 + 0.1, 0, 7.05 + 0.1},
       std::string(kNeedsMore) + kFixed + kNeedsMore + kFixed},
      {"reachable arcs are left alone", {5.0, 0, -8.0}, true, {5.0, 0, -8.0}, ""},
  };
  for (const auto& c : cases) {
    // Edges of length 10, 10 and √200 ≈ 14.14.
    Contour contour({{0, 0}, {10, 0}, {10, 10}}, c.radii);
    bool repaired = !c.repaired;
    EXPECT_EQ(capture([&](TextWriter& r) { repaired = repairArcs(contour, r); }),
              reportBytes(c.report))
        << c.what;
    EXPECT_EQ(repaired, c.repaired) << c.what;
    EXPECT_EQ(contour.radii, c.after) << c.what;
    if (repaired) {
      // A repaired contour passes the reach check and builds without a message.
      RecordingMessageSink sink;
      ScopedMessageSink scope(&sink);
      EXPECT_EQ(capture([&](TextWriter& r) { EXPECT_TRUE(checkArcReach(contour, r)); }), "");
      EXPECT_FALSE(toPolygon(contour, 1.0).empty());
      EXPECT_TRUE(sink.messages().empty()) << c.what;
    }
  }
}

TEST(ValidateTest, OuterThenHolesUntilTheFirstFailure) {
  const Contour good({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, {0, 0, 0, 0});
  const Contour shortArc({{10, 10}, {20, 10}, {20, 20}}, {3.0, 0, 0});
  const Contour smallRadius({{30, 30}, {31, 30}, {31, 31}}, {0, -0.6, 0});
  const std::string shortArcLine =
      "\t报警圆弧:起点(10,10),终点(20,10), 错误细节:起讫点距离d=10超过两倍半径的绝对值=2*|R|=2*3"
      "=6, 半径绝对值太小, 圆弧生成失败!\n";
  const std::string smallRadiusLine =
      "\t报警圆弧:起点(31,30),终点(31,31), 错误细节:圆弧半径的绝对值=0.6<弓高误差=1, "
      "半径绝对值太小!\n";
  // The part name is written as the bytes that were read (here GBK for "母板").
  const std::string name = "\xC4\xB8\xB0\xE5-7";

  const struct {
    const char* what;
    Contour outer;
    std::vector<Contour> holes;
    bool valid;
    std::string report;  // UTF-8 part, before the name line
  } cases[] = {
      {"all good", good, {good, good}, true, ""},
      {"bad outer stops before the holes", shortArc, {smallRadius}, false, shortArcLine},
      {"second hole fails, third is not looked at",
       good,
       {good, smallRadius, shortArc},
       false,
       smallRadiusLine},
  };
  for (const auto& c : cases) {
    Region region;
    region.outer = c.outer;
    region.holes.assign(c.holes.begin(), c.holes.end());
    region.label.text = name;
    bool valid = !c.valid;
    const std::string bytes = capture([&](TextWriter& r) { valid = validate(region, r); });
    EXPECT_EQ(valid, c.valid) << c.what;
    const std::string expected =
        c.valid ? "" : reportBytes(c.report + "以上错误发生于零件:") + name + "\r\n";
    EXPECT_EQ(bytes, expected) << c.what;
  }
}

}  // namespace
}  // namespace platenest
