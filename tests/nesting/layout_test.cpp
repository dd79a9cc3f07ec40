// The layout object: its collision query against the nester's own fit test on seeded random
// poses over every benchmark job, a clone searched as a worker searches it against Layout
// All, the depth figure on shapes built in code, and save, restore, clone and park.
#include "nesting/layout.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <iterator>
#include <limits>
#include <utility>
#include <random>
#include <vector>

#include "engine_test_support.h"
#include "nesting/grid_search.h"
#include "nesting/search_memo.h"
#include "test_support/benchmark_jobs.h"

namespace platenest {
namespace {

using engine_test::layOutBenchmark;
using engine_test::openBenchmark;
using engine_test::samePose;
using engine_test::ScratchFolder;
using testing::makePart;
using testing::makeRectangle;
using testing::rectangleOutline;

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// A pose near the part's own or anywhere about the plate, turned and turned over at random:
// a crowded plate then gives poses that fit and poses that do not.
Pose randomPose(std::mt19937& random, const PlacedPart& part, const BoundingBox& plate) {
  std::uniform_int_distribution<int> kind(0, 3);
  std::uniform_real_distribution<double> nudge(-3.0, 3.0);
  std::uniform_real_distribution<double> x(plate.minX - 50, plate.maxX + 50);
  std::uniform_real_distribution<double> y(plate.minY - 50, plate.maxY + 50);
  std::uniform_int_distribution<int> quarter(0, 3);
  Pose pose = poseOf(part);
  switch (kind(random)) {
    case 0:  // a nudge from where it stands
      pose.refPoint = Point(pose.refPoint.x + nudge(random), pose.refPoint.y + nudge(random));
      break;
    case 1:  // a quarter turn and a nudge
      pose.rotation += quarter(random) * kPi / 2;
      pose.refPoint = Point(pose.refPoint.x + nudge(random), pose.refPoint.y + nudge(random));
      break;
    case 2:  // turned over where it stands
      pose.mirrored = !pose.mirrored;
      break;
    default:  // anywhere
      pose.refPoint = Point(x(random), y(random));
      pose.rotation = std::uniform_real_distribution<double>(0, 2 * kPi)(random);
      break;
  }
  return pose;
}

class LayoutCollisionJobTest : public ::testing::TestWithParam<testing::BenchmarkJob> {
 protected:
  void SetUp() override { PLATENEST_REQUIRE_BENCHMARKS(); }
};

// The same verdict as the nester's fit test on every pose, with and without the part itself
// among the obstacles; the hazards are exactly the parts the clearance test refuses, each
// with a depth above zero; a bound cuts the list short after the hazard that passes it.
TEST_P(LayoutCollisionJobTest, CollisionQueryAgreesWithTheFitTest) {
  ScratchFolder folder;
  const auto nester = layOutBenchmark(GetParam(), folder);
  const Layout layout(nester->plate(), nester->parts);
  ASSERT_EQ(layout.partCount(), static_cast<std::size_t>(nester->parts.count()));

  // The layout Layout All made holds no hazard where it stands.
  for (std::size_t i = 0; i < layout.partCount(); ++i) {
    if (!layout.isOnPlate(i)) continue;
    EXPECT_TRUE(layout.fits(i)) << i;
    EXPECT_TRUE(layout.collisions(layout.part(i), 0.0, i).empty()) << i;
  }

  std::mt19937 random(2026);
  std::uniform_int_distribution<std::size_t> pick(0, layout.partCount() - 1);
  int fitting = 0, clashing = 0;
  for (int trial = 0; trial < 600; ++trial) {
    const std::size_t i = pick(random);
    PlacedPart candidate = layout.part(i);
    applyPose(candidate, randomPose(random, candidate, layout.plateRect()));
    std::vector<const PlacedPart*> others;
    std::size_t n = 0;
    for (const PlacedPart& part : nester->parts) {
      if (n++ != i) others.push_back(&part);
    }

    const Collisions amongOthers = layout.collisions(candidate, kInfinity, i);
    const bool fits = nester->fitsAmong(candidate, others);
    ASSERT_EQ(amongOthers.empty(), fits) << "trial " << trial << ", part " << i;
    ASSERT_EQ(layout.fits(candidate, i), fits) << "trial " << trial;
    ASSERT_EQ(layout.collisions(candidate).empty(), nester->fits(candidate)) << "trial " << trial;
    (fits ? fitting : clashing) += 1;

    // Exactly the refusals of the plain tests, in order, plate first.
    std::vector<std::pair<Hazard::Kind, std::size_t>> expected, listed;
    if (!candidate.isInside(layout.plateRect())) {
      expected.emplace_back(Hazard::Kind::kPlateEdge, 0);
    }
    n = 0;
    for (const PlacedPart& part : nester->parts) {
      if (n != i && !candidate.isClearOf(part)) expected.emplace_back(Hazard::Kind::kPart, n);
      ++n;
    }
    for (const Hazard& hazard : amongOthers.hazards) listed.emplace_back(hazard.kind, hazard.part);
    ASSERT_EQ(listed, expected) << "trial " << trial;
    EXPECT_FALSE(amongOthers.stoppedEarly);
    double total = 0;
    for (const Hazard& hazard : amongOthers.hazards) {
      EXPECT_GT(hazard.depth, 0.0);
      total += hazard.depth;
    }
    EXPECT_DOUBLE_EQ(amongOthers.totalDepth, total);

    // A bound below the total stops the query after the hazard that passes it.
    if (amongOthers.hazards.size() >= 2) {
      const double bound = amongOthers.hazards.front().depth / 2;
      const Collisions cut = layout.collisions(candidate, bound, i);
      ASSERT_EQ(cut.hazards.size(), 1u);
      EXPECT_EQ(cut.hazards.front(), amongOthers.hazards.front());
      EXPECT_TRUE(cut.stoppedEarly);
    }
  }
  // Both verdicts were put to the test.
  EXPECT_GT(fitting, 20);
  EXPECT_GT(clashing, 20);
}

INSTANTIATE_TEST_SUITE_P(Jobs, LayoutCollisionJobTest,
                         ::testing::ValuesIn(testing::benchmarkJobs()),
                         testing::BenchmarkJobName());

// A worker's clone, searched part by part with the job's grid search, comes to the layout
// Layout All makes on the nester, bit for bit (holes in their order too); the nester is not
// touched by it, nor the clone by the nester.
TEST_P(LayoutCollisionJobTest, CloneSearchedByAWorkerMatchesLayoutAll) {
  ScratchFolder folder;
  const auto nester = openBenchmark(GetParam(), folder);
  Layout clone = nester->layout().clone();
  const Layout::Saved unplaced = nester->layout().save();
  ASSERT_TRUE(clone.ensurePackingGrid());
  const GridSearchOptions options = jobGridSearch(*nester);
  clone.searchMemo().begin();
  for (PlacedPart& part : clone.parts()) {
    if (!clone.isOnPlate(part)) gridSearch(clone, part, options);
  }
  clone.searchMemo().end();

  // Searching the clone left the nester's parts where they were.
  Layout untouched = nester->layout().clone();
  untouched.restore(unplaced);
  auto samePoses = [](const PartList& a, const PartList& b) {
    if (a.count() != b.count()) return false;
    for (auto p = a.begin(), q = b.begin(); p != a.end(); ++p, ++q) {
      if (!samePose(*p, *q)) return false;
    }
    return true;
  };
  EXPECT_TRUE(samePoses(nester->parts, untouched.parts()));

  nester->layoutAll();
  EXPECT_TRUE(samePoses(nester->parts, clone.parts()));
  std::size_t onPlate = 0;
  for (const PlacedPart& part : clone.parts()) onPlate += clone.isOnPlate(part) ? 1 : 0;
  EXPECT_GT(onPlate, 0u);
  EXPECT_EQ(clone.packingLength(), nester->layout().packingLength());
}

Plate plateOf(double length, double width) {
  Plate plate;
  plate.setSize(length, width);
  return plate;
}

// Pushed further into another part or beyond the plate, the figure grows; a part in a hole
// meets nothing until it crosses the hole's edge; touching is not a hazard.
TEST(LayoutCollisionTest, DepthGrowsWithTheOverlapAndHolesHoldParts) {
  const PlacedPart frame =
      makePart(rectangleOutline(100, 100, 300, 300), {rectangleOutline(150, 150, 250, 250)});
  Layout layout(plateOf(1000, 500), std::vector<PlacedPart>{makeRectangle(0, 0, 100, 100), frame});

  double last = 0;
  for (double x = 100; x >= 10; x -= 10) {  // from touching to deep in, from the right
    const PlacedPart probe = makeRectangle(x, 0, x + 100, 100);
    const Collisions found = layout.collisions(probe);
    if (x == 100) {
      EXPECT_TRUE(found.empty()) << "touching";
      continue;
    }
    ASSERT_EQ(found.hazards.size(), 1u) << x;
    EXPECT_EQ(found.hazards[0].part, 0u);
    EXPECT_GT(found.hazards[0].depth, last) << x;
    last = found.hazards[0].depth;
  }

  EXPECT_TRUE(layout.collisions(makeRectangle(170, 170, 230, 230)).empty()) << "in the hole";
  const Collisions across = layout.collisions(makeRectangle(230, 170, 270, 230));
  ASSERT_EQ(across.hazards.size(), 1u);
  EXPECT_EQ(across.hazards[0].part, 1u);

  last = 0;
  for (double y = 400; y <= 460; y += 20) {  // out through the top edge at 500
    const Collisions found = layout.collisions(makeRectangle(500, y, 560, y + 100));
    if (y == 400) {
      EXPECT_TRUE(found.empty()) << "flush with the edge";
      continue;
    }
    ASSERT_EQ(found.hazards.size(), 1u) << y;
    EXPECT_EQ(found.hazards[0].kind, Hazard::Kind::kPlateEdge);
    EXPECT_DOUBLE_EQ(found.hazards[0].depth, y - 400);
    EXPECT_GT(found.hazards[0].depth, last);
    last = found.hazards[0].depth;
  }
}

// Save and restore give back every pose bit for bit; a clone moves on its own; a parked part
// is off the plate and in nobody's way; a part placed at a pose stands where a copy posed
// the same way stands.
TEST(LayoutPosesTest, SaveRestoreCloneParkAndPlace) {
  std::vector<PlacedPart> parts;
  for (int i = 0; i < 5; ++i) parts.push_back(makeRectangle(i * 60.0, 0, i * 60.0 + 50, 30));
  Layout layout(plateOf(400, 200), parts);
  const Layout::Saved saved = layout.save();
  const Layout untouched = layout.clone();

  std::mt19937 random(11);
  for (std::size_t i = 0; i < layout.partCount(); ++i) {
    layout.place(i, randomPose(random, layout.part(i), layout.plateRect()));
  }
  for (std::size_t i = 0; i < layout.partCount(); ++i) {
    EXPECT_TRUE(samePose(untouched.part(i), parts[i])) << "the clone moved with it, " << i;
  }
  layout.restore(saved);
  for (std::size_t i = 0; i < layout.partCount(); ++i) {
    EXPECT_TRUE(samePose(layout.part(i), parts[i])) << i;
  }

  layout.park(2);
  EXPECT_FALSE(layout.isOnPlate(2));
  EXPECT_LE(layout.part(2).outer.box().maxY, 0.0);
  EXPECT_GE(layout.part(2).outer.box().minX, 400.0);
  EXPECT_EQ(layout.collisions(makeRectangle(0, 0, 400, 200), kInfinity, 0).hazards.size(), 3u)
      << "the parked part is not in the way";

  const Pose turned{true, Point(200, 100), kPi / 2};
  PlacedPart copy = layout.part(4);
  applyPose(copy, turned);
  layout.place(4, turned);
  EXPECT_TRUE(samePose(layout.part(4), copy));
  const Collisions atPose = layout.collisionsAt(4, turned);
  EXPECT_EQ(atPose.empty(), layout.fits(4));
}

}  // namespace
}  // namespace platenest
