// A production order: the job settings, the plates in stock and the line items with their
// quantities, as a shop writes them by hand (TOML, with an optional CSV item list beside it)
// or as the public strip and bin packing instances give them (JSON with items, demand and
// polygons). Reading makes a value; a fault names the file, the line and the field.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "geometry/point.h"

namespace platenest {

enum class OrderMode { kAll, kOptimise };

// The turns a part may take on the plate, counterclockwise from its orientation as drawn.
enum class Orientations {
  kJob,      // the job's RN turns (and the least-box turn at load)
  kFixed,    // 0° only: a grain direction
  kHalf,     // 0° and 180°
  kQuarter,  // 0°, 90°, 180° and 270°
};

enum class Priority { kMust, kFill };

struct OrderSettings {
  double gap = 0.0;         // mm between two cut parts
  double edgeMargin = 0.0;  // mm kept free along the plate's border
  int rotationNumber = 4;   // RN
  bool turnOver = true;
  OrderMode mode = OrderMode::kAll;
  double secondsPerPlate = 10.0;  // the optimising search's budget on each plate
};

struct StockPlate {
  double length = 0.0;  // mm, along x
  double width = 0.0;   // mm, along y
  std::optional<std::int64_t> count;  // none: unlimited
  double cost = 0.0;    // as the bin packing instances give it; reported only
};

// Where a line item's parts come from.
enum class ItemSource {
  kDrawing,  // one DXF drawing (every part it holds)
  kFolder,   // every *.dxf drawing of a folder
  kLibrary,  // a text library or part-list file: the named part, or every part
  kPolygon,  // an outline given in the order itself (JSON instances)
};

struct OrderItem {
  std::string id;  // how the reports name the line item
  ItemSource source = ItemSource::kLibrary;
  std::filesystem::path path;  // absolute
  std::string part;            // kLibrary: the part's name; empty: every part
  std::int64_t quantity = 1;
  Orientations orientations = Orientations::kJob;
  std::optional<bool> turnOver;  // none: the job's
  Priority priority = Priority::kFill;
  std::string where;  // "file:line", for messages about the item
  // kPolygon: the outline and holes, mm, in any direction.
  std::vector<Point> outer;
  std::vector<std::vector<Point>> holes;
};

struct Order {
  std::filesystem::path file;
  OrderSettings settings;
  std::vector<StockPlate> stock;
  std::vector<OrderItem> items;
  // A strip of fixed width and open length (strip packing instances): one plate, its
  // packing length is the result.
  bool strip = false;
  // Sizes in the instance's own units, not necessarily millimetres (JSON instances).
  bool unitsAsGiven = false;
  // The files the order reads besides itself (item list, drawings, libraries).
  std::vector<std::filesystem::path> inputs;
};

// A fault in an order: "FILE:LINE: FIELD: what is wrong".
class OrderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads an order: a *.json file as a strip or bin packing instance (its gap is `jsonGap`),
// anything else as a TOML order. Throws OrderError.
Order readOrder(const std::filesystem::path& path, double jsonGap = 0.0);

Order readTomlOrder(const std::filesystem::path& path);
Order readJsonInstance(const std::filesystem::path& path, double gap);

// The rotation number that gives an item's turns (the job's RN for kJob).
int itemRotationNumber(Orientations orientations, int jobRotationNumber);

}  // namespace platenest
