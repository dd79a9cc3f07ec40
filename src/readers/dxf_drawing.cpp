// Reading a DXF drawing into the cut lines, arcs and circles of its model space (see
// dxf_drawing.h). The file is split into group-code/value pairs (codes with or without
// leading blanks); the HEADER gives the units, the BLOCKS section the block definitions and
// the ENTITIES section what is drawn. Each entity of model space is then taken through the
// transform of the inserts above it (block base point, scale, rotation, position, mirrored
// extrusion, units) and emitted as lines, arcs and circles in millimetres. Arcs stay arcs
// under turns, mirrors and even scales; under an uneven scale, and for ellipses and splines,
// the curve is fitted with straight lines within kDxfCurveFitTolerance.
#include "readers/dxf_drawing.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cctype>
#include <charconv>
#include <cmath>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "geometry/outline_check.h"
#include "geometry/point.h"
#include "support/gbk.h"
#include "support/number_parse.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

// Radians in a degree. A function, not a constant of this file: a constant made from kPi at
// start-up may be made before kPi itself (clang orders them so), and would be 0.
double degree() { return kPi / 180; }
// Splines of a higher degree than this are refused; CAD programs write degree 3 at most.
constexpr int kMostSplineDegree = 11;

struct Pair {
  int code = 0;
  std::string_view value;
};

struct Entity {
  std::string_view type;
  std::vector<Pair> pairs;
  std::vector<Entity> vertices;  // a POLYLINE's VERTEX entities
};

struct Block {
  Point base;
  std::vector<Entity> entities;
};

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

std::string upper(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return result;
}

// Why the drawing cannot be read; thrown inside this file only and turned into the refusal.
struct Refusal {
  std::string reason;
};

[[noreturn]] void refuse(std::string reason) { throw Refusal{std::move(reason)}; }

std::vector<Pair> splitPairs(std::string_view bytes) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    lines.push_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  std::vector<Pair> pairs;
  pairs.reserve(lines.size() / 2);
  for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
    const std::string_view codeText = trimmed(lines[i]);
    int code = 0;
    const auto [end, error] = std::from_chars(codeText.data(), codeText.data() + codeText.size(), code);
    if (error != std::errc() || end != codeText.data() + codeText.size()) {
      // Blank lines at the very end are a harmless habit of some programs.
      if (codeText.empty()) continue;
      refuse("line " + std::to_string(i + 1) + " should hold a group code but reads \"" +
             std::string(codeText.substr(0, 20)) + "\": the file is not ASCII DXF or is damaged");
    }
    std::string_view value = lines[i + 1];
    if (!value.empty() && value.back() == '\r') value.remove_suffix(1);
    pairs.push_back(Pair{code, value});
  }
  return pairs;
}

bool isEntityStart(const Pair& pair) { return pair.code == 0; }

// The entities from `i` up to a code-0 pair whose value is `stop` (or the end), which is left
// at `i`. VERTEX entities after a POLYLINE join it up to their SEQEND.
std::vector<Entity> readEntities(const std::vector<Pair>& pairs, std::size_t& i,
                                 std::string_view stop) {
  std::vector<Entity> entities;
  while (i < pairs.size()) {
    const std::string_view type = trimmed(pairs[i].value);
    if (!isEntityStart(pairs[i])) {
      ++i;
      continue;
    }
    if (type == stop || type == "ENDSEC" || type == "EOF") return entities;
    Entity entity;
    entity.type = type;
    for (++i; i < pairs.size() && !isEntityStart(pairs[i]); ++i) entity.pairs.push_back(pairs[i]);
    if (type == "VERTEX" && !entities.empty() && entities.back().type == "POLYLINE") {
      entities.back().vertices.push_back(std::move(entity));
      continue;
    }
    if (type == "SEQEND") continue;
    entities.push_back(std::move(entity));
  }
  return entities;
}

std::optional<std::string_view> text(const Entity& e, int code) {
  std::optional<std::string_view> found;
  for (const Pair& p : e.pairs) {
    if (p.code == code) found = p.value;
  }
  return found;
}

