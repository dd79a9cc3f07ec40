// Grid placement of one part: least centroid x with ties in scan order, turned-over trials,
// parts that cannot be placed, the bounding-rectangle search, and the two-phase search with
// its stop rule compared with a plain exhaustive scan on random scenes.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "engine_test_support.h"
#include "nesting/search_memo.h"
#include "nesting/trial_variants.h"

namespace platenest {
namespace {

using engine_test::gridOptions;
using engine_test::makePart;
using engine_test::makeRectangle;
using engine_test::rectangleOutline;
using engine_test::sameBits;
using engine_test::samePolygon;
using engine_test::samePose;
using engine_test::Scene;

TEST(PlaceAtPackingPointsTest, RectangleEndsUprightAtTheLeftEdge) {
  for (const bool turnover : {false, true}) {
    Scene scene(1000, 500, 10);
    scene.setParts({makeRectangle(1100, 0, 1200, 50)});
    Nester& nester = scene.nester();
    ASSERT_TRUE(nester.layout().rebuildPackingGrid());
    PlacedPart& part = scene.part(0);
    ASSERT_TRUE(gridSearch(nester.layout(), part, gridOptions(nester, turnover)));
    EXPECT_NEAR(part.box().minX, 0, 1e-9);
    EXPECT_NEAR(part.box().maxX, 50, 1e-9);
    EXPECT_NEAR(part.box().minY, 0, 1e-9);
    EXPECT_NEAR(part.box().maxY, 100, 1e-9);
    if (turnover) {
      // Turned over after a turn of 270°, it stands upright already on the point (0, 0),
      // which the scan meets before (0, 100).
      EXPECT_TRUE(part.mirrored);
      EXPECT_TRUE(sameBits(part.rotation, -rotationStep(3, 4)));
    } else {
      // The turn of 270° on the point (0, 100) is met before the turn of 90° on (50, 0),
      // which gives the same centroid x.
      EXPECT_FALSE(part.mirrored);
      EXPECT_TRUE(sameBits(part.rotation, rotationStep(3, 4)));
    }
    EXPECT_TRUE(nester.isOnPlate(part));
    EXPECT_TRUE(nester.fitsAmongOthers(part));
    // The points it covers are occupied, those beside it free.
    EXPECT_TRUE(nester.packingPoint(2, 5).occupied);
    EXPECT_FALSE(nester.packingPoint(6, 5).occupied);
  }
}

TEST(PlaceAtPackingPointsTest, EqualCentroidsGoToTheLowerRow) {
  Scene scene(300, 200, 10);
  scene.setParts({makeRectangle(400, 0, 410, 10)});
  Nester& nester = scene.nester();
  nester.rotationNumber = 1;
  ASSERT_TRUE(nester.layout().rebuildPackingGrid());
  PlacedPart& part = scene.part(0);
  ASSERT_TRUE(gridSearch(nester.layout(), part, gridOptions(nester, false)));
  EXPECT_EQ(part.box().minX, 0);
  EXPECT_EQ(part.box().minY, 0);
  EXPECT_EQ(part.rotation, 0);
}

TEST(PlaceAtPackingPointsTest, RotationNumberDecidesTheOrientationsTried) {
  // A 100 x 50 part on a plate only 60 high fits lying down only.
  struct RnCase {
    int rn;
    bool placed;
  };
  const RnCase cases[] = {{1, true}, {2, true}, {4, true}, {0, false}, {-3, false}};
  for (const RnCase& c : cases) {
    Scene scene(1000, 60, 10);
    scene.setParts({makeRectangle(1100, 0, 1200, 50)});
    Nester& nester = scene.nester();
    nester.rotationNumber = c.rn;
    ASSERT_TRUE(nester.layout().rebuildPackingGrid());
    const PlacedPart before = scene.part(0);
    EXPECT_EQ(gridSearch(nester.layout(), scene.part(0), gridOptions(nester, false)), c.placed) << "RN " << c.rn;
    if (c.placed) {
      EXPECT_NEAR(scene.part(0).box().maxX - scene.part(0).box().minX, 100, 1e-9);
    } else {
      EXPECT_TRUE(samePose(scene.part(0), before)) << "RN " << c.rn;
    }
  }
  // On a plate 60 wide and 120 high, a single orientation cannot place it, a half turn
  // cannot either, a quarter turn can.
  const RnCase upright[] = {{1, false}, {2, false}, {4, true}, {3, false}};
  for (const RnCase& c : upright) {
    Scene scene(60, 120, 10);
    scene.setParts({makeRectangle(1100, 0, 1200, 50)});
    Nester& nester = scene.nester();
    nester.rotationNumber = c.rn;
    ASSERT_TRUE(nester.layout().rebuildPackingGrid());
    EXPECT_EQ(gridSearch(nester.layout(), scene.part(0), gridOptions(nester, false)), c.placed) << "upright, RN " << c.rn;
  }
}

// An L of four 10 mm cells (a column of three and a foot to the right) and a plate whose
// free room is the L's mirror image: only the turned-over part fits.
TEST(PlaceAtPackingPointsTest, PartThatFitsOnlyTurnedOver) {
  const std::vector<Point> ell = {{100, 0}, {120, 0}, {120, 10}, {110, 10}, {110, 30}, {100, 30}};
  for (const bool turnover : {false, true}) {
    Scene scene(21, 31, 1);
    scene.setParts({makeRectangle(0, 10.2, 10.2, 31), makePart(ell)});
    Nester& nester = scene.nester();
    ASSERT_TRUE(nester.layout().rebuildPackingGrid());
    PlacedPart& part = scene.part(1);
    const PlacedPart before = part;
    const bool placed = gridSearch(nester.layout(), part, gridOptions(nester, turnover));
    EXPECT_EQ(placed, turnover);
    if (turnover) {
      EXPECT_TRUE(part.mirrored);
      EXPECT_TRUE(nester.isOnPlate(part));
      EXPECT_TRUE(nester.fitsAmongOthers(part));
      // Slid left against the obstacle's column, within 0.01 mm.
      EXPECT_GT(part.box().minX, 0.2);
      EXPECT_LT(part.box().minX, 0.2 + 0.01);
      EXPECT_NEAR(part.box().minY, 0, 1e-9);
    } else {
      EXPECT_TRUE(samePose(part, before));
    }
  }
}

TEST(PlaceAtPackingPointsTest, PartLargerThanThePlateStaysWhereItWas) {
  Scene scene(500, 300, 10);
  scene.setParts({makePart({{600, 0}, {1200, 0}, {900, 100}})});
  Nester& nester = scene.nester();
  ASSERT_TRUE(nester.layout().rebuildPackingGrid());
  const PlacedPart before = scene.part(0);
  const PackingGrid grid = nester.packingGrid();
  EXPECT_FALSE(gridSearch(nester.layout(), scene.part(0), gridOptions(nester, true)));
  EXPECT_FALSE(gridSearch(nester.layout(), scene.part(0), gridOptions(nester, false)));
  EXPECT_TRUE(samePolygon(scene.part(0).outer, before.outer));
  EXPECT_FALSE(nester.isOnPlate(scene.part(0)));
  for (std::size_t i = 0; i < grid.size(); ++i) {
    ASSERT_EQ(nester.packingGrid()[i].occupied, grid[i].occupied);
  }
}

// The trial copies must keep clear of the part at its present place, so the search puts it
// elsewhere; the slide that follows no longer meets the old place and brings it back.
TEST(PlaceAtPackingPointsTest, PartSearchedAgainIsTriedClearOfItsOldPlace) {
  Scene scene(300, 40, 10);
  scene.setParts({makeRectangle(0, 0, 40, 40)});
  Nester& nester = scene.nester();
  nester.rotationNumber = 1;
  ASSERT_TRUE(nester.layout().rebuildPackingGrid());
  EXPECT_TRUE(nester.packingPoint(2, 2).occupied);
  PlacedPart& part = scene.part(0);
  const std::uint64_t before = nester.fitTestCount();
  ASSERT_TRUE(gridSearch(nester.layout(), part, gridOptions(nester, false)));
  EXPECT_EQ(part.box().minX, 0);
  EXPECT_EQ(part.box().minY, 0);
  // Four steps of 10 mm back to the edge, then three finer levels of one failing step each.
  EXPECT_GT(nester.fitTestCount() - before, 4u);
  // The grid under the old place stays occupied.
  EXPECT_TRUE(nester.packingPoint(2, 2).occupied);
  EXPECT_FALSE(nester.packingPoint(5, 2).occupied);
}

TEST(PlaceAtPackingPointsTest, SmallPartGoesIntoTheHoleOfAFrame) {
  Scene scene(300, 100, 10);
  scene.setParts({makePart(rectangleOutline(0, 0, 100, 100), {rectangleOutline(20, 20, 80, 80)}),
                  makeRectangle(400, 0, 410, 10)});
  Nester& nester = scene.nester();
  ASSERT_TRUE(nester.layout().rebuildPackingGrid());
  EXPECT_FALSE(nester.packingPoint(5, 5).occupied);  // (50, 50) in the hole
  PlacedPart& small = scene.part(1);
  ASSERT_TRUE(gridSearch(nester.layout(), small, gridOptions(nester, true)));
  EXPECT_GT(small.box().minX, 20);
  EXPECT_LT(small.box().minX, 20.01);
  EXPECT_GT(small.box().minY, 20);
  EXPECT_LT(small.box().minY, 20.01);
  EXPECT_TRUE(nester.fitsAmongOthers(small));
}

TEST(PlaceBoundingRectangleTest, RectangleIsSlidIntoContactAndThePartFollows) {
  Scene scene(1000, 500, 30);
  scene.setParts({makeRectangle(0, 0, 5, 500), makePart({{1100, 0}, {1200, 0}, {1100, 50}})});
  Nester& nester = scene.nester();
  ASSERT_TRUE(nester.layout().rebuildPackingGrid());
  PlacedPart& part = scene.part(1);
  ASSERT_TRUE(placeBoundingRectangle(nester.layout(), part));
  // The quarter turn of 90° on the point (60, 0) puts the centroid furthest left (43.3,
  // against 46.7 for 270° on (30, 120)); the rectangle then slid left against the strip.
  EXPECT_NEAR(part.rotation, kPi / 2, 1e-12);
  EXPECT_FALSE(part.mirrored);
  EXPECT_GT(part.box().minX, 5);
  EXPECT_LT(part.box().minX, 5.01);
  EXPECT_GE(part.box().minY, -1e-10);
  EXPECT_LT(part.box().minY, 0.01);
  EXPECT_NEAR(part.box().maxX - part.box().minX, 50, 1e-9);
  EXPECT_NEAR(part.box().maxY - part.box().minY, 100, 1e-9);
  EXPECT_TRUE(nester.fitsAmongOthers(part));
  // Nothing fits when the plate is full.
  Scene full(100, 100, 10);
  full.setParts({makeRectangle(0, 0, 100, 100), makePart({{200, 0}, {210, 0}, {200, 5}})});
  ASSERT_TRUE(full.nester().layout().rebuildPackingGrid());
  const PlacedPart before = full.part(1);
  EXPECT_FALSE(placeBoundingRectangle(full.nester().layout(), full.part(1)));
  EXPECT_TRUE(samePolygon(full.part(1).outer, before.outer));
}

// ---- The plain search: every visited point and every orientation, trial copies made by
// copying and translating, the second phase restarting at row 0 of the first fit's column.

struct Decision {
  bool found = false;
  Point point;
  double angle = 0;
  bool turned = false;
};

Decision plainSearch(Nester& nester, const PlacedPart& original, bool turnover) {
  Decision decision;
  if (nester.rotationNumber <= 0) return decision;
  const PlacedPart once = original;
  PlacedPart part = once;  // copied twice: holes back in their order
  const Point c = part.centroid();
  const Point d = part.rotationCentre();
  const double reach = d.distance(c);
  struct Variant {
    PlacedPart copy;
    Point centroid;
    double angle;
    bool turned;
  };
  std::vector<Variant> variants;
  for (int k = 0; k < nester.rotationNumber; ++k) {
    const double angle = static_cast<double>(k) * 2 * kPi / nester.rotationNumber;
    Variant plain{part, c, angle, false};
    plain.copy.rotateAbout(d, angle);
    plain.centroid.rotateAbout(d, angle);
    variants.push_back(plain);
    if (turnover) {
      Variant turned = plain;
      turned.copy.mirrorAt(d);
      turned.centroid.y = 2 * d.y - turned.centroid.y;
      turned.turned = true;
      variants.push_back(turned);
    }
  }
  const int stride = nester.layout().scanStride(part);
  const int columns = nester.packingColumns(), rows = nester.packingRows();
  double best = 0;
  int firstColumn = -1;
  auto tryAt = [&](const PackingPoint& q, std::size_t k) {
    PlacedPart trial = variants[k].copy;
    trial.translate(q.position.x - d.x, q.position.y - d.y);
    return nester.fits(trial);
  };
  for (int i = 0; i < columns && firstColumn < 0; i += stride) {
    for (int j = 0; j < rows && firstColumn < 0; j += stride) {
      const PackingPoint& q = nester.packingPoint(i, j);
      if (q.occupied) continue;
      for (std::size_t k = 0; k < variants.size(); ++k) {
        if (tryAt(q, k)) {
          best = variants[k].centroid.x + (q.position.x - d.x);
          decision = {true, q.position, variants[k].angle, variants[k].turned};
          firstColumn = i;
          break;
        }
      }
    }
  }
  if (firstColumn < 0) return decision;
  for (int i = firstColumn; i < columns; i += stride) {
    for (int j = 0; j < rows; j += stride) {
      const PackingPoint& q = nester.packingPoint(i, j);
      if (q.occupied) continue;
      if (q.position.x - reach > best) return decision;
      const double dx = q.position.x - d.x;
      for (std::size_t k = 0; k < variants.size(); ++k) {
        if (variants[k].centroid.x + dx < best && tryAt(q, k)) {
          best = variants[k].centroid.x + dx;
          decision = {true, q.position, variants[k].angle, variants[k].turned};
        }
      }
    }
  }
  return decision;
}

void applyDecision(Nester& nester, PlacedPart& part, const Decision& decision) {
  const Point d = part.rotationCentre();
  part.translate(decision.point.x - d.x, decision.point.y - d.y);
  part.rotateAbout(decision.point, decision.angle);
  if (decision.turned) part.mirrorAt(decision.point);
  contactLeft(nester.layout(), part);
  contactDown(nester.layout(), part);
  nester.layout().markCoveredPackingPoints(part);
}

std::vector<PlacedPart> randomJob(std::mt19937& random) {
  std::uniform_real_distribution<double> radius(4, 40), unit(0, 1);
  std::uniform_int_distribution<int> vertices(3, 10);
  std::vector<PlacedPart> parts;
  const int count = 4 + static_cast<int>(unit(random) * 8);
  for (int p = 0; p < count; ++p) {
    const double r = radius(random);
    const int n = vertices(random);
    std::vector<Point> outline;
    for (int k = 0; k < n; ++k) {
      const double angle = 2 * kPi * k / n;
      const double rk = r * (0.5 + 0.5 * unit(random));
      outline.emplace_back(500 + rk * std::cos(angle), 50 + rk * std::sin(angle));
    }
    if (unit(random) < 0.25) {
      std::vector<Point> hole;
      for (int k = 0; k < 5; ++k) {
        const double angle = -2 * kPi * k / 5;
        hole.emplace_back(500 + 0.3 * r * std::cos(angle), 50 + 0.3 * r * std::sin(angle));
      }
      parts.push_back(makePart(outline, {hole}));
    } else {
      parts.push_back(makePart(outline));
    }
  }
  return parts;
}

// Both searches of the engine: point by point without the memo, and variant by variant along
// each column with it (as during a layout command). Turning over gives every orientation a
// twin with the same centroid x, so ties between orientations are met throughout.
TEST(PlaceAtPackingPointsTest, TwoPhaseSearchAgreesWithThePlainScanOnRandomScenes) {
  std::mt19937 random(1234);
  std::uniform_real_distribution<double> ppd(3, 12);
  std::uniform_int_distribution<int> rn(1, 6);
  int placedCount = 0, refusedCount = 0;
  for (int scene = 0; scene < 24; ++scene) {
    const std::vector<PlacedPart> job = randomJob(random);
    const double spacing = ppd(random);
    const int rotations = rn(random);
    const bool turnover = scene % 2 == 1;
    const bool memo = scene % 4 >= 2;
    Scene fast(120, 80, spacing), plain(120, 80, spacing);
    fast.setParts(job);
    plain.setParts(job);
    for (Scene* s : {&fast, &plain}) {
      s->nester().rotationNumber = rotations;
      ASSERT_TRUE(s->nester().layout().rebuildPackingGrid());
    }
    if (memo) fast.nester().layout().searchMemo().begin();
    for (std::size_t p = 0; p < job.size(); ++p) {
      const bool placed = gridSearch(fast.nester().layout(), fast.part(p), gridOptions(fast.nester(), turnover));
      const Decision decision = plainSearch(plain.nester(), plain.part(p), turnover);
      ASSERT_EQ(placed, decision.found) << "scene " << scene << " part " << p;
      if (!decision.found) {
        ++refusedCount;
        continue;
      }
      ++placedCount;
      applyDecision(plain.nester(), plain.part(p), decision);
      ASSERT_TRUE(samePolygon(fast.part(p).outer, plain.part(p).outer))
          << "scene " << scene << " part " << p;
      ASSERT_EQ(fast.part(p).mirrored, plain.part(p).mirrored);
      ASSERT_TRUE(sameBits(fast.part(p).rotation, plain.part(p).rotation));
      for (std::size_t i = 0; i < fast.nester().packingGrid().size(); ++i) {
        ASSERT_EQ(fast.nester().packingGrid()[i].occupied,
                  plain.nester().packingGrid()[i].occupied);
      }
    }
    if (memo) fast.nester().layout().searchMemo().end();
  }
  EXPECT_GT(placedCount, 80);
  EXPECT_GT(refusedCount, 0);
}

}  // namespace
}  // namespace platenest
