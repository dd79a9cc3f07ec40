// Sound growth of outlines that the mitred offset breaks (circles as fine polygons with
// rounded coordinates), the clearance test against a brute-force measure, and the faults of
// outlines no shop can cut.
#include "geometry/outline_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "geometry/offset.h"

namespace platenest {
namespace {

std::vector<Point> roundedCircle(double r, int n, int decimals, bool clockwise = false) {
  const double scale = std::pow(10.0, decimals);
  std::vector<Point> points;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::acos(-1.0) * (clockwise ? -i : i) / n;
    points.emplace_back(std::round(r * std::cos(a) * scale) / scale,
                        std::round(r * std::sin(a) * scale) / scale);
  }
  return points;
}

double segmentDistance(const Point& p, const Point& a, const Point& b) {
  const double dx = b.x - a.x, dy = b.y - a.y, l2 = dx * dx + dy * dy;
  const double t = l2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / l2, 0.0, 1.0) : 0.0;
  return std::hypot(a.x + t * dx - p.x, a.y + t * dy - p.y);
}

// Brute force: the least distance from the sampled vertices of `from` to the edges of `to`.
double leastDistance(const Polygon& from, const Polygon& to, std::size_t step = 1) {
  double least = 1e300;
  const auto& v = to.vertices();
  for (std::size_t i = 0; i < from.vertices().size(); i += step) {
    for (std::size_t k = 0; k < v.size(); ++k) {
      least = std::min(least, segmentDistance(from.vertices()[i], v[k], v[(k + 1) % v.size()]));
    }
  }
  return least;
}

struct FineCircle {
  double radius;
  int points;
  int decimals;
  double grow;
};

// Every circle an operator's CAM export gives keeps a working outline that holds it with the
// whole distance, as an outline grown and as a hole shrunk (or the hole is left out).
TEST(SoundGrowthTest, FinelyPolygonisedCirclesKeepTheirWorkingOutline) {
  const std::vector<FineCircle> cases = {{150, 720, 2, 2.5}, {50, 500, 2, 2.5}, {300, 3600, 3, 2.5},
                                         {150, 720, 2, 0.5}, {20, 360, 2, 4}, {500, 500000, 3, 2.5}};
  int mitredFailures = 0;
  for (const FineCircle& c : cases) {
    for (bool clockwise : {false, true}) {
      SCOPED_TRACE("r " + std::to_string(c.radius) + ", " + std::to_string(c.points) + " points");
      const Polygon original(roundedCircle(c.radius, c.points, c.decimals, clockwise));
      Polygon mitred = original;
      offsetPolygon(mitred, c.grow);
      if (!soundlyGrown(original, mitred, c.grow, true)) ++mitredFailures;

      Polygon grown = original;
      ASSERT_NE(growSoundly(grown, c.grow), Growth::kFailed);
      ASSERT_GE(grown.vertexCount(), 3);
      // Independent of the grid test: every vertex inside, every sampled vertex the distance off.
      const std::size_t step = std::max<std::size_t>(1, original.vertices().size() / 2000);
      for (std::size_t i = 0; i < original.vertices().size(); i += step) {
        ASSERT_TRUE(grown.containsPoint(original.vertices()[i])) << i;
      }
      EXPECT_GE(leastDistance(original, grown, step), c.grow * (1 - 1e-6));
      if (original.vertexCount() <= 10000) {
        EXPECT_GE(leastDistance(grown, original), c.grow * (1 - 1e-6));
      }
      // Not grown much further than asked: the box is within the simplification's allowance.
      EXPECT_LE(grown.box().maxX, original.box().maxX + c.grow * 1.05 + 0.02);

      Polygon hole = original;
      growSoundly(hole, -c.grow);
      if (!hole.empty()) {
        EXPECT_TRUE(original.containsPoint(hole.vertex(0)));
        if (original.vertexCount() <= 10000) {
          EXPECT_GE(leastDistance(hole, original), c.grow * (1 - 1e-6));
        }
      }
    }
  }
  // The cases are the ones the mitred offset alone breaks, or the test shows nothing.
  EXPECT_GE(mitredFailures, 3);
}

// A sound mitred offset is kept exactly as the mitred offset gives it.
TEST(SoundGrowthTest, SoundMitredOffsetsAreKeptBitForBit) {
  const std::vector<std::vector<Point>> shapes = {
      {{0, 0}, {10, 0}, {10, 10}, {0, 10}},
      {{0, 0}, {10, 0}, {10, 5}, {5, 5}, {5, 10}, {0, 10}},
      roundedCircle(100, 64, 6)};
  for (const auto& shape : shapes) {
    for (double d : {1.0, -1.0, 2.5}) {
      Polygon mitred(shape);
      offsetPolygon(mitred, d);
      Polygon sound(shape);
      EXPECT_EQ(growSoundly(sound, d), Growth::kMitred);
      ASSERT_EQ(sound.vertexCount(), mitred.vertexCount());
      for (int i = 0; i < sound.vertexCount(); ++i) {
        EXPECT_EQ(sound.vertex(i).x, mitred.vertex(i).x);
        EXPECT_EQ(sound.vertex(i).y, mitred.vertex(i).y);
      }
    }
  }
}

