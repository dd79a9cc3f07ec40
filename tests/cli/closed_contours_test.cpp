// The drawings the cutter follows must hold closed contours. Every job is laid out through the
// command line and its drawings are read back with ezdxf: each end of a part's LINE or ARC
// must meet another end, and no edge may be written twice (a half circle written twice leaves
// the other half of its hole or outline uncut). Parts turned to every orientation and turned
// over are the case that matters: the arcs are built again from the turned end points.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "external_tools.h"
#include "support/text_writer.h"

namespace platenest::testing {
namespace {

namespace fs = std::filesystem;

struct ContourFindings {
  int files = 0;
  std::vector<std::string> faults;  // one line per drawing with open ends or repeated edges
};

// Runs the independent checker over the drawings. `strict`: parts keep a gap, so every end
// meets exactly one other; `plate`: layer 0 holds the plate (parts parked off it may overlap).
ContourFindings checkContours(const std::vector<fs::path>& files, const std::string& layer,
                              bool strict, bool plate) {
  ContourFindings findings;
  const std::string python = findPython("ezdxf");
  if (python.empty() || files.empty()) return findings;
  std::string command = python + " '" PLATENEST_SOURCE_DIR "/tests/output/dxf_contours.py' '" +
                        layer + "' " + (strict ? "1" : "0") + " " + (plate ? "1" : "0");
  for (const fs::path& file : files) command += " '" + file.string() + "'";
  int status = 0;
  const std::string output = runCommand(command + " 2>&1", status);
  EXPECT_EQ(status, 0) << output;
  std::istringstream lines(output);
  std::string line;
  std::string details;
  while (std::getline(lines, line)) {
    std::istringstream split(line);
    std::string kind, path;
    int entities = 0, open = 0, duplicates = 0;
    split >> kind;
    if (kind != "file") {
      if (!findings.faults.empty()) findings.faults.back() += "\n    " + line;
      continue;
    }
    std::getline(split >> std::ws, path, '\t');
    split >> entities >> open >> duplicates;
    ++findings.files;
    EXPECT_GT(entities, 0) << path << " holds no part edges";
    if (open != 0 || duplicates != 0) {
      findings.faults.push_back(fs::path(path).filename().string() + ": " +
                                std::to_string(open) + " open ends, " +
                                std::to_string(duplicates) + " edges written twice");
    }
  }
  return findings;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  return all;
}

std::vector<fs::path> dxfFilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".dxf") files.push_back(entry.path());
  }
  return files;
}

bool haveEzdxf() { return !findPython("ezdxf").empty(); }

