// The time a layout command took, recorded by the caller that runs and announces it (the
// command line, the window, the reduction run's trials): the clock, the timing file and the
// last time taken. The layout commands themselves only place parts.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <utility>

namespace platenest {

// How a timed command leaves the timing file.
enum class TimingRecord {
  kLastCommand,  // the file holds this command's time only (Layout, Layout All)
  kDatedEntry,   // the file's lines, then the date and this command's time (Multiple Steps)
};

class LayoutTiming {
 public:
  // Where the operator's layout commands record their time: in the current folder.
  static constexpr const char* kFileName = "排样计算时间.txt";

  explicit LayoutTiming(std::filesystem::path file = kFileName) : file_(std::move(file)) {}

  const std::filesystem::path& file() const { return file_; }

  // Runs `command` timed, from before the file is opened to the command's end; then formats
  // the time ("排样计算时间为:12.34 毫秒", seconds above one second), announces it when asked
  // and writes it as the file's last line. A file that cannot be opened is fatal before the
  // command runs, one that cannot be written after it ("记录排样计算时间的文件输出失败!"); a
  // command that throws leaves the file as it was.
  void time(TimingRecord record, bool announce, const std::function<void()>& command);

  // The last timed command's time and its message (UTF-8, as written); 0 and empty before.
  double lastSeconds() const { return lastSeconds_; }
  const std::string& lastMessage() const { return lastMessage_; }

 private:
  std::filesystem::path file_;
  double lastSeconds_ = 0.0;
  std::string lastMessage_;
};

}  // namespace platenest
