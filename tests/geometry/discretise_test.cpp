// Arcs and circles cut into chords, segments chained into outlines, contours turned into
// polygons: counts, orders and the operator's messages.
#include "geometry/discretise.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "support/messages.h"

namespace platenest {
namespace {

using Texts = std::vector<std::string>;

std::vector<Segment> asVector(const SegmentList& list) {
  return std::vector<Segment>(list.begin(), list.end());
}

Point onCircle(const Point& c, double r, double degrees) {
  return Point(c.x + r * std::cos(degrees / 180 * kPi), c.y + r * std::sin(degrees / 180 * kPi));
}

void expectNear(const Point& actual, const Point& expected, double tolerance = 1e-12) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
}

// Consecutive chords share their end points exactly (front of the list runs backwards).
void expectJoined(const std::vector<Segment>& chords) {
  for (std::size_t i = 0; i + 1 < chords.size(); ++i) {
    EXPECT_EQ(chords[i].start.x, chords[i + 1].end.x) << i;
    EXPECT_EQ(chords[i].start.y, chords[i + 1].end.y) << i;
  }
}

TEST(DivideArcTest, DivisionCountsAndOrder) {
  const Point centre(3.0, -2.0);
  Arc quarter;
  quarter.set(centre, 10.0, 0.0, 90.0);

  RecordingMessageSink sink;
  ScopedMessageSink scope(&sink);

  // 90 / 40 truncates to 2: two chords of 45 degrees, the one ending at 90 degrees first.
  SegmentList out;
  divideArc(quarter, 40.0, out);
  std::vector<Segment> chords = asVector(out);
  ASSERT_EQ(chords.size(), 2u);
  expectNear(chords[0].start, onCircle(centre, 10.0, 45.0));
  expectNear(chords[0].end, onCircle(centre, 10.0, 90.0));
  expectNear(chords[1].start, Point(13.0, -2.0));
  expectNear(chords[1].end, onCircle(centre, 10.0, 45.0));
  expectJoined(chords);

  // 90 / 100 truncates to 0: one chord over the whole arc.
  out.clear();
  divideArc(quarter, 100.0, out);
  ASSERT_EQ(out.size(), 1u);
  expectNear(out.front().start, Point(13.0, -2.0));
  expectNear(out.front().end, Point(3.0, 8.0));

  // A division angle that divides the sweep exactly: 3 chords.
  out.clear();
  divideArc(quarter, 30.0, out);
  EXPECT_EQ(out.size(), 3u);
  expectJoined(asVector(out));
  EXPECT_TRUE(sink.messages().empty());

  // New chords go in front of what the list already holds.
  Arc wrapped;
  wrapped.set(centre, 2.0, 350.0, 10.0);  // stored as 350..370
  SegmentList list = {Segment(Point(100, 100), Point(101, 100))};
  divideArc(wrapped, 5.0, list);
  ASSERT_EQ(list.size(), 5u);
  EXPECT_EQ(list.back().start.x, 100.0);
  expectNear(list.front().end, onCircle(centre, 2.0, 10.0));
}

TEST(DivideArcTest, BadAnglesAndChordErrorsProduceNothing) {
  Arc arc;
  arc.set(Point(0.0, 0.0), 10.0, 0.0, 359.0);
  const struct {
    const char* what;
    void (*divide)(const Arc&, double, SegmentList&);
    double value;
    const char* message;  // empty: chords are produced
    std::size_t chords;
  } cases[] = {
      {"angle 0", divideArc, 0.0, "圆弧划分角度错误!", 0},
      {"negative angle", divideArc, -5.0, "圆弧划分角度错误!", 0},
      {"NaN angle", divideArc, std::nan(""), "圆弧划分角度错误!", 0},
      {"vanishing angle", divideArc, 1e-300, "圆弧划分角度错误!", 0},
      {"chord error 0", divideArcByChord, 0.0, "圆弧划分角度错误!", 0},
      {"negative chord error", divideArcByChord, -0.1, "弓高误差错误!", 0},
      {"chord error above radius", divideArcByChord, 10.5, "弓高误差错误!", 0},
      // Error equal to the radius: a 180 degree division angle, one chord for 359 degrees.
      {"chord error = radius", divideArcByChord, 10.0, "", 1},
      // Half the radius: 2·acos(0.5) = 120 degrees, 359 / 120 truncates to 2.
      {"chord error = radius / 2", divideArcByChord, 5.0, "", 2},
  };
  for (const auto& c : cases) {
    RecordingMessageSink sink;
    ScopedMessageSink scope(&sink);
    SegmentList out = {Segment(Point(1, 1), Point(2, 2))};
    c.divide(arc, c.value, out);
    EXPECT_EQ(out.size(), c.chords + 1) << c.what;
    if (std::string(c.message).empty()) {
      EXPECT_TRUE(sink.messages().empty()) << c.what;
    } else {
      ASSERT_EQ(sink.messages().size(), 1u) << c.what;
      EXPECT_EQ(sink.messages()[0].caption, "Warning!");
      EXPECT_EQ(sink.messages()[0].text, c.message) << c.what;
    }
  }
}

TEST(DivideCircleTest, CountsLimitsAndMessages) {
  const Point centre(-4.0, 6.0);
  Circle circle;
  circle.set(centre, 5.0);
  const struct {
    double angle;
    std::size_t chords;
    const char* message;
  } cases[] = {
      {120.0, 4, ""},  // 3 of 120 degrees and a last one of (almost) zero length
      {120.0001, 0, "分解角度detangle>120度,圆无法转换为多边形!"},
      {0.0, 0, "圆分解角度detangle错误!"},
      {-30.0, 0, "圆分解角度detangle错误!"},
      {7.0, 52, ""},   // 360 / 7 truncates to 51
      {100.0, 4, ""},  // 90 degrees left for the closing chord
  };
  for (const auto& c : cases) {
    RecordingMessageSink sink;
    ScopedMessageSink scope(&sink);
    SegmentList out;
    divideCircle(circle, c.angle, out);
    EXPECT_EQ(out.size(), c.chords) << c.angle;
    if (c.chords == 0) {
      ASSERT_EQ(sink.messages().size(), 1u) << c.angle;
      EXPECT_EQ(sink.messages()[0].caption, "Warning!");
      EXPECT_EQ(sink.messages()[0].text, c.message);
      continue;
    }
    EXPECT_TRUE(sink.messages().empty()) << c.angle;
    const std::vector<Segment> chords = asVector(out);
    expectJoined(chords);
    // The closing chord ends exactly at 0 degrees; the first chord built starts there.
    EXPECT_EQ(chords.front().end.x, 1.0);
    EXPECT_EQ(chords.front().end.y, 6.0);
    EXPECT_EQ(chords.back().start.x, 1.0);
    EXPECT_EQ(chords.back().start.y, 6.0);
    expectNear(chords.back().end, onCircle(centre, 5.0, c.angle));
  }
}

TEST(DivideCircleTest, SevenDegreesClosesFrom357) {
  Circle circle;
  circle.set(Point(0.0, 0.0), 20.0);
  SegmentList out;
  divideCircle(circle, 7.0, out);
  ASSERT_EQ(out.size(), 52u);
  // Running angle by repeated addition: 51 steps of 7 reach 357 degrees.
  double angle = 0.0;
  for (int i = 0; i < 51; ++i) angle += 7.0;
  const Segment& closing = out.front();
  EXPECT_EQ(closing.start.x, 20.0 * std::cos(angle / 180 * kPi));
  EXPECT_EQ(closing.start.y, 20.0 * std::sin(angle / 180 * kPi));
  expectNear(closing.start, onCircle(Point(0, 0), 20.0, 357.0), 1e-12);
  EXPECT_EQ(closing.end.x, 20.0);
  EXPECT_EQ(closing.end.y, 0.0);
  // With 120 the closing chord is the near-zero one from 360 degrees back to 0.
  out.clear();
  divideCircle(circle, 120.0, out);
  EXPECT_LT(out.front().start.distance(out.front().end), 1e-12);
}

TEST(DivideCircleTest, ByChordError) {
  Circle circle;
  circle.set(Point(1.0, 1.0), 10.0);
  const struct {
    double error;
    const char* message;
  } cases[] = {
      {-1.0, "弓高误差错误!"},
      {10.5, "弓高误差错误!"},
      {6.0, "分解角度detangle>120度,圆无法转换为多边形!"},  // above r/2
      {0.0, "圆分解角度detangle错误!"},
  };
  for (const auto& c : cases) {
    RecordingMessageSink sink;
    ScopedMessageSink scope(&sink);
    SegmentList out;
    divideCircleByChord(circle, c.error, out);
    EXPECT_TRUE(out.empty()) << c.error;
    EXPECT_EQ(sink.texts(), Texts{c.message}) << c.error;
  }
  // Error 1 on radius 10: 2·acos(0.9) ≈ 51.68 degrees, 360 / 51.68 truncates to 6: 7 chords.
  SegmentList out;
  divideCircleByChord(circle, 1.0, out);
  EXPECT_EQ(out.size(), 7u);
}

// The chord of the angle stands exactly the chord error off the arc at its middle (its
// sagitta), and the degrees are the same angle: an independent check on the one formula
// every cutter of arcs into chords shares.
TEST(ChordAngleTest, ChordStandsTheChordErrorOffTheArc) {
  for (const double radius : {0.5, 1.0, 10.0, 250.0, 1e5}) {
    for (const double error : {1e-3, 0.05, 0.25, 1.0}) {
      if (error > radius) continue;
      const double angle = chordAngle(radius, error);
      EXPECT_NEAR(radius * (1 - std::cos(angle / 2)), error, 1e-9 * radius)
          << radius << " " << error;
      EXPECT_DOUBLE_EQ(chordAngleDegrees(radius, error), angle / kPi * 180);
    }
  }
  // Half the radius: 120 degrees; the whole radius: a half circle.
  EXPECT_DOUBLE_EQ(chordAngleDegrees(2, 1), 120);
  EXPECT_DOUBLE_EQ(chordAngle(3, 3), kPi);
}

TEST(DivideListsTest, ListsAreWalkedFrontToBackAndLandInFront) {
  ArcList arcs;
  Arc first;
  first.set(Point(0, 0), 10.0, 0.0, 90.0);
  Arc second;
  second.set(Point(50, 0), 10.0, 0.0, 90.0);
  arcs.push_back(first);
  arcs.push_back(second);
  SegmentList out;
  divideArcs(arcs, out, 1.0);  // 2·acos(0.9) ≈ 51.7 degrees: one chord per quarter arc
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out.front().start.x, 60.0);  // the second arc was divided last
  EXPECT_EQ(out.back().start.x, 10.0);

