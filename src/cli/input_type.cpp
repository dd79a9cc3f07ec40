#include "cli/input_type.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

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

  std::ifstream file(path, std::ios::binary);
  if (!file) return LoadType::kTextLibrary;
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());

  std::string fourthLine;
  std::size_t lineNumber = 0;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string_view line(bytes.data() + start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // A part library names its parts; a DXF list never does.
    if (line.substr(0, 4) == "NAME") return LoadType::kTextLibrary;
    if (++lineNumber == 4) fourthLine = line;
    start = end + 1;
  }
  std::error_code error;
  if (!fourthLine.empty() &&
      std::filesystem::is_directory(loadFolderFor(path, LoadType::kDxfList) / fourthLine, error)) {
    return LoadType::kDxfList;
  }
  return LoadType::kTextLibrary;
}

std::filesystem::path loadFolderFor(const std::filesystem::path& jobPath, LoadType type) {
  if (type != LoadType::kDxfList) return {};
  return std::filesystem::absolute(jobPath).parent_path();
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
