// Circles in a part's material and the overlap they measure. See overlap_measure.h.
#include "nesting/overlap_measure.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace platenest {
namespace {

// Cells along the longer side of the box in the first, coarse look for circle centres.
constexpr int kCoarseCells = 48;
// Halvings of the step when a centre is refined from its coarse cell.
constexpr int kRefinements = 10;
// Circles are drawn in by this share of their radius (and a little more), so that two that
// meet at all meet by more than rounding: the exact test then refuses the pair too.
constexpr double kShrink = 1e-6;
constexpr double kShrinkAbsolute = 1e-7;
// A new circle may reach into an earlier one by at most this share of the earlier radius.
constexpr double kReachIntoEarlier = 0.5;
// Circle pairs that meet by less than this share of the smaller part's first radius count by
// a value that decays with their distance.
constexpr double kDecayShare = 0.02;
// Where circles meet, the pairs within this many epsilons of meeting make the measure.
constexpr double kNearPairs = 10.0;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

double edgeDistanceSquared(const Point& p, const Point& a, const Point& b) {
  const double ex = b.x - a.x;
  const double ey = b.y - a.y;
  const double length2 = ex * ex + ey * ey;
  double t = length2 > 0 ? ((p.x - a.x) * ex + (p.y - a.y) * ey) / length2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  const double dx = a.x + t * ex - p.x;
  const double dy = a.y + t * ey - p.y;
  return dx * dx + dy * dy;
}

double polygonDistanceSquared(const Polygon& polygon, const Point& p) {
  const std::vector<Point>& v = polygon.vertices();
  double best = std::numeric_limits<double>::infinity();
  for (std::size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
    best = std::min(best, edgeDistanceSquared(p, v[j], v[i]));
  }
  return best;
}

// The distance from p to the part's nearest edge, outer or hole.
double edgeDistance(const PlacedPart& part, const Point& p) {
  double d2 = polygonDistanceSquared(part.outer, p);
  for (const Polygon& hole : part.holes) {
    if (!hole.empty()) d2 = std::min(d2, polygonDistanceSquared(hole, p));
  }
  return std::sqrt(d2);
}

}  // namespace

double signedDepth(const PlacedPart& part, const Point& p) {
  if (part.outer.empty()) return -std::numeric_limits<double>::infinity();
  const double d = edgeDistance(part, p);
  return part.containsPoint(p) ? d : -d;
}

CircleCover coverWithCircles(const PlacedPart& part, std::size_t most, double smallestShare) {
  CircleCover cover;
  const BoundingBox box = part.outer.box();
  const double longer = std::max(box.width(), box.height());
  if (part.outer.vertexCount() < 3 || !(longer > 0) || !(part.area() > 0)) return cover;
  const double cell = longer / kCoarseCells;
  const int nx = static_cast<int>(std::ceil(box.width() / cell)) + 1;
  const int ny = static_cast<int>(std::ceil(box.height() / cell)) + 1;
  struct Sample {
    Point p;
    double depth;
  };
  std::vector<Sample> samples;
  samples.reserve(static_cast<std::size_t>(nx) * ny);
  for (int i = 0; i < nx; ++i) {
    for (int j = 0; j < ny; ++j) {
      // Cell centres, clamped into the box.
      const Point p(std::min(box.minX + (i + 0.5) * cell, box.maxX),
                    std::min(box.minY + (j + 0.5) * cell, box.maxY));
      const double depth = signedDepth(part, p);
      if (depth > 0) samples.push_back({p, depth});
    }
  }
  // The room a centre at p leaves: its depth, less what earlier circles take.
  auto room = [&](const Point& p, double depth) {
    for (const InscribedCircle& c : cover.circles) {
      const double dx = p.x - c.x;
      const double dy = p.y - c.y;
      depth = std::min(depth, std::sqrt(dx * dx + dy * dy) - kReachIntoEarlier * c.r);
    }
    return depth;
  };
  while (cover.circles.size() < most) {
    double bestRoom = 0.0;
    Point best;
    for (const Sample& s : samples) {
      const double r = room(s.p, s.depth);
      if (r > bestRoom) {
        bestRoom = r;
        best = s.p;
      }
    }
    if (!(bestRoom > 0)) break;
    // Climb from the best cell centre with halving steps.
    double step = cell / 2;
    for (int k = 0; k < kRefinements; ++k, step /= 2) {
      bool moved = true;
      while (moved) {
        moved = false;
        for (int dir = 0; dir < 8; ++dir) {
          static constexpr double kDx[] = {1, -1, 0, 0, 0.7071, -0.7071, 0.7071, -0.7071};
          static constexpr double kDy[] = {0, 0, 1, -1, 0.7071, 0.7071, -0.7071, -0.7071};
          const Point p(best.x + kDx[dir] * step, best.y + kDy[dir] * step);
          const double r = room(p, signedDepth(part, p));
          if (r > bestRoom * (1 + 1e-12)) {
            bestRoom = r;
            best = p;
            moved = true;
          }
        }
      }
    }
    const double radius = bestRoom * (1 - kShrink) - kShrinkAbsolute;
    if (!cover.circles.empty() && radius < smallestShare * cover.size) break;
    if (!(radius > 0)) break;
    if (cover.circles.empty()) cover.size = radius;
    cover.circles.push_back({best.x, best.y, radius});
  }
  // A later circle can come out a hair larger than the first; the largest leads.
  std::stable_sort(cover.circles.begin(), cover.circles.end(),
                   [](const InscribedCircle& a, const InscribedCircle& b) { return a.r > b.r; });
  if (!cover.circles.empty()) cover.size = cover.circles.front().r;
  return cover;
}