  CircleList circles(2);
  circles.front().set(Point(0, 0), 10.0);
  circles.back().set(Point(100, 0), 10.0);
  out.clear();
  divideCircles(circles, out, 1.0);
  ASSERT_EQ(out.size(), 14u);
  EXPECT_EQ(out.front().end.x, 110.0);
  EXPECT_EQ(out.back().start.x, 10.0);

  const SegmentList source = {Segment(Point(0, 0), Point(1, 0)), Segment(Point(1, 0), Point(2, 0))};
  SegmentList destination = {Segment(Point(9, 9), Point(8, 8))};
  copySegmentsTo(source, destination);
  const std::vector<Segment> copied = asVector(destination);
  ASSERT_EQ(copied.size(), 3u);
  EXPECT_EQ(copied[0].start.x, 1.0);  // reversed
  EXPECT_EQ(copied[1].start.x, 0.0);
  EXPECT_EQ(copied[2].start.x, 9.0);
}

TEST(ArcFromRadiusTest, CentreAndSenseFromTheSignedRadius) {
  const double halfRoot3 = std::sqrt(75.0);
  const struct {
    double radius;
    Point centre;
    double start, end;
  } cases[] = {
      // Half circles: the sweep is exactly 180 and the sign alone picks the side.
      {5.0, {5.0, 0.0}, 180.0, 360.0},
      {-5.0, {5.0, 0.0}, 0.0, 180.0},
      // Counterclockwise from p1 to p2 puts the centre on the left of p1 -> p2.
      {10.0, {5.0, halfRoot3}, -120.0, -60.0},
      {-10.0, {5.0, -halfRoot3}, 60.0, 120.0},
  };
  for (const auto& c : cases) {
    Arc arc;
    ASSERT_TRUE(arcFromRadius(Point(0, 0), Point(10, 0), c.radius, arc)) << c.radius;
    expectNear(arc.centre, c.centre);
    EXPECT_EQ(arc.radius, std::fabs(c.radius));
    EXPECT_NEAR(arc.startAngle, c.start, 1e-12) << c.radius;
    EXPECT_NEAR(arc.endAngle, c.end, 1e-12) << c.radius;
  }
  Arc exact;
  ASSERT_TRUE(arcFromRadius(Point(0, 0), Point(10, 0), 5.0, exact));
  EXPECT_EQ(exact.sweep(), 180.0);

  RecordingMessageSink sink;
  ScopedMessageSink scope(&sink);
  Arc arc;
  EXPECT_FALSE(arcFromRadius(Point(0, 0), Point(10, 0), 4.9, arc));
  EXPECT_FALSE(arcFromRadius(Point(0, 0), Point(10, 0), -4.9, arc));
  EXPECT_EQ(sink.texts(), (Texts{"两圆求交失败!", "两圆求交失败!"}));
  EXPECT_EQ(sink.messages()[0].caption, "Warning!");
}

