// The one engine object of a job: the job itself (parts as loaded, regions, drawings, gap,
// rotation number RN, turnover, settings), a Layout holding the working parts on the mother
// plate with the packing-point grid and the search's caches, and the operator's commands.
// The error log belongs to the load flow, the timing file to the commands' callers.
//
// The layout (layout.h) is the one store of the working parts: `parts` names its list. The
// placement of one part and the steps built on it are functions on a Layout (grid_search.h),
// so that a worker thread can run them on a clone. Operations are implemented in one file
// per concept:
//   nester.cpp            the job's defaults, the plate, offsetting of all parts
//   layout.cpp            the Layout: plate, poses, the fit tests and the collision query
//   packing_points.cpp    the layout's grid, its occupancy and scan stride
//   snapshot.cpp          snapshots of poses, selection, plate and grid
//   overlap.cpp           containment and clearance of parts, the search's fit test, and
//                         the marking of parts in the way
//   default_ppd.cpp       the job's starting PPD
//   placement.cpp         gridSearch and the bounding-rectangle placement (trial_variants:
//                         their orientations)
//   strategies.cpp        similarity dispatch for the multi-step layout
//   beside_placed.cpp     pairing with similar parts and placement against neighbours
//   layout_commands.cpp   Layout, Layout All, Layout Next, Layout Multiple Steps
//   layout_timing.cpp     the timing file, written by the callers of those commands
//   layout_statistics.cpp layout statistics and parking of selected parts
//   reduction.cpp         the plate-size reduction run
//   contact_moves.cpp     slides into contact and collision-tested moves
//   editing.cpp           picking, box selection, free moves and turns, turning over
//   posed_layout.cpp      the posed view of the layout that drawings and the window read
// The layout keeps four helpers between searches: search_memo (blocked candidates of
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
#include "job/job.h"
#include "job/part_lists.h"
#include "job/placed_part.h"
#include "nesting/grid_search.h"
#include "nesting/layout.h"
#include "nesting/layout_timing.h"
#include "nesting/packing_grid.h"
#include "nesting/progress.h"
#include "nesting/snapshot.h"

namespace platenest {

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

class Nester;

// Figures of the parts of `layout` on its plate, taken with the true outlines of the job's
// loaded parts (a layout of the job's parts, such as a clone of its own).
LayoutStatistics layoutStatistics(const Nester& job, const Layout& layout);

class Nester {
 private:
  // Declared first: `parts` names its list.
  Layout layout_;

 public:
  // Empty lists, plate 6000 x 4000, gap 0, PPD 0.5, RN 4, turnover on. The load flow keeps
  // the job's error log (loading/load.h).
  Nester();
  Nester(const Nester&) = delete;
  Nester& operator=(const Nester&) = delete;

  // ---- the layout: the working parts on the plate, the grid and the search's caches
  Layout& layout() { return layout_; }
  const Layout& layout() const { return layout_; }

  // ---- the plate, stored once in the layout: its rectangle and the grid follow it
  const Plate& plate() const { return layout_.plate(); }
  double plateLength() const { return layout_.plateLength(); }  // mm, along x
  double plateWidth() const { return layout_.plateWidth(); }    // mm, along y
  // (0, plateLength, 0, plateWidth): the plate's lower-left corner is the origin.
  const BoundingBox& plateRect() const { return layout_.plateRect(); }
  // Takes the plate; a zero size is fatal ("包围盒大小为零!"). A changed size makes the
  // next layout build its grid afresh.
  void setPlate(const Plate& plate);
  void setPlateSize(double length, double width);

