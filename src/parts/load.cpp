// The load flow: from the operator's chosen file to a job ready for layout.
#include "parts/load.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

#include "geometry/arc_check.h"
#include "nesting/working_outline.h"
#include "parts/dxf_list_file.h"
#include "parts/part_list_file.h"
#include "parts/report_lines.h"
#include "parts/text_library.h"
#include "support/gbk.h"

namespace platenest {
namespace {

constexpr const char* kDegenerate = "零件轮廓退化(顶点少于3个或面积为零)!";
constexpr const char* kArcCheckFailed = "零件轮廓检查未通过!";

// A part whose outline has no area cannot be measured (its rectangularity, aspect ratio and
// centroid divide by zero) and cannot be laid out; it is refused at load.
bool isDegenerate(const PlacedPart& part) {
  const double w = part.box.maxX - part.box.minX;
  const double h = part.box.maxY - part.box.minY;
  return part.outer.vertexCount() < 3 || !(w > 0) || !(h > 0) || !(part.outer.area() > 0) ||
         !(part.area > 0);
}

std::uintmax_t errorLogSize(Nester& nester) {
  return reportSize(nester.errorLog, nester.errorLogPath);
}

// What the arc checks wrote to the error log since `from`, as the reason a part was left out.
std::string loggedReason(Nester& nester, std::uintmax_t from) {
  const std::string reason = reportLinesSince(nester.errorLog, nester.errorLogPath, from);
  return reason.empty() ? std::string(kArcCheckFailed) : reason;
}

void rejectDegenerate(Nester& nester, const PlacedPart& part, LoadReport& report) {
  nester.errorLog << "\t" << kDegenerate;
  nester.errorLog.endLine();
  nester.errorLog << kPartNameLine;
  nester.errorLog.bytes(part.label.text).endLine();
  report.rejected.push_back(RejectedPart{part.id, part.label.text, kDegenerate});
}

void runReader(Nester& nester, const std::filesystem::path& path, LoadType loadType,
               LoadReport& report) {
  switch (loadType) {
    case LoadType::kTextLibrary:
      readTextLibrary(nester, path, report.rejected);
      return;
    case LoadType::kDxfList:
      readDxfListFile(nester, path);
      return;
    case LoadType::kPartList:
      readPartListFile(nester, path, "PackError.txt", report.rejected);
      return;
  }
}

}  // namespace

void load(Nester& nester, const std::filesystem::path& path, LoadType loadType,
          const LoadOptions& options) {
  LoadReport report;
  load(nester, path, loadType, options, report);
}

void load(Nester& nester, const std::filesystem::path& path, LoadType loadType,
          const LoadOptions& options, LoadReport& report) {
  report = LoadReport{};
  runReader(nester, path, loadType, report);

  // Validate: a region whose arcs cannot be built is reported in the error log and dropped.
  for (auto it = nester.regions.begin(); it != nester.regions.end();) {
    const std::uintmax_t logged = errorLogSize(nester);
    if (validate(*it, nester.errorLog)) {
      ++it;
      continue;
    }
    report.rejected.push_back(RejectedPart{it->id, it->label.text, loggedReason(nester, logged)});
    it = nester.regions.remove(it);
  }

  // Parts that came in directly (the DXF list) get the same check as the converted ones.
  for (auto it = nester.parts.begin(); it != nester.parts.end();) {
    if (!isDegenerate(*it)) {
      ++it;
      continue;
    }
    rejectDegenerate(nester, *it, report);
    it = nester.parts.remove(it);
  }

  // Convert; the readers inserted at the front, so front insertion restores reading order.
  for (auto it = nester.regions.begin(); it != nester.regions.end();) {
    const PlacedPart part = toPlacedPart(*it);
    if (isDegenerate(part)) {
      rejectDegenerate(nester, part, report);
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
  nester.packingPointDistance = nester.defaultPackingPointDistance();
  // The fit tests compare outlines that hold every arc whole, not the chords measured above.
  useWorkingOutlines(nester);
  // Each part grows by half the gap, so two touching parts keep the whole gap between them.
  nester.offsetAllParts(nester.partGap * 0.5);
  nester.updatePlateRect();
  // Park every part right of the plate and below its bottom edge: nothing is on the plate yet.
  for (PlacedPart& part : nester.parts) {
    part.translate(nester.plateLength - part.box.minX, 0 - part.box.maxY);
  }
  nester.errorLog.flush();
  report.loadedCount = nester.parts.count();
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
  auto nester = std::make_unique<Nester>(errorLogPath);
  load(*nester, path, loadType, options, report);
  return nester;
}

std::filesystem::path defaultErrorLogPath() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return std::filesystem::path(home) / "PackError.txt";
  return "PackError.txt";
}

}  // namespace platenest
