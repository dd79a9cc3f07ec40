// Jobs of tens of thousands of small parts with arcs: loading them (what `platenest check`
// does) and building the posed view every output draws must grow with the number of parts,
// not with its square. Each run also leaves its job as
// $TMPDIR/platenest-bench/small-parts-<N>.txt for timing the command line on it.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "loading/load.h"
#include "nesting/nester.h"
#include "nesting/posed_layout.h"
#include "output/layout_dxf.h"
#include "support/messages.h"

namespace platenest {
namespace {

namespace fs = std::filesystem;

// Four kinds take turns: a 30 x 15 plate with 3 mm corners and an 8 mm hole, a 20 mm washer
// with an 8 mm hole, a 40 x 10 slot with round ends, and a 25 x 25 L bracket with a 5 mm
// fillet in its inside corner. Each contour: the head line (lines of the contour, first
// vertex), each further vertex after the radius of the edge that reaches it, the closing
// radius; positive radii turn counterclockwise.
constexpr const char* kKinds[] = {
    "9 3 0\r\n0 27 0\r\n3 30 3\r\n0 30 12\r\n3 27 15\r\n0 3 15\r\n3 0 12\r\n0 0 3\r\n3\r\n"
    "3 11 7.5\r\n4 19 7.5\r\n4\r\n",
    "3 0 10\r\n10 20 10\r\n10\r\n3 6 10\r\n4 14 10\r\n4\r\n",
    "5 5 0\r\n0 35 0\r\n5 35 10\r\n0 5 10\r\n5\r\n",
    "8 0 0\r\n0 25 0\r\n0 25 8\r\n0 13 8\r\n-5 8 13\r\n0 8 25\r\n0 0 25\r\n0\r\n",
};

fs::path scratchDir() {
  fs::path dir = fs::temp_directory_path() / "platenest-bench";
  fs::create_directories(dir);
  return dir;
}

// A 40 000 x 2 000 plate with a 2 mm gap, which holds about half of 50 000 such parts.
fs::path smallPartsJob(int count) {
  const fs::path path = scratchDir() / ("small-parts-" + std::to_string(count) + ".txt");
  std::ofstream out(path, std::ios::binary);
  out << "PlateLength: 40000\r\nPlateWidth: 2000\r\nPartToPartGap:2\r\n";
  for (int i = 0; i < count; ++i) out << "NAME:P" << i << "\r\n" << kKinds[i % 4];
  out << "#end\r\n";
  return path;
}

std::unique_ptr<Nester> loadSmallParts(const fs::path& job) {
  static RecordingMessageSink quiet;
  ScopedMessageSink guard(&quiet);
  return openLibrary(job, LoadType::kTextLibrary, scratchDir() / "PackError.txt", LoadOptions{});
}

void BM_LoadSmallParts(benchmark::State& state) {
  const fs::path job = smallPartsJob(static_cast<int>(state.range(0)));
  int loaded = 0;
  for (auto _ : state) loaded = loadSmallParts(job)->parts.count();
  state.counters["loaded"] = loaded;
  state.counters["parts/s"] =
      benchmark::Counter(static_cast<double>(loaded), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_LoadSmallParts)->Arg(5000)->Arg(20000)->Arg(50000)->Unit(benchmark::kSecond)->Iterations(1);

// The view, the figures and the layout drawing of the loaded job (every part parked beside
// the plate): what every output of a run works out per part.
void BM_OutputsOfSmallParts(benchmark::State& state) {
  const auto nester = loadSmallParts(smallPartsJob(static_cast<int>(state.range(0))));
  const fs::path drawing = scratchDir() / "small-parts.dxf";
  for (auto _ : state) {
    benchmark::DoNotOptimize(poseLayout(*nester).parts.size());
    benchmark::DoNotOptimize(nester->computeLayoutStatistics().count);
    writeLayoutDxf(*nester, drawing);
  }
  fs::remove(drawing);
}
BENCHMARK(BM_OutputsOfSmallParts)->Arg(5000)->Arg(20000)->Arg(50000)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
}  // namespace platenest
