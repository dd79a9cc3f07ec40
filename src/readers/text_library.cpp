// The text part library. Three header lines give the plate length, the plate width and the
// part-to-part gap after fixed-width captions; then every part is a "NAME" line followed by
// its contours. A contour is a head line "n x0 y0" (n counts the contour's lines, head
// included), then n - 2 lines "r x y" (r is the radius of the edge arriving at (x, y)), then a
// line "r" with the radius of the closing edge. The first contour of a part is its outline,
// the others are holes. "#end" closes the library.
#include "readers/text_library.h"

#include <climits>
#include <string>
#include <string_view>

#include "readers/report_lines.h"
#include "support/line_reader.h"
#include "support/messages.h"
#include "support/fatal_error.h"
#include "support/gbk.h"
#include "support/number_parse.h"

namespace platenest {
namespace {

// Every read takes at most 99 characters of a line, as the library's writers expect.
constexpr int kReadBuffer = 100;

// The captions before the header values are fixed-width.
constexpr std::size_t kLengthCaption = 13;
constexpr std::size_t kWidthCaption = 12;
constexpr std::size_t kGapCaption = 14;
// "NAME" and one separator come before a part's name.
constexpr std::size_t kNameStart = 5;

constexpr const char* kNoContour = "零件没有轮廓!";
constexpr const char* kContourCutShort = "零件轮廓的行数不足, 零件数据不完整!";
constexpr const char* kBadContourHead = "某个面域点的数目<=0, 错误!";

bool startsWith(const std::string& line, std::string_view prefix) {
  return std::string_view(line).substr(0, prefix.size()) == prefix;
}

bool endsBlock(const std::string& line) {
  return startsWith(line, "NAME") || startsWith(line, "#end");
}

// The number starting at a fixed column; 0 when the line is shorter.
double numberAt(const std::string& line, std::size_t column) {
  if (line.size() <= column) return 0.0;
  return parseDouble(std::string_view(line).substr(column));
}

// Reads white-space separated numbers one after the other. A field that is not a number
// reads as 0 and stops the reading there, so every later field of the line reads as 0 too.
class NumberFields {
 public:
  explicit NumberFields(std::string_view text) : rest_(text) {}
  double next(std::size_t* consumed = nullptr) {
    std::size_t used = 0;
    const double value = parseDouble(rest_, &used);
    rest_.remove_prefix(used);
    if (consumed != nullptr) *consumed = used;
    return value;
  }

