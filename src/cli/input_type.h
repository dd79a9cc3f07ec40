// Tells which of the three input formats a job file is in when the operator did not say.
#pragma once

#include <filesystem>
#include <string_view>

#include "parts/load.h"

namespace platenest {

// A ".preSrc" file is a part-list file; a file whose fourth line names an existing folder
// and that has no line starting with "NAME" is a DXF list file; anything else (also a file
// that cannot be read, so that its reader reports it) is a text part library. A relative
// folder is looked up from the current directory, as the DXF list reader will.
LoadType detectLoadType(const std::filesystem::path& path);

// "text part library", "DXF list file", "part-list file".
std::string_view loadTypeName(LoadType type);

}  // namespace platenest
