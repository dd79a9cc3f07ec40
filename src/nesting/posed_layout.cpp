// The posed view of the layout (see posed_layout.h).
#include "nesting/posed_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "geometry/outline_check.h"
#include "job/id_index.h"
#include "nesting/nester.h"

namespace platenest {
namespace {

// The pose replay of a placed part applied to single points: turned over across the
// horizontal line through the twin's reference point, moved, then turned about the working
// reference point.
struct PointPose {
  Point from;
  Point to;
  bool mirrored = false;
  double cosine = 1.0;
  double sine = 0.0;
  double degrees = 0.0;

  Point apply(Point p) const {
    if (mirrored) p.y = 2 * from.y - p.y;
    const Point moved(p.x + (to.x - from.x), p.y + (to.y - from.y));
    const double dx = moved.x - to.x;
    const double dy = moved.y - to.y;
    return Point(to.x + cosine * dx - sine * dy, to.y + sine * dx + cosine * dy);
  }
};

double distanceToEdge(const Point& p, const Point& a, const Point& b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  const double t = length2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0) : 0.0;
  return p.distance(Point(a.x + t * dx, a.y + t * dy));
}

bool nearLoop(const std::vector<Point>& loop, const Point& p, double tolerance) {
  for (std::size_t i = 0; i < loop.size(); ++i) {
    if (distanceToEdge(p, loop[i], loop[(i + 1) % loop.size()]) < tolerance) return true;
  }
  return false;
}

// Where an edge of the cut outline runs outside the working one by more than the tolerance,
// if anywhere. Without a gap the two outlines coincide, and the roundings of their two poses
// make them cross at every edge without the cut outline leaving the working one: the pieces
// of each cut edge between its crossings are tested at their midpoints.
std::optional<Point> cutLeavesWorking(const std::vector<Point>& working,
                                      const std::vector<Point>& cut, double tolerance) {
  const auto cross = [](const Point& o, const Point& a, const Point& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
  };
  std::vector<double> along;
  for (std::size_t i = 0; i < cut.size(); ++i) {
    const Point& a = cut[i];
    const Point& b = cut[(i + 1) % cut.size()];
    along.assign({0.0, 1.0});
    for (std::size_t j = 0; j < working.size(); ++j) {
      const Point& c = working[j];
      const Point& d = working[(j + 1) % working.size()];
      const double c1 = cross(a, b, c);
      const double c2 = cross(a, b, d);
      const double c3 = cross(c, d, a);
      const double c4 = cross(c, d, b);
      if (((c1 > 0) != (c2 > 0)) && ((c3 > 0) != (c4 > 0))) {
        along.push_back(std::clamp(c3 / (c3 - c4), 0.0, 1.0));
      }
    }
    std::sort(along.begin(), along.end());
    for (std::size_t k = 0; k + 1 < along.size(); ++k) {
      const double t = (along[k] + along[k + 1]) / 2;
      const Point m(a.x + t * (b.x - a.x), a.y + t * (b.y - a.y));
      if (!loopContains(working, m) && !nearLoop(working, m, tolerance)) return m;
    }
  }
  return std::nullopt;
}

}  // namespace

std::string workingOutlineFault(const PlacedPart& working, const PlacedPart& cut) {
  constexpr double kOnOutline = 1e-6;  // mm
  // The working outline holds the true arcs; the cut polygon's chords of a hollow arc stand
  // off the true arc, outside the material, by up to their chord-height error.
  const double tolerance = std::max(kOnOutline, cut.chordTolerance);
  const std::vector<Point>& grown = working.outer.vertices();
  if (grown.size() < 3) {
    return "its working outline has " + std::to_string(grown.size()) + " points";
  }
  for (const Point& p : cut.outer.vertices()) {
    if (!loopContains(grown, p) && !nearLoop(grown, p, tolerance)) {
      return "its cut outline reaches " + placeText(p) + ", outside its working outline";
    }
  }
  if (const auto crossing = findLoopCrossing({grown, cut.outer.vertices()})) {
    if (const auto outside = cutLeavesWorking(grown, cut.outer.vertices(), tolerance)) {
      return "its working and cut outlines cross at " + placeText(*outside);
    }
  }
  return {};
}