 private:
  std::string_view rest_;
};

std::string location(const LineReader& file, int line) {
  return file.path().string() + ":" + std::to_string(line);
}

// One read of a line. A line padded with blanks beyond one read (or whose line feed falls
// just past it) is one line: its padding is not read as the next line, where it would shift
// every later vertex of the contour.
bool readNumberLine(LineReader& file, std::string& line) {
  if (!file.readLine(line, kReadBuffer)) return false;
  if (line.back() != '\n') file.skipBlankRestOfLine();
  return true;
}

// A name holds at most TextLabel::kMaxBytes bytes; the cut never splits a character (UTF-8
// names are cut as UTF-8, anything else as GBK with its two-byte characters).
std::string cutName(std::string name) {
  const std::size_t limit = TextLabel::kMaxBytes;
  if (name.size() <= limit) return name;
  std::size_t cut = 0;
  if (isValidUtf8(name)) {
    cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
  } else {
    while (cut < name.size()) {
      const auto lead = static_cast<unsigned char>(name[cut]);
      const std::size_t width = (lead >= 0x81 && lead <= 0xFE && cut + 1 < name.size()) ? 2 : 1;
      if (cut + width > limit) break;
      cut += width;
    }
  }
  name.resize(cut);
  return name;
}

// The part name: the line after "NAME" and its separator, without the line end.
std::string nameOf(const std::string& line) {
  std::string name = line.size() > kNameStart ? line.substr(kNameStart) : std::string();
  if (!name.empty() && name.back() == '\n') name.pop_back();
  return cutName(std::move(name));
}

enum class ContourResult {
  kContour,     // one contour read
  kEndOfBlock,  // the next line belongs to the next block (or the file has ended)
  kCutShort,    // the contour has fewer lines than its head says
};

ContourResult readContour(LineReader& file, Contour& contour) {
  std::string line;
  std::size_t start = 0;
  double count = 0;
  // A line without a number ("xyz", a blank line) heads no contour and is skipped, inside a
  // block as between blocks, so that a remark never cuts a part off from its holes.
  for (;;) {
    start = file.tell();
    if (!readNumberLine(file, line)) return ContourResult::kEndOfBlock;
    if (endsBlock(line)) {
      file.seek(start);
      return ContourResult::kEndOfBlock;
    }
    std::size_t used = 0;
    count = parseDouble(line, &used);
    if (used > 0) break;
  }
  NumberFields head(line);
  head.next();
  // n is truncated to an integer; a contour needs at least one vertex line after its head.
  if (!(count >= 2)) {
    file.seek(start);
    throw FatalError::warning(kBadContourHead, location(file, file.lineNumber()));
  }
  const int n = count >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(count);
  const int m = n - 1;

  std::vector<Point> vertices;
  std::vector<double> radii;
  const double x0 = head.next();
  const double y0 = head.next();
  vertices.emplace_back(x0, y0);
  // Grown line by line: a count far beyond the lines really there allocates nothing extra.
  for (int i = 1; i <= m; ++i) {
    const std::size_t before = file.tell();
    if (!readNumberLine(file, line)) return ContourResult::kCutShort;
    if (endsBlock(line)) {
      file.seek(before);
      return ContourResult::kCutShort;
    }
    NumberFields fields(line);
    radii.push_back(fields.next());
    if (i < m) {
      const double x = fields.next();
      const double y = fields.next();
      vertices.emplace_back(x, y);
    }
  }
  contour.setVertices(std::move(vertices), std::move(radii));
  return ContourResult::kContour;
}

enum class BlockResult { kPart, kNoContour, kCutShort };

// Reads the contours of one block; the first is the outline, the others are the holes.
BlockResult readPartContours(LineReader& file, Region& region) {
  ContourList contours;  // front insertion: the first contour read ends up last
  for (;;) {
    Contour contour;
    const ContourResult result = readContour(file, contour);
    if (result == ContourResult::kEndOfBlock) break;
    if (result == ContourResult::kCutShort) return BlockResult::kCutShort;
    contours.push_front(std::move(contour));
  }
  if (contours.empty()) return BlockResult::kNoContour;
  const Contour outer = std::move(contours.back());
  contours.pop_back();
  region.setGeometry(outer, contours);
  return BlockResult::kPart;
}

void reject(TextWriter& errorLog, std::vector<RejectedPart>& rejected, const std::string& name,
            const char* reason) {
  errorLog << "\t" << reason;
  errorLog.endLine();
  errorLog << kPartNameLine;
  errorLog.bytes(name).endLine();
  rejected.push_back(RejectedPart{-1, name, reason});
}

// Reads what is left of a line longer than one read.
void skipRestOfLine(LineReader& file) {
  std::string rest;
  while (file.readLine(rest, kReadBuffer)) {
    if (!rest.empty() && rest.back() == '\n') break;
  }
}

}  // namespace

Job readTextLibrary(const std::filesystem::path& path, TextWriter& errorLog) {
  LineReader file;
  if (!file.open(path)) throw FatalError::warning("零件数据文件读取失败!", path.string());

  // Read by line feeds, such a file is one long line whose pieces give a plate size made up
  // of whatever figures fall at the caption columns.
  refuseBareCarriageReturnLines(file, "the part library");
  Job job;
  std::string line;
  readNumberLine(file, line);
  const double plateLength = numberAt(line, kLengthCaption);
  readNumberLine(file, line);
  const double plateWidth = numberAt(line, kWidthCaption);
  readNumberLine(file, line);
  job.partGap = numberAt(line, kGapCaption);

  job.plate.emplace().setSize(plateLength, plateWidth);
  if (plateLength == 0 || plateWidth == 0) {
    throw FatalError::warning("包围盒大小为零!", location(file, plateLength == 0 ? 1 : 2));
  }

  std::int32_t counter = 0;
  // A library without "#end" ends with the file, which may then have been cut short.
  bool ended = false;
  while (file.readLine(line, kReadBuffer)) {
    if (startsWith(line, "NAME")) {
      // A name line longer than one read: its rest is part of the name, not a contour.
      if (line.back() != '\n') skipRestOfLine(file);
      Region region;
      region.label.text = nameOf(line);
      switch (readPartContours(file, region)) {
        case BlockResult::kPart:
          region.id = counter++;
          job.regions.push_back(std::move(region));
          break;
        case BlockResult::kNoContour:
          reject(errorLog, job.rejected, region.label.text, kNoContour);
          break;
        case BlockResult::kCutShort:
          reject(errorLog, job.rejected, region.label.text, kContourCutShort);
          break;
      }
    }
    if (startsWith(line, "#end")) {
      ended = true;
      break;
    }
  }
  if (!ended) warnCutShort(path.string(), "\"#end\"");
  errorLog.flush();
  return job;
}

}  // namespace platenest
