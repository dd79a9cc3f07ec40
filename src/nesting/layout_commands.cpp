// The layout commands the operator starts: Layout (the selected parts), Layout All, Layout
// Next and Layout Multiple Steps. Each offers parts in list order to a placement routine; a
// part that finds no place keeps its position and the run goes on. Their callers time them
// (layout_timing.h).
#include "nesting/grid_search.h"
#include "nesting/nester.h"
#include "nesting/search_memo.h"

namespace platenest {

namespace {

// Size classes of the multi-step layout, by outer-polygon area (mm²) and shape.
constexpr double kHugeArea = 1'000'000;
constexpr double kLargeArea = 500'000;
constexpr double kLargeRectangularity = 0.9;
constexpr double kMediumArea = 200'000;
constexpr double kSmallArea = 50'000;
constexpr double kCompactAspectRatio = 1.2;
// Share of a part's waste its box overlap with a partner must reach for a pairing.
constexpr double kPairingThreshold = 0.25;

// One layout command's search: within it parts are only added to the plate, so blocked
// candidates stay blocked.
class SearchRun {
 public:
  explicit SearchRun(Nester& nester) : nester_(nester) { nester_.layout().searchMemo().begin(); }
  ~SearchRun() { nester_.layout().searchMemo().end(); }
  SearchRun(const SearchRun&) = delete;
  SearchRun& operator=(const SearchRun&) = delete;

 private:
  Nester& nester_;
};

// Parts placed of the parts a command set out to place, told to the caller's progress
// object after every part; and whether the caller asked the command to stop.
class PlacementProgress {
 public:
  template <typename Wanted>
  PlacementProgress(Progress* progress, const PartList& parts, Wanted wanted)
      : progress_(progress) {
    if (progress_ == nullptr) return;
    std::int64_t total = 0;
    for (const PlacedPart& part : parts) total += wanted(part) ? 1 : 0;
    progress_->begin("parts", total);
  }
  void tried(bool placed) {
    if (progress_ != nullptr && placed) progress_->advance(++placed_);
  }
  bool stopped() const { return progress_ != nullptr && progress_->cancelled(); }

 private:
  Progress* progress_;
  std::int64_t placed_ = 0;
};

void placeByGrid(Nester& nester, PlacedPart& part) {
  gridSearch(nester.layout(), part, jobGridSearch(nester));
}

}  // namespace

// A selected part that is already on the plate is placed again.
void Nester::layoutSelected() {
  const SearchRun run(*this);
  if (layout_.ensurePackingGrid()) {
    PlacementProgress tally(progress, parts, [](const PlacedPart& part) { return part.selected; });
    for (PlacedPart& part : parts) {
      if (tally.stopped()) break;
      if (part.selected) {
        placeByGrid(*this, part);
        tally.tried(isOnPlate(part));
      }
    }
  }
}

void Nester::layoutAll() {
  const SearchRun run(*this);
  for (PlacedPart& part : parts) part.selected = false;
  if (layout_.ensurePackingGrid()) {
    PlacementProgress tally(progress, parts, [&](const PlacedPart& part) { return !isOnPlate(part); });
    for (PlacedPart& part : parts) {
      if (tally.stopped()) break;
      if (!isOnPlate(part)) {
        placeByGrid(*this, part);
        tally.tried(isOnPlate(part));
      }
    }
  }
}

// Moves the first part not on the plate just right of the plate, top edge level with the
// plate's top, and makes it the only selected part.
void Nester::stageNextPart() {
  for (PlacedPart& part : parts) {
    if (isOnPlate(part)) continue;
    part.translate(plateLength() - part.box().minX, plateWidth() - part.box().maxY);
    for (PlacedPart& other : parts) other.selected = false;
    part.selected = true;
    return;
  }
}

// Four passes over the selected parts not yet on the plate, largest classes first: huge
// parts and large near-rectangles flush against placed parts, medium parts paired with
// similar parts, and the rest paired or on the grid. A part placed by one pass is skipped by
// the later ones, since the on-plate test is made when the part is reached.
void Nester::layoutMultipleSteps() {
  const SearchRun run(*this);
  if (layout_.rebuildPackingGrid()) {
    auto considered = [&](const PlacedPart& part) { return part.selected && !isOnPlate(part); };
    const GridSearchOptions options = jobGridSearch(*this);
    PlacementProgress tally(progress, parts, considered);
    // Each pass offers a part and counts it when it landed on the plate.
    const auto offer = [&](PlacedPart& part, auto&& place) {
      place(part);
      if (isOnPlate(part)) tally.tried(true);
    };
    for (PlacedPart& part : parts) {
      if (tally.stopped()) break;
      if (considered(part) && part.outer.area() >= kHugeArea) {
        offer(part, [&](PlacedPart& p) { placeBesideNeighbours(layout_, p, options); });
      }
    }
    for (PlacedPart& part : parts) {
      if (tally.stopped()) break;
      if (considered(part) && part.outer.area() >= kLargeArea &&
          part.rectangularity() >= kLargeRectangularity) {
        offer(part, [&](PlacedPart& p) { placeBesideNeighbours(layout_, p, options); });
      }
    }
    for (PlacedPart& part : parts) {
      if (tally.stopped()) break;
      if (considered(part) && part.outer.area() >= kMediumArea) {
        offer(part, [&](PlacedPart& p) { placeBySimilar(layout_, p, kPairingThreshold, options); });
      }
    }
    for (PlacedPart& part : parts) {
      if (tally.stopped()) break;
      if (!considered(part)) continue;
      if (part.outer.area() > kSmallArea || part.aspectRatio() > kCompactAspectRatio) {
        offer(part, [&](PlacedPart& p) {
          placeBySimilarOrGrid(layout_, p, kPairingThreshold, options);
        });
      } else {
        offer(part, [&](PlacedPart& p) { gridSearch(layout_, p, options); });
      }
    }
  }
}

}  // namespace platenest
