// Whole-layout benchmarks over the shared benchmark jobs and the bundled examples: the
// figures an operator feels — seconds per layout, parts placed, fit tests per second and the
// density of the result.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "loading/load.h"
#include "nesting/optimiser.h"
#include "support/messages.h"

namespace platenest {
namespace {

namespace fs = std::filesystem;

struct Job {
  const char* name;
  std::string path;
  int rotationNumber;  // 0: the job's own
  bool turnover;
  bool keepOrientation;
};

fs::path scratchDir() {
  fs::path dir = fs::temp_directory_path() / "platenest-bench";
  fs::create_directories(dir);
  return dir;
}

std::unique_ptr<Nester> loadJob(const Job& job) {
  static RecordingMessageSink quiet;
  ScopedMessageSink guard(&quiet);
  LoadOptions options;
  options.keepOrientation = job.keepOrientation;
  auto nester = openLibrary(job.path, LoadType::kTextLibrary, scratchDir() / "PackError.txt",
                            options);
  if (job.rotationNumber > 0) nester->rotationNumber = job.rotationNumber;
  if (!job.turnover) nester->bPartTurnover = false;
  return nester;
}

void layoutAllBenchmark(benchmark::State& state, const Job& job, bool multiStep) {
  if (!fs::exists(job.path)) {
    state.SkipWithError(("missing job " + job.path).c_str());
    return;
  }
  LayoutStatistics statistics;
  std::uint64_t fitTests = 0;
  double seconds = 0.0;
  LayoutTiming timing(scratchDir() / "timing.txt");
  for (auto _ : state) {
    state.PauseTiming();
    auto nester = loadJob(job);
    state.ResumeTiming();
    if (multiStep) {
      for (PlacedPart& part : nester->parts) part.selected = true;
      timing.time(TimingRecord::kDatedEntry, false, [&]() { nester->layoutMultipleSteps(); });
    } else {
      timing.time(TimingRecord::kLastCommand, false, [&]() { nester->layoutAll(); });
    }
    state.PauseTiming();
    statistics = nester->computeLayoutStatistics();
    fitTests += nester->fitTestCount();
    seconds += timing.lastSeconds();
    state.ResumeTiming();
  }
  state.counters["placed"] = statistics.count;
  state.counters["density_%"] = statistics.density * 100.0;
  state.counters["fit_tests/s"] = seconds > 0.0 ? static_cast<double>(fitTests) / seconds : 0.0;
  state.counters["layout_s"] =
      benchmark::Counter(seconds, benchmark::Counter::kAvgIterations);
}

// The optimising layout with a fixed number of trials and seed: the same layout every run,
// so the density it reports is comparable from build to build, and the time is its cost.
void optimiseBenchmark(benchmark::State& state, const Job& job) {
  if (!fs::exists(job.path)) {
    state.SkipWithError(("missing job " + job.path).c_str());
    return;
  }
  OptimiseResult result;
  for (auto _ : state) {
    state.PauseTiming();
    auto nester = loadJob(job);
    nester->layoutAll();
    state.ResumeTiming();
    OptimiseOptions options;
    options.iterations = state.range(0);
    options.seed = 1;
    options.threads = 2;
    result = optimiseLayout(*nester, options);
  }
  state.counters["placed"] = result.best.count;
  state.counters["layout_all_density_%"] = result.start.density * 100.0;
  state.counters["density_%"] = result.best.density * 100.0;
  state.counters["trials/s"] =
      result.seconds > 0.0 ? static_cast<double>(result.iterations) / result.seconds : 0.0;
}

std::vector<Job> jobs() {
  const std::string shared = PLATENEST_BENCHMARK_DIR;
  const std::string source = PLATENEST_SOURCE_DIR;
  return {
      {"esicup/jakobs1", shared + "/esicup/jakobs1.txt", 4, false, true},
      {"esicup/fu", shared + "/esicup/fu.txt", 4, false, true},
      {"esicup/shapes0", shared + "/esicup/shapes0.txt", 1, false, true},
      {"esicup/mao", shared + "/esicup/mao.txt", 4, false, true},
      {"esicup/swim", shared + "/esicup/swim.txt", 2, false, true},
      {"esicup/shirts", shared + "/esicup/shirts.txt", 2, false, true},
      {"industrial-60", shared + "/industrial/industrial-60.txt", 0, true, false},
      {"industrial-150", shared + "/industrial/industrial-150.txt", 0, true, false},
      {"example", source + "/examples/job.txt", 0, true, false},
  };
}

const bool kRegistered = [] {
  for (const Job& job : jobs()) {
    benchmark::RegisterBenchmark((std::string("LayoutAll/") + job.name).c_str(),
                                 [job](benchmark::State& s) { layoutAllBenchmark(s, job, false); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->UseRealTime();
    benchmark::RegisterBenchmark((std::string("LayoutMultipleSteps/") + job.name).c_str(),
                                 [job](benchmark::State& s) { layoutAllBenchmark(s, job, true); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->UseRealTime();
    benchmark::RegisterBenchmark((std::string("Optimise/") + job.name).c_str(),
                                 [job](benchmark::State& s) { optimiseBenchmark(s, job); })
        ->Arg(2000)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->UseRealTime();
  }
  return true;
}();

}  // namespace
}  // namespace platenest

BENCHMARK_MAIN();