const PosedPart* PosedLayout::find(std::int32_t id) const {
  for (const PosedPart& part : parts) {
    if (part.id == id) return &part;
  }
  return nullptr;
}

Region posedRegion(const Region& region, const PlacedPart& working) {
  Region posed = region;
  if (working.mirrored) posed.mirrorAt(posed.refPoint);
  posed.translate(working.refPoint.x - region.refPoint.x, working.refPoint.y - region.refPoint.y);
  posed.rotateAbout(working.refPoint, working.rotation);
  return posed;
}

PartDrawing posedDrawing(const PartDrawing& drawing, const PlacedPart& twin,
                         const PlacedPart& working) {
  PointPose pose;
  pose.from = twin.refPoint;
  pose.to = working.refPoint;
  pose.mirrored = working.mirrored;
  pose.cosine = std::cos(working.rotation);
  pose.sine = std::sin(working.rotation);
  pose.degrees = working.rotation / kPi * 180;

  PartDrawing posed;
  posed.id = drawing.id;
  for (const Segment& line : drawing.lines) {
    posed.lines.push_back(Segment(pose.apply(line.start), pose.apply(line.end)));
  }
  for (const Arc& arc : drawing.arcs) {
    // Turned over, the arc runs clockwise from start to end: counterclockwise it runs from
    // the reflected end angle to the reflected start angle.
    const double start = pose.mirrored ? -arc.endAngle : arc.startAngle;
    const double end = pose.mirrored ? -arc.startAngle : arc.endAngle;
    Arc moved;
    moved.set(pose.apply(arc.centre), arc.radius, start + pose.degrees, end + pose.degrees);
    posed.arcs.push_back(moved);
  }
  for (const Circle& circle : drawing.circles) {
    Circle moved;
    moved.set(pose.apply(circle.centre), circle.radius);
    posed.circles.push_back(moved);
  }
  return posed;
}

PosedLayout poseLayout(const Nester& nester, PoseDetail detail) {
  return poseLayout(nester, nester.layout(), detail);
}

PosedLayout poseLayout(const Nester& job, const Layout& layout, PoseDetail detail) {
  PosedLayout view;
  view.plateLength = layout.plateLength();
  view.plateWidth = layout.plateWidth();
  view.parts.reserve(static_cast<std::size_t>(layout.parts().count()));
  const FirstById twins(job.loadedParts);
  const FirstById regions(job.regions);
  const FirstById drawings(job.drawings);
  for (const PlacedPart& working : layout.parts()) {
    PosedPart part;
    part.id = working.id;
    part.name = working.label.text;
    part.working = &working;
    const PlacedPart* twin = twins.find(working.id);
    if (twin != nullptr) {
      part.cut = *twin;
      part.cut.replayPoseOf(working);
    } else {
      part.cut = working;
    }
    if (detail == PoseDetail::kOutlines) {
      // Figures need the true outlines only.
    } else if (const Region* region = regions.find(working.id)) {
      part.region = posedRegion(*region, working);
    } else if (const PartDrawing* drawing = drawings.find(working.id);
               drawing != nullptr && twin != nullptr) {
      part.drawing = posedDrawing(*drawing, *twin, working);
    }
    part.onPlate = layout.isOnPlate(working);
#ifdef PLATENEST_VALIDATE
    // Checked for the views the outputs draw; the figures are worked out far more often.
    if (detail == PoseDetail::kEverything && part.onPlate && twin != nullptr) {
      if (const std::string fault = workingOutlineFault(working, part.cut); !fault.empty()) {
        std::fprintf(stderr, "platenest validation: part %d (%s) is on the plate, but %s\n",
                     working.id, part.name.c_str(), fault.c_str());
        std::abort();
      }
    }
#endif
    part.selected = working.selected;
    part.mirrored = working.mirrored;
    part.rotation = working.rotation;
    part.refPoint = working.refPoint;
    view.parts.push_back(std::move(part));
  }
  if (detail == PoseDetail::kOutlines) return view;
  const std::size_t points = layout.packingGrid().size();
  for (std::size_t i = 0; i < points; ++i) {
    if (!layout.packingGrid().isOccupied(i)) {
      view.freePackingPoints.push_back(layout.packingGrid().position(i));
    }
  }
  return view;
}

}  // namespace platenest
