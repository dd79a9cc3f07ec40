// The short report on standard output after a command: the job as loaded, and after a
// layout which parts found a place and how well the plate is used.
#pragma once

#include <ostream>
#include <string>

#include "loading/load.h"

namespace platenest {

class Nester;

// Where the job came from, for the first line of the summary.
struct JobOrigin {
  std::string description;  // the job file's path, or "the bundled example job"
  LoadType loadType = LoadType::kTextLibrary;
};

// Job, plate, parts loaded and rejected (by name, with the reason), RN, PPD, turnover.
void printLoadSummary(std::ostream& out, const Nester& nester, const JobOrigin& origin,
                      const LoadReport& report);

// Parts placed and not placed (by name), packing length, density, and the timing message of
// the last layout command (none when empty).
void printLayoutSummary(std::ostream& out, const Nester& nester, const std::string& timingMessage);

// The rejection reason as one line: the error log's lines joined, without tabs.
std::string oneLineReason(const std::string& reason);

}  // namespace platenest
