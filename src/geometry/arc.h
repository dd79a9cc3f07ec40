// Circular arcs (always counterclockwise from start to end angle, in degrees) and circles.
#pragma once

#include "geometry/point.h"

namespace platenest {

struct Arc {
  Point centre;
  double radius = 0.0;
  double startAngle = 0.0;  // degrees
  double endAngle = 0.0;    // degrees, >= startAngle after set()

  // Stores the values; while startAngle > endAngle, 360 is added to endAngle.
  void set(const Point& c, double r, double start, double end);
  double sweep() const { return endAngle - startAngle; }
};

struct Circle {
  Point centre;
  double radius = 0.0;

  void set(const Point& c, double r) {
    centre = c;
    radius = r;
  }
};

}  // namespace platenest
