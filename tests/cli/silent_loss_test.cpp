// No part goes missing without a word: a job cut short is said to be, a job with no part
// writes nothing and fails, and --strict turns any rejected part into a failing status.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_runner.h"

namespace platenest::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kExamples = fs::path(PLATENEST_SOURCE_DIR) / "examples";
constexpr const char* kCutShort = "may be cut short";

std::string twoParts() {
  return textLibraryHeader(1000, 500, 10) + rectangleBlock("A", 0, 0, 300, 200) +
         rectangleBlock("B", 0, 0, 100, 50);
}

// The bytes before the last occurrence of `marker` (a copy cut where a download stopped).
std::string cutBefore(const std::string& bytes, const std::string& marker) {
  const std::size_t at = bytes.rfind(marker);
  EXPECT_NE(at, std::string::npos) << marker;
  return bytes.substr(0, at);
}

// A DXF list job over a copy of the bundled drawings, in the folder "parts".
void copyDxfJob(const CliFolder& scratch) {
  fs::create_directories(scratch / "parts");
  for (const auto& entry : fs::directory_iterator(kExamples / "dxf-parts")) {
    fs::copy_file(entry.path(), scratch / "parts" / entry.path().filename());
  }
  writeBytes(scratch / "job.txt",
            crlfLines({"PlateLength: 1000", "PlateWidth: 500", "PartToPartGap:5", "parts"}));
}

// ---- a file without its closing line loads as it is, with a warning naming it

TEST(CutShortFileTest, TextLibraryWithoutEndLineLoadsWithAWarning) {
  CliFolder scratch;
  writeBytes(scratch / "whole.txt", twoParts() + "#end\r\n");
  writeBytes(scratch / "cut.txt", twoParts());
  const CliRun whole = scratch.run({"check", "whole.txt", "--error-log", "log.txt"});
  ASSERT_EQ(whole.status, 0) << whole.err;
  EXPECT_EQ(whole.err.find(kCutShort), std::string::npos) << whole.err;

  const CliRun cut = scratch.run({"check", "cut.txt", "--error-log", "log.txt"});
  ASSERT_EQ(cut.status, 0) << cut.err;
  EXPECT_NE(cut.err.find("cut.txt has no closing \"#end\" line"), std::string::npos) << cut.err;
  EXPECT_NE(cut.err.find(kCutShort), std::string::npos) << cut.err;
  EXPECT_NE(cut.out.find("Parts: 2 loaded, 0 rejected"), std::string::npos) << cut.out;
}

TEST(CutShortFileTest, PartListWhoseLastEntryHasNoEndLineLoadsWithAWarning) {
  CliFolder scratch;
  const std::string whole = readBytes(kExamples / "shop-sheet.preSrc");
  writeBytes(scratch / "whole.preSrc", whole);
  writeBytes(scratch / "cut.preSrc", cutBefore(whole, "_end_"));
  const CliRun wholeRun = scratch.run({"check", "whole.preSrc", "--error-log", "log.txt"});
  ASSERT_EQ(wholeRun.status, 0) << wholeRun.err;
  EXPECT_EQ(wholeRun.err.find(kCutShort), std::string::npos) << wholeRun.err;

  const CliRun cut = scratch.run({"check", "cut.preSrc", "--error-log", "log.txt"});
  ASSERT_EQ(cut.status, 0) << cut.err;
  EXPECT_NE(cut.err.find("cut.preSrc has no closing \"_end_\" line"), std::string::npos)
      << cut.err;

  // An entry cut inside its point block is rejected, and the cut is still named.
  writeBytes(scratch / "cut-in-points.preSrc", cutBefore(cutBefore(whole, "_end_"), "\r\n"));
  const CliRun inPoints = scratch.run({"check", "cut-in-points.preSrc", "--error-log", "l"});
  ASSERT_EQ(inPoints.status, 0) << inPoints.err;
  EXPECT_NE(inPoints.err.find(kCutShort), std::string::npos) << inPoints.err;
}

TEST(CutShortFileTest, DrawingWithoutEofLoadsWithAWarningNamingIt) {
  CliFolder scratch;
  copyDxfJob(scratch);
  const CliRun whole = scratch.run({"check", "job.txt", "--type", "dxf-list", "--error-log", "l"});
  ASSERT_EQ(whole.status, 0) << whole.err;
  EXPECT_EQ(whole.err.find(kCutShort), std::string::npos) << whole.err;

  const fs::path drawing = scratch / "parts" / "hex-70.dxf";
  writeBytes(drawing, cutBefore(readBytes(drawing), "EOF"));
  const CliRun cut = scratch.run({"check", "job.txt", "--type", "dxf-list", "--error-log", "l"});
  ASSERT_EQ(cut.status, 0) << cut.err;
  EXPECT_NE(cut.err.find("hex-70.dxf has no closing \"EOF\" line"), std::string::npos) << cut.err;
  EXPECT_NE(cut.out.find("Parts: 8 loaded, 0 rejected"), std::string::npos) << cut.out;
}

// ---- a job from which no part loads fails and writes nothing

TEST(NoPartLoadedTest, FailsWithStatusOneAndKeepsThePreviousOutputs) {
  CliFolder scratch;
  writeBytes(scratch / "job.txt", textLibraryHeader(1000, 500, 0) + "NAME empty\r\n#end\r\n");
  writeBytes(scratch / "layout.dxf", "the previous good drawing");
  for (const std::string command : {"layout", "check", "reduce", "export-parts"}) {
    SCOPED_TRACE(command);
    const CliRun run =
        scratch.run({command, "job.txt", "--error-log", "log.txt", "--json", "j.json"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("no part could be loaded from "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("job.txt"), std::string::npos) << run.err;
    // The reason the one block was left out is still told.
    EXPECT_NE(run.out.find("empty"), std::string::npos) << run.out;
    EXPECT_EQ(scratch.fileNames(), (std::vector<std::string>{"job.txt", "layout.dxf", "log.txt"}));
    EXPECT_EQ(readBytes(scratch / "layout.dxf"), "the previous good drawing");
  }
}

// ---- --strict: a rejected part fails the command once the outputs are written

TEST(StrictTest, RejectedPartEndsWithStatusThreeAfterTheOutputs) {
  CliFolder scratch;
  writeBytes(scratch / "job.txt", twoParts() + "NAME hollow\r\n#end\r\n");
  const CliRun lenient = scratch.run({"layout", "job.txt", "--error-log", "log.txt", "-C", "a"});
  EXPECT_EQ(lenient.status, 0) << lenient.err;

  const CliRun strict =
      scratch.run({"layout", "job.txt", "--error-log", "log.txt", "-C", "b", "--strict"});
  EXPECT_EQ(strict.status, 3) << strict.err;
  EXPECT_NE(strict.err.find("1 part was rejected"), std::string::npos) << strict.err;
  EXPECT_EQ(readBytes(scratch / "b" / "layout.dxf"), readBytes(scratch / "a" / "layout.dxf"));
  EXPECT_TRUE(fs::exists(scratch / "b" / "Report.txt"));
}

TEST(StrictTest, JobWithEveryPartLoadedEndsWithStatusZero) {
  CliFolder scratch;
  writeBytes(scratch / "job.txt", twoParts() + "#end\r\n");
  const CliRun run = scratch.run({"check", "job.txt", "--error-log", "log.txt", "--strict"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
}

}  // namespace
}  // namespace platenest::testing
