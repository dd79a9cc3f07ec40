// Reading a part-list file: the settings block, then every part entry checked, repaired
// where a slightly larger arc radius suffices, and converted into a region.
#include "readers/part_list_file.h"

#include <string>
#include <vector>

#include "readers/config_section.h"
#include "readers/part_entry.h"
#include "readers/report_lines.h"
#include "support/fatal_error.h"
#include "support/gbk.h"
#include "support/line_reader.h"
#include "support/messages.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

// fgets buffer of the original reader: at most 999 characters of a line per read.
constexpr int kLineBuffer = 1000;
constexpr const char* kCountMismatch = "点记录的数目与pointNum不符或少于3个!";

// The check report, appended to entry by entry; what each entry's checks wrote is kept, to
// tell the caller why an entry failed.
class CheckReport {
 public:
  explicit CheckReport(const std::filesystem::path& path) {
    if (!writer_.open(path, TextWriter::Mode::kAppend)) {
      throw FatalError::warning("排样错误报告文件输出失败!", writer_.problem());
    }
    writer_.copyTo(&written_);
  }
  ~CheckReport() {
    if (!writer_.close()) showWarning("排样错误报告文件输出失败! " + writer_.problem());
  }
  CheckReport(const CheckReport&) = delete;
  CheckReport& operator=(const CheckReport&) = delete;
  TextWriter& writer() { return writer_; }

  // Starts the record of one entry's lines.
  void startEntry() { written_.clear(); }
  // The lines of the current entry, as UTF-8, without tabs and the part-name lines.
  std::string entryLines() const { return reportLines(written_); }

 private:
  TextWriter writer_;
  std::string written_;
};

}  // namespace

Job readPartListFile(const std::filesystem::path& path,
                     const std::filesystem::path& checkReportPath) {
  LineReader file;
  if (!file.open(path)) throw FatalError::warning("零件数据文件读取失败!", path.string());
  // Read by line feeds, such a file is one line: no block heading would be found in it and the
  // list would read as empty.
  refuseBareCarriageReturnLines(file, "the part list");

  Job job;
  NestConfig config;
  bool haveConfig = false;
  std::vector<PartEntry> entries;
  std::string line;
  // Whether the last PARTINFO block closed with "_end_"; a file cut short leaves it open.
  bool lastEntryEnded = true;
  while (file.readLine(line, kLineBuffer)) {
    if (line.find("CONFIGINFO") != std::string::npos) {
      readConfigSection(file, config);
      haveConfig = true;
    }
    if (line.find("PARTINFO") != std::string::npos && file.atEnd()) lastEntryEnded = false;
    if (line.find("PARTINFO") != std::string::npos && !file.atEnd()) {
      PartEntry entry;
      const bool usable = parsePartEntry(file, entry);
      lastEntryEnded = entry.ended;
      if (usable) {
        entries.push_back(std::move(entry));
      } else {
        job.rejected.push_back(RejectedPart{-1, entry.NameID, kCountMismatch});
      }
    }
  }

  if (!lastEntryEnded) warnCutShort(path.string(), "\"_end_\"");

  // Without a settings block the nester keeps its construction plate, gap and turnover.
  if (haveConfig) {
    job.settings = config;
    const double plateLength = config.staPlate_0;
    const double plateWidth = config.staPlate_1;
    job.plate.emplace().setSize(plateLength, plateWidth);
    job.partGap = config.partToPartGap;
    // A zero plate size comes from this file's settings block: say which file.
    if (plateLength == 0 || plateWidth == 0) {
      throw FatalError::warning("包围盒大小为零!", path.string());
    }
  }

  if (entries.empty()) return job;
  // One stream for the whole file; the lines and their order are those of an entry-by-entry
  // append.
  CheckReport report(checkReportPath);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    report.startEntry();
    Region region;
    if (checkPartEntry(entries[i], report.writer())) {
      convertPartEntry(entries[i], region);
    } else if (!repairPartEntry(entries[i], region, report.writer())) {
      job.rejected.push_back(
          RejectedPart{static_cast<std::int32_t>(i), entries[i].NameID, report.entryLines()});
      continue;
    }
    // A dropped entry keeps its number: the ids of the parts after it have a gap.
    region.id = static_cast<std::int32_t>(i);
    job.regions.push_back(std::move(region));
  }
  return job;
}

}  // namespace platenest
