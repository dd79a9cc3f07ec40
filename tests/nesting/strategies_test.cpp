// The similarity dispatch of the multi-step layout: which route a part takes (pairing,
// bounding rectangle, grid) as similar parts are placed or still waiting; and whole jobs laid
// out in multiple steps.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine_test_support.h"
#include "loading/load.h"
#include "nesting/nester.h"
#include "support/messages.h"
#include "test_support/benchmark_jobs.h"

namespace platenest {
namespace {

using engine_test::gridOptions;
using engine_test::makePart;

using engine_test::makeRectangle;

// An L lying down, 1000 x 400: a full bar below, a 480 mm block on its left above.
PlacedPart stair(double x, double y) {
  return makePart({{x, y},
                   {x + 1000, y},
                   {x + 1000, y + 200},
                   {x + 480, y + 200},
                   {x + 480, y + 400},
                   {x, y + 400}});
}

// A nester holding the given parts in this order on a 3000 x 2000 plate (PPD 10), its error
// log in the temporary folder.
class Job {
 public:
  explicit Job(const std::vector<PlacedPart>& list, int rotationNumber = 4)
      : scene_(3000, 2000, 10) {
    scene_.setParts(list);
    nester().rotationNumber = rotationNumber;
    for (PlacedPart& member : nester().parts) members_.push_back(&member);
    EXPECT_TRUE(nester().layout().rebuildPackingGrid());
  }

  Nester& nester() { return scene_.nester(); }
  PlacedPart& part(int index) { return *members_[static_cast<std::size_t>(index)]; }
  std::vector<bool> occupancy() const { return scene_.occupancy(); }

 private:
  RecordingMessageSink sink_;
  ScopedMessageSink guard_{&sink_};
  engine_test::Scene scene_;
  std::vector<PlacedPart*> members_;
};

bool sameOutline(const PlacedPart& a, const PlacedPart& b) {
  if (a.outer.vertexCount() != b.outer.vertexCount() || a.mirrored != b.mirrored ||
      a.rotation != b.rotation) {
    return false;
  }
  for (int i = 0; i < a.outer.vertexCount(); ++i) {
    if (a.outer.vertex(i).x != b.outer.vertex(i).x || a.outer.vertex(i).y != b.outer.vertex(i).y) {
      return false;
    }
  }
  return true;
}

// The route a part took is told by the pose: each route is replayed on a twin job where the
// route's own operation is called directly.
void expectSamePlacement(Job& actual, Job& twin, int index) {
  EXPECT_TRUE(sameOutline(actual.part(index), twin.part(index))) << "part " << index;
  EXPECT_EQ(actual.occupancy(), twin.occupancy());
}

TEST(StrategiesTest, ThreeSimilarPartsTakeThreeRoutes) {
  // RN 1, so that the grid cannot stand a part up and every route leaves a different pose.
  const std::vector<PlacedPart> list = {stair(4000, 0), stair(4000, 500), stair(4000, 1000)};
  Job job(list, 1);
  Nester& nester = job.nester();

  // First: nothing similar on the plate, two waiting: its bounding rectangle is placed.
  EXPECT_TRUE(plateIsEmpty(nester.layout()));
  EXPECT_FALSE(hasSimilarOnPlate(nester.layout(), job.part(0)));
  EXPECT_TRUE(hasSimilarOffPlate(nester.layout(), job.part(0)));
  ASSERT_TRUE(placeBySimilarOrGrid(nester.layout(), job.part(0), 0.25, jobGridSearch(nester)));
  Job byRectangle(list, 1);
  ASSERT_TRUE(placeBoundingRectangle(byRectangle.nester().layout(), byRectangle.part(0)));
  expectSamePlacement(job, byRectangle, 0);
  Job byGrid(list, 1);
  ASSERT_TRUE(gridSearch(byGrid.nester().layout(), byGrid.part(0), gridOptions(byGrid.nester(), true)));
  EXPECT_FALSE(sameOutline(byGrid.part(0), byRectangle.part(0)));

  // Second: one similar part placed, one waiting: it pairs.
  EXPECT_TRUE(hasSimilarOnPlate(nester.layout(), job.part(1)));
  EXPECT_TRUE(hasSimilarOffPlate(nester.layout(), job.part(1)));
  ASSERT_TRUE(placeBySimilarOrGrid(nester.layout(), job.part(1), 0.25, jobGridSearch(nester)));
  Job byPairing(list, 1);
  ASSERT_TRUE(placeBoundingRectangle(byPairing.nester().layout(), byPairing.part(0)));
  ASSERT_TRUE(placeBesideSimilar(byPairing.nester().layout(), byPairing.part(1), 0.25, jobGridSearch(byPairing.nester())));
  expectSamePlacement(job, byPairing, 1);
  ASSERT_TRUE(placeBoundingRectangle(byRectangle.nester().layout(), byRectangle.part(1)));
  EXPECT_FALSE(sameOutline(byRectangle.part(1), byPairing.part(1)));

  // Third: none waiting, so pairing only. The standing pair leaves no corner to fill: the
  // pairing saves nothing and is refused, and the grid takes the part.
  EXPECT_TRUE(hasSimilarOnPlate(nester.layout(), job.part(2)));
  EXPECT_FALSE(hasSimilarOffPlate(nester.layout(), job.part(2)));
  const PlacedPart waiting = job.part(2);
  const std::vector<bool> gridBefore = job.occupancy();
  EXPECT_FALSE(placeBySimilar(nester.layout(), job.part(2), 0.25, jobGridSearch(nester)));
  EXPECT_TRUE(sameOutline(job.part(2), waiting));
  EXPECT_EQ(job.occupancy(), gridBefore);
  ASSERT_TRUE(placeBySimilarOrGrid(nester.layout(), job.part(2), 0.25, jobGridSearch(nester)));
  ASSERT_TRUE(gridSearch(byPairing.nester().layout(), byPairing.part(2), gridOptions(byPairing.nester(), true)));
  expectSamePlacement(job, byPairing, 2);

  // With a threshold that accepts a pairing saving nothing, the same part pairs instead.
  Job accepting(list, 1);
  Job acceptingTwin(list, 1);
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(placeBySimilarOrGrid(accepting.nester().layout(), accepting.part(i), 0.25, jobGridSearch(accepting.nester())));
    ASSERT_TRUE(
        placeBySimilarOrGrid(acceptingTwin.nester().layout(), acceptingTwin.part(i), 0.25, jobGridSearch(acceptingTwin.nester())));
  }
  ASSERT_TRUE(placeBySimilarOrGrid(accepting.nester().layout(), accepting.part(2), -1, jobGridSearch(accepting.nester())));
  ASSERT_TRUE(
      placeBesideSimilar(acceptingTwin.nester().layout(), acceptingTwin.part(2), -1, jobGridSearch(acceptingTwin.nester())));
  expectSamePlacement(accepting, acceptingTwin, 2);
  EXPECT_FALSE(sameOutline(accepting.part(2), job.part(2)));

