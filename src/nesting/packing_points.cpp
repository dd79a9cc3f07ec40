// The packing-point grid: a square grid of candidate positions over the plate, spaced by
// the packing point distance (PPD), stored column after column. A point becomes occupied
// once a laid-out part covers it, so later searches skip it with a bit test.
#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "nesting/layout.h"
#include "nesting/search_memo.h"
#include "support/messages.h"
#include "support/text_writer.h"

namespace platenest {

namespace {

// Columns and rows for a plate side and a PPD: the quotient truncated, plus one. Computed in
// double so that a huge quotient is seen before it is turned into an integer.
double gridCount(double side, double ppd) { return std::floor(side / ppd) + 1; }

}  // namespace

std::optional<std::string> Layout::packingGridProblem() const {
  const double ppd = packingPointDistance_;
  if (!std::isfinite(ppd) || !(ppd > 0)) {
    return formatC("排样点间距PPD=%g无效: 必须是大于零的有限数!", ppd);
  }
  if (!std::isfinite(plateLength()) || !std::isfinite(plateWidth()) || plateLength() < 0 ||
      plateWidth() < 0) {
    return formatC("母板尺寸%gx%g无效, 无法建立排样点!", plateLength(), plateWidth());
  }
  const double columns = gridCount(plateLength(), ppd);
  const double rows = gridCount(plateWidth(), ppd);
  const double total = columns * rows;
  if (!(total <= static_cast<double>(kMaxPackingPoints))) {
    return formatC("排样点太多: %.0f x %.0f 个, 上限为%lld个; 请增大排样点间距PPD(当前为%g)!",
                   columns, rows, kMaxPackingPoints, ppd);
  }
  return std::nullopt;
}

std::size_t nextClearBit(std::size_t from, std::size_t end, const std::uint64_t* bits,
                         const std::uint64_t* more) {
  while (from < end) {
    // The clear bits of the word holding `from`, from `from` on.
    std::uint64_t set = bits[from >> 6];
    if (more != nullptr) set |= more[from >> 6];
    const std::uint64_t clear = ~set >> (from & 63);
    if (clear != 0) {
      const std::size_t index = from + static_cast<std::size_t>(std::countr_zero(clear));
      return index < end ? index : end;
    }
    from = (from | 63) + 1;
  }
  return end;
}

void PackingGrid::build(std::int32_t columns, std::int32_t rows, double ppd) {
  // Positions by repeated addition, as the grid has always been laid out: x starts at 0 and
  // grows by PPD per column, y starts at 0 in every column and grows by PPD per row.
  columnX_.resize(static_cast<std::size_t>(columns));
  double x = 0;
  for (double& column : columnX_) {
    column = x;
    x += ppd;
  }
  rowY_.resize(static_cast<std::size_t>(rows));
  double y = 0;
  for (double& row : rowY_) {
    row = y;
    y += ppd;
  }
  occupied_.assign((size() + 63) / 64, 0);
}

void PackingGrid::clear() {
  columnX_.clear();
  rowY_.clear();
  occupied_.clear();
}

void Layout::setPackingPointDistance(double distance) {
  packingPointDistance_ = distance;
  packingPointsDirty_ = true;
}

bool Layout::renewPackingGrid() {
  packingPointsDirty_ = true;
  return ensurePackingGrid();
}

// False when the grid was refused: then nothing can be placed and the grid stays due for a
// rebuild.
bool Layout::ensurePackingGrid() {
  if (!packingPointsDirty_) return true;
  if (!rebuildPackingPoints()) return false;
  packingPointsDirty_ = false;
  return true;
}

bool Layout::rebuildPackingPoints() {
  searchMemo().clear();  // its candidates are points of the old grid
  packingPoints_.clear();
  packingColumns_ = 0;
  packingRows_ = 0;
  if (const std::optional<std::string> problem = packingGridProblem()) {
    showWarning(*problem);
    return false;
  }
  const double ppd = packingPointDistance_;
  packingColumns_ = static_cast<std::int32_t>(gridCount(plateLength(), ppd));
  packingRows_ = static_cast<std::int32_t>(gridCount(plateWidth(), ppd));
  packingPoints_.build(packingColumns_, packingRows_, ppd);
  for (const PlacedPart& part : parts_) {
    if (isOnPlate(part)) markCoveredPackingPoints(part);
  }
  return true;
}

namespace {

// One polygon's ray cast along a row of grid points, left to right: the crossings sorted, so
// that the count of those at or right of a point is found by moving one cursor.
class RowCrossings {
 public:
  void start(const Polygon& polygon, double y) {
    const BoundingBox& b = polygon.box();
    rowInBox_ = !(y < b.minY || y > b.maxY);
    minX_ = b.minX, maxX_ = b.maxX;
    thresholds_.clear();
    next_ = 0;
    if (!rowInBox_) return;
    polygon.rayThresholds(y, thresholds_);
    // A crossing that is not a number counts for no point; the rest can be sorted.
    thresholds_.erase(std::remove_if(thresholds_.begin(), thresholds_.end(),
                                     [](double t) { return std::isnan(t); }),
                      thresholds_.end());
    std::sort(thresholds_.begin(), thresholds_.end());
  }
  // containsPoint(x, y) for x no less than any x asked before on this row.
  bool contains(double x) {
    if (!rowInBox_ || x < minX_ || x > maxX_ || std::isnan(x)) return false;
    while (next_ < thresholds_.size() && thresholds_[next_] < x) ++next_;
    return ((thresholds_.size() - next_) & 1U) != 0;
  }

