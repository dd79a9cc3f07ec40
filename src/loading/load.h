// From the operator's chosen file to a job ready for layout: a fresh nester, the reader of
// the file's kind, validation with the error log, conversion, orientation, sorting by area,
// growth by half the gap, and parking beside the plate.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "job/job.h"
#include "readers/dxf_drawing.h"
#include "nesting/nester.h"

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

// Runs the reader, then validates, converts, orients, sorts, offsets and parks.
void load(Nester& nester, const std::filesystem::path& path, LoadType loadType,
          const LoadOptions& options = {});
// As above, and says which parts were loaded and which rejected, and why.
void load(Nester& nester, const std::filesystem::path& path, LoadType loadType,
          const LoadOptions& options, LoadReport& report);

// A new nester (its error log at errorLogPath) with the file loaded into it.
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
