// The nester's defaults, its plate, and the growth of every part by the gap.
#include "nesting/nester.h"

#include "support/fatal_error.h"

namespace platenest {
namespace {

// A plate of zero size is refused, once it is taken: the caller sees the warning.
void refuseEmptyPlate(const Layout& layout) {
  if (layout.plateLength() == 0 || layout.plateWidth() == 0) {
    throw FatalError::warning("包围盒大小为零!");
  }
}

}  // namespace

Nester::Nester() : parts(layout_.parts()) {
  Plate plate;
  plate.setSize(6000, 4000);
  setPlate(plate);
  partGap = 0;
  layout_.setPackingPointDistance(0.5);
  rotationNumber = 4;
  bPartTurnover = true;
}

void Nester::setPlate(const Plate& plate) {
  layout_.setPlate(plate);
  refuseEmptyPlate(layout_);
}

// The same plate cut to another size (the reduction run's trials): it keeps its name.
void Nester::setPlateSize(double length, double width) {
  layout_.setPlateSize(length, width);
  refuseEmptyPlate(layout_);
}

void Nester::restore(const NesterSnapshot& saved) {
  layout_.restore(saved);
  refuseEmptyPlate(layout_);
}

void Nester::offsetAllParts(double gap) {
  if (gap == 0) return;
  for (PlacedPart& part : parts) part.offset(gap);
}

}  // namespace platenest
