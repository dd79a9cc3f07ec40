// No command writes over a file its job is read from, and every part drawing exported is a
// file of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_runner.h"

namespace platenest::testing {
namespace {

namespace fs = std::filesystem;

std::string smallJob() {
  return textLibraryHeader(1000, 500, 10) + rectangleBlock("A", 0, 0, 300, 200) +
         rectangleBlock("B", 0, 0, 100, 50) + "#end\r\n";
}

TEST(InputProtectionTest, OutputNamingTheJobIsRefusedWithStatusTwoBeforeAnythingIsWritten) {
  const std::vector<std::vector<std::string>> cases = {
      {"layout", "job.txt", "--dxf", "job.txt"},
      {"layout", "job.txt", "--report", "job.txt"},
      {"layout", "job.txt", "--svg", "job.txt"},
      {"layout", "job.txt", "--json", "./sub/../job.txt"},
      {"check", "job.txt", "--error-log", "job.txt"},
      {"check", "job.txt", "--json", "link.txt"},           // a link to the job
      {"layout", "out/Report.txt", "-C", "out"},            // the default report name
      {"reduce", "out/DetailsReport.txt", "-C", "out"},
  };
  for (const std::vector<std::string>& arguments : cases) {
    CliFolder scratch;
    fs::create_directories(scratch / "sub");
    fs::create_directories(scratch / "out");
    writeBytes(scratch / "job.txt", smallJob());
    writeBytes(scratch / "out" / "Report.txt", smallJob());
    writeBytes(scratch / "out" / "DetailsReport.txt", smallJob());
    fs::create_symlink(scratch / "job.txt", scratch / "link.txt");
    std::vector<std::string> withLog = arguments;
    if (arguments[2] != "--error-log") withLog.insert(withLog.end(), {"--error-log", "log.txt"});
    const CliRun run = scratch.run(withLog);
    EXPECT_EQ(run.status, 2) << arguments[2] << run.err;
    EXPECT_NE(run.err.find("which the job is read from"), std::string::npos) << run.err;
    EXPECT_EQ(readBytes(scratch / "job.txt"), smallJob());
    EXPECT_EQ(readBytes(scratch / "out" / "Report.txt"), smallJob());
    EXPECT_EQ(readBytes(scratch / "out" / "DetailsReport.txt"), smallJob());
    EXPECT_FALSE(fs::exists(scratch / "log.txt")) << arguments[2];
    EXPECT_FALSE(fs::exists(scratch / "layout.dxf")) << arguments[2];
  }
}

TEST(InputProtectionTest, PartsWithEqualNamesGetFilesOfTheirOwnAndTheCountIsWhatWasWritten) {
  CliFolder scratch;
  writeBytes(scratch / "job.txt", textLibraryHeader(1000, 500, 10) + rectangleBlock("A", 0, 0, 300, 200) +
                                     rectangleBlock("A", 0, 0, 100, 50) + rectangleBlock("A", 0, 0, 60, 50) +
                                     rectangleBlock("B", 0, 0, 100, 50) + "#end\r\n");
  const CliRun run =
      scratch.run({"export-parts", "job.txt", "-C", "parts", "--error-log", "log.txt"});
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(scratch / "parts")) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"A (2).dxf", "A (3).dxf", "A.dxf", "B.dxf"}));
  EXPECT_NE(run.out.find("Wrote 4 part drawings"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("A (2).dxf"), std::string::npos) << run.out;
}

TEST(InputProtectionTest, ExportIntoTheDrawingsFolderLeavesTheDrawingsAsTheyWere) {
  CliFolder scratch;
  const fs::path examples = fs::path(PLATENEST_SOURCE_DIR) / "examples";
  fs::copy(examples / "dxf-job.txt", scratch / "dxf-job.txt");
  fs::copy(examples / "dxf-parts", scratch / "dxf-parts");
  // A drawing named as the part it holds: the export must not replace it.
  fs::rename(scratch / "dxf-parts" / "flange-a.dxf", scratch / "dxf-parts" / "FLANGE-A.dxf");
  const std::string drawing = readBytes(scratch / "dxf-parts" / "FLANGE-A.dxf");
  const CliRun run = scratch.run(
      {"export-parts", "dxf-job.txt", "-C", "dxf-parts", "--error-log", "log.txt"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(readBytes(scratch / "dxf-parts" / "FLANGE-A.dxf"), drawing);
  EXPECT_TRUE(fs::exists(scratch / "dxf-parts" / "FLANGE-A (2).dxf"));
  EXPECT_NE(run.out.find("Wrote 8 part drawings"), std::string::npos) << run.out;
}

// The reduction's step drawings are named after the plate sizes tried, known only during the
// run: one named as an input drawing of the job wrote over it, and the next load read it.
TEST(InputProtectionTest, ReductionIntoTheDrawingsFolderLeavesTheDrawingsAsTheyWere) {
  CliFolder scratch;
  const fs::path examples = fs::path(PLATENEST_SOURCE_DIR) / "examples";
  fs::copy(examples / "dxf-job.txt", scratch / "dxf-job.txt");
  fs::copy(examples / "dxf-parts", scratch / "dxf-parts");
  // The example plate is 1000 x 500: the first size the reduction tries.
  fs::rename(scratch / "dxf-parts" / "flange-a.dxf", scratch / "dxf-parts" / "1000x500.dxf");
  const std::string drawing = readBytes(scratch / "dxf-parts" / "1000x500.dxf");
  const CliRun run =
      scratch.run({"reduce", "dxf-job.txt", "-C", "dxf-parts", "--error-log", "log.txt"});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("which the job is read from"), std::string::npos) << run.err;
  EXPECT_EQ(readBytes(scratch / "dxf-parts" / "1000x500.dxf"), drawing);
  // Into a folder of its own the same run goes through.
  const CliRun elsewhere =
      scratch.run({"reduce", "dxf-job.txt", "-C", "steps", "--error-log", "log.txt"});
  EXPECT_EQ(elsewhere.status, 0) << elsewhere.err;
  EXPECT_TRUE(fs::exists(scratch / "steps" / "1000x500.dxf"));
}

}  // namespace
}  // namespace platenest::testing
