// The DXF drawing reader and loop joiner on drawings far larger or more hostile than any part:
// each is read whole or refused with its reason, never expanded without bound.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "geometry/point.h"
#include "readers/dxf_drawing.h"
#include "readers/dxf_loops.h"
#include "test_support/dxf_stress_drawings.h"

namespace platenest {
namespace {

constexpr double kChordTolerance = 1.0;

DxfLoopParts joined(const std::string& bytes) {
  const DxfGeometry geometry = readDxfGeometry(bytes, DxfReadOptions{});
  EXPECT_EQ(geometry.refusal, "");
  return joinDxfLoops(geometry, 0.1, kChordTolerance);
}

TEST(DxfLimitsTest, NestedInsertsExpandWithinBoundsAndABlockBombIsRefused) {
  // Three levels of ten: a thousand squares, each where its three inserts put it.
  const DxfGeometry modest = readDxfGeometry(testing::insertBombDrawing(3, 10), {});
  ASSERT_EQ(modest.refusal, "");
  EXPECT_EQ(modest.lines.size(), 4000u);
  double farthest = 0;
  for (const Segment& s : modest.lines) farthest = std::max({farthest, s.start.x, s.end.x});
  EXPECT_DOUBLE_EQ(farthest, 9 * 20.0 + 9 * 400.0 + 9 * 8000.0 + 10);
  const DxfLoopParts squares = joinDxfLoops(modest, 0.1, kChordTolerance);
  ASSERT_EQ(squares.refusal, "");
  ASSERT_EQ(squares.parts.size(), 1000u);
  for (const DxfLoopPart& part : squares.parts) {
    EXPECT_NEAR(std::fabs(part.outer.area()), 100.0, 1e-9);
  }

  // Eight levels of ten would be 10^8 squares, all in one place: refused before the first
  // million.
  const DxfGeometry bomb = readDxfGeometry(testing::insertBombDrawing(8, 10, false), {});
  EXPECT_NE(bomb.refusal.find("blocks insert more than 400000 entities"), std::string::npos)
      << bomb.refusal;
  EXPECT_TRUE(bomb.lines.size() <= kDxfMostPieces);
}

TEST(DxfLimitsTest, ManyShuffledLinesJoinIntoOneOutline) {
  const std::size_t count = 100000;
  const DxfLoopParts parts = joined(testing::shuffledPolygonDrawing(count, 0.4));
  ASSERT_EQ(parts.refusal, "");
  ASSERT_EQ(parts.parts.size(), 1u);
  EXPECT_EQ(parts.parts[0].outer.vertexCount(), static_cast<int>(count));
  EXPECT_EQ(parts.parts[0].holes.count(), 0);
  const double radius = 0.4 / (2 * std::sin(kPi / count));
  const double area = count * radius * radius * std::sin(2 * kPi / count) / 2;
  EXPECT_NEAR(std::fabs(parts.parts[0].outer.area()), area, area * 1e-9);
  EXPECT_TRUE(parts.closedGaps.empty());
}

TEST(DxfLimitsTest, CirclesAreCheckedMoreCoarselyWhenManyAndRefusedWhenTooMany) {
  // 400 rings of radius 7000 to 26950, 50 mm apart: too many chords at the finest check of
  // 0.01 mm, so checked more coarsely, and every ring is read with its hole. Rings that far
  // apart keep the crossing check from comparing each chord with its many neighbours.
  constexpr std::size_t kRings = 400;
  std::size_t finestChords = 0;
  for (std::size_t i = 0; i < kRings; ++i) {
    const double radius = 7000 + 50.0 * static_cast<double>(i);
    finestChords += static_cast<std::size_t>(std::ceil(kPi / std::acos(1 - 0.01 / radius)));
  }
  ASSERT_GT(finestChords, kDxfMostCheckChords);
  const DxfLoopParts rings = joined(testing::concentricCirclesDrawing(kRings, 7000, 50));
  ASSERT_EQ(rings.refusal, "");
  ASSERT_EQ(rings.parts.size(), kRings / 2);
  for (const DxfLoopPart& part : rings.parts) EXPECT_EQ(part.holes.count(), 1);

  // 9 000 circles of radius 1e6 need twenty million chords even at the chord tolerance:
  // refused with the reason.
  const DxfLoopParts huge = joined(testing::concentricCirclesDrawing(9000, 1e6, 10));
  EXPECT_TRUE(huge.parts.empty());
  EXPECT_NE(huge.refusal.find("more than 1000000 chords"), std::string::npos) << huge.refusal;

  // 12 000 small squares side by side: more loops than one drawing may hold.
  std::string squares;
  for (int i = 0; i < 12000; ++i) {
    const double x = i * 20.0;
    testing::dxfLine(squares, x, 0, x + 10, 0);
    testing::dxfLine(squares, x + 10, 0, x + 10, 10);
    testing::dxfLine(squares, x + 10, 10, x, 10);
    testing::dxfLine(squares, x, 10, x, 0);
  }
  const DxfLoopParts many = joined(testing::dxfEntities(squares));
  EXPECT_TRUE(many.parts.empty());
  EXPECT_NE(many.refusal.find("12000 closed loops, more than the 10000"), std::string::npos)
      << many.refusal;
}

TEST(DxfLimitsTest, AFanOfOutlinesMeetingAtOnePointIsRefusedBeyondAFew) {
  // Eight triangles put sixteen ends at the centre, as many as may meet there: read.
  const DxfLoopParts few = joined(testing::fanDrawing(8));
  EXPECT_EQ(few.refusal, "");
  EXPECT_FALSE(few.parts.empty());
  // Nine put eighteen there: refused.
  const DxfLoopParts nine = joined(testing::fanDrawing(9));
  EXPECT_NE(nine.refusal.find("more than 16 line and arc ends meet at (0, 0)"), std::string::npos)
      << nine.refusal;

  // Nine thousand would make every walk through the centre look at them all.
  const DxfLoopParts fan = joined(testing::fanDrawing(9000));
  EXPECT_TRUE(fan.parts.empty());
  EXPECT_NE(fan.refusal.find("more than 16 line and arc ends meet at (0, 0)"), std::string::npos)
      << fan.refusal;
}

TEST(DxfLimitsTest, LongSplinesAndExtremeEllipsesAreReadOrRefused) {
  // A closed cubic spline of 20 000 control points (the most one may have) on a circle of radius 5000 follows it
  // within a hair; so does one whose knots are a million apart.
  for (const double knotStep : {1.0, 1e6}) {
    const DxfLoopParts spline = joined(testing::splineDrawing(19997, 5000, knotStep));
    ASSERT_EQ(spline.refusal, "") << knotStep;
    ASSERT_EQ(spline.parts.size(), 1u);
    const double area = kPi * 5000 * 5000;
    EXPECT_NEAR(std::fabs(spline.parts[0].outer.area()), area, area * 1e-3) << knotStep;
  }
  const DxfGeometry longest = readDxfGeometry(testing::splineDrawing(100000, 5000), {});
  EXPECT_NE(longest.refusal.find("100003 control points, more than the 20000"),
            std::string::npos)
      << longest.refusal;

  const DxfLoopParts round = joined(testing::ellipseDrawing(1e6, 1.0));
  ASSERT_EQ(round.refusal, "");
  ASSERT_EQ(round.parts.size(), 1u);
  EXPECT_NEAR(std::fabs(round.parts[0].outer.area()), kPi * 1e12, kPi * 1e12 * 1e-5);

  // A needle 2e7 mm long and 0.02 mm wide is read whole, or refused where it folds onto
  // itself; never a part of another length.
  const DxfLoopParts needle = joined(testing::ellipseDrawing(1e7, 1e-9));
  if (needle.refusal.empty()) {
    ASSERT_EQ(needle.parts.size(), 1u);
    double minX = 0, maxX = 0, height = 0;
    for (const Point& p : needle.parts[0].outer.vertices()) {
      minX = std::min(minX, p.x);
      maxX = std::max(maxX, p.x);
      height = std::max(height, std::fabs(p.y));
    }
    EXPECT_NEAR(maxX - minX, 2e7, 1.0);
    EXPECT_LT(height, 0.1);
  }
}

TEST(DxfLimitsTest, FlagsBeyondAnyIntegerReadAsTheirLowBits) {
  // A polyline's flags of 1e300 (damaged) read as set bits, not as an undefined conversion.
  std::string entities;
  testing::dxfPair(entities, 0, "LWPOLYLINE");
  testing::dxfPair(entities, 8, "0");
  testing::dxfPair(entities, 90, "4");
  testing::dxfPair(entities, 70, "1e300");
  for (const auto& [x, y] : {std::pair{0, 0}, {50, 0}, {50, 20}, {0, 20}}) {
    testing::dxfPair(entities, 10, std::to_string(x));
    testing::dxfPair(entities, 20, std::to_string(y));
  }
  const DxfLoopParts parts = joined(testing::dxfEntities(entities));
  ASSERT_EQ(parts.refusal, "");
  ASSERT_EQ(parts.parts.size(), 1u);
  EXPECT_NEAR(std::fabs(parts.parts[0].outer.area()), 1000.0, 1e-9);
}

}  // namespace
}  // namespace platenest
