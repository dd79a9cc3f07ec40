// Helpers shared by the output tests: a scratch folder, small jobs built in code, reading
// files back as bytes, and finding a Python interpreter for the independent readers.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "external_tools.h"
#include "test_support/scratch_folder.h"
#include "test_support/shape_makers.h"
#include "geometry/contour.h"
#include "geometry/region.h"
#include "nesting/nester.h"
#include "job/placed_part.h"

namespace platenest::testing {

// Splits at CR LF; fails the test on a bare LF or CR.
inline std::vector<std::string> crlfLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "text after the last CR LF: " << bytes.substr(start);
      break;
    }
    const std::string line = bytes.substr(start, end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "bare line end in: " << line;
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

inline std::filesystem::path goldenPath(const std::string& name) {
  return std::filesystem::path(PLATENEST_SOURCE_DIR) / "tests" / "output" / "golden" / name;
}

// Compares a written file with its golden copy byte for byte. With PLATENEST_UPDATE_GOLDEN
// set, rewrites the golden copy instead (review the diff before committing it).
inline void expectMatchesGolden(const std::filesystem::path& written, const std::string& name) {
  const std::string actual = readBytes(written);
  if (std::getenv("PLATENEST_UPDATE_GOLDEN") != nullptr) {
    std::filesystem::create_directories(goldenPath(name).parent_path());
    std::ofstream(goldenPath(name), std::ios::binary) << actual;
    return;
  }
  const std::string expected = readBytes(goldenPath(name));
  ASSERT_FALSE(expected.empty()) << "missing golden file " << goldenPath(name);
  if (actual == expected) return;
  const std::vector<std::string> a = crlfLines(actual);
  const std::vector<std::string> e = crlfLines(expected);
  for (std::size_t i = 0; i < std::min(a.size(), e.size()); ++i) {
    if (a[i] != e[i]) {
      ADD_FAILURE() << name << ": first difference at line " << i + 1 << ": wrote \"" << a[i]
                    << "\", expected \"" << e[i] << "\"";
      return;
    }
  }
  ADD_FAILURE() << name << ": wrote " << a.size() << " lines, expected " << e.size();
}

// A contour from (x, y, radius-of-the-edge-that-follows) triples.
inline Contour contour(const std::vector<std::vector<double>>& vertices) {
  Contour result;
  for (const auto& v : vertices) {
    result.vertices.emplace_back(v[0], v[1]);
    result.radii.push_back(v.size() > 2 ? v[2] : 0.0);
  }
  return result;
}

inline Region region(std::int32_t id, const std::string& name, const Contour& outer,
                     const std::vector<Contour>& holes = {}) {
  ContourList holeList;
  // Front insertion: list them so that iteration gives the order written here.
  for (auto it = holes.rbegin(); it != holes.rend(); ++it) holeList.push_front(*it);
  Region result;
  result.setGeometry(outer, holeList);
  result.id = id;
  result.label.text = name;
  return result;
}

// An empty nester on a plate of the given size.
inline std::unique_ptr<Nester> makeNester(double length, double width) {
  auto nester = std::make_unique<Nester>();
  Plate plate;
  plate.setSize(length, width);
  nester->setPlate(plate);
  return nester;
}

// Adds regions as the load flow does: working parts in the given order, loaded twins
// copied before any move, regions kept for drawing.
inline void addRegions(Nester& nester, const std::vector<Region>& regions) {
  for (auto it = regions.rbegin(); it != regions.rend(); ++it) {
    nester.regions.insertFront(*it);
    nester.parts.insertFront(toPlacedPart(*it));
  }
  nester.loadedParts.assignFrom(nester.parts);
}

// Adds parts without regions, as the DXF list reader delivers them.
inline void addPartsWithoutRegions(Nester& nester, const std::vector<PlacedPart>& parts) {
  for (auto it = parts.rbegin(); it != parts.rend(); ++it) nester.parts.insertFront(*it);
  nester.loadedParts.assignFrom(nester.parts);
}

inline PlacedPart& partNamed(Nester& nester, const std::string& name) {
  for (PlacedPart& part : nester.parts) {
    if (part.label.text == name) return part;
  }
  ADD_FAILURE() << "no part " << name;
  return nester.parts.front();
}

inline std::string scriptPath(const std::string& name) {
  return (std::filesystem::path(PLATENEST_SOURCE_DIR) / "tests" / "output" / name).string();
}

}  // namespace platenest::testing

