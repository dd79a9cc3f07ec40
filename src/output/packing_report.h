// The packing report "Report.txt": packed length, density, area and the names of the
// parts on the plate, after warning about parts that collide or cross the plate edge.
#pragma once

#include <filesystem>

namespace platenest {

class Nester;

// Leaves selected exactly the parts it warned about. Throws FatalError on standard error
// ("report file open error!") when the file cannot be opened.
void writePackingReport(Nester& nester, const std::filesystem::path& fileName);

}  // namespace platenest
