// Arcs and circles cut into chords, loose segments chained into one outline, and contours
// with arc edges turned into polygons.
//
// Every list here takes new elements at the front. The order that produces is relied on:
// the chain starts from the first segment of the work list, and the polygon's vertex order
// follows from it.
#include "geometry/discretise.h"

#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>
#include <limits>

#include "support/messages.h"

namespace platenest {

namespace {

// A division count must fit the loop counter; anything larger (a vanishing angle) is as
// unusable as a zero one.
constexpr double kMaxDivisions = static_cast<double>(std::numeric_limits<int>::max());

double toRadians(double degrees) { return degrees / 180 * kPi; }

Point onCircle(const Point& centre, double radius, double degrees) {
  const double angle = toRadians(degrees);
  return Point(centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle));
}

// The radius of edge i; a contour with fewer radii than vertices has straight edges there.
double edgeRadius(const Contour& contour, std::size_t i) {
  return i < contour.radii.size() ? contour.radii[i] : 0.0;
}

}  // namespace

double chordAngle(double radius, double chordError) {
  return 2 * std::acos(1 - chordError / radius);
}

double chordAngleDegrees(double radius, double chordError) {
  return chordAngle(radius, chordError) * 180 / kPi;
}

void divideArc(const Arc& arc, double divisionAngle, SegmentList& out) {
  const double sweep = arc.endAngle - arc.startAngle;
  const double quotient = sweep / divisionAngle;
  if (divisionAngle <= 0 || !(std::fabs(quotient) < kMaxDivisions)) {
    showWarning("圆弧划分角度错误!");
    return;
  }
  int n = static_cast<int>(std::trunc(quotient));
  double step = sweep;
  if (n > 1) {
    step = sweep / n;
  } else {
    n = 1;
  }
  for (int i = 0; i < n; ++i) {
    const double theta1 = arc.startAngle + i * step;
    const double theta2 = i == n - 1 ? arc.endAngle : theta1 + step;
    out.push_front(Segment(onCircle(arc.centre, arc.radius, theta1),
                           onCircle(arc.centre, arc.radius, theta2)));
  }
}

void divideArcByChord(const Arc& arc, double chordError, SegmentList& out) {
  if (chordError < 0 || chordError > arc.radius) {
    showWarning("弓高误差错误!");
    return;
  }
  divideArc(arc, chordAngleDegrees(arc.radius, chordError), out);
}

void divideCircle(const Circle& circle, double divisionAngle, SegmentList& out) {
  if (divisionAngle > kCircleDivisionLimit) {
    showWarning("分解角度detangle>120度,圆无法转换为多边形!");
    return;
  }
  if (!(divisionAngle > 0) || !(360 / divisionAngle < kMaxDivisions)) {
    showWarning("圆分解角度detangle错误!");
    return;
  }
  const int k = static_cast<int>(std::trunc(360 / divisionAngle));
  const Point first(circle.centre.x + circle.radius, circle.centre.y);
  Point previous = first;
  // The running angle grows by repeated addition; the closing chord returns to 0 degrees
  // and has (almost) zero length when 360 is a whole multiple of the division angle.
  double angle = 0.0;
  for (int i = 0; i <= k; ++i) {
    const Point next =
        i == k ? first : onCircle(circle.centre, circle.radius, angle + divisionAngle);
    out.push_front(Segment(previous, next));
    previous = next;
    angle += divisionAngle;
  }
}

void divideCircleByChord(const Circle& circle, double chordError, SegmentList& out) {
  if (chordError < 0 || chordError > circle.radius) {
    showWarning("弓高误差错误!");
    return;
  }
  divideCircle(circle, chordAngleDegrees(circle.radius, chordError), out);
}

void divideArcs(const ArcList& arcs, SegmentList& out, double chordError) {
  for (const Arc& arc : arcs) divideArcByChord(arc, chordError, out);
}

void divideCircles(const CircleList& circles, SegmentList& out, double chordError) {
  for (const Circle& circle : circles) divideCircleByChord(circle, chordError, out);
}

