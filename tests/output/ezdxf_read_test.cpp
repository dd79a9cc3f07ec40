// Every drawing the program writes must open in an independent DXF reader, as it would in a
// shop's CAD or CAM system: ezdxf reads the layout drawing and the part drawings of a small
// job, and the entities it finds by type, layer and colour must be those of the job.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "output/layout_dxf.h"
#include "output/parts_export.h"
#include "output_test_support.h"
#include "support/gbk.h"

namespace platenest {
namespace {

using testing::ScratchFolder;

// (type, layer, colour) -> count; colour 256 is "none given".
using EntityCounts = std::map<std::tuple<std::string, std::string, int>, int>;

struct ReadBack {
  std::map<std::string, EntityCounts> entities;           // per file
  std::map<std::string, std::vector<std::string>> texts;  // "layer:text" per file
};

// Runs the ezdxf reader over the files; empty when Python or ezdxf is missing.
std::optional<ReadBack> readWithEzdxf(const std::vector<std::filesystem::path>& files) {
  const std::string python = testing::findPython("ezdxf");
  if (python.empty()) return std::nullopt;
  std::string command = python + " " + testing::scriptPath("ezdxf_count.py");
  for (const auto& file : files) command += " '" + file.string() + "'";
  int status = 0;
  const std::string output = testing::runCommand(command + " 2>&1", status);
  EXPECT_EQ(status, 0) << output;
  ReadBack result;
  std::istringstream lines(output);
  std::string line;
  std::string file;
  while (std::getline(lines, line)) {
    std::vector<std::string> fields;
    std::istringstream split(line);
    std::string field;
    while (std::getline(split, field, '\t')) fields.push_back(field);
    if (fields.size() == 2 && fields[0] == "file") {
      file = std::filesystem::path(fields[1]).filename().string();
      result.entities[file];
    } else if (fields.size() == 5 && fields[0] == "entity") {
      result.entities[file][{fields[1], fields[2], std::stoi(fields[3])}] = std::stoi(fields[4]);
    } else if (fields.size() >= 2 && fields[0] == "text") {
      result.texts[file].push_back(fields[1] + ":" + (fields.size() > 2 ? fields[2] : ""));
    } else {
      ADD_FAILURE() << "unexpected reader output: " << line;
    }
  }
  return result;
}

// What the layout drawing of a job with regions must hold, counted from the job itself.
EntityCounts expectedLayout(const Nester& nester) {
  EntityCounts counts;
  counts[{"LINE", "0", 256}] = 4;
  counts[{"LINE", "3", 256}] = 1;
  counts[{"TEXT", "3", 256}] = 3;
  for (const Region& region : nester.regions) {
    const int colour = nester.parts.findById(region.id)->mirrored ? 2 : 3;
    std::vector<const Contour*> contours = {&region.outer};
    for (const Contour& hole : region.holes) contours.push_back(&hole);
    for (const Contour* contour : contours) {
      for (double radius : contour->radii) ++counts[{radius == 0 ? "LINE" : "ARC", "1", colour}];
    }
    ++counts[{"TEXT", "2", 256}];
  }
  return counts;
}

TEST(EzdxfReadTest, LayoutAndPartDrawingsOpenWithTheirEntities) {
  if (testing::findPython("ezdxf").empty()) GTEST_SKIP() << "python3 with ezdxf not found";
  ScratchFolder scratch;
  auto nester = testing::smallLayout(2);
  // A Chinese name, stored as the GBK bytes a reader would have read.
  const std::string flange = utf8ToGbk("法兰-DN200");
  for (Region& region : nester->regions) {
    if (region.label.text == "FLANGE") region.label.text = flange;
  }
  testing::partNamed(*nester, "FLANGE").label.text = flange;

  writeLayoutDxf(*nester, scratch / "layout.dxf");
  std::filesystem::create_directory(scratch / "parts");
  exportPartsDxf(*nester, scratch / "parts");

  std::vector<std::filesystem::path> files = {scratch / "layout.dxf"};
  std::map<std::string, EntityCounts> expected;
  expected["layout.dxf"] = expectedLayout(*nester);
  for (const PlacedPart& part : nester->parts) {
    const std::string name = safeFileName(part.label.text) + ".dxf";
    files.push_back(scratch / "parts" / name);
    EntityCounts& counts = expected[name];
    counts[{"LINE", "0", 256}] = part.outer.vertexCount();
    for (const Polygon& hole : part.holes) counts[{"LINE", "0", 256}] += hole.vertexCount();
    counts[{"TEXT", "2", 256}] = 1;
    counts[{"POINT", "0", 256}] = 1;
  }
  ASSERT_EQ(expected.size(), 5u);

  const auto read = readWithEzdxf(files);
  ASSERT_TRUE(read.has_value());
  for (const auto& [file, counts] : expected) {
    SCOPED_TRACE(displayName(file));
    ASSERT_EQ(read->entities.count(file), 1u);
    EXPECT_EQ(read->entities.at(file), counts);
  }
  // Names and summary texts come through as written, the Chinese name decoded from GBK.
  const std::vector<std::string> layoutTexts = {
      "2:法兰-DN200",
      "2:HALF",
      "2:BRACKET",
      "2:PARKED",
      "3:Length=6000 , Width=4000 ",
      "3:PackingLength=900  , MaterialUtilization=0.68 %",
      "3:Packed Parts Number=3,Packed Parts Area=24471.6"};
  EXPECT_EQ(read->texts.at("layout.dxf"), layoutTexts);
  EXPECT_EQ(read->texts.at(safeFileName(flange) + ".dxf"),
            std::vector<std::string>{"2:法兰-DN200"});
}

// Parts read from single-part drawings are drawn from their twins: straight edges only.
TEST(EzdxfReadTest, LayoutOfPartsWithoutRegionsOpens) {
  if (testing::findPython("ezdxf").empty()) GTEST_SKIP() << "python3 with ezdxf not found";
  ScratchFolder scratch;
  auto nester = testing::makeNester(3000, 1500);
  PlacedPart plate;
  PolygonList holes;
  holes.insertFront(Polygon({{40, 40}, {60, 40}, {60, 60}, {40, 60}}));
  plate.setGeometry(Polygon({{0, 0}, {200, 0}, {200, 100}, {0, 100}}), holes);
  plate.label.text = "PLATE";
  PlacedPart turned = plate;
  turned.id = 1;
  turned.label.text = "TURNED";
  testing::addPartsWithoutRegions(*nester, {plate, turned});
  testing::partNamed(*nester, "PLATE").translate(50, 50);
  PlacedPart& mirrored = testing::partNamed(*nester, "TURNED");
  mirrored.mirrorAt(mirrored.refPoint);
  mirrored.translate(400, 400);
  writeLayoutDxf(*nester, scratch / "layout.dxf");

  const auto read = readWithEzdxf({scratch / "layout.dxf"});
  ASSERT_TRUE(read.has_value());
  const EntityCounts expected = {{{"LINE", "0", 256}, 4}, {{"LINE", "1", 2}, 8},
                                 {{"LINE", "1", 3}, 8},   {{"LINE", "3", 256}, 1},
                                 {{"TEXT", "2", 256}, 2}, {{"TEXT", "3", 256}, 3}};
  EXPECT_EQ(read->entities.at("layout.dxf"), expected);
  EXPECT_EQ(read->texts.at("layout.dxf")[4],
            "3:Packed Parts Number=2,Packed Parts Area=" + formatG(2 * (20000.0 - 400)));
}

}  // namespace
}  // namespace platenest
