// The load flow: which parts reach the job and in what order, how they are grown and parked,
// what the error log and the load report say about the others, and a real shop job end to end.
#include "loading/load.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "test_support/benchmark_jobs.h"

#include <cmath>
#include <ctime>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <ostream>
#include <string>
#include <vector>

#include "readers/parts_test_support.h"
#include "support/fatal_error.h"
#include "support/messages.h"

namespace platenest {
namespace {

using testing::gbkLines;
using testing::libraryHeader;
using testing::namesOf;
using testing::ScratchFolder;
using testing::rectangleBlock;

// A straight-edged block from the given vertices.
std::string polygonBlock(const std::string& name, const std::vector<Point>& points) {
  std::ostringstream out;
  out.precision(17);
  out << "NAME:" << name << "\n"
      << points.size() + 1 << " " << points[0].x << " " << points[0].y << "\n";
  for (std::size_t i = 1; i < points.size(); ++i) {
    out << "0 " << points[i].x << " " << points[i].y << "\n";
  }
  out << "0 " << points[0].x << " " << points[0].y << "\n";
  return out.str();
}

std::vector<Point> squareAt(double degrees, double side) {
  const double a = degrees / 180 * kPi;
  const double c = std::cos(a) * side;
  const double s = std::sin(a) * side;
  return {{0, 0}, {c, s}, {c - s, s + c}, {-s, c}};
}

bool isDatedHeader(const std::string& line) {
  static const std::regex shape(
      "[0-9]{4}年[1-9][0-9]?月[1-9][0-9]?日, (0|[1-9][0-9]?)时(0|[1-9][0-9]?)分(0|[1-9][0-9]?)秒");
  return std::regex_match(line, shape);
}

class LoadTest : public ::testing::Test {
 protected:
  Nester& load(const std::string& text, const LoadOptions& options = {}) {
    nester_ = openLibrary(scratch_.write("lib.txt", text), LoadType::kTextLibrary, logPath(),
                          options, report_);
    return *nester_;
  }
  std::filesystem::path logPath() const { return scratch_ / "PackError.txt"; }
  // The load closed it.
  std::vector<std::string> errorLog() { return gbkLines(logPath()); }

