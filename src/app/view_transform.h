// The mapping between the plate (millimetres, y up) and the window's client area (pixels,
// y down), with the fit, pan and zoom the operator uses. No window-system types: the shell
// hands it sizes and pixels, the painter asks it where a world point goes.
#pragma once

#include <cstdint>

#include "geometry/point.h"

namespace platenest {

struct Pixel {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool operator==(const Pixel&) const = default;
};

class ViewTransform {
 public:
  // Stores the client size and the world box, then shows the whole box (fitAll).
  void fit(std::int32_t width, std::int32_t height, const BoundingBox& box);
  // The whole box, centred, with a 5 % margin on the tighter side. A box without width or
  // height (before a load, or a plate of one line) keeps a usable scale instead of dividing
  // by zero.
  void fitAll();
  // Moves the picture by (dx, dy) pixels.
  void pan(std::int32_t dx, std::int32_t dy);
  // Offsets from the centre are truncated toward zero, so pixels match across the window.
  Pixel worldToPixel(const Point& p) const;
  Point pixelToWorld(std::int32_t px, std::int32_t py) const;
  // Sets the scale (pixels per mm) keeping the world point under (px, py) where it is.
  void zoomAt(std::int32_t px, std::int32_t py, double newScale);
  // Shows the rectangle of the two pixels (no margin); a rectangle without width or height
  // changes nothing.
  void zoomWindow(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);

  const BoundingBox& box() const { return box_; }
  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  std::int32_t originX() const { return originX_; }
  std::int32_t originY() const { return originY_; }
  double centreX() const { return centreX_; }
  double centreY() const { return centreY_; }
  double scale() const { return scale_; }  // pixels per mm

 private:
  BoundingBox box_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::int32_t originX_ = 0;
  std::int32_t originY_ = 0;
  double centreX_ = 0.0;
  double centreY_ = 0.0;
  double scale_ = 1.0;
};

}  // namespace platenest
