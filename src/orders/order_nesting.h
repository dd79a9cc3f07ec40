// Laying an order out on the plates in stock. Each part of the order is prepared once (read,
// turned to its least-box orientation where it may turn, given its working outline and grown
// by half the gap); a plate is filled with copies of the prepared parts, must-cut items
// first, then the fill items, largest first, each kind with its own turns; the next plate
// takes what is left, until every quantity is placed or the stock runs out. A plate that the
// remaining quantities would lay out the same way again is counted, not laid out again.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "geometry/part_drawing.h"
#include "geometry/region.h"
#include "job/placed_part.h"
#include "nesting/nester.h"
#include "nesting/progress.h"
#include "orders/order.h"

namespace platenest {

// One part of the order, prepared once and copied onto the plates.
struct OrderKind {
  std::size_t item = 0;  // index into Order::items
  std::string name;      // bytes as read
  PlacedPart working;    // grown by half the gap, parked beside any plate
  PlacedPart twin;       // as loaded, without the gap
  std::optional<Region> region;        // the outline as read, with arcs
  std::optional<PartDrawing> drawing;  // the lines, arcs and circles as drawn
  int rotationNumber = 4;
  bool turnOver = true;
  Priority priority = Priority::kFill;
  std::int64_t quantity = 0;
  double area = 0.0;  // mm², net, without the gap
};

// One plate layout and how many plates are cut to it.
struct OrderPlate {
  std::size_t stock = 0;  // index into Order::stock
  double length = 0.0;    // mm, the whole plate
  double width = 0.0;
  Point origin;  // where the nester's plate corner lies on the whole plate (the edge margin)
  std::int64_t copies = 1;
  std::unique_ptr<Nester> nester;  // holds exactly the plate's parts, all on its plate
  std::vector<std::size_t> kindOfPart;  // by part id
  std::vector<std::int64_t> countOfKind;  // parts of each kind on one plate
  double partArea = 0.0;  // mm², net, on one plate
  double density() const { return partArea / (length * width); }
};

struct UnplacedCount {
  std::size_t kind = 0;
  std::int64_t count = 0;
  std::string reason;
};

struct OrderResult {
  std::vector<OrderKind> kinds;
  std::vector<OrderPlate> plates;
  std::vector<UnplacedCount> unplaced;
  bool interrupted = false;  // stopped through the progress; the plates finished are kept
  double seconds = 0.0;
  double stripLength = 0.0;  // strip instances: the packing length of the strip
};

// How far an order has got (parts placed of the order's parts), and the caller's way to stop
// it: the layouts of every plate are handed this object, so Ctrl-C reaches them.
class OrderProgress : public Progress {
 public:
  // The order starts: `total` parts to place.
  virtual void orderBegin(std::int64_t total) { (void)total; }
  // `placed` of the order's parts are on plates.
  virtual void orderAdvance(std::int64_t placed) { (void)placed; }

  // The engine's own counts, turned into the order's.
  void begin(std::string_view, std::int64_t) override {}
  void advance(std::int64_t done) override {
    if (counting_) orderAdvance(base_ + done);
  }
  // The engine's counts from here are parts placed after `base` (counting) or trials (not).
  void countFrom(std::int64_t base, bool counting) {
    base_ = base;
    counting_ = counting;
  }

 private:
  std::int64_t base_ = 0;
  bool counting_ = false;
};

struct OrderNestOptions {
  OrderMode mode = OrderMode::kAll;
  double secondsPerPlate = 10.0;
  int threads = 1;
  std::filesystem::path errorLogPath;  // the readers' error log
  OrderProgress* progress = nullptr;  // may stop the run
  std::function<void(const std::string&)> say;  // one line of news per plate
};

// Reads every item's parts and prepares each kind once. Throws OrderError when an item's
// file gives no part, or not the part it names.
std::vector<OrderKind> prepareOrderKinds(const Order& order, const std::filesystem::path& errorLogPath);

OrderResult nestOrder(const Order& order, std::vector<OrderKind> kinds, const OrderNestOptions& options);

// After the plates were edited by hand (in the window): counts the parts on each plate and
// their area again; a part moved off its plate is reported as not placed, once per copy of
// the plate.
void recountPlates(OrderResult& result);

}  // namespace platenest
