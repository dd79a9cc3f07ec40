// Tells which of the three input formats a job file is in when the operator did not say.
#pragma once

#include <filesystem>
#include <string_view>

#include "parts/load.h"

namespace platenest {

// A ".preSrc" file is a part-list file; a file whose fourth line names an existing folder
// and that has no line starting with "NAME" is a DXF list file; anything else (also a file
// that cannot be read, so that its reader reports it) is a text part library. A relative
// folder is looked up beside the list file, where the job is loaded from (see
// loadFolderFor).
LoadType detectLoadType(const std::filesystem::path& path);

// The folder to be current while a job of this type is read. A DXF list names its drawings
// folder, and a relative name means the folder beside the list: the list and its drawings
// travel together, and the operator's file dialog made the list's folder the current one.
// Empty for the other inputs, which are read from the current directory.
std::filesystem::path loadFolderFor(const std::filesystem::path& jobPath, LoadType type);

// "text part library", "DXF list file", "part-list file".
std::string_view loadTypeName(LoadType type);

}  // namespace platenest
