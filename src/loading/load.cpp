// The load flow: from the operator's chosen file to a job ready for layout.
#include "loading/load.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "geometry/arc_check.h"
#include "geometry/discretise.h"
#include "geometry/outline_check.h"
#include "job/id_index.h"
#include "loading/working_outline.h"
#include "readers/dxf_list_file.h"
#include "readers/part_list_file.h"
#include "readers/report_lines.h"
#include "readers/text_library.h"
#include "support/fatal_error.h"
#include "support/gbk.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

// "2024年3月7日, 9时5分30秒": one line per job, so that the lines of each job in the log can
// be told apart.
void writeDatedHeader(TextWriter& log) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  log << (local.tm_year + 1900) << "年" << (local.tm_mon + 1) << "月" << local.tm_mday << "日, "
      << local.tm_hour << "时" << local.tm_min << "分" << local.tm_sec << "秒";
  log.endLine();
}

constexpr const char* kDegenerate = "零件轮廓退化(顶点少于3个或面积为零)!";
constexpr const char* kArcCheckFailed = "零件轮廓检查未通过!";

// A part whose outline has no area cannot be measured (its rectangularity, aspect ratio and
// centroid divide by zero) and cannot be laid out; it is refused at load.
bool isDegenerate(const PlacedPart& part) {
  const double w = part.box().maxX - part.box().minX;
  const double h = part.box().maxY - part.box().minY;
  return part.outer.vertexCount() < 3 || !(w > 0) || !(h > 0) || !(part.outer.area() > 0) ||
         !(part.area() > 0);
}

// The arc checks of one region, written to the error log; what they wrote is the reason the
// part is left out when it fails. Nothing when it passes.
std::optional<std::string> failedCheck(TextWriter& errorLog, const Region& region) {
  std::string written;
  errorLog.copyTo(&written);
  const bool passed = validate(region, errorLog);
  errorLog.copyTo(nullptr);
  if (passed) return std::nullopt;
  const std::string reason = reportLines(written);
  return reason.empty() ? std::string(kArcCheckFailed) : reason;
}

// Why an arc check refused the region, when the cause is an arc no larger than the
// chord-height error: the operator sees a part with small holes or fillets refused and must
// know it is the rule, not the drawing. Edges are taken in the order the checks take them, so
// the arc named is the one that failed; empty when another check failed first.
std::string smallArcDetail(const Region& region) {
  const double limit = region.chordTolerance;
  const auto firstSmallArc = [&](const Contour& contour, std::string& detail) {
    const std::size_t n = contour.vertices.size();
    for (std::size_t i = 0; i < n && i < contour.radii.size(); ++i) {
      const double radius = contour.radii[i];
      if (radius == 0) continue;
      const Point& from = contour.vertices[i];
      const Point& to = contour.vertices[(i + 1) % n];
      if (!arcPossible(from, to, radius)) return true;
      if (limit < std::fabs(radius)) continue;
      detail = "an arc of radius " + formatG(std::fabs(radius)) + " mm from (" +
               formatG(from.x) + ", " + formatG(from.y) + ") to (" + formatG(to.x) + ", " +
               formatG(to.y) + "): arcs of radius " + formatG(limit) +
               " mm or less (the chord-height error) refuse their whole part, so a hole of " +
               formatG(2 * limit) + " mm across or less, or a fillet of " + formatG(limit) +
               " mm or less, keeps a part out; draw such an arc as straight edges";
      return true;
    }
    return false;
  };
  std::string detail;
  if (firstSmallArc(region.outer, detail)) return detail;
  for (const Contour& hole : region.holes) {
    if (firstSmallArc(hole, detail)) return detail;
  }
  return detail;
}

std::vector<std::vector<Point>> loopsOf(const PlacedPart& part) {
  std::vector<std::vector<Point>> loops{part.outer.vertices()};
  for (const Polygon& hole : part.holes) loops.push_back(hole.vertices());
  return loops;
}

