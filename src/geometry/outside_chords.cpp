// Polylines along arcs that keep the material of a part whole (see outside_chords.h).
#include "geometry/outside_chords.h"

#include <algorithm>
#include <cmath>

#include "geometry/discretise.h"

namespace platenest {
namespace {

// The widest piece taken: beyond a quarter turn the tangent corners stand far off the arc.
constexpr double kWidestPiece = 90.0;  // degrees

double toRadians(double degrees) { return degrees / 180 * kPi; }

Point onCircle(const Point& centre, double radius, double degrees) {
  const double angle = toRadians(degrees);
  return Point(centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle));
}

// The number of equal pieces of a sweep (degrees) whose chords or tangents stray at most
// `chordError` from a circle of this radius; rounded up, so no piece is wider than allowed.
int pieceCount(double sweep, double radius, double chordError) {
  double widest = kWidestPiece;
  if (chordError < radius) {
    widest = std::min(widest, chordAngleDegrees(radius, chordError));
  }
  const double count = std::ceil(sweep / widest);
  return std::max(1, static_cast<int>(std::min(count, 1e6)));
}

// A tangent corner of a quarter arc lands on the corner of its straight neighbours, give or
// take a rounding error: the outline then has vertices a hair off a straight line, and the
// growth by the gap meets nearly parallel edges far away and drops them all. Such vertices
// are taken out (a straight line moves by less than a micrometre).
void dropStraightCorners(std::vector<Point>& vertices) {
  constexpr double kStraight = 1e-9;  // mm off the line through the neighbours
  bool dropped = true;
  while (dropped && vertices.size() > 3) {
    dropped = false;
    for (std::size_t i = 0; i < vertices.size() && vertices.size() > 3; ++i) {
      const Point& a = vertices[(i + vertices.size() - 1) % vertices.size()];
      const Point& v = vertices[i];
      const Point& b = vertices[(i + 1) % vertices.size()];
      const double length = a.distance(b);
      if (!(length > 0)) continue;
      const double offLine = std::fabs((b.x - a.x) * (v.y - a.y) - (b.y - a.y) * (v.x - a.x)) / length;
      const double along = (v.x - a.x) * (b.x - a.x) + (v.y - a.y) * (b.y - a.y);
      if (offLine < kStraight && along > 0 && along < length * length) {
        vertices.erase(vertices.begin() + static_cast<std::ptrdiff_t>(i));
        dropped = true;
      }
    }
  }
}

}  // namespace

std::vector<Point> arcPolyline(const Arc& arc, double chordError, bool outside) {
  const double sweep = arc.sweep();
  const Point start = onCircle(arc.centre, arc.radius, arc.startAngle);
  const Point end = onCircle(arc.centre, arc.radius, arc.endAngle);
  if (!(sweep > 0) || !(arc.radius > 0)) return {start, end};
  const int m = pieceCount(sweep, arc.radius, chordError);
  const double step = sweep / m;
  std::vector<Point> points;
  points.reserve(static_cast<std::size_t>(m) + 2);
  points.push_back(start);
  if (outside) {
    // Tangents at the m + 1 equally spaced angles from start to end meet halfway between
    // them, at this radius; the first and last pieces run along the end tangents.
    const double corner = arc.radius / std::cos(toRadians(step / 2));
    for (int k = 0; k < m; ++k) {
      points.push_back(onCircle(arc.centre, corner, arc.startAngle + (k + 0.5) * step));
    }
  } else {
    for (int k = 1; k < m; ++k) points.push_back(onCircle(arc.centre, arc.radius, arc.startAngle + k * step));
  }
  points.push_back(end);
  return points;
}

std::vector<Point> circlePolygon(const Circle& circle, double chordError, bool outside) {
  const int m = std::max(3, pieceCount(360.0, circle.radius, chordError));
  const double step = 360.0 / m;
  const double radius = outside ? circle.radius / std::cos(toRadians(step / 2)) : circle.radius;
  const double first = outside ? step / 2 : 0.0;
  std::vector<Point> points;
  points.reserve(static_cast<std::size_t>(m));
  for (int k = 0; k < m; ++k) points.push_back(onCircle(circle.centre, radius, first + k * step));
  return points;
}

double signedContourArea(const Contour& contour) {
  const std::size_t n = contour.vertices.size();
  double area = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const Point& p = contour.vertices[i];
    const Point& q = contour.vertices[(i + 1) % n];
    area += (p.x * q.y - q.x * p.y) / 2;
    const double radius = i < contour.radii.size() ? contour.radii[i] : 0.0;
    if (radius == 0.0 || p.distance(q) == 0.0 || !arcPossible(p, q, radius)) continue;
    // The circular segment between chord and arc: right of the chord for a counterclockwise
    // arc (adds to a counterclockwise outline), left of it for a clockwise one.
    const double r = std::fabs(radius);
    const double half = std::min(1.0, p.distance(q) / (2 * r));
    const double theta = 2 * std::asin(half);
    const double segment = r * r / 2 * (theta - std::sin(theta));
    area += radius > 0 ? segment : -segment;
  }
  return area;
}

Polygon outsidePolygon(const Contour& contour, double chordError, bool isHole) {
  const std::size_t n = contour.vertices.size();
  const bool counterClockwise = signedContourArea(contour) > 0;
  std::vector<Point> vertices;
  vertices.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    const Point& p = contour.vertices[i];
    const Point& q = contour.vertices[(i + 1) % n];
    vertices.push_back(p);
    const double radius = i < contour.radii.size() ? contour.radii[i] : 0.0;
    Arc arc;
    if (radius == 0.0 || p.distance(q) == 0.0 || !arcPossible(p, q, radius) ||
        !arcFromRadius(p, q, radius, arc)) {
      continue;
    }
    // A counterclockwise arc has its centre left of the edge; the material lies left of a
    // counterclockwise outline and right of a counterclockwise hole.
    const bool centreLeft = radius > 0;
    const bool materialLeft = counterClockwise != isHole;
    std::vector<Point> points = arcPolyline(arc, chordError, centreLeft == materialLeft);
    // The arc is stored counterclockwise: a clockwise edge runs it from end to start.
    if (radius < 0) std::reverse(points.begin(), points.end());
    vertices.insert(vertices.end(), points.begin() + 1, points.end() - 1);
  }
  dropStraightCorners(vertices);
  Polygon polygon;
  if (!vertices.empty()) polygon.setVertices(std::move(vertices));
  return polygon;
}

}  // namespace platenest
