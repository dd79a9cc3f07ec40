// The text part library ("OpenLibIn&Txt"): plate size, gap, and NAME blocks of contours
// whose edges carry signed arc radii, closed by "#end".
#pragma once

#include <filesystem>

#include "job/job.h"
#include "support/text_writer.h"

namespace platenest {

// The plate, the gap and one region per part, in file order. Throws FatalError when the
// file cannot be opened, the plate size is zero, or a contour head counts one line or fewer
// (the message then names the file and line). A block the reader cannot make a part of (no
// contour, or a contour cut short by the end of the file or by the next block) is left out,
// written to the error log and listed in job.rejected.
Job readTextLibrary(const std::filesystem::path& path, TextWriter& errorLog);

}  // namespace platenest
