#include "orders/order_nesting.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <limits>
#include <map>
#include <numeric>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>
#include <unistd.h>

#include "job/id_index.h"
#include "loading/input_type.h"
#include "loading/load.h"
#include "loading/working_outline.h"
#include "nesting/optimiser.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

// A folder of scratch files (list files naming one drawing or a folder, polygon libraries),
// gone with the object.
class ScratchFolder {
 public:
  ScratchFolder() {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("platenest-order-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

void writeScratch(const std::filesystem::path& path, const std::string& text) {
  const std::string problem = writeWholeFile(path, text);
  if (!problem.empty()) throw OrderError("cannot write a scratch file: " + problem);
}

// A DXF list naming `folder`; its plate and gap are replaced by the order's.
std::string dxfListFor(const std::filesystem::path& folder) {
  return "PlateLength: 1000\nPlateWidth: 1000\nPartToPartGap:0\n" + folder.string() + "\n";
}

// The polygon items of an instance as one text library: a NAME block per item, the outline
// first, then its holes, every edge straight.
std::string polygonLibrary(const Order& order) {
  std::string text = "PlateLength: 1000\nPlateWidth: 1000\nPartToPartGap:0\n";
  const auto contour = [&](const std::vector<Point>& points) {
    text += std::to_string(points.size() + 1) + " " + formatC("%.17g %.17g", points[0].x, points[0].y) + "\n";
    for (std::size_t i = 1; i < points.size(); ++i) {
      text += "0 " + formatC("%.17g %.17g", points[i].x, points[i].y) + "\n";
    }
    text += "0\n";
  };
  for (std::size_t i = 0; i < order.items.size(); ++i) {
    const OrderItem& item = order.items[i];
    if (item.source != ItemSource::kPolygon) continue;
    text += "NAME:item" + std::to_string(i) + "\n";
    contour(item.outer);
    for (const std::vector<Point>& hole : item.holes) contour(hole);
  }
  return text + "#end\n";
}

struct LoadedSource {
  std::unique_ptr<Nester> nester;
  LoadReport report;
  // Made once the source is read: an order may draw many kinds from one large source.
  std::optional<FirstById<const Region>> regionsById;
  std::optional<FirstById<const PartDrawing>> drawingsById;
  std::vector<const PlacedPart*> parts;  // in reading order
  std::unordered_map<std::string, std::vector<const PlacedPart*>> partsByName;  // in reading order
};

void indexSource(LoadedSource& source) {
  const Nester& nester = *source.nester;
  source.regionsById.emplace(nester.regions);
  source.drawingsById.emplace(nester.drawings);
  // The list keeps parts front-inserted: reading order is the reverse.
  for (const PlacedPart& part : nester.loadedParts) source.parts.push_back(&part);
  std::reverse(source.parts.begin(), source.parts.end());
  for (const PlacedPart* part : source.parts) source.partsByName[part->label.text].push_back(part);
}

// While it lives, the process works in `folder`: what a reader writes beside the current
// folder (the part list's check report) lands in the scratch folder, not where the operator is.
class WorkingIn {
 public:
  explicit WorkingIn(const std::filesystem::path& folder) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~WorkingIn() {
    std::error_code error;
    std::filesystem::current_path(previous_, error);
  }
  WorkingIn(const WorkingIn&) = delete;
  WorkingIn& operator=(const WorkingIn&) = delete;

 private:
  std::filesystem::path previous_;
};

std::string rejectedList(const LoadReport& report) {
  std::string text;
  for (const RejectedPart& part : report.rejected) {
    text += (text.empty() ? "" : "; ") + part.name + ": " + part.reason;
  }
  return text;
}

}  // namespace

std::vector<OrderKind> prepareOrderKinds(const Order& order, const std::filesystem::path& logPath) {
  const std::filesystem::path errorLogPath = std::filesystem::absolute(logPath);
  ScratchFolder scratch;
  const WorkingIn inScratch(scratch.path());
  std::map<std::string, LoadedSource> sources;
  LoadOptions loadOptions;
  loadOptions.keepOrientation = true;  // each kind turns, or not, as its item allows
  int scratchCount = 0;
  const auto loadSource = [&](const std::string& key, const std::filesystem::path& path,
                              LoadType type) -> LoadedSource& {
    auto found = sources.find(key);
    if (found != sources.end()) return found->second;
    LoadedSource source;
    source.nester = openLibrary(path, type, errorLogPath, loadOptions, source.report);
    LoadedSource& stored = sources.emplace(key, std::move(source)).first->second;
    indexSource(stored);
    return stored;
  };

  std::vector<OrderKind> kinds;
  for (std::size_t index = 0; index < order.items.size(); ++index) {
    const OrderItem& item = order.items[index];
    LoadedSource* source = nullptr;
    std::string wanted = item.part;
    try {
      switch (item.source) {
        case ItemSource::kLibrary:
          source = &loadSource("library:" + item.path.string(), item.path, detectLoadType(item.path));
          break;
        case ItemSource::kFolder: {
          const std::filesystem::path list = scratch.path() / ("list" + std::to_string(++scratchCount) + ".txt");
          writeScratch(list, dxfListFor(item.path));
          source = &loadSource("folder:" + item.path.string(), list, LoadType::kDxfList);
          break;
        }
        case ItemSource::kDrawing: {
          const std::filesystem::path folder = scratch.path() / ("drawing" + std::to_string(++scratchCount));
          std::filesystem::create_directories(folder);
          std::filesystem::copy_file(item.path, folder / item.path.filename());
          const std::filesystem::path list = folder.string() + ".txt";
          writeScratch(list, dxfListFor(folder));
          source = &loadSource("drawing:" + item.path.string(), list, LoadType::kDxfList);
          break;
        }
        case ItemSource::kPolygon: {
          const std::filesystem::path library = scratch.path() / "polygons.txt";
          if (!sources.count("polygons")) writeScratch(library, polygonLibrary(order));
          source = &loadSource("polygons", library, LoadType::kTextLibrary);
          wanted = "item" + std::to_string(index);
          break;
        }
      }
    } catch (const OrderError&) {
      throw;
    } catch (const std::exception& error) {
      throw OrderError(item.where + ": " + item.path.string() + ": " + error.what());
    }
    std::vector<const PlacedPart*> twins;
    if (wanted.empty()) {
      twins = source->parts;
    } else if (const auto named = source->partsByName.find(wanted); named != source->partsByName.end()) {
      twins = named->second;
    }
    const std::string rejected = rejectedList(source->report);
    if (twins.empty()) {
      throw OrderError(item.where + ": " + (wanted.empty() || item.source == ItemSource::kPolygon
                                                ? std::string("source")
                                                : std::string("part")) +
                       ": " +
                       (item.source == ItemSource::kPolygon
                            ? "the outline makes no part"
                            : wanted.empty() ? item.path.string() + " gives no part"
                                             : "no part named '" + wanted + "' in " + item.path.string()) +
                       (rejected.empty() ? "" : " (refused: " + rejected + ")"));
    }
    if (wanted.empty() && !rejected.empty()) {
      throw OrderError(item.where + ": source: " + item.path.string() + " holds parts that cannot be read: " + rejected);
    }
    for (const PlacedPart* twin : twins) {
      OrderKind kind;
      kind.item = index;
      kind.name = item.source == ItemSource::kPolygon ? item.id : twin->label.text;
      kind.twin = *twin;
      kind.twin.selected = false;
      if (const Region* region = source->regionsById->find(twin->id)) kind.region = *region;
      if (const PartDrawing* drawing = source->drawingsById->find(twin->id)) kind.drawing = *drawing;
      kind.rotationNumber = itemRotationNumber(item.orientations, order.settings.rotationNumber);
      kind.turnOver = item.turnOver.value_or(order.settings.turnOver);
      kind.priority = item.priority;
      kind.quantity = item.quantity;
      kind.area = twin->area();
      kinds.push_back(std::move(kind));
    }
  }

  // Every kind's working outline, made once in a nester of their own as the load flow makes
  // it: turned to its least-box orientation when it may take the job's turns, outlines that
  // hold every arc, grown by half the order's gap.
  Nester prepared;
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    OrderKind& kind = kinds[k];
    const auto id = static_cast<std::int32_t>(k);
    kind.twin.id = id;
    kind.twin.label.text = kind.name;
    if (kind.region) {
      kind.region->id = id;
      kind.region->label.text = kind.name;
      prepared.regions.insertFront(*kind.region);
    }
    if (kind.drawing) {
      kind.drawing->id = id;
      prepared.drawings.push_back(*kind.drawing);
    }
    prepared.loadedParts.insertFront(kind.twin);
    PlacedPart working = kind.twin;
    if (order.items[kind.item].orientations == Orientations::kJob) working.normaliseOrientation();
    prepared.parts.insertFront(working);
  }
  useWorkingOutlines(prepared);
  for (PlacedPart& working : prepared.parts) {
    working.offset(order.settings.gap * 0.5);
    kinds[static_cast<std::size_t>(working.id)].working = working;
  }
  return kinds;
}

namespace {

// A copy of a prepared part on the plate's nester, with what the figures and drawings read
// beside it: the part as loaded and its outline as read, under the copy's id.
void addCopy(Nester& nester, const OrderKind& kind, std::int32_t id) {
  PlacedPart copy = kind.working;
  copy.id = id;
  copy.selected = true;
  // Parked right of the plate and below it: not on the plate until placed.
  copy.translate(nester.plateLength() + 10 - copy.box().minX, -10 - copy.box().maxY);
  nester.parts.insertFront(copy);
  PlacedPart twin = kind.twin;
  twin.id = id;
  nester.loadedParts.insertFront(twin);
  if (kind.region) {
    Region region = *kind.region;
    region.id = id;
    nester.regions.insertFront(region);
  }
  if (kind.drawing) {
    PartDrawing drawing = *kind.drawing;
    drawing.id = id;
    nester.drawings.push_back(std::move(drawing));
  }
}

// Takes away what addCopy put beside a copy that found no place.
void dropCopyOutlines(Nester& nester, std::int32_t id) {
  for (auto it = nester.loadedParts.begin(); it != nester.loadedParts.end(); ++it) {
    if (it->id == id) {
      nester.loadedParts.remove(it);
      break;
    }
  }
  for (auto it = nester.regions.begin(); it != nester.regions.end(); ++it) {
    if (it->id == id) {
      nester.regions.remove(it);
      break;
    }
  }
  std::erase_if(nester.drawings, [id](const PartDrawing& drawing) { return drawing.id == id; });
}

struct PlateRun {
  OrderPlate plate;
  std::vector<bool> exhausted;  // a copy of the kind found no room
  double mustArea = 0.0;
  bool cancelled = false;
};

double innerSize(double size, double margin, double gap) {
  // The cut parts keep half the gap from the edge of the nester's plate already.
  return size - 2 * std::max(0.0, margin - gap * 0.5);
}

class PlateFiller {
 public:
  PlateFiller(const Order& order, const std::vector<OrderKind>& kinds,
              const std::vector<std::size_t>& sequence, double packingPointDistance,
              OrderProgress& progress)
      : order_(order), kinds_(kinds), sequence_(sequence), ppd_(packingPointDistance), progress_(progress) {}

