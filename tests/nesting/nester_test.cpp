// The nester as a job starts: its defaults, the plate rectangle, the growth of all parts and
// the default packing point distance.
#include "nesting/nester.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>

#include "support/fatal_error.h"
#include "test_support/part_makers.h"
#include "test_support/scratch_folder.h"
#include "support/gbk.h"
#include "support/messages.h"

namespace platenest {
namespace {

class NesterTest : public ::testing::Test {
 protected:

  testing::ScratchFolder folder_{"platenest-nester-tests"};
  RecordingMessageSink sink_;
  ScopedMessageSink scope_{&sink_};
};

PlacedPart withId(PlacedPart part, std::int32_t id) {
  part.id = id;
  return part;
}

TEST_F(NesterTest, ANewJobStartsWithTheShopDefaults) {
  const Nester nester;
  EXPECT_EQ(nester.plateRect().minX, 0);
  EXPECT_EQ(nester.plateRect().maxX, 6000);
  EXPECT_EQ(nester.plateRect().minY, 0);
  EXPECT_EQ(nester.plateRect().maxY, 4000);
  EXPECT_EQ(nester.plate().name, "Null");
  EXPECT_EQ(nester.plate().area, 24000000);
  EXPECT_EQ(nester.partGap, 0);
  EXPECT_EQ(nester.packingPointDistance(), 0.5);
  EXPECT_EQ(nester.rotationNumber, 4);
  EXPECT_EQ(nester.packingRows(), 0);
  EXPECT_EQ(nester.packingColumns(), 0);
  EXPECT_TRUE(nester.packingGridStale());
  EXPECT_TRUE(nester.bPartTurnover);
  EXPECT_TRUE(nester.parts.empty());
  EXPECT_TRUE(nester.regions.empty());
  EXPECT_TRUE(sink_.messages().empty());
}

struct PlateRectCase {
  const char* name;
  double length;
  double width;
  bool fatal;
};
void PrintTo(const PlateRectCase& c, std::ostream* out) { *out << c.name; }

class PlateRectTest : public NesterTest, public ::testing::WithParamInterface<PlateRectCase> {};

TEST_P(PlateRectTest, FollowsThePlateSizeAndRefusesAZeroSize) {
  Nester nester;
  if (GetParam().fatal) {
    try {
      nester.setPlateSize(GetParam().length, GetParam().width);
      FAIL() << "no fatal error";
    } catch (const FatalError& error) {
      EXPECT_EQ(error.caption(), "Warning!");
      EXPECT_EQ(error.text(), "包围盒大小为零!");
    }
  } else {
    nester.setPlateSize(GetParam().length, GetParam().width);
  }
  // The rectangle is set before the size is judged.
  EXPECT_EQ(nester.plateRect().minX, 0);
  EXPECT_EQ(nester.plateRect().maxX, GetParam().length);
  EXPECT_EQ(nester.plateRect().minY, 0);
  EXPECT_EQ(nester.plateRect().maxY, GetParam().width);
}

INSTANTIATE_TEST_SUITE_P(Cases, PlateRectTest,
                         ::testing::Values(PlateRectCase{"Standard", 3000, 1500, false},
                                           PlateRectCase{"ZeroLength", 0, 1500, true},
                                           PlateRectCase{"ZeroWidth", 3000, 0, true},
                                           PlateRectCase{"NegativePasses", -1, 1500, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(NesterTest, OffsettingAllPartsGrowsEachOnceAndZeroChangesNothing) {
  Nester nester;
  nester.parts.insertFront(withId(testing::makeRectangle(0, 0, 100, 50), 0));
  nester.parts.insertFront(withId(testing::makeRectangle(0, 0, 10, 10), 1));
  nester.offsetAllParts(0);
  EXPECT_EQ(nester.parts.findById(0)->box().maxX, 100);
  EXPECT_EQ(nester.parts.findById(0)->area(), 5000);

  nester.offsetAllParts(2.5);
  const PlacedPart& grown = *nester.parts.findById(0);
  EXPECT_EQ(grown.box().minX, -2.5);
  EXPECT_EQ(grown.box().maxX, 102.5);
  EXPECT_EQ(grown.area(), 105 * 55);
  EXPECT_EQ(nester.parts.findById(1)->area(), 15 * 15);
}

struct PpdCase {
  const char* name;
  std::vector<std::pair<double, double>> sizes;  // box of each part, first to last
  double expected;
};
void PrintTo(const PpdCase& c, std::ostream* out) { *out << c.name; }

class DefaultPpdTest : public NesterTest, public ::testing::WithParamInterface<PpdCase> {};

TEST_P(DefaultPpdTest, ATenthOfTheSmallestPartsShorterSideAndAtLeastThirty) {
  Nester nester;
  nester.setPackingPointDistance(0.5);
  const auto& sizes = GetParam().sizes;
  for (std::size_t i = sizes.size(); i-- > 0;) {
    nester.parts.insertFront(withId(testing::makeRectangle(0, 0, sizes[i].first, sizes[i].second), static_cast<int>(i)));
  }
  EXPECT_EQ(nester.defaultPackingPointDistance(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DefaultPpdTest,
    ::testing::Values(PpdCase{"SmallPartGivesThirty", {{3000, 1000}, {200, 50}}, 30},
                      PpdCase{"LargeSmallestPart", {{2000, 1500}, {1000, 800}, {1200, 900}}, 80},
                      PpdCase{"OnePart", {{600, 900}}, 60},
                      // Equal areas: the first keeps the choice (800 x 500 before 1000 x 400).
                      PpdCase{"EqualAreasFirstWins", {{800, 500}, {1000, 400}}, 50},
                      PpdCase{"NoPartsKeepTheDistance", {}, 0.5}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace platenest
