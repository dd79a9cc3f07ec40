#include "cli/bundled_example.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <system_error>

#include "bundled_example_data.h"
#include "support/fatal_error.h"

namespace platenest {

std::string_view bundledExampleBytes() {
  return {reinterpret_cast<const char*>(kBundledExampleBytes), kBundledExampleBytesSize};
}

TemporaryJobFile::TemporaryJobFile(std::string_view bytes, std::string_view fileName) {
  std::error_code error;
  std::filesystem::path base = std::filesystem::temp_directory_path(error);
  if (error) base = "/tmp";
  std::string pattern = (base / "platenest-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw FatalError(FatalChannel::kStandardError, "",
                     "cannot make a temporary folder for the bundled example job in " +
                         base.string() + ": " + std::strerror(errno));
  }
  folder_ = pattern;
  path_ = folder_ / std::string(fileName);
  std::ofstream file(path_, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) {
    std::filesystem::remove_all(folder_, error);
    throw FatalError(FatalChannel::kStandardError, "",
                     "cannot write the bundled example job to " + path_.string());
  }
}

TemporaryJobFile::~TemporaryJobFile() {
  std::error_code ignored;  // a leftover temporary file is not worth failing a finished run
  std::filesystem::remove_all(folder_, ignored);
}

}  // namespace platenest
