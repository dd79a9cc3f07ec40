// Storage of the search's fit test, kept by the nester from search to search: once it has
// grown to the job a search allocates nothing, and fresh memory is dear (every new page is a
// fault to the system). Also the parts a candidate can meet, filed in cells by their boxes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/point.h"
#include "nesting/part_bands.h"
#include "job/placed_part.h"

namespace platenest {

// Makes room for n elements, at least doubling the room when it must grow: a list that grows
// by one part per search then takes fresh memory a few times, not at every search (assign
// alone allocates exactly what it is given).
template <typename T>
void reserveAmply(std::vector<T>& v, std::size_t n) {
  if (v.capacity() < n) v.reserve(std::max(n, 2 * v.capacity()));
}

// The parts a candidate on the plate can meet, filed in cells over the plate by their boxes:
// a box meets only parts filed in the cells it covers. Cells are found by a function that
// never decreases with the coordinate, so two boxes that share a point share a cell; a part
// filed in several cells the box covers is offered once, in the first of them.
class ObstacleCells {
 public:
  void build(const std::vector<BoundingBox>& boxes, const BoundingBox& plate);
  // As build, for boxes named by `keys`. When the boxes filed last time lead the new ones
  // with the same keys and bit for bit the same boxes on the same plate (a layout adds parts
  // one by one), the few new boxes are only listed, to be offered to every box; the cells
  // are built afresh once that list grows long or anything else changed.
  void refile(const std::vector<BoundingBox>& boxes, const std::vector<std::uint32_t>& keys,
              const BoundingBox& plate);
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
  std::vector<std::uint32_t> fill_;       // scratch for build
  // What refile filed: the keys and boxes, the plate, and how many of them are in cells (the
  // rest are listed).
  std::vector<std::uint32_t> filedKeys_;
  std::vector<BoundingBox> filedBoxes_;
  BoundingBox filedPlate_{};
  std::size_t inCells_ = 0;
  std::size_t listed_ = 0;  // boxes from inCells_ on, offered to every box
};

template <typename Visit>
bool ObstacleCells::forEachNear(const BoundingBox& box, Visit&& visit) const {
  for (const std::uint32_t n : unbounded_) {
    if (!visit(n)) return false;
  }
  for (std::size_t n = inCells_; n < inCells_ + listed_; ++n) {
    if (!visit(static_cast<std::uint32_t>(n))) return false;
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

// What a CandidateFitTest fills for its search.
struct FitTestScratch {
  std::vector<PartBands> variantBands;
  std::vector<BoundingBox> variantBoxes;  // per variant, its outer's box
  std::vector<std::size_t> witness;  // per variant: the vertex last found inside a part
  std::vector<BoundingBox> boxes;    // per obstacle
  std::vector<const PlacedPart*> parts;
  std::vector<std::uint32_t> slots;
  std::vector<const PartBands*> bands;  // null until first needed (all set with a map)
  std::vector<BoundingBox> spans;       // per obstacle, its outer's vertexSpan (with a map)
  std::vector<std::uint64_t> versions;  // per obstacle, the version of its bands (with a map)
  std::vector<std::int32_t> obstacleOfSlot;
  ObstacleCells cells;
  std::vector<std::size_t> deepWitness;  // per variant: the vertex last found deep inside
};

}  // namespace platenest