void rejectDegenerate(TextWriter& errorLog, const PlacedPart& part, LoadReport& report) {
  errorLog << "\t" << kDegenerate;
  errorLog.endLine();
  errorLog << kPartNameLine;
  errorLog.bytes(part.label.text).endLine();
  report.rejected.push_back(RejectedPart{part.id, part.label.text, kDegenerate});
}

constexpr const char* kNotGrown = "零件轮廓按零件间距外扩失败!";

void growAllParts(Nester& nester, TextWriter& errorLog, double gap, LoadReport& report) {
  if (gap == 0) return;
  for (auto it = nester.parts.begin(); it != nester.parts.end();) {
    if (it->offset(gap)) {
      ++it;
      continue;
    }
    const std::string detail = "grown by half the gap (" + formatG(gap) +
                               " mm), its outline leaves no working outline that holds it";
    errorLog << "\t" << kNotGrown;
    errorLog.endLine();
    errorLog << "\t" << detail;
    errorLog.endLine();
    errorLog << kPartNameLine;
    errorLog.bytes(it->label.text).endLine();
    report.rejected.push_back(RejectedPart{it->id, it->label.text, kNotGrown, detail});
    for (auto twin = nester.loadedParts.begin(); twin != nester.loadedParts.end(); ++twin) {
      if (twin->id != it->id) continue;
      nester.loadedParts.remove(twin);
      break;
    }
    it = nester.parts.remove(it);
  }
}

Job runReader(TextWriter& errorLog, const std::filesystem::path& path, LoadType loadType,
              const LoadOptions& options) {
  switch (loadType) {
    case LoadType::kTextLibrary:
      return readTextLibrary(path, errorLog);
    case LoadType::kDxfList:
      return readDxfListFile(path, options.dxf);
    case LoadType::kPartList:
      return readPartListFile(path, "PackError.txt");
  }
  return Job{};
}

// Sizes beyond this (10 km) are no plate or part a shop cuts: a slip of the keyboard or a
// broken file, and work and memory would grow with them.
constexpr double kLargestSize = 1e7;  // mm

[[noreturn]] void refuseValue(const std::filesystem::path& path, const std::string& what,
                              double value, const std::string& wanted) {
  throw FatalError(FatalChannel::kStandardError, "",
                   what + " " + formatG(value) + " cannot be used: it must be " + wanted,
                   path.string());
}

void checkPlateSize(const std::filesystem::path& path, const char* what, double value) {
  // Zero is the readers' own refusal, with its defined message.
  if (value == 0.0) return;
  if (!(std::isfinite(value) && value > 0.0 && value <= kLargestSize)) {
    refuseValue(path, what, value, "a positive number of millimetres, at most 1e+07");
  }
}

void checkGap(const std::filesystem::path& path, double gap) {
  if (!(std::isfinite(gap) && gap >= 0.0 && gap <= kLargestSize)) {
    refuseValue(path, "the gap between parts", gap, "a number of millimetres, 0 or more");
  }
}

void checkCoordinate(const std::filesystem::path& path, const std::string& name, double value,
                     const char* what) {
  if (!(std::isfinite(value) && std::fabs(value) <= kLargestSize)) {
    refuseValue(path, std::string("the ") + what + " of part " + displayName(name), value,
                "a finite number of millimetres, at most 1e+07 in size");
  }
}

void checkPoint(const std::filesystem::path& path, const std::string& name, const Point& p) {
  checkCoordinate(path, name, p.x, "coordinate");
  checkCoordinate(path, name, p.y, "coordinate");
}

