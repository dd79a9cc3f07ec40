// The machine-readable summary of a job (--json): plate, settings, layout statistics and
// every part of the working list with the polygons the engine tests. UTF-8, for scripts.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "job/job.h"
#include "nesting/optimiser.h"

namespace platenest {

class Nester;

// The summary as JSON text. `seconds` is the time of the command that laid the job out
// (0 when nothing was laid out). Numbers are written to full precision; a value that is not
// finite (the density of an empty plate) is written as null.
// The parts rejected at load are listed under "rejected" (name, reason, detail) when any are.
// After the optimising layout, `optimised` adds "mode", "iterations", "improvements" and the
// figures of the Layout All it started from ("layoutAll"), so a script can see the gain.
std::string jsonSummary(const Nester& nester, double seconds,
                        const std::vector<RejectedPart>& rejected = {},
                        const OptimiseResult* optimised = nullptr);

// Writes jsonSummary to `path`. Throws FatalError when the file cannot be written.
void writeJsonSummary(const Nester& nester, double seconds, const std::filesystem::path& path,
                      const std::vector<RejectedPart>& rejected = {},
                      const OptimiseResult* optimised = nullptr);

}  // namespace platenest
