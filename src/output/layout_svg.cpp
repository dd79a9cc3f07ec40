// A picture of the layout for the operator's browser. It shows what the layout drawing
// holds, the way an operator checks it at a glance: the plate, every part's true outline
// with its holes open (even-odd fill), the names, the packing-length line, turned-over parts
// in their own colour and parts off the plate beside it. The geometry is drawn in plate
// millimetres with y pointing up; texts are placed outside the flip so they read upright.
#include "output/layout_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "nesting/nester.h"
#include "nesting/posed_layout.h"
#include "job/placed_part.h"
#include "support/fatal_error.h"
#include "support/gbk.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

constexpr const char* kPlainFill = "#9ad29a";
constexpr const char* kPlainStroke = "#2e7d32";
constexpr const char* kMirroredFill = "#f3dc6b";
constexpr const char* kMirroredStroke = "#a07800";

std::string coordinate(double value) { return formatC("%.3f", value); }

// XML text or attribute content. Control characters cannot appear in XML at all.
std::string xmlEscape(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        result += "&amp;";
        break;
      case '<':
        result += "&lt;";
        break;
      case '>':
        result += "&gt;";
        break;
      case '"':
        result += "&quot;";
        break;
      case '\'':
        result += "&apos;";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
          result += '?';
        } else {
          result += c;
        }
    }
  }
  return result;
}

int codePointCount(std::string_view utf8) {
  int count = 0;
  for (const char c : utf8) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

void appendRing(std::string& d, const Polygon& polygon) {
  const int n = polygon.vertexCount();
  for (int i = 0; i < n; ++i) {
    const Point& p = polygon.vertex(i);
    d += i == 0 ? "M" : "L";
    d += coordinate(p.x) + " " + coordinate(p.y) + " ";
  }
  if (n > 0) d += "Z ";
}

struct Drawn {
  const PlacedPart& outline;  // true outline at the working pose
  bool onPlate = false;
};

void widen(BoundingBox& extent, const BoundingBox& box) {
  extent.minX = std::min(extent.minX, box.minX);
  extent.maxX = std::max(extent.maxX, box.maxX);
  extent.minY = std::min(extent.minY, box.minY);
  extent.maxY = std::max(extent.maxY, box.maxY);
}

}  // namespace

