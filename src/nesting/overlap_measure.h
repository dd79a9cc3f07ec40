// How much two parts overlap, and how far a part leaves the strip, as a number that shrinks
// smoothly while they slide apart: the strip search drives it to zero. Each outline is stood
// in for by a few circles that lie in its material (the largest inscribed circle first, its
// centre the pole of inaccessibility, then the largest circles in what the others leave), so
// two circles that meet prove that the parts meet. Holes are real: a circle never lies in a
// hole, so a part inside another's hole meets none of its circles. Where no two circles meet
// but the exact test refuses the pair, the pair still counts, by a small amount that shrinks
// with the overlap of their boxes: zero is given only to poses the exact test passes.
#pragma once

#include <cstddef>
#include <limits>
#include <vector>

#include "geometry/point.h"
#include "geometry/polygon.h"
#include "job/placed_part.h"

namespace platenest {

struct InscribedCircle {
  double x = 0.0;
  double y = 0.0;
  double r = 0.0;
};

// The circles standing in for one outline in one orientation, its centres relative to the
// outline as it lies.
struct CircleCover {
  std::vector<InscribedCircle> circles;
  double size = 0.0;  // the first circle's radius: the scale of the part's overlaps
};

// Circles in the material of `part` (inside its outer, outside its holes), largest first:
// at most `most`, none smaller than `smallestShare` of the first. An outline with no area
// gets none.
CircleCover coverWithCircles(const PlacedPart& part, std::size_t most = 12, double smallestShare = 0.12);

// The distance from p to the part's nearest edge (outer or hole), negative outside its
// material.
double signedDepth(const PlacedPart& part, const Point& p);

// Where the caller adds an overlap times `weight` to `base` and gives up on the pose once the
// result reaches `bound`, the sum of circle pairs may stop as soon as it gets there: the value
// then returned is at least one that reaches the bound, so the caller decides as it would on the
// whole sum. The default never stops.
struct OverlapStop {
  double base = 0.0;
  double weight = 1.0;
  double bound = std::numeric_limits<double>::infinity();
  bool reached(double overlap) const { return base + weight * overlap >= bound; }
};

// The overlap of two covers moved by (ax, ay) and (bx, by), 0 when no two circles meet; else
// the sum over the circle pairs that meet or nearly meet of their penetration depth times the
// smaller radius, where pairs that meet by less than a small epsilon (or not at all) count by
// a value that decays smoothly with their distance.
double coverOverlap(const CircleCover& a, double ax, double ay, const BoundingBox& aBox,
                    const CircleCover& b, double bx, double by, const BoundingBox& bBox,
                    const OverlapStop& stop = {});

// What a pair the exact test refuses counts when no circles meet: the decayed sum over every
// circle pair, small, never zero, shrinking as the circles draw apart. The search adds the
// vertices' depths (vertexPenetration) times the smaller first radius, so that what the
// circles miss (points, slivers, arms) still pushes the pair apart as hard as it reaches in.
double refusedPairOverlap(const CircleCover& a, double ax, double ay, const CircleCover& b,
                          double bx, double by, const OverlapStop& stop = {});

// The sum of the depths (signedDepth) of the vertices of each part that lie within the
// other's material: zero when no vertex of either lies in the other, larger the deeper they
// reach in.
double vertexPenetration(const PlacedPart& a, const PlacedPart& b);

// What a collision costs the separator: the square root of the overlap (plus epsilon squared,
// so that a pair barely in collision still costs a touch's worth) times the pair's scale. A
// small overlap so costs far more than its share: the last ones are driven out, not left.
double collisionLoss(double overlap, double epsilon, double scale);
// The overlap at which collisionLoss reaches `loss` (infinite for an infinite loss): a bound
// on the loss made a bound on the overlap's sum.
double overlapReaching(double loss, double epsilon, double scale);

// What a part's box beyond the strip [0, length] x [0, width] costs, on the scale of a pair's
// collisionLoss: twice the square root of the box's area outside (plus a ten-thousandth of the
// box, so a box barely out costs as much as a touch) times `scale` (the root of the part's
// area). Zero exactly when the box lies inside within the plate test's tolerance; it grows with
// every bit the box moves further out (one wholly outside also pays its gap to the strip).
double stripLoss(const BoundingBox& box, double length, double width, double scale);

}  // namespace platenest
