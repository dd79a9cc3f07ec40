// A part outline as read: its pose bookkeeping and its net area and centroid, measured on
// the polygons its contours become.
#include "geometry/region.h"

#include <cmath>

#include "geometry/discretise.h"
#include "geometry/segment.h"

namespace platenest {

namespace {

BoundingBox vertexBox(const Contour& contour) {
  BoundingBox box;
  if (contour.vertices.empty()) return box;
  box = {contour.vertices[0].x, contour.vertices[0].x, contour.vertices[0].y,
         contour.vertices[0].y};
  for (const Point& p : contour.vertices) {
    if (p.x > box.maxX) box.maxX = p.x;
    if (p.x < box.minX) box.minX = p.x;
    if (p.y > box.maxY) box.maxY = p.y;
    if (p.y < box.minY) box.minY = p.y;
  }
  return box;
}

}  // namespace

void Region::setGeometry(const Contour& outerContour, const ContourList& holeContours) {
  outer = outerContour;
  holes = holeContours;
  const BoundingBox box = vertexBox(outer);
  const double dx = box.maxX - box.minX;
  const double dy = box.maxY - box.minY;
  label.angle = 0.0;
  label.height = std::sqrt(dx * dx + dy * dy) / 10;
  // An outline without vertices has no first vertex to anchor the label and pose to.
  const Point first = outer.vertices.empty() ? Point() : outer.vertices[0];
  label.x = first.x;
  label.y = first.y;
  refPoint = first;
  rotation = 0.0;
  area = computeArea();
  centroid = computeCentroid();
}

void Region::translate(double dx, double dy) {
  outer.translate(dx, dy);
  for (Contour& hole : holes) hole.translate(dx, dy);
  label.x += dx;
  label.y += dy;
  refPoint.x += dx;
  refPoint.y += dy;
  centroid.x += dx;
  centroid.y += dy;
}

void Region::rotateAbout(const Point& c, double theta) {
  outer.rotateAbout(c, theta);
  for (Contour& hole : holes) hole.rotateAbout(c, theta);
  Point labelPosition(label.x, label.y);
  labelPosition.rotateAbout(c, theta);
  label.x = labelPosition.x;
  label.y = labelPosition.y;
  label.angle += theta * 180 / kPi;
  refPoint.rotateAbout(c, theta);
  rotation += theta;
  centroid.rotateAbout(c, theta);
}

void Region::mirrorAt(const Point& p) {
  // Two distinct points on the horizontal line through p, a comfortable distance apart.
  const BoundingBox box = vertexBox(outer);
  const double reach = (box.maxX - box.minX) / 2 + (box.maxY - box.minY) / 2;
  const Segment line(p, Point(p.x + reach, p.y));
  outer.mirror(line.a, line.b, line.c);
  for (Contour& hole : holes) hole.mirror(line.a, line.b, line.c);
  label.y = 2 * p.y - label.y;
  refPoint.y = 2 * p.y - refPoint.y;
  rotation = -rotation;
  mirrored = !mirrored;
}

double Region::computeArea() {
  double net = toPolygon(outer, chordTolerance).area();
  for (const Contour& hole : holes) net -= toPolygon(hole, chordTolerance).area();
  area = net;
  return area;
}

Point Region::computeCentroid() {
  const Polygon outerPolygon = toPolygon(outer, chordTolerance);
  const Point outerCentroid = outerPolygon.centroid();
  double netArea = outerPolygon.area();
  double momentX = netArea * outerCentroid.x;
  double momentY = netArea * outerCentroid.y;
  for (const Contour& hole : holes) {
    const Polygon holePolygon = toPolygon(hole, chordTolerance);
    const Point holeCentroid = holePolygon.centroid();
    netArea -= holePolygon.area();
    momentX -= holePolygon.area() * holeCentroid.x;
    momentY -= holePolygon.area() * holeCentroid.y;
  }
  centroid = Point(momentX / netArea, momentY / netArea);
  return centroid;
}

}  // namespace platenest
