// The nester's construction with its dated error log, its plate, and the growth of every part
// by the gap.
#include "nesting/nester.h"

#include <ctime>

#include "support/fatal_error.h"

namespace platenest {
namespace {

// "2024年3月7日, 9时5分30秒": one line per job, so that the lines of each job in the log can
// be told apart.
void writeDatedHeader(TextWriter& log) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  log << (local.tm_year + 1900) << "年" << (local.tm_mon + 1) << "月" << local.tm_mday << "日, "
      << local.tm_hour << "时" << local.tm_min << "分" << local.tm_sec << "秒";
  log.endLine();
}

// A plate of zero size is refused, once it is taken: the caller sees the warning.
void refuseEmptyPlate(const Layout& layout) {
  if (layout.plateLength() == 0 || layout.plateWidth() == 0) {
    throw FatalError::warning("包围盒大小为零!");
  }
}

}  // namespace

Nester::Nester(const std::filesystem::path& logPath)
    : parts(layout_.parts()), errorLogPath(logPath) {
  Plate plate;
  plate.setSize(6000, 4000);
  setPlate(plate);
  partGap = 0;
  layout_.setPackingPointDistance(0.5);
  rotationNumber = 4;
  if (!errorLog.open(logPath, TextWriter::Mode::kAppend)) {
    throw FatalError::warning("排样错误报告文件输出失败!", logPath.string());
  }
  writeDatedHeader(errorLog);
  errorLog.flush();
  bPartTurnover = true;
}

void Nester::setPlate(const Plate& plate) {
  layout_.setPlate(plate);
  refuseEmptyPlate(layout_);
}

// The same plate cut to another size (the reduction run's trials): it keeps its name.
void Nester::setPlateSize(double length, double width) {
  layout_.setPlateSize(length, width);
  refuseEmptyPlate(layout_);
}

void Nester::restore(const NesterSnapshot& saved) {
  layout_.restore(saved);
  refuseEmptyPlate(layout_);
}

void Nester::offsetAllParts(double gap) {
  if (gap == 0) return;
  for (PlacedPart& part : parts) part.offset(gap);
}

}  // namespace platenest
