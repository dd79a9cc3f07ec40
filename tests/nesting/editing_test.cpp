// The operator's edits in millimetres: picking, window and crossing boxes, free moves and
// turns, turning one part over; and snapshots, which undo and the reduction run rest on: a
// restored job must be the saved one bit for bit, and lay out as a fresh load does.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "engine_test_support.h"
#include "loading/load.h"
#include "support/messages.h"

namespace platenest {
namespace {

using engine_test::makePart;
using engine_test::makeRectangle;
using engine_test::rectangleOutline;
using engine_test::samePose;
using engine_test::Scene;
using engine_test::openExampleJob;
using engine_test::ScratchFolder;

std::vector<bool> selection(Nester& nester) {
  std::vector<bool> flags;
  for (const PlacedPart& part : nester.parts) flags.push_back(part.selected);
  return flags;
}

TEST(EditingTest, PickInvertsTheFirstPartHoldingThePointAndNotAHole) {
  Scene scene(1000, 500);
  // A frame with a hole, a part standing in the hole, and a part lying over the frame's edge.
  scene.setParts({makePart(rectangleOutline(0, 0, 300, 300), {rectangleOutline(50, 50, 250, 250)}),
                  makeRectangle(100, 100, 200, 200), makeRectangle(280, 0, 400, 100)});
  Nester& nester = scene.nester();
  EXPECT_TRUE(nester.pickPart(Point(150, 150)));  // in the hole: the inner part
  EXPECT_EQ(selection(nester), (std::vector<bool>{false, true, false}));
  EXPECT_TRUE(nester.pickPart(Point(290, 50)));  // both hold it: the first in list order
  EXPECT_EQ(selection(nester), (std::vector<bool>{true, true, false}));
  EXPECT_TRUE(nester.pickPart(Point(150, 150)));  // a second pick unselects
  EXPECT_EQ(selection(nester), (std::vector<bool>{true, false, false}));
  EXPECT_FALSE(nester.pickPart(Point(60, 240)));  // in the frame's hole, beside the inner part
  EXPECT_FALSE(nester.pickPart(Point(900, 400)));
  EXPECT_EQ(selection(nester), (std::vector<bool>{true, false, false}));
}

TEST(EditingTest, WindowBoxTakesWholePartsCrossingBoxTouchedOnesAndNeitherRemoves) {
  Scene scene(1000, 500);
  scene.setParts({makeRectangle(0, 0, 100, 100), makeRectangle(200, 0, 300, 100),
                  makeRectangle(400, 0, 500, 100)});
  Nester& nester = scene.nester();
  // Covering no part: nothing changes.
  EXPECT_FALSE(nester.selectInWindow({600, 900, 0, 400}, false));
  EXPECT_FALSE(nester.selectInWindow({600, 900, 0, 400}, true));
  EXPECT_EQ(selection(nester), (std::vector<bool>{false, false, false}));
  // A window box from 50 to 310 holds only the second part whole (to the tolerance).
  EXPECT_TRUE(nester.selectInWindow({50, 300 - 1e-11, -1, 101}, false));
  EXPECT_EQ(selection(nester), (std::vector<bool>{false, true, false}));
  EXPECT_FALSE(nester.selectInWindow({50, 299.99, -1, 101}, false));
  // The same rectangle as a crossing box also takes the first part it touches.
  EXPECT_TRUE(nester.selectInWindow({50, 310, -1, 101}, true));
  EXPECT_EQ(selection(nester), (std::vector<bool>{true, true, false}));
  // A box over the first part alone never unselects the second.
  EXPECT_TRUE(nester.selectInWindow({-1, 101, -1, 101}, false));
  EXPECT_EQ(selection(nester), (std::vector<bool>{true, true, false}));
  nester.selectAll();
  EXPECT_EQ(selection(nester), (std::vector<bool>{true, true, true}));
  nester.clearSelection();
  EXPECT_EQ(selection(nester), (std::vector<bool>{false, false, false}));
}

TEST(EditingTest, FreeMovesAndTurnsActOnTheSelectionUntested) {
  Scene scene(1000, 500);
  scene.setParts({makeRectangle(0, 0, 100, 50), makeRectangle(200, 0, 300, 50),
                  makeRectangle(400, 0, 500, 50)});
  Nester& nester = scene.nester();
  scene.part(0).selected = true;
  scene.part(2).selected = true;
  nester.moveSelected(250, -20);  // onto the second part and below the plate: not tested
  EXPECT_EQ(scene.part(0).box().minX, 250);
  EXPECT_EQ(scene.part(0).box().minY, -20);
  EXPECT_EQ(scene.part(1).box().minX, 200);
  EXPECT_EQ(scene.part(2).box().minX, 650);

  const double step = 3.1415926 * 15 / 180;
  PlacedPart expected = scene.part(2);
  expected.rotateAbout(Point(10, 20), step);
  nester.rotateSelected(Point(10, 20), step);
  EXPECT_TRUE(samePose(scene.part(2), expected));
  EXPECT_DOUBLE_EQ(scene.part(0).rotation, step);
  EXPECT_EQ(scene.part(1).rotation, 0);

  nester.clearSelection();
  const PlacedPart untouched = scene.part(0);
  nester.rotateSelected(Point(0, 0), step);
  nester.moveSelected(5, 5);
  EXPECT_TRUE(samePose(scene.part(0), untouched)) << "nothing selected, nothing turns";
}

TEST(EditingTest, TurnOverTakesOnlyTheFirstSelectedPartAtItsCentroid) {
  Scene scene(1000, 500);
  // An L, so that turning it over shows.
  const std::vector<Point> ell = {{0, 0}, {100, 0}, {100, 20}, {20, 20}, {20, 80}, {0, 80}};
  scene.setParts({makeRectangle(600, 0, 700, 50), makePart(ell), makePart(ell)});
  scene.part(2).translate(300, 0);
  scene.part(1).selected = true;
  scene.part(2).selected = true;
  const Point centroid = scene.part(1).centroid();
  const PlacedPart second = scene.part(2);
  scene.nester().mirrorFirstSelected();
  EXPECT_TRUE(scene.part(1).mirrored);
  EXPECT_DOUBLE_EQ(scene.part(1).centroid().y, centroid.y);
  EXPECT_DOUBLE_EQ(scene.part(1).box().maxY, 2 * centroid.y);  // y -> 2 cy - y: the foot on top
  EXPECT_TRUE(samePose(scene.part(2), second));
  EXPECT_FALSE(scene.part(0).mirrored);
  scene.nester().clearSelection();
  scene.nester().mirrorFirstSelected();  // nothing selected: nothing happens
  EXPECT_TRUE(scene.part(1).mirrored);
}

// Diagonal collision-tested move towards a neighbour: stopped in x, it still follows in y.
TEST(EditingTest, DiagonalTestedMoveStopsInXAndFollowsInY) {
  Scene scene(1000, 500);
  scene.setParts({makeRectangle(100, 100, 200, 200), makeRectangle(205, 0, 400, 500)});
  scene.part(0).selected = true;
  for (int i = 0; i < 4; ++i) scene.nester().moveSelectedTested(3, 10);
  EXPECT_EQ(scene.part(0).box().maxX, 203);  // the second step of 3 would reach 206
  EXPECT_EQ(scene.part(0).box().minY, 140);
}

TEST(SnapshotTest, RestoreGivesBackEveryPoseSelectionPlateAndGridBitForBit) {
  Scene scene(1000, 500, 10);
  PlacedPart framed =
      makePart(rectangleOutline(100.1, 100.3, 300.7, 200.9),
               {rectangleOutline(110, 110, 150, 150), rectangleOutline(200, 110, 250, 150)});
  framed.rotateAbout(Point(123.4, 156.7), 0.3);
  scene.setParts({framed, makeRectangle(400, 0, 500, 100), makeRectangle(2000, 0, 2100, 60)});
  Nester& nester = scene.nester();
  scene.part(1).selected = true;
  nester.layoutAll();
  const std::vector<bool> occupancy = scene.occupancy();
  std::vector<PlacedPart> before;
  for (const PlacedPart& part : nester.parts) {
    const PlacedPart once = part;  // a copy reverses the holes; copied twice they are in order
    before.push_back(once);
  }
  const std::vector<bool> selected = selection(nester);
  const NesterSnapshot saved = nester.snapshot();

  nester.selectAll();
  nester.rotateSelected(Point(0, 0), 1.0);
  nester.mirrorFirstSelected();
  nester.setPlateSize(700, 500);
  nester.restore(saved);

  ASSERT_EQ(nester.parts.count(), 3);
  std::size_t i = 0;
  for (const PlacedPart& part : nester.parts) {
    EXPECT_TRUE(samePose(part, before[i])) << "part " << i;
    // Holes stay in their order (a whole-part copy would reverse them).
    for (int h = 0; h < part.holes.count(); ++h) {
      EXPECT_TRUE(engine_test::samePolygon(part.holes[h], before[i].holes[h]));
    }
    EXPECT_EQ(part.label.x, before[i].label.x);
    ++i;
  }
  EXPECT_EQ(selection(nester), selected);
  EXPECT_EQ(nester.plateLength(), 1000);
  EXPECT_EQ(nester.plateRect().maxX, 1000);
  EXPECT_FALSE(nester.packingGridStale());
  EXPECT_EQ(scene.occupancy(), occupancy);

  // A snapshot of another job is refused, not half applied.
  scene.setParts({makeRectangle(0, 0, 10, 10)});
  EXPECT_THROW(nester.restore(saved), std::logic_error);
}

// Undo of a whole layout: the job restored to its state after loading lays out exactly as a
// fresh load of the same file does, and a snapshot after the layout brings it back (redo).
TEST(SnapshotTest, RestoredJobLaysOutAsAFreshLoad) {
  RecordingMessageSink sink;
  ScopedMessageSink guard(&sink);
  ScratchFolder folder;
  auto fresh = openExampleJob(folder, "fresh");
  fresh->layoutAll();

  auto nester = openExampleJob(folder, "undo");
  const NesterSnapshot loaded = nester->snapshot();
  nester->layoutMultipleSteps();
  nester->selectAll();
  nester->rotateSelected(Point(100, 100), 0.5);
  nester->restore(loaded);
  nester->layoutAll();
  const NesterSnapshot laidOut = nester->snapshot();

  auto expect = [&](const char* what) {
    auto a = fresh->parts.begin();
    for (const PlacedPart& part : nester->parts) {
      EXPECT_TRUE(samePose(part, *a)) << what << ": part " << part.id;
      ++a;
    }
  };
  expect("after undo and Layout All");
  nester->restore(loaded);
  nester->restore(laidOut);
  expect("after redo");
}

}  // namespace
}  // namespace platenest

