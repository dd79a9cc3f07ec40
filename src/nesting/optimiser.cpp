// The optimising layout: ruin and recreate on a strip that shrinks. See optimiser.h.
//
// A trial starts from the layout kept so far, cuts the strip to a target length (a step
// shorter than the kept layout, or the same length for a sideways move), takes off the plate
// the parts beyond it and a handful more (the parts nearest a random part, the last parts of
// the strip, or parts at random), and puts them back largest first with the grid placement on
// the job's grid or a finer one, each part where its centroid, or the right edge of its box,
// lies furthest left. The trial is kept when every part found a place: shorter beats longer,
// and at equal length the layout whose material lies further left wins, which opens room at
// the end of the strip for the next shrink. When nothing better has come for long, the search
// restarts from a fresh layout of all the parts in a shuffled order.
#include "nesting/optimiser.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <cmath>
#include <functional>
#include <iterator>
#include <memory>
#include <thread>
#include <vector>

#include "nesting/grid_search.h"
#include "nesting/layout.h"
#include "nesting/search_memo.h"
#include "nesting/strip_search.h"

namespace platenest {
namespace {

// Trials per round: fixed, so that the layouts kept do not depend on the number of threads.
constexpr std::int64_t kRoundSize = 8;
// The first shrink is this share of the packing length; failed rounds halve it down to the
// smallest share, and a shrink that works grows it again up to the largest.
constexpr double kFirstStep = 0.01;
constexpr double kSmallestStep = 0.0005;
constexpr double kLargestStep = 0.03;
// Rounds without a shorter layout before the step is halved.
constexpr int kRoundsBeforeHalving = 3;
// Trials use the job's grid or one two or four times finer: finer grids find the tighter places
// the job's grid steps over, at more cost per trial.
constexpr double kGridDivisions[] = {1, 2, 4};
// Finer grids larger than this (and than the job's own) are not worth a trial's time.
constexpr double kMostFinerGridPoints = 1'000'000;
// Rounds without a better layout before the search restarts, how much longer the restart's
// strip is, and how often neighbours in its order swap.
constexpr int kRoundsBeforeRestart = 150;
constexpr double kRestartGrowth = 0.1;
constexpr double kRestartOrderSwap = 0.5;
// A layout shorter by less than this share of its length does not count as progress.
constexpr double kProgress = 1e-4;
// A trial takes off the plate, besides the parts beyond its strip, from one part up to this
// share of the parts (at least two).
constexpr double kLargestRuin = 0.5;
// and never more than this many: putting back each part costs a grid search, and on large jobs
// many small trials gain more than a few large ones.
constexpr std::size_t kMostRuined = 25;
// The chance that two neighbours in the largest-first order of putting parts back swap.
constexpr double kOrderSwap = 0.2;
// With a number of trials, one strip attempt (a whole separation) stands for this many trials;
// with a time budget ruin and recreate takes this share of it.
constexpr std::int64_t kTrialsPerStripAttempt = 32;
constexpr double kRuinAndRecreateShare = 0.25;
// Ruin and recreate levels off within seconds; on long budgets the strip search gets the rest.
constexpr double kMostRuinAndRecreateSeconds = 15.0;
// Jobs with more parts on the plate than this give the whole budget to ruin and recreate.
constexpr std::size_t kMostStripParts = 1000;
// Two lengths closer than this (mm) are the same length.
constexpr double kSameLength = 1e-9;

// splitmix64: every trial draws from a stream of its own, named by the seed and its number.
std::uint64_t mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return x ^ (x >> 31);
}

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() { return state_ = mix(state_); }
  // In [0, n), n > 0.
  std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
  // In [0, 1).
  double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

 private:
  std::uint64_t state_;
};

double distanceSquared(const Point& a, const Point& b) {
  return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
}

// Off the plate whatever its length: right of its end and below its lower edge.
void park(PlacedPart& part, double plateLength) {
  part.translate(plateLength + 10.0 - part.box().minX, -10.0 - part.box().maxY);
}

