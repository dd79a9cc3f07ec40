#include "app/job_file_type.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "readers/dxf_list_file.h"

namespace platenest {

LoadType jobFileType(const std::filesystem::path& path) {
  const std::string extension = path.extension().string();
  constexpr std::string_view kPartListExtension = ".preSrc";
  if (std::equal(extension.begin(), extension.end(), kPartListExtension.begin(),
                 kPartListExtension.end(), [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) ==
                          std::tolower(static_cast<unsigned char>(b));
                 })) {
    return LoadType::kPartList;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) return LoadType::kTextLibrary;
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    // A part library names its parts; a DXF list never does.
    if (std::string_view(bytes).substr(start, 4) == "NAME") return LoadType::kTextLibrary;
    start = end + 1;
  }
  return dxfListFolder(path) ? LoadType::kDxfList : LoadType::kTextLibrary;
}

}  // namespace platenest
