// Rigid moves of outlines with arc edges; the radii follow the turning sense.
#include "geometry/contour.h"

namespace platenest {

void Contour::translate(double dx, double dy) {
  for (Point& p : vertices) {
    p.x += dx;
    p.y += dy;
  }
}

void Contour::rotateAbout(const Point& c, double theta) {
  for (Point& p : vertices) p.rotateAbout(c, theta);
}

void Contour::mirror(double a, double b, double c) {
  for (Point& p : vertices) {
    const double x = p.x;
    const double y = p.y;
    p.x = -((a * a - b * b) * x + 2 * a * b * y + 2 * a * c) / (a * a + b * b);
    p.y = -((b * b - a * a) * y + 2 * a * b * x + 2 * b * c) / (a * a + b * b);
  }
  // A reflected arc turns the other way.
  for (double& r : radii) r = -r;
}

}  // namespace platenest
