// The job's part containers and the mother plate.
#include "job/part_lists.h"

#include "support/messages.h"

namespace platenest {

const Region* RegionList::findById(std::int32_t id) const {
  for (const Region& region : items_) {
    if (region.id == id) return &region;
  }
  return nullptr;
}

void PartList::assignFrom(const PartList& other) {
  if (this == &other) return;
  clear();
  for (const PlacedPart& part : other.items_) insertFront(part);
}

// Largest net area first. Nodes are relinked, never copied, so every part keeps its hole
// order; parts of equal area stay in the order they had, which makes the layout order of a
// job the reading order among equal parts.
void PartList::sortByAreaDescending() {
  if (items_.size() < 2) return;
  items_.sort([](const PlacedPart& a, const PlacedPart& b) { return a.area() > b.area(); });
}

PlacedPart* PartList::findById(std::int32_t id) {
  for (PlacedPart& part : items_) {
    if (part.id == id) return &part;
  }
  return nullptr;
}

const PlacedPart* PartList::findById(std::int32_t id) const {
  for (const PlacedPart& part : items_) {
    if (part.id == id) return &part;
  }
  return nullptr;
}

bool Plate::setSize(double plateLength, double plateWidth) {
  name = "Null";
  length = plateLength;
  width = plateWidth;
  area = length * width;
  return validate();
}

// A negative size only warns: the operator sees the bad figure and the job goes on with it.
bool Plate::validate() const {
  if (length < 0 || width < 0 || area < 0) {
    showWarning("板数据错误!");
    return false;
  }
  return true;
}

}  // namespace platenest
