// A layout as an object of its own: the plate and the parts with their poses, in world
// millimetres, and the questions a search asks of it. Besides the exact fit test it answers
// the collision query: which hazards (other parts, the plate's boundary) a part at a pose
// meets, and roughly how deep, so that a search may let parts pass through each other for a
// while and then remove the overlap. The query and the fit test run the same tests: a pose
// with no hazard fits, and a pose that fits has no hazard.
//
// It also keeps what the searches derive from the plate and the parts: the packing-point
// grid for its packing point distance (PPD), and the caches the grid search keeps between
// searches (blocked candidates, band-filed outlines, deep material, fit-test storage). Its
// setters keep them in step; a worker thread searches a clone() of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "geometry/point.h"
#include "job/part_lists.h"
#include "job/placed_part.h"
#include "nesting/packing_grid.h"
#include "nesting/snapshot.h"

namespace platenest {

class MaterialCells;
class PartBandsCache;
class SearchMemo;
struct FitTestScratch;

// Where a part stands: turned over or not, the place of its reference point and its turn.
struct Pose {
  bool mirrored = false;
  Point refPoint;
  double rotation = 0.0;  // radians
};

// The pose a part has now.
inline Pose poseOf(const PlacedPart& part) {
  return Pose{part.mirrored, part.refPoint, part.rotation};
}
// Brings the part to the pose: turned over at its reference point when the turnover
// differs, moved there, then turned about it.
void applyPose(PlacedPart& part, const Pose& pose);

// Something a part at a candidate pose runs into.
struct Hazard {
  enum class Kind {
    kPart,       // another part: their working outlines overlap and neither lies in a hole
    kPlateEdge,  // the part's box reaches beyond the plate
  };
  Kind kind = Kind::kPart;
  std::size_t part = 0;  // for kPart: the other part's place in the layout
  // How deep the overlap is, always above zero: for a part, the shorter of the two overlaps
  // of the boxes along x and y (the least axis-wise shift that takes the boxes apart); for
  // the plate, the furthest the box reaches beyond a side. Pushed further in, it grows.
  double depth = 0.0;

  bool operator==(const Hazard&) const = default;
};

// What the collision query found, hazards in the order met: the plate first, then the parts
// in layout order.
struct Collisions {
  std::vector<Hazard> hazards;
  double totalDepth = 0.0;
  // The sum of depths passed the bound and the query stopped: more hazards may follow.
  bool stoppedEarly = false;

  bool empty() const { return hazards.empty(); }
};

// Grids larger than this are refused before any memory is taken.
inline constexpr long long kMaxPackingPoints = 20'000'000;

// Figures of the parts on the plate, taken with their true (unoffset) outlines.
struct LayoutStatistics {
  double packingLength = 0.0;
  double density = 0.0;  // NaN when nothing is on the plate (0/0)
  double overallDensity = 0.0;
  std::int32_t count = 0;
};

class Layout {
 public:
  // An empty plate of zero size, PPD 0.5.
  Layout();
  // The plate and copies of the parts, in list order.
  Layout(const Plate& plate, const PartList& parts);
  Layout(const Plate& plate, const std::vector<PlacedPart>& parts);
  // A copy takes the plate, the parts, the PPD and the grid; its caches start empty.
  Layout(const Layout& other);
  Layout& operator=(const Layout& other);
  Layout(Layout&&) noexcept;
  Layout& operator=(Layout&&) noexcept;
  ~Layout();

  // A copy of its own for a worker thread: the same plate, parts, poses and grid.
  Layout clone() const { return *this; }

  // ---- the plate: (0, length, 0, width), its lower-left corner the origin
  const Plate& plate() const { return plate_; }
  double plateLength() const { return plate_.length; }  // mm, along x
  double plateWidth() const { return plate_.width; }    // mm, along y
  const BoundingBox& plateRect() const { return plateRect_; }
  // A changed size makes the grid due for a rebuild.
  void setPlate(const Plate& plate);
  // The same plate cut to another size: it keeps its name.
  void setPlateSize(double length, double width);

  // ---- the parts, in list order
  PartList& parts() { return parts_; }
  const PartList& parts() const { return parts_; }
  std::size_t partCount() const { return static_cast<std::size_t>(parts_.count()); }
  // Part i of the list (found by walking it).
  PlacedPart& part(std::size_t i);
  const PlacedPart& part(std::size_t i) const;

  // ---- poses
  // Puts part i at the pose, untested.
  void place(std::size_t i, const Pose& pose);
  // Puts part i at the pose a copy of it already has (the copy's geometry is taken as it is).
  void place(std::size_t i, const PlacedPart& posed);
  // Moves part i off the plate: its box's left side on the plate's right edge, its top on
  // the plate's lower edge.
  void park(std::size_t i);
  // The box of the part lies inside the plate.
  bool isOnPlate(const PlacedPart& part) const { return part.isInside(plateRect_); }
  bool isOnPlate(std::size_t i) const { return isOnPlate(part(i)); }
  // The largest x a part on the plate reaches (working outlines); 0 with none on it.
  double packingLength() const;

