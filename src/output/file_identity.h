// Whether an output would land on a file the job is read from: one path against another, or
// one path against a whole set of input files at the cost of one look-up.
#pragma once

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace platenest {

// Whether the two paths name the same file (through links too). A path that names no
// file yet is compared by its absolute, normal form.
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// The files of a job, asked of one path at a time: holds(path) is true exactly when
// sameFile(path, input) holds for some input, after one status query of `path` instead of
// one per input (a DXF list of ten thousand drawings).
class FileSet {
 public:
  FileSet() = default;
  explicit FileSet(const std::vector<std::filesystem::path>& files);
  bool holds(const std::filesystem::path& path) const;

 private:
  // Files that exist, by device and file number; the normal forms of those that do not
  // exist, of those whose status could not be read, and of those that exist (a path whose
  // status cannot be read is compared by name with all of them).
  std::set<std::pair<std::uint64_t, std::uint64_t>> existing_;
  std::set<std::string> existingNames_;
  std::set<std::string> missingNames_;
  std::set<std::string> unknownNames_;
};

}  // namespace platenest
