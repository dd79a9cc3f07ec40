// Checks and sound rebuilds of outlines (see outline_check.h).
#include "geometry/outline_check.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "geometry/offset.h"
#include "geometry/segment_crossing.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

struct Edge {
  Point a, b;
  std::uint32_t loop;
};

double cross(const Point& o, const Point& a, const Point& b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

double pointSegmentDistance(const Point& p, const Point& a, const Point& b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  const double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
  return std::sqrt(ex * ex + ey * ey);
}

double segmentDistance(const Edge& e, const Edge& f) {
  const double d1 = cross(e.a, e.b, f.a), d2 = cross(e.a, e.b, f.b);
  const double d3 = cross(f.a, f.b, e.a), d4 = cross(f.a, f.b, e.b);
  if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) {
    return 0.0;
  }
  return std::min({pointSegmentDistance(e.a, f.a, f.b), pointSegmentDistance(e.b, f.a, f.b),
                   pointSegmentDistance(f.a, e.a, e.b), pointSegmentDistance(f.b, e.a, e.b)});
}

// Calls visit(i, j) for pairs of edges that may lie within `reach` of each other (every such
// pair at least once) until it returns true. Each edge is cut into pieces no longer than a
// cell and filed under the cells its box, widened by half the reach, covers: two edges within
// the reach share the cell of the midpoint between their nearest points.
template <typename Visit>
bool anyNearPair(const std::vector<Edge>& edges, double reach, Visit visit) {
  if (edges.empty()) return false;
  double minX = edges[0].a.x, maxX = minX, minY = edges[0].a.y, maxY = minY, length = 0;
  for (const Edge& e : edges) {
    for (const Point& p : {e.a, e.b}) {
      minX = std::min(minX, p.x);
      maxX = std::max(maxX, p.x);
      minY = std::min(minY, p.y);
      maxY = std::max(maxY, p.y);
    }
    length += e.a.distance(e.b);
  }
  const double span = std::max(maxX - minX, maxY - minY);
  if (!std::isfinite(span) || !std::isfinite(length)) return true;
  const double size = std::max({reach, length / static_cast<double>(edges.size()), span / 4096,
                                1e-9});
  const double half = reach / 2;
  const auto cellOf = [&](double v, double low) {
    return static_cast<std::uint64_t>(std::max(0.0, std::floor((v - low + half) / size)));
  };
  std::vector<std::pair<std::uint64_t, std::uint32_t>> filed;
  filed.reserve(edges.size() * 4);
  for (std::uint32_t k = 0; k < edges.size(); ++k) {
    const Edge& e = edges[k];
    const double pieces = std::min(std::ceil(e.a.distance(e.b) / size), 1e6);
    const int count = std::max(1, static_cast<int>(pieces));
    for (int i = 0; i < count; ++i) {
      const double t0 = static_cast<double>(i) / count, t1 = static_cast<double>(i + 1) / count;
      const Point p(e.a.x + (e.b.x - e.a.x) * t0, e.a.y + (e.b.y - e.a.y) * t0);
      const Point q(e.a.x + (e.b.x - e.a.x) * t1, e.a.y + (e.b.y - e.a.y) * t1);
      const std::uint64_t x0 = cellOf(std::min(p.x, q.x) - half, minX);
      const std::uint64_t x1 = cellOf(std::max(p.x, q.x) + half, minX);
      const std::uint64_t y0 = cellOf(std::min(p.y, q.y) - half, minY);
      const std::uint64_t y1 = cellOf(std::max(p.y, q.y) + half, minY);
      for (std::uint64_t x = x0; x <= x1; ++x) {
        for (std::uint64_t y = y0; y <= y1; ++y) filed.emplace_back((x << 32) | y, k);
      }
    }
  }
  std::sort(filed.begin(), filed.end());
  filed.erase(std::unique(filed.begin(), filed.end()), filed.end());
  for (std::size_t start = 0; start < filed.size();) {
    std::size_t end = start;
    while (end < filed.size() && filed[end].first == filed[start].first) ++end;
    for (std::size_t i = start; i < end; ++i) {
      for (std::size_t j = i + 1; j < end; ++j) {
        if (visit(filed[i].second, filed[j].second)) return true;
      }
    }
    start = end;
  }
  return false;
}

void addEdges(const std::vector<Point>& loop, std::uint32_t index, std::vector<Edge>& edges) {
  for (std::size_t i = 0; i < loop.size(); ++i) {
    edges.push_back(Edge{loop[i], loop[i + 1 == loop.size() ? 0 : i + 1], index});
  }
}

bool finite(const Polygon& polygon) {
  return std::all_of(polygon.vertices().begin(), polygon.vertices().end(), [](const Point& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
  });
}

