// The gestures without a window: a real job, a fitted view and pixels fed as the canvas
// would feed them.
#include "app/interaction.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/undo_history.h"
#include "loading/load.h"
#include "nesting/nester.h"
#include "test_support/scratch_folder.h"

namespace platenest {
namespace {

class Host : public InteractionHost {
 public:
  Nester* nester() override { return job.get(); }
  ViewTransform& view() override { return transform; }
  void repaint() override { ++repaints; }
  void edit(const std::function<void(Nester&)>& change, bool continuesGesture) override {
    history.record(*job, change, continuesGesture);
  }
  void moveBlocked() override { ++blocked; }

  std::unique_ptr<Nester> job;
  ViewTransform transform;
  UndoHistory history;
  int repaints = 0;
  int blocked = 0;
};

// Two 1000 mm squares on the 6000 x 4000 plate, no gap, placed by hand: A at (100, 100),
// B at (1200, 100); the view shows the plate in 600 x 400 pixels.
class InteractionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::filesystem::path job = folder_ / "squares.txt";
    std::ofstream(job, std::ios::binary)
        << "PlateLength: 6000\r\nPlateWidth: 4000\r\nPartToPartGap:0\r\n"
           "NAME:A\r\n5 0 0\r\n0 1000 0\r\n0 1000 1000\r\n0 0 1000\r\n0\r\n"
           "NAME:B\r\n5 0 0\r\n0 1000 0\r\n0 1000 1000\r\n0 0 1000\r\n0\r\n#end\r\n";
    host.job = openLibrary(job, LoadType::kTextLibrary, folder_ / "PackError.txt");
    ASSERT_EQ(host.job->parts.count(), 2);
    placeAt(0, 100, 100);
    placeAt(1, 1200, 100);
    host.job->clearSelection();
    host.transform.fit(600, 400, host.job->plateRect());
    host.history.clear();
  }

  PlacedPart& part(int index) { return *std::next(host.job->parts.begin(), index); }
  void placeAt(int index, double x, double y) {
    host.job->clearSelection();
    part(index).selected = true;
    host.job->moveSelected(x - part(index).box().minX, y - part(index).box().minY);
  }
  Pixel pixelOf(double x, double y) const { return host.transform.worldToPixel(Point(x, y)); }

  testing::ScratchFolder folder_{"platenest-app"};
  Host host;
  Interaction gestures{host};
};

TEST_F(InteractionTest, SelectClickOnASelectedPartUnselectsItAndStartsNoBox) {
  part(0).selected = true;
  gestures.setMode(InteractionMode::kSelect, true);
  gestures.leftButtonDown(pixelOf(600, 600), false);
  EXPECT_FALSE(part(0).selected);
  EXPECT_EQ(gestures.clickCount(), 0);
  gestures.mouseMove(pixelOf(3000, 3000), false);
  EXPECT_FALSE(gestures.marks().selectionBox.has_value());
}

TEST_F(InteractionTest, WindowBoxSelectsWhatItCoversCrossingBoxWhatItTouches) {
  gestures.setMode(InteractionMode::kSelect, true);
  // Left to right round A only, and reaching into B: the window rule takes A alone.
  gestures.leftButtonDown(pixelOf(50, 1200), false);
  gestures.mouseMove(pixelOf(1500, 50), false);
  const GestureMarks marks = gestures.marks();
  ASSERT_TRUE(marks.selectionBox.has_value());
  EXPECT_EQ(marks.selectionBox->second, pixelOf(1500, 50));
  gestures.leftButtonDown(pixelOf(1500, 50), false);
  EXPECT_TRUE(part(0).selected);
  EXPECT_FALSE(part(1).selected);
  EXPECT_FALSE(gestures.marks().selectionBox.has_value());

  host.job->clearSelection();
  // Right to left over the gap between them, touching both.
  gestures.leftButtonDown(pixelOf(1300, 600), false);
  gestures.leftButtonDown(pixelOf(1000, 500), false);
  EXPECT_TRUE(part(0).selected);
  EXPECT_TRUE(part(1).selected);
}

TEST_F(InteractionTest, BoxOverNothingChangesNothingAndLeavesNoUndoStep) {
  gestures.setMode(InteractionMode::kSelect, true);
  for (const bool crossing : {false, true}) {
    const double from = crossing ? 5000 : 4000;
    const double to = crossing ? 4000 : 5000;
    gestures.leftButtonDown(pixelOf(from, 3000), false);
    gestures.leftButtonDown(pixelOf(to, 2000), false);
  }
  EXPECT_FALSE(part(0).selected);
  EXPECT_FALSE(part(1).selected);
  EXPECT_EQ(host.history.undoCount(), 0u);
}

