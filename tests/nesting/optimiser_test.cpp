// The optimising layout: every shared job improved with a small budget and checked as cut by
// the independent checker; the same seed and trials give the same layout on one thread or
// several; a stopped search leaves a valid layout no longer than Layout All; parts Layout All
// could not place stay where they were.
#include "nesting/optimiser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine_test_support.h"
#include "loading/load.h"
#include "support/messages.h"
#include "test_support/benchmark_jobs.h"
#include "true_shapes.h"

namespace platenest {
namespace {

using engine_test::layOutBenchmark;
using engine_test::openExampleJob;
using engine_test::samePose;
using engine_test::ScratchFolder;

constexpr double kAllowance = 0.05;  // mm the cut shapes may come short of the gap

// The layout as cut keeps the gap and the plate, places exactly `placed` parts, and is no
// longer than `longest`.
void expectSoundLayout(const Nester& nester, int placed, double longest) {
  const LayoutStatistics statistics = nester.computeLayoutStatistics();
  EXPECT_EQ(statistics.count, placed);
  EXPECT_LE(statistics.packingLength, longest);
  const testing::GapFinding finding = testing::measureCutShapes(nester, nester.partGap + 1);
  EXPECT_EQ(finding.placed, placed);
  EXPECT_GE(finding.closest, nester.partGap - kAllowance) << "between " << finding.between;
  EXPECT_GE(finding.worstPlateMargin, -kAllowance);
  // The engine's own exact test agrees: no part on the plate meets another.
  for (const PlacedPart& part : nester.parts) {
    if (nester.isOnPlate(part)) {
      EXPECT_TRUE(nester.fitsAmongOthers(part)) << part.label.text;
    }
  }
}

class OptimiseJobTest : public ::testing::TestWithParam<testing::BenchmarkJob> {
 protected:
  void SetUp() override {
    PLATENEST_REQUIRE_BENCHMARKS();
  }
};

TEST_P(OptimiseJobTest, ShortensTheLayoutAndKeepsEveryPartSoundAsCut) {
  ScratchFolder folder;
  auto nester = layOutBenchmark(GetParam(), folder);
  const LayoutStatistics start = nester->computeLayoutStatistics();
  ASSERT_GT(start.count, 0);
  OptimiseOptions options;
  options.iterations = 96;
  options.threads = 2;
  std::vector<OptimiseImprovement> steps;
  const OptimiseResult result =
      optimiseLayout(*nester, options, [&](const OptimiseImprovement& step) { steps.push_back(step); });
  EXPECT_EQ(result.iterations, 96);
  EXPECT_FALSE(result.cancelled);
  EXPECT_EQ(result.start.packingLength, start.packingLength);
  expectSoundLayout(*nester, start.count, start.packingLength);
  // Every improvement reported is shorter than the one before, the last is what was left.
  double previous = start.packingLength;
  for (const OptimiseImprovement& step : steps) {
    EXPECT_LT(step.statistics.packingLength, previous);
    previous = step.statistics.packingLength;
  }
  EXPECT_EQ(result.improvements, static_cast<std::int64_t>(steps.size()));
  EXPECT_DOUBLE_EQ(nester->computeLayoutStatistics().packingLength, previous);
  std::printf("[ optimise ] %s: packing length %.2f -> %.2f mm in 96 trials\n",
              GetParam().name.c_str(), start.packingLength, previous);
}

INSTANTIATE_TEST_SUITE_P(Jobs, OptimiseJobTest, ::testing::ValuesIn(testing::benchmarkJobs()),
                         testing::BenchmarkJobName());

// Poses of every part, bit for bit.
void expectSameLayout(const Nester& a, const Nester& b) {
  ASSERT_EQ(a.parts.count(), b.parts.count());
  auto j = b.parts.begin();
  for (const PlacedPart& part : a.parts) {
    EXPECT_TRUE(samePose(part, *j)) << "part " << part.id;
    ++j;
  }
}

// A small job of plates, brackets and rings: quick enough for the sanitizer build.
std::unique_ptr<Nester> openSmallJob(const ScratchFolder& folder, const std::string& run) {
  const std::filesystem::path path = folder.path() / "small.txt";
  if (!std::filesystem::exists(path)) {
    std::ofstream out(path);
    out << "PlateLength: 1200\nPlateWidth: 300\nPartToPartGap:4\n";
    // A straight-edged outline: the vertex count plus one and the first vertex, then each
    // further vertex after a zero radius, then the closing zero.
    auto part = [&out](const char* kind, int number, const std::vector<Point>& outline) {
      out << "NAME:" << kind << number << '\n' << outline.size() + 1 << ' ' << outline[0].x << ' '
          << outline[0].y << '\n';
      for (std::size_t k = 1; k < outline.size(); ++k) {
        out << "0 " << outline[k].x << ' ' << outline[k].y << '\n';
      }
      out << "0\n";
    };
    for (int i = 0; i < 5; ++i) {
      const double w = 60 + 15 * i;
      part("PLATE", i, {{0, 0}, {w, 0}, {w, 70}, {0, 70}});
    }
    for (int i = 0; i < 4; ++i) {
      part("L", i, {{0, 0}, {120, 0}, {120, 30}, {30, 30}, {30, 90}, {0, 90}});
    }
    for (int i = 0; i < 3; ++i) part("TRI", i, {{0, 0}, {110, 0}, {0, 80}});
    out << "#end\n";
  }
  RecordingMessageSink sink;
  ScopedMessageSink guard(&sink);
  auto nester = openLibrary(path, LoadType::kTextLibrary, folder.path() / ("log-" + run + ".txt"));
  return nester;
}

TEST(OptimiserTest, TheSameSeedAndTrialsGiveTheSameLayoutOnAnyNumberOfThreads) {
  ScratchFolder folder;
  std::vector<std::unique_ptr<Nester>> runs;
  std::vector<double> lengths;
  for (int threads : {1, 2, 3}) {
    auto nester = openSmallJob(folder, "run" + std::to_string(threads));
    ASSERT_EQ(nester->parts.count(), 12);
    nester->layoutAll();
    OptimiseOptions options;
    options.iterations = 40;  // not a whole number of rounds: the last round is cut short
    options.seed = 7;
    options.threads = threads;
    lengths.push_back(optimiseLayout(*nester, options).best.packingLength);
    runs.push_back(std::move(nester));
  }
  expectSameLayout(*runs[0], *runs[1]);
  expectSameLayout(*runs[0], *runs[2]);
  EXPECT_EQ(lengths[0], lengths[1]);
  EXPECT_EQ(lengths[0], lengths[2]);

  // Another seed searches otherwise: it may end at the same length, but not by the same path
  // in every part.
  auto other = openSmallJob(folder, "seed");
  other->layoutAll();
  OptimiseOptions options;
  options.iterations = 40;
  options.seed = 8;
  const OptimiseResult result = optimiseLayout(*other, options);
  bool anyDifferent = false;
  auto j = runs[0]->parts.begin();
  for (const PlacedPart& part : other->parts) anyDifferent = anyDifferent || !samePose(part, *j++);
  EXPECT_TRUE(anyDifferent || result.improvements == 0);
}

// Stops the search at its first report, as Ctrl-C would.
class StopAtOnce : public Progress {
 public:
  void advance(std::int64_t) override { cancel(); }
};

TEST(OptimiserTest, AStoppedSearchLeavesAValidLayoutNoLongerThanLayoutAll) {
  ScratchFolder folder;
  auto nester = openSmallJob(folder, "stop");
  nester->layoutAll();
  const LayoutStatistics start = nester->computeLayoutStatistics();
  StopAtOnce stop;
  nester->progress = &stop;
  OptimiseOptions options;
  options.seconds = 3600;  // only the stop ends it
  const OptimiseResult result = optimiseLayout(*nester, options);
  nester->progress = nullptr;
  EXPECT_TRUE(result.cancelled);
  EXPECT_GT(result.iterations, 0);
  EXPECT_LT(result.seconds, 60);
  expectSoundLayout(*nester, start.count, start.packingLength);
  // The nester is ready for the next command: Layout All places nothing more and moves nothing.
  const NesterSnapshot before = nester->snapshot();
  nester->layoutAll();
  auto j = before.parts.begin();
  for (const PlacedPart& part : nester->parts) {
    EXPECT_EQ(part.refPoint.x, j->refPoint.x);
    EXPECT_EQ(part.refPoint.y, j->refPoint.y);
    ++j;
  }
}

TEST(OptimiserTest, PartsLayoutAllCouldNotPlaceStayWhereTheyWere) {
  ScratchFolder folder;
  auto nester = openExampleJob(folder, "small");
  // A plate too short for the whole job: some parts stay off it.
  nester->setPlateSize(nester->plateLength() / 4, nester->plateWidth());
  nester->layoutAll();
  const NesterSnapshot before = nester->snapshot();
  const LayoutStatistics start = nester->computeLayoutStatistics();
  ASSERT_LT(start.count, nester->parts.count());
  ASSERT_GT(start.count, 0);
  OptimiseOptions options;
  options.iterations = 32;
  optimiseLayout(*nester, options);
  expectSoundLayout(*nester, start.count, start.packingLength);
  EXPECT_EQ(nester->plateLength(), before.plate.length);
  auto state = before.parts.begin();
  for (const PlacedPart& part : nester->parts) {
    if (!nester->isOnPlate(part)) {
      EXPECT_EQ(part.box().minX, state->figures.box.minX) << part.label.text;
      EXPECT_EQ(part.box().minY, state->figures.box.minY) << part.label.text;
    }
    ++state;
  }
}

TEST(OptimiserTest, AnEmptyPlateIsLeftAsItIs) {
  ScratchFolder folder;
  auto nester = openExampleJob(folder, "empty");
  OptimiseOptions options;
  options.iterations = 8;
  const OptimiseResult result = optimiseLayout(*nester, options);
  EXPECT_EQ(result.iterations, 0);
  EXPECT_EQ(result.best.count, 0);
}

}  // namespace
}  // namespace platenest
