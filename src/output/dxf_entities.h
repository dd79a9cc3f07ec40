// The entity writers of the DXF drawings: group codes as three-character strings, values
// on the next line, real numbers as "%g", CR LF line ends.
#pragma once

#include <string_view>

#include "geometry/arc.h"
#include "geometry/contour.h"
#include "geometry/polygon.h"
#include "geometry/region.h"
#include "support/text_writer.h"

namespace platenest {

void writeDxfOpening(TextWriter& out);  // "  0", "SECTION", "  2", "ENTITIES", "  0"
void writeDxfClosing(TextWriter& out);  // "ENDSEC", "  0", "EOF"
void writeLine(TextWriter& out, const Point& p1, const Point& p2, std::string_view layer);
void writeColouredLine(TextWriter& out, const Point& p1, const Point& p2, int colour,
                       std::string_view layer);
void writeArc(TextWriter& out, const Arc& arc, int colour, std::string_view layer);
// `text` is written as the bytes it holds (part names are kept as read).
void writeText(TextWriter& out, double x, double y, double angle, double height,
               std::string_view text, std::string_view layer);
void writeContourEntities(TextWriter& out, const Contour& contour, int colour,
                          std::string_view layer);
void writeRegionEntities(TextWriter& out, const Region& region, int colour,
                         std::string_view layer, std::string_view textLayer);

}  // namespace platenest
