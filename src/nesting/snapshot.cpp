// Taking and putting back the state of a layout. Holes are copied element by element: a
// copy of a whole part holds its holes in reverse order, and a restored part must be the
// part that was saved, bit for bit and in the same order, or a layout from it could differ.
#include "nesting/snapshot.h"

#include <stdexcept>

#include "nesting/layout.h"

namespace platenest {

NesterSnapshot Layout::snapshot() const {
  NesterSnapshot saved;
  saved.plate = plate_;
  saved.packingPointDistance = packingPointDistance_;
  saved.packingPoints = packingPoints_;
  saved.packingRows = packingRows_;
  saved.packingColumns = packingColumns_;
  saved.packingPointsDirty = packingPointsDirty_;
  saved.parts.reserve(static_cast<std::size_t>(parts_.count()));
  for (const PlacedPart& part : parts_) {
    PartState state;
    state.id = part.id;
    state.outer = part.outer;
    state.holes.assign(part.holes.begin(), part.holes.end());
    state.label = part.label;
    state.secondLabel = part.secondLabel;
    state.figures = part.figures();
    state.selected = part.selected;
    state.mirrored = part.mirrored;
    state.refPoint = part.refPoint;
    state.rotation = part.rotation;
    saved.parts.push_back(std::move(state));
  }
  return saved;
}

void Layout::restore(const NesterSnapshot& saved) {
  if (saved.parts.size() != static_cast<std::size_t>(parts_.count())) {
    throw std::logic_error("snapshot of another job");
  }
  std::size_t i = 0;
  for (const PlacedPart& part : parts_) {
    const PartState& state = saved.parts[i++];
    if (state.id != part.id || state.holes.size() != static_cast<std::size_t>(part.holes.count())) {
      throw std::logic_error("snapshot of another job");
    }
  }
  i = 0;
  for (PlacedPart& part : parts_) {
    const PartState& state = saved.parts[i++];
    part.restoreOutlines(state.outer, state.holes, state.figures);
    part.label = state.label;
    part.secondLabel = state.secondLabel;
    part.selected = state.selected;
    part.mirrored = state.mirrored;
    part.refPoint = state.refPoint;
    part.rotation = state.rotation;
  }
  plate_ = saved.plate;
  plateRect_ = BoundingBox{0, plate_.length, 0, plate_.width};
  if (saved.packingPointDistance == packingPointDistance_) {
    packingPoints_ = saved.packingPoints;
    packingRows_ = saved.packingRows;
    packingColumns_ = saved.packingColumns;
    packingPointsDirty_ = saved.packingPointsDirty;
  } else {
    packingPointsDirty_ = true;
  }
}

}  // namespace platenest
