#include "cli/cli_runner.h"

#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>

#include "support/text_writer.h"

namespace platenest::testing {
namespace {

std::string shellQuoted(std::string_view text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

}  // namespace

CliFolder::CliFolder() : work_(root_ / "work") { std::filesystem::create_directory(work_); }

CliRun CliFolder::run(const std::vector<std::string>& arguments) const {
  return runWithFileLimit(arguments, 0);
}

CliRun CliFolder::runWithFileLimit(const std::vector<std::string>& arguments,
                                       int blocks) const {
  const std::filesystem::path outPath = root_ / "stdout.txt";
  const std::filesystem::path errPath = root_ / "stderr.txt";
  std::string command;
  if (blocks > 0) command = "ulimit -f " + std::to_string(blocks) + "; trap '' XFSZ; ";
  command += "cd ";
  command.append(shellQuoted(work_.string())).append(" && HOME=");
  command.append(shellQuoted(work_.string())).append(" ").append(shellQuoted(PLATENEST_CLI_PATH));
  for (const std::string& argument : arguments) command.append(" ").append(shellQuoted(argument));
  command.append(" >").append(shellQuoted(outPath.string()));
  command.append(" 2>").append(shellQuoted(errPath.string()));
  const int raw = std::system(command.c_str());
  CliRun result;
  result.status = (raw != -1 && WIFEXITED(raw)) ? WEXITSTATUS(raw) : -1;
  result.out = readBytes(outPath);
  result.err = readBytes(errPath);
  return result;
}

std::vector<std::string> CliFolder::fileNames() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(work_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string crlfLines(std::initializer_list<std::string_view> lines) {
  std::string result;
  for (std::string_view line : lines) {
    result += line;
    result += "\r\n";
  }
  return result;
}

std::string textLibraryHeader(double plateLength, double plateWidth, double gap) {
  return "PlateLength: " + formatG(plateLength) + "\r\n" + "PlateWidth: " + formatG(plateWidth) +
         "\r\n" + "PartToPartGap:" + formatG(gap) + "\r\n";
}

}  // namespace platenest::testing
