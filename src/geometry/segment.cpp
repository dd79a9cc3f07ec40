// Segments and the intersection of their carrying lines.
#include "geometry/segment.h"

#include <cmath>

namespace platenest {

void Segment::set(const Point& p, const Point& q) {
  start = p;
  end = q;
  a = end.y - start.y;
  b = start.x - end.x;
  c = -(start.x * a) - b * start.y;
}

std::optional<Point> Segment::intersectLines(const Segment& other) const {
  const double det = a * other.b - b * other.a;
  if (std::fabs(det) < 1e-15) {
    // Parallel lines meet only where the two segments share an end point, as consecutive
    // collinear edges of an outline do.
    if (end.coincides(other.start) || end.coincides(other.end)) return end;
    if (start.coincides(other.start) || start.coincides(other.end)) return start;
    return std::nullopt;
  }
  const double x = -(c * other.b - b * other.c) / det;
  const double y = -(a * other.c - c * other.a) / det;
  return Point(x, y);
}

}  // namespace platenest
