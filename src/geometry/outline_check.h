// Checks of outlines as a cutting shop needs them: whether a grown outline still holds the
// outline it was grown from with the whole clearance, where outlines cross, and the sound
// rebuilds used when the mitred growth of a finely polygonised outline breaks down.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "geometry/point.h"
#include "geometry/polygon.h"

namespace platenest {

// True when some edge of `a` comes closer than `distance` to some edge of `b` (crossing or
// touching edges are at distance 0). Edges are found through a grid, so the work is about
// linear in the edges for outlines of ordinary shape.
bool boundariesCloserThan(const Polygon& a, const Polygon& b, double distance);

// `grown` holds `inner` with at least `clearance` between their outlines (a polygon grown
// outward by `clearance`), or, with `outward` false, `grown` lies inside `inner` that far
// from its outline (a hole shrunk by `clearance`; an empty shrunk hole is sound too).
bool soundlyGrown(const Polygon& inner, const Polygon& grown, double clearance, bool outward);

// The polygon with runs of nearly collinear vertices replaced by single edges: no point of
// the result lies further than `tolerance` from the original outline, nor the other way round.
Polygon simplifiedWithin(const Polygon& polygon, double tolerance);

// The convex hull, counterclockwise, without collinear vertices.
Polygon convexHullOf(const Polygon& polygon);

// Grows `polygon` by d (d > 0 outward, d < 0 inward for a hole) with the mitred offset, and
// when that leaves an outline that does not keep the distance (finely polygonised curves with
// rounded coordinates do that), rebuilds it from a simplified outline, then, for an outward
// growth, from the convex hull. False when nothing sound was found: the polygon is then
// empty. A hole that cannot be shrunk soundly is left empty (kept as material).
enum class Growth { kMitred, kRebuilt, kFailed };
Growth growSoundly(Polygon& polygon, double d);

// Where two closed loops (vertex lists, last joined to first) cross or one crosses itself:
// the loops' indices (equal for a loop crossing itself) and the place. Touching does not count.
struct LoopCrossing {
  std::size_t first = 0;
  std::size_t second = 0;
  Point where;
};
std::optional<LoopCrossing> findLoopCrossing(const std::vector<std::vector<Point>>& loops);

// The even-odd point test on a loop.
bool loopContains(const std::vector<Point>& loop, const Point& p);

// What is wrong with an outline and its holes, as chords, in the words of the drawing reader:
// an outline crossing itself, a hole crossing its outline or another hole, a hole outside its
// outline or inside another hole. Empty when the outline can be cut.
std::string outlineFault(const std::vector<std::vector<Point>>& outerThenHoles);

// "(x, y)" with %g numbers, as places are named in refusals.
std::string placeText(const Point& p);

}  // namespace platenest
