#include "app/layout_painter.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <string_view>

#include "geometry/discretise.h"
#include "job/id_index.h"
#include "nesting/nester.h"
#include "nesting/posed_layout.h"
#include "support/messages.h"

namespace platenest {
namespace {

// Arcs are drawn as chords whose bulge stays under a quarter pixel at the current zoom, so
// an outline never looks faceted; the cap keeps a huge zoom from costing millions of lines.
constexpr double kArcBulgePixels = 0.25;
constexpr int kMaxChordsPerTurn = 1440;

// Silences the geometry's message about an arc that cannot join its ends: the painter draws
// the straight edge instead, and a repaint must never raise a message box.
class DiscardingSink : public MessageSink {
 public:
  void show(std::string_view, std::string_view) override {}
};

class OutlinePainter {
 public:
  OutlinePainter(QPainter& painter, const ViewTransform& view) : painter_(painter), view_(view) {}

  QPoint pixel(const Point& p) const {
    const Pixel q = view_.worldToPixel(p);
    return QPoint(q.x, q.y);
  }

  // Appends the points of the arc after its start point, counterclockwise.
  void appendArc(const Arc& arc, bool reversed, QPolygon& out) const {
    const double radiusPixels = arc.radius * view_.scale();
    const double sweep = arc.sweep() / 180.0 * kPi;
    int chords = 1;
    if (radiusPixels > kArcBulgePixels) {
      const double step = chordAngle(radiusPixels, kArcBulgePixels);
      const double perTurn = std::min<double>(kMaxChordsPerTurn, 2 * kPi / step);
      chords = std::max(1, static_cast<int>(std::ceil(perTurn * sweep / (2 * kPi))));
    }
    const double start = arc.startAngle / 180.0 * kPi;
    for (int i = 1; i <= chords; ++i) {
      const double t = reversed ? sweep * (chords - i) / chords : sweep * i / chords;
      out << pixel(Point(arc.centre.x + arc.radius * std::cos(start + t),
                         arc.centre.y + arc.radius * std::sin(start + t)));
    }
  }

  void polygon(const Polygon& outline) {
    if (outline.empty()) return;
    QPolygon pixels;
    for (const Point& p : outline.vertices()) pixels << pixel(p);
    painter_.drawPolygon(pixels);
  }

  // The net area of the part (holes left open) as a path in pixels.
  QPainterPath area(const PlacedPart& part) const {
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    const auto add = [&](const Polygon& outline) {
      if (outline.empty()) return;
      QPolygon pixels;
      for (const Point& p : outline.vertices()) pixels << pixel(p);
      path.addPolygon(QPolygonF(pixels));
      path.closeSubpath();
    };
    add(part.outer);
    for (const Polygon& hole : part.holes) add(hole);
    return path;
  }

  void part(const PlacedPart& part) {
    polygon(part.outer);
    for (const Polygon& hole : part.holes) polygon(hole);
  }

  // An outline as read: straight edges and minor arcs of the signed radius on each edge.
  void contour(const Contour& contour) {
    const int n = contour.vertexCount();
    if (n == 0) return;
    QPolygon pixels;
    for (int i = 0; i < n; ++i) {
      const Point& from = contour.vertices[static_cast<std::size_t>(i)];
      const Point& to = contour.vertices[static_cast<std::size_t>((i + 1) % n)];
      pixels << pixel(from);
      const double radius = i < static_cast<int>(contour.radii.size())
                                ? contour.radii[static_cast<std::size_t>(i)]
                                : 0.0;
      const double chord = from.distance(to);
      if (radius == 0 || !(chord > 0) || std::fabs(radius) / chord > kStraightEdgeRatio) continue;
      Arc arc;
      if (!arcFromRadius(from, to, radius, arc)) continue;
      // arcFromRadius stores every arc counterclockwise; a clockwise edge runs it backwards.
      QPolygon along;
      appendArc(arc, radius < 0, along);
      along.removeLast();  // the arc's far end is the next vertex, added by the next edge
      pixels << along;
    }
    painter_.drawPolygon(pixels);
  }

  void region(const Region& region) {
    contour(region.outer);
    for (const Contour& hole : region.holes) contour(hole);
  }

  void drawing(const PartDrawing& drawing) {
    for (const Segment& line : drawing.lines) painter_.drawLine(pixel(line.start), pixel(line.end));
    for (const Arc& arc : drawing.arcs) {
      const double start = arc.startAngle / 180.0 * kPi;
      QPolygon pixels;
      pixels << pixel(Point(arc.centre.x + arc.radius * std::cos(start),
                            arc.centre.y + arc.radius * std::sin(start)));
      appendArc(arc, false, pixels);
      painter_.drawPolyline(pixels);
    }
    for (const Circle& circle : drawing.circles) {
      Arc whole;
      whole.set(circle.centre, circle.radius, 0, 360);
      QPolygon pixels;
      appendArc(whole, false, pixels);
      painter_.drawPolygon(pixels);
    }
  }

