// Placed parts: their derived figures, moves that come back exactly, the turn to the least
// box, growth by the gap, the replay of a pose on the untouched twin, and scratch copies.
#include "job/placed_part.h"
#include "test_support/part_makers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace platenest {
namespace {

// By its corners, as every shape maker of the tests.
constexpr auto& rectangle = testing::rectanglePolygon;

// A part from an outline and holes given in the order the part should hold them.
PlacedPart partOf(const Polygon& outer, const std::vector<Polygon>& holes = {}) {
  PolygonList list;
  for (const Polygon& hole : holes) list.insertFront(hole);  // reversed here, and back by the copy
  PlacedPart part;
  part.setGeometry(outer, list);
  part.label.text = "part";
  part.label.x = outer.vertex(0).x;
  part.label.y = outer.vertex(0).y;
  return part;
}

void expectSamePolygon(const Polygon& a, const Polygon& b) {
  ASSERT_EQ(a.vertexCount(), b.vertexCount());
  for (int i = 0; i < a.vertexCount(); ++i) {
    EXPECT_EQ(a.vertex(i).x, b.vertex(i).x) << "vertex " << i;
    EXPECT_EQ(a.vertex(i).y, b.vertex(i).y) << "vertex " << i;
  }
  EXPECT_EQ(a.area(), b.area());
  EXPECT_EQ(a.box().minX, b.box().minX);
  EXPECT_EQ(a.box().maxX, b.box().maxX);
  EXPECT_EQ(a.box().minY, b.box().minY);
  EXPECT_EQ(a.box().maxY, b.box().maxY);
}

// Every field, bit for bit; holes in the same order. The centroid is left to the caller
// where it carries low bits a move rounds off.
void expectSamePart(const PlacedPart& a, const PlacedPart& b, bool sameCentroid = true) {
  expectSamePolygon(a.outer, b.outer);
  ASSERT_EQ(a.holes.count(), b.holes.count());
  for (int i = 0; i < a.holes.count(); ++i) {
    expectSamePolygon(a.holes[static_cast<std::size_t>(i)], b.holes[static_cast<std::size_t>(i)]);
  }
  EXPECT_EQ(a.label.text, b.label.text);
  EXPECT_EQ(a.label.x, b.label.x);
  EXPECT_EQ(a.label.y, b.label.y);
  EXPECT_EQ(a.label.angle, b.label.angle);
  EXPECT_EQ(a.label.height, b.label.height);
  EXPECT_EQ(a.secondLabel.x, b.secondLabel.x);
  EXPECT_EQ(a.secondLabel.y, b.secondLabel.y);
  EXPECT_EQ(a.area(), b.area());
  EXPECT_EQ(a.box().minX, b.box().minX);
  EXPECT_EQ(a.box().maxX, b.box().maxX);
  EXPECT_EQ(a.box().minY, b.box().minY);
  EXPECT_EQ(a.box().maxY, b.box().maxY);
  if (sameCentroid) {
    EXPECT_EQ(a.centroid().x, b.centroid().x);
    EXPECT_EQ(a.centroid().y, b.centroid().y);
  }
  EXPECT_EQ(a.chordTolerance, b.chordTolerance);
  EXPECT_EQ(a.selected, b.selected);
  EXPECT_EQ(a.id, b.id);
  EXPECT_EQ(a.mirrored, b.mirrored);
  EXPECT_EQ(a.refPoint.x, b.refPoint.x);
  EXPECT_EQ(a.refPoint.y, b.refPoint.y);
  EXPECT_EQ(a.rotation, b.rotation);
  EXPECT_EQ(a.rectangularity(), b.rectangularity());
  EXPECT_EQ(a.aspectRatio(), b.aspectRatio());
}

// The same outline up to rounding, vertex by vertex.
void expectNearPolygon(const Polygon& a, const Polygon& b, double tolerance) {
  ASSERT_EQ(a.vertexCount(), b.vertexCount());
  for (int i = 0; i < a.vertexCount(); ++i) {
    EXPECT_NEAR(a.vertex(i).x, b.vertex(i).x, tolerance) << "vertex " << i;
    EXPECT_NEAR(a.vertex(i).y, b.vertex(i).y, tolerance) << "vertex " << i;
  }
}

TEST(PlacedPartTest, RectangleFiguresAndWhatARotationRecomputes) {
  PlacedPart part = partOf(rectangle(0, 0, 100, 50));
  EXPECT_EQ(part.area(), 5000);
  EXPECT_EQ(part.rectangularity(), 1);
  EXPECT_EQ(part.aspectRatio(), 2);
  EXPECT_DOUBLE_EQ(part.centroid().x, 50);
  EXPECT_DOUBLE_EQ(part.centroid().y, 25);
  EXPECT_EQ(part.refPoint.x, 0);
  EXPECT_EQ(part.rotation, 0);
  EXPECT_EQ(part.chordTolerance, 1.0);

  part.rotateAbout(Point(0, 0), kPi / 2);
  EXPECT_NEAR(part.box().width(), 50, 1e-12);
  EXPECT_NEAR(part.box().height(), 100, 1e-12);
  EXPECT_EQ(part.aspectRatio(), 2);  // kept, not recomputed
  EXPECT_NEAR(part.rectangularity(), 1, 1e-12);
  EXPECT_EQ(part.rotation, kPi / 2);
  EXPECT_EQ(part.label.angle, 90);
  EXPECT_NEAR(part.centroid().x, -25, 1e-12);
  EXPECT_NEAR(part.centroid().y, 50, 1e-12);

  // A part standing on its long side measures the same aspect ratio.
  EXPECT_EQ(partOf(rectangle(0, 0, 50, 100)).aspectRatio(), 2);
  // An L of 3 squares fills three quarters of its box.
  EXPECT_EQ(partOf(Polygon({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}})).rectangularity(),
            0.75);
}

