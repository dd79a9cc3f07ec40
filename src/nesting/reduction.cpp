// The plate-size reduction run: how small may the mother plate be and still hold as many
// parts as the plate it started from?
//
// The selected parts are laid out on the current plate; that count is the reference. Then
// the plate shrinks in width by the width step, is laid out again, and so on while the
// count holds and the width stays at or above the smallest width; the first loss takes the
// width back one step. The length follows the same way. Every trial is one line of the
// detail report and one layout drawing named after its plate size.
#include <cmath>
#include <string>

#include "nesting/nester.h"
#include "output/layout_dxf.h"
#include "support/fatal_error.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

// Steps smaller than this (zero, negative or unset) are raised to it, in mm.
constexpr double kMinimumStep = 100.0;

double stepOf(double configured) { return configured > kMinimumStep ? configured : kMinimumStep; }

// With no part on the plate the packing length is 0 and the density 0/0; the report then
// says 0, as nothing is packed.
double printableDensity(const LayoutStatistics& statistics) {
  return std::isnan(statistics.density) ? 0.0 : statistics.density;
}

}  // namespace

void Nester::reducePlateSize(const std::function<void(const std::string&)>& progress) {
  TextWriter report;
  if (!report.open(detailsReportPath, TextWriter::Mode::kTruncate)) {
    throw FatalError(FatalChannel::kStandardOutput, "", "文件DetailsReport.txt输出失败!");
  }
  const std::filesystem::path folder = detailsReportPath.parent_path();

  const auto writeLine = [&](const std::string& line) {
    report << line << "\n";
    report.flush();
    if (progress) progress(line);
  };
  const auto sizeLine = [](const char* lead, double length, double width,
                           const LayoutStatistics& statistics) {
    return std::string(lead) + formatG(length) + "x" + formatG(width) +
           ",排样密度=" + formatG(printableDensity(statistics)) +
           ",总体排样密度=" + formatG(statistics.overallDensity) +
           "所排零件个数=" + std::to_string(statistics.count);
  };
  const auto writeTrial = [&](double length, double width, const LayoutStatistics& statistics) {
    writeLine(sizeLine("母板尺寸:", length, width, statistics));
    writeLayoutDxf(*this, folder / formatC("%gx%g.dxf", length, width));
  };
  const auto writeRestored = [&](double length, double width, const LayoutStatistics& statistics) {
    writeLine(sizeLine("恢复后的母板尺寸:", length, width, statistics));
    writeLayoutDxf(*this, folder / formatC("%gx%g(恢复后).dxf", length, width));
  };
  const auto relayout = [&]() {
    parkSelectedParts();
    layoutMultipleSteps(false);
    return computeLayoutStatistics();
  };

  double length = plateRect.maxX - plateRect.minX;
  double width = plateRect.maxY - plateRect.minY;

  layoutMultipleSteps(false);
  LayoutStatistics reference = computeLayoutStatistics();
  writeTrial(length, width, reference);

  const double widthStep = stepOf(feetLength_1);
  const double lengthStep = stepOf(feetLength_0);

  // One direction: `size` is the plate width or length, `setSize` puts it into the plate.
  const auto shrink = [&](double& size, double step, double smallest, auto setSize) {
    double next = size - step;
    while (next >= smallest) {
      if (next <= 0) return;
      size = next;
      setSize(size);
      const LayoutStatistics trial = relayout();
      writeTrial(length, width, trial);
      if (trial.count < reference.count) {
        writeLine("母板尺寸(" + formatG(length) + "x" + formatG(width) +
                  ")容纳的零件个数减少,母板尺寸需要恢复");
        size = size + step;
        setSize(size);
        reference = relayout();
        writeRestored(length, width, reference);
        return;
      }
      next = size - step;
    }
  };

  shrink(width, widthStep, minPlate_1, [this](double w) {
    plateRect.maxY = w;
    plateWidth = w;
  });
  shrink(length, lengthStep, minPlate_0, [this](double l) {
    plateRect.maxX = l;
    plateLength = l;
  });

  plateRect.maxX = length;
  plateRect.maxY = width;
  plateLength = length;
  plateWidth = width;
  report.close();
}

}  // namespace platenest
