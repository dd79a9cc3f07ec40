// The one engine object of a job: it owns the parts, the mother plate, the layout settings
// (rotation number RN and packing point distance PPD), the packing-point grid and the job
// settings, and every layout, editing and measuring operation runs on it.
//
// Its public face is the job (parts, plate, settings) and the operator's commands; the
// search's own steps and caches are private, reached by the engine's other files and the
// tests through search_internals.h. Two pieces stand apart from it: layout.h, the layout as
// an object of its own (plate, poses, the fit test and the collision query, save, restore,
// clone), and grid_search.h, the grid placement of one part with its options. Operations
// are implemented in one file per concept:
//   nester.cpp            construction, the plate and its rectangle, offsetting of all parts
//   overlap.cpp           fit tests (the plain ones and the search's own) and conflict marking
//   packing_points.cpp    the grid, its occupancy and scan stride; default_ppd.cpp its PPD
//   placement.cpp         gridSearch, the grid placement of one part (trial_variants: its
//                         orientations)
//   strategies.cpp        similarity dispatch for the multi-step layout
//   beside_placed.cpp     pairing with similar parts and placement against neighbours
//   layout.cpp            the Layout: poses, the fit test and the collision query
//   layout_commands.cpp   Layout, Layout All, Layout Next, Layout Multiple Steps, timing file
//   layout_statistics.cpp layout statistics and parking of selected parts
//   reduction.cpp         the plate-size reduction run
//   contact_moves.cpp     slides into contact and collision-tested moves
//   editing.cpp           picking, box selection, free moves and turns, turning over
//   snapshot.cpp          snapshots of poses, selection, plate and grid
//   posed_layout.cpp      the posed view of the layout that drawings and the window read
// The search keeps four helpers between searches: search_memo (blocked candidates of
// repeated shapes), part_bands (band-filed outlines of the parts on the plate),
// material_cells (where those parts hold material deep inside) and fit_test_scratch (the
// storage of its fit test).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "geometry/part_drawing.h"
#include "geometry/point.h"
#include "nesting/fit_test_scratch.h"
#include "nesting/grid_search.h"
#include "nesting/layout.h"
#include "nesting/material_cells.h"
#include "nesting/packing_grid.h"
#include "nesting/part_bands.h"
#include "job/part_lists.h"
#include "job/placed_part.h"
#include "nesting/progress.h"
#include "nesting/search_memo.h"
#include "nesting/snapshot.h"
#include "support/text_writer.h"

namespace platenest {

// Grids larger than this are refused before any memory is taken.
inline constexpr long long kMaxPackingPoints = 20'000'000;

// Figures of the parts on the plate, taken with their true (unoffset) outlines.
struct LayoutStatistics {
  double packingLength = 0.0;
  double density = 0.0;  // NaN when nothing is on the plate (0/0)
  double overallDensity = 0.0;
  std::int32_t count = 0;
};

// One step of the plate-size reduction run, handed to the run's caller while the nester
// holds the step's layout.
struct ReductionStep {
  enum class Kind {
    kTrial,     // a plate size laid out (the first is the reference)
    kLoss,      // the trial just reported held fewer parts: its size is to be taken back
    kRestored,  // the size taken back one step, laid out again
  };
  Kind kind = Kind::kTrial;
  double length = 0.0;  // mm, the plate of the step
  double width = 0.0;
  LayoutStatistics statistics;  // of the step's layout; unset for kLoss
};

enum class ContactDirection { kLeft, kRight, kUp, kDown };

// The job settings a part-list file brings (each named after its key). Without such a file
// they are 0: reduction steps are then 100 mm and the smallest sizes 0. Only the reduction
// run reads the smallest sizes and the steps; the others are kept for the record.
struct JobSettings {
  bool bHolePart = false;
  double partToPartGap = 0.0;
  double partToMplateGap = 0.0;
  double staPlate_0 = 0.0;
  double staPlate_1 = 0.0;
  double minPlate_0 = 0.0;
  double maxPlate_0 = 0.0;
  double minPlate_1 = 0.0;
  double maxPlate_1 = 0.0;
  double feetLength_0 = 0.0;
  double feetLength_1 = 0.0;
  double minPartGap = 0.0;
  double maxPartGap = 0.0;
};

class SearchInternals;

class Nester {
 public:
  // Empty lists, plate 6000 x 4000, gap 0, PPD 0.5, RN 4, turnover on; opens the error log
  // for appending and writes its dated header. Throws FatalError when the log cannot be opened.
  explicit Nester(const std::filesystem::path& errorLogPath);
  Nester(const Nester&) = delete;
  Nester& operator=(const Nester&) = delete;

