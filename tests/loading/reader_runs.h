// The readers run the way the load flow runs them: the job read, then handed to the nester
// (settings, plate, gap, lists front-inserted), without the checks that follow. The reader
// tests check the nester's state after this first step of the load.
#pragma once

#include <filesystem>
#include <utility>
#include <vector>

#include "loading/load.h"
#include "readers/dxf_list_file.h"
#include "readers/part_list_file.h"
#include "readers/text_library.h"

namespace platenest {

inline void readTextLibrary(Nester& nester, TextWriter& errorLog,
                            const std::filesystem::path& path, std::vector<RejectedPart>& rejected) {
  Job job = readTextLibrary(path, errorLog);
  rejected = job.rejected;
  applyJob(nester, std::move(job));
}
inline void readTextLibrary(Nester& nester, TextWriter& errorLog,
                            const std::filesystem::path& path) {
  std::vector<RejectedPart> rejected;
  readTextLibrary(nester, errorLog, path, rejected);
}

inline void readPartListFile(Nester& nester, const std::filesystem::path& path,
                             const std::filesystem::path& checkReportPath,
                             std::vector<RejectedPart>& rejected) {
  Job job = readPartListFile(path, checkReportPath);
  rejected = job.rejected;
  applyJob(nester, std::move(job));
}
inline void readPartListFile(Nester& nester, const std::filesystem::path& path,
                             const std::filesystem::path& checkReportPath) {
  std::vector<RejectedPart> rejected;
  readPartListFile(nester, path, checkReportPath, rejected);
}

inline void readDxfListFile(Nester& nester, const std::filesystem::path& path,
                            std::vector<RejectedPart>& rejected) {
  Job job = readDxfListFile(path);
  rejected = job.rejected;
  applyJob(nester, std::move(job));
}
inline void readDxfListFile(Nester& nester, const std::filesystem::path& path) {
  std::vector<RejectedPart> rejected;
  readDxfListFile(nester, path, rejected);
}

}  // namespace platenest
