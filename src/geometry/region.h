// One part outline as read from a library, before its arcs are cut into chords.
#pragma once

#include <cstdint>
#include <string>

#include "geometry/contour.h"
#include "geometry/lists.h"
#include "geometry/point.h"

namespace platenest {

// The visible name of a part and where it is drawn.
struct TextLabel {
  // At most kMaxBytes bytes of narrow (GBK) text, as read.
  static constexpr std::size_t kMaxBytes = 49;
  std::string text = "empty text!";
  double x = 0.0;
  double y = 0.0;
  double angle = 0.0;  // degrees
  double height = 10.0;
};

class Region {
 public:
  Contour outer;
  ContourList holes;
  TextLabel label;
  double chordTolerance = 1.0;  // chord-height error and smallest arc radius, mm
  std::int32_t id = 0;
  bool mirrored = false;
  Point refPoint;
  double rotation = 0.0;  // radians
  double area = 0.0;      // net area, cached
  Point centroid;         // of the net area, cached

  // Copies the contours in; places the label at the first outer vertex with a height of a
  // tenth of the outer vertices' box diagonal; refPoint = first vertex; rotation 0; area and
  // centroid computed.
  void setGeometry(const Contour& outerContour, const ContourList& holeContours);
  void translate(double dx, double dy);
  void rotateAbout(const Point& c, double theta);
  // Reflects across the horizontal line through p; the label angle and centroid stay.
  void mirrorAt(const Point& p);
  double computeArea();
  Point computeCentroid();
};

}  // namespace platenest