void copySegmentsTo(const SegmentList& source, SegmentList& destination) {
  for (const Segment& segment : source) destination.push_front(segment);
}

bool arcPossible(const Point& p1, const Point& p2, double radius) {
  const double diameter = 2 * std::fabs(radius);
  const double d = p1.distance(p2);
  // A half circle written with decimal end points may come out a rounding error too long.
  return d <= diameter || d - diameter <= kHalfCircleSlack * diameter;
}

bool intersectCircles(const Point& c1, double r1, const Point& c2, double r2, Point& left,
                      Point& right) {
  const double d = c1.distance(c2);
  const double reach = r1 + r2;
  if (d > reach && d - reach > kHalfCircleSlack * reach) return false;
  // Concentric circles share no single pair of points to build a centre from.
  if (!(d > 0)) return false;
  const double m = (r1 * r1 - r2 * r2 + d * d) / (2 * d);
  // Circles that just touch (within rounding) meet in one point on the line of centres.
  const double radicand = r1 * r1 - m * m;
  const double o = radicand > 0 ? std::sqrt(radicand) : 0.0;
  const double dx = c2.x - c1.x;
  const double dy = c2.y - c1.y;
  const Point base(c1.x + m / d * dx, c1.y + m / d * dy);
  left = Point(base.x - o / d * dy, base.y + o / d * dx);
  right = Point(base.x + o / d * dy, base.y - o / d * dx);
  return true;
}

bool arcFromRadius(const Point& p1, const Point& p2, double radius, Arc& out) {
  const double r = std::fabs(radius);
  Point left;
  Point right;
  if (!intersectCircles(p1, r, p2, r, left, right)) {
    showWarning("两圆求交失败!");
    return false;
  }
  // The side of the chord the centre lies on decides the turning sense.
  Point centre = left;
  const double z = (p1.x - centre.x) * (p2.y - centre.y) - (p1.y - centre.y) * (p2.x - centre.x);
  if (!((radius > 0 && z > 0) || (radius < 0 && z < 0))) centre = right;
  const double alpha1 = std::atan2(p1.y - centre.y, p1.x - centre.x) * 180 / kPi;
  const double alpha2 = std::atan2(p2.y - centre.y, p2.x - centre.x) * 180 / kPi;
  Arc forward;
  forward.set(centre, r, alpha1, alpha2);
  Arc backward;
  backward.set(centre, r, alpha2, alpha1);
  const double sweep = forward.endAngle - forward.startAngle;
  // A half circle whose end points were turned or moved comes out a rounding error off
  // 180 degrees either way; it still takes its side from the radius's sign, or the two
  // halves of a circle would both pick the same side.
  if (std::fabs(sweep - 180) <= kHalfCircleSlack * 180) {
    out = radius > 0 ? forward : backward;
  } else if (sweep < 180) {
    out = forward;
  } else {
    out = backward;
  }
  return true;
}

namespace {

// The chaining as first written: each step takes the first remaining segment, in list
// order, with an end within the match distance of the current point (its start first).
void chainByScanning(SegmentList& segments, Point current, PointList& out) {
  bool matched = true;
  while (matched) {
    matched = false;
    for (auto it = segments.begin(); it != segments.end(); ++it) {
      if (it->start.coincidesWithin(current, kChainMatchDistance)) {
        current = it->end;
      } else if (it->end.coincidesWithin(current, kChainMatchDistance)) {
        current = it->start;
      } else {
        continue;
      }
      segments.erase(it);
      out.push_front(current);
      matched = true;
      break;
    }
  }
}

// Beyond this the cell numbers of the grid below would not fit; such outlines are scanned.
constexpr double kLargestGridCoordinate = 1e12;

bool fitsGrid(const Point& p) {
  return std::fabs(p.x) <= kLargestGridCoordinate && std::fabs(p.y) <= kLargestGridCoordinate;
}

std::int64_t cellOf(double v) {
  return static_cast<std::int64_t>(std::floor(v / kChainMatchDistance));
}

std::uint64_t cellKey(std::int64_t cx, std::int64_t cy) {
  return (static_cast<std::uint64_t>(cx) * 0x9E3779B97F4A7C15ull) ^ static_cast<std::uint64_t>(cy);
}

}  // namespace

