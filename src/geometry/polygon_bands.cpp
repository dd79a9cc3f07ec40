// Band-filed edges for the exact overlap tests. An edge is filed in every band its height
// range reaches, widened by a margin far above the rounding of the coordinates involved, so a
// band always holds every edge the plain loop would look at closely; the per-edge arithmetic
// is copied from the plain tests so that the answers agree bit for bit.
#include "geometry/polygon_bands.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace platenest {

namespace {

// Coordinates and moves beyond this are tested edge by edge: there the rounding of a move
// could exceed the band margin. A part laid out in millimetres stays far below it.
constexpr double kBandedRange = 1e7;
// Widening of each edge's height range when it is filed: many times the rounding of a move
// within kBandedRange (a few 1e-9).
constexpr double kBandMargin = 1e-6;
// One band per edge suits outlines discretised from arcs; more bands than this buy nothing.
constexpr std::size_t kMaxBands = 1024;
constexpr std::size_t kMinBandedEdges = 12;

using Vertex = PolygonBands::Vertex;

double cross(double ux, double uy, double vx, double vy) { return ux * vy - uy * vx; }

// One edge's vote in the ray cast of Polygon::containsPoint, with the same comparisons.
// Written without early returns so that the many unpredictable outcomes cost no jumps:
// every case is computed and the right one selected.
bool edgeFlipsRay(double x1, double y1, double x2, double y2, double px, double py) {
  const bool inRange = !((py < y1) & (py < y2)) & !((py > y1) & (py > y2));
  const bool onFirst = y1 == py, onSecond = y2 == py;
  // The ray through one end counts at the lower end of the edge; through both, never.
  const double endX = onFirst ? x1 : x2;
  const double otherY = onFirst ? y2 : y1;
  const bool atEnd = (otherY > py) & (px <= endX);
  // Unused (and possibly not finite) when the ray meets an end or misses the edge.
  const double xc = x1 == x2 ? x1 : x1 + (py - y1) * (x2 - x1) / (y2 - y1);
  const bool across = px <= xc;
  return inRange & !(onFirst & onSecond) & ((onFirst | onSecond) ? atEnd : across);
}

// The edge (p1, p2) of the polygon that is one side of Polygon::edgesCross, with its ranges
// and direction, against the other side's edge (q1, q2): the same tests in the same order.
struct FirstEdge {
  Vertex p1, p2;
  double minX, maxX, minY, maxY;
  double ux, uy;
};

bool edgesMeet(const FirstEdge& p, const Vertex& q1, const Vertex& q2) {
  if (std::min(q1.x, q2.x) > p.maxX || std::max(q1.x, q2.x) < p.minX ||
      std::min(q1.y, q2.y) > p.maxY || std::max(q1.y, q2.y) < p.minY) {
    return false;
  }
  const double sideQ = cross(p.ux, p.uy, q2.x - p.p1.x, q2.y - p.p1.y) *
                       cross(p.ux, p.uy, q1.x - p.p1.x, q1.y - p.p1.y);
  if (!(sideQ <= 0)) return false;
  const double vx = q2.x - q1.x, vy = q2.y - q1.y;
  const double sideP =
      cross(vx, vy, p.p2.x - q1.x, p.p2.y - q1.y) * cross(vx, vy, p.p1.x - q1.x, p.p1.y - q1.y);
  return sideP <= 0;
}

Vertex moved(const Vertex& v, double dx, double dy) { return Vertex{v.x + dx, v.y + dy}; }

}  // namespace

void PolygonBands::build(const Polygon& polygon) {
  const std::vector<Point>& source = polygon.vertices();
  count_ = source.size();
  revision_ = polygon.revision();
  moderate_ = false;
  box_ = polygon.box();
  vertices_.resize(count_ + 1);
  for (std::size_t i = 0; i < count_; ++i) vertices_[i] = Vertex{source[i].x, source[i].y};
  if (count_ > 0) vertices_[count_] = vertices_[0];
  bandCount_ = 0;
  bandStart_.clear();
  bandEdges_.clear();
  firstBand_.clear();
  if (count_ == 0) return;

  lowX_ = highX_ = vertices_[0].x;
  lowY_ = highY_ = vertices_[0].y;
  for (std::size_t i = 1; i < count_; ++i) {
    const Vertex& v = vertices_[i];
    if (v.x < lowX_) lowX_ = v.x;
    if (v.x > highX_) highX_ = v.x;
    if (v.y < lowY_) lowY_ = v.y;
    if (v.y > highY_) highY_ = v.y;
  }
  double low = vertices_[0].y, high = vertices_[0].y;
  bool moderate = true;
  for (std::size_t i = 0; i < count_; ++i) {
    const Vertex& v = vertices_[i];
    low = std::min(low, v.y);
    high = std::max(high, v.y);
    // Written so that a NaN fails it.
    moderate = moderate && std::fabs(v.x) <= kBandedRange && std::fabs(v.y) <= kBandedRange;
  }
  moderate_ = moderate;
  if (!moderate_) return;                                      // also NaN: tested edge by edge
  if (count_ >= kMinBandedEdges) fileEdgesInBands(low, high);  // else a short loop is cheaper
}

