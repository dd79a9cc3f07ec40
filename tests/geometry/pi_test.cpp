#include <gtest/gtest.h>

#include "geometry/point.h"

namespace platenest {
namespace {

TEST(PointTest, PiIsTheArcCosineOfMinusOne) { EXPECT_EQ(kPi, std::acos(-1.0)); }

}  // namespace
}  // namespace platenest