// Points of the grid for the layout's plate and PPD, as a number that cannot overflow.
double gridPoints(const Layout& layout) {
  const double ppd = layout.packingPointDistance();
  return std::ceil(layout.plateLength() / ppd + 1) * std::ceil(layout.plateWidth() / ppd + 1);
}

// Lower when the parts' material lies further left.
double spread(const Layout& layout) {
  double sum = 0.0;
  for (const PlacedPart& part : layout.parts()) {
    if (layout.isOnPlate(part)) sum += part.area() * part.box().maxX;
  }
  return sum;
}

// The poses of `layout` on the plate and grid of `plate`; the grid due for a rebuild, since the
// parts no longer stand where its occupancy was taken.
void onPlateOf(NesterSnapshot& layout, const NesterSnapshot& plate) {
  layout.plate = plate.plate;
  layout.packingPointDistance = plate.packingPointDistance;
  layout.packingPoints = plate.packingPoints;
  layout.packingRows = plate.packingRows;
  layout.packingColumns = plate.packingColumns;
  layout.packingPointsDirty = true;
}

// One trial's outcome: whether every part found its place, and the layout if it did.
struct Trial {
  bool kept = false;
  double length = 0.0;  // the packing length of the working (grown) outlines
  double spread = 0.0;
  LayoutStatistics statistics;  // true outlines; taken only for a shorter layout
  NesterSnapshot layout;
};

// What a round's trials start from.
struct Start {
  const NesterSnapshot* layout = nullptr;
  double length = 0.0;
  double step = 0.0;  // mm
  bool restart = false;
};

// A clone of the job's layout for each thread; the job itself is only read (its settings and
// the loaded parts the figures are taken with).
class Worker {
 public:
  Worker(const Nester& job, const NesterSnapshot& layout, const std::vector<bool>& movable)
      : job_(job), layout_(job.layout().clone()), movable_(movable) {
    layout_.restore(layout);
    gridDistance_ = job.packingPointDistance();
    jobGridPoints_ = gridPoints(layout_);
  }

  Layout& layout() { return layout_; }

