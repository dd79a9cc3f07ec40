// Checks of arc edges before a contour is cut into chords: an arc whose radius is too
// short for its chord cannot be built, and one no larger than the chord-height error
// cannot be cut sensibly. Findings go to the error report, one line each.
#include "geometry/arc_check.h"

#include <cmath>

#include "geometry/discretise.h"

namespace platenest {

namespace {

double edgeRadius(const Contour& contour, std::size_t i) {
  return i < contour.radii.size() ? contour.radii[i] : 0.0;
}

const Point& edgeEnd(const Contour& contour, std::size_t i) {
  return contour.vertices[i + 1 == contour.vertices.size() ? 0 : i + 1];
}

// The common head of an arc alarm line: where the edge starts and ends.
void writeArcAlarm(TextWriter& report, const Point& p1, const Point& p2) {
  report << "\t报警圆弧:起点(" << p1.x << "," << p1.y << "),终点(" << p2.x << "," << p2.y << "), ";
}

void writeReachDetail(TextWriter& report, const Point& p1, const Point& p2, double radius) {
  const double r = std::fabs(radius);
  report << "错误细节:起讫点距离d=" << p1.distance(p2) << "超过两倍半径的绝对值=2*|R|=2*" << r
         << "=" << 2 * r;
}

// Checks each arc edge in order; with a chord error, also that the radius exceeds it.
bool checkEdges(const Contour& contour, const double* chordError, TextWriter& report) {
  for (std::size_t i = 0; i < contour.vertices.size(); ++i) {
    const double radius = edgeRadius(contour, i);
    if (radius == 0) continue;
    const Point& p1 = contour.vertices[i];
    const Point& p2 = edgeEnd(contour, i);
    if (!arcPossible(p1, p2, radius)) {
      writeArcAlarm(report, p1, p2);
      writeReachDetail(report, p1, p2, radius);
      report << (chordError != nullptr ? ", 半径绝对值太小, 圆弧生成失败!" : ", 圆弧无法生成!")
             << "\n";
      return false;
    }
    if (chordError != nullptr && !(*chordError < std::fabs(radius))) {
      writeArcAlarm(report, p1, p2);
      report << "错误细节:圆弧半径的绝对值=" << std::fabs(radius) << "<弓高误差=" << *chordError
             << ", 半径绝对值太小!\n";
      return false;
    }
  }
  return true;
}

}  // namespace

bool checkArcs(const Contour& contour, double chordError, TextWriter& report) {
  return checkEdges(contour, &chordError, report);
}

bool checkArcReach(const Contour& contour, TextWriter& report) {
  return checkEdges(contour, nullptr, report);
}

bool repairArcs(Contour& contour, TextWriter& report) {
  for (std::size_t i = 0; i < contour.vertices.size() && i < contour.radii.size(); ++i) {
    double& radius = contour.radii[i];
    if (radius == 0) continue;
    const Point& p1 = contour.vertices[i];
    const Point& p2 = edgeEnd(contour, i);
    if (arcPossible(p1, p2, radius)) continue;
    report << "圆弧半径绝对值|R|需要适当增加，以连接零件轮廓某段起讫点。\n";
    const double original = radius;
    radius = radius > 0 ? radius + kRadiusRepairStep : radius - kRadiusRepairStep;
    if (!arcPossible(p1, p2, radius)) {
      report << "圆弧半径绝对值|R|增加了0.1mm，依然无法连接零件轮廓某段起讫点！\n";
      radius = original;
      return false;
    }
    report << "圆弧半径绝对值|R|增加了0.1mm，问题得到修正。\n";
  }
  return true;
}

bool validate(const Region& region, TextWriter& report) {
  bool valid = checkArcs(region.outer, region.chordTolerance, report);
  for (auto hole = region.holes.begin(); valid && hole != region.holes.end(); ++hole) {
    valid = checkArcs(*hole, region.chordTolerance, report);
  }
  if (!valid) {
    report << "以上错误发生于零件:";
    report.bytes(region.label.text);
    report << "\n";
  }
  return valid;
}

}  // namespace platenest
