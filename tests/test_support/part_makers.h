// Parts built in code for the tests, with the shapes' convention: rectangles by their corners
// (minX, minY, maxX, maxY), outlines as vertex lists, holes in the order the part holds them.
#pragma once

#include <utility>
#include <vector>

#include "geometry/point.h"
#include "geometry/polygon.h"
#include "job/placed_part.h"
#include "test_support/shape_makers.h"

namespace platenest::testing {

inline PlacedPart makePart(std::vector<Point> outer, std::vector<std::vector<Point>> holes = {}) {
  PolygonList holeList;
  for (auto it = holes.rbegin(); it != holes.rend(); ++it) holeList.insertFront(Polygon(*it));
  PlacedPart part;
  part.setGeometry(Polygon(std::move(outer)), holeList);
  return part;
}

inline PlacedPart makeRectangle(double minX, double minY, double maxX, double maxY) {
  return makePart(rectangleOutline(minX, minY, maxX, maxY));
}

}  // namespace platenest::testing
