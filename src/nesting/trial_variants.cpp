// Trial orientations of a part for the placement search.
#include "nesting/trial_variants.h"

namespace platenest {

double rotationStep(int k, int rotationNumber) {
  return static_cast<double>(k) * 2 * kPi / rotationNumber;
}

namespace {

TrialVariant turnedCopy(const PlacedPart& part, const Point& about, const Point& centroid,
                        double angle) {
  TrialVariant variant;
  variant.part = part;
  variant.part.rotateAbout(about, angle);
  variant.centroid = centroid;
  variant.centroid.rotateAbout(about, angle);
  variant.angle = angle;
  return variant;
}

}  // namespace

void buildRotationVariants(const PlacedPart& part, const Point& centre, const Point& centroid,
                           int rotationNumber, std::vector<TrialVariant>& variants) {
  variants.clear();
  if (rotationNumber <= 0) return;
  variants.reserve(static_cast<std::size_t>(rotationNumber));
  for (int k = 0; k < rotationNumber; ++k) {
    variants.push_back(turnedCopy(part, centre, centroid, rotationStep(k, rotationNumber)));
  }
}

void buildTurnedVariants(const PlacedPart& part, const Point& centre, const Point& centroid,
                         int rotationNumber, std::vector<TrialVariant>& variants) {
  variants.clear();
  if (rotationNumber <= 0) return;
  variants.reserve(2 * static_cast<std::size_t>(rotationNumber));
  for (int k = 0; k < rotationNumber; ++k) {
    variants.push_back(turnedCopy(part, centre, centroid, rotationStep(k, rotationNumber)));
    TrialVariant turned = variants.back();
    turned.part.mirrorAt(centre);
    turned.centroid.y = 2 * centre.y - turned.centroid.y;
    turned.turned = true;
    variants.push_back(std::move(turned));
  }
}

void buildQuarterTurns(const PlacedPart& part, const Point& about, const Point& centroid,
                       std::vector<TrialVariant>& variants) {
  variants.clear();
  variants.reserve(4);
  for (int i = 0; i < 4; ++i) {
    variants.push_back(turnedCopy(part, about, centroid, i * kPi / 2));
  }
}

void buildTrialVariants(const PlacedPart& part, const Point& centre, const Point& centroid,
                        int rotationNumber, bool turnedOver, std::vector<TrialVariant>& variants) {
  if (turnedOver) {
    buildTurnedVariants(part, centre, centroid, rotationNumber, variants);
  } else {
    buildRotationVariants(part, centre, centroid, rotationNumber, variants);
  }
}

}  // namespace platenest
