// The operator's gestures in the layout window: the interaction mode, the clicks of the
// current gesture and what each click, mouse move and wheel notch does to the view and the
// parts. Click to start, move, click to finish: no button is ever held. No window-system
// types: the window feeds it pixels and shows what it asks for, tests drive it directly.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/view_transform.h"
#include "geometry/point.h"

namespace platenest {

class Nester;

enum class InteractionMode { kNone, kSelect, kPan, kMove, kTestedMove, kZoomWindow, kRotate };

// "select", "collision-tested move", ...: for the status bar.
const char* modeName(InteractionMode mode);

// Where the selected parts stand (their reference points, in list order), to tell whether a
// tested or contact move moved anything.
std::vector<Point> selectedRefPoints(const Nester& nester);
bool samePlaces(const std::vector<Point>& a, const std::vector<Point>& b);

// 15° as the shop has always turned parts: π taken as 3.1415926.
inline constexpr double kRotationStep = 3.1415926 * 15 / 180;
inline constexpr double kWheelZoomFactor = 1.1;

// What the window does for the gestures.
class InteractionHost {
 public:
  virtual ~InteractionHost() = default;
  // The job, or null before the first load.
  virtual Nester* nester() = 0;
  virtual ViewTransform& view() = 0;
  virtual void repaint() = 0;
  // Runs a change of the parts' poses or selection. `continuesGesture` is true for the
  // second and later steps of one move gesture, which undo takes back as one.
  virtual void edit(const std::function<void(Nester&)>& change, bool continuesGesture) = 0;
  // A collision-tested move found every selected part blocked.
  virtual void moveBlocked() = 0;
};

// The rubber bands and the rotation centre the picture shows over the layout.
struct GestureMarks {
  std::optional<Pixel> rotationCentre;
  // First and current corner; dashed when the box runs right to left (a crossing box).
  std::optional<std::pair<Pixel, Pixel>> selectionBox;
  std::optional<std::pair<Pixel, Pixel>> zoomBox;
};

class Interaction {
 public:
  explicit Interaction(InteractionHost& host) : host_(host) {}

  void leftButtonDown(Pixel at, bool shift);
  void mouseMove(Pixel at, bool shift);
  // `delta` > 0: away from the operator.
  void wheel(Pixel at, int delta);

  // A mode chosen by key or button; `resetClicks` as that key or button does (S, Z and the
  // select buttons keep the count, so a next click may complete an old gesture).
  void setMode(InteractionMode mode, bool resetClicks);
  void resetClicks() { clickCount_ = 0; }
  // Keys A and C in rotate mode, the wheel in rotate mode: one step about the centre.
  void rotateStep(bool counterclockwise);
  // A new job: no gesture under way, the rotation centre back at its start.
  void reset();

  InteractionMode mode() const { return mode_; }
  std::int32_t clickCount() const { return clickCount_; }
  const Point& rotationPivot() const { return rotationPivot_; }
  GestureMarks marks() const;

 private:
  // Moves the selected parts by the drag from the anchor to `to`; the anchor follows.
  void moveBy(Pixel to, bool tested);

  InteractionHost& host_;
  InteractionMode mode_ = InteractionMode::kNone;
  std::int32_t clickCount_ = 0;
  Pixel mousePos_;
  Pixel firstCorner_;
  Pixel secondCorner_;
  Pixel anchor_;
  bool partPicked_ = false;
  bool moveEdited_ = false;  // the current move gesture has changed the parts already
  Pixel rotationPivotPixel_;
  Point rotationPivot_;
};

}  // namespace platenest
