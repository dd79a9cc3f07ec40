#include "nesting/part_bands.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace platenest {

void PartBands::build(const PlacedPart& part) {
  static std::atomic<std::uint64_t> builds{0};
  version = ++builds;
  holesBox = BoundingBox{};
  outer.build(part.outer);
  holes.resize(static_cast<std::size_t>(part.holes.count()));
  std::size_t i = 0;
  for (const Polygon& hole : part.holes) {
    const BoundingBox& b = hole.box();
    if (i == 0) holesBox = b;
    holesBox.minX = std::min(holesBox.minX, b.minX);
    holesBox.maxX = std::max(holesBox.maxX, b.maxX);
    holesBox.minY = std::min(holesBox.minY, b.minY);
    holesBox.maxY = std::max(holesBox.maxY, b.maxY);
    holes[i++].build(hole);
  }
  // A hole with a NaN in its box escapes the span: every part is then tried against the holes.
  for (const Polygon& hole : part.holes) {
    const BoundingBox& b = hole.box();
    if (std::isnan(b.minX) || std::isnan(b.maxX) || std::isnan(b.minY) || std::isnan(b.maxY)) {
      const double inf = std::numeric_limits<double>::infinity();
      holesBox = BoundingBox{-inf, inf, -inf, inf};
    }
  }
}

bool PartBands::builtFrom(const PlacedPart& part) const {
  if (holes.size() != static_cast<std::size_t>(part.holes.count())) return false;
  if (!outer.builtFrom(part.outer)) return false;
  std::size_t i = 0;
  for (const Polygon& hole : part.holes) {
    if (!holes[i++].builtFrom(hole)) return false;
  }
  return true;
}

void PartBandsCache::reserve(std::size_t slotCount) {
  if (slots_.size() < slotCount) {
    slots_.resize(slotCount);
    stamps_.resize(slotCount, Stamp{0, 0, false, PartBands{}.outer.vertexSpan()});
  }
}

const PartBands& PartBandsCache::of(std::size_t slot, const PlacedPart& part) {
  if (slot >= slots_.size()) reserve(slot + 1);
  PartBands& bands = slots_[slot];
  Stamp& stamp = stamps_[slot];
  const bool known =
      !stamp.holes && part.holes.count() == 0 && part.outer.revision() == stamp.outerRevision;
  if (!known) {
    if (!bands.builtFrom(part)) bands.build(part);
    stamp = Stamp{part.outer.revision(), bands.version, !bands.holes.empty(),
                  bands.outer.vertexSpan()};
  }
#ifdef PLATENEST_VALIDATE
  // The revisions must stand for the geometry itself.
  if (!bands.builtFrom(part) || !bands.outer.sameGeometry(part.outer)) std::abort();
  const BoundingBox span = bands.outer.vertexSpan();
  if (std::memcmp(&stamp.span, &span, sizeof span) != 0 || stamp.version != bands.version) {
    std::abort();
  }
  std::size_t i = 0;
  for (const Polygon& hole : part.holes) {
    if (!bands.holes[i++].sameGeometry(hole)) std::abort();
  }
#endif
  return bands;
}

}  // namespace platenest
