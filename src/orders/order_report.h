// What an order's run hands the cutter and the office: per plate layout a cut drawing and a
// picture, and for the order a report as text and as a JSON summary.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "orders/order.h"
#include "orders/order_nesting.h"

namespace platenest {

// "Order report": plates used with their size and count, utilisation per plate and overall,
// the parts on each plate, what could not be placed and why. UTF-8, LF.
std::string orderReportText(const Order& order, const OrderResult& result);

// The JSON summary: plates (length, width, copies, density, parts with name, item, rotation,
// mirrored, cutOuter and cutHoles on the whole plate), unplaced (item, name, count, reason)
// and the totals.
std::string orderJson(const Order& order, const OrderResult& result);

// The files of a run, by path, and their text.
struct OrderOutput {
  std::filesystem::path path;
  std::string text;
};

// "plate-N.dxf" and "plate-N.svg" per plate layout, "order-report.txt" in `folder`, and the
// JSON summary at `jsonPath` when given.
std::vector<OrderOutput> orderOutputs(const Order& order, const OrderResult& result,
                                      const std::filesystem::path& folder,
                                      const std::optional<std::filesystem::path>& jsonPath);

// Throws OrderError, before anything is written, when an output would land on a file the
// order reads (the order, its item list, a drawing, a library, a file of a drawing folder).
void refuseOverwritingOrderInputs(const Order& order, const std::vector<OrderOutput>& outputs);

// Writes every output whole, or throws OrderError naming the one that failed.
void writeOrderOutputs(const std::vector<OrderOutput>& outputs);

}  // namespace platenest
