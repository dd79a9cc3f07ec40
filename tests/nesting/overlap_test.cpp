// The overlap and containment tests: point in polygon on and off the boundary, edge
// crossing, the 1e-5 box rule, parts in holes, the plate test with its 1e-10 tolerance, the
// fit tests and the marking of conflicts. The fast fit test is compared with a plain version
// written straight from the rules on seeded random candidates.
#include "nesting/overlap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "engine_test_support.h"
#include "nesting/trial_variants.h"

namespace platenest {
namespace {

using engine_test::makePart;
using engine_test::makeRectangle;
using engine_test::randomStar;
using engine_test::rectangleOutline;
using engine_test::samePose;
using engine_test::Scene;
using engine_test::windingInside;

struct PointCase {
  const char* name;
  Point p;
  bool inside;
};

TEST(PointInPolygonTest, SquareBoundaryCountsOnlyRightAndBottomEdges) {
  const Polygon square(rectangleOutline(0, 0, 10, 10));
  const PointCase cases[] = {
      {"centre", {5, 5}, true},
      {"right edge", {10, 5}, true},
      {"left edge", {0, 5}, false},
      {"top edge", {5, 10}, false},
      {"bottom edge", {5, 0}, true},
      {"outside the box", {11, 5}, false},
      {"lower-left corner", {0, 0}, false},
      {"lower-right corner", {10, 0}, true},
      {"upper-right corner", {10, 10}, false},
      {"upper-left corner", {0, 10}, false},
      {"just inside the left edge", {1e-12, 5}, true},
      {"just below the top edge", {5, 10 - 1e-12}, true},
      {"just beyond the right edge", {10 + 1e-12, 5}, false},
  };
  for (const PointCase& c : cases) {
    EXPECT_EQ(square.containsPoint(c.p), c.inside) << c.name;
  }
  // The orientation of the outline does not change the answer.
  const Polygon clockwise({{0, 0}, {0, 10}, {10, 10}, {10, 0}});
  for (const PointCase& c : cases) {
    EXPECT_EQ(clockwise.containsPoint(c.p), c.inside) << c.name << " (clockwise)";
  }
}

TEST(PointInPolygonTest, RayThroughVerticesOfPeaksAndValleys) {
  // A roof peak at (5, 10): a ray through the peak meets two upper ends and counts neither.
  const Polygon triangle({{0, 0}, {10, 0}, {5, 10}});
  EXPECT_FALSE(triangle.containsPoint(Point(2, 10)));
  EXPECT_FALSE(triangle.containsPoint(Point(5, 10)));
  EXPECT_TRUE(triangle.containsPoint(Point(5, 5)));
  // A valley at (5, 5): the ray through it meets two lower ends and counts both.
  const Polygon notched({{0, 0}, {10, 0}, {10, 10}, {5, 5}, {0, 10}});
  EXPECT_TRUE(notched.containsPoint(Point(2, 5)));
  EXPECT_TRUE(notched.containsPoint(Point(7, 5)));
  EXPECT_FALSE(notched.containsPoint(Point(5, 8)));
  EXPECT_TRUE(notched.containsPoint(Point(2, 8)));
  EXPECT_FALSE(Polygon().containsPoint(Point(0, 0)));
}

TEST(PointInPolygonTest, AgreesWithWindingNumberOffTheBoundary) {
  std::mt19937 random(20240307);
  std::uniform_real_distribution<double> coordinate(-12, 12);
  int insideCount = 0;
  for (int shape = 0; shape < 50; ++shape) {
    const std::vector<Point> outline = randomStar(random, 0, 0, 2, 10, 3 + shape % 17);
    const Polygon polygon(outline);
    for (int i = 0; i < 400; ++i) {
      const Point p(coordinate(random), coordinate(random));
      const bool expected = windingInside(outline, p);
      insideCount += expected;
      ASSERT_EQ(polygon.containsPoint(p), expected)
          << "shape " << shape << " at " << p.x << ", " << p.y;
    }
  }
  EXPECT_GT(insideCount, 1000);
}

struct CrossCase {
  const char* name;
  std::vector<Point> a;
  std::vector<Point> b;
  bool cross;
};

TEST(EdgesCrossTest, TouchingAndCollinearEdgesMeet) {
  const CrossCase cases[] = {
      {"overlapping squares", rectangleOutline(0, 0, 10, 10), rectangleOutline(5, 5, 15, 15), true},
      {"shared edge", rectangleOutline(0, 0, 10, 10), rectangleOutline(10, 0, 20, 10), true},
      {"corner to corner", rectangleOutline(0, 0, 10, 10), rectangleOutline(10, 10, 20, 20), true},
      {"collinear, partly overlapping edges", rectangleOutline(0, 0, 10, 10),
       rectangleOutline(10, 5, 20, 15), true},
      {"vertex touching an edge",
       rectangleOutline(0, 0, 10, 10),
       {{10, 5}, {20, 0}, {20, 10}},
       true},
      {"apart by a hair", rectangleOutline(0, 0, 10, 10), rectangleOutline(10 + 1e-9, 0, 20, 10),
       false},
      {"one inside the other, no edge meeting", rectangleOutline(0, 0, 10, 10),
       rectangleOutline(2, 2, 8, 8), false},
      {"collinear on one line but apart",
       {{0, 0}, {10, 0}, {5, -5}},
       {{11, 0}, {20, 0}, {15, 5}},
       false},
  };
  for (const CrossCase& c : cases) {
    const Polygon a(c.a), b(c.b);
    EXPECT_EQ(a.edgesCross(b), c.cross) << c.name;
    EXPECT_EQ(b.edgesCross(a), c.cross) << c.name << " (swapped)";
  }
  EXPECT_FALSE(Polygon().edgesCross(Polygon(rectangleOutline(0, 0, 1, 1))));
}

TEST(OutersClearTest, BoxesWithinOneHundredThousandthOfAMillimetreCountAsApart) {
  struct ShiftCase {
    double overlap;
    bool clear;
  };
  const ShiftCase cases[] = {
      {-1.0, true}, {0.0, true}, {0.5e-5, true}, {2e-5, false}, {0.5, false}};
  for (const ShiftCase& c : cases) {
    const PlacedPart left = makeRectangle(0, 0, 1, 1);
    // The right square starts `overlap` inside the left one, along x and, separately, y.
    const PlacedPart right = makeRectangle(1 - c.overlap, 0, 2 - c.overlap, 1);
    const PlacedPart above = makeRectangle(0, 1 - c.overlap, 1, 2 - c.overlap);
    EXPECT_EQ(left.outersClear(right), c.clear) << "x overlap " << c.overlap;
    EXPECT_EQ(right.outersClear(left), c.clear) << "x overlap " << c.overlap;
    EXPECT_EQ(left.isClearOf(above), c.clear) << "y overlap " << c.overlap;
    EXPECT_EQ(above.isClearOf(left), c.clear) << "y overlap " << c.overlap;
  }
  // Deep overlap with no vertex of either inside the other: only the edges tell.
  const PlacedPart wide = makeRectangle(0, 4, 10, 6);
  const PlacedPart tall = makeRectangle(4, 0, 6, 10);
  EXPECT_FALSE(wide.outersClear(tall));
  EXPECT_FALSE(tall.outersClear(wide));
}

TEST(IsClearOfTest, PartInAHoleIsClearBothWays) {
  const PlacedPart frame = makePart(rectangleOutline(0, 0, 10, 10), {rectangleOutline(2, 2, 8, 8)});
  const PlacedPart inside = makeRectangle(4, 4, 6, 6);
  const PlacedPart straddling = makeRectangle(7, 4, 9, 6);
  const PlacedPart onHoleEdge = makeRectangle(6, 4, 8, 6);
  EXPECT_TRUE(frame.isClearOf(inside));
  EXPECT_TRUE(inside.isClearOf(frame));
  EXPECT_FALSE(frame.isClearOf(straddling));
  EXPECT_FALSE(straddling.isClearOf(frame));
  // Touching the hole's edge counts as crossing it.
  EXPECT_FALSE(frame.isClearOf(onHoleEdge));
  EXPECT_FALSE(onHoleEdge.isClearOf(frame));
  // A frame in the hole of a bigger frame, and a part in the hole of the inner frame.
  const PlacedPart bigFrame =
      makePart(rectangleOutline(-10, -10, 20, 20), {rectangleOutline(-5, -5, 15, 15)});
  EXPECT_TRUE(bigFrame.isClearOf(frame));
  EXPECT_TRUE(frame.isClearOf(bigFrame));
  EXPECT_FALSE(bigFrame.isClearOf(makeRectangle(-7, 0, -3, 2)));
}

TEST(IsInsideTest, PlateEdgesHaveATenthOfANanometreOfTolerance) {
  struct InsideCase {
    double minX, minY, maxX, maxY;
    bool inside;
  };
  const InsideCase cases[] = {
      {0, 0, 100, 50, true},         {-5e-11, 0, 100, 50, true},    {0, -5e-11, 100, 50, true},
      {0, 0, 100 + 5e-11, 50, true}, {0, 0, 100, 50 + 5e-11, true}, {-1e-9, 0, 100, 50, false},
      {0, -1e-9, 100, 50, false},    {0, 0, 100 + 1e-9, 50, false}, {0, 0, 100, 50 + 1e-9, false},
      {10, 10, 20, 20, true},        {200, 0, 300, 50, false},
  };
  for (const InsideCase& c : cases) {
    const PlacedPart part = makeRectangle(c.minX, c.minY, c.maxX, c.maxY);
    EXPECT_EQ(part.isInside(0, 100, 0, 50), c.inside)
        << c.minX << " " << c.minY << " " << c.maxX << " " << c.maxY;
  }
}

// The grid positions where a moved span keeps within the plate form one range, found by
// bisection; at every position it must agree with boxInside on the box moved there, also where
// the span ends within the 1e-10 tolerance of the plate's edges, and for spans with no number.
TEST(IsInsideTest, RangeOnThePlateAgreesWithTheBoxTestAtEveryPosition) {
  std::mt19937 random(99);
  std::uniform_real_distribution<double> unit(0, 1);
  const double nan = std::nan(""), inf = INFINITY;
  const BoundingBox plate{0, 100, -20, 30};
  for (int trial = 0; trial < 400; ++trial) {
    // Grid coordinates by repeated addition, as the grid lays them out, some coinciding.
    std::vector<double> coordinates(static_cast<std::size_t>(trial % 60));
    const double step = trial % 7 == 0 ? 0.0 : 0.5 + 10 * unit(random);
    double c = -30 + 20 * unit(random);
    for (double& v : coordinates) {
      v = c;
      c += step;
    }
    const double anchor = 100 * unit(random) - 20;
    double low = 60 * unit(random) - 40, high = low + 80 * unit(random);
    // Ends placed so that some position brings them within a hair of the plate's edges.
    if (trial % 3 == 1 && !coordinates.empty()) {
      const double d = coordinates[coordinates.size() / 2] - anchor;
      low = plate.minX - d + (unit(random) - 0.5) * 4e-10;
      high = plate.maxX - d + (unit(random) - 0.5) * 4e-10;
    }
    if (trial == 11) low = nan;
    if (trial == 13) high = nan;
    if (trial == 17) low = -inf;
    if (trial == 19) high = inf;
    const IndexRange range = rangeInside(coordinates, anchor, low, high, plate.minX, plate.maxX);
    ASSERT_LE(range.first, range.end);
    for (std::size_t p = 0; p < coordinates.size(); ++p) {
      const double dx = coordinates[p] - anchor;
      const BoundingBox moved{low + dx, high + dx, 0, 1};
      ASSERT_EQ(range.holds(p), boxInside(moved, plate)) << "trial " << trial << " at " << p;
    }
  }
}

TEST(PlacedPartContainsPointTest, PointsInHolesAreOutside) {
  const PlacedPart frame = makePart(rectangleOutline(0, 0, 10, 10), {rectangleOutline(2, 2, 8, 8)});
  EXPECT_TRUE(frame.containsPoint(Point(1, 5)));
  EXPECT_FALSE(frame.containsPoint(Point(5, 5)));
  EXPECT_FALSE(frame.containsPoint(Point(11, 5)));
}

TEST(FitsTest, CandidateOnAMemberFailsAndALoneMemberFits) {
  Scene scene(1000, 500);
  scene.setParts({makeRectangle(100, 100, 200, 150), makeRectangle(1100, 0, 1200, 50)});
  Nester& nester = scene.nester();
  const PlacedPart copy = scene.part(0);
  EXPECT_FALSE(nester.fits(copy));
  EXPECT_TRUE(nester.fitsAmongOthers(scene.part(0)));
  // The member parked off the plate does not fit, and does not hinder a candidate.
  EXPECT_FALSE(nester.fitsAmongOthers(scene.part(1)));
  EXPECT_TRUE(nester.fits(makeRectangle(300, 100, 400, 150)));
  EXPECT_FALSE(nester.fits(makeRectangle(950, 100, 1050, 150)));
  const std::uint64_t before = nester.fitTestCount();
  nester.fits(copy);
  nester.fitsAmongOthers(scene.part(0));
  EXPECT_EQ(nester.fitTestCount(), before + 2);
}

// ---- The plain fit test, straight from the rules: every pair of edges, every part, on a
// candidate made by copying and translating.

struct PlainBox {
  double minX, maxX, minY, maxY;
};

PlainBox plainBox(const std::vector<Point>& v) {
  PlainBox b{v[0].x, v[0].x, v[0].y, v[0].y};
  for (const Point& p : v) {
    b.minX = std::min(b.minX, p.x);
    b.maxX = std::max(b.maxX, p.x);
    b.minY = std::min(b.minY, p.y);
    b.maxY = std::max(b.maxY, p.y);
  }
  return b;
}

bool plainContains(const std::vector<Point>& v, const Point& p) {
  const PlainBox b = plainBox(v);
  if (p.x < b.minX || p.x > b.maxX || p.y < b.minY || p.y > b.maxY) return false;
  int count = 0;
  for (std::size_t i = 0; i < v.size(); ++i) {
    const double x1 = v[i].x, y1 = v[i].y;
    const double x2 = v[(i + 1) % v.size()].x, y2 = v[(i + 1) % v.size()].y;
    if ((p.y < y1 && p.y < y2) || (p.y > y1 && p.y > y2)) continue;
    if (y1 == p.y && y2 == p.y) continue;
    if (y1 == p.y) {
      if (y2 > p.y && p.x <= x1) ++count;
    } else if (y2 == p.y) {
      if (y1 > p.y && p.x <= x2) ++count;
    } else {
      const double xc = x1 == x2 ? x1 : x1 + (p.y - y1) * (x2 - x1) / (y2 - y1);
      if (p.x <= xc) ++count;
    }
  }
  return count % 2 == 1;
}

double crossOf(const Point& u, const Point& v) { return u.x * v.y - u.y * v.x; }
Point minus(const Point& a, const Point& b) { return Point(a.x - b.x, a.y - b.y); }

bool plainEdgesCross(const std::vector<Point>& a, const std::vector<Point>& b) {
  for (std::size_t i = 0; i < a.size(); ++i) {
    const Point& p1 = a[i];
    const Point& p2 = a[(i + 1) % a.size()];
    for (std::size_t j = 0; j < b.size(); ++j) {
      const Point& q1 = b[j];
      const Point& q2 = b[(j + 1) % b.size()];
      if (std::min(q1.x, q2.x) > std::max(p1.x, p2.x) ||
          std::max(q1.x, q2.x) < std::min(p1.x, p2.x) ||
          std::min(q1.y, q2.y) > std::max(p1.y, p2.y) ||
          std::max(q1.y, q2.y) < std::min(p1.y, p2.y)) {
        continue;
      }
      if (crossOf(minus(p2, p1), minus(q2, p1)) * crossOf(minus(p2, p1), minus(q1, p1)) <= 0 &&
          crossOf(minus(q2, q1), minus(p2, q1)) * crossOf(minus(q2, q1), minus(p1, q1)) <= 0) {
        return true;
      }
    }
  }
  return false;
}

bool plainOutersClear(const PlacedPart& a, const PlacedPart& o) {
  const PlainBox x = plainBox(a.outer.vertices());
  const PlainBox y = plainBox(o.outer.vertices());
  const double t = 1e-5;
  if (x.minX > y.maxX || std::fabs(x.minX - y.maxX) < t || x.maxX < y.minX ||
      std::fabs(x.maxX - y.minX) < t || x.minY > y.maxY || std::fabs(x.minY - y.maxY) < t ||
      y.minY > x.maxY || std::fabs(x.maxY - y.minY) < t) {
    return true;
  }
  for (const Point& v : a.outer.vertices()) {
    if (plainContains(o.outer.vertices(), v)) return false;
  }
  for (const Point& v : o.outer.vertices()) {
    if (plainContains(a.outer.vertices(), v)) return false;
  }
  return !plainEdgesCross(a.outer.vertices(), o.outer.vertices());
}

bool plainInHole(const Polygon& hole, const Polygon& outer) {
  for (const Point& v : outer.vertices()) {
    if (!plainContains(hole.vertices(), v)) return false;
  }
  return !plainEdgesCross(hole.vertices(), outer.vertices());
}

bool plainClear(const PlacedPart& a, const PlacedPart& o) {
  if (plainOutersClear(a, o)) return true;
  for (const Polygon& hole : a.holes) {
    if (plainInHole(hole, o.outer)) return true;
  }
  for (const Polygon& hole : o.holes) {
    if (plainInHole(hole, a.outer)) return true;
  }
  return false;
}

bool plainFits(const Nester& nester, const PlacedPart& shape, double dx, double dy) {
  PlacedPart candidate = shape;
  candidate.translate(dx, dy);
  const PlainBox b = plainBox(candidate.outer.vertices());
  const BoundingBox& r = nester.plateRect();
  const double t = 1e-10;
  const bool inside = (r.maxX > b.maxX || std::fabs(b.maxX - r.maxX) < t) &&
                      (r.minX < b.minX || std::fabs(b.minX - r.minX) < t) &&
                      (r.maxY > b.maxY || std::fabs(b.maxY - r.maxY) < t) &&
                      (r.minY < b.minY || std::fabs(b.minY - r.minY) < t);
  if (!inside) return false;
  for (const PlacedPart& part : nester.parts) {
    if (!plainClear(candidate, part)) return false;
  }
  return true;
}

PlacedPart randomShape(std::mt19937& random, double size) {
  std::uniform_int_distribution<int> vertices(3, 14);
  std::uniform_int_distribution<int> kind(0, 3);
  const std::vector<Point> outer = randomStar(random, 0, 0, size * 0.5, size, vertices(random));
  if (kind(random) == 0) {
    // A frame: a small star hole well inside the inner radius.
    return makePart(outer, {randomStar(random, 0, 0, size * 0.15, size * 0.4, 6)});
  }
  if (kind(random) == 1) return makePart(rectangleOutline(-size, -size / 2, size, size / 2));
  return makePart(outer);
}

TEST(FitsTest, FastFitTestAgreesWithThePlainOneOnRandomCandidates) {
  std::mt19937 random(7);
  Scene scene(400, 250);
  std::vector<PlacedPart> placed;
  std::uniform_real_distribution<double> x(0, 400), y(0, 250), size(8, 40);
  for (int i = 0; i < 25; ++i) {
    PlacedPart part = randomShape(random, size(random));
    part.translate(x(random), y(random));
    placed.push_back(part);
  }
  // Parts parked off the plate take part in the test as well.
  PlacedPart parked = randomShape(random, 30);
  parked.translate(450, 100);
  placed.push_back(parked);
  scene.setParts(placed);
  Nester& nester = scene.nester();

  std::vector<PlacedPart> shapes;
  for (int i = 0; i < 12; ++i) shapes.push_back(randomShape(random, size(random)));
  PlacedPart scratch = shapes.front();
  int fitting = 0, refused = 0;
  std::uniform_int_distribution<int> pick(0, static_cast<int>(shapes.size()) - 1);
  std::uniform_int_distribution<int> neighbour(0, static_cast<int>(placed.size()) - 1);
  std::uniform_real_distribution<double> hair(-3e-5, 3e-5);
  for (int trial = 0; trial < 6000; ++trial) {
    const PlacedPart& shape = shapes[static_cast<std::size_t>(pick(random))];
    double dx = x(random) - 20, dy = y(random) - 20;
    if (trial % 3 == 0) {
      // Put the candidate's box right next to a part's box, within a few 1e-5 mm.
      const BoundingBox& other = placed[static_cast<std::size_t>(neighbour(random))].box();
      dx = other.maxX - shape.box().minX + hair(random);
      dy = other.minY - shape.box().minY + hair(random) * 1e5;
    }
    scratch.assignTranslated(shape, dx, dy);
    const bool fast = nester.fits(scratch);
    ASSERT_EQ(fast, plainFits(nester, shape, dx, dy)) << "trial " << trial;
    (fast ? fitting : refused)++;
  }
  EXPECT_GT(fitting, 300);
  EXPECT_GT(refused, 300);
}

// The search's fit test (band-filed outlines, cells of parts, blocker hints, the map of deep
// material) against the plain fit test on moved copies: shapes from 3 to 70 vertices with and
// without holes, parts touching and parts in holes, a part moved between two searches.
TEST(CandidateFitTestTest, AgreesWithFitsOnMovedCopies) {
  std::mt19937 random(31);
  Scene scene(600, 300);
  std::uniform_real_distribution<double> x(0, 600), y(0, 300), size(8, 60);
  auto shapeOf = [&](int vertices) {
    const double s = size(random);
    std::vector<Point> outer = randomStar(random, 0, 0, s * 0.5, s, vertices);
    if (vertices % 3 == 0) {
      return makePart(outer, {randomStar(random, 0, 0, s * 0.1, s * 0.45, 5 + vertices % 40),
                              rectangleOutline(s * 0.45, -1, s * 0.48, 1)});
    }
    return makePart(outer);
  };
  std::vector<PlacedPart> placed;
  for (int i = 0; i < 40; ++i) {
    PlacedPart part = shapeOf(3 + i % 68);
    part.translate(x(random), y(random));
    placed.push_back(part);
  }
  // A small part sitting in the large hole of a frame.
  placed.push_back(
      makePart(rectangleOutline(100, 100, 200, 200), {rectangleOutline(110, 110, 190, 190)}));
  placed.push_back(makePart(rectangleOutline(120, 120, 130, 130)));
  scene.setParts(placed);
  Nester& nester = scene.nester();

  std::vector<TrialVariant> variants;
  for (int i = 0; i < 10; ++i)
    variants.push_back(TrialVariant{shapeOf(3 + i * 7), Point(), 0, false});
  variants.push_back(TrialVariant{makePart(rectangleOutline(0, 0, 5, 5)), Point(), 0, false});
  std::uniform_int_distribution<std::size_t> pick(0, variants.size() - 1);
  std::uniform_int_distribution<std::size_t> neighbour(0, placed.size() - 1);
  std::uniform_real_distribution<double> hair(-3e-5, 3e-5);
  int fitting = 0, refused = 0;
  // Rounds with the map of deep material and without; a part moves between rounds.
  for (int round = 0; round < 4; ++round) {
    CandidateFitTest test(nester.layout(), variants, nester.layout().partBands(),
                          round % 2 == 0 ? &nester.layout().materialCells() : nullptr);
    std::vector<std::uint16_t> blockers(16, 0);
    for (int trial = 0; trial < 5000; ++trial) {
      const std::size_t k = pick(random);
      const PlacedPart& shape = variants[k].part;
      double dx = x(random), dy = y(random);
      if (trial % 3 == 0) {
        // Box to box with a part, within a few 1e-5 mm, or flush.
        const BoundingBox& other = placed[neighbour(random)].box();
        dx = other.maxX - shape.box().minX + (trial % 2 == 0 ? 0.0 : hair(random));
        dy = other.minY - shape.box().minY + hair(random) * 1e5;
      } else if (trial % 3 == 1) {
        dx = std::round(dx), dy = std::round(dy);
      }
      PlacedPart moved = shape;
      moved.translate(dx, dy);
      const bool expected = nester.fits(moved);
      std::uint16_t& blocker = blockers[static_cast<std::size_t>(trial) % blockers.size()];
      ASSERT_EQ(test.fits(k, dx, dy, trial % 4 == 0 ? nullptr : &blocker), expected)
          << "round " << round << " trial " << trial;
      (expected ? fitting : refused)++;
    }
    // Between searches a part moves: its filed outline must follow.
    nester.parts.front().translate(37, 11);
    placed.front().translate(37, 11);
  }
  EXPECT_GT(fitting, 1000);
  EXPECT_GT(refused, 1000);
}

// The cells must offer every box that is not apart from the query box, each once, however
// they were filed: afresh, extended part by part (the listed boxes), or refiled after a box
// moved, a box left or the plate changed.
TEST(ObstacleCellsTest, EveryBoxNotApartIsOfferedOnceAfterEveryRefiling) {
  std::mt19937 random(99);
  std::uniform_real_distribution<double> where(-20, 1020), size(1, 120);
  auto randomBox = [&] {
    const double x = where(random), y = where(random) / 2;
    return BoundingBox{x, x + size(random), y, y + size(random)};
  };
  BoundingBox plate{0, 1000, 0, 500};
  std::vector<BoundingBox> boxes;
  std::vector<std::uint32_t> keys;
  ObstacleCells cells;
  int offered = 0;
  for (int step = 0; step < 120; ++step) {
    if (step == 70) {
      boxes[5].minX += 3;  // a part moved
      boxes[5].maxX += 3;
    } else if (step == 71) {
      boxes.back().minY -= 200;  // the part filed last, in the cells since step 70, moved
      boxes.back().maxY -= 200;
    } else if (step == 90) {
      boxes.erase(boxes.begin() + 2);  // a part left
      keys.erase(keys.begin() + 2);
    } else if (step == 100) {
      plate.maxX = 900;
    } else {
      BoundingBox b = randomBox();
      if (step % 37 == 0) b.minY = std::nan("");
      // Boxes touching others within the box rule, or flush with them.
      if (step % 5 == 0 && !boxes.empty()) {
        const double width = b.maxX - b.minX;
        b.minX = boxes.back().maxX + (step % 2) * 4e-6;
        b.maxX = b.minX + width;
      }
      boxes.push_back(b);
      keys.push_back(static_cast<std::uint32_t>(step));
    }
    cells.refile(boxes, keys, plate);
    for (int query = 0; query < 40; ++query) {
      const BoundingBox box = randomBox();
      std::vector<int> seen(boxes.size(), 0);
      cells.forEachNear(box, [&](std::uint32_t n) {
        ++seen[n];
        return true;
      });
      for (std::size_t n = 0; n < boxes.size(); ++n) {
        ASSERT_LE(seen[n], 1) << "step " << step << " box " << n;
        if (!boxesApart(box, boxes[n])) {
          ASSERT_EQ(seen[n], 1) << "step " << step << " box " << n;
          ++offered;
        }
      }
    }
  }
  EXPECT_GT(offered, 1000);
}

TEST(MarkingTest, PartsCrossingThePlateEdgeAndConflictingPartsAreSelected) {
  Scene scene(1000, 500);
  scene.setParts({
      makeRectangle(0, 0, 100, 100),             // on the plate, overlapping the next one
      makeRectangle(50, 50, 150, 150),           // on the plate
      makeRectangle(300, 0, 400, 100),           // on the plate, clear
      makeRectangle(950, 0, 1050, 100),          // across the right edge
      makeRectangle(1100, 0, 1200, 100),         // parked, clear of the plate
      makeRectangle(1000 + 1e-6, 0, 1100, 100),  // off the plate, touching its edge
  });
  Nester& nester = scene.nester();
  EXPECT_TRUE(nester.markPartsCrossingPlateEdge());
  std::vector<bool> selected;
  for (const PlacedPart& part : nester.parts) selected.push_back(part.selected);
  EXPECT_EQ(selected, (std::vector<bool>{false, false, false, true, false, false}));

  EXPECT_FALSE(nester.markConflictingParts());
  selected.clear();
  for (const PlacedPart& part : nester.parts) selected.push_back(part.selected);
  // The edge-crossing part keeps its mark; the parts off the plate are not judged.
  EXPECT_EQ(selected, (std::vector<bool>{true, true, false, true, false, false}));

  Scene clean(1000, 500);
  clean.setParts({makeRectangle(0, 0, 100, 100), makeRectangle(100, 0, 200, 100)});
  EXPECT_TRUE(clean.nester().markConflictingParts());
  EXPECT_FALSE(clean.nester().markPartsCrossingPlateEdge());
  for (const PlacedPart& part : clean.nester().parts) EXPECT_FALSE(part.selected);
}

TEST(OverlapsRectTest, RubberBandMeetsPartsThatReachIntoIt) {
  const PlacedPart frame = makePart(rectangleOutline(0, 0, 10, 10), {rectangleOutline(2, 2, 8, 8)});
  EXPECT_TRUE(frame.overlapsRect(5, 15, 5, 15));
  EXPECT_TRUE(frame.overlapsRect(-5, 15, -5, 15));  // the frame lies inside the band
  EXPECT_FALSE(frame.overlapsRect(4, 6, 4, 6));     // the band lies in the hole
  EXPECT_FALSE(frame.overlapsRect(20, 30, 0, 10));
  const PlacedPart before = frame;
  frame.overlapsRect(5, 15, 5, 15);
  EXPECT_TRUE(samePose(frame, before));
}

}  // namespace
}  // namespace platenest
