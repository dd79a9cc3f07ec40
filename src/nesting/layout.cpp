// The layout's poses, its fit test and its collision query. Both questions go through
// partHazard and plateHazard, so they cannot disagree; a validation build checks it anyway.
#include "nesting/layout.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <utility>

#include "nesting/fit_test_scratch.h"
#include "nesting/material_cells.h"
#include "nesting/overlap.h"
#include "nesting/part_bands.h"
#include "nesting/search_memo.h"

namespace platenest {

struct Layout::Caches {
  SearchMemo searchMemo;
  PartBandsCache partBands;
  MaterialCells materialCells;
  FitTestScratch fitTestScratch;
};


void applyPose(PlacedPart& part, const Pose& pose) {
  if (pose.mirrored != part.mirrored) {
    const Point pivot = part.refPoint;
    part.mirrorAt(pivot);
  }
  part.translate(pose.refPoint.x - part.refPoint.x, pose.refPoint.y - part.refPoint.y);
  part.rotateAbout(pose.refPoint, pose.rotation - part.rotation);
}

std::optional<Hazard> partHazard(const PlacedPart& candidate, const PlacedPart& other,
                                 std::size_t place) {
  const BoundingBox& a = candidate.outer.box();
  const BoundingBox& b = other.outer.box();
  if (boxesApart(a, b) || candidate.isClearOf(other)) return std::nullopt;
  const double alongX = std::min(a.maxX, b.maxX) - std::max(a.minX, b.minX);
  const double alongY = std::min(a.maxY, b.maxY) - std::max(a.minY, b.minY);
  // Boxes that are not apart overlap by more than 1e-5 both ways; the floor only guards
  // against a figure of zero for a hazard.
  const double depth = std::max(std::min(alongX, alongY), std::numeric_limits<double>::min());
  return Hazard{Hazard::Kind::kPart, place, depth};
}

std::optional<Hazard> plateHazard(const PlacedPart& candidate, const BoundingBox& plate) {
  if (candidate.isInside(plate)) return std::nullopt;
  const BoundingBox& b = candidate.outer.box();
  const double beyond = std::max({plate.minX - b.minX, b.maxX - plate.maxX, plate.minY - b.minY,
                                  b.maxY - plate.maxY});
  // Not inside means a side reaches 1e-10 or more beyond; a box of NaN reaches nowhere.
  const double depth = beyond > 0 ? beyond : std::numeric_limits<double>::max();
  return Hazard{Hazard::Kind::kPlateEdge, 0, depth};
}

namespace {

// A copy of a part holds its holes in reverse order, and the figures the search derives from
// a part (its centroid, its trial copies' figures) are sums over the holes in list order: a
// layout holding such copies could place a part another way by a rounding. The copies are
// given back the originals' holes in their order, so that a clone searches as the original.
template <class Parts>
void keepHoleOrder(PartList& copy, const Parts& original) {
  auto to = copy.begin();
  for (const PlacedPart& from : original) {
    std::size_t h = 0;
    for (Polygon& hole : to->holes) hole = from.holes[h++];
    ++to;
  }
}

PartList copyInOrder(const PartList& original) {
  PartList copy = original;
  keepHoleOrder(copy, original);
  return copy;
}

}  // namespace

Layout::Layout(const Plate& plate, const PartList& parts)
    : parts_(copyInOrder(parts)), caches_(std::make_unique<Caches>()) {
  setPlate(plate);
}

Layout::Layout(const Plate& plate, const std::vector<PlacedPart>& parts)
    : caches_(std::make_unique<Caches>()) {
  setPlate(plate);
  PartList list;
  for (auto it = parts.rbegin(); it != parts.rend(); ++it) list.insertFront(*it);
  parts_ = std::move(list);
  keepHoleOrder(parts_, parts);
}

Layout::Layout() : caches_(std::make_unique<Caches>()) {}
Layout::Layout(Layout&&) noexcept = default;
Layout& Layout::operator=(Layout&&) noexcept = default;
Layout::~Layout() = default;

SearchMemo& Layout::searchMemo() { return caches_->searchMemo; }
PartBandsCache& Layout::partBands() { return caches_->partBands; }
MaterialCells& Layout::materialCells() { return caches_->materialCells; }
FitTestScratch& Layout::fitTestScratch() { return caches_->fitTestScratch; }

// The caches name parts of the layout they were filled for: a copy starts its own.
Layout::Layout(const Layout& other)
    : plate_(other.plate_),
      plateRect_(other.plateRect_),
      parts_(copyInOrder(other.parts_)),
      packingPointDistance_(other.packingPointDistance_),
      packingPoints_(other.packingPoints_),
      packingRows_(other.packingRows_),
      packingColumns_(other.packingColumns_),
      packingPointsDirty_(other.packingPointsDirty_),
      searchMemoEnabled_(other.searchMemoEnabled_),
      caches_(std::make_unique<Caches>()) {}

Layout& Layout::operator=(const Layout& other) {
  if (this != &other) *this = Layout(other);
  return *this;
}

void Layout::setPlate(const Plate& plate) {
  if (plate.length != plate_.length || plate.width != plate_.width) packingPointsDirty_ = true;
  plate_ = plate;
  plateRect_ = BoundingBox{0, plate.length, 0, plate.width};
}

void Layout::setPlateSize(double length, double width) {
  Plate resized = plate_;
  resized.length = length;
  resized.width = width;
  resized.area = length * width;
  setPlate(resized);
}

PlacedPart& Layout::part(std::size_t i) {
  return *std::next(parts_.begin(), static_cast<std::ptrdiff_t>(i));
}

const PlacedPart& Layout::part(std::size_t i) const {
  return *std::next(parts_.begin(), static_cast<std::ptrdiff_t>(i));
}

void Layout::place(std::size_t i, const Pose& pose) { applyPose(part(i), pose); }

void Layout::place(std::size_t i, const PlacedPart& posed) { part(i) = posed; }

void Layout::park(std::size_t i) {
  PlacedPart& parked = part(i);
  parked.translate(plateRect_.maxX - parked.box().minX, plateRect_.minY - parked.box().maxY);
}

double Layout::packingLength() const {
  bool any = false;
  double length = 0.0;
  for (const PlacedPart& member : parts_) {
    if (!isOnPlate(member)) continue;
    if (!any || member.box().maxX > length) length = member.box().maxX;
    any = true;
  }
  return length;
}

// Parts whose boxes are apart are passed over with four comparisons; only neighbours get
// polygon work. Parts parked off the plate never meet a candidate inside it.
bool Layout::fits(const PlacedPart& candidate, std::optional<std::size_t> self) const {
  ++fitTestCount_;
  if (!candidate.isInside(plateRect_)) return false;
  const BoundingBox& box = candidate.outer.box();
  std::size_t n = 0;
  for (const PlacedPart& other : parts_) {
    if (n++ == self) continue;
    if (boxesApart(box, other.outer.box())) continue;
    if (!candidate.isClearOf(other)) return false;
  }
  return true;
}

bool Layout::fitsAmongOthers(const PlacedPart& member) const {
  ++fitTestCount_;
  if (!member.isInside(plateRect_)) return false;
  const BoundingBox& box = member.outer.box();
  for (const PlacedPart& other : parts_) {
    if (&other == &member) continue;
    if (boxesApart(box, other.outer.box())) continue;
    if (!member.isClearOf(other)) return false;
  }
  return true;
}

bool Layout::fitsAmong(const PlacedPart& part, const std::vector<const PlacedPart*>& others) const {
  ++fitTestCount_;
  if (!part.isInside(plateRect_)) return false;
  const BoundingBox& box = part.outer.box();
  for (const PlacedPart* other : others) {
    if (boxesApart(box, other->outer.box())) continue;
    if (!part.isClearOf(*other)) return false;
  }
  return true;
}

Collisions Layout::collisions(const PlacedPart& candidate, double bound,
                              std::optional<std::size_t> self) const {
  Collisions found;
  auto record = [&](const Hazard& hazard) {
    found.hazards.push_back(hazard);
    found.totalDepth += hazard.depth;
    found.stoppedEarly = found.totalDepth > bound;
    return !found.stoppedEarly;
  };
  bool going = true;
  if (const auto edge = plateHazard(candidate, plateRect_)) going = record(*edge);
  std::size_t n = 0;
  for (auto it = parts_.begin(); going && it != parts_.end(); ++it, ++n) {
    if (n == self) continue;
    if (const auto hit = partHazard(candidate, *it, n)) going = record(*hit);
  }
#ifdef PLATENEST_VALIDATE
  if (found.empty() != fits(candidate, self)) std::abort();
  --fitTestCount_;
#endif
  return found;
}

Collisions Layout::collisionsAt(std::size_t i, const Pose& pose, double bound) const {
  PlacedPart moved = part(i);
  applyPose(moved, pose);
  return collisions(moved, bound, i);
}

Layout::Saved Layout::save() const {
  Saved saved;
  saved.parts_ = copyInOrder(parts_);
  return saved;
}

void Layout::restore(const Saved& saved) {
  if (saved.parts_.count() != parts_.count()) std::abort();
  parts_ = copyInOrder(saved.parts_);
}

}  // namespace platenest
