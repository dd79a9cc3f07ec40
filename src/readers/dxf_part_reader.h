// One part drawn in a DXF file of its own: LINE, ARC and CIRCLE entities give the outline and
// the holes, TEXT entities give the name ("name:...") and the thickness ("thick=...").
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "geometry/lists.h"
#include "geometry/part_drawing.h"
#include "geometry/region.h"
#include "job/placed_part.h"
#include "readers/dxf_drawing.h"
#include "support/line_reader.h"

namespace platenest {

// Every read takes one line of at most 99 bytes, as a 100-byte fgets buffer holds.
inline constexpr int kDxfLineBuffer = 100;
// Radii (mm) beyond this are refused: no plate part is 100 km across, and the chords of such
// an arc alone would exhaust memory.
inline constexpr double kDxfMaxRadius = 1e8;

// The loose entities of one drawing, each list filled at the front as the file is read.
struct DxfEntities {
  SegmentList segments;
  CircleList circles;
  ArcList arcs;
  TextLabel label;        // from the last "name:" TEXT, else the default label
  TextLabel secondLabel;  // from the last "thick=" TEXT, else the default label
  // A CIRCLE or ARC carried a radius or an angle no drawing can mean.
  bool unusable = false;
  // The last line read outside an entity (blank lines aside) is the closing "EOF": the
  // drawing was not cut short.
  bool endOfFile = false;
};

// Collects the entities from the lines of a drawing. The scanner reacts only to exact
// entity-name lines and to right-aligned group codes; sections, layers and handles pass by.
void scanDxfEntities(LineReader& reader, DxfEntities& entities);

// Chains the chords in `work` (consuming them) into closed polygons, inserted at the front of
// `polygons`. False, after the chain message, when a chain has fewer than 3 points, does not
// close within 0.5 mm or encloses no area; false without a message when no polygon comes out.
bool buildPolygons(SegmentList& work, PolygonList& polygons);
// The largest polygon (the first among equals) is the outline; the others, inserted at the
// front in list order, are its holes.
void splitOuterAndHoles(const PolygonList& polygons, Polygon& outer, PolygonList& holes);

// Fills a default-constructed part from the drawing; true when the part is usable. False
// without a message when the file cannot be opened (the caller names the file). A drawing
// without its closing "EOF" is read as it is, with a warning that it may be cut short.
bool readDxfPart(PlacedPart& part, const std::filesystem::path& path);
// The same from a reader already opened on the drawing's bytes.
bool readDxfPart(PlacedPart& part, LineReader& reader);
// The same, keeping the drawing's lines, arcs and circles as read in `drawing`.
bool readDxfPart(PlacedPart& part, const std::filesystem::path& path, PartDrawing& drawing);
bool readDxfPart(PlacedPart& part, LineReader& reader, PartDrawing& drawing);
// What readDxfPart does once the entities are collected: they are cut into chords with the
// part's chord tolerance, chained into polygons and split into the outline and its holes; the
// chain messages are shown. `drawing` keeps the lines, arcs and circles.
bool dxfPartFromEntities(PlacedPart& part, const DxfEntities& entities, PartDrawing& drawing);

}  // namespace platenest
