#include "output/cut_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "geometry/discretise.h"
#include "support/gbk.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

constexpr const char* kOuterLayer = "OUTER_CONTOURS";
constexpr const char* kInnerLayer = "INNER_CONTOURS";
constexpr const char* kLabelLayer = "LABELS";
constexpr const char* kPlateLayer = "PLATE";

// The shortest text that reads back as the same double: ends meet exactly.
std::string exact(double value) {
  if (value == 0.0) return "0";  // no "-0"
  for (int digits = 15; digits <= 17; ++digits) {
    const std::string text = formatC("%.*g", digits, value);
    if (std::strtod(text.c_str(), nullptr) == value) return text;
  }
  return formatC("%.17g", value);
}

class Dxf {
 public:
  void group(int code, const std::string& value) {
    text_ += formatC("%3d", code);
    text_ += "\r\n";
    text_ += value;
    text_ += "\r\n";
  }
  void number(int code, double value) { group(code, exact(value)); }
  void point(int code, const Point& p) {
    number(code, p.x);
    number(code + 10, p.y);
    group(code + 20, "0");
  }
  void line(const Point& a, const Point& b, const char* layer) {
    group(0, "LINE");
    group(8, layer);
    point(10, a);
    point(11, b);
  }
  void arc(const Arc& arc, const char* layer) {
    group(0, "ARC");
    group(8, layer);
    point(10, arc.centre);
    number(40, arc.radius);
    number(50, arc.startAngle);
    number(51, arc.endAngle);
  }
  void circle(const Circle& circle, const char* layer) {
    group(0, "CIRCLE");
    group(8, layer);
    point(10, circle.centre);
    number(40, circle.radius);
  }
  std::string& text() { return text_; }

 private:
  std::string text_;
};

void writeHeader(Dxf& dxf) {
  dxf.group(0, "SECTION");
  dxf.group(2, "HEADER");
  dxf.group(9, "$ACADVER");
  dxf.group(1, "AC1009");
  dxf.group(9, "$INSUNITS");
  dxf.group(70, "4");  // millimetres
  dxf.group(9, "$MEASUREMENT");
  dxf.group(70, "1");  // metric
  dxf.group(0, "ENDSEC");
  dxf.group(0, "SECTION");
  dxf.group(2, "TABLES");
  dxf.group(0, "TABLE");
  dxf.group(2, "LTYPE");
  dxf.group(70, "1");
  dxf.group(0, "LTYPE");
  dxf.group(2, "CONTINUOUS");
  dxf.group(70, "0");
  dxf.group(3, "Solid line");
  dxf.group(72, "65");
  dxf.group(73, "0");
  dxf.group(40, "0");
  dxf.group(0, "ENDTAB");
  dxf.group(0, "TABLE");
  dxf.group(2, "LAYER");
  dxf.group(70, "4");
  const std::pair<const char*, int> layers[] = {
      {kOuterLayer, 7}, {kInnerLayer, 1}, {kLabelLayer, 3}, {kPlateLayer, 8}};
  for (const auto& [name, colour] : layers) {
    dxf.group(0, "LAYER");
    dxf.group(2, name);
    dxf.group(70, "0");
    dxf.group(62, std::to_string(colour));
    dxf.group(6, "CONTINUOUS");
  }
  dxf.group(0, "ENDTAB");
  dxf.group(0, "ENDSEC");
}

Point moved(const Point& p, const Point& by) { return Point(p.x + by.x, p.y + by.y); }

void writeContour(Dxf& dxf, const Contour& contour, const Point& by, const char* layer) {
  const std::size_t n = contour.vertices.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Point p = moved(contour.vertices[i], by);
    const Point q = moved(contour.vertices[(i + 1) % n], by);
    const double radius = i < contour.radii.size() ? contour.radii[i] : 0.0;
    Arc arc;
    if (radius != 0.0 && arcFromRadius(p, q, radius, arc)) {
      dxf.arc(arc, layer);
    } else {
      dxf.line(p, q, layer);
    }
  }
}

void writePolygon(Dxf& dxf, const Polygon& polygon, const Point& by, const char* layer) {
  const std::vector<Point>& points = polygon.vertices();
  for (std::size_t i = 0; i < points.size(); ++i) {
    dxf.line(moved(points[i], by), moved(points[(i + 1) % points.size()], by), layer);
  }
}

double distanceToPolygon(const Point& p, const Polygon& polygon) {
  double best = std::numeric_limits<double>::infinity();
  const std::vector<Point>& points = polygon.vertices();
  for (std::size_t i = 0; i < points.size(); ++i) {
    const Point& a = points[i];
    const Point& b = points[(i + 1) % points.size()];
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    best = std::min(best, std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy)));
  }
  return best;
}

// A drawn entity belongs to the outline it runs along: the outer contour or a hole.
const char* layerOf(const Point& onEntity, const PlacedPart& cut) {
  const double outer = distanceToPolygon(onEntity, cut.outer);
  for (const Polygon& hole : cut.holes) {
    if (distanceToPolygon(onEntity, hole) < outer) return kInnerLayer;
  }
  return kOuterLayer;
}

