// The optimising layout on the command line: its summary says what it started from, a fixed
// budget of trials repeats byte for byte whatever the threads, its options are refused without
// the mode, and Ctrl-C writes the best layout found so far.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "external_tools.h"

namespace platenest::testing {
namespace {

using Json = nlohmann::json;

TEST(OptimiseJobTest, AFixedBudgetRepeatsOnAnyThreadsAndTheSummaryShowsTheGain) {
  CliFolder scratch;
  const CliRun one = scratch.run({"layout", "--mode", "optimise", "--iterations", "48", "--seed",
                                  "3", "--threads", "1", "--json", "one.json", "--dxf", "one.dxf"});
  ASSERT_EQ(one.status, 0) << one.err;
  const CliRun two = scratch.run({"layout", "--mode", "optimise", "--iterations", "48", "--seed",
                                  "3", "--threads", "2", "--json", "two.json", "--dxf", "two.dxf"});
  ASSERT_EQ(two.status, 0) << two.err;
  EXPECT_EQ(readBytes(scratch / "one.dxf"), readBytes(scratch / "two.dxf"));

  const Json summary = Json::parse(readBytes(scratch / "one.json"));
  EXPECT_EQ(summary["mode"], "optimise");
  EXPECT_EQ(summary["iterations"], 48);
  const double start = summary["layoutAll"]["packingLength"];
  const double now = summary["packingLength"];
  EXPECT_LE(now, start);
  EXPECT_EQ(summary["layoutAll"]["count"], summary["count"]);
  // The start line and one line per gain, each with the packing length and density.
  EXPECT_NE(one.err.find("(Layout All)"), std::string::npos) << one.err;
  EXPECT_NE(one.out.find("trial layouts"), std::string::npos) << one.out;

  // The other layout modes write no optimiser fields.
  const CliRun all = scratch.run({"layout", "--json", "all.json"});
  ASSERT_EQ(all.status, 0) << all.err;
  const Json plain = Json::parse(readBytes(scratch / "all.json"));
  EXPECT_FALSE(plain.contains("mode"));
  EXPECT_FALSE(plain.contains("layoutAll"));

  // --quiet silences the progress lines too.
  const CliRun quiet = scratch.run({"layout", "--mode", "optimise", "--iterations", "8", "--quiet"});
  ASSERT_EQ(quiet.status, 0) << quiet.err;
  EXPECT_TRUE(quiet.err.empty()) << quiet.err;
  EXPECT_TRUE(quiet.out.empty()) << quiet.out;
}

// Both workers may find a shorter layout in the same pair of separations; which thread
// finishes first must not change the summary. Its every field but the time repeats.
TEST(OptimiseJobTest, AFixedBudgetGivesTheSameSummaryOnEveryRunAndThreadCount) {
  const std::string job = std::string(PLATENEST_BENCHMARK_DIR) + "/esicup/fu.txt";
  CliFolder scratch;
  std::vector<Json> summaries;
  for (const char* threads : {"1", "2", "2"}) {
    const CliRun run = scratch.run({"layout", job, "--rn", "4", "--turnover", "off",
                                    "--keep-orientation", "--mode", "optimise", "--iterations",
                                    "300", "--threads", threads, "--json", "s.json", "--quiet"});
    ASSERT_EQ(run.status, 0) << run.err;
    Json summary = Json::parse(readBytes(scratch / "s.json"));
    summary.erase("seconds");
    summaries.push_back(summary);
  }
  EXPECT_GT(summaries[0]["improvements"].get<int>(), 1);
  for (std::size_t i = 1; i < summaries.size(); ++i) {
    EXPECT_EQ(summaries[i], summaries[0]) << "run " << i;
  }
}

TEST(OptimiseJobTest, BudgetOptionsNeedTheModeAndSensibleValues) {
  CliFolder scratch;
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"layout", "--seconds", "5"},
                                             {"layout", "--mode", "multi", "--threads", "2"},
                                             {"layout", "--mode", "optimise", "--seconds", "0"},
                                             {"layout", "--mode", "optimise", "--seconds", "nan"},
                                             {"layout", "--mode", "optimise", "--iterations", "-1"},
                                             {"layout", "--mode", "optimise", "--threads", "0"},
                                             {"layout", "--mode", "optimise", "--seed", "x"}}) {
    const CliRun run = scratch.run(arguments);
    EXPECT_EQ(run.status, 2) << arguments[1] << " " << arguments[2];
    EXPECT_FALSE(run.err.empty());
  }
  EXPECT_TRUE(scratch.fileNames().empty() ||
              scratch.fileNames() == std::vector<std::string>{"PackError.txt"});
}

TEST(OptimiseJobTest, CtrlCWritesTheBestLayoutFoundSoFar) {
  CliFolder scratch;
  // Wait for the search's first progress line, then press Ctrl-C.
  const std::string script =
      "cd '" + scratch.work().string() + "' || exit 1; HOME=. '" PLATENEST_CLI_PATH
      "' layout --mode optimise --seconds 600 --json out.json > out.txt 2> err.txt & pid=$!; "
      "for i in $(seq 600); do grep -q 'Layout All' err.txt 2>/dev/null && break; "
      "kill -0 $pid 2>/dev/null || break; sleep 0.1; done; sleep 0.5; "
      "kill -INT $pid 2>/dev/null; wait $pid; echo $?";
  writeBytes(scratch / "press-ctrl-c.sh", script);
  int status = 0;
  const std::string output =
      runCommand("bash '" + (scratch / "press-ctrl-c.sh").string() + "'", status);
  const std::string err = readBytes(scratch / "err.txt");
  EXPECT_EQ(std::stoi(output), 130) << err;
  EXPECT_NE(err.find("best layout found"), std::string::npos) << err;
  const Json summary = Json::parse(readBytes(scratch / "out.json"));
  EXPECT_EQ(summary["count"], summary["layoutAll"]["count"]);
  EXPECT_LE(static_cast<double>(summary["packingLength"]),
            static_cast<double>(summary["layoutAll"]["packingLength"]));
  const std::string drawing = readBytes(scratch / "layout.dxf");
  EXPECT_EQ(drawing.substr(drawing.size() - 5), "EOF\r\n");
}

}  // namespace
}  // namespace platenest::testing
