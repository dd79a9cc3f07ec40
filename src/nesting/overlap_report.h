// The parts in the way on a layout edited by hand: those on the plate whose working outline
// meets another part's, and those that lie across the plate's edge. Untested moves, turns
// and turn-overs can leave either; the window marks them before the layout is cut.
#pragma once

#include <cstdint>
#include <vector>

#include "nesting/nester.h"

namespace platenest {

struct PartInTheWay {
  std::int32_t id = 0;
  bool acrossPlateEdge = false;  // else: inside the plate, overlapping another part
};

// In the order of `nester.parts`, each part once. Parts wholly beside the plate (not placed)
// are never in the way.
std::vector<PartInTheWay> partsInTheWay(const Nester& nester);

}  // namespace platenest
