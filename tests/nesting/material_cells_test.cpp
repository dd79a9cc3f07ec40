// The map of deep material: every point it gives to a part must be inside that part by the
// plain point test, in none of its holes and more than kDepth from every edge, and the map
// must follow parts that move or leave.
#include "nesting/material_cells.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "engine_test_support.h"
#include "nesting/part_bands.h"

namespace platenest {
namespace {

using engine_test::distanceToSegment;
using engine_test::makePart;
using engine_test::rectangleOutline;


// Radii between 0.4 and 1 of `size`.
std::vector<Point> star(std::mt19937& random, double cx, double cy, double size, int vertices) {
  return engine_test::randomStar(random, cx, cy, size * 0.4, size, vertices);
}

double distanceToEdges(const Point& p, const Polygon& polygon) {
  double best = INFINITY;
  const int n = polygon.vertexCount();
  for (int i = 0; i < n; ++i) {
    best = std::min(best, distanceToSegment(p, polygon.vertex(i), polygon.vertex((i + 1) % n)));
  }
  return best;
}

// The parts in the map's terms, bands from one cache as the search keeps them.
struct Layout {
  std::vector<PlacedPart> parts;
  PartBandsCache cache;
  MaterialCells map;

  void update(const BoundingBox& plate, const std::vector<std::uint32_t>& present,
              std::size_t jobParts = 128) {
    std::vector<std::uint64_t> versions;
    std::vector<const PartBands*> bands;
    cache.reserve(parts.size());
    for (const std::uint32_t slot : present) {
      bands.push_back(&cache.of(slot, parts[slot]));
      versions.push_back(bands.back()->version);
    }
    map.update(plate, jobParts, present, versions, bands);
  }
};

// Checks every sampled point the map gives to a part; returns how many it gave.
int checkSamples(const Layout& layout, const BoundingBox& plate, std::mt19937& random,
                 const std::vector<std::uint32_t>& present) {
  std::uniform_real_distribution<double> x(plate.minX, plate.maxX), y(plate.minY, plate.maxY);
  std::vector<Point> samples;
  for (int i = 0; i < 40000; ++i) {
    // Points on a fine lattice as well, so that cell borders are met exactly.
    Point p(x(random), y(random));
    if (i % 2 == 0) p = Point(std::round(p.x * 4) / 4, std::round(p.y * 4) / 4);
    samples.push_back(p);
  }
  // And points just within the depth of every edge, on both sides.
  std::uniform_real_distribution<double> along(0, 1);
  for (const std::uint32_t slot : present) {
    const PlacedPart& part = layout.parts[slot];
    std::vector<const Polygon*> polygons{&part.outer};
    for (const Polygon& hole : part.holes) polygons.push_back(&hole);
    for (const Polygon* polygon : polygons) {
      const int n = polygon->vertexCount();
      for (int i = 0; i < n; ++i) {
        const Point& a = polygon->vertex(i);
        const Point& b = polygon->vertex((i + 1) % n);
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        if (!(length > 0)) continue;
        for (int k = 0; k < 40; ++k) {
          const double t = along(random);
          for (const double offset : {-0.9, -0.5, 0.5, 0.9}) {
            const double d = offset * MaterialCells::kDepth / length;
            samples.emplace_back(a.x + t * (b.x - a.x) - d * (b.y - a.y),
                                 a.y + t * (b.y - a.y) + d * (b.x - a.x));
          }
        }
      }
    }
  }
  int owned = 0;
  for (const Point& p : samples) {
    const std::uint32_t owner = layout.map.partAt(p.x, p.y);
    if (owner == 0) continue;
    ++owned;
    EXPECT_TRUE(std::find(present.begin(), present.end(), owner - 1) != present.end());
    const PlacedPart& part = layout.parts[owner - 1];
    EXPECT_TRUE(part.containsPoint(p)) << p.x << ", " << p.y;
    double nearest = distanceToEdges(p, part.outer);
    for (const Polygon& hole : part.holes) nearest = std::min(nearest, distanceToEdges(p, hole));
    EXPECT_GT(nearest, MaterialCells::kDepth) << p.x << ", " << p.y;
  }
  return owned;
}

TEST(MaterialCellsTest, CellsGivenToAPartLieDeepInItsMaterial) {
  std::mt19937 random(17);
  const BoundingBox plate{0, 1200, 0, 500};
  Layout layout;
  std::uniform_real_distribution<double> x(40, 1160), y(40, 460), size(15, 40);
  for (int i = 0; i < 30; ++i) {
    const double cx = x(random), cy = y(random), s = size(random);
    if (i % 3 == 0) {
      layout.parts.push_back(
          makePart(star(random, cx, cy, s, 5 + i),
                   {star(random, cx, cy, s * 0.3, 7),
                    rectangleOutline(cx + s * 0.35, cy - 2, cx + s * 0.38, cy + 2)}));
    } else {
      layout.parts.push_back(makePart(star(random, cx, cy, s, 3 + i * 2)));
    }
  }
  // A frame whose hole holds another part, and a part reaching beyond the plate.
  layout.parts.push_back(
      makePart(rectangleOutline(300, 100, 420, 220), {rectangleOutline(310, 110, 410, 210)}));
  layout.parts.push_back(engine_test::makeRectangle(330, 130, 380, 180));
  layout.parts.push_back(engine_test::makeRectangle(1150, 400, 1250, 520));
  std::vector<std::uint32_t> all;
  for (std::uint32_t slot = 0; slot < layout.parts.size(); ++slot) all.push_back(slot);

  layout.update(plate, all);
  EXPECT_GT(checkSamples(layout, plate, random, all), 1500);  // most of the parts' area
  EXPECT_EQ(layout.map.partAt(360, 150), 32U);                // the part in the frame's hole
  EXPECT_EQ(layout.map.partAt(305, 150), 31U);                // the frame's side
  EXPECT_EQ(layout.map.partAt(395, 150), 0U);                 // the frame's hole

  // A part moves: its old place is no longer its own, the new one is.
  layout.parts[31].translate(0, -40);
  layout.update(plate, all);
  EXPECT_EQ(layout.map.partAt(360, 160), 0U);
  EXPECT_EQ(layout.map.partAt(360, 95), 32U);
  EXPECT_EQ(layout.map.partAt(1175, 420), 33U);
  checkSamples(layout, plate, random, all);

  // Parts leave the set and come back: the map follows.
  const std::vector<std::uint32_t> fewer(all.begin(), all.end() - 2);
  layout.update(plate, fewer);
  EXPECT_EQ(layout.map.partAt(1175, 420), 0U);
  EXPECT_EQ(layout.map.partAt(360, 95), 0U);
  checkSamples(layout, plate, random, fewer);
  layout.update(plate, all);
  EXPECT_EQ(layout.map.partAt(1175, 420), 33U);

  // Another plate: a map of its own.
  const BoundingBox smaller{0, 600, 0, 300};
  layout.update(smaller, all);
  EXPECT_EQ(layout.map.partAt(1175, 420), 0U);
  EXPECT_EQ(layout.map.partAt(305, 150), 31U);
  checkSamples(layout, smaller, random, all);
}

// Owners are kept in one byte for jobs of fewer than 255 parts and in two above: each part
// must get its own number, and a part whose number would not fit stays off the map.
TEST(MaterialCellsTest, EveryPartGetsItsOwnNumberInNarrowAndWideMaps) {
  Layout layout;
  for (int i = 0; i < 300; ++i) {
    const double x = 10.0 * (i % 20), y = 10.0 * (i / 20);
    layout.parts.push_back(engine_test::makeRectangle(x + 1, y + 1, x + 9, y + 9));
  }
  std::vector<std::uint32_t> all;
  for (std::uint32_t slot = 0; slot < layout.parts.size(); ++slot) all.push_back(slot);
  const BoundingBox plate{0, 200, 0, 150};
  auto centreOwner = [&](std::uint32_t slot) {
    const BoundingBox& b = layout.parts[slot].outer.box();
    return layout.map.partAt((b.minX + b.maxX) / 2, (b.minY + b.maxY) / 2);
  };

  layout.update(plate, all, 300);
  for (const std::uint32_t slot : all) ASSERT_EQ(centreOwner(slot), slot + 1) << slot;
  std::mt19937 random(5);
  checkSamples(layout, plate, random, all);

  Layout narrow;
  narrow.parts = layout.parts;
  narrow.update(plate, all, 128);
  layout.map = narrow.map;
  for (std::uint32_t slot = 0; slot < 254; ++slot) ASSERT_EQ(centreOwner(slot), slot + 1) << slot;
  for (std::uint32_t slot = 254; slot < 300; ++slot) ASSERT_EQ(centreOwner(slot), 0U) << slot;
  checkSamples(narrow, plate, random, all);
}

// A frame whose hole edges lie just outside a row and a column of cells: those cells are
// within the depth of the edges and must stay undrawn, though their centres are in material.
TEST(MaterialCellsTest, CellsJustBesideAnEdgeStayUndrawn) {
  const BoundingBox plate{0, 1200, 0, 500};
  Layout layout;
  layout.parts.push_back(engine_test::makeRectangle(0, 0, 1, 1));
  layout.update(plate, {0});
  const double h = layout.map.cellSize();
  ASSERT_GT(h, 0);
  const double gap = MaterialCells::kDepth / 2;
  layout.parts[0] = makePart(rectangleOutline(5 * h, 5 * h, 40 * h, 30 * h),
                             {rectangleOutline(12 * h, 12 * h, 20 * h - gap, 20 * h - gap)});
  layout.update(plate, {0});
  const double inside = 0.25 * MaterialCells::kDepth;  // from the cell border, into material
  EXPECT_EQ(layout.map.partAt(20 * h + inside, 15 * h), 0U);
  EXPECT_EQ(layout.map.partAt(15 * h, 20 * h + inside), 0U);
  EXPECT_EQ(layout.map.partAt(20.5 * h, 15 * h), 0U);
  EXPECT_EQ(layout.map.partAt(21.5 * h, 15 * h), 1U);
  EXPECT_EQ(layout.map.partAt(15 * h, 15 * h), 0U);  // in the hole
}

TEST(MaterialCellsTest, PartsWithNumbersOutOfReachAreLeftOut) {
  Layout layout;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  layout.parts.push_back(
      makePart({Point(0, 0), Point(50, 0), Point(50, 50), Point(nan, 25), Point(0, 50)}));
  layout.parts.push_back(engine_test::makeRectangle(60, 0, 100, 40));
  layout.update(BoundingBox{0, 100, 0, 100}, {0, 1});
  EXPECT_EQ(layout.map.partAt(25, 25), 0U);
  EXPECT_EQ(layout.map.partAt(80, 20), 2U);
}

TEST(MaterialCellsTest, NoMapForADegenerateOrHugePlate) {
  Layout layout;
  layout.parts.push_back(engine_test::makeRectangle(0, 0, 10, 10));
  layout.update(BoundingBox{0, 0, 0, 100}, {0});
  EXPECT_EQ(layout.map.partAt(5, 5), 0U);
  layout.update(BoundingBox{0, 1e9, 0, 100}, {0});
  EXPECT_EQ(layout.map.partAt(5, 5), 0U);
  layout.update(BoundingBox{0, 100, 0, 100}, {0});
  EXPECT_EQ(layout.map.partAt(5, 5), 1U);
}

}  // namespace
}  // namespace platenest