// Refuses a job whose plate, gap or geometry no shop job can have, naming the value, before
// anything is made of it.
void checkJobValues(const std::filesystem::path& path, const Job& job) {
  if (job.settings) {
    checkPlateSize(path, "the plate length", job.settings->staPlate_0);
    checkPlateSize(path, "the plate width", job.settings->staPlate_1);
    checkGap(path, job.settings->partToPartGap);
  }
  if (job.plate) {
    checkPlateSize(path, "the plate length", job.plate->length);
    checkPlateSize(path, "the plate width", job.plate->width);
    checkGap(path, job.partGap);
  }
  const auto checkContour = [&](const std::string& name, const Contour& contour) {
    for (const Point& p : contour.vertices) checkPoint(path, name, p);
    for (double r : contour.radii) checkCoordinate(path, name, r, "arc radius");
  };
  for (const Region& region : job.regions) {
    checkContour(region.label.text, region.outer);
    for (const Contour& hole : region.holes) checkContour(region.label.text, hole);
  }
  const FirstById drawings(std::as_const(job.drawings));
  for (const PlacedPart& part : job.parts) {
    for (const Point& p : part.outer.vertices()) checkPoint(path, part.label.text, p);
    for (const Polygon& hole : part.holes) {
      for (const Point& p : hole.vertices()) checkPoint(path, part.label.text, p);
    }
    const PartDrawing* drawing = drawings.find(part.id);
    if (drawing == nullptr) continue;
    for (const Segment& line : drawing->lines) {
      checkPoint(path, part.label.text, line.start);
      checkPoint(path, part.label.text, line.end);
    }
    for (const Arc& arc : drawing->arcs) {
      checkPoint(path, part.label.text, arc.centre);
      checkCoordinate(path, part.label.text, arc.radius, "arc radius");
    }
    for (const Circle& circle : drawing->circles) {
      checkPoint(path, part.label.text, circle.centre);
      checkCoordinate(path, part.label.text, circle.radius, "circle radius");
    }
  }
}

}  // namespace

void applyConfig(Nester& nester, const NestConfig& config) {
  nester.settings = config;
  nester.setPlateSize(config.staPlate_0, config.staPlate_1);
  nester.partGap = config.partToPartGap;
  nester.bPartTurnover = config.bPartTurnover;
}

void applyJob(Nester& nester, Job job) {
  // The settings block starts the plate at its standard size; a plate the file gives wins.
  Plate plate;
  plate.setSize(nester.plateLength(), nester.plateWidth());
  if (job.settings) {
    applyConfig(nester, *job.settings);
    nester.hasJobSettings = true;
    plate.setSize(nester.settings.staPlate_0, nester.settings.staPlate_1);
  }
  if (job.plate) {
    nester.partGap = job.partGap;
    plate = *job.plate;
  }
  nester.setPlate(plate);
  for (Region& region : job.regions) nester.regions.insertFront(std::move(region));
  for (PlacedPart& part : job.parts) nester.parts.insertFront(std::move(part));
  for (PartDrawing& drawing : job.drawings) nester.drawings.push_back(std::move(drawing));
}

