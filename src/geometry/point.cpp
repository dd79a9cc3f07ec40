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
  rotateAbout(c, std::cos(theta), std::sin(theta));
}

void Point::rotateAbout(const Point& c, double cosTheta, double sinTheta) {
  const double dx = x - c.x;
  const double dy = y - c.y;
  x = c.x + cosTheta * dx - sinTheta * dy;
  y = c.y + sinTheta * dx + cosTheta * dy;
}

}  // namespace platenest
