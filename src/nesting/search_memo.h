// Remembers which grid candidates of a part shape were found blocked, so that the next part
// of exactly the same shape skips them without a fit test.
//
// Why it is exact: within one layout command parts are only ever added to the plate, so a
// candidate that did not fit (outside the plate, or overlapping a part) still does not fit
// later, and a part whose trial copies are bit for bit the same meets the same candidates.
// Two guards keep that true: the memo lives only for one layout command and one grid, and
// before every search it checks that no part that could meet a candidate on the plate has
// moved or changed since it was last seen (a part laid out again, an edit); if one has, it
// forgets all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/point.h"
#include "job/placed_part.h"
#include "job/part_lists.h"

namespace platenest {

struct TrialVariant;

class SearchMemo {
 public:
  // The blocked candidates of one trial set: for each variant, one bit per grid point.
  class Entry {
   public:
    bool isBlocked(std::size_t point, std::size_t variant) const {
      const std::size_t bit = variant * bitsPerVariant_ + point;
      return (blocked_[bit >> 6] >> (bit & 63)) & 1U;
    }
    // setBlocked without working out whether the point is now exhausted, for the search that
    // reads the variants' bits a column at a time and never the exhausted ones.
    void setBlockedBit(std::size_t point, std::size_t variant) {
      const std::size_t bit = variant * bitsPerVariant_ + point;
      blocked_[bit >> 6] |= std::uint64_t{1} << (bit & 63);
    }
    void setBlocked(std::size_t point, std::size_t variant) {
      setBlockedBit(point, variant);
      // Variants are tried in order, so a later one is the likeliest to be still open.
      for (std::size_t k = variant + 1; k < variantCount_; ++k) {
        if (!isBlocked(point, k)) return;
      }
      for (std::size_t k = 0; k < variant; ++k) {
        if (!isBlocked(point, k)) return;
      }
      setExhausted(point);
    }
    // A point is exhausted once every variant there is blocked: the scan passes over it, as
    // over an occupied point, without looking at its variants.
    bool isExhausted(std::size_t point) const {
      return !exhausted_.empty() && ((exhausted_[point >> 6] >> (point & 63)) & 1U) != 0;
    }
    void setExhausted(std::size_t point) {
      exhaustedWords();
      exhausted_[point >> 6] |= std::uint64_t{1} << (point & 63);
    }
    // One bit per grid point, set when exhausted (the scan passes over them with nextClearBit).
    // Taken only when first asked for: the search along columns never does.
    const std::vector<std::uint64_t>& exhaustedWords() {
      if (exhausted_.empty()) exhausted_.assign(bitsPerVariant_ >> 6, 0);
      return exhausted_;
    }
    // The blocked bits of one variant, one per grid point, 64 to a word, as the grid's
    // occupied bits: the scan reads both a word at a time.
    const std::uint64_t* blockedWords(std::size_t variant) const {
      return blocked_.data() + variant * (bitsPerVariant_ >> 6);
    }

   private:
    friend class SearchMemo;
    std::vector<double> key_;  // the trial copies' geometry and anchor, bit for bit
    std::uint64_t hash_ = 0;
    std::size_t variantCount_ = 0;
    std::size_t bitsPerVariant_ = 0;  // grid points rounded up to whole words
    std::vector<std::uint64_t> blocked_;
    std::vector<std::uint64_t> exhausted_;  // one bit per grid point
  };

  // Kinds of trial set: the same geometry tried as a part and as a rectangle never share.
  enum class Kind { kRotations, kTurned, kRectangles };

  // The memo works only between begin() and end() of a layout command.
  void begin();
  void end();
  bool active() const { return active_; }
  // Forgets everything (a new grid, a part moved).
  void clear();

  // Per grid point, the part that last blocked a candidate there, as its place in the part
  // list plus one (0 when none yet, or beyond 65535): the fit test tries it first. Empty when
  // the memo is not active.
  std::vector<std::uint16_t>& blockers(std::size_t gridPoints);

  // The entry for this trial set, made empty when new; null when the memo is not active.
  // `parts` and `plate` are checked first for moved parts (see above).
  Entry* entryFor(Kind kind, const std::vector<TrialVariant>& variants, const Point& anchor,
                  std::size_t gridPoints, const PartList& parts, const BoundingBox& plate);

 private:
  // A part that could meet a candidate, known by its outline's revision: any change to the
  // outline gives it a new one.
  struct Seen {
    const PlacedPart* part;
    std::uint64_t revision;
  };
  void checkForMovedParts(const PartList& parts, const BoundingBox& plate);

  bool active_ = false;
  std::vector<Entry> entries_;
  std::size_t blockedWords_ = 0;
  std::vector<Seen> seen_;
  std::vector<std::uint16_t> blockers_;
  std::vector<double> key_;  // the key of the trial set being looked up
};

}  // namespace platenest