// Douglas-Peucker on the open chain from..to of `v` (indices modulo the size), keeping marks.
void simplifyChain(const std::vector<Point>& v, std::size_t from, std::size_t to, double tolerance,
                   std::vector<char>& keep) {
  const std::size_t n = v.size();
  std::vector<std::pair<std::size_t, std::size_t>> stack{{from, to}};
  while (!stack.empty()) {
    const auto [first, last] = stack.back();
    stack.pop_back();
    double worst = -1;
    std::size_t at = first;
    for (std::size_t i = first + 1; i < last; ++i) {
      const double d = pointSegmentDistance(v[i % n], v[first % n], v[last % n]);
      if (d > worst) {
        worst = d;
        at = i;
      }
    }
    if (worst > tolerance) {
      keep[at % n] = 1;
      stack.emplace_back(first, at);
      stack.emplace_back(at, last);
    }
  }
}

}  // namespace

bool boundariesCloserThan(const Polygon& a, const Polygon& b, double distance) {
  std::vector<Edge> edges;
  edges.reserve(a.vertices().size() + b.vertices().size());
  addEdges(a.vertices(), 0, edges);
  addEdges(b.vertices(), 1, edges);
  return anyNearPair(edges, distance, [&](std::uint32_t i, std::uint32_t j) {
    return edges[i].loop != edges[j].loop && segmentDistance(edges[i], edges[j]) < distance;
  });
}

bool soundlyGrown(const Polygon& inner, const Polygon& grown, double clearance, bool outward) {
  if (!outward && grown.empty()) return true;
  if (grown.vertexCount() < 3 || inner.vertexCount() < 3 || !finite(grown)) return false;
  if (outward ? !grown.containsPoint(inner.vertex(0)) : !inner.containsPoint(grown.vertex(0))) {
    return false;
  }
  // The mitred offset keeps the distance to within rounding.
  return !boundariesCloserThan(inner, grown, clearance * (1 - 1e-6));
}

Polygon simplifiedWithin(const Polygon& polygon, double tolerance) {
  const std::vector<Point>& v = polygon.vertices();
  const std::size_t n = v.size();
  if (n < 4) return polygon;
  std::size_t far = 0;
  double farthest = -1;
  for (std::size_t i = 1; i < n; ++i) {
    const double d = v[0].distance(v[i]);
    if (d > farthest) {
      farthest = d;
      far = i;
    }
  }
  std::vector<char> keep(n, 0);
  keep[0] = keep[far] = 1;
  simplifyChain(v, 0, far, tolerance, keep);
  simplifyChain(v, far, n, tolerance, keep);
  std::vector<Point> kept;
  for (std::size_t i = 0; i < n; ++i) {
    if (keep[i]) kept.push_back(v[i]);
  }
  if (kept.size() < 3) return polygon;
  return Polygon(std::move(kept));
}

Polygon convexHullOf(const Polygon& polygon) {
  std::vector<Point> p = polygon.vertices();
  std::sort(p.begin(), p.end(), [](const Point& a, const Point& b) {
    return a.x < b.x || (a.x == b.x && a.y < b.y);
  });
  p.erase(std::unique(p.begin(), p.end(), [](const Point& a, const Point& b) {
            return a.x == b.x && a.y == b.y;
          }), p.end());
  if (p.size() < 3) return Polygon(p);
  std::vector<Point> hull(2 * p.size());
  std::size_t k = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    while (k >= 2 && cross(hull[k - 2], hull[k - 1], p[i]) <= 0) --k;
    hull[k++] = p[i];
  }
  for (std::size_t i = p.size() - 1, t = k + 1; i-- > 0;) {
    while (k >= t && cross(hull[k - 2], hull[k - 1], p[i]) <= 0) --k;
    hull[k++] = p[i];
  }
  hull.resize(k - 1);
  return Polygon(std::move(hull));
}

Growth growSoundly(Polygon& polygon, double d) {
  if (d == 0.0 || polygon.vertexCount() < 3) {
    offsetPolygon(polygon, d);
    return Growth::kMitred;
  }
  const Polygon original = polygon;
  const bool outward = d > 0;
  const double clearance = std::fabs(d);
  offsetPolygon(polygon, d);
  if (soundlyGrown(original, polygon, clearance, outward)) return Growth::kMitred;
  // Runs of short edges whose directions are mostly rounding: a coarser outline within the
  // tolerance, grown that much further, holds the same material with the whole distance.
  const double tolerance = std::min(0.01, clearance / 4);
  const double further = outward ? tolerance : -tolerance;
  std::vector<Polygon> tries{simplifiedWithin(original, tolerance)};
  if (outward) tries.push_back(simplifiedWithin(convexHullOf(original), tolerance));
  for (Polygon& attempt : tries) {
    offsetPolygon(attempt, d + further);
    if (soundlyGrown(original, attempt, clearance, outward)) {
      polygon = std::move(attempt);
      return Growth::kRebuilt;
    }
  }
  polygon.clear();
  // A hole left out only keeps more material.
  return outward ? Growth::kFailed : Growth::kRebuilt;
}