namespace platenest::testing {

// One DXF entity as read back: its type and its group values in file order.
struct DxfEntity {
  std::string type;
  std::vector<std::pair<std::string, std::string>> groups;

  // The first value of a group code ("  8", " 10", ...), or empty.
  std::string value(const std::string& code) const {
    for (const auto& [c, v] : groups) {
      if (c == code) return v;
    }
    return {};
  }
  double number(const std::string& code) const { return std::stod(value(code)); }
  std::string layer() const { return value("  8"); }
};

// The entities between "ENTITIES" and "ENDSEC"; checks the frame on the way.
inline std::vector<DxfEntity> readDxfEntities(const std::filesystem::path& path) {
  const std::vector<std::string> lines = crlfLines(readBytes(path));
  std::vector<DxfEntity> entities;
  const std::vector<std::string> opening = {"  0", "SECTION", "  2", "ENTITIES", "  0"};
  if (lines.size() < 8 || !std::equal(opening.begin(), opening.end(), lines.begin())) {
    ADD_FAILURE() << path << ": no ENTITIES section at the start";
    return entities;
  }
  const std::vector<std::string> closing = {"ENDSEC", "  0", "EOF"};
  if (!std::equal(closing.begin(), closing.end(), lines.end() - 3)) {
    ADD_FAILURE() << path << ": does not end with ENDSEC, EOF";
    return entities;
  }
  std::size_t i = 5;
  while (i < lines.size() - 3) {
    DxfEntity entity;
    entity.type = lines[i++];
    while (i + 1 < lines.size() && lines[i] != "  0") {
      entity.groups.emplace_back(lines[i], lines[i + 1]);
      i += 2;
    }
    ++i;  // the "  0" that introduces what follows
    entities.push_back(std::move(entity));
  }
  return entities;
}

// A flange with a centre bore and two bolt holes, a half disc, an L bracket with an inside
// fillet and a bolt hole, and a part left parked beyond the plate.
inline std::vector<Region> smallJob() {
  return {
      region(0, "FLANGE", rectangleContour(0, 0, 200, 100),
             {contour({{80, 50, 20}, {120, 50, 20}}), contour({{15, 50, 5}, {25, 50, 5}}),
              contour({{175, 50, 5}, {185, 50, 5}})}),
      region(1, "HALF", contour({{0, 0, 0}, {10, 0, 5}})),
      region(2, "BRACKET",
             contour({{0, 0}, {120, 0}, {120, 30}, {40, 30, -10}, {30, 40}, {30, 100}, {0, 100}}),
             {contour({{9, 85, 6}, {21, 85, 6}})}),
      region(3, "PARKED", contour({{12000, 0}, {12345.678, 0}, {12000, 300}})),
  };
}

// Lays the first three parts out by hand; the fourth stays beyond the plate. With a gap the
// working parts are grown as the load flow grows them; the drawing must not show that.
inline std::unique_ptr<Nester> smallLayout(double gap) {
  auto nester = makeNester(6000, 4000);
  addRegions(*nester, smallJob());
  for (PlacedPart& part : nester->parts) part.offset(gap * 0.5);
  PlacedPart& flange = partNamed(*nester, "FLANGE");
  flange.translate(700, 100);
  PlacedPart& half = partNamed(*nester, "HALF");
  half.rotateAbout(half.refPoint, kPi / 2);
  half.translate(100, 100);
  PlacedPart& bracket = partNamed(*nester, "BRACKET");
  bracket.mirrorAt(bracket.refPoint);
  bracket.rotateAbout(bracket.refPoint, kPi / 2);
  bracket.translate(300, 300);
  return nester;
}

}  // namespace platenest::testing
