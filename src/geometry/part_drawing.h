// The lines, arcs and circles of a part as its designer drew them, kept for the parts read
// from drawings of their own: the cutter is given these, not the chords the part was nested
// with, and the outline the fit tests compare is built from them.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/lists.h"

namespace platenest {

struct PartDrawing {
  std::int32_t id = 0;  // the part's id
  SegmentList lines;
  ArcList arcs;
  CircleList circles;
};

inline const PartDrawing* findDrawing(const std::vector<PartDrawing>& drawings, std::int32_t id) {
  for (const PartDrawing& drawing : drawings) {
    if (drawing.id == id) return &drawing;
  }
  return nullptr;
}

}  // namespace platenest
