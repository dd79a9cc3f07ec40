// One DXF drawing per part with the polygons the engine works with (grown by the gap).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/polygon.h"
#include "output/file_identity.h"
#include "support/text_writer.h"

namespace platenest {

class Nester;
class PlacedPart;

// A part name made safe as a file name inside the output folder.
std::string safeFileName(std::string_view name);
void writePolygonLines(TextWriter& out, const Polygon& polygon);
void writePartEntities(TextWriter& out, const PlacedPart& part);
struct ExportedDrawing {
  std::filesystem::path path;
  bool renamed = false;  // the part's own name was taken: "NAME (2).dxf" and so on
};

// Writes <name>.dxf for every part into `folder`. A part whose name an earlier part took, or
// whose file would be one of `keepOff` (the job's own files), gets "<name> (2).dxf", then
// "(3)", and so on. Returns the drawings written, in the order of the parts. The nester's
// progress counts the drawings; once it is cancelled, no further drawing is begun.
std::vector<ExportedDrawing> exportPartsDxf(const Nester& nester,
                                            const std::filesystem::path& folder = ".",
                                            const std::vector<std::filesystem::path>& keepOff = {});

}  // namespace platenest
