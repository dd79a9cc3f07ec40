// One posed view of the layout: every part as it will be cut, at the place the engine has
// it now, and the plate with its free packing points. The layout drawing, the part
// drawings, the packing report, the picture, the summaries and the window all read this one
// view, so that "a loaded part drawn at its working part's pose" is worked out in one place.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "geometry/part_drawing.h"
#include "geometry/point.h"
#include "geometry/region.h"
#include "job/placed_part.h"

namespace platenest {

class Layout;
class Nester;

struct PosedPart {
  std::int32_t id = 0;
  std::string name;  // bytes as read (GBK or UTF-8)
  // The working part in the nester: the outline the fit tests compare, grown by half the gap.
  const PlacedPart* working = nullptr;
  // The part as loaded, at the working pose: the true outline as polygons, without the gap.
  // The working part itself when the job kept no loaded twin.
  PlacedPart cut;
  // The outline as read, with its arcs, at the pose (parts read as outlines with arcs).
  std::optional<Region> region;
  // The lines, arcs and circles as drawn, at the pose (parts read from their own drawings).
  std::optional<PartDrawing> drawing;
  bool onPlate = false;
  bool selected = false;
  bool mirrored = false;
  double rotation = 0.0;  // radians
  Point refPoint;
};

struct PosedLayout {
  double plateLength = 0.0;  // mm
  double plateWidth = 0.0;   // mm
  std::vector<PosedPart> parts;            // in the order of the nester's parts
  std::vector<Point> freePackingPoints;    // grid points no part covers, in grid order

  // The first part with this id, or nothing.
  const PosedPart* find(std::int32_t id) const;
};

// How much the view works out: the true outlines alone (for figures), or also the outlines
// as read, the drawings and the free packing points (for drawings and the window).
enum class PoseDetail { kOutlines, kEverything };

// The view of the nester as it stands. Cheap enough to build for every repaint.
PosedLayout poseLayout(const Nester& nester, PoseDetail detail = PoseDetail::kEverything);
// The view of a layout of the job's parts (the nester's own, or a clone of it): the parts and
// plate of `layout`, the loaded twins, outlines and drawings of `job`.
PosedLayout poseLayout(const Nester& job, const Layout& layout,
                       PoseDetail detail = PoseDetail::kEverything);

// The outline as read brought to the pose of `working`: turned over across the horizontal
// line through its reference point, moved, then turned about the working reference point.
Region posedRegion(const Region& region, const PlacedPart& working);

// What is wrong when the working outline of a part does not hold its cut outline (the part
// would be cut over its neighbours and beyond the plate): a working outline of fewer than
// three points, a vertex of the cut outline outside it, or the two outlines crossing.
// Empty when it holds it. Points of the cut polygon within its chord-height error of the
// working outline count as held: its chords of a hollow arc stand off the true arc.
std::string workingOutlineFault(const PlacedPart& working, const PlacedPart& cut);

// The drawing brought to the pose of `working`; `twin` is the part as loaded, in the frame of
// the drawing. A turned-over arc is stored counterclockwise again, its angles reflected.
PartDrawing posedDrawing(const PartDrawing& drawing, const PlacedPart& twin,
                         const PlacedPart& working);

}  // namespace platenest
