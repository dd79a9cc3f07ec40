// The cut drawing of one plate for the CAM system: only the plate's parts, every coordinate
// written to full precision so that the ends of neighbouring lines and arcs meet exactly,
// millimetres declared in the header, and layers named for what they hold: OUTER_CONTOURS,
// INNER_CONTOURS, LABELS and PLATE. Arcs and circles stay arcs and circles.
#pragma once

#include <string>

#include "geometry/point.h"
#include "nesting/posed_layout.h"

namespace platenest {

// The plate as cut: its whole size, and where the layout's plate corner lies on it (the
// edge margin kept free along the border).
struct CutPlate {
  double length = 0.0;  // mm
  double width = 0.0;   // mm
  Point origin;
};

// The drawing of the parts on the plate of `view` (parts off the plate are left out), ASCII
// DXF (R12) with CR LF line ends. Names are written as UTF-8.
std::string cutDrawing(const PosedLayout& view, const CutPlate& plate);

// A picture of the same plate (SVG, UTF-8): plate, cut outlines with holes, names.
std::string plateSvg(const PosedLayout& view, const CutPlate& plate);

}  // namespace platenest