 private:
  bool rowInBox_ = false;
  double minX_ = 0, maxX_ = 0;
  std::vector<double> thresholds_;
  std::size_t next_ = 0;
};

}  // namespace

// Only points within the part's outer box can lie inside it; the columns and rows between
// the box edges are found by bisection on the positions, which grow strictly. Along each row
// the outline's crossings are worked out once for all the row's points.
void Layout::markCoveredPackingPoints(const PlacedPart& part) {
  if (packingColumns_ <= 0 || packingRows_ <= 0) return;
  const BoundingBox& box = part.outer.box();
  const std::size_t rows = static_cast<std::size_t>(packingRows_);
  auto columnX = [&](std::int32_t i) { return packingPoints_.columnX(static_cast<std::size_t>(i)); };
  auto rowY = [&](std::int32_t j) { return packingPoints_.rowY(static_cast<std::size_t>(j)); };
  auto firstAtLeast = [](std::int32_t count, double limit, auto coordinate) {
    std::int32_t low = 0, high = count;
    while (low < high) {
      const std::int32_t mid = low + (high - low) / 2;
      if (coordinate(mid) < limit) {
        low = mid + 1;
      } else {
        high = mid;
      }
    }
    return low;
  };
  const std::int32_t firstColumn = firstAtLeast(packingColumns_, box.minX, columnX);
  const std::int32_t firstRow = firstAtLeast(packingRows_, box.minY, rowY);
  RowCrossings outer;
  std::vector<RowCrossings> holes(static_cast<std::size_t>(part.holes.count()));
  for (std::int32_t j = firstRow; j < packingRows_; ++j) {
    const double y = rowY(j);
    if (y > box.maxY) break;
    bool started = false;  // a row of points covered already needs no crossings
    for (std::int32_t i = firstColumn; i < packingColumns_; ++i) {
      const double x = columnX(i);
      if (!(x <= box.maxX)) break;
      const std::size_t point = static_cast<std::size_t>(i) * rows + static_cast<std::size_t>(j);
      if (packingPoints_.isOccupied(point)) continue;
      if (!started) {
        outer.start(part.outer, y);
        std::size_t h = 0;
        for (const Polygon& hole : part.holes) holes[h++].start(hole, y);
        started = true;
      }
      // Every polygon's cursor moves with x, so each is asked at every point of the row.
      bool covered = outer.contains(x);
      for (RowCrossings& crossings : holes) covered = !crossings.contains(x) && covered;
      if (covered) packingPoints_.occupy(point);
    }
  }
}

int Layout::scanStride(const PlacedPart& part) const {
  const double w = part.box().maxX - part.box().minX;
  const double h = part.box().maxY - part.box().minY;
  const double m = std::min(w, h) / 10;
  const double ppd = packingPointDistance_;
  if (!(2 * ppd < m) || !(ppd > 0)) return 1;
  // A stride beyond the grid visits only the first point of each direction anyway.
  const double stride = std::floor(m / ppd);
  if (!(stride < static_cast<double>(std::numeric_limits<std::int32_t>::max()))) {
    return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<int>(stride);
}

}  // namespace platenest
