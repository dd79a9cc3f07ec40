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
  plate_.setSize(6000, 4000);
  updatePlateRect();
  partGap = 0;
  packingPointDistance_ = 0.5;
  rotationNumber = 4;
  packingRows_ = 0;
  packingColumns_ = 0;
  packingPointsDirty_ = true;
  if (!errorLog.open(logPath, TextWriter::Mode::kAppend)) {
    throw FatalError::warning("排样错误报告文件输出失败!", logPath.string());
  }
  writeDatedHeader(errorLog);
  errorLog.flush();
  bPartTurnover = true;
}

void Nester::setPlate(const Plate& plate) {
  if (plate.length != plate_.length || plate.width != plate_.width) packingPointsDirty_ = true;
  plate_ = plate;
  updatePlateRect();
}

// The same plate cut to another size (the reduction run's trials): it keeps its name.
void Nester::setPlateSize(double length, double width) {
  Plate resized = plate_;
  resized.length = length;
  resized.width = width;
  resized.area = length * width;
  setPlate(resized);
}

void Nester::setPackingPointDistance(double distance) {
  packingPointDistance_ = distance;
  packingPointsDirty_ = true;
}

void Nester::updatePlateRect() {
  plateRect_ = BoundingBox{0, plateLength(), 0, plateWidth()};
  if (plateLength() == 0 || plateWidth() == 0) throw FatalError::warning("包围盒大小为零!");
}

void Nester::offsetAllParts(double gap) {
  if (gap == 0) return;
  for (PlacedPart& part : parts) part.offset(gap);
}

}  // namespace platenest
