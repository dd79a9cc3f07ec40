// Pairing with similar parts and placement against neighbours: the similarity rule, the
// interlocking of two L shapes, the refusal of poor pairings, the stick-out rule and the tie
// rules between neighbours.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine_test_support.h"
#include "nesting/nester.h"
#include "support/messages.h"

namespace platenest {
namespace {

using engine_test::gridOptions;
using engine_test::makePart;
using engine_test::makeRectangle;

// An L lying down: a full-width bar at the bottom and a block on its left half; rectangularity
// 3/4 for the default top block. `topBlock` is the width of the upper block.
PlacedPart stair(double x, double y, double w = 1000, double h = 400, double topBlock = 500) {
  const double bar = h / 2;
  return makePart({{x, y},
                   {x + w, y},
                   {x + w, y + bar},
                   {x + topBlock, y + bar},
                   {x + topBlock, y + h},
                   {x, y + h}});
}

// The L turned half round, drawn directly so that no rotation rounds its corners: a bar of
// `bar` mm on top and a block on the right under it.
PlacedPart cap(double x, double y, double w = 1000, double h = 400, double bottomBlock = 480,
               double bar = 200) {
  return makePart({{x + w - bottomBlock, y},
                   {x + w, y},
                   {x + w, y + h},
                   {x, y + h},
                   {x, y + h - bar},
                   {x + w - bottomBlock, y + h - bar}});
}

// A rectangle with a square notch cut from its top right corner.
PlacedPart notched(double x, double y, double w, double h, double notch) {
  return makePart({{x, y},
                   {x + w, y},
                   {x + w, y + h - notch},
                   {x + w - notch, y + h - notch},
                   {x + w - notch, y + h},
                   {x, y + h}});
}

// A U opening upwards: its waste lies inside the cup, where no copy of itself can reach.
PlacedPart cup(double x, double y) {
  return makePart({{x, y},
                   {x + 1000, y},
                   {x + 1000, y + 400},
                   {x + 900, y + 400},
                   {x + 900, y + 100},
                   {x + 100, y + 100},
                   {x + 100, y + 400},
                   {x, y + 400}});
}

// The engine tests' scene with warnings kept quiet, whose parts, once set, are numbered and
// stand on a freshly built grid.
class Scene {
 public:
  Scene(double length, double width, double ppd = 10) : scene_(length, width, ppd) {}

  Nester& nester() { return scene_.nester(); }

  // Puts the parts into `parts` in this order, numbers them, builds the grid; returns the
  // members in list order.
  std::vector<PlacedPart*> setParts(const std::vector<PlacedPart>& list) {
    scene_.setParts(list);
    std::vector<PlacedPart*> members;
    for (PlacedPart& member : nester().parts) members.push_back(&member);
    EXPECT_TRUE(nester().layout().rebuildPackingGrid());
    return members;
  }

  std::vector<bool> occupancy() const { return scene_.occupancy(); }

