// From the operator's chosen file to a job ready for layout: a fresh nester, the reader of
// the file's kind, validation with the error log, conversion, orientation, sorting by area,
// growth by half the gap, and parking beside the plate.
#pragma once

#include <filesystem>
#include <memory>

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
};

// Runs the reader, then validates, converts, orients, sorts, offsets and parks.
void load(Nester& nester, const std::filesystem::path& path, LoadType loadType,
          const LoadOptions& options = {});

// A new nester (its error log at errorLogPath) with the file loaded into it.
std::unique_ptr<Nester> openLibrary(const std::filesystem::path& path, LoadType loadType,
                                    const std::filesystem::path& errorLogPath,
                                    const LoadOptions& options = {});

// "PackError.txt" in the home directory ($HOME; the current directory when unset).
std::filesystem::path defaultErrorLogPath();

}  // namespace platenest
