// Paints the layout into an off-screen picture the size of the client area: background,
// plate outline, every part's true outline (and on request its working outline), and the
// free packing points, in the colours and order the operator knows.
#pragma once

#include <QColor>
#include <QImage>
#include <cstdint>
#include <vector>

#include "app/interaction.h"
#include "app/view_transform.h"

namespace platenest {

class Nester;

inline const QColor kBlackBackground(0, 0, 0);
inline const QColor kWhiteBackground(255, 255, 255);
inline const QColor kPlateColour(0, 0, 255);
inline const QColor kPartColour(0, 255, 0);
inline const QColor kTurnedOverColour(255, 255, 0);
// Yellow vanishes on white: parts turned over are drawn olive there.
inline const QColor kTurnedOverOnWhiteColour(160, 160, 0);
// The hatching of parts in the way (overlapping or across the plate's edge): neither the
// red of the selection nor the yellow of turned-over parts.
inline const QColor kInTheWayColour(255, 128, 0);
inline const QColor kSelectedColour(255, 0, 0);
inline const QColor kPackingPointColour(0, 0, 255);
inline const QColor kRotationCentreColour(255, 0, 0);
inline const QColor kSelectionBoxColour(255, 0, 255);
inline const QColor kZoomBoxColour(255, 255, 255);

struct ViewOptions {
  int backgroundIndex = 0;  // 0 black, 1 white
  bool showPackingPoints = true;
  bool showOffsetOutlines = false;
  // Parts hatched as in the way (ids), worked out after every change of poses.
  std::vector<std::int32_t> partsInTheWay;
};

// A picture of width x height pixels; without a nester only the background.
QImage paintLayout(int width, int height, const ViewTransform& view, const Nester* nester,
                   const ViewOptions& options);

// Draws the rotation centre's cross and the rubber bands over the picture, one pixel wide.
void paintGestureMarks(QImage& image, const GestureMarks& marks);

}  // namespace platenest
