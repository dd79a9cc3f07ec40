// The optimising layout: starting from a finished layout, it spends a budget of time or of
// trial layouts on shortening the plate used. Each trial takes some parts off the plate (a
// region, the parts at the end of the strip, or parts at random), shortens the strip and puts
// them back with the grid placement; a trial is kept only when every part is back on the
// shorter strip, so each layout it keeps passes the same exact fit tests as Layout All.
//
// Trials run in rounds of a fixed size from the layout kept so far, each from its own seed;
// the best of a round is kept. Threads share the trials of a round, so a given seed and
// number of trials give the same layout whatever the number of threads.
//
// These trials take the first share of the budget; a strip search in which parts may overlap
// while they move (strip_search.h) spends the rest from their best layout, and its layout is
// kept when it is shorter.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "nesting/nester.h"

namespace platenest {

struct OptimiseOptions {
  double seconds = 30.0;  // the time budget, unless a number of trials is given
  std::optional<std::int64_t> iterations;  // a fixed number of trial layouts instead
  std::uint64_t seed = 1;
  int threads = 1;
};

// A layout better than any before it, as the search finds it.
struct OptimiseImprovement {
  double seconds = 0.0;  // since the search started
  std::int64_t iterations = 0;  // trials made so far
  LayoutStatistics statistics;  // of the new layout
};

struct OptimiseResult {
  LayoutStatistics start;  // the layout the search started from
  LayoutStatistics best;   // the layout left on the plate
  std::int64_t iterations = 0;  // trial layouts made
  std::int64_t improvements = 0;
  double seconds = 0.0;
  bool cancelled = false;  // stopped through the nester's progress
};

// Improves the layout on `nester`'s plate in place. Parts that are not on the plate when it
// starts stay where they are; the others end on the plate, the packing length never longer
// than at the start. The nester's progress is told the trials (or tenths of a second) done and
// may stop the search, which then leaves the best layout found so far. `onImprovement` is
// called from the calling thread.
OptimiseResult optimiseLayout(Nester& nester, const OptimiseOptions& options,
                              const std::function<void(const OptimiseImprovement&)>& onImprovement = {});

}  // namespace platenest
