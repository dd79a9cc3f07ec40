// The operator's editing of a layout: picking and box selection, free moves and rotations,
// turning a part over. Everything is in world coordinates (millimetres, y up): the window
// turns its pixels into millimetres before it calls here. Only the collision-tested move and
// the contact moves (contact_moves.cpp) test what they do; these moves are the operator's
// word, and any overlap they make shows in the packing report.
#include "nesting/nester.h"

namespace platenest {

bool Nester::pickPart(const Point& p) {
  for (PlacedPart& part : parts) {
    if (!part.containsPoint(p)) continue;
    part.selected = !part.selected;
    return true;
  }
  return false;
}

// A window box takes the parts it holds whole; a crossing box also those it touches. Parts
// are only ever added to the selection.
bool Nester::selectInWindow(const BoundingBox& rectangle, bool crossing) {
  bool marked = false;
  for (PlacedPart& part : parts) {
    const bool taken =
        crossing ? part.overlapsRect(rectangle.minX, rectangle.maxX, rectangle.minY,
                                     rectangle.maxY)
                 : part.isInside(rectangle);
    if (!taken) continue;
    part.selected = true;
    marked = true;
  }
  return marked;
}

void Nester::clearSelection() {
  for (PlacedPart& part : parts) part.selected = false;
}

void Nester::selectAll() {
  for (PlacedPart& part : parts) part.selected = true;
}

void Nester::moveSelected(double dx, double dy) {
  for (PlacedPart& part : parts) {
    if (part.selected) part.translate(dx, dy);
  }
}

void Nester::rotateSelected(const Point& centre, double angle) {
  for (PlacedPart& part : parts) {
    if (part.selected) part.rotateAbout(centre, angle);
  }
}

void Nester::mirrorFirstSelected() {
  for (PlacedPart& part : parts) {
    if (!part.selected) continue;
    part.mirrorAt(part.centroid());
    return;
  }
}

}  // namespace platenest