  ScratchFolder scratch_;
  std::unique_ptr<Nester> nester_;
  LoadReport report_;
  RecordingMessageSink sink_;
  ScopedMessageSink scope_{&sink_};
};

TEST_F(LoadTest, PartsAreSortedByAreaWithEqualPartsInReadingOrder) {
  Nester& nester =
      load(libraryHeader(3000, 1500, 0) + rectangleBlock("P", 0, 0, 10, 10, "\n") +
           rectangleBlock("Q", 0, 0, 20, 20, "\n") + rectangleBlock("R", 0, 0, 40, 10, "\n") + "#end\n");
  EXPECT_EQ(namesOf(nester.parts), (std::vector<std::string>{"Q", "R", "P"}));
  EXPECT_EQ(namesOf(nester.loadedParts), (std::vector<std::string>{"R", "Q", "P"}));
  // Each part meets its untouched twin through its id.
  for (const PlacedPart& part : nester.parts) {
    const PlacedPart* twin = nester.loadedParts.findById(part.id);
    ASSERT_NE(twin, nullptr);
    EXPECT_EQ(twin->label.text, part.label.text);
  }
  EXPECT_EQ(report_.loadedCount, 3);
  EXPECT_TRUE(report_.rejected.empty());
  EXPECT_EQ(nester.regions.count(), 3);
  EXPECT_TRUE(sink_.messages().empty());
}

TEST_F(LoadTest, PartsGrowByHalfTheGapAndWaitBesideThePlate) {
  Nester& nester = load(libraryHeader(3000, 1500, 10) + rectangleBlock("R", 0, 0, 100, 50, "\n") +
                        rectangleBlock("S", 5, 5, 25, 25, "\n") + "#end\n");
  const PlacedPart& r = nester.parts.front();
  ASSERT_EQ(r.label.text, "R");
  EXPECT_EQ(r.box().minX, 3000);
  EXPECT_EQ(r.box().maxX, 3110);
  EXPECT_EQ(r.box().minY, -60);
  EXPECT_EQ(r.box().maxY, 0);
  EXPECT_DOUBLE_EQ(r.area(), 110 * 60);
  // Rectangularity and aspect ratio describe the part as read, not the grown outline.
  EXPECT_EQ(r.aspectRatio(), 2);
  for (const PlacedPart& part : nester.parts) {
    EXPECT_GE(part.box().minX, nester.plateLength());
    EXPECT_LE(part.box().maxY, 0);
  }
  // The twins keep the true outline where it was read.
  const PlacedPart* twin = nester.loadedParts.findById(r.id);
  ASSERT_NE(twin, nullptr);
  EXPECT_EQ(twin->box().minX, 0);
  EXPECT_EQ(twin->box().maxX, 100);
  EXPECT_EQ(twin->box().maxY, 50);
  EXPECT_DOUBLE_EQ(twin->area(), 5000);
}

TEST_F(LoadTest, NoGapLeavesTheOutlinesAsRead) {
  Nester& nester =
      load(libraryHeader(3000, 1500, 0) +
           polygonBlock("L", {{0, 0}, {60, 0}, {60, 20}, {20, 20}, {20, 40}, {0, 40}}) + "#end\n");
  const PlacedPart& part = nester.parts.front();
  const PlacedPart* twin = nester.loadedParts.findById(part.id);
  ASSERT_NE(twin, nullptr);
  ASSERT_EQ(part.outer.vertexCount(), twin->outer.vertexCount());
  const double dx = part.box().minX - twin->box().minX;
  const double dy = part.box().minY - twin->box().minY;
  for (int i = 0; i < part.outer.vertexCount(); ++i) {
    EXPECT_EQ(part.outer.vertex(i).x, twin->outer.vertex(i).x + dx);
    EXPECT_EQ(part.outer.vertex(i).y, twin->outer.vertex(i).y + dy);
  }
  EXPECT_EQ(part.area(), twin->area());
}

TEST_F(LoadTest, PartsTurnToTheirSmallestBoxUnlessTheirOrientationIsKept) {
  const std::string library =
      libraryHeader(3000, 1500, 0) + polygonBlock("tilted", squareAt(30, 100)) + "#end\n";
  const PlacedPart& turned = load(library).parts.front();
  EXPECT_LT(turned.box().width() * turned.box().height(), 1.0001 * turned.area());
  // A whole number of degrees that stands the square upright: 60, 150, 240 or 330.
  const double degrees = turned.rotation / (2 * kPi / 360);
  EXPECT_NEAR(std::fmod(degrees - 60, 90), 0, 1e-9) << degrees;

  LoadOptions keep;
  keep.keepOrientation = true;
  const PlacedPart& kept = load(library, keep).parts.front();
  EXPECT_NEAR(kept.box().width() * kept.box().height() / kept.area(), 1 + std::sin(kPi / 3), 1e-9);
  EXPECT_EQ(kept.rotation, 0);
}

TEST_F(LoadTest, AnArcThatCannotReachItsEndIsReportedAndLeftOut) {
  // The arc of radius 4 cannot join two points 10 apart.
  Nester& nester = load(libraryHeader(3000, 1500, 0) + rectangleBlock("good", 0, 0, 10, 10, "\n") +
                        "NAME:bad\n5 0 0\n4 10 0\n0 10 10\n0 0 10\n0 0 0\n" + "#end\n");
  EXPECT_EQ(namesOf(nester.parts), (std::vector<std::string>{"good"}));
  EXPECT_EQ(nester.regions.count(), 1);
  EXPECT_EQ(nester.loadedParts.count(), 1);
  ASSERT_EQ(report_.rejected.size(), 1u);
  EXPECT_EQ(report_.rejected[0].name, "bad");
  EXPECT_EQ(report_.rejected[0].id, 1);
  EXPECT_EQ(report_.rejected[0].reason.rfind("报警圆弧:起点(0,0),终点(10,0), ", 0), 0u)
      << report_.rejected[0].reason;
  EXPECT_EQ(report_.loadedCount, 1);

  const std::vector<std::string> log = errorLog();
  ASSERT_GE(log.size(), 3u);
  EXPECT_TRUE(isDatedHeader(log[0])) << log[0];
  EXPECT_EQ(log.back(), "以上错误发生于零件:bad");
  EXPECT_EQ(log[log.size() - 2], "\t" + report_.rejected[0].reason);
  // Measuring the region as read already met the arc that cannot be built.
  for (const std::string& text : sink_.texts()) EXPECT_EQ(text, "两圆求交失败!");
}

// The smallest arc radius is the chord-height error (1 mm): a part with a 2 mm hole or a
// 0.5 mm fillet is refused whole, and its detail says it is that rule, with the radius and
// the place; an arc that cannot reach its end keeps its own reason, and a 3 mm hole loads.
TEST_F(LoadTest, APartRefusedForAnArcNoLargerThanTheChordErrorSaysSoInItsDetail) {
  Nester& nester = load(
      libraryHeader(3000, 1500, 0) +
      "NAME:hole2\n5 0 0\n0 100 0\n0 100 100\n0 0 100\n0\n3 49 50\n1 51 50\n1\n" +
      "NAME:fillet\n6 0 0\n0 99.5 0\n0.5 100 0.5\n0 100 100\n0 0 100\n0\n" +
      "NAME:reach\n5 0 0\n4 10 0\n0 10 10\n0 0 10\n0\n" +
      "NAME:hole3\n5 0 0\n0 100 0\n0 100 100\n0 0 100\n0\n3 48.5 50\n1.5 51.5 50\n1.5\n" +
      "#end\n");
  EXPECT_EQ(namesOf(nester.parts), (std::vector<std::string>{"hole3"}));
  ASSERT_EQ(report_.rejected.size(), 3u);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"hole2", "an arc of radius 1 mm from (49, 50) to (51, 50)"},
      {"fillet", "an arc of radius 0.5 mm from (99.5, 0) to (100, 0.5)"},
      {"reach", ""}};
  for (const auto& [name, place] : expected) {
    const auto rejected = std::find_if(report_.rejected.begin(), report_.rejected.end(),
                                       [&](const RejectedPart& part) { return part.name == name; });
    ASSERT_NE(rejected, report_.rejected.end()) << name;
    if (place.empty()) {
      EXPECT_EQ(rejected->detail, "") << name;
      continue;
    }
    EXPECT_EQ(rejected->detail.rfind(place, 0), 0u) << rejected->detail;
    EXPECT_NE(rejected->detail.find("arcs of radius 1 mm or less"), std::string::npos)
        << rejected->detail;
    // The defined reason stays as the error log has it.
    EXPECT_NE(rejected->reason.find("半径绝对值太小!"), std::string::npos) << rejected->reason;
  }
}

