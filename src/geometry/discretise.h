// Cutting arcs and circles into chords (and the angle one chord may span, which every cutter
// of arcs shares), chaining loose segments into one outline, and turning a contour with arc
// edges into a polygon. Division angles are in degrees.
#pragma once

#include "geometry/arc.h"
#include "geometry/contour.h"
#include "geometry/lists.h"
#include "geometry/polygon.h"

namespace platenest {

// The limits of discretisation.
inline constexpr double kCircleDivisionLimit = 120.0;  // degrees, inclusive
inline constexpr double kChainMatchDistance = 0.5;     // mm, strict
inline constexpr double kStraightEdgeRatio = 200.0;    // |R| / chord above this is straight
inline constexpr double kRadiusRepairStep = 0.1;       // mm, once per edge
// A chord may exceed 2|R| by this relative amount and still count as reachable: a half
// circle written with decimal end points is often one rounding error too long.
inline constexpr double kHalfCircleSlack = 1e-9;

// The angle, in radians, that one chord of an arc of this radius may span so that it stands
// at most `chordError` off the arc (its sagitta): 2·acos(1 − chordError / radius), for
// chordError no larger than the radius.
double chordAngle(double radius, double chordError);
// The same angle in degrees: chordAngle · 180 / π.
double chordAngleDegrees(double radius, double chordError);

void divideArc(const Arc& arc, double divisionAngle, SegmentList& out);
void divideArcByChord(const Arc& arc, double chordError, SegmentList& out);
void divideCircle(const Circle& circle, double divisionAngle, SegmentList& out);
void divideCircleByChord(const Circle& circle, double chordError, SegmentList& out);
void divideArcs(const ArcList& arcs, SegmentList& out, double chordError);
void divideCircles(const CircleList& circles, SegmentList& out, double chordError);
// Each source segment, front to back, inserted at the destination's front.
void copySegmentsTo(const SegmentList& source, SegmentList& destination);

// Circles of radius |R| around p1 and p2 meet.
bool arcPossible(const Point& p1, const Point& p2, double radius);
bool intersectCircles(const Point& c1, double r1, const Point& c2, double r2, Point& left,
                      Point& right);
// The minor arc of radius |R| from p1 to p2 (R > 0 counterclockwise, R < 0 clockwise),
// stored counterclockwise. Shows "两圆求交失败!" and returns false when no arc joins them.
bool arcFromRadius(const Point& p1, const Point& p2, double radius, Arc& out);

// Links segments end to end (consuming them); `out` ends up in reverse traversal order.
void chainSegments(SegmentList& segments, PointList& out);
Polygon toPolygon(const Contour& contour, double tolerance);

}  // namespace platenest
