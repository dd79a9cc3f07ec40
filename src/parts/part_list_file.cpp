// Reading a part-list file: the settings block, then every part entry checked, repaired
// where a slightly larger arc radius suffices, and converted into a region.
#include "parts/part_list_file.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "nesting/nester.h"
#include "parts/config_section.h"
#include "parts/part_entry.h"
#include "parts/report_lines.h"
#include "support/fatal_error.h"
#include "support/gbk.h"
#include "support/line_reader.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

// fgets buffer of the original reader: at most 999 characters of a line per read.
constexpr int kLineBuffer = 1000;
constexpr const char* kCountMismatch = "点记录的数目与pointNum不符或少于3个!";

// The check report as a file that can be read back, to tell the caller why an entry failed.
class CheckReport {
 public:
  explicit CheckReport(const std::filesystem::path& path) : path_(path) {
    if (!writer_.open(path, TextWriter::Mode::kAppend)) {
      throw FatalError::warning("排样错误报告文件输出失败!", path.string());
    }
  }
  TextWriter& writer() { return writer_; }

  std::uintmax_t size() { return reportSize(writer_, path_); }

  // The lines written since `from`, as UTF-8, without tabs and the part-name lines.
  std::string linesSince(std::uintmax_t from) { return reportLinesSince(writer_, path_, from); }

 private:
  std::filesystem::path path_;
  TextWriter writer_;
};

}  // namespace

void readPartListFile(Nester& nester, const std::filesystem::path& path,
                      const std::filesystem::path& checkReportPath) {
  std::vector<RejectedPart> rejected;
  readPartListFile(nester, path, checkReportPath, rejected);
}

void readPartListFile(Nester& nester, const std::filesystem::path& path,
                      const std::filesystem::path& checkReportPath,
                      std::vector<RejectedPart>& rejected) {
  LineReader file;
  if (!file.open(path)) throw FatalError::warning("零件数据文件读取失败!", path.string());

  NestConfig config;
  bool haveConfig = false;
  std::vector<PartEntry> entries;
  std::string line;
  while (file.readLine(line, kLineBuffer)) {
    if (line.find("CONFIGINFO") != std::string::npos) {
      readConfigSection(file, config);
      haveConfig = true;
    }
    if (line.find("PARTINFO") != std::string::npos && !file.atEnd()) {
      PartEntry entry;
      if (parsePartEntry(file, entry)) {
        entries.push_back(std::move(entry));
      } else {
        rejected.push_back(RejectedPart{-1, entry.NameID, kCountMismatch});
      }
    }
  }

  // Without a settings block the nester keeps its construction plate, gap and turnover.
  if (haveConfig) {
    applyConfig(nester, config);
    nester.hasJobSettings = true;
  }
  nester.plate.setSize(nester.plateLength, nester.plateWidth);
  try {
    nester.updatePlateRect();
  } catch (const FatalError& error) {
    // A zero plate size comes from this file's settings block: say which file.
    if (!error.detail().empty()) throw;
    throw FatalError(error.channel(), error.caption(), error.text(), path.string());
  }

  if (entries.empty()) return;
  // One stream for the whole file; the lines and their order are those of an entry-by-entry
  // append.
  CheckReport report(checkReportPath);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::uintmax_t before = report.size();
    Region region;
    if (checkPartEntry(entries[i], report.writer())) {
      convertPartEntry(entries[i], region);
    } else if (!repairPartEntry(entries[i], region, report.writer())) {
      rejected.push_back(
          RejectedPart{static_cast<std::int32_t>(i), entries[i].NameID, report.linesSince(before)});
      continue;
    }
    // A dropped entry keeps its number: the ids of the parts after it have a gap.
    region.id = static_cast<std::int32_t>(i);
    nester.regions.insertFront(region);
  }
}

}  // namespace platenest
