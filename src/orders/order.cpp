// The order readers. A TOML order holds a [job] table, [[stock]] plates and [[item]] lines
// (and may name a CSV item list); a JSON instance holds items with a demand and polygons, and
// either a strip height or bins with a stock. Every value is checked where it is read, and
// the first fault ends the reading with the place it was found.
#include "orders/order.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <toml++/toml.h>

#include "support/whole_file.h"

namespace platenest {
namespace {

// Beyond these no shop order goes; they keep a typing slip from asking for a billion parts.
constexpr std::int64_t kLargestQuantity = 1'000'000;
constexpr double kLargestSize = 1e6;  // mm

std::string placeOf(const std::filesystem::path& file, std::int64_t line) {
  return file.string() + ":" + std::to_string(line);
}

[[noreturn]] void fail(const std::string& where, const std::string& field, const std::string& what) {
  throw OrderError(where + ": " + field + ": " + what);
}

std::filesystem::path resolved(const std::filesystem::path& order, const std::string& text) {
  std::filesystem::path path(text);
  if (path.is_relative()) path = order.parent_path() / path;
  return std::filesystem::absolute(path).lexically_normal();
}

Orientations orientationsNamed(const std::string& text, const std::string& where,
                               const std::string& field) {
  if (text == "job") return Orientations::kJob;
  if (text == "fixed" || text == "0") return Orientations::kFixed;
  if (text == "half" || text == "0/180") return Orientations::kHalf;
  if (text == "quarter" || text == "90") return Orientations::kQuarter;
  fail(where, field, "'" + text + "' is none of job, fixed, half, quarter");
}

Priority priorityNamed(const std::string& text, const std::string& where, const std::string& field) {
  if (text == "must") return Priority::kMust;
  if (text == "fill") return Priority::kFill;
  fail(where, field, "'" + text + "' is neither must nor fill");
}

bool yesNo(const std::string& text, const std::string& where, const std::string& field) {
  if (text == "yes" || text == "true" || text == "on") return true;
  if (text == "no" || text == "false" || text == "off") return false;
  fail(where, field, "'" + text + "' is not yes or no");
}

void checkQuantity(std::int64_t quantity, const std::string& where, const std::string& field) {
  if (quantity < 1 || quantity > kLargestQuantity) {
    fail(where, field, std::to_string(quantity) + " is not a whole number from 1 to " +
                           std::to_string(kLargestQuantity));
  }
}

void checkSize(double value, const std::string& where, const std::string& field) {
  if (!(std::isfinite(value) && value > 0.0 && value <= kLargestSize)) {
    fail(where, field, "must be a positive number of mm up to 1e6");
  }
}

// Where an item's parts come from, given its source path: a folder, a drawing (*.dxf) or a
// library; the file must exist.
void setSource(OrderItem& item, const std::filesystem::path& path, const std::string& field) {
  std::error_code error;
  const bool isFolder = std::filesystem::is_directory(path, error);
  if (!isFolder && !std::filesystem::is_regular_file(path, error)) {
    fail(item.where, field, path.string() + " does not exist or is not a file or folder");
  }
  item.path = path;
  if (isFolder) {
    item.source = ItemSource::kFolder;
  } else {
    std::string extension = path.extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    item.source = extension == ".dxf" ? ItemSource::kDrawing : ItemSource::kLibrary;
  }
}

// ---- TOML

std::int64_t lineOf(const toml::node& node) {
  return static_cast<std::int64_t>(node.source().begin.line);
}

class TomlFields {
 public:
  TomlFields(const std::filesystem::path& file, const toml::table& table, std::string name)
      : file_(file), table_(table), name_(std::move(name)) {}

  std::string where(const char* key) const {
    const toml::node* node = table_.get(key);
    return placeOf(file_, lineOf(node ? *node : static_cast<const toml::node&>(table_)));
  }
  std::string field(const char* key) const { return name_ + "." + key; }
  bool has(const char* key) const { return table_.contains(key); }

