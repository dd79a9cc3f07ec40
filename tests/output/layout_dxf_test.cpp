// The layout drawing: golden file for a small job, the summary texts, colours by turnover,
// true outlines at the working pose, and jobs whose parts have no outline as read.
#include "output/layout_dxf.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "output_test_support.h"
#include "support/fatal_error.h"
#include "support/messages.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

using testing::crlfLines;
using testing::DxfEntity;
using testing::readBytes;
using testing::readDxfEntities;
using testing::ScratchFolder;

double netArea(const Nester& nester, const std::vector<std::string>& names) {
  double sum = 0.0;
  for (const PlacedPart& part : nester.parts) {
    for (const auto& name : names) {
      if (part.label.text == name) sum += nester.regions.findById(part.id)->area;
    }
  }
  return sum;
}

// The entities of each part: outline entities up to and including its name.
std::map<std::string, std::vector<DxfEntity>> entitiesByPart(
    const std::vector<DxfEntity>& entities) {
  std::map<std::string, std::vector<DxfEntity>> result;
  std::vector<DxfEntity> pending;
  for (const DxfEntity& entity : entities) {
    if (entity.layer() == "1") pending.push_back(entity);
    if (entity.type == "TEXT" && entity.layer() == "2") {
      result[entity.value("  1")] = std::move(pending);
      pending.clear();
    }
  }
  EXPECT_TRUE(pending.empty()) << "outline entities without a name after them";
  return result;
}

TEST(LayoutDxfTest, SmallJobMatchesGoldenFile) {
  ScratchFolder scratch;
  const auto nester = testing::smallLayout(2);
  writeLayoutDxf(*nester, scratch / "layout.dxf");
  testing::expectMatchesGolden(scratch / "layout.dxf", "layout.dxf");
}

TEST(LayoutDxfTest, FrameAndPlateOutlineOpenTheFile) {
  ScratchFolder scratch;
  const auto nester = testing::smallLayout(2);
  writeLayoutDxf(*nester, scratch / "layout.dxf");
  const std::vector<std::string> lines = crlfLines(readBytes(scratch / "layout.dxf"));
  ASSERT_GT(lines.size(), 22u);
  const std::vector<std::string> first21 = {
      "  0", "SECTION", "  2", "ENTITIES", "  0",  "LINE", "  8", "0",   " 10", "0",  " 20",
      "0",   " 30",     "0.0", " 11",      "6000", " 21",  "0",   " 31", "0.0", "  0"};
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 21), first21);
  EXPECT_EQ(lines[21], "LINE");

  const auto entities = readDxfEntities(scratch / "layout.dxf");
  ASSERT_GE(entities.size(), 4u);
  const double corners[5][2] = {{0, 0}, {6000, 0}, {6000, 4000}, {0, 4000}, {0, 0}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(entities[i].type, "LINE");
    EXPECT_EQ(entities[i].layer(), "0");
    EXPECT_EQ(entities[i].value(" 62"), "");
    EXPECT_EQ(entities[i].number(" 10"), corners[i][0]);
    EXPECT_EQ(entities[i].number(" 20"), corners[i][1]);
    EXPECT_EQ(entities[i].number(" 11"), corners[i + 1][0]);
    EXPECT_EQ(entities[i].number(" 21"), corners[i + 1][1]);
  }
}

TEST(LayoutDxfTest, PartsCarryColourByTurnoverAndKeepTheirArcs) {
  ScratchFolder scratch;
  const auto nester = testing::smallLayout(2);
  writeLayoutDxf(*nester, scratch / "layout.dxf");
  const auto byPart = entitiesByPart(readDxfEntities(scratch / "layout.dxf"));
  // name -> (straight edges, arcs, colour)
  struct Expected {
    int lines;
    int arcs;
    const char* colour;
  };
  const std::map<std::string, Expected> expected = {
      {"FLANGE", {4, 6, "3"}},
      {"HALF", {1, 1, "3"}},
      {"BRACKET", {6, 3, "2"}},
      {"PARKED", {3, 0, "3"}},
  };
  ASSERT_EQ(byPart.size(), expected.size());
  for (const auto& [name, want] : expected) {
    SCOPED_TRACE(name);
    ASSERT_EQ(byPart.count(name), 1u);
    int lines = 0;
    int arcs = 0;
    for (const DxfEntity& entity : byPart.at(name)) {
      lines += entity.type == "LINE";
      arcs += entity.type == "ARC";
      EXPECT_EQ(entity.value(" 62"), want.colour);
    }
    EXPECT_EQ(lines, want.lines);
    EXPECT_EQ(arcs, want.arcs);
  }
  // The radius-5 edge between points 10 apart: one half circle, exactly.
  const DxfEntity& halfArc = byPart.at("HALF")[1];
  ASSERT_EQ(halfArc.type, "ARC");
  EXPECT_EQ(halfArc.number(" 40"), 5);
  EXPECT_EQ(halfArc.number(" 51") - halfArc.number(" 50"), 180);
  // Six significant digits: the parked part's far vertex.
  EXPECT_EQ(byPart.at("PARKED")[0].value(" 11"), "12345.7");
}