Point arcMiddle(const Arc& arc) {
  const double middle = (arc.startAngle + arc.endAngle) * 0.5 * std::acos(-1.0) / 180.0;
  return Point(arc.centre.x + arc.radius * std::cos(middle), arc.centre.y + arc.radius * std::sin(middle));
}

}  // namespace

std::string cutDrawing(const PosedLayout& view, const CutPlate& plate) {
  Dxf dxf;
  writeHeader(dxf);
  dxf.group(0, "SECTION");
  dxf.group(2, "ENTITIES");
  const Point corners[] = {Point(0, 0), Point(plate.length, 0), Point(plate.length, plate.width),
                           Point(0, plate.width)};
  for (int i = 0; i < 4; ++i) dxf.line(corners[i], corners[(i + 1) % 4], kPlateLayer);
  const Point& by = plate.origin;
  for (const PosedPart& part : view.parts) {
    if (!part.onPlate) continue;
    if (part.region) {
      writeContour(dxf, part.region->outer, by, kOuterLayer);
      for (const Contour& hole : part.region->holes) writeContour(dxf, hole, by, kInnerLayer);
    } else if (part.drawing) {
      for (const Segment& line : part.drawing->lines) {
        const Point middle((line.start.x + line.end.x) / 2, (line.start.y + line.end.y) / 2);
        dxf.line(moved(line.start, by), moved(line.end, by), layerOf(middle, part.cut));
      }
      for (const Arc& arc : part.drawing->arcs) {
        Arc shifted = arc;
        shifted.centre = moved(arc.centre, by);
        dxf.arc(shifted, layerOf(arcMiddle(arc), part.cut));
      }
      for (const Circle& circle : part.drawing->circles) {
        Circle shifted = circle;
        shifted.centre = moved(circle.centre, by);
        const Point east(circle.centre.x + circle.radius, circle.centre.y);
        dxf.circle(shifted, layerOf(east, part.cut));
      }
    } else {
      writePolygon(dxf, part.cut.outer, by, kOuterLayer);
      for (const Polygon& hole : part.cut.holes) writePolygon(dxf, hole, by, kInnerLayer);
    }
    const BoundingBox& box = part.cut.box();
    const double height = std::clamp(std::min(box.maxX - box.minX, box.maxY - box.minY) / 8, 2.0, 50.0);
    dxf.group(0, "TEXT");
    dxf.group(8, kLabelLayer);
    dxf.point(10, moved(part.cut.centroid(), by));
    dxf.number(40, height);
    std::string name = displayName(part.name);
    for (char& c : name) {
      if (c == '\r' || c == '\n') c = ' ';
    }
    dxf.group(1, name);
  }
  dxf.group(0, "ENDSEC");
  dxf.group(0, "EOF");
  return std::move(dxf.text());
}

namespace {

std::string escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

void svgRing(std::string& path, const Polygon& polygon, const Point& by, double width) {
  const std::vector<Point>& points = polygon.vertices();
  for (std::size_t i = 0; i < points.size(); ++i) {
    path += formatC("%c%.3f %.3f ", i == 0 ? 'M' : 'L', points[i].x + by.x, width - (points[i].y + by.y));
  }
  path += "Z ";
}

}  // namespace

std::string plateSvg(const PosedLayout& view, const CutPlate& plate) {
  const double margin = std::max(plate.length, plate.width) * 0.01;
  std::string svg = formatC(
      "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"%.3f %.3f %.3f %.3f\" width=\"%d\" "
      "height=\"%d\">\n",
      -margin, -margin, plate.length + 2 * margin, plate.width + 2 * margin, 1200,
      static_cast<int>(1200 * (plate.width + 2 * margin) / (plate.length + 2 * margin)));
  svg += formatC("<rect x=\"0\" y=\"0\" width=\"%.3f\" height=\"%.3f\" fill=\"#e8e8e8\" stroke=\"#555\" "
                 "stroke-width=\"%.3f\"/>\n",
                 plate.length, plate.width, margin * 0.2);
  for (const PosedPart& part : view.parts) {
    if (!part.onPlate) continue;
    std::string path;
    svgRing(path, part.cut.outer, plate.origin, plate.width);
    for (const Polygon& hole : part.cut.holes) svgRing(path, hole, plate.origin, plate.width);
    svg += formatC("<path d=\"%s\" fill=\"%s\" fill-rule=\"evenodd\" stroke=\"#1b3a5c\" "
                   "stroke-width=\"%.3f\"/>\n",
                   path.c_str(), part.mirrored ? "#f2d04b" : "#7fa7d1", margin * 0.1);
    const BoundingBox& box = part.cut.box();
    const double height = std::clamp(std::min(box.maxX - box.minX, box.maxY - box.minY) / 6, 2.0, 60.0);
    svg += formatC("<text x=\"%.3f\" y=\"%.3f\" font-size=\"%.3f\" text-anchor=\"middle\" "
                   "font-family=\"sans-serif\">%s</text>\n",
                   part.cut.centroid().x + plate.origin.x,
                   plate.width - (part.cut.centroid().y + plate.origin.y), height,
                   escaped(displayName(part.name)).c_str());
  }
  return svg + "</svg>\n";
}

}  // namespace platenest
