// The part-list file: entries as read, the outline groups they encode, the check report,
// the repair of arcs one step too short, and the regions and settings a file leaves.
#include "readers/part_list_file.h"
#include "test_support/scratch_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "geometry/discretise.h"
#include "loading/reader_runs.h"
#include "readers/config_section.h"
#include "readers/part_entry.h"
#include "support/fatal_error.h"
#include "support/gbk.h"
#include "support/line_reader.h"
#include "support/messages.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

namespace fs = std::filesystem;

using ::platenest::testing::ScratchFolder;
using ::platenest::testing::readBytes;

// The bytes a GBK, CR LF report holds for these UTF-8 lines.
std::string reportBytes(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += utf8ToGbk(line) + "\r\n";
  return bytes;
}

// One point record as the file writes it: v, x, y (code, tag and the two values left 0).
struct Rec {
  double v, x, y;
};

std::string number(double value) { return formatG(value); }

// A PARTINFO block with `pointNum` and one point line per record, CR LF line ends.
std::string block(const std::string& name, int pointNum, const std::vector<Rec>& records,
                  bool endLine = true) {
  std::string text = "PARTINFO\r\nNameID=" + name + "\r\npartName=" + name +
                     "-drawing\r\npartinf=3,1,2.5\r\npointNum=" + std::to_string(pointNum) + "\r\n";
  for (std::size_t i = 0; i < records.size(); ++i) {
    text += std::to_string(i) + ",0,,0,0," + number(records[i].v) + "," + number(records[i].x) +
            "," + number(records[i].y) + "\r\n";
  }
  if (endLine) text += "_end_\r\n";
  return text;
}

// A closed straight-edged group: header, head with the vertex count + 1, the other
// vertices, and the closing record.
std::vector<Rec> group(const std::vector<std::pair<double, double>>& vertices,
                       const std::vector<double>& radii = {}) {
  std::vector<Rec> records{{0, 0, 0}};
  const double n = static_cast<double>(vertices.size()) + 1;
  records.push_back({n, vertices[0].first, vertices[0].second});
  for (std::size_t j = 1; j <= vertices.size(); ++j) {
    const double radius = j - 1 < radii.size() ? radii[j - 1] : 0.0;
    const auto& p = j < vertices.size() ? vertices[j] : vertices[0];
    records.push_back({radius, p.first, p.second});
  }
  return records;
}

