// Whether two segments cross, for the checks of outlines read from jobs and drawings: an
// outline that crosses itself or another cannot be cut as drawn.
#pragma once

#include "geometry/point.h"

namespace platenest {

// Whether the segments ab and cd cross at a point inside both, and where. Segments that only
// touch (an end on the other) or lie along each other do not cross; "inside" allows for the
// rounding of the segments' own size.
bool segmentsCrossProperly(const Point& a, const Point& b, const Point& c, const Point& d,
                           Point& where);

}  // namespace platenest
