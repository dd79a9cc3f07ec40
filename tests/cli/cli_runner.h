// Runs the built `platenest` program the way an operator's script does, in a private
// folder, and hands back its exit status and what it printed.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "test_support/library_text.h"
#include "test_support/scratch_folder.h"

namespace platenest::testing {

struct CliRun {
  int status = -1;  // the exit status; -1 when the program did not end normally
  std::string out;  // standard output
  std::string err;  // standard error
};

// A scratch folder the program runs in: in its subfolder `work`, with what the program
// prints kept beside it.
class CliFolder {
 public:
  CliFolder();

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
  ScratchFolder root_{"platenest-cli"};
  std::filesystem::path work_;
};

// Lines joined with CR LF and ended with one, as the cutting shop's files are written.
std::string crlfLines(std::initializer_list<std::string_view> lines);

// The header of a text part library with the three captions at their fixed widths.
std::string textLibraryHeader(double plateLength, double plateWidth, double gap);

}  // namespace platenest::testing
