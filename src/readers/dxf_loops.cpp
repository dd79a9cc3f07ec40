// Joining a drawing's pieces into loops and sorting the loops into parts (see dxf_loops.h).
//
// 1. Clean: zero-length lines go, exact duplicates go, collinear lines that overlap merge.
// 2. Join: from a piece not yet used, walk on to the nearest free end within the join
//    tolerance (a hash grid of ends finds it in constant time), until the walk is back at its
//    start. A walk that finds no end refuses the drawing, naming the place and the gap.
// 3. Check: every loop is cut finely into chords; the chords are put in a grid, and any two
//    that cross (not merely touch) refuse the drawing, naming the place.
// 4. Sort: each loop's parent is the smallest larger loop around it. Loops at an even depth
//    are outlines, at an odd depth holes of their parent.
#include "readers/dxf_loops.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "geometry/discretise.h"
#include "geometry/outline_check.h"
#include "geometry/segment_crossing.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

// Ends closer than this are one point; their gap is not reported.
constexpr double kSamePoint = 1e-6;  // mm
// The chords the crossing and containment checks use, at most this far from the arc (mm).
constexpr double kCheckChordError = 0.01;
constexpr int kMostChordsPerCircle = 4096;
// Ends at one point (within kSamePoint) beyond this refuse the drawing.
constexpr int kMostEndsAtOnePoint = 16;

// A line or an arc between two ends; an arc runs counterclockwise from its start angle.
struct Piece {
  bool isArc = false;
  Segment line;
  Arc arc;
  Point start() const { return isArc ? pointAt(arc.startAngle) : line.start; }
  Point end() const { return isArc ? pointAt(arc.endAngle) : line.end; }
  Point pointAt(double degrees) const {
    const double r = degrees / 180 * kPi;
    return Point(arc.centre.x + arc.radius * std::cos(r), arc.centre.y + arc.radius * std::sin(r));
  }
};

struct OrientedPiece {
  std::size_t index;
  bool reversed;
};

struct Loop {
  std::vector<OrientedPiece> pieces;  // empty for a circle
  int circle = -1;
  std::vector<Segment> bridges;       // lines across closed gaps
  std::vector<Point> fine;            // for the checks
  Polygon finePolygon;                // the same, for its area and the inside tests
  std::vector<Point> coarse;          // for nesting
  double area = 0.0;
  BoundingBox box;
  int parent = -1;
  int depth = 0;
};

std::int64_t cellOf(double v, double size) { return static_cast<std::int64_t>(std::floor(v / size)); }
std::uint64_t cellKey(std::int64_t x, std::int64_t y) {
  return (static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15ull) ^ static_cast<std::uint64_t>(y);
}

// Chords of an arc no further than `error` from it, from `start` to `end` degrees (end >
// start), as points from the start up to but without the end.
int chordCount(double r, double sweep, double error, int least) {
  // In degrees as this joiner has always rounded them: divided by π before the 180.
  const double step = error < r ? chordAngle(r, error) / kPi * 180 : 120.0;
  const double n = std::ceil(sweep / std::min(step, 120.0));
  return static_cast<int>(std::clamp(n, static_cast<double>(least),
                                     static_cast<double>(kMostChordsPerCircle)));
}

void arcPoints(const Point& c, double r, double start, double end, double error, int least,
               std::vector<Point>& out) {
  const double sweep = end - start;
  const int n = chordCount(r, sweep, error, least);
  for (int i = 0; i < n; ++i) {
    const double a = (start + sweep * i / n) / 180 * kPi;
    out.emplace_back(c.x + r * std::cos(a), c.y + r * std::sin(a));
  }
}

class Joiner {
 public:
  Joiner(const DxfGeometry& geometry, double tolerance, double chordTolerance)
      : geometry_(geometry), tolerance_(tolerance), chordTolerance_(chordTolerance) {}

  DxfLoopParts run() {
    DxfLoopParts result;
    clean();
    if (!join(result) || !cut(result) || !checkCrossings(result) || !checkAreas(result)) {
      return result;
    }
    sortLoops();
    makeParts(result);
    return result;
  }

