// The band-filed outlines of parts for the fit tests of the placement search: one set per
// trial orientation of the part being placed, and one per part on the plate, kept from search
// to search and rebuilt only for a part whose outline has changed since.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/polygon_bands.h"
#include "job/placed_part.h"

namespace platenest {

struct PartBands {
  PolygonBands outer;
  std::vector<PolygonBands> holes;
  // Spans the holes' boxes: a polygon reaching beyond it lies in no hole.
  BoundingBox holesBox;
  // Differs after every build, so that what was derived from the bands can tell.
  std::uint64_t version = 0;

  void build(const PlacedPart& part);
  // The part's outer and holes are those the bands were built from, in the same order.
  bool builtFrom(const PlacedPart& part) const;
};

class PartBandsCache {
 public:
  // The bands of `part`, kept under `slot` (its place in the part list): the same as
  // building them afresh, since a changed outline is seen and built again.
  // Slots below `slotCount` then exist, so that bands handed out stay where they are while
  // further slots are asked for.
  void reserve(std::size_t slotCount);
  const PartBands& of(std::size_t slot, const PlacedPart& part);
  // The outer's vertexSpan of the bands last handed out for `slot`.
  const BoundingBox& spanOf(std::size_t slot) const { return stamps_[slot].span; }
  // The version of the bands last handed out for `slot`.
  std::uint64_t versionOf(std::size_t slot) const { return stamps_[slot].version; }
  void clear() {
    slots_.clear();
    stamps_.clear();
  }

 private:
  // What the bands of a slot were built from, side by side for all slots: a part without holes
  // whose outline is unchanged is known by these alone, without reaching into its bands.
  struct Stamp {
    std::uint64_t outerRevision = 0;
    std::uint64_t version = 0;
    bool holes = false;
    BoundingBox span{};
  };
  std::vector<PartBands> slots_;
  std::vector<Stamp> stamps_;
};

}  // namespace platenest
