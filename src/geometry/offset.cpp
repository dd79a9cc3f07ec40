// Growing an outline by half the part gap.
//
// Each edge is moved outward along its normal by d; neighbouring moved edges are
// re-intersected, giving sharp mitred corners. When d is negative enough, a short edge's
// moved copy runs backwards between its new corners: such edges are dropped, once, and the
// corners of the remaining edges recomputed.
#include "geometry/offset.h"

#include <cmath>
#include <cstddef>
#include <optional>
#include <vector>

#include "geometry/segment.h"

namespace platenest {

bool isCounterClockwise(const Polygon& polygon) {
  const std::vector<Point>& v = polygon.vertices();
  const std::size_t n = v.size();
  double sum = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const Point& p = v[i];
    const Point& q = v[i + 1 == n ? 0 : i + 1];
    sum += (p.x - q.x) * 0.5 * (p.y + q.y);
  }
  return sum > 0;
}

namespace {

// Vertices repeated back to back give edges without a direction to move along; the outline
// is the same without the repeats.
std::vector<Point> withoutRepeatedVertices(const std::vector<Point>& vertices) {
  std::vector<Point> kept;
  kept.reserve(vertices.size());
  for (const Point& p : vertices) {
    if (kept.empty() || p.x != kept.back().x || p.y != kept.back().y) kept.push_back(p);
  }
  while (kept.size() > 1 && kept.back().x == kept.front().x && kept.back().y == kept.front().y) {
    kept.pop_back();
  }
  return kept;
}

}  // namespace

void offsetPolygon(Polygon& polygon, double d) {
  if (polygon.vertexCount() < 3) return;
  const double f = isCounterClockwise(polygon) ? -1.0 : 1.0;
  const std::vector<Point> p = withoutRepeatedVertices(polygon.vertices());
  const std::size_t n = p.size();
  if (n < 3) {
    polygon.clear();
    return;
  }

  std::vector<Segment> moved(n);
  for (std::size_t i = 0; i < n; ++i) {
    const Point& from = p[i];
    const Point& to = p[i + 1 == n ? 0 : i + 1];
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    const double u = f * (-dy);
    const double v = f * dx;
    const double length = std::sqrt(u * u + v * v);
    const double shiftX = u / length * d;
    const double shiftY = v / length * d;
    moved[i].set(Point(from.x + shiftX, from.y + shiftY), Point(to.x + shiftX, to.y + shiftY));
  }

  // Trial corners, then the reversal test: an edge whose moved copy points against the run
  // from its trial start corner to its trial end corner has been overtaken by its neighbours.
  std::vector<std::optional<Point>> trial(n);
  for (std::size_t i = 0; i < n; ++i) {
    trial[i] = moved[i].intersectLines(moved[i == 0 ? n - 1 : i - 1]);
  }
  std::vector<Segment> kept;
  kept.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    const std::optional<Point>& q0 = trial[i];
    const std::optional<Point>& q1 = trial[i + 1 == n ? 0 : i + 1];
    bool reversed = false;
    // Without both trial corners the edge has no run to compare with and stays.
    if (q0 && q1) {
      const double dot = (moved[i].end.x - moved[i].start.x) * (q1->x - q0->x) +
                         (moved[i].end.y - moved[i].start.y) * (q1->y - q0->y);
      reversed = dot < 0;
    }
    if (!reversed) kept.push_back(moved[i]);
  }

  const std::size_t m = kept.size();
  if (m < 3) {
    polygon.clear();
    return;
  }
  std::vector<Point> corners;
  corners.reserve(m);
  for (std::size_t j = 0; j < m; ++j) {
    const std::optional<Point> corner = kept[j].intersectLines(kept[j == 0 ? m - 1 : j - 1]);
    if (!corner) {
      // Parallel neighbours that do not meet: no outline is left to draw.
      polygon.clear();
      return;
    }
    corners.push_back(*corner);
  }
  std::vector<Point>& vertices = polygon.mutableVertices();
  vertices = std::move(corners);
  polygon.computeArea();
  polygon.computeBox();
}

}  // namespace platenest
