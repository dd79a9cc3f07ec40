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
#include "nesting/nester.h"
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

int outlineColour(const PlacedPart& part) { return part.mirrored ? kMirroredColour : kPlainColour; }

// The region as read, brought to the pose the working part has now.
Region posedRegion(const Region& region, const PlacedPart& working) {
  Region posed = region;
  if (working.mirrored) posed.mirrorAt(posed.refPoint);
  posed.translate(working.refPoint.x - region.refPoint.x, working.refPoint.y - region.refPoint.y);
  posed.rotateAbout(working.refPoint, working.rotation);
  return posed;
}

// The true outline of a part without a region: its loaded twin at the working pose, or
// the working polygons themselves when the job kept no twin.
PlacedPart posedTwin(const Nester& nester, const PlacedPart& working) {
  const PlacedPart* twin = nester.loadedParts.findById(working.id);
  if (twin == nullptr) return working;
  PlacedPart posed = *twin;
  posed.replayPoseOf(working);
  posed.computeBox();
  return posed;
}

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

Summary summarise(const Nester& nester) {
  Summary summary;
  for (const PlacedPart& part : nester.parts) {
    if (!part.isInside(nester.plateRect)) continue;
    ++summary.count;
    double maxX = 0.0;
    if (const Region* region = nester.regions.findById(part.id)) {
      const Region posed = posedRegion(*region, part);
      summary.area += posed.area;
      maxX = toPlacedPart(posed).box.maxX;
    } else {
      const PlacedPart posed = posedTwin(nester, part);
      summary.area += posed.area;
      maxX = posed.box.maxX;
    }
    if (maxX > summary.packingLength) summary.packingLength = maxX;
  }
  return summary;
}

}  // namespace

void writeLayoutDxf(const Nester& nester, const std::filesystem::path& path) {
  TextWriter out;
  if (!out.open(path, TextWriter::Mode::kTruncate)) {
    throw FatalError::warning("排样文件输出失败!", path.string());
  }
  writeDxfOpening(out);

  const double length = nester.plateLength;
  const double width = nester.plateWidth;
  writeLine(out, Point(0, 0), Point(length, 0), kPlateLayer);
  writeLine(out, Point(length, 0), Point(length, width), kPlateLayer);
  writeLine(out, Point(length, width), Point(0, width), kPlateLayer);
  writeLine(out, Point(0, width), Point(0, 0), kPlateLayer);

  // Every part is drawn, on the plate or parked beside it.
  for (const Region& region : nester.regions) {
    const PlacedPart* working = nester.parts.findById(region.id);
    if (working == nullptr) continue;
    writeRegionEntities(out, posedRegion(region, *working), outlineColour(*working), kOutlineLayer,
                        kNameLayer);
  }
  for (const PlacedPart& working : nester.parts) {
    if (nester.regions.findById(working.id) != nullptr) continue;
    const PlacedPart posed = posedTwin(nester, working);
    const PartDrawing* drawing = findDrawing(nester.drawings, working.id);
    const PlacedPart* twin = nester.loadedParts.findById(working.id);
    if (drawing == nullptr || twin == nullptr) {
      writeTwinEntities(out, posed, outlineColour(working));
      continue;
    }
    writeDrawingEntities(out, posedDrawing(*drawing, *twin, working), outlineColour(working),
                         kOutlineLayer);
    const TextLabel& label = posed.label;
    writeText(out, label.x, label.y, label.angle, label.height, label.text, kNameLayer);
  }

  const Summary summary = summarise(nester);
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
  out.close();
}

}  // namespace platenest
