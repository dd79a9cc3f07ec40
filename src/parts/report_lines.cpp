#include "parts/report_lines.h"

#include <fstream>
#include <iterator>

#include "support/gbk.h"

namespace platenest {

std::uintmax_t reportSize(TextWriter& writer, const std::filesystem::path& path) {
  writer.flush();
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

std::string reportLinesSince(TextWriter& writer, const std::filesystem::path& path,
                             std::uintmax_t from) {
  writer.flush();
  std::ifstream in(path, std::ios::binary);
  if (!in || !in.seekg(static_cast<std::streamoff>(from))) return {};
  const std::string text =
      gbkToUtf8(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
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