  Trial run(const Start& start, std::uint64_t seed, std::int64_t number) {
    Random random(mix(seed ^ mix(static_cast<std::uint64_t>(number))));
    Layout& n = layout_;
    n.restore(*start.layout);
    const double fullLength = n.plateLength();
    const double width = n.plateWidth();

    // Half the trials shrink the strip, the others look for a better layout of its length; a
    // restart lays every part out afresh on a longer strip. Never beyond the plate itself.
    const bool shrink = number % 2 == 0;
    double target = shrink ? start.length - start.step * (0.5 + random.unit()) : start.length;
    if (start.restart) target = start.length * (1 + kRestartGrowth * (0.5 + random.unit()));
    target = std::min(target, fullLength);

    std::vector<PlacedPart*> onPlate;
    std::size_t index = 0;
    for (PlacedPart& part : n.parts()) {
      if (movable_[index++]) onPlate.push_back(&part);
    }
    std::vector<PlacedPart*> taken;
    std::vector<PlacedPart*> stay;
    for (PlacedPart* part : onPlate) {
      (part->box().maxX > target ? taken : stay).push_back(part);
    }
    if (!stay.empty()) {
      const std::size_t most = std::max<std::size_t>(
          2, static_cast<std::size_t>(static_cast<double>(onPlate.size()) * kLargestRuin));
      const std::size_t count = start.restart ? stay.size()
                                : std::min(stay.size(), 1 + random.below(std::min(most, kMostRuined)));
      switch (random.below(3)) {
        case 0: {  // the parts nearest a part picked at random
          const Point centre = stay[random.below(stay.size())]->centroid();
          std::stable_sort(stay.begin(), stay.end(), [&](const PlacedPart* a, const PlacedPart* b) {
            return distanceSquared(a->centroid(), centre) < distanceSquared(b->centroid(), centre);
          });
          break;
        }
        case 1:  // the last parts of the strip
          std::stable_sort(stay.begin(), stay.end(), [](const PlacedPart* a, const PlacedPart* b) {
            return a->box().maxX > b->box().maxX;
          });
          break;
        default:
          for (std::size_t i = stay.size(); i > 1; --i) std::swap(stay[i - 1], stay[random.below(i)]);
          break;
      }
      taken.insert(taken.end(), stay.begin(), stay.begin() + static_cast<std::ptrdiff_t>(count));
    }

    for (PlacedPart* part : taken) park(*part, fullLength);
    Trial trial;
    if (!(target > 0)) return trial;
    n.setPlateSize(target, width);
    n.setPackingPointDistance(gridDistance_ / kGridDivisions[random.below(std::size(kGridDivisions))]);
    // A finer grid too large to be worth its time falls back to the job's own; a grid that
    // cannot be built at all ends the trial quietly (the operator was told at Layout All).
    if (gridPoints(n) > std::max(jobGridPoints_, kMostFinerGridPoints)) {
      n.setPackingPointDistance(gridDistance_);
    }
    if (n.packingGridProblem() || !n.renewPackingGrid()) return trial;

    // Largest first, with now and then two neighbours in the order swapped (a restart shuffles
    // more).
    std::stable_sort(taken.begin(), taken.end(), [](const PlacedPart* a, const PlacedPart* b) {
      return a->area() > b->area();
    });
    const double swap = start.restart ? kRestartOrderSwap : kOrderSwap;
    for (std::size_t i = 0; i + 1 < taken.size(); ++i) {
      if (random.unit() < swap) std::swap(taken[i], taken[i + 1]);
    }
    // Half the trials put each part where its centroid lies furthest left, as Layout All
    // does, the others where its box ends furthest left.
    GridSearchOptions search = jobGridSearch(job_);
    if (random.unit() < 0.5) search.objective = GridSearchOptions::Objective::kBoxRightEdge;
    SearchMemo& memo = n.searchMemo();
    memo.begin();
    bool placed = true;
    for (PlacedPart* part : taken) {
      gridSearch(n, *part, search);
      if (!n.isOnPlate(*part)) {
        placed = false;
        break;
      }
    }
    memo.end();
    if (!placed) return trial;

    trial.kept = true;
    trial.length = n.packingLength();
    trial.spread = spread(n);
    // Measured back on the whole plate, as the layout will be written.
    n.setPlateSize(fullLength, width);
    if (trial.length < start.length - kSameLength) trial.statistics = layoutStatistics(job_, n);
    trial.layout = n.snapshot();
    trial.layout.packingPointsDirty = true;
    return trial;
  }

 private:
  const Nester& job_;
  Layout layout_;
  const std::vector<bool>& movable_;
  double gridDistance_ = 0.0;  // the job's PPD
  double jobGridPoints_ = 0.0;  // on the whole plate
};

bool better(const Trial& trial, double length, double spreadNow) {
  if (!trial.kept) return false;
  if (trial.length < length - kSameLength) return true;
  return trial.length <= length + kSameLength && trial.spread < spreadNow - kSameLength;
}

using Clock = std::chrono::steady_clock;

