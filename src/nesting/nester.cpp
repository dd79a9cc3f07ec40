// The nester's construction with its dated error log, the plate rectangle, and the growth of
// every part by the gap.
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

}  // namespace

Nester::Nester(const std::filesystem::path& logPath) : errorLogPath(logPath) {
  plateLength = 6000;
  plateWidth = 4000;
  plate.setSize(6000, 4000);
  updatePlateRect();
  partGap = 0;
  packingPointDistance = 0.5;
  rotationNumber = 4;
  packingRows = 0;
  packingColumns = 0;
  packingPointsDirty = true;
  if (!errorLog.open(logPath, TextWriter::Mode::kAppend)) {
    throw FatalError::warning("排样错误报告文件输出失败!", logPath.string());
  }
  writeDatedHeader(errorLog);
  errorLog.flush();
  bPartTurnover = true;
}

void Nester::updatePlateRect() {
  plateRect = BoundingBox{0, plateLength, 0, plateWidth};
  if (plateLength == 0 || plateWidth == 0) throw FatalError::warning("包围盒大小为零!");
}

void Nester::offsetAllParts(double gap) {
  if (gap == 0) return;
  for (PlacedPart& part : parts) part.offset(gap);
}

}  // namespace platenest