double number(std::string_view value, const Entity& e, int code) {
  const std::string_view t = trimmed(value);
  double result = 0.0;
  const char* first = t.data();
  if (!t.empty() && *first == '+') ++first;
  const auto [end, error] = std::from_chars(first, t.data() + t.size(), result);
  if (error != std::errc() || end != t.data() + t.size()) {
    refuse(std::string(e.type) + " group " + std::to_string(code) + " reads \"" +
           std::string(t.substr(0, 24)) + "\", which is not a number");
  }
  if (!std::isfinite(result)) {
    refuse(std::string(e.type) + " group " + std::to_string(code) + " is " + std::string(t) +
           ", not a finite number");
  }
  return result;
}

std::optional<double> optionalNumber(const Entity& e, int code) {
  const std::optional<std::string_view> t = text(e, code);
  if (!t) return std::nullopt;
  return number(*t, e, code);
}

double numberOr(const Entity& e, int code, double fallback) {
  return optionalNumber(e, code).value_or(fallback);
}

// A flag or count group as an integer; values beyond the int range are clamped, since
// converting them as they stand is undefined.
int integerOr(const Entity& e, int code, int fallback) {
  const double value = numberOr(e, code, fallback);
  return static_cast<int>(std::clamp(std::trunc(value), -2147483648.0, 2147483647.0));
}

double required(const Entity& e, int code) {
  const std::optional<double> value = optionalNumber(e, code);
  if (!value) {
    refuse(std::string(e.type) + " lacks its group " + std::to_string(code) +
           ": the file is damaged or cut short");
  }
  return *value;
}

// Every value of a code that repeats (polyline vertices, spline points and knots).
std::vector<double> numbers(const Entity& e, int code) {
  std::vector<double> values;
  for (const Pair& p : e.pairs) {
    if (p.code == code) values.push_back(number(p.value, e, code));
  }
  return values;
}

// A plane transform: x' = a x + b y + e, y' = c x + d y + f.
struct Affine {
  double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

  // The identity gives the point as written, bit for bit (a -0 stays -0).
  Point apply(const Point& p) const {
    if (isIdentity()) return p;
    return Point(a * p.x + b * p.y + e, c * p.x + d * p.y + f);
  }
  bool isIdentity() const { return a == 1 && b == 0 && c == 0 && d == 1 && e == 0 && f == 0; }
  double det() const { return a * d - b * c; }
  // This transform after `inner`.
  Affine after(const Affine& inner) const {
    return Affine{a * inner.a + b * inner.c, a * inner.b + b * inner.d,
                  c * inner.a + d * inner.c, c * inner.b + d * inner.d,
                  a * inner.e + b * inner.f + e, c * inner.e + d * inner.f + f};
  }
  // Turns, mirrors and even scales keep circles round.
  bool keepsCircles() const {
    const double n1 = a * a + c * c;
    const double n2 = b * b + d * d;
    return std::fabs(n1 - n2) <= 1e-9 * std::max(n1, n2) &&
           std::fabs(a * b + c * d) <= 1e-9 * std::max(n1, n2);
  }
  double largestScale() const {
    return std::sqrt(std::max(a * a + c * c, b * b + d * d)) * std::sqrt(2.0);
  }
};

Affine translation(double x, double y) { return Affine{1, 0, 0, 1, x, y}; }
Affine scaling(double sx, double sy) { return Affine{sx, 0, 0, sy, 0, 0}; }
Affine rotation(double degrees) {
  const double r = degrees * degree();
  return Affine{std::cos(r), -std::sin(r), std::sin(r), std::cos(r), 0, 0};
}

double unitsToMillimetres(int units) {
  switch (units) {
    case 0: return 1.0;  // unitless: taken as millimetres
    case 1: return 25.4;
    case 2: return 304.8;
    case 4: return 1.0;
    case 5: return 10.0;
    case 6: return 1000.0;
    case 8: return 25.4e-6;
    case 9: return 0.0254;
    case 10: return 914.4;
    case 13: return 1e-3;
    case 14: return 100.0;
    default: return 0.0;
  }
}

class Flattener {
 public:
  Flattener(const std::map<std::string, Block, std::less<>>& blocks, const DxfReadOptions& options,
            DxfGeometry& out)
      : blocks_(blocks), options_(options), out_(out) {}

  void entities(const std::vector<Entity>& list, const Affine& m, std::string_view insertLayer,
                int depth) {
    for (const Entity& e : list) entity(e, m, insertLayer, depth);
  }

