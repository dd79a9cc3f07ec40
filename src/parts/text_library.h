// The text part library ("OpenLibIn&Txt"): plate size, gap, and NAME blocks of contours
// whose edges carry signed arc radii, closed by "#end".
#pragma once

#include <filesystem>

#include "geometry/contour.h"
#include "geometry/region.h"
#include "support/line_reader.h"

namespace platenest {

class Nester;

// Sets plate size and gap and inserts one region per part (front insertion) into
// nester.regions. Throws FatalError when the file cannot be opened, the plate size is zero,
// or a contour head counts one line or fewer (the message then names the file and line).
void readTextLibrary(Nester& nester, const std::filesystem::path& path);

}  // namespace platenest
