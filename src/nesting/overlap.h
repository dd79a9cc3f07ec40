// The box rules of the overlap tests, and the fit test of trial copies that are never moved:
// the search asks whether a trial orientation would fit moved by (dx, dy).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/point.h"
#include "nesting/material_cells.h"
#include "nesting/fit_test_scratch.h"
#include "nesting/layout.h"
#include "nesting/part_bands.h"
#include "job/placed_part.h"
#include "nesting/trial_variants.h"

namespace platenest {

// Tolerance of the plate-rectangle test: a part flush with the plate edge is on the plate.
inline constexpr double kInsideTolerance = 1e-10;
// Boxes closer than this count as apart: grid placement and contact slides leave parts
// touching, and touching parts must not count as overlapping.
inline constexpr double kApartTolerance = 1e-5;

// Along one axis, the high end `high` of a span lies below `limitHigh` or within 1e-10 of it,
// and the low end `low` above `limitLow` or within 1e-10 of it.
inline bool highEndInside(double high, double limitHigh) {
  return limitHigh > high || std::fabs(limitHigh - high) < kInsideTolerance;
}
inline bool lowEndInside(double low, double limitLow) {
  return limitLow < low || std::fabs(limitLow - low) < kInsideTolerance;
}

// The box b lies inside the rectangle r, each side with a tolerance of 1e-10.
inline bool boxInside(const BoundingBox& b, const BoundingBox& r) {
  return highEndInside(b.maxX, r.maxX) && lowEndInside(b.minX, r.minX) &&
         highEndInside(b.maxY, r.maxY) && lowEndInside(b.minY, r.minY);
}

// Positions [first, end) of a list.
struct IndexRange {
  std::size_t first = 0;
  std::size_t end = 0;
  bool holds(std::size_t i) const { return i >= first && i < end; }
};

// The positions p of `coordinates` (never decreasing) where the span [low, high] moved by
// coordinates[p] - anchor keeps within [limitLow, limitHigh] as boxInside judges one axis of a
// moved box, with the same arithmetic. They form one range: moving further only ever takes
// the high end out and brings the low end in, and rounding keeps that order.
IndexRange rangeInside(const std::vector<double>& coordinates, double anchor, double low,
                       double high, double limitLow, double limitHigh);

// The boxes are apart or touch within 1e-5: parts with such outer boxes are clear.
inline bool boxesApart(const BoundingBox& a, const BoundingBox& o) {
  return a.minX > o.maxX || std::fabs(a.minX - o.maxX) < kApartTolerance || a.maxX < o.minX ||
         std::fabs(a.maxX - o.minX) < kApartTolerance || a.minY > o.maxY ||
         std::fabs(a.minY - o.maxY) < kApartTolerance || o.minY > a.maxY ||
         std::fabs(a.maxY - o.minY) < kApartTolerance;
}

// False when the part's box keeps so far outside the plate that it can never meet a
// candidate on the plate: a candidate's box reaches at most 1e-10 beyond the plate, and boxes
// within 1e-5 of each other count as apart.
inline bool mayMeetCandidates(const PlacedPart& part, const BoundingBox& plate) {
  constexpr double kFarFromPlate = 1e-6;
  const BoundingBox& b = part.outer.box();
  return !(b.minX >= plate.maxX - kFarFromPlate || b.maxX <= plate.minX + kFarFromPlate ||
           b.minY >= plate.maxY - kFarFromPlate || b.maxY <= plate.minY + kFarFromPlate);
}

// The fit test of the search: the trial orientations of one part moved to grid points, against
// the parts on the plate, which do not move while it lives. In order: the plate, the map of
// deep material (one look-up settles most overlapping candidates), the part that blocked a
// candidate nearby, then the parts filed in the cells the candidate's box covers. Polygon work
// runs on band-filed outlines; the trial copies are never moved vertex by vertex.
class CandidateFitTest {
 public:
  // `material`, when given, is brought up to the parts on the plate and consulted first.
  // `scratch`, when given, lends its storage (the layout keeps one from search to search).
  CandidateFitTest(const Layout& layout, const std::vector<TrialVariant>& variants,
                   PartBandsCache& cache, MaterialCells* material = nullptr,
                   FitTestScratch* scratch = nullptr);
  // The tests made are added to the layout's count.
  ~CandidateFitTest() { layout_.countFitTests(tests_); }
  CandidateFitTest(const CandidateFitTest&) = delete;
  CandidateFitTest& operator=(const CandidateFitTest&) = delete;

  // Exactly layout.fits(a copy of variant k moved by (dx, dy)).
  // `blocker`, when given, names a part that blocked a candidate near this one before, as its
  // place in the part list plus one (0: none); it is tested first (any part is a fair first
  // test: the answer needs all of them) and receives the part that blocks this candidate.
  bool fits(std::size_t k, double dx, double dy, std::uint16_t* blocker = nullptr);

  // fits, not counted among the tests made: for the validation build's checks.
  bool fitsUncounted(std::size_t k, double dx, double dy) {
    const bool fit = fits(k, dx, dy);
    --tests_;
    return fit;
  }

  // A quick look before the whole test: the vertex of variant k last found deep inside a part
  // lies, moved by (dx, dy), deep inside a part again. The candidate then does not fit (a
  // variant with holes is left to the whole test).
  bool quicklyBlocked(std::size_t k, double dx, double dy) {
    if (material_ == nullptr) return false;
    const PartBands& candidate = s_.variantBands[k];
    const std::size_t witness = s_.deepWitness[k];
    if (!candidate.holes.empty() || witness >= candidate.outer.vertexCount()) return false;
    const PolygonBands::Vertex& v = candidate.outer.vertex(witness);
    const std::uint32_t owner = material_->partAt(v.x + dx, v.y + dy);
    if (owner == 0) return false;
    ++tests_;
    return true;
  }

 private:
  bool clearOf(std::size_t k, double dx, double dy, std::size_t obstacle);
  // A vertex of variant k moved by (dx, dy) lies deep inside a part that it cannot be clear
  // of; that part's slot plus one goes to `blocker`.
  [[gnu::always_inline]] bool deepInsideAPart(std::size_t k, double dx, double dy,
                                              std::uint16_t* blocker);
  // Parts from this place in the list on are not named in `blocker` (0 instead).
  static constexpr std::uint32_t kMaxHint = 0xFFFF;

  const Layout& layout_;
  const BoundingBox plate_;
  std::uint64_t tests_ = 0;
  const std::vector<TrialVariant>& variants_;
  PartBandsCache& cache_;
  MaterialCells* material_ = nullptr;
  FitTestScratch own_;  // used when no scratch is lent
  FitTestScratch& s_;
};

}  // namespace platenest
