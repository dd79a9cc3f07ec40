// Growing and shrinking outlines by half the part gap: mitred corners, dropped edges,
// collapse, and independence of the vertex order.
#include "geometry/offset.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <random>
#include <vector>

namespace platenest {
namespace {

std::vector<Point> reversed(std::vector<Point> points) {
  std::reverse(points.begin(), points.end());
  return points;
}

void expectVertices(const Polygon& polygon, const std::vector<Point>& expected,
                    double tolerance = 1e-12) {
  ASSERT_EQ(polygon.vertexCount(), static_cast<int>(expected.size()));
  for (int i = 0; i < polygon.vertexCount(); ++i) {
    EXPECT_NEAR(polygon.vertex(i).x, expected[static_cast<std::size_t>(i)].x, tolerance) << i;
    EXPECT_NEAR(polygon.vertex(i).y, expected[static_cast<std::size_t>(i)].y, tolerance) << i;
  }
}

TEST(OrientationTest, SignedAreaDecides) {
  const std::vector<Point> square = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  EXPECT_TRUE(isCounterClockwise(Polygon(square)));
  EXPECT_FALSE(isCounterClockwise(Polygon(reversed(square))));
  EXPECT_FALSE(isCounterClockwise(Polygon({{0, 0}, {5, 0}, {10, 0}})));  // no area
  EXPECT_FALSE(isCounterClockwise(Polygon()));
}

struct OffsetCase {
  const char* name;
  std::vector<Point> vertices;
  double distance;
  std::vector<Point> corners;  // empty: the outline collapses
  double area;
};

void PrintTo(const OffsetCase& c, std::ostream* os) { *os << c.name; }

class OffsetPolygonTest : public ::testing::TestWithParam<OffsetCase> {};

// Every case is run as listed and listed the other way round: the corners are the same,
// in the order of the vertices they belong to.
TEST_P(OffsetPolygonTest, CornersInBothOrientations) {
  const OffsetCase& c = GetParam();
  for (bool flip : {false, true}) {
    SCOPED_TRACE(flip ? "clockwise listing" : "as listed");
    Polygon polygon(flip ? reversed(c.vertices) : c.vertices);
    offsetPolygon(polygon, c.distance);
    expectVertices(polygon, flip ? reversed(c.corners) : c.corners);
    EXPECT_NEAR(polygon.area(), c.area, 1e-9);
    if (c.corners.empty()) {
      EXPECT_TRUE(polygon.empty());
      EXPECT_EQ(polygon.box().minX, 0.0);
      EXPECT_EQ(polygon.box().maxX, 0.0);
      EXPECT_EQ(polygon.box().minY, 0.0);
      EXPECT_EQ(polygon.box().maxY, 0.0);
      continue;
    }
    const Polygon fresh(c.corners);
    EXPECT_NEAR(polygon.box().minX, fresh.box().minX, 1e-12);
    EXPECT_NEAR(polygon.box().maxX, fresh.box().maxX, 1e-12);
    EXPECT_NEAR(polygon.box().minY, fresh.box().minY, 1e-12);
    EXPECT_NEAR(polygon.box().maxY, fresh.box().maxY, 1e-12);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, OffsetPolygonTest,
    ::testing::Values(
        OffsetCase{"SquareGrows",
                   {{0, 0}, {10, 0}, {10, 10}, {0, 10}},
                   1.0,
                   {{-1, -1}, {11, -1}, {11, 11}, {-1, 11}},
                   144.0},
        OffsetCase{"SquareShrinks",
                   {{0, 0}, {10, 0}, {10, 10}, {0, 10}},
                   -1.0,
                   {{1, 1}, {9, 1}, {9, 9}, {1, 9}},
                   64.0},
        OffsetCase{"HoleShrinksByTheGap",
                   {{20, 20}, {30, 20}, {30, 30}, {20, 30}},
                   -2.0,
                   {{22, 22}, {28, 22}, {28, 28}, {22, 28}},
                   36.0},
        // The moved collinear edges share the moved middle vertex, which stays.
        OffsetCase{"CollinearMiddleVertex",
                   {{0, 0}, {5, 0}, {10, 0}, {10, 10}, {0, 10}},
                   1.0,
                   {{-1, -1}, {5, -1}, {11, -1}, {11, 11}, {-1, 11}},
                   144.0},
        // Mitred convex corners; the concave corner moves diagonally.
        OffsetCase{"LShape",
                   {{0, 0}, {10, 0}, {10, 5}, {5, 5}, {5, 10}, {0, 10}},
                   1.0,
                   {{-1, -1}, {11, -1}, {11, 6}, {6, 6}, {6, 11}, {-1, 11}},
                   12.0 * 7 + 7.0 * 5},
        // The chamfer runs backwards between its trial corners and is dropped.
        OffsetCase{"ChamferDropped",
                   {{0, 0}, {10, 0}, {10, 9}, {9, 10}, {0, 10}},
                   -2.0,
                   {{2, 2}, {8, 2}, {8, 8}, {2, 8}},
                   36.0},
        // The short edges' trial corners meet in one point: a run of length 0 keeps them.
        OffsetCase{"RectangleShrunkToALine",
                   {{0, 0}, {10, 0}, {10, 2}, {0, 2}},
                   -1.0,
                   {{1, 1}, {9, 1}, {9, 1}, {1, 1}},
                   0.0},
        // Both short edges are dropped; the long ones left are parallel and never meet.
        OffsetCase{"ThinRectangleCollapses", {{0, 0}, {10, 0}, {10, 1}, {0, 1}}, -0.6, {}, 0.0},
        // Shrunk past its inscribed circle, every edge of a triangle turns round.
        OffsetCase{"TriangleVanishes", {{0, 0}, {10, 0}, {0, 10}}, -5.0, {}, 0.0},
        // A repeated vertex gives an edge without direction; the outline is the same.
        OffsetCase{"RepeatedVertex",
                   {{0, 0}, {10, 0}, {10, 0}, {10, 10}, {0, 10}},
                   1.0,
                   {{-1, -1}, {11, -1}, {11, 11}, {-1, 11}},
                   144.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OffsetPolygonTest, DegenerateOutlines) {
  Polygon segment({{0, 0}, {10, 0}});
  offsetPolygon(segment, 1.0);
  ASSERT_EQ(segment.vertexCount(), 2);
  EXPECT_EQ(segment.vertex(1).x, 10.0);
  EXPECT_EQ(segment.vertex(1).y, 0.0);
  Polygon empty;
  offsetPolygon(empty, 1.0);
  EXPECT_TRUE(empty.empty());
  // Three vertices, two of them the same: no outline is left to move.
  Polygon flat({{0, 0}, {10, 0}, {10, 0}});
  offsetPolygon(flat, 1.0);
  EXPECT_TRUE(flat.empty());
  EXPECT_EQ(flat.area(), 0.0);
  // The first vertex repeated at the end, as a closed drawing lists it.
  Polygon closed({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}});
  offsetPolygon(closed, 1.0);
  expectVertices(closed, {{-1, -1}, {11, -1}, {11, 11}, {-1, 11}});
  EXPECT_EQ(closed.area(), 144.0);
}

// Random convex outlines: either listing gives the same corners, every corner lies at the
// offset distance from both edges that meet there, and growing then shrinking restores them.
TEST(OffsetPolygonTest, ConvexOutlinesAnyOrientation) {
  std::mt19937_64 random(42);
  std::uniform_real_distribution<double> angle(0.0, 2 * kPi);
  std::uniform_real_distribution<double> distance(0.1, 3.0);
  for (int trial = 0; trial < 100; ++trial) {
    std::vector<double> angles(3 + static_cast<std::size_t>(trial % 9));
    for (double& a : angles) a = angle(random);
    std::sort(angles.begin(), angles.end());
    std::vector<Point> ring;
    for (double a : angles) ring.emplace_back(50 + 40 * std::cos(a), -20 + 40 * std::sin(a));
    const Polygon original(ring);
    if (original.area() < 100.0) continue;  // slivers say nothing about corners
    const double d = distance(random);

    Polygon grown(ring);
    offsetPolygon(grown, d);
    Polygon grownReversed(reversed(ring));
    offsetPolygon(grownReversed, d);
    ASSERT_EQ(grown.vertexCount(), static_cast<int>(ring.size()));
    expectVertices(grownReversed, reversed(grown.vertices()), 1e-9);
    EXPECT_GT(grown.area(), original.area());

    const std::size_t n = ring.size();
    for (std::size_t i = 0; i < n; ++i) {
      // Distance from corner i to the line of edge i (p_i -> p_{i+1}).
      const Segment edge(ring[i], ring[(i + 1) % n]);
      const Point& corner = grown.vertex(static_cast<int>(i));
      const double lineDistance = std::fabs(edge.a * corner.x + edge.b * corner.y + edge.c) /
                                  std::sqrt(edge.a * edge.a + edge.b * edge.b);
      EXPECT_NEAR(lineDistance, d, 1e-9);
    }

    offsetPolygon(grown, -d);
    expectVertices(grown, ring, 1e-9);
    EXPECT_NEAR(grown.area(), original.area(), 1e-8);
  }
}

}  // namespace
}  // namespace platenest