 private:
  void entity(const Entity& e, const Affine& m, std::string_view insertLayer, int depth) {
    if (depth > 0 && ++insertedEntities_ > kDxfMostInsertedEntities) {
      refuse("the drawing's blocks insert more than " + std::to_string(kDxfMostInsertedEntities) +
             " entities (blocks inserted within blocks many times over)");
    }
    if (numberOr(e, 67, 0) != 0) {  // paper space
      if (depth == 0) out_.plain = false;
      return;
    }
    std::string_view layer = trimmed(text(e, 8).value_or("0"));
    if (depth > 0 && layer == "0") layer = insertLayer;
    const std::string_view type = e.type;
    const bool cut = dxfLayerIsCut(layer, options_);
    if (type == "TEXT") {
      if (depth == 0) label(e);
      return;
    }
    const bool geometry = type == "LINE" || type == "ARC" || type == "CIRCLE" ||
                          type == "LWPOLYLINE" || type == "POLYLINE" || type == "ELLIPSE" ||
                          type == "SPLINE" || type == "INSERT";
    if (!geometry) return;
    if (type != "INSERT" && !cut) {
      ++out_.skippedLayerEntities;
      out_.plain = false;
      return;
    }
    if (depth > 0 || !(type == "LINE" || type == "ARC" || type == "CIRCLE")) out_.plain = false;
    if (type == "LINE") {
      const Point p(required(e, 10), required(e, 20));
      const Point q(required(e, 11), required(e, 21));
      if (p.distance(q) <= kDxfEmptyLength) {
        ++out_.emptyEntities;
        return;
      }
      line(m.apply(p), m.apply(q));
    } else if (type == "CIRCLE") {
      const Affine w = m.after(extrusion(e));
      const Point centre(required(e, 10), required(e, 20));
      const double radius = required(e, 40);
      if (std::fabs(radius) <= kDxfEmptyLength) {
        check(centre);
        ++out_.emptyEntities;
        return;
      }
      circle(w, centre, radius);
    } else if (type == "ARC") {
      const Affine w = m.after(extrusion(e));
      const Point centre(required(e, 10), required(e, 20));
      const double radius = required(e, 40);
      const double start = required(e, 50), end = required(e, 51);
      double sweep = std::fmod(end - start, 360.0);
      if (sweep <= 0) sweep += 360.0;
      if (std::fabs(radius) <= kDxfEmptyLength ||
          (std::isfinite(sweep) && std::fabs(radius) * sweep * degree() <= kDxfEmptyLength)) {
        check(centre);
        ++out_.emptyEntities;
        return;
      }
      arc(w, centre, radius, start, end, true);
    } else if (type == "LWPOLYLINE") {
      lwpolyline(e, m.after(extrusion(e)));
    } else if (type == "POLYLINE") {
      polyline(e, m);
    } else if (type == "ELLIPSE") {
      ellipse(e, m);
    } else if (type == "SPLINE") {
      spline(e, m);
    } else {
      insert(e, m, layer, depth);
    }
  }

  // Arcs, circles, polylines and inserts lie in the plane of their extrusion; (0, 0, -1)
  // mirrors them in x. Other directions tilt the entity out of the plate's plane.
  Affine extrusion(const Entity& e) const {
    const double nx = numberOr(e, 210, 0), ny = numberOr(e, 220, 0), nz = numberOr(e, 230, 1);
    if (std::fabs(nx) > 1e-9 || std::fabs(ny) > 1e-9 || std::fabs(nz) < 1e-9) {
      refuse(std::string(e.type) + " lies in a tilted plane (extrusion " + formatG(nx) + ", " +
             formatG(ny) + ", " + formatG(nz) + "): only flat drawings can be cut");
    }
    if (nz < 0) {
      out_.plain = false;
      return scaling(-1, 1);
    }
    return Affine{};
  }

  void check(const Point& p) {
    if (!(std::fabs(p.x) <= kDxfLargestCoordinate && std::fabs(p.y) <= kDxfLargestCoordinate)) {
      refuse("a point at " + placeText(p) + " lies beyond 1e+07 mm: the drawing's units or scale "
             "are wrong");
    }
  }
  void checkRadius(double r, const Point& centre) {
    if (!(r > 0)) refuse("an arc or circle at " + placeText(centre) + " has radius " + formatG(r));
    if (!(r <= kDxfLargestCoordinate)) {
      refuse("an arc or circle at " + placeText(centre) + " has radius " + formatG(r) +
             " mm, beyond 1e+07 mm: the drawing's units or scale are wrong");
    }
  }
  void count() {
    if (out_.lines.size() + out_.arcs.size() + out_.circles.size() >= kDxfMostPieces) {
      refuse("the drawing holds more than " + std::to_string(kDxfMostPieces) +
             " lines and arcs after its blocks are inserted");
    }
  }

