// A drawn part written as its designer drew it: its lines, arcs and circles, turned over,
// moved and turned to the pose of the working part.
#pragma once

#include <string_view>

#include "geometry/part_drawing.h"
#include "job/placed_part.h"
#include "support/text_writer.h"

namespace platenest {

// The drawing brought to the pose of `working`; `twin` is the part as loaded, in the frame of
// the drawing. A turned-over arc is stored counterclockwise again, its angles reflected.
PartDrawing posedDrawing(const PartDrawing& drawing, const PlacedPart& twin,
                         const PlacedPart& working);

// Every line, arc and circle of the drawing; colour < 0 writes no colour group.
void writeDrawingEntities(TextWriter& out, const PartDrawing& drawing, int colour,
                          std::string_view layer);

}  // namespace platenest
