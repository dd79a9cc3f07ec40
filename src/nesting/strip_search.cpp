// The collision-driven strip search. See strip_search.h.
#include "nesting/strip_search.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <barrier>
#include <cmath>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>

#include "nesting/overlap.h"
#include "nesting/overlap_measure.h"
#include "nesting/strip_engine.h"

namespace platenest {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr int kWorkers = 2;
// Poses sampled anywhere on the strip and near the part's place when one part moves, and how
// many of the best (apart from each other by a share of the part's smaller side) are refined.
constexpr int kSamplesAnywhere = 50;
constexpr int kSamplesNear = 25;
constexpr std::size_t kRefined = 3;
constexpr double kApartShare = 0.05;
// Near means within this share of the part's box size of where it is.
constexpr double kNearShare = 0.5;
// Coordinate descent, steps as shares of the part's smaller side: the coarse one from each of
// the best samples, then the fine one from the best it found; a gain lengthens the step a
// little, no gain halves it.
constexpr double kCoarseSteps[] = {0.25, 0.02};
constexpr double kFineSteps[] = {0.01, 0.001};
constexpr double kStepGain = 1.1;
constexpr double kStepLoss = 0.5;
constexpr int kMostDescentSteps = 200;
// A pair's epsilon (the depth below which circle pairs count by a decayed value, and its
// least collision loss) as a share of the larger part's box diagonal.
constexpr double kEpsilonShare = 0.01;
// Separator: rounds without a clearly lower overlap (below this share of the least so far)
// make a strike; so many strikes end it.
constexpr int kRoundsPerStrike = 100;
constexpr int kStrikes = 3;
constexpr double kClearGain = 0.98;
// Weights of pairs still in collision grow by a factor between these two (more for the worse
// overlaps), those of clear pairs decay towards 1.
constexpr double kLeastGrowth = 1.2;
constexpr double kMostGrowth = 2.0;
constexpr double kDecay = 0.95;
// Exploring, the strip is cut by this share of its length at first; a failure halves the cut
// down to the smallest share, a success grows it again.
constexpr double kFirstCut = 0.005;
constexpr double kExploreCut = 0.0005;
constexpr double kLargestCut = 0.01;
// The share of the budget spent exploring; the rest compresses with cuts falling from the first
// to the last share.
constexpr double kExploreShare = 0.8;
constexpr double kCompressFirstCut = 0.0005;
constexpr double kCompressLastCut = 0.00001;
// Failed layouts of one strip kept to work on, and how strongly the choice among them leans to
// the least overlapping (the spread of a normal distribution over the pool's share).
constexpr std::size_t kPoolSize = 16;
// After a failure at the smallest cut, the chance of a fresh cut from the best layout rather
// than work on from the strip's failures.
constexpr double kFreshCutChance = 0.5;
constexpr double kPoolSpread = 0.25;
// Of the parts sorted by area, those that make up this share of the total area are large.
constexpr double kLargeAreaShare = 0.75;

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
  std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
  double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
  double between(double low, double high) { return high > low ? low + (high - low) * unit() : low; }

 private:
  std::uint64_t state_;
};

struct PoseOf {
  std::size_t k = 0;
  double dx = 0.0;
  double dy = 0.0;
};

BoundingBox moved(const BoundingBox& b, double dx, double dy) {
  return {b.minX + dx, b.maxX + dx, b.minY + dy, b.maxY + dy};
}

// What the workers share: the shortest layout reported and the layouts waiting to be told.
struct Shared {
  std::mutex mutex;
  double reported = 0.0;
  std::vector<LayoutStatistics> pending;
  std::atomic<std::int64_t> attempts{0};
  std::atomic<std::int64_t> rounds{0};
  std::atomic<std::uint64_t> queries{0};
  std::atomic<bool> stop{false};
  // With a time budget on two threads: the shortest layout either worker has separated, for the
  // other to take as soon as it ends its separation (no waiting for each other).
  std::mutex boardMutex;
  double boardLength = kInfinity;
  std::vector<PoseOf> boardPoses;
  double boardCut = 0.0;
};

