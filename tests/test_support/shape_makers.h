// Shapes built in code for the tests, all with one convention: rectangles by their corners
// (minX, minY, maxX, maxY) in millimetres, listed counterclockwise from the lower left.
#pragma once

#include <vector>

#include "geometry/contour.h"
#include "geometry/point.h"
#include "geometry/polygon.h"
#include "geometry/region.h"

namespace platenest::testing {

inline std::vector<Point> rectangleOutline(double minX, double minY, double maxX, double maxY) {
  return {{minX, minY}, {maxX, minY}, {maxX, maxY}, {minX, maxY}};
}

inline Polygon rectanglePolygon(double minX, double minY, double maxX, double maxY) {
  return Polygon(rectangleOutline(minX, minY, maxX, maxY));
}

// Straight edges only: every radius 0.
inline Contour rectangleContour(double minX, double minY, double maxX, double maxY) {
  return Contour(rectangleOutline(minX, minY, maxX, maxY), std::vector<double>(4, 0.0));
}

// A region without holes, its label and pose as setGeometry gives them.
inline Region rectangleRegion(double minX, double minY, double maxX, double maxY) {
  Region region;
  region.setGeometry(rectangleContour(minX, minY, maxX, maxY), {});
  return region;
}

}  // namespace platenest::testing
