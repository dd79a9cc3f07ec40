// The parts export: one drawing per part with the grown polygons at the current pose, and
// part names that can never lead a file out of the output folder.
#include "output/parts_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "output_test_support.h"
#include "nesting/progress.h"
#include "support/fatal_error.h"
#include "support/gbk.h"

namespace platenest {
namespace {

using testing::DxfEntity;
using testing::readDxfEntities;
using testing::ScratchFolder;

std::set<std::string> filesIn(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    names.insert(std::filesystem::relative(entry.path(), folder).string());
  }
  return names;
}

std::vector<std::string> types(const std::vector<DxfEntity>& entities) {
  std::vector<std::string> result;
  for (const DxfEntity& entity : entities) result.push_back(entity.type + "@" + entity.layer());
  return result;
}

// A 100 x 100 square with a 40 x 40 hole, grown by a gap of 2 as the load flow grows it.
std::unique_ptr<Nester> squareWithHole() {
  auto nester = testing::makeNester(6000, 4000);
  nester->partGap = 2;
  testing::addRegions(*nester, {testing::region(0, "SQ-HOLE", testing::rectangleContour(0, 0, 100, 100),
                                                {testing::rectangleContour(30, 30, 70, 70)})});
  nester->parts.front().offset(1);
  return nester;
}

TEST(PartsExportTest, SquareWithHoleMatchesGoldenFile) {
  ScratchFolder scratch;
  const auto nester = squareWithHole();
  std::filesystem::create_directory(scratch / "parts");
  exportPartsDxf(*nester, scratch / "parts");
  EXPECT_EQ(filesIn(scratch / "parts"), std::set<std::string>{"SQ-HOLE.dxf"});
  testing::expectMatchesGolden(scratch / "parts" / "SQ-HOLE.dxf", "SQ-HOLE.dxf");
}

TEST(PartsExportTest, GrownOutlineHoleNameAndStartPoint) {
  ScratchFolder scratch;
  const auto nester = squareWithHole();
  exportPartsDxf(*nester, scratch.path());
  const auto entities = readDxfEntities(scratch / "SQ-HOLE.dxf");
  EXPECT_EQ(types(entities),
            (std::vector<std::string>{"LINE@0", "LINE@0", "LINE@0", "LINE@0", "LINE@0", "LINE@0",
                                      "LINE@0", "LINE@0", "TEXT@2", "POINT@0"}));
  // The grown square (offset 1 outward) and the shrunk hole, not the outline as read.
  std::set<double> outerX, holeX;
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(entities[i].value(" 62"), "");  // no colour in the parts export
    EXPECT_EQ(entities[i].value(" 30"), "0.0");
    auto& xs = i < 4 ? outerX : holeX;
    xs.insert(entities[i].number(" 10"));
    xs.insert(entities[i].number(" 11"));
  }
  EXPECT_EQ(outerX, (std::set<double>{-1, 101}));
  EXPECT_EQ(holeX, (std::set<double>{31, 69}));
  // Each polygon closes: the last edge ends where the first begins.
  for (int start : {0, 4}) {
    EXPECT_EQ(entities[start + 3].value(" 11"), entities[start].value(" 10"));
    EXPECT_EQ(entities[start + 3].value(" 21"), entities[start].value(" 20"));
  }
  const DxfEntity& text = entities[8];
  EXPECT_EQ(text.value("  1"), "SQ-HOLE");
  EXPECT_EQ(text.value(" 30"), "0");
  const DxfEntity& point = entities[9];
  EXPECT_EQ(point.value(" 10"), entities[0].value(" 10"));
  EXPECT_EQ(point.value(" 20"), entities[0].value(" 20"));
  EXPECT_EQ(point.value(" 30"), "0.0");
}