  // Lays out one plate of `stock` (its length `length`) with the remaining quantities.
  PlateRun fill(std::size_t stock, double length, const std::vector<std::int64_t>& remaining,
                std::int64_t placedBefore, const OrderNestOptions& options) {
    PlateRun run;
    OrderPlate& plate = run.plate;
    plate.stock = stock;
    plate.length = length;
    plate.width = order_.stock[stock].width;
    const double inset = std::max(0.0, order_.settings.edgeMargin - order_.settings.gap * 0.5);
    plate.origin = Point(inset, inset);
    plate.nester = std::make_unique<Nester>();
    Nester& nester = *plate.nester;
    nester.partGap = order_.settings.gap;
    nester.progress = &progress_;
    nester.setPlateSize(innerSize(plate.length, order_.settings.edgeMargin, order_.settings.gap),
                        innerSize(plate.width, order_.settings.edgeMargin, order_.settings.gap));
    nester.setPackingPointDistance(ppd_);
    plate.countOfKind.assign(kinds_.size(), 0);
    run.exhausted.assign(kinds_.size(), false);
    std::vector<std::int64_t> left = remaining;
    placedBefore_ = placedBefore;
    fillPass(run, left);
    if (options.mode == OrderMode::kOptimise && !progress_.cancelled()) {
      // Shorten the layout, then fill the room it frees; three rounds share the budget.
      const auto start = std::chrono::steady_clock::now();
      for (int round = 0; round < 3 && !progress_.cancelled(); ++round) {
        const double used = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double budget = (options.secondsPerPlate - used) / (3 - round);
        if (budget <= 0.05 || nester.parts.empty()) break;
        int rotations = 0;
        bool turnOver = true;
        for (std::size_t k = 0; k < kinds_.size(); ++k) {
          if (plate.countOfKind[k] == 0) continue;
          rotations = std::gcd(rotations, kinds_[k].rotationNumber);
          turnOver = turnOver && kinds_[k].turnOver;
        }
        // Every kind on the plate may take the turns the search tries.
        nester.rotationNumber = std::max(1, rotations);
        nester.bPartTurnover = turnOver;
        OptimiseOptions search;
        search.seconds = budget;
        search.threads = options.threads;
        search.seed = static_cast<std::uint64_t>(round + 1);
        progress_.countFrom(0, false);
        optimiseLayout(nester, search);
        if (progress_.cancelled()) break;
        std::fill(run.exhausted.begin(), run.exhausted.end(), false);
        fillPass(run, left);
      }
    }
    run.cancelled = progress_.cancelled();
    nester.progress = nullptr;
    for (std::size_t k = 0; k < kinds_.size(); ++k) {
      plate.partArea += kinds_[k].area * static_cast<double>(plate.countOfKind[k]);
      if (kinds_[k].priority == Priority::kMust) {
        run.mustArea += kinds_[k].area * static_cast<double>(plate.countOfKind[k]);
      }
    }
    return run;
  }

