// The layout drawing a cutting shop's CAM system reads: the plate, every part's true outline
// (arcs kept as arcs) at its current place, the part names, a vertical line at the packing
// length and three lines of summary text.
//
// Parts read as outlines with arcs are drawn from their regions brought to the working
// part's pose. Parts that were read from single-part drawings are drawn as drawn: their
// lines, arcs and circles (every hole, however small) at the working pose; a part without
// its drawing falls back to its loaded twin's straight edges, so that no part the shop must
// cut is missing from the drawing.
#include "output/layout_dxf.h"

#include <string>

#include "geometry/region.h"
#include "job/id_index.h"
#include "nesting/nester.h"
#include "nesting/posed_layout.h"
#include "job/placed_part.h"
#include "output/drawing_entities.h"
#include "output/dxf_entities.h"
#include "support/fatal_error.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

constexpr int kMirroredColour = 2;  // yellow: the part is cut turned over
constexpr int kPlainColour = 3;     // green
constexpr std::string_view kPlateLayer = "0";
constexpr std::string_view kOutlineLayer = "1";
constexpr std::string_view kNameLayer = "2";
constexpr std::string_view kSummaryLayer = "3";

int outlineColour(const PosedPart& part) { return part.mirrored ? kMirroredColour : kPlainColour; }

void writePolygonEdges(TextWriter& out, const Polygon& polygon, int colour) {
  const int n = polygon.vertexCount();
  for (int i = 0; i < n; ++i) {
    writeColouredLine(out, polygon.vertex(i), polygon.vertex((i + 1) % n), colour, kOutlineLayer);
  }
}

void writeTwinEntities(TextWriter& out, const PlacedPart& posed, int colour) {
  writePolygonEdges(out, posed.outer, colour);
  for (const Polygon& hole : posed.holes) writePolygonEdges(out, hole, colour);
  const TextLabel& label = posed.label;
  writeText(out, label.x, label.y, label.angle, label.height, label.text, kNameLayer);
}

struct Summary {
  int count = 0;
  double area = 0.0;           // mm^2, true outlines
  double packingLength = 0.0;  // mm
};

// Figures of the parts on the plate: outlines as read where the part has them (their own
// area and the box of their chords), the loaded twin otherwise.
Summary summarise(const PosedLayout& view) {
  Summary summary;
  for (const PosedPart& part : view.parts) {
    if (!part.onPlate) continue;
    ++summary.count;
    double maxX = 0.0;
    if (part.region) {
      summary.area += part.region->area;
      maxX = toPlacedPart(*part.region).box().maxX;
    } else {
      summary.area += part.cut.area();
      maxX = part.cut.box().maxX;
    }
    if (maxX > summary.packingLength) summary.packingLength = maxX;
  }
  return summary;
}

}  // namespace

void writeLayoutDxf(const Nester& nester, const std::filesystem::path& path) {
  TextWriter out;
  if (!out.open(path, TextWriter::Mode::kTruncate)) {
    throw FatalError::warning("排样文件输出失败!", out.problem());
  }
  writeDxfOpening(out);

  const double length = nester.plateLength();
  const double width = nester.plateWidth();
  writeLine(out, Point(0, 0), Point(length, 0), kPlateLayer);
  writeLine(out, Point(length, 0), Point(length, width), kPlateLayer);
  writeLine(out, Point(length, width), Point(0, width), kPlateLayer);
  writeLine(out, Point(0, width), Point(0, 0), kPlateLayer);

  // Every part is drawn, on the plate or parked beside it: first the parts read as outlines,
  // in the order they were read, then the others in the order of the parts.
  const PosedLayout view = poseLayout(nester);
  const FirstById posed(view.parts);
  for (const Region& region : nester.regions) {
    const PosedPart* part = posed.find(region.id);
    if (part == nullptr || !part->region) continue;
    writeRegionEntities(out, *part->region, outlineColour(*part), kOutlineLayer, kNameLayer);
  }
  for (const PosedPart& part : view.parts) {
    if (part.region) continue;
    if (part.drawing) {
      writeDrawingEntities(out, *part.drawing, outlineColour(part), kOutlineLayer);
      const TextLabel& label = part.cut.label;
      writeText(out, label.x, label.y, label.angle, label.height, label.text, kNameLayer);
    } else {
      writeTwinEntities(out, part.cut, outlineColour(part));
    }
  }

  const Summary summary = summarise(view);
  const double packingLength = summary.packingLength;
  const double utilisation = summary.area / (packingLength * width);
  writeLine(out, Point(packingLength, width), Point(packingLength, 0), kSummaryLayer);

  const double height = width / 50;
  const std::string plateText = formatC("Length=%-5g, Width=%-5g", length, width);
  const std::string lengthText =
      packingLength == 0.0
          ? formatC("PackingLength=%-5g, MaterialUtilization Unknown", packingLength)
          : formatC("PackingLength=%-5g, MaterialUtilization=%-5.2lf%%", packingLength,
                    utilisation * 100);
  const std::string partsText =
      formatC("Packed Parts Number=%d,Packed Parts Area=%-g", summary.count, summary.area);
  writeText(out, length, width, 0, height, plateText, kSummaryLayer);
  writeText(out, packingLength, width - 2 * height, 0, height, lengthText, kSummaryLayer);
  writeText(out, packingLength, width - 4 * height, 0, height, partsText, kSummaryLayer);

  writeDxfClosing(out);
  if (!out.close()) throw FatalError::warning("排样文件输出失败!", out.problem());
}

}  // namespace platenest
