// The layout drawing: plate, every part's true outline with arcs at its place, names,
// the packing-length line and three summary texts.
#pragma once

#include <filesystem>

namespace platenest {

class Nester;

// Throws FatalError ("排样文件输出失败!") when the file cannot be opened.
void writeLayoutDxf(const Nester& nester, const std::filesystem::path& path);

}  // namespace platenest
