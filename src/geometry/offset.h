// Growing an outline by half the part gap: every edge moved along its outward normal and
// neighbouring moved edges re-intersected (mitred corners).
#pragma once

#include "geometry/polygon.h"

namespace platenest {

// Signed area S > 0.
bool isCounterClockwise(const Polygon& polygon);
// Moves the outline outward by d (inward when d < 0). An offset that leaves fewer than three
// edges, or kept neighbours that are parallel without a shared end point, collapses the
// polygon to empty.
void offsetPolygon(Polygon& polygon, double d);

}  // namespace platenest
