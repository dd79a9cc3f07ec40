// The value types every part outline is built from: points and axis-aligned boxes.
// Coordinates are millimetres in a right-handed x-y plane; angles in radians turn
// counterclockwise.
#pragma once

#include <cmath>

namespace platenest {

// pi as the original computed it, so that every rotation gives the same bits.
inline const double kPi = std::acos(-1.0);

struct Point {
  double x = 0.0;
  double y = 0.0;
  // Radius within which another point counts as the same point.
  double tolerance = 1e-15;

  Point() = default;
  Point(double px, double py) : x(px), y(py) {}
  Point(double px, double py, double tol) : x(px), y(py), tolerance(tol) {}

  double distance(const Point& p) const;
  // Strict: r^2 > squared distance.
  bool coincidesWithin(const Point& p, double r) const;
  // Within this point's own tolerance.
  bool coincides(const Point& p) const { return coincidesWithin(p, tolerance); }
  // Turns about c by theta radians, counterclockwise.
  void rotateAbout(const Point& c, double theta);
  // The same turn given cos(theta) and sin(theta).
  void rotateAbout(const Point& c, double cosTheta, double sinTheta);
};

// Always the four doubles minX, maxX, minY, maxY, in this order.
struct BoundingBox {
  double minX = 0.0;
  double maxX = 0.0;
  double minY = 0.0;
  double maxY = 0.0;

  double width() const { return maxX - minX; }
  double height() const { return maxY - minY; }
  double area() const { return (maxX - minX) * (maxY - minY); }
};

}  // namespace platenest
