// The plate-size reduction run: the order and form of the detail report lines, the step
// drawings, the step and smallest-size rules, and what it leaves of the plate and parts.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "nesting/nester.h"
#include "loading/load.h"
#include "output/reduction_report.h"
#include "support/fatal_error.h"
#include "support/gbk.h"
#include "support/messages.h"
#include "support/text_writer.h"
#include "test_support/benchmark_jobs.h"
#include "test_support/scratch_folder.h"

namespace platenest {
namespace {

namespace fs = std::filesystem;

using ::platenest::testing::CurrentFolder;
using ::platenest::testing::ScratchFolder;

using ::platenest::testing::readBytes;

struct Rectangle {
  const char* name;
  double length;
  double width;
};

struct JobSettings {
  double plateLength = 1000;
  double plateWidth = 300;
  std::string minPlate_0 = "0";
  std::string minPlate_1 = "0";
  std::string feetLength_0 = "0";
  std::string feetLength_1 = "0";
};

std::string setting(const std::string& name, const std::string& value) {
  return name + std::string(16 - name.size(), ' ') + "= " + value + "\r\n";
}

// A part-list job of rectangles, gap 0, no turning over.
std::string partListJob(const JobSettings& s, const std::vector<Rectangle>& parts) {
  std::string text =
      "CONFIGINFO\r\n" + setting("staPlate_0", formatG(s.plateLength)) +
      setting("staPlate_1", formatG(s.plateWidth)) + setting("minPlate_0", s.minPlate_0) +
      setting("minPlate_1", s.minPlate_1) + setting("feetLength_0", s.feetLength_0) +
      setting("feetLength_1", s.feetLength_1) + setting("bPartTurnover", "0") + "_end_\r\n";
  for (const Rectangle& part : parts) {
    const std::string l = formatG(part.length);
    const std::string w = formatG(part.width);
    text += std::string("PARTINFO\r\nNameID=") + part.name + "\r\npointNum=6\r\n" +
            "0,0,,0,0,0,0,0\r\n1,0,,0,0,5,0,0\r\n2,0,,0,0,0," + l + ",0\r\n3,0,,0,0,0," + l + "," +
            w + "\r\n4,0,,0,0,0,0," + w + "\r\n5,0,,0,0,0,0,0\r\n_end_\r\n";
  }
  return text;
}

std::unique_ptr<Nester> loadJob(const ScratchFolder& scratch, const std::string& job) {
  const fs::path file = scratch / "job.preSrc";
  std::ofstream(file, std::ios::binary) << job;
  std::unique_ptr<Nester> nester =
      openLibrary(file, LoadType::kPartList, scratch / "error-log.txt");
  return nester;
}

// The run as the command line records it: the detail report, and the step drawings beside it.
void reduce(Nester& nester, const fs::path& reportPath,
            std::vector<std::string>* progress = nullptr) {
  ReductionReport report(reportPath);
  LayoutTiming timing(reportPath.parent_path() / "timing.txt");
  nester.reducePlateSize(timing, [&](const ReductionStep& step) {
    report.record(nester, step, [&](const std::string& line) {
      if (progress != nullptr) progress->push_back(line);
    });
  });
  report.finish();
}

void selectAll(Nester& nester) {
  for (PlacedPart& part : nester.parts) part.selected = true;
}

// The lines of the detail report (UTF-8), checking the CR LF line ends on the way.
std::vector<std::string> reportLines(const fs::path& path) {
  const std::string bytes = readBytes(path);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "the report's last line has no CR LF";
      break;
    }
    lines.push_back(gbkToUtf8(bytes.substr(start, end - start)));
    start = end + 2;
  }
  return lines;
}

