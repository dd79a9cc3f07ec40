// The record of a plate-size reduction run: one line per step in DetailsReport.txt and one
// layout drawing per trial, named after its plate size, in the report's folder.
#pragma once

#include <filesystem>
#include <vector>
#include <functional>
#include <string>

#include "nesting/nester.h"
#include "support/text_writer.h"

namespace platenest {

class ReductionReport {
 public:
  // Opens (empties) the report. Throws FatalError "文件DetailsReport.txt输出失败!" when it
  // cannot be written.
  explicit ReductionReport(const std::filesystem::path& reportPath);

  // The files the job is read from: a step drawing that would land on one of them (a run
  // into the folder of a DXF list's drawings) ends the run with a FatalError instead.
  void keepOff(std::vector<std::filesystem::path> inputs) { inputs_ = std::move(inputs); }

  // Writes the step's line (and hands it to `onLine`), then the drawing of a trial or a
  // restored size, taken from the nester's layout now.
  void record(const Nester& nester, const ReductionStep& step,
              const std::function<void(const std::string&)>& onLine = {});

  // Puts the whole report in place. Throws FatalError "文件DetailsReport.txt输出失败!" when
  // it could not be written; the previous report then stays. A report dropped unfinished
  // leaves the previous one.
  void finish();

 private:
  TextWriter report_;
  std::filesystem::path folder_;
  std::vector<std::filesystem::path> inputs_;
};

}  // namespace platenest
