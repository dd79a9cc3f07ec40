#include "support/whole_file.h"

#include <exception>
#include <fstream>
#include <system_error>
#include <vector>

namespace platenest {

bool readWholeFile(const std::filesystem::path& path, std::string& bytes,
                   std::uintmax_t largest) {
  bytes.clear();
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error) || error) return false;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > largest) return false;
  try {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    // The size is only what the file had when asked: one still being written (or a file of
    // the kernel's, whose size reads 0) is held to the limit as its bytes arrive.
    bytes.reserve(static_cast<std::size_t>(size));
    std::vector<char> chunk(1 << 16);
    while (file) {
      file.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
      const auto got = static_cast<std::size_t>(file.gcount());
      if (got > largest - bytes.size()) {
        bytes.clear();
        bytes.shrink_to_fit();
        return false;
      }
      bytes.append(chunk.data(), got);
    }
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