  for (Job* each : {&job, &accepting}) {
    for (int i = 0; i < 3; ++i) {
      EXPECT_TRUE(each->nester().isOnPlate(each->part(i)));
      EXPECT_TRUE(each->nester().fitsAmongOthers(each->part(i)));
    }
  }
}

TEST(StrategiesTest, RectanglesNeverPairButWaitingPartnersStillGetTheirRectangle) {
  const std::vector<PlacedPart> list = {makeRectangle(0, 0, 1000, 400),
                                        makeRectangle(4000, 0, 5000, 400),
                                        makeRectangle(4000, 500, 5000, 900)};
  Job job(list);
  Nester& nester = job.nester();

  // Similar parts on the plate and waiting: the pairing is refused, the rectangle placed.
  ASSERT_TRUE(hasSimilarOnPlate(nester.layout(), job.part(1)));
  ASSERT_TRUE(hasSimilarOffPlate(nester.layout(), job.part(1)));
  ASSERT_TRUE(placeBySimilar(nester.layout(), job.part(1), 0.25, jobGridSearch(nester)));
  Job twin(list);
  ASSERT_TRUE(placeBoundingRectangle(twin.nester().layout(), twin.part(1)));
  expectSamePlacement(job, twin, 1);

  // None waiting any more: without the grid the last one stays where it is.
  const PlacedPart before = job.part(2);
  const std::vector<bool> grid = job.occupancy();
  EXPECT_FALSE(placeBySimilar(nester.layout(), job.part(2), 0.25, jobGridSearch(nester)));
  EXPECT_TRUE(sameOutline(job.part(2), before));
  EXPECT_EQ(job.occupancy(), grid);
  ASSERT_TRUE(placeBySimilarOrGrid(nester.layout(), job.part(2), 0.25, jobGridSearch(nester)));
  ASSERT_TRUE(
      gridSearch(twin.nester().layout(), twin.part(2), gridOptions(twin.nester(), twin.nester().bPartTurnover)));
  expectSamePlacement(job, twin, 2);
}

TEST(StrategiesTest, PartWithoutSimilarPartsIsLeftForTheGrid) {
  const std::vector<PlacedPart> list = {stair(0, 0), makeRectangle(4000, 0, 4300, 300),
                                        stair(4000, 500)};
  Job job(list);
  Nester& nester = job.nester();
  const PlacedPart before = job.part(1);
  const std::vector<bool> grid = job.occupancy();
  EXPECT_FALSE(hasSimilarOnPlate(nester.layout(), job.part(1)));
  EXPECT_FALSE(hasSimilarOffPlate(nester.layout(), job.part(1)));
  EXPECT_FALSE(placeBySimilar(nester.layout(), job.part(1), 0.25, jobGridSearch(nester)));
  EXPECT_TRUE(sameOutline(job.part(1), before));
  EXPECT_EQ(job.occupancy(), grid);
  ASSERT_TRUE(placeBySimilarOrGrid(nester.layout(), job.part(1), 0.25, jobGridSearch(nester)));
  Job twin(list);
  ASSERT_TRUE(
      gridSearch(twin.nester().layout(), twin.part(1), gridOptions(twin.nester(), twin.nester().bPartTurnover)));
  expectSamePlacement(job, twin, 1);
}

TEST(StrategiesTest, OnAndOffThePlateCountOnlyOtherParts) {
  {
    // A part is not its own partner.
    Job job({stair(4000, 0)});
    EXPECT_TRUE(plateIsEmpty(job.nester().layout()));
    EXPECT_FALSE(hasSimilarOffPlate(job.nester().layout(), job.part(0)));
    EXPECT_FALSE(hasSimilarOnPlate(job.nester().layout(), job.part(0)));
  }
  {
    // A part straddling the plate edge is not on the plate.
    Job job({stair(2500, 0), stair(4000, 0)});
    EXPECT_TRUE(plateIsEmpty(job.nester().layout()));
    EXPECT_TRUE(hasSimilarOffPlate(job.nester().layout(), job.part(1)));
    EXPECT_FALSE(hasSimilarOnPlate(job.nester().layout(), job.part(1)));
  }
  {
    Job job({stair(0, 0), stair(4000, 0)});
    EXPECT_FALSE(plateIsEmpty(job.nester().layout()));
    EXPECT_TRUE(hasSimilarOnPlate(job.nester().layout(), job.part(1)));
    EXPECT_FALSE(hasSimilarOffPlate(job.nester().layout(), job.part(1)));
    EXPECT_FALSE(hasSimilarOnPlate(job.nester().layout(), job.part(0)));
    EXPECT_TRUE(hasSimilarOffPlate(job.nester().layout(), job.part(0)));
  }
  {
    Job job({});
    EXPECT_TRUE(plateIsEmpty(job.nester().layout()));
  }
}

// Whole jobs laid out in multiple steps: every part finds a place, no two overlap, and the
// same job gives the same layout twice.
struct JobCase {
  const char* file;
  int rotationNumber;  // 0: what the load gives
  bool turnover;
  bool keepOrientation;
};

// Failures name the job rather than print its bytes.
void PrintTo(const JobCase& c, std::ostream* out) { *out << c.file << " RN " << c.rotationNumber; }
class MultiStepJobTest : public ::testing::TestWithParam<JobCase> {
 protected:
  void SetUp() override { PLATENEST_REQUIRE_BENCHMARKS(); }
};

std::vector<PlacedPart> layOut(const JobCase& c, const std::filesystem::path& folder) {
  RecordingMessageSink sink;
  ScopedMessageSink guard(&sink);
  LoadOptions options;
  options.keepOrientation = c.keepOrientation;
  std::unique_ptr<Nester> nester =
      openLibrary(std::filesystem::path(PLATENEST_BENCHMARK_DIR) / c.file, LoadType::kTextLibrary,
                  folder / "PackError.txt", options);
  if (c.rotationNumber > 0) nester->rotationNumber = c.rotationNumber;
  nester->bPartTurnover = c.turnover;
  for (PlacedPart& part : nester->parts) part.selected = true;
  nester->layoutMultipleSteps();

  std::vector<PlacedPart> result;
  for (const PlacedPart& part : nester->parts) {
    EXPECT_TRUE(nester->isOnPlate(part)) << part.id;
    if (!nester->isOnPlate(part)) continue;
    EXPECT_TRUE(nester->fitsAmongOthers(part)) << part.id;
    EXPECT_TRUE(c.turnover || !part.mirrored) << part.id;
    result.push_back(part);
  }
  EXPECT_GT(result.size(), 0u);
  return result;
}

TEST_P(MultiStepJobTest, EveryPartPlacedWithoutOverlapAndRepeatable) {
  // One folder per job: CTest runs the jobs side by side.
  const std::filesystem::path folder =
      std::filesystem::path(::testing::TempDir()) /
      ("platenest_multistep_" + std::filesystem::path(GetParam().file).stem().string());
  std::filesystem::create_directories(folder);
  const std::vector<PlacedPart> first = layOut(GetParam(), folder);
  const std::vector<PlacedPart> second = layOut(GetParam(), folder);
  ASSERT_EQ(first.size(), second.size());
  for (std::size_t i = 0; i < first.size(); ++i) {
    EXPECT_EQ(first[i].id, second[i].id);
    EXPECT_TRUE(sameOutline(first[i], second[i])) << first[i].id;
  }
  std::filesystem::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Benchmarks, MultiStepJobTest,
                         ::testing::Values(JobCase{"esicup/fu.txt", 4, false, true},
                                           JobCase{"esicup/jakobs1.txt", 4, false, true},
                                           JobCase{"esicup/shapes0.txt", 1, false, true},
                                           JobCase{"esicup/swim.txt", 2, false, true},
                                           JobCase{"industrial/industrial-60.txt", 0, true, false},
                                           JobCase{"industrial/industrial-150.txt", 0, true,
                                                   false}),
                         [](const ::testing::TestParamInfo<JobCase>& info) {
                           std::string name = std::filesystem::path(info.param.file).stem();
                           for (char& ch : name) {
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace platenest
