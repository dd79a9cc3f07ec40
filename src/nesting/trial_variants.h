// The orientations a part is tried in by the placement search: copies turned about a fixed
// point of the part (and optionally turned over), built once per search so that the scan
// itself only copies and moves them.
#pragma once

#include <cstddef>
#include <vector>

#include "geometry/point.h"
#include "job/placed_part.h"

namespace platenest {

struct TrialVariant {
  PlacedPart part;      // the trial copy in its trial orientation, not yet moved to a grid point
  Point centroid;       // the part's centroid turned the same way; its x is minimised
  double angle = 0.0;   // radians, counterclockwise, about the anchor
  bool turned = false;  // turned over across the horizontal line through the anchor
};

// RN copies turned about `centre` by k·2π/RN, k = 0 … RN − 1, each with `centroid` turned
// alike. Nothing for RN ≤ 0.
void buildRotationVariants(const PlacedPart& part, const Point& centre, const Point& centroid,
                           int rotationNumber, std::vector<TrialVariant>& variants);

// As buildRotationVariants, each copy followed by itself turned over at `centre`:
// k = 0 plain, k = 0 turned, k = 1 plain, … (2·RN variants).
void buildTurnedVariants(const PlacedPart& part, const Point& centre, const Point& centroid,
                         int rotationNumber, std::vector<TrialVariant>& variants);

// The orientations the job allows: buildTurnedVariants when parts may be turned over,
// buildRotationVariants otherwise.
void buildTrialVariants(const PlacedPart& part, const Point& centre, const Point& centroid,
                        int rotationNumber, bool turnedOver, std::vector<TrialVariant>& variants);

// The four copies turned about `about` by i·π/2, i = 0 … 3.
void buildQuarterTurns(const PlacedPart& part, const Point& about, const Point& centroid,
                       std::vector<TrialVariant>& variants);

// The angle of trial k among RN equal steps: k·2π/RN radians.
double rotationStep(int k, int rotationNumber);

}  // namespace platenest
