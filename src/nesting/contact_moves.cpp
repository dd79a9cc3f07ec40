// Contact moves: slide a part along one axis until it touches another part or the plate
// edge, and the collision-tested drag that refuses any share of a move that would leave the
// plate or overlap another part.
//
// Every slide steps the same way: move by a step as long as the part still passes its
// test, take the last step back, halve the step, and go on from there until the step is
// shorter than 0.01 mm. The part ends at a passing position within 0.01 mm of the first
// failing one.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "nesting/grid_search.h"
#include "nesting/nester.h"
#include "nesting/overlap.h"

namespace platenest {

namespace {

// Below this step length the slide stops refining, mm.
constexpr double kFinestStep = 0.01;

struct Direction {
  double x;
  double y;
};
constexpr Direction kLeft{-1, 0};
constexpr Direction kRight{1, 0};
constexpr Direction kUp{0, 1};
constexpr Direction kDown{0, -1};

// Slides `part` along `u` while `passes` holds. `limit` is the distance after which the part
// can no longer meet what it slides towards; a slide that has gone further than that plus one
// first step ends where it is.
template <class Test>
void slide(PlacedPart& part, Direction u, double ppd, double limit, Test passes) {
  const double w = part.box().maxX - part.box().minX;
  const double h = part.box().maxY - part.box().minY;
  const double s = std::min(0.25 * std::min(w, h), ppd);
  // A step of zero (a part without width or height, or a PPD of zero) would never end,
  // and a negative one would slide the wrong way.
  if (!(s > 0) || !std::isfinite(s)) return;
  const double bound = std::max(limit, 0.0) + s;
  double dx = s * u.x;
  double dy = s * u.y;
  double travelled = 0;
  for (;;) {
    const double step = std::fabs(dx) + std::fabs(dy);
    for (;;) {
      part.translate(dx, dy);
      if (!passes()) break;
      travelled += step;
      if (travelled >= bound) return;
    }
    part.translate(-dx, -dy);
    if (std::fabs(dx) < kFinestStep && std::fabs(dy) < kFinestStep) return;
    dx /= 2;
    dy /= 2;
  }
}

// Beyond the rounding that stepping forth and back leaves on a coordinate, far below 1e-5.
constexpr double kDriftMargin = 1e-6;

// The parts other than `member` that a slide along u can bring it to meet: those whose boxes
// are not apart from its box swept along u without end. Across the slide the box keeps its
// extent across u bit for bit (adding 0 leaves a coordinate as it is) and moves only along u,
// coming back at most some ulps behind its start; every other part's box stays apart from the
// box at every step, so the fit test of the slide need not look at it.
BoundingBox sweptBox(const BoundingBox& box, Direction u) {
  constexpr double kEndless = std::numeric_limits<double>::infinity();
  if (u.x < 0) return {-kEndless, box.maxX + kDriftMargin, box.minY, box.maxY};
  if (u.x > 0) return {box.minX - kDriftMargin, kEndless, box.minY, box.maxY};
  if (u.y < 0) return {box.minX, box.maxX, -kEndless, box.maxY + kDriftMargin};
  if (u.y > 0) return {box.minX, box.maxX, box.minY - kDriftMargin, kEndless};
  return box;
}

std::vector<const PlacedPart*> partsInTheWay(const PartList& parts, const PlacedPart* member,
                                             const BoundingBox& box, Direction u) {
  const BoundingBox swept = sweptBox(box, u);
  std::vector<const PlacedPart*> inTheWay;
  for (const PlacedPart& part : parts) {
    if (&part != member && !boxesApart(swept, part.outer.box())) inTheWay.push_back(&part);
  }
  return inTheWay;
}

// The same among `candidates`, whose boxes lie side by side in `boxes`.
std::vector<const PlacedPart*> partsInTheWay(const std::vector<const PlacedPart*>& candidates,
                                             const std::vector<BoundingBox>& boxes,
                                             const PlacedPart* member, const BoundingBox& box,
                                             Direction u) {
  const BoundingBox swept = sweptBox(box, u);
  std::vector<const PlacedPart*> inTheWay;
  for (std::size_t n = 0; n < candidates.size(); ++n) {
    if (candidates[n] != member && !boxesApart(swept, boxes[n])) inTheWay.push_back(candidates[n]);
  }
  return inTheWay;
}

// The fit test of a slide; the validation build checks it against the test over every part.
bool slideFits(const Layout& layout, const PlacedPart& part,
               const std::vector<const PlacedPart*>& inTheWay, [[maybe_unused]] bool inList) {
  const bool fits = layout.fitsAmong(part, inTheWay);
#ifdef PLATENEST_VALIDATE
  if (fits != (inList ? layout.fitsAmongOthers(part) : layout.fits(part))) std::abort();
  layout.uncountFitTest();
#endif
  return fits;
}

// Slides `part` along u until it meets the plate's edge or a part of `inTheWay`; `inList`
// tells whether the part is itself one of the layout's parts.
void slideIntoContact(const Layout& layout, PlacedPart& part, Direction u,
                      const std::vector<const PlacedPart*>& inTheWay, bool inList) {
  const BoundingBox& plate = layout.plateRect();
  const double limit = u.x != 0 ? plate.maxX - plate.minX : plate.maxY - plate.minY;
  slide(part, u, layout.packingPointDistance(), limit,
        [&] { return slideFits(layout, part, inTheWay, inList); });
}

}  // namespace

// Slides tested against the plate pass only while the part is inside it, so they can never
// travel further than the plate is long or wide; the bound only matters if a step were lost
// to rounding far from the origin. Only the parts in the way are tested at each step.
void contactLeft(Layout& layout, PlacedPart& member) {
  slideIntoContact(layout, member, kLeft, partsInTheWay(layout.parts(), &member, member.outer.box(), kLeft),
                   true);
}

void contactRight(Layout& layout, PlacedPart& member) {
  slideIntoContact(layout, member, kRight, partsInTheWay(layout.parts(), &member, member.outer.box(), kRight),
                   true);
}

void contactUp(Layout& layout, PlacedPart& member) {
  slideIntoContact(layout, member, kUp, partsInTheWay(layout.parts(), &member, member.outer.box(), kUp),
                   true);
}

void contactDown(Layout& layout, PlacedPart& member) {
  slideIntoContact(layout, member, kDown, partsInTheWay(layout.parts(), &member, member.outer.box(), kDown),
                   true);
}

// Only the parts the search gathered can meet a part on the plate: every other part keeps so
// far beyond the plate's edges that its box is apart from any box on the plate.
void contactLeftAndDownAmong(Layout& layout, PlacedPart& member,
                             const std::vector<const PlacedPart*>& candidates,
                             const std::vector<BoundingBox>& boxes) {
  slideIntoContact(layout, member, kLeft,
                   partsInTheWay(candidates, boxes, &member, member.outer.box(), kLeft), true);
  slideIntoContact(layout, member, kDown,
                   partsInTheWay(candidates, boxes, &member, member.outer.box(), kDown), true);
}

void contactLeftCandidate(const Layout& layout, PlacedPart& candidate) {
  slideIntoContact(layout, candidate, kLeft,
                   partsInTheWay(layout.parts(), nullptr, candidate.outer.box(), kLeft), false);
}

void contactDownCandidate(const Layout& layout, PlacedPart& candidate) {
  slideIntoContact(layout, candidate, kDown,
                   partsInTheWay(layout.parts(), nullptr, candidate.outer.box(), kDown), false);
}

// The slides towards one other part ignore the plate, so only the other part could stop
// them: once the part's box has passed the other's box it can never meet it, and the slide
// ends there.
void slideLeftTo(const Layout& layout, PlacedPart& part, const PlacedPart& other) {
  slide(part, kLeft, layout.packingPointDistance(), part.box().maxX - other.box().minX,
        [&] { return part.isClearOf(other); });
}

void slideUpTo(const Layout& layout, PlacedPart& part, const PlacedPart& other) {
  slide(part, kUp, layout.packingPointDistance(), other.box().maxY - part.box().minY,
        [&] { return part.isClearOf(other); });
}

void slideDownTo(const Layout& layout, PlacedPart& part, const PlacedPart& other) {
  slide(part, kDown, layout.packingPointDistance(), part.box().maxY - other.box().minY,
        [&] { return part.isClearOf(other); });
}

void Nester::contactSelected(ContactDirection direction) {
  for (PlacedPart& part : parts) {
    if (!part.selected) continue;
    switch (direction) {
      case ContactDirection::kLeft:
        contactLeft(layout_, part);
        break;
      case ContactDirection::kRight:
        contactRight(layout_, part);
        break;
      case ContactDirection::kUp:
        contactUp(layout_, part);
        break;
      case ContactDirection::kDown:
        contactDown(layout_, part);
        break;
    }
  }
}

// The horizontal and the vertical share of a drag are accepted or refused on their own.
// A refused share restores the part from a copy, bit for bit.
void Nester::moveSelectedTested(double dx, double dy) {
  for (PlacedPart& part : parts) {
    if (!part.selected) continue;
    PlacedPart saved = part;
    part.translate(dx, 0);
    if (!fitsAmongOthers(part)) part = saved;
    saved = part;
    part.translate(0, dy);
    if (!fitsAmongOthers(part)) part = saved;
  }
}

}  // namespace platenest
