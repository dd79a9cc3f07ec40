// A drawn part written as its designer drew it (see drawing_entities.h).
#include "output/drawing_entities.h"

#include <cmath>

#include "output/dxf_entities.h"

namespace platenest {
namespace {

// The pose replay of a placed part applied to single points: turned over across the
// horizontal line through the twin's reference point, moved, then turned about the working
// reference point.
struct Pose {
  Point from;
  Point to;
  bool mirrored = false;
  double cosine = 1.0;
  double sine = 0.0;
  double degrees = 0.0;

  Point apply(Point p) const {
    if (mirrored) p.y = 2 * from.y - p.y;
    const Point moved(p.x + (to.x - from.x), p.y + (to.y - from.y));
    const double dx = moved.x - to.x;
    const double dy = moved.y - to.y;
    return Point(to.x + cosine * dx - sine * dy, to.y + sine * dx + cosine * dy);
  }
};

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

PartDrawing posedDrawing(const PartDrawing& drawing, const PlacedPart& twin,
                         const PlacedPart& working) {
  Pose pose;
  pose.from = twin.refPoint;
  pose.to = working.refPoint;
  pose.mirrored = working.mirrored;
  pose.cosine = std::cos(working.rotation);
  pose.sine = std::sin(working.rotation);
  pose.degrees = working.rotation / kPi * 180;

  PartDrawing posed;
  posed.id = drawing.id;
  for (const Segment& line : drawing.lines) {
    posed.lines.push_back(Segment(pose.apply(line.start), pose.apply(line.end)));
  }
  for (const Arc& arc : drawing.arcs) {
    // Turned over, the arc runs clockwise from start to end: counterclockwise it runs from
    // the reflected end angle to the reflected start angle.
    const double start = pose.mirrored ? -arc.endAngle : arc.startAngle;
    const double end = pose.mirrored ? -arc.startAngle : arc.endAngle;
    Arc moved;
    moved.set(pose.apply(arc.centre), arc.radius, start + pose.degrees, end + pose.degrees);
    posed.arcs.push_back(moved);
  }
  for (const Circle& circle : drawing.circles) {
    Circle moved;
    moved.set(pose.apply(circle.centre), circle.radius);
    posed.circles.push_back(moved);
  }
  return posed;
}

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
