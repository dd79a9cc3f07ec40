// The DXF drawing reader's arcs: an ARC keeps its angles and a polyline bulge becomes the arc
// it stands for, in whatever order the program's constants were made at start-up.
#include "readers/dxf_drawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "test_support/dxf_stress_drawings.h"

namespace platenest {
namespace {

TEST(DxfDrawingTest, ArcsAndBulgesKeepTheirAngles) {
  std::string entities;
  testing::dxfPair(entities, 0, "ARC");
  testing::dxfPair(entities, 8, "0");
  testing::dxfPair(entities, 10, "10");
  testing::dxfPair(entities, 20, "20");
  testing::dxfPair(entities, 40, "5");
  testing::dxfPair(entities, 50, "50");
  testing::dxfPair(entities, 51, "140");
  // From (0, 0) to (10, 0) with the bulge 1: the lower half of the circle about (5, 0).
  testing::dxfPair(entities, 0, "LWPOLYLINE");
  testing::dxfPair(entities, 8, "0");
  testing::dxfPair(entities, 90, "2");
  testing::dxfPair(entities, 70, "0");
  testing::dxfPair(entities, 10, "0");
  testing::dxfPair(entities, 20, "0");
  testing::dxfPair(entities, 42, "1");
  testing::dxfPair(entities, 10, "10");
  testing::dxfPair(entities, 20, "0");
  const DxfGeometry geometry = readDxfGeometry(testing::dxfEntities(entities), {});
  ASSERT_EQ(geometry.refusal, "");
  ASSERT_EQ(geometry.arcs.size(), 2u);
  const Arc& drawn = geometry.arcs[0];
  EXPECT_DOUBLE_EQ(drawn.centre.x, 10);
  EXPECT_DOUBLE_EQ(drawn.centre.y, 20);
  EXPECT_DOUBLE_EQ(drawn.radius, 5);
  EXPECT_NEAR(drawn.startAngle, 50, 1e-9);
  EXPECT_NEAR(drawn.endAngle, 140, 1e-9);
  const Arc& bulge = geometry.arcs[1];
  EXPECT_NEAR(bulge.centre.x, 5, 1e-9);
  EXPECT_NEAR(bulge.centre.y, 0, 1e-9);
  EXPECT_NEAR(bulge.radius, 5, 1e-9);
  EXPECT_NEAR(std::fmod(bulge.startAngle + 360, 360), 180, 1e-9);
  EXPECT_NEAR(bulge.sweep(), 180, 1e-9);
}

}  // namespace
}  // namespace platenest