class Worker {
 public:
  Worker(const Nester& job, const NesterSnapshot& start, const std::vector<bool>& movable,
         std::uint64_t seed, Shared& shared)
      : engine_(job, start, movable), random_(seed), shared_(shared) {
    n_ = engine_.itemCount();
    covers_.resize(n_);
    boxes_.resize(n_);
    sizes_.resize(n_);
    for (std::size_t i = 0; i < n_; ++i) {
      // One cover per part, carried to its other orientations by their turns.
      const CircleCover first = coverWithCircles(engine_.variant(i, 0));
      for (std::size_t k = 0; k < engine_.variantCount(i); ++k) {
        CircleCover cover = first;
        for (InscribedCircle& c : cover.circles) {
          const Point p = engine_.carried(i, k, Point(c.x, c.y));
          c.x = p.x;
          c.y = p.y;
        }
        covers_[i].push_back(std::move(cover));
      }
      sizes_[i] = std::max(covers_[i].front().size, 1e-3);
      const PlacedPart& part = engine_.variant(i, 0);
      rootArea_.push_back(std::max(std::sqrt(std::max(part.area(), 0.0)), 1e-6));
      const BoundingBox& box = part.outer.box();
      diameter_.push_back(std::hypot(box.width(), box.height()));
    }
    poses_.assign(n_, PoseOf{});
    pair_.assign(n_ * n_, 0.0);
    weight_.assign(n_ * n_, 1.0);
    hits_.assign(n_, 0);
    watched_.assign(n_ * n_, 0);
    plate_.assign(n_, 0.0);
    plateWeight_.assign(n_, 1.0);
    for (std::size_t i = 0; i < n_; ++i) boxes_[i] = engine_.placed(i).outer.box();
    width_ = engine_.plateWidth();
    bestLength_ = engine_.packingLength();
    bestPoses_ = poses_;
  }