  std::optional<double> number(const char* key) const {
    const toml::node* node = table_.get(key);
    if (node == nullptr) return std::nullopt;
    if (const auto value = node->value<double>(); value && (node->is_integer() || node->is_floating_point())) {
      return *value;
    }
    fail(where(key), field(key), "must be a number");
  }
  std::optional<std::int64_t> integer(const char* key) const {
    const toml::node* node = table_.get(key);
    if (node == nullptr) return std::nullopt;
    if (node->is_integer()) return node->value<std::int64_t>();
    fail(where(key), field(key), "must be a whole number");
  }
  std::optional<bool> boolean(const char* key) const {
    const toml::node* node = table_.get(key);
    if (node == nullptr) return std::nullopt;
    if (node->is_boolean()) return node->value<bool>();
    fail(where(key), field(key), "must be true or false");
  }
  std::optional<std::string> text(const char* key) const {
    const toml::node* node = table_.get(key);
    if (node == nullptr) return std::nullopt;
    if (node->is_string()) return node->value<std::string>();
    fail(where(key), field(key), "must be a quoted text");
  }
  // A key this table does not know is a slip (a misspelt "quantity" would be ignored).
  void refuseUnknown(std::initializer_list<const char*> known) const {
    for (const auto& [key, node] : table_) {
      bool found = false;
      for (const char* name : known) found = found || key.str() == name;
      if (!found) {
        fail(placeOf(file_, lineOf(node)), name_ + "." + std::string(key.str()), "unknown key");
      }
    }
  }