  // ---- the plate, stored once: its rectangle and the grid follow it
  const Plate& plate() const { return plate_; }
  double plateLength() const { return plate_.length; }  // mm, along x
  double plateWidth() const { return plate_.width; }    // mm, along y
  // (0, plateLength, 0, plateWidth): the plate's lower-left corner is the origin.
  const BoundingBox& plateRect() const { return plateRect_; }
  // Takes the plate; a zero size is fatal ("包围盒大小为零!"). A changed size makes the
  // next layout build its grid afresh.
  void setPlate(const Plate& plate);
  void setPlateSize(double length, double width);

  // ---- the layout settings
  double packingPointDistance() const { return packingPointDistance_; }  // PPD, mm
  // A new PPD makes the next layout build its grid afresh.
  void setPackingPointDistance(double distance);
  // Builds the grid for the plate and PPD now and occupies the points under the parts on the
  // plate (the RN/PPD dialog's renewal). False, with the reason shown, when it was refused;
  // the next layout then tries again.
  bool renewPackingGrid();
  // The grid no longer matches the plate or the PPD; the next layout command rebuilds it.
  bool packingGridStale() const { return packingPointsDirty_; }
  // Why the grid for the current plate and PPD cannot be built, or nothing when it can.
  std::optional<std::string> packingGridProblem() const;
  // The grid as the last layout command built and occupied it, column after column.
  const PackingGrid& packingGrid() const { return packingPoints_; }
  std::int32_t packingRows() const { return packingRows_; }
  std::int32_t packingColumns() const { return packingColumns_; }
  PackingPoint packingPoint(int column, int row) const {
    return packingPoints_[static_cast<std::size_t>(column) * packingRows_ + row];
  }
  // The starting PPD of the job's parts (load flow): a tenth of the smaller side of the
  // smallest part, at least 30 mm.
  double defaultPackingPointDistance();

  // ---- load flow
  // Grows every part by `gap` (half the part gap) and shrinks its holes.
  void offsetAllParts(double gap);

  // ---- queries
  // True when the part's box lies inside the plate.
  bool isOnPlate(const PlacedPart& part) const { return part.isInside(plateRect_); }
  // The exact fit test: inside the plate and clear of every part of `parts` (the candidate
  // is not a member).
  bool fits(const PlacedPart& candidate) const;
  // As fits, skipping the member itself.
  bool fitsAmongOthers(const PlacedPart& member) const;
  // As fits, against the given parts only.
  bool fitsAmong(const PlacedPart& part, const std::vector<const PlacedPart*>& others) const;
  // Figures of the parts on the plate, taken with their true outlines.
  LayoutStatistics computeLayoutStatistics() const;

  // ---- marking of parts in the way (the packing report's checks): selects them
  bool markPartsCrossingPlateEdge();
  bool markConflictingParts();

  // ---- layout commands
  void layoutSelected(bool announce);
  void layoutAll(bool announce);
  void stageNextPart();
  void layoutMultipleSteps(bool announce);
  // Right of the plate and below its lower edge.
  void parkSelectedParts();
  // `onStep` receives every trial, loss and restored size as it happens; the caller keeps the
  // record (detail report, step drawings). A restore whose layout holds fewer parts than the
  // accepted trial of that size hands back the accepted trial. Stopped through `progress`,
  // the run leaves the last accepted trial on the plate and reports no unfinished trial.
  void reducePlateSize(const std::function<void(const ReductionStep&)>& onStep = {});

  // ---- contact and collision-tested moves of the selected parts
  void contactSelected(ContactDirection direction);
  void moveSelectedTested(double dx, double dy);

  // ---- editing.cpp: the operator's edits, in millimetres with y up
  // Inverts the selection of the first part that contains the point; false when none does.
  bool pickPart(const Point& p);
  // A window box selects the parts whose boxes lie inside the rectangle (1e-10 tolerance);
  // a crossing box also those that overlap it. Only adds; true when a part was marked.
  bool selectInWindow(const BoundingBox& rectangle, bool crossing);
  void clearSelection();
  void selectAll();
  // Untested moves and turns of the selected parts (angle in radians, counterclockwise).
  void moveSelected(double dx, double dy);
  void rotateSelected(const Point& centre, double angle);
  // Turns the first selected part over at its own centroid.
  void mirrorFirstSelected();

  // ---- snapshot.cpp: poses, selection, plate and grid, for undo and the reduction run
  NesterSnapshot snapshot() const;
  // Puts back a snapshot of this job (the same parts in the same order).
  void restore(const NesterSnapshot& saved);

