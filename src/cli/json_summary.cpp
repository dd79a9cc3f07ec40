#include "cli/json_summary.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "nesting/nester.h"
#include "nesting/posed_layout.h"
#include "support/fatal_error.h"
#include "support/gbk.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

// Keys stay in the documented order, which readers of the file rely on when they diff it.
using Json = nlohmann::ordered_json;

Json number(double value) { return std::isfinite(value) ? Json(value) : Json(nullptr); }

Json point(const Point& p) { return Json::array({number(p.x), number(p.y)}); }

Json vertices(const Polygon& polygon) {
  Json result = Json::array();
  for (const Point& p : polygon.vertices()) result.push_back(point(p));
  return result;
}

Json holesOf(const PlacedPart& part) {
  Json holes = Json::array();
  for (const Polygon& hole : part.holes) holes.push_back(vertices(hole));
  return holes;
}

// The working outlines (grown by half the gap, as the engine tests them) and, beside them,
// the outlines as they will be cut, at the same pose: a script checking the gap between
// parts measures the cut ones.
Json partJson(const PosedPart& posed) {
  const PlacedPart& part = *posed.working;
  return Json{
      {"id", part.id},
      {"name", displayName(part.label.text)},
      {"onPlate", posed.onPlate},
      {"selected", part.selected},
      {"mirrored", part.mirrored},
      {"rotation", number(part.rotation)},
      {"refPoint", point(part.refPoint)},
      {"box", Json::array({number(part.box().minX), number(part.box().maxX),
                           number(part.box().minY), number(part.box().maxY)})},
      {"area", number(part.area())},
      {"outer", vertices(part.outer)},
      {"holes", holesOf(part)},
      {"cutOuter", vertices(posed.cut.outer)},
      {"cutHoles", holesOf(posed.cut)},
  };
}

}  // namespace

std::string jsonSummary(const Nester& nester, double seconds,
                        const std::vector<RejectedPart>& rejected, const OptimiseResult* optimised) {
  const LayoutStatistics statistics = nester.computeLayoutStatistics();
  Json parts = Json::array();
  for (const PosedPart& part : poseLayout(nester, PoseDetail::kOutlines).parts) {
    parts.push_back(partJson(part));
  }
  Json summary{
      {"plate", Json{{"length", number(nester.plateLength())}, {"width", number(nester.plateWidth())}}},
      {"partGap", number(nester.partGap)},
      {"rotationNumber", nester.rotationNumber},
      {"packingPointDistance", number(nester.packingPointDistance())},
      {"bPartTurnover", nester.bPartTurnover},
      {"packingLength", number(statistics.packingLength)},
      {"density", number(statistics.density)},
      {"overallDensity", number(statistics.overallDensity)},
      {"count", statistics.count},
      {"seconds", number(seconds)},
      {"parts", std::move(parts)},
  };
  if (optimised != nullptr) {
    summary["mode"] = "optimise";
    summary["iterations"] = optimised->iterations;
    summary["improvements"] = optimised->improvements;
    summary["layoutAll"] = Json{{"packingLength", number(optimised->start.packingLength)},
                                {"density", number(optimised->start.density)},
                                {"count", optimised->start.count}};
  }
  if (!rejected.empty()) {
    Json list = Json::array();
    for (const RejectedPart& part : rejected) {
      Json entry{{"name", displayName(part.name)}, {"reason", part.reason}};
      if (!part.detail.empty()) entry["detail"] = part.detail;
      list.push_back(std::move(entry));
    }
    summary["rejected"] = std::move(list);
  }
  // Names are valid UTF-8 after displayName; replacing is only a guard against a bad byte.
  return summary.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

void writeJsonSummary(const Nester& nester, double seconds, const std::filesystem::path& path,
                      const std::vector<RejectedPart>& rejected,
                      const OptimiseResult* optimised) {
  const std::string text = jsonSummary(nester, seconds, rejected, optimised);
  const std::string problem = writeWholeFile(path, text);
  if (!problem.empty()) {
    throw FatalError(FatalChannel::kStandardError, "", "cannot write the JSON summary to " + problem);
  }
}

}  // namespace platenest
