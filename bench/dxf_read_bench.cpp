// Reading DXF drawings: joining many short lines given in shuffled order, a whole drawing
// read through the DXF list (file, entities, joining, the plain reader where it applies), and
// the largest and most hostile drawings the reader must still finish or refuse quickly.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "readers/dxf_drawing.h"
#include "readers/dxf_list_file.h"
#include "readers/dxf_loops.h"
#include "support/messages.h"
#include "test_support/dxf_stress_drawings.h"

namespace platenest {
namespace {

namespace fs = std::filesystem;

// The part's chord tolerance (mm) a DXF part is cut with for nesting.
constexpr double kChordTolerance = 1.0;

void BM_JoinShuffledLines(benchmark::State& state) {
  const std::size_t count = static_cast<std::size_t>(state.range(0));
  const DxfGeometry geometry =
      readDxfGeometry(testing::shuffledPolygonDrawing(count, 0.4), DxfReadOptions{});
  for (auto _ : state) {
    const DxfLoopParts parts = joinDxfLoops(geometry, 0.1, kChordTolerance);
    if (parts.parts.size() != 1) state.SkipWithError("the lines did not join into one part");
    benchmark::DoNotOptimize(parts.parts.data());
  }
  state.counters["lines"] = static_cast<double>(count);
}
BENCHMARK(BM_JoinShuffledLines)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// A DXF list whose folder holds one drawing, read as `platenest check` reads it.
fs::path listWithDrawing(const std::string& name, const std::string& bytes) {
  const fs::path dir = fs::temp_directory_path() / "platenest-bench-dxf" / name;
  fs::create_directories(dir / "parts");
  std::ofstream(dir / "parts" / "drawing.dxf", std::ios::binary) << bytes;
  std::ofstream(dir / "list.txt") << "plate length:3000\nplate width:1500\nplate gap:    5\nparts\n";
  return dir / "list.txt";
}

void readList(benchmark::State& state, const fs::path& list, bool expectPart) {
  RecordingMessageSink quiet;
  ScopedMessageSink guard(&quiet);
  for (auto _ : state) {
    const Job job = readDxfListFile(list);
    if (expectPart != !job.parts.empty()) {
      state.SkipWithError(expectPart ? "the drawing gave no part" : "the drawing was not refused");
    }
    benchmark::DoNotOptimize(job.parts.size());
  }
}

void BM_ReadShuffledLinesDrawing(benchmark::State& state) {
  const std::size_t count = static_cast<std::size_t>(state.range(0));
  readList(state,
           listWithDrawing("lines-" + std::to_string(count),
                           testing::shuffledPolygonDrawing(count, 0.4)),
           true);
}
BENCHMARK(BM_ReadShuffledLinesDrawing)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The worst drawings: each is read into parts or refused, within the reader's limits.
void BM_ReadWorstDrawing(benchmark::State& state, const std::string& name,
                         const std::string& bytes, bool expectPart) {
  readList(state, listWithDrawing(name, bytes), expectPart);
}
BENCHMARK_CAPTURE(BM_ReadWorstDrawing, concentric_circles_20000_radius_1e6, "concentric_circles_20000_radius_1e6",
                  testing::concentricCirclesDrawing(20000, 1e6, 10), false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadWorstDrawing, concentric_circles_9000_radius_1e6, "concentric_circles_9000_radius_1e6",
                  testing::concentricCirclesDrawing(9000, 1e6, 10), false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadWorstDrawing, circles_20000_radius_100, "circles_20000_radius_100",
                  testing::circlesDrawing(20000, 100), false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadWorstDrawing, insert_bomb_8_levels_of_10, "insert_bomb_8_levels_of_10",
                  testing::insertBombDrawing(8, 10), false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadWorstDrawing, circles_10000_radius_100, "circles_10000_radius_100",
                  testing::circlesDrawing(10000, 100), true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadWorstDrawing, spline_100000_points, "spline_100000_points",
                  testing::splineDrawing(100000, 5000), false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadWorstDrawing, spline_20000_points, "spline_20000_points",
                  testing::splineDrawing(19997, 5000), true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadWorstDrawing, spline_20000_points_wide_knots, "spline_20000_points_wide_knots",
                  testing::splineDrawing(19997, 5000, 1e6), true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadWorstDrawing, fan_of_9000_triangles, "fan_of_9000_triangles",
                  testing::fanDrawing(9000), false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadWorstDrawing, needle_ellipse_1e7_ratio_1e9, "needle_ellipse", testing::ellipseDrawing(1e7, 1e-9),
                  true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadWorstDrawing, ellipse_1e6_ratio_1, "ellipse_1e6_ratio_1",
                  testing::ellipseDrawing(1e6, 1.0),
                  true)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace platenest
