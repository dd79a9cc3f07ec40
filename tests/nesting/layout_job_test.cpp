// Layout All of whole jobs: every shared benchmark job (and the bundled examples) laid out,
// then checked by plain geometry written here, independent of the engine's own tests: no
// part sticks out of the plate, no two parts overlap (a part may stand in another's hole),
// and the same job laid out twice gives the same poses bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine_test_support.h"
#include "test_support/benchmark_jobs.h"
#include "loading/load.h"
#include "support/messages.h"

namespace platenest {
namespace {

using engine_test::distanceToSegment;
using engine_test::samePose;
using engine_test::ScratchFolder;
using engine_test::windingInside;
using ::platenest::testing::CurrentFolder;

// ---- Plain geometry: orientation, proper crossing and winding number.

// Orientation of c against the line a-b, or 0 when within a relative rounding band.
int orientation(const Point& a, const Point& b, const Point& c) {
  const double value = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
  const double scale = std::fabs((b.x - a.x) * (c.y - a.y)) + std::fabs((b.y - a.y) * (c.x - a.x));
  if (std::fabs(value) <= 1e-12 * scale) return 0;
  return value > 0 ? 1 : -1;
}

// The segments cross at a point inside both (touching does not count).
bool crossProperly(const Point& a, const Point& b, const Point& c, const Point& d) {
  const int o1 = orientation(a, b, c), o2 = orientation(a, b, d);
  const int o3 = orientation(c, d, a), o4 = orientation(c, d, b);
  return o1 * o2 < 0 && o3 * o4 < 0;
}

// Inside the ring by winding number, and further than `margin` from its boundary.
bool deepInside(const std::vector<Point>& ring, const Point& p, double margin) {
  for (std::size_t i = 0; i < ring.size(); ++i) {
    if (distanceToSegment(p, ring[i], ring[(i + 1) % ring.size()]) <= margin) return false;
  }
  return windingInside(ring, p);
}

std::vector<const std::vector<Point>*> ringsOf(const PlacedPart& part) {
  std::vector<const std::vector<Point>*> rings{&part.outer.vertices()};
  for (const Polygon& hole : part.holes) rings.push_back(&hole.vertices());
  return rings;
}

// A point of the part's material: inside the outer ring and in none of the holes, clear of
// every boundary.
bool inMaterial(const PlacedPart& part, const Point& p, double margin) {
  if (!deepInside(part.outer.vertices(), p, margin)) return false;
  for (const Polygon& hole : part.holes) {
    const std::vector<Point>& ring = hole.vertices();
    // Inside the hole (or on its edge): not material.
    bool onEdge = false;
    for (std::size_t i = 0; i < ring.size() && !onEdge; ++i) {
      onEdge = distanceToSegment(p, ring[i], ring[(i + 1) % ring.size()]) <= margin;
    }
    if (onEdge || deepInside(ring, p, 0)) return false;
  }
  return true;
}

// Why two parts overlap, or empty when they do not.
std::string overlapReason(const PlacedPart& a, const PlacedPart& b) {
  // Boxes overlapping by less than 1e-5 count as apart.
  const double t = 1e-5;
  if (a.box().minX >= b.box().maxX - t || b.box().minX >= a.box().maxX - t ||
      a.box().minY >= b.box().maxY - t || b.box().minY >= a.box().maxY - t) {
    return {};
  }
  for (const auto* ringA : ringsOf(a)) {
    for (const auto* ringB : ringsOf(b)) {
      for (std::size_t i = 0; i < ringA->size(); ++i) {
        const Point& p1 = (*ringA)[i];
        const Point& p2 = (*ringA)[(i + 1) % ringA->size()];
        for (std::size_t j = 0; j < ringB->size(); ++j) {
          if (crossProperly(p1, p2, (*ringB)[j], (*ringB)[(j + 1) % ringB->size()])) {
            return "edges cross";
          }
        }
      }
    }
  }
  for (const Point& v : a.outer.vertices()) {
    if (inMaterial(b, v, 1e-7)) return "a vertex of the first lies in the second";
  }
  for (const Point& v : b.outer.vertices()) {
    if (inMaterial(a, v, 1e-7)) return "a vertex of the second lies in the first";
  }
  // Outlines lying on each other cross nowhere and have no vertex strictly inside: look just
  // inside each edge of the first part, on the side where its material is.
  for (const auto* ring : ringsOf(a)) {
    for (std::size_t i = 0; i < ring->size(); ++i) {
      const Point& p = (*ring)[i];
      const Point& q = (*ring)[(i + 1) % ring->size()];
      const double length = std::hypot(q.x - p.x, q.y - p.y);
      if (length < 1e-3) continue;
      const double nx = -(q.y - p.y) / length * 1e-3, ny = (q.x - p.x) / length * 1e-3;
      for (const double side : {1.0, -1.0}) {
        const Point probe((p.x + q.x) / 2 + side * nx, (p.y + q.y) / 2 + side * ny);
        if (inMaterial(a, probe, 1e-7) && inMaterial(b, probe, 1e-7)) {
          return "the outlines lie on each other";
        }
      }
    }
  }
  return {};
}

bool insidePlate(const PlacedPart& part, double length, double width) {
  const double t = 1e-9;
  for (const Point& v : part.outer.vertices()) {
    if (v.x < -t || v.x > length + t || v.y < -t || v.y > width + t) return false;
  }
  return true;
}

bool wellClearOfPlate(const PlacedPart& part, double length, double width) {
  const BoundingBox& b = part.box();
  return b.minX >= length || b.maxX <= 0 || b.minY >= width || b.maxY <= 0;
}

// The checker itself must see overlaps, and must let parts touch or stand in holes.
TEST(FeasibilityCheckTest, SeesOverlapsButAcceptsTouchingAndHoles) {
  using engine_test::makePart;
  using engine_test::makeRectangle;
  using engine_test::rectangleOutline;
  const PlacedPart frame =
      makePart(rectangleOutline(0, 0, 100, 100), {rectangleOutline(20, 20, 80, 80)});
  struct CheckCase {
    const char* name;
    PlacedPart other;
    bool overlaps;
  };
  const CheckCase cases[] = {
      {"in the hole", makeRectangle(30, 30, 70, 70), false},
      {"touching the right side", makeRectangle(100, 0, 150, 50), false},
      {"a hair away", makeRectangle(100.001, 0, 150, 50), false},
      {"across the hole's edge", makeRectangle(70, 30, 90, 70), true},
      {"wholly in the material", makeRectangle(2, 2, 10, 10), true},
      {"covering the frame", makeRectangle(-10, -10, 110, 110), true},
      {"the same outline", makeRectangle(0, 0, 100, 100), true},
      {"a triangle poking in", makePart({{150, 40}, {150, 60}, {95, 50}}), true},
  };
  for (const CheckCase& c : cases) {
    EXPECT_EQ(!overlapReason(frame, c.other).empty(), c.overlaps) << c.name;
    EXPECT_EQ(!overlapReason(c.other, frame).empty(), c.overlaps) << c.name << " (swapped)";
  }
  EXPECT_TRUE(insidePlate(makeRectangle(0, 0, 100, 50), 100, 50));
  EXPECT_FALSE(insidePlate(makeRectangle(0, 0, 100.001, 50), 100, 50));
  EXPECT_FALSE(wellClearOfPlate(makeRectangle(90, 0, 110, 50), 100, 50));
}

// ---- The jobs.

enum class Folder { kBenchmarks, kExamples };

struct Job {
  const char* name;
  Folder folder;
  const char* file;
  LoadType type;
  bool fixedOrientations;  // strip-packing instance: given RN, no turning over, no turn at load
  int rotationNumber;
};

const Job kJobs[] = {
    {"jakobs1", Folder::kBenchmarks, "esicup/jakobs1.txt", LoadType::kTextLibrary, true, 4},
    {"fu", Folder::kBenchmarks, "esicup/fu.txt", LoadType::kTextLibrary, true, 4},
    {"shapes0", Folder::kBenchmarks, "esicup/shapes0.txt", LoadType::kTextLibrary, true, 1},
    {"mao", Folder::kBenchmarks, "esicup/mao.txt", LoadType::kTextLibrary, true, 4},
    {"swim", Folder::kBenchmarks, "esicup/swim.txt", LoadType::kTextLibrary, true, 2},
    {"shirts", Folder::kBenchmarks, "esicup/shirts.txt", LoadType::kTextLibrary, true, 2},
    {"industrial60", Folder::kBenchmarks, "industrial/industrial-60.txt", LoadType::kTextLibrary,
     false, 0},
    {"industrial150", Folder::kBenchmarks, "industrial/industrial-150.txt", LoadType::kTextLibrary,
     false, 0},
    {"exampleJob", Folder::kExamples, "job.txt", LoadType::kTextLibrary, false, 0},
    {"examplePartList", Folder::kExamples, "shop-sheet.preSrc", LoadType::kPartList, false, 0},
    {"exampleDxfList", Folder::kExamples, "dxf-job.txt", LoadType::kDxfList, false, 0},
};

std::filesystem::path folderOf(Folder folder) {
  return folder == Folder::kBenchmarks ? std::filesystem::path(PLATENEST_BENCHMARK_DIR)
                                       : std::filesystem::path(PLATENEST_SOURCE_DIR) / "examples";
}

struct Layout {
  std::unique_ptr<Nester> nester;
  LayoutStatistics statistics;
  double seconds = 0.0;  // the layout command's, as the timing file records it
};

enum class Mode { kLayoutAll, kMultipleSteps };

Layout layOut(const Job& job, const ScratchFolder& folder, const std::string& run,
              bool searchMemo = true, Mode mode = Mode::kLayoutAll) {
  RecordingMessageSink sink;  // load warnings about single parts are not the subject here
  ScopedMessageSink guard(&sink);
  // In the test's own folder, files written to the current folder (the part-list check
  // report) stay out of the source tree; a DXF list's drawing folder is then found beside it.
  CurrentFolder here(folder.path());
  LoadOptions options;
  options.keepOrientation = job.fixedOrientations;
  Layout layout;
  layout.nester = openLibrary(folderOf(job.folder) / job.file, job.type,
                              folder.path() / ("PackError" + run + ".txt"), options);
  Nester& nester = *layout.nester;
  if (job.fixedOrientations) {
    nester.rotationNumber = job.rotationNumber;
    nester.bPartTurnover = false;
  }
  nester.layout().setSearchMemoEnabled(searchMemo);
  LayoutTiming timing(folder.path() / ("timing" + run + ".txt"));
  if (mode == Mode::kLayoutAll) {
    timing.time(TimingRecord::kLastCommand, false, [&]() { nester.layoutAll(); });
  } else {
    nester.selectAll();
    timing.time(TimingRecord::kDatedEntry, false, [&]() { nester.layoutMultipleSteps(); });
  }
  layout.seconds = timing.lastSeconds();
  layout.statistics = nester.computeLayoutStatistics();
  return layout;
}

// Every part on the plate lies inside it, the others are well clear of it, no two parts on
// the plate overlap, and the figures count exactly the parts found on the plate.
void checkFeasible(const Nester& nester, const LayoutStatistics& statistics) {
  std::vector<const PlacedPart*> onPlate;
  for (const PlacedPart& part : nester.parts) {
    if (insidePlate(part, nester.plateLength(), nester.plateWidth())) {
      onPlate.push_back(&part);
    } else {
      EXPECT_TRUE(wellClearOfPlate(part, nester.plateLength(), nester.plateWidth()))
          << "part " << part.id << " sticks out of the plate";
    }
  }
  for (std::size_t i = 0; i < onPlate.size(); ++i) {
    for (std::size_t j = i + 1; j < onPlate.size(); ++j) {
      const std::string reason = overlapReason(*onPlate[i], *onPlate[j]);
      EXPECT_TRUE(reason.empty()) << "parts " << onPlate[i]->id << " and " << onPlate[j]->id
                                  << " overlap: " << reason;
    }
  }
  EXPECT_EQ(statistics.count, static_cast<int>(onPlate.size()));
}

// Failures name the job rather than print its bytes.
void PrintTo(const Job& job, std::ostream* out) { *out << job.name << " (" << job.file << ")"; }

// Jobs of the benchmark folder fail, naming it, where it is absent.
class LayoutAllJobTest : public ::testing::TestWithParam<Job> {
 protected:
  void SetUp() override {
    if (GetParam().folder == Folder::kBenchmarks) PLATENEST_REQUIRE_BENCHMARKS();
  }
};

TEST_P(LayoutAllJobTest, LayoutIsFeasibleAndRepeatsBitForBit) {
  const Job& job = GetParam();
  ScratchFolder folder;
  const Layout first = layOut(job, folder, "1");
  const Nester& nester = *first.nester;
  ASSERT_GT(nester.parts.count(), 0);

  checkFeasible(nester, first.statistics);
  EXPECT_GT(first.statistics.count, 0);
  std::printf("[ layout   ] %s: %d of %d parts placed, density %.4f, %.3f s, %llu fit tests\n",
              job.name, first.statistics.count, nester.parts.count(), first.statistics.density,
              first.seconds, static_cast<unsigned long long>(nester.fitTestCount()));

  // The second run takes the plain search, without the memo of blocked candidates: the
  // layout must not change by a single bit.
  const Layout second = layOut(job, folder, "2", false);
  EXPECT_LE(nester.fitTestCount(), second.nester->fitTestCount());
  ASSERT_EQ(second.nester->parts.count(), nester.parts.count());
  auto it = second.nester->parts.begin();
  for (const PlacedPart& part : nester.parts) {
    ASSERT_EQ(part.id, it->id);
    EXPECT_TRUE(samePose(part, *it)) << "part " << part.id << " differs between two runs";
    ++it;
  }
}

// Every pose of the layout, bit for bit, folded into one number.
std::uint64_t poseHash(const Nester& nester) {
  std::uint64_t h = 1469598103934665603ULL;
  auto mix = [&h](const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) h = (h ^ bytes[i]) * 1099511628211ULL;
  };
  for (const PlacedPart& part : nester.parts) {
    mix(&part.id, sizeof part.id);
    const unsigned char mirrored = part.mirrored ? 1 : 0;
    mix(&mirrored, 1);
    mix(&part.rotation, sizeof part.rotation);
    mix(&part.refPoint.x, sizeof(double));
    mix(&part.refPoint.y, sizeof(double));
    for (const Point& v : part.outer.vertices()) {
      mix(&v.x, sizeof(double));
      mix(&v.y, sizeof(double));
    }
  }
  return h;
}

// The layouts as they were before the search was sped up: any change to the search that
// moves a single part by a single bit shows here.
TEST_P(LayoutAllJobTest, PosesMatchTheRecordedLayout) {
  const std::map<std::string, std::uint64_t> recorded = {
      {"jakobs1", 0x9ab7fd65903645dcULL},        {"fu", 0x8457131bba50cec5ULL},
      {"shapes0", 0x851c74b41f3f02aeULL},        {"mao", 0x57e67c2e9d5e8d8fULL},
      {"swim", 0x8f8b14e66bed006bULL},           {"shirts", 0x766045a86994d84cULL},
      {"industrial60", 0x52ef676b4954495fULL},   {"industrial150", 0x67155c8d75792e47ULL},
      {"exampleJob", 0x50fcfaa7c1dc1e62ULL},     {"examplePartList", 0x2c098754a855a60cULL},
      {"exampleDxfList", 0x23acc2ad81516d59ULL},
  };
  const Job& job = GetParam();
  ScratchFolder folder;
  const Layout layout = layOut(job, folder, "1");
  const std::uint64_t hash = poseHash(*layout.nester);
  const auto it = recorded.find(job.name);
  ASSERT_NE(it, recorded.end()) << "no recorded layout for " << job.name;
  EXPECT_EQ(hash, it->second);
}

INSTANTIATE_TEST_SUITE_P(Jobs, LayoutAllJobTest, ::testing::ValuesIn(kJobs),
                         [](const ::testing::TestParamInfo<Job>& info) {
                           return std::string(info.param.name);
                         });

// Layout Multiple Steps of every part of each job, checked the same way, twice the same, and
// against the layout recorded for it.
class MultipleStepsJobTest : public LayoutAllJobTest {};

TEST_P(MultipleStepsJobTest, LayoutIsFeasibleRepeatsAndMatchesTheRecordedLayout) {
  const std::map<std::string, std::uint64_t> recorded = {
      {"jakobs1", 0x9da16fc4d407f441ULL},  {"fu", 0xe02fe3708933c5ecULL},
      {"shapes0", 0x938381512da5f989ULL},  {"mao", 0x41498927b22da329ULL},
      {"swim", 0x4523d02669c0fc37ULL},  {"shirts", 0x3c7a8d5e9c2a1895ULL},
      {"industrial60", 0x39a62878f1777502ULL},  {"industrial150", 0x8d0c842e783ff64fULL},
      {"exampleJob", 0x5c6192f99e20a235ULL},  {"examplePartList", 0x8bdf03bacd99bc6dULL},
      {"exampleDxfList", 0x23acc2ad81516d59ULL},
  };
  const Job& job = GetParam();
  ScratchFolder folder;
  const Layout first = layOut(job, folder, "1", true, Mode::kMultipleSteps);
  ASSERT_GT(first.nester->parts.count(), 0);
  checkFeasible(*first.nester, first.statistics);
  EXPECT_GT(first.statistics.count, 0);
  const Layout second = layOut(job, folder, "2", true, Mode::kMultipleSteps);
  const std::uint64_t hash = poseHash(*first.nester);
  EXPECT_EQ(poseHash(*second.nester), hash);
  std::printf("[ multi    ] %s: %d of %d parts placed, density %.4f, pose hash 0x%016llx\n",
              job.name, first.statistics.count, first.nester->parts.count(),
              first.statistics.density, static_cast<unsigned long long>(hash));
  const auto it = recorded.find(job.name);
  ASSERT_NE(it, recorded.end()) << "no recorded layout for " << job.name;
  EXPECT_EQ(hash, it->second);
}

INSTANTIATE_TEST_SUITE_P(Jobs, MultipleStepsJobTest, ::testing::ValuesIn(kJobs),
                         [](const ::testing::TestParamInfo<Job>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace platenest
