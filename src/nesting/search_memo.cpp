#include "nesting/search_memo.h"

#include <algorithm>
#include <cstring>

#include "nesting/overlap.h"
#include "nesting/trial_variants.h"

namespace platenest {

namespace {

// Memory the memo may hold for blocked bits, in 64-bit words (64 MB); older entries go first.
constexpr std::size_t kMaxBlockedWords = std::size_t{8} << 20;
constexpr std::size_t kMaxEntries = 8;
void appendPolygon(std::vector<double>& key, const Polygon& polygon) {
  key.push_back(static_cast<double>(polygon.vertexCount()));
  for (const Point& v : polygon.vertices()) {
    key.push_back(v.x);
    key.push_back(v.y);
  }
  const BoundingBox& b = polygon.box();
  key.insert(key.end(), {b.minX, b.maxX, b.minY, b.maxY});
}

std::uint64_t hashBits(const std::vector<double>& key) {
  std::uint64_t h = 1469598103934665603ULL;
  for (double value : key) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    h = (h ^ bits) * 1099511628211ULL;
  }
  return h;
}

bool sameBits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

}  // namespace

void SearchMemo::begin() {
  clear();
  active_ = true;
}

void SearchMemo::end() {
  clear();
  active_ = false;
}

void SearchMemo::clear() {
  blockers_.clear();
  entries_.clear();
  blockedWords_ = 0;
  seen_.clear();
}

std::vector<std::uint16_t>& SearchMemo::blockers(std::size_t gridPoints) {
  if (!active_) {
    blockers_.clear();
  } else if (blockers_.size() != gridPoints) {
    blockers_.assign(gridPoints, 0);
  }
  return blockers_;
}

void SearchMemo::checkForMovedParts(const PartList& parts, const BoundingBox& plate) {
  for (const Seen& seen : seen_) {
    const Polygon& outer = seen.part->outer;
    if (outer.revision() != seen.revision || outer.empty()) {
      clear();
      break;
    }
  }
  seen_.clear();
  seen_.reserve(static_cast<std::size_t>(parts.count()));  // once, not growing part by part
  for (const PlacedPart& part : parts) {
    if (mayMeetCandidates(part, plate)) seen_.push_back({&part, part.outer.revision()});
  }
}

SearchMemo::Entry* SearchMemo::entryFor(Kind kind, const std::vector<TrialVariant>& variants,
                                        const Point& anchor, std::size_t gridPoints,
                                        const PartList& parts, const BoundingBox& plate) {
  if (!active_ || variants.empty() || gridPoints == 0) return nullptr;
  checkForMovedParts(parts, plate);

  // Built in storage kept from search to search: most trial sets are found, not new.
  std::vector<double>& key = key_;
  key.assign({static_cast<double>(kind), anchor.x, anchor.y, static_cast<double>(variants.size())});
  for (const TrialVariant& variant : variants) {
    appendPolygon(key, variant.part.outer);
    key.push_back(static_cast<double>(variant.part.holes.count()));
    for (const Polygon& hole : variant.part.holes) appendPolygon(key, hole);
  }
  const std::uint64_t hash = hashBits(key);
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->hash_ == hash && sameBits(it->key_, key)) {
      std::rotate(it, it + 1, entries_.end());  // now the most recently used
      return &entries_.back();
    }
  }

  const std::size_t wordsPerVariant = (gridPoints + 63) / 64;
  const std::size_t words = wordsPerVariant * variants.size();
  if (words > kMaxBlockedWords) return nullptr;
  // Parts of one shape follow each other in a layout (equal areas sort together), so a few
  // recent trial sets hold nearly every repeat; the least recently used one gives up its
  // storage, which spares fresh memory for every new shape.
  Entry recycled;
  if (entries_.size() >= kMaxEntries) {
    recycled = std::move(entries_.front());
    blockedWords_ -= recycled.blocked_.size();
    entries_.erase(entries_.begin());
  }
  while (blockedWords_ + words > kMaxBlockedWords && !entries_.empty()) {
    blockedWords_ -= entries_.front().blocked_.size();
    entries_.erase(entries_.begin());
  }
  Entry& entry = entries_.emplace_back(std::move(recycled));
  entry.key_.assign(key.begin(), key.end());
  entry.hash_ = hash;
  entry.variantCount_ = variants.size();
  entry.bitsPerVariant_ = wordsPerVariant * 64;
  entry.blocked_.assign(words, 0);
  entry.exhausted_.clear();
  blockedWords_ += words;
  return &entry;
}

}  // namespace platenest