 private:
  void clean() {
    std::unordered_set<std::string> seen;
    const auto key = [](std::initializer_list<double> values) {
      std::string k;
      for (double v : values) k += std::to_string(std::llround(v * 1e6)) + ",";
      return k;
    };
    // Lines grouped by the line they lie on, to merge those that overlap.
    std::map<std::pair<std::int64_t, std::int64_t>, std::vector<std::pair<double, double>>> carriers;
    std::map<std::pair<std::int64_t, std::int64_t>, std::pair<double, double>> carrierFrames;
    for (const Segment& s : geometry_.lines) {
      const double length = s.start.distance(s.end);
      if (length < kSamePoint) continue;
      double angle = std::atan2(s.end.y - s.start.y, s.end.x - s.start.x);
      if (angle < 0) angle += kPi;
      if (angle >= kPi - 1e-12) angle = 0;
      const double ux = std::cos(angle), uy = std::sin(angle);
      const double offset = -uy * s.start.x + ux * s.start.y;
      const std::pair<std::int64_t, std::int64_t> id{std::llround(angle * 1e9),
                                                     std::llround(offset * 1e6)};
      double a = ux * s.start.x + uy * s.start.y;
      double b = ux * s.end.x + uy * s.end.y;
      if (a > b) std::swap(a, b);
      carriers[id].push_back({a, b});
      carrierFrames.emplace(id, std::make_pair(angle, offset));
      originals_[id].push_back(s);
    }
    for (auto& carrier : carriers) {
      // Named copies: lambdas below cannot capture structured bindings under every compiler.
      const auto id = carrier.first;
      auto& spans = carrier.second;
      std::vector<Segment>& lines = originals_[id];
      if (spans.size() == 1) {
        addLine(lines.front());
        continue;
      }
      // Several lines on one carrier: merge only those that overlap by more than a point,
      // so that lines meeting end to end keep their shared corner.
      std::vector<std::size_t> order(spans.size());
      for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
      std::sort(order.begin(), order.end(),
                [&](std::size_t x, std::size_t y) { return spans[x] < spans[y]; });
      const double angle = carrierFrames[id].first;
      const double offset = carrierFrames[id].second;
      const double ux = std::cos(angle), uy = std::sin(angle);
      const auto at = [&](double t) { return Point(ux * t - uy * offset, uy * t + ux * offset); };
      std::size_t first = 0;
      while (first < order.size()) {
        double lo = spans[order[first]].first, hi = spans[order[first]].second;
        std::size_t next = first + 1;
        while (next < order.size() && spans[order[next]].first < hi - kSamePoint) {
          hi = std::max(hi, spans[order[next]].second);
          ++next;
        }
        if (next == first + 1) {
          addLine(lines[order[first]]);
        } else {
          addLine(Segment(at(lo), at(hi)));
        }
        first = next;
      }
    }
    for (const Arc& arc : geometry_.arcs) {
      if (arc.sweep() * arc.radius < kSamePoint * 57.3) continue;
      if (!seen.insert(key({0, arc.centre.x, arc.centre.y, arc.radius, arc.startAngle, arc.endAngle})).second) continue;
      Piece piece;
      piece.isArc = true;
      piece.arc = arc;
      pieces_.push_back(piece);
    }
    for (const Circle& circle : geometry_.circles) {
      if (!seen.insert(key({1, circle.centre.x, circle.centre.y, circle.radius})).second) continue;
      circles_.push_back(circle);
    }
  }

  void addLine(const Segment& s) {
    const auto round = [](const Point& p) { return std::make_pair(std::llround(p.x * 1e6), std::llround(p.y * 1e6)); };
    auto a = round(s.start), b = round(s.end);
    if (b < a) std::swap(a, b);
    if (!lineKeys_.insert({a.first, a.second, b.first, b.second}).second) return;
    Piece piece;
    piece.line = s;
    pieces_.push_back(piece);
  }