// Every drawn end point lies in the working part's box (no gap here, so the true outline
// and the engine's polygons coincide), whatever the part was turned or turned over.
TEST(LayoutDxfTest, TrueOutlinesStandWhereTheWorkingPartsStand) {
  ScratchFolder scratch;
  const auto nester = testing::smallLayout(0);
  writeLayoutDxf(*nester, scratch / "layout.dxf");
  const auto byPart = entitiesByPart(readDxfEntities(scratch / "layout.dxf"));
  for (const PlacedPart& part : nester->parts) {
    SCOPED_TRACE(part.label.text);
    const BoundingBox& box = part.box();
    BoundingBox seen{1e300, -1e300, 1e300, -1e300};
    // Numbers in the file keep six significant digits.
    auto slack = [](double v) { return 5e-6 * std::max(1.0, std::abs(v)); };
    auto see = [&](double x, double y) {
      EXPECT_GE(x, box.minX - slack(x));
      EXPECT_LE(x, box.maxX + slack(x));
      EXPECT_GE(y, box.minY - slack(y));
      EXPECT_LE(y, box.maxY + slack(y));
      seen = {std::min(seen.minX, x), std::max(seen.maxX, x), std::min(seen.minY, y),
              std::max(seen.maxY, y)};
    };
    for (const DxfEntity& entity : byPart.at(part.label.text)) {
      if (entity.type == "LINE") {
        see(entity.number(" 10"), entity.number(" 20"));
        see(entity.number(" 11"), entity.number(" 21"));
      } else {
        const double cx = entity.number(" 10");
        const double cy = entity.number(" 20");
        const double r = entity.number(" 40");
        for (const char* code : {" 50", " 51"}) {
          const double a = entity.number(code) / 180 * kPi;
          see(cx + r * std::cos(a), cy + r * std::sin(a));
        }
      }
    }
    if (part.label.text == "FLANGE" || part.label.text == "BRACKET") {
      // Their extremes are straight edges: the drawing reaches the box on every side.
      EXPECT_NEAR(seen.minX, box.minX, 1e-3);
      EXPECT_NEAR(seen.maxX, box.maxX, 1e-3);
      EXPECT_NEAR(seen.minY, box.minY, 1e-3);
      EXPECT_NEAR(seen.maxY, box.maxY, 1e-3);
    }
  }
}

std::vector<DxfEntity> summaryEntities(const std::vector<DxfEntity>& entities) {
  std::vector<DxfEntity> result;
  for (const DxfEntity& entity : entities) {
    if (entity.layer() == "3") result.push_back(entity);
  }
  return result;
}

TEST(LayoutDxfTest, SummaryCountsOnlyPartsOnThePlate) {
  ScratchFolder scratch;
  const auto nester = testing::smallLayout(2);
  writeLayoutDxf(*nester, scratch / "layout.dxf");
  const auto summary = summaryEntities(readDxfEntities(scratch / "layout.dxf"));
  ASSERT_EQ(summary.size(), 4u);
  // The flange, moved without turning, ends furthest right: its true outline at x = 900.
  EXPECT_EQ(summary[0].type, "LINE");
  EXPECT_EQ(summary[0].value(" 10"), "900");
  EXPECT_EQ(summary[0].value(" 20"), "4000");
  EXPECT_EQ(summary[0].value(" 11"), "900");
  EXPECT_EQ(summary[0].value(" 21"), "0");

  const double area = netArea(*nester, {"FLANGE", "HALF", "BRACKET"});
  struct Text {
    const char* x;
    const char* y;
    std::string text;
  };
  const std::vector<Text> texts = {
      {"6000", "4000", "Length=6000 , Width=4000 "},
      {"900", "3840",
       formatC("PackingLength=900  , MaterialUtilization=%-5.2f%%", area / (900.0 * 4000) * 100)},
      {"900", "3680", formatC("Packed Parts Number=3,Packed Parts Area=%g", area)},
  };
  for (std::size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE(i);
    const DxfEntity& text = summary[i + 1];
    EXPECT_EQ(text.type, "TEXT");
    EXPECT_EQ(text.value(" 10"), texts[i].x);
    EXPECT_EQ(text.value(" 20"), texts[i].y);
    EXPECT_EQ(text.value(" 30"), "0");
    EXPECT_EQ(text.value(" 40"), "80");
    EXPECT_EQ(text.value("  1"), texts[i].text);
    EXPECT_EQ(text.value(" 50"), "0");
  }
  EXPECT_EQ(summary[2].value("  1").substr(0, 41), "PackingLength=900  , MaterialUtilization=");
}

