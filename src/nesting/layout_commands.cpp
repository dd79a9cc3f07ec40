// The layout commands the operator starts: Layout (the selected parts), Layout All, Layout
// Next and Layout Multiple Steps. Each offers parts in list order to a placement routine,
// measures the elapsed time and records it in the timing file; a part that finds no place
// keeps its position and the run goes on.
#include <chrono>
#include <ctime>

#include "nesting/grid_search.h"
#include "nesting/nester.h"
#include "nesting/search_memo.h"
#include "support/fatal_error.h"
#include "support/messages.h"
#include "support/text_writer.h"

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

// The elapsed time of one layout command, from before the timing file is opened to the end
// of the placements, and the record of it.
class TimedRun {
 public:
  TimedRun(Nester& nester, TextWriter::Mode mode)
      : nester_(nester), start_(std::chrono::steady_clock::now()) {
    if (!file_.open(nester.timingFilePath, mode)) {
      throw FatalError(FatalChannel::kStandardOutput, "", "记录排样计算时间的文件输出失败!",
                       file_.problem());
    }
    // Within one command parts are only added to the plate: blocked candidates stay blocked.
    nester_.layout().searchMemo().begin();
  }
  ~TimedRun() { nester_.layout().searchMemo().end(); }
  TimedRun(const TimedRun&) = delete;
  TimedRun& operator=(const TimedRun&) = delete;

  TextWriter& file() { return file_; }

  // Formats the time, announces it when asked, and writes it as the file's last line.
  void finish(bool announce) {
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
    const double t = elapsed.count();
    const std::string message = t <= 1.0 ? formatC("排样计算时间为:%.2f 毫秒", t * 1000)
                                         : formatC("排样计算时间为:%.2f 秒", t);
    nester_.lastLayoutSeconds = t;
    nester_.lastTimingMessage = message;
    if (announce) showMessage(kNoticeCaption, message);
    file_ << message;
    file_.endLine();
    if (!file_.close()) {
      throw FatalError(FatalChannel::kStandardOutput, "", "记录排样计算时间的文件输出失败!",
                       file_.problem());
    }
  }

 private:
  Nester& nester_;
  std::chrono::steady_clock::time_point start_;
  TextWriter file_;
};

// "2024年3月7日, 14时5分9秒": local time, no leading zeros.
std::string dateLine(std::time_t now) {
  std::tm local{};
  localtime_r(&now, &local);
  return formatC("%d年%d月%d日, %d时%d分%d秒", local.tm_year + 1900, local.tm_mon + 1,
                 local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
}

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
void Nester::layoutSelected(bool announce) {
  TimedRun run(*this, TextWriter::Mode::kTruncate);
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
  run.finish(announce);
}

void Nester::layoutAll(bool announce) {
  TimedRun run(*this, TextWriter::Mode::kTruncate);
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
  run.finish(announce);
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
void Nester::layoutMultipleSteps(bool announce) {
  const std::time_t now = std::time(nullptr);
  TimedRun run(*this, TextWriter::Mode::kExtend);
  run.file() << dateLine(now);
  run.file().endLine();
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
  run.finish(announce);
}

}  // namespace platenest
