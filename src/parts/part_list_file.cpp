// Reading a part-list file: the settings block, then every part entry checked, repaired
// where a slightly larger arc radius suffices, and converted into a region.
#include "parts/part_list_file.h"

#include <string>
#include <vector>

#include "nesting/nester.h"
#include "parts/config_section.h"
#include "parts/part_entry.h"
#include "support/fatal_error.h"
#include "support/line_reader.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

// fgets buffer of the original reader: at most 999 characters of a line per read.
constexpr int kLineBuffer = 1000;

}  // namespace

void readPartListFile(Nester& nester, const std::filesystem::path& path,
                      const std::filesystem::path& checkReportPath) {
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
      if (parsePartEntry(file, entry)) entries.push_back(std::move(entry));
    }
  }

  // Without a settings block the nester keeps its construction plate, gap and turnover.
  if (haveConfig) {
    applyConfig(nester, config);
    nester.hasJobSettings = true;
  }
  nester.plate.setSize(nester.plateLength, nester.plateWidth);
  nester.updatePlateRect();

  if (entries.empty()) return;
  TextWriter report;
  if (!report.open(checkReportPath, TextWriter::Mode::kAppend)) {
    throw FatalError::warning("排样错误报告文件输出失败!", checkReportPath.string());
  }
  for (std::size_t i = 0; i < entries.size(); ++i) {
    Region region;
    if (checkPartEntry(entries[i], report)) {
      convertPartEntry(entries[i], region);
    } else if (!repairPartEntry(entries[i], region, report)) {
      continue;
    }
    // A dropped entry keeps its number: the ids of the parts after it have a gap.
    region.id = static_cast<std::int32_t>(i);
    nester.regions.insertFront(region);
  }
  report.close();
}

}  // namespace platenest
