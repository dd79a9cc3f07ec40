// Proper crossings of two segments (see segment_crossing.h).
#include "geometry/segment_crossing.h"

#include <algorithm>
#include <cmath>

namespace platenest {
namespace {

double cross(const Point& o, const Point& a, const Point& b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

}  // namespace

bool segmentsCrossProperly(const Point& a, const Point& b, const Point& c, const Point& d,
                           Point& where) {
  const double scale = std::max({std::fabs(b.x - a.x) + std::fabs(b.y - a.y),
                                 std::fabs(d.x - c.x) + std::fabs(d.y - c.y), 1e-12});
  const double eps = 1e-9 * scale * scale;
  const double d1 = cross(a, b, c), d2 = cross(a, b, d);
  const double d3 = cross(c, d, a), d4 = cross(c, d, b);
  if (!(((d1 > eps && d2 < -eps) || (d1 < -eps && d2 > eps)) &&
        ((d3 > eps && d4 < -eps) || (d3 < -eps && d4 > eps)))) {
    return false;
  }
  const double t = d3 / (d3 - d4);
  where = Point(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t);
  return true;
}

}  // namespace platenest
