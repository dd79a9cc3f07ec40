// Proper crossings: two segments cross only at a point inside both; ends that touch, a
// T-junction, collinear overlaps and parallel or distant segments do not.
#include "geometry/segment_crossing.h"

#include <gtest/gtest.h>

#include <vector>

namespace platenest {
namespace {

TEST(SegmentCrossingTest, OnlyACrossingInsideBothCounts) {
  struct Case {
    const char* name;
    Point a, b, c, d;
    bool crosses;
    Point where;
  };
  const std::vector<Case> cases = {
      {"x", {0, 0}, {10, 10}, {0, 10}, {10, 0}, true, {5, 5}},
      {"off_centre", {0, 0}, {4, 0}, {1, -1}, {1, 3}, true, {1, 0}},
      {"ends_touch", {0, 0}, {10, 0}, {10, 0}, {10, 10}, false, {}},
      {"t_junction", {0, 0}, {10, 0}, {5, 0}, {5, 10}, false, {}},
      {"collinear_overlap", {0, 0}, {10, 0}, {5, 0}, {15, 0}, false, {}},
      {"parallel", {0, 0}, {10, 0}, {0, 1}, {10, 1}, false, {}},
      {"apart", {0, 0}, {1, 1}, {5, 0}, {6, -3}, false, {}},
      // A crossing a rounding error from the end is a touch.
      {"end_within_rounding", {0, 0}, {10, 0}, {5, 1e-12}, {5, 10}, false, {}},
  };
  for (const Case& c : cases) {
    for (const bool swapped : {false, true}) {
      Point where;
      const bool crosses = swapped ? segmentsCrossProperly(c.c, c.d, c.a, c.b, where)
                                   : segmentsCrossProperly(c.a, c.b, c.c, c.d, where);
      EXPECT_EQ(crosses, c.crosses) << c.name << (swapped ? " swapped" : "");
      if (crosses && c.crosses) {
        EXPECT_NEAR(where.x, c.where.x, 1e-12) << c.name;
        EXPECT_NEAR(where.y, c.where.y, 1e-12) << c.name;
      }
    }
  }
}

}  // namespace
}  // namespace platenest
