// The command line as a script sees it: exit statuses, where outputs land, what the
// summary says about the job as loaded. Every case runs the built program.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "support/gbk.h"

namespace platenest::testing {
namespace {

using Json = nlohmann::json;

std::string smallJob() {
  return textLibraryHeader(1000, 500, 10) + rectangleBlock("A", 0, 0, 300, 200) +
         rectangleBlock("B", 0, 0, 100, 50) + "#end\r\n";
}

// ---- options refused before anything is read or written

struct RefusedCase {
  const char* name;
  std::vector<std::string> arguments;
  const char* stderrMentions;
};

// Failures and test listings name the case rather than print its bytes.
void PrintTo(const RefusedCase& c, std::ostream* out) { *out << c.name; }

class RefusedCommandLineTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedCommandLineTest, EndsWithStatusTwoAndWritesNothing) {
  const RefusedCase& c = GetParam();
  CliFolder scratch;
  writeBytes(scratch / "job.txt", smallJob());
  const CliRun run = scratch.run(c.arguments);
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_NE(run.err.find(c.stderrMentions), std::string::npos) << run.err;
  // The usage goes with the complaint, and standard output stays clean for scripts.
  EXPECT_NE(run.err.find("Usage: platenest"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
  // Refused up front: no output folder, no error log, no drawing.
  EXPECT_EQ(scratch.fileNames(), std::vector<std::string>{"job.txt"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedCommandLineTest,
    ::testing::Values(
        RefusedCase{"NoCommand", {}, "subcommand"},
        RefusedCase{"UnknownCommand", {"frobnicate"}, "subcommand"},
        RefusedCase{"UnknownOption", {"layout", "job.txt", "--bogus"}, "--bogus"},
        RefusedCase{"CheckWithoutJob", {"check", "-C", "out"}, "JOB"},
        RefusedCase{"ReduceWithoutJob", {"reduce"}, "JOB"},
        RefusedCase{"RotationNumberZero",
                    {"layout", "job.txt", "-C", "out", "--rn", "0"},
                    "rotation number"},
        RefusedCase{"RotationNumberNegative", {"layout", "--rn", "-3"}, "rotation number"},
        RefusedCase{"RotationNumberFraction", {"layout", "--rn", "2.5"}, "rotation number"},
        RefusedCase{"RotationNumberAboveTheLimit",
                    {"layout", "job.txt", "--rn", "3601"},
                    "from 1 to 3600"},
        RefusedCase{"RotationNumberHuge", {"layout", "--rn", "1000000"}, "from 1 to 3600"},
        RefusedCase{"EmptyJobPath", {"check", ""}, "the job path is empty"},
        RefusedCase{"EmptyJobPathForLayout", {"layout", ""}, "the job path is empty"},
        RefusedCase{"PpdNegative",
                    {"layout", "job.txt", "-C", "out", "--ppd", "-1"},
                    "packing point distance"},
        RefusedCase{"PpdZero", {"layout", "--ppd", "0"}, "packing point distance"},
        RefusedCase{"PpdNotANumber", {"layout", "--ppd", "nan"}, "packing point distance"},
        RefusedCase{"PpdInfinite", {"layout", "--ppd", "inf"}, "packing point distance"},
        RefusedCase{"PpdWithUnit", {"check", "job.txt", "--ppd", "30mm"}, "packing point distance"},
        RefusedCase{"TurnoverMaybe", {"layout", "--turnover", "maybe"}, "--turnover"},
        RefusedCase{"ModeUnknown", {"layout", "--mode", "fast"}, "--mode"},
        RefusedCase{"TypeUnknown", {"check", "job.txt", "--type", "dwg"}, "--type"},
        RefusedCase{"LayoutFlagOnCheck", {"check", "job.txt", "--layout"}, "--layout"},
        // Empty values (unset shell variables) were ignored and left stale outputs in place.
        RefusedCase{"EmptyJson", {"layout", "job.txt", "--json", ""}, "--json needs a value"},
        RefusedCase{"EmptyDxf", {"layout", "job.txt", "--dxf", ""}, "--dxf needs a value"},
        RefusedCase{"EmptyOutputFolder", {"check", "job.txt", "-C", ""}, "-C needs a value"},
        RefusedCase{"EmptyErrorLog", {"reduce", "job.txt", "--error-log", ""}, "--error-log needs a value"},
        RefusedCase{"EmptySvg", {"layout", "job.txt", "--svg", ""}, "--svg needs a value"}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return info.param.name; });

TEST(CommandLineTest, VersionAndHelpGoToStandardOutputWithStatusZero) {
  CliFolder scratch;
  const CliRun version = scratch.run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, std::string("platenest ") + PLATENEST_VERSION + "\n");

  const CliRun help = scratch.run({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* command : {"layout", "reduce", "export-parts", "check"}) {
    EXPECT_NE(help.out.find(command), std::string::npos) << command;
  }
  const CliRun layoutHelp = scratch.run({"layout", "--help"});
  EXPECT_EQ(layoutHelp.status, 0);
  for (const char* option : {"--mode", "--rn", "--ppd", "--svg", "--dxf", "--report", "-C"}) {
    EXPECT_NE(layoutHelp.out.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(help.err + layoutHelp.err, "");
}

// ---- fatal errors: status 1 with the defined message

TEST(CommandLineTest, MissingJobFileEndsWithStatusOneAndTheReadersMessage) {
  CliFolder scratch;
  for (const char* name : {"missing.txt", "missing.preSrc"}) {
    const CliRun run = scratch.run({"check", name, "--error-log", "log.txt"});
    EXPECT_EQ(run.status, 1) << name;
    EXPECT_NE(run.err.find("Warning!: 零件数据文件读取失败!"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(name), std::string::npos) << "the message names the file: " << run.err;
  }
}

TEST(CommandLineTest, ZeroPlateEndsWithStatusOneNamingTheFile) {
  CliFolder scratch;
  writeBytes(scratch / "job.txt",
            textLibraryHeader(0, 1500, 5) + rectangleBlock("A", 0, 0, 5, 5) + "#end\r\n");
  const CliRun run = scratch.run({"layout", "job.txt", "--error-log", "log.txt"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Warning!: 包围盒大小为零!"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(scratch / "layout.dxf"));
}

TEST(CommandLineTest, ContourHeadOfOneLineEndsWithStatusOneNamingTheLine) {
  CliFolder scratch;
  writeBytes(scratch / "job.txt",
            textLibraryHeader(1000, 500, 0) + crlfLines({"NAME:P", "1 0 0", "#end"}));
  const CliRun run = scratch.run({"check", "job.txt", "--error-log", "log.txt"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("job.txt:5"), std::string::npos) << run.err;
}

// One output replacing another was taken with status 0.
TEST(CommandLineTest, TwoOutputsOnOnePathAreABadCommandLine) {
  CliFolder scratch;
  writeBytes(scratch / "job.txt", smallJob());
  const std::vector<std::vector<std::string>> lines = {
      {"layout", "job.txt", "--dxf", "x.dxf", "--json", "x.dxf"},
      {"layout", "job.txt", "--json", "Report.txt"},
      {"layout", "job.txt", "-C", "out", "--svg", "out/layout.dxf"},
      {"check", "job.txt", "--json", "log.txt", "--error-log", "log.txt"}};
  for (const auto& arguments : lines) {
    const CliRun run = scratch.run(arguments);
    EXPECT_EQ(run.status, 2) << arguments[3] << ": " << run.err;
    EXPECT_NE(run.err.find("would be one file"), std::string::npos) << run.err;
    for (const char* output : {"x.dxf", "Report.txt", "layout.dxf", "out/layout.dxf", "log.txt"}) {
      EXPECT_FALSE(std::filesystem::exists(scratch / output)) << output;
    }
  }
}

// An error log that cannot be opened (a home folder that does not exist) and a timing file
// that cannot be written failed every command with status 1; they are records beside the
// outputs, so the job runs with a warning naming the path and the reason.
TEST(CommandLineTest, UnopenableErrorLogAndTimingFileAreWarnings) {
  CliFolder scratch;
  writeBytes(scratch / "job.txt", smallJob());
  const CliRun check = scratch.run({"check", "job.txt", "--error-log", "missing/PackError.txt"});
  EXPECT_EQ(check.status, 0) << check.err;
  EXPECT_NE(check.err.find("missing/PackError.txt"), std::string::npos) << check.err;
  EXPECT_NE(check.err.find("No such file or directory"), std::string::npos) << check.err;
  // A folder where the timing file would go cannot take it.
  std::filesystem::create_directory(scratch / "排样计算时间.txt");
  const CliRun layout =
      scratch.run({"layout", "job.txt", "--error-log", "missing/PackError.txt", "--json", "s.json"});
  EXPECT_EQ(layout.status, 0) << layout.err;
  EXPECT_NE(layout.err.find("the timing file cannot be written"), std::string::npos) << layout.err;
  EXPECT_TRUE(std::filesystem::exists(scratch / "layout.dxf"));
  EXPECT_TRUE(std::filesystem::exists(scratch / "s.json"));
  EXPECT_TRUE(std::filesystem::is_directory(scratch / "排样计算时间.txt"));
}

// A PPD as long as the plate's width left every part off the plate, with status 0.
TEST(CommandLineTest, PpdWithNoPointInsideThePlateIsRefused) {
  CliFolder scratch;
  writeBytes(scratch / "job.txt",
            textLibraryHeader(3000, 1500, 5) + rectangleBlock("A", 0, 0, 300, 200) + "#end\r\n");
  for (const char* ppd : {"1500", "2000", "3000"}) {
    const CliRun run = scratch.run({"layout", "job.txt", "--ppd", ppd, "--error-log", "log.txt"});
    EXPECT_EQ(run.status, 2) << ppd;
    EXPECT_NE(run.err.find("no packing point lies inside the plate"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(scratch / "layout.dxf"));
  }
  const CliRun fine = scratch.run({"layout", "job.txt", "--ppd", "1499", "--error-log", "log.txt"});
  EXPECT_EQ(fine.status, 0) << fine.err;
}

TEST(CommandLineTest, GridTooLargeForThePlateIsRefusedAfterLoadingWithStatusTwo) {
  CliFolder scratch;
  writeBytes(scratch / "job.txt",
            textLibraryHeader(6000, 4000, 5) + rectangleBlock("A", 0, 0, 300, 200) + "#end\r\n");
  const CliRun run =
      scratch.run({"layout", "job.txt", "--ppd", "0.5", "--error-log", "log.txt", "--json", "j"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("packing-point grid"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("0.5"), std::string::npos) << run.err;
  for (const char* output : {"layout.dxf", "Report.txt", "j", "排样计算时间.txt"}) {
    EXPECT_FALSE(std::filesystem::exists(scratch / output)) << output;
  }
  // The same PPD on a plate small enough is taken.
  writeBytes(scratch / "small.txt",
            textLibraryHeader(400, 300, 5) + rectangleBlock("A", 0, 0, 30, 20) + "#end\r\n");
  const CliRun small =
      scratch.run({"check", "small.txt", "--ppd", "0.5", "--error-log", "log.txt", "--json", "j"});
  EXPECT_EQ(small.status, 0) << small.err;
  EXPECT_EQ(Json::parse(readBytes(scratch / "j"))["packingPointDistance"], 0.5);
}

struct UnwritableCase {
  const char* name;
  std::vector<std::string> arguments;
  const char* stderrStart;  // how standard error begins
};

// Failures and test listings name the case rather than print its bytes.
void PrintTo(const UnwritableCase& c, std::ostream* out) { *out << c.name; }

class UnwritableOutputTest : public ::testing::TestWithParam<UnwritableCase> {};

TEST_P(UnwritableOutputTest, EndsWithStatusOneAndTheDefinedMessage) {
  CliFolder scratch;
  writeBytes(scratch / "job.txt", smallJob());
  std::vector<std::string> arguments = {"layout", "job.txt", "--error-log", "log.txt"};
  arguments.insert(arguments.end(), GetParam().arguments.begin(), GetParam().arguments.end());
  const CliRun run = scratch.run(arguments);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.rfind(GetParam().stderrStart, 0), 0u) << run.err;
}

// A folder where a file should go cannot be opened as one.
INSTANTIATE_TEST_SUITE_P(
    Cases, UnwritableOutputTest,
    ::testing::Values(
        UnwritableCase{"LayoutDrawing", {"--dxf", "."}, "Warning!: 排样文件输出失败!\n"},
        UnwritableCase{"PackingReport", {"--report", "."}, "report file open error!\n"},
        UnwritableCase{"JsonSummary", {"--json", "."}, "cannot write the JSON summary to "},
        UnwritableCase{
            "OutputFolderUnderAFile", {"-C", "job.txt/out"}, "cannot use the output folder "}),
    [](const ::testing::TestParamInfo<UnwritableCase>& info) { return info.param.name; });

// ---- where things land

TEST(CommandLineTest, OutputFolderTakesTheOutputsWhileNamedPathsStayRelativeToTheStart) {
  CliFolder scratch;
  writeBytes(scratch / "job.txt", smallJob());
  const CliRun run = scratch.run({"layout", "job.txt", "-C", "out/deep", "--json", "summary.json",
                                  "--svg", "picture.svg", "--error-log", "log.txt"});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* inFolder : {"layout.dxf", "Report.txt", "排样计算时间.txt"}) {
    EXPECT_TRUE(std::filesystem::exists(scratch / "out/deep" / inFolder)) << inFolder;
    EXPECT_FALSE(std::filesystem::exists(scratch / inFolder)) << inFolder;
  }
  for (const char* atStart : {"summary.json", "picture.svg", "log.txt"}) {
    EXPECT_TRUE(std::filesystem::exists(scratch / atStart)) << atStart;
    EXPECT_FALSE(std::filesystem::exists(scratch / "out/deep" / atStart)) << atStart;
  }
  // The summary names the files it wrote.
  EXPECT_NE(run.out.find("out/deep/Report.txt"), std::string::npos) << run.out;
}

TEST(CommandLineTest, DefaultErrorLogIsPackErrorInTheHomeFolder) {
  CliFolder scratch;
  writeBytes(scratch / "job.txt", smallJob());
  ASSERT_EQ(scratch.run({"check", "job.txt", "-C", "elsewhere"}).status, 0);
  // The runner points HOME at the scratch folder.
  EXPECT_TRUE(std::filesystem::exists(scratch / "PackError.txt"));
  EXPECT_FALSE(std::filesystem::exists(scratch / "elsewhere/PackError.txt"));
}

// ---- what check says about the job

TEST(CommandLineTest, CheckNamesRejectedPartsWithTheirReasonAndLogsThem) {
  CliFolder scratch;
  // "bad" has an arc of radius 4 between points 10 apart: it cannot join them.
  writeBytes(scratch / "job.txt", textLibraryHeader(1000, 500, 0) + rectangleBlock("good", 0, 0, 50, 40) +
                                     crlfLines({"NAME:bad", "3 0 0", "4 10 0", "4"}) + "#end\r\n");
  const CliRun run = scratch.run({"check", "job.txt", "--error-log", "log.txt", "--json", "j"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Parts: 1 loaded, 1 rejected"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("rejected bad: 报警圆弧"), std::string::npos) << run.out;
  EXPECT_NE(readBytes(scratch / "log.txt").find(utf8ToGbk("以上错误发生于零件:bad")),
            std::string::npos);
  const Json summary = Json::parse(readBytes(scratch / "j"));
  ASSERT_EQ(summary["parts"].size(), 1u);
  EXPECT_EQ(summary["parts"][0]["name"], "good");
}

TEST(CommandLineTest, EmptyJobFailsAndWritesNothing) {
  CliFolder scratch;
  writeBytes(scratch / "job.txt", textLibraryHeader(1000, 500, 0) + "#end\r\n");
  const CliRun check = scratch.run({"check", "job.txt", "--error-log", "log.txt"});
  EXPECT_EQ(check.status, 1) << check.err;
  EXPECT_NE(check.out.find("The job holds no part."), std::string::npos) << check.out;
  EXPECT_NE(check.err.find("no part could be loaded from"), std::string::npos) << check.err;

  const CliRun layout = scratch.run({"layout", "job.txt", "--error-log", "log.txt", "--json", "j"});
  EXPECT_EQ(layout.status, 1) << layout.err;
  EXPECT_NE(layout.err.find("no part could be loaded from"), std::string::npos) << layout.err;
  // The error log (which says why) is no output; nothing else is written.
  EXPECT_EQ(scratch.fileNames(), (std::vector<std::string>{"job.txt", "log.txt"}));
}

TEST(CommandLineTest, NamesReadAsGbkAreShownAndWrittenAsUtf8) {
  CliFolder scratch;
  const std::string gbkName = "\xB7\xA8\xC0\xBC";  // 法兰 in GBK
  writeBytes(scratch / "job.txt",
            textLibraryHeader(1000, 500, 0) + rectangleBlock(gbkName, 0, 0, 50, 40) + "#end\r\n");
  const CliRun run = scratch.run({"layout", "job.txt", "--error-log", "log.txt", "--json", "j"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Placed: 1 of 1 parts: 法兰"), std::string::npos) << run.out;
  EXPECT_EQ(Json::parse(readBytes(scratch / "j"))["parts"][0]["name"], "法兰");
  // The report keeps the name's bytes as read.
  EXPECT_NE(readBytes(scratch / "Report.txt").find(gbkName), std::string::npos);
}

TEST(CommandLineTest, PartsThatDoNotFitAreListedAsNotPlaced) {
  CliFolder scratch;
  writeBytes(scratch / "job.txt", textLibraryHeader(1000, 500, 0) +
                                     rectangleBlock("huge", 0, 0, 1200, 600) +
                                     rectangleBlock("small", 0, 0, 100, 50) + "#end\r\n");
  const CliRun run = scratch.run({"layout", "job.txt", "--error-log", "log.txt", "--json", "j"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Placed: 1 of 2 parts: small\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Not placed: 1: huge\n"), std::string::npos) << run.out;
  const Json summary = Json::parse(readBytes(scratch / "j"));
  EXPECT_EQ(summary["count"], 1);
  for (const Json& part : summary["parts"]) {
    EXPECT_EQ(part["onPlate"], part["name"] == "small") << part["name"];
  }
}

// ---- the input format, told from the file or given

struct InputTypeCase {
  const char* name;
  const char* fileName;
  std::string content;
  std::vector<std::string> extraArguments;
  const char* typeShown;
};

// Failures and test listings name the case rather than print its bytes.
void PrintTo(const InputTypeCase& c, std::ostream* out) { *out << c.name; }

class InputTypeTest : public ::testing::TestWithParam<InputTypeCase> {};

TEST_P(InputTypeTest, SummaryNamesTheFormatTheJobWasReadAs) {
  const InputTypeCase& c = GetParam();
  CliFolder scratch;
  std::filesystem::create_directory(scratch / "drawings");
  writeBytes(scratch / c.fileName, c.content);
  std::vector<std::string> arguments = {"check", c.fileName, "--error-log", "log.txt"};
  arguments.insert(arguments.end(), c.extraArguments.begin(), c.extraArguments.end());
  const CliRun run = scratch.run(arguments);
  // A job read as a format that yields no part fails, and its summary still names the format.
  const bool nothingLoaded = run.out.find("Parts: 0 loaded") != std::string::npos ||
                             run.out.find("The job holds no part.") != std::string::npos;
  EXPECT_EQ(run.status, nothingLoaded ? 1 : 0) << run.err;
  EXPECT_NE(run.out.find(std::string("(") + c.typeShown + ")"), std::string::npos) << run.out;
}

const std::string kDxfList =
    crlfLines({"PlateLength: 2000", "PlateWidth: 1000", "PartToPartGap:4", "drawings"});
const std::string kPartList = crlfLines({"PARTINFO", "NameID=P1", "pointNum=6", "0,0,,0,0,0,0,0",
                                         "1,0,,0,0,5,0,0", "2,0,,0,0,0,100,0", "3,0,,0,0,0,100,50",
                                         "4,0,,0,0,0,0,50", "5,0,,0,0,0,0,0", "_end_"});

INSTANTIATE_TEST_SUITE_P(
    Cases, InputTypeTest,
    ::testing::Values(
        InputTypeCase{"TextLibrary",
                      "job.txt",
                      textLibraryHeader(1000, 500, 0) + rectangleBlock("A", 0, 0, 5, 5) + "#end\r\n",
                      {},
                      "text part library"},
        InputTypeCase{"FourthLineFolder", "list.txt", kDxfList, {}, "DXF list file"},
        InputTypeCase{"FourthLineFolderForcedText",
                      "list.txt",
                      kDxfList,
                      {"--type", "text"},
                      "text part library"},
        // A folder on line 4 does not make a library with NAME blocks a DXF list.
        InputTypeCase{"FolderLineInLibrary",
                      "job.txt",
                      kDxfList + rectangleBlock("A", 0, 0, 5, 5) + "#end\r\n",
                      {},
                      "text part library"},
        InputTypeCase{"FourthLineNoFolder",
                      "list.txt",
                      crlfLines({"PlateLength: 2000", "PlateWidth: 1000", "PartToPartGap:4",
                                 "no-such-folder"}),
                      {},
                      "text part library"},
        InputTypeCase{"PreSrcExtension", "job.preSrc", kPartList, {}, "part-list file"},
        InputTypeCase{"PreSrcForcedByType",
                      "parts.lst",
                      kPartList,
                      {"--type", "part-list"},
                      "part-list file"}),
    [](const ::testing::TestParamInfo<InputTypeCase>& info) { return info.param.name; });

TEST(CommandLineTest, DxfListFindsItsDrawingsFolderBesideTheListWhereverTheOutputsGo) {
  CliFolder scratch;
  std::filesystem::create_directories(scratch / "jobs/drawings");
  std::filesystem::copy_file(std::string(PLATENEST_SOURCE_DIR) + "/examples/dxf-parts/hex-70.dxf",
                             scratch / "jobs/drawings/hex-70.dxf");
  writeBytes(scratch / "jobs/list.txt",
            crlfLines({"PlateLength: 1000", "PlateWidth: 500", "PartToPartGap:4", "drawings"}));
  const CliRun run =
      scratch.run({"check", "jobs/list.txt", "-C", "out", "--error-log", "log.txt", "--json", "j"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("(DXF list file)"), std::string::npos) << run.out;
  const Json summary = Json::parse(readBytes(scratch / "j"));
  ASSERT_EQ(summary["parts"].size(), 1u);
  EXPECT_EQ(summary["partGap"], 4.0);
}

TEST(CommandLineTest, PartListWithoutSettingsKeepsTheConstructionValuesAndSaysSo) {
  CliFolder scratch;
  writeBytes(scratch / "job.preSrc", kPartList);
  const CliRun run = scratch.run({"check", "job.preSrc", "--error-log", "log.txt", "--json", "j"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("no CONFIGINFO block"), std::string::npos) << run.out;
  const Json summary = Json::parse(readBytes(scratch / "j"));
  EXPECT_EQ(summary["plate"]["length"], 6000.0);
  EXPECT_EQ(summary["plate"]["width"], 4000.0);
  EXPECT_EQ(summary["partGap"], 0.0);
  EXPECT_EQ(summary["bPartTurnover"], true);
  EXPECT_EQ(summary["parts"].size(), 1u);
}

TEST(CommandLineTest, SettingsFromTheCommandLineReplaceTheJobsAndReachTheSummary) {
  CliFolder scratch;
  writeBytes(scratch / "job.txt", smallJob());
  ASSERT_EQ(scratch.run({"check", "job.txt", "--error-log", "l", "--json", "default.json"}).status,
            0);
  const CliRun run = scratch.run({"check", "job.txt", "--error-log", "l", "--json", "set.json",
                                  "--rn", "7", "--ppd", "12.5", "--turnover", "off"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("RN 7, PPD 12.5 mm, turnover off"), std::string::npos) << run.out;
  const Json before = Json::parse(readBytes(scratch / "default.json"));
  const Json after = Json::parse(readBytes(scratch / "set.json"));
  EXPECT_EQ(before["rotationNumber"], 4);
  EXPECT_EQ(before["bPartTurnover"], true);
  EXPECT_EQ(after["rotationNumber"], 7);
  EXPECT_EQ(after["packingPointDistance"], 12.5);
  EXPECT_EQ(after["bPartTurnover"], false);
  EXPECT_EQ(after["parts"], before["parts"]) << "check lays nothing out";
}

}  // namespace
}  // namespace platenest::testing