struct DegenerateCase {
  const char* name;
  std::string block;
};
void PrintTo(const DegenerateCase& c, std::ostream* out) { *out << c.name; }

// Outlines no shop can cut are refused at load with the place, as a drawing would be; before,
// they passed and their holes were cut through the neighbouring parts.
TEST_F(LoadTest, UncuttableOutlinesAreRejectedWithThePlace) {
  struct Case {
    const char* name;
    std::string contours;  // the block's contours after its name line
    const char* detail;    // the start of the refusal
  };
  const auto contour = [](const std::vector<Point>& points) {
    const std::string block = polygonBlock("x", points);
    return block.substr(block.find('\n') + 1);
  };
  const auto box = [](double x0, double y0, double x1, double y1) {
    return std::vector<Point>{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
  };
  std::vector<Point> star;
  for (int i = 0; i < 5; ++i) {
    star.emplace_back(50 * std::cos(4 * kPi * i / 5), 50 * std::sin(4 * kPi * i / 5));
  }
  const std::vector<Case> cases = {
      {"star", contour(star), "an outline crosses itself near"},
      {"loop", contour({{0, 0}, {100, 0}, {100, 50}, {50, 50}, {50, -25}, {25, -25}, {25, 50}, {0, 50}}),
       "an outline crosses itself near"},
      {"outside", contour(box(0, 0, 100, 100)) + contour(box(200, 10, 220, 20)),
       "a hole lies outside its outline near (200, 10)"},
      {"crossing", contour(box(0, 0, 100, 100)) + contour(box(90, 40, 110, 60)),
       "a hole crosses its outline near (100, "},
      // A round hole whose arcs run past the outline's edge.
      {"round", contour(box(0, 0, 100, 100)) + "3 95 50\n10 115 50\n10\n",
       "a hole crosses its outline near"},
      {"overlap", contour(box(0, 0, 100, 100)) + contour(box(10, 10, 30, 30)) + contour(box(20, 20, 40, 40)),
       "two holes cross near"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Nester& nester = load(libraryHeader(3000, 1500, 4) + rectangleBlock("good", 0, 0, 10, 10, "\n") +
                          "NAME:" + c.name + "\n" + c.contours + "#end\n");
    EXPECT_EQ(namesOf(nester.parts), (std::vector<std::string>{"good"}));
    ASSERT_EQ(report_.rejected.size(), 1u);
    EXPECT_EQ(report_.rejected[0].name, c.name);
    EXPECT_EQ(report_.rejected[0].detail.rfind(c.detail, 0), 0u) << report_.rejected[0].detail;
    const std::vector<std::string> log = errorLog();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[log.size() - 2], "\t" + report_.rejected[0].detail);
    EXPECT_EQ(log.back(), std::string("以上错误发生于零件:") + c.name);
    std::filesystem::remove(logPath());
  }
}

class DegeneratePartTest : public LoadTest, public ::testing::WithParamInterface<DegenerateCase> {};

TEST_P(DegeneratePartTest, IsRejectedAtLoadWithoutHarmingTheOthers) {
  Nester& nester = load(libraryHeader(3000, 1500, 4) + rectangleBlock("good", 0, 0, 10, 10, "\n") +
                        GetParam().block + "#end\n");
  EXPECT_EQ(namesOf(nester.parts), (std::vector<std::string>{"good"}));
  EXPECT_EQ(nester.regions.count(), 1);
  ASSERT_EQ(report_.rejected.size(), 1u);
  EXPECT_EQ(report_.rejected[0].name, "flat");
  EXPECT_EQ(report_.rejected[0].reason, "零件轮廓退化(顶点少于3个或面积为零)!");
  const std::vector<std::string> log = errorLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[1], "\t零件轮廓退化(顶点少于3个或面积为零)!");
  EXPECT_EQ(log[2], "以上错误发生于零件:flat");
  for (const PlacedPart& part : nester.parts) {
    EXPECT_TRUE(std::isfinite(part.centroid().x) && std::isfinite(part.centroid().y));
  }
  EXPECT_TRUE(std::isfinite(nester.packingPointDistance()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DegeneratePartTest,
    ::testing::Values(DegenerateCase{"OneVertex", "NAME:flat\n2 5 5\n0\n"},
                      DegenerateCase{"TwoVertices", "NAME:flat\n3 0 0\n0 10 0\n0\n"},
                      DegenerateCase{"Collinear", "NAME:flat\n4 0 0\n0 50 0\n0 100 0\n0\n"},
                      DegenerateCase{"ZeroHeight",
                                     "NAME:flat\n5 0 0\n0 100 0\n0 100 0\n0 0 0\n0\n"},
                      DegenerateCase{"HoleLargerThanOutline",
                                     "NAME:flat\n5 0 0\n0 10 0\n0 10 10\n0 0 10\n0\n"
                                     "5 -5 -5\n0 15 -5\n0 15 15\n0 -5 15\n0\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct EmptyLoadCase {
  const char* name;
  std::string parts;
  std::size_t rejected;
};
void PrintTo(const EmptyLoadCase& c, std::ostream* out) { *out << c.name; }

class EmptyLoadTest : public LoadTest, public ::testing::WithParamInterface<EmptyLoadCase> {};

TEST_P(EmptyLoadTest, KeepsTheDistanceItWasBuiltWith) {
  Nester& nester = load(libraryHeader(3000, 1500, 10) + GetParam().parts + "#end\n");
  EXPECT_TRUE(nester.parts.empty());
  EXPECT_TRUE(nester.loadedParts.empty());
  EXPECT_EQ(nester.packingPointDistance(), 0.5);
  EXPECT_EQ(nester.plateLength(), 3000);
  EXPECT_EQ(report_.loadedCount, 0);
  EXPECT_EQ(report_.rejected.size(), GetParam().rejected);
}

INSTANTIATE_TEST_SUITE_P(Cases, EmptyLoadTest,
                         ::testing::Values(EmptyLoadCase{"NoParts", "", 0},
                                           EmptyLoadCase{
                                               "OnlyAnInvalidPart",
                                               "NAME:bad\n5 0 0\n4 10 0\n0 10 10\n0 0 10\n0\n", 1},
                                           EmptyLoadCase{"OnlyAnEmptyBlock", "NAME:empty\n", 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoadTest, EveryJobAppendsItsOwnDatedHeaderToTheErrorLog) {
  const std::string bad = "NAME:bad\n5 0 0\n4 10 0\n0 10 10\n0 0 10\n0\n";
  load(libraryHeader(3000, 1500, 0) + bad + "#end\n");
  const std::vector<std::string> first = errorLog();
  nester_.reset();
  load(libraryHeader(3000, 1500, 0) + rectangleBlock("good", 0, 0, 10, 10, "\n") + "#end\n");
  const std::vector<std::string> both = errorLog();

  ASSERT_EQ(both.size(), first.size() + 1);
  EXPECT_TRUE(std::equal(first.begin(), first.end(), both.begin()));
  EXPECT_TRUE(isDatedHeader(both.back())) << both.back();
  int headers = 0;
  for (const std::string& line : both) headers += isDatedHeader(line) ? 1 : 0;
  EXPECT_EQ(headers, 2);
}

// The load flow opens the error log: every job appends one dated line, in local time, after
// what earlier jobs left.
TEST_F(LoadTest, TheErrorLogTakesOneDatedLinePerJobAfterTheEarlierJobs) {
  std::ofstream(logPath(), std::ios::binary) << "earlier job\r\n";
  const std::time_t before = std::time(nullptr);
  { const TextWriter first = openErrorLog(logPath()); }
  { const TextWriter second = openErrorLog(logPath()); }
  const std::time_t after = std::time(nullptr);

  const std::string text = gbkToUtf8(testing::readBytes(logPath()));
  static const std::regex shape(
      "earlier job\r\n"
      "(([0-9]{4})年([1-9][0-9]?)月([1-9][0-9]?)日, (0|[1-9][0-9]?)时(0|[1-9][0-9]?)分"
      "(0|[1-9][0-9]?)秒\r\n){2}");
  std::smatch match;
  ASSERT_TRUE(std::regex_match(text, match, shape)) << text;

  // The last header shows the local time it was opened at.
  std::tm local{};
  bool matchesAClockReading = false;
  for (std::time_t t = before; t <= after; ++t) {
    localtime_r(&t, &local);
    if (std::stoi(match[2]) == local.tm_year + 1900 && std::stoi(match[3]) == local.tm_mon + 1 &&
        std::stoi(match[4]) == local.tm_mday && std::stoi(match[5]) == local.tm_hour &&
        std::stoi(match[6]) == local.tm_min && std::stoi(match[7]) == local.tm_sec) {
      matchesAClockReading = true;
    }
  }
  EXPECT_TRUE(matchesAClockReading) << text;
}

TEST_F(LoadTest, AnErrorLogThatCannotBeOpenedEndsTheRunBeforeTheJobIsRead) {
  const std::filesystem::path job = scratch_.write("lib.txt", libraryHeader(3000, 1500, 0) + "#end\n");
  try {
    openLibrary(job, LoadType::kTextLibrary, scratch_ / "no such folder" / "PackError.txt");
    FAIL() << "no fatal error";
  } catch (const FatalError& error) {
    EXPECT_EQ(error.caption(), "Warning!");
    EXPECT_EQ(error.text(), "排样错误报告文件输出失败!");
    EXPECT_EQ(error.channel(), FatalChannel::kMessageBox);
  }
}

TEST_F(LoadTest, AReaderFailureEndsTheLoad) {
  EXPECT_THROW(openLibrary(scratch_ / "missing.txt", LoadType::kTextLibrary, logPath()),
               FatalError);
  EXPECT_THROW(load(libraryHeader(0, 1500, 0) + "#end\n"), FatalError);
}

// The names of the blocks of a library with an arc edge whose radius cannot span its chord,
// found by a reading of the file of its own (numbers split at blanks, no column rules).
std::set<std::string> partsWithUnreachableArcs(const std::filesystem::path& path) {
  std::istringstream in(testing::readBytes(path));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  std::set<std::string> names;
  std::string name;
  for (std::size_t i = 3; i < lines.size() && lines[i].rfind("#end", 0) != 0;) {
    if (lines[i].rfind("NAME", 0) == 0) {
      name = lines[i++].substr(5);
      continue;
    }
    std::istringstream head(lines[i]);
    double count = 0;
    Point first;
    head >> count >> first.x >> first.y;
    std::vector<Point> points{first};
    std::vector<double> radii;
    const int m = static_cast<int>(count) - 1;
    for (int k = 1; k <= m; ++k) {
      std::istringstream edge(lines[i + static_cast<std::size_t>(k)]);
      double r = 0;
      Point p;
      edge >> r >> p.x >> p.y;
      radii.push_back(r);
      if (k < m) points.push_back(p);
    }
    for (int k = 0; k < m; ++k) {
      const Point& a = points[static_cast<std::size_t>(k)];
      const Point& b = points[static_cast<std::size_t>((k + 1) % m)];
      const double r = radii[static_cast<std::size_t>(k)];
      if (r != 0 && std::hypot(b.x - a.x, b.y - a.y) > 2 * std::fabs(r) * (1 + 1e-6)) {
        names.insert(name);
      }
    }
    i += static_cast<std::size_t>(m) + 1;
  }
  return names;
}

// A generated shop job: 60 plates, flanges, rings and brackets with arcs and holes, gap 5.
TEST(IndustrialLoadJobTest, SixtyPartsLoadSortedGrownAndParked) {
  PLATENEST_REQUIRE_BENCHMARKS();
  ScratchFolder scratch;
  RecordingMessageSink sink;
  ScopedMessageSink scope(&sink);
  LoadReport report;
  const std::filesystem::path library = PLATENEST_BENCHMARK_DIR "/industrial/industrial-60.txt";
  const auto nester =
      openLibrary(library, LoadType::kTextLibrary, scratch / "PackError.txt", {}, report);

  EXPECT_EQ(nester->plateLength(), 6000);
  EXPECT_EQ(nester->plateWidth(), 2000);
  EXPECT_EQ(nester->partGap, 5);
  // Every block of the file is accounted for: loaded, or rejected with its reason. The only
  // parts refused are those with an arc too short to join its end points.
  EXPECT_EQ(report.loadedCount + static_cast<int>(report.rejected.size()), 60);
  EXPECT_EQ(report.loadedCount, nester->parts.count());
  EXPECT_EQ(nester->loadedParts.count(), nester->parts.count());
  std::set<std::string> rejectedNames;
  for (const RejectedPart& rejected : report.rejected) {
    rejectedNames.insert(rejected.name);
    EXPECT_NE(rejected.reason.find("圆弧生成失败!"), std::string::npos) << rejected.reason;
  }
  EXPECT_EQ(rejectedNames, partsWithUnreachableArcs(library));
  for (const std::string& text : sink.texts()) EXPECT_EQ(text, "两圆求交失败!");

  double previousArea = INFINITY;
  for (const PlacedPart& part : nester->parts) {
    const PlacedPart* twin = nester->loadedParts.findById(part.id);
    ASSERT_NE(twin, nullptr);
    // Sorted by the area as read (orientation does not change it), largest first.
    EXPECT_LE(twin->area(), previousArea * (1 + 1e-12)) << part.label.text;
    previousArea = twin->area();
    // Grown by 2.5 mm on every side: the box by at least 5 mm each way (mitred corners of
    // chord polygons reach a little further), and the net area grows as the holes shrink.
    if (part.rotation == 0) {
      EXPECT_GE(part.box().width(), twin->box().width() + 5 - 1e-9) << part.label.text;
      EXPECT_GE(part.box().height(), twin->box().height() + 5 - 1e-9) << part.label.text;
    }
    EXPECT_GT(part.area(), twin->area());
    EXPECT_DOUBLE_EQ(part.box().minX, 6000) << part.label.text;
    EXPECT_DOUBLE_EQ(part.box().maxY, 0) << part.label.text;
    EXPECT_FALSE(nester->isOnPlate(part));
  }
  EXPECT_EQ(nester->packingPointDistance(), nester->defaultPackingPointDistance());
  EXPECT_GE(nester->packingPointDistance(), 30);
}

}  // namespace
}  // namespace platenest