  // Attempts until the budget ends; `calling` runs the calling thread's duties now and then.
  // First an exploring phase: each separated layout is recorded and the strip cut again; a cut
  // that fails is halved while it is larger than the smallest, and a failure at the smallest
  // cut stays on that strip and works on from one of its least overlapping layouts, two large
  // parts swapped. Then a compressing phase: from the best layout, ever smaller cuts.
  void begin(const StripSearchOptions& options, std::optional<std::int64_t> budget,
             const std::function<void()>& calling, std::chrono::steady_clock::time_point began) {
    options_ = &options;
    calling_ = &calling;
    budget_ = budget;
    exploreUntil_ = began + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                (options.deadline - began) * kExploreShare);
    exploreAttempts_ =
        budget ? static_cast<std::int64_t>(static_cast<double>(*budget) * kExploreShare) : 0;
    cut_ = kFirstCut;
    shrink(cut_);
  }

  // One separation, and the strip of the next.
  void step() {
    const bool exploring = budget_ ? attempts_ < exploreAttempts_
                                   : std::chrono::steady_clock::now() < exploreUntil_;
    ++attempts_;
    shared_.attempts.fetch_add(1);
    const bool separated = separate();
    if (separated) {
      bestPoses_ = poses_;
      bestLength_ = engine_.packingLength();
      layout_ = engine_.snapshot();
      statistics_ = engine_.statistics();
      found_ = true;
      offer();
      pool_.clear();
      cut_ = std::min(cut_ * 1.5, kLargestCut);
    } else if (exploring && cut_ > kExploreCut) {
      cut_ = std::max(cut_ * 0.5, kExploreCut);
    }
    if (!exploring) {
      // Compressing: the cut falls from its largest to its smallest over the phase.
      double share = 1.0;
      if (budget_) {
        const std::int64_t phase = std::max<std::int64_t>(1, *budget_ - exploreAttempts_);
        share = static_cast<double>(attempts_ - exploreAttempts_) / static_cast<double>(phase);
      } else {
        share = std::chrono::duration<double>(std::chrono::steady_clock::now() - exploreUntil_) /
                std::max(std::chrono::duration<double>(options_->deadline - exploreUntil_),
                         std::chrono::duration<double>(1e-3));
      }
      share = std::clamp(share, 0.0, 1.0);
      cut_ = kCompressFirstCut * std::pow(kCompressLastCut / kCompressFirstCut, share);
      shrink(cut_);
    } else if (separated || cut_ > kExploreCut) {
      shrink(cut_);
    } else if (random_.unit() < kFreshCutChance) {
      // The smallest cut failed: a fresh one from the best layout (its failures are of another
      // strip), or stay on this strip.
      pool_.clear();
      shrink(cut_);
    } else {
      keepInPool();
      poses_ = pickFromPool();
      placeAll();
      swapLargeParts();
    }
    if (*calling_) (*calling_)();
  }

  // Takes the other worker's best layout when it is shorter, and cuts its strip.
  void adopt(const Worker& other) {
    if (!(other.bestLength_ < bestLength_)) return;
    bestPoses_ = other.bestPoses_;
    bestLength_ = other.bestLength_;
    pool_.clear();
    cut_ = other.cut_;
    shrink(cut_);
  }

  // Timed, on its own thread: posts its best layout when it is the shortest yet, else takes the
  // shortest posted when that is shorter than its own.
  void trade() {
    std::lock_guard<std::mutex> lock(shared_.boardMutex);
    if (bestLength_ < shared_.boardLength) {
      shared_.boardLength = bestLength_;
      shared_.boardPoses = bestPoses_;
      shared_.boardCut = cut_;
    } else if (shared_.boardLength < bestLength_) {
      bestPoses_ = shared_.boardPoses;
      bestLength_ = shared_.boardLength;
      pool_.clear();
      cut_ = shared_.boardCut;
      shrink(cut_);
    }
  }

  bool outOfBudget() {
    if (options_->progress != nullptr && options_->progress->cancelled()) shared_.stop = true;
    if (shared_.stop) return true;
    if (budget_) return attempts_ >= *budget_;
    return std::chrono::steady_clock::now() >= options_->deadline;
  }

  bool found() const { return found_; }
  const NesterSnapshot& layout() const { return layout_; }
  const LayoutStatistics& statistics() const { return statistics_; }
  std::int64_t attempts() const { return attempts_; }

 private:
  const BoundingBox& variantBox(std::size_t i, std::size_t k) const {
    return engine_.variant(i, k).outer.box();
  }

  // Checked between rounds: a budget of attempts never stops a separation half way.
  bool mustStop() {
    if (options_->progress != nullptr && options_->progress->cancelled()) shared_.stop = true;
    if (shared_.stop) return true;
    return !options_->attempts && std::chrono::steady_clock::now() >= options_->deadline;
  }

  // Kept until the workers meet, so that the layouts are told in worker order and the count
  // of improvements does not depend on which thread finished first.
  void offer() { offers_.push_back(statistics_); }

 public:
  // Hands the layouts found since the last meeting to the shared record, shorter ones only.
  void report() {
    std::lock_guard<std::mutex> lock(shared_.mutex);
    for (const LayoutStatistics& s : offers_) {
      if (s.packingLength < shared_.reported) {
        shared_.reported = s.packingLength;
        shared_.pending.push_back(s);
      }
    }
    offers_.clear();
  }

 private:

  void placeOne(std::size_t i) {
    engine_.place(i, poses_[i].k, poses_[i].dx, poses_[i].dy);
    boxes_[i] = engine_.placed(i).outer.box();
  }
  void placeAll() {
    for (std::size_t i = 0; i < n_; ++i) placeOne(i);
  }

  // From the best layout, a strip shorter by about `cut` of its length: the parts right of a
  // random line move left by the difference, so the overlap this makes lies along that line
  // (and is not heaped at the strip's end); any still beyond the end move in by as much.
  void shrink(double cut) {
    poses_ = bestPoses_;
    placeAll();
    const double target = bestLength_ * (1 - cut * (0.5 + random_.unit()));
    length_ = std::min(target, engine_.plateLength());
    const double by = bestLength_ - length_;
    const double line = random_.between(0.0, bestLength_);
    for (std::size_t i = 0; i < n_; ++i) {
      double shift = (boxes_[i].minX + boxes_[i].maxX) / 2 > line ? by : 0.0;
      shift = std::max(shift, boxes_[i].maxX - length_);
      if (!(shift > 0)) continue;
      poses_[i].dx = std::max(poses_[i].dx - shift, -variantBox(i, poses_[i].k).minX);
      placeOne(i);
    }
  }

  // Keeps the layout the separator ended with (its least overlapping) among the strip's
  // failures, least overlap first, the worst dropped once there are too many.
  void keepInPool() {
    auto at = std::upper_bound(pool_.begin(), pool_.end(), lastLoss_,
                               [](double loss, const Failed& f) { return loss < f.loss; });
    pool_.insert(at, Failed{poses_, lastLoss_});
    if (pool_.size() > kPoolSize) pool_.pop_back();
  }
  // One of the kept failures, the less overlapping the likelier.
  const std::vector<PoseOf>& pickFromPool() {
    const double u = std::max(random_.unit(), 1e-300);
    const double normal = std::sqrt(-2 * std::log(u)) * std::cos(2 * 3.14159265358979323846 * random_.unit());
    const double share = std::min(std::fabs(normal) * kPoolSpread, 0.999);
    return pool_[static_cast<std::size_t>(share * static_cast<double>(pool_.size()))].poses;
  }

  // Swaps the places of two large parts (each keeps its orientation, its box centred where the
  // other's was, the second unlike the first where one is). The parts whose innermost point
  // lies within either's outer outline (in its holes too) move with it, so a large part swapped
  // with a smaller one does not land on what lay around it.
  void swapLargeParts() {
    if (n_ < 2) return;
    std::vector<std::size_t> order(n_);
    double totalArea = 0.0;
    for (std::size_t i = 0; i < n_; ++i) {
      order[i] = i;
      totalArea += engine_.placed(i).area();
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      return engine_.placed(a).area() > engine_.placed(b).area();
    });
    std::size_t large = 0;
    for (double sum = 0.0; large < n_ && sum <= kLargeAreaShare * totalArea; ++large) {
      sum += engine_.placed(order[large]).area();
    }
    large = std::max<std::size_t>(large, 2);
    const std::size_t a = order[random_.below(large)];
    const double areaA = engine_.placed(a).area();
    std::vector<std::size_t> unlike;
    for (std::size_t r = 0; r < large; ++r) {
      if (std::fabs(engine_.placed(order[r]).area() - areaA) > 0.01 * areaA)
        unlike.push_back(order[r]);
    }
    std::size_t b = a;
    if (!unlike.empty()) {
      b = unlike[random_.below(unlike.size())];
    } else {
      b = (a + 1 + random_.below(n_ - 1)) % n_;
    }
    const std::vector<std::size_t> withA = within(a, b);
    const std::vector<std::size_t> withB = within(b, a);
    const double ax = (boxes_[a].minX + boxes_[a].maxX) / 2, ay = (boxes_[a].minY + boxes_[a].maxY) / 2;
    const double bx = (boxes_[b].minX + boxes_[b].maxX) / 2, by = (boxes_[b].minY + boxes_[b].maxY) / 2;
    auto move = [&](std::size_t i, double dx, double dy) {
      poses_[i].dx += dx;
      poses_[i].dy += dy;
      placeOne(i);
    };
    move(a, bx - ax, by - ay);
    move(b, ax - bx, ay - by);
    for (std::size_t i : withA) move(i, bx - ax, by - ay);
    for (std::size_t i : withB) move(i, ax - bx, ay - by);
  }
  // The parts other than `other` whose first circle's centre lies within the outer outline of
  // `host` as it lies.
  std::vector<std::size_t> within(std::size_t host, std::size_t other) const {
    std::vector<std::size_t> found;
    const PlacedPart& h = engine_.placed(host);
    for (std::size_t i = 0; i < n_; ++i) {
      if (i == host || i == other || boxesApart(boxes_[i], boxes_[host])) continue;
      const CircleCover& cover = covers_[i][poses_[i].k];
      if (cover.circles.empty()) continue;
      const Point pole(cover.circles.front().x + poses_[i].dx, cover.circles.front().y + poses_[i].dy);
      if (h.outer.containsPoint(pole)) found.push_back(i);
    }
    return found;
  }

  // The overlap of item i at its place with item j at its place.
  double pairOverlap(std::size_t i, std::size_t j) const {
    const BoundingBox& a = boxes_[i];
    const BoundingBox& b = boxes_[j];
    if (boxesApart(a, b)) return 0.0;
    const double o = coverOverlap(covers_[i][poses_[i].k], poses_[i].dx, poses_[i].dy, a,
                                  covers_[j][poses_[j].k], poses_[j].dx, poses_[j].dy, b);
    if (o > 0) return lossOf(i, j, o);
    if (StripEngine::clear(engine_.placed(i), engine_.placed(j))) return 0.0;
    return lossOf(i, j, refusedPairOverlap(covers_[i][poses_[i].k], poses_[i].dx, poses_[i].dy,
                              covers_[j][poses_[j].k], poses_[j].dx, poses_[j].dy) +
           std::min(sizes_[i], sizes_[j]) * vertexPenetration(engine_.placed(i), engine_.placed(j)));
  }
  // A pair's collision loss: its least (a pair barely in collision) a share of the larger
  // part's diagonal, its scale the mean root of the two areas, so that pairs of large parts
  // weigh more and the strip's loss is of the same scale.
  double epsilonOf(std::size_t i, std::size_t j) const {
    return kEpsilonShare * std::max(diameter_[i], diameter_[j]);
  }
  double scaleOf(std::size_t i, std::size_t j) const { return std::sqrt(rootArea_[i] * rootArea_[j]); }
  double lossOf(std::size_t i, std::size_t j, double overlap) const {
    return collisionLoss(overlap, epsilonOf(i, j), scaleOf(i, j));
  }
  // The overlap's sum at which the pair's weighted loss brings `total` to `bound`.
  double overlapBound(std::size_t i, std::size_t j, double total, double w, double bound) const {
    return overlapReaching((bound - total) / w, epsilonOf(i, j), scaleOf(i, j));
  }
  double plateLoss(std::size_t i, const BoundingBox& box) const {
    return stripLoss(box, std::min(length_, engine_.plateLength()), width_, rootArea_[i]);
  }

  double plateOverlap(std::size_t i) const {
    return plateLoss(i, boxes_[i]);
  }

  // Sets the overlap of a pair, keeping count of each item's colliding pairs and the list of
  // pairs in collision or with a weight above 1: the only ones a round has to look at.
  void setPair(std::size_t i, std::size_t j, double o) {
    double& held = pair_[i * n_ + j];
    if ((held > 0) != (o > 0)) {
      const int change = o > 0 ? 1 : -1;
      hits_[i] += change;
      hits_[j] += change;
    }
    held = o;
    pair_[j * n_ + i] = o;
    const std::size_t key = std::min(i, j) * n_ + std::max(i, j);
    if (o > 0 && !watched_[key]) {
      watched_[key] = 1;
      watchedPairs_.push_back(key);
    }
  }
  void measureItem(std::size_t i) {
    plate_[i] = plateOverlap(i);
    for (std::size_t j = 0; j < n_; ++j) {
      if (j != i) setPair(i, j, pairOverlap(i, j));
    }
  }
  void measureAll() {
    for (std::size_t i = 0; i < n_; ++i) {
      plate_[i] = plateOverlap(i);
      for (std::size_t j = i + 1; j < n_; ++j) setPair(i, j, pairOverlap(i, j));
    }
  }
  bool colliding(std::size_t i) const { return plate_[i] > 0 || hits_[i] > 0; }
  // The sum over the plate and the pairs, item by item as a full sweep would add them (the
  // pairs left out are all zero, and adding zero changes nothing).
  double totalOverlap() {
    std::sort(watchedPairs_.begin(), watchedPairs_.end());
    double total = 0.0;
    std::size_t next = 0;
    for (std::size_t i = 0; i < n_; ++i) {
      total += plate_[i];
      for (; next < watchedPairs_.size() && watchedPairs_[next] / n_ == i; ++next) {
        total += pair_[watchedPairs_[next]];
      }
    }
    return total;
  }

  // The weighted overlap of item i at variant k moved by (dx, dy) against the others where
  // they lie; stops adding once it reaches `bound`.
  double evaluate(std::size_t i, std::size_t k, double dx, double dy, double bound) {
    ++queries_;
    const BoundingBox box = moved(variantBox(i, k), dx, dy);
    double total = plateWeight_[i] * plateLoss(i, box);
    if (total >= bound) return total;
    // Circles first, over every neighbour: most poses lose to the best found on them alone,
    // before any exact test.
    const CircleCover& cover = covers_[i][k];
    uncertain_.clear();
    for (std::size_t j = 0; j < n_; ++j) {
      if (j == i || boxesApart(box, boxes_[j])) continue;
      const double w = weight_[i * n_ + j];
      const double reach = overlapBound(i, j, total, w, bound);
      const double o = coverOverlap(cover, dx, dy, box, covers_[j][poses_[j].k], poses_[j].dx,
                                    poses_[j].dy, boxes_[j], OverlapStop{0.0, 1.0, reach});
      if (!(o > 0)) {
        uncertain_.push_back(j);
        continue;
      }
      // The sum may have stopped short once it got there: the pose has lost.
      if (o >= reach) return bound;
      total += w * lossOf(i, j, o);
      if (total >= bound) return total;
    }
    if (uncertain_.empty()) return total;
    engine_.pose(scratch_, i, k, dx, dy);
    for (std::size_t j : uncertain_) {
      if (StripEngine::clear(scratch_, engine_.placed(j))) continue;
      const double w = weight_[i * n_ + j];
      const double reach = overlapBound(i, j, total, w, bound);
      double o = refusedPairOverlap(cover, dx, dy, covers_[j][poses_[j].k], poses_[j].dx,
                                    poses_[j].dy, OverlapStop{0.0, 1.0, reach});
      if (o >= reach) return bound;
      // The vertices' depths cost most: only for a pose still in the running.
      o += std::min(sizes_[i], sizes_[j]) * vertexPenetration(scratch_, engine_.placed(j));
      total += w * lossOf(i, j, o);
      if (total >= bound) return total;
    }
    return total;
  }

  // A random place for variant k of item i with its box inside the strip (or as far in as
  // its size allows).
  PoseOf anywhere(std::size_t i, std::size_t k) {
    const BoundingBox& b = variantBox(i, k);
    const double length = std::min(length_, engine_.plateLength());
    return {k, random_.between(-b.minX, length - b.maxX), random_.between(-b.minY, width_ - b.maxY)};
  }
  PoseOf near(std::size_t i) {
    const PoseOf& now = poses_[i];
    const std::size_t k = random_.unit() < 0.3 ? random_.below(engine_.variantCount(i)) : now.k;
    const BoundingBox& from = variantBox(i, now.k);
    const BoundingBox& to = variantBox(i, k);
    // Keeps the box centre where it was, then moves a little.
    const double cx = (from.minX + from.maxX) / 2 + now.dx;
    const double cy = (from.minY + from.maxY) / 2 + now.dy;
    const double reach = kNearShare * std::max(to.width(), to.height());
    return {k, cx - (to.minX + to.maxX) / 2 + reach * (2 * random_.unit() - 1),
            cy - (to.minY + to.maxY) / 2 + reach * (2 * random_.unit() - 1)};
  }

  // Coordinate descent from `at`: along an axis drawn at random (across, up, either diagonal)
  // a step each way; a gain moves there and lengthens that axis's step a little, no gain halves
  // it and draws another axis; it ends when both steps are below `last`.
  void descend(std::size_t i, PoseOf& at, double& value, double first, double last) {
    double sx = first;
    double sy = first;
    std::size_t axis = random_.below(4);
    for (int steps = 0; value > 0 && (sx >= last || sy >= last) && steps < kMostDescentSteps; ++steps) {
      double ux = 0.0, uy = 0.0;
      switch (axis) {
        case 0: ux = sx; break;
        case 1: uy = sy; break;
        case 2: ux = sx; uy = sy; break;
        default: ux = -sx; uy = sy; break;
      }
      const PoseOf plus{at.k, at.dx + ux, at.dy + uy};
      const PoseOf minus{at.k, at.dx - ux, at.dy - uy};
      const double vp = evaluate(i, plus.k, plus.dx, plus.dy, value);
      const double vm = evaluate(i, minus.k, minus.dx, minus.dy, std::min(value, vp));
      const bool gained = std::min(vp, vm) < value;
      if (gained) {
        at = vm < vp ? minus : plus;
        value = std::min(vp, vm);
      }
      const double m = gained ? kStepGain : kStepLoss;
      if (axis == 0) {
        sx *= m;
      } else if (axis == 1) {
        sy *= m;
      } else {
        sx *= std::sqrt(m);
        sy *= std::sqrt(m);
      }
      if (!gained) axis = random_.below(4);
    }
  }

  // Samples near and anywhere, the few best (apart from each other) refined by a coarse
  // descent, the best of them by a fine one.
  void moveItem(std::size_t i) {
    std::vector<KeptPose>& kept = kept_;
    kept.clear();
    const BoundingBox& b0 = variantBox(i, 0);
    const double minDim = std::min(b0.width(), b0.height());
    const double apart = kApartShare * minDim;
    auto bound = [&] { return kept.size() < kRefined ? kInfinity : kept.back().value; };
    auto report = [&](const PoseOf& pose, double value) {
      if (!(value < bound())) return;
      for (std::size_t s = 0; s < kept.size(); ++s) {
        const PoseOf& q = kept[s].pose;
        if (q.k == pose.k && std::fabs(q.dx - pose.dx) < apart && std::fabs(q.dy - pose.dy) < apart) {
          if (!(value < kept[s].value)) return;
          kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(s));
          break;
        }
      }
      auto at = std::upper_bound(kept.begin(), kept.end(), value,
                                 [](double v, const KeptPose& e) { return v < e.value; });
      kept.insert(at, KeptPose{pose, value});
      if (kept.size() > kRefined) kept.pop_back();
    };
    const double now = evaluate(i, poses_[i].k, poses_[i].dx, poses_[i].dy, kInfinity);
    if (now == 0) return;
    report(poses_[i], now);
    const std::size_t variants = engine_.variantCount(i);
    for (int s = 0; s < kSamplesNear && kept.front().value > 0; ++s) {
      const PoseOf pose = near(i);
      report(pose, evaluate(i, pose.k, pose.dx, pose.dy, bound()));
    }
    for (int s = 0; s < kSamplesAnywhere && kept.front().value > 0; ++s) {
      const PoseOf pose = anywhere(i, random_.below(variants));
      report(pose, evaluate(i, pose.k, pose.dx, pose.dy, bound()));
    }
    PoseOf best = kept.front().pose;
    double bestValue = kept.front().value;
    if (bestValue > 0) {
      std::array<KeptPose, kRefined> starts;
      const std::size_t count = kept.size();
      std::copy(kept.begin(), kept.end(), starts.begin());
      for (std::size_t s = 0; s < count; ++s) {
        const KeptPose& start = starts[s];
        PoseOf at = start.pose;
        double value = start.value;
        descend(i, at, value, kCoarseSteps[0] * minDim, kCoarseSteps[1] * minDim);
        if (value < bestValue) {
          bestValue = value;
          best = at;
        }
        if (bestValue == 0) break;
      }
      descend(i, best, bestValue, kFineSteps[0] * minDim, kFineSteps[1] * minDim);
    }
    // A part that found nowhere better stays, and so do its overlaps.
    if (best.k == poses_[i].k && best.dx == poses_[i].dx && best.dy == poses_[i].dy) return;
    poses_[i] = best;
    placeOne(i);
    measureItem(i);
  }

  // Pairs clear and at weight 1 stay so: only the watched pairs change.
  void updateWeights() {
    double most = 0.0;
    for (std::size_t i = 0; i < n_; ++i) most = std::max(most, plate_[i]);
    for (std::size_t key : watchedPairs_) most = std::max(most, pair_[key]);
    if (!(most > 0)) return;
    auto grow = [&](double& w, double o) {
      w = o > 0 ? w * (kLeastGrowth + (kMostGrowth - kLeastGrowth) * o / most)
                : std::max(1.0, w * kDecay);
    };
    for (std::size_t i = 0; i < n_; ++i) grow(plateWeight_[i], plate_[i]);
    std::size_t kept = 0;
    for (std::size_t key : watchedPairs_) {
      const std::size_t i = key / n_;
      const std::size_t j = key % n_;
      grow(weight_[key], pair_[key]);
      weight_[j * n_ + i] = weight_[key];
      if (pair_[key] > 0 || weight_[key] > 1.0) {
        watchedPairs_[kept++] = key;
      } else {
        watched_[key] = 0;
      }
    }
    watchedPairs_.resize(kept);
  }

  // Drives the overlap on the current strip to zero; true with a layout the engine accepts.
  bool separate() {
    std::fill(weight_.begin(), weight_.end(), 1.0);
    std::fill(plateWeight_.begin(), plateWeight_.end(), 1.0);
    for (std::size_t key : watchedPairs_) watched_[key] = 0;
    watchedPairs_.clear();
    measureAll();
    double total = totalOverlap();
    lastLoss_ = total;
    if (total == 0) return engine_.feasible(length_);
    double bestTotal = total;
    std::vector<PoseOf> bestPoses = poses_;
    std::vector<std::size_t> order;
    for (int strikes = 0; strikes < kStrikes;) {
      int withoutGain = 0;
      while (withoutGain < kRoundsPerStrike) {
        if (mustStop()) return false;
        order.clear();
        for (std::size_t i = 0; i < n_; ++i) {
          if (colliding(i)) order.push_back(i);
        }
        for (std::size_t i = order.size(); i > 1; --i) std::swap(order[i - 1], order[random_.below(i)]);
        for (std::size_t i : order) {
          if (colliding(i)) moveItem(i);
        }
        shared_.rounds.fetch_add(1, std::memory_order_relaxed);
        flushQueries();
        total = totalOverlap();
        if (total == 0) {
          if (engine_.feasible(length_)) return true;
          lastLoss_ = bestTotal;
          return false;
        }
        if (total < bestTotal) {
          // Only a clear gain restarts the count: small ones would drag a hopeless strip on.
          if (total < kClearGain * bestTotal) withoutGain = 0; else ++withoutGain;
          bestTotal = total;
          bestPoses = poses_;
        } else {
          ++withoutGain;
        }
        updateWeights();
        if (calling_ != nullptr && *calling_) (*calling_)();
      }
      poses_ = bestPoses;
      placeAll();
      measureAll();
      ++strikes;
    }
    lastLoss_ = bestTotal;
    return false;
  }

  void flushQueries() {
    shared_.queries.fetch_add(queries_, std::memory_order_relaxed);
    queries_ = 0;
  }

  StripEngine engine_;
  Random random_;
  Shared& shared_;
  const StripSearchOptions* options_ = nullptr;
  const std::function<void()>* calling_ = nullptr;
  std::size_t n_ = 0;
  std::vector<std::vector<CircleCover>> covers_;
  std::vector<BoundingBox> boxes_;
  std::vector<double> sizes_;
  std::vector<double> rootArea_;
  std::vector<double> diameter_;
  std::vector<PoseOf> poses_;
  std::vector<double> pair_;
  std::vector<double> weight_;
  std::vector<double> plate_;
  std::vector<double> plateWeight_;
  std::vector<int> hits_;                  // each item's pairs in collision
  std::vector<char> watched_;              // by key i * n + j, i < j: in watchedPairs_
  std::vector<std::size_t> watchedPairs_;  // pairs in collision or weighing more than 1
  PlacedPart scratch_;
  std::vector<std::size_t> uncertain_;  // neighbours whose circles do not meet the pose's
  struct KeptPose {
    PoseOf pose;
    double value;
  };
  std::vector<KeptPose> kept_;  // the moving part's best poses so far, best first
  double width_ = 0.0;
  double length_ = 0.0;
  double bestLength_ = 0.0;
  std::vector<PoseOf> bestPoses_;
  bool found_ = false;
  NesterSnapshot layout_;
  LayoutStatistics statistics_;
  std::int64_t attempts_ = 0;
  std::uint64_t queries_ = 0;
  std::optional<std::int64_t> budget_;
  std::chrono::steady_clock::time_point exploreUntil_;
  std::int64_t exploreAttempts_ = 0;
  double cut_ = kFirstCut;
  // The failed layouts of the current strip and their overlaps.
  struct Failed {
    std::vector<PoseOf> poses;
    double loss = 0.0;
  };
  std::vector<Failed> pool_;
  std::vector<LayoutStatistics> offers_;  // separated layouts not yet reported
  double lastLoss_ = 0.0;  // of the layout the last separation ended with
};

}  // namespace

