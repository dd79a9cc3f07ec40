#include <filesystem>

#include "nesting/placed_part.h"
#include "parts/dxf_list_file.h"

namespace platenest {

bool readDxfPart(PlacedPart& part, const std::filesystem::path& path) {
  (void)part;
  (void)path;
  return false;
}

}  // namespace platenest
