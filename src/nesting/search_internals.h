// The search's own steps and caches, out of the nester's public face: the engine's files that
// are not members reach them here, and so do the tests that check each step on its own.
// Nothing outside the engine and its tests includes this header.
#pragma once

#include <vector>

#include "nesting/nester.h"

namespace platenest {

class SearchInternals {
 public:
  // ---- caches kept between searches
  static SearchMemo& memo(Nester& n) { return n.searchMemo; }
  static PartBandsCache& partBands(Nester& n) { return n.partBands; }
  static MaterialCells& materialCells(Nester& n) { return n.materialCells; }
  static FitTestScratch& fitTestScratch(Nester& n) { return n.fitTestScratch; }

  // ---- the grid
  static bool rebuildPackingPoints(Nester& n) { return n.rebuildPackingPoints(); }
  static void markCoveredPackingPoints(Nester& n, const PlacedPart& part) {
    n.markCoveredPackingPoints(part);
  }
  static int scanStride(const Nester& n, const PlacedPart& part) { return n.scanStride(part); }

  // ---- placement of one part
  static bool placeAtPackingPoints(Nester& n, PlacedPart& part) {
    return n.placeAtPackingPoints(part);
  }
  static bool placeAtPackingPointsTurnover(Nester& n, PlacedPart& part) {
    return n.placeAtPackingPointsTurnover(part);
  }
  static bool placeBoundingRectangle(Nester& n, PlacedPart& part) {
    return n.placeBoundingRectangle(part);
  }
  static bool placeOnGrid(Nester& n, PlacedPart& part, bool turnover) {
    return n.placeOnGrid(part, turnover);
  }

  // ---- the multi-step strategies
  static bool hasSimilarOnPlate(const Nester& n, const PlacedPart& part) {
    return n.hasSimilarOnPlate(part);
  }
  static bool hasSimilarOffPlate(const Nester& n, const PlacedPart& part) {
    return n.hasSimilarOffPlate(part);
  }
  static bool plateIsEmpty(const Nester& n) { return n.plateIsEmpty(); }
  static bool placeBySimilarOrGrid(Nester& n, PlacedPart& part, double threshold) {
    return n.placeBySimilarOrGrid(part, threshold);
  }
  static bool placeBySimilar(Nester& n, PlacedPart& part, double threshold) {
    return n.placeBySimilar(part, threshold);
  }
  static bool isSimilar(const Nester& n, const PlacedPart& a, const PlacedPart& b) {
    return n.isSimilar(a, b);
  }
  static double unionBoxArea(const Nester& n, const PlacedPart& a, const PlacedPart& b) {
    return n.unionBoxArea(a, b);
  }
  static double packingLength(const Nester& n) { return n.packingLength(); }
  static bool tryPairWith(Nester& n, double threshold, const PlacedPart& neighbour,
                          const PlacedPart& part, Pose& pose, double& score, Point& centroid) {
    return n.tryPairWith(threshold, neighbour, part, pose, score, centroid);
  }
  static bool placeBesideSimilar(Nester& n, PlacedPart& part, double threshold) {
    return n.placeBesideSimilar(part, threshold);
  }
  static bool fitAgainst(Nester& n, const PlacedPart& neighbour, const PlacedPart& part,
                         Pose& pose, Point& centroid) {
    return n.fitAgainst(neighbour, part, pose, centroid);
  }
  static bool placeBesideNeighbours(Nester& n, PlacedPart& part) {
    return n.placeBesideNeighbours(part);
  }
  static void applyPose(Nester& n, PlacedPart& part, const Pose& pose) { n.applyPose(part, pose); }

  // ---- slides into contact
  static void contactLeft(Nester& n, PlacedPart& member) { n.contactLeft(member); }
  static void contactRight(Nester& n, PlacedPart& member) { n.contactRight(member); }
  static void contactUp(Nester& n, PlacedPart& member) { n.contactUp(member); }
  static void contactDown(Nester& n, PlacedPart& member) { n.contactDown(member); }
  static void contactLeftAndDownAmong(Nester& n, PlacedPart& member,
                                      const std::vector<const PlacedPart*>& candidates,
                                      const std::vector<BoundingBox>& boxes) {
    n.contactLeftAndDownAmong(member, candidates, boxes);
  }
  static void contactLeftCandidate(Nester& n, PlacedPart& candidate) {
    n.contactLeftCandidate(candidate);
  }
  static void contactDownCandidate(Nester& n, PlacedPart& candidate) {
    n.contactDownCandidate(candidate);
  }
  static void slideLeftTo(Nester& n, PlacedPart& part, const PlacedPart& other) {
    n.slideLeftTo(part, other);
  }
  static void slideUpTo(Nester& n, PlacedPart& part, const PlacedPart& other) {
    n.slideUpTo(part, other);
  }
  static void slideDownTo(Nester& n, PlacedPart& part, const PlacedPart& other) {
    n.slideDownTo(part, other);
  }
};

}  // namespace platenest