 private:
  RecordingMessageSink sink_;
  ScopedMessageSink guard_{&sink_};
  engine_test::Scene scene_;
};

void expectSameOutline(const PlacedPart& actual, const PlacedPart& expected) {
  ASSERT_EQ(actual.outer.vertexCount(), expected.outer.vertexCount());
  for (int i = 0; i < actual.outer.vertexCount(); ++i) {
    EXPECT_EQ(actual.outer.vertex(i).x, expected.outer.vertex(i).x) << "vertex " << i;
    EXPECT_EQ(actual.outer.vertex(i).y, expected.outer.vertex(i).y) << "vertex " << i;
  }
  EXPECT_EQ(actual.mirrored, expected.mirrored);
  EXPECT_EQ(actual.rotation, expected.rotation);
}

// Every part on the plate is clear of every other part and inside the plate.
void expectFeasible(Nester& nester) {
  for (const PlacedPart& member : nester.parts) {
    if (!nester.isOnPlate(member)) continue;
    EXPECT_TRUE(nester.fitsAmongOthers(member)) << member.id;
  }
}

TEST(SimilarityTest, OneSideWithinOnePercentAndCloseRectangularity) {
  Scene scene(6000, 4000);
  const struct {
    const char* what;
    PlacedPart a;
    PlacedPart b;
    bool similar;
  } cases[] = {
      {"longer sides 0.5% apart", makeRectangle(0, 0, 1000, 400), makeRectangle(0, 0, 1005, 300), true},
      {"2% and 2.5% apart", makeRectangle(0, 0, 1000, 400), makeRectangle(0, 0, 1020, 410), false},
      {"sides compared longer to longer", makeRectangle(0, 0, 400, 1000), makeRectangle(0, 0, 1005, 300),
       true},
      {"shorter sides 0.75% apart", makeRectangle(0, 0, 1000, 400), makeRectangle(0, 0, 700, 403), true},
      {"rectangularities 0.25 apart", makeRectangle(0, 0, 1000, 400), stair(0, 0, 1005, 300), false},
      {"same L shape, other size", stair(0, 0, 1000, 400), stair(0, 0, 1005, 300), true},
      // Relative to a: 10 mm is 1% of 1000 (not less) but less than 1% of 1010.
      {"exactly 1% of a", makeRectangle(0, 0, 1000, 400), makeRectangle(0, 0, 1010, 100), false},
      {"under 1% of a", makeRectangle(0, 0, 1010, 100), makeRectangle(0, 0, 1000, 400), true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(isSimilar(c.a, c.b), c.similar) << c.what;
  }
}

TEST(SimilarityTest, UnionBoxAndPackingLength) {
  Scene scene(1000, 500);
  Nester& nester = scene.nester();
  EXPECT_EQ(unionBoxArea(makeRectangle(0, 0, 10, 10), makeRectangle(20, 5, 30, 25)), 30.0 * 25.0);
  EXPECT_EQ(unionBoxArea(makeRectangle(0, 0, 10, 10), makeRectangle(2, 2, 5, 5)), 100.0);

  scene.setParts({makeRectangle(1200, 0, 1300, 100)});
  EXPECT_EQ(nester.layout().packingLength(), 0.0);  // nothing on the plate
  scene.setParts(
      {makeRectangle(1200, 0, 1300, 100), makeRectangle(300, 0, 550, 100), makeRectangle(0, 200, 100, 300)});
  EXPECT_EQ(nester.layout().packingLength(), 550.0);  // the part off the plate does not count
}

TEST(PairingTest, TwoLShapesInterlockAtAHalfTurn) {
  // Only the positions above the partner fit on this narrow plate.
  Scene scene(1200, 3000);
  Nester& nester = scene.nester();
  // The part's upper block is narrower, so that its corner slides down past the partner's
  // block instead of grazing it.
  auto members = scene.setParts({stair(0, 0), stair(2000, 0, 1000, 400, 480)});
  const PlacedPart& neighbour = *members[0];
  PlacedPart& part = *members[1];

  Pose pose;
  double score = 0;
  Point centroid;
  ASSERT_TRUE(tryPairWith(nester.layout(), 0.25, neighbour, part, pose, score, centroid, jobGridSearch(nester)));
  // The half turn slides down into the free corner: together the two fill a 1000 x 600 box
  // (up to the last step of the slide), saving 200000 mm^2 of box area.
  EXPECT_EQ(pose.rotation, kPi);
  EXPECT_FALSE(pose.mirrored);
  EXPECT_GT(score, 200000.0 - 1000 * 0.01);
  EXPECT_LE(score, 200000.0);
  EXPECT_NEAR(centroid.x, 1000 - (500.0 * 200000 + 240.0 * 96000) / 296000, 1e-9);

  // The saving is about 1.92 times the part's waste (104000 mm^2): a threshold above refuses.
  Pose other;
  double otherScore = 0;
  Point otherCentroid;
  EXPECT_TRUE(tryPairWith(nester.layout(), 1.9, neighbour, part, other, otherScore, otherCentroid, jobGridSearch(nester)));
  EXPECT_FALSE(tryPairWith(nester.layout(), 2.01, neighbour, part, other, otherScore, otherCentroid, jobGridSearch(nester)));

  applyPose(part, pose);
  EXPECT_NEAR(part.box().minX, 0, 1e-9);
  EXPECT_NEAR(part.box().maxX, 1000, 1e-9);
  EXPECT_GE(part.box().minY, 200 - 1e-9);
  EXPECT_LT(part.box().minY, 200.01);
  EXPECT_NEAR(part.centroid().x, centroid.x, 1e-9);
  EXPECT_NEAR(part.centroid().y, centroid.y, 1e-9);
  EXPECT_NEAR(unionBoxArea(neighbour, part), 400000.0 + 400000.0 - score, 1e-6);
  expectFeasible(nester);
}

TEST(PairingTest, PoorPairingsAndRectanglesAreRefused) {
  Scene scene(1200, 3000);
  Nester& nester = scene.nester();
  Pose pose;
  double score = 0;
  Point centroid;
  {
    // Two cups can only stand rim to rim: no box area is saved, far below a quarter of the
    // waste. Positions did fit, as a threshold below zero shows.
    auto members = scene.setParts({cup(0, 0), cup(2000, 0)});
    EXPECT_FALSE(tryPairWith(nester.layout(), 0.25, *members[0], *members[1], pose, score, centroid, jobGridSearch(nester)));
    ASSERT_TRUE(tryPairWith(nester.layout(), -1, *members[0], *members[1], pose, score, centroid, jobGridSearch(nester)));
    EXPECT_LE(score, 0.0);
    EXPECT_GT(score, -1000 * 0.01);
  }
  {
    // A rectangle is never paired, whatever the threshold.
    auto members = scene.setParts({makeRectangle(0, 0, 1000, 400), makeRectangle(2000, 0, 3000, 400)});
    ASSERT_TRUE(isSimilar(*members[0], *members[1]));
    EXPECT_FALSE(tryPairWith(nester.layout(), -1e30, *members[0], *members[1], pose, score, centroid, jobGridSearch(nester)));
  }
  {
    // Within 0.001 of a rectangle counts as a rectangle; a little further off it is paired
    // (here with a threshold that accepts saving nothing).
    auto members = scene.setParts({notched(0, 0, 1000, 400, 10), notched(2000, 0, 1000, 400, 10)});
    ASSERT_LT(std::fabs(members[1]->rectangularity() - 1), 0.001);
    EXPECT_FALSE(tryPairWith(nester.layout(), -1, *members[0], *members[1], pose, score, centroid, jobGridSearch(nester)));
    members = scene.setParts({notched(0, 0, 1000, 400, 30), notched(2000, 0, 1000, 400, 30)});
    EXPECT_TRUE(tryPairWith(nester.layout(), -1, *members[0], *members[1], pose, score, centroid, jobGridSearch(nester)));
  }
  {
    // Parts that are not similar are not tried.
    auto members = scene.setParts({stair(0, 0), stair(2000, 0, 800, 300)});
    EXPECT_FALSE(tryPairWith(nester.layout(), -1e30, *members[0], *members[1], pose, score, centroid, jobGridSearch(nester)));
  }
}

// Sliding in from the right of the layout may not leave a small part sticking out by more
// than half its longer side; a part of 500000 mm^2 box area or more may.
TEST(PairingTest, SmallPartsMayNotStickOutFarRightOfTheLayout) {
  const struct {
    const char* what;
    double scale;
    bool longerLayout;  // a further part takes the layout to 1700 mm
    bool paired;
  } cases[] = {
      {"small part, short layout", 1.0, false, false},
      {"small part, longer layout", 1.0, true, true},
      {"large part, short layout", 1.25, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const double s = c.scale;
    // The plate is too narrow for anything above the partner: only the right side is open.
    Scene scene(3000, 560 * s);
    Nester& nester = scene.nester();
    std::vector<PlacedPart> list = {stair(0, 0, 1000 * s, 400 * s, 600 * s),
                                    cap(3000, 0, 1000 * s, 400 * s, 500 * s, 190 * s)};
    if (c.longerLayout) list.push_back(makeRectangle(1650, 500, 1700, 550));
    auto members = scene.setParts(list);
    Pose pose;
    double score = 0;
    Point centroid;
    const bool paired = tryPairWith(nester.layout(), 0.25, *members[0], *members[1], pose, score, centroid, jobGridSearch(nester));
    EXPECT_EQ(paired, c.paired);
    if (!paired) continue;
    // The cap's top bar, thinner than the partner's block is high, slid in over the partner's
    // bar until it met the partner's block.
    applyPose(*members[1], pose);
    EXPECT_FALSE(pose.mirrored);
    EXPECT_NEAR(members[1]->box().minY, 0, 1e-9);
    EXPECT_GE(members[1]->box().minX, 600 * s - 1e-9);
    EXPECT_LT(members[1]->box().minX, 600 * s + 0.01);
    expectFeasible(nester);
  }
}

// Within one neighbour, positions saving the same box area go by centroid x: here the copy
// laid flush right of the partner is met first, the one above it later and further left.
TEST(PairingTest, EqualSavingsWithOneNeighbourGoByCentroid) {
  // Too narrow for the standing quarter turns; the part is large enough to stick out right.
  Scene scene(3000, 1000);
  Nester& nester = scene.nester();
  // Far from the origin, the half turn of the part rounds to whole millimetres.
  auto members =
      scene.setParts({notched(0, 0, 1250, 500, 100), notched(8192, 4096, 1250, 500, 100)});
  Pose pose;
  double score = -1;
  Point centroid;
  ASSERT_TRUE(tryPairWith(nester.layout(), 0, *members[0], *members[1], pose, score, centroid, jobGridSearch(nester)));
  EXPECT_EQ(score, 0.0);  // flush on either side, nothing saved
  applyPose(*members[1], pose);
  EXPECT_NEAR(members[1]->box().minX, 0, 1e-9);
  EXPECT_NEAR(members[1]->box().minY, 500, 1e-9);
  EXPECT_NEAR(members[1]->centroid().x, centroid.x, 1e-9);
  expectFeasible(nester);
}

// Among neighbours giving the same saving, the pairing further left wins; equal in that too,
// the neighbour met first in the list.
TEST(PairingTest, EqualScoresGoByCentroidThenListOrder) {
  const struct {
    const char* what;
    double lowerX;  // x of the partner at the bottom of the plate
    double upperX;  // x of the partner higher up
    bool lowerFirst;
    bool expectLower;
  } cases[] = {
      {"upper further left, listed second", 150, 0, true, false},
      {"upper further left, listed first", 150, 0, false, false},
      {"lower further left, listed second", 0, 150, false, true},
      {"full tie, lower listed first", 0, 0, true, true},
      {"full tie, upper listed first", 0, 0, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Scene scene(1200, 3000);
    Nester& nester = scene.nester();
    const PlacedPart lower = stair(c.lowerX, 0);
    const PlacedPart upper = stair(c.upperX, 1500);
    std::vector<PlacedPart> list;
    list.push_back(c.lowerFirst ? lower : upper);
    list.push_back(c.lowerFirst ? upper : lower);
    list.push_back(cap(2000, 0));
    auto members = scene.setParts(list);
    PlacedPart& part = *members[2];
    ASSERT_TRUE(placeBesideSimilar(nester.layout(), part, 0.25, jobGridSearch(nester)));
    // The cap lies in the free corner of the winning partner, without being turned.
    const double partnerX = c.expectLower ? c.lowerX : c.upperX;
    const double partnerY = c.expectLower ? 0 : 1500;
    EXPECT_EQ(part.rotation, 0.0);
    EXPECT_EQ(part.box().minX, partnerX);
    EXPECT_GE(part.box().minY, partnerY + 200);
    EXPECT_LT(part.box().minY, partnerY + 200.01);
    expectFeasible(nester);
    // The grid points under the part are taken.
    const int column = static_cast<int>(std::lround(part.box().minX / 10)) + 80;
    const int row = static_cast<int>(std::lround(part.box().minY / 10)) + 10;
    EXPECT_TRUE(nester.packingPoint(column, row).occupied);
  }
}

TEST(PairingTest, NoSimilarNeighbourLeavesThePartAndTheGridAlone) {
  Scene scene(3000, 2000);
  Nester& nester = scene.nester();
  auto members = scene.setParts({makeRectangle(0, 0, 300, 300), stair(4000, 0)});
  const PlacedPart before = *members[1];
  const std::vector<bool> grid = scene.occupancy();
  EXPECT_FALSE(placeBesideSimilar(nester.layout(), *members[1], 0.25, jobGridSearch(nester)));
  expectSameOutline(*members[1], before);
  EXPECT_EQ(scene.occupancy(), grid);
}

TEST(NeighbourPlacementTest, EmptyPlateBehavesLikeTheGrid) {
  for (bool turnover : {false, true}) {
    SCOPED_TRACE(turnover ? "turnover" : "no turnover");
    Scene besideScene(3000, 2000, 30);
    Scene gridScene(3000, 2000, 30);
    besideScene.nester().bPartTurnover = turnover;
    gridScene.nester().bPartTurnover = turnover;
    const PlacedPart part = cap(4000, 100, 1200, 900, 700);
    auto beside = besideScene.setParts({part, makeRectangle(3500, 0, 3600, 100)});
    auto grid = gridScene.setParts({part, makeRectangle(3500, 0, 3600, 100)});
    ASSERT_TRUE(placeBesideNeighbours(besideScene.nester().layout(), *beside[0], jobGridSearch(besideScene.nester())));
    ASSERT_TRUE(gridSearch(gridScene.nester().layout(), *grid[0], gridOptions(gridScene.nester(), turnover)));
    expectSameOutline(*beside[0], *grid[0]);
    EXPECT_EQ(besideScene.occupancy(), gridScene.occupancy());
  }
}

TEST(NeighbourPlacementTest, CrowdedPlateRefusesEvenWhereTheGridHasRoom) {
  Scene scene(3000, 1000);
  Nester& nester = scene.nester();
  // A block in the middle of the left edge: right of it, above it and below it the square
  // would leave the plate, but right of it lower down there is room.
  auto members = scene.setParts({makeRectangle(0, 300, 500, 700), makeRectangle(4000, 0, 4800, 800)});
  PlacedPart& square = *members[1];
  const PlacedPart before = square;
  const std::vector<bool> grid = scene.occupancy();
  EXPECT_FALSE(placeBesideNeighbours(nester.layout(), square, jobGridSearch(nester)));
  expectSameOutline(square, before);
  EXPECT_EQ(scene.occupancy(), grid);
  EXPECT_TRUE(gridSearch(nester.layout(), square, gridOptions(nester, nester.bPartTurnover)));
  expectFeasible(nester);
}

// Candidates whose centroids lie less than 0.1 mm apart in x count as equally far left, and
// the lower one wins; further apart, the one further left wins however high it lies.
TEST(NeighbourPlacementTest, CentroidsWithinATenthOfAMillimetreGoByHeight) {
  const struct {
    const char* what;
    double lowerX;
    double upperX;
    bool expectLower;
  } cases[] = {
      {"lower 0.05 mm further right", 0.05, 0, true},
      {"lower 0.2 mm further right", 0.2, 0, false},
      {"lower 0.05 mm further left", 0, 0.05, true},
      {"upper 0.2 mm further right", 0, 0.2, true},
  };
  for (const auto& c : cases) {
    for (bool lowerFirst : {true, false}) {
      SCOPED_TRACE(std::string(c.what) + (lowerFirst ? ", lower listed first" : ""));
      Scene scene(3000, 3000);
      Nester& nester = scene.nester();
      const PlacedPart lower = makeRectangle(c.lowerX, 1000, c.lowerX + 500, 1500);
      const PlacedPart upper = makeRectangle(c.upperX, 2000, c.upperX + 500, 2500);
      auto members = scene.setParts(
          {lowerFirst ? lower : upper, lowerFirst ? upper : lower, makeRectangle(4000, 0, 4300, 300)});
      PlacedPart& part = *members[2];
      ASSERT_TRUE(placeBesideNeighbours(nester.layout(), part, jobGridSearch(nester)));
      // Best beside each block: under it, flush with its left side.
      EXPECT_NEAR(part.box().minX, c.expectLower ? c.lowerX : c.upperX, 1e-9);
      EXPECT_NEAR(part.box().maxY, c.expectLower ? 1000 : 2000, 1e-9);
      EXPECT_FALSE(part.mirrored);
      expectFeasible(nester);
    }
  }
}

TEST(NeighbourPlacementTest, FitAgainstKeepsTheFlushPositionFurthestLeftThenLowest) {
  Scene scene(3000, 3000);
  Nester& nester = scene.nester();
  auto members = scene.setParts({stair(0, 1000), cap(4000, 0, 1000, 400, 500)});
  Pose pose;
  Point centroid;
  ASSERT_TRUE(fitAgainst(nester.layout(), *members[0], *members[1], pose, centroid));
  // Stood up by a quarter turn, the cap's heavy bar lies on its left (centroid 166.67 mm from
  // its left side); above and below the neighbour that is equally far left, and below is lower.
  EXPECT_EQ(pose.rotation, kPi / 2);
  EXPECT_FALSE(pose.mirrored);
  EXPECT_NEAR(centroid.x, 500.0 / 3, 1e-9);
  applyPose(*members[1], pose);
  EXPECT_NEAR(members[1]->box().minX, 0, 1e-9);
  EXPECT_NEAR(members[1]->box().maxX, 400, 1e-9);
  EXPECT_NEAR(members[1]->box().maxY, 1000, 1e-9);
  EXPECT_NEAR(members[1]->centroid().x, centroid.x, 1e-9);
  EXPECT_NEAR(members[1]->centroid().y, centroid.y, 1e-9);
  expectFeasible(nester);

  // Where no flush position fits, nothing is found.
  auto crowded = scene.setParts({makeRectangle(0, 0, 3000, 2900), cap(4000, 0, 1000, 400, 500)});
  EXPECT_FALSE(fitAgainst(nester.layout(), *crowded[0], *crowded[1], pose, centroid));
}

// Replaying a trial copy's pose on the part gives the copy, from any starting pose.
TEST(ApplyPoseTest, ReproducesTheTrialCopy) {
  Scene scene(3000, 3000);
  for (bool startTurned : {false, true}) {
    for (bool copyTurned : {false, true}) {
      for (int quarter = 0; quarter < 4; ++quarter) {
        SCOPED_TRACE(::testing::Message() << startTurned << copyTurned << quarter);
        PlacedPart part = stair(123.25, 45.5);
        part.rotateAbout(Point(10, 20), 0.3);
        if (startTurned) part.mirrorAt(Point(0, 7));
        PlacedPart copy = part;
        if (copyTurned) copy.mirrorAt(Point(copy.refPoint.x, copy.refPoint.y));
        copy.rotateAbout(Point(copy.refPoint.x, copy.refPoint.y), quarter * kPi / 2);
        copy.translate(731.5, -12.25);
        applyPose(part, Pose{copy.mirrored, copy.refPoint, copy.rotation});
        EXPECT_EQ(part.mirrored, copy.mirrored);
        EXPECT_NEAR(part.rotation, copy.rotation, 1e-12);
        ASSERT_EQ(part.outer.vertexCount(), copy.outer.vertexCount());
        for (int i = 0; i < part.outer.vertexCount(); ++i) {
          EXPECT_NEAR(part.outer.vertex(i).x, copy.outer.vertex(i).x, 1e-9);
          EXPECT_NEAR(part.outer.vertex(i).y, copy.outer.vertex(i).y, 1e-9);
        }
        EXPECT_NEAR(part.centroid().x, copy.centroid().x, 1e-9);
        EXPECT_NEAR(part.centroid().y, copy.centroid().y, 1e-9);
      }
    }
  }
}

}  // namespace
}  // namespace platenest
