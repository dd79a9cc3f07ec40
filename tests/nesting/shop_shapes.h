// Shop shapes written as text-library contours (vertices with the signed radius of the edge
// leaving each), for the tests that generate jobs: circles, rounded plates, slots, filleted
// L brackets.
#pragma once

#include <cmath>
#include <ostream>
#include <vector>

#include "geometry/point.h"

namespace platenest::testing {

struct Outline {
  std::vector<Point> vertices;
  std::vector<double> radii;  // of the edge leaving each vertex
};

inline Outline circle(double cx, double cy, double r, bool clockwise = false) {
  const double R = clockwise ? -r : r;
  return {{Point(cx + r, cy), Point(cx - r, cy)}, {R, R}};
}

// A rectangle with corners rounded to r, counterclockwise.
inline Outline roundedRectangle(double x, double y, double w, double h, double r) {
  return {{Point(x + r, y), Point(x + w - r, y), Point(x + w, y + r), Point(x + w, y + h - r),
           Point(x + w - r, y + h), Point(x + r, y + h), Point(x, y + h - r), Point(x, y + r)},
          {0, r, 0, r, 0, r, 0, r}};
}

// An obround (slot) of length w and width h, counterclockwise.
inline Outline slot(double x, double y, double w, double h) {
  const double r = h / 2;
  return {{Point(x + r, y), Point(x + w - r, y), Point(x + w - r, y + h), Point(x + r, y + h)},
          {0, r, 0, r}};
}

// An L bracket whose inner corner is filleted with radius f (a concave arc).
inline Outline filletedL(double size, double leg, double f) {
  return {{Point(0, 0), Point(size, 0), Point(size, leg), Point(leg + f, leg), Point(leg, leg + f),
           Point(leg, size), Point(0, size)},
          {0, 0, 0, -f, 0, 0, 0}};
}

// A circle as CAM exports write one: n straight edges, coordinates rounded to `decimals`
// places (so that neighbouring edges turn by rounding as much as by the curve).
inline Outline polygonCircle(double cx, double cy, double r, int n, int decimals,
                             bool clockwise = false) {
  const double scale = std::pow(10.0, decimals);
  Outline o;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::acos(-1.0) * (clockwise ? -i : i) / n;
    o.vertices.emplace_back(std::round((cx + r * std::cos(a)) * scale) / scale,
                            std::round((cy + r * std::sin(a)) * scale) / scale);
    o.radii.push_back(0);
  }
  return o;
}

// Outlines no shop can cut: a five-pointed star drawn in one stroke (it crosses itself five
// times) and a plate whose outline loops back across itself.
inline Outline strokedStar(double cx, double cy, double r) {
  Outline o;
  for (int i = 0; i < 5; ++i) {
    const double a = 2 * std::acos(-1.0) * (2 * i) / 5;
    o.vertices.emplace_back(cx + r * std::cos(a), cy + r * std::sin(a));
    o.radii.push_back(0);
  }
  return o;
}
inline Outline loopedBack(double w, double h) {
  return {{Point(0, 0), Point(w, 0), Point(w, h), Point(w / 2, h), Point(w / 2, -h / 2),
           Point(w / 4, -h / 2), Point(w / 4, h), Point(0, h)},
          {0, 0, 0, 0, 0, 0, 0, 0}};
}

inline void writeContour(std::ostream& out, const Outline& o) {
  const std::size_t m = o.vertices.size();
  out << m + 1 << ' ' << o.vertices[0].x << ' ' << o.vertices[0].y << '\n';
  for (std::size_t k = 1; k < m; ++k) {
    out << o.radii[k - 1] << ' ' << o.vertices[k].x << ' ' << o.vertices[k].y << '\n';
  }
  out << o.radii[m - 1] << '\n';
}

}  // namespace platenest::testing