namespace {

// Where the circles of b lie: their centres' bounds and the largest radius.
struct Spread {
  double minX, maxX, minY, maxY, radius;
};

Spread spreadOf(const CircleCover& b, double bx, double by) {
  Spread s{kInfinity, -kInfinity, kInfinity, -kInfinity, 0.0};
  for (const InscribedCircle& cb : b.circles) {
    s.minX = std::min(s.minX, cb.x + bx);
    s.maxX = std::max(s.maxX, cb.x + bx);
    s.minY = std::min(s.minY, cb.y + by);
    s.maxY = std::max(s.maxY, cb.y + by);
    s.radius = std::max(s.radius, cb.r);
  }
  return s;
}

// The decayed penetration of circle pairs, each times the smaller radius: the depth where
// circles meet by more than epsilon, a value that falls off smoothly with the distance where
// they meet by less or not at all. Pairs further apart than `reach` epsilons are left out
// (they would add less than 1/(reach + 2) epsilon each); an infinite reach takes every pair.
// Never zero. A circle of a that lies clear of all of b's by more than the reach (with room to
// spare for rounding) is passed over whole: the pairs it would make are all left out anyway.
// The sum stops once `stop` is reached.
double decayedPenetration(const CircleCover& a, double ax, double ay, const CircleCover& b,
                          double bx, double by, double reach, const OverlapStop& stop) {
  const double epsilon = std::max(kDecayShare * std::min(a.size, b.size), 1e-9);
  const double margin = reach * epsilon;
  const bool bounded = std::isfinite(margin);
  const Spread spread = bounded ? spreadOf(b, bx, by) : Spread{};
  double sum = 0.0;
  for (const InscribedCircle& ca : a.circles) {
    const double x = ca.x + ax;
    const double y = ca.y + ay;
    if (bounded) {
      const double clear = ca.r + spread.radius + margin;
      const double slack = 1e-9 * (clear + std::fabs(x) + std::fabs(y) + spread.maxX - spread.minX +
                                   spread.maxY - spread.minY + 1.0);
      if (x - spread.maxX > clear + slack || spread.minX - x > clear + slack ||
          y - spread.maxY > clear + slack || spread.minY - y > clear + slack) {
        continue;
      }
    }
    for (const InscribedCircle& cb : b.circles) {
      const double dx = cb.x + bx - x;
      const double dy = cb.y + by - y;
      const double far = ca.r + cb.r + margin;
      const double d2 = dx * dx + dy * dy;
      if (d2 >= far * far) continue;
      const double depth = ca.r + cb.r - std::sqrt(d2);
      const double value = depth >= epsilon ? depth : epsilon * epsilon / (2 * epsilon - depth);
      sum += value * std::min(ca.r, cb.r);
      if (stop.reached(std::max(sum, 1e-12))) return std::max(sum, 1e-12);
    }
  }
  return std::max(sum, 1e-12);
}

}  // namespace

