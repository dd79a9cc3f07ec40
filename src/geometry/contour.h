// A closed outline whose edges may be circular arcs: radii[i] belongs to the edge from
// vertex i to vertex i+1 (the last edge closes to vertex 0). 0 is straight, R > 0 a
// counterclockwise minor arc of radius R, R < 0 a clockwise one.
#pragma once

#include <vector>

#include "geometry/point.h"

namespace platenest {

class Contour {
 public:
  Contour() = default;
  Contour(std::vector<Point> vertices, std::vector<double> radii)
      : vertices(std::move(vertices)), radii(std::move(radii)) {}

  int vertexCount() const { return static_cast<int>(vertices.size()); }
  bool empty() const { return vertices.empty(); }
  void setVertices(std::vector<Point> points, std::vector<double> edgeRadii) {
    vertices = std::move(points);
    radii = std::move(edgeRadii);
  }

  void translate(double dx, double dy);
  void rotateAbout(const Point& c, double theta);
  // Reflects across a*x + b*y + c = 0 and negates every radius.
  void mirror(double a, double b, double c);

  std::vector<Point> vertices;
  std::vector<double> radii;
};

}  // namespace platenest