void writeLayoutSvg(const Nester& nester, const std::filesystem::path& path) {
  const PosedLayout view = poseLayout(nester);
  std::vector<Drawn> drawn;
  double packingLength = 0.0;
  int onPlateCount = 0;
  for (const PosedPart& part : view.parts) {
    Drawn item{part.cut, part.onPlate};
    if (item.onPlate) {
      ++onPlateCount;
      packingLength = std::max(packingLength, item.outline.box().maxX);
    }
    drawn.push_back(item);
  }

  const double length = nester.plateLength();
  const double width = nester.plateWidth();
  BoundingBox extent{0.0, length, 0.0, width};
  for (const Drawn& item : drawn) {
    if (!item.outline.outer.empty()) widen(extent, item.outline.box());
  }
  const double span = std::max(extent.width(), extent.height());
  const double margin = span * 0.03;
  const double captionSize = span / 60;
  // Room above the drawing for the caption line.
  const double top = extent.maxY + margin + captionSize * 1.5;
  const double viewX = extent.minX - margin;
  const double viewY = -top;
  const double viewWidth = extent.width() + 2 * margin;
  const double viewHeight = top - (extent.minY - margin);

  std::string svg;
  svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"" + coordinate(viewX) + " " +
         coordinate(viewY) + " " + coordinate(viewWidth) + " " + coordinate(viewHeight) +
         "\" width=\"1200\" height=\"" +
         formatC("%.0f", viewWidth > 0 ? 1200 * viewHeight / viewWidth : 800.0) + "\">\n";
  const std::string caption =
      formatC("Plate %g × %g mm, packing length %g mm, %d of %d parts on the plate", length, width,
              packingLength, onPlateCount, static_cast<int>(drawn.size()));
  svg += "<title>" + xmlEscape(caption) + "</title>\n";
  svg += "<rect x=\"" + coordinate(viewX) + "\" y=\"" + coordinate(viewY) + "\" width=\"" +
         coordinate(viewWidth) + "\" height=\"" + coordinate(viewHeight) +
         "\" fill=\"#ffffff\"/>\n";

  // Geometry in plate millimetres, y up.
  svg += "<g transform=\"scale(1,-1)\" stroke-linejoin=\"round\">\n";
  svg += "<rect class=\"plate\" x=\"0\" y=\"0\" width=\"" + coordinate(length) + "\" height=\"" +
         coordinate(width) +
         "\" fill=\"#eef1f5\" stroke=\"#34495e\" stroke-width=\"2\" "
         "vector-effect=\"non-scaling-stroke\"/>\n";
  for (const Drawn& item : drawn) {
    std::string d;
    appendRing(d, item.outline.outer);
    for (const Polygon& hole : item.outline.holes) appendRing(d, hole);
    if (d.empty()) continue;
    d.pop_back();
    const bool mirrored = item.outline.mirrored;
    svg += std::string("<path class=\"") + (mirrored ? "part mirrored" : "part") +
           "\" fill-rule=\"evenodd\" fill=\"" + (mirrored ? kMirroredFill : kPlainFill) +
           "\" stroke=\"" + (mirrored ? kMirroredStroke : kPlainStroke) +
           "\" stroke-width=\"1\" vector-effect=\"non-scaling-stroke\"" +
           (item.onPlate ? "" : " fill-opacity=\"0.45\"") + " d=\"" + d + "\"/>\n";
  }
  svg += "<line class=\"packing-length\" x1=\"" + coordinate(packingLength) + "\" y1=\"0\" x2=\"" +
         coordinate(packingLength) + "\" y2=\"" + coordinate(width) +
         "\" stroke=\"#c0392b\" stroke-width=\"2\" stroke-dasharray=\"8 4\" "
         "vector-effect=\"non-scaling-stroke\"/>\n";
  svg += "</g>\n";

  // Names, upright, at each part's centroid, sized to the part: by its area so that thin
  // L shapes and gussets do not carry names larger than their material, and by its box so
  // that the name fits across.
  svg += "<g font-family=\"sans-serif\" text-anchor=\"middle\" fill=\"#1b1b1b\">\n";
  const double largestName = span / 40;  // so that big plates do not shout their names
  for (const Drawn& item : drawn) {
    const PlacedPart& part = item.outline;
    if (part.outer.empty()) continue;
    const std::string name = displayName(part.label.text);
    const int characters = std::max(1, codePointCount(name));
    // Tall narrow parts carry their name along their length.
    const bool upright = part.box().height() > 2 * part.box().width();
    const double across = upright ? part.box().width() : part.box().height();
    const double along = upright ? part.box().height() : part.box().width();
    const double size = std::min({0.3 * std::sqrt(std::abs(part.area())), across * 0.4,
                                  along / (0.65 * characters), largestName});
    if (!(size > 0) || !std::isfinite(part.centroid().x) || !std::isfinite(part.centroid().y)) {
      continue;
    }
    const std::string x = coordinate(part.centroid().x);
    const std::string y = coordinate(-part.centroid().y);
    // dy puts the baseline below the centre line so the letters sit centred.
    svg += "<text class=\"name\" x=\"" + x + "\" y=\"" + y + "\" dy=\"" + coordinate(size * 0.35) +
           "\" font-size=\"" + coordinate(size) + "\"" +
           (upright ? " transform=\"rotate(-90 " + x + " " + y + ")\"" : std::string()) + ">" +
           xmlEscape(name) + "</text>\n";
  }
  svg += "<text class=\"caption\" x=\"" + coordinate(extent.minX) + "\" y=\"" +
         coordinate(-(extent.maxY + margin * 0.5)) + "\" font-size=\"" + coordinate(captionSize) +
         "\" text-anchor=\"start\">" + xmlEscape(caption) + "</text>\n";
  svg += "</g>\n</svg>\n";

  const std::string problem = writeWholeFile(path, svg);
  if (!problem.empty()) throw FatalError::warning("排样文件输出失败!", problem);
}

}  // namespace platenest