TEST(PartsExportTest, OneFilePerPartAtItsCurrentPose) {
  ScratchFolder scratch;
  auto nester = testing::makeNester(6000, 4000);
  testing::addRegions(*nester, {testing::region(0, "P1", testing::rectangleContour(0, 0, 10, 10)),
                                testing::region(1, "P2", testing::rectangleContour(0, 0, 20, 20)),
                                testing::region(2, "P3", testing::rectangleContour(0, 0, 30, 30))});
  testing::partNamed(*nester, "P2").translate(500, 250);
  exportPartsDxf(*nester, scratch.path());
  EXPECT_EQ(filesIn(scratch.path()), (std::set<std::string>{"P1.dxf", "P2.dxf", "P3.dxf"}));
  const std::vector<std::pair<std::string, std::set<double>>> expected = {
      {"P1", {0, 10}}, {"P2", {500, 520}}, {"P3", {0, 30}}};
  for (const auto& [name, xs] : expected) {
    SCOPED_TRACE(name);
    const auto entities = readDxfEntities(scratch / (name + ".dxf"));
    ASSERT_EQ(entities.size(), 6u);
    std::set<double> seen;
    for (int i = 0; i < 4; ++i) seen.insert(entities[i].number(" 10"));
    EXPECT_EQ(seen, xs);
    EXPECT_EQ(entities[4].value("  1"), name);
  }
}

TEST(PartsExportTest, SameNameGetsNumberedFilesInPartOrder) {
  ScratchFolder scratch;
  auto nester = testing::makeNester(6000, 4000);
  testing::addRegions(*nester, {testing::region(0, "TWIN", testing::rectangleContour(0, 0, 10, 10)),
                                testing::region(1, "TWIN", testing::rectangleContour(0, 0, 77, 10)),
                                testing::region(2, "empty text!", testing::rectangleContour(0, 0, 5, 5))});
  // A file of the job's own in the folder is never taken.
  testing::writeBytes(scratch / "empty text!.dxf", "input");
  const auto written = exportPartsDxf(*nester, scratch.path(), {scratch / "empty text!.dxf"});
  EXPECT_EQ(filesIn(scratch.path()),
            (std::set<std::string>{"TWIN.dxf", "TWIN (2).dxf", "empty text!.dxf",
                                   "empty text! (2).dxf"}));
  EXPECT_EQ(testing::readBytes(scratch / "empty text!.dxf"), "input");
  ASSERT_EQ(written.size(), 3u);
  int renamed = 0;
  for (const ExportedDrawing& drawing : written) renamed += drawing.renamed ? 1 : 0;
  EXPECT_EQ(renamed, 2);
  // Each file holds one part: the two widths are both there, one per file.
  std::set<double> widths;
  for (const char* name : {"TWIN.dxf", "TWIN (2).dxf"}) {
    const auto entities = readDxfEntities(scratch / name);
    ASSERT_EQ(entities.size(), 6u);
    double maxX = 0;
    for (int i = 0; i < 4; ++i) maxX = std::max(maxX, entities[i].number(" 10"));
    widths.insert(maxX);
  }
  EXPECT_EQ(widths, (std::set<double>{10, 77}));
}

