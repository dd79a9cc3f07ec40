// Polylines along arcs and circles that never cut into the side they must keep whole. The
// fit tests compare straight-edged outlines; where the material lies on the centre side of an
// arc, chords would shave material off and let true shapes come closer than the gap. There the
// polyline runs along tangents of the arc instead (it touches the arc and stays outside it);
// elsewhere ordinary chords stay inside the arc, on the side that holds no material.
#pragma once

#include <vector>

#include "geometry/arc.h"
#include "geometry/contour.h"
#include "geometry/lists.h"
#include "geometry/polygon.h"

namespace platenest {

// Points along the arc from its start angle to its end angle, both end points exact and on
// the arc; every piece strays at most `chordError` from the arc. With `outside` the pieces are
// tangent to the arc or outside it, otherwise they are chords inside it.
std::vector<Point> arcPolyline(const Arc& arc, double chordError, bool outside);

// The closed polygon around a circle (outside) or inside it; first vertex at angle 0.
std::vector<Point> circlePolygon(const Circle& circle, double chordError, bool outside);

// The outline of a contour whose every arc edge is cut so that the polygon holds all of the
// material as drawn: arcs whose centre lies on the material side run along tangents, the rest
// keep their chords. `isHole` says on which side of the contour the material lies. Unlike the
// measuring polygons no arc is taken for straight, however flat or small. Vertices follow the
// contour.
Polygon outsidePolygon(const Contour& contour, double chordError, bool isHole);

// The signed area of a contour with its arc edges (positive when counterclockwise).
double signedContourArea(const Contour& contour);

}  // namespace platenest