TEST_F(InteractionTest, DiagonalTestedMoveStopsInXAndFollowsInY) {
  part(1).selected = true;
  gestures.setMode(InteractionMode::kTestedMove, true);
  const Pixel start = pixelOf(1700, 600);
  const Pixel end{start.x - 30, start.y - 20};
  const Point a = host.transform.pixelToWorld(start.x, start.y);
  const Point b = host.transform.pixelToWorld(end.x, end.y);
  ASSERT_LT(1200 + (b.x - a.x), 1100);  // the x share alone would overlap A
  gestures.leftButtonDown(start, false);
  gestures.mouseMove(end, false);
  gestures.leftButtonDown(end, false);
  EXPECT_EQ(part(1).box().minX, 1200);
  EXPECT_NEAR(part(1).box().minY, 100 + (b.y - a.y), 1e-9);
  EXPECT_EQ(host.blocked, 0);
  // The whole gesture is one undo step.
  ASSERT_EQ(host.history.undoCount(), 1u);
  host.history.undo(*host.job);
  EXPECT_EQ(part(1).box().minY, 100);

  // Straight into A: nothing can move, and the operator is told.
  gestures.leftButtonDown(start, false);
  gestures.mouseMove(Pixel{start.x - 30, start.y}, false);
  EXPECT_EQ(part(1).box().minX, 1200);
  EXPECT_EQ(host.blocked, 1);
}

TEST_F(InteractionTest, PlainMoveFollowsTheMouseUntested) {
  part(1).selected = true;
  gestures.setMode(InteractionMode::kMove, true);
  const Pixel start = pixelOf(1700, 600);
  gestures.leftButtonDown(start, false);
  gestures.mouseMove(Pixel{start.x - 30, start.y}, false);
  gestures.leftButtonDown(Pixel{start.x - 30, start.y}, false);
  EXPECT_LT(part(1).box().minX, 1100);  // overlapping A: plain moves are not tested
  EXPECT_EQ(gestures.clickCount(), 0);
}

TEST_F(InteractionTest, ThreeWheelNotchesZoomBy1331AboutThePointer) {
  const Pixel at{421, 97};
  const Point under = host.transform.pixelToWorld(at.x, at.y);
  const double scale = host.transform.scale();
  for (int i = 0; i < 3; ++i) gestures.wheel(at, 120);
  EXPECT_NEAR(host.transform.scale() / scale, 1.331, 1e-12);
  const Point now = host.transform.pixelToWorld(at.x, at.y);
  EXPECT_NEAR(now.x, under.x, 1e-9);
  EXPECT_NEAR(now.y, under.y, 1e-9);
  gestures.wheel(at, -120);
  EXPECT_NEAR(host.transform.scale() / scale, 1.21, 1e-12);
}

TEST_F(InteractionTest, RotateModeSetsTheCrossAndTurnsTheSelectionByTheStep) {
  gestures.setMode(InteractionMode::kRotate, true);
  const Pixel centre = pixelOf(600, 600);
  gestures.leftButtonDown(centre, false);
  ASSERT_TRUE(gestures.marks().rotationCentre.has_value());
  EXPECT_EQ(*gestures.marks().rotationCentre, centre);
  EXPECT_EQ(gestures.clickCount(), 1);
  gestures.leftButtonDown(centre, false);
  EXPECT_EQ(gestures.clickCount(), 2);  // nothing resets the count in rotate mode

  const double before = part(0).rotation;
  gestures.wheel(centre, 120);
  EXPECT_EQ(part(0).rotation, before);  // nothing selected: nothing turns
  EXPECT_EQ(host.history.undoCount(), 0u);

  part(0).selected = true;
  gestures.wheel(centre, 120);
  EXPECT_NEAR(part(0).rotation - before, 0.2617993833, 1e-10);
  EXPECT_EQ(part(1).rotation, 0.0);
  gestures.rotateStep(false);
  gestures.rotateStep(false);
  EXPECT_NEAR(part(0).rotation - before, -kRotationStep, 1e-12);
}

TEST_F(InteractionTest, SelectAfterZoomKeepsTheCountAndCompletesTheOldGesture) {
  gestures.setMode(InteractionMode::kZoomWindow, true);
  gestures.leftButtonDown(pixelOf(50, 1200), false);  // first corner of a zoom box
  EXPECT_TRUE(gestures.marks().zoomBox.has_value());
  gestures.setMode(InteractionMode::kSelect, false);  // S keeps the count
  gestures.leftButtonDown(pixelOf(1150, 50), false);  // completes a box from the old corner
  EXPECT_TRUE(part(0).selected);
  EXPECT_EQ(gestures.clickCount(), 0);

  // A count run past 2 makes every further click do nothing until a reset.
  gestures.setMode(InteractionMode::kRotate, true);
  gestures.leftButtonDown(pixelOf(5000, 3000), false);
  gestures.leftButtonDown(pixelOf(5000, 3000), false);
  gestures.setMode(InteractionMode::kSelect, false);
  host.job->clearSelection();
  gestures.leftButtonDown(pixelOf(600, 600), false);
  EXPECT_FALSE(part(0).selected);
  gestures.resetClicks();
  gestures.leftButtonDown(pixelOf(600, 600), false);
  EXPECT_TRUE(part(0).selected);
}

TEST_F(InteractionTest, NoJobNoGesture) {
  host.job.reset();
  gestures.setMode(InteractionMode::kPan, true);
  gestures.leftButtonDown(Pixel{10, 10}, false);
  EXPECT_EQ(gestures.clickCount(), 0);
  const double scale = host.transform.scale();
  gestures.wheel(Pixel{10, 10}, 120);
  EXPECT_EQ(host.transform.scale(), scale);
}

}  // namespace
}  // namespace platenest
