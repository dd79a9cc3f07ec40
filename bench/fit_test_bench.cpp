// Micro benchmarks of the pieces the placement search runs millions of times: the fit test
// against a crowded plate (the plain one and the search's own), two parts' clearance test,
// point in polygon (plain and band-filed), and the grid.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <utility>
#include <memory>
#include <random>
#include <vector>

#include "geometry/polygon_bands.h"
#include "nesting/layout.h"
#include "nesting/overlap.h"
#include "nesting/trial_variants.h"
#include "loading/load.h"
#include "support/messages.h"

namespace platenest {
namespace {

namespace fs = std::filesystem;

Polygon regularPolygon(double cx, double cy, double radius, int n) {
  std::vector<Point> points;
  for (int i = 0; i < n; ++i) {
    const double a = 2.0 * kPi * i / n;
    points.emplace_back(cx + radius * std::cos(a), cy + radius * std::sin(a));
  }
  return Polygon(std::move(points));
}

PlacedPart partOf(const Polygon& outer) {
  PlacedPart part;
  part.setGeometry(outer, PolygonList());
  return part;
}

// A shared benchmark job loaded quietly, its files in a scratch folder.
std::unique_ptr<Nester> loadBenchmarkJob(const char* file) {
  static RecordingMessageSink quiet;
  ScopedMessageSink guard(&quiet);
  const fs::path dir = fs::temp_directory_path() / "platenest-bench";
  fs::create_directories(dir);
  auto nester = openLibrary(std::string(PLATENEST_BENCHMARK_DIR) + "/" + file,
                            LoadType::kTextLibrary, dir / "PackError.txt");
  return nester;
}

std::unique_ptr<Nester> crowdedPlate() {
  auto nester = loadBenchmarkJob("industrial/industrial-60.txt");
  nester->layoutAll();
  return nester;
}

void BM_FitsCrowdedPlate(benchmark::State& state) {
  auto nester = crowdedPlate();
  const PlacedPart probe = partOf(regularPolygon(0.0, 0.0, 40.0, 60));
  std::mt19937 random(7);
  std::uniform_real_distribution<double> x(0.0, nester->plateLength());
  std::uniform_real_distribution<double> y(0.0, nester->plateWidth());
  std::vector<PlacedPart> candidates;
  for (int i = 0; i < 256; ++i) {
    PlacedPart c = probe;
    c.translate(x(random), y(random));
    candidates.push_back(c);
  }
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(nester->fits(candidates[i++ & 255]));
  }
}
BENCHMARK(BM_FitsCrowdedPlate);

// The layout's collision query on the same plate: every part of it moved a few millimetres
// from where Layout All put it, or given a quarter turn (most such poses meet a neighbour or
// two), each asked for all its hazards among the others.
void BM_CollisionQueryCrowdedPlate(benchmark::State& state) {
  auto nester = crowdedPlate();
  const Layout layout(nester->plate(), nester->parts);
  std::mt19937 random(7);
  std::uniform_real_distribution<double> nudge(-5.0, 5.0);
  std::uniform_int_distribution<std::size_t> pick(0, layout.partCount() - 1);
  std::vector<std::pair<std::size_t, PlacedPart>> candidates;
  std::size_t hazards = 0;
  for (int i = 0; i < 256; ++i) {
    const std::size_t n = pick(random);
    PlacedPart c = layout.part(n);
    Pose pose = poseOf(c);
    pose.refPoint = Point(pose.refPoint.x + nudge(random), pose.refPoint.y + nudge(random));
    if (i % 4 == 0) pose.rotation += kPi / 2;
    applyPose(c, pose);
    hazards += layout.collisions(c, std::numeric_limits<double>::infinity(), n).hazards.size();
    candidates.emplace_back(n, std::move(c));
  }
  std::size_t i = 0;
  for (auto _ : state) {
    const auto& [n, c] = candidates[i++ & 255];
    benchmark::DoNotOptimize(layout.collisions(c, std::numeric_limits<double>::infinity(), n));
  }
  state.counters["hazardsPerQuery"] = static_cast<double>(hazards) / 256;
  state.counters["queries"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CollisionQueryCrowdedPlate);

// The search's own fit test of the same probe at the same places: the probe is never moved,
// the parts on the plate are band-filed and the map of deep material is consulted first.
void BM_CandidateFitTestCrowdedPlate(benchmark::State& state) {
  auto nester = crowdedPlate();
  std::vector<TrialVariant> variants{
      TrialVariant{partOf(regularPolygon(0.0, 0.0, 40.0, 60)), Point(), 0.0, false}};
  std::mt19937 random(7);
  std::uniform_real_distribution<double> x(0.0, nester->plateLength());
  std::uniform_real_distribution<double> y(0.0, nester->plateWidth());
  std::vector<Point> moves;
  for (int i = 0; i < 256; ++i) moves.emplace_back(x(random), y(random));
  CandidateFitTest test(nester->layout(), variants, nester->layout().partBands(),
                        &nester->layout().materialCells());
  std::size_t i = 0;
  for (auto _ : state) {
    const Point& d = moves[i++ & 255];
    benchmark::DoNotOptimize(test.fits(0, d.x, d.y));
  }
}
BENCHMARK(BM_CandidateFitTestCrowdedPlate);

void BM_IsClearOf60Vertices(benchmark::State& state) {
  // Boxes overlap, outlines do not: every stage of the test runs.
  const PlacedPart a = partOf(regularPolygon(0.0, 0.0, 100.0, 60));
  const PlacedPart b = partOf(regularPolygon(150.0, 150.0, 100.0, 60));
  for (auto _ : state) benchmark::DoNotOptimize(a.isClearOf(b));
}
BENCHMARK(BM_IsClearOf60Vertices);

void BM_ContainsPoint60Vertices(benchmark::State& state) {
  const Polygon polygon = regularPolygon(0.0, 0.0, 100.0, 60);
  double px = -90.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(polygon.containsPoint(px, 13.0));
    px = px > 90.0 ? -90.0 : px + 1.0;
  }
}
BENCHMARK(BM_ContainsPoint60Vertices);

void BM_BandedContainsPoint60Vertices(benchmark::State& state) {
  PolygonBands bands;
  bands.build(regularPolygon(0.0, 0.0, 100.0, 60));
  double px = -90.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(bands.containsPoint(px, 13.0, 0.0, 0.0));
    px = px > 90.0 ? -90.0 : px + 1.0;
  }
}
BENCHMARK(BM_BandedContainsPoint60Vertices);

std::unique_ptr<Nester> largePlate() {
  auto nester = loadBenchmarkJob("industrial/industrial-150.txt");
  nester->setPackingPointDistance(30.0);
  return nester;
}

void BM_RebuildPackingPoints12000x2500(benchmark::State& state) {
  auto nester = largePlate();
  for (auto _ : state) nester->layout().rebuildPackingGrid();
  state.counters["points"] = static_cast<double>(nester->packingGrid().size());
}
BENCHMARK(BM_RebuildPackingPoints12000x2500)->Unit(benchmark::kMicrosecond);

void BM_MarkCoveredPackingPoints12000x2500(benchmark::State& state) {
  auto nester = largePlate();
  nester->layout().rebuildPackingGrid();
  PlacedPart part = nester->parts.front();
  part.translate(-part.box().minX + 3000.0, -part.box().minY + 500.0);
  // On a fresh grid each time, as a newly placed part finds it: the rebuild is timed too.
  for (auto _ : state) {
    nester->layout().rebuildPackingGrid();
    nester->layout().markCoveredPackingPoints(part);
  }
}
BENCHMARK(BM_MarkCoveredPackingPoints12000x2500)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace platenest