std::string trial(const std::string& size, const std::string& density, const std::string& overall,
                  int count) {
  return "母板尺寸:" + size + ",排样密度=" + density + ",总体排样密度=" + overall +
         "所排零件个数=" + std::to_string(count);
}
std::string loss(const std::string& size) {
  return "母板尺寸(" + size + ")容纳的零件个数减少,母板尺寸需要恢复";
}
std::string restored(const std::string& size, const std::string& density,
                     const std::string& overall, int count) {
  return "恢复后的母板尺寸:" + size + ",排样密度=" + density + ",总体排样密度=" + overall +
         "所排零件个数=" + std::to_string(count);
}

int countOnPlate(const Nester& nester) {
  int count = 0;
  for (const PlacedPart& part : nester.parts) count += nester.isOnPlate(part) ? 1 : 0;
  return count;
}

TEST(ReductionTest, FirstWidthTrialLosingThePartRestoresTheWidth) {
  ScratchFolder scratch;
  CurrentFolder inScratch(scratch.path());  // the part-list check report lands there
  // 850 x 250 on 1000 x 300: 200 wide is too narrow, 900 long is enough, 800 is not.
  std::unique_ptr<Nester> nester = loadJob(scratch, partListJob({}, {{"BIG", 850, 250}}));
  selectAll(*nester);
  std::vector<std::string> progress;
  reduce(*nester, scratch / "DetailsReport.txt", &progress);

  const std::string dense = formatG(850.0 * 250 / (850 * 300.0));
  const std::string none = "0";
  const std::vector<std::string> expected{
      trial("1000x300", dense, formatG(212500.0 / 1000 / 300), 1),
      trial("1000x200", none, none, 0),
      loss("1000x200"),
      restored("1000x300", dense, formatG(212500.0 / 1000 / 300), 1),
      trial("900x300", dense, formatG(212500.0 / 900 / 300), 1),
      trial("800x300", none, none, 0),
      loss("800x300"),
      restored("900x300", dense, formatG(212500.0 / 900 / 300), 1),
  };
  EXPECT_EQ(reportLines(scratch / "DetailsReport.txt"), expected);
  EXPECT_EQ(progress, expected);
  for (const char* name : {"1000x300.dxf", "1000x200.dxf", "1000x300(恢复后).dxf", "900x300.dxf",
                           "800x300.dxf", "900x300(恢复后).dxf"}) {
    EXPECT_TRUE(fs::exists(scratch / name)) << name;
  }
  EXPECT_EQ(nester->plateLength(), 900);
  EXPECT_EQ(nester->plateWidth(), 300);
  EXPECT_EQ(nester->plateRect().minX, 0);
  EXPECT_EQ(nester->plateRect().maxX, 900);
  EXPECT_EQ(nester->plateRect().minY, 0);
  EXPECT_EQ(nester->plateRect().maxY, 300);
  // The plate is one record: its size is the size the run ended on.
  EXPECT_EQ(nester->plate().length, 900);
  EXPECT_EQ(nester->plate().area, 900 * 300);
  EXPECT_EQ(countOnPlate(*nester), 1);
}

struct LimitCase {
  const char* name;
  JobSettings settings;
  std::vector<std::string> sizes;  // of the report lines, in order
  double finalLength;
  double finalWidth;
};

void PrintTo(const LimitCase& c, std::ostream* os) { *os << c.name; }

class ReductionLimitTest : public ::testing::TestWithParam<LimitCase> {};

// A 300 x 100 part never runs short of room here, so the limits alone decide the trials.
TEST_P(ReductionLimitTest, StepsAndSmallestSizesDecideTheTrials) {
  ScratchFolder scratch;
  CurrentFolder inScratch(scratch.path());  // the part-list check report lands there
  const LimitCase& c = GetParam();
  std::unique_ptr<Nester> nester = loadJob(scratch, partListJob(c.settings, {{"P", 300, 100}}));
  selectAll(*nester);
  reduce(*nester, scratch / "DetailsReport.txt");
  const std::vector<std::string> lines = reportLines(scratch / "DetailsReport.txt");
  ASSERT_EQ(lines.size(), c.sizes.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].rfind("母板尺寸:" + c.sizes[i] + ",", 0), 0u) << lines[i];
    EXPECT_NE(lines[i].find("所排零件个数=1"), std::string::npos) << lines[i];
  }
  EXPECT_EQ(nester->plateLength(), c.finalLength);
  EXPECT_EQ(nester->plateWidth(), c.finalWidth);
  EXPECT_EQ(nester->plateRect().maxX, c.finalLength);
  EXPECT_EQ(nester->plateRect().maxY, c.finalWidth);
  EXPECT_EQ(countOnPlate(*nester), 1);
}

