// One DXF drawing per part with the polygons the engine works with (grown by the gap).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "geometry/polygon.h"
#include "support/text_writer.h"

namespace platenest {

class Nester;
class PlacedPart;

// A part name made safe as a file name inside the output folder.
std::string safeFileName(std::string_view name);
void writePolygonLines(TextWriter& out, const Polygon& polygon);
void writePartEntities(TextWriter& out, const PlacedPart& part);
// Writes <name>.dxf for every part into `folder`.
void exportPartsDxf(const Nester& nester, const std::filesystem::path& folder = ".");

}  // namespace platenest
