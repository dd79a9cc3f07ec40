#include "app/undo_history.h"

namespace platenest {
namespace {

bool differs(const NesterSnapshot& before, const Nester& nester) {
  if (before.plate.length != nester.plateLength() || before.plate.width != nester.plateWidth() ||
      before.parts.size() != static_cast<std::size_t>(nester.parts.count())) {
    return true;
  }
  auto state = before.parts.begin();
  for (const PlacedPart& part : nester.parts) {
    if (state->id != part.id || state->selected != part.selected ||
        state->mirrored != part.mirrored || state->refPoint.x != part.refPoint.x ||
        state->refPoint.y != part.refPoint.y || state->rotation != part.rotation) {
      return true;
    }
    ++state;
  }
  return false;
}

}  // namespace

void UndoHistory::record(Nester& nester, const std::function<void(Nester&)>& change,
                         bool continuesGesture) {
  if (!continuesGesture || !base_) {
    base_ = nester.snapshot();
    baseKept_ = false;
  }
  try {
    change(nester);
  } catch (...) {
    // A command that failed half way may still have moved parts: they can be taken back.
    keepIfChanged(nester);
    throw;
  }
  keepIfChanged(nester);
}

void UndoHistory::keepIfChanged(const Nester& nester) {
  if (baseKept_ || !base_ || !differs(*base_, nester)) return;
  if (undo_.size() == kMaxSteps) undo_.erase(undo_.begin());
  undo_.push_back(*base_);
  redo_.clear();
  baseKept_ = true;
}

bool UndoHistory::undo(Nester& nester) {
  if (undo_.empty()) return false;
  redo_.push_back(nester.snapshot());
  nester.restore(undo_.back());
  undo_.pop_back();
  base_.reset();
  return true;
}

bool UndoHistory::redo(Nester& nester) {
  if (redo_.empty()) return false;
  undo_.push_back(nester.snapshot());
  nester.restore(redo_.back());
  redo_.pop_back();
  base_.reset();
  return true;
}

void UndoHistory::clear() {
  undo_.clear();
  redo_.clear();
  base_.reset();
  baseKept_ = false;
}

}  // namespace platenest