 private:
  const std::filesystem::path& file_;
  const toml::table& table_;
  std::string name_;
};

void readJobTable(const std::filesystem::path& file, const toml::table& table, OrderSettings& settings) {
  const TomlFields job(file, table, "job");
  job.refuseUnknown({"gap", "edge_margin", "rotation_number", "turn_over", "mode",
                     "seconds_per_plate"});
  if (const auto gap = job.number("gap")) {
    if (!(*gap >= 0.0 && *gap <= 1000.0)) fail(job.where("gap"), job.field("gap"), "must be 0 to 1000 mm");
    settings.gap = *gap;
  }
  if (const auto margin = job.number("edge_margin")) {
    if (!(*margin >= 0.0 && *margin <= 1000.0)) {
      fail(job.where("edge_margin"), job.field("edge_margin"), "must be 0 to 1000 mm");
    }
    settings.edgeMargin = *margin;
  }
  if (const auto rn = job.integer("rotation_number")) {
    if (*rn < 1 || *rn > 360) {
      fail(job.where("rotation_number"), job.field("rotation_number"), "must be 1 to 360");
    }
    settings.rotationNumber = static_cast<int>(*rn);
  }
  if (const auto turnOver = job.boolean("turn_over")) settings.turnOver = *turnOver;
  if (const auto mode = job.text("mode")) {
    if (*mode == "all") {
      settings.mode = OrderMode::kAll;
    } else if (*mode == "optimise") {
      settings.mode = OrderMode::kOptimise;
    } else {
      fail(job.where("mode"), job.field("mode"), "'" + *mode + "' is neither all nor optimise");
    }
  }
  if (const auto seconds = job.number("seconds_per_plate")) {
    if (!(*seconds > 0.0 && *seconds <= 86400.0)) {
      fail(job.where("seconds_per_plate"), job.field("seconds_per_plate"), "must be 0 to 86400 s");
    }
    settings.secondsPerPlate = *seconds;
  }
}

StockPlate readStock(const std::filesystem::path& file, const toml::table& table, std::size_t index) {
  const TomlFields stock(file, table, "stock[" + std::to_string(index + 1) + "]");
  stock.refuseUnknown({"length", "width", "count"});
  StockPlate plate;
  for (const char* key : {"length", "width"}) {
    const auto value = stock.number(key);
    if (!value) fail(stock.where(key), stock.field(key), "is missing");
    checkSize(*value, stock.where(key), stock.field(key));
    (std::string(key) == "length" ? plate.length : plate.width) = *value;
  }
  if (const toml::node* count = table.get("count")) {
    if (count->is_string() && count->value<std::string>() == "unlimited") {
      plate.count.reset();
    } else if (count->is_integer() && *count->value<std::int64_t>() >= 1) {
      plate.count = count->value<std::int64_t>();
    } else {
      fail(stock.where("count"), stock.field("count"), "must be a whole number of at least 1 or \"unlimited\"");
    }
  }
  return plate;
}

OrderItem readItem(const std::filesystem::path& file, const toml::table& table, std::size_t index) {
  const std::string name = "item[" + std::to_string(index + 1) + "]";
  const TomlFields fields(file, table, name);
  fields.refuseUnknown({"name", "drawing", "folder", "library", "part", "quantity",
                        "orientations", "turn_over", "priority"});
  OrderItem item;
  item.where = fields.where("quantity");
  int sources = 0;
  for (const char* key : {"drawing", "folder", "library"}) {
    if (const auto text = fields.text(key)) {
      ++sources;
      item.where = fields.where(key);
      setSource(item, resolved(file, *text), fields.field(key));
      const std::string kind = key;
      if ((kind == "folder") != (item.source == ItemSource::kFolder)) {
        fail(item.where, fields.field(key), item.path.string() +
                                                (kind == "folder" ? " is not a folder" : " is a folder"));
      }
      if (kind == "library" && item.source == ItemSource::kDrawing) item.source = ItemSource::kLibrary;
    }
  }
  if (sources != 1) {
    fail(placeOf(file, lineOf(table)), name, "needs exactly one of drawing, folder or library");
  }
  if (const auto part = fields.text("part")) {
    if (item.source != ItemSource::kLibrary) {
      fail(fields.where("part"), fields.field("part"), "only a library item names a part");
    }
    item.part = *part;
  }
  const auto quantity = fields.integer("quantity");
  if (!quantity) fail(item.where, fields.field("quantity"), "is missing");
  checkQuantity(*quantity, fields.where("quantity"), fields.field("quantity"));
  item.quantity = *quantity;
  if (const auto text = fields.text("orientations")) {
    item.orientations = orientationsNamed(*text, fields.where("orientations"), fields.field("orientations"));
  }
  item.turnOver = fields.boolean("turn_over");
  if (const auto text = fields.text("priority")) {
    item.priority = priorityNamed(*text, fields.where("priority"), fields.field("priority"));
  }
  item.id = fields.text("name").value_or(
      item.part.empty() ? item.path.stem().string() : item.part);
  return item;
}

// ---- CSV: source,part,quantity,orientations,turn_over,priority; a header line first.

std::vector<std::string> csvFields(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        fields.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else if (c != '\r') {
      fields.back() += c;
    }
  }
  for (std::string& field : fields) {
    const auto first = field.find_first_not_of(" \t");
    const auto last = field.find_last_not_of(" \t");
    field = first == std::string::npos ? std::string() : field.substr(first, last - first + 1);
  }
  return fields;
}

void readCsvItems(const std::filesystem::path& csv, Order& order) {
  std::string bytes;
  if (!readWholeFile(csv, bytes)) {
    throw OrderError(csv.string() + ": cannot be read (missing, not a file, or too large)");
  }
  order.inputs.push_back(csv);
  std::istringstream lines(bytes);
  std::string line;
  std::vector<std::string> header;
  std::int64_t number = 0;
  const std::vector<std::string> known = {"source", "part", "quantity", "orientations",
                                          "turn_over", "priority", "name"};
  while (std::getline(lines, line)) {
    ++number;
    const std::string where = placeOf(csv, number);
    std::vector<std::string> fields = csvFields(line);
    if (fields.size() == 1 && fields[0].empty()) continue;
    if (header.empty()) {
      header = fields;
      for (const std::string& column : header) {
        bool found = false;
        for (const std::string& name : known) found = found || column == name;
        if (!found) fail(where, column.empty() ? "(empty column)" : column, "unknown column");
      }
      bool hasSource = false, hasQuantity = false;
      for (const std::string& column : header) {
        hasSource = hasSource || column == "source";
        hasQuantity = hasQuantity || column == "quantity";
      }
      if (!hasSource || !hasQuantity) fail(where, "header", "needs the columns source and quantity");
      continue;
    }
    if (fields.size() != header.size()) {
      fail(where, "line", "holds " + std::to_string(fields.size()) + " fields, the header " +
                              std::to_string(header.size()));
    }
    OrderItem item;
    item.where = where;
    std::string name;
    for (std::size_t i = 0; i < header.size(); ++i) {
      const std::string& column = header[i];
      const std::string& value = fields[i];
      if (column == "source") {
        if (value.empty()) fail(where, column, "is empty");
        setSource(item, resolved(csv, value), column);
      } else if (column == "part") {
        item.part = value;
      } else if (column == "name") {
        name = value;
      } else if (column == "quantity") {
        std::int64_t quantity = 0;
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), quantity);
        if (value.empty() || error != std::errc() || end != value.data() + value.size()) {
          fail(where, column, "'" + value + "' is not a whole number");
        }
        checkQuantity(quantity, where, column);
        item.quantity = quantity;
      } else if (column == "orientations") {
        if (!value.empty()) item.orientations = orientationsNamed(value, where, column);
      } else if (column == "turn_over") {
        if (!value.empty()) item.turnOver = yesNo(value, where, column);
      } else if (column == "priority") {
        if (!value.empty()) item.priority = priorityNamed(value, where, column);
      }
    }
    if (!item.part.empty() && item.source != ItemSource::kLibrary) {
      fail(where, "part", "only a library names a part");
    }
    item.id = !name.empty() ? name : item.part.empty() ? item.path.stem().string() : item.part;
    order.items.push_back(std::move(item));
  }
  if (header.empty()) throw OrderError(csv.string() + ":1: header: the item list is empty");
}

}  // namespace