  // ---- the questions
  // The exact fit test: the candidate lies inside the plate and clear of every part of the
  // layout except part `self`, when given (the candidate is then that part at a new pose).
  bool fits(const PlacedPart& candidate, std::optional<std::size_t> self = std::nullopt) const;
  // Part i fits where it stands among the others.
  bool fits(std::size_t i) const { return fits(part(i), i); }
  // As fits, for a member of the parts where it stands, skipping itself.
  bool fitsAmongOthers(const PlacedPart& member) const;
  // As fits, against the given parts only.
  bool fitsAmong(const PlacedPart& part, const std::vector<const PlacedPart*>& others) const;
  // Every hazard the candidate meets (skipping part `self`), stopping once the sum of
  // depths exceeds `bound`. Empty exactly when fits(candidate, self) passes.
  Collisions collisions(const PlacedPart& candidate,
                        double bound = std::numeric_limits<double>::infinity(),
                        std::optional<std::size_t> self = std::nullopt) const;
  // The hazards part i meets at the pose, the others standing where they are.
  Collisions collisionsAt(std::size_t i, const Pose& pose,
                          double bound = std::numeric_limits<double>::infinity()) const;
  // How many fit tests were run on this layout (for benchmarks).
  std::uint64_t fitTestCount() const { return fitTestCount_; }
  void countFitTests(std::uint64_t tests) const { fitTestCount_ += tests; }
  void uncountFitTest() const { --fitTestCount_; }

  // ---- the packing-point grid
  double packingPointDistance() const { return packingPointDistance_; }  // PPD, mm
  // A new PPD makes the grid due for a rebuild.
  void setPackingPointDistance(double distance);
  // Builds the grid for the plate and PPD now and occupies the points under the parts on the
  // plate. False, with the reason shown, when it was refused; it stays due for a rebuild.
  bool renewPackingGrid();
  // Builds the grid when it no longer matches the plate or PPD; false when it was refused.
  bool ensurePackingGrid();
  // Builds the grid afresh whether it was due or not (the multi-step layout starts from a
  // fresh grid); a grid that was due for a rebuild stays due for the next command.
  bool rebuildPackingGrid() { return rebuildPackingPoints(); }
  // The grid no longer matches the plate or the PPD; the next layout command rebuilds it.
  bool packingGridStale() const { return packingPointsDirty_; }
  // Why the grid for the current plate and PPD cannot be built, or nothing when it can.
  std::optional<std::string> packingGridProblem() const;
  // The grid as last built and occupied, column after column.
  const PackingGrid& packingGrid() const { return packingPoints_; }
  std::int32_t packingRows() const { return packingRows_; }
  std::int32_t packingColumns() const { return packingColumns_; }
  PackingPoint packingPoint(int column, int row) const {
    return packingPoints_[static_cast<std::size_t>(column) * packingRows_ + row];
  }
  // Occupies the free grid points that lie inside the part (in its outline, not in a hole).
  void markCoveredPackingPoints(const PlacedPart& part);
  // The step, in grid points, of a scan for this part: a tenth of its smaller side in PPDs
  // when that is more than two, else 1.
  int scanStride(const PlacedPart& part) const;

  // ---- what the grid search keeps between searches (their headers: search_memo.h,
  // part_bands.h, material_cells.h, fit_test_scratch.h)
  SearchMemo& searchMemo();
  PartBandsCache& partBands();
  MaterialCells& materialCells();
  FitTestScratch& fitTestScratch();
  // Off, the search runs without its memo of blocked candidates (the plain search, which
  // the tests and benchmarks compare with).
  bool searchMemoEnabled() const { return searchMemoEnabled_; }
  void setSearchMemoEnabled(bool enabled) { searchMemoEnabled_ = enabled; }

  // ---- save and restore: the poses of every part, bit for bit
  class Saved {
    friend class Layout;
    PartList parts_;
  };
  Saved save() const;
  // Puts back what save gave, of this layout (the same parts in the same order).
  void restore(const Saved& saved);
  // Poses, selection, plate and grid, for undo and the reduction run.
  NesterSnapshot snapshot() const;
  // Puts back a snapshot of this layout (the same parts in the same order); the grid comes
  // back only while the PPD is the one it was built for. Throws std::logic_error for a
  // snapshot of other parts.
  void restore(const NesterSnapshot& saved);

 private:
  // Builds the grid and occupies the points under the parts on the plate; when refused it
  // shows the reason, leaves no grid and returns false.
  bool rebuildPackingPoints();

  Plate plate_;
  BoundingBox plateRect_{};
  PartList parts_;
  double packingPointDistance_ = 0.5;
  PackingGrid packingPoints_;  // column after column
  std::int32_t packingRows_ = 0;
  std::int32_t packingColumns_ = 0;
  bool packingPointsDirty_ = true;
  bool searchMemoEnabled_ = true;
  mutable std::uint64_t fitTestCount_ = 0;

  // Kept between searches: blocked candidates of the shapes searched in the running layout
  // command, the outlines of the parts on the plate filed for the fit tests, where those
  // parts hold material deep inside, and the storage of the search's fit test. Held apart,
  // so that the readers of a layout need not know them.
  struct Caches;
  std::unique_ptr<Caches> caches_;
};

// The hazard a candidate meets in the part `other`, if any: the parts' working outlines
// overlap (boxes closer than 1e-5 count as apart) and neither lies wholly in a hole of the
// other. `place` names the other part in the hazard.
std::optional<Hazard> partHazard(const PlacedPart& candidate, const PlacedPart& other,
                                 std::size_t place);
// The hazard of the plate's boundary, if the candidate's box is not inside the plate.
std::optional<Hazard> plateHazard(const PlacedPart& candidate, const BoundingBox& plate);

}  // namespace platenest