// The same choice as the scan, found through a grid of cells as wide as the match distance:
// a matching end lies in the current point's cell or a neighbour, and of the segments with
// one there the first in list order is taken. Arcs of many chords chain in linear time.
void chainSegments(SegmentList& segments, PointList& out) {
  if (segments.empty()) return;
  Point current = segments.front().end;
  out.push_front(segments.front().start);
  out.push_front(current);
  segments.pop_front();
  bool gridded = fitsGrid(current);
  for (const Segment& segment : segments) {
    gridded = gridded && fitsGrid(segment.start) && fitsGrid(segment.end);
  }
  if (!gridded) {
    chainByScanning(segments, current, out);
    return;
  }
  std::vector<SegmentList::iterator> order;
  order.reserve(segments.size());
  std::unordered_map<std::uint64_t, std::vector<std::size_t>> cells;
  cells.reserve(segments.size() * 2);
  for (auto it = segments.begin(); it != segments.end(); ++it) {
    const std::size_t index = order.size();
    order.push_back(it);
    const auto add = [&](const Point& p) {
      std::vector<std::size_t>& cell = cells[cellKey(cellOf(p.x), cellOf(p.y))];
      if (cell.empty() || cell.back() != index) cell.push_back(index);
    };
    add(it->start);
    add(it->end);
  }
  std::vector<bool> taken(order.size(), false);
  for (;;) {
    const std::int64_t cx = cellOf(current.x);
    const std::int64_t cy = cellOf(current.y);
    std::size_t best = order.size();
    for (std::int64_t dx = -1; dx <= 1; ++dx) {
      for (std::int64_t dy = -1; dy <= 1; ++dy) {
        const auto found = cells.find(cellKey(cx + dx, cy + dy));
        if (found == cells.end()) continue;
        std::vector<std::size_t>& cell = found->second;
        std::erase_if(cell, [&](std::size_t index) { return taken[index]; });
        for (const std::size_t index : cell) {
          if (index >= best) break;  // a cell lists its segments in list order
          const Segment& segment = *order[index];
          if (segment.start.coincidesWithin(current, kChainMatchDistance) ||
              segment.end.coincidesWithin(current, kChainMatchDistance)) {
            best = index;
            break;
          }
        }
      }
    }
    if (best == order.size()) break;
    const Segment& segment = *order[best];
    current = segment.start.coincidesWithin(current, kChainMatchDistance) ? segment.end
                                                                          : segment.start;
    segments.erase(order[best]);
    taken[best] = true;
    out.push_front(current);
  }
}

Polygon toPolygon(const Contour& contour, double tolerance) {
  SegmentList lines;
  ArcList arcs;
  const std::size_t n = contour.vertices.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Point& p = contour.vertices[i];
    const Point& q = contour.vertices[i + 1 == n ? 0 : i + 1];
    const double radius = edgeRadius(contour, i);
    Arc arc;
    // Tiny radii and nearly flat arcs are cut as straight edges; an arc that cannot join its
    // end points keeps the straight edge so that the outline stays closed.
    const bool straight = radius == 0 || std::fabs(radius) < tolerance ||
                          std::fabs(radius) / p.distance(q) > kStraightEdgeRatio;
    if (!straight && arcFromRadius(p, q, radius, arc)) {
      arcs.push_front(arc);
    } else {
      lines.push_front(Segment(p, q));
    }
  }
  SegmentList work;
  copySegmentsTo(lines, work);
  divideArcs(arcs, work, tolerance);
  PointList points;
  chainSegments(work, points);
  Polygon polygon;
  if (points.empty()) return polygon;
  points.pop_back();  // the closing point repeats the first
  polygon.setVertices(std::vector<Point>(points.begin(), points.end()));
  return polygon;
}

}  // namespace platenest
