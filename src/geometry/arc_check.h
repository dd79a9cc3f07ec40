// Checks and repairs of arc edges whose radius cannot join their two end points; the
// findings go to the error report line by line.
#pragma once

#include "geometry/contour.h"
#include "geometry/region.h"
#include "support/text_writer.h"

namespace platenest {

bool checkArcs(const Contour& contour, double chordError, TextWriter& report);
bool checkArcReach(const Contour& contour, TextWriter& report);
// Enlarges |R| of each unreachable arc edge once by 0.1 mm; may change the radii.
bool repairArcs(Contour& contour, TextWriter& report);
// Outer first, then the holes; after the first failure writes "以上错误发生于零件:" + name.
bool validate(const Region& region, TextWriter& report);

}  // namespace platenest