TEST(ArcFromRadiusTest, AlwaysTheMinorArcJoiningTheEndPoints) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> coordinate(-500.0, 500.0);
  std::uniform_real_distribution<double> slack(1.0, 5.0);
  for (int trial = 0; trial < 500; ++trial) {
    const Point p1(coordinate(random), coordinate(random));
    const Point p2(coordinate(random), coordinate(random));
    const double half = p1.distance(p2) / 2;
    const double radius = (trial % 2 == 0 ? 1 : -1) * half * slack(random);
    Arc arc;
    ASSERT_TRUE(arcFromRadius(p1, p2, radius, arc));
    EXPECT_GE(arc.sweep(), 0.0);
    EXPECT_LE(arc.sweep(), 180.0);
    // Counterclockwise arcs start at p1, clockwise ones are stored from p2.
    const Point& from = radius > 0 ? p1 : p2;
    const Point& to = radius > 0 ? p2 : p1;
    const double tolerance = 1e-9 * (1 + std::fabs(radius));
    expectNear(onCircle(arc.centre, arc.radius, arc.startAngle), from, tolerance);
    expectNear(onCircle(arc.centre, arc.radius, arc.endAngle), to, tolerance);
  }
}

// A circle written as two half arcs, turned to any angle: the ends are then a rounding error
// off a diameter apart, and the halves must still take opposite sides, so that together
// they go once round the circle.
TEST(ArcFromRadiusTest, HalvesOfATurnedCircleTakeOppositeSides) {
  const Point centre(1442.58, 42.519);
  int offHalf = 0;
  for (int step = 0; step < 720; ++step) {
    const double degrees = step * 0.5 + 0.123;
    const Point p1 = onCircle(centre, 11.0, degrees);
    const Point p2 = onCircle(centre, 11.0, degrees + 180);
    if (std::fabs(p1.distance(p2) - 22.0) > 0) ++offHalf;
    for (double radius : {11.0, -11.0}) {
      Arc first;
      Arc second;
      ASSERT_TRUE(arcFromRadius(p1, p2, radius, first));
      ASSERT_TRUE(arcFromRadius(p2, p1, radius, second));
      // Ends a rounding error short of a diameter put the centre a square root of it off the
      // chord: the sweep is 180 degrees within about 1e-5 degrees.
      EXPECT_NEAR(first.sweep(), 180.0, 1e-4);
      EXPECT_NEAR(second.sweep(), 180.0, 1e-4);
      // The second half starts where the first ends: the two cover the whole circle.
      const double gap = std::remainder(second.startAngle - first.endAngle, 360.0);
      EXPECT_NEAR(gap, 0.0, 1e-4) << degrees << " degrees, radius " << radius;
      // Counterclockwise from p1 for a positive radius, from p2 for a negative one.
      const Point& from = radius > 0 ? p1 : p2;
      expectNear(onCircle(first.centre, first.radius, first.startAngle), from, 1e-9);
    }
  }
  EXPECT_GT(offHalf, 100) << "the turned ends should test the rounding this is about";
}

