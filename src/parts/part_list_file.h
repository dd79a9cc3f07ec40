// The part-list file ("*.preSrc"): a CONFIGINFO block of job settings and one PARTINFO
// block per part; every part's arcs are checked and repaired into the check report.
#pragma once

#include <filesystem>
#include <vector>

#include "parts/load.h"

namespace platenest {

class Nester;

// Reads the whole file into nester.regions and the job settings. The check report
// ("PackError.txt" in the current directory) is appended to.
void readPartListFile(Nester& nester, const std::filesystem::path& path,
                      const std::filesystem::path& checkReportPath = "PackError.txt");
// As above; the entries left out (a point block that does not hold its announced number of
// records or fewer than 3, or an outline the repair cannot mend) are listed in `rejected`.
void readPartListFile(Nester& nester, const std::filesystem::path& path,
                      const std::filesystem::path& checkReportPath,
                      std::vector<RejectedPart>& rejected);

}  // namespace platenest
