// How the multi-step layout places a medium-sized part: paired with a similar part already
// on the plate, or, while similar parts are still waiting, by its bounding rectangle so that
// they can pair with it later; the grid search is the last resort.
#include "nesting/grid_search.h"

namespace platenest {

bool hasSimilarOnPlate(const Layout& layout, const PlacedPart& part) {
  for (const PlacedPart& member : layout.parts()) {
    if (&member != &part && layout.isOnPlate(member) && isSimilar(member, part)) return true;
  }
  return false;
}

bool hasSimilarOffPlate(const Layout& layout, const PlacedPart& part) {
  for (const PlacedPart& member : layout.parts()) {
    if (&member != &part && !layout.isOnPlate(member) && isSimilar(member, part)) return true;
  }
  return false;
}

bool plateIsEmpty(const Layout& layout) {
  for (const PlacedPart& member : layout.parts()) {
    if (layout.isOnPlate(member)) return false;
  }
  return true;
}

bool placeBySimilar(Layout& layout, PlacedPart& part, double threshold,
                    const GridSearchOptions& options) {
  const bool similarOnPlate = hasSimilarOnPlate(layout, part);
  const bool similarWaiting = hasSimilarOffPlate(layout, part);
  // Pair with a placed partner when there is one; a part whose partners are still waiting
  // goes down by its bounding rectangle, leaving its waste for them to fill.
  if (similarOnPlate && placeBesideSimilar(layout, part, threshold, options)) return true;
  if (similarWaiting && placeBoundingRectangle(layout, part)) return true;
  return false;
}

bool placeBySimilarOrGrid(Layout& layout, PlacedPart& part, double threshold,
                          const GridSearchOptions& options) {
  if (placeBySimilar(layout, part, threshold, options)) return true;
  return gridSearch(layout, part, options);
}

}  // namespace platenest