JobSettings limits(std::string min0, std::string min1, std::string step0, std::string step1) {
  JobSettings s;
  s.plateLength = 1000;
  s.plateWidth = 400;
  s.minPlate_0 = std::move(min0);
  s.minPlate_1 = std::move(min1);
  s.feetLength_0 = std::move(step0);
  s.feetLength_1 = std::move(step1);
  return s;
}

const LimitCase kLimitCases[] = {
    // Smallest sizes above the first step: the first line stands alone.
    {"SmallestAboveFirstStep", limits("950", "301", "0", "0"), {"1000x400"}, 1000, 400},
    // Only the width is limited: the length phase follows the first line directly.
    {"NoWidthTrial",
     limits("700", "350", "0", "0"),
     {"1000x400", "900x400", "800x400", "700x400"},
     700,
     400},
    // 50 mm steps are raised to 100: 950 and 350 would be tried otherwise.
    {"StepOfFiftyActsAsHundred", limits("950", "350", "50", "50"), {"1000x400"}, 1000, 400},
    {"StepsAboveHundredAreKept",
     limits("600", "100", "250", "150"),
     {"1000x400", "1000x250", "1000x100", "750x100"},
     750,
     100},
    // Smallest sizes of 0: each phase stops before a size of 0.
    {"UnsetSmallestSizes",
     limits("0", "0", "600", "200"),
     {"1000x400", "1000x200", "400x200"},
     400,
     200},
    {"NegativeSmallestSizes",
     limits("-500", "-1", "600", "200"),
     {"1000x400", "1000x200", "400x200"},
     400,
     200},
};

