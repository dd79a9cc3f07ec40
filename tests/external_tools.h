// Running the independent tools the tests check our files with (Python and its readers).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace platenest::testing {

// A Python 3 that can import the given module (empty for the standard library), or empty.
inline std::string findPython(const std::string& module = {}) {
  for (const char* candidate : {"/usr/bin/python3", "python3"}) {
    std::string command = std::string(candidate) + " -c \"import sys";
    if (!module.empty()) command += ", " + module;
    command += "\" > /dev/null 2>&1";
    if (std::system(command.c_str()) == 0) return candidate;
  }
  return {};
}

// Runs a command and returns what it printed on standard output; `status` gets its exit code.
inline std::string runCommand(const std::string& command, int& status) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    status = -1;
    return output;
  }
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  status = pclose(pipe);
  return output;
}

}  // namespace platenest::testing
