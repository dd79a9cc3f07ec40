// Polylines along arcs that keep the material whole: tangent pieces outside arcs whose centre
// lies on the material side, chords inside the others.
#include "geometry/outside_chords.h"
#include "geometry/offset.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace platenest {
namespace {

double distanceToCentre(const Point& p, const Point& centre) { return p.distance(centre); }

// The least distance from the centre to any piece of the polyline.
double closestPieceToCentre(const std::vector<Point>& points, const Point& c) {
  double least = 1e300;
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    const Point& a = points[i];
    const Point& b = points[i + 1];
    const double dx = b.x - a.x, dy = b.y - a.y;
    double t = ((c.x - a.x) * dx + (c.y - a.y) * dy) / (dx * dx + dy * dy);
    t = std::fmax(0.0, std::fmin(1.0, t));
    least = std::fmin(least, std::hypot(a.x + t * dx - c.x, a.y + t * dy - c.y));
  }
  return least;
}

TEST(ArcPolylineTest, TangentPiecesStayOutsideTheArcWithinTheChordError) {
  for (double radius : {0.5, 10.0, 100.0, 2500.0}) {
    for (double sweep : {5.0, 90.0, 179.0}) {
      Arc arc;
      arc.set(Point(3, -4), radius, 20, 20 + sweep);
      const std::vector<Point> outside = arcPolyline(arc, 1.0, true);
      // The ends stay on the arc, so neighbouring edges still meet them.
      EXPECT_NEAR(distanceToCentre(outside.front(), arc.centre), radius, 1e-9 * radius);
      EXPECT_NEAR(distanceToCentre(outside.back(), arc.centre), radius, 1e-9 * radius);
      // No piece cuts into the circle; no corner stands further off than the chord error.
      EXPECT_GE(closestPieceToCentre(outside, arc.centre), radius * (1 - 1e-12));
      for (const Point& p : outside) EXPECT_LE(distanceToCentre(p, arc.centre), radius + 1.0 + 1e-9);
    }
  }
}

TEST(ArcPolylineTest, ChordsStayInsideTheArcAndNoneIsWiderThanAllowed) {
  Arc arc;
  arc.set(Point(0, 0), 10, 0, 90);
  // An R10 quarter with a chord error of 1 takes two chords (each of 45 degrees), not one
  // chord 2.9 mm inside the corner.
  const std::vector<Point> inside = arcPolyline(arc, 1.0, false);
  ASSERT_EQ(inside.size(), 3u);
  for (const Point& p : inside) EXPECT_NEAR(distanceToCentre(p, arc.centre), 10, 1e-9);
  EXPECT_GE(closestPieceToCentre(inside, arc.centre), 9.0);
}

TEST(CirclePolygonTest, OutsideHoldsTheCircleAndInsideStaysInIt) {
  const Circle circle{Point(5, 5), 40};
  const std::vector<Point> outside = circlePolygon(circle, 1.0, true);
  std::vector<Point> closed = outside;
  closed.push_back(outside.front());
  EXPECT_NEAR(closestPieceToCentre(closed, circle.centre), 40, 1e-9);
  for (const Point& p : circlePolygon(circle, 1.0, false)) {
    EXPECT_NEAR(distanceToCentre(p, circle.centre), 40, 1e-9);
  }
}

TEST(SignedContourAreaTest, ArcsAddTheirSegmentsWithTheSideTheyBulgeTo) {
  // (0,0) -> (10,0) clockwise R5 is the half disc above the axis, run clockwise.
  EXPECT_NEAR(signedContourArea(Contour({Point(0, 0), Point(10, 0)}, {-5, 0})), -kPi * 25 / 2, 1e-9);
  // A full circle of two counterclockwise halves.
  EXPECT_NEAR(signedContourArea(Contour({Point(10, 0), Point(-10, 0)}, {10, 10})), kPi * 100, 1e-9);
}

// A 40 x 20 plate with R5 corners, counterclockwise, and the same shape as a hole.
Contour roundedPlate(bool clockwise) {
  Contour c({Point(5, 0), Point(35, 0), Point(40, 5), Point(40, 15), Point(35, 20), Point(5, 20),
             Point(0, 15), Point(0, 5)},
            {0, 5, 0, 5, 0, 5, 0, 5});
  if (clockwise) {
    std::reverse(c.vertices.begin(), c.vertices.end());
    std::rotate(c.vertices.begin(), c.vertices.end() - 1, c.vertices.end());
    c.radii = {-5, 0, -5, 0, -5, 0, -5, 0};
  }
  return c;
}

TEST(OutsidePolygonTest, RoundedCornersOfAnOutlineRunOutsideAndThoseOfAHoleInside) {
  for (bool clockwise : {false, true}) {
    const Polygon outline = outsidePolygon(roundedPlate(clockwise), 1.0, false);
    const Polygon hole = outsidePolygon(roundedPlate(clockwise), 1.0, true);
    // The true plate has area 800 - (4 - pi) * 25.
    const double trueArea = 800 - (4 - kPi) * 25;
    EXPECT_GT(outline.area(), trueArea);
    EXPECT_LT(outline.area(), 800);
    EXPECT_LT(hole.area(), trueArea);
    // Each corner's tangent corner stands between the arc and the sharp corner.
    const Point centre(35, 15);
    double furthest = 0;
    for (const Point& p : outline.vertices()) {
      if (p.x > 35 && p.y > 15) furthest = std::fmax(furthest, distanceToCentre(p, centre));
    }
    EXPECT_GT(furthest, 5.0);
    EXPECT_LT(furthest, 6.0);
  }
}

TEST(OutsidePolygonTest, AConcaveFilletKeepsItsChords) {
  // An L with a clockwise R15 fillet in its inner corner: the material lies away from the
  // fillet's centre, so its chords (inside the arc, in the air) already hold the material.
  const Contour l({Point(0, 0), Point(150, 0), Point(150, 40), Point(55, 40), Point(40, 55),
                   Point(40, 150), Point(0, 150)},
                  {0, 0, 0, -15, 0, 0, 0});
  const Polygon outline = outsidePolygon(l, 1.0, false);
  const Point centre(55, 55);
  for (const Point& p : outline.vertices()) {
    if (p.x > 39 && p.x < 56 && p.y > 39 && p.y < 56) {
      EXPECT_NEAR(distanceToCentre(p, centre), 15, 1e-9);
    }
  }
}

// A plate with small rounded corners: each corner's tangent point lands on the corner of its
// straight neighbours, a rounding error off their line. Grown by the gap, the outline must
// stay a plate (it once lost every edge and the part sat on the plate with no outline).
TEST(OutsidePolygonTest, SmallRoundedCornersSurviveTheGrowthByTheGap) {
  const double r = 2.1167765688901521;
  const double w = 260.10598772671074, h = 60.087386041413993;
  const Contour plate({Point(r, 0), Point(w - r, 0), Point(w, r), Point(w, h - r), Point(w - r, h),
                       Point(r, h), Point(0, h - r), Point(0, r)},
                      {0, r, 0, r, 0, r, 0, r});
  Polygon outline = outsidePolygon(plate, 1.0, false);
  ASSERT_GE(outline.vertexCount(), 4);
  offsetPolygon(outline, 4.6577043179422475);
  ASSERT_GE(outline.vertexCount(), 4);
  EXPECT_GT(outline.area(), (w + 9) * (h + 9));
  EXPECT_NEAR(outline.box().minX, -4.6577043179422475, 1e-6);
  EXPECT_NEAR(outline.box().maxX, w + 4.6577043179422475, 1e-6);
}

}  // namespace
}  // namespace platenest
