// The loose lines, arcs and circles of a drawing joined into closed loops and sorted into
// parts: an outline with the loops directly inside it as its holes; a loop inside a hole is
// a part of its own. Pieces join in any order and direction; exact duplicates are dropped,
// overlapping collinear lines merged, and gaps up to the join tolerance closed with a short
// line, each closed gap reported with its place.
#pragma once

#include <string>
#include <vector>

#include "geometry/part_drawing.h"
#include "geometry/polygon.h"
#include "job/placed_part.h"
#include "readers/dxf_drawing.h"

namespace platenest {

// Chords the crossing and containment checks may cut a drawing's loops into; past it the
// checks cut more coarsely, up to the chord tolerance, and beyond that the drawing is refused.
inline constexpr std::size_t kDxfMostCheckChords = 1000000;
// Closed loops one drawing may hold: sorting loops into outlines and holes compares them in
// pairs.
inline constexpr std::size_t kDxfMostLoops = 10000;

// One part of a drawing: its outline and holes cut into chords for nesting, and the lines,
// arcs and circles that make them (with a line across every gap closed).
struct DxfLoopPart {
  Polygon outer;
  PolygonList holes;  // front-inserted, in the order found
  PartDrawing drawing;
};

struct DxfLoopParts {
  std::vector<DxfLoopPart> parts;  // ordered by outline, left to right, then bottom to top
  std::vector<std::string> closedGaps;  // "gap of 0.05 mm closed at (150, 0)"
  std::vector<Segment> closingLines;    // the line across each of them, in the same order
  // Empty when the loops made parts; else why not, naming the place.
  std::string refusal;
};

// Joins the geometry's pieces (mm) with `joinTolerance` and cuts arcs into chords no further
// than `chordTolerance` from the arc. Circles and arcs of every size are kept; one too
// small for the chord tolerance becomes a polygon of a few chords.
DxfLoopParts joinDxfLoops(const DxfGeometry& geometry, double joinTolerance,
                          double chordTolerance);

}  // namespace platenest
