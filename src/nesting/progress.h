// How far a long command has got, and the caller's way to stop it. The engine reports to it
// between two placements (parts placed of parts to place) and between two reduction trials,
// and looks there whether it should stop; a stopped command leaves every part on the plate
// or parked, and the nester ready for the next command.
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

namespace platenest {

class Progress {
 public:
  virtual ~Progress() = default;

  // A command starts `total` steps of the kind `what` names ("parts", "trials").
  virtual void begin(std::string_view what, std::int64_t total) {
    (void)what;
    (void)total;
  }
  // `done` of the steps begun are done.
  virtual void advance(std::int64_t done) { (void)done; }

  // Safe to call from another thread or a signal handler.
  void cancel() { cancelled_.store(true, std::memory_order_relaxed); }
  bool cancelled() const { return cancelled_.load(std::memory_order_relaxed); }
  void reset() { cancelled_.store(false, std::memory_order_relaxed); }

 private:
  static_assert(std::atomic<bool>::is_always_lock_free, "cancel must be safe in a handler");
  std::atomic<bool> cancelled_{false};
};

}  // namespace platenest