namespace platenest {
namespace {

// Stops the command once `stopAt` parts are placed, and keeps what it was told.
class StoppingProgress : public Progress {
 public:
  explicit StoppingProgress(std::int64_t stopAt) : stopAt_(stopAt) {}
  void begin(std::string_view what, std::int64_t total) override {
    begun.emplace_back(what);
    totals.push_back(total);
  }
  void advance(std::int64_t done) override {
    reports.push_back(done);
    if (done >= stopAt_) cancel();
  }
  std::vector<std::string> begun;
  std::vector<std::int64_t> totals;
  std::vector<std::int64_t> reports;

 private:
  std::int64_t stopAt_;
};

// A layout stopped after five parts leaves five on the plate and the rest parked where they
// were; the nester is ready for more: Layout All again ends exactly as an unstopped run.
TEST(ProgressTest, StoppedLayoutLeavesPartsPlacedOrParkedAndCanGoOn) {
  RecordingMessageSink sink;
  ScopedMessageSink guard(&sink);
  ScratchFolder folder;
  auto whole = openExampleJob(folder, "whole");
  whole->layoutAll();

  auto nester = openExampleJob(folder, "stopped");
  std::vector<PlacedPart> parked;
  for (const PlacedPart& part : nester->parts) {
    const PlacedPart once = part;
    parked.push_back(once);
  }
  StoppingProgress progress(5);
  nester->progress = &progress;
  nester->layoutAll();
  EXPECT_EQ(progress.begun, std::vector<std::string>{"parts"});
  EXPECT_EQ(progress.totals, std::vector<std::int64_t>{nester->parts.count()});
  EXPECT_EQ(progress.reports, (std::vector<std::int64_t>{1, 2, 3, 4, 5}));
  int onPlate = 0;
  std::size_t i = 0;
  for (const PlacedPart& part : nester->parts) {
    if (nester->isOnPlate(part)) {
      ++onPlate;
    } else {
      EXPECT_TRUE(samePose(part, parked[i])) << "part " << part.id << " left where it was";
    }
    ++i;
  }
  EXPECT_EQ(onPlate, 5);

  progress.reset();
  nester->progress = nullptr;
  nester->layoutAll();
  auto a = whole->parts.begin();
  for (const PlacedPart& part : nester->parts) {
    EXPECT_TRUE(samePose(part, *a)) << "part " << part.id;
    ++a;
  }

  // Multiple steps stop the same way, between two placements.
  auto multi = openExampleJob(folder, "multi");
  multi->selectAll();
  StoppingProgress early(3);
  multi->progress = &early;
  multi->layoutMultipleSteps();
  int placed = 0;
  for (const PlacedPart& part : multi->parts) placed += multi->isOnPlate(part) ? 1 : 0;
  EXPECT_EQ(placed, 3);
}

}  // namespace
}  // namespace platenest
