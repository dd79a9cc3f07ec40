#include "support/gbk.h"

#include <gtest/gtest.h>

#include <string>

namespace platenest {
namespace {

struct GbkCase {
  const char* utf8;
  std::string gbk;
};

// Message and file-name texts the program writes, with their GBK bytes as iconv gives them.
TEST(GbkTest, MessageTextsConvertBothWays) {
  const GbkCase cases[] = {
      {"包围盒大小为零!", "\xB0\xFC\xCE\xA7\xBA\xD0\xB4\xF3\xD0\xA1\xCE\xAA\xC1\xE3\x21"},
      {"注意!", "\xD7\xA2\xD2\xE2!"},
      {"母板", "\xC4\xB8\xB0\xE5"},
      {"排样计算时间.txt", "\xC5\xC5\xD1\xF9\xBC\xC6\xCB\xE3\xCA\xB1\xBC\xE4.txt"},
      {"Warning! 6000x4000", "Warning! 6000x4000"},
      {"", ""},
  };
  for (const GbkCase& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(utf8ToGbk(c.utf8), c.gbk);
    EXPECT_EQ(gbkToUtf8(c.gbk), c.utf8);
  }
}

TEST(GbkTest, UnconvertibleTextIsReplacedNotDropped) {
  // An emoji has no GBK code: one '?' for the whole character, the rest kept.
  EXPECT_EQ(utf8ToGbk("a\xF0\x9F\x98\x80"
                      "b"),
            "a?b");
  // A broken UTF-8 sequence in the middle, and one cut off at the end.
  EXPECT_EQ(utf8ToGbk("x\xFFy"), "x?y");
  EXPECT_EQ(utf8ToGbk("\xE6\xAF"), "?");
  // An invalid GBK byte and a lead byte cut off at the end become U+FFFD.
  EXPECT_EQ(gbkToUtf8("a\xFF"
                      "b"),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(gbkToUtf8("\xC4\xB8\xB0"), "\xE6\xAF\x8D\xEF\xBF\xBD");
}

TEST(GbkTest, Utf8Validation) {
  EXPECT_TRUE(isValidUtf8(""));
  EXPECT_TRUE(isValidUtf8("plain"));
  EXPECT_TRUE(isValidUtf8("母板"));
  EXPECT_TRUE(isValidUtf8("\xF0\x9F\x98\x80"));
  EXPECT_FALSE(isValidUtf8("\xC4\xB8\xB0\xE5"));  // GBK bytes of a name
  EXPECT_FALSE(isValidUtf8("\xC0\xAF"));          // overlong '/'
  EXPECT_FALSE(isValidUtf8("\xE0\x80\xAF"));      // overlong, three bytes
  EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
  EXPECT_FALSE(isValidUtf8("\xE6\xAF"));          // cut off at the end
  EXPECT_FALSE(isValidUtf8("\xE6\x41\x8D"));      // continuation byte missing
}

TEST(GbkTest, DisplayNameKeepsUtf8AndDecodesGbk) {
  EXPECT_EQ(displayName("法兰-01"), "法兰-01");
  EXPECT_EQ(displayName(utf8ToGbk("法兰-01")), "法兰-01");
  EXPECT_EQ(displayName("P1"), "P1");
}

}  // namespace
}  // namespace platenest

namespace platenest {
namespace {

// Part names with escape sequences reached the terminal raw (recolouring it, moving the
// cursor); they are shown with visible escapes, and every other character as it is.
TEST(TerminalTextTest, ControlCharactersBecomeVisibleEscapes) {
  const struct {
    std::string_view text, shown;
  } cases[] = {{"plain 零件-1", "plain 零件-1"},
               {"\x1b[2J\x1b]0;owned\x07", "\\x1B[2J\\x1B]0;owned\\x07"},
               {"tab\there\r", "tab\\x09here\\x0D"},
               {"del\x7f", "del\\x7F"},
               {"c1\xc2\x9b" "31m", "c1\\x9B31m"},
               {"\xc2\xa0nbsp", "\xc2\xa0nbsp"}};
  for (const auto& c : cases) EXPECT_EQ(terminalText(c.text), c.shown) << c.text;
}

}  // namespace
}  // namespace platenest