TEST(LayoutDxfTest, NothingOnThePlateLeavesUtilisationUnknown) {
  ScratchFolder scratch;
  auto nester = testing::makeNester(2500, 1250);
  testing::addRegions(*nester, testing::smallJob());
  for (PlacedPart& part : nester->parts) part.translate(3000, -500);  // parked
  writeLayoutDxf(*nester, scratch / "layout.dxf");
  const auto entities = readDxfEntities(scratch / "layout.dxf");
  const auto summary = summaryEntities(entities);
  ASSERT_EQ(summary.size(), 4u);
  EXPECT_EQ(summary[0].value(" 10"), "0");
  EXPECT_EQ(summary[0].value(" 20"), "1250");
  EXPECT_EQ(summary[0].value(" 11"), "0");
  EXPECT_EQ(summary[0].value(" 21"), "0");
  EXPECT_EQ(summary[1].value("  1"), "Length=2500 , Width=1250 ");
  EXPECT_EQ(summary[2].value("  1"), "PackingLength=0    , MaterialUtilization Unknown");
  EXPECT_EQ(summary[2].value(" 20"), "1200");
  EXPECT_EQ(summary[3].value("  1"), "Packed Parts Number=0,Packed Parts Area=0");
  EXPECT_EQ(summary[3].value(" 20"), "1150");
  // Parked parts are still drawn.
  EXPECT_EQ(entitiesByPart(entities).size(), 4u);
}

// Parts read from single-part drawings have no outline as read: they are drawn from their
// loaded twins at the working pose (straight edges, colour by turnover) and counted with
// the twins' area and extent, never with the grown working polygons.
TEST(LayoutDxfTest, PartsWithoutRegionsAreDrawnAndCountedFromTheirTwins) {
  ScratchFolder scratch;
  auto nester = testing::makeNester(3000, 1500);
  auto polygonPart = [](std::int32_t id, const std::string& name, std::vector<Point> outer,
                        std::vector<std::vector<Point>> holes) {
    PolygonList holeList;
    for (auto& hole : holes) holeList.insertFront(Polygon(hole));
    PlacedPart part;
    part.setGeometry(Polygon(std::move(outer)), holeList);
    part.id = id;
    part.label.text = name;
    part.label.height = 12;
    return part;
  };
  testing::addPartsWithoutRegions(
      *nester, {polygonPart(0, "PLATE-A", {{0, 0}, {300, 0}, {300, 200}, {0, 200}},
                            {{{50, 50}, {100, 50}, {100, 100}, {50, 100}}}),
                polygonPart(1, "GUSSET", {{0, 0}, {150, 0}, {0, 150}}, {}),
                polygonPart(2, "SPARE", {{0, 0}, {80, 0}, {80, 80}, {0, 80}}, {})});
  for (PlacedPart& part : nester->parts) part.offset(2.5);
  testing::partNamed(*nester, "PLATE-A").translate(10, 10);
  PlacedPart& gusset = testing::partNamed(*nester, "GUSSET");
  gusset.mirrorAt(gusset.refPoint);
  gusset.translate(500, 400);
  testing::partNamed(*nester, "SPARE").translate(3100, 0);  // beside the plate

  RecordingMessageSink sink;
  ScopedMessageSink guard(&sink);
  writeLayoutDxf(*nester, scratch / "layout.dxf");
  EXPECT_TRUE(sink.messages().empty());
  const auto entities = readDxfEntities(scratch / "layout.dxf");
  const auto byPart = entitiesByPart(entities);
  ASSERT_EQ(byPart.size(), 3u);
  const std::map<std::string, std::pair<std::size_t, const char*>> expected = {
      {"PLATE-A", {8, "3"}}, {"GUSSET", {3, "2"}}, {"SPARE", {4, "3"}}};
  for (const auto& [name, want] : expected) {
    SCOPED_TRACE(name);
    ASSERT_EQ(byPart.at(name).size(), want.first);
    for (const DxfEntity& entity : byPart.at(name)) {
      EXPECT_EQ(entity.type, "LINE");
      EXPECT_EQ(entity.value(" 62"), want.second);
    }
  }
  // The true outline: the plate part's first edge runs from (10, 10) to (310, 10), not along
  // the grown outline 2.5 mm further out.
  const DxfEntity& first = byPart.at("PLATE-A")[0];
  EXPECT_EQ(first.value(" 10"), "10");
  EXPECT_EQ(first.value(" 20"), "10");
  EXPECT_EQ(first.value(" 11"), "310");
  EXPECT_EQ(first.value(" 21"), "10");

  const auto summary = summaryEntities(entities);
  ASSERT_EQ(summary.size(), 4u);
  EXPECT_EQ(summary[0].value(" 10"), "650");  // the turned-over gusset ends at x = 650
  EXPECT_EQ(summary[3].value("  1"),
            formatC("Packed Parts Number=2,Packed Parts Area=%g", 300.0 * 200 - 2500 + 11250));
}

TEST(LayoutDxfTest, UnwritablePathIsFatal) {
  ScratchFolder scratch;
  const auto nester = testing::smallLayout(0);
  const auto path = scratch / "missing-folder" / "layout.dxf";
  try {
    writeLayoutDxf(*nester, path);
    FAIL() << "no error";
  } catch (const FatalError& error) {
    EXPECT_EQ(error.channel(), FatalChannel::kMessageBox);
    EXPECT_EQ(error.caption(), "Warning!");
    EXPECT_EQ(error.text(), "排样文件输出失败!");
  }
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace platenest
