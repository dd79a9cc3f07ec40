// May this part stand here? The containment and clearance tests of parts, and the fit tests
// of the nester that combine "inside the plate" with "clear of every other part". The gap
// between parts is already built into their outlines, so no test adds a clearance.
#include "nesting/overlap.h"

#include <cmath>
#include <cstdlib>

namespace platenest {

namespace {

// Tolerance of the plate-rectangle test: a part flush with the plate edge is on the plate.
constexpr double kInsideTolerance = 1e-10;
// Boxes closer than this count as apart: grid placement and contact slides leave parts
// touching, and touching parts must not count as overlapping.
constexpr double kApartTolerance = 1e-5;

bool beyondOrNear(double value, double limit, bool greater) {
  return (greater ? value > limit : value < limit) || std::fabs(value - limit) < kInsideTolerance;
}

// The other part lies wholly in the hole: all its outer vertices inside, no edge crossing.
bool sitsInHole(const Polygon& hole, const Polygon& outer) {
  return hole.containsAll(outer) && !hole.edgesCross(outer);
}

}  // namespace

bool boxInside(const BoundingBox& b, const BoundingBox& r) {
  return beyondOrNear(r.maxX, b.maxX, true) && beyondOrNear(r.minX, b.minX, false) &&
         beyondOrNear(r.maxY, b.maxY, true) && beyondOrNear(r.minY, b.minY, false);
}

bool boxesApart(const BoundingBox& a, const BoundingBox& o) {
  return a.minX > o.maxX || std::fabs(a.minX - o.maxX) < kApartTolerance || a.maxX < o.minX ||
         std::fabs(a.maxX - o.minX) < kApartTolerance || a.minY > o.maxY ||
         std::fabs(a.minY - o.maxY) < kApartTolerance || o.minY > a.maxY ||
         std::fabs(a.maxY - o.minY) < kApartTolerance;
}

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

// Parts whose boxes are apart are passed over with four comparisons; only neighbours get
// polygon work. Parts parked off the plate never meet a candidate inside it.
bool Nester::fits(const PlacedPart& candidate) const {
  ++fitTestCount;
  if (!candidate.isInside(plateRect)) return false;
  const BoundingBox& box = candidate.outer.box();
  for (const PlacedPart& part : parts) {
    if (boxesApart(box, part.outer.box())) continue;
    if (!candidate.isClearOf(part)) return false;
  }
  return true;
}

// The moved box is the variant's box plus (dx, dy), just as moving the copy computes it, so
// the plate test and the box rule are decided before any vertex is copied. The outer is
// moved into the scratch part when a neighbour's box is near, the holes only when the outers
// overlap: the same numbers as a moved copy, computed only where a test reads them.
bool mayMeetCandidates(const PlacedPart& part, const BoundingBox& plate) {
  constexpr double kFarFromPlate = 1e-6;
  const BoundingBox& b = part.outer.box();
  return !(b.minX >= plate.maxX - kFarFromPlate || b.maxX <= plate.minX + kFarFromPlate ||
           b.minY >= plate.maxY - kFarFromPlate || b.maxY <= plate.minY + kFarFromPlate);
}

void Obstacles::collect(const Nester& nester) {
  boxes.clear();
  parts.clear();
  for (const PlacedPart& part : nester.parts) {
    if (!mayMeetCandidates(part, nester.plateRect)) continue;
    boxes.push_back(part.outer.box());
    parts.push_back(&part);
  }
}

namespace {

// A candidate moved lazily into the scratch part: the outer when a neighbour's box is near,
// the holes only when the outers overlap.
class MovedCandidate {
 public:
  MovedCandidate(const PlacedPart& variant, double dx, double dy, PlacedPart& scratch)
      : variant_(variant), dx_(dx), dy_(dy), scratch_(scratch) {}

  bool isClearOf(const PlacedPart& part) {
    if (!outerMoved_) {
      scratch_.outer.assignTranslated(variant_.outer, dx_, dy_);
      outerMoved_ = true;
    }
    if (outerPolygonsClear(scratch_.outer, part.outer)) return true;
    if (!holesMoved_) {
      if (scratch_.holes.count() == variant_.holes.count()) {
        for (int i = 0; i < variant_.holes.count(); ++i) {
          const auto index = static_cast<std::size_t>(i);
          scratch_.holes[index].assignTranslated(variant_.holes[index], dx_, dy_);
        }
      } else {
        scratch_.assignTranslated(variant_, dx_, dy_);
      }
      holesMoved_ = true;
    }
    return clearThroughHoles(scratch_.outer, scratch_.holes, part);
  }

 private:
  const PlacedPart& variant_;
  double dx_, dy_;
  PlacedPart& scratch_;
  bool outerMoved_ = false;
  bool holesMoved_ = false;
};

bool fitsAmongObstacles(const Nester& nester, const Obstacles& obstacles, const PlacedPart& variant,
                        double dx, double dy, PlacedPart& scratch, const PlacedPart** blocker) {
  const BoundingBox& from = variant.outer.box();
  const BoundingBox box{from.minX + dx, from.maxX + dx, from.minY + dy, from.maxY + dy};
  if (!boxInside(box, nester.plateRect)) return false;
  MovedCandidate candidate(variant, dx, dy, scratch);
  const PlacedPart* hint = blocker != nullptr ? *blocker : nullptr;
  if (hint != nullptr && !boxesApart(box, hint->outer.box()) && !candidate.isClearOf(*hint)) {
    return false;
  }
  const std::size_t count = obstacles.boxes.size();
  for (std::size_t n = 0; n < count; ++n) {
    if (boxesApart(box, obstacles.boxes[n])) continue;
    const PlacedPart& part = *obstacles.parts[n];
    if (&part == hint) continue;
    if (!candidate.isClearOf(part)) {
      if (blocker != nullptr) *blocker = &part;
      return false;
    }
  }
  return true;
}

}  // namespace

bool fitsTranslated(const Nester& nester, const Obstacles& obstacles, const PlacedPart& variant,
                    double dx, double dy, PlacedPart& scratch, const PlacedPart** blocker) {
  ++nester.fitTestCount;
  const bool fits = fitsAmongObstacles(nester, obstacles, variant, dx, dy, scratch, blocker);
#ifdef PLATENEST_VALIDATE
  // The plain test on a moved copy against every part must agree.
  PlacedPart moved = variant;
  moved.translate(dx, dy);
  if (fits != nester.fits(moved)) std::abort();
  --nester.fitTestCount;
#endif
  return fits;
}

bool Nester::fitsAmongOthers(const PlacedPart& member) const {
  ++fitTestCount;
  if (!member.isInside(plateRect)) return false;
  const BoundingBox& box = member.outer.box();
  for (const PlacedPart& part : parts) {
    if (&part == &member) continue;
    if (boxesApart(box, part.outer.box())) continue;
    if (!member.isClearOf(part)) return false;
  }
  return true;
}

bool Nester::markPartsCrossingPlateEdge() {
  bool marked = false;
  for (PlacedPart& part : parts) {
    if (isOnPlate(part)) continue;
    if (part.overlapsRect(plateRect.minX, plateRect.maxX, plateRect.minY, plateRect.maxY)) {
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
