// The strip search's door into the engine. See strip_engine.h.
#include "nesting/strip_engine.h"

#include <algorithm>

#include "nesting/overlap.h"

namespace platenest {

StripEngine::StripEngine(const Nester& job, const NesterSnapshot& layout,
                         const std::vector<bool>& movable)
    : job_(job), layout_(job.layout().clone()) {
  layout_.restore(layout);
  fullLength_ = layout_.plateLength();
  std::size_t index = 0;
  for (PlacedPart& part : layout_.parts()) {
    if (!movable[index++]) {
      // Off the plate whatever its length: right of its end and below its lower edge.
      part.translate(fullLength_ + 10.0 - part.box().minX, -10.0 - part.box().maxY);
      continue;
    }
    Item item;
    item.part = &part;
    const Point centre = part.rotationCentre();
    item.centre = centre;
    if (job.rotationNumber > 0) {
      buildTrialVariants(part, centre, part.centroid(), job.rotationNumber, job.bPartTurnover,
                         item.variants);
    }
    // The pose it has is the first orientation, bit for bit.
    if (item.variants.empty()) item.variants.emplace_back();
    item.variants.front().part = part;
    items_.push_back(std::move(item));
  }
}

Point StripEngine::carried(std::size_t item, std::size_t k, const Point& p) const {
  const TrialVariant& variant = items_[item].variants[k];
  const Point& centre = items_[item].centre;
  Point q = p;
  if (k == 0) return q;
  q.rotateAbout(centre, variant.angle);
  if (variant.turned) q.y = 2 * centre.y - q.y;
  return q;
}

void StripEngine::place(std::size_t item, std::size_t k, double dx, double dy) {
  items_[item].part->assignTranslated(items_[item].variants[k].part, dx, dy);
}

bool StripEngine::clear(const PlacedPart& a, const PlacedPart& b) {
  return boxesApart(a.outer.box(), b.outer.box()) || a.isClearOf(b);
}

bool StripEngine::insideStrip(const BoundingBox& box, double length) const {
  const BoundingBox strip{0.0, std::min(length, fullLength_), 0.0, layout_.plateWidth()};
  return boxInside(box, strip);
}

bool StripEngine::feasible(double length) const {
  for (const Item& item : items_) {
    if (!insideStrip(item.part->outer.box(), length)) return false;
    if (!layout_.fitsAmongOthers(*item.part)) return false;
  }
  return true;
}

double StripEngine::packingLength() const {
  double length = 0.0;
  for (const Item& item : items_) length = std::max(length, item.part->box().maxX);
  return length;
}

NesterSnapshot StripEngine::snapshot() const {
  NesterSnapshot layout = layout_.snapshot();
  layout.packingPointsDirty = true;
  return layout;
}

void StripEngine::restore(const NesterSnapshot& layout) { layout_.restore(layout); }

}  // namespace platenest
