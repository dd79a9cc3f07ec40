// Undo and redo of the operator's commands on the parts: the state before each change of
// poses or selection is kept as the nester's snapshot, and a change that altered nothing
// (a box over empty plate, a blocked move) leaves no step behind.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "nesting/nester.h"

namespace platenest {

class UndoHistory {
 public:
  // Runs `change` on the nester and keeps the state before it as one undo step when the
  // change moved, turned or (de)selected anything, or changed the plate. A change that
  // `continuesGesture` joins the step of the one before it (a hand move is one step however
  // many mouse moves it took). Redo is forgotten once a new step is kept.
  void record(Nester& nester, const std::function<void(Nester&)>& change, bool continuesGesture);
  // False when there is nothing to undo or redo.
  bool undo(Nester& nester);
  bool redo(Nester& nester);
  // A new job: nothing to go back to.
  void clear();

  std::size_t undoCount() const { return undo_.size(); }
  std::size_t redoCount() const { return redo_.size(); }

  // Enough for an afternoon's hand corrections without keeping every layout of a long job.
  static constexpr std::size_t kMaxSteps = 100;

 private:
  void keepIfChanged(const Nester& nester);

  std::vector<NesterSnapshot> undo_;
  std::vector<NesterSnapshot> redo_;
  std::optional<NesterSnapshot> base_;  // the state before the current step
  bool baseKept_ = false;
};

}  // namespace platenest
