// The posed view of a layout: every part in the order of the parts, its true outline at the
// working pose (the outline as read, the gap not added), the flags the window paints by,
// and the packing points no part covers.
#include "nesting/posed_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "engine_test_support.h"
#include "loading/load.h"
#include "support/messages.h"

namespace platenest {
namespace {

using engine_test::openExampleJob;
using engine_test::ScratchFolder;
using engine_test::windingInside;

double distanceToRing(const Point& p, const std::vector<Point>& ring) {
  double best = INFINITY;
  for (std::size_t i = 0; i < ring.size(); ++i) {
    best = std::min(best, engine_test::distanceToSegment(p, ring[i], ring[(i + 1) % ring.size()]));
  }
  return best;
}

// The example job laid out with every orientation and turning over: each part's true outline
// stands half the gap inside its working outline, keeps its area as read, and its outline
// as read with arcs (at the same pose) runs through the same corners.
TEST(PosedLayoutTest, TrueOutlinesStandHalfTheGapInsideTheWorkingOnesAtEveryPose) {
  RecordingMessageSink sink;
  ScopedMessageSink guard(&sink);
  ScratchFolder folder;
  auto nester = openExampleJob(folder, "posed");
  nester->rotationNumber = 12;
  nester->layoutAll();
  nester->parts.begin()->selected = true;

  const PosedLayout view = poseLayout(*nester);
  ASSERT_EQ(view.parts.size(), static_cast<std::size_t>(nester->parts.count()));
  EXPECT_EQ(view.plateLength, nester->plateLength());
  EXPECT_EQ(view.plateWidth, nester->plateWidth());
  const double halfGap = nester->partGap / 2;
  ASSERT_GT(halfGap, 0);
  int mirrored = 0;
  auto working = nester->parts.begin();
  for (const PosedPart& part : view.parts) {
    SCOPED_TRACE(part.name);
    ASSERT_EQ(part.working, &*working);
    EXPECT_EQ(part.id, working->id);
    EXPECT_EQ(part.onPlate, nester->isOnPlate(*working));
    EXPECT_EQ(part.selected, working->selected);
    EXPECT_EQ(part.mirrored, working->mirrored);
    mirrored += part.mirrored ? 1 : 0;
    const PlacedPart* loaded = nester->loadedParts.findById(part.id);
    ASSERT_NE(loaded, nullptr);
    EXPECT_NEAR(part.cut.area(), loaded->area(), 1e-6 * loaded->area());
    const std::vector<Point>& outer = working->outer.vertices();
    for (const Point& p : part.cut.outer.vertices()) {
      EXPECT_TRUE(windingInside(outer, p));
      EXPECT_GE(distanceToRing(p, outer), halfGap - 1e-6);
    }
    // The validation check of the outputs passes every part of a real layout.
    EXPECT_EQ(workingOutlineFault(*working, part.cut), "");
    ASSERT_TRUE(part.region.has_value());
    EXPECT_FALSE(part.drawing.has_value());
    // Every corner of the outline as read is a vertex of the cut outline at the same pose.
    for (const Point& corner : part.region->outer.vertices) {
      double nearest = INFINITY;
      for (const Point& p : part.cut.outer.vertices()) nearest = std::min(nearest, p.distance(corner));
      EXPECT_LT(nearest, 1e-6);
    }
    ++working;
  }
  EXPECT_GT(mirrored, 0) << "the job should turn some part over";

  // Free packing points: grid points no placed part covers.
  ASSERT_FALSE(view.freePackingPoints.empty());
  for (const Point& p : view.freePackingPoints) {
    for (const PlacedPart& part : nester->parts) {
      if (!nester->isOnPlate(part)) continue;
      EXPECT_FALSE(part.containsPoint(p)) << p.x << ", " << p.y;
    }
  }
  // Figures alone leave out the outlines as read and the grid.
  const PosedLayout figures = poseLayout(*nester, PoseDetail::kOutlines);
  EXPECT_FALSE(figures.parts.front().region.has_value());
  EXPECT_TRUE(figures.freePackingPoints.empty());
  EXPECT_TRUE(engine_test::samePolygon(figures.parts.front().cut.outer,
                                       view.parts.front().cut.outer));
}

// The check behind the validation build's abort: a part whose working outline lost its
// points, shrank, slid off its cut outline or crosses it is caught; a working outline equal
// to the cut one (no gap) or grown from it passes.
TEST(WorkingOutlineFaultTest, CatchesAWorkingOutlineThatDoesNotHoldTheCutOne) {
  const auto part = [](std::vector<Point> outline) {
    PlacedPart made;
    made.setGeometry(Polygon(std::move(outline)), PolygonList());
    return made;
  };
  const PlacedPart cut = part({{0, 0}, {100, 0}, {100, 100}, {0, 100}});
  PlacedPart grown = cut;
  ASSERT_TRUE(grown.offset(5));
  struct Case {
    const char* name;
    PlacedPart working;
    const char* fault;  // the start of the fault, or empty
  };
  const std::vector<Case> cases = {
      {"grown", grown, ""},
      {"no gap", cut, ""},
      {"no points", PlacedPart(), "its working outline has 0 points"},
      {"shrunk", part({{1, 1}, {99, 1}, {99, 99}, {1, 99}}), "its cut outline reaches (0, 0)"},
      {"slid off", part({{3, 0}, {103, 0}, {103, 100}, {3, 100}}), "its cut outline reaches (0, 0)"},
      {"notched", part({{-5, -5}, {105, -5}, {105, 105}, {50, 105}, {50, 50}, {40, 50},
                        {40, 105}, {-5, 105}}),
       "its working and cut outlines cross"},
      // Without a gap the working outline holds the true arcs, and the cut polygon's chord of a
      // hollow arc may stand off it by up to the chord-height error (1 mm), no further.
      {"chord within its error", cut, ""},
      {"chord beyond its error", cut, "its cut outline reaches (50, -1.5)"},
  };
  const PlacedPart chordWithin = part({{0, 0}, {50, -0.5}, {100, 0}, {100, 100}, {0, 100}});
  const PlacedPart chordBeyond = part({{0, 0}, {50, -1.5}, {100, 0}, {100, 100}, {0, 100}});
  for (const Case& c : cases) {
    const std::string name = c.name;
    const PlacedPart& against = name == "chord within its error"   ? chordWithin
                                : name == "chord beyond its error" ? chordBeyond
                                                                   : cut;
    const std::string fault = workingOutlineFault(c.working, against);
    if (*c.fault == '\0') {
      EXPECT_EQ(fault, "") << c.name;
    } else {
      EXPECT_EQ(fault.rfind(c.fault, 0), 0u) << c.name << ": " << fault;
    }
  }
}

}  // namespace
}  // namespace platenest
