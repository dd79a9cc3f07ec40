#include "parts/dxf_list_file.h"

#include <filesystem>

#include "nesting/nester.h"

namespace platenest {

void readDxfListFile(Nester& nester, const std::filesystem::path& path) {
  (void)nester;
  (void)path;
}

}  // namespace platenest
