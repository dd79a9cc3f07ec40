// Outputs that cannot be written whole: a full device, a full disk. The command ends with
// status 1 naming the file, says nothing was written, and the previous output stays intact.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_runner.h"

namespace platenest::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kExampleJob = fs::path(PLATENEST_SOURCE_DIR) / "examples" / "job.txt";

std::string smallJob() {
  return textLibraryHeader(1000, 500, 10) + rectangleBlock("A", 0, 0, 300, 200) +
         rectangleBlock("B", 0, 0, 100, 50) + "#end\r\n";
}

// Names in `folder` that begin with a dot: temporary files left behind.
std::vector<std::string> hiddenFiles(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (!name.empty() && name[0] == '.') names.push_back(name);
  }
  return names;
}

TEST(FullDeviceTest, EveryNamedOutputFailsWithStatusOneNamingTheFile) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  for (const char* option : {"--dxf", "--report", "--svg", "--json"}) {
    CliFolder scratch;
    writeBytes(scratch / "job.txt", smallJob());
    // The previous run's set: none of it may be replaced by a run that fails.
    writeBytes(scratch / "Report.txt", "previous report\r\n");
    writeBytes(scratch / "layout.dxf", "previous drawing\r\n");
    const CliRun run =
        scratch.run({"layout", "job.txt", "--error-log", "log.txt", option, "/dev/full"});
    EXPECT_EQ(run.status, 1) << option << run.err;
    EXPECT_NE(run.err.find("/dev/full"), std::string::npos) << option << run.err;
    EXPECT_EQ(run.out.find("Wrote"), std::string::npos) << option << run.out;
    EXPECT_EQ(readBytes(scratch / "Report.txt"), "previous report\r\n") << option;
    EXPECT_EQ(readBytes(scratch / "layout.dxf"), "previous drawing\r\n") << option;
    EXPECT_EQ(hiddenFiles(scratch.work()), std::vector<std::string>{}) << option;
  }
}

// The reduction's report and step drawings are one set: a summary that cannot be written
// at the end leaves the previous report beside the previous drawings, not a new report
// naming drawings half of which were replaced.
TEST(FullDeviceTest, AFailedReductionLeavesThePreviousReportAndStepDrawings) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  CliFolder scratch;
  writeBytes(scratch / "job.txt", smallJob());
  // The job's plate is 1000 x 500: the first size the reduction tries.
  writeBytes(scratch / "DetailsReport.txt", "previous report\r\n");
  writeBytes(scratch / "1000x500.dxf", "previous drawing\r\n");
  const CliRun failed = scratch.run(
      {"reduce", "job.txt", "--error-log", "log.txt", "--quiet", "--json", "/dev/full"});
  EXPECT_EQ(failed.status, 1) << failed.err;
  EXPECT_EQ(readBytes(scratch / "DetailsReport.txt"), "previous report\r\n");
  EXPECT_EQ(readBytes(scratch / "1000x500.dxf"), "previous drawing\r\n");
  EXPECT_EQ(hiddenFiles(scratch.work()), std::vector<std::string>{});
  // A run that succeeds replaces them all.
  const CliRun done = scratch.run({"reduce", "job.txt", "--error-log", "log.txt", "--quiet"});
  ASSERT_EQ(done.status, 0) << done.err;
  EXPECT_NE(readBytes(scratch / "DetailsReport.txt"), "previous report\r\n");
  EXPECT_NE(readBytes(scratch / "1000x500.dxf").find("EOF"), std::string::npos);
  EXPECT_EQ(hiddenFiles(scratch.work()), std::vector<std::string>{});
}

TEST(FullDeviceTest, ErrorLogThatCannotBeWrittenIsOnlyAWarning) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  CliFolder scratch;
  writeBytes(scratch / "job.txt", smallJob());
  const CliRun run = scratch.run({"layout", "job.txt", "--error-log", "/dev/full"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("warning: the error log could not be written: /dev/full"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(fs::exists(scratch / "layout.dxf"));
}

// Every command's files against a limit on file size: the drawings of the example are
// several kilobytes, so none can be finished.
TEST(FullDiskTest, CutOutputsLeaveThePreviousOnesAndEndWithStatusOne) {
  CliFolder scratch;
  const std::vector<std::string> layout = {"layout",      kExampleJob.string(), "--error-log",
                                           "log.txt",     "--svg",              "l.svg",
                                           "--json",      "l.json"};
  ASSERT_EQ(scratch.run(layout).status, 0);
  const std::string drawing = readBytes(scratch / "layout.dxf");
  ASSERT_GT(drawing.size(), 8u * 512u);
  const CliRun cut = scratch.runWithFileLimit(layout, 8);
  EXPECT_EQ(cut.status, 1) << cut.err;
  EXPECT_NE(cut.err.find("layout.dxf"), std::string::npos) << cut.err;
  EXPECT_EQ(cut.out.find("Wrote"), std::string::npos) << cut.out;
  EXPECT_EQ(readBytes(scratch / "layout.dxf"), drawing);
  EXPECT_EQ(hiddenFiles(scratch.work()), std::vector<std::string>{});

  // Reduction: the step drawings cannot be written; the previous detail report stays.
  writeBytes(scratch / "DetailsReport.txt", "previous\r\n");
  const CliRun reduce = scratch.runWithFileLimit(
      {"reduce", kExampleJob.string(), "--error-log", "log.txt", "--quiet"}, 8);
  EXPECT_EQ(reduce.status, 1) << reduce.err;
  EXPECT_NE(reduce.err.find(".dxf"), std::string::npos) << reduce.err;
  EXPECT_EQ(readBytes(scratch / "DetailsReport.txt"), "previous\r\n");
  EXPECT_EQ(hiddenFiles(scratch.work()), std::vector<std::string>{});

  // Part drawings: the first that does not fit ends the command; none is left cut.
  const CliRun parts = scratch.runWithFileLimit(
      {"export-parts", kExampleJob.string(), "-C", "parts", "--error-log", "log.txt"}, 1);
  EXPECT_EQ(parts.status, 1) << parts.err;
  for (const auto& entry : fs::directory_iterator(scratch / "parts")) {
    const std::string bytes = readBytes(entry.path());
    EXPECT_NE(bytes.find("EOF\r\n"), std::string::npos) << entry.path();
  }
  EXPECT_EQ(hiddenFiles(scratch.work()), std::vector<std::string>{});
}

// A real full file system, where the machine lets the tests mount one.
TEST(FullDiskTest, SmallFileSystemKeepsTheGoodDrawingOfThePreviousRun) {
  CliFolder scratch;
  const fs::path disk = scratch / "disk";
  fs::create_directory(disk);
  if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=96k") != 0) {
    GTEST_SKIP() << "cannot mount a small file system here";
  }
  const std::vector<std::string> layout = {"layout", kExampleJob.string(), "-C", "disk",
                                           "--error-log", "log.txt"};
  const CliRun first = scratch.run(layout);
  EXPECT_EQ(first.status, 0) << first.err;
  const std::string drawing = readBytes(disk / "layout.dxf");
  // Fill the rest of the disk.
  writeBytes(disk / "filler", std::string(200 * 1024, 'x'));
  const CliRun full = scratch.run(layout);
  EXPECT_EQ(full.status, 1) << full.err;
  EXPECT_NE(full.err.find("No space left on device"), std::string::npos) << full.err;
  EXPECT_EQ(readBytes(disk / "layout.dxf"), drawing);
  EXPECT_EQ(hiddenFiles(disk), std::vector<std::string>{});
  ::umount(disk.c_str());
}

}  // namespace
}  // namespace platenest::testing
