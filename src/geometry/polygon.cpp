// Straight-edged outlines: their cached area and box, centroid, and the rigid moves the
// engine applies to parts. The overlap tests live in polygon_overlap.cpp.
#include "geometry/polygon.h"

#include <atomic>
#include <cmath>
#include <utility>

namespace platenest {

void Polygon::touch() {
  static std::atomic<std::uint64_t> revisions{0};
  revision_ = revisions.fetch_add(1, std::memory_order_relaxed) + 1;
}

Polygon::Polygon(Polygon&& other) noexcept
    : vertices_(std::move(other.vertices_)),
      area_(other.area_),
      box_(other.box_),
      revision_(other.revision_) {
  other.vertices_.clear();
  other.touch();
}

Polygon& Polygon::operator=(Polygon&& other) noexcept {
  if (this != &other) {
    vertices_ = std::move(other.vertices_);
    area_ = other.area_;
    box_ = other.box_;
    revision_ = other.revision_;
    other.vertices_.clear();
    other.touch();
  }
  return *this;
}

void Polygon::setVertices(std::vector<Point> vertices) {
  vertices_ = std::move(vertices);
  computeBox();
  computeArea();
}

void Polygon::clear() {
  touch();
  vertices_.clear();
  area_ = 0.0;
  box_ = BoundingBox();
}

double Polygon::computeArea() {
  const std::size_t n = vertices_.size();
  double sum = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const Point& p = vertices_[i];
    const Point& q = vertices_[i + 1 == n ? 0 : i + 1];
    sum += (p.y + q.y) * (q.x - p.x) * 0.5;
  }
  area_ = std::fabs(sum);
  return area_;
}

BoundingBox Polygon::computeBox() {
  touch();
  if (vertices_.empty()) {
    box_ = BoundingBox();
    return box_;
  }
  BoundingBox box{vertices_[0].x, vertices_[0].x, vertices_[0].y, vertices_[0].y};
  for (std::size_t i = 1; i < vertices_.size(); ++i) {
    const Point& p = vertices_[i];
    if (p.x > box.maxX) box.maxX = p.x;
    if (p.x < box.minX) box.minX = p.x;
    if (p.y > box.maxY) box.maxY = p.y;
    if (p.y < box.minY) box.minY = p.y;
  }
  box_ = box;
  return box_;
}

Point Polygon::centroid() const {
  // First moments of the area over its signed area, so either vertex order gives the
  // same point.
  const std::size_t n = vertices_.size();
  double signedArea = 0.0;
  double momentX = 0.0;
  double momentY = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const Point& p = vertices_[i];
    const Point& q = vertices_[i + 1 == n ? 0 : i + 1];
    signedArea += -0.5 * (q.x - p.x) * (p.y + q.y);
    momentX += (q.y - p.y) / 6 * (p.x * q.x + p.x * p.x + q.x * q.x);
    momentY += -(q.x - p.x) / 6 * (p.y * q.y + p.y * p.y + q.y * q.y);
  }
  return Point(momentX / signedArea, momentY / signedArea);
}

void Polygon::translate(double dx, double dy) {
  touch();
  for (Point& p : vertices_) {
    p.x += dx;
    p.y += dy;
  }
  box_.minX += dx;
  box_.maxX += dx;
  box_.minY += dy;
  box_.maxY += dy;
}

void Polygon::rotateAbout(const Point& c, double theta) {
  rotateAbout(c, std::cos(theta), std::sin(theta));
}

void Polygon::rotateAbout(const Point& c, double cosTheta, double sinTheta) {
  touch();
  for (Point& p : vertices_) {
    const double dx = p.x - c.x;
    const double dy = p.y - c.y;
    p.x = c.x + (cosTheta * dx - sinTheta * dy);
    p.y = c.y + (sinTheta * dx + cosTheta * dy);
  }
  computeBox();
}

BoundingBox Polygon::turnedBox(const Point& c, double cosTheta, double sinTheta) const {
  if (vertices_.empty()) return BoundingBox();
  auto turned = [&](const Point& p) {
    const double dx = p.x - c.x;
    const double dy = p.y - c.y;
    return Point(c.x + (cosTheta * dx - sinTheta * dy), c.y + (sinTheta * dx + cosTheta * dy));
  };
  const Point first = turned(vertices_[0]);
  BoundingBox box{first.x, first.x, first.y, first.y};
  for (std::size_t i = 1; i < vertices_.size(); ++i) {
    const Point p = turned(vertices_[i]);
    if (p.x > box.maxX) box.maxX = p.x;
    if (p.x < box.minX) box.minX = p.x;
    if (p.y > box.maxY) box.maxY = p.y;
    if (p.y < box.minY) box.minY = p.y;
  }
  return box;
}

void Polygon::mirror(const Segment& line) {
  touch();
  const double a = line.a;
  const double b = line.b;
  const double c = line.c;
  for (Point& p : vertices_) {
    const double x = p.x;
    const double y = p.y;
    p.x = -((a * a - b * b) * x + 2 * a * b * y + 2 * a * c) / (a * a + b * b);
    p.y = -((b * b - a * a) * y + 2 * a * b * x + 2 * b * c) / (a * a + b * b);
  }
  computeBox();
}

Point Polygon::nearestVertex(const Point& p) const {
  if (vertices_.empty()) return p;
  Point best = vertices_[0];
  double bestDistance = best.distance(p);
  for (std::size_t i = 1; i < vertices_.size(); ++i) {
    const double d = vertices_[i].distance(p);
    if (d < bestDistance) {
      bestDistance = d;
      best = vertices_[i];
    }
  }
  return best;
}

void Polygon::assignTranslated(const Polygon& source, double dx, double dy) {
  touch();
  // Same additions as copy-then-translate, without giving up the storage already held.
  vertices_.resize(source.vertices_.size());
  for (std::size_t i = 0; i < vertices_.size(); ++i) {
    const Point& s = source.vertices_[i];
    Point& p = vertices_[i];
    p.x = s.x + dx;
    p.y = s.y + dy;
    p.tolerance = s.tolerance;
  }
  area_ = source.area_;
  box_.minX = source.box_.minX + dx;
  box_.maxX = source.box_.maxX + dx;
  box_.minY = source.box_.minY + dy;
  box_.maxY = source.box_.maxY + dy;
}

}  // namespace platenest