void load(Nester& nester, TextWriter& errorLog, const std::filesystem::path& path,
          LoadType loadType, const LoadOptions& options, LoadReport& report) {
  report = LoadReport{};
  Job job = runReader(errorLog, path, loadType, options);
  checkJobValues(path, job);
  report.rejected = std::move(job.rejected);
  // A drawing the reader refused goes to the error log with what was found, like a part
  // whose arcs fail their checks.
  for (const RejectedPart& rejected : report.rejected) {
    if (rejected.detail.empty()) continue;
    errorLog << "\t" << rejected.detail;
    errorLog.endLine();
    errorLog << kPartNameLine;
    errorLog.bytes(rejected.name).endLine();
  }
  applyJob(nester, std::move(job));

  // Validate: a region whose arcs cannot be built is reported in the error log and dropped.
  for (auto it = nester.regions.begin(); it != nester.regions.end();) {
    std::optional<std::string> failure = failedCheck(errorLog, *it);
    if (!failure) {
      ++it;
      continue;
    }
    report.rejected.push_back(
        RejectedPart{it->id, it->label.text, std::move(*failure), smallArcDetail(*it)});
    it = nester.regions.remove(it);
  }

  // Parts that came in directly (the DXF list) get the same check as the converted ones.
  for (auto it = nester.parts.begin(); it != nester.parts.end();) {
    if (!isDegenerate(*it)) {
      ++it;
      continue;
    }
    rejectDegenerate(errorLog, *it, report);
    it = nester.parts.remove(it);
  }

  // Convert; the readers inserted at the front, so front insertion restores reading order.
  for (auto it = nester.regions.begin(); it != nester.regions.end();) {
    const PlacedPart part = toPlacedPart(*it);
    if (isDegenerate(part)) {
      rejectDegenerate(errorLog, part, report);
      it = nester.regions.remove(it);
      continue;
    }
    // An outline crossing itself or a hole crossing or outside its outline cannot be cut: laid
    // out, its holes would be cut through its neighbours.
    if (const std::string fault = outlineFault(loopsOf(part)); !fault.empty()) {
      errorLog << "\t" << kArcCheckFailed;
      errorLog.endLine();
      errorLog << "\t" << fault;
      errorLog.endLine();
      errorLog << kPartNameLine;
      errorLog.bytes(part.label.text).endLine();
      report.rejected.push_back(RejectedPart{part.id, part.label.text, kArcCheckFailed, fault});
      it = nester.regions.remove(it);
      continue;
    }
    nester.parts.insertFront(part);
    ++it;
  }

  nester.loadedParts.assignFrom(nester.parts);
  if (!options.keepOrientation) {
    for (PlacedPart& part : nester.parts) part.normaliseOrientation();
  }
  nester.parts.sortByAreaDescending();
  // An empty job keeps the distance it was built with.
  nester.setPackingPointDistance(nester.defaultPackingPointDistance());
  // The fit tests compare outlines that hold every arc whole, not the chords measured above.
  useWorkingOutlines(nester);
  // Each part grows by half the gap, so two touching parts keep the whole gap between them.
  // A part whose outline cannot be grown soundly is refused: laid out, it would be cut into
  // its neighbours.
  growAllParts(nester, errorLog, nester.partGap * 0.5, report);
  // Park every part right of the plate and below its bottom edge: nothing is on the plate yet.
  for (PlacedPart& part : nester.parts) {
    part.translate(nester.plateLength() - part.box().minX, 0 - part.box().maxY);
  }
  errorLog.flush();
  report.loadedCount = nester.parts.count();
}

std::unique_ptr<Nester> openLibrary(const std::filesystem::path& path, LoadType loadType,
                                    TextWriter& errorLog, const LoadOptions& options,
                                    LoadReport& report) {
  auto nester = std::make_unique<Nester>();
  load(*nester, errorLog, path, loadType, options, report);
  return nester;
}

std::unique_ptr<Nester> openLibrary(const std::filesystem::path& path, LoadType loadType,
                                    const std::filesystem::path& errorLogPath,
                                    const LoadOptions& options) {
  LoadReport report;
  return openLibrary(path, loadType, errorLogPath, options, report);
}

std::unique_ptr<Nester> openLibrary(const std::filesystem::path& path, LoadType loadType,
                                    const std::filesystem::path& errorLogPath,
                                    const LoadOptions& options, LoadReport& report) {
  TextWriter errorLog = openErrorLog(errorLogPath);
  return openLibrary(path, loadType, errorLog, options, report);
}

TextWriter openErrorLog(const std::filesystem::path& path) {
  TextWriter log;
  if (!log.open(path, TextWriter::Mode::kAppend)) {
    throw FatalError::warning("排样错误报告文件输出失败!", path.string());
  }
  writeDatedHeader(log);
  log.flush();
  return log;
}

std::filesystem::path defaultErrorLogPath() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return std::filesystem::path(home) / "PackError.txt";
  return "PackError.txt";
}

}  // namespace platenest
