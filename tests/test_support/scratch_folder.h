// A fresh, empty folder for one test, named after it and its process, and removed with it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platenest::testing {

class ScratchFolder {
 public:
  // Under the system's temporary folder; `area` keeps the suites of one program apart. Every
  // folder is new, also the second of one test: two at once never share their files.
  explicit ScratchFolder(std::string_view area = "platenest-tests");
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& relative) const {
    return path_ / relative;
  }
  // Writes `bytes` unchanged to a file of the folder (its folders made) and returns its path.
  std::filesystem::path write(const std::filesystem::path& relative, std::string_view bytes) const;

 private:
  std::filesystem::path path_;
};

// Makes `folder` the current folder for its lifetime and goes back afterwards: what a run
// writes to the current folder (reports, step drawings) stays out of the source tree.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::filesystem::path& folder);
  ~CurrentFolder();
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;

 private:
  std::filesystem::path previous_;
};

// The whole file as bytes; empty when it cannot be read.
std::string readBytes(const std::filesystem::path& path);
// Writes the bytes unchanged, replacing the file.
void writeBytes(const std::filesystem::path& path, std::string_view bytes);

}  // namespace platenest::testing