std::vector<Rec> concat(std::vector<Rec> a, const std::vector<Rec>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::vector<std::pair<double, double>> kRectangle{{0, 0}, {100, 0}, {100, 50}, {0, 50}};
const std::vector<std::pair<double, double>> kSquareHole{{45, 20}, {55, 20}, {55, 30}, {45, 30}};

// A half disc over a chord of 10 whose arc radius is `radius`.
std::vector<Rec> halfDisc(double radius) { return group({{0, 0}, {10, 0}}, {radius, 0}); }

std::string settings(const std::string& lines) { return "CONFIGINFO\r\n" + lines + "_end_\r\n"; }

std::string setting(const std::string& name, const std::string& value) {
  return name + std::string(16 - name.size(), ' ') + "= " + value + "\r\n";
}

bool parseText(const std::string& text, PartEntry& entry) {
  LineReader reader;
  reader.openBytes(text);
  std::string opening;
  reader.readLine(opening, 1000);  // the PARTINFO line
  return parsePartEntry(reader, entry);
}

// ---- Reading one entry

TEST(PartEntryTest, ReadsTheFieldsAndPointRecords) {
  PartEntry entry;
  const std::string text =
      "PARTINFO\r\nNameID= P1 \r\npartName=bracket\r\npartinf=7,2,1.5\r\n"
      "pointNum=3\r\n"
      "0,5,tagA,1.25,2.5,3,10,20\r\n"
      "1,6,tagB,0,0\r\n"        // commas missing: v, x and y stay 0
      "x 2 y,9,,0,0,1,2,3\r\n"  // the index may stand anywhere; reading starts after it
      "_end_\r\nafter\r\n";
  ASSERT_TRUE(parseText(text, entry));
  EXPECT_EQ(entry.NameID, " P1 ");
  EXPECT_EQ(entry.partName, "bracket");
  EXPECT_EQ(entry.partinfNumber, 7);
  EXPECT_TRUE(entry.partinfFlag);
  EXPECT_EQ(entry.partinfValue, 1.5f);
  ASSERT_EQ(entry.points.size(), 3u);
  const PointRecord& first = entry.points[0];
  EXPECT_EQ(first.code, 5);
  EXPECT_EQ(first.tag, "tagA");
  EXPECT_EQ(first.value1, 1.25f);
  EXPECT_EQ(first.value2, 2.5f);
  EXPECT_EQ(first.v, 3);
  EXPECT_EQ(first.x, 10);
  EXPECT_EQ(first.y, 20);
  const PointRecord& second = entry.points[1];
  EXPECT_EQ(second.code, 6);
  EXPECT_EQ(second.tag, "tagB");
  EXPECT_EQ(second.v, 0);
  EXPECT_EQ(second.x, 0);
  EXPECT_EQ(second.y, 0);
  const PointRecord& third = entry.points[2];
  EXPECT_EQ(third.code, 9);
  EXPECT_EQ(third.v, 1);
  EXPECT_EQ(third.x, 2);
  EXPECT_EQ(third.y, 3);
}

TEST(PartEntryTest, AnOverlongTagIsCutAndTheNumbersAfterItStillRead) {
  PartEntry entry;
  const std::string tag(100, 'T');
  const std::string text = "PARTINFO\r\nNameID=P\r\npointNum=3\r\n0,0,,0,0,0,0,0\r\n1,4," + tag +
                           ",0,0,5,123.25,456.5\r\n2,0,,0,0,0,0,0\r\n_end_\r\n";
  ASSERT_TRUE(parseText(text, entry));
  EXPECT_EQ(entry.points[1].tag, std::string(kMaxTagBytes, 'T'));
  EXPECT_EQ(entry.points[1].v, 5);
  EXPECT_EQ(entry.points[1].x, 123.25);
  EXPECT_EQ(entry.points[1].y, 456.5);
}

struct CountCase {
  const char* name;
  std::string text;
  bool valid;
  std::size_t records;
};

void PrintTo(const CountCase& c, std::ostream* os) { *os << c.name; }

class PartEntryCountTest : public ::testing::TestWithParam<CountCase> {};

TEST_P(PartEntryCountTest, KeepsOnlyEntriesWithTheAnnouncedRecords) {
  PartEntry entry;
  EXPECT_EQ(parseText(GetParam().text, entry), GetParam().valid);
  EXPECT_EQ(entry.points.size(), GetParam().records);
}

const std::vector<Rec> kRectangleRecords = group(kRectangle);

std::string withoutIndex(std::string text, const std::string& line) {
  const std::size_t at = text.find(line);
  return text.replace(at, line.size(), "x,0,,0,0,0,100,50");
}

const CountCase kCountCases[] = {
    {"SixOfSix", block("R", 6, kRectangleRecords), true, 6},
    // The end line is read as the seventh point line: 6 records, not 7.
    {"SixUnderSeven", block("R", 7, kRectangleRecords), false, 6},
    {"IndexMissingSkipsTheLine",
     withoutIndex(block("R", 6, kRectangleRecords), "3,0,,0,0,0,100,50"), false, 5},
    {"FewerThanThree", block("R", 2, {{0, 0, 0}, {1, 0, 0}}), false, 2},
    {"SecondPointBlock",
     block("R", 6, kRectangleRecords, false) + "pointNum=1\r\n0,0,,0,0,0,1,1\r\n_end_\r\n", false,
     7},
    {"NegativePointNum", block("R", -2, {}), false, 0},
    {"EndOfFileInsidePoints", block("R", 9, kRectangleRecords, false), false, 6},
};

INSTANTIATE_TEST_SUITE_P(Counts, PartEntryCountTest, ::testing::ValuesIn(kCountCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Groups of records

PartEntry entryOf(const std::vector<Rec>& records, const std::string& name = "E") {
  PartEntry entry;
  entry.NameID = name;
  for (const Rec& r : records) {
    PointRecord record;
    record.v = r.v;
    record.x = r.x;
    record.y = r.y;
    entry.points.push_back(record);
  }
  return entry;
}

TEST(PartEntryTest, GroupsBecomeContoursInReverseReadingOrder) {
  const EntryContours built = buildEntryContours(entryOf(
      concat(group(kRectangle, {0, 0, 0, 0}), group({{45, 20}, {55, 20}, {55, 30}}, {0, -7, 0}))));
  EXPECT_EQ(built.badGroups, 0);
  ASSERT_EQ(built.contours.size(), 2u);
  const Contour& triangle = built.contours.front();
  ASSERT_EQ(triangle.vertexCount(), 3);
  EXPECT_EQ(triangle.vertices[0].x, 45);
  EXPECT_EQ(triangle.vertices[2].y, 30);
  EXPECT_EQ(triangle.radii, (std::vector<double>{0, -7, 0}));
  const Contour& rectangle = built.contours.back();
  ASSERT_EQ(rectangle.vertexCount(), 4);
  EXPECT_EQ(rectangle.vertices[3].x, 0);
  EXPECT_EQ(rectangle.vertices[3].y, 50);
}

struct GroupCase {
  const char* name;
  std::vector<Rec> records;
  int badGroups;
  std::size_t contours;
};

void PrintTo(const GroupCase& c, std::ostream* os) { *os << c.name; }

class BadGroupTest : public ::testing::TestWithParam<GroupCase> {};

// Bad heads are counted, and nothing is read outside the records (run under the sanitizer).
TEST_P(BadGroupTest, CountsBadGroupsWithoutLeavingTheRecords) {
  const EntryContours built = buildEntryContours(entryOf(GetParam().records));
  EXPECT_EQ(built.badGroups, GetParam().badGroups);
  EXPECT_EQ(built.contours.size(), GetParam().contours);
}

const GroupCase kGroupCases[] = {
    {"HeadOfOne", {{0, 0, 0}, {1, 0, 0}, {0, 0, 0}}, 1, 0},
    {"TwoBadHeads", {{0, 0, 0}, {1, 0, 0}, {0, 0, 0}, {0, 0, 0}}, 2, 0},
    {"NegativeCount", {{0, 0, 0}, {-3, 0, 0}, {0, 1, 1}, {0, 2, 2}}, 1, 0},
    {"HugeNegativeCount", {{0, 0, 0}, {-1e300, 0, 0}, {0, 1, 1}}, 1, 0},
    {"ClaimsMoreThanHeld", {{0, 0, 0}, {9, 0, 0}, {0, 1, 0}, {0, 1, 1}}, 1, 0},
    {"HugeCount", {{0, 0, 0}, {1e300, 0, 0}, {0, 1, 0}}, 1, 0},
    {"GoodThenTooLong", concat(group(kRectangle), {{0, 0, 0}, {6, 0, 0}, {0, 1, 1}}), 1, 1},
    {"FractionalCountTruncates", concat(group(kRectangle), {{0, 0, 0}, {1.9, 0, 0}}), 1, 1},
};

INSTANTIATE_TEST_SUITE_P(Groups, BadGroupTest, ::testing::ValuesIn(kGroupCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Check, repair and conversion with the check report

struct Reported {
  bool checked = false;
  bool repaired = false;
  Region region;
  std::string report;
};

Reported checkAndRepair(const PartEntry& entry, const fs::path& reportPath) {
  Reported result;
  TextWriter report;
  EXPECT_TRUE(report.open(reportPath, TextWriter::Mode::kTruncate));
  result.checked = checkPartEntry(entry, report);
  if (!result.checked) result.repaired = repairPartEntry(entry, result.region, report);
  report.close();
  result.report = readBytes(reportPath);
  return result;
}

// An arc radius 0.05 short of half its chord is mended by the 0.1 mm step; 0.15 short is not.
TEST(PartEntryTest, ArcsTooShortAreReportedAndRepairedOnce) {
  ScratchFolder scratch;
  const std::string check =
      "\t报警圆弧:起点(0,0),终点(10,0), 错误细节:起讫点距离d=10"
      "超过两倍半径的绝对值=2*|R|=2*";
  const std::string enlarge = "圆弧半径绝对值|R|需要适当增加，以连接零件轮廓某段起讫点。";
  const Reported mended = checkAndRepair(entryOf(halfDisc(4.95), "ARC"), scratch / "a.txt");
  EXPECT_FALSE(mended.checked);
  ASSERT_TRUE(mended.repaired);
  EXPECT_EQ(mended.report, reportBytes({check + "4.95=9.9, 圆弧无法生成!", "以上错误发生于零件:ARC",
                                        enlarge, "圆弧半径绝对值|R|增加了0.1mm，问题得到修正。"}));
  ASSERT_EQ(mended.region.outer.radii.size(), 2u);
  EXPECT_EQ(mended.region.outer.radii[0], 4.95 + 0.1);
  EXPECT_EQ(mended.region.label.text, "ARC");

  const Reported dropped = checkAndRepair(entryOf(halfDisc(-4.85), "P"), scratch / "b.txt");
  EXPECT_FALSE(dropped.checked);
  EXPECT_FALSE(dropped.repaired);
  EXPECT_EQ(dropped.report,
            reportBytes({check + "4.85=9.7, 圆弧无法生成!", "以上错误发生于零件:P", enlarge,
                         "圆弧半径绝对值|R|增加了0.1mm，依然无法连接零件轮廓某段起讫点！"}));

  const Reported clean = checkAndRepair(entryOf(group(kRectangle), "OK"), scratch / "c.txt");
  EXPECT_TRUE(clean.checked);
  EXPECT_EQ(clean.report, "");
}

TEST(PartEntryTest, BadGroupsAreReportedByTheCheckAndOnceByTheRepair) {
  ScratchFolder scratch;
  const std::vector<Rec> twoBad{{0, 0, 0}, {1, 0, 0}, {0, 0, 0}, {0, 0, 0}};
  const std::vector<Rec> negative{{0, 0, 0}, {-3, 0, 0}, {0, 1, 1}, {0, 2, 2}};
  const std::string bad = "\t某个面域点的数目<=0, 错误!";
  for (const auto& records : {twoBad, negative}) {
    const Reported r = checkAndRepair(entryOf(records, "BAD"), scratch / "PackError.txt");
    EXPECT_FALSE(r.checked);
    EXPECT_FALSE(r.repaired);
    const bool two = records.size() == twoBad.size() && records[1].v == 1;
    EXPECT_EQ(r.report, two ? reportBytes({bad, bad, "以上错误发生于零件:BAD", bad})
                            : reportBytes({bad, "以上错误发生于零件:BAD", bad}));
  }
}

TEST(PartEntryTest, LargestContourIsTheOuterBoundaryInEitherOrder) {
  const std::vector<Rec> rectangle = group(kRectangle);
  const std::vector<Rec> hole = group(kSquareHole);
  for (const auto& records : {concat(rectangle, hole), concat(hole, rectangle)}) {
    Region region;
    convertPartEntry(entryOf(records, "PLATE"), region);
    const Polygon outer = toPolygon(region.outer, 1.0);
    EXPECT_EQ(outer.area(), 5000);
    EXPECT_EQ(outer.box().minX, 0);
    EXPECT_EQ(outer.box().maxX, 100);
    EXPECT_EQ(outer.box().maxY, 50);
    ASSERT_EQ(region.holes.size(), 1u);
    EXPECT_EQ(toPolygon(region.holes.front(), 1.0).area(), 100);
    EXPECT_EQ(region.area, 4900);
    EXPECT_EQ(region.label.text, "PLATE");
  }
}

TEST(PartEntryTest, LongNamesAreCutToTheLabelWithoutSplittingACharacter) {
  Region region;
  const std::string ascii(60, 'N');
  convertPartEntry(entryOf(group(kRectangle), ascii), region);
  EXPECT_EQ(region.label.text, std::string(TextLabel::kMaxBytes, 'N'));
  // 30 GBK characters of two bytes: 49 bytes would split the 25th; 24 whole ones remain.
  std::string gbk;
  for (int i = 0; i < 30; ++i) gbk += "\xB0\xE5";
  convertPartEntry(entryOf(group(kRectangle), gbk), region);
  EXPECT_EQ(region.label.text, gbk.substr(0, 48));
  std::string utf8;
  for (int i = 0; i < 20; ++i) utf8 += "板";  // three bytes each
  convertPartEntry(entryOf(group(kRectangle), utf8), region);
  EXPECT_EQ(region.label.text, utf8.substr(0, 48));
}

// ---- The whole file

TEST(PartListFileTest, DroppedEntriesLeaveGapsInTheIds) {
  ScratchFolder scratch;
  const fs::path file = scratch / "job.preSrc";
  std::ofstream(file, std::ios::binary)
      << settings(setting("staPlate_0", "3000") + setting("staPlate_1", "1500")) +
             block("P", 4, halfDisc(4.85)) + block("Q", 6, group(kRectangle)) +
             block("R", 4, halfDisc(4.95));
  Nester nester;
  std::vector<RejectedPart> rejected;
  readPartListFile(nester, file, scratch / "PackError.txt", rejected);
  ASSERT_EQ(nester.regions.count(), 2);
  auto it = nester.regions.begin();
  EXPECT_EQ(it->id, 2);
  EXPECT_EQ(it->label.text, "R");
  ++it;
  EXPECT_EQ(it->id, 1);
  EXPECT_EQ(it->label.text, "Q");
  ASSERT_EQ(rejected.size(), 1u);
  EXPECT_EQ(rejected[0].id, 0);
  EXPECT_EQ(rejected[0].name, "P");
  EXPECT_NE(rejected[0].reason.find("依然无法连接"), std::string::npos);
  EXPECT_EQ(rejected[0].reason.find("以上错误发生于零件"), std::string::npos);
  // P's check and repair lines, then R's check and repair lines, in file order.
  const std::string report = gbkToUtf8(readBytes(scratch / "PackError.txt"));
  EXPECT_LT(report.find("以上错误发生于零件:P"), report.find("以上错误发生于零件:R"));
  EXPECT_NE(report.find("问题得到修正"), std::string::npos);
}

TEST(PartListFileTest, SettingsReachTheNesterAndThePlate) {
  ScratchFolder scratch;
  const fs::path file = scratch / "job.preSrc";
  std::ofstream(file, std::ios::binary)
      << "header line\r\n" +
             settings(setting("partToPartGap", "0.1") + setting("bPartTurnover", "0") +
                      setting("staPlate_0", "3000") + setting("staPlate_1", "1500") +
                      setting("minPlate_1", "700") + setting("feetLength_0", "250")) +
             block(" P1", 6, group(kRectangle)) + "_end_\r\nPARTINFO\r\n";
  Nester nester;
  readPartListFile(nester, file, scratch / "PackError.txt");
  EXPECT_TRUE(nester.hasJobSettings);
  EXPECT_EQ(nester.partGap, 0.100000001490116119384765625);
  EXPECT_FALSE(nester.bPartTurnover);
  EXPECT_EQ(nester.plateLength(), 3000);
  EXPECT_EQ(nester.plateWidth(), 1500);
  EXPECT_EQ(nester.plate().length, 3000);
  EXPECT_EQ(nester.plate().area, 4500000);
  EXPECT_EQ(nester.plateRect().maxX, 3000);
  EXPECT_EQ(nester.plateRect().maxY, 1500);
  EXPECT_EQ(nester.settings.minPlate_1, 700);
  EXPECT_EQ(nester.settings.minPlate_0, 0);
  EXPECT_EQ(nester.settings.feetLength_0, 250);
  ASSERT_EQ(nester.regions.count(), 1);
  EXPECT_EQ(nester.regions.begin()->label.text, " P1");
  EXPECT_EQ(nester.regions.begin()->id, 0);
}

TEST(PartListFileTest, WithoutSettingsTheConstructionValuesStay) {
  ScratchFolder scratch;
  const fs::path file = scratch / "job.preSrc";
  std::ofstream(file, std::ios::binary) << block("A", 6, group(kRectangle));
  Nester nester;
  readPartListFile(nester, file, scratch / "PackError.txt");
  EXPECT_FALSE(nester.hasJobSettings);
  EXPECT_EQ(nester.plateLength(), 6000);
  EXPECT_EQ(nester.plateWidth(), 4000);
  EXPECT_EQ(nester.plateRect().maxX, 6000);
  EXPECT_EQ(nester.plateRect().maxY, 4000);
  EXPECT_EQ(nester.partGap, 0);
  EXPECT_TRUE(nester.bPartTurnover);
  EXPECT_EQ(nester.settings.feetLength_0, 0);
  EXPECT_EQ(nester.settings.minPlate_0, 0);
  EXPECT_EQ(nester.regions.count(), 1);
}

TEST(PartListFileTest, ZeroPlateFromTheSettingsIsFatal) {
  ScratchFolder scratch;
  const fs::path file = scratch / "job.preSrc";
  std::ofstream(file, std::ios::binary)
      << settings("staPlate_0     = 3000\r\n" + setting("staPlate_1", "1500")) +
             block("A", 6, group(kRectangle));
  Nester nester;
  RecordingMessageSink sink;
  ScopedMessageSink scoped(&sink);
  try {
    readPartListFile(nester, file, scratch / "PackError.txt");
    FAIL() << "a zero plate length must end the load";
  } catch (const FatalError& error) {
    EXPECT_EQ(error.text(), "包围盒大小为零!");
    EXPECT_EQ(error.detail(), file.string());
  }
  EXPECT_FALSE(fs::exists(scratch / "PackError.txt"));
}

TEST(PartListFileTest, FilesThatCannotBeOpenedAreFatal) {
  ScratchFolder scratch;
  Nester nester;
  try {
    readPartListFile(nester, scratch / "missing.preSrc", scratch / "PackError.txt");
    FAIL() << "a missing file must end the load";
  } catch (const FatalError& error) {
    EXPECT_EQ(error.channel(), FatalChannel::kMessageBox);
    EXPECT_EQ(error.caption(), "Warning!");
    EXPECT_EQ(error.text(), "零件数据文件读取失败!");
  }
  const fs::path file = scratch / "job.preSrc";
  std::ofstream(file, std::ios::binary) << block("A", 6, group(kRectangle));
  try {
    readPartListFile(nester, file, scratch / "no-such-folder" / "PackError.txt");
    FAIL() << "an unwritable check report must end the load";
  } catch (const FatalError& error) {
    EXPECT_EQ(error.caption(), "Warning!");
    EXPECT_EQ(error.text(), "排样错误报告文件输出失败!");
    // The path and the system's reason follow the defined text.
    EXPECT_NE(error.detail().find("no-such-folder/PackError.txt"), std::string::npos) << error.detail();
    EXPECT_NE(error.detail().find("No such file or directory"), std::string::npos) << error.detail();
  }
}

TEST(PartListFileTest, EntriesWithWrongCountsAreDroppedWithoutAReportLine) {
  ScratchFolder scratch;
  const fs::path file = scratch / "job.preSrc";
  std::ofstream(file, std::ios::binary)
      << block("SEVEN", 7, group(kRectangle)) + block("GOOD", 6, group(kRectangle));
  Nester nester;
  std::vector<RejectedPart> rejected;
  readPartListFile(nester, file, scratch / "PackError.txt", rejected);
  ASSERT_EQ(nester.regions.count(), 1);
  // Only entries that were read count for the ids.
  EXPECT_EQ(nester.regions.begin()->id, 0);
  EXPECT_EQ(nester.regions.begin()->label.text, "GOOD");
  EXPECT_EQ(readBytes(scratch / "PackError.txt"), "");
  ASSERT_EQ(rejected.size(), 1u);
  EXPECT_EQ(rejected[0].id, -1);
  EXPECT_EQ(rejected[0].name, "SEVEN");
}

}  // namespace
}  // namespace platenest