// A stop asked for during the export ends it between two drawings: what is written is the
// first drawings of the full export, each byte for byte as the full export writes it.
TEST(PartsExportTest, AStopEndsTheExportBetweenWholeDrawings) {
  // Cancels once `after` drawings are written (0: cancelled before the export begins).
  class StopAfter : public Progress {
   public:
    explicit StopAfter(std::int64_t after) : after_(after) {
      if (after_ == 0) cancel();
    }
    void advance(std::int64_t done) override {
      if (done >= after_) cancel();
    }

   private:
    std::int64_t after_;
  };
  ScratchFolder scratch;
  auto nester = testing::makeNester(6000, 4000);
  testing::addRegions(*nester, {testing::region(0, "A", testing::rectangleContour(0, 0, 10, 10)),
                                testing::region(1, "B", testing::rectangleContour(0, 0, 20, 20)),
                                testing::region(2, "A", testing::rectangleContour(0, 0, 30, 30))});
  const std::filesystem::path whole = scratch / "whole";
  std::filesystem::create_directory(whole);
  const std::vector<ExportedDrawing> all = exportPartsDxf(*nester, whole);
  ASSERT_EQ(all.size(), 3u);
  for (std::int64_t after = 0; after <= 3; ++after) {
    SCOPED_TRACE(after);
    const std::filesystem::path folder = scratch / ("stopped" + std::to_string(after));
    std::filesystem::create_directory(folder);
    StopAfter stop(after);
    nester->progress = &stop;
    const std::vector<ExportedDrawing> written = exportPartsDxf(*nester, folder);
    nester->progress = nullptr;
    ASSERT_EQ(written.size(), static_cast<std::size_t>(after));
    std::set<std::string> expected;
    for (std::size_t i = 0; i < written.size(); ++i) {
      const std::string name = all[i].path.filename().string();
      EXPECT_EQ(written[i].path.filename().string(), name);
      EXPECT_EQ(testing::readBytes(written[i].path), testing::readBytes(all[i].path));
      expected.insert(name);
    }
    EXPECT_EQ(filesIn(folder), expected);
  }
}

// A name becomes a file name: separators, runs of dots, control characters and an empty
// name are replaced so that nothing is written outside the output folder.
TEST(PartsExportTest, SafeFileNames) {
  const std::string gbkWithBackslash = utf8ToGbk("嘰");  // second byte is 0x5C
  ASSERT_EQ(gbkWithBackslash.size(), 2u);
  ASSERT_EQ(gbkWithBackslash[1], '\\');
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"FLANGE-200", "FLANGE-200"},
      {"", "_"},
      {"a/b", "a_b"},
      {"a\\b", "a_b"},
      {"..", "__"},
      {"../../etc/passwd", "______etc_passwd"},
      {"v1.2", "v1.2"},
      {"a...b", "a___b"},
      {".", "."},
      {"tab\there\nnew\x7f", "tab_here_new_"},
      {"法兰 DN50", "法兰 DN50"},
      {gbkWithBackslash + "/x", gbkWithBackslash + "_x"},
      {utf8ToGbk("法兰") + "\\", utf8ToGbk("法兰") + "_"},
  };
  for (const auto& [name, safe] : cases) {
    EXPECT_EQ(safeFileName(name), safe) << "name: " << name;
  }
}

TEST(PartsExportTest, HostileNamesStayInTheOutputFolder) {
  ScratchFolder scratch;
  const auto folder = scratch / "out" / "parts";
  std::filesystem::create_directories(folder);
  auto nester = testing::makeNester(6000, 4000);
  testing::addRegions(*nester, {testing::region(0, "../escaped", testing::rectangleContour(0, 0, 1, 1)),
                                testing::region(1, "/tmp/x", testing::rectangleContour(0, 0, 1, 1)),
                                testing::region(2, "", testing::rectangleContour(0, 0, 1, 1))});
  exportPartsDxf(*nester, folder);
  EXPECT_EQ(filesIn(folder), (std::set<std::string>{"___escaped.dxf", "_tmp_x.dxf", "_.dxf"}));
  EXPECT_EQ(filesIn(scratch / "out"), (std::set<std::string>{"parts", "parts/___escaped.dxf",
                                                             "parts/_tmp_x.dxf", "parts/_.dxf"}));
}

TEST(PartsExportTest, UnwritableFolderIsFatal) {
  ScratchFolder scratch;
  const auto nester = squareWithHole();
  try {
    exportPartsDxf(*nester, scratch / "missing");
    FAIL() << "no error";
  } catch (const FatalError& error) {
    EXPECT_EQ(error.caption(), "Warning!");
    EXPECT_EQ(error.text(), "排样文件输出失败!");
  }
}

}  // namespace
}  // namespace platenest
