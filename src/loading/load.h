// From the operator's chosen file to a job ready for layout: the error log with its dated
// header, a fresh nester, the reader of the file's kind, validation written to the error log,
// conversion, orientation, sorting by area, growth by half the gap, and parking beside the
// plate.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "job/job.h"
#include "readers/dxf_drawing.h"
#include "nesting/nester.h"
#include "support/text_writer.h"

namespace platenest {

enum class LoadType {
  kTextLibrary = 1,  // "OpenLibIn&Txt"
  kDxfList = 2,      // "OpenLibIn&Dxf"
  kPartList = 3,     // "OpenLibIn&Marlin"
};

struct LoadOptions {
  // Skip the turn to the least-box orientation (for jobs whose parts may only take the
  // orientations they were given).
  bool keepOrientation = false;
  // How the drawings of a DXF list are read.
  DxfReadOptions dxf;
};

// What a load made of its input.
struct LoadReport {
  int loadedCount = 0;  // parts in nester.parts after the load
  std::vector<RejectedPart> rejected;  // in the order they were found
};

// Opens the error log for appending and writes the job's dated header, one line a job
// ("2024年3月7日, 9时5分30秒"), so that the lines of each job can be told apart. Throws
// FatalError ("排样错误报告文件输出失败!") when it cannot be opened.
TextWriter openErrorLog(const std::filesystem::path& path);

// Runs the reader, then validates, converts, orients, sorts, offsets and parks; says which
// parts were loaded and which rejected, and why. The rejections and the failed checks are
// written to `errorLog`, which is flushed at the end.
void load(Nester& nester, TextWriter& errorLog, const std::filesystem::path& path,
          LoadType loadType, const LoadOptions& options, LoadReport& report);

// A new nester with the file loaded into it, writing to `errorLog` (kept by the caller, who
// may check it after the run).
std::unique_ptr<Nester> openLibrary(const std::filesystem::path& path, LoadType loadType,
                                    TextWriter& errorLog, const LoadOptions& options,
                                    LoadReport& report);
// As above, with the error log at errorLogPath opened for the load (openErrorLog).
std::unique_ptr<Nester> openLibrary(const std::filesystem::path& path, LoadType loadType,
                                    const std::filesystem::path& errorLogPath,
                                    const LoadOptions& options = {});
std::unique_ptr<Nester> openLibrary(const std::filesystem::path& path, LoadType loadType,
                                    const std::filesystem::path& errorLogPath,
                                    const LoadOptions& options, LoadReport& report);

// Gives the nester a part list's settings: it keeps the block as read (the reduction limits
// and the stored-only values) and takes its plate size, gap and turnover. The caller sets the
// plate and its rectangle afterwards.
void applyConfig(Nester& nester, const NestConfig& config);

// Hands a job as read to the nester: settings, plate and its rectangle, gap, then the
// regions and the ready-made parts, each list front-inserted in file order as the nester
// keeps them. The caller goes on with the checks of the load flow.
void applyJob(Nester& nester, Job job);

// "PackError.txt" in the home directory ($HOME; the current directory when unset).
std::filesystem::path defaultErrorLogPath();

}  // namespace platenest
