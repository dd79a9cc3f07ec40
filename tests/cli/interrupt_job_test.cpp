// A long layout on the command line shows its progress on standard error and stops on
// Ctrl-C, SIGTERM or SIGHUP: the outputs are still written with what was placed, the run says
// it was interrupted and ends with 128 + the signal's number (130, 143, 129). An export stops
// the same way between two drawings.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cli/cli_runner.h"
#include "external_tools.h"
#include "support/text_writer.h"

namespace platenest::testing {
namespace {

// Many rectangles of mixed sizes on a long plate: enough work for several seconds.
std::string longJob() {
  std::string job = textLibraryHeader(400000, 2000, 2);
  for (int i = 0; i < 6000; ++i) {
    std::string name = "R";
    name += std::to_string(i);
    job += rectangleBlock(name, 0, 0, 20 + (i * 37) % 180, 15 + (i * 53) % 140);
  }
  return job;
}

// Runs platenest with `arguments` in the scratch folder (output to out.txt and err.txt), waits
// until its progress line shows, then sends it `signal`. What the script prints: the run's
// status on the first line, then whatever `after` prints.
std::string runStoppedBySignal(const CliFolder& scratch, const std::string& arguments,
                               const std::string& signal, const std::string& after = "") {
  const std::string script =
      "cd '" + scratch.work().string() + "' || exit 1; mkdir -p parts; HOME=. '" PLATENEST_CLI_PATH
      "' " + arguments + " > out.txt 2> err.txt & pid=$!; "
      "for i in $(seq 600); do grep -q 'parts placed' err.txt 2>/dev/null && break; "
      "kill -0 $pid 2>/dev/null || break; sleep 0.1; done; "
      "kill -" + signal + " $pid 2>/dev/null; wait $pid; echo $?; " + after;
  writeBytes(scratch / "send-signal.sh", script);
  int status = 0;
  return runCommand("bash '" + (scratch / "send-signal.sh").string() + "'", status);
}

// Ctrl-C, and SIGTERM and SIGHUP (what `timeout`, service managers and a closing terminal send;
// they used to end the search with nothing written) each stop the layout with its outputs.
TEST(InterruptJobTest, StopSignalsEndALongLayoutAndItsOutputsAreStillWritten) {
  const struct {
    const char* signal;
    int status;
  } signals[] = {{"INT", 130}, {"TERM", 143}, {"HUP", 129}};
  CliFolder scratch;
  writeBytes(scratch / "long.txt", longJob());
  for (const auto& [signal, expected] : signals) {
    SCOPED_TRACE(signal);
    std::remove((scratch / "err.txt").c_str());
    std::remove((scratch / "layout.dxf").c_str());
    const std::string output =
        runStoppedBySignal(scratch, "layout long.txt --json out.json", signal);
    const std::string err = readBytes(scratch / "err.txt");
    ASSERT_NE(err.find("parts placed"), std::string::npos) << "no progress shown: " << err;
    EXPECT_EQ(std::stoi(output), expected) << err;
    EXPECT_NE(err.find("interrupted"), std::string::npos) << err;
    const std::string summary = readBytes(scratch / "out.txt");
    EXPECT_NE(summary.find("Wrote "), std::string::npos) << summary;
    const std::string drawing = readBytes(scratch / "layout.dxf");
    ASSERT_GE(drawing.size(), 5u);
    EXPECT_EQ(drawing.substr(drawing.size() - 5), "EOF\r\n");
    const std::string json = readBytes(scratch / "out.json");
    const std::size_t count = json.find("\"count\":");
    ASSERT_NE(count, std::string::npos);
    const int placed = std::stoi(json.substr(count + 8));
    EXPECT_GT(placed, 0);
    EXPECT_LT(placed, 6000) << "the run should have stopped before the end";
  }
}

// export-parts stops on a signal as a layout does: stopped during its Layout All, it writes
// no drawing, says so and ends with 143; no drawing file is left cut short.
TEST(InterruptJobTest, AStopSignalEndsAnExportAndSaysHowManyDrawingsWereWritten) {
  CliFolder scratch;
  writeBytes(scratch / "long.txt", longJob());
  const std::string output = runStoppedBySignal(scratch, "export-parts long.txt --layout -C parts",
                                                "TERM", "ls parts | grep -c '[.]dxf$'");
  const std::string err = readBytes(scratch / "err.txt");
  ASSERT_NE(err.find("parts placed"), std::string::npos) << "no progress shown: " << err;
  const std::size_t lineEnd = output.find('\n');
  ASSERT_NE(lineEnd, std::string::npos) << output;
  EXPECT_EQ(std::stoi(output.substr(0, lineEnd)), 143) << err;
  EXPECT_EQ(std::stoi(output.substr(lineEnd + 1)), 0) << output;
  EXPECT_NE(err.find("interrupted; the export was stopped with 0 part drawings written"),
            std::string::npos)
      << err;
  EXPECT_NE(readBytes(scratch / "out.txt").find("Wrote 0 part drawings in"), std::string::npos);
}

// Short runs and --quiet runs print no progress at all.
TEST(InterruptJobTest, ShortRunsShowNoProgress) {
  CliFolder scratch;
  const CliRun run = scratch.run({"layout"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err.find("parts placed"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace platenest::testing
