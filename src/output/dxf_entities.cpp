// The entity writers shared by the layout drawing and the parts export. Each entity ends
// with the "  0" that introduces whatever follows it, so the writers can be chained freely
// between the opening and the closing of the ENTITIES section.
#include "output/dxf_entities.h"

#include <cstddef>
#include <string>

#include "geometry/discretise.h"

namespace platenest {
namespace {

// A group code and its value, each on a line of its own. Group codes are padded to three
// characters because the cutting shops' CAM readers compare them as fixed-width strings.
void group(TextWriter& out, const char* code, std::string_view value) {
  out.bytes(code).endLine().bytes(value).endLine();
}

void group(TextWriter& out, const char* code, double value) {
  out.bytes(code).endLine().number(value).endLine();
}

void group(TextWriter& out, const char* code, int value) {
  out.bytes(code).endLine().number(value).endLine();
}

void writeLineBody(TextWriter& out, const Point& p1, const Point& p2) {
  group(out, " 10", p1.x);
  group(out, " 20", p1.y);
  group(out, " 30", "0.0");
  group(out, " 11", p2.x);
  group(out, " 21", p2.y);
  group(out, " 31", "0.0");
  out.bytes("  0").endLine();
}

}  // namespace

void writeDxfOpening(TextWriter& out) {
  group(out, "  0", "SECTION");
  group(out, "  2", "ENTITIES");
  out.bytes("  0").endLine();
}

void writeDxfClosing(TextWriter& out) {
  out.bytes("ENDSEC").endLine().bytes("  0").endLine().bytes("EOF").endLine();
}

void writeLine(TextWriter& out, const Point& p1, const Point& p2, std::string_view layer) {
  out.bytes("LINE").endLine();
  group(out, "  8", layer);
  writeLineBody(out, p1, p2);
}

void writeColouredLine(TextWriter& out, const Point& p1, const Point& p2, int colour,
                       std::string_view layer) {
  out.bytes("LINE").endLine();
  group(out, "  8", layer);
  group(out, " 62", colour);
  writeLineBody(out, p1, p2);
}

void writeArc(TextWriter& out, const Arc& arc, int colour, std::string_view layer) {
  out.bytes("ARC").endLine();
  group(out, "  8", layer);
  group(out, " 62", colour);
  group(out, " 10", arc.centre.x);
  group(out, " 20", arc.centre.y);
  group(out, " 30", "0.0");
  group(out, " 40", arc.radius);
  group(out, " 50", arc.startAngle);
  group(out, " 51", arc.endAngle);
  out.bytes("  0").endLine();
}

void writeText(TextWriter& out, double x, double y, double angle, double height,
               std::string_view text, std::string_view layer) {
  out.bytes("TEXT").endLine();
  group(out, "  8", layer);
  group(out, " 10", x);
  group(out, " 20", y);
  // Texts carry an integer z, unlike lines and arcs; the shops' readers accept both.
  group(out, " 30", "0");
  group(out, " 40", height);
  // A line break inside the value would shift every group after it and corrupt the file.
  if (text.find_first_of("\r\n") == std::string_view::npos) {
    group(out, "  1", text);
  } else {
    std::string oneLine(text);
    for (char& c : oneLine) {
      if (c == '\r' || c == '\n') c = ' ';
    }
    group(out, "  1", oneLine);
  }
  group(out, " 50", angle);
  out.bytes("  0").endLine();
}

void writeContourEntities(TextWriter& out, const Contour& contour, int colour,
                          std::string_view layer) {
  const std::size_t n = contour.vertices.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Point& p = contour.vertices[i];
    const Point& q = contour.vertices[(i + 1) % n];
    const double radius = i < contour.radii.size() ? contour.radii[i] : 0.0;
    if (radius == 0.0) {
      writeColouredLine(out, p, q, colour, layer);
      continue;
    }
    // The drawing keeps every arc as an arc, however flat: the cutter follows it exactly.
    Arc arc;
    if (arcFromRadius(p, q, radius, arc)) {
      writeArc(out, arc, colour, layer);
    } else {
      // No arc of that radius joins the two ends (already reported): cut the chord rather
      // than leave a gap in the outline.
      writeColouredLine(out, p, q, colour, layer);
    }
  }
}

void writeRegionEntities(TextWriter& out, const Region& region, int colour, std::string_view layer,
                         std::string_view textLayer) {
  writeContourEntities(out, region.outer, colour, layer);
  for (const Contour& hole : region.holes) writeContourEntities(out, hole, colour, layer);
  const TextLabel& label = region.label;
  writeText(out, label.x, label.y, label.angle, label.height, label.text, textLayer);
}

}  // namespace platenest
