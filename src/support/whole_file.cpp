#include "support/whole_file.h"

#include <exception>
#include <fstream>
#include <iterator>
#include <system_error>

namespace platenest {

bool readWholeFile(const std::filesystem::path& path, std::string& bytes) {
  bytes.clear();
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error) || error) return false;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kLargestInputBytes) return false;
  try {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad()) {
      bytes.clear();
      return false;
    }
  } catch (const std::exception&) {
    // The stream library reports some read errors by throwing whatever the stream's mask.
    bytes.clear();
    return false;
  }
  return true;
}

}  // namespace platenest
