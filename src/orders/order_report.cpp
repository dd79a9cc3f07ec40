#include "orders/order_report.h"

#include <cmath>
#include <nlohmann/json.hpp>
#include <numeric>

#include "nesting/posed_layout.h"
#include "output/cut_drawing.h"
#include "output/parts_export.h"
#include "support/gbk.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

using Json = nlohmann::ordered_json;

Json number(double value) { return std::isfinite(value) ? Json(value) : Json(nullptr); }

Json ring(const Polygon& polygon, const Point& by) {
  Json points = Json::array();
  for (const Point& p : polygon.vertices()) points.push_back(Json::array({number(p.x + by.x), number(p.y + by.y)}));
  return points;
}

std::int64_t partsOn(const OrderPlate& plate) {
  return std::accumulate(plate.countOfKind.begin(), plate.countOfKind.end(), std::int64_t{0});
}

struct Totals {
  std::int64_t plates = 0;
  std::int64_t placed = 0;
  std::int64_t unplaced = 0;
  double partArea = 0.0;
  double plateArea = 0.0;
};

Totals totalsOf(const OrderResult& result) {
  Totals totals;
  for (const OrderPlate& plate : result.plates) {
    totals.plates += plate.copies;
    totals.placed += plate.copies * partsOn(plate);
    totals.partArea += static_cast<double>(plate.copies) * plate.partArea;
    totals.plateArea += static_cast<double>(plate.copies) * plate.length * plate.width;
  }
  for (const UnplacedCount& missing : result.unplaced) totals.unplaced += missing.count;
  return totals;
}

const std::string& itemId(const Order& order, const OrderResult& result, std::size_t kind) {
  return order.items[result.kinds[kind].item].id;
}

}  // namespace

std::string orderReportText(const Order& order, const OrderResult& result) {
  const Totals totals = totalsOf(result);
  std::string text = "Order report: " + order.file.filename().string() + "\n";
  text += formatC("Gap %g mm, edge margin %g mm, RN %d, mode %s\n", order.settings.gap,
                  order.settings.edgeMargin, order.settings.rotationNumber,
                  order.settings.mode == OrderMode::kAll ? "all" : "optimise");
  text += formatC("Plates used: %lld (%zu layouts); parts placed %lld, not placed %lld; "
                  "utilisation %.2f %%\n",
                  static_cast<long long>(totals.plates), result.plates.size(),
                  static_cast<long long>(totals.placed), static_cast<long long>(totals.unplaced),
                  totals.plateArea > 0 ? 100 * totals.partArea / totals.plateArea : 0.0);
  if (order.strip && !result.plates.empty()) {
    text += formatC("Strip length used: %.3f mm\n", result.stripLength);
  }
  if (result.interrupted) text += "Stopped before the end: the plates below were finished.\n";
  for (std::size_t p = 0; p < result.plates.size(); ++p) {
    const OrderPlate& plate = result.plates[p];
    text += formatC("\nPlate %zu: %g x %g mm, cut x%lld, %lld parts, utilisation %.2f %% "
                    "(plate-%zu.dxf)\n",
                    p + 1, plate.length, plate.width, static_cast<long long>(plate.copies),
                    static_cast<long long>(partsOn(plate)), plate.density() * 100, p + 1);
    for (std::size_t k = 0; k < plate.countOfKind.size(); ++k) {
      if (plate.countOfKind[k] == 0) continue;
      text += formatC("  %5lld x %s (item %s)\n", static_cast<long long>(plate.countOfKind[k]),
                      displayName(result.kinds[k].name).c_str(), itemId(order, result, k).c_str());
    }
  }
  if (!result.unplaced.empty()) {
    text += "\nNot placed:\n";
    for (const UnplacedCount& missing : result.unplaced) {
      text += formatC("  %5lld x %s (item %s): %s\n", static_cast<long long>(missing.count),
                      displayName(result.kinds[missing.kind].name).c_str(),
                      itemId(order, result, missing.kind).c_str(), missing.reason.c_str());
    }
  }
  return text;
}