TEST(PlacedPartTest, HolesReduceTheAreaAndMoveTheCentroid) {
  const PlacedPart centred = partOf(rectangle(0, 0, 100, 100), {rectangle(40, 40, 60, 60)});
  EXPECT_EQ(centred.area(), 9600);
  EXPECT_DOUBLE_EQ(centred.centroid().x, 50);
  EXPECT_DOUBLE_EQ(centred.centroid().y, 50);
  EXPECT_EQ(centred.outer.area(), 10000);

  // (10000 * 50 - 400 * 20) / 9600 = 51.25 on both axes.
  const PlacedPart offCentre = partOf(rectangle(0, 0, 100, 100), {rectangle(10, 10, 30, 30)});
  EXPECT_DOUBLE_EQ(offCentre.centroid().x, 51.25);
  EXPECT_DOUBLE_EQ(offCentre.centroid().y, 51.25);

  // Two holes: each counts once.
  const PlacedPart twoHoles =
      partOf(rectangle(0, 0, 100, 100), {rectangle(10, 10, 30, 30), rectangle(70, 10, 90, 30)});
  EXPECT_EQ(twoHoles.area(), 9200);
  EXPECT_DOUBLE_EQ(twoHoles.centroid().x, 50);
  EXPECT_DOUBLE_EQ(twoHoles.centroid().y, (10000 * 50 - 800 * 20) / 9200.0);
}

TEST(PlacedPartTest, CopiesReverseTheHolesAndMovesKeepThem) {
  const Polygon h1 = rectangle(10, 10, 20, 20);
  const Polygon h2 = rectangle(50, 50, 70, 70);
  PlacedPart part = partOf(rectangle(0, 0, 100, 100), {h1, h2});
  ASSERT_EQ(part.holes.count(), 2);
  ASSERT_EQ(part.holes[0].vertex(0).x, 10);

  const PlacedPart copy = part;
  EXPECT_EQ(copy.holes[0].vertex(0).x, 50);
  EXPECT_EQ(copy.holes[1].vertex(0).x, 10);

  PlacedPart assigned = partOf(rectangle(0, 0, 1, 1));
  assigned = part;
  EXPECT_EQ(assigned.holes[0].vertex(0).x, 50);
  EXPECT_EQ(assigned.area(), part.area());

  const PlacedPart moved = std::move(part);
  EXPECT_EQ(moved.holes[0].vertex(0).x, 10);

  // assignFrom of a list onto itself leaves it as it was.
  PolygonList list = moved.holes;
  list.assignFrom(list);
  EXPECT_EQ(list[0].vertex(0).x, 50);
}

// Parts to move about: with and without holes, away from the origin, already turned.
std::vector<PlacedPart> sampleParts() {
  std::vector<PlacedPart> parts;
  parts.push_back(partOf(rectangle(0, 0, 100, 50)));
  parts.push_back(partOf(rectangle(-30.5, 12.25, 49.5, 92.25), {rectangle(-10, 30, 10, 40)}));
  PlacedPart turned = partOf(Polygon({{0, 0}, {60, 0}, {60, 20}, {20, 20}, {20, 40}, {0, 40}}));
  turned.rotateAbout(Point(7, 3), 0.7);
  parts.push_back(turned);
  return parts;
}

