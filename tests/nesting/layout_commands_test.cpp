// The layout commands: which parts each one offers and in which order, the refusal of an
// unusable grid, and the size classes of the multi-step passes at their boundaries; and the
// timing their callers record (one line, or a date line and a timing line appended per
// multi-step run), with its announce message.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "engine_test_support.h"
#include "support/fatal_error.h"
#include "support/gbk.h"
#include "support/messages.h"

namespace platenest {
namespace {

using engine_test::gridOptions;
using engine_test::makePart;
using engine_test::makeRectangle;
using engine_test::samePolygon;
using engine_test::samePose;
using engine_test::Scene;

// The lines of a GBK file with CR LF line ends, as UTF-8; a line without its CR LF fails.
std::vector<std::string> readLines(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "line without CR LF in " << path;
    if (end == std::string::npos) break;
    lines.push_back(gbkToUtf8(bytes.substr(start, end - start)));
    start = end + 2;
  }
  return lines;
}

const std::regex kTimingLine("排样计算时间为:[0-9]+\\.[0-9]{2} (毫秒|秒)");
const std::regex kDateLine(
    "[0-9]{4}年([1-9]|1[0-2])月([1-9]|[12][0-9]|3[01])日, ([0-9]|1[0-9]|2[0-3])时([0-9]|[1-5][0-9])"
    "分([0-9]|[1-5][0-9])秒");

PlacedPart selected(PlacedPart part) {
  part.selected = true;
  return part;
}

std::string fileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The caller's record of its layout commands: Layout and Layout All leave their one line,
// each multi-step run adds a date line and a timing line after the file's bytes as they were.
TEST(LayoutTimingTest, LastCommandKeepsOneLineAndDatedEntriesAppendTwo) {
  Scene scene(1000, 500, 10);
  scene.setParts({selected(makeRectangle(1100, 0, 1200, 50))});
  Nester& nester = scene.nester();
  LayoutTiming timing(scene.folder() / "timing.txt");
  EXPECT_EQ(timing.lastMessage(), "");

  timing.time(TimingRecord::kLastCommand, false, [&]() { nester.layoutAll(); });
  std::vector<std::string> lines = readLines(timing.file());
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(std::regex_match(lines[0], kTimingLine)) << lines[0];
  EXPECT_EQ(lines[0], timing.lastMessage());
  EXPECT_GE(timing.lastSeconds(), 0);
  EXPECT_LE(timing.lastSeconds(), 1.0);
  EXPECT_NE(lines[0].find("毫秒"), std::string::npos);
  EXPECT_TRUE(nester.isOnPlate(scene.part(0)));

  for (int run = 1; run <= 2; ++run) {
    const std::string before = fileBytes(timing.file());
    timing.time(TimingRecord::kDatedEntry, false, [&]() { nester.layoutMultipleSteps(); });
    const std::string after = fileBytes(timing.file());
    EXPECT_EQ(after.substr(0, before.size()), before) << "run " << run;
    lines = readLines(timing.file());
    ASSERT_EQ(lines.size(), 1u + 2u * run);
    EXPECT_TRUE(std::regex_match(lines[lines.size() - 2], kDateLine)) << lines[lines.size() - 2];
    EXPECT_EQ(lines.back(), timing.lastMessage());
  }
  // A command that places nothing is timed all the same.
  scene.part(0).selected = false;
  timing.time(TimingRecord::kLastCommand, false, [&]() { nester.layoutSelected(); });
  lines = readLines(timing.file());
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(std::regex_match(lines[0], kTimingLine));
}

TEST(LayoutTimingTest, AnnounceShowsTheTimeWithTheNoticeCaption) {
  Scene scene(1000, 500, 10);
  scene.setParts({makeRectangle(1100, 0, 1200, 50)});
  Nester& nester = scene.nester();
  LayoutTiming timing(scene.folder() / "timing.txt");
  RecordingMessageSink sink;
  ScopedMessageSink guard(&sink);
  timing.time(TimingRecord::kLastCommand, false, [&]() { nester.layoutAll(); });
  timing.time(TimingRecord::kDatedEntry, false, [&]() { nester.layoutMultipleSteps(); });
  EXPECT_TRUE(sink.messages().empty());
  timing.time(TimingRecord::kLastCommand, true, [&]() { nester.layoutAll(); });
  ASSERT_EQ(sink.messages().size(), 1u);
  EXPECT_EQ(sink.messages()[0].caption, kNoticeCaption);
  EXPECT_EQ(sink.messages()[0].text, timing.lastMessage());
  timing.time(TimingRecord::kDatedEntry, true, [&]() { nester.layoutMultipleSteps(); });
  EXPECT_EQ(sink.messages().size(), 2u);
}

// A file that cannot be opened stops the command before anything moves; a command that
// fails leaves the file as it was.
TEST(LayoutTimingTest, UnwritableFileStopsTheCommandAndAFailedCommandLeavesTheFile) {
  Scene scene(1000, 500, 10);
  scene.setParts({selected(makeRectangle(1100, 0, 1200, 50))});
  Nester& nester = scene.nester();
  LayoutTiming unwritable(scene.folder());  // a folder cannot be opened as a file
  const PlacedPart before = scene.part(0);
  for (const TimingRecord record : {TimingRecord::kLastCommand, TimingRecord::kDatedEntry}) {
    bool ran = false;
    try {
      unwritable.time(record, false, [&]() {
        ran = true;
        nester.layoutSelected();
      });
      ADD_FAILURE() << "no fatal error";
    } catch (const FatalError& error) {
      EXPECT_EQ(error.channel(), FatalChannel::kStandardOutput);
      EXPECT_EQ(error.text(), "记录排样计算时间的文件输出失败!");
      EXPECT_NE(error.detail().find(scene.folder().string()), std::string::npos) << error.detail();
    }
    EXPECT_FALSE(ran);
    EXPECT_TRUE(samePose(scene.part(0), before));
    EXPECT_TRUE(scene.part(0).selected);
  }

  LayoutTiming timing(scene.folder() / "timing.txt");
  timing.time(TimingRecord::kLastCommand, false, [&]() {});
  const std::string kept = fileBytes(timing.file());
  for (const TimingRecord record : {TimingRecord::kLastCommand, TimingRecord::kDatedEntry}) {
    EXPECT_THROW(timing.time(record, false, [&]() { throw FatalError::warning("stopped"); }),
                 FatalError);
    EXPECT_EQ(fileBytes(timing.file()), kept);
  }
}

TEST(LayoutAllTest, PlacesPartsNotOnThePlateInListOrderAndClearsTheSelection) {
  Scene scene(1000, 500, 10);
  scene.setParts({makeRectangle(0, 0, 100, 100),                // already on the plate
                  selected(makeRectangle(1100, 0, 1300, 100)),  // large, placed first
                  makeRectangle(1100, 200, 1200, 300)});
  Nester& nester = scene.nester();
  nester.bPartTurnover = false;
  nester.layoutAll();
  EXPECT_EQ(scene.part(0).box().minX, 0);  // left where it was
  EXPECT_TRUE(nester.isOnPlate(scene.part(1)));
  EXPECT_TRUE(nester.isOnPlate(scene.part(2)));
  EXPECT_LT(scene.part(1).box().minX, scene.part(2).box().minX);
  for (const PlacedPart& part : nester.parts) EXPECT_FALSE(part.selected);
  EXPECT_TRUE(nester.markConflictingParts());
  EXPECT_FALSE(nester.packingGridStale());

  // Run again with everything on the plate: nothing moves.
  std::vector<PlacedPart> before(nester.parts.begin(), nester.parts.end());
  scene.part(2).selected = true;
  nester.layoutAll();
  std::size_t i = 0;
  for (const PlacedPart& part : nester.parts) {
    PlacedPart expected(before[i++]);  // copied twice, like the list's parts
    EXPECT_TRUE(samePolygon(part.outer, expected.outer));
    EXPECT_FALSE(part.selected);
  }
}

TEST(LayoutSelectedTest, PlacesOnlySelectedPartsEvenWhenOnThePlate) {
  Scene scene(1000, 500, 10);
  scene.setParts({selected(makeRectangle(500, 0, 600, 100)), makeRectangle(1100, 0, 1200, 100)});
  Nester& nester = scene.nester();
  nester.layoutSelected();
  EXPECT_NEAR(scene.part(0).box().minX, 0, 1e-9);  // placed again, at the left edge
  EXPECT_EQ(scene.part(1).box().minX, 1100);
  // Nothing selected: nothing moves.
  scene.part(0).selected = false;
  const PlacedPart before = scene.part(0);
  nester.layoutSelected();
  nester.layoutMultipleSteps();
  EXPECT_TRUE(samePolygon(scene.part(0).outer, before.outer));
  EXPECT_EQ(scene.part(1).box().minX, 1100);
}

TEST(StageNextPartTest, FirstPartOffThePlateIsStagedBesideItAndSelected) {
  Scene scene(1000, 500, 10);
  scene.setParts({makeRectangle(0, 0, 100, 100), selected(makeRectangle(0, 200, 50, 250)),
                  makeRectangle(2000, -300, 2100, -200), makeRectangle(3000, 0, 3100, 100)});
  Nester& nester = scene.nester();
  nester.stageNextPart();
  EXPECT_EQ(scene.part(2).box().minX, 1000);
  EXPECT_EQ(scene.part(2).box().maxY, 500);
  std::vector<bool> selection;
  for (const PlacedPart& part : nester.parts) selection.push_back(part.selected);
  EXPECT_EQ(selection, (std::vector<bool>{false, false, true, false}));
  // Layout Next: the staged part is placed.
  nester.layoutSelected();
  EXPECT_TRUE(nester.isOnPlate(scene.part(2)));
  EXPECT_EQ(scene.part(3).box().minX, 3000);
}

TEST(StageNextPartTest, WithEveryPartOnThePlateTheSelectionStays) {
  Scene scene(1000, 500, 10);
  scene.setParts({makeRectangle(0, 0, 100, 100), selected(makeRectangle(500, 200, 550, 250))});
  Nester& nester = scene.nester();
  const PlacedPart before = scene.part(0);
  nester.stageNextPart();
  EXPECT_TRUE(samePose(scene.part(0), before));
  EXPECT_FALSE(scene.part(0).selected);
  EXPECT_TRUE(scene.part(1).selected);
  EXPECT_EQ(scene.part(1).box().minX, 500);
  nester.layoutSelected();  // places the part that was selected before
  EXPECT_NEAR(scene.part(1).box().minX, 0, 1e-9);
  EXPECT_NEAR(scene.part(1).box().minY, 100, 1e-9);
}

TEST(LayoutCommandsTest, UnusableGridOrRotationNumberPlacesNothing) {
  struct RefusalCase {
    const char* name;
    double ppd;
    int rn;
    bool warns;
  };
  const RefusalCase cases[] = {{"PPD 0", 0, 4, true},
                               {"PPD 0.5 on 6000 x 4000", 0.5, 4, true},
                               {"RN 0", 10, 0, false},
                               {"RN -1", 10, -1, false}};
  for (const RefusalCase& c : cases) {
    Scene scene(6000, 4000, c.ppd);
    scene.setParts(
        {makeRectangle(7000, 0, 7100, 100), selected(makeRectangle(7000, 200, 7100, 300))});
    Nester& nester = scene.nester();
    nester.rotationNumber = c.rn;
    RecordingMessageSink sink;
    ScopedMessageSink guard(&sink);
    nester.layoutAll();
    for (PlacedPart& part : nester.parts) part.selected = true;
    nester.layoutSelected();
    nester.layoutMultipleSteps();
    for (const PlacedPart& part : nester.parts) EXPECT_GE(part.box().minX, 7000) << c.name;
    EXPECT_EQ(sink.messages().size(), c.warns ? 3u : 0u) << c.name;
    EXPECT_EQ(nester.packingGridStale(), c.warns) << c.name;
  }
}

// The small square comes first in the list, the part under test after it: a part handled by
// an earlier pass than the square's (pass 4) takes the plate's corner first.
TEST(LayoutMultipleStepsTest, SizeClassesIncludeTheirBoundaries) {
  struct PassCase {
    const char* name;
    std::vector<Point> outline;
    bool takesTheCorner;
  };
  const PassCase cases[] = {
      {"outer area exactly 1 000 000: pass 1", engine_test::rectangleOutline(0, 0, 1000, 1000),
       true},
      {"outer area 540 000 with rectangularity exactly 0.9: pass 2",
       {{0, 0}, {1000, 0}, {1000, 300}, {800, 300}, {800, 600}, {0, 600}},
       true},
      {"outer area exactly 200 000: pass 3", engine_test::rectangleOutline(0, 0, 500, 400), true},
      {"outer area 199 999.5: pass 4, after the square",
       engine_test::rectangleOutline(0, 0, 500, 399.999), false},
  };
  for (const PassCase& c : cases) {
    Scene scene(4000, 2500, 10);
    std::vector<Point> twin = c.outline;
    for (Point& p : twin) p.x += 5000;
    std::vector<Point> moved = c.outline;
    for (Point& p : moved) p.x += 6500;
    scene.setParts({selected(makeRectangle(8000, 0, 8100, 100)), selected(makePart(moved)),
                    selected(makePart(twin))});
    Nester& nester = scene.nester();
    ASSERT_EQ(scene.part(1).outer.area() >= 200000, c.takesTheCorner) << c.name;
    nester.layoutMultipleSteps();
    for (const PlacedPart& part : nester.parts) EXPECT_TRUE(nester.isOnPlate(part)) << c.name;
    const bool atCorner = scene.part(1).box().minX < 0.01 && scene.part(1).box().minY < 0.01;
    EXPECT_EQ(atCorner, c.takesTheCorner) << c.name;
    const bool squareAtCorner = scene.part(0).box().minX < 0.01 && scene.part(0).box().minY < 0.01;
    EXPECT_EQ(squareAtCorner, !c.takesTheCorner) << c.name;
    EXPECT_TRUE(nester.markConflictingParts()) << c.name;
  }
}

// An L of outer area exactly 50 000 in a box of 264 x 220 (aspect ratio exactly 1.2) is a
// small compact part: pass 4 puts it on the grid even though a similar part is waiting,
// which would otherwise send it to its bounding rectangle.
TEST(LayoutMultipleStepsTest, SmallCompactBoundaryGoesToTheGrid) {
  const std::vector<Point> ell = {{0, 0}, {264, 0}, {264, 119}, {184, 119}, {184, 220}, {0, 220}};
  auto job = [&] {
    std::vector<PlacedPart> parts;
    for (double x : {3000.0, 3500.0}) {
      std::vector<Point> outline = ell;
      for (Point& p : outline) p.x += x;
      parts.push_back(selected(makePart(outline)));
    }
    return parts;
  };
  Scene multi(1000, 800, 10), grid(1000, 800, 10), similar(1000, 800, 10);
  for (Scene* s : {&multi, &grid, &similar}) {
    s->setParts(job());
    ASSERT_TRUE(s->nester().layout().rebuildPackingGrid());
  }
  ASSERT_EQ(multi.part(0).outer.area(), 50000);
  ASSERT_EQ(multi.part(0).aspectRatio(), 1.2);
  multi.nester().layoutMultipleSteps();
  for (std::size_t i = 0; i < 2; ++i) {
    gridSearch(grid.nester().layout(), grid.part(i), gridOptions(grid.nester(), true));
    placeBySimilarOrGrid(similar.nester().layout(), similar.part(i), 0.25, jobGridSearch(similar.nester()));
  }
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_TRUE(multi.nester().isOnPlate(multi.part(i)));
    EXPECT_TRUE(samePose(multi.part(i), grid.part(i))) << "part " << i;
  }
  // The other route gives another layout, so the comparison above tells them apart.
  EXPECT_FALSE(samePose(multi.part(0), similar.part(0)));
}

