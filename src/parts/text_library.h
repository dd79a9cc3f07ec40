// The text part library ("OpenLibIn&Txt"): plate size, gap, and NAME blocks of contours
// whose edges carry signed arc radii, closed by "#end".
#pragma once

#include <filesystem>
#include <vector>

#include "geometry/contour.h"
#include "geometry/region.h"
#include "parts/load.h"
#include "support/line_reader.h"

namespace platenest {

class Nester;

// Sets plate size and gap and inserts one region per part (front insertion) into
// nester.regions. Throws FatalError when the file cannot be opened, the plate size is zero,
// or a contour head counts one line or fewer (the message then names the file and line).
void readTextLibrary(Nester& nester, const std::filesystem::path& path);
// As above; a block the reader cannot make a part of (no contour, or a contour cut short by
// the end of the file or by the next block) is left out, written to the error log and listed
// in `rejected`.
void readTextLibrary(Nester& nester, const std::filesystem::path& path,
                     std::vector<RejectedPart>& rejected);

}  // namespace platenest
