// The packing report: the five figure lines, ten names a line, and the two layout warnings
// with the selection they leave.
#include "output/packing_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output_test_support.h"
#include "support/fatal_error.h"
#include "support/gbk.h"
#include "support/messages.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

using testing::ScratchFolder;

// `count` squares of side 100 named S1, S2, ... (or another prefix), parked beyond a
// 6000 x 2000 plate.
std::unique_ptr<Nester> squares(int count, const std::string& prefix = "S") {
  auto nester = testing::makeNester(6000, 2000);
  std::vector<Region> regions;
  for (int i = 0; i < count; ++i) {
    regions.push_back(
        testing::region(i, prefix + std::to_string(i + 1), testing::rectangleContour(0, 0, 100, 100)));
  }
  testing::addRegions(*nester, regions);
  for (PlacedPart& part : nester->parts) part.translate(7000, -200);
  return nester;
}

// Puts the first `count` parts of the working list in a row along the bottom edge.
void placeRow(Nester& nester, int count) {
  int i = 0;
  for (PlacedPart& part : nester.parts) {
    if (i == count) break;
    part.translate(-7000 + 100 * i, 200);
    ++i;
  }
}

std::string report(const std::vector<std::string>& utf8Lines) {
  std::string bytes;
  for (const auto& line : utf8Lines) bytes += utf8ToGbk(line) + "\r\n";
  return bytes;
}

struct ReportRun {
  std::string bytes;
  std::vector<std::string> messages;
  std::vector<std::string> selected;
};

ReportRun writeReport(Nester& nester, const ScratchFolder& scratch) {
  RecordingMessageSink sink;
  ScopedMessageSink guard(&sink);
  writePackingReport(nester, scratch / "Report.txt");
  ReportRun run;
  run.bytes = testing::readBytes(scratch / "Report.txt");
  run.messages = sink.texts();
  for (const PlacedPart& part : nester.parts) {
    if (part.selected) run.selected.push_back(part.label.text);
  }
  return run;
}

TEST(PackingReportTest, NothingOnThePlateGivesFiveLinesOfZeros) {
  ScratchFolder scratch;
  auto nester = squares(3);
  for (PlacedPart& part : nester->parts) part.selected = true;
  const ReportRun run = writeReport(*nester, scratch);
  EXPECT_EQ(run.bytes, report({"Packed length:0", "Packing density:0%", "Area of all parts:0",
                               "已排样零件数量=0", "已排样零件:"}));
  EXPECT_TRUE(run.messages.empty());
  EXPECT_TRUE(run.selected.empty());  // the old selection is cleared
}

