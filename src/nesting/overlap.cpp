// May this part stand here? The containment and clearance tests of parts, and the fit tests
// of the layout that combine "inside the plate" with "clear of every other part". The gap
// between parts is already built into their outlines, so no test adds a clearance.
#include "nesting/overlap.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "geometry/polygon_bands.h"
#include "nesting/nester.h"

namespace platenest {

namespace {

// The other part lies wholly in the hole: all its outer vertices inside, no edge crossing.
bool sitsInHole(const Polygon& hole, const Polygon& outer) {
  return hole.containsAll(outer) && !hole.edgesCross(outer);
}

}  // namespace

bool PlacedPart::isInside(double minX, double maxX, double minY, double maxY) const {
  return boxInside(outer.box(), BoundingBox{minX, maxX, minY, maxY});
}

bool PlacedPart::containsPoint(const Point& p) const {
  if (!outer.containsPoint(p.x, p.y)) return false;
  for (const Polygon& hole : holes) {
    if (hole.containsPoint(p.x, p.y)) return false;
  }
  return true;
}

namespace {

// Vertices outside the other polygon's box cannot lie inside it; they are passed over here
// without a call, which is what most vertices of two neighbouring parts are.
bool anyVertexInside(const Polygon& polygon, const Polygon& other) {
  const BoundingBox& b = other.box();
  for (const Point& v : polygon.vertices()) {
    if (v.x < b.minX || v.x > b.maxX || v.y < b.minY || v.y > b.maxY) continue;
    if (other.containsPoint(v.x, v.y)) return true;
  }
  return false;
}

bool outerPolygonsClear(const Polygon& outer, const Polygon& other) {
  if (boxesApart(outer.box(), other.box())) return true;
  if (anyVertexInside(outer, other)) return false;
  if (anyVertexInside(other, outer)) return false;
  return !outer.edgesCross(other);
}

// The outers overlap: still clear when either part lies wholly in a hole of the other.
bool clearThroughHoles(const Polygon& outer, const PolygonList& holes, const PlacedPart& other) {
  for (const Polygon& hole : holes) {
    if (sitsInHole(hole, other.outer)) return true;
  }
  for (const Polygon& hole : other.holes) {
    if (sitsInHole(hole, outer)) return true;
  }
  return false;
}

}  // namespace

bool PlacedPart::outersClear(const PlacedPart& other) const {
  return outerPolygonsClear(outer, other.outer);
}

bool PlacedPart::isClearOf(const PlacedPart& other) const {
  return outerPolygonsClear(outer, other.outer) || clearThroughHoles(outer, holes, other);
}

bool PlacedPart::overlapsRect(double minX, double maxX, double minY, double maxY) const {
  PlacedPart rectangle;
  rectangle.setGeometry(
      Polygon({Point(minX, minY), Point(maxX, minY), Point(maxX, maxY), Point(minX, maxY)}),
      PolygonList());
  return !isClearOf(rectangle);
}

IndexRange rangeInside(const std::vector<double>& coordinates, double anchor, double low,
                       double high, double limitLow, double limitHigh) {
  // The first position where the low end is inside, and the first where the high end is not.
  auto firstWhere = [&](auto&& holds) {
    std::size_t first = 0;
    for (std::size_t count = coordinates.size(); count > 0;) {
      const std::size_t half = count / 2;
      if (!holds(coordinates[first + half] - anchor)) {
        first += half + 1;
        count -= half + 1;
      } else {
        count = half;
      }
    }
    return first;
  };
  const std::size_t first = firstWhere([&](double d) { return lowEndInside(low + d, limitLow); });
  const std::size_t end =
      firstWhere([&](double d) { return !highEndInside(high + d, limitHigh); });
  return {first, std::max(first, end)};
}

namespace {

// PolygonBands::containsAll and edgesCross as sitsInHole combines them.
bool bandsSitInHole(const PolygonBands& hole, double hx, double hy, const PolygonBands& outer,
                    double ox, double oy) {
  return hole.containsAll(hx, hy, outer, ox, oy) && !hole.edgesCross(hx, hy, outer, ox, oy);
}

// A hole of `holder` moved by (hx, hy) holds the whole outer of `other` moved by (ox, oy).
bool anyHoleHolds(const PartBands& holder, double hx, double hy, const PartBands& other, double ox,
                  double oy) {
  for (const PolygonBands& hole : holder.holes) {
    if (bandsSitInHole(hole, hx, hy, other.outer, ox, oy)) return true;
  }
  return false;
}

// As anyHoleHolds; mostly `other` reaches beyond the span of the holes, which is seen inline.
inline bool holdsInAHole(const PartBands& holder, double hx, double hy, const PartBands& other,
                         double ox, double oy) {
  return !holder.holes.empty() && other.outer.verticesWithin(ox, oy, holder.holesBox, hx, hy) &&
         anyHoleHolds(holder, hx, hy, other, ox, oy);
}

// PlacedPart::isClearOf of `a` moved by (dx, dy) and `b` where it stands, their boxes known
// not to be apart: the same tests as outerPolygonsClear and clearThroughHoles. `witness` is
// the vertex of a tried first for lying inside b.
bool bandsClear(const PartBands& a, double dx, double dy, const PartBands& b,
                std::size_t& witness) {
  std::size_t fromB = 0;
  const bool outersOverlap = b.outer.containsAnyVertexOf(0, 0, a.outer, dx, dy, witness) ||
                             a.outer.containsAnyVertexOf(dx, dy, b.outer, 0, 0, fromB) ||
                             a.outer.edgesCross(dx, dy, b.outer, 0, 0);
  return !outersOverlap || holdsInAHole(a, dx, dy, b, 0, 0) || holdsInAHole(b, 0, 0, a, dx, dy);
}

}  // namespace

void ObstacleCells::refile(const std::vector<BoundingBox>& boxes,
                           const std::vector<std::uint32_t>& keys, const BoundingBox& plate) {
  // New boxes beyond this many are not worth offering to every box.
  constexpr std::size_t kMaxListed = 16;
  const std::size_t old = filedKeys_.size();
  const bool extends =
      old > 0 && keys.size() >= old && keys.size() - inCells_ <= kMaxListed &&
      std::memcmp(&plate, &filedPlate_, sizeof plate) == 0 &&
      std::equal(filedKeys_.begin(), filedKeys_.end(), keys.begin()) &&
      std::memcmp(filedBoxes_.data(), boxes.data(), old * sizeof(BoundingBox)) == 0;
  if (extends) {
    listed_ = boxes.size() - inCells_;
  } else {
    build(boxes, plate);
  }
  reserveAmply(filedKeys_, keys.size());
  reserveAmply(filedBoxes_, boxes.size());
  filedKeys_.assign(keys.begin(), keys.end());
  filedBoxes_.assign(boxes.begin(), boxes.end());
  filedPlate_ = plate;
}

void ObstacleCells::build(const std::vector<BoundingBox>& boxes, const BoundingBox& plate) {
  inCells_ = boxes.size();
  listed_ = 0;
  filedKeys_.clear();
  columns_ = rows_ = 1;
  x0_ = plate.minX, y0_ = plate.minY;
  columnsPerUnit_ = rowsPerUnit_ = 0;
  unbounded_.clear();
  // Cells about the size of an average part: a candidate then meets a handful of cells.
  double width = 0, height = 0;
  std::size_t finite = 0;
  for (const BoundingBox& b : boxes) {
    if (std::isfinite(b.minX) && std::isfinite(b.maxX) && std::isfinite(b.minY) &&
        std::isfinite(b.maxY)) {
      width += b.maxX - b.minX;
      height += b.maxY - b.minY;
      ++finite;
    }
  }
  const double plateWidth = plate.maxX - plate.minX, plateHeight = plate.maxY - plate.minY;
  auto divisions = [](double side, double total, std::size_t count) -> std::size_t {
    if (count == 0 || !(side > 0) || !(total > 0)) return 1;
    const double cells = side / (total / static_cast<double>(count));
    return cells >= kMaxCellsPerSide ? kMaxCellsPerSide
                                     : std::max<std::size_t>(1, static_cast<std::size_t>(cells));
  };
  columns_ = divisions(plateWidth, width, finite);
  rows_ = divisions(plateHeight, height, finite);
  if (columns_ > 1) columnsPerUnit_ = static_cast<double>(columns_) / plateWidth;
  if (rows_ > 1) rowsPerUnit_ = static_cast<double>(rows_) / plateHeight;

  reserveAmply(first_, boxes.size());
  first_.assign(boxes.size(), Cell{});
  cellStart_.assign(columns_ * rows_ + 1, 0);
  auto forCells = [&](std::uint32_t n, auto&& visit) {
    const BoundingBox& b = boxes[n];
    const std::size_t c0 = column(b.minX), c1 = column(b.maxX);
    const std::size_t r0 = row(b.minY), r1 = row(b.maxY);
    first_[n] = Cell{static_cast<std::uint32_t>(c0), static_cast<std::uint32_t>(r0)};
    for (std::size_t c = c0; c <= c1; ++c) {
      for (std::size_t r = r0; r <= r1; ++r) visit(c * rows_ + r);
    }
  };
  for (std::uint32_t n = 0; n < boxes.size(); ++n) {
    const BoundingBox& b = boxes[n];
    if (std::isnan(b.minX) || std::isnan(b.maxX) || std::isnan(b.minY) || std::isnan(b.maxY)) {
      unbounded_.push_back(n);  // no cell can stand for it: met by every candidate
      continue;
    }
    forCells(n, [&](std::size_t cell) { ++cellStart_[cell + 1]; });
  }
  for (std::size_t cell = 0; cell + 1 < cellStart_.size(); ++cell) {
    cellStart_[cell + 1] += cellStart_[cell];
  }
  cellItems_.resize(cellStart_.back());
  fill_.assign(cellStart_.begin(), cellStart_.end() - 1);
  std::size_t nextUnbounded = 0;
  for (std::uint32_t n = 0; n < boxes.size(); ++n) {
    if (nextUnbounded < unbounded_.size() && unbounded_[nextUnbounded] == n) {
      ++nextUnbounded;
      continue;
    }
    forCells(n, [&](std::size_t cell) { cellItems_[fill_[cell]++] = n; });
  }
}

std::size_t ObstacleCells::column(double x) const {
  const double t = (x - x0_) * columnsPerUnit_;
  if (!(t > 0)) return 0;
  if (t >= static_cast<double>(columns_)) return columns_ - 1;
  return static_cast<std::size_t>(t);
}

std::size_t ObstacleCells::row(double y) const {
  const double t = (y - y0_) * rowsPerUnit_;
  if (!(t > 0)) return 0;
  if (t >= static_cast<double>(rows_)) return rows_ - 1;
  return static_cast<std::size_t>(t);
}

CandidateFitTest::CandidateFitTest(const Layout& layout, const std::vector<TrialVariant>& variants,
                                   PartBandsCache& cache, MaterialCells* material,
                                   FitTestScratch* scratch)
    : layout_(layout),
      plate_(layout.plateRect()),
      variants_(variants),
      cache_(cache),
      material_(material),
      s_(scratch != nullptr ? *scratch : own_) {
  s_.boxes.clear();
  s_.parts.clear();
  s_.slots.clear();
  s_.variantBands.resize(variants.size());
  s_.variantBoxes.resize(variants.size());
  for (std::size_t k = 0; k < variants.size(); ++k) {
    s_.variantBands[k].build(variants[k].part);
    s_.variantBoxes[k] = variants[k].part.outer.box();
  }
  s_.witness.assign(variants.size(), 0);
  const auto slotCount = static_cast<std::size_t>(layout.parts().count());
  cache_.reserve(slotCount);
  s_.obstacleOfSlot.assign(slotCount, -1);
  // Room for every part at once: fresh memory taken as the plate fills costs a fault a page.
  s_.boxes.reserve(slotCount);
  s_.parts.reserve(slotCount);
  s_.slots.reserve(slotCount);
  s_.bands.reserve(slotCount);
  std::uint32_t slot = 0;
  for (const PlacedPart& part : layout.parts()) {
    if (mayMeetCandidates(part, layout.plateRect())) {
      s_.obstacleOfSlot[slot] = static_cast<std::int32_t>(s_.parts.size());
      s_.boxes.push_back(part.outer.box());
      s_.parts.push_back(&part);
      s_.slots.push_back(slot);
    }
    ++slot;
  }
  s_.cells.refile(s_.boxes, s_.slots, layout.plateRect());
  s_.bands.assign(s_.parts.size(), nullptr);
  if (material_ != nullptr) {
    s_.spans.resize(s_.parts.size());
    s_.versions.resize(s_.parts.size());
    for (std::size_t n = 0; n < s_.parts.size(); ++n) {
      s_.bands[n] = &cache_.of(s_.slots[n], *s_.parts[n]);
      s_.spans[n] = cache_.spanOf(s_.slots[n]);
      s_.versions[n] = cache_.versionOf(s_.slots[n]);
    }
    material_->update(layout.plateRect(), slotCount, s_.slots, s_.versions, s_.bands);
    s_.deepWitness.assign(variants.size(), 0);
  }
}

bool CandidateFitTest::clearOf(std::size_t k, double dx, double dy, std::size_t obstacle) {
  const PartBands*& bands = s_.bands[obstacle];
  if (bands == nullptr) bands = &cache_.of(s_.slots[obstacle], *s_.parts[obstacle]);
  return bandsClear(s_.variantBands[k], dx, dy, *bands, s_.witness[k]);
}

// The part found deep under a vertex overlaps the candidate: the vertex lies inside its outline
// and in none of its holes, and the boxes meet. Only a hole of the candidate holding the whole
// part could still make them clear, and that is tested exactly.
inline bool CandidateFitTest::deepInsideAPart(std::size_t k, double dx, double dy,
                                              std::uint16_t* blocker) {
  const PartBands& candidate = s_.variantBands[k];
  const PolygonBands& outer = candidate.outer;
  const std::size_t n = outer.vertexCount();
  std::size_t& witness = s_.deepWitness[k];
  std::size_t i = witness < n ? witness : 0;
  for (std::size_t step = 0; step < n; ++step, i = i + 1 == n ? 0 : i + 1) {
    const PolygonBands::Vertex& v = outer.vertex(i);
    const std::uint32_t owner = material_->partAt(v.x + dx, v.y + dy);
    if (owner == 0) continue;
    if (!candidate.holes.empty()) {
      // holdsInAHole, the part's span read from the side-by-side copy: mostly the part
      // reaches beyond the span of the copy's holes, and its bands are not touched.
      const auto obstacle = static_cast<std::size_t>(s_.obstacleOfSlot[owner - 1]);
      if (spanWithin(s_.spans[obstacle], 0, 0, candidate.holesBox, dx, dy) &&
          anyHoleHolds(candidate, dx, dy, *s_.bands[obstacle], 0, 0)) {
        continue;
      }
    }
    witness = i;
    if (blocker != nullptr) *blocker = static_cast<std::uint16_t>(owner);
    return true;
  }
  return false;
}

// The moved box is the variant's box plus (dx, dy), just as moving the copy computes it, so
// the plate test and the box rule are decided before any polygon work.
bool CandidateFitTest::fits(std::size_t k, double dx, double dy, std::uint16_t* blocker) {
  ++tests_;
  const BoundingBox& from = s_.variantBoxes[k];
  const BoundingBox box{from.minX + dx, from.maxX + dx, from.minY + dy, from.maxY + dy};
  bool fits = boxInside(box, plate_);
  if (fits && material_ != nullptr && deepInsideAPart(k, dx, dy, blocker)) fits = false;
  std::size_t hint = s_.boxes.size();
  if (fits && blocker != nullptr && *blocker != 0 && *blocker <= s_.obstacleOfSlot.size()) {
    const std::int32_t index = s_.obstacleOfSlot[*blocker - 1];
    if (index >= 0) hint = static_cast<std::size_t>(index);
    if (hint < s_.boxes.size() && !boxesApart(box, s_.boxes[hint]) && !clearOf(k, dx, dy, hint)) {
      fits = false;
    }
  }
  if (fits) {
    fits = s_.cells.forEachNear(box, [&](std::uint32_t n) {
      if (n == hint || boxesApart(box, s_.boxes[n]) || clearOf(k, dx, dy, n)) return true;
      if (blocker != nullptr) {
        *blocker = static_cast<std::uint16_t>(s_.slots[n] < kMaxHint ? s_.slots[n] + 1 : 0);
      }
      return false;
    });
  }
#ifdef PLATENEST_VALIDATE
  // The plain test on a moved copy against every part must agree.
  PlacedPart moved = variants_[k].part;
  moved.translate(dx, dy);
  if (fits != layout_.fits(moved)) std::abort();
  layout_.uncountFitTest();
#endif
  return fits;
}

bool Nester::markPartsCrossingPlateEdge() {
  bool marked = false;
  for (PlacedPart& part : parts) {
    if (isOnPlate(part)) continue;
    const BoundingBox& plate = plateRect();
    if (part.overlapsRect(plate.minX, plate.maxX, plate.minY, plate.maxY)) {
      part.selected = true;
      marked = true;
    }
  }
  return marked;
}

bool Nester::markConflictingParts() {
  bool noConflict = true;
  for (PlacedPart& part : parts) {
    if (isOnPlate(part) && !fitsAmongOthers(part)) {
      part.selected = true;
      noConflict = false;
    }
  }
  return noConflict;
}

}  // namespace platenest
