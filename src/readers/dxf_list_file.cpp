// The DXF list file: the three header lines of the text part library (plate length, plate
// width, gap, each after a caption of fixed width) and, on the fourth line, the folder whose
// drawings are read as one part each.
#include "readers/dxf_list_file.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "support/fatal_error.h"
#include "support/gbk.h"
#include "support/line_reader.h"
#include "support/messages.h"
#include "support/number_parse.h"

namespace platenest {
namespace {

// Header lines are read as a 200-byte fgets buffer holds them.
constexpr int kHeaderLineBuffer = 200;
// Caption widths: the number starts at the 14th, 13th and 15th byte.
constexpr std::size_t kLengthCaption = 13;
constexpr std::size_t kWidthCaption = 12;
constexpr std::size_t kGapCaption = 14;

// The number after a caption; a line too short to reach it reads as 0.
double numberAfterCaption(const std::string& line, std::size_t captionWidth) {
  if (line.size() <= captionWidth) return 0.0;
  return parseDouble(std::string_view(line).substr(captionWidth));
}

double readHeaderNumber(LineReader& reader, std::size_t captionWidth) {
  std::string line;
  reader.readLine(line, kHeaderLineBuffer);
  return numberAfterCaption(line, captionWidth);
}

// The whole of the next line without its line end, however long: a folder path is not cut.
std::string readWholeLine(LineReader& reader) {
  std::string whole;
  std::string piece;
  while (reader.readLine(piece, kHeaderLineBuffer)) {
    whole += piece;
    if (whole.back() == '\n') {
      whole.pop_back();
      break;
    }
  }
  return whole;
}

bool isDirectory(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

bool hasDxfExtension(const std::string& name) {
  if (name.size() < 4) return false;
  std::string extension = name.substr(name.size() - 4);
  std::transform(extension.begin(), extension.end(), extension.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return extension == ".dxf";
}

// The drawings of the folder in byte order of their names, so that a job always loads the
// same way whatever order the file system lists them in.
std::vector<std::string> dxfFileNames(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error);
  if (error) return names;
  for (const std::filesystem::directory_iterator end; it != end; it.increment(error)) {
    if (error) break;
    std::error_code typeError;
    if (it->is_directory(typeError)) continue;
    std::string name = it->path().filename().string();
    if (hasDxfExtension(name)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

std::optional<std::filesystem::path> resolveDxfFolder(std::string_view folderLine,
                                                      const std::filesystem::path& listPath) {
  // A path ends at its first zero byte, as the file system sees it: the rest would be lost
  // from every path built on the folder, and a drawing's path would name the folder itself.
  folderLine = folderLine.substr(0, folderLine.find('\0'));
  if (folderLine.empty()) return std::nullopt;
  // The list file is GBK text while folder names on disk are usually UTF-8: try the bytes
  // as written first, then their decoding.
  std::vector<std::string> spellings{std::string(folderLine)};
  if (!isValidUtf8(folderLine)) spellings.push_back(gbkToUtf8(folderLine));
  for (std::string& spelling : spellings) {
    std::replace(spelling.begin(), spelling.end(), '\\', '/');
  }
  for (const std::string& spelling : spellings) {
    const std::filesystem::path folder(spelling);
    if (isDirectory(folder)) return folder;
  }
  for (const std::string& spelling : spellings) {
    const std::filesystem::path folder(spelling);
    if (folder.is_absolute()) continue;
    const std::filesystem::path beside = listPath.parent_path() / folder;
    if (isDirectory(beside)) return beside;
  }
  return std::nullopt;
}

std::optional<std::filesystem::path> dxfListFolder(const std::filesystem::path& listPath) {
  LineReader reader;
  if (!reader.open(listPath)) return std::nullopt;
  std::string line;
  for (int i = 0; i < 3; ++i) reader.readLine(line, kHeaderLineBuffer);
  return resolveDxfFolder(readWholeLine(reader), listPath);
}

Job readDxfListFile(const std::filesystem::path& path) {
  LineReader reader;
  if (!reader.open(path)) {
    throw FatalError::warning("排样信息文件读取失败!", displayName(path.string()));
  }
  Job job;
  const double plateLength = readHeaderNumber(reader, kLengthCaption);
  const double plateWidth = readHeaderNumber(reader, kWidthCaption);
  job.partGap = readHeaderNumber(reader, kGapCaption);
  job.plate.emplace().setSize(plateLength, plateWidth);
  if (plateLength == 0 || plateWidth == 0) throw FatalError::warning("包围盒大小为零!");

  // A missing folder, or one without drawings, gives an empty job without a message.
  const std::optional<std::filesystem::path> folder = resolveDxfFolder(readWholeLine(reader), path);
  if (!folder) return job;

  std::int32_t counter = 0;
  for (const std::string& name : dxfFileNames(*folder)) {
    const std::filesystem::path partPath = *folder / name;
    PlacedPart part;
    PartDrawing drawing;
    if (readDxfPart(part, partPath, drawing)) {
      part.id = counter++;
      drawing.id = part.id;
      job.parts.push_back(std::move(part));
      job.drawings.push_back(std::move(drawing));
    } else {
      const std::string message = "零件\"" + displayName(partPath.string()) + "\"读取失败!";
      showWarning(message);
      job.rejected.push_back(RejectedPart{-1, name, message});
    }
  }
  return job;
}

}  // namespace platenest
