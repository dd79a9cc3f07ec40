// A soak of random shop jobs: mixed parts with arcs, holes and slots, random gaps, plates and
// rotation numbers, each laid out with Layout All and with the multi-step layout, and every
// layout replayed as cut by the independent true-shape check: every two parts the gap apart,
// all inside the plate. PLATENEST_SOAK_JOBS sets the number of jobs (100 unless set),
// PLATENEST_SOAK_SEED the first job's seed; a failure names the seed of its job.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine_test_support.h"
#include "loading/load.h"
#include "support/messages.h"
#include "shop_shapes.h"
#include "true_shapes.h"

namespace platenest::testing {
namespace {

using engine_test::ScratchFolder;

constexpr double kAllowance = 0.05;  // mm the cut shapes may come short of the gap

// Draws from one seed the same way on every platform (the standard distributions do not).
class Draw {
 public:
  explicit Draw(std::uint32_t seed) : engine_(seed) {}
  double real(double low, double high) {
    return low + (high - low) * (static_cast<double>(engine_()) / 4294967296.0);
  }
  int whole(int low, int high) {
    return low + static_cast<int>(engine_() % static_cast<std::uint32_t>(high - low + 1));
  }

 private:
  std::mt19937 engine_;
};

// One random part: its outline first, then its holes.
std::vector<Outline> randomPart(Draw& draw) {
  switch (draw.whole(0, 6)) {
    case 0: {  // a plate with rounded corners, a centre hole and maybe two bolt holes
      const double w = draw.real(40, 300), h = draw.real(30, 200);
      const double small = std::min(w, h);
      const double r = draw.real(1, 0.25 * small);
      std::vector<Outline> part{roundedRectangle(0, 0, w, h, r),
                                circle(w / 2, h / 2, draw.real(2, 0.2 * small))};
      if (draw.whole(0, 1) == 1) {
        part.push_back(circle(r + 0.1 * small, h / 2, 1.7));
        part.push_back(circle(w - r - 0.1 * small, h / 2, 1.7));
      }
      return part;
    }
    case 1: {  // a ring
      const double outer = draw.real(15, 120);
      return {circle(0, 0, outer), circle(0, 0, outer * draw.real(0.3, 0.8))};
    }
    case 2: {  // a flange with four bolt holes
      const double outer = draw.real(30, 150);
      const double bolts = 0.75 * outer, hole = 0.08 * outer;
      return {circle(0, 0, outer), circle(0, 0, 0.3 * outer), circle(bolts, 0, hole),
              circle(-bolts, 0, hole), circle(0, bolts, hole), circle(0, -bolts, hole)};
    }
    case 3: {  // a slotted bar
      const double w = draw.real(80, 400), h = draw.real(20, 80);
      const double sw = w * draw.real(0.4, 0.7), sh = h * draw.real(0.2, 0.4);
      return {slot(0, 0, w, h), slot((w - sw) / 2, (h - sh) / 2, sw, sh)};
    }
    case 5: {  // a disc or a ring as a CAM export writes it: a fine polygon, rounded coordinates
      const double outer = draw.real(15, 150);
      const int decimals = draw.whole(2, 3);
      std::vector<Outline> part{polygonCircle(0, 0, outer, draw.whole(200, 900), decimals)};
      if (draw.whole(0, 1) == 1) {
        part.push_back(polygonCircle(0, 0, outer * draw.real(0.3, 0.8), draw.whole(100, 600), decimals, true));
      }
      return part;
    }
    case 6: {  // a plate with a hole a fraction of a millimetre to a few from its edge
      const double w = draw.real(40, 300), h = draw.real(30, 200);
      const double r = draw.real(2, 0.3 * std::min(w, h));
      const double margin = draw.real(0.05, 3);
      return {roundedRectangle(0, 0, w, h, draw.real(0.5, 0.2 * std::min(w, h))),
              circle(w - margin - r, h / 2, r), polygonCircle(margin + r, h / 2, r, draw.whole(60, 400), 2, true)};
    }
    default: {  // a filleted L bracket
      const double size = draw.real(60, 250);
      const double leg = size * draw.real(0.2, 0.45);
      return {filletedL(size, leg, (size - leg) * draw.real(0.05, 0.5))};
    }
  }
}

struct RandomJob {
  std::filesystem::path path;
  int rotationNumber = 1;
};

RandomJob writeRandomJob(const std::filesystem::path& folder, std::uint32_t seed) {
  Draw draw(seed);
  RandomJob job;
  job.path = folder / ("job-" + std::to_string(seed) + ".txt");
  job.rotationNumber = draw.whole(1, 6);
  std::ofstream out(job.path);
  out.precision(17);
  out << "PlateLength: " << draw.real(300, 1500) << "\nPlateWidth: " << draw.real(200, 800)
      << "\nPartToPartGap:" << draw.real(0, 10) << '\n';
  const int parts = draw.whole(3, 12);
  for (int i = 0; i < parts; ++i) {
    out << "NAME:P" << i << '\n';
    for (const Outline& contour : randomPart(draw)) writeContour(out, contour);
  }
  // Outlines no shop can cut, which the load must refuse: named X, never laid out.
  for (int i = draw.whole(0, 2); i > 0; --i) {
    out << "NAME:X" << i << '\n';
    writeContour(out, draw.whole(0, 1) == 0 ? strokedStar(0, 0, draw.real(20, 100))
                                            : loopedBack(draw.real(40, 200), draw.real(20, 100)));
  }
  out << "#end\n";
  return job;
}

std::unique_ptr<Nester> layOut(const RandomJob& job, const std::filesystem::path& folder,
                               bool multiStep) {
  RecordingMessageSink sink;
  ScopedMessageSink guard(&sink);
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  auto nester = openLibrary(job.path, LoadType::kTextLibrary, folder / "PackError.txt");
  nester->rotationNumber = job.rotationNumber;
  if (multiStep) {
    for (PlacedPart& part : nester->parts) part.selected = true;
    nester->layoutMultipleSteps();
  } else {
    nester->layoutAll();
  }
  std::filesystem::current_path(previous);
  return nester;
}

int partsOnThePlate(const Nester& nester) {
  int count = 0;
  for (const PlacedPart& part : nester.parts) count += part.isInside(nester.plateRect()) ? 1 : 0;
  return count;
}

int envNumber(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && *text != '\0' ? std::atoi(text) : fallback;
}

TEST(RandomJobTest, EveryLayoutKeepsTheGapAndThePlateAsCut) {
  const int jobs = envNumber("PLATENEST_SOAK_JOBS", 100);
  const auto firstSeed = static_cast<std::uint32_t>(envNumber("PLATENEST_SOAK_SEED", 1));
  ScratchFolder folder;
  int layouts = 0, placed = 0;
  for (int i = 0; i < jobs; ++i) {
    const std::uint32_t seed = firstSeed + static_cast<std::uint32_t>(i);
    const RandomJob job = writeRandomJob(folder.path(), seed);
    for (bool multiStep : {false, true}) {
      SCOPED_TRACE("seed " + std::to_string(seed) + (multiStep ? ", multi-step" : ", all"));
      const auto nester = layOut(job, folder.path(), multiStep);
      ASSERT_GT(nester->parts.count(), 0);
      for (const PlacedPart& part : nester->parts) {
        EXPECT_NE(part.label.text.rfind('X', 0), 0u) << part.label.text << " crosses itself yet was loaded";
        EXPECT_GE(part.outer.vertexCount(), 3) << part.label.text << " has no working outline";
      }
      const GapFinding finding = measureCutShapes(*nester, nester->partGap + 1);
      // Every part on the plate was measured: none escaped the check.
      EXPECT_EQ(finding.placed, partsOnThePlate(*nester));
      EXPECT_GE(finding.closest, nester->partGap - kAllowance) << "between " << finding.between;
      EXPECT_GE(finding.worstPlateMargin, -kAllowance);
      ++layouts;
      placed += finding.placed;
    }
    std::filesystem::remove(job.path);
    if (::testing::Test::HasFailure()) break;
  }
  std::cout << "soak: " << jobs << " jobs, " << layouts << " layouts, " << placed
            << " parts placed and measured\n";
  EXPECT_GT(placed, 0) << "no layout placed a part: the soak checked nothing";
}

}  // namespace
}  // namespace platenest::testing
