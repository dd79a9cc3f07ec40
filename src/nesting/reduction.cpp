// The plate-size reduction run: how small may the mother plate be and still hold as many
// parts as the plate it started from?
//
// The selected parts are laid out on the current plate; that count is the reference. Then
// the plate shrinks in width by the width step, is laid out again, and so on while the
// count holds and the width stays at or above the smallest width; the first loss takes the
// width back one step. The length follows the same way. Every trial is timed into the
// caller's timing file, as Layout Multiple Steps is, and handed to the caller, who records it.
#include "nesting/nester.h"

namespace platenest {
namespace {

// Steps smaller than this (zero, negative or unset) are raised to it, in mm.
constexpr double kMinimumStep = 100.0;

double stepOf(double configured) { return configured > kMinimumStep ? configured : kMinimumStep; }

}  // namespace

void Nester::reducePlateSize(LayoutTiming& timing,
                             const std::function<void(const ReductionStep&)>& onStep) {
  const auto report = [&](ReductionStep::Kind kind, double length, double width,
                          const LayoutStatistics& statistics) {
    if (onStep) onStep(ReductionStep{kind, length, width, statistics});
  };
  std::int64_t trials = 0;
  if (progress != nullptr) progress->begin("trials", 0);
  const auto layOut = [&]() {
    timing.time(TimingRecord::kDatedEntry, false, [&]() { layoutMultipleSteps(); });
  };
  const auto relayout = [&]() {
    parkSelectedParts();
    layOut();
    if (progress != nullptr) progress->advance(++trials);
    return computeLayoutStatistics();
  };
  const auto stopped = [&]() { return progress != nullptr && progress->cancelled(); };

  double length = plateLength();
  double width = plateWidth();

  layOut();
  LayoutStatistics reference = computeLayoutStatistics();
  if (stopped()) return;
  report(ReductionStep::Kind::kTrial, length, width, reference);
  // The last trial that held as many parts as the first: what a restore of its size, or a
  // stop, hands back to the operator.
  NesterSnapshot accepted = snapshot();
  LayoutStatistics acceptedFigures = reference;

  const double widthStep = stepOf(settings.feetLength_1);
  const double lengthStep = stepOf(settings.feetLength_0);

  // One direction: `size` is the plate width or length, `setSize` puts it into the plate.
  // False when the operator stopped the run: the last accepted trial is then on the plate.
  const auto shrink = [&](double& size, double step, double smallest, auto setSize) {
    double next = size - step;
    while (next >= smallest) {
      if (next <= 0) return true;
      size = next;
      setSize(size);
      const LayoutStatistics trial = relayout();
      if (stopped()) {
        restore(accepted);
        size = size + step;
        return false;
      }
      report(ReductionStep::Kind::kTrial, length, width, trial);
      if (trial.count < reference.count) {
        report(ReductionStep::Kind::kLoss, length, width, LayoutStatistics{});
        size = size + step;
        setSize(size);
        reference = relayout();
        // Laid out again from where the lost trial left them, the parts may fit worse than
        // the accepted trial of this size did: the operator gets the accepted layout back.
        if (stopped() || reference.count < acceptedFigures.count) {
          restore(accepted);
          reference = acceptedFigures;
        }
        report(ReductionStep::Kind::kRestored, length, width, reference);
        accepted = snapshot();
        acceptedFigures = reference;
        return !stopped();
      }
      accepted = snapshot();
      acceptedFigures = trial;
      next = size - step;
    }
    return true;
  };

  const bool widthDone = shrink(width, widthStep, settings.minPlate_1,
                                [&](double w) { setPlateSize(length, w); });
  if (widthDone) {
    shrink(length, lengthStep, settings.minPlate_0, [&](double l) { setPlateSize(l, width); });
  }
  setPlateSize(length, width);
}

}  // namespace platenest
