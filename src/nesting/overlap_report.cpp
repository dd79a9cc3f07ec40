#include "nesting/overlap_report.h"

namespace platenest {

std::vector<PartInTheWay> partsInTheWay(const Nester& nester) {
  const BoundingBox& plate = nester.plateRect();
  std::vector<PartInTheWay> found;
  for (const PlacedPart& part : nester.parts) {
    if (nester.isOnPlate(part)) {
      // The exact fit test the layout commands use, against every other part.
      if (!nester.fitsAmongOthers(part)) found.push_back({part.id, false});
    } else if (part.overlapsRect(plate.minX, plate.maxX, plate.minY, plate.maxY)) {
      found.push_back({part.id, true});
    }
  }
  return found;
}

}  // namespace platenest