  // ---- the job
  RegionList regions;
  PartList parts;
  PartList loadedParts;
  // The lines, arcs and circles of the parts read from drawings of their own, by part id.
  std::vector<PartDrawing> drawings;
  double partGap = 0.0;  // mm; the load flow grows every part by half of it
  std::int32_t rotationNumber = 4;  // RN
  bool bPartTurnover = true;
  JobSettings settings;
  // Whether the job came with a settings block (part-list files only).
  bool hasJobSettings = false;
  TextWriter errorLog;
  std::filesystem::path errorLogPath;  // where errorLog was opened

  // Told how far the layout commands and the reduction run have got, and asked between two
  // placements whether to stop; none by default. Not owned.
  Progress* progress = nullptr;

  // ---- where the layout commands record their time
  std::filesystem::path timingFilePath = "排样计算时间.txt";
  std::string lastTimingMessage;  // UTF-8, as written to the timing file
  double lastLayoutSeconds = 0.0;
  // Switching the memo of blocked candidates off gives the plain search (the tests and the
  // benchmarks compare the two).
  bool searchMemoEnabled = true;
  // How many fit tests the searches ran (for benchmarks).
  mutable std::uint64_t fitTestCount = 0;

 private:
  // The search's own steps and caches. The engine's files implement them; tests reach them
  // through SearchInternals (nesting/search_internals.h).
  friend class SearchInternals;

  void updatePlateRect();

  // ---- packing_points.cpp
  // Builds the grid and occupies the points under the parts on the plate. When the grid is
  // refused (see packingGridProblem) it shows the reason, leaves no grid and returns false.
  bool rebuildPackingPoints();
  // Builds the grid when it no longer matches the plate or PPD; false when it was refused.
  bool ensurePackingGrid();
  void markCoveredPackingPoints(const PlacedPart& part);
  int scanStride(const PlacedPart& part) const;

  // ---- placement.cpp
  bool placeAtPackingPoints(PlacedPart& part);
  bool placeAtPackingPointsTurnover(PlacedPart& part);
  bool placeBoundingRectangle(PlacedPart& part);
  bool placeOnGrid(PlacedPart& part, bool turnover);

  // ---- strategies.cpp
  bool hasSimilarOnPlate(const PlacedPart& part) const;
  bool hasSimilarOffPlate(const PlacedPart& part) const;
  bool plateIsEmpty() const;
  bool placeBySimilarOrGrid(PlacedPart& part, double threshold);
  bool placeBySimilar(PlacedPart& part, double threshold);

  // ---- contact_moves.cpp
  void contactLeft(PlacedPart& member);
  void contactRight(PlacedPart& member);
  void contactUp(PlacedPart& member);
  void contactDown(PlacedPart& member);
  // contactLeft then contactDown of a member on the plate that only `candidates` (parts with
  // their boxes side by side) could meet: those that may meet any part on the plate, as the
  // search that placed it gathered them. The same result as the two slides.
  void contactLeftAndDownAmong(PlacedPart& member,
                               const std::vector<const PlacedPart*>& candidates,
                               const std::vector<BoundingBox>& boxes);
  void contactLeftCandidate(PlacedPart& candidate);
  void contactDownCandidate(PlacedPart& candidate);
  void slideLeftTo(PlacedPart& part, const PlacedPart& other);
  void slideUpTo(PlacedPart& part, const PlacedPart& other);
  void slideDownTo(PlacedPart& part, const PlacedPart& other);

  // ---- beside_placed.cpp
  bool isSimilar(const PlacedPart& a, const PlacedPart& b) const;
  double unionBoxArea(const PlacedPart& a, const PlacedPart& b) const;
  double packingLength() const;
  bool tryPairWith(double threshold, const PlacedPart& neighbour, const PlacedPart& part,
                   Pose& pose, double& score, Point& centroid);
  bool placeBesideSimilar(PlacedPart& part, double threshold);
  bool fitAgainst(const PlacedPart& neighbour, const PlacedPart& part, Pose& pose, Point& centroid);
  bool placeBesideNeighbours(PlacedPart& part);
  void applyPose(PlacedPart& part, const Pose& pose) { ::platenest::applyPose(part, pose); }

  Plate plate_;
  BoundingBox plateRect_;
  double packingPointDistance_ = 0.5;
  PackingGrid packingPoints_;  // column after column
  std::int32_t packingRows_ = 0;
  std::int32_t packingColumns_ = 0;
  bool packingPointsDirty_ = true;

  // Kept between searches: blocked candidates of the shapes searched in the running layout
  // command, the outlines of the parts on the plate filed for the fit tests, where those
  // parts hold material deep inside, and the storage of the search's fit test.
  SearchMemo searchMemo;
  PartBandsCache partBands;
  MaterialCells materialCells;
  FitTestScratch fitTestScratch;
};

}  // namespace platenest
