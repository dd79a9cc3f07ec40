// The memo of blocked candidates: a point is passed over once it is exhausted, and the skip
// along a column finds exactly the points a plain walk would stop at.
#include "nesting/search_memo.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <iterator>
#include <random>
#include <vector>

#include "engine_test_support.h"
#include "nesting/packing_grid.h"
#include "nesting/trial_variants.h"

namespace platenest {
namespace {

using engine_test::makeRectangle;

std::vector<TrialVariant> threeVariants() {
  std::vector<TrialVariant> variants;
  buildRotationVariants(makeRectangle(0, 0, 20, 10), Point(0, 0), Point(10, 5), 3, variants);
  return variants;
}

TEST(SearchMemoTest, PointIsExhaustedOnceEveryVariantIsBlocked) {
  SearchMemo memo;
  memo.begin();
  PartList parts;
  const std::vector<TrialVariant> variants = threeVariants();
  SearchMemo::Entry* entry = memo.entryFor(SearchMemo::Kind::kRotations, variants, Point(0, 0), 200,
                                           parts, BoundingBox{0, 100, 0, 100});
  ASSERT_NE(entry, nullptr);
  // Blocked in any order: exhausted only with the last of the three.
  for (const std::size_t k : {2U, 0U}) {
    entry->setBlocked(70, k);
    EXPECT_FALSE(entry->isExhausted(70));
  }
  entry->setBlocked(70, 1);
  EXPECT_TRUE(entry->isExhausted(70));
  EXPECT_FALSE(entry->isExhausted(69));
  EXPECT_FALSE(entry->isExhausted(71));
  // The same trial set finds the same entry; a new layout command forgets it.
  EXPECT_EQ(memo.entryFor(SearchMemo::Kind::kRotations, variants, Point(0, 0), 200, parts,
                          BoundingBox{0, 100, 0, 100}),
            entry);
  memo.end();
  EXPECT_EQ(memo.entryFor(SearchMemo::Kind::kRotations, variants, Point(0, 0), 200, parts,
                          BoundingBox{0, 100, 0, 100}),
            nullptr);
}

// Eight trial sets are kept; a ninth forgets the one least recently used, and the storage
// it takes over starts empty.
TEST(SearchMemoTest, LeastRecentlyUsedTrialSetIsForgotten) {
  SearchMemo memo;
  memo.begin();
  PartList parts;
  const BoundingBox plate{0, 100, 0, 100};
  std::vector<std::vector<TrialVariant>> sets(9);
  for (std::size_t i = 0; i < sets.size(); ++i) {
    buildRotationVariants(makeRectangle(0, 0, 10 + static_cast<double>(i), 5), Point(0, 0),
                          Point(5, 2.5), 2, sets[i]);
  }
  auto entry = [&](std::size_t i) {
    return memo.entryFor(SearchMemo::Kind::kRotations, sets[i], Point(0, 0), 300, parts, plate);
  };
  for (std::size_t i = 0; i < 8; ++i) {
    SearchMemo::Entry* e = entry(i);
    e->setBlocked(i, 1);
    if (i == 2) e->setBlocked(2, 0);  // every variant of point 2: exhausted
  }
  EXPECT_TRUE(entry(0)->isBlocked(0, 1));   // used again: now the most recent
  EXPECT_FALSE(entry(8)->isBlocked(8, 1));  // new; set 1 is forgotten
  EXPECT_TRUE(entry(0)->isBlocked(0, 1));
  SearchMemo::Entry* again = entry(1);  // new again, in the storage of set 2
  EXPECT_FALSE(again->isBlocked(1, 1));
  EXPECT_FALSE(again->isBlocked(2, 1));
  EXPECT_FALSE(again->isExhausted(2));
  EXPECT_TRUE(entry(0)->isBlocked(0, 1));
  EXPECT_TRUE(entry(7)->isBlocked(7, 1));
  EXPECT_FALSE(entry(2)->isBlocked(2, 1));  // set 2 was forgotten
}

// Blocked candidates stay known while the parts on the plate stay as they are; a part on the
// plate that moved or changed in any way (even keeping its box and first vertex) makes the
// memo forget everything, while parts parked beyond the plate may move freely.
TEST(SearchMemoTest, PartOnThePlateMovedOrChangedForgetsAll) {
  SearchMemo memo;
  memo.begin();
  const BoundingBox plate{0, 100, 0, 100};
  PartList parts;
  parts.insertFront(makeRectangle(200, 0, 220, 10));  // parked beyond the plate
  parts.insertFront(makeRectangle(0, 0, 20, 10));
  PlacedPart& onPlate = *parts.begin();
  PlacedPart& parked = *std::next(parts.begin());
  const std::vector<TrialVariant> variants = threeVariants();
  auto entry = [&] {
    return memo.entryFor(SearchMemo::Kind::kRotations, variants, Point(0, 0), 200, parts, plate);
  };
  entry()->setBlocked(5, 1);
  parked.translate(3, 0);
  EXPECT_TRUE(entry()->isBlocked(5, 1));

  onPlate.translate(0, 1e-9);
  EXPECT_FALSE(entry()->isBlocked(5, 1));

  entry()->setBlocked(5, 1);
  // A middle vertex moved within the box: same box, same first vertex, same vertex count.
  std::vector<Point> vertices = onPlate.outer.vertices();
  vertices.insert(vertices.begin() + 2, Point(20, 5));
  onPlate.setGeometry(Polygon(vertices), PolygonList());
  entry()->setBlocked(5, 1);
  vertices[2] = Point(19, 5);
  onPlate.setGeometry(Polygon(vertices), PolygonList());
  EXPECT_FALSE(entry()->isBlocked(5, 1));
}

TEST(SearchMemoTest, NextOpenPointAgreesWithAPlainWalk) {
  std::mt19937 random(3);
  const std::vector<TrialVariant> variants = threeVariants();
  PartList parts;
  for (const double density : {0.1, 0.9, 0.99, 1.0}) {
    SearchMemo memo;
    memo.begin();
    const std::size_t points = 517;  // not a whole number of words
    SearchMemo::Entry* entry = memo.entryFor(SearchMemo::Kind::kRotations, variants, Point(0, 0),
                                             points, parts, BoundingBox{0, 1, 0, 1});
    ASSERT_NE(entry, nullptr);
    std::bernoulli_distribution exhaust(density);
    std::vector<bool> plain(points);
    for (std::size_t p = 0; p < points; ++p) {
      if (exhaust(random)) {
        entry->setExhausted(p);
        plain[p] = true;
      }
    }
    std::uniform_int_distribution<std::size_t> any(0, points);
    for (int trial = 0; trial < 2000; ++trial) {
      std::size_t from = any(random), end = any(random);
      if (from > end) std::swap(from, end);
      std::size_t expected = from;
      while (expected < end && plain[expected]) ++expected;
      ASSERT_EQ(nextClearBit(from, end, entry->exhaustedWords().data()), expected)
          << from << ".." << end;
    }
  }
}

}  // namespace
}  // namespace platenest