  void line(const Point& p, const Point& q) {
    check(p);
    check(q);
    count();
    out_.lines.push_back(Segment(p, q));
  }

  void polylinePoints(const std::vector<Point>& points) {
    for (std::size_t i = 0; i + 1 < points.size(); ++i) line(points[i], points[i + 1]);
  }

  void circle(const Affine& m, const Point& centre, double radius) {
    check(centre);
    checkRadius(std::fabs(radius), centre);
    if (!m.keepsCircles()) {
      curve(m, [&](double t) { return onCircle(centre, radius, t); }, 0, 2 * kPi,
            std::fabs(radius));
      return;
    }
    const Point c = m.apply(centre);
    const double r = std::fabs(radius) * std::sqrt(std::fabs(m.det()));
    check(c);
    checkRadius(r, c);
    count();
    Circle circle;
    circle.set(c, r);
    out_.circles.push_back(circle);
  }

  // An arc counterclockwise from `start` to `end` degrees in the entity's own plane. An ARC
  // entity (`asWritten`) that needs no transform keeps its angles as written, so that its
  // chords are those of the arc the file gives, bit for bit.
  void arc(const Affine& m, const Point& centre, double radius, double start, double end,
           bool asWritten = false) {
    check(centre);
    checkRadius(std::fabs(radius), centre);
    if (!(std::fabs(start) <= kDxfMaxAngle && std::fabs(end) <= kDxfMaxAngle)) {
      refuse("an arc at " + placeText(centre) + " has the angle " +
             formatG(std::fabs(start) > kDxfMaxAngle ? start : end) + " degrees");
    }
    double sweep = std::fmod(end - start, 360.0);
    if (sweep <= 0) sweep += 360.0;
    radius = std::fabs(radius);
    if (!m.keepsCircles()) {
      curve(m, [&](double t) { return onCircle(centre, radius, t); }, start * degree(),
            (start + sweep) * degree(), radius);
      return;
    }
    const Point c = m.apply(centre);
    const double r = radius * std::sqrt(std::fabs(m.det()));
    check(c);
    checkRadius(r, c);
    if (asWritten && m.isIdentity()) {
      Arc a;
      a.set(c, r, start, end);
      // An arc of no sweep, or of more than a turn, is read as a DXF program reads it.
      if (a.sweep() > 0 && a.sweep() <= 360) {
        count();
        out_.arcs.push_back(a);
        return;
      }
    }
    // A mirror runs the arc the other way: it starts at the image of its end.
    const double from = m.det() > 0 ? start : start + sweep;
    const Point p = m.apply(onCircle(centre, radius, from * degree()));
    const double first = std::atan2(p.y - c.y, p.x - c.x) / degree();
    count();
    Arc a;
    a.set(c, r, first, first + sweep);
    out_.arcs.push_back(a);
  }

  static Point onCircle(const Point& c, double r, double radians) {
    return Point(c.x + r * std::cos(radians), c.y + r * std::sin(radians));
  }

  // A curve of the entity's plane fitted with lines within kDxfCurveFitTolerance after `m`:
  // each piece is halved until its middle lies that close to its chord.
  // `pieces` is how many equal steps of the parameter the halving starts from; by default one
  // per eighth of a turn, for curves whose parameter is an angle.
  void curve(const Affine& m, const std::function<Point(double)>& at, double t0, double t1,
             double size, int pieces = 0) {
    const double tolerance = kDxfCurveFitTolerance / std::max(m.largestScale(), 1e-12);
    if (pieces <= 0) {
      pieces = static_cast<int>(std::clamp(std::ceil((t1 - t0) / (kPi / 8)), 1.0, 64.0));
    }
    std::vector<Point> points{m.apply(at(t0))};
    std::function<void(double, double, const Point&, const Point&, int)> split =
        [&](double a, double b, const Point& pa, const Point& pb, int depth) {
          const double mid = (a + b) / 2;
          const Point pm = at(mid);
          const Point chordMid((pa.x + pb.x) / 2, (pa.y + pb.y) / 2);
          if (depth < 16 && pm.distance(chordMid) > tolerance && size > tolerance) {
            split(a, mid, pa, pm, depth + 1);
            split(mid, b, pm, pb, depth + 1);
            return;
          }
          points.push_back(m.apply(pb));
          if (points.size() > kDxfMostPieces) {
            refuse("a curve needs more than " + std::to_string(kDxfMostPieces) + " lines");
          }
        };
    Point previous = at(t0);
    for (int i = 1; i <= pieces; ++i) {
      const double a = t0 + (t1 - t0) * (i - 1) / pieces;
      const double b = t0 + (t1 - t0) * i / pieces;
      const Point next = at(b);
      split(a, b, previous, next, 0);
      previous = next;
    }
    polylinePoints(points);
  }

