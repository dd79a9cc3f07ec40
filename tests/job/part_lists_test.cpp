// The job's part containers and the plate: sorting by area keeps equal parts in order and
// never copies a part, copying a list reverses it, and bad plate sizes are reported.
#include "job/part_lists.h"

#include <gtest/gtest.h>

#include "job/id_index.h"

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "support/messages.h"

namespace platenest {
namespace {

// A part whose net area is `area` (a 1-high strip), named and numbered for the checks.
PlacedPart strip(const std::string& name, double area, std::int32_t id) {
  PlacedPart part;
  part.setGeometry(Polygon({{0, 0}, {area, 0}, {area, 1}, {0, 1}}), PolygonList());
  part.label.text = name;
  part.id = id;
  return part;
}

// Builds a list whose elements, first to last, are the given parts.
PartList listOf(const std::vector<PlacedPart>& parts) {
  PartList list;
  for (auto it = parts.rbegin(); it != parts.rend(); ++it) list.insertFront(*it);
  return list;
}

std::vector<std::int32_t> idsOf(const PartList& list) {
  std::vector<std::int32_t> ids;
  for (const PlacedPart& part : list) ids.push_back(part.id);
  return ids;
}

struct SortCase {
  const char* name;
  std::vector<double> areas;         // first to last; part i gets id i
  std::vector<std::int32_t> sorted;  // ids after sorting
};

// Failures and test listings name the case rather than print its bytes.
void PrintTo(const SortCase& c, std::ostream* out) { *out << c.name; }

class SortByAreaTest : public ::testing::TestWithParam<SortCase> {};

TEST_P(SortByAreaTest, LargestFirstAndEqualAreasKeepTheirOrder) {
  std::vector<PlacedPart> parts;
  for (std::size_t i = 0; i < GetParam().areas.size(); ++i) {
    parts.push_back(strip("p" + std::to_string(i), GetParam().areas[i], static_cast<int>(i)));
  }
  PartList list = listOf(parts);
  list.sortByAreaDescending();
  EXPECT_EQ(idsOf(list), GetParam().sorted);
  EXPECT_EQ(list.count(), static_cast<int>(GetParam().areas.size()));
}

INSTANTIATE_TEST_SUITE_P(Cases, SortByAreaTest,
                         ::testing::Values(SortCase{"ThreeFiveFive", {3, 5, 5}, {1, 2, 0}},
                                           // Two equal parts smaller than the last one: a plain
                                           // selection from the back would swap them.
                                           SortCase{"OneOneFive", {1, 1, 5}, {2, 0, 1}},
                                           SortCase{
                                               "FiveThreeThreeOne", {5, 3, 3, 1}, {0, 1, 2, 3}},
                                           SortCase{"AllEqual", {2, 2, 2, 2}, {0, 1, 2, 3}},
                                           SortCase{"Ascending", {1, 2, 3, 4}, {3, 2, 1, 0}},
                                           SortCase{"Single", {7}, {0}}, SortCase{"Empty", {}, {}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SortByAreaTest, MatchesAStableSortOnRandomListsWithManyTies) {
  std::mt19937 random(20240307);
  std::uniform_int_distribution<int> area(1, 6);
  for (int round = 0; round < 50; ++round) {
    std::vector<PlacedPart> parts;
    const int n = 1 + round % 17;
    for (int i = 0; i < n; ++i) parts.push_back(strip("p", area(random), i));
    std::vector<PlacedPart> expected = parts;
    std::stable_sort(expected.begin(), expected.end(),
                     [](const PlacedPart& a, const PlacedPart& b) { return a.area() > b.area(); });
    PartList list = listOf(parts);
    list.sortByAreaDescending();
    std::vector<std::int32_t> expectedIds;
    for (const PlacedPart& part : expected) expectedIds.push_back(part.id);
    ASSERT_EQ(idsOf(list), expectedIds) << "round " << round;
  }
}

TEST(SortByAreaTest, MovesPartsWithoutCopyingThem) {
  // A copy would reverse the holes, so the hole order shows whether a part was copied.
  PlacedPart framed;
  PolygonList holes;
  holes.insertFront(Polygon({{60, 10}, {80, 10}, {80, 30}, {60, 30}}));
  holes.insertFront(Polygon({{10, 10}, {30, 10}, {30, 30}, {10, 30}}));
  framed.setGeometry(Polygon({{0, 0}, {100, 0}, {100, 100}, {0, 100}}), holes);
  framed.id = 9;
  PartList list = listOf({strip("small", 5, 0), framed});
  const PlacedPart* before = &*std::next(list.begin());
  const double firstHoleX = before->holes[0].vertex(0).x;

  list.sortByAreaDescending();

  const PlacedPart& first = *list.begin();
  EXPECT_EQ(&first, before);
  EXPECT_EQ(first.id, 9);
  EXPECT_EQ(first.holes[0].vertex(0).x, firstHoleX);
}

TEST(PartListTest, AssignFromReversesTheListAndEveryPartsHoles) {
  PlacedPart q = strip("Q", 4, 1);
  q.holes.insertFront(Polygon({{3, 0.25}, {3.5, 0.25}, {3.5, 0.5}}));
  q.holes.insertFront(Polygon({{1, 0.25}, {1.5, 0.25}, {1.5, 0.5}}));
  const PartList source = listOf({strip("P", 1, 0), q, strip("R", 9, 2)});
  const PlacedPart* sourceQ = source.findById(1);
  ASSERT_NE(sourceQ, nullptr);
  ASSERT_EQ(sourceQ->holes.count(), 2);

  PartList copy;
  copy.insertFront(strip("stale", 1, 42));
  copy.assignFrom(source);

  EXPECT_EQ(idsOf(copy), (std::vector<std::int32_t>{2, 1, 0}));
  const PlacedPart* copiedQ = copy.findById(1);
  ASSERT_NE(copiedQ, nullptr);
  ASSERT_EQ(copiedQ->holes.count(), 2);
  EXPECT_EQ(copiedQ->holes[0].vertex(0).x, sourceQ->holes[1].vertex(0).x);
  EXPECT_EQ(copiedQ->holes[1].vertex(0).x, sourceQ->holes[0].vertex(0).x);
  EXPECT_NE(sourceQ->holes[0].vertex(0).x, sourceQ->holes[1].vertex(0).x);
  // The source is untouched and the old content is gone.
  EXPECT_EQ(idsOf(source), (std::vector<std::int32_t>{0, 1, 2}));
  EXPECT_EQ(copy.findById(42), nullptr);
}


// The index answers every id as a walk from the front does, on lists whose ids repeat (the
// first of equal ids answers) and for ids no element has, for parts and regions alike.
TEST(FirstByIdTest, AnswersAsAWalkFromTheFrontOnRandomListsWithRepeatedIds) {
  std::mt19937 random(27);
  for (int round = 0; round < 40; ++round) {
    std::uniform_int_distribution<std::int32_t> anyId(0, 1 + round);
    PartList parts;
    RegionList regions;
    for (int i = 0; i < round * 3; ++i) {
      std::string name = "p";
      name += std::to_string(i);
      parts.insertFront(strip(name, 1.0 + i, anyId(random)));
      Region region;
      region.id = anyId(random);
      regions.insertFront(region);
    }
    const FirstById partIndex(parts);
    const FirstById regionIndex(std::as_const(regions));
    for (std::int32_t id = -1; id <= round + 2; ++id) {
      EXPECT_EQ(partIndex.find(id), parts.findById(id)) << "round " << round << ", id " << id;
      EXPECT_EQ(regionIndex.find(id), regions.findById(id)) << "round " << round << ", id " << id;
    }
  }
}

struct PlateCase {
  const char* name;
  double length;
  double width;
  bool valid;
};

// Failures and test listings name the case rather than print its bytes.
void PrintTo(const PlateCase& c, std::ostream* out) { *out << c.name; }

class PlateSizeTest : public ::testing::TestWithParam<PlateCase> {};

TEST_P(PlateSizeTest, StoresTheSizeAndWarnsOnlyForNegativeOnes) {
  RecordingMessageSink sink;
  ScopedMessageSink scope(&sink);
  Plate plate;
  plate.name = "old";
  const PlateCase& c = GetParam();
  EXPECT_EQ(plate.setSize(c.length, c.width), c.valid);
  EXPECT_EQ(plate.name, "Null");
  EXPECT_EQ(plate.length, c.length);
  EXPECT_EQ(plate.width, c.width);
  EXPECT_EQ(plate.area, c.length * c.width);
  if (c.valid) {
    EXPECT_TRUE(sink.messages().empty());
  } else {
    ASSERT_EQ(sink.messages().size(), 1u);
    EXPECT_EQ(sink.messages()[0].caption, "Warning!");
    EXPECT_EQ(sink.messages()[0].text, "板数据错误!");
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, PlateSizeTest,
                         ::testing::Values(PlateCase{"Standard", 6000, 4000, true},
                                           PlateCase{"NegativeLength", -1, 100, false},
                                           PlateCase{"NegativeWidth", 100, -1, false},
                                           PlateCase{"ZeroPasses", 0, 4000, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace platenest
