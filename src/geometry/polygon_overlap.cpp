// Exact overlap primitives on polygons: point in polygon, edge crossing, containment of
// every vertex. Every placement decision ends in these tests, so they work without any
// tolerance and stop at the first decisive result.
#include <algorithm>

#include "geometry/polygon.h"

namespace platenest {

// Ray cast towards +x. A ray through a vertex counts that vertex only for the edge whose
// lower end it is, so a ray grazing a peak or a valley is counted twice or not at all.
// Points on the right-hand and bottom boundaries come out inside, on the left-hand and top
// boundaries outside.
bool Polygon::containsPoint(double px, double py) const {
  if (px < box_.minX || px > box_.maxX || py < box_.minY || py > box_.maxY) return false;
  const std::size_t n = vertices_.size();
  bool inside = false;
  for (std::size_t i = 0; i < n; ++i) {
    const Point& a = vertices_[i];
    const Point& b = vertices_[i + 1 == n ? 0 : i + 1];
    const double x1 = a.x, y1 = a.y, x2 = b.x, y2 = b.y;
    if ((py < y1 && py < y2) || (py > y1 && py > y2)) continue;
    if (y1 == py && y2 == py) continue;
    if (y1 == py || y2 == py) {
      // The ray passes through one end only: count it at the lower end of the edge.
      const bool lowerIsFirst = y1 == py;
      const double endX = lowerIsFirst ? x1 : x2;
      const double otherY = lowerIsFirst ? y2 : y1;
      if (otherY > py && px <= endX) inside = !inside;
      continue;
    }
    const double xc = x1 == x2 ? x1 : x1 + (py - y1) * (x2 - x1) / (y2 - y1);
    if (px <= xc) inside = !inside;
  }
  return inside;
}

// The votes of containsPoint with everything that does not depend on px decided: an edge
// votes for px exactly when px <= its threshold. Written out apart from containsPoint, which
// stays the plain ray cast that the row-by-row marking is checked against.
void Polygon::rayThresholds(double py, std::vector<double>& thresholds) const {
  const std::size_t n = vertices_.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Point& a = vertices_[i];
    const Point& b = vertices_[i + 1 == n ? 0 : i + 1];
    const double x1 = a.x, y1 = a.y, x2 = b.x, y2 = b.y;
    if ((py < y1 && py < y2) || (py > y1 && py > y2)) continue;
    if (y1 == py && y2 == py) continue;
    if (y1 == py || y2 == py) {
      const bool lowerIsFirst = y1 == py;
      const double endX = lowerIsFirst ? x1 : x2;
      const double otherY = lowerIsFirst ? y2 : y1;
      if (otherY > py) thresholds.push_back(endX);
      continue;
    }
    thresholds.push_back(x1 == x2 ? x1 : x1 + (py - y1) * (x2 - x1) / (y2 - y1));
  }
}

namespace {

double cross(double ux, double uy, double vx, double vy) { return ux * vy - uy * vx; }

}  // namespace

// All edge pairs, touching and collinear overlap included. An edge of this polygon whose
// ranges miss the other polygon's box cannot meet any of its edges, so it is passed over
// before the inner loop.
bool Polygon::edgesCross(const Polygon& other) const {
  const std::size_t n = vertices_.size();
  const std::size_t m = other.vertices_.size();
  if (n == 0 || m == 0) return false;
  const BoundingBox& ob = other.box_;
  for (std::size_t i = 0; i < n; ++i) {
    const Point& p1 = vertices_[i];
    const Point& p2 = vertices_[i + 1 == n ? 0 : i + 1];
    const double pMinX = std::min(p1.x, p2.x), pMaxX = std::max(p1.x, p2.x);
    const double pMinY = std::min(p1.y, p2.y), pMaxY = std::max(p1.y, p2.y);
    if (ob.minX > pMaxX || ob.maxX < pMinX || ob.minY > pMaxY || ob.maxY < pMinY) continue;
    const double ux = p2.x - p1.x, uy = p2.y - p1.y;
    for (std::size_t j = 0; j < m; ++j) {
      const Point& q1 = other.vertices_[j];
      const Point& q2 = other.vertices_[j + 1 == m ? 0 : j + 1];
      if (std::min(q1.x, q2.x) > pMaxX || std::max(q1.x, q2.x) < pMinX ||
          std::min(q1.y, q2.y) > pMaxY || std::max(q1.y, q2.y) < pMinY) {
        continue;
      }
      const double sideQ =
          cross(ux, uy, q2.x - p1.x, q2.y - p1.y) * cross(ux, uy, q1.x - p1.x, q1.y - p1.y);
      if (!(sideQ <= 0)) continue;
      const double vx = q2.x - q1.x, vy = q2.y - q1.y;
      const double sideP =
          cross(vx, vy, p2.x - q1.x, p2.y - q1.y) * cross(vx, vy, p1.x - q1.x, p1.y - q1.y);
      if (sideP <= 0) return true;
    }
  }
  return false;
}

bool Polygon::containsAll(const Polygon& other) const {
  for (const Point& v : other.vertices_) {
    if (!containsPoint(v.x, v.y)) return false;
  }
  return true;
}

}  // namespace platenest
