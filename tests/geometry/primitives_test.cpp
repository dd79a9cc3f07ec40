// Points, segments, arcs, polygons, contours and regions: the values and moves every
// other subsystem builds on.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <ostream>
#include <random>
#include <vector>

#include "geometry/arc.h"
#include "test_support/shape_makers.h"
#include "geometry/contour.h"
#include "geometry/point.h"
#include "geometry/polygon.h"
#include "geometry/region.h"
#include "geometry/segment.h"

namespace platenest {
namespace {

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::vector<Point> reversed(std::vector<Point> points) {
  return std::vector<Point>(points.rbegin(), points.rend());
}

TEST(PointTest, CoincidenceIsStrict) {
  const Point p(0.0, 0.0, 0.5);
  EXPECT_FALSE(p.coincides(Point(0.5, 0.0)));   // exactly the tolerance apart
  EXPECT_TRUE(p.coincides(Point(0.0, 0.499)));  // just inside
  EXPECT_FALSE(p.coincidesWithin(Point(3.0, 4.0), 5.0));
  EXPECT_TRUE(p.coincidesWithin(Point(3.0, 4.0), 5.000001));
  // The default tolerance admits only the point itself.
  EXPECT_TRUE(Point(1.0, 2.0).coincides(Point(1.0, 2.0)));
  EXPECT_FALSE(Point(1.0, 2.0).coincides(Point(1.0, 2.0 + 1e-12)));
  // Each point judges with its own tolerance.
  EXPECT_TRUE(Point(0.0, 0.0, 1.0).coincides(Point(0.5, 0.0)));
  EXPECT_FALSE(Point(0.5, 0.0).coincides(Point(0.0, 0.0, 1.0)));
  EXPECT_EQ(Point(3.0, 0.0).distance(Point(0.0, 4.0)), 5.0);
  // A point made without coordinates sits at the origin with the default tolerance.
  const Point origin;
  EXPECT_EQ(origin.x, 0.0);
  EXPECT_EQ(origin.y, 0.0);
  EXPECT_EQ(origin.tolerance, 1e-15);
}

TEST(PointTest, RotationTurnsCounterclockwiseAndBack) {
  Point p(1.0, 0.0);
  p.rotateAbout(Point(0.0, 0.0), kPi / 2);
  EXPECT_NEAR(p.x, 0.0, 1e-15);
  EXPECT_EQ(p.y, 1.0);

  Point q(7.25, -3.5);
  const Point c(2.0, 1.0);
  q.rotateAbout(c, 0.7);
  EXPECT_NEAR(q.distance(c), Point(7.25, -3.5).distance(c), 1e-12);
  q.rotateAbout(c, -0.7);
  EXPECT_NEAR(q.x, 7.25, 1e-12);
  EXPECT_NEAR(q.y, -3.5, 1e-12);
}

TEST(SegmentTest, LineCoefficientsAndIntersections) {
  const Segment s(Point(1.0, 2.0), Point(4.0, 6.0));
  EXPECT_EQ(s.a, 4.0);
  EXPECT_EQ(s.b, -3.0);
  EXPECT_EQ(s.c, -(1.0 * 4.0) - (-3.0) * 2.0);
  // Both end points lie on the carrying line.
  EXPECT_EQ(s.a * s.start.x + s.b * s.start.y + s.c, 0.0);
  EXPECT_EQ(s.a * s.end.x + s.b * s.end.y + s.c, 0.0);

  const Segment diagonal(Point(0.0, 0.0), Point(10.0, 10.0));
  const Segment antiDiagonal(Point(0.0, 10.0), Point(10.0, 0.0));
  const auto crossing = diagonal.intersectLines(antiDiagonal);
  ASSERT_TRUE(crossing.has_value());
  EXPECT_EQ(crossing->x, 5.0);
  EXPECT_EQ(crossing->y, 5.0);
  // The carrying lines meet beyond the segments too.
  const auto beyond = Segment(Point(0.0, 0.0), Point(1.0, 0.0))
                          .intersectLines(Segment(Point(5.0, 1.0), Point(5.0, 2.0)));
  ASSERT_TRUE(beyond.has_value());
  EXPECT_EQ(beyond->x, 5.0);
  EXPECT_EQ(beyond->y, 0.0);
}

TEST(SegmentTest, ParallelLinesMeetOnlyAtASharedEndPoint) {
  const Segment first(Point(0.0, 0.0), Point(5.0, 0.0));
  const Segment next(Point(5.0, 0.0), Point(10.0, 0.0));
  // This segment's end is preferred, then its start.
  auto shared = first.intersectLines(next);
  ASSERT_TRUE(shared.has_value());
  EXPECT_EQ(shared->x, 5.0);
  shared = next.intersectLines(first);
  ASSERT_TRUE(shared.has_value());
  EXPECT_EQ(shared->x, 5.0);
  const Segment same(Point(0.0, 0.0), Point(5.0, 0.0));
  shared = first.intersectLines(same);
  ASSERT_TRUE(shared.has_value());
  EXPECT_EQ(shared->x, 5.0);  // the end wins over the start

  // Distinct parallel lines, or collinear segments with a gap: no point, never infinities.
  EXPECT_FALSE(first.intersectLines(Segment(Point(0.0, 1.0), Point(5.0, 1.0))).has_value());
  EXPECT_FALSE(first.intersectLines(Segment(Point(6.0, 0.0), Point(9.0, 0.0))).has_value());
  EXPECT_FALSE(first.intersectLines(Segment(Point(9.0, 1.0), Point(1.0, 1.0))).has_value());
}

TEST(ArcTest, EndAngleNeverPrecedesStartAngle) {
  const struct {
    double start, end, storedEnd;
  } cases[] = {
      {350.0, 10.0, 370.0}, {10.0, 350.0, 350.0},   {0.0, 0.0, 0.0},        {90.0, -270.0, 90.0},
      {720.0, 0.0, 720.0},  {-90.0, -180.0, 180.0}, {180.0, -180.0, 180.0}, {359.0, -721.0, 359.0},
  };
  for (const auto& c : cases) {
    Arc arc;
    arc.set(Point(1.0, 2.0), 3.0, c.start, c.end);
    EXPECT_EQ(arc.startAngle, c.start) << c.start << " " << c.end;
    EXPECT_EQ(arc.endAngle, c.storedEnd) << c.start << " " << c.end;
    EXPECT_GE(arc.sweep(), 0.0);
    EXPECT_LT(arc.sweep(), 360.0);
    EXPECT_EQ(arc.radius, 3.0);
  }
}

TEST(ArcTest, AbsurdAnglesFromAFileDoNotHang) {
  Arc arc;
  arc.set(Point(), 1.0, 1e300, 0.0);
  EXPECT_GE(arc.endAngle, arc.startAngle);
  arc.set(Point(), 1.0, 4e12, -3.0);
  EXPECT_GE(arc.endAngle, arc.startAngle);
  EXPECT_LT(arc.sweep(), 360.0);
  arc.set(Point(), 1.0, std::numeric_limits<double>::infinity(), 0.0);
  EXPECT_EQ(arc.endAngle, 0.0);  // stored as given
  arc.set(Point(), 1.0, 10.0, std::numeric_limits<double>::quiet_NaN());
  EXPECT_TRUE(std::isnan(arc.endAngle));
}

// The unit square and friends, listed both ways round: the same area, box and centroid.
struct PolygonCase {
  const char* name;
  std::vector<Point> vertices;
  double area;
  BoundingBox box;
  Point centroid;
};

void PrintTo(const PolygonCase& c, std::ostream* os) { *os << c.name; }

class PolygonMeasureTest : public ::testing::TestWithParam<PolygonCase> {};

TEST_P(PolygonMeasureTest, BothOrientationsMeasureTheSame) {
  const PolygonCase& c = GetParam();
  for (const auto& vertices : {c.vertices, reversed(c.vertices)}) {
    Polygon polygon(vertices);
    EXPECT_DOUBLE_EQ(polygon.area(), c.area);
    EXPECT_DOUBLE_EQ(polygon.computeArea(), c.area);
    EXPECT_EQ(polygon.box().minX, c.box.minX);
    EXPECT_EQ(polygon.box().maxX, c.box.maxX);
    EXPECT_EQ(polygon.box().minY, c.box.minY);
    EXPECT_EQ(polygon.box().maxY, c.box.maxY);
    const Point centroid = polygon.centroid();
    EXPECT_NEAR(centroid.x, c.centroid.x, 1e-12);
    EXPECT_NEAR(centroid.y, c.centroid.y, 1e-12);
    EXPECT_EQ(centroid.tolerance, 1e-15);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, PolygonMeasureTest,
    ::testing::Values(
        PolygonCase{"UnitSquare", {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, 1.0, {0, 1, 0, 1}, {0.5, 0.5}},
        PolygonCase{"RightTriangle", {{0, 0}, {6, 0}, {0, 3}}, 9.0, {0, 6, 0, 3}, {2.0, 1.0}},
        PolygonCase{"LShape",
                    {{0, 0}, {10, 0}, {10, 5}, {5, 5}, {5, 10}, {0, 10}},
                    75.0,
                    // Three 25 mm^2 squares around (2.5, 2.5), (7.5, 2.5) and (2.5, 7.5).
                    {0, 10, 0, 10},
                    {(2.5 + 7.5 + 2.5) / 3, (2.5 + 2.5 + 7.5) / 3}},
        PolygonCase{"OffsetRectangle",
                    {{-3, 2}, {-1, 2}, {-1, 7}, {-3, 7}},
                    10.0,
                    {-3, -1, 2, 7},
                    {-2.0, 4.5}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PolygonTest, EmptyAndClearedPolygons) {
  Polygon polygon;
  EXPECT_TRUE(polygon.empty());
  EXPECT_EQ(polygon.computeArea(), 0.0);
  const BoundingBox box = polygon.computeBox();
  EXPECT_EQ(box.minX, 0.0);
  EXPECT_EQ(box.maxY, 0.0);

  polygon.setVertices({{1, 1}, {4, 1}, {4, 3}});
  EXPECT_EQ(polygon.vertexCount(), 3);
  EXPECT_EQ(polygon.area(), 3.0);
  polygon.clear();
  EXPECT_EQ(polygon.vertexCount(), 0);
  EXPECT_EQ(polygon.area(), 0.0);
  EXPECT_EQ(polygon.box().maxX, 0.0);
  EXPECT_EQ(polygon.box().minX, 0.0);
}

TEST(PolygonTest, MovesKeepShapeAndRefreshTheBox) {
  const std::vector<Point> shape = {{0, 0}, {10, 0}, {10, 5}, {5, 5}, {5, 10}, {0, 10}};
  Polygon polygon(shape);

  polygon.translate(2.5, -1.0);
  EXPECT_EQ(polygon.vertex(1).x, 12.5);
  EXPECT_EQ(polygon.vertex(1).y, -1.0);
  EXPECT_EQ(polygon.box().minX, 2.5);
  EXPECT_EQ(polygon.box().maxY, 9.0);
  EXPECT_EQ(polygon.area(), 75.0);
  polygon.translate(-2.5, 1.0);
  for (int i = 0; i < polygon.vertexCount(); ++i) {
    EXPECT_EQ(polygon.vertex(i).x, shape[static_cast<std::size_t>(i)].x);
    EXPECT_EQ(polygon.vertex(i).y, shape[static_cast<std::size_t>(i)].y);
  }

  polygon.rotateAbout(Point(0.0, 0.0), kPi / 2);
  EXPECT_NEAR(polygon.box().minX, -10.0, 1e-12);
  EXPECT_NEAR(polygon.box().maxX, 0.0, 1e-12);
  EXPECT_NEAR(polygon.box().minY, 0.0, 1e-12);
  EXPECT_NEAR(polygon.box().maxY, 10.0, 1e-12);
  EXPECT_NEAR(polygon.computeArea(), 75.0, 1e-12);
  polygon.rotateAbout(Point(0.0, 0.0), -kPi / 2);
  for (int i = 0; i < polygon.vertexCount(); ++i) {
    EXPECT_NEAR(polygon.vertex(i).x, shape[static_cast<std::size_t>(i)].x, 1e-12);
    EXPECT_NEAR(polygon.vertex(i).y, shape[static_cast<std::size_t>(i)].y, 1e-12);
  }

  // Across the horizontal line y = 2: y -> 4 - y; a second mirror brings every vertex back.
  Polygon mirrored(shape);
  const Segment line(Point(0.0, 2.0), Point(7.5, 2.0));
  mirrored.mirror(line);
  EXPECT_EQ(mirrored.vertex(2).x, 10.0);
  EXPECT_EQ(mirrored.vertex(2).y, -1.0);
  EXPECT_EQ(mirrored.box().minY, -6.0);
  EXPECT_EQ(mirrored.box().maxY, 4.0);
  mirrored.mirror(line);
  for (int i = 0; i < mirrored.vertexCount(); ++i) {
    EXPECT_EQ(mirrored.vertex(i).x, shape[static_cast<std::size_t>(i)].x);
    EXPECT_EQ(mirrored.vertex(i).y, shape[static_cast<std::size_t>(i)].y);
  }
  // Across the diagonal y = x: coordinates swap.
  Polygon swapped(shape);
  swapped.mirror(Segment(Point(0.0, 0.0), Point(1.0, 1.0)));
  EXPECT_EQ(swapped.vertex(1).x, 0.0);
  EXPECT_EQ(swapped.vertex(1).y, 10.0);
}

TEST(PolygonTest, NearestVertexPrefersTheEarlierOnTies) {
  Polygon polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  EXPECT_EQ(polygon.nearestVertex(Point(9.0, 8.0)).x, 10.0);
  EXPECT_EQ(polygon.nearestVertex(Point(9.0, 8.0)).y, 10.0);
  // The centre is equally far from all four: the first vertex stays.
  const Point centreNearest = polygon.nearestVertex(Point(5.0, 5.0));
  EXPECT_EQ(centreNearest.x, 0.0);
  EXPECT_EQ(centreNearest.y, 0.0);
  // Equally far from the second and third: the second.
  EXPECT_EQ(polygon.nearestVertex(Point(12.0, 5.0)).y, 0.0);
}

TEST(PolygonTest, AssignTranslatedIsCopyThenTranslateBitForBit) {
  std::mt19937_64 random(20240611);
  std::uniform_real_distribution<double> coordinate(-1000.0, 1000.0);
  std::uniform_int_distribution<int> count(3, 40);
  Polygon scratch({{1, 1}, {2, 1}, {2, 2}});
  for (int trial = 0; trial < 200; ++trial) {
    std::vector<Point> vertices(static_cast<std::size_t>(count(random)));
    for (Point& p : vertices) p = Point(coordinate(random) / 7, coordinate(random) / 3);
    const Polygon source(vertices);
    const double dx = coordinate(random) / 11;
    const double dy = coordinate(random) / 13;

    Polygon expected = source;
    expected.translate(dx, dy);
    scratch.assignTranslated(source, dx, dy);

    ASSERT_EQ(scratch.vertexCount(), expected.vertexCount());
    for (int i = 0; i < expected.vertexCount(); ++i) {
      ASSERT_TRUE(sameBits(scratch.vertex(i).x, expected.vertex(i).x));
      ASSERT_TRUE(sameBits(scratch.vertex(i).y, expected.vertex(i).y));
    }
    EXPECT_TRUE(sameBits(scratch.area(), expected.area()));
    EXPECT_TRUE(sameBits(scratch.box().minX, expected.box().minX));
    EXPECT_TRUE(sameBits(scratch.box().maxX, expected.box().maxX));
    EXPECT_TRUE(sameBits(scratch.box().minY, expected.box().minY));
    EXPECT_TRUE(sameBits(scratch.box().maxY, expected.box().maxY));
  }
}

// The box of a turn, computed without turning, must be the box the turned copy gets.
TEST(PolygonTest, TurnedBoxIsTheBoxOfTheTurnedCopyBitForBit) {
  std::mt19937_64 random(20261207);
  std::uniform_real_distribution<double> coordinate(-1000.0, 1000.0);
  std::uniform_int_distribution<int> count(1, 40);
  const double step = 2 * std::acos(-1.0) / 360;
  for (int trial = 0; trial < 300; ++trial) {
    std::vector<Point> vertices(static_cast<std::size_t>(count(random)));
    for (Point& p : vertices) p = Point(coordinate(random) / 7, coordinate(random) / 3);
    if (trial % 50 == 0) vertices[0].x = std::numeric_limits<double>::quiet_NaN();
    const Polygon source(vertices);
    const Point centre = trial % 3 == 0 ? source.vertex(0) : Point(coordinate(random), 0.5);
    const double angle = trial % 2 == 0 ? (trial % 360) * step : coordinate(random);
    Polygon turned = source;
    turned.rotateAbout(centre, angle);
    const BoundingBox box = source.turnedBox(centre, std::cos(angle), std::sin(angle));
    ASSERT_TRUE(sameBits(box.minX, turned.box().minX)) << trial;
    ASSERT_TRUE(sameBits(box.maxX, turned.box().maxX)) << trial;
    ASSERT_TRUE(sameBits(box.minY, turned.box().minY)) << trial;
    ASSERT_TRUE(sameBits(box.maxY, turned.box().maxY)) << trial;
  }
  const BoundingBox none = Polygon().turnedBox(Point(1, 2), std::cos(0.5), std::sin(0.5));
  EXPECT_EQ(none.minX, 0);
  EXPECT_EQ(none.maxY, 0);
}

TEST(PolygonTest, RayThresholdsCountAsTheRayCast) {
  // Vertices on a coarse lattice, so rows run through vertices and along horizontal edges.
  std::mt19937_64 random(7);
  std::uniform_int_distribution<int> lattice(-6, 6), count(0, 12);
  std::uniform_real_distribution<double> anywhere(-7.0, 7.0);
  for (int trial = 0; trial < 400; ++trial) {
    std::vector<Point> vertices(static_cast<std::size_t>(count(random)));
    for (Point& p : vertices) p = Point(lattice(random), lattice(random) / 2.0);
    if (trial % 40 == 1) vertices[0].y = std::numeric_limits<double>::quiet_NaN();
    const Polygon polygon(vertices);
    for (int row = 0; row < 12; ++row) {
      const double y = row % 3 == 2 ? anywhere(random) : lattice(random) / 2.0;
      std::vector<double> thresholds;
      polygon.rayThresholds(y, thresholds);
      for (int column = 0; column < 16; ++column) {
        const double x = column % 2 == 0 ? lattice(random) : anywhere(random);
        const BoundingBox& b = polygon.box();
        std::size_t atOrRight = 0;
        for (double t : thresholds) atOrRight += x <= t ? 1 : 0;
        const bool inBox = !(x < b.minX || x > b.maxX || y < b.minY || y > b.maxY);
        ASSERT_EQ(polygon.containsPoint(x, y), inBox && atOrRight % 2 == 1)
            << "trial " << trial << " at " << x << ", " << y;
      }
    }
  }
}

TEST(ContourTest, MovesAndMirroring) {
  Contour contour({{0, 0}, {10, 0}, {10, 10}}, {0.0, 5.0, -3.0});
  contour.translate(1.0, 2.0);
  EXPECT_EQ(contour.vertices[1].x, 11.0);
  EXPECT_EQ(contour.vertices[1].y, 2.0);
  contour.rotateAbout(Point(1.0, 2.0), kPi);
  EXPECT_NEAR(contour.vertices[1].x, -9.0, 1e-12);
  EXPECT_NEAR(contour.vertices[1].y, 2.0, 1e-12);
  EXPECT_EQ(contour.radii, (std::vector<double>{0.0, 5.0, -3.0}));

  // Across the x axis (0·x + 1·y + 0 = 0): y negated, every arc turns the other way.
  Contour mirrored({{0, 0}, {10, 0}, {10, 10}}, {0.0, 5.0, -3.0});
  mirrored.mirror(0.0, 1.0, 0.0);
  EXPECT_EQ(mirrored.vertices[2].x, 10.0);
  EXPECT_EQ(mirrored.vertices[2].y, -10.0);
  EXPECT_EQ(mirrored.radii[1], -5.0);
  EXPECT_EQ(mirrored.radii[2], 3.0);
  EXPECT_EQ(mirrored.radii[0], 0.0);
}

TEST(RegionTest, SetGeometryAnchorsLabelAndPose) {
  Region region;
  region.rotation = 3.0;
  region.label.angle = 45.0;
  Contour outer({{20, 10}, {120, 10}, {120, 60}, {20, 60}}, {0, 0, 0, 0});
  ContourList holes;
  holes.push_front(Contour({{40, 20}, {40, 40}, {60, 40}, {60, 20}}, {0, 0, 0, 0}));
  region.setGeometry(outer, holes);
  EXPECT_DOUBLE_EQ(region.label.height, std::sqrt(100.0 * 100.0 + 50.0 * 50.0) / 10);
  EXPECT_NEAR(region.label.height, 11.18, 0.005);
  EXPECT_EQ(region.label.x, 20.0);
  EXPECT_EQ(region.label.y, 10.0);
  EXPECT_EQ(region.label.angle, 0.0);
  EXPECT_EQ(region.refPoint.x, 20.0);
  EXPECT_EQ(region.refPoint.y, 10.0);
  EXPECT_EQ(region.rotation, 0.0);
  EXPECT_EQ(region.area, 5000.0 - 400.0);
  // Net centroid: (5000·(70, 35) − 400·(50, 30)) / 4600.
  EXPECT_NEAR(region.centroid.x, (5000.0 * 70 - 400.0 * 50) / 4600, 1e-12);
  EXPECT_NEAR(region.centroid.y, (5000.0 * 35 - 400.0 * 30) / 4600, 1e-12);
  EXPECT_EQ(region.holes.size(), 1u);
  EXPECT_FALSE(region.mirrored);
  EXPECT_EQ(region.chordTolerance, 1.0);
}

TEST(RegionTest, MovesCarryLabelRefPointAndCentroid) {
  Region region = testing::rectangleRegion(0, 0, 100, 50);
  region.translate(10.0, -5.0);
  EXPECT_EQ(region.outer.vertices[2].x, 110.0);
  EXPECT_EQ(region.label.x, 10.0);
  EXPECT_EQ(region.refPoint.y, -5.0);
  EXPECT_NEAR(region.centroid.x, 60.0, 1e-12);
  EXPECT_NEAR(region.centroid.y, 20.0, 1e-12);

  region.rotateAbout(Point(10.0, -5.0), kPi / 2);
  EXPECT_NEAR(region.outer.vertices[1].x, 10.0, 1e-12);
  EXPECT_NEAR(region.outer.vertices[1].y, 95.0, 1e-12);
  EXPECT_NEAR(region.label.angle, 90.0, 1e-12);
  EXPECT_EQ(region.rotation, kPi / 2);
  EXPECT_NEAR(region.centroid.x, -15.0, 1e-12);
  EXPECT_NEAR(region.centroid.y, 45.0, 1e-12);
  // The cached centroid follows the outline.
  const Point fresh = region.computeCentroid();
  EXPECT_NEAR(fresh.x, -15.0, 1e-12);
  EXPECT_NEAR(fresh.y, 45.0, 1e-12);
}

TEST(RegionTest, MirrorTwiceRestoresThePose) {
  Region region;
  region.setGeometry(Contour({{0, 0}, {10, 0}, {10, 4}, {0, 8}}, {0, -6, 0, 0}), {});
  region.rotateAbout(Point(1.0, 1.0), 0.3);
  region.label.angle = 12.0;
  const Region before = region;

  region.mirrorAt(Point(3.0, 7.0));
  EXPECT_TRUE(region.mirrored);
  EXPECT_EQ(region.rotation, -before.rotation);
  EXPECT_EQ(region.label.angle, 12.0);
  EXPECT_EQ(region.centroid.y, before.centroid.y);  // left as it was
  EXPECT_NEAR(region.refPoint.y, 14.0 - before.refPoint.y, 1e-12);
  EXPECT_NEAR(region.outer.vertices[2].y, 14.0 - before.outer.vertices[2].y, 1e-12);
  EXPECT_EQ(region.outer.radii[1], 6.0);

  region.mirrorAt(Point(3.0, 7.0));
  EXPECT_FALSE(region.mirrored);
  EXPECT_EQ(region.rotation, before.rotation);
  for (std::size_t i = 0; i < before.outer.vertices.size(); ++i) {
    EXPECT_NEAR(region.outer.vertices[i].x, before.outer.vertices[i].x, 1e-12);
    EXPECT_NEAR(region.outer.vertices[i].y, before.outer.vertices[i].y, 1e-12);
  }
  EXPECT_EQ(region.outer.radii, before.outer.radii);
  EXPECT_NEAR(region.label.y, before.label.y, 1e-12);
}

TEST(RegionTest, EmptyOutlineHasNoVertexToAnchorTo) {
  Region region;
  region.setGeometry(Contour(), {});
  EXPECT_EQ(region.area, 0.0);
  EXPECT_EQ(region.label.x, 0.0);
  EXPECT_EQ(region.label.height, 0.0);
}

}  // namespace
}  // namespace platenest
