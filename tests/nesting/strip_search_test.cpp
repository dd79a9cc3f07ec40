// The strip search and its overlap measure: circles lie in the material, so circles that meet
// prove the parts meet (seeded random poses, parts with holes, a part inside a hole); the
// search's layouts pass the independent as-cut checker; the same seed and attempts give the
// same layout on one thread or two; a stopped search finds nothing and leaves the job alone.
#include "nesting/strip_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "engine_test_support.h"
#include "loading/load.h"
#include "nesting/overlap.h"
#include "nesting/overlap_measure.h"
#include "nesting/strip_engine.h"
#include "support/messages.h"
#include "test_support/benchmark_jobs.h"
#include "true_shapes.h"

namespace platenest {
namespace {

using engine_test::makePart;
using engine_test::rectangleOutline;
using engine_test::samePose;
using engine_test::ScratchFolder;

// Shapes the jobs have: a frame with a hole, a bracket, a star, a sliver, a small square.
std::vector<PlacedPart> shapes() {
  std::mt19937 random(7);
  return {
      makePart(rectangleOutline(0, 0, 100, 80), {rectangleOutline(20, 20, 80, 60)}),
      makePart({{0, 0}, {120, 0}, {120, 30}, {30, 30}, {30, 90}, {0, 90}}),
      makePart(engine_test::randomStar(random, 0, 0, 20, 60, 17)),
      makePart({{0, 0}, {200, 0}, {200, 4}, {0, 3}}),
      makePart(rectangleOutline(0, 0, 30, 30)),
  };
}

bool exactlyClear(const PlacedPart& a, const PlacedPart& b) { return StripEngine::clear(a, b); }

TEST(OverlapMeasureTest, CirclesLieInTheMaterialAndMeetOnlyWhereThePartsMeet) {
  const std::vector<PlacedPart> parts = shapes();
  std::vector<CircleCover> covers;
  for (const PlacedPart& part : parts) {
    covers.push_back(coverWithCircles(part));
    const CircleCover& cover = covers.back();
    ASSERT_FALSE(cover.circles.empty());
    EXPECT_DOUBLE_EQ(cover.size, cover.circles.front().r);
    for (const InscribedCircle& c : cover.circles) {
      // Inside the outer, outside every hole, and no edge nearer than the radius.
      EXPECT_GE(signedDepth(part, Point(c.x, c.y)), c.r);
      EXPECT_LE(c.r, cover.size);
    }
  }
  // The frame's first circle sits in its rim, never in its hole.
  for (const InscribedCircle& c : covers[0].circles) {
    EXPECT_FALSE(c.x > 20 && c.x < 80 && c.y > 20 && c.y < 60);
  }

  std::mt19937 random(2024);
  std::uniform_real_distribution<double> place(-120, 120);
  std::uniform_real_distribution<double> turn(0, 2 * std::acos(-1.0));
  int meeting = 0;
  int refusedWithoutCircles = 0;
  int clear = 0;
  for (int trial = 0; trial < 5000; ++trial) {
    const std::size_t i = random() % parts.size();
    const std::size_t j = random() % parts.size();
    PlacedPart a = parts[i];
    PlacedPart b = parts[j];
    // The covers are carried along by the same turns, as the search carries them.
    auto turned = [&](PlacedPart& part, const CircleCover& cover) {
      const double angle = turn(random);
      const Point centre = part.centroid();
      part.rotateAbout(centre, angle);
      CircleCover moved = cover;
      for (InscribedCircle& c : moved.circles) {
        Point p(c.x, c.y);
        p.rotateAbout(centre, angle);
        c.x = p.x;
        c.y = p.y;
      }
      return moved;
    };
    const CircleCover ca = turned(a, covers[i]);
    const CircleCover cb = turned(b, covers[j]);
    const double dx = place(random);
    const double dy = place(random);
    b.translate(dx, dy);
    const double circles = coverOverlap(ca, 0, 0, a.outer.box(), cb, dx, dy, b.outer.box());
    const bool fit = exactlyClear(a, b);
    if (circles > 0) {
      ++meeting;
      EXPECT_FALSE(fit) << "trial " << trial;
    } else if (!fit) {
      ++refusedWithoutCircles;
      EXPECT_GT(refusedPairOverlap(ca, 0, 0, cb, dx, dy), 0.0);
    } else {
      ++clear;
    }
  }
  // The poses reach every case.
  EXPECT_GT(meeting, 100);
  EXPECT_GT(refusedWithoutCircles, 10);
  EXPECT_GT(clear, 100);
}

// The circle-pair sum written out plainly: every pair within `reach` epsilons (epsilon 2 % of
// the smaller first radius) by its decayed depth times the smaller radius.
double plainCircleSum(const CircleCover& a, double ax, double ay, const CircleCover& b, double bx,
                      double by, double reach) {
  const double epsilon = std::max(0.02 * std::min(a.size, b.size), 1e-9);
  double sum = 0.0;
  for (const InscribedCircle& ca : a.circles) {
    for (const InscribedCircle& cb : b.circles) {
      const double dx = cb.x + bx - (ca.x + ax);
      const double dy = cb.y + by - (ca.y + ay);
      const double far = ca.r + cb.r + reach * epsilon;
      const double d2 = dx * dx + dy * dy;
      if (d2 >= far * far) continue;
      const double depth = ca.r + cb.r - std::sqrt(d2);
      sum += (depth >= epsilon ? depth : epsilon * epsilon / (2 * epsilon - depth)) * std::min(ca.r, cb.r);
    }
  }
  return std::max(sum, 1e-12);
}

TEST(OverlapMeasureTest, TheFastSumIsThePlainSumAndStopsOnlyPastTheBound) {
  const std::vector<PlacedPart> parts = shapes();
  std::vector<CircleCover> covers;
  for (const PlacedPart& part : parts) covers.push_back(coverWithCircles(part, 24, 0.05));
  std::mt19937 random(31);
  std::uniform_real_distribution<double> place(-150, 150);
  std::uniform_real_distribution<double> unit(0, 1);
  int meeting = 0;
  int stopped = 0;
  for (int trial = 0; trial < 4000; ++trial) {
    const std::size_t i = random() % parts.size();
    const std::size_t j = random() % parts.size();
    const double dx = place(random);
    const double dy = place(random);
    const CircleCover& ca = covers[i];
    const CircleCover& cb = covers[j];
    const BoundingBox aBox = parts[i].outer.box();
    const BoundingBox bBox{parts[j].outer.box().minX + dx, parts[j].outer.box().maxX + dx,
                           parts[j].outer.box().minY + dy, parts[j].outer.box().maxY + dy};
    const double near = coverOverlap(ca, 0, 0, aBox, cb, dx, dy, bBox);
    const double all = refusedPairOverlap(ca, 0, 0, cb, dx, dy);
    // Bit for bit: skipping circles clear of the other's changes no sum.
    EXPECT_EQ(all, plainCircleSum(ca, 0, 0, cb, dx, dy, std::numeric_limits<double>::infinity()))
        << trial;
    if (near > 0) {
      ++meeting;
      EXPECT_EQ(near, plainCircleSum(ca, 0, 0, cb, dx, dy, 10.0)) << trial;
    }
    // A caller holding `base` that gives up at `bound`: the stopped sum decides as the whole.
    const double base = 100 * unit(random);
    const double weight = 0.5 + 4 * unit(random);
    const double bound = base + weight * all * 2 * unit(random);
    const OverlapStop stop{base, weight, bound};
    for (const auto& [whole, part] :
         {std::pair{near, coverOverlap(ca, 0, 0, aBox, cb, dx, dy, bBox, stop)},
          std::pair{all, refusedPairOverlap(ca, 0, 0, cb, dx, dy, stop)}}) {
      EXPECT_LE(part, whole) << trial;
      EXPECT_EQ(stop.reached(part), stop.reached(whole)) << trial;
      if (!stop.reached(whole)) {
        EXPECT_EQ(part, whole) << trial;
      }
      if (part < whole) ++stopped;
    }
  }
  EXPECT_GT(meeting, 200);
  EXPECT_GT(stopped, 200);
}

TEST(OverlapMeasureTest, APartInsideAHoleMeetsNoneOfTheFramesCircles) {
  const PlacedPart frame = makePart(rectangleOutline(0, 0, 100, 80), {rectangleOutline(20, 20, 80, 60)});
  PlacedPart square = makePart(rectangleOutline(0, 0, 30, 30));
  const CircleCover cf = coverWithCircles(frame);
  const CircleCover cs = coverWithCircles(square);
  // Everywhere in the hole with a millimetre to spare, then overlapping the rim.
  for (double x = 21; x <= 49; x += 4) {
    for (double y = 21; y <= 29; y += 2) {
      PlacedPart moved = square;
      moved.translate(x, y);
      EXPECT_TRUE(exactlyClear(frame, moved));
      EXPECT_EQ(coverOverlap(cf, 0, 0, frame.outer.box(), cs, x, y, moved.outer.box()), 0.0);
    }
  }
  PlacedPart onRim = square;
  onRim.translate(5, 25);
  EXPECT_FALSE(exactlyClear(frame, onRim));
  EXPECT_GT(coverOverlap(cf, 0, 0, frame.outer.box(), cs, 5, 25, onRim.outer.box()), 0.0);
  // The overlap shrinks as the square slides out of the rim into the hole.
  double previous = coverOverlap(cf, 0, 0, frame.outer.box(), cs, 2, 25, onRim.outer.box());
  for (double x = 4; x <= 20; x += 2) {
    const double now = coverOverlap(cf, 0, 0, frame.outer.box(), cs, x, 25, onRim.outer.box());
    EXPECT_LE(now, previous) << x;
    previous = now;
  }
}

TEST(OverlapMeasureTest, WhatTheCirclesMissCountsByHowDeepItReaches) {
  // A sliver pushed point first into a square: what a refused pair counts (circles and vertex
  // depths) grows the deeper the point goes, the point's depth being the vertex term; a cross
  // of two bars, where no vertex of either lies in the other, still counts by its circles.
  const PlacedPart square = makePart(rectangleOutline(0, 0, 100, 100));
  const PlacedPart sliver = makePart({{0, 0}, {60, 1.5}, {0, 3}});
  const CircleCover cq = coverWithCircles(square);
  const CircleCover cs = coverWithCircles(sliver);
  double previous = 0.0;
  for (double reach = 1; reach <= 40; reach += 3) {
    PlacedPart moved = sliver;
    const double dx = -60 + reach;
    moved.translate(dx, 50);
    ASSERT_FALSE(exactlyClear(square, moved)) << reach;
    const double value = refusedPairOverlap(cq, 0, 0, cs, dx, 50) + vertexPenetration(square, moved);
    EXPECT_GT(value, previous) << reach;
    // The sliver's point lies `reach` inside the square's left side.
    EXPECT_NEAR(vertexPenetration(square, moved), reach, 1e-9) << reach;
    previous = value;
  }
  // A cross of two bars: each meets the other and no vertex of either lies in the other.
  const PlacedPart across = makePart(rectangleOutline(0, 40, 100, 60));
  const PlacedPart upright = makePart(rectangleOutline(40, 0, 60, 100));
  EXPECT_EQ(vertexPenetration(across, upright), 0.0);
  EXPECT_GT(refusedPairOverlap(coverWithCircles(across), 0, 0, coverWithCircles(upright), 0, 0), 0.0);
}

TEST(OverlapMeasureTest, TheStripLossIsZeroExactlyInsideThePlateTestAndGrowsOutward) {
  const double length = 500;
  const double width = 200;
  const BoundingBox strip{0, length, 0, width};
  std::mt19937 random(5);
  std::uniform_real_distribution<double> place(-30, 530);
  int outside = 0;
  for (int trial = 0; trial < 2000; ++trial) {
    const double x = place(random);
    const double y = place(random) * 0.4;
    const BoundingBox box{x, x + 40, y, y + 25};
    const double loss = stripLoss(box, length, width, 10);
    EXPECT_EQ(loss == 0.0, boxInside(box, strip)) << x << ' ' << y;
    outside += loss > 0 ? 1 : 0;
  }
  EXPECT_GT(outside, 200);
  // Flush with the edges is inside; a hair beyond the tolerance is not.
  EXPECT_EQ(stripLoss({0, length, 0, width}, length, width, 10), 0.0);
  EXPECT_GT(stripLoss({0, length + 1e-9, 0, width}, length, width, 10), 0.0);
  // Out of every side and then wholly out, each step further costs more; a barely-out box
  // costs as much as a touch (a ten-thousandth of its area under the root), not nothing.
  struct Way {
    double dx, dy;
  };
  for (const Way way : {Way{1, 0}, Way{-1, 0}, Way{0, 1}, Way{0, -1}, Way{1, 1}}) {
    double previous = 0.0;
    for (double t = 0; t < 120; t += 0.5) {
      // A 40 x 25 box in a corner's reach: at t = 0 it touches the edges it moves towards.
      const double x = way.dx > 0 ? length - 40 : way.dx < 0 ? 0 : 200;
      const double y = way.dy > 0 ? width - 25 : way.dy < 0 ? 0 : 80;
      const BoundingBox box{x + way.dx * t, x + 40 + way.dx * t, y + way.dy * t, y + 25 + way.dy * t};
      const double loss = stripLoss(box, length, width, 10);
      if (t == 0) {
        EXPECT_EQ(loss, 0.0);
      } else {
        EXPECT_GT(loss, previous) << way.dx << ' ' << way.dy << ' ' << t;
        EXPECT_GE(loss, 2 * 10 * std::sqrt(1e-4 * 40 * 25));
      }
      previous = loss;
    }
  }
}

// A shared job laid out by Layout All.
std::unique_ptr<Nester> layOut(const std::string& name, const ScratchFolder& folder, const std::string& run) {
  const testing::BenchmarkJob job = testing::benchmarkJob(name);
  RecordingMessageSink sink;
  ScopedMessageSink guard(&sink);
  LoadOptions options;
  options.keepOrientation = job.keepOrientation;
  auto nester = openLibrary(job.path(), LoadType::kTextLibrary, folder.path() / ("log-" + run + ".txt"), options);
  if (job.rotationNumber) nester->rotationNumber = *job.rotationNumber;
  if (job.turnover) nester->bPartTurnover = *job.turnover;
  nester->layoutAll();
  return nester;
}

std::vector<bool> onPlate(const Nester& nester) {
  std::vector<bool> movable;
  for (const PlacedPart& part : nester.parts) movable.push_back(nester.isOnPlate(part));
  return movable;
}

// Every part still on the plate, and the independent as-cut checker finds the gap kept and the
// plate's edge respected.
void expectWholeAndSoundAsCut(const Nester& nester, std::size_t count) {
  EXPECT_EQ(nester.computeLayoutStatistics().count, count);
  const testing::GapFinding finding = testing::measureCutShapes(nester, nester.partGap + 1);
  EXPECT_EQ(finding.placed, count);
  EXPECT_GE(finding.closest, nester.partGap - 0.05) << "between " << finding.between;
  EXPECT_GE(finding.worstPlateMargin, -0.05);
}

TEST(StripSearchTest, ShortensJobsRepeatablyOnOneThreadOrTwoAndTheLayoutsAreSoundAsCut) {
  PLATENEST_SKIP_WITHOUT_BENCHMARKS();
  for (const char* name : {"jakobs1", "fu"}) {
    ScratchFolder folder;
    std::vector<std::unique_ptr<Nester>> runs;
    std::vector<StripSearchResult> results;
    for (int threads : {1, 2}) {
      runs.push_back(layOut(name, folder, std::to_string(threads)));
      Nester& nester = *runs.back();
      const LayoutStatistics start = nester.computeLayoutStatistics();
      StripSearchOptions options;
      options.attempts = 6;
      options.seed = 3;
      options.threads = threads;
      std::vector<double> told;
      options.onImprovement = [&](const LayoutStatistics& s) { told.push_back(s.packingLength); };
      results.push_back(stripSearch(nester, onPlate(nester), start.packingLength, options));
      const StripSearchResult& result = results.back();
      EXPECT_EQ(result.attempts, 6);
      ASSERT_TRUE(result.found) << name;
      EXPECT_LT(result.statistics.packingLength, start.packingLength);
      ASSERT_FALSE(told.empty());
      for (std::size_t k = 1; k < told.size(); ++k) EXPECT_LT(told[k], told[k - 1]);
      EXPECT_LE(result.statistics.packingLength, told.back());
      nester.restore(result.layout);
      EXPECT_DOUBLE_EQ(nester.computeLayoutStatistics().packingLength, result.statistics.packingLength);
      expectWholeAndSoundAsCut(nester, start.count);
    }
    auto a = runs[0]->parts.begin();
    for (const PlacedPart& part : runs[1]->parts) {
      EXPECT_TRUE(samePose(part, *a)) << name << " part " << part.id;
      ++a;
    }
  }
}

TEST(StripSearchTest, ATimedSearchOnTwoThreadsStoppedAtItsFirstFindReturnsItSoundAsCut) {
  // With a time budget the two workers trade layouts without waiting for each other; stopped
  // (as Ctrl-C would) when the first shorter layout is told, the search returns a layout no
  // longer than the one told, whole and sound as cut.
  PLATENEST_SKIP_WITHOUT_BENCHMARKS();
  ScratchFolder folder;
  auto nester = layOut("fu", folder, "timed");
  const LayoutStatistics start = nester->computeLayoutStatistics();
  Progress progress;
  StripSearchOptions options;
  options.deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  options.threads = 2;
  options.seed = 5;
  options.progress = &progress;
  std::vector<double> told;
  options.onImprovement = [&](const LayoutStatistics& s) {
    told.push_back(s.packingLength);
    progress.cancel();
  };
  const StripSearchResult result = stripSearch(*nester, onPlate(*nester), start.packingLength, options);
  EXPECT_TRUE(result.cancelled);
  ASSERT_TRUE(result.found);
  ASSERT_FALSE(told.empty());
  for (std::size_t k = 1; k < told.size(); ++k) EXPECT_LT(told[k], told[k - 1]);
  EXPECT_LT(told.front(), start.packingLength);
  EXPECT_LE(result.statistics.packingLength, told.back());
  nester->restore(result.layout);
  expectWholeAndSoundAsCut(*nester, start.count);
}

TEST(StripSearchTest, AStoppedSearchFindsNothingAndLeavesTheLayoutAlone) {
  PLATENEST_SKIP_WITHOUT_BENCHMARKS();
  ScratchFolder folder;
  auto nester = layOut("shirts", folder, "stopped");
  const NesterSnapshot before = nester->snapshot();
  Progress progress;
  progress.cancel();
  StripSearchOptions options;
  options.attempts = 4;
  options.threads = 2;
  options.progress = &progress;
  const StripSearchResult result =
      stripSearch(*nester, onPlate(*nester), nester->computeLayoutStatistics().packingLength, options);
  EXPECT_TRUE(result.cancelled);
  EXPECT_FALSE(result.found);
  EXPECT_EQ(result.attempts, 0);
  std::size_t i = 0;
  for (const PlacedPart& part : nester->parts) {
    EXPECT_EQ(part.refPoint.x, before.parts[i].refPoint.x);
    EXPECT_EQ(part.refPoint.y, before.parts[i].refPoint.y);
    ++i;
  }
}

}  // namespace
}  // namespace platenest
