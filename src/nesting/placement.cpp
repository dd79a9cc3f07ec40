// Grid placement of one part: every free packing point is a candidate position, the part is
// tried there in each of its trial orientations, and the fitting candidate whose centroid
// lies furthest left wins (ties: the first met in scan order, column, row, orientation), or,
// as the options of gridSearch may ask, the one whose box ends furthest left. The winner is
// pushed left and down into contact and occupies the grid points it covers.
//
// The scan runs in two phases. The first looks for any fit; the second goes on from the
// column of that fit and only tests orientations that could beat the incumbent, and stops
// as soon as a column lies so far right that no centroid there can (every trial centroid
// lies within R of its grid point).
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "nesting/grid_search.h"
#include "nesting/nester.h"
#include "nesting/search_memo.h"
#include "nesting/overlap.h"
#include "nesting/trial_variants.h"

namespace platenest {

namespace {

struct ScanResult {
  std::size_t variant = 0;
  Point point;
};

// Scans the grid with the trial variants anchored at `anchor`. Per candidate the only work
// is the fit test of the variant moved to the point; nothing is allocated.
bool scanGrid(Layout& layout, const std::vector<TrialVariant>& variants, const Point& anchor,
              double reach, int stride, SearchMemo::Entry* memo,
              std::vector<std::uint16_t>& blockers, ScanResult& result) {
  const std::int64_t columns = layout.packingColumns();
  const std::int64_t rows = layout.packingRows();
  const std::size_t count = variants.size();
  if (count == 0 || columns <= 0 || rows <= 0 || stride <= 0) return false;
  const PackingGrid& grid = layout.packingGrid();
  // No part moves during the scan: the parts a candidate can meet are gathered once.
  CandidateFitTest test(layout, variants, layout.partBands(), &layout.materialCells(),
                        &layout.fitTestScratch());
  // A candidate already known blocked for this very trial set is skipped without a test.
  auto fitsAt = [&](std::size_t point, std::size_t k, double dx, double dy) {
    if (memo != nullptr && memo->isBlocked(point, k)) {
#ifdef PLATENEST_VALIDATE
      if (test.fitsUncounted(k, dx, dy)) std::abort();
#endif
      return false;
    }
    std::uint16_t* blocker = blockers.empty() ? nullptr : &blockers[point];
    const bool fits = test.fits(k, dx, dy, blocker);
    if (!fits && memo != nullptr) memo->setBlocked(point, k);
    return fits;
  };

  bool found = false;
  double best = 0;
  std::int64_t firstColumn = 0, firstRow = 0;
  std::size_t firstVariant = 0;
  // Occupied points, and points known exhausted for this trial set, are closed: passed over a
  // word of bits at a time along a column when every row is visited, one by one otherwise.
  const std::uint64_t* occupied = grid.occupiedWords().data();
  const std::uint64_t* exhausted = memo != nullptr ? memo->exhaustedWords().data() : nullptr;
  auto closed = [&](std::size_t point) {
    const std::size_t word = point >> 6, bit = point & 63;
    return ((occupied[word] >> bit) & 1U) != 0 ||
           (exhausted != nullptr && ((exhausted[word] >> bit) & 1U) != 0);
  };
  auto skipClosed = [&](std::int64_t i, std::int64_t& j) {
    if (!closed(static_cast<std::size_t>(i * rows + j))) return;
    if (stride == 1) {
      const auto column = static_cast<std::size_t>(i * rows);
      j = static_cast<std::int64_t>(nextClearBit(column + static_cast<std::size_t>(j),
                                                 column + static_cast<std::size_t>(rows),
                                                 occupied, exhausted) -
                                    column);
    } else {
      while (j < rows && closed(static_cast<std::size_t>(i * rows + j))) j += stride;
    }
  };

  for (std::int64_t i = 0; i < columns && !found; i += stride) {
    for (std::int64_t j = 0; j < rows && !found; j += stride) {
      skipClosed(i, j);
      if (j >= rows) break;
      const auto point = static_cast<std::size_t>(i * rows + j);
      const Point q(grid.columnX(static_cast<std::size_t>(i)),
                    grid.rowY(static_cast<std::size_t>(j)));
      const double dx = q.x - anchor.x;
      const double dy = q.y - anchor.y;
      for (std::size_t k = 0; k < count; ++k) {
        if (fitsAt(point, k, dx, dy)) {
          found = true;
          best = variants[k].centroid.x + dx;
          result.variant = k;
          result.point = q;
          firstColumn = i;
          firstRow = j;
          firstVariant = k;
          break;
        }
      }
    }
  }
  if (!found) return false;

  // The free points of the first column above row 0 and below the first fit failed in every
  // orientation, and so did the orientations tried before the fit at its point: the second
  // phase resumes right after them. They share the column's x, so the stop test at the fit
  // point stands for them too.
  for (std::int64_t i = firstColumn; i < columns; i += stride) {
    // The points of a column share its x, so a column where no orientation's value could
    // beat the incumbent holds no candidate worth a test.
    const double columnX = grid.columnX(static_cast<std::size_t>(i));
    if (columnX - reach > best) return true;
    bool worthScanning = false;
    for (std::size_t k = 0; k < count; ++k) {
      worthScanning = worthScanning || variants[k].centroid.x + (columnX - anchor.x) < best;
    }
    if (!worthScanning) continue;
    for (std::int64_t j = (i == firstColumn ? firstRow : 0); j < rows; j += stride) {
      skipClosed(i, j);
      if (j >= rows) break;
      const auto point = static_cast<std::size_t>(i * rows + j);
      const Point q(grid.columnX(static_cast<std::size_t>(i)),
                    grid.rowY(static_cast<std::size_t>(j)));
      if (q.x - reach > best) return true;
      const double dx = q.x - anchor.x;
      const double dy = q.y - anchor.y;
      const std::size_t firstK = (i == firstColumn && j == firstRow) ? firstVariant + 1 : 0;
      for (std::size_t k = firstK; k < count; ++k) {
        const double value = variants[k].centroid.x + dx;
        if (!(value < best)) continue;
        if (fitsAt(point, k, dx, dy)) {
          best = value;
          result.variant = k;
          result.point = q;
        }
      }
    }
  }
  return true;
}

// Calls visit(j) for the rows j in [from, to) of the column whose points start at `start`,
// lowest first, where the point is neither occupied nor known blocked; a word of bits at a
// time. Stops when visit returns false. (A loop over nextClearBit reads the words again for
// every open point: 4 % more instructions on industrial-150.)
template <typename Visit>
void forOpenRows(std::size_t start, std::size_t from, std::size_t to, const std::uint64_t* occupied,
                 const std::uint64_t* blocked, Visit&& visit) {
  std::size_t point = start + from;
  const std::size_t end = start + to;
  while (point < end) {
    const std::size_t word = point >> 6;
    const std::size_t wordEnd = (word + 1) << 6;
    std::uint64_t open = ~(occupied[word] | blocked[word]) & (~std::uint64_t{0} << (point & 63));
    if (end < wordEnd) open &= (std::uint64_t{1} << (end & 63)) - 1;
    while (open != 0) {
      const std::size_t at = (word << 6) + static_cast<std::size_t>(std::countr_zero(open));
      if (!visit(at - start)) return;
      open &= open - 1;
    }
    point = wordEnd;
  }
}

// scanGrid for a search over every point with a memo, with the same winner, taken variant by
// variant within each column: the candidates of one variant still open along a column are
// read a word of bits at a time, where the box would leave the plate none is visited, and
// most are settled by one look-up in the map of deep material before any other work.
//
// Within a column every candidate of variant k has the same value (its centroid's x), so the
// column's winner is the fitting candidate of least value, ties going to the first in scan
// order (row, then variant); the first phase takes the first fit in scan order instead.
bool scanGridByVariant(Layout& layout, const std::vector<TrialVariant>& variants,
                       const Point& anchor, double reach, SearchMemo::Entry& memo,
                       ScanResult& result) {
  const auto columns = static_cast<std::size_t>(layout.packingColumns());
  const auto rows = static_cast<std::size_t>(layout.packingRows());
  const std::size_t count = variants.size();
  if (count == 0 || layout.packingColumns() <= 0 || layout.packingRows() <= 0) return false;
  const PackingGrid& grid = layout.packingGrid();
  CandidateFitTest test(layout, variants, layout.partBands(), &layout.materialCells(),
                        &layout.fitTestScratch());
  const BoundingBox& plate = layout.plateRect();
  std::vector<IndexRange> onPlateColumns(count), onPlateRows(count);
  std::vector<std::size_t> byCentroid;
  for (std::size_t k = 0; k < count; ++k) {
    const BoundingBox& box = variants[k].part.outer.box();
    onPlateColumns[k] =
        rangeInside(grid.columnXs(), anchor.x, box.minX, box.maxX, plate.minX, plate.maxX);
    onPlateRows[k] = rangeInside(grid.rowYs(), anchor.y, box.minY, box.maxY, plate.minY, plate.maxY);
    // A variant whose value is no number never beats an incumbent.
    if (!std::isnan(variants[k].centroid.x)) byCentroid.push_back(k);
  }
  std::stable_sort(byCentroid.begin(), byCentroid.end(), [&](std::size_t a, std::size_t b) {
    return variants[a].centroid.x < variants[b].centroid.x;
  });
  const std::uint64_t* occupied = grid.occupiedWords().data();

  // Decides one candidate; one that does not fit is remembered blocked.
  auto fitsAt = [&](std::size_t point, std::size_t k, double dx, double dy) {
    if (test.quicklyBlocked(k, dx, dy)) {
#ifdef PLATENEST_VALIDATE
      if (test.fitsUncounted(k, dx, dy)) std::abort();
#endif
      memo.setBlockedBit(point, k);
      return false;
    }
    if (test.fits(k, dx, dy)) return true;
    memo.setBlockedBit(point, k);
    return false;
  };
#ifdef PLATENEST_VALIDATE
  // Candidates passed over as known blocked or off the plate must not fit.
  auto checkPassedOver = [&](std::size_t i, std::size_t k, double dx) {
    for (std::size_t j = 0; j < rows; ++j) {
      const std::size_t point = i * rows + j;
      if (grid.isOccupied(point)) continue;
      const bool passed = memo.isBlocked(point, k) || !onPlateColumns[k].holds(i) ||
                          !onPlateRows[k].holds(j);
      if (passed && test.fitsUncounted(k, dx, grid.rowY(j) - anchor.y)) std::abort();
    }
  };
#endif

  // First phase: the first fit in scan order.
  std::size_t firstColumn = columns, firstRow = rows, firstVariant = count;
  for (std::size_t i = 0; i < columns && firstVariant == count; ++i) {
    const double dx = grid.columnX(i) - anchor.x;
    const std::size_t start = i * rows;
    for (std::size_t k = 0; k < count; ++k) {
#ifdef PLATENEST_VALIDATE
      checkPassedOver(i, k, dx);
#endif
      if (!onPlateColumns[k].holds(i)) continue;
      // Rows from the first fit on come later in scan order than it, for a later variant.
      const std::size_t to = std::min(onPlateRows[k].end, firstRow);
      forOpenRows(start, onPlateRows[k].first, to, occupied, memo.blockedWords(k),
                  [&](std::size_t j) {
                    if (!fitsAt(start + j, k, dx, grid.rowY(j) - anchor.y)) return true;
                    firstColumn = i;
                    firstRow = j;
                    firstVariant = k;
                    return false;
                  });
    }
  }
  if (firstVariant == count) return false;
  double best = variants[firstVariant].centroid.x + (grid.columnX(firstColumn) - anchor.x);
  result.variant = firstVariant;
  result.point = Point(grid.columnX(firstColumn), grid.rowY(firstRow));

  // Second phase: from the first fit on, candidates that could beat the incumbent, until a
  // column lies so far right that none can (every trial centroid lies within R of its point).
  for (std::size_t i = firstColumn; i < columns; ++i) {
    const double columnX = grid.columnX(i);
    if (columnX - reach > best) return true;
    const double dx = columnX - anchor.x;
    const std::size_t start = i * rows;
    bool won = false;
    std::size_t winRow = 0, winVariant = 0;
    double winValue = 0;
    for (const std::size_t k : byCentroid) {
#ifdef PLATENEST_VALIDATE
      checkPassedOver(i, k, dx);
#endif
      const double value = variants[k].centroid.x + dx;
      // Values only grow along byCentroid: once one cannot win, none after it can.
      if (!(value < best) || (won && value > winValue)) break;
      if (!onPlateColumns[k].holds(i)) continue;
      std::size_t from = onPlateRows[k].first, to = onPlateRows[k].end;
      // In the first column only candidates after the first fit remain.
      if (i == firstColumn) from = std::max(from, k > firstVariant ? firstRow : firstRow + 1);
      // A tie with the column's winner goes to the earlier in scan order.
      if (won) to = std::min(to, k < winVariant ? winRow + 1 : winRow);
      forOpenRows(start, from, to, occupied, memo.blockedWords(k), [&](std::size_t j) {
        if (!fitsAt(start + j, k, dx, grid.rowY(j) - anchor.y)) return true;
        won = true;
        winRow = j;
        winVariant = k;
        winValue = value;
        return false;
      });
    }
    if (won) {
      best = winValue;
      result.variant = winVariant;
      result.point = Point(columnX, grid.rowY(winRow));
    }
  }
  return true;
}

SearchMemo::Entry* memoFor(Layout& layout, SearchMemo::Kind kind,
                           const std::vector<TrialVariant>& variants, const Point& anchor) {
  if (!layout.searchMemoEnabled()) return nullptr;
  return layout.searchMemo().entryFor(kind, variants, anchor, layout.packingGrid().size(),
                                      layout.parts(), layout.plateRect());
}

// The search along columns needs no hints of blocking parts: its first look at the deep
// witness settles most candidates, and the hints would be a fresh array the size of the grid.
bool searchGrid(Layout& layout, const std::vector<TrialVariant>& variants, const Point& anchor,
                double reach, int stride, SearchMemo::Entry* memo, ScanResult& result) {
  if (stride == 1 && memo != nullptr) {
    return scanGridByVariant(layout, variants, anchor, reach, *memo, result);
  }
  std::vector<std::uint16_t> plain;
  std::vector<std::uint16_t>& blockers =
      memo != nullptr ? layout.searchMemo().blockers(layout.packingGrid().size()) : plain;
  return scanGrid(layout, variants, anchor, reach, stride, memo, blockers, result);
}

bool placeWithVariants(Layout& layout, PlacedPart& part, const GridSearchOptions& options) {
  const bool turnover = options.tryTurnedOver;
  const std::int32_t rn = options.rotationNumber;
  if (rn <= 0) return false;
  const Point c = part.centroid();
  const Point d = part.rotationCentre();
  double reach = d.distance(c);
  std::vector<TrialVariant> variants;
  buildTrialVariants(part, d, c, rn, turnover, variants);
  if (options.objective == GridSearchOptions::Objective::kBoxRightEdge) {
    // The value becomes the right edge of the box; the scan's stop rule needs its reach.
    for (TrialVariant& variant : variants) {
      variant.centroid.x = variant.part.outer.box().maxX;
      reach = std::max(reach, std::abs(variant.centroid.x - d.x));
    }
  }
  const int stride = layout.scanStride(part);
  SearchMemo::Entry* memo = memoFor(
      layout, turnover ? SearchMemo::Kind::kTurned : SearchMemo::Kind::kRotations, variants, d);
  ScanResult result;
  if (!searchGrid(layout, variants, d, reach, stride, memo, result)) return false;

  const TrialVariant& winner = variants[result.variant];
  const Point& q = result.point;
  part.translate(q.x - d.x, q.y - d.y);
  part.rotateAbout(q, winner.angle);
  // Turning over after the turn about the same point gives the trial copy again: the
  // point lies on the mirror line.
  if (winner.turned) part.mirrorAt(q);
  // The search gathered the parts that may meet a part on the plate; none has moved since.
  const FitTestScratch& gathered = layout.fitTestScratch();
  contactLeftAndDownAmong(layout, part, gathered.parts, gathered.boxes);
  layout.markCoveredPackingPoints(part);
  return true;
}

}  // namespace

GridSearchOptions jobGridSearch(const Nester& nester) {
  GridSearchOptions options;
  options.tryTurnedOver = nester.bPartTurnover;
  options.rotationNumber = nester.rotationNumber;
  return options;
}

bool gridSearch(Layout& layout, PlacedPart& part, const GridSearchOptions& options) {
  return placeWithVariants(layout, part, options);
}

// The rectangle must be free at the grid point while the part's true centroid is the value
// minimised; used for parts whose similar partners are still waiting.
bool placeBoundingRectangle(Layout& layout, PlacedPart& part) {
  const BoundingBox box = part.box();
  const Point s(box.minX, box.minY);
  part.refreshCentroid();
  const Point c = part.centroid();
  const double reach = s.distance(c);
  PlacedPart rectangle;
  rectangle.setGeometry(Polygon({Point(box.minX, box.minY), Point(box.maxX, box.minY),
                                 Point(box.maxX, box.maxY), Point(box.minX, box.maxY)}),
                        PolygonList());
  std::vector<TrialVariant> variants;
  buildQuarterTurns(rectangle, s, c, variants);
  const int stride = layout.scanStride(part);
  SearchMemo::Entry* memo = memoFor(layout, SearchMemo::Kind::kRectangles, variants, s);
  ScanResult result;
  if (!searchGrid(layout, variants, s, reach, stride, memo, result)) return false;

  const double angle = variants[result.variant].angle;
  const Point& q = result.point;
  // Slide the rectangle, not the part, into contact: the rectangle is what was found free.
  PlacedPart moved = rectangle;
  moved.translate(q.x - s.x, q.y - s.y);
  moved.rotateAbout(q, angle);
  const Point g = moved.centroid();
  contactLeftCandidate(layout, moved);
  contactDownCandidate(layout, moved);
  const double ex = moved.centroid().x - g.x;
  const double ey = moved.centroid().y - g.y;

  const double mx = q.x - s.x + ex;
  const double my = q.y - s.y + ey;
  part.translate(mx, my);
  part.rotateAbout(Point(s.x + mx, s.y + my), angle);
  layout.markCoveredPackingPoints(part);
  return true;
}

}  // namespace platenest
