// The outlines the fit tests compare. The loaded polygons cut arcs into chords, and the chords
// of an arc whose centre lies on the material side (a rounded corner, a round part) run inside
// the material: two parts grown by half the gap from those chords could be cut closer than
// the gap, or into each other. The working outline of a part with arcs therefore runs along
// tangents there, so it holds all the material as it will be cut; its holes keep chords that
// stay inside the true holes. Parts without arcs keep their loaded polygons unchanged.
#pragma once

#include "geometry/part_drawing.h"
#include "geometry/region.h"
#include "job/placed_part.h"

namespace platenest {

class Nester;

// True when some edge of the region is an arc.
bool hasArcs(const Region& region);

// The working polygons of a region, in the region's own pose (as toPlacedPart gives it).
PlacedPart workingPartOf(const Region& region);

// The working polygons of a drawn part, in the frame of the drawing; false when its lines,
// arcs and circles do not close into outlines (the loaded polygons then stay in use).
bool workingPartOf(const PartDrawing& drawing, double chordError, PlacedPart& out);

// Whether a point lies in the material of a drawing: inside an odd number of its outlines,
// arcs and circles followed to within a thousandth of a millimetre.
bool drawingMaterialContains(const PartDrawing& drawing, const Point& p);

// Gives every part of the job that has arcs its working outline at its present pose, before
// the parts are grown by half the gap. Area, centroid and box follow the new outline.
void useWorkingOutlines(Nester& nester);

}  // namespace platenest
