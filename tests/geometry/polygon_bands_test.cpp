// The band-filed polygon tests must answer exactly as the plain polygon tests on a moved copy,
// boundary cases included: points on vertices and edges, rays through vertices, horizontal
// edges, touching and collinear edges.
#include "geometry/polygon_bands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "geometry/point.h"
#include "geometry/polygon.h"
#include "geometry/segment.h"

namespace platenest {
namespace {

const double kPi = std::acos(-1.0);

// A star-shaped outline; with `lattice` its vertices are rounded to a 1 mm lattice, so that
// horizontal and vertical edges, shared heights and collinear edges are common.
Polygon randomStar(std::mt19937& random, int vertices, double size, bool lattice) {
  std::uniform_real_distribution<double> radius(size * 0.3, size);
  std::vector<Point> outline;
  for (int i = 0; i < vertices; ++i) {
    const double angle = 2 * kPi * i / vertices;
    const double r = radius(random);
    double x = r * std::cos(angle), y = r * std::sin(angle);
    if (lattice) x = std::round(x), y = std::round(y);
    outline.emplace_back(x, y);
  }
  return Polygon(outline);
}

Polygon movedCopy(const Polygon& polygon, double dx, double dy) {
  Polygon copy = polygon;
  copy.translate(dx, dy);
  return copy;
}

// Moves that are whole millimetres (the lattice cases meet exactly) or arbitrary.
double randomMove(std::mt19937& random, double range) {
  std::uniform_real_distribution<double> any(-range, range);
  const double d = any(random);
  return random() % 2 == 0 ? std::round(d) : d;
}

TEST(PolygonBandsTest, PointTestsAgreeWithThePlainTestOnMovedCopies) {
  std::mt19937 random(11);
  int inside = 0, onVertices = 0;
  for (int shape = 0; shape < 120; ++shape) {
    const bool lattice = shape % 2 == 0;
    const Polygon polygon = randomStar(random, 3 + shape % 70, 40, lattice);
    PolygonBands bands;
    bands.build(polygon);
    const double dx = randomMove(random, 3000), dy = randomMove(random, 3000);
    const Polygon moved = movedCopy(polygon, dx, dy);
    std::vector<Point> probes;
    std::uniform_real_distribution<double> offset(-45, 45);
    for (int i = 0; i < 300; ++i) {
      double x = offset(random), y = offset(random);
      if (lattice || i % 3 == 0) x = std::round(x), y = std::round(y);
      probes.emplace_back(x + dx, y + dy);
    }
    // The vertices themselves and the midpoints of the edges: boundary points.
    for (int i = 0; i < moved.vertexCount(); ++i) {
      const Point& a = moved.vertex(i);
      const Point& b = moved.vertex((i + 1) % moved.vertexCount());
      probes.push_back(a);
      probes.emplace_back((a.x + b.x) / 2, (a.y + b.y) / 2);
    }
    for (const Point& p : probes) {
      const bool expected = moved.containsPoint(p);
      ASSERT_EQ(bands.containsPoint(p.x, p.y, dx, dy), expected)
          << "shape " << shape << " at " << p.x << ", " << p.y;
      inside += expected;
    }
    for (const Point& v : moved.vertices()) onVertices += moved.containsPoint(v);
  }
  EXPECT_GT(inside, 5000);
  EXPECT_GT(onVertices, 100);  // some vertices lie on counted boundaries
}

TEST(PolygonBandsTest, PairTestsAgreeWithThePlainTestsOnMovedCopies) {
  std::mt19937 random(23);
  int crossing = 0, containing = 0, anyInside = 0;
  for (int pair = 0; pair < 3000; ++pair) {
    const bool lattice = pair % 2 == 0;
    const Polygon a = randomStar(random, 3 + static_cast<int>(random() % 60), 30, lattice);
    const Polygon b =
        randomStar(random, 3 + static_cast<int>(random() % 60), pair % 5 == 0 ? 8 : 30, lattice);
    PolygonBands bandsA, bandsB;
    bandsA.build(a);
    bandsB.build(b);
    // Near each other, so that every outcome occurs; b's move is sometimes zero.
    const double adx = randomMove(random, 2000), ady = randomMove(random, 2000);
    std::uniform_real_distribution<double> near(-40, 40);
    // The small ones close to a's middle, so that some lie wholly inside.
    const double reach = pair % 5 == 0 ? 0.15 : 1.0;
    double bdx = adx + near(random) * reach, bdy = ady + near(random) * reach;
    if (lattice) bdx = std::round(bdx), bdy = std::round(bdy);
    if (pair % 7 == 0) bdx = bdy = 0;
    const Polygon movedA = movedCopy(a, adx, ady), movedB = movedCopy(b, bdx, bdy);

    const bool cross = movedA.edgesCross(movedB);
    ASSERT_EQ(bandsA.edgesCross(adx, ady, bandsB, bdx, bdy), cross) << "pair " << pair;
    ASSERT_EQ(bandsB.edgesCross(bdx, bdy, bandsA, adx, ady), movedB.edgesCross(movedA))
        << "pair " << pair;
    const bool all = movedA.containsAll(movedB);
    ASSERT_EQ(bandsA.containsAll(adx, ady, bandsB, bdx, bdy), all) << "pair " << pair;
    bool any = false;
    for (const Point& v : movedB.vertices()) any = any || movedA.containsPoint(v);
    std::size_t start = static_cast<std::size_t>(random() % 80);  // out of range as well
    ASSERT_EQ(bandsA.containsAnyVertexOf(adx, ady, bandsB, bdx, bdy, start), any)
        << "pair " << pair;
    if (any) {
      ASSERT_TRUE(movedA.containsPoint(movedB.vertex(static_cast<int>(start))));
    }
    // A polygon whose vertices leave a box is contained by nothing inside that box; its span
    // kept apart answers the same.
    const bool within = bandsB.verticesWithin(bdx, bdy, a.box(), adx, ady);
    if (!within) {
      EXPECT_FALSE(all);
    }
    ASSERT_EQ(spanWithin(bandsB.vertexSpan(), bdx, bdy, a.box(), adx, ady), within)
        << "pair " << pair;
    crossing += cross;
    containing += all;
    anyInside += any;
  }
  EXPECT_GT(crossing, 500);
  EXPECT_GT(containing, 20);
  EXPECT_GT(anyInside, 500);
}

TEST(PolygonBandsTest, HugeAndNonFiniteNumbersFallBackToEveryEdge) {
  const Polygon square({Point(0, 0), Point(10, 0), Point(10, 10), Point(0, 10), Point(0, 5),
                        Point(0, 2), Point(0, 1), Point(1, 0.5), Point(2, 0.5), Point(3, 0.25),
                        Point(4, 0.125), Point(5, 0)});
  PolygonBands bands;
  bands.build(square);
  for (const double move : {0.0, 1e8, -3e9, 1e15}) {
    const Polygon moved = movedCopy(square, move, move);
    for (const Point& p :
         {Point(5, 5), Point(10, 10), Point(0, 0), Point(10, 0), Point(0.5, 0.4), Point(11, 5)}) {
      const double x = p.x + move, y = p.y + move;
      EXPECT_EQ(bands.containsPoint(x, y, move, move), moved.containsPoint(x, y))
          << move << ": " << p.x << ", " << p.y;
    }
  }
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(bands.containsPoint(nan, 5, 0, 0), square.containsPoint(nan, 5));
  EXPECT_EQ(bands.containsPoint(5, nan, 0, 0), square.containsPoint(5, nan));

  const Polygon far({Point(1e8, 0), Point(1e8 + 10, 0), Point(1e8 + 10, 10), Point(1e8, 10),
                     Point(1e8, 9), Point(1e8 + 1, 8), Point(1e8, 7), Point(1e8, 6), Point(1e8, 5),
                     Point(1e8, 4), Point(1e8, 3), Point(1e8, 2)});
  PolygonBands farBands;
  farBands.build(far);
  EXPECT_TRUE(farBands.containsPoint(1e8 + 5, 5, 0, 0));
  EXPECT_FALSE(farBands.containsPoint(1e8 + 0.5, 8, 0, 0));
  EXPECT_EQ(farBands.edgesCross(0, 0, bands, 1e8 + 10, 0),
            far.edgesCross(movedCopy(square, 1e8 + 10, 0)));
  EXPECT_TRUE(bands.moderate());
  EXPECT_FALSE(farBands.moderate());

  // A vertex that is not a number: every test still answers as the plain one.
  std::vector<Point> outline = square.vertices();
  outline[5] = Point(nan, 3);
  const Polygon broken(outline);
  PolygonBands brokenBands;
  brokenBands.build(broken);
  EXPECT_FALSE(brokenBands.moderate());
  for (double y = -0.5; y <= 10.5; y += 0.25) {
    for (double x = -0.5; x <= 10.5; x += 0.25) {
      EXPECT_EQ(brokenBands.containsPoint(x, y, 0, 0), broken.containsPoint(x, y))
          << x << ", " << y;
    }
  }
  EXPECT_EQ(brokenBands.edgesCross(0, 0, bands, 3, 3), broken.edgesCross(movedCopy(square, 3, 3)));

  // Spans kept apart answer as verticesWithin for NaN, empty and huge polygons too.
  PolygonBands empty;
  empty.build(Polygon());
  outline[5] = Point(3, 3);
  outline[0] = Point(nan, 0);
  PolygonBands nanFirst;
  nanFirst.build(Polygon(outline));
  const BoundingBox box{-1, 11, -1, 11};
  for (const PolygonBands* polygon : {&bands, &farBands, &brokenBands, &empty, &nanFirst}) {
    for (const double move : {0.0, 1.0, -2.0, 1e8, nan, std::numeric_limits<double>::infinity()}) {
      EXPECT_EQ(spanWithin(polygon->vertexSpan(), move, 0, box, 0, move),
                polygon->verticesWithin(move, 0, box, 0, move))
          << move;
    }
  }
}

// Bands know their polygon by its revision: copies share it, every change gives a new one,
// and the vertex-by-vertex comparison agrees wherever the revision says "the same".
TEST(PolygonBandsTest, BuiltFromNoticesAMovedOrChangedPolygon) {
  std::mt19937 random(5);
  Polygon polygon = randomStar(random, 30, 20, false);
  PolygonBands bands;
  bands.build(polygon);
  EXPECT_TRUE(bands.builtFrom(polygon));
  const Polygon copy = polygon;
  EXPECT_TRUE(bands.builtFrom(copy));
  Polygon moved = polygon;
  moved.translate(0, 1e-9);
  EXPECT_FALSE(bands.builtFrom(moved));
  EXPECT_FALSE(bands.sameGeometry(moved));
  Polygon turned = polygon;
  turned.rotateAbout(Point(0, 0), kPi);
  EXPECT_FALSE(bands.builtFrom(turned));
  Polygon shorter(std::vector<Point>(polygon.vertices().begin(), polygon.vertices().end() - 1));
  EXPECT_FALSE(bands.builtFrom(shorter));
  // Equal vertices set anew: a new revision, though the geometry is the same.
  const Polygon again(polygon.vertices());
  EXPECT_FALSE(bands.builtFrom(again));
  EXPECT_TRUE(bands.sameGeometry(again));
  // Moved away: the new owner keeps the revision, the emptied one does not.
  Polygon source = polygon;
  Polygon owner = std::move(source);
  EXPECT_TRUE(bands.builtFrom(owner));
  EXPECT_FALSE(bands.builtFrom(source));
  Polygon assigned;
  assigned = std::move(owner);
  EXPECT_TRUE(bands.builtFrom(assigned));
  EXPECT_FALSE(bands.builtFrom(owner));
  // Changes through every other door.
  Polygon edited = polygon;
  edited.mutableVertices()[3].x += 0;
  EXPECT_FALSE(bands.builtFrom(edited));
  Polygon boxed = polygon;
  boxed.computeBox();
  EXPECT_FALSE(bands.builtFrom(boxed));
  Polygon mirrored = polygon;
  mirrored.mirror(Segment(Point(0, 0), Point(1, 0)));
  EXPECT_FALSE(bands.builtFrom(mirrored));
  Polygon shifted;
  shifted.assignTranslated(polygon, 1, 0);
  EXPECT_FALSE(bands.builtFrom(shifted));
  Polygon cleared = polygon;
  cleared.clear();
  EXPECT_FALSE(bands.builtFrom(cleared));
  // Bit for bit: a coordinate that is not a number still matches its copy.
  std::vector<Point> outline = polygon.vertices();
  outline[2].y = std::nan("");
  const Polygon broken(outline);
  PolygonBands brokenBands;
  brokenBands.build(broken);
  const Polygon brokenCopy = broken;
  EXPECT_TRUE(brokenBands.builtFrom(brokenCopy));
  EXPECT_TRUE(brokenBands.sameGeometry(brokenCopy));
  EXPECT_FALSE(bands.sameGeometry(broken));

  PolygonBands empty;
  empty.build(Polygon());
  EXPECT_TRUE(empty.builtFrom(Polygon()));
  EXPECT_TRUE(empty.sameGeometry(Polygon()));
  EXPECT_FALSE(empty.containsPoint(0, 0, 0, 0));
  EXPECT_FALSE(empty.edgesCross(0, 0, bands, 0, 0));
  EXPECT_TRUE(bands.containsAll(0, 0, empty, 0, 0));
}

}  // namespace
}  // namespace platenest