// Numbers written in full, so that a half circle's ends lie a diameter apart to the last bit
// (six digits would leave them further apart than the radius allows).
std::string full(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

// A full circle as a contour of two half arcs, its first end at `degrees` on the circle: a
// text library's way of writing a round hole or outline.
std::string circleLines(double cx, double cy, double r, double degrees) {
  const double a = degrees * std::numbers::pi / 180;
  const double x = cx + r * std::cos(a);
  const double y = cy + r * std::sin(a);
  return "3 " + full(x) + " " + full(y) + "\r\n" + full(r) + " " +
         full(2 * cx - x) + " " + full(2 * cy - y) + "\r\n" + full(r) + "\r\n";
}

// Round and rounded parts of a shop: flanges with bolt circles, rings, plates with fillets
// and slots, all with half circles whose ends lie at odd angles.
std::string roundPartsJob(double gap) {
  std::string job = textLibraryHeader(3000, 1500, gap);
  for (int i = 0; i < 6; ++i) {
    const double r = 60 + 17 * i;
    job += "NAME:FLANGE-" + std::to_string(i) + "\r\n" + circleLines(0, 0, r, 0);
    job += circleLines(0, 0, r * 0.4, 13 * i);
    for (int k = 0; k < 4; ++k) {
      const double a = (90 * k + 11 * i) * std::numbers::pi / 180;
      job += circleLines(0.7 * r * std::cos(a), 0.7 * r * std::sin(a), 6.5 + i, 37 * k + 5);
    }
  }
  for (int i = 0; i < 4; ++i) {
    const double w = 200 + 45 * i, h = 120 + 20 * i, f = 10 + 5 * i;
    job += "NAME:FILLET-" + std::to_string(i) + "\r\n";
    job += "9 " + full(f) + " 0\r\n0 " + full(w - f) + " 0\r\n";
    job += full(f) + " " + full(w) + " " + full(f) + "\r\n0 " + full(w) + " " +
           full(h - f) + "\r\n";
    job += full(f) + " " + full(w - f) + " " + full(h) + "\r\n0 " + full(f) + " " +
           full(h) + "\r\n";
    job += full(f) + " 0 " + full(h - f) + "\r\n0 0 " + full(f) + "\r\n" + full(f) +
           "\r\n";
    // A slot: two straight sides joined by half circles.
    const double sr = 8 + i, sx = w / 2, sy = h / 2;
    job += "5 " + full(sx - 30) + " " + full(sy - sr) + "\r\n0 " + full(sx + 30) + " " +
           full(sy - sr) + "\r\n" + full(sr) + " " + full(sx + 30) + " " +
           full(sy + sr) + "\r\n0 " + full(sx - 30) + " " + full(sy + sr) + "\r\n" +
           full(sr) + "\r\n";
  }
  for (int i = 0; i < 3; ++i) {
    job += "NAME:RING-" + std::to_string(i) + "\r\n" + circleLines(0, 0, 150 + 40 * i, 23 * i);
    job += circleLines(0, 0, 110 + 40 * i, 71 + 23 * i);
  }
  return job;
}

struct JobRun {
  const char* name;
  const char* file;  // below tests/data/jobs, or "example:" and a name in examples/
  std::vector<std::string> options;
  bool strict;  // the job keeps a gap between parts
};

const JobRun kJobs[] = {
    {"jakobs1", "esicup/jakobs1.txt", {"--rn", "4", "--turnover", "off", "--keep-orientation"},
     false},
    {"fu", "esicup/fu.txt", {"--rn", "4", "--turnover", "off", "--keep-orientation"}, false},
    {"shapes0", "esicup/shapes0.txt", {"--rn", "1", "--turnover", "off", "--keep-orientation"},
     false},
    {"mao", "esicup/mao.txt", {"--rn", "4", "--turnover", "off", "--keep-orientation"}, false},
    {"swim", "esicup/swim.txt", {"--rn", "2", "--turnover", "off", "--keep-orientation"}, false},
    {"shirts", "esicup/shirts.txt", {"--rn", "2", "--turnover", "off", "--keep-orientation"},
     false},
    {"industrial60", "industrial/industrial-60.txt", {}, true},
    {"industrial150", "industrial/industrial-150.txt", {}, true},
    {"exampleJob", "example:job.txt", {}, true},
    {"exampleJobEveryTurn", "example:job.txt", {"--rn", "24"}, true},
    {"examplePartList", "example:shop-sheet.preSrc", {}, true},
    // DXF parts are drawn as the chords they were read as; a short last chord of an arc may
    // end within the checker's slack of another end, so only closure is asked of them.
    {"exampleDxfList", "example:dxf-job.txt", {}, false},
};

struct JobCase {
  JobRun job;
  std::string mode;
};

// Failures and test listings name the case rather than print its bytes.
void PrintTo(const JobCase& c, std::ostream* out) { *out << c.job.name << " " << c.mode; }

std::vector<JobCase> jobCases() {
  std::vector<JobCase> cases;
  for (const JobRun& job : kJobs) {
    for (const char* mode : {"all", "multi"}) cases.push_back({job, mode});
  }
  return cases;
}

class ClosedContoursJobTest : public ::testing::TestWithParam<JobCase> {};

TEST_P(ClosedContoursJobTest, LayoutDrawingHoldsClosedContours) {
  if (!haveEzdxf()) GTEST_SKIP() << "no Python with ezdxf";
  const JobCase& c = GetParam();
  std::string file = c.job.file;
  fs::path path;
  if (file.rfind("example:", 0) == 0) {
    path = fs::path(PLATENEST_SOURCE_DIR) / "examples" / file.substr(8);
  } else {
    path = fs::path(PLATENEST_BENCHMARK_DIR) / file;
    ASSERT_TRUE(fs::exists(path)) << "no benchmark job " << path;
  }
  CliFolder scratch;
  std::vector<std::string> arguments = {"layout", path.string(), "--mode", c.mode, "--quiet"};
  arguments.insert(arguments.end(), c.job.options.begin(), c.job.options.end());
  const CliRun run = scratch.run(arguments);
  ASSERT_EQ(run.status, 0) << run.err;
  const ContourFindings findings =
      checkContours({scratch / "layout.dxf"}, "1", c.job.strict, true);
  EXPECT_EQ(findings.files, 1);
  EXPECT_TRUE(findings.faults.empty()) << joined(findings.faults);
}

INSTANTIATE_TEST_SUITE_P(Jobs, ClosedContoursJobTest, ::testing::ValuesIn(jobCases()),
                         [](const ::testing::TestParamInfo<JobCase>& info) {
                           return std::string(info.param.job.name) + "_" + info.param.mode;
                         });

// Flanges, rings and filleted plates laid out in 24 orientations, turned over too, for gaps
// 3 and 8: the layout drawing, every part drawing and every step drawing of a reduction run.
TEST(ClosedContoursJobTest, TurnedAndTurnedOverRoundPartsInEveryDrawing) {
  if (!haveEzdxf()) GTEST_SKIP() << "no Python with ezdxf";
  for (double gap : {3.0, 8.0}) {
    SCOPED_TRACE("gap " + formatG(gap));
    CliFolder scratch;
    writeBytes(scratch / "round.txt", roundPartsJob(gap));
    for (const char* mode : {"all", "multi"}) {
      const CliRun run = scratch.run({"layout", "round.txt", "--rn", "24", "--turnover", "on",
                                      "--mode", mode, "--quiet", "--json", "round.json"});
      ASSERT_EQ(run.status, 0) << run.err;
      const std::string json = readBytes(scratch / "round.json");
      EXPECT_NE(json.find("\"mirrored\":true"), std::string::npos)
          << "some part should be turned over";
      const ContourFindings layout = checkContours({scratch / "layout.dxf"}, "1", true, true);
      EXPECT_EQ(layout.files, 1);
      EXPECT_TRUE(layout.faults.empty()) << mode << "\n" << joined(layout.faults);
    }

    const CliRun exported =
        scratch.run({"export-parts", "round.txt", "--layout", "--rn", "24", "-C", "parts"});
    ASSERT_EQ(exported.status, 0) << exported.err;
    const ContourFindings parts = checkContours(dxfFilesIn(scratch / "parts"), "0", true, false);
    EXPECT_EQ(parts.files, 13);
    EXPECT_TRUE(parts.faults.empty()) << joined(parts.faults);

    const CliRun reduced = scratch.run({"reduce", "round.txt", "--rn", "24", "-C", "steps"});
    ASSERT_EQ(reduced.status, 0) << reduced.err;
    const ContourFindings steps = checkContours(dxfFilesIn(scratch / "steps"), "1", true, true);
    EXPECT_GT(steps.files, 1);
    EXPECT_TRUE(steps.faults.empty()) << joined(steps.faults);
  }
}

// The checker itself: it must see a half circle written twice, an open end, and closed work.
TEST(ClosedContoursTest, CheckerFindsTheFaultsItLooksFor) {
  if (!haveEzdxf()) GTEST_SKIP() << "no Python with ezdxf";
  CliFolder scratch;
  const auto arc = [](double cx, double cy, double r, double a0, double a1) {
    return crlfLines({"ARC", "  8", "1", " 62", "3", " 10", formatG(cx), " 20", formatG(cy),
                      " 30", "0.0", " 40", formatG(r), " 50", formatG(a0), " 51", formatG(a1),
                      "  0"});
  };
  const auto line = [](double x1, double y1, double x2, double y2) {
    return crlfLines({"LINE", "  8", "1", " 62", "3", " 10", formatG(x1), " 20", formatG(y1),
                      " 30", "0.0", " 11", formatG(x2), " 21", formatG(y2), " 31", "0.0", "  0"});
  };
  const auto drawing = [](const std::string& entities) {
    return crlfLines({"  0", "SECTION", "  2", "ENTITIES", "  0"}) + entities +
           crlfLines({"ENDSEC", "  0", "EOF"});
  };
  const std::string square =
      line(0, 0, 10, 0) + line(10, 0, 10, 10) + line(10, 10, 0, 10) + line(0, 10, 0, 0);
  writeBytes(scratch / "closed.dxf", drawing(square + arc(5, 5, 2, -30, 150) +
                                            arc(5, 5, 2, 150, 330)));
  writeBytes(scratch / "twice.dxf", drawing(square + arc(5, 5, 2, -30, 150) +
                                           arc(5, 5, 2, -30, 150)));
  writeBytes(scratch / "open.dxf", drawing(square + arc(5, 5, 2, -30, 150)));
  const ContourFindings findings = checkContours(
      {scratch / "closed.dxf", scratch / "twice.dxf", scratch / "open.dxf"}, "1", true, false);
  EXPECT_EQ(findings.files, 3);
  ASSERT_EQ(findings.faults.size(), 2u) << joined(findings.faults);
  EXPECT_EQ(findings.faults[0].substr(0, findings.faults[0].find('\n')),
            "twice.dxf: 0 open ends, 1 edges written twice");
  EXPECT_EQ(findings.faults[1].substr(0, findings.faults[1].find('\n')),
            "open.dxf: 2 open ends, 0 edges written twice");
}

}  // namespace
}  // namespace platenest::testing