// Names ten to a line: the lines of names for 1, 10, 11 and 21 parts on the plate.
TEST(PackingReportTest, TenNamesALine) {
  struct Case {
    int onPlate;
    std::vector<std::string> nameLines;
  };
  const std::vector<Case> cases = {
      {1, {"S1"}},
      {10, {"S1,S2,S3,S4,S5,S6,S7,S8,S9,S10"}},
      {11, {"S1,S2,S3,S4,S5,S6,S7,S8,S9,S10", "S11"}},
      {21, {"S1,S2,S3,S4,S5,S6,S7,S8,S9,S10", "S11,S12,S13,S14,S15,S16,S17,S18,S19,S20", "S21"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.onPlate);
    ScratchFolder scratch;
    auto nester = squares(22);  // one more stays parked and is not named
    placeRow(*nester, c.onPlate);
    const ReportRun run = writeReport(*nester, scratch);
    std::vector<std::string> lines = {
        "Packed length:" + formatG(100.0 * c.onPlate),
        "Packing density:" + formatG(10000.0 * c.onPlate / (100.0 * c.onPlate * 2000) * 100) + "%",
        "Area of all parts:" + formatG(10000.0 * c.onPlate),
        "已排样零件数量=" + std::to_string(c.onPlate), "已排样零件:"};
    lines.insert(lines.end(), c.nameLines.begin(), c.nameLines.end());
    EXPECT_EQ(run.bytes, report(lines));
    EXPECT_TRUE(run.messages.empty());
  }
}

TEST(PackingReportTest, ElevenPartsMatchGoldenFile) {
  ScratchFolder scratch;
  // Chinese names, as the shops write them; they are kept as the GBK bytes that were read.
  auto nester = squares(12, utf8ToGbk("法兰"));
  placeRow(*nester, 11);
  writeReport(*nester, scratch);
  testing::expectMatchesGolden(scratch / "Report.txt", "Report.txt");
}

// Names come in the reverse of the loaded order, whatever order the working list has.
TEST(PackingReportTest, NamesFollowTheReverseOfTheLoadedOrder) {
  ScratchFolder scratch;
  auto nester = squares(3);
  placeRow(*nester, 3);
  PartList reversed;
  reversed.assignFrom(nester->loadedParts);
  nester->loadedParts = reversed;  // loaded order S1, S2, S3
  const ReportRun run = writeReport(*nester, scratch);
  const std::string last = run.bytes.substr(run.bytes.rfind(utf8ToGbk(":")) + 1);
  EXPECT_EQ(last, "\r\nS3,S2,S1\r\n");
}

TEST(PackingReportTest, OverlappingPartsAreWarnedSelectedAndCounted) {
  ScratchFolder scratch;
  auto nester = squares(3);
  placeRow(*nester, 3);
  testing::partNamed(*nester, "S2").translate(-50, 0);  // half over S1
  const ReportRun run = writeReport(*nester, scratch);
  EXPECT_EQ(run.messages, std::vector<std::string>{"板内零件排样冲突!"});
  EXPECT_EQ(run.selected, (std::vector<std::string>{"S1", "S2"}));
  EXPECT_NE(run.bytes.find(utf8ToGbk("已排样零件数量=3")), std::string::npos);
  EXPECT_EQ(run.bytes.substr(0, 19), "Packed length:300\r\n");
}

TEST(PackingReportTest, PartOverThePlateEdgeIsWarnedSelectedAndNotCounted) {
  ScratchFolder scratch;
  auto nester = squares(3);
  placeRow(*nester, 2);
  testing::partNamed(*nester, "S3").translate(-1050, 250);  // x 5950..6050 over the far edge
  const ReportRun run = writeReport(*nester, scratch);
  EXPECT_EQ(run.messages, std::vector<std::string>{"待排样零件与板冲突!"});
  EXPECT_EQ(run.selected, std::vector<std::string>{"S3"});
  EXPECT_EQ(run.bytes, report({"Packed length:200", "Packing density:5%", "Area of all parts:20000",
                               "已排样零件数量=2", "已排样零件:", "S1,S2"}));
}

// Density and length come from the true outlines, not the grown ones the engine moves.
TEST(PackingReportTest, FiguresUseTrueOutlines) {
  ScratchFolder scratch;
  auto nester = squares(2);
  for (PlacedPart& part : nester->parts) part.offset(1);  // a gap of 2
  placeRow(*nester, 2);
  // Grown parts start at x = -1: move them onto the plate, touching each other.
  for (PlacedPart& part : nester->parts) part.translate(1 + 2 * (part.label.text == "S2"), 1);
  const ReportRun run = writeReport(*nester, scratch);
  EXPECT_TRUE(run.messages.empty());
  EXPECT_EQ(run.bytes.substr(0, run.bytes.find(utf8ToGbk("已"))),
            "Packed length:203\r\nPacking density:" + formatG(20000.0 / (203.0 * 2000) * 100) +
                "%\r\nArea of all parts:20000\r\n");
}

TEST(PackingReportTest, UnwritableReportIsFatalOnStandardError) {
  ScratchFolder scratch;
  auto nester = squares(1);
  try {
    writePackingReport(*nester, scratch / "missing" / "Report.txt");
    FAIL() << "no error";
  } catch (const FatalError& error) {
    EXPECT_EQ(error.channel(), FatalChannel::kStandardError);
    EXPECT_EQ(error.text(), "report file open error!");
  }
}

}  // namespace
}  // namespace platenest
