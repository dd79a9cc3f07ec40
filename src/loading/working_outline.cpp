// The outlines the fit tests compare (see working_outline.h).
#include "loading/working_outline.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>
#include <vector>

#include "geometry/outside_chords.h"
#include "job/id_index.h"
#include "nesting/nester.h"
#include "readers/dxf_part_reader.h"

namespace platenest {
namespace {

// How closely the material test follows arcs, and how far inside an arc it looks.
constexpr double kFineChordError = 1e-3;  // mm
constexpr double kProbeDepth = 1e-2;      // mm

void addPolyline(const std::vector<Point>& points, bool closed, SegmentList& out) {
  for (std::size_t i = 0; i + 1 < points.size(); ++i) out.push_back(Segment(points[i], points[i + 1]));
  if (closed && points.size() > 2) out.push_back(Segment(points.back(), points.front()));
}

// Crossings of the ray from p towards +x; each edge counts its lower end only, so a chain
// passing through a vertex is counted once.
bool oddCrossings(const SegmentList& segments, const Point& p) {
  bool inside = false;
  for (const Segment& s : segments) {
    const Point& a = s.start;
    const Point& b = s.end;
    if ((a.y > p.y) == (b.y > p.y)) continue;
    const double x = a.x + (p.y - a.y) / (b.y - a.y) * (b.x - a.x);
    if (x > p.x) inside = !inside;
  }
  return inside;
}

// A point just inside the arc, on its centre side, halfway along it.
Point probeInside(const Point& centre, double radius, double degrees) {
  const double depth = std::min(kProbeDepth, radius / 4);
  const double angle = degrees / 180 * kPi;
  return Point(centre.x + (radius - depth) * std::cos(angle),
               centre.y + (radius - depth) * std::sin(angle));
}

}  // namespace

bool hasArcs(const Region& region) {
  const auto anyArc = [](const Contour& contour) {
    return std::any_of(contour.radii.begin(), contour.radii.end(),
                       [](double r) { return r != 0.0; });
  };
  if (anyArc(region.outer)) return true;
  return std::any_of(region.holes.begin(), region.holes.end(), anyArc);
}

PlacedPart workingPartOf(const Region& region) {
  PlacedPart part;
  const Polygon outer = outsidePolygon(region.outer, region.chordTolerance, false);
  PolygonList holes;
  for (const Contour& hole : region.holes) {
    holes.insertFront(outsidePolygon(hole, region.chordTolerance, true));
  }
  part.setGeometry(outer, holes);
  part.mirrored = region.mirrored;
  part.refPoint = region.refPoint;
  part.rotation = region.rotation;
  part.label = region.label;
  part.id = region.id;
  return part;
}

bool drawingMaterialContains(const PartDrawing& drawing, const Point& p) {
  SegmentList fine(drawing.lines);
  for (const Arc& arc : drawing.arcs) addPolyline(arcPolyline(arc, kFineChordError, false), false, fine);
  for (const Circle& circle : drawing.circles) {
    addPolyline(circlePolygon(circle, kFineChordError, false), true, fine);
  }
  return oddCrossings(fine, p);
}

bool workingPartOf(const PartDrawing& drawing, double chordError, PlacedPart& out) {
  SegmentList work(drawing.lines);
  for (const Arc& arc : drawing.arcs) {
    const Point probe = probeInside(arc.centre, arc.radius, (arc.startAngle + arc.endAngle) / 2);
    addPolyline(arcPolyline(arc, chordError, drawingMaterialContains(drawing, probe)), false, work);
  }
  for (const Circle& circle : drawing.circles) {
    const Point probe = probeInside(circle.centre, circle.radius, 0.0);
    const bool material = drawingMaterialContains(drawing, probe);
    // A hole too small for the loaded polygons (the chord error allows no three chords) stays
    // out here too: leaving a hole out only keeps more material.
    if (!material && circle.radius < 2 * chordError) continue;
    addPolyline(circlePolygon(circle, chordError, material), true, work);
  }
  PolygonList polygons;
  if (!buildPolygons(work, polygons)) return false;
  Polygon outer;
  PolygonList holes;
  splitOuterAndHoles(polygons, outer, holes);
  out.setGeometry(outer, holes);
  out.id = drawing.id;
  return true;
}

void useWorkingOutlines(Nester& nester) {
  const FirstById regions(std::as_const(nester.regions));
  const FirstById drawings(std::as_const(nester.drawings));
  const FirstById twins(std::as_const(nester.loadedParts));
  for (PlacedPart& part : nester.parts) {
    PlacedPart working;
    if (const Region* region = regions.find(part.id)) {
      if (!hasArcs(*region)) continue;
      working = workingPartOf(*region);
    } else if (const PartDrawing* drawing = drawings.find(part.id)) {
      const PlacedPart* twin = twins.find(part.id);
      if (twin == nullptr || (drawing->arcs.empty() && drawing->circles.empty())) continue;
      if (!workingPartOf(*drawing, part.chordTolerance, working)) continue;
      // The drawing and the loaded twin share one frame; the twin's pose is the start.
      working.refPoint = twin->refPoint;
      working.rotation = twin->rotation;
      working.mirrored = twin->mirrored;
    } else {
      continue;
    }
    working.replayPoseOf(part);
    part.takeOutlines(working.outer, working.holes);
  }
}

}  // namespace platenest
