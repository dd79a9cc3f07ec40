// Text part libraries written in code: NAME blocks as the shop's tools write them, numbers as
// %g, rectangles by their corners (minX, minY, maxX, maxY) as every shape maker.
#pragma once

#include <string>
#include <string_view>

#include "support/text_writer.h"

namespace platenest::testing {

// A NAME block of one straight-edged rectangle: the head line at the lower-left corner, the
// other corners counterclockwise, then the closing edge back to the first. Every line ends
// with `lineEnd` (the shop's files: CR LF).
inline std::string rectangleBlock(std::string_view name, double minX, double minY, double maxX,
                                  double maxY, std::string_view lineEnd = "\r\n") {
  std::string block = "NAME:" + std::string(name) + std::string(lineEnd);
  auto corner = [&](const char* head, double x, double y) {
    block += head;
    block += formatG(x) + " " + formatG(y);
    block += lineEnd;
  };
  corner("5 ", minX, minY);
  corner("0 ", maxX, minY);
  corner("0 ", maxX, maxY);
  corner("0 ", minX, maxY);
  corner("0 ", minX, minY);
  return block;
}

}  // namespace platenest::testing
