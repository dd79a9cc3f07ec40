// The strip search on its own, from Layout All, with a fixed number of attempts and seed (the
// same layout every run): poses evaluated per second (collision queries), separator rounds per
// second and the density reached.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "loading/load.h"
#include "nesting/strip_search.h"
#include "support/messages.h"

namespace platenest {
namespace {

namespace fs = std::filesystem;

struct StripJob {
  const char* name;
  std::string file;
  int rotationNumber;  // 0: the job's own
  bool keepOrientation;  // ESICUP: orientation kept at load, no turning over
};

std::unique_ptr<Nester> loadLaidOut(const StripJob& job) {
  static RecordingMessageSink quiet;
  ScopedMessageSink guard(&quiet);
  const fs::path scratch = fs::temp_directory_path() / "platenest-strip-bench";
  fs::create_directories(scratch);
  LoadOptions options;
  options.keepOrientation = job.keepOrientation;
  auto nester = openLibrary(std::string(PLATENEST_BENCHMARK_DIR) + "/" + job.file,
                            LoadType::kTextLibrary, scratch / "PackError.txt", options);
  if (job.rotationNumber > 0) nester->rotationNumber = job.rotationNumber;
  if (job.keepOrientation) nester->bPartTurnover = false;
  nester->layoutAll();
  return nester;
}

void stripSearchBenchmark(benchmark::State& state, const StripJob& job) {
  if (!fs::exists(std::string(PLATENEST_BENCHMARK_DIR) + "/" + job.file)) {
    state.SkipWithError("missing job");
    return;
  }
  StripSearchResult result;
  LayoutStatistics start;
  double seconds = 0.0;
  for (auto _ : state) {
    state.PauseTiming();
    auto nester = loadLaidOut(job);
    std::vector<bool> movable;
    for (const PlacedPart& part : nester->parts) movable.push_back(nester->isOnPlate(part));
    start = nester->computeLayoutStatistics();
    state.ResumeTiming();
    StripSearchOptions options;
    options.attempts = state.range(0);
    options.seed = 1;
    options.threads = 2;
    const auto began = std::chrono::steady_clock::now();
    result = stripSearch(*nester, movable, start.packingLength, options);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  }
  const LayoutStatistics& end = result.found ? result.statistics : start;
  state.counters["layout_all_density_%"] = start.density * 100.0;
  state.counters["density_%"] = end.density * 100.0;
  state.counters["queries/s"] = static_cast<double>(result.queries) / seconds;
  state.counters["rounds/s"] = static_cast<double>(result.rounds) / seconds;
  state.counters["attempts"] = static_cast<double>(result.attempts);
  // The work done, the same on every run: two builds that agree on these did the same search.
  state.counters["queries"] = static_cast<double>(result.queries);
  state.counters["rounds"] = static_cast<double>(result.rounds);
  state.counters["length_mm"] = end.packingLength;
}

const bool kRegistered = [] {
  static const StripJob jobs[] = {
      {"esicup/jakobs1", "esicup/jakobs1.txt", 4, true},
      {"esicup/shirts", "esicup/shirts.txt", 2, true},
      {"industrial-150", "industrial/industrial-150.txt", 0, false},
  };
  for (const StripJob& job : jobs) {
    benchmark::RegisterBenchmark((std::string("StripSearch/") + job.name).c_str(),
                                 [&job](benchmark::State& s) { stripSearchBenchmark(s, job); })
        ->Arg(16)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->UseRealTime();
  }
  return true;
}();

}  // namespace
}  // namespace platenest
