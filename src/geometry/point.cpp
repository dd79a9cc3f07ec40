// Distance, coincidence and rotation of single points.
#include "geometry/point.h"

namespace platenest {

double Point::distance(const Point& p) const {
  return std::sqrt((x - p.x) * (x - p.x) + (y - p.y) * (y - p.y));
}

bool Point::coincidesWithin(const Point& p, double r) const {
  return r * r > (x - p.x) * (x - p.x) + (y - p.y) * (y - p.y);
}

void Point::rotateAbout(const Point& c, double theta) {
  const double dx = x - c.x;
  const double dy = y - c.y;
  const double cosTheta = std::cos(theta);
  const double sinTheta = std::sin(theta);
  x = c.x + cosTheta * dx - sinTheta * dy;
  y = c.y + sinTheta * dx + cosTheta * dy;
}

}  // namespace platenest
