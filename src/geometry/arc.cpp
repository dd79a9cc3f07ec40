// The angle invariant of arcs: the end angle never lies before the start angle.
#include "geometry/arc.h"

#include <cmath>

namespace platenest {

namespace {
// More turns than any real drawing needs; beyond this the end angle is brought round in
// one step instead of a turn at a time, so that absurd angles from a file cannot hang us.
constexpr double kMaxTurnsByAddition = 1e6;
}  // namespace

void Arc::set(const Point& c, double r, double start, double end) {
  centre = c;
  radius = r;
  startAngle = start;
  endAngle = end;
  if (!std::isfinite(startAngle) || !std::isfinite(endAngle)) return;
  if ((startAngle - endAngle) / 360.0 > kMaxTurnsByAddition) {
    endAngle += std::ceil((startAngle - endAngle) / 360.0) * 360.0;
    if (endAngle < startAngle) endAngle = startAngle;
    return;
  }
  while (startAngle > endAngle) endAngle += 360.0;
}

}  // namespace platenest
