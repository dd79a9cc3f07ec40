// Placing a part relative to parts already on the plate, for the multi-step layout.
//
// Two strategies live here. Pairing lays a non-rectangular part against a placed part of
// nearly the same size and shape, in the quarter turn (and, when allowed, turned over) and
// contact position whose bounding box overlaps the partner's most: two L shapes interlock,
// two wedges make a rectangle. Placement against a neighbour lays a large part flush to the
// right of, above or below one of the placed parts, wherever its centroid lies furthest left.
// Both try copies of the part and apply the winning copy's pose to the part at the end.
#include <algorithm>
#include <cmath>

#include "nesting/grid_search.h"

namespace platenest {
namespace {

// Start values of the searches: worse than any real candidate.
constexpr double kNoScore = -1e20;
constexpr double kFarAway = 1e20;
// A part whose outline fills its box this closely is a rectangle: pairing cannot gain.
constexpr double kRectangleTolerance = 0.001;
// Similar parts: one side within 1 % and rectangularities within 0.1.
constexpr double kSimilarSide = 0.01;
constexpr double kSimilarRectangularity = 0.1;
// From this box area on, a paired part may stick out to the right of the layout.
constexpr double kLargeBoxArea = 500000.0;
// Centroids of neighbour placements closer than this in x count as equally far left,
// and the lower one wins.
constexpr double kLeftBand = 0.1;

// The three trial positions against a neighbour, in the order they are tried.
enum class Side { kRight, kAbove, kBelow };
constexpr Side kSides[] = {Side::kRight, Side::kAbove, Side::kBelow};

// Moves the trial copy next to the neighbour, relative to the copy's present box:
// right of it with the bottoms aligned, or above or below it with the left sides aligned.
void moveBeside(PlacedPart& trial, const BoundingBox& neighbour, Side side) {
  switch (side) {
    case Side::kRight:
      trial.translate(neighbour.maxX - trial.box().minX, neighbour.minY - trial.box().minY);
      break;
    case Side::kAbove:
      trial.translate(neighbour.minX - trial.box().minX, neighbour.maxY - trial.box().minY);
      break;
    case Side::kBelow:
      trial.translate(neighbour.minX - trial.box().minX, neighbour.minY - trial.box().maxY);
      break;
  }
}

// A copy of `source` turned by a quarter turn count about its own reference point; the
// pose of such a copy can be replayed on the part by applyPose.
void assignQuarterTurn(PlacedPart& trial, const PlacedPart& source, int quarterTurns) {
  trial = source;
  const Point pivot = trial.refPoint;
  trial.rotateAbout(pivot, quarterTurns * kPi / 2);
}

}  // namespace

bool isSimilar(const PlacedPart& a, const PlacedPart& b) {
  const double widthA = a.box().maxX - a.box().minX;
  const double heightA = a.box().maxY - a.box().minY;
  const double widthB = b.box().maxX - b.box().minX;
  const double heightB = b.box().maxY - b.box().minY;
  const double maxA = std::max(widthA, heightA);
  const double minA = std::min(widthA, heightA);
  const double maxB = std::max(widthB, heightB);
  const double minB = std::min(widthB, heightB);
  const bool sideMatches =
      std::fabs(maxA - maxB) / maxA < kSimilarSide || std::fabs(minA - minB) / minA < kSimilarSide;
  return sideMatches && std::fabs(a.rectangularity() - b.rectangularity()) < kSimilarRectangularity;
}

double unionBoxArea(const PlacedPart& a, const PlacedPart& b) {
  const double minX = std::min(a.box().minX, b.box().minX);
  const double maxX = std::max(a.box().maxX, b.box().maxX);
  const double minY = std::min(a.box().minY, b.box().minY);
  const double maxY = std::max(a.box().maxY, b.box().maxY);
  return (maxX - minX) * (maxY - minY);
}

// Pairing trial with one neighbour N. The part is tried in four quarter turns (and turned
// over, when allowed), each slid into contact from the right of N, from above and from below.
// A position scores the bounding-box area the pair saves (areaN + areaP - union box). The
// best score wins, a tie goes to the lower centroid x. Sliding in from the right may not
// leave a small part sticking out far beyond the layout. The pairing is accepted only when
// the saving is at least `threshold` of the part's waste (box area minus outline area).
bool tryPairWith(const Layout& layout, double threshold, const PlacedPart& neighbour,
                 const PlacedPart& part, Pose& pose, double& score, Point& centroid,
                 const GridSearchOptions& options) {
  if (!isSimilar(neighbour, part) || std::fabs(part.rectangularity() - 1) < kRectangleTolerance) {
    return false;
  }
  const double layoutLength = layout.packingLength();
  const double areaN = neighbour.box().area();
  const double areaP = part.box().area();
  double bestScore = kNoScore;
  double bestCentroidX = kFarAway;
  Point bestCentroid;
  Pose bestPose;

  PlacedPart trial;
  auto tryOrientations = [&](const PlacedPart& source) {
    for (int i = 0; i < 4; ++i) {
      assignQuarterTurn(trial, source, i);
      for (Side side : kSides) {
        moveBeside(trial, neighbour.box(), side);
        switch (side) {
          case Side::kRight:
            slideLeftTo(layout, trial, neighbour);
            break;
          case Side::kAbove:
            slideDownTo(layout, trial, neighbour);
            break;
          case Side::kBelow:
            slideUpTo(layout, trial, neighbour);
            break;
        }
        if (!layout.fits(trial)) continue;
        const double candidateScore = areaN + areaP - unionBoxArea(neighbour, trial);
        const bool better = candidateScore > bestScore ||
                            (candidateScore == bestScore && bestCentroidX > trial.centroid().x);
        if (!better) continue;
        if (side == Side::kRight && !(areaP >= kLargeBoxArea)) {
          const double width = trial.box().maxX - trial.box().minX;
          const double height = trial.box().maxY - trial.box().minY;
          if (!(trial.box().maxX <= layoutLength + std::max(width, height) / 2)) continue;
        }
        bestScore = candidateScore;
        bestCentroidX = trial.centroid().x;
        bestCentroid = trial.centroid();
        bestPose = poseOf(trial);
      }
    }
  };

  tryOrientations(part);
  if (options.tryTurnedOver) {
    PlacedPart turnedOver = part;
    const Point pivot = turnedOver.refPoint;
    turnedOver.mirrorAt(pivot);
    tryOrientations(turnedOver);
  }

  if (!(bestScore / areaP / (1 - part.rectangularity()) >= threshold)) return false;
  pose = bestPose;
  score = bestScore;
  centroid = bestCentroid;
  return true;
}

bool placeBesideSimilar(Layout& layout, PlacedPart& part, double threshold,
                        const GridSearchOptions& options) {
  bool found = false;
  Pose bestPose;
  double bestScore = 0.0;
  Point bestCentroid;
  for (const PlacedPart& neighbour : layout.parts()) {
    if (&neighbour == &part || !layout.isOnPlate(neighbour)) continue;
    Pose pose;
    double score = 0.0;
    Point centroid;
    if (!tryPairWith(layout, threshold, neighbour, part, pose, score, centroid, options)) continue;
    // The first success stands until a later one saves strictly more, or as much further left.
    if (!found || score > bestScore || (score == bestScore && centroid.x < bestCentroid.x)) {
      bestPose = pose;
      bestScore = score;
      bestCentroid = centroid;
    }
    found = true;
  }
  if (!found) return false;
  applyPose(part, bestPose);
  layout.markCoveredPackingPoints(part);
  return true;
}

// Tries the part in four quarter turns flush to the right of the neighbour (bottoms aligned),
// above it and below it (left sides aligned), without sliding or turning over; keeps the
// fitting position whose centroid lies furthest left, then lowest.
bool fitAgainst(const Layout& layout, const PlacedPart& neighbour, const PlacedPart& part,
                Pose& pose, Point& centroid) {
  Point best(kFarAway, kFarAway);
  Pose bestPose;
  bool found = false;
  PlacedPart trial;
  for (int i = 0; i < 4; ++i) {
    assignQuarterTurn(trial, part, i);
    for (Side side : kSides) {
      moveBeside(trial, neighbour.box(), side);
      if (!layout.fits(trial)) continue;
      found = true;
      const Point& c = trial.centroid();
      if (c.x < best.x || (c.x == best.x && c.y < best.y)) {
        best = c;
        bestPose = poseOf(trial);
      }
    }
  }
  if (!found) return false;
  pose = bestPose;
  centroid = best;
  return true;
}

bool placeBesideNeighbours(Layout& layout, PlacedPart& part, const GridSearchOptions& options) {
  if (plateIsEmpty(layout)) return gridSearch(layout, part, options);
  bool found = false;
  Pose bestPose;
  Point best;
  for (const PlacedPart& neighbour : layout.parts()) {
    if (&neighbour == &part || !layout.isOnPlate(neighbour)) continue;
    Pose pose;
    Point c;
    if (!fitAgainst(layout, neighbour, part, pose, c)) continue;
    // Within the band, centroids count as equally far left and the lower one wins.
    if (!found || c.x < best.x - kLeftBand ||
        (std::fabs(c.x - best.x) < kLeftBand && c.y < best.y)) {
      bestPose = pose;
      best = c;
    }
    found = true;
  }
  if (!found) return false;
  applyPose(part, bestPose);
  layout.markCoveredPackingPoints(part);
  return true;
}

// Replays a trial copy's pose on the part. The copy was turned over and rotated about its
// own reference point and then moved, so turning over at the reference point, moving the
// reference point onto the copy's and rotating about it by the difference gives the copy.
}  // namespace platenest