  Point endPoint(std::size_t endIndex) const {
    const Piece& p = pieces_[endIndex / 2];
    return endIndex % 2 == 0 ? p.start() : p.end();
  }

  // The nearest end of an unused piece within the tolerance of p.
  std::optional<std::size_t> nearestFree(const Point& p, double& distance) {
    std::optional<std::size_t> best;
    distance = tolerance_;
    const std::int64_t cx = cellOf(p.x, cell_), cy = cellOf(p.y, cell_);
    for (std::int64_t dx = -1; dx <= 1; ++dx) {
      for (std::int64_t dy = -1; dy <= 1; ++dy) {
        const auto found = grid_.find(cellKey(cx + dx, cy + dy));
        if (found == grid_.end()) continue;
        std::vector<std::size_t>& ends = found->second;
        std::erase_if(ends, [&](std::size_t e) { return used_[e / 2]; });
        for (const std::size_t e : ends) {
          const double d = endPoint(e).distance(p);
          if (d <= distance && (!best || d < distance || e < *best)) {
            distance = d;
            best = e;
          }
        }
      }
    }
    return best;
  }

  // Outline corners hold two ends, a few more where pieces were drawn twice. Many ends at
  // one point (a fan of outlines sharing a corner) would make every walk through it look at
  // all of them, and cannot be cut as drawn.
  bool endsMeetSparingly(DxfLoopParts& result) const {
    std::unordered_map<std::uint64_t, int> meeting;
    meeting.reserve(pieces_.size() * 2);
    for (std::size_t e = 0; e < pieces_.size() * 2; ++e) {
      const Point p = endPoint(e);
      const std::uint64_t key = cellKey(cellOf(p.x, kSamePoint), cellOf(p.y, kSamePoint));
      if (++meeting[key] > kMostEndsAtOnePoint) {
        result.refusal = "more than " + std::to_string(kMostEndsAtOnePoint) +
                         " line and arc ends meet at " + placeText(p) +
                         ": outlines that share a corner cannot be cut as drawn";
        return false;
      }
    }
    return true;
  }

  bool join(DxfLoopParts& result) {
    if (!endsMeetSparingly(result)) return false;
    cell_ = std::max(tolerance_, 1e-3);
    for (std::size_t e = 0; e < pieces_.size() * 2; ++e) {
      const Point p = endPoint(e);
      grid_[cellKey(cellOf(p.x, cell_), cellOf(p.y, cell_))].push_back(e);
    }
    used_.assign(pieces_.size(), false);
    for (std::size_t s = 0; s < pieces_.size(); ++s) {
      if (used_[s]) continue;
      Loop loop;
      used_[s] = true;
      loop.pieces.push_back({s, false});
      const Point start = pieces_[s].start();
      Point current = pieces_[s].end();
      for (;;) {
        double d = 0;
        const std::optional<std::size_t> next = nearestFree(current, d);
        const double home = current.distance(start);
        if (home <= tolerance_ && (!next || home <= d)) {
          bridge(loop, current, start, result);
          break;
        }
        if (!next) {
          result.refusal = openReason(current, start);
          return false;
        }
        const std::size_t piece = *next / 2;
        const bool reversed = *next % 2 == 1;
        const Point from = endPoint(*next);
        bridge(loop, current, from, result);
        used_[piece] = true;
        loop.pieces.push_back({piece, reversed});
        current = reversed ? pieces_[piece].start() : pieces_[piece].end();
      }
      loops_.push_back(std::move(loop));
    }
    for (std::size_t c = 0; c < circles_.size(); ++c) {
      Loop loop;
      loop.circle = static_cast<int>(c);
      loops_.push_back(std::move(loop));
    }
    if (loops_.empty()) {
      result.refusal = "the drawing holds no lines, arcs or circles on its cut layers";
      return false;
    }
    return true;
  }

