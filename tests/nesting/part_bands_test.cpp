// The band cache of the parts on the plate: whatever happened to a part since, the bands handed
// out, their span and their version are those of the part as it stands.
#include "nesting/part_bands.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine_test_support.h"

namespace platenest {
namespace {

using engine_test::makePart;
using engine_test::makeRectangle;
using engine_test::rectangleOutline;

bool sameBox(const BoundingBox& a, const BoundingBox& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// The bands of `slot` agree with the part vertex by vertex, and the span and version kept
// beside them with the bands themselves.
void expectCurrent(PartBandsCache& cache, std::size_t slot, const PlacedPart& part) {
  const PartBands& bands = cache.of(slot, part);
  EXPECT_TRUE(bands.outer.sameGeometry(part.outer));
  ASSERT_EQ(bands.holes.size(), static_cast<std::size_t>(part.holes.count()));
  std::size_t i = 0;
  for (const Polygon& hole : part.holes) EXPECT_TRUE(bands.holes[i++].sameGeometry(hole));
  EXPECT_TRUE(sameBox(cache.spanOf(slot), bands.outer.vertexSpan()));
  EXPECT_EQ(cache.versionOf(slot), bands.version);
}

TEST(PartBandsCacheTest, HandsOutTheBandsOfThePartAsItStands) {
  PartBandsCache cache;
  cache.reserve(3);
  PlacedPart plain = makeRectangle(0, 0, 40, 20);
  PlacedPart holed =
      makePart(rectangleOutline(100, 0, 200, 100), {rectangleOutline(120, 20, 180, 80)});
  expectCurrent(cache, 0, plain);
  expectCurrent(cache, 1, holed);
  const std::uint64_t plainVersion = cache.versionOf(0), holedVersion = cache.versionOf(1);

  // Asked again, or for a copy (the same outline by its revision): nothing is built.
  expectCurrent(cache, 0, plain);
  const PlacedPart copy = plain;
  expectCurrent(cache, 0, copy);
  expectCurrent(cache, 1, holed);
  EXPECT_EQ(cache.versionOf(0), plainVersion);
  EXPECT_EQ(cache.versionOf(1), holedVersion);

  // Moved: built again, and the span moves with it.
  plain.translate(5, -3);
  expectCurrent(cache, 0, plain);
  EXPECT_NE(cache.versionOf(0), plainVersion);
  EXPECT_EQ(cache.spanOf(0).minX, 5.0);

  // Only a hole changed: the outline alone does not tell.
  holed.holes[0].translate(1, 0);
  expectCurrent(cache, 1, holed);
  EXPECT_NE(cache.versionOf(1), holedVersion);

  // Another part in the slot, with holes and then without.
  expectCurrent(cache, 0, holed);
  expectCurrent(cache, 0, makeRectangle(7, 7, 9, 9));
  // A slot beyond the room reserved, and an empty part.
  expectCurrent(cache, 5, plain);
  expectCurrent(cache, 2, PlacedPart());
}

}  // namespace
}  // namespace platenest