void PolygonBands::fileEdgesInBands(double low, double high) {
  const double height = high - low;
  bandCount_ = height > 0 ? std::min(count_, kMaxBands) : 1;
  y0_ = low;
  bandsPerUnit_ = height > 0 ? static_cast<double>(bandCount_) / height : 0.0;

  // File each edge in the bands of its widened height range (counting sort by band).
  firstBand_.resize(count_);
  std::vector<std::uint32_t> lastBand(count_);
  bandStart_.assign(bandCount_ + 1, 0);
  for (std::size_t i = 0; i < count_; ++i) {
    const Vertex& a = vertices_[i];
    const Vertex& b = vertices_[i + 1];
    firstBand_[i] = static_cast<std::uint32_t>(bandOf(std::min(a.y, b.y) - kBandMargin));
    lastBand[i] = static_cast<std::uint32_t>(bandOf(std::max(a.y, b.y) + kBandMargin));
    for (std::size_t band = firstBand_[i]; band <= lastBand[i]; ++band) ++bandStart_[band + 1];
  }
  for (std::size_t band = 0; band < bandCount_; ++band) bandStart_[band + 1] += bandStart_[band];
  bandEdges_.resize(bandStart_[bandCount_]);
  std::vector<std::uint32_t> fill(bandStart_.begin(), bandStart_.end() - 1);
  for (std::size_t i = 0; i < count_; ++i) {
    for (std::size_t band = firstBand_[i]; band <= lastBand[i]; ++band) {
      bandEdges_[fill[band]++] = static_cast<std::uint32_t>(i);
    }
  }
}

BoundingBox PolygonBands::vertexSpan() const {
  if (count_ == 0) {
    const double inf = std::numeric_limits<double>::infinity();
    return BoundingBox{inf, -inf, inf, -inf};
  }
  return BoundingBox{lowX_, highX_, lowY_, highY_};
}

bool PolygonBands::sameGeometry(const Polygon& polygon) const {
  // Bit for bit, so that a copy of a polygon with a NaN coordinate counts as the same.
  auto same = [](double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
  };
  const std::vector<Point>& source = polygon.vertices();
  if (source.size() != count_) return false;
  const BoundingBox& b = polygon.box();
  if (!(same(b.minX, box_.minX) && same(b.maxX, box_.maxX) && same(b.minY, box_.minY) &&
        same(b.maxY, box_.maxY))) {
    return false;
  }
  for (std::size_t i = 0; i < count_; ++i) {
    if (!(same(source[i].x, vertices_[i].x) && same(source[i].y, vertices_[i].y))) return false;
  }
  return true;
}

std::size_t PolygonBands::bandOf(double y) const {
  const double t = (y - y0_) * bandsPerUnit_;
  if (!(t > 0)) return 0;
  if (t >= static_cast<double>(bandCount_)) return bandCount_ - 1;
  return static_cast<std::size_t>(t);
}

bool PolygonBands::bandsFor(double low, double high, double dy, std::size_t& first,
                            std::size_t& last) const {
  if (bandCount_ == 0) return false;
  if (!(std::fabs(low) <= kBandedRange && std::fabs(high) <= kBandedRange &&
        std::fabs(dy) <= kBandedRange)) {
    return false;
  }
  first = bandOf(low - dy);
  last = bandOf(high - dy);
  return true;
}

PolygonBands::Frame PolygonBands::frame(double dx, double dy) const {
  Frame f;
  f.dx = dx;
  f.dy = dy;
  f.minX = box_.minX + dx, f.maxX = box_.maxX + dx;
  f.minY = box_.minY + dy, f.maxY = box_.maxY + dy;
  f.banded = bandCount_ != 0 && std::fabs(dy) <= kBandedRange;
  return f;
}