TEST(ArcReachTest, HalfCircleSlackCoversRoundingOnly) {
  // A chord one rounding error longer than the diameter still reaches; more does not.
  const Point p1(7.318, 5.5);
  const Point p2(32.008, 5.5);
  ASSERT_GT(p1.distance(p2), 2 * 12.345);
  EXPECT_TRUE(arcPossible(p1, p2, 12.345));
  EXPECT_TRUE(arcPossible(p1, p2, -12.345));
  EXPECT_TRUE(arcPossible(Point(0, 0), Point(10, 0), 5.0));
  EXPECT_FALSE(arcPossible(Point(0, 0), Point(10 * (1 + 1e-8), 0), 5.0));
  EXPECT_FALSE(arcPossible(Point(0, 0), Point(10, 0), 4.9999));

  Point left;
  Point right;
  ASSERT_TRUE(intersectCircles(p1, 12.345, p2, 12.345, left, right));
  EXPECT_TRUE(std::isfinite(left.x) && std::isfinite(left.y));
  expectNear(left, Point(19.663, 5.5), 1e-12);
  expectNear(right, Point(19.663, 5.5), 1e-12);
  EXPECT_FALSE(intersectCircles(Point(0, 0), 5.0, Point(10 * (1 + 1e-8), 0), 5.0, left, right));
  // Circles around one centre have no pair of crossing points to build an arc from.
  EXPECT_FALSE(intersectCircles(Point(3, 4), 5.0, Point(3, 4), 5.0, left, right));
  {
    RecordingMessageSink sink;
    ScopedMessageSink scope(&sink);
    Arc none;
    EXPECT_FALSE(arcFromRadius(Point(3, 4), Point(3, 4), 5.0, none));
    EXPECT_EQ(sink.texts(), Texts{"两圆求交失败!"});
  }

  Arc arc;
  ASSERT_TRUE(arcFromRadius(p1, p2, 12.345, arc));
  EXPECT_NEAR(arc.startAngle, 180.0, 1e-9);
  EXPECT_NEAR(arc.endAngle, 360.0, 1e-9);
}

