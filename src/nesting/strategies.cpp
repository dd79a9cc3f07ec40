// How the multi-step layout places a medium-sized part: paired with a similar part already
// on the plate, or, while similar parts are still waiting, by its bounding rectangle so that
// they can pair with it later; the grid search is the last resort.
#include "nesting/nester.h"

namespace platenest {

bool Nester::hasSimilarOnPlate(const PlacedPart& part) const {
  for (const PlacedPart& member : parts) {
    if (&member != &part && isOnPlate(member) && isSimilar(member, part)) return true;
  }
  return false;
}

bool Nester::hasSimilarOffPlate(const PlacedPart& part) const {
  for (const PlacedPart& member : parts) {
    if (&member != &part && !isOnPlate(member) && isSimilar(member, part)) return true;
  }
  return false;
}

bool Nester::plateIsEmpty() const {
  for (const PlacedPart& member : parts) {
    if (isOnPlate(member)) return false;
  }
  return true;
}

bool Nester::placeBySimilar(PlacedPart& part, double threshold) {
  const bool similarOnPlate = hasSimilarOnPlate(part);
  const bool similarWaiting = hasSimilarOffPlate(part);
  // Pair with a placed partner when there is one; a part whose partners are still waiting
  // goes down by its bounding rectangle, leaving its waste for them to fill.
  if (similarOnPlate && placeBesideSimilar(part, threshold)) return true;
  if (similarWaiting && placeBoundingRectangle(part)) return true;
  return false;
}

bool Nester::placeBySimilarOrGrid(PlacedPart& part, double threshold) {
  if (placeBySimilar(part, threshold)) return true;
  return gridSearch(*this, part, jobGridSearch(*this));
}

}  // namespace platenest
