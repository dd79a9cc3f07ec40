// The job settings block: which lines set which setting, where the block ends, and what
// reaches the nester.
#include "readers/config_section.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "support/line_reader.h"

namespace platenest {
namespace {

// A key padded with blanks to the 16 characters a setting line needs.
std::string key(const std::string& name) { return name + std::string(16 - name.size(), ' '); }

// Reads a block from `text` (the lines after the CONFIGINFO line); `rest` gets the first
// line after the block, so a test can see where reading stopped.
NestConfig readBlock(const std::string& text, std::string* rest = nullptr) {
  LineReader reader;
  reader.openBytes(text);
  NestConfig config;
  config.nestType = 77;  // must be cleared
  config.bMirror = true;
  readConfigSection(reader, config);
  if (rest != nullptr) {
    rest->clear();
    reader.readLine(*rest, 1000);
  }
  return config;
}

[[maybe_unused]] void PrintTo(const NestConfig& c, std::ostream* os) {
  *os << "{nestType " << c.nestType << ", mplateType " << c.mplateType << ", feetLength "
      << c.feetLength_0 << "/" << c.feetLength_1 << ", staPlate " << c.staPlate_0 << "/"
      << c.staPlate_1 << ", minPlate " << c.minPlate_0 << "/" << c.minPlate_1 << ", maxPlate "
      << c.maxPlate_0 << "/" << c.maxPlate_1 << ", bAutoResize " << c.bAutoResize << ", bMirror "
      << c.bMirror << ", gaps " << c.partToPartGap << "/" << c.partToMplateGap << ", bPartTurnover "
      << c.bPartTurnover << ", bHolePart " << c.bHolePart << ", maxNestPartNum " << c.maxNestPartNum
      << ", part gaps " << c.minPartGap << "/" << c.maxPartGap << ", plate gaps " << c.minMplateGap
      << "/" << c.maxMplateGap << ", precision " << c.precision_length << "/" << c.precision_ang
      << "}";
}

struct BlockCase {
  const char* name;
  std::string text;
  NestConfig expected;
  std::string nextLine;  // the line the caller reads after the block
};

void PrintTo(const BlockCase& c, std::ostream* os) { *os << c.name; }

NestConfig with(void (*set)(NestConfig&)) {
  NestConfig config;
  set(config);
  return config;
}

class ConfigBlockTest : public ::testing::TestWithParam<BlockCase> {};

TEST_P(ConfigBlockTest, ReadsTheSettings) {
  const BlockCase& c = GetParam();
  std::string next;
  const NestConfig config = readBlock(c.text, &next);
  EXPECT_EQ(config, c.expected);
  EXPECT_EQ(next, c.nextLine);
}

const BlockCase kBlockCases[] = {
    {"GapTurnoverAndPlate",
     key("partToPartGap") + "=10\r\n" + key("bPartTurnover") + "=0\r\n" + key("staPlate_0") +
         "=3000\r\n" + key("staPlate_1") + "=1500\r\n_end_\r\nPARTINFO\r\n",
     with([](NestConfig& c) {
       c.partToPartGap = 10;
       c.staPlate_0 = 3000;
       c.staPlate_1 = 1500;
     }),
     "PARTINFO\n"},
    {"OneBlankTooFewIsNoMatch",
     "staPlate_0     =3000\r\n" + key("staPlate_1") + "= 1500\r\n_end_\r\n",
     with([](NestConfig& c) { c.staPlate_1 = 1500; }), ""},
    {"MoreBlanksStillMatch", "  staPlate_0          =  3000  \r\n_end_\r\n",
     with([](NestConfig& c) { c.staPlate_0 = 3000; }), ""},
    {"BoolTwoIsTrue", key("bMirror") + "= 2\n_end_\n",
     with([](NestConfig& c) { c.bMirror = true; }), ""},
    {"BoolNotANumberIsFalse", key("bMirror") + "= x\n_end_\n", NestConfig{}, ""},
    {"KeyWithoutEqualsIsIgnored", key("staPlate_0") + " 3000\n_end_\n", NestConfig{}, ""},
    {"EndAfterAValueDoesNotEndTheBlock",
     key("maxPlate_0") + "=8000 _end_\n" + key("staPlate_0") + "=2500\n_end_\nafter\n",
     with([](NestConfig& c) {
       c.maxPlate_0 = 8000;
       c.staPlate_0 = 2500;
     }),
     "after\n"},
    {"LaterValueWinsAnyOrder",
     key("minPlate_1") + "=300\n" + key("feetLength_0") + "=50\n" + key("minPlate_1") +
         "=400\n_end_\n",
     with([](NestConfig& c) {
       c.minPlate_1 = 400;
       c.feetLength_0 = 50;
     }),
     ""},
    // Two patterns in one line: the key tried first takes the value.
    {"FixedTestOrder", key("staPlate_0") + key("nestType") + "=5\n_end_\n",
     with([](NestConfig& c) { c.nestType = 5; }), ""},
    {"EveryKey",
     key("nestType") + "=1\n" + key("mplateType") + "=2\n" + key("feetLength_0") + "=3\n" +
         key("feetLength_1") + "=4\n" + key("staPlate_0") + "=5\n" + key("staPlate_1") + "=6\n" +
         key("minPlate_0") + "=7\n" + key("minPlate_1") + "=8\n" + key("maxPlate_0") + "=9\n" +
         key("maxPlate_1") + "=10\n" + key("bAutoResize") + "=1\n" + key("bMirror") + "=1\n" +
         key("partToPartGap") + "=11\n" + key("partToMplateGap") + "=12\n" + key("bPartTurnover") +
         "=1\n" + key("bHolePart") + "=1\n" + key("maxNestPartNum") + "=13\n" + key("minPartGap") +
         "=14\n" + key("maxPartGap") + "=15\n" + key("minMplateGap") + "=16\n" +
         key("maxMplateGap") + "=17\n" + "precision_length=18\n" + key("precision_ang") +
         "=19.5\n_end_\n",
     with([](NestConfig& c) {
       c = NestConfig{1,  2,  3,    4,    5,  6,  7,  8,  9,  10, true, true,
                      11, 12, true, true, 13, 14, 15, 16, 17, 18, 19.5f};
     }),
     ""},
    {"NumbersAsTheCLibraryReadsThem",
     key("nestType") + "= -3.9\n" + key("staPlate_0") + "=  12.5abc\n" + key("staPlate_1") +
         "=abc\n" + key("minPlate_0") + "=1e3\n_end_\n",
     with([](NestConfig& c) {
       c.nestType = -3;
       c.staPlate_0 = 12.5f;
       c.minPlate_0 = 1000;
     }),
     ""},
    // The block also ends at the end of the file; a last line without a line end keeps its
    // last digit.
    {"EndOfFileEndsTheBlock", key("staPlate_1") + "=1500",
     with([](NestConfig& c) { c.staPlate_1 = 1500; }), ""},
};

INSTANTIATE_TEST_SUITE_P(Blocks, ConfigBlockTest, ::testing::ValuesIn(kBlockCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace platenest