 private:
  void fillPass(PlateRun& run, std::vector<std::int64_t>& left) {
    OrderPlate& plate = run.plate;
    Nester& nester = *plate.nester;
    const double plateArea = nester.plateLength() * nester.plateWidth();
    for (const std::size_t k : sequence_) {
      const OrderKind& kind = kinds_[k];
      while (left[k] > 0 && !run.exhausted[k] && !progress_.cancelled()) {
        double usedArea = 0.0;
        for (const PlacedPart& part : nester.parts) usedArea += part.area();
        // More copies than the free area holds cannot all fit: one over that proves it.
        const double room = std::max(0.0, plateArea - usedArea);
        const auto bound =
            static_cast<std::int64_t>(std::min(1e9, std::floor(room / kind.working.area()))) + 1;
        const std::int64_t chunk = std::min(left[k], bound);
        for (PlacedPart& part : nester.parts) part.selected = false;
        for (std::int64_t c = 0; c < chunk; ++c) {
          const std::int32_t id = nextId_++;
          addCopy(nester, kind, id);
          plate.kindOfPart.resize(std::max(plate.kindOfPart.size(), static_cast<std::size_t>(id) + 1));
          plate.kindOfPart[static_cast<std::size_t>(id)] = k;
        }
        nester.rotationNumber = kind.rotationNumber;
        nester.bPartTurnover = kind.turnOver;
        progress_.countFrom(placedBefore_ + placedHere_, true);
        nester.layoutSelected();
        std::int64_t placed = 0;
        bool missed = false;
        for (auto it = nester.parts.begin(); it != nester.parts.end();) {
          if (!it->selected) {
            ++it;
            continue;
          }
          it->selected = false;
          if (nester.isOnPlate(*it)) {
            ++placed;
            ++it;
          } else {
            missed = true;
            dropCopyOutlines(nester, it->id);
            it = nester.parts.remove(it);
          }
        }
        left[k] -= placed;
        plate.countOfKind[k] += placed;
        placedHere_ += placed;
        if (missed && !progress_.cancelled()) run.exhausted[k] = true;
      }
    }
  }

