// The packing-point grid: its size and storage order, refusal of a PPD or a grid that cannot
// be built, occupancy under laid-out parts (holes stay free), the default PPD, the scan
// stride and the trial orientations.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "engine_test_support.h"
#include "nesting/trial_variants.h"
#include "support/messages.h"

namespace platenest {
namespace {

using engine_test::makePart;
using engine_test::makeRectangle;
using engine_test::rectangleOutline;
using engine_test::sameBits;
using engine_test::Scene;

TEST(PackingGridTest, PlateOf6000By4000AtPpd30Has201ColumnsOf134Rows) {
  Scene scene(6000, 4000, 30);
  Nester& nester = scene.nester();
  ASSERT_TRUE(nester.layout().rebuildPackingGrid());
  EXPECT_EQ(nester.packingColumns(), 201);
  EXPECT_EQ(nester.packingRows(), 134);
  ASSERT_EQ(nester.packingGrid().size(), 201u * 134u);
  // Positions by repeated addition, column after column.
  double x = 0;
  for (int i = 0; i < 201; ++i) {
    double y = 0;
    for (int j = 0; j < 134; ++j) {
      const PackingPoint& point = nester.packingGrid()[static_cast<std::size_t>(i) * 134 + j];
      ASSERT_TRUE(sameBits(point.position.x, x) && sameBits(point.position.y, y)) << i << ", " << j;
      ASSERT_FALSE(point.occupied);
      y += 30;
    }
    x += 30;
  }
  EXPECT_NEAR(nester.packingPoint(200, 0).position.x, 6000, 1e-9);
  EXPECT_NEAR(nester.packingPoint(0, 133).position.y, 3990, 1e-9);
}

TEST(PackingGridTest, UnusablePpdOrOversizedGridIsRefusedBeforeAnyMemoryIsTaken) {
  struct RefusalCase {
    const char* name;
    double length, width, ppd;
    bool refused;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const RefusalCase cases[] = {
      {"zero", 6000, 4000, 0, true},
      {"negative", 6000, 4000, -30, true},
      {"not a number", 6000, 4000, nan, true},
      {"infinite", 6000, 4000, inf, true},
      {"construction default 0.5: 12001 x 8001 points", 6000, 4000, 0.5, true},
      {"exactly 4000 x 5000 = 20 million points", 3999, 4999, 1, false},
      {"4001 x 5000 points", 4000, 4999, 1, true},
      {"ordinary", 6000, 4000, 30, false},
      {"tiny PPD on a tiny plate", 1e-6, 1e-6, 1e-9, false},
  };
  for (const RefusalCase& c : cases) {
    Scene scene(c.length, c.width, c.ppd);
    EXPECT_EQ(scene.nester().packingGridProblem().has_value(), c.refused) << c.name;
  }

  for (const RefusalCase& c : cases) {
    if (!c.refused) continue;
    Scene scene(c.length, c.width, 30);
    Nester& nester = scene.nester();
    ASSERT_TRUE(nester.layout().rebuildPackingGrid());
    nester.setPackingPointDistance(c.ppd);
    RecordingMessageSink sink;
    ScopedMessageSink guard(&sink);
    EXPECT_FALSE(nester.layout().rebuildPackingGrid()) << c.name;
    EXPECT_EQ(nester.packingColumns(), 0) << c.name;
    EXPECT_EQ(nester.packingRows(), 0) << c.name;
    EXPECT_TRUE(nester.packingGrid().empty()) << c.name;
    ASSERT_EQ(sink.messages().size(), 1u) << c.name;
    EXPECT_EQ(sink.messages()[0].caption, kWarningCaption);
    EXPECT_EQ(sink.messages()[0].text, *nester.packingGridProblem());
    // A usable PPD builds the grid again.
    nester.setPackingPointDistance(100);
    EXPECT_TRUE(nester.layout().rebuildPackingGrid()) << c.name;
    EXPECT_EQ(nester.packingColumns(), static_cast<int>(c.length / 100) + 1) << c.name;
  }
}

TEST(PackingGridTest, PartsOnThePlateOccupyTheirPointsAndHolesStayFree) {
  Scene scene(200, 100, 10);
  scene.setParts({
      makePart(rectangleOutline(0, 0, 60, 60), {rectangleOutline(15, 15, 45, 45)}),
      makeRectangle(250, 0, 300, 50),  // parked off the plate: occupies nothing
  });
  Nester& nester = scene.nester();
  ASSERT_TRUE(nester.layout().rebuildPackingGrid());
  int occupied = 0;
  for (int i = 0; i < nester.packingColumns(); ++i) {
    for (int j = 0; j < nester.packingRows(); ++j) {
      const PackingPoint& point = nester.packingPoint(i, j);
      const double x = point.position.x, y = point.position.y;
      // Left and top edges of the frame count as outside, right and bottom ones as inside;
      // the hole's own edges follow the same rule turned inside out.
      const bool inFrame = x > 0 && x <= 60 && y >= 0 && y < 60;
      const bool inHole = x > 15 && x <= 45 && y >= 15 && y < 45;
      EXPECT_EQ(point.occupied, inFrame && !inHole) << x << ", " << y;
      occupied += point.occupied;
    }
  }
  EXPECT_EQ(occupied, 6 * 6 - 3 * 3);
  EXPECT_FALSE(nester.packingPoint(3, 3).occupied);  // (30, 30) in the hole
}

TEST(PackingGridTest, MarkingRowByRowAgreesWithTestingEveryPoint) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> position(-30, 330), radius(3, 60), ppd(0.7, 13);
  std::uniform_int_distribution<int> vertices(3, 12);
  for (int trial = 0; trial < 40; ++trial) {
    Scene scene(300, 200, ppd(random));
    Nester& nester = scene.nester();
    ASSERT_TRUE(nester.layout().rebuildPackingGrid());
    std::vector<Point> outline;
    const double cx = position(random), cy = position(random) * 0.6;
    const int n = vertices(random);
    for (int k = 0; k < n; ++k) {
      const double r = radius(random);
      outline.emplace_back(cx + r * std::cos(2 * kPi * k / n), cy + r * std::sin(2 * kPi * k / n));
    }
    // A grid point exactly on a vertex and on an edge of the outline.
    outline[0] = nester.packingPoint(5, 5).position;
    // Some outlines get an edge along a row of points and a hole with corners on the grid.
    std::vector<std::vector<Point>> holes;
    if (trial % 2 == 1) {
      const Point& p = nester.packingPoint(7, 4).position;
      const Point& q = nester.packingPoint(9, 6).position;
      outline[1] = Point(outline[1].x, p.y);
      outline[2] = Point(outline[2].x, p.y);
      holes.push_back({p, Point(q.x, p.y), q, Point(p.x, q.y)});
    }
    const PlacedPart part = makePart(outline, holes);
    nester.layout().markCoveredPackingPoints(part);
    for (const PackingPoint& point : nester.packingGrid()) {
      ASSERT_EQ(point.occupied, part.containsPoint(point.position))
          << "trial " << trial << " at " << point.position.x << ", " << point.position.y;
    }
  }
}

TEST(DefaultPpdTest, SmallestPartDecides) {
  struct PpdCase {
    std::vector<std::pair<double, double>> sizes;
    double ppd;
  };
  const PpdCase cases[] = {
      {{{200, 50}}, 30},
      {{{3000, 2000}, {1000, 800}}, 80},
      {{{1000, 800}, {200, 50}, {400, 400}}, 30},
      {{{2000, 1500}}, 150},
  };
  for (const PpdCase& c : cases) {
    Scene scene(6000, 4000);
    std::vector<PlacedPart> list;
    for (const auto& [w, h] : c.sizes) list.push_back(makeRectangle(0, 0, w, h));
    scene.setParts(list);
    EXPECT_EQ(scene.nester().defaultPackingPointDistance(), c.ppd);
  }
}

TEST(ScanStrideTest, LargePartsScanACoarserSubGrid) {
  struct StrideCase {
    double w, h, ppd;
    int stride;
  };
  const StrideCase cases[] = {
      {3000, 1000, 30, 3},                    // m = 100 > 60: 100 / 30 -> 3
      {500, 400, 30, 1},                      // m = 40, not above 60
      {600, 600, 30, 1},                      // m = 60: 2·PPD must be strictly less
      {610, 6100, 30, 2},                     // m = 61
      {4000, 3000, 10, 30}, {100, 50, 0, 1},  // no usable PPD: every point
      {100, 50, -1, 1},
  };
  for (const StrideCase& c : cases) {
    Scene scene(6000, 4000, c.ppd);
    EXPECT_EQ(scene.nester().layout().scanStride(makeRectangle(0, 0, c.w, c.h)), c.stride)
        << c.w << " x " << c.h << " at PPD " << c.ppd;
  }
}

TEST(TrialVariantsTest, EqualStepsAboutTheRotationCentre) {
  PlacedPart part = makePart({{0, 0}, {100, 0}, {100, 20}, {20, 20}, {20, 60}, {0, 60}});
  const Point c = part.centroid();
  const Point d = part.rotationCentre();
  struct AngleCase {
    int rn;
    std::vector<double> angles;
  };
  const AngleCase cases[] = {
      {4, {0, kPi / 2, kPi, 3 * kPi / 2}},
      {3, {0, 2 * kPi / 3, 4 * kPi / 3}},
      {1, {0}},
      {0, {}},
      {-2, {}},
  };
  for (const AngleCase& ac : cases) {
    std::vector<TrialVariant> plain, turned;
    buildRotationVariants(part, d, c, ac.rn, plain);
    buildTurnedVariants(part, d, c, ac.rn, turned);
    ASSERT_EQ(plain.size(), ac.angles.size()) << "RN " << ac.rn;
    ASSERT_EQ(turned.size(), 2 * ac.angles.size()) << "RN " << ac.rn;
    for (std::size_t k = 0; k < ac.angles.size(); ++k) {
      EXPECT_NEAR(plain[k].angle, ac.angles[k], 1e-15);
      EXPECT_FALSE(plain[k].turned);
      // Every variant keeps its rotation centre on the spot and its centroid at distance R.
      bool keepsCentre = false;
      for (const Point& v : plain[k].part.outer.vertices()) {
        keepsCentre = keepsCentre || (v.x == d.x && v.y == d.y);
      }
      EXPECT_TRUE(keepsCentre);
      EXPECT_NEAR(plain[k].centroid.distance(d), c.distance(d), 1e-9);
      EXPECT_NEAR(plain[k].centroid.x, plain[k].part.centroid().x, 1e-9);
      // Plain, then turned over across the horizontal line through the centre.
      EXPECT_TRUE(sameBits(turned[2 * k].angle, plain[k].angle));
      EXPECT_FALSE(turned[2 * k].turned);
      EXPECT_TRUE(turned[2 * k + 1].turned);
      EXPECT_TRUE(turned[2 * k + 1].part.mirrored);
      EXPECT_TRUE(sameBits(turned[2 * k + 1].centroid.x, plain[k].centroid.x));
      EXPECT_NEAR(turned[2 * k + 1].centroid.y, 2 * d.y - plain[k].centroid.y, 1e-12);
      EXPECT_NEAR(turned[2 * k + 1].centroid.y, turned[2 * k + 1].part.centroid().y, 1e-9);
    }
  }
  std::vector<TrialVariant> quarters;
  const Point corner(part.box().minX, part.box().minY);
  buildQuarterTurns(part, corner, c, quarters);
  ASSERT_EQ(quarters.size(), 4u);
  EXPECT_NEAR(quarters[1].part.box().maxX, 0, 1e-12);  // a quarter turn puts it left of the corner
  EXPECT_NEAR(quarters[1].part.box().maxY, 100, 1e-12);
  EXPECT_NEAR(quarters[2].part.box().minX, -100, 1e-12);
  EXPECT_NEAR(quarters[3].part.box().minY, -100, 1e-12);
}

}  // namespace
}  // namespace platenest
