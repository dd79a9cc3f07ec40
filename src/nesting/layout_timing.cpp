// The timing file of the layout commands: opened before the clock's first placement,
// written when the command is done.
#include "nesting/layout_timing.h"

#include <chrono>
#include <ctime>

#include "support/fatal_error.h"
#include "support/messages.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

constexpr const char* kUnwritable = "记录排样计算时间的文件输出失败!";

// "2024年3月7日, 14时5分9秒": local time, no leading zeros.
std::string dateLine(std::time_t now) {
  std::tm local{};
  localtime_r(&now, &local);
  return formatC("%d年%d月%d日, %d时%d分%d秒", local.tm_year + 1900, local.tm_mon + 1,
                 local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
}

}  // namespace

void LayoutTiming::time(TimingRecord record, bool announce, const std::function<void()>& command) {
  // The date of a dated entry is read before the clock starts.
  const std::time_t now = std::time(nullptr);
  const auto start = std::chrono::steady_clock::now();
  TextWriter file;
  const TextWriter::Mode mode =
      record == TimingRecord::kDatedEntry ? TextWriter::Mode::kExtend : TextWriter::Mode::kTruncate;
  if (!file.open(file_, mode)) {
    throw FatalError(FatalChannel::kStandardOutput, "", kUnwritable, file.problem());
  }
  if (record == TimingRecord::kDatedEntry) {
    file << dateLine(now);
    file.endLine();
  }
  command();
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  const double t = elapsed.count();
  const std::string message = t <= 1.0 ? formatC("排样计算时间为:%.2f 毫秒", t * 1000)
                                       : formatC("排样计算时间为:%.2f 秒", t);
  lastSeconds_ = t;
  lastMessage_ = message;
  if (announce) showMessage(kNoticeCaption, message);
  file << message;
  file.endLine();
  if (!file.close()) {
    throw FatalError(FatalChannel::kStandardOutput, "", kUnwritable, file.problem());
  }
}

}  // namespace platenest
