// The grid placement's options on an empty plate: each objective wins by its own measure,
// and trying the part turned over never does worse than not trying it.
#include "nesting/grid_search.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine_test_support.h"

namespace platenest {
namespace {

using engine_test::makePart;
using engine_test::Scene;

struct Placed {
  double centroidX;
  double rightEdge;
  bool mirrored;
};

// The part laid out alone on a 2000 x 1000 plate (PPD 10), from a place off the plate.
Placed placeAlone(const std::vector<Point>& outline, const GridSearchOptions& options) {
  Scene scene(2000, 1000, 10);
  PlacedPart part = makePart(outline);
  part.translate(5000, 0);
  scene.setParts({part});
  scene.nester().rotationNumber = 4;
  EXPECT_TRUE(scene.nester().renewPackingGrid());
  PlacedPart& member = scene.part(0);
  EXPECT_TRUE(gridSearch(scene.nester().layout(), member, options));
  EXPECT_TRUE(scene.nester().isOnPlate(member));
  EXPECT_TRUE(scene.nester().fitsAmongOthers(member));
  return {member.centroid().x, member.outer.box().maxX, member.mirrored};
}

TEST(GridSearchTest, EachObjectiveWinsByItsOwnMeasureAndTurningOverNeverLoses) {
  // An L, wedges, and a flag (a heavy post with a thin pennant): lying down, the flag's
  // centroid is 83 mm from its box's left side but its box 600 mm wide; standing up, 400 mm
  // wide with the centroid in the middle, so the two objectives pick different turns.
  const std::vector<std::vector<Point>> outlines = {
      {{0, 0}, {100, 0}, {100, 195}, {600, 195}, {600, 205}, {100, 205}, {100, 400}, {0, 400}},
      {{0, 0}, {600, 0}, {600, 40}, {80, 40}, {80, 300}, {0, 300}},
      {{0, 0}, {500, 0}, {500, 60}, {0, 260}},
      {{0, 0}, {300, 0}, {340, 120}, {40, 400}, {0, 200}},
  };
  constexpr double kGridStep = 10;  // a winner may lie up to a grid step from the best pose
  int objectivesDiffer = 0;
  for (std::size_t i = 0; i < outlines.size(); ++i) {
    for (const bool turnover : {false, true}) {
      GridSearchOptions byCentroid;
      byCentroid.tryTurnedOver = turnover;
      GridSearchOptions byEdge = byCentroid;
      byEdge.objective = GridSearchOptions::Objective::kBoxRightEdge;
      const Placed c = placeAlone(outlines[i], byCentroid);
      const Placed e = placeAlone(outlines[i], byEdge);
      EXPECT_LE(c.centroidX, e.centroidX + kGridStep) << "outline " << i << ", turnover " << turnover;
      EXPECT_LE(e.rightEdge, c.rightEdge + kGridStep) << "outline " << i << ", turnover " << turnover;
      if (e.rightEdge < c.rightEdge - kGridStep && c.centroidX < e.centroidX - kGridStep) {
        ++objectivesDiffer;
      }
      if (!turnover) {
        EXPECT_FALSE(c.mirrored);
        EXPECT_FALSE(e.mirrored);
      }
    }
    GridSearchOptions plain, turned;
    turned.tryTurnedOver = true;
    EXPECT_LE(placeAlone(outlines[i], turned).centroidX,
              placeAlone(outlines[i], plain).centroidX + kGridStep)
        << "outline " << i;
  }
  // The outlines are chosen so that the option matters: each objective picks another turn.
  EXPECT_GT(objectivesDiffer, 0);
}

// The job's options: the centroid, the job's RN, turned over as the job allows.
TEST(GridSearchTest, TheJobsOptionsFollowItsTurnoverSetting) {
  Scene scene(1000, 1000);
  scene.nester().rotationNumber = 7;
  EXPECT_EQ(jobGridSearch(scene.nester()).rotationNumber, 7);
  scene.nester().bPartTurnover = false;
  EXPECT_FALSE(jobGridSearch(scene.nester()).tryTurnedOver);
  scene.nester().bPartTurnover = true;
  EXPECT_TRUE(jobGridSearch(scene.nester()).tryTurnedOver);
  EXPECT_EQ(jobGridSearch(scene.nester()).objective, GridSearchOptions::Objective::kCentroidLeft);
}

}  // namespace
}  // namespace platenest