TEST(PlacedPartTest, TranslatingMovesEverythingTogetherAndBackAgain) {
  for (const PlacedPart& original : sampleParts()) {
    PlacedPart part = original;
    part.secondLabel.x = 3;
    part.translate(1024.5, -256.25);
    // The cached boxes follow the vertices.
    EXPECT_EQ(part.box().minX, part.outer.box().minX);
    EXPECT_EQ(part.box().maxY, part.outer.box().maxY);
    EXPECT_EQ(part.box().minX, part.outer.computeBox().minX);
    EXPECT_EQ(part.secondLabel.x, 1027.5);
    EXPECT_NEAR(part.refPoint.y, original.refPoint.y - 256.25, 1e-12);
    EXPECT_NEAR(part.centroid().x, original.centroid().x + 1024.5, 1e-12);
    EXPECT_NEAR(part.label.x, original.label.x + 1024.5, 1e-12);
    EXPECT_EQ(part.area(), original.area());
    part.translate(-1024.5, 256.25);
    part.secondLabel.x = original.secondLabel.x;
    EXPECT_NEAR(part.centroid().x, original.centroid().x, 1e-12);
    EXPECT_NEAR(part.centroid().y, original.centroid().y, 1e-12);
    if (original.rotation == 0) {
      // The centroid carries low bits a shift rounds off (checked near above); the rest is
      // exact on these coordinates.
      expectSamePart(part, original, /*sameCentroid=*/false);
    } else {
      expectNearPolygon(part.outer, original.outer, 1e-12);
      EXPECT_NEAR(part.centroid().x, original.centroid().x, 1e-12);
    }
  }
}

TEST(PlacedPartTest, MirroringTwiceRestoresEverything) {
  for (const PlacedPart& original : sampleParts()) {
    for (const Point& at : {Point(0, 0), Point(500, 12.5), Point(-3, -77)}) {
      PlacedPart part = original;
      part.mirrorAt(at);
      EXPECT_TRUE(part.mirrored);
      EXPECT_EQ(part.rotation, -original.rotation);
      EXPECT_EQ(part.refPoint.y, 2 * at.y - original.refPoint.y);
      EXPECT_EQ(part.label.angle, original.label.angle);
      EXPECT_NEAR(part.box().minY, 2 * at.y - original.box().maxY, 1e-9);
      EXPECT_NEAR(part.centroid().y, 2 * at.y - original.centroid().y, 1e-9);
      EXPECT_NEAR(part.area(), original.area(), 1e-9);

      part.mirrorAt(at);
      EXPECT_FALSE(part.mirrored);
      EXPECT_EQ(part.rotation, original.rotation);
      EXPECT_EQ(part.refPoint.x, original.refPoint.x);
      if (original.rotation == 0) {
        // Coordinates that are sums of powers of two come back exactly.
        expectSamePolygon(part.outer, original.outer);
        for (int i = 0; i < original.holes.count(); ++i) {
          expectSamePolygon(part.holes[static_cast<std::size_t>(i)],
                            original.holes[static_cast<std::size_t>(i)]);
        }
        EXPECT_EQ(part.refPoint.y, original.refPoint.y);
        EXPECT_EQ(part.label.y, original.label.y);
        EXPECT_EQ(part.box().minY, original.box().minY);
      } else {
        expectNearPolygon(part.outer, original.outer, 1e-9);
        EXPECT_NEAR(part.refPoint.y, original.refPoint.y, 1e-9);
      }
    }
  }
}

TEST(PlacedPartTest, RotatingAboutItsOwnPointsAndBack) {
  for (const PlacedPart& original : sampleParts()) {
    PlacedPart part = original;
    part.rotateAbout(part.refPoint, 1.25);  // the centre is one of the part's own points
    EXPECT_NEAR(part.refPoint.x, original.refPoint.x, 1e-12);
    EXPECT_NEAR(part.refPoint.y, original.refPoint.y, 1e-12);
    EXPECT_NEAR(part.area(), original.area(), 1e-9);
    part.rotateAbout(part.refPoint, -1.25);
    expectNearPolygon(part.outer, original.outer, 1e-9);
    EXPECT_NEAR(part.label.angle, original.label.angle, 1e-12);
    EXPECT_NEAR(part.rotation, original.rotation, 1e-15);
  }
}

TEST(PlacedPartTest, TheRotationCentreIsTheVertexNearestTheCentroid) {
  // A hole corner nearer the centroid wins over the outline.
  PlacedPart framed = partOf(rectangle(0, 0, 100, 100), {rectangle(35, 42, 55, 52)});
  const Point centre = framed.rotationCentre();
  EXPECT_EQ(centre.x, 55);
  EXPECT_EQ(centre.y, 52);
  // An L bends round its centroid; the inner corner is nearest.
  PlacedPart l = partOf(Polygon({{0, 0}, {60, 0}, {60, 20}, {20, 20}, {20, 60}, {0, 60}}));
  EXPECT_EQ(l.rotationCentre().x, 20);
  EXPECT_EQ(l.rotationCentre().y, 20);
}

