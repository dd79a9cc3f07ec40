// Which load command a job file named on the command line belongs to.
#pragma once

#include <filesystem>

#include "loading/load.h"

namespace platenest {

// As the command line decides it: a ".preSrc" file is a part-list file; a file whose
// fourth line names an existing folder and that has no line starting with "NAME" is a DXF
// list file; anything else is a text part library (whose reader reports a file it cannot
// read).
LoadType jobFileType(const std::filesystem::path& path);

}  // namespace platenest
