// A polygon's edges filed into horizontal bands of equal height, so that a point test visits
// only the edges at the point's height and an edge test only the edges at the other edge's
// heights. Every answer is exactly that of the Polygon test on the polygon moved by (dx, dy):
// vertices are moved with the same additions as Polygon::translate and every edge that is
// visited is judged with the same arithmetic; the bands only pass over edges the plain loops
// would skip anyway. The placement search keeps one per trial orientation and per placed part.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/point.h"
#include "geometry/polygon.h"

namespace platenest {

// PolygonBands::verticesWithin on a vertexSpan kept apart from its polygon.
inline bool spanWithin(const BoundingBox& span, double dx, double dy, const BoundingBox& box,
                       double bx, double by) {
  return !(span.minX + dx < box.minX + bx || span.maxX + dx > box.maxX + bx ||
           span.minY + dy < box.minY + by || span.maxY + dy > box.maxY + by);
}

class PolygonBands {
 public:
  struct Vertex {
    double x;
    double y;
  };

  void build(const Polygon& polygon);
  // True when `polygon` is, by its revision, the geometry this was built from.
  bool builtFrom(const Polygon& polygon) const { return polygon.revision() == revision_; }
  // True when `polygon` has bit for bit the vertices and box this was built from, compared
  // one by one (what builtFrom stands for).
  bool sameGeometry(const Polygon& polygon) const;

  std::size_t vertexCount() const { return count_; }
  // Every coordinate is a number of at most 1e7 in size (false for an empty polygon).
  bool moderate() const { return moderate_; }
  // Vertex i as built (not moved); vertex(vertexCount()) is vertex(0) again.
  const Vertex& vertex(std::size_t i) const { return vertices_[i]; }
  const BoundingBox& box() const { return box_; }  // the polygon's cached box, not moved

  // Polygon::containsPoint of the polygon moved by (dx, dy).
  bool containsPoint(double px, double py, double dx, double dy) const;
  // Polygon::edgesCross of this polygon moved by (dx, dy) and `other` moved by (odx, ody).
  bool edgesCross(double dx, double dy, const PolygonBands& other, double odx, double ody) const;
  // Polygon::containsAll: every vertex of `other` moved by (odx, ody) lies inside this
  // polygon moved by (dx, dy).
  bool containsAll(double dx, double dy, const PolygonBands& other, double odx, double ody) const;
  // False when some vertex of this polygon moved by (dx, dy) lies outside `box` moved by
  // (bx, by), so that no polygon with a box inside `box` contains all of them.
  // Moving keeps the order of coordinates, so the extreme vertices tell.
  bool verticesWithin(double dx, double dy, const BoundingBox& box, double bx, double by) const {
    return count_ == 0 ||
           spanWithin(BoundingBox{lowX_, highX_, lowY_, highY_}, dx, dy, box, bx, by);
  }
  // The extreme vertex coordinates as a box, so that callers can keep them side by side for
  // many polygons; spanWithin on it answers as verticesWithin (an empty polygon's span is
  // inside every box).
  BoundingBox vertexSpan() const;
  // Some vertex of `other` moved by (odx, ody) lies inside this polygon moved by (dx, dy).
  // The vertices are tried from `start` on, round the polygon; `start` receives the one found
  // inside, so that the next candidate nearby tries it first.
  bool containsAnyVertexOf(double dx, double dy, const PolygonBands& other, double odx, double ody,
                           std::size_t& start) const;

 private:
  // The polygon moved by (dx, dy): its box, and whether its bands can be used.
  struct Frame {
    double dx, dy;
    double minX, maxX, minY, maxY;
    bool banded;
  };
  Frame frame(double dx, double dy) const;
  bool inside(double px, double py, const Frame& f) const {
    if (px < f.minX || px > f.maxX || py < f.minY || py > f.maxY) return false;
    return rayCast(px, py, f);
  }
  void fileEdgesInBands(double low, double high);
  // The ray cast of Polygon::containsPoint over the edges at height py.
  bool rayCast(double px, double py, const Frame& f) const;
  std::size_t bandOf(double y) const;
  // The bands that hold every edge reaching the heights [low, high] of the polygon moved up
  // by dy; false when the numbers are too large for the band margin to cover rounding (then
  // every edge is visited).
  bool bandsFor(double low, double high, double dy, std::size_t& first, std::size_t& last) const;

  std::size_t count_ = 0;
  std::uint64_t revision_ = 0;
  bool moderate_ = false;
  // The extreme vertex coordinates, each the value of a vertex (NaN only when the first
  // vertex is NaN there): a whole polygon lies in a box only when these do.
  double lowX_ = 0.0, highX_ = 0.0, lowY_ = 0.0, highY_ = 0.0;
  std::vector<Vertex> vertices_;  // count_ + 1: the first repeated at the end
  BoundingBox box_;
  double y0_ = 0.0;
  double bandsPerUnit_ = 0.0;
  std::size_t bandCount_ = 0;             // 0: too large for bands, every edge is visited
  std::vector<std::uint32_t> bandStart_;  // bandCount_ + 1 offsets into bandEdges_
  std::vector<std::uint32_t> bandEdges_;
  std::vector<std::uint32_t> firstBand_;  // per edge, the lowest band it is filed in
};

}  // namespace platenest