struct OrientationCase {
  const char* name;
  Polygon outline;
  bool turns;
};

// Failures and test listings name the case rather than print its bytes.
void PrintTo(const OrientationCase& c, std::ostream* out) { *out << c.name; }

Polygon squareAt(double degrees) {
  const double a = degrees / 180 * kPi;
  const double c = 100 * std::cos(a);
  const double s = 100 * std::sin(a);
  return Polygon({{0, 0}, {c, s}, {c - s, s + c}, {-s, c}});
}

class NormaliseOrientationTest : public ::testing::TestWithParam<OrientationCase> {};

TEST_P(NormaliseOrientationTest, TurnsOnlyWhenTheBoxShrinksByMoreThanAFifth) {
  PlacedPart part = partOf(GetParam().outline);
  const PlacedPart before = part;
  part.normaliseOrientation();
  if (!GetParam().turns) {
    expectSamePart(part, before);
    return;
  }
  const double step = 2 * kPi / 360;
  const double degrees = part.rotation / step;
  EXPECT_NEAR(degrees, std::round(degrees), 1e-9);  // a whole number of degrees
  EXPECT_GT(degrees, 0);
  EXPECT_LT(part.box().area(), 0.8 * before.box().area());
  EXPECT_NEAR(part.area(), before.area(), 1e-9);
  // No other whole-degree turn of the part as loaded gives a smaller box.
  for (int i = 1; i < 360; ++i) {
    Polygon turned = before.outer;
    turned.rotateAbout(before.refPoint, i * step);
    EXPECT_GE(turned.box().area(), part.box().area() * (1 - 1e-12)) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NormaliseOrientationTest,
    ::testing::Values(OrientationCase{"AxisAlignedRectangle", rectangle(5, 5, 305, 45), false},
                      // Its box is 1.87 times its area; upright it is 1.
                      OrientationCase{"SquareAtThirtyDegrees", squareAt(30), true},
                      // Upright saves sin 20° / (1 + sin 20°) = 25.5 %.
                      OrientationCase{"SquareAtTenDegrees", squareAt(10), true},
                      // Upright would save only sin 10° / (1 + sin 10°) = 14.8 %.
                      OrientationCase{"SquareAtFiveDegrees", squareAt(5), false},
                      // A diamond: upright saves exactly a half.
                      OrientationCase{"Diamond", Polygon({{0, 0}, {10, 10}, {0, 20}, {-10, 10}}),
                                      true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlacedPartTest, GrowingByTheGapMovesOutlineOutAndHolesIn) {
  PlacedPart part = partOf(rectangle(0, 0, 100, 50), {rectangle(40, 15, 60, 35)});
  const double rectangularity = part.rectangularity();
  const double aspectRatio = part.aspectRatio();
  part.offset(5);
  EXPECT_EQ(part.box().minX, -5);
  EXPECT_EQ(part.box().maxX, 105);
  EXPECT_EQ(part.box().minY, -5);
  EXPECT_EQ(part.box().maxY, 55);
  ASSERT_EQ(part.holes.count(), 1);
  EXPECT_EQ(part.holes[0].area(), 100);
  EXPECT_EQ(part.area(), 110 * 60 - 100);
  EXPECT_DOUBLE_EQ(part.centroid().x, 50);
  EXPECT_DOUBLE_EQ(part.centroid().y, 25);
  EXPECT_EQ(part.rectangularity(), rectangularity);
  EXPECT_EQ(part.aspectRatio(), aspectRatio);

  PlacedPart untouched = partOf(rectangle(0, 0, 100, 50), {rectangle(40, 15, 60, 35)});
  const PlacedPart before = untouched;
  untouched.offset(0);
  expectSamePart(untouched, before);
}

TEST(PlacedPartTest, AHoleSmallerThanTheGapVanishesWithoutSpoilingTheCentroid) {
  // The 4 x 4 hole is gone after shrinking by 5 on each side; the 10 x 10 one collapses to a
  // point. The large hole stays, in its place in the list.
  PlacedPart part =
      partOf(rectangle(0, 0, 200, 100),
             {rectangle(10, 10, 14, 14), rectangle(100, 20, 160, 80), rectangle(30, 50, 40, 60)});
  part.offset(5);
  ASSERT_EQ(part.holes.count(), 1);
  EXPECT_EQ(part.holes[0].area(), 50 * 50);
  EXPECT_TRUE(std::isfinite(part.centroid().x));
  EXPECT_TRUE(std::isfinite(part.centroid().y));
  EXPECT_EQ(part.area(), 210 * 110 - 2500);
  EXPECT_DOUBLE_EQ(part.centroid().y, 50);
}

TEST(PlacedPartTest, ReplayingAPoseShowsTheTwinWhereThePartIs) {
  for (const PlacedPart& original : sampleParts()) {
    PlacedPart twin = original;
    twin.rotation = 0;  // twins are untouched parts as loaded
    twin.refPoint = twin.outer.vertex(0);
    twin.mirrored = false;
    PlacedPart part = twin;

    // A history of moves as layout and editing make them.
    part.rotateAbout(part.rotationCentre(), kPi / 2);
    part.translate(1500, 220);
    part.mirrorAt(part.rotationCentre());
    part.rotateAbout(Point(3, 4), 0.3);
    part.translate(-20, 7);

    PlacedPart replayed = twin;
    replayed.replayPoseOf(part);
    EXPECT_EQ(replayed.mirrored, part.mirrored);
    EXPECT_NEAR(replayed.rotation, part.rotation, 1e-12);
    expectNearPolygon(replayed.outer, part.outer, 1e-9);
    EXPECT_NEAR(replayed.centroid().x, part.centroid().x, 1e-9);
    EXPECT_NEAR(replayed.box().minX, part.box().minX, 1e-9);
  }
}

TEST(PlacedPartTest, AScratchCopyMovedIsBitForBitACopyTranslated) {
  const std::vector<PlacedPart> parts = sampleParts();
  PlacedPart scratch;
  // Reused across parts of different shapes and hole counts.
  for (int round = 0; round < 2; ++round) {
    for (const PlacedPart& source : parts) {
      const double dx = 17.3 * (round + 1);
      const double dy = -0.1;
      scratch.assignTranslated(source, dx, dy);

      PlacedPart expected = source;  // a copy, holes reversed
      PolygonList holes;             // the source's hole order
      for (int i = source.holes.count() - 1; i >= 0; --i) {
        holes.insertFront(source.holes[static_cast<std::size_t>(i)]);
      }
      expected.holes = std::move(holes);
      expected.translate(dx, dy);
      expectSamePart(scratch, expected);
    }
  }
}

TEST(PlacedPartTest, FromARegionTheOutlinesAreCutAndThePoseCopied) {
  Region region;
  ContourList holes;
  holes.push_front(Contour({{20, 20}, {30, 20}, {30, 30}, {20, 30}}, {0, 0, 0, 0}));
  holes.push_front(Contour({{60, 20}, {70, 20}, {70, 30}, {60, 30}}, {0, 0, 0, 0}));
  // A 100 x 50 plate whose right end is a half circle of radius 25.
  region.setGeometry(Contour({{0, 0}, {100, 0}, {100, 50}, {0, 50}}, {0, 25, 0, 0}), holes);
  region.label.text = "plate-7";
  region.id = 7;
  region.mirrored = true;
  region.rotation = 0.5;
  region.refPoint = Point(3, 4);

  const PlacedPart part = toPlacedPart(region);
  EXPECT_EQ(part.id, 7);
  EXPECT_EQ(part.label.text, "plate-7");
  EXPECT_EQ(part.label.height, region.label.height);
  EXPECT_TRUE(part.mirrored);
  EXPECT_EQ(part.rotation, 0.5);
  EXPECT_EQ(part.refPoint.x, 3);
  EXPECT_EQ(part.refPoint.y, 4);
  EXPECT_EQ(part.chordTolerance, 1.0);
  // The arc is cut into chords whose points lie on it: more than four vertices, a box short of
  // the arc's reach, an area a little under the true 5000 + pi * 25^2 / 2 less the holes.
  EXPECT_GT(part.outer.vertexCount(), 4);
  EXPECT_GT(part.box().maxX, 120);
  EXPECT_LE(part.box().maxX, 125);
  ASSERT_EQ(part.holes.count(), 2);
  const double trueArea = 5000 + kPi * 25 * 25 / 2 - 200;
  EXPECT_LT(part.area(), trueArea);
  EXPECT_GT(part.area(), trueArea - 100);
  EXPECT_DOUBLE_EQ(part.area(), region.area);
  // The holes come in the region's order.
  EXPECT_EQ(part.holes[0].box().minX, region.holes.front().vertices[0].x);
}

}  // namespace
}  // namespace platenest