INSTANTIATE_TEST_SUITE_P(Limits, ReductionLimitTest, ::testing::ValuesIn(kLimitCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReductionTest, WithNothingSelectedOnlyTheFixedPartsCountAndNoneMoves) {
  ScratchFolder scratch;
  CurrentFolder inScratch(scratch.path());  // the part-list check report lands there
  std::unique_ptr<Nester> nester =
      loadJob(scratch, partListJob({}, {{"A", 400, 100}, {"B", 300, 100}, {"C", 200, 150}}));
  nester->layoutAll();  // clears the selection
  const int placed = countOnPlate(*nester);
  ASSERT_GT(placed, 0);
  std::vector<BoundingBox> before;
  double rightmost = 0.0;
  double topmost = 0.0;
  for (const PlacedPart& part : nester->parts) {
    before.push_back(part.box());
    if (nester->isOnPlate(part)) {
      rightmost = std::max(rightmost, part.box().maxX);
      topmost = std::max(topmost, part.box().maxY);
    }
  }

  reduce(*nester, scratch / "DetailsReport.txt");

  std::size_t i = 0;
  for (const PlacedPart& part : nester->parts) {
    EXPECT_EQ(part.box().minX, before[i].minX);
    EXPECT_EQ(part.box().maxX, before[i].maxX);
    EXPECT_EQ(part.box().minY, before[i].minY);
    EXPECT_EQ(part.box().maxY, before[i].maxY);
    ++i;
  }
  // Each direction shrinks in 100 mm steps until a fixed part would stick out.
  EXPECT_GE(nester->plateLength(), rightmost - 1e-9);
  EXPECT_LT(nester->plateLength() - 100, rightmost);
  EXPECT_GE(nester->plateWidth(), topmost - 1e-9);
  EXPECT_LT(nester->plateWidth() - 100, topmost);
  EXPECT_EQ(countOnPlate(*nester), placed);
  for (const std::string& line : reportLines(scratch / "DetailsReport.txt")) {
    if (line.rfind("母板尺寸:", 0) == 0 || line.rfind("恢复后", 0) == 0) {
      const int count = std::stoi(line.substr(line.rfind('=') + 1));
      EXPECT_LE(count, placed) << line;
    }
  }
}

TEST(ReductionTest, AReportThatCannotBeWrittenEndsTheRunBeforeAnyLayout) {
  ScratchFolder scratch;
  CurrentFolder inScratch(scratch.path());  // the part-list check report lands there
  std::unique_ptr<Nester> nester = loadJob(scratch, partListJob({}, {{"P", 300, 100}}));
  selectAll(*nester);
  try {
    reduce(*nester, scratch / "no-such-folder" / "DetailsReport.txt");
    FAIL() << "the run must not go on without its report";
  } catch (const FatalError& error) {
    EXPECT_EQ(error.channel(), FatalChannel::kStandardOutput);
    EXPECT_EQ(error.text(), "文件DetailsReport.txt输出失败!");
    EXPECT_NE(error.detail().find("no-such-folder/DetailsReport.txt"), std::string::npos) << error.detail();
    EXPECT_NE(error.detail().find("No such file or directory"), std::string::npos) << error.detail();
  }
  EXPECT_EQ(countOnPlate(*nester), 0);
  EXPECT_EQ(nester->plateLength(), 1000);
}

// The bundled part-list job: the run ends on a smaller plate that holds every part the
// first plate held, and every trial left its drawing.
TEST(ReductionJobTest, ShopSheetEndsOnASmallerPlateHoldingAsManyParts) {
  ScratchFolder scratch;
  CurrentFolder inScratch(scratch.path());  // the part-list check report lands there
  const fs::path job = fs::path(PLATENEST_SOURCE_DIR) / "examples" / "shop-sheet.preSrc";
  std::unique_ptr<Nester> nester = openLibrary(job, LoadType::kPartList, scratch / "error-log.txt");
  selectAll(*nester);
  const double length = nester->plateLength();
  const double width = nester->plateWidth();
  reduce(*nester, scratch / "DetailsReport.txt");

  const std::vector<std::string> lines = reportLines(scratch / "DetailsReport.txt");
  ASSERT_FALSE(lines.empty());
  const auto countOf = [](const std::string& line) {
    return std::stoi(line.substr(line.rfind('=') + 1));
  };
  const int first = countOf(lines.front());
  EXPECT_EQ(first, nester->parts.count());
  EXPECT_LT(nester->plateLength() * nester->plateWidth(), length * width);
  EXPECT_LE(nester->plateLength(), length);
  EXPECT_LE(nester->plateWidth(), width);
  const LayoutStatistics last = nester->computeLayoutStatistics();
  EXPECT_EQ(last.count, first);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const bool isTrial = line.rfind("母板尺寸:", 0) == 0;
    const bool isRestored = line.rfind("恢复后的母板尺寸:", 0) == 0;
    const std::size_t sizeStart = line.find(':') + 1;
    if (isTrial || isRestored) {
      const std::string size = line.substr(sizeStart, line.find(',') - sizeStart);
      EXPECT_TRUE(fs::exists(scratch / (size + (isRestored ? "(恢复后).dxf" : ".dxf")))) << size;
    }
    // A loss is always followed by its restore.
    if (line.rfind("母板尺寸(", 0) == 0) {
      ASSERT_LT(i + 1, lines.size());
      EXPECT_EQ(lines[i + 1].rfind("恢复后的母板尺寸:", 0), 0u);
      EXPECT_LT(countOf(lines[i - 1]), first);
    }
    if (isRestored) {
      EXPECT_EQ(countOf(line), first);
    }
  }
}

}  // namespace
}  // namespace platenest

