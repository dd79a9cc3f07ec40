// A DXF drawing as CAD programs save it, read into the plain lines, arcs and circles of its
// model space in millimetres: polylines with bulges, ellipses and splines, block inserts with
// their position, scale, rotation and mirroring, mirrored extrusions and the drawing's units.
// Geometry on layers that are not cut (dimensions, centre lines, text, marking, frames) is
// left out.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/arc.h"
#include "geometry/region.h"
#include "geometry/segment.h"

namespace platenest {

// How the DXF reader treats a drawing; the defaults suit drawings saved in millimetres with
// the cut geometry on layers of any name but the ones listed in kDxfSkippedLayerWords.
struct DxfReadOptions {
  // End points this close (mm) are joined; a larger gap leaves the outline open.
  double joinTolerance = 0.1;
  // When not empty, only these layers (any letter case) are cut.
  std::vector<std::string> cutLayers;
};

// A layer whose name holds one of these words (any letter case) is not cut by default, nor
// the layer named exactly "CL".
inline constexpr const char* kDxfSkippedLayerWords[] = {
    "DEFPOINTS", "DIM", "CENTER", "CENTRE", "TEXT", "NOTE", "ETCH", "MARK",
    "ENGRAV", "FRAME", "BORDER", "TITLE", "HATCH", "VIEWPORT"};

// A TEXT value keeps at most this many bytes.
inline constexpr std::size_t kDxfTextLimit = 48;
// Arc angles (degrees) beyond this are refused: the arc setter winds the end angle up in
// steps of 360, and a corrupt angle of 1e300 would keep it winding for ever.
inline constexpr double kDxfMaxAngle = 1e6;
// Cuts a TEXT value to kDxfTextLimit bytes without splitting a character in two: names are
// UTF-8 or GBK bytes, and half a character would spoil the name in every report.
std::string cutDxfText(std::string_view text);

// Coordinates and radii beyond this (mm, after units and scale) refuse the drawing: no plate
// part is 10 km across, and the work of cutting such arcs grows with them.
inline constexpr double kDxfLargestCoordinate = 1e7;
// A LINE shorter than this, or a CIRCLE or ARC of a smaller radius (mm), is a CAD leftover
// (a point drawn as a tiny circle, a line of no length): it carries no material and is skipped.
inline constexpr double kDxfEmptyLength = 1e-6;
// Ellipses, splines and arcs under an uneven scale become straight lines this close (mm).
inline constexpr double kDxfCurveFitTolerance = 0.01;
// More pieces than this refuse the drawing before any joining: reading stays within a second.
inline constexpr std::size_t kDxfMostPieces = 400000;
// Inserts nested deeper than this are taken for a block that inserts itself.
inline constexpr int kDxfDeepestInsert = 16;
// Control points one spline may have; each span of the curve is fitted on its own.
inline constexpr std::size_t kDxfMostSplinePoints = 20000;
// Entities visited through block inserts (each copy counted) beyond this refuse the drawing:
// blocks inserting blocks ten times over would otherwise multiply a small file into 10^8
// entities, most of which may make no line at all.
inline constexpr std::size_t kDxfMostInsertedEntities = 400000;

// The cut geometry of one drawing, in model space, in millimetres.
struct DxfGeometry {
  std::vector<Segment> lines;
  std::vector<Arc> arcs;  // counterclockwise, angles in degrees
  std::vector<Circle> circles;
  TextLabel label;        // from the last "name:" TEXT of model space, else the default
  TextLabel secondLabel;  // from the last "thick=" TEXT, else the default
  bool named = false;     // a "name:" TEXT was found
  // Empty when the drawing was read; else why it cannot be, in words the operator can act on.
  std::string refusal;
  // Only loose LINE, ARC and CIRCLE entities of model space, in millimetres, unscaled, all on
  // cut layers: the kind of drawing the plain line scanner reads.
  bool plain = true;
  // Entities left out: on layers that are not cut, or of kinds that are not cut.
  std::size_t skippedLayerEntities = 0;
  // LINE, CIRCLE and ARC entities of no length or radius, left out (kDxfEmptyLength).
  std::size_t emptyEntities = 0;
};

// Reads a drawing's bytes. A binary DXF is refused with "binary DXF is not supported".
DxfGeometry readDxfGeometry(std::string_view bytes, const DxfReadOptions& options);

// Whether the default list or the options cut the layer.
bool dxfLayerIsCut(std::string_view layer, const DxfReadOptions& options);

}  // namespace platenest
