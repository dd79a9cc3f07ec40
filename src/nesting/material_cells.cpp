// Drawing a part into the map. A cell is drawn when no edge of the part's outline or holes
// comes within kDepth of it (widened by kSlack for the rounding of cell borders and of the
// look-up), when it lies kDepth inside the part's box, and when a point of its region is
// inside the outline and in no hole. Every point of such a cell is then inside by the ray
// cast too: a point that far from every edge lies far beyond the rounding of the crossing
// abscissa, and the parity cannot change within a region that no edge reaches.
//
// Cells near an edge are found column by column: over the column widened by the margin the
// edge reaches a range of heights, and the rows of that range widened by the margin are near.
#include "nesting/material_cells.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

namespace platenest {

namespace {

// Cells over the plate: some hundreds for each part of the job, so that a part holds many,
// and few enough for the map to stay small.
constexpr double kCellsPerPart = 512;
constexpr double kMinCells = 4096;
constexpr double kMaxCells = 65536;
constexpr std::size_t kMaxCellsPerSide = 4096;
// Far above the rounding of coordinates below 1e7, far below a cell.
constexpr double kSlack = 1e-6;
constexpr double kMaxCoordinate = 1e7;

bool sameBits(const BoundingBox& a, const BoundingBox& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

void MaterialCells::clear() {
  plate_ = BoundingBox{};
  columns_ = rows_ = 0;
  columnsAsDouble_ = rowsAsDouble_ = 0;
  cellCount_ = 0;
  narrowOwner_.clear();
  wideOwner_.clear();
  drawn_.clear();
}

void MaterialCells::update(const BoundingBox& plate, std::size_t jobParts,
                           const std::vector<std::uint32_t>& slots,
                           const std::vector<std::uint64_t>& versions,
                           const std::vector<const PartBands*>& bands) {
  if (!sameBits(plate, plate_) || cellCount_ == 0) {
    clear();
    plate_ = plate;
    const double length = plate.maxX - plate.minX, width = plate.maxY - plate.minY;
    const double extent = std::max({std::fabs(plate.minX), std::fabs(plate.maxX),
                                    std::fabs(plate.minY), std::fabs(plate.maxY)});
    if (!(length > 0 && width > 0 && extent <= kMaxCoordinate)) return;  // no map
    const double cells =
        std::clamp(kCellsPerPart * static_cast<double>(jobParts), kMinCells, kMaxCells);
    cell_ = std::sqrt(length * width / cells);
    const double columns = std::ceil(length / cell_), rows = std::ceil(width / cell_);
    if (!(columns <= kMaxCellsPerSide && rows <= kMaxCellsPerSide)) {
      cell_ = std::max(length, width) / static_cast<double>(kMaxCellsPerSide);
    }
    columns_ = std::clamp<std::size_t>(static_cast<std::size_t>(std::ceil(length / cell_)), 1,
                                       kMaxCellsPerSide);
    rows_ = std::clamp<std::size_t>(static_cast<std::size_t>(std::ceil(width / cell_)), 1,
                                    kMaxCellsPerSide);
    x0_ = plate.minX;
    y0_ = plate.minY;
    cellsPerUnit_ = 1 / cell_;
    columnsAsDouble_ = static_cast<double>(columns_);
    rowsAsDouble_ = static_cast<double>(rows_);
    cellCount_ = columns_ * rows_;
    wide_ = jobParts >= std::numeric_limits<std::uint8_t>::max();
    if (wide_) {
      maxOwner_ = std::numeric_limits<std::uint16_t>::max() - 1;
      wideOwner_.assign(cellCount_, 0);
    } else {
      maxOwner_ = std::numeric_limits<std::uint8_t>::max() - 1;
      narrowOwner_.assign(cellCount_, 0);
    }
  }
  if (cellCount_ == 0) return;

  // Every part drawn must still be here with the same outline; otherwise start afresh.
  std::vector<Drawn>& current = current_;
  current.resize(slots.size());
  for (std::size_t n = 0; n < slots.size(); ++n) current[n] = Drawn{slots[n], versions[n]};
  std::size_t here = 0;
  bool stale = false;
  for (const Drawn& drawn : drawn_) {
    while (here < current.size() && current[here].slot < drawn.slot) ++here;
    if (here == current.size() || current[here].slot != drawn.slot ||
        current[here].version != drawn.version) {
      stale = true;
      break;
    }
  }
  if (stale) {
    std::fill(narrowOwner_.begin(), narrowOwner_.end(), 0);
    std::fill(wideOwner_.begin(), wideOwner_.end(), 0);
    drawn_.clear();
  }
  std::size_t old = 0;
  for (std::size_t n = 0; n < current.size(); ++n) {
    while (old < drawn_.size() && drawn_[old].slot < current[n].slot) ++old;
    if (old < drawn_.size() && drawn_[old].slot == current[n].slot) continue;
    if (slots[n] >= maxOwner_) continue;
    draw(slots[n], *bands[n]);
  }
  drawn_.swap(current);
}

void MaterialCells::draw(std::uint32_t slot, const PartBands& bands) {
  // Outlines with numbers beyond the reach of the margins (or not numbers) are left out.
  if (!bands.outer.moderate()) return;
  for (const PolygonBands& hole : bands.holes) {
    if (!hole.moderate()) return;
  }
  const BoundingBox& box = bands.outer.box();
  const double lowX = box.minX + kDepth, highX = box.maxX - kDepth;
  const double lowY = box.minY + kDepth, highY = box.maxY - kDepth;
  if (!(lowX < highX && lowY < highY)) return;
  auto cellLow = [&](double origin, std::size_t i) {
    return origin + static_cast<double>(i) * cell_ - kSlack;
  };
  auto cellHigh = [&](double origin, std::size_t i) {
    return origin + static_cast<double>(i + 1) * cell_ + kSlack;
  };
  // The cells wholly inside the shrunk box, first and last of each direction.
  auto span = [&](double origin, double low, double high, std::size_t count, std::size_t& first,
                  std::size_t& last) {
    const double from = std::floor((low - origin) * cellsPerUnit_);
    if (!(from < static_cast<double>(count))) return false;
    first = from > 0 ? static_cast<std::size_t>(from) : 0;
    while (first < count && cellLow(origin, first) < low) ++first;
    const double to = std::floor((high - origin) * cellsPerUnit_);
    if (!(to >= 0)) return false;
    last = std::min(count - 1, static_cast<std::size_t>(to));
    while (last + 1 > first && cellHigh(origin, last) > high) {
      if (last == 0) return false;
      --last;
    }
    return first <= last;
  };
  std::size_t c0 = 0, c1 = 0, r0 = 0, r1 = 0;
  if (!span(x0_, lowX, highX, columns_, c0, c1) || !span(y0_, lowY, highY, rows_, r0, r1)) return;
  const std::size_t height = r1 - r0 + 1;
  nearEdge_.assign((c1 - c0 + 1) * height, 0);

  const double margin = kDepth + 2 * kSlack;
  // The cell index of a coordinate, clamped to [first, last] of the window.
  auto index = [&](double origin, double value, std::size_t first, std::size_t last) {
    const double t = std::floor((value - origin) * cellsPerUnit_);
    if (!(t > static_cast<double>(first))) return first;
    if (!(t < static_cast<double>(last))) return last;
    return static_cast<std::size_t>(t);
  };
  auto markNear = [&](const PolygonBands& polygon) {
    const std::size_t n = polygon.vertexCount();
    for (std::size_t i = 0; i < n; ++i) {
      const PolygonBands::Vertex& a = polygon.vertex(i);
      const PolygonBands::Vertex& b = polygon.vertex(i + 1);
      const double left = std::min(a.x, b.x), right = std::max(a.x, b.x);
      const double bottom = std::min(a.y, b.y), top = std::max(a.y, b.y);
      if (right + margin < cellLow(x0_, c0) || left - margin > cellHigh(x0_, c1) ||
          top + margin < cellLow(y0_, r0) || bottom - margin > cellHigh(y0_, r1)) {
        continue;  // the edge keeps away from the window
      }
      const std::size_t cFirst = index(x0_, left - margin, c0, c1);
      const std::size_t cLast = index(x0_, right + margin, c0, c1);
      for (std::size_t c = cFirst; c <= cLast; ++c) {
        const double from = std::max(left, cellLow(x0_, c) - margin);
        const double to = std::min(right, cellHigh(x0_, c) + margin);
        if (from > to) continue;
        double low = bottom, high = top;
        if (a.x != b.x) {
          const double slope = (b.y - a.y) / (b.x - a.x);
          const double y1 = a.y + (from - a.x) * slope, y2 = a.y + (to - a.x) * slope;
          low = std::max(bottom, std::min(y1, y2));
          high = std::min(top, std::max(y1, y2));
        }
        const std::size_t rFirst = index(y0_, low - margin, r0, r1);
        const std::size_t rLast = index(y0_, high + margin, r0, r1);
        for (std::size_t r = rFirst; r <= rLast; ++r) nearEdge_[(c - c0) * height + (r - r0)] = 1;
      }
    }
  };
  markNear(bands.outer);
  for (const PolygonBands& hole : bands.holes) markNear(hole);

  // Cells side by side that no edge reaches form a region no edge reaches: one point test
  // answers for each run of them along a column.
  auto paint = [&](auto& owners) {
    using Owner = typename std::remove_reference_t<decltype(owners)>::value_type;
    const auto owner = static_cast<Owner>(slot + 1);
    for (std::size_t c = c0; c <= c1; ++c) {
      bool known = false, material = false;
      for (std::size_t r = r0; r <= r1; ++r) {
        if (nearEdge_[(c - c0) * height + (r - r0)] != 0) {
          known = false;
          continue;
        }
        if (!known) {
          const double x = x0_ + (static_cast<double>(c) + 0.5) * cell_;
          const double y = y0_ + (static_cast<double>(r) + 0.5) * cell_;
          material = bands.outer.containsPoint(x, y, 0, 0);
          for (const PolygonBands& hole : bands.holes) {
            material = material && !hole.containsPoint(x, y, 0, 0);
          }
          known = true;
        }
        Owner& cell = owners[c * rows_ + r];
        if (material && cell == 0) cell = owner;
      }
    }
  };
  if (wide_) {
    paint(wideOwner_);
  } else {
    paint(narrowOwner_);
  }
}

}  // namespace platenest
