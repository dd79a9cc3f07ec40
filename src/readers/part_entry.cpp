// Reading, checking, repairing and converting one part entry of a part-list file.
#include "readers/part_entry.h"

#include <cfloat>
#include <cmath>
#include <string_view>

#include "geometry/arc_check.h"
#include "geometry/discretise.h"
#include "support/gbk.h"
#include "support/line_reader.h"
#include "support/number_parse.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

// fgets buffer of the original reader: at most 999 characters of a line per read.
constexpr int kLineBuffer = 1000;
// Chord-height error used to measure contour areas when choosing the outer boundary.
constexpr double kAreaTolerance = 1.0;

constexpr const char* kBadGroupLine = "\t某个面域点的数目<=0, 错误!";
constexpr const char* kFailedPartLine = "以上错误发生于零件:";

bool contains(std::string_view line, std::string_view word) {
  return line.find(word) != std::string_view::npos;
}

// Drops the line end; a last line without one keeps all its characters.
void removeLineEnd(std::string& line) {
  if (!line.empty() && line.back() == '\n') line.pop_back();
}

// At most maxBytes bytes of `text`, never splitting a character (UTF-8 when the text is
// valid UTF-8, GBK otherwise).
std::string cutText(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return std::string(text);
  std::size_t end = 0;
  if (isValidUtf8(text)) {
    end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  } else {
    std::size_t i = 0;
    while (i < text.size()) {
      const unsigned char byte = static_cast<unsigned char>(text[i]);
      const std::size_t length = (byte >= 0x81 && byte <= 0xFE && i + 1 < text.size()) ? 2 : 1;
      if (i + length > maxBytes) break;
      i += length;
    }
    end = i;
  }
  return std::string(text.substr(0, end));
}

// Moves `position` just past the next comma; false when there is none.
bool skipPastComma(std::string_view line, std::size_t& position) {
  const std::size_t comma = line.find(',', position);
  if (comma == std::string_view::npos) return false;
  position = comma + 1;
  return true;
}

// The stored values are single precision; one beyond the float range becomes infinite
// rather than an undefined conversion.
float toFloat32(double value) {
  if (value > FLT_MAX) return HUGE_VALF;
  if (value < -FLT_MAX) return -HUGE_VALF;
  return static_cast<float>(value);
}

// Point line `index`: index, code, tag, value1, value2, v, x, y separated by commas. False
// when the line does not hold the decimal text of its index (the line is then skipped).
bool parsePointLine(std::string_view line, int index, PointRecord& record) {
  const std::size_t found = line.find(std::to_string(index));
  if (found == std::string_view::npos) return false;
  record = PointRecord{};
  std::size_t position = found + 1;
  if (!skipPastComma(line, position)) return true;
  record.code = parseAtoi(line.substr(position));
  if (!skipPastComma(line, position)) return true;
  const std::size_t tagEnd = line.find(',', position);
  record.tag =
      cutText(line.substr(position, tagEnd == std::string_view::npos ? std::string_view::npos
                                                                     : tagEnd - position),
              kMaxTagBytes);
  if (!skipPastComma(line, position)) return true;
  record.value1 = toFloat32(parseDouble(line.substr(position)));
  if (!skipPastComma(line, position)) return true;
  record.value2 = toFloat32(parseDouble(line.substr(position)));
  if (!skipPastComma(line, position)) return true;
  record.v = parseDouble(line.substr(position));
  if (!skipPastComma(line, position)) return true;
  record.x = parseDouble(line.substr(position));
  if (!skipPastComma(line, position)) return true;
  record.y = parseDouble(line.substr(position));
  return true;
}

// "partinf=" int [, flag [, real]].
void parsePartinf(std::string_view value, PartEntry& entry) {
  entry.partinfNumber = parseAtoi(value);
  std::size_t position = 0;
  if (!skipPastComma(value, position)) return;
  entry.partinfFlag = parseAtoi(value.substr(position)) != 0;
  if (!skipPastComma(value, position)) return;
  entry.partinfValue = toFloat32(parseDouble(value.substr(position)));
}