int itemRotationNumber(Orientations orientations, int jobRotationNumber) {
  switch (orientations) {
    case Orientations::kJob: return jobRotationNumber;
    case Orientations::kFixed: return 1;
    case Orientations::kHalf: return 2;
    case Orientations::kQuarter: return 4;
  }
  return jobRotationNumber;
}

Order readTomlOrder(const std::filesystem::path& path) {
  Order order;
  order.file = std::filesystem::absolute(path).lexically_normal();
  std::string bytes;
  if (!readWholeFile(order.file, bytes)) {
    throw OrderError(order.file.string() + ": cannot be read (missing, not a file, or too large)");
  }
  toml::table root;
  try {
    root = toml::parse(bytes, order.file.string());
  } catch (const toml::parse_error& error) {
    throw OrderError(placeOf(order.file, error.source().begin.line) + ": " +
                     std::string(error.description()));
  }
  for (const auto& [key, node] : root) {
    const std::string name(key.str());
    if (name != "job" && name != "stock" && name != "item" && name != "items_csv") {
      fail(placeOf(order.file, lineOf(node)), name, "unknown key");
    }
  }
  if (const toml::node* job = root.get("job")) {
    if (!job->is_table()) fail(placeOf(order.file, lineOf(*job)), "job", "must be a table [job]");
    readJobTable(order.file, *job->as_table(), order.settings);
  }
  const toml::node* stock = root.get("stock");
  if (stock == nullptr || !stock->is_array_of_tables() || stock->as_array()->empty()) {
    fail(placeOf(order.file, stock ? lineOf(*stock) : 1), "stock",
         "the order needs at least one [[stock]] plate");
  }
  std::size_t index = 0;
  for (const toml::node& plate : *stock->as_array()) {
    order.stock.push_back(readStock(order.file, *plate.as_table(), index++));
  }
  if (const toml::node* items = root.get("item")) {
    if (!items->is_array_of_tables()) {
      fail(placeOf(order.file, lineOf(*items)), "item", "must be [[item]] tables");
    }
    index = 0;
    for (const toml::node& item : *items->as_array()) {
      order.items.push_back(readItem(order.file, *item.as_table(), index++));
    }
  }
  if (const toml::node* csv = root.get("items_csv")) {
    if (!csv->is_string()) fail(placeOf(order.file, lineOf(*csv)), "items_csv", "must be a quoted path");
    readCsvItems(resolved(order.file, *csv->value<std::string>()), order);
  }
  if (order.items.empty()) fail(placeOf(order.file, 1), "item", "the order lists no item");
  for (const OrderItem& item : order.items) order.inputs.push_back(item.path);
  return order;
}