  // One polyline edge from p to q; a bulge b ≠ 0 makes it an arc of 4·atan(b) radians, turning
  // counterclockwise for b > 0.
  void bulgeEdge(const Affine& m, const Point& p, const Point& q, double bulge) {
    const double chord = p.distance(q);
    if (chord == 0) return;
    if (std::fabs(bulge) < 1e-12 || !std::isfinite(bulge)) {
      line(m.apply(p), m.apply(q));
      return;
    }
    if (std::fabs(bulge) > 1e6) refuse("a polyline edge at " + placeText(m.apply(p)) +
                                       " has the bulge " + formatG(bulge));
    const double angle = 4 * std::atan(bulge);
    const double radius = chord / (2 * std::sin(std::fabs(angle) / 2));
    // The centre lies off the chord's middle, to the left for a counterclockwise edge.
    const double h = radius * std::cos(std::fabs(angle) / 2);
    const Point mid((p.x + q.x) / 2, (p.y + q.y) / 2);
    const double ux = (q.x - p.x) / chord, uy = (q.y - p.y) / chord;
    const double side = bulge > 0 ? 1.0 : -1.0;
    // For an arc longer than half a circle h is negative: the centre is on the other side.
    const double offset = h;
    const Point centre(mid.x - uy * offset * side, mid.y + ux * offset * side);
    const Point from = bulge > 0 ? p : q;
    const double start = std::atan2(from.y - centre.y, from.x - centre.x) / degree();
    arc(m, centre, radius, start, start + std::fabs(angle) / degree());
  }

  void vertexChain(const Affine& m, std::vector<Point> points, std::vector<double> bulges,
                   bool closed) {
    // A closing point repeated at the end is the closing edge already.
    if (points.size() > 1 && points.back().x == points.front().x &&
        points.back().y == points.front().y) {
      points.pop_back();
      bulges.resize(points.size());
      closed = true;
    }
    const std::size_t n = points.size();
    if (n < 2) return;
    for (std::size_t i = 0; i + 1 < n; ++i) bulgeEdge(m, points[i], points[i + 1], bulges[i]);
    if (closed) bulgeEdge(m, points[n - 1], points[0], bulges[n - 1]);
  }

  void lwpolyline(const Entity& e, const Affine& m) {
    std::vector<Point> points;
    std::vector<double> bulges;
    double x = 0.0;
    bool haveX = false;
    for (const Pair& p : e.pairs) {
      if (p.code == 10) {
        x = number(p.value, e, 10);
        haveX = true;
      } else if (p.code == 20 && haveX) {
        points.emplace_back(x, number(p.value, e, 20));
        bulges.push_back(0.0);
        haveX = false;
      } else if (p.code == 42 && !bulges.empty()) {
        bulges.back() = number(p.value, e, 42);
      }
    }
    const bool closed = (integerOr(e, 70, 0) & 1) != 0;
    vertexChain(m, std::move(points), std::move(bulges), closed);
  }

  void polyline(const Entity& e, const Affine& m) {
    const int flags = integerOr(e, 70, 0);
    if (flags & (16 | 64)) {  // meshes and polyface meshes are no outlines
      ++out_.skippedLayerEntities;
      return;
    }
    const bool flat = (flags & 8) == 0;
    const Affine w = flat ? m.after(extrusion(e)) : m;
    std::vector<Point> points;
    std::vector<double> bulges;
    for (const Entity& v : e.vertices) {
      const int vertexFlags = integerOr(v, 70, 0);
      if (vertexFlags & 16) continue;  // a spline frame's control point, not on the curve
      points.emplace_back(required(v, 10), required(v, 20));
      bulges.push_back(numberOr(v, 42, 0));
    }
    vertexChain(w, std::move(points), std::move(bulges), (flags & 1) != 0);
  }