// The ruin-and-recreate search, from `started` until `options.seconds` after it (or for
// `options.iterations` trials); the caller has begun the progress.
OptimiseResult ruinAndRecreate(Nester& nester, const OptimiseOptions& options,
                               const std::function<void(const OptimiseImprovement&)>& onImprovement,
                               Clock::time_point started) {
  auto elapsed = [&] { return std::chrono::duration<double>(Clock::now() - started).count(); };

  OptimiseResult result;
  result.start = nester.computeLayoutStatistics();
  result.best = result.start;

  // Parts off the plate at the start stay out of the search, parked where no trial meets them.
  const NesterSnapshot original = nester.snapshot();
  std::vector<bool> movable;
  bool anyOnPlate = false;
  for (const PlacedPart& part : nester.parts) {
    movable.push_back(nester.isOnPlate(part));
    anyOnPlate = anyOnPlate || movable.back();
  }
  if (!anyOnPlate) return result;

  const int threads = std::max(1, options.threads);
  std::vector<std::unique_ptr<Worker>> workers;
  for (int t = 0; t < threads; ++t) workers.push_back(std::make_unique<Worker>(nester, original, movable));
  {
    Layout& first = workers.front()->layout();
    std::size_t index = 0;
    for (PlacedPart& part : first.parts()) {
      if (!movable[index++]) park(part, first.plateLength());
    }
  }
  NesterSnapshot kept = workers.front()->layout().snapshot();
  kept.packingPointsDirty = true;
  double keptLength = workers.front()->layout().packingLength();
  double keptSpread = spread(workers.front()->layout());
  NesterSnapshot best = kept;
  double step = keptLength * kFirstStep;
  int roundsWithoutShrink = 0;

  Progress* progress = nester.progress;
  const std::int64_t budget = options.iterations.value_or(0);
  auto finished = [&] {
    if (progress != nullptr && progress->cancelled()) {
      result.cancelled = true;
      return true;
    }
    if (options.iterations) return result.iterations >= budget;
    return elapsed() >= options.seconds;
  };

  int roundsSinceShorter = 0;
  std::vector<Trial> trials(static_cast<std::size_t>(kRoundSize));
  while (!finished()) {
    const std::int64_t size =
        options.iterations ? std::min(kRoundSize, budget - result.iterations) : kRoundSize;
    // A search whose layout has not become shorter for long restarts from a fresh layout of
    // the parts in another order; the best layout stays on record.
    const bool restart = roundsSinceShorter >= kRoundsBeforeRestart;
    const Start start{&kept, keptLength, step, restart};
    std::atomic<std::int64_t> next{0};
    // A failure in a helper thread is handed to this one, which reports it as the engine would.
    std::vector<std::exception_ptr> failures(static_cast<std::size_t>(threads));
    auto work = [&](std::size_t t) {
      try {
        for (std::int64_t i = next++; i < size; i = next++) {
          trials[static_cast<std::size_t>(i)] =
              workers[t]->run(start, options.seed, result.iterations + i);
        }
      } catch (...) {
        failures[t] = std::current_exception();
        next = size;
      }
    };
    {
      std::vector<std::jthread> pool;
      for (std::size_t t = 1; t < workers.size(); ++t) pool.emplace_back(work, t);
      work(0);
    }
    for (const std::exception_ptr& failure : failures) {
      if (failure) std::rethrow_exception(failure);
    }

    // The best trial of the round, the first of equals.
    const Trial* chosen = nullptr;
    for (std::int64_t i = 0; i < size; ++i) {
      const Trial& trial = trials[static_cast<std::size_t>(i)];
      if (restart) {
        if (trial.kept && (chosen == nullptr || better(trial, chosen->length, chosen->spread))) {
          chosen = &trial;
        }
        continue;
      }
      if (chosen == nullptr ? better(trial, keptLength, keptSpread)
                            : better(trial, chosen->length, chosen->spread)) {
        chosen = &trial;
      }
    }
    result.iterations += size;
    bool shorter = false;
    const double lengthBefore = keptLength;
    if (chosen != nullptr) {
      shorter = chosen->length < keptLength - kSameLength;
      kept = chosen->layout;
      keptLength = chosen->length;
      keptSpread = chosen->spread;
      if (shorter && chosen->statistics.count == result.start.count &&
          chosen->statistics.packingLength < result.best.packingLength) {
        best = kept;
        result.best = chosen->statistics;
        ++result.improvements;
        if (onImprovement) onImprovement({elapsed(), result.iterations, result.best});
      }
    }
    // Gains of a few micrometres are the grid's noise, not progress worth waiting for.
    if (chosen != nullptr && chosen->length < lengthBefore * (1 - kProgress)) {
      roundsSinceShorter = 0;
    } else {
      ++roundsSinceShorter;
    }
    if (restart) {
      roundsSinceShorter = 0;
      step = keptLength * kFirstStep;
    }
    if (shorter) {
      roundsWithoutShrink = 0;
      step = std::min(step * 1.5, keptLength * kLargestStep);
    } else if (++roundsWithoutShrink >= kRoundsBeforeHalving) {
      roundsWithoutShrink = 0;
      step = std::max(step * 0.5, keptLength * kSmallestStep);
    }
    if (progress != nullptr) {
      progress->advance(options.iterations ? result.iterations
                                           : static_cast<std::int64_t>(elapsed() * 10));
    }
  }

  // The best layout on the nester's own plate; the parts left out go back where they were.
  onPlateOf(best, original);
  for (std::size_t i = 0; i < movable.size(); ++i) {
    if (!movable[i]) best.parts[i] = original.parts[i];
  }
  nester.restore(best);
  result.best = nester.computeLayoutStatistics();
  result.seconds = elapsed();
  return result;
}


}  // namespace

