#include "app/view_transform.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace platenest {
namespace {

constexpr double kFitMargin = 0.95;

// Truncation toward zero into the pixel range; far-off or undefined points land at the
// range's ends instead of overflowing.
std::int32_t truncateToPixel(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kLimit = 1e9;
  return static_cast<std::int32_t>(std::clamp(value, -kLimit, kLimit));
}

// The pixels per mm that show `extent` mm in `pixels`; nothing when the extent is empty.
double ratio(std::int32_t pixels, double extent) {
  const double size = std::fabs(extent);
  if (!(size > 0) || !std::isfinite(size)) return std::numeric_limits<double>::infinity();
  return pixels / size;
}

}  // namespace

void ViewTransform::fit(std::int32_t width, std::int32_t height, const BoundingBox& box) {
  width_ = width;
  height_ = height;
  box_ = box;
  fitAll();
}

void ViewTransform::fitAll() {
  const double fitted = kFitMargin * std::min(ratio(height_, box_.maxY - box_.minY),
                                              ratio(width_, box_.maxX - box_.minX));
  // A box of no width and no height (or a client of no size) has no meaningful scale:
  // keep one pixel per mm so that every mapping stays finite.
  scale_ = std::isfinite(fitted) && fitted > 0 ? fitted : 1.0;
  originX_ = width_ / 2;
  originY_ = height_ / 2;
  centreX_ = (box_.minX + box_.maxX) / 2;
  centreY_ = (box_.minY + box_.maxY) / 2;
}

void ViewTransform::pan(std::int32_t dx, std::int32_t dy) {
  originX_ += dx;
  originY_ += dy;
}

Pixel ViewTransform::worldToPixel(const Point& p) const {
  const std::int32_t u = truncateToPixel((p.x - centreX_) * scale_);
  const std::int32_t v = truncateToPixel((p.y - centreY_) * scale_);
  return Pixel{originX_ + u, originY_ - v};
}

Point ViewTransform::pixelToWorld(std::int32_t px, std::int32_t py) const {
  return Point((px - originX_) / scale_ + centreX_, (originY_ - py) / scale_ + centreY_);
}

void ViewTransform::zoomAt(std::int32_t px, std::int32_t py, double newScale) {
  if (!(newScale > 0) || !std::isfinite(newScale)) return;
  const Point w = pixelToWorld(px, py);
  centreX_ = w.x;
  centreY_ = w.y;
  originX_ = px;
  originY_ = py;
  scale_ = newScale;
}

void ViewTransform::zoomWindow(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  const Point w1 = pixelToWorld(x1, y1);
  const Point w2 = pixelToWorld(x2, y2);
  const double newScale = std::min(ratio(height_, w2.y - w1.y), ratio(width_, w2.x - w1.x));
  // A click without a drag has no rectangle to show.
  if (!std::isfinite(newScale) || !(newScale > 0)) return;
  centreX_ = (w1.x + w2.x) / 2;
  centreY_ = (w1.y + w2.y) / 2;
  scale_ = newScale;
  originX_ = width_ / 2;
  originY_ = height_ / 2;
}

}  // namespace platenest
