// What undo and the reduction run's restore rest on: the pose and selection of every part of
// a nester, and the plate they were laid out on, taken cheaply before a command and put back
// exactly afterwards.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/point.h"
#include "geometry/polygon.h"
#include "geometry/region.h"
#include "nesting/packing_grid.h"
#include "job/part_lists.h"
#include "job/placed_part.h"

namespace platenest {

class Nester;

// One part as it stood: its polygons (holes in their list order), the figures derived from
// them and its pose bookkeeping. The outline's revision travels with the polygons, so the
// search's caches know a restored outline as the one they saw before.
struct PartState {
  std::int32_t id = 0;
  Polygon outer;
  std::vector<Polygon> holes;
  TextLabel label;
  TextLabel secondLabel;
  PlacedPart::Figures figures;
  bool selected = false;
  bool mirrored = false;
  Point refPoint;
  double rotation = 0.0;
};

// The plate and the grid's occupancy go with the parts: a layout command continued after a
// restore must find the engine exactly as it was. The grid is put back only while the
// plate and PPD are the ones it was built for; otherwise it is rebuilt when next needed.
struct NesterSnapshot {
  Plate plate;
  double packingPointDistance = 0.0;
  PackingGrid packingPoints;
  std::int32_t packingRows = 0;
  std::int32_t packingColumns = 0;
  bool packingPointsDirty = true;
  std::vector<PartState> parts;  // in the order of the nester's parts
};

}  // namespace platenest