  // ---- the layout settings
  double packingPointDistance() const { return layout_.packingPointDistance(); }  // PPD, mm
  // A new PPD makes the next layout build its grid afresh.
  void setPackingPointDistance(double distance) { layout_.setPackingPointDistance(distance); }
  // Builds the grid for the plate and PPD now and occupies the points under the parts on the
  // plate (the RN/PPD dialog's renewal). False, with the reason shown, when it was refused;
  // the next layout then tries again.
  bool renewPackingGrid() { return layout_.renewPackingGrid(); }
  // The grid no longer matches the plate or the PPD; the next layout command rebuilds it.
  bool packingGridStale() const { return layout_.packingGridStale(); }
  // Why the grid for the current plate and PPD cannot be built, or nothing when it can.
  std::optional<std::string> packingGridProblem() const { return layout_.packingGridProblem(); }
  // The grid as the last layout command built and occupied it, column after column.
  const PackingGrid& packingGrid() const { return layout_.packingGrid(); }
  std::int32_t packingRows() const { return layout_.packingRows(); }
  std::int32_t packingColumns() const { return layout_.packingColumns(); }
  PackingPoint packingPoint(int column, int row) const { return layout_.packingPoint(column, row); }
  // The starting PPD of the job's parts (load flow): a tenth of the smaller side of the
  // smallest part, at least 30 mm. With more than one part it first takes every part's area
  // afresh from its outline as it now stands (PlacedPart::refreshArea).
  double defaultPackingPointDistance();

  // ---- load flow
  // Grows every part by `gap` (half the part gap) and shrinks its holes.
  void offsetAllParts(double gap);

  // ---- queries
  // True when the part's box lies inside the plate.
  bool isOnPlate(const PlacedPart& part) const { return layout_.isOnPlate(part); }
  // The exact fit test: inside the plate and clear of every part of `parts` (the candidate
  // is not a member).
  bool fits(const PlacedPart& candidate) const { return layout_.fits(candidate); }
  // As fits, skipping the member itself.
  bool fitsAmongOthers(const PlacedPart& member) const { return layout_.fitsAmongOthers(member); }
  // As fits, against the given parts only.
  bool fitsAmong(const PlacedPart& part, const std::vector<const PlacedPart*>& others) const {
    return layout_.fitsAmong(part, others);
  }
  // Figures of the parts on the plate, taken with their true outlines.
  LayoutStatistics computeLayoutStatistics() const { return layoutStatistics(*this, layout_); }
  // How many fit tests the searches ran (for benchmarks).
  std::uint64_t fitTestCount() const { return layout_.fitTestCount(); }

  // ---- marking of parts in the way (the packing report's checks): selects them
  bool markPartsCrossingPlateEdge();
  bool markConflictingParts();

  // ---- layout commands; their callers time them (layout_timing.h)
  void layoutSelected();
  void layoutAll();
  void stageNextPart();
  void layoutMultipleSteps();
  // Right of the plate and below its lower edge.
  void parkSelectedParts();
  // Every trial is timed into `timing` as a dated entry, as Layout Multiple Steps is.
  // `onStep` receives every trial, loss and restored size as it happens; the caller keeps the
  // record (detail report, step drawings). A restore whose layout holds fewer parts than the
  // accepted trial of that size hands back the accepted trial. Stopped through `progress`,
  // the run leaves the last accepted trial on the plate and reports no unfinished trial.
  void reducePlateSize(LayoutTiming& timing,
                       const std::function<void(const ReductionStep&)>& onStep = {});

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
  NesterSnapshot snapshot() const { return layout_.snapshot(); }
  // Puts back a snapshot of this job (the same parts in the same order).
  void restore(const NesterSnapshot& saved);

  // ---- the job
  RegionList regions;
  // The working parts: the layout's own list, named here for the many readers of the job.
  PartList& parts;
  PartList loadedParts;
  // The lines, arcs and circles of the parts read from drawings of their own, by part id.
  std::vector<PartDrawing> drawings;
  double partGap = 0.0;  // mm; the load flow grows every part by half of it
  std::int32_t rotationNumber = 4;  // RN
  bool bPartTurnover = true;
  // The settings block of a part-list file, as the file gives it. Without one every figure is
  // 0: reduction steps are then 100 mm and the smallest sizes 0. Only the reduction run reads
  // the smallest sizes and the steps; the others are kept for the record.
  NestConfig settings;
  // Whether the job came with a settings block (part-list files only).
  bool hasJobSettings = false;

  // Told how far the layout commands and the reduction run have got, and asked between two
  // placements whether to stop; none by default. Not owned.
  Progress* progress = nullptr;
};

}  // namespace platenest
