// The layout's poses, its fit test and its collision query. Both questions go through
// partHazard and plateHazard, so they cannot disagree; a validation build checks it anyway.
#include "nesting/layout.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "nesting/overlap.h"

namespace platenest {

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

// Copies of parts (here, in clone and in save) hold their holes in reverse order, as every
// copy of a hole list does; no question a layout answers depends on that order.
Layout::Layout(const Plate& plate, const PartList& parts) {
  setPlate(plate);
  for (const PlacedPart& part : parts) parts_.push_back(part);
}

Layout::Layout(const Plate& plate, std::vector<PlacedPart> parts) : parts_(std::move(parts)) {
  setPlate(plate);
}

void Layout::setPlate(const Plate& plate) {
  plate_ = plate;
  plateRect_ = BoundingBox{0, plate.length, 0, plate.width};
}

std::size_t Layout::add(const PlacedPart& part) {
  parts_.push_back(part);
  return parts_.size() - 1;
}

void Layout::place(std::size_t i, const Pose& pose) { applyPose(parts_[i], pose); }

void Layout::place(std::size_t i, const PlacedPart& posed) { parts_[i] = posed; }

void Layout::park(std::size_t i) {
  PlacedPart& part = parts_[i];
  part.translate(plateRect_.maxX - part.box.minX, plateRect_.minY - part.box.maxY);
}

bool Layout::isOnPlate(std::size_t i) const { return parts_[i].isInside(plateRect_); }

bool Layout::fits(const PlacedPart& candidate, std::optional<std::size_t> self) const {
  if (plateHazard(candidate, plateRect_)) return false;
  for (std::size_t n = 0; n < parts_.size(); ++n) {
    if (n == self) continue;
    if (partHazard(candidate, parts_[n], n)) return false;
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
  for (std::size_t n = 0; going && n < parts_.size(); ++n) {
    if (n == self) continue;
    if (const auto hit = partHazard(candidate, parts_[n], n)) going = record(*hit);
  }
#ifdef PLATENEST_VALIDATE
  if (found.empty() != fits(candidate, self)) std::abort();
#endif
  return found;
}

Collisions Layout::collisionsAt(std::size_t i, const Pose& pose, double bound) const {
  PlacedPart moved = parts_[i];
  applyPose(moved, pose);
  return collisions(moved, bound, i);
}

Layout::Saved Layout::save() const {
  Saved saved;
  saved.parts_ = parts_;
  return saved;
}

void Layout::restore(const Saved& saved) {
  if (saved.parts_.size() != parts_.size()) std::abort();
  parts_ = saved.parts_;
}

}  // namespace platenest
