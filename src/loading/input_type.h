// Tells which of the three input formats a job file is in when the operator did not say.
#pragma once

#include <filesystem>
#include <string_view>

#include "loading/load.h"

namespace platenest {

// A ".preSrc" file is a part-list file; a file whose fourth line names an existing folder
// and that has no line starting with "NAME" is a DXF list file; anything else (also a file
// that cannot be read, so that its reader reports it) is a text part library. The folder is
// looked for where the DXF list reader will look for it.
LoadType detectLoadType(const std::filesystem::path& path);

// "text part library", "DXF list file", "part-list file".
std::string_view loadTypeName(LoadType type);

}  // namespace platenest