bool PolygonBands::rayCast(double px, double py, const Frame& f) const {
  bool inside = false;
  auto vote = [&](std::size_t i) {
    const Vertex a = moved(vertices_[i], f.dx, f.dy);
    const Vertex b = moved(vertices_[i + 1], f.dx, f.dy);
    inside ^= edgeFlipsRay(a.x, a.y, b.x, b.y, px, py);
  };
  if (f.banded && std::fabs(py) <= kBandedRange) {
    const std::size_t band = bandOf(py - f.dy);
    const std::uint32_t end = bandStart_[band + 1];
    for (std::uint32_t k = bandStart_[band]; k < end; ++k) vote(bandEdges_[k]);
  } else {
    // Every edge: most miss the ray's height, which a branch passes over more cheaply than
    // the full vote.
    for (std::size_t i = 0; i < count_; ++i) {
      const double y1 = vertices_[i].y + f.dy, y2 = vertices_[i + 1].y + f.dy;
      if ((py < y1 && py < y2) || (py > y1 && py > y2)) continue;
      vote(i);
    }
  }
  return inside;
}

bool PolygonBands::containsPoint(double px, double py, double dx, double dy) const {
  return inside(px, py, frame(dx, dy));
}

bool PolygonBands::edgesCross(double dx, double dy, const PolygonBands& other, double odx,
                              double ody) const {
  const std::size_t n = count_, m = other.count_;
  if (n == 0 || m == 0) return false;
  const double obMinX = other.box_.minX + odx, obMaxX = other.box_.maxX + odx;
  const double obMinY = other.box_.minY + ody, obMaxY = other.box_.maxY + ody;
  for (std::size_t i = 0; i < n; ++i) {
    FirstEdge p;
    p.p1 = moved(vertices_[i], dx, dy);
    p.p2 = moved(vertices_[i + 1], dx, dy);
    p.minX = std::min(p.p1.x, p.p2.x), p.maxX = std::max(p.p1.x, p.p2.x);
    p.minY = std::min(p.p1.y, p.p2.y), p.maxY = std::max(p.p1.y, p.p2.y);
    if (obMinX > p.maxX || obMaxX < p.minX || obMinY > p.maxY || obMaxY < p.minY) continue;
    p.ux = p.p2.x - p.p1.x, p.uy = p.p2.y - p.p1.y;
    auto meets = [&](std::size_t j) {
      return edgesMeet(p, moved(other.vertices_[j], odx, ody),
                       moved(other.vertices_[j + 1], odx, ody));
    };
    std::size_t first = 0, last = 0;
    if (other.bandsFor(p.minY, p.maxY, ody, first, last)) {
      for (std::size_t band = first; band <= last; ++band) {
        for (std::uint32_t k = other.bandStart_[band]; k < other.bandStart_[band + 1]; ++k) {
          const std::uint32_t j = other.bandEdges_[k];
          // An edge filed in several bands of the range is judged in the first of them only.
          if (std::max<std::size_t>(other.firstBand_[j], first) != band) continue;
          if (meets(j)) return true;
        }
      }
    } else {
      for (std::size_t j = 0; j < m; ++j) {
        if (meets(j)) return true;
      }
    }
  }
  return false;
}

bool PolygonBands::containsAll(double dx, double dy, const PolygonBands& other, double odx,
                               double ody) const {
  // A vertex beyond this box fails the first test of containsPoint.
  if (!other.verticesWithin(odx, ody, box_, dx, dy)) return false;
  const Frame f = frame(dx, dy);
  for (std::size_t i = 0; i < other.count_; ++i) {
    const Vertex v = moved(other.vertices_[i], odx, ody);
    if (!inside(v.x, v.y, f)) return false;
  }
  return true;
}

bool PolygonBands::containsAnyVertexOf(double dx, double dy, const PolygonBands& other, double odx,
                                       double ody, std::size_t& start) const {
  const std::size_t m = other.count_;
  if (m == 0) return false;
  const Frame f = frame(dx, dy);
  const std::size_t from = start < m ? start : 0;
  auto tryRange = [&](std::size_t first, std::size_t last) {
    for (std::size_t i = first; i < last; ++i) {
      const Vertex v = moved(other.vertices_[i], odx, ody);
      if (inside(v.x, v.y, f)) {
        start = i;
        return true;
      }
    }
    return false;
  };
  return tryRange(from, m) || tryRange(0, from);
}

}  // namespace platenest