// Outer boundary = the contour of largest polygon area (the first of equals, front to
// back); the others are holes in list order.
void setRegionFromContours(ContourList contours, const std::string& NameID, Region& region) {
  ContourList::iterator outer = contours.begin();
  double largest = 0.0;
  for (ContourList::iterator it = contours.begin(); it != contours.end(); ++it) {
    const double area = toPolygon(*it, kAreaTolerance).area();
    if (it == contours.begin() || area > largest) {
      largest = area;
      outer = it;
    }
  }
  Contour outerContour;
  if (outer != contours.end()) {
    outerContour = std::move(*outer);
    contours.erase(outer);
  }
  region.setGeometry(outerContour, contours);
  region.label.text = cutText(NameID, TextLabel::kMaxBytes);
}

void writeBadGroup(TextWriter& report) { report << kBadGroupLine << "\n"; }

}  // namespace

EntryContours buildEntryContours(const PartEntry& entry) {
  EntryContours result;
  const std::vector<PointRecord>& records = entry.points;
  const std::size_t count = records.size();
  std::size_t head = 1;
  while (head < count) {
    const double n = std::trunc(records[head].v);
    // A negative (or unreadable) count would step backwards through the records.
    if (!(n >= 0.0)) {
      ++result.badGroups;
      break;
    }
    if (n - 1 <= 0) {
      ++result.badGroups;
      head += static_cast<std::size_t>(n) + 1;
      continue;
    }
    // The group's last record is n - 1 after the head; it must exist.
    if (n - 1 > static_cast<double>(count - 1 - head)) {
      ++result.badGroups;
      break;
    }
    const std::size_t edges = static_cast<std::size_t>(n) - 1;
    Contour contour;
    contour.vertices.reserve(edges);
    contour.radii.reserve(edges);
    contour.vertices.emplace_back(records[head].x, records[head].y);
    for (std::size_t j = 1; j <= edges; ++j) {
      const PointRecord& record = records[head + j];
      if (j < edges) contour.vertices.emplace_back(record.x, record.y);
      contour.radii.push_back(record.v);
    }
    result.contours.push_front(std::move(contour));
    head += edges + 2;
  }
  return result;
}

bool parsePartEntry(LineReader& file, PartEntry& entry) {
  bool countsMatch = true;
  std::string line;
  while (file.readLine(line, kLineBuffer)) {
    removeLineEnd(line);
    if (contains(line, "_end_")) {
      entry.ended = true;
      break;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string_view value = std::string_view(line).substr(equals + 1);
    if (contains(line, "NameID")) {
      entry.NameID = std::string(value);
    } else if (contains(line, "partName")) {
      entry.partName = std::string(value);
    } else if (contains(line, "partinf")) {
      parsePartinf(value, entry);
    } else if (contains(line, "pointNum")) {
      const int expected = parseAtoi(value);
      bool blockEnded = false;
      for (int i = 0; i < expected; ++i) {
        if (!file.readLine(line, kLineBuffer)) break;
        removeLineEnd(line);
        if (contains(line, "_end_")) {
          blockEnded = true;
          break;
        }
        PointRecord record;
        if (parsePointLine(line, i, record)) entry.points.push_back(std::move(record));
      }
      if (static_cast<long long>(entry.points.size()) != expected) countsMatch = false;
      if (blockEnded) {
        entry.ended = true;
        break;
      }
    }
  }
  return countsMatch && entry.points.size() >= 3;
}

bool checkPartEntry(const PartEntry& entry, TextWriter& report) {
  const EntryContours built = buildEntryContours(entry);
  bool failed = false;
  for (int i = 0; i < built.badGroups; ++i) {
    writeBadGroup(report);
    failed = true;
  }
  if (!failed) {
    for (const Contour& contour : built.contours) {
      if (!checkArcReach(contour, report)) {
        failed = true;
        break;
      }
    }
  }
  if (failed) {
    report << kFailedPartLine;
    report.bytes(entry.NameID);
    report.endLine();
  }
  report.flush();
  return !failed;
}

bool repairPartEntry(const PartEntry& entry, Region& region, TextWriter& report) {
  EntryContours built = buildEntryContours(entry);
  if (built.badGroups > 0) {
    writeBadGroup(report);
    report.flush();
    return false;
  }
  for (Contour& contour : built.contours) {
    if (!repairArcs(contour, report)) {
      report.flush();
      return false;
    }
  }
  report.flush();
  setRegionFromContours(std::move(built.contours), entry.NameID, region);
  return true;
}

void convertPartEntry(const PartEntry& entry, Region& region) {
  setRegionFromContours(buildEntryContours(entry).contours, entry.NameID, region);
}

}  // namespace platenest
