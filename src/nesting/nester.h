// The one engine object of a job: it owns the parts, the mother plate, the layout settings
// (rotation number RN and packing point distance PPD), the packing-point grid and the job
// settings, and every layout, editing and measuring operation runs on it.
//
// Operations are implemented in one file per concept:
//   nester.cpp           construction, plate rectangle, offsetting of all parts
//   overlap.cpp          fit tests (the plain ones and the search's own) and conflict marking
//   packing_points.cpp   the grid, its occupancy, default PPD and scan stride
//   placement.cpp        grid placement of one part
//   strategies.cpp       similarity dispatch for the multi-step layout
//   layout_statistics.cpp layout statistics and parking of selected parts
//   layout_commands.cpp  Layout, Layout All, Layout Next, Layout Multiple Steps, timing file
//   reduction.cpp        the plate-size reduction run
//   contact_moves.cpp    slides into contact and collision-tested moves
//   beside_placed.cpp    pairing with similar parts and placement against neighbours
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

// The pose a trial copy had when it was accepted.
struct Pose {
  bool mirrored = false;
  Point refPoint;
  double rotation = 0.0;  // radians
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

class Nester {
 public:
  // Empty lists, plate 6000 x 4000, gap 0, PPD 0.5, RN 4, turnover on; opens the error log
  // for appending and writes its dated header. Throws FatalError when the log cannot be opened.
  explicit Nester(const std::filesystem::path& errorLogPath);
  Nester(const Nester&) = delete;
  Nester& operator=(const Nester&) = delete;

  // ---- nester.cpp
  // plateRect = (0, plateLength, 0, plateWidth); a zero size is fatal ("包围盒大小为零!").
  void updatePlateRect();
  void offsetAllParts(double gap);
  // True when the part's box lies inside plateRect.
  bool isOnPlate(const PlacedPart& part) const { return part.isInside(plateRect); }

  // ---- overlap.cpp
  // Inside the plate and clear of every part of `parts` (the candidate is not a member).
  bool fits(const PlacedPart& candidate) const;
  // As fits, skipping the member itself.
  bool fitsAmongOthers(const PlacedPart& member) const;
  // As fits, against the given parts only.
  bool fitsAmong(const PlacedPart& part, const std::vector<const PlacedPart*>& others) const;
  bool markPartsCrossingPlateEdge();
  bool markConflictingParts();

  // ---- packing_points.cpp
  // Why the grid for the current plate and PPD cannot be built, or nothing when it can.
  std::optional<std::string> packingGridProblem() const;
  // Builds the grid and occupies the points under the parts on the plate. When the grid is
  // refused (see packingGridProblem) it shows the reason, leaves no grid and returns false.
  bool rebuildPackingPoints();
  void markCoveredPackingPoints(const PlacedPart& part);
  double defaultPackingPointDistance();
  int scanStride(const PlacedPart& part) const;
  PackingPoint packingPoint(int column, int row) const {
    return packingPoints[static_cast<std::size_t>(column) * packingRows + row];
  }

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

  // ---- layout_statistics.cpp
  LayoutStatistics computeLayoutStatistics() const;
  void parkSelectedParts();

  // ---- layout_commands.cpp
  void layoutSelected(bool announce);
  void layoutAll(bool announce);
  void stageNextPart();
  void layoutMultipleSteps(bool announce);

  // ---- reduction.cpp
  // `onStep` receives every trial, loss and restored size as it happens; the caller keeps the
  // record (detail report, step drawings). A restore whose layout holds fewer parts than the
  // accepted trial of that size hands back the accepted trial. Stopped through `progress`,
  // the run leaves the last accepted trial on the plate and reports no unfinished trial.
  void reducePlateSize(const std::function<void(const ReductionStep&)>& onStep = {});

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
  void contactSelected(ContactDirection direction);
  void moveSelectedTested(double dx, double dy);

  // ---- beside_placed.cpp
  bool isSimilar(const PlacedPart& a, const PlacedPart& b) const;
  double unionBoxArea(const PlacedPart& a, const PlacedPart& b) const;
  double packingLength() const;
  bool tryPairWith(double threshold, const PlacedPart& neighbour, const PlacedPart& part,
                   Pose& pose, double& score, Point& centroid);
  bool placeBesideSimilar(PlacedPart& part, double threshold);
  bool fitAgainst(const PlacedPart& neighbour, const PlacedPart& part, Pose& pose, Point& centroid);
  bool placeBesideNeighbours(PlacedPart& part);
  void applyPose(PlacedPart& part, const Pose& pose);

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
  BoundingBox plateRect;
  double plateLength = 6000.0;
  double plateWidth = 4000.0;
  Plate plate;
  double partGap = 0.0;
  std::int32_t rotationNumber = 4;
  double packingPointDistance = 0.5;
  PackingGrid packingPoints;  // column after column
  std::int32_t packingRows = 0;
  std::int32_t packingColumns = 0;
  bool packingPointsDirty = true;
  TextWriter errorLog;
  std::filesystem::path errorLogPath;  // where errorLog was opened

  // Job settings from a part-list file. Without one: 0, so reduction steps are 100 mm and
  // the smallest sizes 0.
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
  bool bPartTurnover = true;
  // Whether the job came with a settings block (part-list files only).
  bool hasJobSettings = false;

  // Told how far the layout commands and the reduction run have got, and asked between two
  // placements whether to stop; none by default. Not owned.
  Progress* progress = nullptr;

  // ---- where the layout commands record their time
  std::filesystem::path timingFilePath = "排样计算时间.txt";
  std::string lastTimingMessage;  // UTF-8, as written to the timing file
  double lastLayoutSeconds = 0.0;
  // Blocked grid candidates of the shapes searched in the running layout command. Switching it
  // off gives the plain search (the tests compare the two).
  SearchMemo searchMemo;
  PartBandsCache partBands;     // outlines of the parts on the plate, filed for the fit tests
  MaterialCells materialCells;  // where the parts on the plate hold material deep inside
  FitTestScratch fitTestScratch;  // storage of the search's fit test
  bool searchMemoEnabled = true;

  // How many fit tests the searches ran (for benchmarks).
  mutable std::uint64_t fitTestCount = 0;
};

}  // namespace platenest