TEST(ChainSegmentsTest, FollowsEndsEitherWayAndStopsAtGaps) {
  SegmentList segments = {
      Segment(Point(0, 0), Point(1, 0)),
      Segment(Point(1.3, 1), Point(0, 1)),  // its start is 0.3 from (1, 1): joins last
      Segment(Point(1, 1), Point(1.2, 0)),  // its end is 0.2 from (1, 0): walked backwards
      Segment(Point(5, 5), Point(6, 6)),    // far away: left over
  };
  PointList out;
  chainSegments(segments, out);
  const std::vector<Point> points(out.begin(), out.end());
  // Reverse traversal order: front is the last point reached, back the first start.
  ASSERT_EQ(points.size(), 4u);
  expectNear(points[0], Point(0, 1), 0);
  expectNear(points[1], Point(1, 1), 0);
  expectNear(points[2], Point(1, 0), 0);
  expectNear(points[3], Point(0, 0), 0);
  ASSERT_EQ(segments.size(), 1u);
  EXPECT_EQ(segments.front().start.x, 5.0);

  // Exactly 0.5 apart is a gap.
  SegmentList gapped = {Segment(Point(0, 0), Point(1, 0)), Segment(Point(1.5, 0), Point(2, 0))};
  out.clear();
  chainSegments(gapped, out);
  EXPECT_EQ(out.size(), 2u);
  EXPECT_EQ(gapped.size(), 1u);

  SegmentList empty;
  out.clear();
  chainSegments(empty, out);
  EXPECT_TRUE(out.empty());
}

void expectVertices(const Polygon& polygon, const std::vector<Point>& expected,
                    double tolerance = 0.0) {
  ASSERT_EQ(polygon.vertexCount(), static_cast<int>(expected.size()));
  for (int i = 0; i < polygon.vertexCount(); ++i) {
    EXPECT_NEAR(polygon.vertex(i).x, expected[static_cast<std::size_t>(i)].x, tolerance) << i;
    EXPECT_NEAR(polygon.vertex(i).y, expected[static_cast<std::size_t>(i)].y, tolerance) << i;
  }
}