  void bridge(Loop& loop, const Point& from, const Point& to, DxfLoopParts& result) {
    const double gap = from.distance(to);
    if (gap <= kSamePoint) return;
    loop.bridges.push_back(Segment(from, to));
    result.closingLines.push_back(Segment(from, to));
    result.closedGaps.push_back("gap of " + formatG(gap) + " mm closed at " + placeText(from));
  }

  // Why a walk stopped at `end`: the nearest end it could have gone on to.
  std::string openReason(const Point& end, const Point& start) const {
    double gap = end.distance(start);
    for (std::size_t e = 0; e < pieces_.size() * 2; ++e) {
      if (used_[e / 2]) continue;
      gap = std::min(gap, endPoint(e).distance(end));
    }
    return "outline not closed near " + placeText(end) + ": gap " + formatG(gap) +
           " mm is above the join tolerance " + formatG(tolerance_) +
           " mm; see --dxf-join-tolerance";
  }

  void polygonOf(const Loop& loop, double error, int least, std::vector<Point>& out) const {
    out.clear();
    if (loop.circle >= 0) {
      const Circle& c = circles_[static_cast<std::size_t>(loop.circle)];
      arcPoints(c.centre, c.radius, 0, 360, error, 8, out);
      return;
    }
    for (const OrientedPiece& o : loop.pieces) {
      const Piece& p = pieces_[o.index];
      if (!p.isArc) {
        out.push_back(o.reversed ? p.line.end : p.line.start);
      } else {
        std::vector<Point> points;
        arcPoints(p.arc.centre, p.arc.radius, p.arc.startAngle, p.arc.endAngle, error, least,
                  points);
        points.push_back(p.end());
        if (o.reversed) std::reverse(points.begin(), points.end());
        out.insert(out.end(), points.begin(), points.end() - 1);
      }
    }
  }

  // The chords a loop is cut into with `error`.
  std::size_t chordsOf(const Loop& loop, double error) const {
    if (loop.circle >= 0) {
      const Circle& c = circles_[static_cast<std::size_t>(loop.circle)];
      return static_cast<std::size_t>(chordCount(c.radius, 360, error, 8));
    }
    std::size_t n = 0;
    for (const OrientedPiece& o : loop.pieces) {
      const Piece& p = pieces_[o.index];
      n += p.isArc ? static_cast<std::size_t>(chordCount(p.arc.radius, p.arc.sweep(), error, 1))
                   : 1;
    }
    return n;
  }

  // The finest chord error within kDxfMostCheckChords: each coarsening by four halves the
  // chords of every arc.
  std::optional<double> checkChordError() const {
    for (double error = kCheckChordError; error <= chordTolerance_ * 4; error *= 4) {
      std::size_t total = 0;
      for (const Loop& loop : loops_) {
        total += chordsOf(loop, std::min(error, chordTolerance_));
        if (total > kDxfMostCheckChords) break;
      }
      if (total <= kDxfMostCheckChords) return std::min(error, chordTolerance_);
    }
    return std::nullopt;
  }

  bool cut(DxfLoopParts& result) {
    if (loops_.size() > kDxfMostLoops) {
      result.refusal = "the drawing holds " + std::to_string(loops_.size()) +
                       " closed loops, more than the " + std::to_string(kDxfMostLoops) +
                       " one drawing may hold";
      return false;
    }
    const std::optional<double> checkError = checkChordError();
    if (!checkError) {
      result.refusal = "the drawing's lines, arcs and circles make more than " +
                       std::to_string(kDxfMostCheckChords) +
                       " chords even when cut as coarsely as for nesting: its units or scale "
                       "are likely wrong";
      return false;
    }
    for (Loop& loop : loops_) {
      polygonOf(loop, *checkError, 1, loop.fine);
      polygonOf(loop, chordTolerance_, 1, loop.coarse);
      if (loop.coarse.size() < 3) loop.coarse = loop.fine;
      loop.finePolygon.setVertices(loop.fine);
      loop.area = loop.finePolygon.area();
      if (loop.fine.size() < 3) {
        const Point& p = loop.fine.empty() ? Point() : loop.fine.front();
        result.refusal = "a loop near " + placeText(p) + " encloses no area (a line drawn back on itself)";
        return false;
      }
      loop.box = BoundingBox{loop.fine[0].x, loop.fine[0].x, loop.fine[0].y, loop.fine[0].y};
      for (const Point& p : loop.fine) {
        loop.box.minX = std::min(loop.box.minX, p.x);
        loop.box.maxX = std::max(loop.box.maxX, p.x);
        loop.box.minY = std::min(loop.box.minY, p.y);
        loop.box.maxY = std::max(loop.box.maxY, p.y);
      }
    }
    return true;
  }

