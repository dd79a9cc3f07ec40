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
#include "nesting/nester.h"
#include "nesting/part_bands.h"
#include "nesting/placed_part.h"
#include "nesting/trial_variants.h"

namespace platenest {

// Tolerance of the plate-rectangle test: a part flush with the plate edge is on the plate.
inline constexpr double kInsideTolerance = 1e-10;
// Boxes closer than this count as apart: grid placement and contact slides leave parts
// touching, and touching parts must not count as overlapping.
inline constexpr double kApartTolerance = 1e-5;

// The box b lies inside the rectangle r, each side with a tolerance of 1e-10.
inline bool boxInside(const BoundingBox& b, const BoundingBox& r) {
  auto beyondOrNear = [](double value, double limit, bool greater) {
    return (greater ? value > limit : value < limit) || std::fabs(value - limit) < kInsideTolerance;
  };
  return beyondOrNear(r.maxX, b.maxX, true) && beyondOrNear(r.minX, b.minX, false) &&
         beyondOrNear(r.maxY, b.maxY, true) && beyondOrNear(r.minY, b.minY, false);
}

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
bool mayMeetCandidates(const PlacedPart& part, const BoundingBox& plate);

// The parts a candidate on the plate can meet, filed in cells over the plate by their boxes:
// a box meets only parts filed in the cells it covers. Cells are found by a function that
// never decreases with the coordinate, so two boxes that share a point share a cell; a part
// filed in several cells the box covers is offered once, in the first of them.
class ObstacleCells {
 public:
  void build(const std::vector<BoundingBox>& boxes, const BoundingBox& plate);
  // Calls visit(index) for every box of `boxes` that may not be apart from `box` (a box
  // without NaN); stops and returns false as soon as visit does.
  template <typename Visit>
  bool forEachNear(const BoundingBox& box, Visit&& visit) const;

 private:
  static constexpr std::size_t kMaxCellsPerSide = 256;
  struct Cell {
    std::uint32_t column = 0, row = 0;
  };
  std::size_t column(double x) const;
  std::size_t row(double y) const;

  std::size_t columns_ = 1, rows_ = 1;
  double x0_ = 0, y0_ = 0, columnsPerUnit_ = 0, rowsPerUnit_ = 0;
  std::vector<std::uint32_t> cellStart_;  // columns_ * rows_ + 1 offsets into cellItems_
  std::vector<std::uint32_t> cellItems_;
  std::vector<Cell> first_;               // per box, its lowest cell
  std::vector<std::uint32_t> unbounded_;  // boxes with NaN: offered to every box
};

template <typename Visit>
bool ObstacleCells::forEachNear(const BoundingBox& box, Visit&& visit) const {
  for (const std::uint32_t n : unbounded_) {
    if (!visit(n)) return false;
  }
  const std::size_t c0 = column(box.minX), c1 = column(box.maxX);
  const std::size_t r0 = row(box.minY), r1 = row(box.maxY);
  for (std::size_t c = c0; c <= c1; ++c) {
    for (std::size_t r = r0; r <= r1; ++r) {
      const std::size_t cell = c * rows_ + r;
      for (std::uint32_t i = cellStart_[cell]; i < cellStart_[cell + 1]; ++i) {
        const std::uint32_t n = cellItems_[i];
        const Cell& first = first_[n];
        if (std::max<std::size_t>(first.column, c0) != c ||
            std::max<std::size_t>(first.row, r0) != r) {
          continue;
        }
        if (!visit(n)) return false;
      }
    }
  }
  return true;
}

// The fit test of the search: the trial orientations of one part moved to grid points, against
// the parts on the plate, which do not move while it lives. In order: the plate, the map of
// deep material (one look-up settles most overlapping candidates), the part that blocked a
// candidate nearby, then the parts filed in the cells the candidate's box covers. Polygon work
// runs on band-filed outlines; the trial copies are never moved vertex by vertex.
class CandidateFitTest {
 public:
  // `material`, when given, is brought up to the parts on the plate and consulted first.
  CandidateFitTest(const Nester& nester, const std::vector<TrialVariant>& variants,
                   PartBandsCache& cache, MaterialCells* material = nullptr);

  // Exactly nester.fits(a copy of variant k moved by (dx, dy)).
  // `blocker`, when given, names a part that blocked a candidate near this one before, as its
  // place in the part list plus one (0: none); it is tested first (any part is a fair first
  // test: the answer needs all of them) and receives the part that blocks this candidate.
  bool fits(std::size_t k, double dx, double dy, std::uint16_t* blocker = nullptr);

 private:
  bool clearOf(std::size_t k, double dx, double dy, std::size_t obstacle);
  // A vertex of variant k moved by (dx, dy) lies deep inside a part that it cannot be clear
  // of; that part's slot plus one goes to `blocker`.
  bool deepInsideAPart(std::size_t k, double dx, double dy, std::uint16_t* blocker);
  // Parts from this place in the list on are not named in `blocker` (0 instead).
  static constexpr std::uint32_t kMaxHint = 0xFFFF;

  const Nester& nester_;
  const std::vector<TrialVariant>& variants_;
  PartBandsCache& cache_;
  std::vector<PartBands> variantBands_;
  std::vector<std::size_t> witness_;  // per variant: the vertex last found inside a part
  std::vector<BoundingBox> boxes_;    // per obstacle
  std::vector<const PlacedPart*> parts_;
  std::vector<std::uint32_t> slots_;
  std::vector<const PartBands*> bands_;  // null until first needed (all set with a map)
  std::vector<std::int32_t> obstacleOfSlot_;
  ObstacleCells cells_;
  MaterialCells* material_ = nullptr;
  std::vector<std::size_t> deepWitness_;  // per variant: the vertex last found deep inside
};

}  // namespace platenest
