// The DXF list file: the three header lines of the text part library (plate length, plate
// width, gap, each after a caption of fixed width) and, on the fourth line, the folder whose
// drawings are read as one part each.
#include "readers/dxf_list_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "geometry/discretise.h"
#include "readers/dxf_loops.h"
#include "support/fatal_error.h"
#include "support/gbk.h"
#include "support/line_reader.h"
#include "support/messages.h"
#include "support/number_parse.h"
#include "support/whole_file.h"

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


bool endsWithEof(std::string_view bytes) {
  while (!bytes.empty() && std::isspace(static_cast<unsigned char>(bytes.back()))) {
    bytes.remove_suffix(1);
  }
  return bytes.ends_with("EOF");
}

// The plain reader chains its chords loop by loop, each loop looking through every chord left:
// its work grows with loops times chords. Beyond these it is not asked, and the joiner alone
// reads the drawing, so that no drawing takes more than a moment.
constexpr std::size_t kPlainReaderMostEntities = 1000;
constexpr double kPlainReaderMostChords = 20000;

// About how many chords the plain reader cuts the drawing into with `chordTolerance` (mm).
double plainChords(const DxfGeometry& geometry, double chordTolerance) {
  const auto chords = [&](double radius, double sweepDegrees) {
    if (!(radius > chordTolerance)) return 8.0;
    const double step = chordAngleDegrees(radius, chordTolerance);
    return std::ceil(sweepDegrees / step) + 1;
  };
  double total = static_cast<double>(geometry.lines.size());
  for (const Circle& c : geometry.circles) total += chords(c.radius, 360);
  for (const Arc& a : geometry.arcs) total += chords(a.radius, a.sweep());
  return total;
}

bool plainReaderIsBounded(const DxfGeometry& geometry, double chordTolerance) {
  return geometry.lines.size() + geometry.arcs.size() + geometry.circles.size() <=
             kPlainReaderMostEntities &&
         plainChords(geometry, chordTolerance) <= kPlainReaderMostChords;
}

// The plain reader's part stands when the loops found by joining agree with it: one outline
// with the same holes.
bool plainPartAgrees(const PlacedPart& part, const DxfLoopParts& joined) {
  return joined.refusal.empty() && joined.parts.size() == 1 &&
         joined.parts.front().holes.count() == part.holes.count();
}

// The entities of a drawing of loose lines, arcs and circles as the plain line scanner collects
// them: each list filled at the front in file order.
DxfEntities plainEntities(const DxfGeometry& geometry) {
  DxfEntities entities;
  for (const Segment& line : geometry.lines) entities.segments.push_front(line);
  for (const Circle& circle : geometry.circles) entities.circles.push_front(circle);
  for (const Arc& arc : geometry.arcs) entities.arcs.push_front(arc);
  entities.label = geometry.label;
  entities.secondLabel = geometry.secondLabel;
  return entities;
}

// Each closed gap is named, up to a screenful; a drawing of many gaps says how many more.
void showClosedGaps(const std::string& name, const DxfLoopParts& joined) {
  constexpr std::size_t kGapsNamed = 10;
  for (std::size_t g = 0; g < joined.closedGaps.size() && g < kGapsNamed; ++g) {
    showWarning(displayName(name) + ": " + joined.closedGaps[g]);
  }
  if (joined.closedGaps.size() > kGapsNamed) {
    showWarning(displayName(name) + ": " + std::to_string(joined.closedGaps.size() - kGapsNamed) +
                " more gaps closed");
  }
}


// A drawing that gives no part: the reader's messages, the file's message naming the path,
// then what was found, so that the operator reads why, not only that, it was refused.
void rejectDrawing(const std::filesystem::path& partPath, const std::vector<std::string>& messages,
                   const std::string& detail, Job& job) {
  std::string fileMessage = "零件\"";
  fileMessage += displayName(partPath.string());
  fileMessage += "\"读取失败!";
  const std::string name = partPath.filename().string();
  for (const std::string& message : messages) showWarning(message);
  showWarning(fileMessage);
  if (!detail.empty()) showWarning(displayName(name) + ": " + detail);
  job.rejected.push_back(RejectedPart{-1, name, fileMessage, detail});
}

void rejectUnreadable(const std::filesystem::path& partPath, Job& job) {
  std::error_code error;
  const bool tooLarge = std::filesystem::is_regular_file(partPath, error) &&
                        std::filesystem::file_size(partPath, error) > kLargestInputBytes && !error;
  rejectDrawing(partPath, {},
                tooLarge ? "the file is larger than " +
                               std::to_string(kLargestInputBytes / (1024 * 1024)) +
                               " MiB, more than any drawing of one part"
                         : "the file cannot be opened",
                job);
}