  void ellipse(const Entity& e, const Affine& m) {
    const Point c(required(e, 10), required(e, 20));
    const Point major(required(e, 11), required(e, 21));
    const double ratio = required(e, 40);
    check(c);
    check(major);
    const double length = std::hypot(major.x, major.y);
    if (!(length > 0) || !(ratio > 0 && ratio <= 1)) {
      refuse("an ellipse at " + placeText(m.apply(c)) + " has axes " + formatG(length) + " and " +
             formatG(length * ratio));
    }
    const double nz = numberOr(e, 230, 1);
    // The minor axis turns a quarter from the major one about the extrusion.
    const double turn = nz < 0 ? -1.0 : 1.0;
    const Point minor(-major.y * ratio * turn, major.x * ratio * turn);
    double t0 = numberOr(e, 41, 0), t1 = numberOr(e, 42, 2 * kPi);
    if (!(std::fabs(t0) <= 1e4 && std::fabs(t1) <= 1e4)) refuse("an ellipse at " + placeText(c) + " has a parameter beyond any turn");
    while (t1 <= t0) t1 += 2 * kPi;
    if (t1 - t0 > 2 * kPi) t1 = t0 + 2 * kPi;
    curve(m,
          [&](double t) {
            return Point(c.x + major.x * std::cos(t) + minor.x * std::sin(t),
                         c.y + major.y * std::cos(t) + minor.y * std::sin(t));
          },
          t0, t1, length);
  }

  void spline(const Entity& e, const Affine& m) {
    const int degree = integerOr(e, 71, 3);
    const std::vector<double> knots = numbers(e, 40);
    const std::vector<double> xs = numbers(e, 10), ys = numbers(e, 20);
    std::vector<double> weights = numbers(e, 41);
    const std::size_t n = std::min(xs.size(), ys.size());
    if (n == 0) {
      // Only fit points: the curve passes through them; lines between them follow it.
      const std::vector<double> fx = numbers(e, 11), fy = numbers(e, 21);
      std::vector<Point> points;
      for (std::size_t i = 0; i < std::min(fx.size(), fy.size()); ++i) {
        points.push_back(m.apply(Point(fx[i], fy[i])));
      }
      if ((integerOr(e, 70, 0) & 1) && points.size() > 2) {
        points.push_back(points.front());
      }
      polylinePoints(points);
      return;
    }
    if (n > kDxfMostSplinePoints) {
      refuse("a spline has " + std::to_string(n) + " control points, more than the " +
             std::to_string(kDxfMostSplinePoints) + " one spline may have");
    }
    if (degree < 1 || degree > kMostSplineDegree || knots.size() != n + static_cast<std::size_t>(degree) + 1) {
      refuse("a spline has " + std::to_string(n) + " control points, degree " +
             std::to_string(degree) + " and " + std::to_string(knots.size()) +
             " knots, which do not make a curve");
    }
    for (std::size_t i = 1; i < knots.size(); ++i) {
      if (knots[i] < knots[i - 1]) refuse("a spline's knots do not rise");
    }
    if (weights.size() != n) weights.assign(n, 1.0);
    std::vector<Point> control;
    for (std::size_t i = 0; i < n; ++i) {
      control.emplace_back(xs[i], ys[i]);
      check(control.back());
    }
    const std::size_t p = static_cast<std::size_t>(degree);
    // de Boor's algorithm on homogeneous points, in the knot span that holds t.
    const auto at = [&](double t) {
      // The knot span that holds t, by halving: a spline may have many thousand spans.
      const auto span = std::upper_bound(knots.begin() + static_cast<std::ptrdiff_t>(p) + 1,
                                         knots.begin() + static_cast<std::ptrdiff_t>(n), t);
      const std::size_t k = static_cast<std::size_t>(span - knots.begin()) - 1;
      std::array<double, kMostSplineDegree + 1> dx{}, dy{}, dw{};
      for (std::size_t j = 0; j <= p; ++j) {
        const std::size_t i = k - p + j;
        dw[j] = weights[i];
        dx[j] = control[i].x * weights[i];
        dy[j] = control[i].y * weights[i];
      }
      for (std::size_t r = 1; r <= p; ++r) {
        for (std::size_t j = p; j >= r; --j) {
          const std::size_t i = k - p + j;
          const double span = knots[i + p + 1 - r] - knots[i];
          const double alpha = span > 0 ? (t - knots[i]) / span : 0.0;
          dx[j] = (1 - alpha) * dx[j - 1] + alpha * dx[j];
          dy[j] = (1 - alpha) * dy[j - 1] + alpha * dy[j];
          dw[j] = (1 - alpha) * dw[j - 1] + alpha * dw[j];
        }
      }
      return Point(dx[p] / dw[p], dy[p] / dw[p]);
    };
    double size = 0;
    for (const Point& q : control) size = std::max(size, q.distance(control.front()));
    // A span's parameter is no angle: each starts from as many pieces as its degree needs.
    for (std::size_t k = p; k < n; ++k) {
      if (knots[k + 1] > knots[k]) curve(m, at, knots[k], knots[k + 1], size, degree + 1);
    }
  }

