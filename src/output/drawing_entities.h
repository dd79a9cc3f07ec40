// A drawn part written as its designer drew it: its lines, arcs and circles, as the posed
// view of the layout gives them at the part's pose.
#pragma once

#include <string_view>

#include "geometry/part_drawing.h"
#include "support/text_writer.h"

namespace platenest {

// Every line, arc and circle of the drawing; colour < 0 writes no colour group.
void writeDrawingEntities(TextWriter& out, const PartDrawing& drawing, int colour,
                          std::string_view layer);

}  // namespace platenest
