// Figures of the layout as it will be cut: the parts on the plate taken with their true
// outlines (the loaded twins brought to each working part's pose, without the half gap the
// working parts are grown by), and the parking of selected parts off the plate.
#include "job/id_index.h"
#include "nesting/nester.h"
#include "nesting/posed_layout.h"

namespace platenest {

// With nothing on the plate the packing length is 0 and the density 0/0, a NaN: there is no
// layout to measure, and NaN says so instead of a made-up figure. A twin without a working
// part of its id is not counted.
LayoutStatistics layoutStatistics(const Nester& job, const Layout& layout) {
  const PosedLayout view = poseLayout(job, layout, PoseDetail::kOutlines);
  const FirstById posed(view.parts);
  PartList placed;
  for (const PlacedPart& twin : job.loadedParts) {
    const PosedPart* part = posed.find(twin.id);
    if (part == nullptr || !part->onPlate) continue;
    placed.insertFront(part->cut);
  }
  LayoutStatistics statistics;
  double sumArea = 0;
  bool first = true;
  for (PlacedPart& part : placed) {
    sumArea += part.area();
    // Measured afresh from the outline; the copy is the statistics' own.
    const BoundingBox box = part.outer.computeBox();
    if (first || box.maxX > statistics.packingLength) statistics.packingLength = box.maxX;
    first = false;
    ++statistics.count;
  }
  statistics.density = sumArea / (statistics.packingLength * layout.plateWidth());
  statistics.overallDensity = sumArea / layout.plateLength() / layout.plateWidth();
  return statistics;
}

// Right of the plate and below its lower edge: the box starts at x = plateLength with its
// top at y = 0, so the part is off the plate whatever the plate's width.
void Nester::parkSelectedParts() {
  for (PlacedPart& part : parts) {
    if (part.selected) part.translate(plateLength() - part.box().minX, 0 - part.box().maxY);
  }
}

}  // namespace platenest