// The grid test agrees with the brute-force measure on random polygon pairs.
TEST(SoundGrowthTest, ClearanceTestAgreesWithBruteForce) {
  std::mt19937 engine(7);
  std::uniform_real_distribution<double> coordinate(0, 100), size(1, 40);
  for (int trial = 0; trial < 300; ++trial) {
    const auto randomPolygon = [&] {
      const double cx = coordinate(engine), cy = coordinate(engine), r = size(engine);
      const int n = 3 + static_cast<int>(engine() % 30);
      std::vector<Point> p;
      for (int i = 0; i < n; ++i) {
        const double a = 2 * std::acos(-1.0) * i / n, rr = r * (0.5 + 0.5 * coordinate(engine) / 100);
        p.emplace_back(cx + rr * std::cos(a), cy + rr * std::sin(a));
      }
      return Polygon(p);
    };
    const Polygon a = randomPolygon(), b = randomPolygon();
    const double distance = size(engine) / 4;
    double brute = std::min(leastDistance(a, b), leastDistance(b, a));
    // Crossing edges are at distance 0 though no vertex is near the other's edges.
    for (std::size_t i = 0; i < a.vertices().size() && brute > 0; ++i) {
      if (b.containsPoint(a.vertices()[i]) != b.containsPoint(a.vertices()[(i + 1) % a.vertices().size()])) {
        brute = 0;
      }
    }
    EXPECT_EQ(boundariesCloserThan(a, b, distance), brute < distance) << trial;
  }
}

TEST(SoundGrowthTest, SimplificationStaysWithinItsTolerance) {
  const Polygon original(roundedCircle(150, 720, 2));
  const Polygon simple = simplifiedWithin(original, 0.01);
  EXPECT_LT(simple.vertexCount(), original.vertexCount() * 6 / 10);
  EXPECT_LE(leastDistance(simple, original), 0.01);
  double worst = 0;
  for (const Point& p : original.vertices()) {
    double least = 1e300;
    const auto& v = simple.vertices();
    for (std::size_t k = 0; k < v.size(); ++k) least = std::min(least, segmentDistance(p, v[k], v[(k + 1) % v.size()]));
    worst = std::max(worst, least);
  }
  EXPECT_LE(worst, 0.01);
  const Polygon hull = convexHullOf(original);
  for (const Point& p : original.vertices()) EXPECT_TRUE(hull.containsPoint(p) || leastDistance(Polygon({p, p, p}), hull) < 1e-9);
}

struct FaultCase {
  const char* name;
  std::vector<std::vector<Point>> loops;
  const char* fault;  // the start of the refusal; empty when the outline can be cut
};

TEST(OutlineFaultTest, UncuttableOutlinesAreNamedAsTheDrawingReaderNamesThem) {
  const std::vector<Point> square = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
  const auto box = [](double x0, double y0, double x1, double y1) {
    return std::vector<Point>{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
  };
  std::vector<Point> star;
  for (int i = 0; i < 5; ++i) {
    const double a = 2 * std::acos(-1.0) * 2 * i / 5;
    star.emplace_back(50 * std::cos(a), 50 * std::sin(a));
  }
  const std::vector<FaultCase> cases = {
      {"plate with a hole", {square, box(10, 10, 20, 20)}, ""},
      {"hole touching the outline", {square, {{0, 10}, {20, 10}, {20, 20}}}, ""},
      {"bow-tie", {{{0, 0}, {10, 10}, {10, 0}, {0, 10}}}, "an outline crosses itself near (5, 5)"},
      {"star", {star}, "an outline crosses itself near"},
      {"loop back", {{{0, 0}, {100, 0}, {100, 50}, {50, 50}, {50, -25}, {25, -25}, {25, 50}, {0, 50}}},
       "an outline crosses itself near"},
      {"hole crossing the outline", {square, box(90, 40, 110, 60)}, "a hole crosses its outline near (100, "},
      {"hole outside", {square, box(200, 10, 220, 20)}, "a hole lies outside its outline near (200, 10)"},
      {"holes crossing", {square, box(10, 10, 30, 30), box(20, 20, 40, 40)}, "two holes cross near"},
      {"hole in a hole", {square, box(10, 10, 60, 60), box(20, 20, 30, 30)},
       "a hole lies inside another hole near (20, 20)"},
      {"star hole", {square, [&] { auto s = star; for (auto& p : s) p = Point(p.x / 5 + 50, p.y / 5 + 50); return s; }()},
       "an outline crosses itself near"},
  };
  for (const FaultCase& c : cases) {
    const std::string fault = outlineFault(c.loops);
    if (std::string(c.fault).empty()) {
      EXPECT_EQ(fault, "") << c.name;
    } else {
      EXPECT_EQ(fault.rfind(c.fault, 0), 0u) << c.name << ": " << fault;
    }
  }
}

}  // namespace
}  // namespace platenest
