// A closed straight-edged outline (last vertex joined to the first, not repeated) with
// its unsigned area and bounding box cached. The nesting engine works on these only.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/point.h"
#include "geometry/segment.h"

namespace platenest {

class Polygon {
 public:
  Polygon() = default;
  explicit Polygon(std::vector<Point> vertices) { setVertices(std::move(vertices)); }
  Polygon(const Polygon&) = default;
  Polygon& operator=(const Polygon&) = default;
  // The polygon moved from is left empty, under a revision of its own.
  Polygon(Polygon&& other) noexcept;
  Polygon& operator=(Polygon&& other) noexcept;

  int vertexCount() const { return static_cast<int>(vertices_.size()); }
  bool empty() const { return vertices_.empty(); }
  const std::vector<Point>& vertices() const { return vertices_; }
  const Point& vertex(int i) const { return vertices_[static_cast<std::size_t>(i)]; }

  // Replaces the vertices, then recomputes the box and then the area.
  void setVertices(std::vector<Point> vertices);
  // No vertices, area 0, a zero box.
  void clear();

  double area() const { return area_; }            // cached by computeArea
  const BoundingBox& box() const { return box_; }  // cached by computeBox

  // Shoelace sum; stores |S| and returns it (0 without vertices).
  double computeArea();
  // From the first vertex, widened over the others; stored and returned.
  BoundingBox computeBox();
  // Centroid of the enclosed area, independent of the vertex orientation.
  Point centroid() const;

  // Moves every vertex and the cached box; the area is unchanged.
  void translate(double dx, double dy);
  // Turns every vertex about c by theta radians, then recomputes the box.
  void rotateAbout(const Point& c, double theta);
  // The same turn given cos(theta) and sin(theta).
  void rotateAbout(const Point& c, double cosTheta, double sinTheta);
  // The box rotateAbout(c, theta) would leave, bit for bit, without turning anything; given
  // cos(theta) and sin(theta).
  BoundingBox turnedBox(const Point& c, double cosTheta, double sinTheta) const;
  // Reflects every vertex across the carrying line of `line`, then recomputes the box.
  void mirror(const Segment& line);
  // The vertex nearest to p; a later vertex wins only when strictly nearer.
  Point nearestVertex(const Point& p) const;

  // Makes this polygon `source` moved by (dx, dy), reusing this polygon's storage:
  // bit for bit what copying and then translating gives.
  void assignTranslated(const Polygon& source, double dx, double dy);

  // Overlap tests (exact, no tolerance).
  bool containsPoint(double px, double py) const;
  bool containsPoint(const Point& p) const { return containsPoint(p.x, p.y); }
  // containsPoint for many points of one height: appends to `thresholds` one abscissa per
  // edge that the ray from a point at height py can cross, so that containsPoint(px, py) holds
  // exactly when px lies within the box and an odd number of the appended values are >= px.
  void rayThresholds(double py, std::vector<double>& thresholds) const;
  // Any edge of this polygon meets any edge of `other` (touching counts).
  bool edgesCross(const Polygon& other) const;
  // Every vertex of `other` is inside this polygon (true when `other` has none).
  bool containsAll(const Polygon& other) const;

  // Direct vertex access for the builders and the offset; callers refresh the caches. Counts
  // as a change of the vertices.
  std::vector<Point>& mutableVertices() {
    touch();
    return vertices_;
  }

  // Names the polygon's vertices and box: every change gives a value never used before, and a
  // copy keeps its original's, so polygons of one revision are equal bit for bit. What is
  // derived from a polygon can tell with one comparison whether it still matches.
  std::uint64_t revision() const { return revision_; }

 private:
  void touch();

  std::vector<Point> vertices_;
  double area_ = 0.0;
  BoundingBox box_;
  std::uint64_t revision_ = 0;  // 0: empty as constructed
};

}  // namespace platenest
