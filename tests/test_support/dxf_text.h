// DXF text made in code, as an ASCII DXF writes it: each group code right-aligned in a line
// of its own, then its value; numbers with every digit a double holds. Coordinates in
// millimetres, rectangles by their corners (minX, minY, maxX, maxY) as every shape maker.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace platenest::testing {

inline void dxfPair(std::string& out, int code, const std::string& value) {
  std::string codeText = std::to_string(code);
  out += std::string(codeText.size() < 3 ? 3 - codeText.size() : 0, ' ') + codeText + "\n";
  out += value + "\n";
}

inline std::string dxfNumber(double v) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", v);
  return buffer;
}

// Pairs given with their code lines as written ("  0", " 10").
inline std::string dxfPairs(const std::vector<std::pair<std::string, std::string>>& list) {
  std::string out;
  for (const auto& [code, value] : list) out += code + "\n" + value + "\n";
  return out;
}

// A LINE on layer CUT, its start point with its elevation.
inline std::string lineEntity(double x1, double y1, double x2, double y2) {
  return dxfPairs({{"  0", "LINE"},
                   {"  8", "CUT"},
                   {" 10", dxfNumber(x1)},
                   {" 20", dxfNumber(y1)},
                   {" 30", "0"},
                   {" 11", dxfNumber(x2)},
                   {" 21", dxfNumber(y2)}});
}

inline std::string circleEntity(double cx, double cy, double r) {
  return dxfPairs(
      {{"  0", "CIRCLE"}, {" 10", dxfNumber(cx)}, {" 20", dxfNumber(cy)}, {" 40", dxfNumber(r)}});
}

// Angles in degrees, counterclockwise from start to end.
inline std::string arcEntity(double cx, double cy, double r, double start, double end) {
  return dxfPairs({{"  0", "ARC"},
                   {" 10", dxfNumber(cx)},
                   {" 20", dxfNumber(cy)},
                   {" 40", dxfNumber(r)},
                   {" 50", dxfNumber(start)},
                   {" 51", dxfNumber(end)}});
}

// Four loose LINEs, counterclockwise from the lower-left corner.
inline std::string rectangleLines(double minX, double minY, double maxX, double maxY) {
  return lineEntity(minX, minY, maxX, minY) + lineEntity(maxX, minY, maxX, maxY) +
         lineEntity(maxX, maxY, minX, maxY) + lineEntity(minX, maxY, minX, minY);
}

// A drawing of these entities, after a BLOCKS section when `blocks` is not empty.
inline std::string dxfEntities(const std::string& entities, const std::string& blocks = "") {
  std::string out;
  if (!blocks.empty()) {
    dxfPair(out, 0, "SECTION");
    dxfPair(out, 2, "BLOCKS");
    out += blocks;
    dxfPair(out, 0, "ENDSEC");
  }
  dxfPair(out, 0, "SECTION");
  dxfPair(out, 2, "ENTITIES");
  out += entities;
  dxfPair(out, 0, "ENDSEC");
  dxfPair(out, 0, "EOF");
  return out;
}

}  // namespace platenest::testing
