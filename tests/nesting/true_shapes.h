// The parts as they will be cut, built without the engine's discretisation, offsetting or fit
// tests: arcs are followed to within a few micrometres, the shapes are brought to the poses
// of the placed parts by the pose replay, and the closest approach of every two of them is
// measured. Only what the readers took from the files (contours with their radii, the lines,
// arcs and circles of a drawing, the reference point of a part as read) comes from the job.
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "nesting/nester.h"

namespace platenest::testing {

struct Xy {
  double x = 0.0;
  double y = 0.0;
};

struct Edge {
  Xy a;
  Xy b;
};

// The boundary of one cut part (outline and holes, as loose edges) at its pose.
struct CutShape {
  std::string name;
  std::vector<Edge> edges;
  double minX = 0.0, maxX = 0.0, minY = 0.0, maxY = 0.0;
};

inline constexpr double kFollowArcWithin = 0.002;  // mm between a sampled chord and its arc

inline std::vector<Xy> sampleArc(Xy centre, double r, double from, double sweep) {
  const double widest = std::min(0.1, 2 * std::acos(1 - std::min(1.0, kFollowArcWithin / r)));
  const int n = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / widest)));
  std::vector<Xy> points;
  for (int i = 0; i <= n; ++i) {
    const double t = from + sweep * i / n;
    points.push_back({centre.x + r * std::cos(t), centre.y + r * std::sin(t)});
  }
  return points;
}

// Edge p -> q of radius R: R > 0 the shorter arc counterclockwise, R < 0 clockwise.
inline void addContourEdge(Xy p, Xy q, double radius, std::vector<Edge>& out) {
  const double dx = q.x - p.x, dy = q.y - p.y;
  const double chord = std::hypot(dx, dy);
  if (radius == 0.0 || chord == 0.0) {
    out.push_back({p, q});
    return;
  }
  const double r = std::fabs(radius);
  const double rise = std::sqrt(std::max(0.0, r * r - chord * chord / 4));
  // The centre of a counterclockwise arc lies left of p -> q.
  const double side = radius > 0 ? 1.0 : -1.0;
  const Xy centre{(p.x + q.x) / 2 - side * rise * dy / chord, (p.y + q.y) / 2 + side * rise * dx / chord};
  const double a0 = std::atan2(p.y - centre.y, p.x - centre.x);
  const double a1 = std::atan2(q.y - centre.y, q.x - centre.x);
  const double turn = 2 * std::acos(-1.0);
  double sweep = a1 - a0;
  if (radius > 0) {
    while (sweep <= 0) sweep += turn;
  } else {
    while (sweep >= 0) sweep -= turn;
  }
  std::vector<Xy> points = sampleArc(centre, r, a0, sweep);
  points.front() = p;
  points.back() = q;
  for (std::size_t i = 0; i + 1 < points.size(); ++i) out.push_back({points[i], points[i + 1]});
}

inline void addContour(const Contour& contour, std::vector<Edge>& out) {
  const std::size_t n = contour.vertices.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Point& p = contour.vertices[i];
    const Point& q = contour.vertices[(i + 1) % n];
    addContourEdge({p.x, p.y}, {q.x, q.y}, i < contour.radii.size() ? contour.radii[i] : 0.0, out);
  }
}

inline void addDrawing(const PartDrawing& drawing, std::vector<Edge>& out) {
  for (const Segment& s : drawing.lines) out.push_back({{s.start.x, s.start.y}, {s.end.x, s.end.y}});
  const double degree = std::acos(-1.0) / 180;
  auto addSamples = [&out](const std::vector<Xy>& points) {
    for (std::size_t i = 0; i + 1 < points.size(); ++i) out.push_back({points[i], points[i + 1]});
  };
  for (const Arc& arc : drawing.arcs) {
    addSamples(sampleArc({arc.centre.x, arc.centre.y}, arc.radius, arc.startAngle * degree,
                         (arc.endAngle - arc.startAngle) * degree));
  }
  for (const Circle& circle : drawing.circles) {
    addSamples(sampleArc({circle.centre.x, circle.centre.y}, circle.radius, 0, 360 * degree));
  }
}

// Pose replay: turned over across the horizontal line through the reference point as read,
// moved to the placed reference point, turned about it.
inline void replay(std::vector<Edge>& edges, Xy readRef, const PlacedPart& placed) {
  const double c = std::cos(placed.rotation), s = std::sin(placed.rotation);
  auto move = [&](Xy p) {
    if (placed.mirrored) p.y = 2 * readRef.y - p.y;
    const double dx = p.x - readRef.x, dy = p.y - readRef.y;
    return Xy{placed.refPoint.x + c * dx - s * dy, placed.refPoint.y + s * dx + c * dy};
  };
  for (Edge& e : edges) {
    e.a = move(e.a);
    e.b = move(e.b);
  }
}

inline void computeBox(CutShape& shape) {
  shape.minX = shape.minY = std::numeric_limits<double>::max();
  shape.maxX = shape.maxY = std::numeric_limits<double>::lowest();
  for (const Edge& e : shape.edges) {
    for (const Xy& p : {e.a, e.b}) {
      shape.minX = std::min(shape.minX, p.x);
      shape.maxX = std::max(shape.maxX, p.x);
      shape.minY = std::min(shape.minY, p.y);
      shape.maxY = std::max(shape.maxY, p.y);
    }
  }
}

