// Chaining the chords of a drawn outline into one ring: shuffled chords of a circle, the
// worst order a drawing can give. Linear in the chords; a quadratic chaining would take
// minutes at 200 000.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "geometry/discretise.h"

namespace platenest {
namespace {

void BM_ChainShuffledChords(benchmark::State& state) {
  const auto n = static_cast<int>(state.range(0));
  std::vector<Segment> chords;
  const double radius = 20000.0;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * M_PI * i / n;
    const double b = 2 * M_PI * (i + 1) / n;
    chords.emplace_back(Point(radius * std::cos(a), radius * std::sin(a)),
                        Point(radius * std::cos(b), radius * std::sin(b)));
  }
  std::shuffle(chords.begin() + 1, chords.end(), std::mt19937(3));
  for (auto _ : state) {
    state.PauseTiming();
    SegmentList segments(chords.begin(), chords.end());
    PointList out;
    state.ResumeTiming();
    chainSegments(segments, out);
    benchmark::DoNotOptimize(out);
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_ChainShuffledChords)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace platenest
