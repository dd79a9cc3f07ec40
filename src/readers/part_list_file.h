// The part-list file ("*.preSrc"): a CONFIGINFO block of job settings and one PARTINFO
// block per part; every part's arcs are checked and repaired into the check report.
#pragma once

#include <filesystem>

#include "job/job.h"

namespace platenest {

// Reads the whole file: the settings block (and with it the plate and the gap) and one
// region per usable entry, in file order. The check report ("PackError.txt" in the current
// directory) is appended to. The entries left out (a point block that does not hold its
// announced number of records or fewer than 3, or an outline the repair cannot mend) are
// listed in job.rejected. Throws FatalError when the file cannot be opened, the check report
// cannot be written or the settings give a zero plate size (the message names the file).
Job readPartListFile(const std::filesystem::path& path,
                     const std::filesystem::path& checkReportPath = "PackError.txt");

}  // namespace platenest
