// The strip search's one door into the engine: the parts it may move, their allowed
// orientations, poses made the engine's way, the exact fit test and the layout's figures. The
// search itself sees parts only as numbered items with orientations and offsets.
#pragma once

#include <cstddef>
#include <vector>

#include "job/placed_part.h"
#include "nesting/layout.h"
#include "nesting/nester.h"
#include "nesting/snapshot.h"
#include "nesting/trial_variants.h"

namespace platenest {

// A clone of the job's layout of its own, the parts off the plate at the start parked where
// nothing meets them; the job is only read. Item i is the i-th part that was on the plate.
class StripEngine {
 public:
  StripEngine(const Nester& job, const NesterSnapshot& layout, const std::vector<bool>& movable);
  StripEngine(const StripEngine&) = delete;
  StripEngine& operator=(const StripEngine&) = delete;

  std::size_t itemCount() const { return items_.size(); }
  double plateLength() const { return fullLength_; }
  double plateWidth() const { return layout_.plateWidth(); }

  // The allowed orientations of item i (the job's RN turns, turned over where allowed) about
  // the pose it had at the start, not yet moved; variant 0 is that pose.
  std::size_t variantCount(std::size_t item) const { return items_[item].variants.size(); }
  const PlacedPart& variant(std::size_t item, std::size_t k) const {
    return items_[item].variants[k].part;
  }
  // A point of variant 0 of item i carried to variant k by the same turn (a rigid motion).
  Point carried(std::size_t item, std::size_t k, const Point& p) const;
  // The item as it lies now.
  const PlacedPart& placed(std::size_t item) const { return *items_[item].part; }
  // Puts item i at variant k moved by (dx, dy), bit for bit as a moved copy would be.
  void place(std::size_t item, std::size_t k, double dx, double dy);
  // Makes `scratch` variant k of item i moved by (dx, dy).
  void pose(PlacedPart& scratch, std::size_t item, std::size_t k, double dx, double dy) const {
    scratch.assignTranslated(items_[item].variants[k].part, dx, dy);
  }

  // The engine's own pair test, as its fit test makes it: the boxes apart (within its
  // tolerance) or the outlines clear (either may lie in a hole of the other; the test looks
  // both ways, so the order of the two does not matter).
  static bool clear(const PlacedPart& a, const PlacedPart& b);
  // The engine's plate test on a strip of the given length.
  bool insideStrip(const BoundingBox& box, double length) const;
  // Every item passes the exact fit test among all the parts on the whole plate, and none
  // reaches beyond `length`.
  bool feasible(double length) const;
  // The longest x any item reaches (working outlines).
  double packingLength() const;

  NesterSnapshot snapshot() const;
  void restore(const NesterSnapshot& layout);
  LayoutStatistics statistics() const { return layoutStatistics(job_, layout_); }

 private:
  struct Item {
    PlacedPart* part = nullptr;
    std::vector<TrialVariant> variants;
    Point centre;  // the variants' turns are about it
  };
  const Nester& job_;
  Layout layout_;
  std::vector<Item> items_;
  double fullLength_ = 0.0;
};

}  // namespace platenest