std::string orderJson(const Order& order, const OrderResult& result) {
  const Totals totals = totalsOf(result);
  Json plates = Json::array();
  for (const OrderPlate& plate : result.plates) {
    Json parts = Json::array();
    for (const PosedPart& part : poseLayout(*plate.nester, PoseDetail::kOutlines).parts) {
      if (!part.onPlate) continue;
      const std::size_t kind = plate.kindOfPart[static_cast<std::size_t>(part.id)];
      Json holes = Json::array();
      for (const Polygon& hole : part.cut.holes) holes.push_back(ring(hole, plate.origin));
      parts.push_back(Json{{"name", displayName(result.kinds[kind].name)},
                           {"item", itemId(order, result, kind)},
                           {"rotation", number(part.rotation)},
                           {"mirrored", part.mirrored},
                           {"cutOuter", ring(part.cut.outer, plate.origin)},
                           {"cutHoles", std::move(holes)}});
    }
    plates.push_back(Json{{"length", number(plate.length)},
                          {"width", number(plate.width)},
                          {"copies", plate.copies},
                          {"density", number(plate.density())},
                          {"count", partsOn(plate)},
                          {"parts", std::move(parts)}});
  }
  Json unplaced = Json::array();
  for (const UnplacedCount& missing : result.unplaced) {
    unplaced.push_back(Json{{"item", itemId(order, result, missing.kind)},
                            {"name", displayName(result.kinds[missing.kind].name)},
                            {"count", missing.count},
                            {"reason", missing.reason}});
  }
  Json summary{
      {"order", order.file.string()},
      {"gap", number(order.settings.gap)},
      {"edgeMargin", number(order.settings.edgeMargin)},
      {"mode", order.settings.mode == OrderMode::kAll ? "all" : "optimise"},
      {"plates", std::move(plates)},
      {"unplaced", std::move(unplaced)},
      {"totals", Json{{"plates", totals.plates},
                      {"layouts", result.plates.size()},
                      {"placed", totals.placed},
                      {"unplaced", totals.unplaced},
                      {"partArea", number(totals.partArea)},
                      {"plateArea", number(totals.plateArea)},
                      {"density", number(totals.plateArea > 0 ? totals.partArea / totals.plateArea : 0.0)},
                      {"seconds", number(result.seconds)},
                      {"interrupted", result.interrupted}}},
  };
  if (order.strip) summary["stripLength"] = number(result.stripLength);
  return summary.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::vector<OrderOutput> orderOutputs(const Order& order, const OrderResult& result,
                                      const std::filesystem::path& folder,
                                      const std::optional<std::filesystem::path>& jsonPath) {
  std::vector<OrderOutput> outputs;
  for (std::size_t p = 0; p < result.plates.size(); ++p) {
    const OrderPlate& plate = result.plates[p];
    const PosedLayout view = poseLayout(*plate.nester);
    const CutPlate cut{plate.length, plate.width, plate.origin};
    const std::string stem = "plate-" + std::to_string(p + 1);
    outputs.push_back({folder / (stem + ".dxf"), cutDrawing(view, cut)});
    outputs.push_back({folder / (stem + ".svg"), plateSvg(view, cut)});
  }
  outputs.push_back({folder / "order-report.txt", orderReportText(order, result)});
  if (jsonPath) outputs.push_back({*jsonPath, orderJson(order, result)});
  return outputs;
}

void refuseOverwritingOrderInputs(const Order& order, const std::vector<OrderOutput>& outputs) {
  std::vector<std::filesystem::path> inputs = order.inputs;
  inputs.push_back(order.file);
  for (const OrderItem& item : order.items) {
    if (item.source != ItemSource::kFolder) continue;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(item.path, error)) inputs.push_back(entry.path());
  }
  for (const OrderOutput& output : outputs) {
    for (const std::filesystem::path& input : inputs) {
      if (!input.empty() && sameFile(output.path, input)) {
        throw OrderError(output.path.string() + " would overwrite " + input.string() +
                         ", which the order reads; choose another output folder");
      }
    }
  }
}

void writeOrderOutputs(const std::vector<OrderOutput>& outputs) {
  for (const OrderOutput& output : outputs) {
    const std::string problem = writeWholeFile(output.path, output.text);
    if (!problem.empty()) throw OrderError("cannot write " + problem);
  }
}

}  // namespace platenest
