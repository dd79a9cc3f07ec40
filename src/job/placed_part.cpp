// A part in its current pose: building it from a region or from read polygons, the one
// derivation of its figures, and the moves that keep them and the pose bookkeeping in step.
// The fit tests live in overlap.cpp.
#include "job/placed_part.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <utility>

#include "geometry/discretise.h"
#include "geometry/offset.h"
#include "geometry/outline_check.h"
#include "geometry/segment.h"

namespace platenest {
namespace {

void rotateLabel(TextLabel& label, const Point& c, double cosTheta, double sinTheta) {
  Point position(label.x, label.y);
  position.rotateAbout(c, cosTheta, sinTheta);
  label.x = position.x;
  label.y = position.y;
}

// Whether a hole still encloses material after shrinking: a hole smaller than the gap
// vanishes, and a vanished hole must not poison the centroid with 0/0.
bool enclosesArea(const Polygon& hole) { return hole.vertexCount() >= 3 && hole.area() > 0; }

}  // namespace

void PolygonList::assignFrom(const PolygonList& other) {
  if (this == &other) return;
  items_.clear();
  items_.reserve(other.items_.size());
  // Front insertion of each element, first to last, is the other list read backwards.
  for (auto it = other.items_.rbegin(); it != other.items_.rend(); ++it) items_.push_back(*it);
}

void PlacedPart::setGeometry(const Polygon& outerPolygon, const PolygonList& holePolygons) {
  outer = outerPolygon;
  holes = holePolygons;  // a copy: the holes in reverse order
  derive();
}

void PlacedPart::setGeometry(Polygon&& outerPolygon, PolygonList&& holePolygons) {
  outer = std::move(outerPolygon);
  holes = std::move(holePolygons);
  derive();
}

void PlacedPart::takeOutlines(const Polygon& outerPolygon, const PolygonList& holePolygons) {
  outer = outerPolygon;
  holes = holePolygons;  // a copy: the holes in reverse order
  followOutlines();
}

void PlacedPart::restoreOutlines(const Polygon& outerPolygon,
                                 const std::vector<Polygon>& holePolygons,
                                 const Figures& figures) {
  outer = outerPolygon;
  std::size_t h = 0;
  for (Polygon& hole : holes) hole = holePolygons[h++];
  figures_ = figures;
}

void PlacedPart::refreshArea() { measureArea(); }

void PlacedPart::refreshCentroid() { measureCentroid(); }

void PlacedPart::derive() {
  measureArea();
  measureCentroid();
  figures_.box = outer.box();
  measureRectangularity();
  measureAspectRatio();
  if (!outer.empty()) refPoint = outer.vertex(0);
  rotation = 0.0;
}

void PlacedPart::followOutlines() {
  measureBox();
  measureArea();
  measureCentroid();
}

void PlacedPart::measureArea() {
  const double outerArea = outer.computeArea();
  double holeArea = 0.0;
  for (Polygon& hole : holes) holeArea += hole.computeArea();
  figures_.area = outerArea - holeArea;
}

void PlacedPart::measureCentroid() {
  const double a0 = outer.area();
  const Point c0 = outer.centroid();
  double sumArea = 0.0;
  double sumX = 0.0;
  double sumY = 0.0;
  for (const Polygon& hole : holes) {
    if (!(hole.area() > 0)) continue;  // adds nothing, and its own centroid is 0/0
    const Point ci = hole.centroid();
    sumArea += hole.area();
    sumX += hole.area() * ci.x;
    sumY += hole.area() * ci.y;
  }
  figures_.centroid.x = (a0 * c0.x - sumX) / (a0 - sumArea);
  figures_.centroid.y = (a0 * c0.y - sumY) / (a0 - sumArea);
}

void PlacedPart::measureBox() { figures_.box = outer.computeBox(); }

void PlacedPart::measureRectangularity() {
  const BoundingBox& box = figures_.box;
  const double ratio = outer.area() / ((box.maxX - box.minX) * (box.maxY - box.minY));
  // Capped at 1; a box without area (0/0) also counts as fully filled.
  figures_.rectangularity = ratio < 1.0 ? ratio : 1.0;
}

void PlacedPart::measureAspectRatio() {
  const BoundingBox& box = figures_.box;
  const double w = box.maxX - box.minX;
  const double h = box.maxY - box.minY;
  figures_.aspectRatio = h >= w ? h / w : w / h;
}

void PlacedPart::shiftFigures(double dx, double dy) {
  BoundingBox& box = figures_.box;
  box.minX += dx;
  box.maxX += dx;
  box.minY += dy;
  box.maxY += dy;
  figures_.centroid.x += dx;
  figures_.centroid.y += dy;
}

void PlacedPart::translate(double dx, double dy) {
  outer.translate(dx, dy);
  for (Polygon& hole : holes) hole.translate(dx, dy);
  shiftFigures(dx, dy);
  refPoint.x += dx;
  refPoint.y += dy;
  label.x += dx;
  label.y += dy;
  secondLabel.x += dx;
  secondLabel.y += dy;
}

void PlacedPart::rotateAbout(const Point& c, double theta) {
  const Point centre = c;  // c may be one of this part's own points
  // One cosine and sine for every point: the same values each separate turn would take.
  const double cosTheta = std::cos(theta);
  const double sinTheta = std::sin(theta);
  outer.rotateAbout(centre, cosTheta, sinTheta);
  for (Polygon& hole : holes) hole.rotateAbout(centre, cosTheta, sinTheta);
  figures_.centroid.rotateAbout(centre, cosTheta, sinTheta);
  measureBox();
  measureRectangularity();
  rotateLabel(label, centre, cosTheta, sinTheta);
  label.angle += theta / kPi * 180;
  refPoint.rotateAbout(centre, cosTheta, sinTheta);
  rotation += theta;
}

void PlacedPart::mirrorAt(const Point& p) {
  const Point at = p;  // p may be this part's own refPoint
  const BoundingBox& box = figures_.box;
  const double w = box.maxX - box.minX;
  const double h = box.maxY - box.minY;
  // Two distinct points on the horizontal line through p.
  const Segment line(at, Point(at.x + (w / 2 + h / 2), at.y));
  outer.mirror(line);
  for (Polygon& hole : holes) hole.mirror(line);
  measureCentroid();
  measureBox();
  label.y = 2 * at.y - label.y;
  refPoint.y = 2 * at.y - refPoint.y;
  rotation = -rotation;
  mirrored = !mirrored;
}

Point PlacedPart::rotationCentre() {
  measureCentroid();
  const Point& centroid = figures_.centroid;
  if (outer.empty()) return centroid;
  Point best = outer.nearestVertex(centroid);
  double bestDistance = best.distance(centroid);
  for (const Polygon& hole : holes) {
    if (hole.empty()) continue;
    const Point candidate = hole.nearestVertex(centroid);
    const double d = candidate.distance(centroid);
    if (d < bestDistance) {
      best = candidate;
      bestDistance = d;
    }
  }
  return best;
}

bool PlacedPart::offset(double gap) {
  if (gap == 0) return true;
  const bool grown = growSoundly(outer, gap) != Growth::kFailed;
  bool holeVanished = false;
  for (Polygon& hole : holes) {
    growSoundly(hole, -gap);
    if (!enclosesArea(hole)) holeVanished = true;
  }
  if (holeVanished) {
    // Rebuild without the vanished holes, keeping the order of the others.
    PolygonList kept;
    for (int i = holes.count() - 1; i >= 0; --i) {
      const Polygon& hole = holes[static_cast<std::size_t>(i)];
      if (enclosesArea(hole)) kept.insertFront(hole);
    }
    holes = std::move(kept);
  }
  followOutlines();
  return grown;
}

void PlacedPart::normaliseOrientation() {
  const BoundingBox& box = figures_.box;
  const double a0 = (box.maxX - box.minX) * (box.maxY - box.minY);
  const double step = 2 * kPi / 360;
  // The cosines and sines of the trial angles, the same for every part.
  struct Turn {
    double cosTheta, sinTheta;
  };
  static const std::array<Turn, 360> turns = [step] {
    std::array<Turn, 360> table{};
    for (int i = 0; i < 360; ++i) table[i] = Turn{std::cos(i * step), std::sin(i * step)};
    return table;
  }();
  double best = a0;
  int bestIndex = 0;
  for (int i = 1; i <= 359; ++i) {
    // The box of the outline turned, without turning a copy.
    const Turn& turn = turns[static_cast<std::size_t>(i)];
    const BoundingBox b = outer.turnedBox(refPoint, turn.cosTheta, turn.sinTheta);
    const double turnedArea = (b.maxX - b.minX) * (b.maxY - b.minY);
    if (turnedArea < best) {
      best = turnedArea;
      bestIndex = i;
    }
  }
  if ((a0 - best) / a0 > 0.2) rotateAbout(refPoint, bestIndex * step);
}

void PlacedPart::replayPoseOf(const PlacedPart& working) {
  if (working.mirrored) mirrorAt(refPoint);
  translate(working.refPoint.x - refPoint.x, working.refPoint.y - refPoint.y);
  rotateAbout(working.refPoint, working.rotation);
}

void PlacedPart::assignTranslated(const PlacedPart& source, double dx, double dy) {
  if (this == &source) {
    translate(dx, dy);
    return;
  }
  outer.assignTranslated(source.outer, dx, dy);
  if (holes.count() != source.holes.count()) {
    // Shapes differ: take the holes once in the source's order; later calls reuse them.
    PolygonList fresh;
    for (int i = source.holes.count() - 1; i >= 0; --i) {
      fresh.insertFront(source.holes[static_cast<std::size_t>(i)]);
    }
    holes = std::move(fresh);
  }
  for (int i = 0; i < source.holes.count(); ++i) {
    const auto index = static_cast<std::size_t>(i);
    holes[index].assignTranslated(source.holes[index], dx, dy);
  }
  label = source.label;
  label.x += dx;
  label.y += dy;
  secondLabel = source.secondLabel;
  secondLabel.x += dx;
  secondLabel.y += dy;
  figures_ = source.figures_;
  shiftFigures(dx, dy);
  chordTolerance = source.chordTolerance;
  selected = source.selected;
  id = source.id;
  mirrored = source.mirrored;
  refPoint = source.refPoint;
  refPoint.x += dx;
  refPoint.y += dy;
  rotation = source.rotation;
}

PlacedPart toPlacedPart(const Region& region) {
  PlacedPart part;
  const Polygon outerPolygon = toPolygon(region.outer, region.chordTolerance);
  PolygonList holePolygons;
  for (const Contour& hole : region.holes) {
    holePolygons.insertFront(toPolygon(hole, region.chordTolerance));
  }
  part.setGeometry(outerPolygon, holePolygons);
  // The part records the pose of the region it was made from.
  part.mirrored = region.mirrored;
  part.refPoint = region.refPoint;
  part.rotation = region.rotation;
  part.label = region.label;
  part.id = region.id;
  return part;
}

}  // namespace platenest
