// The geometry's ordered lists. Every insertion puts the new element at the front and
// iteration runs front to back; chaining and polygon building depend on that order.
#pragma once

#include <list>

#include "geometry/arc.h"
#include "geometry/contour.h"
#include "geometry/segment.h"

namespace platenest {

using SegmentList = std::list<Segment>;
using ArcList = std::list<Arc>;
using CircleList = std::list<Circle>;
using PointList = std::list<Point>;
using ContourList = std::list<Contour>;

}  // namespace platenest
