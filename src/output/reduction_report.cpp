#include "output/reduction_report.h"

#include <cmath>

#include "output/layout_dxf.h"
#include "output/parts_export.h"
#include "support/fatal_error.h"

namespace platenest {
namespace {

// With no part on the plate the packing length is 0 and the density 0/0; the report then
// says 0, as nothing is packed.
double printableDensity(const LayoutStatistics& statistics) {
  return std::isnan(statistics.density) ? 0.0 : statistics.density;
}

std::string sizeLine(const char* lead, const ReductionStep& step) {
  return std::string(lead) + formatG(step.length) + "x" + formatG(step.width) +
         ",排样密度=" + formatG(printableDensity(step.statistics)) +
         ",总体排样密度=" + formatG(step.statistics.overallDensity) +
         "所排零件个数=" + std::to_string(step.statistics.count);
}

}  // namespace

ReductionReport::ReductionReport(const std::filesystem::path& reportPath)
    : folder_(reportPath.parent_path()) {
  if (!report_.open(reportPath, TextWriter::Mode::kTruncate)) {
    throw FatalError(FatalChannel::kStandardOutput, "", "文件DetailsReport.txt输出失败!",
                     report_.problem());
  }
}

void ReductionReport::record(const Nester& nester, const ReductionStep& step,
                             const std::function<void(const std::string&)>& onLine) {
  std::string line;
  std::filesystem::path drawing;
  switch (step.kind) {
    case ReductionStep::Kind::kTrial:
      line = sizeLine("母板尺寸:", step);
      drawing = folder_ / formatC("%gx%g.dxf", step.length, step.width);
      break;
    case ReductionStep::Kind::kLoss:
      line = "母板尺寸(" + formatG(step.length) + "x" + formatG(step.width) +
             ")容纳的零件个数减少,母板尺寸需要恢复";
      break;
    case ReductionStep::Kind::kRestored:
      line = sizeLine("恢复后的母板尺寸:", step);
      drawing = folder_ / formatC("%gx%g(恢复后).dxf", step.length, step.width);
      break;
  }
  report_ << line << "\n";
  report_.flush();
  if (onLine) onLine(line);
  if (drawing.empty()) return;
  for (const std::filesystem::path& input : inputs_) {
    if (input.filename() != drawing.filename() || !sameFile(drawing, input)) continue;
    throw FatalError(FatalChannel::kStandardError, "",
                     "the step drawing " + std::filesystem::absolute(drawing).string() +
                         " would overwrite " + input.string() +
                         ", which the job is read from; run the reduction into another folder (-C)");
  }
  writeLayoutDxf(nester, drawing);
}

void ReductionReport::finish() {
  if (!report_.close()) {
    throw FatalError(FatalChannel::kStandardOutput, "", "文件DetailsReport.txt输出失败!",
                     report_.problem());
  }
}

}  // namespace platenest
