// A layout as an object of its own: the plate and the parts with their poses, in world
// millimetres, and the questions a search asks of it. Besides the exact fit test it answers
// the collision query: which hazards (other parts, the plate's boundary) a part at a pose
// meets, and roughly how deep, so that a search may let parts pass through each other for a
// while and then remove the overlap. The query and the fit test run the same tests: a pose
// with no hazard fits, and a pose that fits has no hazard.
#pragma once

#include <cstddef>
#include <limits>
#include <optional>
#include <vector>

#include "geometry/point.h"
#include "job/part_lists.h"
#include "job/placed_part.h"

namespace platenest {

// Where a part stands: turned over or not, the place of its reference point and its turn.
struct Pose {
  bool mirrored = false;
  Point refPoint;
  double rotation = 0.0;  // radians
};

// The pose a part has now.
inline Pose poseOf(const PlacedPart& part) {
  return Pose{part.mirrored, part.refPoint, part.rotation};
}
// Brings the part to the pose: turned over at its reference point when the turnover
// differs, moved there, then turned about it.
void applyPose(PlacedPart& part, const Pose& pose);

// Something a part at a candidate pose runs into.
struct Hazard {
  enum class Kind {
    kPart,       // another part: their working outlines overlap and neither lies in a hole
    kPlateEdge,  // the part's box reaches beyond the plate
  };
  Kind kind = Kind::kPart;
  std::size_t part = 0;  // for kPart: the other part's place in the layout
  // How deep the overlap is, always above zero: for a part, the shorter of the two overlaps
  // of the boxes along x and y (the least axis-wise shift that takes the boxes apart); for
  // the plate, the furthest the box reaches beyond a side. Pushed further in, it grows.
  double depth = 0.0;

  bool operator==(const Hazard&) const = default;
};

// What the collision query found, hazards in the order met: the plate first, then the parts
// in layout order.
struct Collisions {
  std::vector<Hazard> hazards;
  double totalDepth = 0.0;
  // The sum of depths passed the bound and the query stopped: more hazards may follow.
  bool stoppedEarly = false;

  bool empty() const { return hazards.empty(); }
};

class Layout {
 public:
  // An empty plate of zero size.
  Layout() = default;
  // The plate and copies of the parts, in list order.
  Layout(const Plate& plate, const PartList& parts);
  Layout(const Plate& plate, std::vector<PlacedPart> parts);

  // A copy of its own for a worker thread: the same plate, parts and poses.
  Layout clone() const { return *this; }

  // ---- the plate: (0, length, 0, width), its lower-left corner the origin
  const Plate& plate() const { return plate_; }
  const BoundingBox& plateRect() const { return plateRect_; }
  void setPlate(const Plate& plate);

  // ---- the parts
  std::size_t partCount() const { return parts_.size(); }
  const PlacedPart& part(std::size_t i) const { return parts_[i]; }
  const std::vector<PlacedPart>& parts() const { return parts_; }
  // Adds a part where it stands; returns its place.
  std::size_t add(const PlacedPart& part);

  // ---- poses
  // Puts part i at the pose, untested.
  void place(std::size_t i, const Pose& pose);
  // Puts part i at the pose a copy of it already has (the copy's geometry is taken as it is).
  void place(std::size_t i, const PlacedPart& posed);
  // Moves part i off the plate: its box's left side on the plate's right edge, its top on
  // the plate's lower edge.
  void park(std::size_t i);
  // The box of part i lies inside the plate.
  bool isOnPlate(std::size_t i) const;

  // ---- the questions
  // The exact fit test: the candidate lies inside the plate and clear of every part of the
  // layout except part `self`, when given (the candidate is then that part at a new pose).
  bool fits(const PlacedPart& candidate, std::optional<std::size_t> self = std::nullopt) const;
  // Part i fits where it stands among the others.
  bool fits(std::size_t i) const { return fits(parts_[i], i); }
  // Every hazard the candidate meets (skipping part `self`), stopping once the sum of
  // depths exceeds `bound`. Empty exactly when fits(candidate, self) passes.
  Collisions collisions(const PlacedPart& candidate,
                        double bound = std::numeric_limits<double>::infinity(),
                        std::optional<std::size_t> self = std::nullopt) const;
  // The hazards part i meets at the pose, the others standing where they are.
  Collisions collisionsAt(std::size_t i, const Pose& pose,
                          double bound = std::numeric_limits<double>::infinity()) const;

  // ---- save and restore: the poses of every part, bit for bit
  class Saved {
    friend class Layout;
    std::vector<PlacedPart> parts_;
  };
  Saved save() const;
  // Puts back what save gave, of this layout (the same parts in the same order).
  void restore(const Saved& saved);

 private:
  Plate plate_;
  BoundingBox plateRect_{};
  std::vector<PlacedPart> parts_;
};

// The hazard a candidate meets in the part `other`, if any: the parts' working outlines
// overlap (boxes closer than 1e-5 count as apart) and neither lies wholly in a hole of the
// other. `place` names the other part in the hazard.
std::optional<Hazard> partHazard(const PlacedPart& candidate, const PlacedPart& other,
                                 std::size_t place);
// The hazard of the plate's boundary, if the candidate's box is not inside the plate.
std::optional<Hazard> plateHazard(const PlacedPart& candidate, const BoundingBox& plate);

}  // namespace platenest
