// Cells of a grid over the plate that lie deep inside the material of a part on the plate:
// inside its outline and outside its holes, every point of the cell at least kDepth from
// every edge. A trial copy with a vertex in such a cell overlaps that part (unless the part
// lies wholly in a hole of the copy), so the search rejects it with one look-up instead of
// polygon tests. Kept from search to search; parts are added as they are placed, and the map
// is drawn afresh when a part on it has moved or left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/point.h"
#include "nesting/part_bands.h"
#include "job/placed_part.h"

namespace platenest {

class MaterialCells {
 public:
  // How deep inside a part a cell must lie: far above the rounding of any test, and above the
  // 1e-5 within which boxes count as apart, so a part holding a vertex this deep always meets
  // the candidate in the box rule.
  static constexpr double kDepth = 1e-3;

  // Brings the map up to the parts that can meet a candidate on `plate`: part n, kept under
  // `slots[n]` (its place in the part list; slots ascend), with its bands `bands[n]` of version
  // `versions[n]`. A new map gets cells in proportion to `jobParts`, the parts of the whole job.
  void update(const BoundingBox& plate, std::size_t jobParts,
              const std::vector<std::uint32_t>& slots, const std::vector<std::uint64_t>& versions,
              const std::vector<const PartBands*>& bands);

  // The part (its slot plus one) whose material holds the point deep inside, or 0.
  std::uint32_t partAt(double x, double y) const {
    const double u = (x - x0_) * cellsPerUnit_, v = (y - y0_) * cellsPerUnit_;
    if (!(u >= 0 && v >= 0 && u < columnsAsDouble_ && v < rowsAsDouble_)) return 0;
    const std::size_t cell = static_cast<std::size_t>(u) * rows_ + static_cast<std::size_t>(v);
    return wide_ ? wideOwner_[cell] : narrowOwner_[cell];
  }

  void clear();
  // The side of a cell; 0 when there is no map.
  double cellSize() const { return cellCount_ == 0 ? 0.0 : cell_; }

 private:
  void draw(std::uint32_t slot, const PartBands& bands);

  BoundingBox plate_{};
  double x0_ = 0, y0_ = 0, cell_ = 0, cellsPerUnit_ = 0;
  std::size_t columns_ = 0, rows_ = 0;
  double columnsAsDouble_ = 0, rowsAsDouble_ = 0;
  // Per cell, column after column: slot + 1, or 0; in one byte for jobs of fewer than 255
  // parts (the map is then half the fresh memory), else in two. Parts whose slot + 1 does not
  // fit are not drawn (they are tested as usual).
  std::size_t cellCount_ = 0;
  bool wide_ = false;
  std::uint32_t maxOwner_ = 0;
  std::vector<std::uint8_t> narrowOwner_;
  std::vector<std::uint16_t> wideOwner_;
  struct Drawn {
    std::uint32_t slot;
    std::uint64_t version;
  };
  std::vector<Drawn> drawn_;            // by slot
  std::vector<Drawn> current_;          // scratch for update
  std::vector<std::uint8_t> nearEdge_;  // scratch for draw
};

}  // namespace platenest