// The chain as a plain scan makes it: each step the first remaining segment in list order
// with an end strictly within the match distance, its start first. The tested chaining
// finds the same through a grid, so every choice must agree, ties and near misses included.
std::vector<Point> scannedChain(SegmentList segments) {
  std::vector<Point> out;
  if (segments.empty()) return out;
  Point current = segments.front().end;
  out.push_back(segments.front().start);
  out.push_back(current);
  segments.pop_front();
  for (bool matched = true; matched;) {
    matched = false;
    for (auto it = segments.begin(); it != segments.end(); ++it) {
      if (it->start.coincidesWithin(current, kChainMatchDistance)) {
        current = it->end;
      } else if (it->end.coincidesWithin(current, kChainMatchDistance)) {
        current = it->start;
      } else {
        continue;
      }
      segments.erase(it);
      out.push_back(current);
      matched = true;
      break;
    }
  }
  return out;
}

TEST(ChainSegmentsTest, SameChainAsAScanOnCrowdedAndScatteredEnds) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    // Ends on a coarse lattice of half the match distance, jittered: many lie within the
    // distance of several others, some exactly on cell borders, some just outside.
    std::uniform_int_distribution<int> cell(-6, 6);
    std::uniform_real_distribution<double> jitter(-0.02, 0.02);
    const bool exact = round % 3 == 0;
    const auto point = [&] {
      return Point(cell(random) * 0.25 + (exact ? 0.0 : jitter(random)),
                   cell(random) * 0.25 + (exact ? 0.0 : jitter(random)));
    };
    SegmentList segments;
    const int count = 1 + round % 40;
    for (int i = 0; i < count; ++i) segments.push_back(Segment(point(), point()));
    const std::vector<Point> expected = scannedChain(segments);
    SegmentList consumed = segments;
    PointList out;
    chainSegments(consumed, out);
    const std::vector<Point> got(out.rbegin(), out.rend());
    ASSERT_EQ(got.size(), expected.size()) << round;
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].x, expected[i].x) << round << " " << i;
      EXPECT_EQ(got[i].y, expected[i].y) << round << " " << i;
    }
    EXPECT_EQ(consumed.size() + got.size(), segments.size() + 1) << round;
  }
}

// Its speed (linear: a quadratic chaining takes minutes here) is measured by
// BM_ChainShuffledChords in the benchmarks; here the long chain must come out whole.
TEST(ChainSegmentsTest, LongShuffledChainsOfShortChordsChainWhole) {
  // 200 000 chords of a circle, shuffled.
  const int n = 200000;
  std::vector<Segment> chords;
  const double radius = 20000.0;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * M_PI * i / n;
    const double b = 2 * M_PI * (i + 1) / n;
    chords.emplace_back(Point(radius * std::cos(a), radius * std::sin(a)),
                        Point(radius * std::cos(b), radius * std::sin(b)));
  }
  std::shuffle(chords.begin() + 1, chords.end(), std::mt19937(3));
  SegmentList segments(chords.begin(), chords.end());
  PointList out;
  chainSegments(segments, out);
  EXPECT_EQ(out.size(), static_cast<std::size_t>(n) + 1);
  // Every chord end is met once, in order round the circle: consecutive points are one chord
  // length apart.
  const double chord = 2 * radius * std::sin(M_PI / n);
  const std::vector<Point> points(out.begin(), out.end());
  int apart = 0;
  for (std::size_t i = 1; i < points.size(); ++i) {
    apart += std::abs(points[i].distance(points[i - 1]) - chord) > 1e-6 ? 1 : 0;
  }
  EXPECT_EQ(apart, 0);
  EXPECT_TRUE(segments.empty());
}

TEST(ToPolygonTest, HalfDiscBecomesTheTriangleInChainOrder) {
  // (0,0) -> (10,0) clockwise with radius 5 bulges above the x axis; chord error 1 gives a
  // division angle of 2·acos(0.8) ≈ 73.7 degrees, so two chords of 90 degrees.
  const Contour halfDisc({{0, 0}, {10, 0}}, {-5.0, 0.0});
  const Polygon polygon = toPolygon(halfDisc, 1.0);
  expectVertices(polygon, {{5, 5}, {10, 0}, {0, 0}}, 1e-12);
  EXPECT_NEAR(polygon.area(), 25.0, 1e-12);
  EXPECT_EQ(polygon.box().maxY, 5.0);
}

