// The DXF list file ("OpenLibIn&Dxf"): plate size, gap and a folder whose *.dxf drawings
// are read as one part each, straight into nester.parts.
#pragma once

#include <filesystem>

namespace platenest {

class Nester;
class PlacedPart;

void readDxfListFile(Nester& nester, const std::filesystem::path& path);
// Reads one single-part drawing: LINE, ARC and CIRCLE outlines, "name:" and "thick=" texts.
bool readDxfPart(PlacedPart& part, const std::filesystem::path& path);

}  // namespace platenest
