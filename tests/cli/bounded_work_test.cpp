// Inputs that would make the program work without end are refused or stay quick: jobs
// that are no regular file or too large, arcs of huge radius on a small part.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <utility>
#include <string>
#include <vector>

#include "cli/cli_runner.h"

namespace platenest::testing {
namespace {

namespace fs = std::filesystem;

TEST(BoundedWorkTest, JobThatIsNoRegularFileOrTooLargeIsRefusedNamingIt) {
  CliFolder scratch;
  fs::create_directory(scratch / "folder");
  ASSERT_EQ(::mkfifo((scratch / "pipe").c_str(), 0600), 0);
  {
    std::ofstream big(scratch / "big.txt", std::ios::binary);
    big.seekp(513LL * 1024 * 1024);  // sparse: no disk is used
    big.put('\n');
  }
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"/dev/zero", "is not a regular file"},
      {"pipe", "is not a regular file"},  // would block for ever if opened
      {"folder", "is not a regular file"},
      {"big.txt", "a job may be at most 512 MB"},
  };
  for (const auto& [job, message] : cases) {
    // A pipe would block the run for ever: the test's own time limit would end it.
    const CliRun run = scratch.run({"check", job, "--error-log", "log.txt"});
    EXPECT_EQ(run.status, 1) << job << run.err;
    EXPECT_NE(run.err.find(message), std::string::npos) << job << run.err;
    EXPECT_FALSE(fs::exists(scratch / "log.txt")) << job;
  }
}

// Arcs of radius 1e7 mm (the largest taken): on a 50 mm part, in both turning senses, nearly
// straight; on a part as long as the radius, thousands of chords chained in moments.
TEST(BoundedWorkTest, HugeRadiusArcsLoadOnSmallAndLongParts) {
  CliFolder scratch;
  writeBytes(scratch / "job.txt",
            textLibraryHeader(1000, 500, 0) +
                "NAME:A\r\n5 0 0\r\n1e7 50 0\r\n0 50 50\r\n0 0 50\r\n0\r\n"
                "NAME:B\r\n5 0 0\r\n-1e7 50 0\r\n0 50 50\r\n0 0 50\r\n0\r\n"
                "NAME:C\r\n4 0 0\r\n1e7 1e7 0\r\n0 0 1e4\r\n0\r\n#end\r\n");
  const CliRun run = scratch.run({"check", "job.txt", "--error-log", "log.txt"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("3 loaded, 0 rejected"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace platenest::testing