  void insert(const Entity& e, const Affine& m, std::string_view layer, int depth) {
    const std::string name(trimmed(text(e, 2).value_or("")));
    const auto found = blocks_.find(name);
    if (found == blocks_.end()) refuse("an INSERT names the block \"" + name + "\", which the drawing does not define");
    if (depth >= kDxfDeepestInsert) refuse("the block \"" + name + "\" inserts itself, or blocks nest deeper than " + std::to_string(kDxfDeepestInsert));
    const double sx = numberOr(e, 41, 1), sy = numberOr(e, 42, 1);
    if (sx == 0 || sy == 0 || std::fabs(sx) > kDxfLargestCoordinate ||
        std::fabs(sy) > kDxfLargestCoordinate) {
      refuse("the insert of block \"" + name + "\" has the scale " + formatG(sx) + " x " + formatG(sy));
    }
    const int columns = std::max(1, integerOr(e, 70, 1));
    const int rows = std::max(1, integerOr(e, 71, 1));
    if (static_cast<double>(columns) * rows > 1e4) refuse("the insert of block \"" + name + "\" repeats it " + std::to_string(columns) + " x " + std::to_string(rows) + " times");
    const double columnSpacing = numberOr(e, 44, 0), rowSpacing = numberOr(e, 45, 0);
    const Point at(required(e, 10), required(e, 20));
    const double turn = numberOr(e, 50, 0);
    const Block& block = found->second;
    const Affine placeBlock = rotation(turn).after(scaling(sx, sy).after(translation(-block.base.x, -block.base.y)));
    const Affine outer = m.after(extrusion(e));
    for (int row = 0; row < rows; ++row) {
      for (int column = 0; column < columns; ++column) {
        // Array copies step along the insert's own turned axes.
        const Affine step = rotation(turn).after(translation(column * columnSpacing, row * rowSpacing));
        const Point offset = step.apply(Point(0, 0));
        const Affine whole = outer.after(translation(at.x + offset.x, at.y + offset.y).after(placeBlock));
        entities(block.entities, whole, layer, depth + 1);
      }
    }
  }

  void label(const Entity& e) {
    const std::string value = cutDxfText(text(e, 1).value_or(""));
    TextLabel* target = nullptr;
    std::size_t prefix = 0;
    if (value.starts_with("name:")) {
      target = &out_.label;
      prefix = 5;
      out_.named = true;
    } else if (value.starts_with("thick=")) {
      target = &out_.secondLabel;
      prefix = 6;
    } else {
      return;
    }
    TextLabel l;
    l.text = value.substr(prefix);
    const auto finite = [&](int code, double& field) {
      const std::optional<std::string_view> t = text(e, code);
      if (!t) return;
      const double v = parseDouble(trimmed(*t));
      if (std::isfinite(v)) field = v;
    };
    finite(10, l.x);
    finite(20, l.y);
    finite(50, l.angle);
    finite(40, l.height);
    *target = l;
  }

  const std::map<std::string, Block, std::less<>>& blocks_;
  const DxfReadOptions& options_;
  DxfGeometry& out_;
  std::size_t insertedEntities_ = 0;
};

}  // namespace