  bool checkAreas(DxfLoopParts& result) const {
    for (const Loop& loop : loops_) {
      if (loop.area > 0) continue;
      result.refusal = "a loop near " + placeText(loop.fine.front()) +
                       " encloses no area (a line drawn back on itself)";
      return false;
    }
    return true;
  }

  bool checkCrossings(DxfLoopParts& result) {
    struct Edge {
      std::size_t loop, index;
    };
    std::vector<Edge> edges;
    double length = 0;
    BoundingBox all = loops_[0].box;
    for (std::size_t l = 0; l < loops_.size(); ++l) {
      const std::vector<Point>& f = loops_[l].fine;
      for (std::size_t i = 0; i < f.size(); ++i) {
        edges.push_back({l, i});
        length += f[i].distance(f[(i + 1) % f.size()]);
      }
      all.minX = std::min(all.minX, loops_[l].box.minX);
      all.maxX = std::max(all.maxX, loops_[l].box.maxX);
      all.minY = std::min(all.minY, loops_[l].box.minY);
      all.maxY = std::max(all.maxY, loops_[l].box.maxY);
    }
    const double span = std::max(all.maxX - all.minX, all.maxY - all.minY);
    const double size = std::max({length / static_cast<double>(edges.size()) * 2,
                                  span / 2048, 1e-6});
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> cells;
    const auto ends = [&](const Edge& e) {
      const std::vector<Point>& f = loops_[e.loop].fine;
      return std::make_pair(f[e.index], f[(e.index + 1) % f.size()]);
    };
    for (std::size_t k = 0; k < edges.size(); ++k) {
      const auto [a, b] = ends(edges[k]);
      const std::int64_t x0 = cellOf(std::min(a.x, b.x), size), x1 = cellOf(std::max(a.x, b.x), size);
      const std::int64_t y0 = cellOf(std::min(a.y, b.y), size), y1 = cellOf(std::max(a.y, b.y), size);
      for (std::int64_t x = x0; x <= x1; ++x) {
        for (std::int64_t y = y0; y <= y1; ++y) cells[cellKey(x, y)].push_back(k);
      }
    }
    for (const auto& [key, list] : cells) {
      for (std::size_t i = 0; i < list.size(); ++i) {
        for (std::size_t j = i + 1; j < list.size(); ++j) {
          const Edge& e1 = edges[list[i]];
          const Edge& e2 = edges[list[j]];
          const auto [a, b] = ends(e1);
          const auto [c, d] = ends(e2);
          Point where;
          if (!segmentsCrossProperly(a, b, c, d, where)) continue;
          if (e1.loop == e2.loop) {
            result.refusal = "an outline crosses itself near " + placeText(where);
          } else {
            const Loop& small = loops_[e1.loop].area < loops_[e2.loop].area ? loops_[e1.loop] : loops_[e2.loop];
            const Loop& large = &small == &loops_[e1.loop] ? loops_[e2.loop] : loops_[e1.loop];
            const Point middle((small.box.minX + small.box.maxX) / 2,
                               (small.box.minY + small.box.maxY) / 2);
            result.refusal = large.finePolygon.containsPoint(middle)
                                 ? "a hole crosses its outline near " + placeText(where)
                                 : "a hole or another outline crosses the outline near " + placeText(where);
          }
          return false;
        }
      }
    }
    return true;
  }

