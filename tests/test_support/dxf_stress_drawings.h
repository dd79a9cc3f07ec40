// Large and hostile DXF drawings made in memory, shared by the reader's limit tests and the
// reading benchmarks: many short lines in shuffled order, many circles, nested block inserts,
// long splines and thin ellipses. Coordinates in millimetres, group codes padded as CAD
// programs write them.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "test_support/dxf_text.h"

namespace platenest::testing {

inline void dxfLine(std::string& out, double x1, double y1, double x2, double y2,
                    const std::string& layer = "0") {
  dxfPair(out, 0, "LINE");
  dxfPair(out, 8, layer);
  dxfPair(out, 10, dxfNumber(x1));
  dxfPair(out, 20, dxfNumber(y1));
  dxfPair(out, 11, dxfNumber(x2));
  dxfPair(out, 21, dxfNumber(y2));
}

inline void dxfCircle(std::string& out, double x, double y, double r) {
  dxfPair(out, 0, "CIRCLE");
  dxfPair(out, 8, "0");
  dxfPair(out, 10, dxfNumber(x));
  dxfPair(out, 20, dxfNumber(y));
  dxfPair(out, 40, dxfNumber(r));
}

// The perimeter of a regular `count`-gon of sides `side` mm as loose lines in shuffled order,
// every other one drawn backwards: one outline that only a joiner finds.
inline std::string shuffledPolygonDrawing(std::size_t count, double side, unsigned seed = 7) {
  const double radius = side / (2 * std::sin(3.14159265358979323846 / count));
  std::vector<std::pair<double, double>> corners;
  for (std::size_t i = 0; i < count; ++i) {
    const double a = 2 * 3.14159265358979323846 * i / count;
    corners.emplace_back(radius * std::cos(a), radius * std::sin(a));
  }
  std::vector<std::size_t> order(count);
  for (std::size_t i = 0; i < count; ++i) order[i] = i;
  std::mt19937 random(seed);
  std::shuffle(order.begin(), order.end(), random);
  std::string entities;
  for (std::size_t k = 0; k < count; ++k) {
    const auto& p = corners[order[k]];
    const auto& q = corners[(order[k] + 1) % count];
    if (k % 2 == 0) {
      dxfLine(entities, p.first, p.second, q.first, q.second);
    } else {
      dxfLine(entities, q.first, q.second, p.first, p.second);
    }
  }
  return dxfEntities(entities);
}

// `count` circles of radius `radius` side by side on a row.
inline std::string circlesDrawing(std::size_t count, double radius) {
  std::string entities;
  for (std::size_t i = 0; i < count; ++i) {
    dxfCircle(entities, static_cast<double>(i) * (2 * radius + 1), 0, radius);
  }
  return dxfEntities(entities);
}

// `count` concentric circles from radius `radius` outwards, `step` mm apart: rings inside rings.
inline std::string concentricCirclesDrawing(std::size_t count, double radius, double step) {
  std::string entities;
  for (std::size_t i = 0; i < count; ++i) {
    dxfCircle(entities, 0, 0, radius + static_cast<double>(i) * step);
  }
  return dxfEntities(entities);
}

// `count` thin triangles around the origin, every one with a corner there: a fan of
// outlines that all meet at one point.
inline std::string fanDrawing(std::size_t count) {
  std::string entities;
  for (std::size_t i = 0; i < count; ++i) {
    const double a = 2 * 3.14159265358979323846 * static_cast<double>(i) / count;
    const double b = a + 3.14159265358979323846 / count;
    const double ax = 1000 * std::cos(a), ay = 1000 * std::sin(a);
    const double bx = 1000 * std::cos(b), by = 1000 * std::sin(b);
    dxfLine(entities, 0, 0, ax, ay);
    dxfLine(entities, ax, ay, bx, by);
    dxfLine(entities, bx, by, 0, 0);
  }
  return dxfEntities(entities);
}

// Block B0 is a 10 x 10 square of lines; block Bk inserts B(k-1) `copies` times side by
// side (or all in one place when not `spread`); model space inserts the deepest block once:
// copies^levels squares if expanded.
inline std::string insertBombDrawing(int levels, int copies, bool spread = true) {
  std::string blocks;
  const auto blockHead = [&](const std::string& name) {
    dxfPair(blocks, 0, "BLOCK");
    dxfPair(blocks, 8, "0");
    dxfPair(blocks, 2, name);
    dxfPair(blocks, 70, "0");
    dxfPair(blocks, 10, "0");
    dxfPair(blocks, 20, "0");
  };
  // Built by append: GCC 12 warns falsely about a literal joined to a temporary string.
  const auto blockName = [](int level) {
    std::string name = "B";
    name += std::to_string(level);
    return name;
  };
  blockHead("B0");
  dxfLine(blocks, 0, 0, 10, 0);
  dxfLine(blocks, 10, 0, 10, 10);
  dxfLine(blocks, 10, 10, 0, 10);
  dxfLine(blocks, 0, 10, 0, 0);
  dxfPair(blocks, 0, "ENDBLK");
  for (int level = 1; level <= levels; ++level) {
    blockHead(blockName(level));
    for (int c = 0; c < copies; ++c) {
      dxfPair(blocks, 0, "INSERT");
      dxfPair(blocks, 8, "0");
      dxfPair(blocks, 2, blockName(level - 1));
      dxfPair(blocks, 10, dxfNumber(spread ? c * std::pow(20.0, level) : 0.0));
      dxfPair(blocks, 20, "0");
    }
    dxfPair(blocks, 0, "ENDBLK");
  }
  std::string entities;
  dxfPair(entities, 0, "INSERT");
  dxfPair(entities, 8, "0");
  dxfPair(entities, 2, blockName(levels));
  dxfPair(entities, 10, "0");
  dxfPair(entities, 20, "0");
  return dxfEntities(entities, blocks);
}

// A closed cubic spline through `count` control points on a circle of radius `radius`, with
// a uniform knot vector; parameter spans of `knotStep`.
inline std::string splineDrawing(std::size_t count, double radius, double knotStep = 1.0) {
  std::string entities;
  dxfPair(entities, 0, "SPLINE");
  dxfPair(entities, 8, "0");
  dxfPair(entities, 70, "8");
  dxfPair(entities, 71, "3");
  const std::size_t points = count + 3;  // the first three repeat at the end: a closed curve
  dxfPair(entities, 72, std::to_string(points + 4));
  dxfPair(entities, 73, std::to_string(points));
  for (std::size_t k = 0; k < points + 4; ++k) {
    dxfPair(entities, 40, dxfNumber(static_cast<double>(k) * knotStep));
  }
  for (std::size_t i = 0; i < points; ++i) {
    const double a = 2 * 3.14159265358979323846 * static_cast<double>(i % count) / count;
    dxfPair(entities, 10, dxfNumber(radius * std::cos(a)));
    dxfPair(entities, 20, dxfNumber(radius * std::sin(a)));
    dxfPair(entities, 30, "0");
  }
  return dxfEntities(entities);
}

// A whole ellipse with the major half-axis `major` mm and the axis ratio `ratio`.
inline std::string ellipseDrawing(double major, double ratio) {
  std::string entities;
  dxfPair(entities, 0, "ELLIPSE");
  dxfPair(entities, 8, "0");
  dxfPair(entities, 10, "0");
  dxfPair(entities, 20, "0");
  dxfPair(entities, 11, dxfNumber(major));
  dxfPair(entities, 21, "0");
  dxfPair(entities, 40, dxfNumber(ratio));
  dxfPair(entities, 41, "0");
  dxfPair(entities, 42, dxfNumber(2 * 3.14159265358979323846));
  return dxfEntities(entities);
}

}  // namespace platenest::testing