void addPart(PlacedPart part, PartDrawing drawing, std::int32_t& counter, Job& job) {
  part.id = counter++;
  drawing.id = part.id;
  job.parts.push_back(std::move(part));
  job.drawings.push_back(std::move(drawing));
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

void readDxfDrawing(std::string_view bytes, const std::filesystem::path& partPath,
                    const DxfReadOptions& options, std::int32_t& counter, Job& job) {
  const std::string name = partPath.filename().string();
  const std::string stem = cutDxfText(partPath.stem().string());
  const auto reject = [&](const std::vector<std::string>& messages, const std::string& detail) {
    rejectDrawing(partPath, messages, detail, job);
  };
  const DxfGeometry geometry = readDxfGeometry(bytes, options);
  if (!geometry.refusal.empty()) {
    reject({}, geometry.refusal);
    return;
  }
  if (geometry.emptyEntities > 0) {
    showWarning(displayName(name) + ": " + std::to_string(geometry.emptyEntities) +
                (geometry.emptyEntities == 1 ? " empty entity skipped" : " empty entities skipped"));
  }
  const double chordTolerance = PlacedPart().chordTolerance;
  const DxfLoopParts joined = joinDxfLoops(geometry, options.joinTolerance, chordTolerance);
  std::vector<std::string> plainMessages;
  if (geometry.plain && plainReaderIsBounded(geometry, chordTolerance)) {
    // Drawings of loose lines, arcs and circles that the plain reader reads into one outline
    // with its holes keep exactly that part and its messages.
    PlacedPart plainPart;
    PartDrawing plainDrawing;
    RecordingMessageSink sink;
    bool plainRead = false;
    {
      ScopedMessageSink guard(&sink);
      if (!endsWithEof(bytes)) warnCutShort(partPath.string(), "\"EOF\"");
      plainRead = dxfPartFromEntities(plainPart, plainEntities(geometry), plainDrawing);
    }
    plainMessages = sink.texts();
    // The plain reader chains ends up to half a millimetre apart; the gaps it closed are
    // found again by joining that far, so that each is named and drawn.
    std::optional<DxfLoopParts> rejoined;
    if (plainRead && joined.refusal.starts_with("outline not closed")) {
      rejoined = joinDxfLoops(geometry, std::max(options.joinTolerance, kChainMatchDistance),
                              chordTolerance);
    }
    const DxfLoopParts& gaps = rejoined ? *rejoined : joined;
    if (plainRead && plainPartAgrees(plainPart, gaps)) {
      for (const std::string& message : plainMessages) showWarning(message);
      showClosedGaps(name, gaps);
      for (const Segment& closing : gaps.closingLines) plainDrawing.lines.push_back(closing);
      if (!geometry.named) plainPart.label.text = stem;
      addPart(std::move(plainPart), std::move(plainDrawing), counter, job);
      return;
    }
  }
  if (!joined.refusal.empty()) {
    reject(plainMessages, joined.refusal);
    return;
  }
  if (!endsWithEof(bytes)) warnCutShort(partPath.string(), "\"EOF\"");
  showClosedGaps(name, joined);
  std::size_t number = 0;
  for (const DxfLoopPart& loops : joined.parts) {
    ++number;
    PlacedPart part;
    // Copied, the loops' holes come in reverse order, as these parts have always had them.
    part.setGeometry(loops.outer, loops.holes);
    part.label = geometry.label;
    part.secondLabel = geometry.secondLabel;
    if (!geometry.named) part.label.text = stem;
    if (joined.parts.size() > 1) {
      part.label.text += '#';
      part.label.text += std::to_string(number);
    }
    if (!(part.area() > 0.0)) {
      reject({}, "part " + part.label.text + " encloses no area");
      continue;
    }
    addPart(std::move(part), loops.drawing, counter, job);
  }
}

Job readDxfListFile(const std::filesystem::path& path, const DxfReadOptions& options) {
  LineReader reader;
  if (!reader.open(path)) {
    throw FatalError::warning("排样信息文件读取失败!", displayName(path.string()));
  }
  // Read by line feeds, such a file is one line: the plate size would come from whatever
  // figures fall at the caption columns and the drawing folder would be lost.
  refuseBareCarriageReturnLines(reader, "the DXF list");
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
    std::string bytes;
    if (!readWholeFile(partPath, bytes)) {
      rejectUnreadable(partPath, job);
      continue;
    }
    readDxfDrawing(bytes, partPath, options, counter, job);
  }
  return job;
}

}  // namespace platenest
