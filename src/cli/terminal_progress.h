// Progress of a long run on standard error, and Ctrl-C as the operator's way to stop it.
// Short runs show nothing: the line appears only once a command has run for about a second,
// and is cleared when the command ends, so scripts that read standard error see only
// what they saw before unless a run takes long.
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include "nesting/progress.h"

namespace platenest {

class TerminalProgress : public Progress {
 public:
  // `out` is where the line goes (standard error); `shown` false keeps it silent.
  TerminalProgress(std::ostream& out, bool shown);
  ~TerminalProgress() override;

  void begin(std::string_view what, std::int64_t total) override;
  void advance(std::int64_t done) override;
  // Rubs the line out, so that what is printed next starts on a clean line.
  void clear();

 private:
  void draw();

  std::ostream& out_;
  bool shown_;
  std::chrono::steady_clock::time_point start_;
  std::string what_;
  std::int64_t total_ = 0;
  std::int64_t done_ = 0;
  std::int64_t trials_ = 0;
  std::size_t drawnWidth_ = 0;
  std::chrono::steady_clock::time_point lastDrawn_;
};

// While it lives, Ctrl-C (SIGINT), SIGTERM and SIGHUP cancel `progress` instead of ending the
// process; a second one ends it as usual.
class InterruptToCancel {
 public:
  explicit InterruptToCancel(Progress& progress);
  ~InterruptToCancel();
  InterruptToCancel(const InterruptToCancel&) = delete;
  InterruptToCancel& operator=(const InterruptToCancel&) = delete;
};

// The exit status of a run stopped by Ctrl-C, as shells report a process ended by SIGINT.
inline constexpr int kInterruptedStatus = 130;
// The status of a run stopped by a signal: 128 + its number as shells report it (130 Ctrl-C,
// 143 SIGTERM, 129 SIGHUP).
int interruptedStatus();

}  // namespace platenest
