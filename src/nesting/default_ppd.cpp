// The packing point distance a job starts with: a tenth of the smaller side of its smallest
// part, but never below 30 mm, so that small parts still find room between the grid points
// and large jobs keep a grid of manageable size.
#include <algorithm>
#include <iterator>

#include "nesting/nester.h"

namespace platenest {

double Nester::defaultPackingPointDistance() {
  // Without parts there is nothing to size the grid by: the distance stays as it is.
  if (parts.empty()) return packingPointDistance();
  PlacedPart* smallest = &parts.front();
  if (parts.count() > 1) {
    // The areas as the outlines now stand, taken afresh into the parts.
    for (PlacedPart& part : parts) part.refreshArea();
    for (auto it = std::next(parts.begin()); it != parts.end(); ++it) {
      if (it->area() < smallest->area()) smallest = &*it;
    }
  }
  const BoundingBox& b = smallest->box();
  const double w = b.maxX - b.minX;
  const double h = b.maxY - b.minY;
  return std::max(30.0, std::min(w, h) / 10);
}

}  // namespace platenest