std::string cutDxfText(std::string_view text) {
  if (text.size() <= kDxfTextLimit) return std::string(text);
  std::size_t cut = kDxfTextLimit;
  if (isValidUtf8(text)) {
    // Back up over continuation bytes to the start of the character that would be split.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  } else {
    // GBK: a byte of 0x81 or more starts a two-byte character.
    std::size_t i = 0;
    while (i < cut) {
      const std::size_t width = static_cast<unsigned char>(text[i]) >= 0x81 ? 2 : 1;
      if (i + width > cut) break;
      i += width;
    }
    cut = i;
  }
  return std::string(text.substr(0, cut));
}

bool dxfLayerIsCut(std::string_view layer, const DxfReadOptions& options) {
  const std::string name = upper(trimmed(layer));
  if (!options.cutLayers.empty()) {
    return std::any_of(options.cutLayers.begin(), options.cutLayers.end(),
                       [&](const std::string& cut) { return upper(trimmed(cut)) == name; });
  }
  if (name == "CL") return false;
  for (const char* word : kDxfSkippedLayerWords) {
    if (name.find(word) != std::string::npos) return false;
  }
  return true;
}

DxfGeometry readDxfGeometry(std::string_view bytes, const DxfReadOptions& options) {
  DxfGeometry out;
  if (bytes.starts_with("AutoCAD Binary DXF")) {
    out.refusal = "binary DXF is not supported: save the drawing as ASCII DXF";
    out.plain = false;
    return out;
  }
  try {
    const std::vector<Pair> pairs = splitPairs(bytes);
    std::map<std::string, Block, std::less<>> blocks;
    std::vector<Entity> model;
    double units = 1.0;
    std::size_t i = 0;
    while (i < pairs.size()) {
      if (!(pairs[i].code == 0 && trimmed(pairs[i].value) == "SECTION")) {
        ++i;
        continue;
      }
      ++i;
      const std::string_view section =
          i < pairs.size() && pairs[i].code == 2 ? trimmed(pairs[i].value) : std::string_view();
      if (section == "HEADER") {
        for (; i < pairs.size() && !(pairs[i].code == 0 && trimmed(pairs[i].value) == "ENDSEC"); ++i) {
          if (pairs[i].code == 9 && trimmed(pairs[i].value) == "$INSUNITS" && i + 1 < pairs.size()) {
            const int code = parseAtoi(trimmed(pairs[i + 1].value));
            units = unitsToMillimetres(code);
            if (units == 0.0) {
              refuse("the drawing's units ($INSUNITS " + std::to_string(code) +
                     ") are none of inches, feet, millimetres, centimetres or metres");
            }
          }
        }
      } else if (section == "BLOCKS") {
        while (i < pairs.size() && !(pairs[i].code == 0 && trimmed(pairs[i].value) == "ENDSEC")) {
          if (!(pairs[i].code == 0 && trimmed(pairs[i].value) == "BLOCK")) {
            ++i;
            continue;
          }
          Entity head;
          head.type = "BLOCK";
          for (++i; i < pairs.size() && pairs[i].code != 0; ++i) head.pairs.push_back(pairs[i]);
          Block block;
          block.base = Point(numberOr(head, 10, 0), numberOr(head, 20, 0));
          block.entities = readEntities(pairs, i, "ENDBLK");
          blocks[std::string(trimmed(text(head, 2).value_or("")))] = std::move(block);
          if (i < pairs.size()) ++i;  // past ENDBLK
        }
      } else if (section == "ENTITIES") {
        std::vector<Entity> entities = readEntities(pairs, i, "ENDSEC");
        for (Entity& e : entities) model.push_back(std::move(e));
      }
      while (i < pairs.size() && !(pairs[i].code == 0 && trimmed(pairs[i].value) == "ENDSEC")) ++i;
    }
    // Bare entities without any section, as some scripts write them, are model space.
    const bool sectioned = std::any_of(pairs.begin(), pairs.end(), [](const Pair& p) {
      return p.code == 0 && trimmed(p.value) == "SECTION";
    });
    if (!sectioned) {
      i = 0;
      model = readEntities(pairs, i, "EOF");
    }
    if (units != 1.0) out.plain = false;
    Flattener flattener(blocks, options, out);
    flattener.entities(model, scaling(units, units), "0", 0);
  } catch (const Refusal& refusal) {
    out.refusal = refusal.reason;
    out.plain = false;
  }
  return out;
}

}  // namespace platenest