// ---- JSON instances

namespace {

using Json = nlohmann::json;

[[noreturn]] void jsonFail(const std::filesystem::path& file, const std::string& field,
                           const std::string& what) {
  throw OrderError(file.string() + ": " + field + ": " + what);
}

double jsonNumber(const std::filesystem::path& file, const Json& value, const std::string& field) {
  if (!value.is_number()) jsonFail(file, field, "must be a number");
  const double number = value.get<double>();
  if (!std::isfinite(number) || std::fabs(number) > 1e7) jsonFail(file, field, "is out of range");
  return number;
}

std::vector<Point> jsonRing(const std::filesystem::path& file, const Json& ring, const std::string& field) {
  if (!ring.is_array()) jsonFail(file, field, "must be a list of [x, y] points");
  std::vector<Point> points;
  for (std::size_t i = 0; i < ring.size(); ++i) {
    const Json& p = ring[i];
    const std::string at = field + "[" + std::to_string(i) + "]";
    if (!p.is_array() || p.size() != 2) jsonFail(file, at, "must be [x, y]");
    points.push_back(Point(jsonNumber(file, p[0], at), jsonNumber(file, p[1], at)));
  }
  // The instances repeat the first point at the end.
  if (points.size() > 1 && points.front().x == points.back().x && points.front().y == points.back().y) {
    points.pop_back();
  }
  if (points.size() < 3) jsonFail(file, field, "needs at least three points");
  return points;
}

}  // namespace

