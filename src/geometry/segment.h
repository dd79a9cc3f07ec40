// A straight segment and its carrying line a*x + b*y + c = 0.
#pragma once

#include <optional>

#include "geometry/point.h"

namespace platenest {

struct Segment {
  Point start;
  Point end;
  double a = 0.0;  // end.y - start.y
  double b = 0.0;  // start.x - end.x
  double c = 0.0;  // -(start.x * a) - b * start.y

  Segment() = default;
  Segment(const Point& p, const Point& q) { set(p, q); }

  // Copies the end points and computes the line coefficients.
  void set(const Point& p, const Point& q);

  // Intersection of the two carrying lines. Parallel lines (|det| < 1e-15) give this
  // segment's end or start when it coincides with an end of `other`, else nothing.
  std::optional<Point> intersectLines(const Segment& other) const;
};

}  // namespace platenest
