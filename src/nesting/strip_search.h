// The collision-driven strip search of the optimising layout. Starting from a finished
// layout, it shortens the strip a little, lets the parts that no longer fit overlap, and
// separates them: every colliding part in turn moves to the pose (sampled over the strip and
// near its place, in its allowed orientations, the best few refined by coordinate descent) of
// least weighted collision loss, and the weight of a pair that stays in collision grows (guided
// local search), so that the rounds push apart the pairs that resist. A pair's loss and a part's
// loss for leaving the strip grow like the root of an overlapping area, on one scale, so that
// neither a touch with a neighbour nor a part parked just beyond the strip comes cheap. A separated layout that the
// engine's exact fit test accepts is recorded and the strip shortened again; a failure tries a
// smaller cut from the last recorded layout or, at the smallest, works on from one of the
// strip's least overlapping failures with two large parts swapped. The last share of the
// budget compresses with ever smaller cuts.
//
// Two workers run streams of their own. With a number of attempts, after each pair of
// separations the one behind takes the other's shortest layout, so that the result is the same
// on one thread or two; with a time budget on two threads neither waits for the other: each
// takes the shortest layout posted so far whenever it ends a separation.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "nesting/nester.h"
#include "nesting/snapshot.h"

namespace platenest {

struct StripSearchOptions {
  std::chrono::steady_clock::time_point deadline;  // unless a number of attempts is given
  std::optional<std::int64_t> attempts;  // separations tried, shared by the two workers
  std::uint64_t seed = 1;
  int threads = 1;
  Progress* progress = nullptr;  // asked whether to stop; not told anything
  // Called on the calling thread now and then, with the attempts made so far.
  std::function<void(std::int64_t)> onTick;
  // Called on the calling thread with each layout shorter than any before (true outlines).
  std::function<void(const LayoutStatistics&)> onImprovement;
};

struct StripSearchResult {
  bool found = false;           // a layout shorter than the start, in `layout`
  NesterSnapshot layout;        // of the whole job, the parts left out where they were
  LayoutStatistics statistics;  // of `layout`
  std::int64_t attempts = 0;
  std::int64_t rounds = 0;      // separator rounds, both workers
  std::uint64_t queries = 0;    // poses evaluated, both workers
  bool cancelled = false;
};

// Searches from the layout on `nester` (which it leaves as it is) for one shorter than
// `startLength` (the packing length of the true outlines). Parts whose `movable` is false
// stay out of the search.
StripSearchResult stripSearch(const Nester& nester, const std::vector<bool>& movable,
                              double startLength, const StripSearchOptions& options);

}  // namespace platenest
