#include "readers/report_lines.h"

#include "support/gbk.h"

namespace platenest {

std::string reportLines(std::string_view written) {
  const std::string text = gbkToUtf8(written);
  std::string lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(kPartNameLine, 0) == 0) continue;
    const std::size_t first = line.find_first_not_of('\t');
    if (first == std::string::npos) continue;
    if (!lines.empty()) lines += "\n";
    lines += line.substr(first);
  }
  return lines;
}

}  // namespace platenest