double coverOverlap(const CircleCover& a, double ax, double ay, const BoundingBox& aBox,
                    const CircleCover& b, double bx, double by, const BoundingBox& bBox,
                    const OverlapStop& stop) {
  (void)aBox;
  for (const InscribedCircle& ca : a.circles) {
    const double x = ca.x + ax;
    const double y = ca.y + ay;
    if (x + ca.r <= bBox.minX || x - ca.r >= bBox.maxX || y + ca.r <= bBox.minY ||
        y - ca.r >= bBox.maxY) {
      continue;
    }
    for (const InscribedCircle& cb : b.circles) {
      const double dx = cb.x + bx - x;
      const double dy = cb.y + by - y;
      const double reach = ca.r + cb.r;
      if (dx * dx + dy * dy < reach * reach) {
        return decayedPenetration(a, ax, ay, b, bx, by, kNearPairs, stop);
      }
    }
  }
  return 0.0;
}

double vertexPenetration(const PlacedPart& a, const PlacedPart& b) {
  // Each vertex of one outline within the other's material adds its depth there.
  auto into = [](const PlacedPart& from, const PlacedPart& host) {
    if (host.outer.empty()) return 0.0;
    const BoundingBox& box = host.outer.box();
    double sum = 0.0;
    auto add = [&](const Polygon& polygon) {
      for (const Point& v : polygon.vertices()) {
        if (v.x <= box.minX || v.x >= box.maxX || v.y <= box.minY || v.y >= box.maxY) continue;
        // Most vertices near the host lie outside its material: the ray cast tells them
        // apart before any distance is taken.
        if (!host.containsPoint(v)) continue;
        const double depth = edgeDistance(host, v);
        if (depth > 0) sum += depth;
      }
    };
    add(from.outer);
    for (const Polygon& hole : from.holes) add(hole);
    return sum;
  };
  return into(a, b) + into(b, a);
}

double refusedPairOverlap(const CircleCover& a, double ax, double ay, const CircleCover& b,
                          double bx, double by, const OverlapStop& stop) {
  return decayedPenetration(a, ax, ay, b, bx, by, kInfinity, stop);
}

double collisionLoss(double overlap, double epsilon, double scale) {
  return scale * std::sqrt(kPi * overlap + epsilon * epsilon);
}

double overlapReaching(double loss, double epsilon, double scale) {
  if (!std::isfinite(loss)) return kInfinity;
  const double root = loss / scale;
  return (root * root - epsilon * epsilon) / kPi;
}

double stripLoss(const BoundingBox& box, double length, double width, double scale) {
  constexpr double kTolerance = 1e-10;  // the plate test's
  // The box's bounds drawn in to the strip, a side within the tolerance counting as inside.
  auto clampHigh = [](double high, double limit) {
    return limit > high || std::fabs(limit - high) < kTolerance ? high : limit;
  };
  auto clampLow = [](double low, double limit) {
    return limit < low || std::fabs(limit - low) < kTolerance ? low : limit;
  };
  const double maxX = clampHigh(box.maxX, length);
  const double minX = clampLow(box.minX, 0.0);
  const double maxY = clampHigh(box.maxY, width);
  const double minY = clampLow(box.minY, 0.0);
  if (maxX == box.maxX && minX == box.minX && maxY == box.maxY && minY == box.minY) return 0.0;
  const double area = box.area();
  double outside = 0.0;
  if (maxX > minX && maxY > minY) {
    outside = area - (maxX - minX) * (maxY - minY);
  } else {
    // Wholly outside: all of it, and the way back in (the gap to the strip).
    const double gx = std::max({0.0, box.minX - length, -box.maxX});
    const double gy = std::max({0.0, box.minY - width, -box.maxY});
    outside = area + std::sqrt(gx * gx + gy * gy) * std::sqrt(area);
  }
  // Never zero outside, even for a box without area.
  return std::max(2 * scale * std::sqrt(std::max(outside, 0.0) + 1e-4 * area), 1e-12);
}

}  // namespace platenest