// The cut shape of a placed part; false when the job keeps nothing as read for it.
inline bool cutShapeOf(const Nester& nester, const PlacedPart& placed, CutShape& shape) {
  shape.name = placed.label.text;
  shape.edges.clear();
  Xy readRef;
  if (const Region* region = nester.regions.findById(placed.id)) {
    addContour(region->outer, shape.edges);
    for (const Contour& hole : region->holes) addContour(hole, shape.edges);
    readRef = {region->refPoint.x, region->refPoint.y};
  } else if (const PartDrawing* drawing = findDrawing(nester.drawings, placed.id)) {
    const PlacedPart* twin = nester.loadedParts.findById(placed.id);
    if (twin == nullptr) return false;
    addDrawing(*drawing, shape.edges);
    readRef = {twin->refPoint.x, twin->refPoint.y};
  } else {
    return false;
  }
  replay(shape.edges, readRef, placed);
  computeBox(shape);
  return true;
}

inline double pointEdgeDistance(Xy p, const Edge& e) {
  const double dx = e.b.x - e.a.x, dy = e.b.y - e.a.y;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((p.x - e.a.x) * dx + (p.y - e.a.y) * dy) / length2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (e.a.x + t * dx), p.y - (e.a.y + t * dy));
}

inline double cross(Xy o, Xy a, Xy b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); }

inline double edgeDistance(const Edge& e, const Edge& f) {
  const double d1 = cross(e.a, e.b, f.a), d2 = cross(e.a, e.b, f.b);
  const double d3 = cross(f.a, f.b, e.a), d4 = cross(f.a, f.b, e.b);
  if (((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0)) && d1 != 0 && d2 != 0 && d3 != 0 && d4 != 0) {
    return 0.0;
  }
  return std::min({pointEdgeDistance(e.a, f), pointEdgeDistance(e.b, f), pointEdgeDistance(f.a, e),
                   pointEdgeDistance(f.b, e)});
}

// Inside an odd number of the shape's closed boundaries: in its material.
inline bool inMaterial(const CutShape& shape, Xy p) {
  bool inside = false;
  for (const Edge& e : shape.edges) {
    if ((e.a.y > p.y) == (e.b.y > p.y)) continue;
    const double x = e.a.x + (p.y - e.a.y) / (e.b.y - e.a.y) * (e.b.x - e.a.x);
    if (x > p.x) inside = !inside;
  }
  return inside;
}

// The closest approach of two cut shapes, 0 when one lies in the material of the other;
// `limit` when they are surely at least that far apart.
inline double closestApproach(const CutShape& a, const CutShape& b, double limit) {
  if (a.minX - b.maxX >= limit || b.minX - a.maxX >= limit || a.minY - b.maxY >= limit ||
      b.minY - a.maxY >= limit) {
    return limit;
  }
  if (inMaterial(b, a.edges.front().a) || inMaterial(a, b.edges.front().a)) return 0.0;
  auto near = [limit](const Edge& e, const CutShape& other) {
    return std::max(e.a.x, e.b.x) > other.minX - limit && std::min(e.a.x, e.b.x) < other.maxX + limit &&
           std::max(e.a.y, e.b.y) > other.minY - limit && std::min(e.a.y, e.b.y) < other.maxY + limit;
  };
  std::vector<const Edge*> fromA, fromB;
  for (const Edge& e : a.edges) {
    if (near(e, b)) fromA.push_back(&e);
  }
  for (const Edge& e : b.edges) {
    if (near(e, a)) fromB.push_back(&e);
  }
  double best = limit;
  for (const Edge* e : fromA) {
    const double eMinX = std::min(e->a.x, e->b.x) - best, eMaxX = std::max(e->a.x, e->b.x) + best;
    const double eMinY = std::min(e->a.y, e->b.y) - best, eMaxY = std::max(e->a.y, e->b.y) + best;
    for (const Edge* f : fromB) {
      if (std::max(f->a.x, f->b.x) < eMinX || std::min(f->a.x, f->b.x) > eMaxX ||
          std::max(f->a.y, f->b.y) < eMinY || std::min(f->a.y, f->b.y) > eMaxY) {
        continue;
      }
      best = std::min(best, edgeDistance(*e, *f));
    }
  }
  return best;
}

struct GapFinding {
  double closest = std::numeric_limits<double>::max();  // mm between two cut parts
  std::string between;                                  // their names
  double worstPlateMargin = std::numeric_limits<double>::max();  // mm inside the plate
  int placed = 0;
};

// The cut shapes of every part on the plate, measured against each other and the plate.
inline GapFinding measureCutShapes(const Nester& nester, double limit) {
  std::vector<CutShape> shapes;
  for (const PlacedPart& part : nester.parts) {
    if (!part.isInside(nester.plateRect())) continue;
    CutShape shape;
    if (cutShapeOf(nester, part, shape)) shapes.push_back(std::move(shape));
  }
  GapFinding finding;
  finding.placed = static_cast<int>(shapes.size());
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    const CutShape& s = shapes[i];
    finding.worstPlateMargin = std::min({finding.worstPlateMargin, s.minX, s.minY,
                                         nester.plateLength() - s.maxX, nester.plateWidth() - s.maxY});
    for (std::size_t j = i + 1; j < shapes.size(); ++j) {
      const double d = closestApproach(s, shapes[j], std::min(limit, finding.closest));
      if (d < finding.closest) {
        finding.closest = d;
        finding.between = s.name + " / " + shapes[j].name;
      }
    }
  }
  return finding;
}

}  // namespace platenest::testing
