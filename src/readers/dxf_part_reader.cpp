// Reading one part from a DXF drawing of its own. The reader is a line scanner over the
// group-code/value pairs of ASCII DXF: it ignores sections, blocks, layers and handles and
// reacts only to an exact entity-name line ("LINE", "CIRCLE", "ARC", "TEXT") and to the group
// codes of that entity in their right-aligned three-character form (" 10", "  0", ...).
// The loose lines, circles and arcs are cut into chords, the chords are chained into closed
// polygons, and the largest polygon becomes the outline, every other one a hole.
#include "readers/dxf_part_reader.h"

#include <cmath>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "geometry/discretise.h"
#include "support/gbk.h"
#include "support/messages.h"
#include "support/number_parse.h"

namespace platenest {
namespace {

// The group codes the entity readers take; each entity listens only to its own.
enum GroupCode : unsigned {
  kCodeText = 1u << 0,        // "  1" text value
  kCodeX = 1u << 1,           // " 10" start or centre x
  kCodeY = 1u << 2,           // " 20" start or centre y
  kCodeEndX = 1u << 3,        // " 11" end x
  kCodeEndY = 1u << 4,        // " 21" end y
  kCodeRadius = 1u << 5,      // " 40" radius or text height
  kCodeStartAngle = 1u << 6,  // " 50" start angle or text rotation, degrees
  kCodeEndAngle = 1u << 7,    // " 51" end angle, degrees
};

constexpr unsigned kLineCodes = kCodeX | kCodeY | kCodeEndX | kCodeEndY;
constexpr unsigned kCircleCodes = kCodeX | kCodeY | kCodeRadius;
constexpr unsigned kArcCodes = kCircleCodes | kCodeStartAngle | kCodeEndAngle;
constexpr unsigned kTextCodes = kCodeText | kCodeX | kCodeY | kCodeRadius | kCodeStartAngle;

// What one entity said, up to its closing "  0" line. A later occurrence of a code
// overwrites the earlier one; a value that is not a finite number counts as absent.
struct EntityValues {
  std::optional<double> x, y, endX, endY, radius, startAngle, endAngle;
  std::string text;
};

std::string_view withoutLineEnd(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  return line;
}

std::optional<double> finiteValue(std::string_view line) {
  const double value = parseDouble(line);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

unsigned codeOf(std::string_view line) {
  if (line == "  1") return kCodeText;
  if (line == " 10") return kCodeX;
  if (line == " 20") return kCodeY;
  if (line == " 11") return kCodeEndX;
  if (line == " 21") return kCodeEndY;
  if (line == " 40") return kCodeRadius;
  if (line == " 50") return kCodeStartAngle;
  if (line == " 51") return kCodeEndAngle;
  return 0;
}

// Reads the lines after an entity-name line up to and including the next "  0" line, or to
// the end of the file when the entity is never closed.
EntityValues readEntity(LineReader& reader, unsigned codes) {
  EntityValues values;
  std::string line;
  std::string value;
  while (reader.readLine(line, kDxfLineBuffer)) {
    const std::string_view tag = withoutLineEnd(line);
    if (tag == "  0") break;
    const unsigned code = codeOf(tag) & codes;
    if (code == 0) continue;
    // The value is the next line; a code on the last line of the file has none.
    if (!reader.readLine(value, kDxfLineBuffer)) break;
    const std::string_view text = withoutLineEnd(value);
    switch (code) {
      case kCodeText:
        values.text = cutDxfText(text);
        break;
      case kCodeX:
        values.x = finiteValue(text);
        break;
      case kCodeY:
        values.y = finiteValue(text);
        break;
      case kCodeEndX:
        values.endX = finiteValue(text);
        break;
      case kCodeEndY:
        values.endY = finiteValue(text);
        break;
      case kCodeRadius:
        values.radius = finiteValue(text);
        break;
      case kCodeStartAngle:
        values.startAngle = finiteValue(text);
        break;
      case kCodeEndAngle:
        values.endAngle = finiteValue(text);
        break;
      default:
        break;
    }
  }
  return values;
}

// A LINE, CIRCLE or ARC that lacks a coordinate, radius or angle is skipped rather than given
// a zero: a real edge that is skipped breaks the chain, and the chain check then rejects the
// part, while a stray entity name (a layer called LINE) does no harm.
void addLine(const EntityValues& v, DxfEntities& entities) {
  if (!v.x || !v.y || !v.endX || !v.endY) return;
  entities.segments.push_front(Segment(Point(*v.x, *v.y), Point(*v.endX, *v.endY)));
}

bool radiusUsable(double radius) { return std::fabs(radius) <= kDxfMaxRadius; }
bool angleUsable(double angle) { return std::fabs(angle) <= kDxfMaxAngle; }

void addCircle(const EntityValues& v, DxfEntities& entities) {
  if (!v.x || !v.y || !v.radius) return;
  if (!radiusUsable(*v.radius)) {
    entities.unusable = true;
    return;
  }
  Circle circle;
  circle.set(Point(*v.x, *v.y), *v.radius);
  entities.circles.push_front(circle);
}

void addArc(const EntityValues& v, DxfEntities& entities) {
  if (!v.x || !v.y || !v.radius || !v.startAngle || !v.endAngle) return;
  if (!radiusUsable(*v.radius) || !angleUsable(*v.startAngle) || !angleUsable(*v.endAngle)) {
    entities.unusable = true;
    return;
  }
  Arc arc;
  arc.set(Point(*v.x, *v.y), *v.radius, *v.startAngle, *v.endAngle);
  entities.arcs.push_front(arc);
}

// "name:" names the part, "thick=" gives its second label; any other text changes nothing.
// What the entity leaves out keeps the default label's value (angle 0, height 10).
void addText(const EntityValues& v, DxfEntities& entities) {
  TextLabel* target = nullptr;
  std::size_t prefix = 0;
  if (v.text.starts_with("name:")) {
    target = &entities.label;
    prefix = 5;
  } else if (v.text.starts_with("thick=")) {
    target = &entities.secondLabel;
    prefix = 6;
  } else {
    return;
  }
  TextLabel label;
  label.text = v.text.substr(prefix);
  if (v.x) label.x = *v.x;
  if (v.y) label.y = *v.y;
  if (v.startAngle) label.angle = *v.startAngle;
  if (v.radius) label.height = *v.radius;
  *target = label;
}

// Fewer than 3 points, ends that do not meet within 0.5 mm, or (a doubled line, a chain of
// collinear chords) no enclosed area: the chain cannot be a face of the part. A polygon of
// zero area would give every centroid of the part a 0/0.
bool checkChain(const PointList& points, const Polygon& polygon) {
  if (points.size() < 3 || polygon.vertexCount() < 3) {
    showWarning("读取得到的零件顶点数目少于3!");
    return false;
  }
  if (!points.front().coincidesWithin(points.back(), kChainMatchDistance) ||
      polygon.area() == 0.0) {
    showWarning("读取得到的零件顶点无法构成多边形面域!");
    return false;
  }
  return true;
}

}  // namespace

void scanDxfEntities(LineReader& reader, DxfEntities& entities) {
  std::string line;
  while (reader.readLine(line, kDxfLineBuffer)) {
    const std::string_view name = withoutLineEnd(line);
    if (name.find_first_not_of(" \t\r") == std::string_view::npos) continue;
    entities.endOfFile = name == "EOF";
    if (name == "LINE") {
      addLine(readEntity(reader, kLineCodes), entities);
    } else if (name == "CIRCLE") {
      addCircle(readEntity(reader, kCircleCodes), entities);
    } else if (name == "ARC") {
      addArc(readEntity(reader, kArcCodes), entities);
    } else if (name == "TEXT") {
      addText(readEntity(reader, kTextCodes), entities);
    }
  }
}

// Each pass chains as far as the chords reach from the front chord; a closed chain is one
// polygon. One or two chords left at the end are stray and ignored.
bool buildPolygons(SegmentList& work, PolygonList& polygons) {
  if (work.size() < 3) return false;
  PointList points;
  while (work.size() >= 3) {
    points.clear();
    chainSegments(work, points);
    // The chain comes out in reverse; its last point repeats its first.
    std::vector<Point> vertices;
    if (!points.empty()) vertices.assign(points.begin(), std::prev(points.end()));
    Polygon polygon;
    if (!vertices.empty()) polygon.setVertices(std::move(vertices));
    if (!checkChain(points, polygon)) return false;
    polygons.insertFront(polygon);
  }
  return !polygons.empty();
}

void splitOuterAndHoles(const PolygonList& polygons, Polygon& outer, PolygonList& holes) {
  auto outerIt = polygons.begin();
  for (auto it = polygons.begin(); it != polygons.end(); ++it) {
    if (it->area() > outerIt->area()) outerIt = it;
  }
  for (auto it = polygons.begin(); it != polygons.end(); ++it) {
    if (it != outerIt) holes.insertFront(*it);
  }
  outer = *outerIt;
}

bool readDxfPart(PlacedPart& part, const std::filesystem::path& path) {
  LineReader reader;
  if (!reader.open(path)) return false;
  return readDxfPart(part, reader);
}

bool readDxfPart(PlacedPart& part, LineReader& reader) {
  PartDrawing drawing;
  return readDxfPart(part, reader, drawing);
}

bool readDxfPart(PlacedPart& part, const std::filesystem::path& path, PartDrawing& drawing) {
  LineReader reader;
  if (!reader.open(path)) return false;
  return readDxfPart(part, reader, drawing);
}

bool readDxfPart(PlacedPart& part, LineReader& reader, PartDrawing& drawing) {
  DxfEntities entities;
  scanDxfEntities(reader, entities);
  if (!entities.endOfFile) {
    warnCutShort(reader.path().empty() ? std::string("the drawing") : reader.path().string(),
                 "\"EOF\"");
  }
  if (entities.unusable) return false;
  return dxfPartFromEntities(part, entities, drawing);
}

bool dxfPartFromEntities(PlacedPart& part, const DxfEntities& entities, PartDrawing& drawing) {
  drawing.lines = entities.segments;
  drawing.arcs = entities.arcs;
  drawing.circles = entities.circles;

  // Lines first, then circles, then arcs, each cut with the part's chord-height error.
  SegmentList work;
  copySegmentsTo(entities.segments, work);
  divideCircles(entities.circles, work, part.chordTolerance);
  divideArcs(entities.arcs, work, part.chordTolerance);

  PolygonList polygons;
  if (!buildPolygons(work, polygons)) return false;

  Polygon outer;
  PolygonList holes;
  splitOuterAndHoles(polygons, outer, holes);

  // The holes stay in the order inserted here.
  part.setGeometry(std::move(outer), std::move(holes));
  // "Holes" as large as the outline (two equal outlines side by side in one drawing) leave
  // no part: its centroid is 0/0. The caller names the file.
  if (!(part.area() > 0.0)) return false;
  part.label = entities.label;
  part.secondLabel = entities.secondLabel;
  return true;
}

}  // namespace platenest