StripSearchResult stripSearch(const Nester& nester, const std::vector<bool>& movable,
                              double startLength, const StripSearchOptions& options) {
  StripSearchResult result;
  const NesterSnapshot start = nester.snapshot();
  bool any = false;
  for (bool m : movable) any = any || m;
  if (!any) return result;

  Shared shared;
  shared.reported = startLength;
  std::vector<std::unique_ptr<Worker>> workers;
  for (int w = 0; w < kWorkers; ++w) {
    workers.push_back(std::make_unique<Worker>(nester, start, movable,
                                               mix(options.seed ^ mix(0x5713 + static_cast<std::uint64_t>(w))),
                                               shared));
  }
  // The calling thread's duties: the attempts made, the layouts found.
  const std::function<void()> calling = [&] {
    if (options.onTick) options.onTick(shared.attempts.load());
    std::vector<LayoutStatistics> pending;
    {
      std::lock_guard<std::mutex> lock(shared.mutex);
      pending.swap(shared.pending);
    }
    if (options.onImprovement) {
      for (const LayoutStatistics& s : pending) options.onImprovement(s);
    }
  };
  const std::function<void()> none;
  // Each worker's share of the attempts: the first takes the odd one.
  auto share = [&](int w) -> std::optional<std::int64_t> {
    if (!options.attempts) return std::nullopt;
    return (*options.attempts + (w == 0 ? 1 : 0)) / 2;
  };
  const bool together = options.threads >= 2;
  const auto began = std::chrono::steady_clock::now();
  for (int w = 0; w < kWorkers; ++w) {
    workers[w]->begin(options, share(w), w == 0 || !together ? calling : none, began);
  }
  // After each pair of separations the worker behind takes the other's layout: both work on
  // the shortest found, each with its own stream, the same on one thread or two.
  auto meet = [&] {
    for (auto& w : workers) w->report();
    workers[0]->adopt(*workers[1]);
    workers[1]->adopt(*workers[0]);
  };
  auto anyLeft = [&] {
    bool left = false;
    for (const auto& w : workers) left = !w->outOfBudget() || left;
    return left && !shared.stop;
  };
  if (together && !options.attempts) {
    // A time budget: the result depends on the clock anyway, so neither worker waits for the
    // other; each trades layouts through the board after each separation.
    std::exception_ptr failure;
    std::mutex failureMutex;
    auto loop = [&](int w) {
      try {
        while (!workers[w]->outOfBudget()) {
          workers[w]->step();
          workers[w]->report();
          workers[w]->trade();
        }
      } catch (...) {
        std::lock_guard<std::mutex> lock(failureMutex);
        if (!failure) failure = std::current_exception();
        shared.stop = true;
      }
    };
    {
      std::jthread helper([&] { loop(1); });
      loop(0);
    }
    if (failure) std::rethrow_exception(failure);
  } else if (together) {
    std::exception_ptr failure;
    std::mutex failureMutex;
    auto keep = [&] {
      std::lock_guard<std::mutex> lock(failureMutex);
      if (!failure) failure = std::current_exception();
      shared.stop = true;
    };
    std::barrier sync(kWorkers);
    bool go = true;
    auto loop = [&](int w) {
      for (;;) {
        try {
          if (!workers[w]->outOfBudget()) workers[w]->step();
        } catch (...) {
          keep();
        }
        sync.arrive_and_wait();
        if (w == 0) {
          try {
            if (!shared.stop) meet();
            go = anyLeft();
          } catch (...) {
            keep();
            go = false;
          }
        }
        sync.arrive_and_wait();
        if (!go) return;
      }
    };
    {
      std::jthread helper([&] { loop(1); });
      loop(0);
    }
    if (failure) std::rethrow_exception(failure);
  } else {
    for (bool go = true; go;) {
      for (auto& w : workers) {
        if (!w->outOfBudget()) w->step();
      }
      if (!shared.stop) meet();
      go = anyLeft();
    }
  }
  for (auto& w : workers) w->report();
  calling();

  const Worker* best = nullptr;
  for (const auto& w : workers) {
    if (!w->found()) continue;
    if (best == nullptr || w->statistics().packingLength < best->statistics().packingLength) best = w.get();
  }
  result.attempts = shared.attempts.load();
  result.rounds = shared.rounds.load();
  result.queries = shared.queries.load();
  result.cancelled = options.progress != nullptr && options.progress->cancelled();
  if (best != nullptr && best->statistics().packingLength < startLength) {
    result.found = true;
    result.layout = best->layout();
    result.statistics = best->statistics();
    // The parts left out go back where they were.
    for (std::size_t i = 0; i < movable.size(); ++i) {
      if (!movable[i]) result.layout.parts[i] = start.parts[i];
    }
  }
  return result;
}

}  // namespace platenest
