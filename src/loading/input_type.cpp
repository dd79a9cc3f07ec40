#include "loading/input_type.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "readers/dxf_list_file.h"
#include "support/whole_file.h"

namespace platenest {
namespace {

bool hasExtension(const std::filesystem::path& path, std::string_view wanted) {
  const std::string extension = path.extension().string();
  return std::equal(extension.begin(), extension.end(), wanted.begin(), wanted.end(),
                    [](char a, char b) {
                      return std::tolower(static_cast<unsigned char>(a)) ==
                             std::tolower(static_cast<unsigned char>(b));
                    });
}

}  // namespace

LoadType detectLoadType(const std::filesystem::path& path) {
  if (hasExtension(path, ".preSrc")) return LoadType::kPartList;

  std::string bytes;
  if (!readWholeFile(path, bytes)) return LoadType::kTextLibrary;

  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string_view line(bytes.data() + start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // A part library names its parts; a DXF list never does.
    if (line.substr(0, 4) == "NAME") return LoadType::kTextLibrary;
    start = end + 1;
  }
  return dxfListFolder(path) ? LoadType::kDxfList : LoadType::kTextLibrary;
}

std::string_view loadTypeName(LoadType type) {
  switch (type) {
    case LoadType::kTextLibrary:
      return "text part library";
    case LoadType::kDxfList:
      return "DXF list file";
    case LoadType::kPartList:
      return "part-list file";
  }
  return "unknown input";
}

}  // namespace platenest
