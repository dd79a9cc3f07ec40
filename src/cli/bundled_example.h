// The example job that ships inside the program: `platenest layout` without a job lays it
// out, so that a new user sees a whole run without preparing any input.
#pragma once

#include <filesystem>
#include <string_view>

namespace platenest {

// The bytes of examples/job.txt (a text part library, CR LF line ends).
std::string_view bundledExampleBytes();

// A private temporary folder holding one file with the given bytes, for the readers, which
// read from a path. Removed with the object. Throws FatalError when it cannot be written.
class TemporaryJobFile {
 public:
  TemporaryJobFile(std::string_view bytes, std::string_view fileName);
  ~TemporaryJobFile();
  TemporaryJobFile(const TemporaryJobFile&) = delete;
  TemporaryJobFile& operator=(const TemporaryJobFile&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path folder_;
  std::filesystem::path path_;
};

}  // namespace platenest