TEST(ToPolygonTest, StraightEdgesAndArcsTreatedAsStraight) {
  const std::vector<Point> square = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  // Chained from the first edge, stored in reverse traversal order.
  const std::vector<Point> chained = {{0, 0}, {0, 10}, {10, 10}, {10, 0}};
  const struct {
    const char* what;
    std::vector<double> radii;
    double tolerance;
    const char* message;
  } cases[] = {
      {"all straight", {0, 0, 0, 0}, 1.0, nullptr},
      {"radius / chord 300 > 200", {3000, 0, 0, 0}, 1.0, nullptr},
      {"radius below the tolerance", {0, -0.5, 0, 0}, 1.0, nullptr},
      // The arc cannot join its end points: the straight edge is kept after the message.
      {"unreachable arc", {4.0, 0, 0, 0}, 1.0, "两圆求交失败!"},
      {"fewer radii than vertices", {0, 0}, 1.0, nullptr},
  };
  for (const auto& c : cases) {
    RecordingMessageSink sink;
    ScopedMessageSink scope(&sink);
    const Polygon polygon = toPolygon(Contour(square, c.radii), c.tolerance);
    expectVertices(polygon, chained);
    EXPECT_EQ(polygon.area(), 100.0) << c.what;
    EXPECT_EQ(polygon.box().maxX, 10.0) << c.what;
    EXPECT_EQ(sink.texts(), c.message ? Texts{c.message} : Texts{}) << c.what;
  }

  // Two vertices in one place: the arc between them has an infinite ratio and is straight.
  RecordingMessageSink sink;
  ScopedMessageSink scope(&sink);
  const Polygon repeated =
      toPolygon(Contour({{0, 0}, {0, 0}, {10, 0}, {10, 10}}, {5, 0, 0, 0}), 1.0);
  EXPECT_EQ(repeated.area(), 50.0);
  EXPECT_TRUE(sink.messages().empty());
  EXPECT_TRUE(toPolygon(Contour(), 1.0).empty());
}

TEST(ToPolygonTest, ArcSegmentsLeadTheChain) {
  // A 20 x 10 slot with a half-round end on the right (counterclockwise outline).
  const Contour slot({{0, 0}, {20, 0}, {20, 10}, {0, 10}}, {0, 5, 0, 0});
  const Polygon polygon = toPolygon(slot, 1.0);
  // The arc's chords lead the work list, the one ending at its top (20, 10) foremost, so the
  // chain runs (25,5) -> (20,10) -> (0,10) -> (0,0) -> (20,0) -> (25,5), stored backwards.
  expectVertices(polygon, {{25, 5}, {20, 0}, {0, 0}, {0, 10}, {20, 10}}, 1e-12);
  EXPECT_NEAR(polygon.area(), 200.0 + 25.0, 1e-12);
}

TEST(ToPolygonTest, CircleWrittenAsTwoHalvesWithDecimalEndPoints) {
  // Radius 12.345 around (19.663, 5.5): the end points are decimal numbers whose distance
  // comes out a hair above the diameter.
  const Point left(7.318, 5.5);
  const Point right(32.008, 5.5);
  ASSERT_GT(left.distance(right), 2 * 12.345);
  for (double sign : {1.0, -1.0}) {
    RecordingMessageSink sink;
    ScopedMessageSink scope(&sink);
    const Polygon polygon = toPolygon(Contour({left, right}, {sign * 12.345, sign * 12.345}), 1.0);
    EXPECT_TRUE(sink.messages().empty());
    // Chord error 1 on radius 12.345 cuts every half into three chords: a regular hexagon.
    ASSERT_EQ(polygon.vertexCount(), 6);
    EXPECT_NEAR(polygon.area(), 1.5 * std::sqrt(3.0) * 12.345 * 12.345, 1e-9);
    EXPECT_NEAR(polygon.box().minX, 7.318, 1e-12);
    EXPECT_NEAR(polygon.box().maxX, 32.008, 1e-12);
    for (const Point& p : polygon.vertices()) {
      EXPECT_NEAR(p.distance(Point(19.663, 5.5)), 12.345, 1e-9);
    }
  }
}

}  // namespace
}  // namespace platenest