// The figures measure true outlines: the loaded twin replayed at the working part's pose,
// without the half gap the working part is grown by.
TEST(LayoutStatisticsTest, TrueOutlinesOfThePartsOnThePlate) {
  Scene scene(1000, 500, 10);
  Nester& nester = scene.nester();
  nester.partGap = 2;
  PlacedPart twin = makeRectangle(0, 0, 100, 100);
  twin.id = 1;
  // The working part as the load flow leaves it: grown by 1 on every side, its pose still
  // recorded at the first vertex of the outline as read; then laid at the plate's origin.
  PlacedPart working = makeRectangle(-1, -1, 101, 101);
  working.refPoint = Point(0, 0);
  working.translate(1, 1);
  nester.loadedParts.insertFront(twin);
  scene.setParts({working});
  LayoutStatistics statistics = nester.computeLayoutStatistics();
  EXPECT_EQ(statistics.packingLength, 101);
  EXPECT_DOUBLE_EQ(statistics.density, 10000.0 / (101 * 500));
  EXPECT_DOUBLE_EQ(statistics.overallDensity, 0.02);
  EXPECT_EQ(statistics.count, 1);

  // Turned over and turned a quarter: the replay follows the pose.
  PlacedPart& part = scene.part(0);
  part.mirrorAt(part.refPoint);
  part.rotateAbout(part.refPoint, kPi / 2);
  part.translate(500 - part.box().minX, 0 - part.box().minY);
  statistics = nester.computeLayoutStatistics();
  EXPECT_NEAR(statistics.packingLength, 601, 1e-9);
  EXPECT_EQ(statistics.count, 1);

  // A twin without a working part of its id is not counted; with nothing on the plate the
  // packing length is 0 and the density 0/0.
  PlacedPart orphan = makeRectangle(0, 0, 10, 10);
  orphan.id = 99;
  nester.loadedParts.insertFront(orphan);
  part.translate(2000, 0);
  statistics = nester.computeLayoutStatistics();
  EXPECT_EQ(statistics.count, 0);
  EXPECT_EQ(statistics.packingLength, 0);
  EXPECT_EQ(statistics.overallDensity, 0);
  EXPECT_TRUE(std::isnan(statistics.density));
}

TEST(ParkSelectedPartsTest, SelectedPartsGoRightOfAndBelowThePlate) {
  Scene scene(1000, 500, 10);
  scene.setParts({selected(makeRectangle(10, 20, 60, 70)), makeRectangle(100, 20, 150, 70)});
  scene.nester().parkSelectedParts();
  EXPECT_EQ(scene.part(0).box().minX, 1000);
  EXPECT_EQ(scene.part(0).box().maxY, 0);
  EXPECT_EQ(scene.part(0).refPoint.x, 10 + 990);
  EXPECT_EQ(scene.part(0).refPoint.y, 20 - 70);
  EXPECT_FALSE(scene.nester().isOnPlate(scene.part(0)));
  EXPECT_EQ(scene.part(1).box().minX, 100);
}

}  // namespace
}  // namespace platenest
