#include "app/interaction.h"

#include <algorithm>
#include <vector>

#include "nesting/nester.h"

namespace platenest {
std::vector<Point> selectedRefPoints(const Nester& nester) {
  std::vector<Point> points;
  for (const PlacedPart& part : nester.parts) {
    if (part.selected) points.push_back(part.refPoint);
  }
  return points;
}

bool samePlaces(const std::vector<Point>& a, const std::vector<Point>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const Point& p, const Point& q) { return p.x == q.x && p.y == q.y; });
}

const char* modeName(InteractionMode mode) {
  switch (mode) {
    case InteractionMode::kNone: return "none";
    case InteractionMode::kSelect: return "select";
    case InteractionMode::kPan: return "pan";
    case InteractionMode::kMove: return "move";
    case InteractionMode::kTestedMove: return "collision-tested move";
    case InteractionMode::kZoomWindow: return "zoom window";
    case InteractionMode::kRotate: return "rotate";
  }
  return "none";
}

void Interaction::leftButtonDown(Pixel at, bool shift) {
  if (host_.nester() == nullptr) return;
  const std::int32_t n = ++clickCount_;
  mousePos_ = at;
  ViewTransform& view = host_.view();
  switch (mode_) {
    case InteractionMode::kNone:
      clickCount_ = 0;
      break;
    case InteractionMode::kSelect:
      if (n == 1) {
        firstCorner_ = at;
        // A box starts only where the click found no part to toggle.
        secondCorner_ = at;
        bool picked = false;
        host_.edit([&](Nester& nester) { picked = nester.pickPart(view.pixelToWorld(at.x, at.y)); },
                   false);
        partPicked_ = picked;
        if (picked) clickCount_ = 0;
        host_.repaint();
      } else if (n == 2) {
        secondCorner_ = at;
        clickCount_ = 0;
        const Pixel a = firstCorner_;
        const Pixel b = secondCorner_;
        const Point topLeft = view.pixelToWorld(std::min(a.x, b.x), std::min(a.y, b.y));
        const Point bottomRight = view.pixelToWorld(std::max(a.x, b.x), std::max(a.y, b.y));
        BoundingBox rectangle;
        rectangle.minX = topLeft.x;
        rectangle.maxX = bottomRight.x;
        rectangle.minY = bottomRight.y;
        rectangle.maxY = topLeft.y;
        host_.edit([&](Nester& nester) { nester.selectInWindow(rectangle, b.x < a.x); }, false);
        host_.repaint();
      }
      break;
    case InteractionMode::kPan:
      if (n == 1) {
        anchor_ = at;
      } else if (n == 2) {
        view.pan(at.x - anchor_.x, at.y - anchor_.y);
        clickCount_ = 0;
        host_.repaint();
      }
      break;
    case InteractionMode::kMove:
    case InteractionMode::kTestedMove:
      if (n == 1) {
        anchor_ = at;
        moveEdited_ = false;
      } else if (n == 2) {
        moveBy(at, mode_ == InteractionMode::kTestedMove || shift);
        clickCount_ = 0;
        host_.repaint();
      }
      break;
    case InteractionMode::kZoomWindow:
      if (n == 1) {
        firstCorner_ = at;
        secondCorner_ = at;
      } else if (n == 2) {
        secondCorner_ = at;
        clickCount_ = 0;
        view.zoomWindow(firstCorner_.x, firstCorner_.y, secondCorner_.x, secondCorner_.y);
        host_.repaint();
      }
      break;
    case InteractionMode::kRotate:
      // Every click moves the centre; the count only grows until a reset.
      rotationPivotPixel_ = at;
      rotationPivot_ = view.pixelToWorld(at.x, at.y);
      host_.repaint();
      break;
  }
}

void Interaction::mouseMove(Pixel at, bool shift) {
  mousePos_ = at;
  if (host_.nester() == nullptr) return;
  switch (mode_) {
    case InteractionMode::kSelect:
      if (clickCount_ == 1 && !partPicked_) {
        secondCorner_ = at;
        host_.repaint();
      }
      break;
    case InteractionMode::kZoomWindow:
      if (clickCount_ == 1) {
        secondCorner_ = at;
        host_.repaint();
      }
      break;
    case InteractionMode::kPan:
      if (clickCount_ == 1) {
        host_.view().pan(at.x - anchor_.x, at.y - anchor_.y);
        anchor_ = at;
        host_.repaint();
      }
      break;
    case InteractionMode::kMove:
    case InteractionMode::kTestedMove:
      if (clickCount_ == 1) {
        // The first step of the gesture opens its undo step, the later ones join it.
        moveBy(at, mode_ == InteractionMode::kTestedMove || shift);
        host_.repaint();
      }
      break;
    case InteractionMode::kNone:
    case InteractionMode::kRotate:
      break;
  }
}

void Interaction::moveBy(Pixel to, bool tested) {
  const Point from = host_.view().pixelToWorld(anchor_.x, anchor_.y);
  const Point end = host_.view().pixelToWorld(to.x, to.y);
  const double dx = end.x - from.x;
  const double dy = end.y - from.y;
  anchor_ = to;
  if (dx == 0.0 && dy == 0.0) return;
  bool blocked = false;
  host_.edit(
      [&](Nester& nester) {
        if (!tested) {
          nester.moveSelected(dx, dy);
          return;
        }
        const std::vector<Point> before = selectedRefPoints(nester);
        nester.moveSelectedTested(dx, dy);
        blocked = !before.empty() && samePlaces(selectedRefPoints(nester), before);
      },
      moveEdited_);
  moveEdited_ = true;
  if (blocked) host_.moveBlocked();
}

void Interaction::wheel(Pixel at, int delta) {
  if (host_.nester() == nullptr || delta == 0) return;
  if (mode_ == InteractionMode::kRotate) {
    rotateStep(delta > 0);
    return;
  }
  ViewTransform& view = host_.view();
  const double scale =
      delta > 0 ? view.scale() * kWheelZoomFactor : view.scale() / kWheelZoomFactor;
  view.zoomAt(at.x, at.y, scale);
  host_.repaint();
}

void Interaction::rotateStep(bool counterclockwise) {
  if (host_.nester() == nullptr) return;
  const Point centre = rotationPivot_;
  const double angle = counterclockwise ? kRotationStep : -kRotationStep;
  host_.edit([&](Nester& nester) { nester.rotateSelected(centre, angle); }, false);
  host_.repaint();
}

void Interaction::setMode(InteractionMode mode, bool resetClicks) {
  mode_ = mode;
  if (resetClicks) clickCount_ = 0;
}

void Interaction::reset() {
  clickCount_ = 0;
  partPicked_ = false;
  rotationPivotPixel_ = Pixel{};
  rotationPivot_ = Point();
}

GestureMarks Interaction::marks() const {
  GestureMarks marks;
  if (mode_ == InteractionMode::kRotate) marks.rotationCentre = rotationPivotPixel_;
  if (mode_ == InteractionMode::kSelect && clickCount_ == 1 && !partPicked_) {
    marks.selectionBox = std::make_pair(firstCorner_, secondCorner_);
  }
  if (mode_ == InteractionMode::kZoomWindow && clickCount_ == 1) {
    marks.zoomBox = std::make_pair(firstCorner_, secondCorner_);
  }
  return marks;
}

}  // namespace platenest