 private:
  QPainter& painter_;
  const ViewTransform& view_;
};

QPen solidPen(const QColor& colour, int width) {
  QPen pen(colour, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
  pen.setCosmetic(true);
  return pen;
}

// Selected parts stand out in red and thicker; parts turned over in yellow.
QPen partPen(const PosedPart& part, const ViewOptions& options) {
  if (part.selected) return solidPen(kSelectedColour, 2);
  if (!part.mirrored) return solidPen(kPartColour, 1);
  return solidPen(options.backgroundIndex == 1 ? kTurnedOverOnWhiteColour : kTurnedOverColour, 1);
}

void paintPart(OutlinePainter& outlines, QPainter& painter, const PosedPart& part,
               const ViewOptions& options) {
  const bool inTheWay = std::find(options.partsInTheWay.begin(), options.partsInTheWay.end(),
                                  part.id) != options.partsInTheWay.end();
  if (inTheWay) {
    // Hatched under its outline, so that the outline keeps its own colour.
    painter.fillPath(outlines.area(part.cut), QBrush(kInTheWayColour, Qt::BDiagPattern));
  }
  const bool showOffsetOutlines = options.showOffsetOutlines;
  painter.setPen(partPen(part, options));
  if (part.region) {
    outlines.region(*part.region);
  } else if (part.drawing) {
    outlines.drawing(*part.drawing);
  } else {
    outlines.part(part.cut);
  }
  if (showOffsetOutlines && part.working != nullptr) outlines.part(*part.working);
}

void paintNester(QPainter& painter, const ViewTransform& view, const Nester& nester,
                 const ViewOptions& options) {
  DiscardingSink quiet;
  ScopedMessageSink silence(&quiet);
  OutlinePainter outlines(painter, view);
  const PosedLayout layout = poseLayout(nester);

  painter.setPen(solidPen(kPlateColour, 1));
  QPolygon plate;
  plate << outlines.pixel(Point(0, 0)) << outlines.pixel(Point(layout.plateLength, 0))
        << outlines.pixel(Point(layout.plateLength, layout.plateWidth))
        << outlines.pixel(Point(0, layout.plateWidth));
  painter.drawPolygon(plate);

  // In the order the parts were loaded, so that a later part is drawn over an earlier one;
  // a working part without a loaded twin comes last rather than not at all.
  std::vector<bool> drawn(layout.parts.size(), false);
  const FirstById posed(layout.parts);
  for (const PlacedPart& loaded : nester.loadedParts) {
    const PosedPart* part = posed.find(loaded.id);
    if (part == nullptr) continue;
    const auto i = static_cast<std::size_t>(part - layout.parts.data());
    if (!drawn[i]) paintPart(outlines, painter, *part, options);
    drawn[i] = true;
  }
  for (std::size_t i = 0; i < layout.parts.size(); ++i) {
    if (!drawn[i]) paintPart(outlines, painter, layout.parts[i], options);
  }

  if (options.showPackingPoints && !layout.freePackingPoints.empty()) {
    painter.setPen(solidPen(kPackingPointColour, 1));
    QPolygon points;
    points.reserve(static_cast<int>(layout.freePackingPoints.size()));
    for (const Point& p : layout.freePackingPoints) points << outlines.pixel(p);
    painter.drawPoints(points);
  }
}

}  // namespace

QImage paintLayout(int width, int height, const ViewTransform& view, const Nester* nester,
                   const ViewOptions& options) {
  QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
  image.fill(options.backgroundIndex == 1 ? kWhiteBackground : kBlackBackground);
  if (nester == nullptr) return image;
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setBrush(Qt::NoBrush);
  paintNester(painter, view, *nester, options);
  return image;
}

namespace {

void drawBox(QPainter& painter, Pixel a, Pixel b) {
  const QPoint corners[] = {QPoint(a.x, a.y), QPoint(b.x, a.y), QPoint(b.x, b.y),
                            QPoint(a.x, b.y)};
  painter.drawPolygon(corners, 4);
}

}  // namespace

void paintGestureMarks(QImage& image, const GestureMarks& marks) {
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setBrush(Qt::NoBrush);
  // The gaps of a dashed box leave the layout beneath visible.
  painter.setBackgroundMode(Qt::TransparentMode);
  if (marks.rotationCentre) {
    const Pixel c = *marks.rotationCentre;
    painter.setPen(QPen(kRotationCentreColour, 1, Qt::SolidLine));
    painter.drawLine(c.x - 5, c.y - 5, c.x + 5, c.y + 5);
    painter.drawLine(c.x - 5, c.y + 5, c.x + 5, c.y - 5);
  }
  if (marks.selectionBox) {
    const auto [first, second] = *marks.selectionBox;
    // Right to left is a crossing box: dashed, so the operator sees which rule applies.
    const Qt::PenStyle style = second.x < first.x ? Qt::DashLine : Qt::SolidLine;
    painter.setPen(QPen(kSelectionBoxColour, 1, style));
    drawBox(painter, first, second);
  }
  if (marks.zoomBox) {
    painter.setPen(QPen(kZoomBoxColour, 1, Qt::SolidLine));
    drawBox(painter, marks.zoomBox->first, marks.zoomBox->second);
  }
}

}  // namespace platenest
