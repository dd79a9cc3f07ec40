// Runs the built `platenest` program the way an operator's script does, in a private
// folder, and hands back its exit status and what it printed.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace platenest::testing {

struct CliRun {
  int status = -1;  // the exit status; -1 when the program did not end normally
  std::string out;  // standard output
  std::string err;  // standard error
};

// A fresh folder under the system's temporary folder, removed with the object. Programs run
// in its subfolder `work`; what they print is kept beside it.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& work() const { return work_; }
  std::filesystem::path operator/(const std::filesystem::path& relative) const {
    return work_ / relative;
  }

  // Runs platenest with these arguments in work(), with HOME pointing at work() so that the
  // default error log never lands in the real home folder.
  CliRun run(const std::vector<std::string>& arguments) const;
  // As run(), with files the program writes limited to `blocks` of 512 bytes (a full disk
  // as the program sees it: a write beyond the limit fails).
  CliRun runWithFileLimit(const std::vector<std::string>& arguments, int blocks) const;

  // Files directly in work() (names only), sorted.
  std::vector<std::string> fileNames() const;

 private:
  std::filesystem::path root_;
  std::filesystem::path work_;
};

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, std::string_view bytes);

// Lines joined with CR LF and ended with one, as the cutting shop's files are written.
std::string crlfLines(std::initializer_list<std::string_view> lines);

// The header of a text part library with the three captions at their fixed widths.
std::string textLibraryHeader(double plateLength, double plateWidth, double gap);

// A NAME block for a w x h rectangle with its lower-left corner at the origin.
std::string rectangleBlock(std::string_view name, double w, double h);

}  // namespace platenest::testing