namespace platenest {
namespace {

std::unique_ptr<Nester> loadJakobs1(const ScratchFolder& scratch) {
  LoadOptions options;
  options.keepOrientation = true;
  std::unique_ptr<Nester> nester =
      openLibrary(::platenest::testing::benchmarkFolder() / "esicup" / "jakobs1.txt", LoadType::kTextLibrary,
                  scratch / "error-log.txt", options);
  nester->rotationNumber = 4;
  nester->bPartTurnover = false;
  selectAll(*nester);
  return nester;
}

// jakobs1 at 1200 x 1100 held all 25 parts; after the loss at 1100 x 1100 the parts laid out
// again from where the lost trial left them fit only 24. The operator is handed the accepted
// trial of 1200 x 1100 instead, and the restored line and drawing say so.
TEST(ReductionJobTest, RestoreHandsBackTheAcceptedTrialWhenTheRelayoutHoldsFewer) {
  PLATENEST_REQUIRE_BENCHMARKS();
  ScratchFolder scratch;
  CurrentFolder inScratch(scratch.path());  // the part-list check report lands there
  std::unique_ptr<Nester> nester = loadJakobs1(scratch);
  reduce(*nester, scratch / "DetailsReport.txt");
  const std::vector<std::string> lines = reportLines(scratch / "DetailsReport.txt");
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 3].rfind("母板尺寸:1100x1100,", 0), 0u) << lines[lines.size() - 3];
  const std::string& last = lines.back();
  EXPECT_EQ(last.rfind("恢复后的母板尺寸:1200x1100,", 0), 0u) << last;
  EXPECT_EQ(last.substr(last.rfind('=') + 1), "25");
  EXPECT_EQ(countOnPlate(*nester), 25);
  EXPECT_EQ(nester->computeLayoutStatistics().count, 25);
  // The restored layout is the accepted trial's, part for part.
  EXPECT_EQ(readBytes(scratch / "1200x1100(恢复后).dxf"), readBytes(scratch / "1200x1100.dxf"));
}

// Stops the run once the layout of trial `stopIn` has begun.
class StopInTrial : public Progress {
 public:
  explicit StopInTrial(int stopIn) : stopIn_(stopIn) {}
  void begin(std::string_view what, std::int64_t) override {
    if (what == "parts" && ++layouts_ == stopIn_) cancel();
  }
  void advance(std::int64_t done) override { trials = done; }
  std::int64_t trials = 0;

 private:
  int stopIn_;
  int layouts_ = 0;
};

// A run stopped in the middle of a trial leaves the last accepted trial on the plate and on
// its plate size, and reports no trial it did not finish.
TEST(ReductionJobTest, StoppedRunLeavesTheLastAcceptedTrial) {
  PLATENEST_REQUIRE_BENCHMARKS();
  ScratchFolder scratch;
  CurrentFolder inScratch(scratch.path());  // the part-list check report lands there
  std::unique_ptr<Nester> nester = loadJakobs1(scratch);
  StopInTrial progress(4);  // 1300 x 2000, 1900 and 1800 done; stopped in 1300 x 1700
  nester->progress = &progress;
  reduce(*nester, scratch / "DetailsReport.txt");
  const std::vector<std::string> lines = reportLines(scratch / "DetailsReport.txt");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2].rfind("母板尺寸:1300x1800,", 0), 0u) << lines[2];
  EXPECT_EQ(nester->plateWidth(), 1800);
  EXPECT_EQ(nester->plateLength(), 1300);
  EXPECT_EQ(countOnPlate(*nester), 25);
  EXPECT_TRUE(fs::exists(scratch / "1300x1800.dxf"));
  EXPECT_FALSE(fs::exists(scratch / "1300x1700.dxf"));
}

}  // namespace
}  // namespace platenest
