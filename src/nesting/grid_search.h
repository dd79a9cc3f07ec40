// The placement of one part on a Layout, as functions with options: the grid search (every
// trial orientation at every free packing point, the candidate of least value kept, then slid
// left and down into contact), the steps of the multi-step layout built on it (placing by the
// bounding rectangle, pairing with similar parts, placing flush beside neighbours), and the
// slides into contact they end with. Layout All, Layout Multiple Steps, the reduction run and
// the optimising search all place parts through them; a worker thread runs them on a clone
// of the layout.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/point.h"
#include "nesting/layout.h"

namespace platenest {

class Nester;
class PlacedPart;

struct GridSearchOptions {
  enum class Objective {
    kCentroidLeft,  // the candidate whose centroid lies furthest left, then lowest
    kBoxRightEdge,  // the candidate whose box ends furthest left (the strip's used length)
  };
  Objective objective = Objective::kCentroidLeft;
  // The part turned over is tried besides the part as it is (RN orientations of each).
  bool tryTurnedOver = false;
  // RN: the turns tried, evenly spread over the full circle; none are tried at 0.
  std::int32_t rotationNumber = 4;
};

// The options the job's settings give: the centroid furthest left, the job's RN, turned over
// when the job allows turning parts over.
GridSearchOptions jobGridSearch(const Nester& nester);

// Places the part at the best free candidate of the layout's packing-point grid (built for
// its plate and PPD) and marks the points it covers. False, the part unmoved, when no
// candidate fits or RN is 0. The part is one of the layout's parts, or a part off it.
bool gridSearch(Layout& layout, PlacedPart& part, const GridSearchOptions& options);

// The part as its bounding rectangle, lower-left corner on a grid point, in the four quarter
// turns: the whole rectangle must be free, while the value minimised is the part's true
// centroid. It leaves room beside the part for similar parts still to come.
bool placeBoundingRectangle(Layout& layout, PlacedPart& part);

// ---- the steps of the multi-step layout
// Similar parts: one side within 1 % and rectangularities within 0.1.
bool isSimilar(const PlacedPart& a, const PlacedPart& b);
// The area of the box around both parts' boxes.
double unionBoxArea(const PlacedPart& a, const PlacedPart& b);
// A part similar to this one, other than itself, lies on the plate (or off it).
bool hasSimilarOnPlate(const Layout& layout, const PlacedPart& part);
bool hasSimilarOffPlate(const Layout& layout, const PlacedPart& part);
bool plateIsEmpty(const Layout& layout);
// Pairing with one neighbour on the plate: the part in four quarter turns (and turned over,
// when the options allow), slid into contact from the right of the neighbour, from above and
// from below; the pose saving the most box area wins. True, with the pose, the saving and the
// centroid there, when the saving reaches `threshold` of the part's waste.
bool tryPairWith(const Layout& layout, double threshold, const PlacedPart& neighbour,
                 const PlacedPart& part, Pose& pose, double& score, Point& centroid,
                 const GridSearchOptions& options);
// The best pairing over every neighbour on the plate, applied; false when none is accepted.
bool placeBesideSimilar(Layout& layout, PlacedPart& part, double threshold,
                        const GridSearchOptions& options);
// The part in four quarter turns flush to the right of the neighbour (bottoms aligned), above
// it and below it (left sides aligned): the fitting pose whose centroid lies furthest left.
bool fitAgainst(const Layout& layout, const PlacedPart& neighbour, const PlacedPart& part,
                Pose& pose, Point& centroid);
// fitAgainst over every neighbour on the plate; the grid search on an empty plate.
bool placeBesideNeighbours(Layout& layout, PlacedPart& part, const GridSearchOptions& options);
// Paired with a placed similar part, or by its bounding rectangle while similar parts wait.
bool placeBySimilar(Layout& layout, PlacedPart& part, double threshold,
                    const GridSearchOptions& options);
// placeBySimilar, else the grid search.
bool placeBySimilarOrGrid(Layout& layout, PlacedPart& part, double threshold,
                          const GridSearchOptions& options);

// ---- slides into contact, in steps of at most the PPD refined down to 0.01 mm
// A member of the layout slid until it meets the plate's edge or another part.
void contactLeft(Layout& layout, PlacedPart& member);
void contactRight(Layout& layout, PlacedPart& member);
void contactUp(Layout& layout, PlacedPart& member);
void contactDown(Layout& layout, PlacedPart& member);
// contactLeft then contactDown of a member on the plate that only `candidates` (parts with
// their boxes side by side) could meet: those that may meet any part on the plate, as the
// search that placed it gathered them. The same result as the two slides.
void contactLeftAndDownAmong(Layout& layout, PlacedPart& member,
                             const std::vector<const PlacedPart*>& candidates,
                             const std::vector<BoundingBox>& boxes);
// A part not in the layout slid left (or down) until it meets the edge or a part.
void contactLeftCandidate(const Layout& layout, PlacedPart& candidate);
void contactDownCandidate(const Layout& layout, PlacedPart& candidate);
// Slides towards one other part, the plate ignored, until the part touches it.
void slideLeftTo(const Layout& layout, PlacedPart& part, const PlacedPart& other);
void slideUpTo(const Layout& layout, PlacedPart& part, const PlacedPart& other);
void slideDownTo(const Layout& layout, PlacedPart& part, const PlacedPart& other);

}  // namespace platenest