  void sortLoops() {
    order_.resize(loops_.size());
    children_.assign(loops_.size(), {});
    for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = i;
    std::stable_sort(order_.begin(), order_.end(),
                     [&](std::size_t a, std::size_t b) { return loops_[a].area > loops_[b].area; });
    for (std::size_t k = 0; k < order_.size(); ++k) {
      Loop& loop = loops_[order_[k]];
      // The smallest larger loop around it is the last one found going down the list.
      for (std::size_t j = k; j-- > 0;) {
        const Loop& other = loops_[order_[j]];
        if (loop.box.minX < other.box.minX || loop.box.maxX > other.box.maxX ||
            loop.box.minY < other.box.minY || loop.box.maxY > other.box.maxY) {
          continue;
        }
        if (!contains(other, loop)) continue;
        loop.parent = static_cast<int>(order_[j]);
        loop.depth = other.depth + 1;
        children_[order_[j]].push_back(order_[k]);
        break;
      }
    }
  }

  // Loops do not cross, so a few points of the inner one decide; points on the other's
  // boundary (touching loops) are outvoted.
  static bool contains(const Loop& outer, const Loop& inner) {
    int votes = 0, count = 0;
    const std::size_t n = inner.fine.size();
    for (std::size_t i = 0; i < n && count < 5; i += std::max<std::size_t>(1, n / 5), ++count) {
      votes += outer.finePolygon.containsPoint(inner.fine[i]) ? 1 : -1;
    }
    return votes > 0;
  }

  void addToDrawing(const Loop& loop, PartDrawing& drawing) const {
    if (loop.circle >= 0) {
      drawing.circles.push_back(circles_[static_cast<std::size_t>(loop.circle)]);
      return;
    }
    for (const OrientedPiece& o : loop.pieces) {
      const Piece& p = pieces_[o.index];
      if (p.isArc) {
        drawing.arcs.push_back(p.arc);
      } else {
        drawing.lines.push_back(p.line);
      }
    }
    for (const Segment& s : loop.bridges) drawing.lines.push_back(s);
  }

  void makeParts(DxfLoopParts& result) {
    std::vector<std::size_t> outlines;
    for (const std::size_t i : order_) {
      if (loops_[i].depth % 2 == 0) outlines.push_back(i);
    }
    std::stable_sort(outlines.begin(), outlines.end(), [&](std::size_t a, std::size_t b) {
      const BoundingBox& p = loops_[a].box;
      const BoundingBox& q = loops_[b].box;
      return std::make_pair(p.minX, p.minY) < std::make_pair(q.minX, q.minY);
    });
    for (const std::size_t o : outlines) {
      DxfLoopPart part;
      part.outer.setVertices(loops_[o].coarse);
      addToDrawing(loops_[o], part.drawing);
      for (const std::size_t h : children_[o]) {
        part.holes.insertFront(Polygon(loops_[h].coarse));
        addToDrawing(loops_[h], part.drawing);
      }
      result.parts.push_back(std::move(part));
    }
  }

  const DxfGeometry& geometry_;
  double tolerance_;
  double chordTolerance_;
  std::vector<Piece> pieces_;
  std::vector<Circle> circles_;
  std::map<std::pair<std::int64_t, std::int64_t>, std::vector<Segment>> originals_;
  std::set<std::tuple<std::int64_t, std::int64_t, std::int64_t, std::int64_t>> lineKeys_;
  double cell_ = 1.0;
  std::unordered_map<std::uint64_t, std::vector<std::size_t>> grid_;
  std::vector<bool> used_;
  std::vector<Loop> loops_;
  std::vector<std::size_t> order_;
  std::vector<std::vector<std::size_t>> children_;  // in falling order of area
};

}  // namespace

DxfLoopParts joinDxfLoops(const DxfGeometry& geometry, double joinTolerance,
                          double chordTolerance) {
  return Joiner(geometry, joinTolerance, chordTolerance).run();
}

}  // namespace platenest
