// The grid placement of one part as a function with its options: every trial orientation at
// every free packing point, the candidate of least value kept, then slid left and down into
// contact. Layout All, Layout Multiple Steps, the reduction run and the optimising search all
// place parts through it.
#pragma once

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
};

// The options the job's settings give: the centroid furthest left, turned over when the job
// allows turning parts over.
GridSearchOptions jobGridSearch(const Nester& nester);

// Places the part at the best free candidate of the nester's packing-point grid (built for
// its plate and PPD) and marks the points it covers. False, the part unmoved, when no
// candidate fits or RN is 0.
bool gridSearch(Nester& nester, PlacedPart& part, const GridSearchOptions& options);

}  // namespace platenest