bool loopContains(const std::vector<Point>& loop, const Point& p) {
  bool in = false;
  for (std::size_t i = 0, j = loop.size() - 1; i < loop.size(); j = i++) {
    const Point& a = loop[i];
    const Point& b = loop[j];
    if ((a.y > p.y) == (b.y > p.y)) continue;
    const double x = a.x + (p.y - a.y) / (b.y - a.y) * (b.x - a.x);
    if (x > p.x) in = !in;
  }
  return in;
}

std::optional<LoopCrossing> findLoopCrossing(const std::vector<std::vector<Point>>& loops) {
  std::vector<Edge> edges;
  for (std::size_t l = 0; l < loops.size(); ++l) addEdges(loops[l], static_cast<std::uint32_t>(l), edges);
  std::optional<LoopCrossing> found;
  anyNearPair(edges, 0.0, [&](std::uint32_t i, std::uint32_t j) {
    Point where;
    if (!segmentsCrossProperly(edges[i].a, edges[i].b, edges[j].a, edges[j].b, where)) {
      return false;
    }
    const auto [first, second] = std::minmax(edges[i].loop, edges[j].loop);
    found = LoopCrossing{first, second, where};
    return true;
  });
  return found;
}

std::string placeText(const Point& p) {
  std::string text(1, '(');
  text += formatG(p.x);
  text += ", ";
  text += formatG(p.y);
  text += ')';
  return text;
}

std::string outlineFault(const std::vector<std::vector<Point>>& outerThenHoles) {
  if (outerThenHoles.empty() || outerThenHoles[0].size() < 3) return {};
  if (const std::optional<LoopCrossing> crossing = findLoopCrossing(outerThenHoles)) {
    if (crossing->first == crossing->second) {
      return "an outline crosses itself near " + placeText(crossing->where);
    }
    return crossing->first == 0 ? "a hole crosses its outline near " + placeText(crossing->where)
                                : "two holes cross near " + placeText(crossing->where);
  }
  // Nothing crosses properly, so sampled vertices tell on which side a loop lies; a vertex on
  // the other loop (loops touching there) says nothing, and a loop with vertices on both sides
  // meets the other one at a vertex and passes through it.
  const auto side = [](const std::vector<Point>& outer, const std::vector<Point>& inner,
                       Point& outsidePoint) {
    bool in = false, out = false;
    const std::size_t step = std::max<std::size_t>(1, inner.size() / 32);
    for (std::size_t i = 0; i < inner.size(); i += step) {
      const Point& p = inner[i];
      bool onBoundary = false;
      for (std::size_t k = 0; k < outer.size() && !onBoundary; ++k) {
        onBoundary = pointSegmentDistance(p, outer[k], outer[k + 1 == outer.size() ? 0 : k + 1]) < 1e-9;
      }
      if (onBoundary) continue;
      if (loopContains(outer, p)) {
        in = true;
      } else if (!out) {
        out = true;
        outsidePoint = p;
      }
    }
    return in && out ? 0 : (out ? -1 : 1);
  };
  std::vector<BoundingBox> boxes;
  for (const std::vector<Point>& loop : outerThenHoles) boxes.push_back(Polygon(loop).box());
  const auto boxWithin = [&](std::size_t inner, std::size_t outer) {
    const BoundingBox &i = boxes[inner], &o = boxes[outer];
    return i.minX >= o.minX && i.maxX <= o.maxX && i.minY >= o.minY && i.maxY <= o.maxY;
  };
  const std::vector<Point>& outer = outerThenHoles[0];
  for (std::size_t h = 1; h < outerThenHoles.size(); ++h) {
    const std::vector<Point>& hole = outerThenHoles[h];
    if (hole.size() < 3) continue;
    Point where = hole[0];
    const int onSide = side(outer, hole, where);
    if (onSide == 0) return "a hole crosses its outline near " + placeText(where);
    if (onSide < 0) return "a hole lies outside its outline near " + placeText(where);
    for (std::size_t k = 1; k < outerThenHoles.size(); ++k) {
      if (k == h || outerThenHoles[k].size() < 3 || !boxWithin(h, k)) continue;
      Point inside = hole[0];
      const int inOther = side(outerThenHoles[k], hole, inside);
      if (inOther == 0) return "two holes cross near " + placeText(inside);
      if (inOther > 0) return "a hole lies inside another hole near " + placeText(hole[0]);
    }
  }
  return {};
}

}  // namespace platenest