  const Order& order_;
  const std::vector<OrderKind>& kinds_;
  const std::vector<std::size_t>& sequence_;
  double ppd_;
  OrderProgress& progress_;
  std::int32_t nextId_ = 0;
  std::int64_t placedBefore_ = 0;
  std::int64_t placedHere_ = 0;
};

// Two plates are cut alike when the same kinds lie at the same poses.
std::string layoutSignature(const OrderPlate& plate) {
  std::vector<std::string> poses;
  for (const PlacedPart& part : plate.nester->parts) {
    poses.push_back(formatC("%zu %.9g %.9g %.9g %d", plate.kindOfPart[static_cast<std::size_t>(part.id)],
                            part.refPoint.x, part.refPoint.y, part.rotation, part.mirrored ? 1 : 0));
  }
  std::sort(poses.begin(), poses.end());
  std::string signature = formatC("%zu %.17g|", plate.stock, plate.length);
  for (const std::string& pose : poses) signature += pose + ";";
  return signature;
}

// Whether one (stock size) plate whose kind is not on it could take a copy of `kind` alone.
bool fitsAlone(const OrderKind& kind, double length, double width, const Order& order, double ppd) {
  Nester nester;
  nester.setPlateSize(innerSize(length, order.settings.edgeMargin, order.settings.gap),
                      innerSize(width, order.settings.edgeMargin, order.settings.gap));
  if (nester.plateLength() <= 0 || nester.plateWidth() <= 0) return false;
  nester.setPackingPointDistance(ppd);
  nester.rotationNumber = kind.rotationNumber;
  nester.bPartTurnover = kind.turnOver;
  PlacedPart copy = kind.working;
  copy.selected = true;
  copy.translate(nester.plateLength() + 10 - copy.box().minX, -10 - copy.box().maxY);
  nester.parts.insertFront(copy);
  if (nester.packingGridProblem()) return false;
  nester.layoutSelected();
  return nester.isOnPlate(nester.parts.front());
}

}  // namespace

OrderResult nestOrder(const Order& order, std::vector<OrderKind> kinds, const OrderNestOptions& options) {
  const auto start = std::chrono::steady_clock::now();
  OrderResult result;
  result.kinds = std::move(kinds);
  const std::vector<OrderKind>& all = result.kinds;
  std::vector<StockPlate> stock = order.stock;

  // The grid: a tenth of the smallest part's smaller side, at least as the load flow takes it.
  double ppd = 0.0;
  {
    Nester probe;
    for (const OrderKind& kind : all) probe.parts.insertFront(kind.twin);
    ppd = probe.defaultPackingPointDistance();
  }
  if (order.unitsAsGiven) {
    // Instances come in their own units: the grid follows the smallest part, not millimetres,
    // and stays within what the plates can hold.
    double smallest = std::numeric_limits<double>::infinity();
    for (const OrderKind& kind : all) {
      smallest = std::min({smallest, kind.twin.box().maxX - kind.twin.box().minX,
                           kind.twin.box().maxY - kind.twin.box().minY});
    }
    ppd = smallest / 10;
    for (const StockPlate& plate : stock) {
      if (plate.length > 0) ppd = std::max(ppd, std::sqrt(plate.length * plate.width / 1e6));
    }
  }
  if (order.strip) {
    // A strip long enough for every part side by side, with the longest part's length to spare.
    double area = 0.0, longest = 0.0;
    for (const OrderKind& kind : all) {
      area += kind.working.area() * static_cast<double>(kind.quantity);
      longest = std::max({longest, kind.working.box().maxX - kind.working.box().minX,
                          kind.working.box().maxY - kind.working.box().minY});
    }
    stock[0].length = 2 * area / stock[0].width + 2 * longest;
    // The grid grows with the strip; a coarser grid keeps it within what can be held.
    ppd = std::max(ppd, std::sqrt(stock[0].length * stock[0].width / (kMaxPackingPoints / 4.0)));
  }
  Order sized = order;
  sized.stock = stock;

  std::vector<std::int64_t> remaining(all.size());
  std::int64_t total = 0;
  for (std::size_t k = 0; k < all.size(); ++k) {
    remaining[k] = all[k].quantity;
    total += all[k].quantity;
  }
  OrderProgress silent;
  OrderProgress& progress = options.progress != nullptr ? *options.progress : silent;
  progress.orderBegin(total);

  // Kinds larger than every plate are reported, never tried plate after plate.
  std::vector<bool> fitsSomewhere(all.size(), false);
  for (std::size_t k = 0; k < all.size(); ++k) {
    for (const StockPlate& plate : stock) {
      if (fitsAlone(all[k], plate.length, plate.width, sized, ppd)) {
        fitsSomewhere[k] = true;
        break;
      }
    }
    if (!fitsSomewhere[k]) {
      result.unplaced.push_back({k, remaining[k], "does not fit on any plate in stock"});
      remaining[k] = 0;
    }
  }

  // Must-cut items first, then the fill items; largest first within each.
  std::vector<std::size_t> sequence(all.size());
  std::iota(sequence.begin(), sequence.end(), 0);
  std::stable_sort(sequence.begin(), sequence.end(), [&](std::size_t a, std::size_t b) {
    if (all[a].priority != all[b].priority) return all[a].priority == Priority::kMust;
    return all[a].working.area() > all[b].working.area();
  });

  std::int64_t placedSoFar = 0;
  std::map<std::string, std::size_t> plateBySignature;
  const auto anyLeft = [&] {
    return std::any_of(remaining.begin(), remaining.end(), [](std::int64_t n) { return n > 0; });
  };
  while (anyLeft() && !progress.cancelled()) {
    std::vector<std::size_t> available;
    for (std::size_t s = 0; s < stock.size(); ++s) {
      if (!stock[s].count || *stock[s].count > 0) available.push_back(s);
    }
    if (available.empty()) break;
    // Each size in stock lays the rest out once; the plate kept holds the most must-cut area,
    // then uses its material best.
    std::optional<PlateRun> best;
    for (const std::size_t s : available) {
      PlateFiller filler(sized, all, sequence, ppd, progress);
      PlateRun run = filler.fill(s, stock[s].length, remaining, placedSoFar, options);
      if (run.cancelled) break;
      if (run.plate.partArea <= 0) continue;
      if (!best || run.mustArea > best->mustArea ||
          (run.mustArea == best->mustArea && run.plate.density() > best->plate.density())) {
        best = std::move(run);
      }
    }
    if (progress.cancelled() || !best) break;
    OrderPlate& plate = best->plate;
    const std::size_t s = plate.stock;
    const auto take = [&] {
      for (std::size_t k = 0; k < all.size(); ++k) remaining[k] -= plate.countOfKind[k];
      placedSoFar += std::accumulate(plate.countOfKind.begin(), plate.countOfKind.end(), std::int64_t{0});
      if (stock[s].count) --*stock[s].count;
    };
    take();
    // The same plate again while the rest would be laid out alike: a kind that found no more
    // room gives the same count again while enough is left; any other kind must be used up.
    const bool oneSize = available.size() == 1;
    while (oneSize && (!stock[s].count || *stock[s].count > 0)) {
      bool again = true;
      for (std::size_t k = 0; k < all.size() && again; ++k) {
        const std::int64_t count = plate.countOfKind[k];
        if (options.mode == OrderMode::kOptimise || best->exhausted[k]) {
          again = remaining[k] >= count;
        } else {
          again = count == 0;
        }
      }
      if (!again || plate.partArea <= 0) break;
      ++plate.copies;
      take();
    }
    progress.orderAdvance(placedSoFar);
    const std::string signature = layoutSignature(plate);
    if (options.say) {
      options.say(formatC("plate %zu: %g x %g, %lld parts, density %.2f %%, cut x%lld",
                          result.plates.size() + 1, plate.length, plate.width,
                          static_cast<long long>(std::accumulate(plate.countOfKind.begin(),
                                                                 plate.countOfKind.end(), std::int64_t{0})),
                          plate.density() * 100, static_cast<long long>(plate.copies)));
    }
    if (const auto found = plateBySignature.find(signature); found != plateBySignature.end()) {
      result.plates[found->second].copies += plate.copies;
    } else {
      plateBySignature.emplace(signature, result.plates.size());
      result.plates.push_back(std::move(plate));
    }
  }
  result.interrupted = progress.cancelled();
  for (std::size_t k = 0; k < all.size(); ++k) {
    if (remaining[k] <= 0) continue;
    result.unplaced.push_back({k, remaining[k], result.interrupted ? "stopped before it was placed"
                                                                   : "no plate left in stock"});
  }
  if (order.strip && !result.plates.empty()) {
    result.stripLength = result.plates[0].nester->computeLayoutStatistics().packingLength + result.plates[0].origin.x;
    // The strip is cut to the length used: its figures and drawing are of that length.
    result.plates[0].length = result.stripLength;
  }
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return result;
}

void recountPlates(OrderResult& result) {
  const std::string reason = "moved off its plate by hand";
  std::erase_if(result.unplaced, [&](const UnplacedCount& missing) { return missing.reason == reason; });
  std::vector<std::int64_t> off(result.kinds.size(), 0);
  for (OrderPlate& plate : result.plates) {
    if (!plate.nester) continue;
    plate.countOfKind.assign(result.kinds.size(), 0);
    plate.partArea = 0.0;
    for (const PlacedPart& part : plate.nester->parts) {
      const std::size_t kind = plate.kindOfPart[static_cast<std::size_t>(part.id)];
      if (plate.nester->isOnPlate(part)) {
        ++plate.countOfKind[kind];
        plate.partArea += result.kinds[kind].area;
      } else {
        off[kind] += plate.copies;
      }
    }
  }
  for (std::size_t k = 0; k < off.size(); ++k) {
    if (off[k] > 0) result.unplaced.push_back({k, off[k], reason});
  }
}

}  // namespace platenest
