// Values no shop job can have are refused at load, by every command alike, with status 1
// and a message that names the value; nothing is written.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_runner.h"

namespace platenest::testing {
namespace {

struct RefusedValue {
  const char* name;
  std::string job;
  const char* named;  // what the message must show
};

// Failures and test listings name the case rather than print its bytes.
void PrintTo(const RefusedValue& c, std::ostream* out) { *out << c.name; }

std::string header(const char* length, const char* width, const char* gap) {
  return std::string("PlateLength: ") + length + "\r\nPlateWidth: " + width +
         "\r\nPartToPartGap:" + gap + "\r\n";
}

std::string square(const char* name, const char* far, const char* radius = "0") {
  return std::string("NAME:") + name + "\r\n5 0 0\r\n" + radius + " " + far + " 0\r\n0 " + far +
         " " + far + "\r\n0 0 " + far + "\r\n0\r\n";
}

class RefusedValueTest : public ::testing::TestWithParam<RefusedValue> {};

TEST_P(RefusedValueTest, CheckAndLayoutEndWithStatusOneNamingTheValue) {
  for (const char* command : {"check", "layout"}) {
    CliFolder scratch;
    writeBytes(scratch / "job.txt", GetParam().job);
    const CliRun run = scratch.run({command, "job.txt", "--error-log", "log.txt"});
    EXPECT_EQ(run.status, 1) << command << run.err;
    EXPECT_NE(run.err.find(GetParam().named), std::string::npos) << command << run.err;
    EXPECT_NE(run.err.find("job.txt"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("--help"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(scratch / "layout.dxf"));
    EXPECT_FALSE(std::filesystem::exists(scratch / "Report.txt"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedValueTest,
    ::testing::Values(
        RefusedValue{"NegativeGap", header("1000", "500", "-20") + square("A", "100") + "#end\r\n",
                     "gap between parts -20"},
        RefusedValue{"NanGap", header("1000", "500", "nan") + square("A", "100") + "#end\r\n",
                     "gap between parts nan"},
        RefusedValue{"NanLength", header("nan", "500", "5") + square("A", "100") + "#end\r\n",
                     "plate length nan"},
        RefusedValue{"InfiniteWidth", header("1000", "inf", "5") + square("A", "100") + "#end\r\n",
                     "plate width inf"},
        RefusedValue{"NegativeLength", header("-1000", "500", "5") + square("A", "100") + "#end\r\n",
                     "plate length -1000"},
        RefusedValue{"AbsurdLength", header("1e9", "500", "5") + square("A", "100") + "#end\r\n",
                     "plate length 1e+09"},
        RefusedValue{"FarCoordinate",
                     header("1000", "500", "5") + square("A", "1e12") + "#end\r\n",
                     "coordinate of part A 1e+12"},
        RefusedValue{"HugeRadius",
                     header("1000", "500", "5") + square("A", "100", "1e12") + "#end\r\n",
                     "arc radius of part A 1e+12"}),
    [](const ::testing::TestParamInfo<RefusedValue>& info) { return info.param.name; });

TEST(RefusedValueTest, LargestAcceptedSizesStillLoad) {
  CliFolder scratch;
  writeBytes(scratch / "job.txt",
            header("1e7", "500", "0") + square("A", "100", "-1e7") + "#end\r\n");
  const CliRun run = scratch.run({"check", "job.txt", "--error-log", "log.txt"});
  EXPECT_EQ(run.status, 0) << run.err;
}

}  // namespace
}  // namespace platenest::testing
