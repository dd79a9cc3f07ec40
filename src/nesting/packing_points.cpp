// The packing-point grid: a square grid of candidate positions over the plate, spaced by
// the packing point distance (PPD), stored column after column. A point becomes occupied
// once a laid-out part covers it, so later searches skip it with a flag test.
#include <algorithm>
#include <cmath>
#include <limits>

#include "nesting/nester.h"
#include "support/messages.h"
#include "support/text_writer.h"

namespace platenest {

namespace {

// Columns and rows for a plate side and a PPD: the quotient truncated, plus one. Computed in
// double so that a huge quotient is seen before it is turned into an integer.
double gridCount(double side, double ppd) { return std::floor(side / ppd) + 1; }

}  // namespace

std::optional<std::string> Nester::packingGridProblem() const {
  const double ppd = packingPointDistance;
  if (!std::isfinite(ppd) || !(ppd > 0)) {
    return formatC("排样点间距PPD=%g无效: 必须是大于零的有限数!", ppd);
  }
  if (!std::isfinite(plateLength) || !std::isfinite(plateWidth) || plateLength < 0 ||
      plateWidth < 0) {
    return formatC("母板尺寸%gx%g无效, 无法建立排样点!", plateLength, plateWidth);
  }
  const double columns = gridCount(plateLength, ppd);
  const double rows = gridCount(plateWidth, ppd);
  const double total = columns * rows;
  if (!(total <= static_cast<double>(kMaxPackingPoints))) {
    return formatC("排样点太多: %.0f x %.0f 个, 上限为%lld个; 请增大排样点间距PPD(当前为%g)!",
                   columns, rows, kMaxPackingPoints, ppd);
  }
  return std::nullopt;
}

bool Nester::rebuildPackingPoints() {
  searchMemo.clear();  // its candidates are points of the old grid
  packingPoints.clear();
  packingColumns = 0;
  packingRows = 0;
  if (const std::optional<std::string> problem = packingGridProblem()) {
    packingPoints.shrink_to_fit();
    showWarning(*problem);
    return false;
  }
  const double ppd = packingPointDistance;
  packingColumns = static_cast<std::int32_t>(gridCount(plateLength, ppd));
  packingRows = static_cast<std::int32_t>(gridCount(plateWidth, ppd));
  packingPoints.resize(static_cast<std::size_t>(packingColumns) * packingRows);
  // Positions by repeated addition, as the grid has always been laid out.
  double x = 0;
  for (std::int32_t i = 0; i < packingColumns; ++i) {
    double y = 0;
    for (std::int32_t j = 0; j < packingRows; ++j) {
      PackingPoint& point = packingPoints[static_cast<std::size_t>(i) * packingRows + j];
      point.position = Point(x, y);
      point.occupied = false;
      y += ppd;
    }
    x += ppd;
  }
  for (const PlacedPart& part : parts) {
    if (isOnPlate(part)) markCoveredPackingPoints(part);
  }
  return true;
}

// Only points within the part's outer box can lie inside it; the columns and rows between
// the box edges are found by bisection on the stored positions, which grow strictly.
void Nester::markCoveredPackingPoints(const PlacedPart& part) {
  if (packingColumns <= 0 || packingRows <= 0) return;
  const BoundingBox& box = part.outer.box();
  const std::size_t rows = static_cast<std::size_t>(packingRows);
  auto columnX = [&](std::int32_t i) { return packingPoints[i * rows].position.x; };
  auto rowY = [&](std::int32_t j) { return packingPoints[static_cast<std::size_t>(j)].position.y; };
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
  const std::int32_t firstColumn = firstAtLeast(packingColumns, box.minX, columnX);
  const std::int32_t firstRow = firstAtLeast(packingRows, box.minY, rowY);
  for (std::int32_t i = firstColumn; i < packingColumns && columnX(i) <= box.maxX; ++i) {
    for (std::int32_t j = firstRow; j < packingRows; ++j) {
      PackingPoint& point = packingPoints[i * rows + static_cast<std::size_t>(j)];
      if (point.position.y > box.maxY) break;
      if (!point.occupied && part.containsPoint(point.position)) point.occupied = true;
    }
  }
}

int Nester::scanStride(const PlacedPart& part) const {
  const double w = part.box.maxX - part.box.minX;
  const double h = part.box.maxY - part.box.minY;
  const double m = std::min(w, h) / 10;
  const double ppd = packingPointDistance;
  if (!(2 * ppd < m) || !(ppd > 0)) return 1;
  // A stride beyond the grid visits only the first point of each direction anyway.
  const double stride = std::floor(m / ppd);
  if (!(stride < static_cast<double>(std::numeric_limits<std::int32_t>::max()))) {
    return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<int>(stride);
}

}  // namespace platenest
