// What the reader fuzz targets share: a private working folder (the readers write their
// check report and error log beside the job), a sink that swallows the readers' warnings,
// and the load flow run on a file written from the fuzzer's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include <unistd.h>

#include "loading/load.h"
#include "nesting/nester.h"
#include "support/fatal_error.h"
#include "support/messages.h"

namespace platenest::fuzz {

class SilentSink : public MessageSink {
 public:
  void show(std::string_view, std::string_view) override {}
};

// Moves the process into a folder of its own for the whole run, so that the files the load
// flow writes relative to the current directory never land in the caller's.
inline const std::filesystem::path& workFolder() {
  static const std::filesystem::path folder = [] {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("platenest-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    std::filesystem::current_path(path);
    static SilentSink sink;
    setMessageSink(&sink);
    return path;
  }();
  return folder;
}

inline void writeBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Loads the job at `path` as the command line does. A refusal (FatalError) is a right
// answer to a bad file; anything else escapes to the fuzzer as a finding.
inline void loadJob(const std::filesystem::path& path, LoadType loadType) {
  std::error_code ignored;
  std::filesystem::remove("PackError.txt", ignored);
  std::filesystem::remove("error-log.txt", ignored);
  try {
    LoadReport report;
    openLibrary(path, loadType, workFolder() / "error-log.txt", LoadOptions{}, report);
  } catch (const FatalError&) {
  }
}

}  // namespace platenest::fuzz
