// A picture of the layout for the operator's browser: plate, true outlines with holes,
// names, the packing-length line; turned-over parts in their own colour; y pointing up.
#pragma once

#include <filesystem>

namespace platenest {

class Nester;

// UTF-8. Throws FatalError ("排样文件输出失败!") when the file cannot be opened.
void writeLayoutSvg(const Nester& nester, const std::filesystem::path& path);

}  // namespace platenest
