// One part of the job in its current pose: the polygons the engine tests (grown by half
// the gap), the figures derived from them (kept by the part, changed only by its own moves
// and setters), and the pose bookkeeping (refPoint, rotation, mirrored) that lets the
// outline as read be replayed at the same place.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/point.h"
#include "geometry/polygon.h"
#include "geometry/region.h"

namespace platenest {

// The holes of a part. Insertion at the front; a copy holds the holes in reverse order,
// as the original list copy did (moves keep the order).
class PolygonList {
 public:
  PolygonList() = default;
  PolygonList(const PolygonList& other) { assignFrom(other); }
  PolygonList& operator=(const PolygonList& other) {
    if (this != &other) assignFrom(other);
    return *this;
  }
  PolygonList(PolygonList&&) noexcept = default;
  PolygonList& operator=(PolygonList&&) noexcept = default;

  void insertFront(const Polygon& polygon) { items_.insert(items_.begin(), polygon); }
  // Clears, then inserts a copy of each element of `other`, first to last, at the front.
  void assignFrom(const PolygonList& other);
  void clear() { items_.clear(); }
  int count() const { return static_cast<int>(items_.size()); }
  bool empty() const { return items_.empty(); }

  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }
  Polygon& operator[](std::size_t i) { return items_[i]; }
  const Polygon& operator[](std::size_t i) const { return items_[i]; }

 private:
  std::vector<Polygon> items_;
};

class PlacedPart {
 public:
  // What the part's outlines give: kept by the part itself and changed only by its own moves
  // and setters, so every reader sees figures that belong to the outlines it sees.
  struct Figures {
    double area = 0.0;      // net area, outer minus holes, mm^2
    BoundingBox box;        // box of outer
    Point centroid;         // of the net area; the search minimises its x
    // The outline's area over its box's, at most 1; follows the box through turns.
    double rectangularity = 1.0;
    // The box's longer side over its shorter, of the outline as set; kept through moves so
    // that the similarity rules compare parts as they were drawn.
    double aspectRatio = 1.0;
  };

  Polygon outer;
  PolygonList holes;
  TextLabel label;
  TextLabel secondLabel;  // follows translations only; never read by the engine
  double chordTolerance = 1.0;
  bool selected = false;
  std::int32_t id = 0;
  bool mirrored = false;
  Point refPoint;
  double rotation = 0.0;  // radians since the geometry was set

  double area() const { return figures_.area; }
  const BoundingBox& box() const { return figures_.box; }
  const Point& centroid() const { return figures_.centroid; }
  double rectangularity() const { return figures_.rectangularity; }
  double aspectRatio() const { return figures_.aspectRatio; }
  const Figures& figures() const { return figures_; }

  // Takes the polygons and derives every figure from them; refPoint = first outer vertex,
  // rotation 0. A copy of a hole list holds its holes in reverse order, so this overload
  // keeps them reversed, as the parts made of regions have always had them.
  void setGeometry(const Polygon& outerPolygon, const PolygonList& holePolygons);
  // As above, the holes kept in the order given (the parts read from drawings).
  void setGeometry(Polygon&& outerPolygon, PolygonList&& holePolygons);
  // New outlines in the same pose (the working outlines that hold every arc whole): box,
  // area and centroid follow them; rectangularity and aspect ratio stay those of the part as
  // set. The holes are copied, so they come in reverse order, as they always have.
  void takeOutlines(const Polygon& outerPolygon, const PolygonList& holePolygons);
  // Puts back a saved state of this part's outlines with the figures they had (the holes
  // count and order as saved).
  void restoreOutlines(const Polygon& outerPolygon, const std::vector<Polygon>& holePolygons,
                       const Figures& figures);

  // The net area measured afresh from the outlines as they stand: a turn keeps the area as
  // set, which a fresh measurement can differ from in the last bits.
  void refreshArea();
  // The centroid taken afresh from the outlines, in place of the one carried through moves.
  void refreshCentroid();

  void translate(double dx, double dy);
  void rotateAbout(const Point& c, double theta);
  // Turns the part over across the horizontal line through p.
  void mirrorAt(const Point& p);
  // The vertex (outer or hole) nearest to the centroid, taken afresh first (refreshCentroid);
  // parts are rotated about it.
  Point rotationCentre();
  // Grows the outer by gap and shrinks the holes by gap (no change when gap is 0).
  // Where the mitred growth of an outline or a hole does not keep the distance (finely
  // polygonised curves), the polygon is rebuilt soundly; false when no sound outline was
  // found (the part cannot be laid out).
  bool offset(double gap);
  // Turns the part to the whole-degree orientation of least box area when that saves more
  // than a fifth of the box area.
  void normaliseOrientation();

  // Brings this part (an untouched twin as loaded) to the pose of `working`.
  void replayPoseOf(const PlacedPart& working);

  // Makes this part `source` moved by (dx, dy) without reallocating when the shapes match:
  // bit for bit what copying and translating gives. For scratch copies in the search.
  void assignTranslated(const PlacedPart& source, double dx, double dy);

  // Overlap tests.
  // The box of outer lies inside the rectangle, each side with a tolerance of 1e-10.
  bool isInside(double minX, double maxX, double minY, double maxY) const;
  bool isInside(const BoundingBox& r) const { return isInside(r.minX, r.maxX, r.minY, r.maxY); }
  // Inside outer and in no hole.
  bool containsPoint(const Point& p) const;
  bool outersClear(const PlacedPart& other) const;
  // The parts do not overlap; either may lie wholly in a hole of the other.
  bool isClearOf(const PlacedPart& other) const;
  bool overlapsRect(double minX, double maxX, double minY, double maxY) const;

 private:
  // The derivation of the figures, in the order a new geometry takes them.
  void measureArea();  // the polygons' areas afresh, then the net area
  void measureCentroid();
  void measureBox();  // afresh from the outer vertices
  void measureRectangularity();
  void measureAspectRatio();
  // Every figure of a new geometry, and the pose started at the first outer vertex.
  void derive();
  // What a change of outline in place keeps in step: box, area, centroid.
  void followOutlines();
  // A move carries box and centroid along; area and shape ratios stay.
  void shiftFigures(double dx, double dy);

  Figures figures_;
};

// The part made of a region as read: its contours cut into polygons, its pose copied.
PlacedPart toPlacedPart(const Region& region);

}  // namespace platenest
