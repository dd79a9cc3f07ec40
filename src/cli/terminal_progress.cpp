#include "cli/terminal_progress.h"

#include <algorithm>
#include <csignal>
#include <ostream>
#include <sstream>

#include "support/text_writer.h"

namespace platenest {
namespace {

constexpr auto kQuietStart = std::chrono::seconds(1);
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
constexpr std::int64_t kBarWidth = 30;

Progress* volatile interruptTarget = nullptr;
volatile std::sig_atomic_t stoppingSignal = 0;
// Ctrl-C, and what `timeout`, service managers and a closing terminal send.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previousActions[3] {};

extern "C" void onInterrupt(int signal) {
  if (stoppingSignal == 0) stoppingSignal = signal;
  if (Progress* progress = interruptTarget) progress->cancel();
  // The next one ends the process: an operator who presses Ctrl-C twice means it.
  for (int i = 0; i < 3; ++i) sigaction(kStopSignals[i], &previousActions[i], nullptr);
}

}  // namespace

TerminalProgress::TerminalProgress(std::ostream& out, bool shown)
    : out_(out), shown_(shown), start_(std::chrono::steady_clock::now()) {}

TerminalProgress::~TerminalProgress() { clear(); }

void TerminalProgress::begin(std::string_view what, std::int64_t total) {
  // The reduction run's trials each lay the parts out: the line counts the trials and
  // shows the parts of the trial under way.
  if (what == "trials") {
    trials_ = 0;
    what_ = "trial";
    return;
  }
  // The optimising search begins after its Layout All: its budget replaces the parts.
  if (what.starts_with("optimise")) {
    what_ = std::string(what);
  } else if (what_ == "trial" || what_ == "trial parts") {
    ++trials_;
    what_ = "trial parts";
  } else {
    what_ = std::string(what);
  }
  total_ = total;
  done_ = 0;
  draw();
}

void TerminalProgress::advance(std::int64_t done) {
  done_ = done;
  const auto now = std::chrono::steady_clock::now();
  if (now - lastDrawn_ >= kRedrawEvery || done_ == total_) draw();
}

void TerminalProgress::draw() {
  const auto now = std::chrono::steady_clock::now();
  if (!shown_ || now - start_ < kQuietStart) return;
  lastDrawn_ = now;
  const std::int64_t filled = total_ > 0 ? kBarWidth * std::min(done_, total_) / total_ : 0;
  std::ostringstream line;
  line << '[';
  for (std::int64_t i = 0; i < kBarWidth; ++i) line << (i < filled ? '#' : ' ');
  line << "] ";
  if (what_ == "optimise trials") {
    line << done_ << " of " << total_ << " trial layouts";
  } else if (what_ == "optimise tenths") {
    line << formatC("%.1f of %.1f s", static_cast<double>(done_) / 10,
                    static_cast<double>(total_) / 10);
  } else if (what_ == "drawings") {
    line << done_ << " of " << total_ << " part drawings written";
  } else {
    if (what_ == "trial parts") line << "trial " << trials_ << ": ";
    line << done_ << " of " << total_ << " parts placed";
  }
  const std::string text = line.str();
  out_ << '\r' << text;
  // Blanks over what is left of a longer line drawn before.
  for (std::size_t i = text.size(); i < drawnWidth_; ++i) out_ << ' ';
  out_ << std::flush;
  drawnWidth_ = text.size();
}

void TerminalProgress::clear() {
  if (drawnWidth_ == 0) return;
  out_ << '\r';
  for (std::size_t i = 0; i < drawnWidth_; ++i) out_ << ' ';
  out_ << '\r' << std::flush;
  drawnWidth_ = 0;
}

InterruptToCancel::InterruptToCancel(Progress& progress) {
  interruptTarget = &progress;
  stoppingSignal = 0;
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  for (int i = 0; i < 3; ++i) sigaction(kStopSignals[i], &action, &previousActions[i]);
}

InterruptToCancel::~InterruptToCancel() {
  for (int i = 0; i < 3; ++i) sigaction(kStopSignals[i], &previousActions[i], nullptr);
  interruptTarget = nullptr;
}

int interruptedStatus() {
  return stoppingSignal == 0 ? kInterruptedStatus : 128 + static_cast<int>(stoppingSignal);
}

}  // namespace platenest
