// The box rules of the overlap tests, and the fit test of a trial copy that has not been
// moved yet: the search asks whether a variant would fit moved by (dx, dy) and moves it into
// a scratch part only when some part's box is near enough to need polygon work.
#pragma once

#include <vector>

#include "geometry/point.h"
#include "nesting/nester.h"
#include "nesting/placed_part.h"

namespace platenest {

// The box b lies inside the rectangle r, each side with a tolerance of 1e-10.
bool boxInside(const BoundingBox& b, const BoundingBox& r);

// The boxes are apart or touch within 1e-5: parts with such outer boxes are clear.
bool boxesApart(const BoundingBox& a, const BoundingBox& o);

// False when the part's box keeps so far outside the plate that it can never meet a
// candidate on the plate: a candidate's box reaches at most 1e-10 beyond the plate, and boxes
// within 1e-5 of each other count as apart.
bool mayMeetCandidates(const PlacedPart& part, const BoundingBox& plate);

// The parts a candidate on the plate can meet, their boxes side by side so that the box rule
// runs over one flat array. Valid while no part moves: the search collects it once per part.
struct Obstacles {
  std::vector<BoundingBox> boxes;
  std::vector<const PlacedPart*> parts;
  void collect(const Nester& nester);
};

// Exactly nester.fits(copy of variant translated by (dx, dy)), given the nester's obstacles;
// `scratch` receives the moved copy when one is needed (its contents are unspecified
// afterwards).
// `blocker`, when given, names a part of the nester that blocked a candidate near this one
// before; it is tested first (any part is a fair first test: the answer needs all of them),
// and receives the part that blocks this candidate.
bool fitsTranslated(const Nester& nester, const Obstacles& obstacles, const PlacedPart& variant,
                    double dx, double dy, PlacedPart& scratch,
                    const PlacedPart** blocker = nullptr);

}  // namespace platenest