// Ruin and recreate first, a share of the budget: it finds a good arrangement quickly. The
// strip search then starts from its best layout and spends the rest.
OptimiseResult optimiseLayout(Nester& nester, const OptimiseOptions& options,
                              const std::function<void(const OptimiseImprovement&)>& onImprovement) {
  const Clock::time_point started = Clock::now();
  auto elapsed = [&] { return std::chrono::duration<double>(Clock::now() - started).count(); };
  Progress* progress = nester.progress;
  if (progress != nullptr) {
    if (options.iterations) {
      progress->begin("optimise trials", *options.iterations);
    } else {
      progress->begin("optimise tenths", static_cast<std::int64_t>(std::ceil(options.seconds * 10)));
    }
  }
  OptimiseOptions first = options;
  std::int64_t attempts = 0;
  std::size_t onPlate = 0;
  for (const PlacedPart& part : nester.parts) onPlate += nester.isOnPlate(part) ? 1 : 0;
  if (onPlate > kMostStripParts) {
    // The strip search keeps a weight for every pair of parts: too much for so many.
  } else if (options.iterations) {
    attempts = *options.iterations / kTrialsPerStripAttempt;
    first.iterations = *options.iterations - attempts;
  } else {
    first.seconds = std::min(options.seconds * kRuinAndRecreateShare, kMostRuinAndRecreateSeconds);
  }
  OptimiseResult result = ruinAndRecreate(nester, first, onImprovement, started);
  if (result.cancelled || onPlate > kMostStripParts || (options.iterations && attempts == 0)) {
    return result;
  }

  // The parts on the plate now are those the search may move: the others were off it at the
  // start and are back where they were.
  std::vector<bool> movable;
  for (const PlacedPart& part : nester.parts) movable.push_back(nester.isOnPlate(part));
  StripSearchOptions strip;
  strip.deadline = started + std::chrono::duration_cast<Clock::duration>(
                                 std::chrono::duration<double>(options.seconds));
  if (options.iterations) strip.attempts = attempts;
  strip.seed = options.seed;
  strip.threads = options.threads;
  strip.progress = progress;
  const std::int64_t trials = result.iterations;
  strip.onTick = [&](std::int64_t made) {
    if (progress != nullptr) {
      progress->advance(options.iterations ? trials + made : static_cast<std::int64_t>(elapsed() * 10));
    }
  };
  strip.onImprovement = [&](const LayoutStatistics& statistics) {
    ++result.improvements;
    if (onImprovement) onImprovement({elapsed(), trials, statistics});
  };
  const StripSearchResult found = stripSearch(nester, movable, result.best.packingLength, strip);
  result.iterations += found.attempts;
  result.cancelled = result.cancelled || found.cancelled;
  if (found.found) {
    NesterSnapshot best = found.layout;
    onPlateOf(best, nester.snapshot());
    nester.restore(best);
    result.best = nester.computeLayoutStatistics();
  }
  result.seconds = elapsed();
  return result;
}

}  // namespace platenest
