// A drawn part written as its designer drew it (see drawing_entities.h).
#include "output/drawing_entities.h"

#include "output/dxf_entities.h"

namespace platenest {
namespace {

void writeColourGroup(TextWriter& out, int colour) {
  if (colour < 0) return;
  out.bytes(" 62").endLine().number(colour).endLine();
}

void writeCentre(TextWriter& out, const Point& centre, double radius) {
  out.bytes(" 10").endLine().number(centre.x).endLine();
  out.bytes(" 20").endLine().number(centre.y).endLine();
  out.bytes(" 30").endLine().bytes("0.0").endLine();
  out.bytes(" 40").endLine().number(radius).endLine();
}

}  // namespace

void writeDrawingEntities(TextWriter& out, const PartDrawing& drawing, int colour,
                          std::string_view layer) {
  for (const Segment& line : drawing.lines) {
    if (colour < 0) {
      writeLine(out, line.start, line.end, layer);
    } else {
      writeColouredLine(out, line.start, line.end, colour, layer);
    }
  }
  for (const Arc& arc : drawing.arcs) {
    if (colour >= 0) {
      writeArc(out, arc, colour, layer);
      continue;
    }
    out.bytes("ARC").endLine();
    out.bytes("  8").endLine().bytes(layer).endLine();
    writeCentre(out, arc.centre, arc.radius);
    out.bytes(" 50").endLine().number(arc.startAngle).endLine();
    out.bytes(" 51").endLine().number(arc.endAngle).endLine();
    out.bytes("  0").endLine();
  }
  for (const Circle& circle : drawing.circles) {
    out.bytes("CIRCLE").endLine();
    out.bytes("  8").endLine().bytes(layer).endLine();
    writeColourGroup(out, colour);
    writeCentre(out, circle.centre, circle.radius);
    out.bytes("  0").endLine();
  }
}

}  // namespace platenest