Order readJsonInstance(const std::filesystem::path& path, double gap) {
  Order order;
  order.file = std::filesystem::absolute(path).lexically_normal();
  order.settings.gap = gap;
  order.settings.turnOver = false;  // the instances never mirror an item
  order.unitsAsGiven = true;
  std::string bytes;
  if (!readWholeFile(order.file, bytes)) {
    throw OrderError(order.file.string() + ": cannot be read (missing, not a file, or too large)");
  }
  Json root;
  try {
    root = Json::parse(bytes);
  } catch (const Json::parse_error& error) {
    throw OrderError(order.file.string() + ": not JSON: " + error.what());
  }
  if (!root.is_object() || !root.contains("items") || !root["items"].is_array()) {
    jsonFail(order.file, "items", "the instance needs a list of items");
  }
  for (std::size_t i = 0; i < root["items"].size(); ++i) {
    const Json& entry = root["items"][i];
    const std::string field = "items[" + std::to_string(i) + "]";
    if (!entry.is_object()) jsonFail(order.file, field, "must be an object");
    OrderItem item;
    item.source = ItemSource::kPolygon;
    item.where = order.file.string() + ": " + field;
    item.id = entry.contains("id") ? (entry["id"].is_string() ? entry["id"].get<std::string>()
                                                              : entry["id"].dump())
                                   : std::to_string(i);
    const Json demand = entry.value("demand", Json(1));
    if (!demand.is_number_integer()) jsonFail(order.file, field + ".demand", "must be a whole number");
    checkQuantity(demand.get<std::int64_t>(), order.file.string(), field + ".demand");
    item.quantity = demand.get<std::int64_t>();
    item.turnOver = false;
    if (entry.contains("allowed_orientations") && !entry["allowed_orientations"].is_null()) {
      std::vector<double> angles;
      for (const Json& angle : entry["allowed_orientations"]) {
        double degrees = std::fmod(jsonNumber(order.file, angle, field + ".allowed_orientations"), 360.0);
        if (degrees < 0) degrees += 360.0;
        angles.push_back(degrees);
      }
      std::sort(angles.begin(), angles.end());
      const auto are = [&](std::vector<double> wanted) { return angles == wanted; };
      if (are({0.0})) {
        item.orientations = Orientations::kFixed;
      } else if (are({0.0, 180.0})) {
        item.orientations = Orientations::kHalf;
      } else if (are({0.0, 90.0, 180.0, 270.0})) {
        item.orientations = Orientations::kQuarter;
      } else {
        jsonFail(order.file, field + ".allowed_orientations",
                 "only [0], [0, 180] and [0, 90, 180, 270] can be laid out (or none: any turn)");
      }
    }
    if (!entry.contains("shape") || !entry["shape"].is_object()) {
      jsonFail(order.file, field + ".shape", "is missing");
    }
    const Json& shape = entry["shape"];
    const std::string type = shape.value("type", "");
    const Json data = shape.value("data", Json());
    if (type == "simple_polygon") {
      item.outer = jsonRing(order.file, data, field + ".shape.data");
    } else if (type == "polygon") {
      if (!data.is_object()) jsonFail(order.file, field + ".shape.data", "must hold outer and inner");
      item.outer = jsonRing(order.file, data.value("outer", Json()), field + ".shape.data.outer");
      const Json inner = data.value("inner", Json::array());
      for (std::size_t h = 0; h < inner.size(); ++h) {
        item.holes.push_back(jsonRing(order.file, inner[h], field + ".shape.data.inner[" + std::to_string(h) + "]"));
      }
    } else if (type == "rectangle") {
      const double x = jsonNumber(order.file, data.value("x_min", Json()), field + ".shape.data.x_min");
      const double y = jsonNumber(order.file, data.value("y_min", Json()), field + ".shape.data.y_min");
      const double w = jsonNumber(order.file, data.value("width", Json()), field + ".shape.data.width");
      const double h = jsonNumber(order.file, data.value("height", Json()), field + ".shape.data.height");
      item.outer = {Point(x, y), Point(x + w, y), Point(x + w, y + h), Point(x, y + h)};
    } else {
      jsonFail(order.file, field + ".shape.type", "'" + type + "' is not simple_polygon, polygon or rectangle");
    }
    order.items.push_back(std::move(item));
  }
  if (order.items.empty()) jsonFail(order.file, "items", "the instance lists no item");
  if (root.contains("strip_height")) {
    order.strip = true;
    StockPlate strip;
    strip.width = jsonNumber(order.file, root["strip_height"], "strip_height");
    checkSize(strip.width, order.file.string(), "strip_height");
    strip.count = 1;
    order.stock.push_back(strip);  // length set once the parts are known
  } else if (root.contains("bins") && root["bins"].is_array()) {
    for (std::size_t i = 0; i < root["bins"].size(); ++i) {
      const Json& bin = root["bins"][i];
      const std::string field = "bins[" + std::to_string(i) + "]";
      if (bin.contains("zones") && bin["zones"].is_array() && !bin["zones"].empty()) {
        jsonFail(order.file, field + ".zones", "quality zones are not supported");
      }
      const Json shape = bin.value("shape", Json());
      if (!shape.is_object() || shape.value("type", "") != "rectangle") {
        jsonFail(order.file, field + ".shape", "only rectangular bins are supported");
      }
      const Json data = shape.value("data", Json());
      StockPlate plate;
      plate.length = jsonNumber(order.file, data.value("width", Json()), field + ".shape.data.width");
      plate.width = jsonNumber(order.file, data.value("height", Json()), field + ".shape.data.height");
      checkSize(plate.length, order.file.string(), field + ".shape.data.width");
      checkSize(plate.width, order.file.string(), field + ".shape.data.height");
      const Json stock = bin.value("stock", Json(1));
      if (!stock.is_number_integer() || stock.get<std::int64_t>() < 1) {
        jsonFail(order.file, field + ".stock", "must be a whole number of at least 1");
      }
      plate.count = stock.get<std::int64_t>();
      plate.cost = bin.contains("cost") ? jsonNumber(order.file, bin["cost"], field + ".cost") : 0.0;
      order.stock.push_back(plate);
    }
    if (order.stock.empty()) jsonFail(order.file, "bins", "the instance lists no bin");
  } else {
    jsonFail(order.file, "strip_height", "the instance needs a strip_height or bins");
  }
  return order;
}

Order readOrder(const std::filesystem::path& path, double jsonGap) {
  std::string extension = path.extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".json" ? readJsonInstance(path, jsonGap) : readTomlOrder(path);
}

}  // namespace platenest
