// One small DXF drawing per part, named after the part, holding the straight-edged polygons
// the engine works with: grown by half the gap and at the part's current pose.
#include "output/parts_export.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>

#include "nesting/nester.h"
#include "nesting/posed_layout.h"
#include "nesting/progress.h"
#include "job/placed_part.h"
#include "output/drawing_entities.h"
#include "output/dxf_entities.h"
#include "support/fatal_error.h"
#include "support/gbk.h"

namespace platenest {
namespace {

bool isGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
bool isGbkTrailByte(unsigned char byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

// Bytes that could lead a name out of the output folder or break the file name.
bool isUnsafeByte(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F || byte == '/' || byte == '\\';
}

}  // namespace

std::string safeFileName(std::string_view name) {
  if (name.empty()) return "_";
  std::string result(name);
  // A GBK name may hold 0x5C ('\') as the second byte of a Chinese character; that byte is
  // part of the character, not a separator, and must stay for the name to read correctly.
  const bool gbkPairs = !isValidUtf8(name);
  for (std::size_t i = 0; i < result.size(); ++i) {
    const auto byte = static_cast<unsigned char>(result[i]);
    if (gbkPairs && isGbkLeadByte(byte) && i + 1 < result.size() &&
        isGbkTrailByte(static_cast<unsigned char>(result[i + 1]))) {
      ++i;
      continue;
    }
    if (isUnsafeByte(byte)) result[i] = '_';
  }
  // Runs of two or more dots climb out of the folder once a separator is near; none stays.
  for (std::size_t i = 0; i + 1 < result.size(); ++i) {
    if (result[i] != '.' || result[i + 1] != '.') continue;
    std::size_t end = i;
    while (end < result.size() && result[end] == '.') result[end++] = '_';
    i = end;
  }
  return result;
}

void writePolygonLines(TextWriter& out, const Polygon& polygon) {
  const int n = polygon.vertexCount();
  for (int i = 0; i < n; ++i) writeLine(out, polygon.vertex(i), polygon.vertex((i + 1) % n), "0");
}

namespace {

// The label and the start point of the cut (the first vertex of `outline`).
void writeLabelAndStart(TextWriter& out, const PlacedPart& part, const Polygon& outline) {
  const TextLabel& label = part.label;
  writeText(out, label.x, label.y, label.angle, label.height, label.text, "2");
  if (outline.empty()) return;
  const Point& start = outline.vertex(0);
  out.bytes("POINT").endLine();
  out.bytes("  8").endLine().bytes("0").endLine();
  out.bytes(" 10").endLine().number(start.x).endLine();
  out.bytes(" 20").endLine().number(start.y).endLine();
  out.bytes(" 30").endLine().bytes("0.0").endLine();
  out.bytes("  0").endLine();
}

// A part read from a drawing of its own is exported as drawn, at its current pose: its
// lines, arcs and circles, every hole included; the cut starts on its true outline.
bool writeDrawnPartEntities(TextWriter& out, const PosedPart& posed) {
  if (!posed.drawing) return false;
  writeDrawingEntities(out, *posed.drawing, -1, "0");
  writeLabelAndStart(out, *posed.working, posed.cut.outer);
  return true;
}

}  // namespace

void writePartEntities(TextWriter& out, const PlacedPart& part) {
  writePolygonLines(out, part.outer);
  for (const Polygon& hole : part.holes) writePolygonLines(out, hole);
  writeLabelAndStart(out, part, part.outer);
}

std::vector<ExportedDrawing> exportPartsDxf(const Nester& nester,
                                            const std::filesystem::path& folder,
                                            const std::vector<std::filesystem::path>& keepOff) {
  const PosedLayout view = poseLayout(nester);
  std::set<std::string> taken;
  std::vector<ExportedDrawing> written;
  const FileSet inputs(keepOff);
  const auto free = [&](const std::filesystem::path& path) {
    return taken.count(path.filename().string()) == 0 && !inputs.holds(path);
  };
  // Where the search for a free copy number of each name goes on: names are only ever taken,
  // so a number passed over once stays taken, and many parts of one name cost no rescan.
  std::map<std::string, int> nextCopy;
  Progress* const progress = nester.progress;
  if (progress != nullptr) progress->begin("drawings", static_cast<std::int64_t>(view.parts.size()));
  for (const PosedPart& posed : view.parts) {
    // A stop asked for by the operator ends the export between two drawings, each whole.
    if (progress != nullptr && progress->cancelled()) break;
    const PlacedPart& part = *posed.working;
    const std::string base = safeFileName(part.label.text);
    ExportedDrawing drawing{folder / (base + ".dxf"), false};
    int& copy = nextCopy.try_emplace(base, 2).first->second;
    while (!free(drawing.path)) {
      drawing = {folder / (base + " (" + std::to_string(copy++) + ").dxf"), true};
    }
    taken.insert(drawing.path.filename().string());
    const std::filesystem::path& path = drawing.path;
    TextWriter out;
    if (!out.open(path, TextWriter::Mode::kTruncate)) {
      throw FatalError::warning("排样文件输出失败!", out.problem());
    }
    writeDxfOpening(out);
    if (!writeDrawnPartEntities(out, posed)) writePartEntities(out, part);
    writeDxfClosing(out);
    if (!out.close()) throw FatalError::warning("排样文件输出失败!", out.problem());
    written.push_back(drawing);
    if (progress != nullptr) progress->advance(static_cast<std::int64_t>(written.size()));
  }
  return written;
}

}  // namespace platenest
