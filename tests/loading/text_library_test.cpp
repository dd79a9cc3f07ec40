// The text part library: header captions of fixed width, NAME blocks of contours, the end of
// the library, and how broken files are refused or their broken parts left out.
#include "readers/text_library.h"

#include <gtest/gtest.h>

#include <sstream>
#include <ostream>
#include <string>
#include <vector>

#include "loading/reader_runs.h"
#include "readers/parts_test_support.h"
#include "support/fatal_error.h"
#include "support/messages.h"

namespace platenest {
namespace {

using testing::gbkLines;
using testing::libraryHeader;
using testing::ScratchFolder;
using testing::rectangleBlock;

const std::string kSquareBlock = "NAME:sq\n5 0 0\n0 100 0\n0 100 100\n0 0 100\n0 0 0\n";

class TextLibraryTest : public ::testing::Test {
 protected:
  // Reads `text` as a library file into a fresh nester.
  Nester& read(const std::string& text) {
    nester_ = std::make_unique<Nester>();
    errorLog_ = openErrorLog(scratch_ / "PackError.txt");
    rejected_.clear();
    readTextLibrary(*nester_, errorLog_, scratch_.write("lib.txt", text), rejected_);
    return *nester_;
  }
  // The regions in reading order (the list holds them the other way round).
  std::vector<const Region*> inReadingOrder() const {
    std::vector<const Region*> regions;
    for (const Region& region : nester_->regions) regions.insert(regions.begin(), &region);
    return regions;
  }
  FatalError readExpectingFatal(const std::string& text) {
    try {
      read(text);
    } catch (const FatalError& error) {
      return error;
    }
    ADD_FAILURE() << "no fatal error";
    return FatalError::warning("");
  }
  std::filesystem::path libraryPath() const { return scratch_ / "lib.txt"; }
  std::vector<std::string> errorLog() {
    errorLog_.flush();
    return gbkLines(scratch_ / "PackError.txt");
  }

  ScratchFolder scratch_;
  TextWriter errorLog_;
  std::unique_ptr<Nester> nester_;
  std::vector<RejectedPart> rejected_;
  RecordingMessageSink sink_;
  ScopedMessageSink scope_{&sink_};
};

TEST_F(TextLibraryTest, HeaderCaptionsOfThirteenTwelveAndFourteenCharacters) {
  Nester& nester = read("PlateLength: 3000\nPlateWidth: 1500\nPartToPartGap:5\n#end\n");
  EXPECT_EQ(nester.plateLength(), 3000);
  EXPECT_EQ(nester.plateWidth(), 1500);
  EXPECT_EQ(nester.partGap, 5);
  EXPECT_EQ(nester.plate().area, 4500000);
  EXPECT_EQ(nester.plateRect().maxX, 3000);
  EXPECT_EQ(nester.plateRect().maxY, 1500);
  EXPECT_EQ(nester.regions.count(), 0);
  EXPECT_TRUE(sink_.messages().empty());
}

TEST_F(TextLibraryTest, ACaptionOfTheWrongWidthLosesDigitsAndAZeroPlateEndsTheRun) {
  // The value is read from a fixed column: with the caption one character off, "3000" is read
  // from its second character, "000", a plate of length zero.
  const FatalError error =
      readExpectingFatal("PlateLength:3000\nPlateWidth: 1500\nPartToPartGap:5\n#end\n");
  EXPECT_EQ(error.caption(), "Warning!");
  EXPECT_EQ(error.text(), "包围盒大小为零!");
  EXPECT_EQ(error.detail(), libraryPath().string() + ":1");

  const FatalError width =
      readExpectingFatal("PlateLength: 3000\nPlateWidth: none\nPartToPartGap:5\n#end\n");
  EXPECT_EQ(width.text(), "包围盒大小为零!");
  EXPECT_EQ(width.detail(), libraryPath().string() + ":2");

  EXPECT_EQ(readExpectingFatal("").text(), "包围盒大小为零!");
}

TEST_F(TextLibraryTest, ANegativePlateWarnsAndReadingGoesOn) {
  Nester& nester = read(libraryHeader(-3000, 1500, 0) + kSquareBlock + "#end\n");
  EXPECT_EQ(nester.plateLength(), -3000);
  EXPECT_EQ(sink_.texts(), (std::vector<std::string>{"板数据错误!"}));
  EXPECT_EQ(nester.regions.count(), 1);
}

TEST_F(TextLibraryTest, TheSquareBlock) {
  for (const std::string& lineEnd : {std::string("\n"), std::string("\r\n")}) {
    std::string text = libraryHeader(3000, 1500, 5) + kSquareBlock + "#end\n";
    if (lineEnd != "\n") {
      std::string crlf;
      for (char c : text) crlf += c == '\n' ? lineEnd : std::string(1, c);
      text = crlf;
    }
    Nester& nester = read(text);
    ASSERT_EQ(nester.regions.count(), 1);
    const Region& sq = *nester.regions.begin();
    EXPECT_EQ(sq.label.text, "sq");
    EXPECT_EQ(sq.id, 0);
    EXPECT_EQ(sq.outer.vertices.size(), 4u);
    EXPECT_EQ(sq.outer.radii, (std::vector<double>{0, 0, 0, 0}));
    EXPECT_EQ(sq.outer.vertices[2].x, 100);
    EXPECT_EQ(sq.outer.vertices[2].y, 100);
    EXPECT_TRUE(sq.holes.empty());
    EXPECT_DOUBLE_EQ(sq.area, 10000);
  }
}

TEST_F(TextLibraryTest, FieldsReadAsTheCLibraryReadsThem) {
  // The count 5.9 truncates to 5; an arc radius keeps its sign; a field after a comma is 0.
  Nester& nester = read(libraryHeader(3000, 1500, 0) +
                        "NAME:p\n5.9 0 0\n0 100,7\n-60 100 100\n0 0 100\n0 0 0\n#end\n");
  ASSERT_EQ(nester.regions.count(), 1);
  const Contour& outer = nester.regions.begin()->outer;
  ASSERT_EQ(outer.vertices.size(), 4u);
  EXPECT_EQ(outer.vertices[1].x, 100);
  EXPECT_EQ(outer.vertices[1].y, 0);
  EXPECT_EQ(outer.radii, (std::vector<double>{0, -60, 0, 0}));
}

TEST_F(TextLibraryTest, BlocksArriveInReverseReadingOrderNumberedAsRead) {
  Nester& nester = read(libraryHeader(3000, 1500, 0) + rectangleBlock("A", 0, 0, 10, 10, "\n") +
                        rectangleBlock("B", 0, 0, 20, 10, "\n") + "#end\n");
  ASSERT_EQ(nester.regions.count(), 2);
  auto it = nester.regions.begin();
  EXPECT_EQ(it->label.text, "B");
  EXPECT_EQ(it->id, 1);
  ++it;
  EXPECT_EQ(it->label.text, "A");
  EXPECT_EQ(it->id, 0);
}

TEST_F(TextLibraryTest, TheFirstContourIsTheOutlineWhateverItsSize) {
  const std::string small = "5 40 40\n0 60 40\n0 60 60\n0 40 60\n0 40 40\n";
  const std::string large = "5 0 0\n0 100 0\n0 100 100\n0 0 100\n0 0 0\n";
  const std::string other = "5 10 10\n0 20 10\n0 20 20\n0 10 20\n0 10 10\n";
  read(libraryHeader(3000, 1500, 0) + "NAME:framed\n" + large + small + other + "NAME:odd\n" +
       small + large + "#end\n");
  const std::vector<const Region*> regions = inReadingOrder();
  ASSERT_EQ(regions.size(), 2u);
  const Region& framed = *regions[0];
  EXPECT_EQ(framed.outer.vertices[0].x, 0);
  ASSERT_EQ(framed.holes.size(), 2u);
  // Holes are kept as the lists keep everything: the last read first.
  EXPECT_EQ(framed.holes.front().vertices[0].x, 10);
  EXPECT_EQ(framed.holes.back().vertices[0].x, 40);
  EXPECT_DOUBLE_EQ(framed.area, 10000 - 400 - 100);

  const Region& odd = *regions[1];
  EXPECT_EQ(odd.outer.vertices[0].x, 40);
  ASSERT_EQ(odd.holes.size(), 1u);
  EXPECT_EQ(odd.holes.front().vertices[0].x, 0);
}

TEST_F(TextLibraryTest, LinesOutsideBlocksAreSkipped) {
  read(libraryHeader(3000, 1500, 0) + "a comment\n" + rectangleBlock("A", 0, 0, 10, 10, "\n") +
       "xyz\n\n" + rectangleBlock("B", 0, 0, 20, 10, "\n") + "-- its hole:\n" +
       "5 2 2\n0 4 2\n0 4 4\n0 2 4\n0 2 2\n" + "#end\nNAME:after the end\n");
  const std::vector<const Region*> regions = inReadingOrder();
  ASSERT_EQ(regions.size(), 2u);
  EXPECT_EQ(regions[0]->label.text, "A");
  EXPECT_EQ(regions[0]->outer.vertices.size(), 4u);
  EXPECT_TRUE(regions[0]->holes.empty());
  EXPECT_EQ(regions[1]->label.text, "B");
  // A remark between an outline and its hole does not part them.
  EXPECT_EQ(regions[1]->holes.size(), 1u);
  EXPECT_TRUE(rejected_.empty());
}

TEST_F(TextLibraryTest, ALibraryWithoutEndMarkEndsWithTheFile) {
  // The last contour line has no line end either.
  read(libraryHeader(3000, 1500, 0) + rectangleBlock("A", 0, 0, 10, 10, "\n") +
       "NAME:B\n5 0 0\n0 20 0\n0 20 10\n0 0 10\n0 0 0");
  const std::vector<const Region*> regions = inReadingOrder();
  ASSERT_EQ(regions.size(), 2u);
  EXPECT_EQ(regions[1]->label.text, "B");
  EXPECT_DOUBLE_EQ(regions[1]->area, 200);
  EXPECT_TRUE(rejected_.empty());
}

struct BrokenBlockCase {
  const char* name;
  std::string blocks;  // between the header and the rest
  std::string rest;    // what follows; its parts must still be read
  std::string rejectedName;
  std::string reason;
  int regionsRead;
};
void PrintTo(const BrokenBlockCase& c, std::ostream* out) { *out << c.name; }

class BrokenBlockTest : public TextLibraryTest,
                        public ::testing::WithParamInterface<BrokenBlockCase> {};

TEST_P(BrokenBlockTest, IsLeftOutAndReportedWhileTheOthersAreRead) {
  const BrokenBlockCase& c = GetParam();
  Nester& nester = read(libraryHeader(3000, 1500, 0) + rectangleBlock("first", 0, 0, 10, 10, "\n") +
                        c.blocks + c.rest);
  EXPECT_EQ(nester.regions.count(), c.regionsRead);
  ASSERT_EQ(rejected_.size(), 1u);
  EXPECT_EQ(rejected_[0].name, c.rejectedName);
  EXPECT_EQ(rejected_[0].reason, c.reason);
  EXPECT_EQ(rejected_[0].id, -1);
  for (const Region& region : nester.regions) EXPECT_NE(region.label.text, c.rejectedName);
  // Ids stay dense: the regions are numbered 0 .. count - 1.
  std::int32_t expectedId = nester.regions.count();
  for (const Region& region : nester.regions) EXPECT_EQ(region.id, --expectedId);

  const std::vector<std::string> log = errorLog();
  ASSERT_EQ(log.size(), 3u);  // the dated header, the reason, the part
  EXPECT_EQ(log[1], "\t" + c.reason);
  EXPECT_EQ(log[2], "以上错误发生于零件:" + c.rejectedName);
  // A library that ends without its "#end" line may have been cut short: the operator is
  // told so; a complete one reads in silence.
  if (c.rest.find("#end") == std::string::npos) {
    ASSERT_EQ(sink_.messages().size(), 1u);
    EXPECT_NE(sink_.messages()[0].text.find("has no closing \"#end\" line"), std::string::npos)
        << sink_.messages()[0].text;
  } else {
    EXPECT_TRUE(sink_.messages().empty());
  }
}

const char* const kCutShort = "零件轮廓的行数不足, 零件数据不完整!";

INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenBlockTest,
    ::testing::Values(
        BrokenBlockCase{"NoContourBeforeNextName", "NAME:empty\n",
                        rectangleBlock("last", 0, 0, 5, 5, "\n") + "#end\n", "empty", "零件没有轮廓!", 2},
        BrokenBlockCase{"NoContourBeforeEnd", "NAME:empty\n", "#end\n", "empty", "零件没有轮廓!",
                        1},
        BrokenBlockCase{"NoContourAtEndOfFile", "NAME:empty", "", "empty", "零件没有轮廓!", 1},
        BrokenBlockCase{"ContourCutByEndOfFile", "NAME:cut\n5 0 0\n0 10 0\n0 10 10\n", "", "cut",
                        kCutShort, 1},
        BrokenBlockCase{"HoleCutByEndOfFile",
                        "NAME:cut\n5 0 0\n0 10 0\n0 10 10\n0 0 10\n0 0 0\n5 2 2\n0 4 2\n", "",
                        "cut", kCutShort, 1},
        BrokenBlockCase{"ContourCutByNextName", "NAME:cut\n5 0 0\n0 10 0\n",
                        rectangleBlock("last", 0, 0, 5, 5, "\n") + "#end\n", "cut", kCutShort, 2},
        BrokenBlockCase{"HugeCountRunsIntoTheEnd", "NAME:huge\n2000000000 0 0\n0 10 0\n0 10 10\n",
                        "#end\n", "huge", kCutShort, 1},
        BrokenBlockCase{"HugeCountAtEndOfFile", "NAME:huge\n1e300 0 0\n0 10 0\n", "", "huge",
                        kCutShort, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// Blanks after the figures of a line (padding up to a fixed width, as some exporters write)
// change nothing, however far past one read they reach: each line of a library with a part
// and a hole is padded in turn, in several ways, and the library reads as it does unpadded.
TEST_F(TextLibraryTest, BlanksPaddingAnyLineBeyondOneReadChangeNothing) {
  const std::vector<std::string> lines = {
      "PlateLength: 3000", "PlateWidth: 1500", "PartToPartGap:5", "NAME:sq", "5 0 0",
      "0 100 0", "0 100 100", "0 0 100", "0 0 0", "3 40 50", "10 60 50", "10", "#end"};
  const auto library = [&](std::size_t padded, const std::string& padding) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      text += lines[i] + (i == padded ? padding : "") + "\r\n";
    }
    return text;
  };
  const auto summary = [&](const Nester& nester) {
    std::ostringstream s;
    s << nester.plateLength() << "x" << nester.plateWidth() << " gap " << nester.partGap;
    for (const Region& region : nester.regions) {
      s << " " << region.label.text << ":";
      const Contour& outer = region.outer;
      for (std::size_t i = 0; i < outer.vertices.size(); ++i) {
        s << " " << outer.radii[i] << "," << outer.vertices[i].x << "," << outer.vertices[i].y;
      }
      s << " holes " << region.holes.size();
      for (const Contour& hole : region.holes) s << " r" << hole.radii.at(0);
    }
    return s.str();
  };
  const std::string expected = summary(read(library(lines.size(), "")));
  ASSERT_EQ(expected, "3000x1500 gap 5 sq: 0,0,0 0,100,0 0,100,100 0,0,100 holes 1 r10");
  for (std::size_t padded = 0; padded + 1 < lines.size(); ++padded) {
    if (padded == 3) continue;  // the name line: its rest is part of the name
    // Past one read, well past it, with tabs and a carriage return, and a line whose line
    // feed falls just past one read.
    for (const std::string& padding :
         {std::string(120, ' '), std::string(400, ' '), "\t" + std::string(110, ' ') + "\r",
          std::string(99 - lines[padded].size(), ' ')}) {
      EXPECT_EQ(summary(read(library(padded, padding))), expected)
          << "line " << padded + 1 << " padded with " << padding.size() << " blanks";
    }
  }
}

// Lines ended by a carriage return alone read, by line feeds, as one line whose pieces
// would give a plate of whatever figures fall at the caption columns: the file is refused,
// naming it and its line ends.
TEST_F(TextLibraryTest, LinesEndedByACarriageReturnAloneAreRefusedNamingTheLineEnds) {
  std::string text = libraryHeader(6000, 1500, 5) + kSquareBlock + "#end\n";
  for (char& c : text) {
    if (c == '\n') c = '\r';
  }
  const FatalError error = readExpectingFatal(text);
  EXPECT_NE(error.text().find("carriage return alone"), std::string::npos) << error.text();
  EXPECT_EQ(error.detail(), libraryPath().string() + ":1");
}

struct BadHeadCase {
  const char* name;
  std::string head;
};
void PrintTo(const BadHeadCase& c, std::ostream* out) { *out << c.name; }

class ContourHeadTest : public TextLibraryTest,
                        public ::testing::WithParamInterface<BadHeadCase> {};

TEST_P(ContourHeadTest, ACountOfOneLineOrFewerEndsTheRunNamingTheLine) {
  // The head stands on line 11: three header lines, a six-line block, then the name line.
  const FatalError error =
      readExpectingFatal(libraryHeader(3000, 1500, 0) + rectangleBlock("A", 0, 0, 10, 10, "\n") +
                         "NAME:bad\n" + GetParam().head + "\n0 0 0\n#end\n");
  EXPECT_EQ(error.text(), "某个面域点的数目<=0, 错误!");
  EXPECT_EQ(error.caption(), "Warning!");
  EXPECT_EQ(error.detail(), libraryPath().string() + ":11");
}

INSTANTIATE_TEST_SUITE_P(Cases, ContourHeadTest,
                         ::testing::Values(BadHeadCase{"One", "1 0 0"},
                                           BadHeadCase{"OneAndAHalf", "1.9 0 0"},
                                           BadHeadCase{"Zero", "0 0 0"},
                                           BadHeadCase{"Negative", "-4 0 0"},
                                           BadHeadCase{"NotANumber", "nan 0 0"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct NameCase {
  const char* name;
  std::string nameLine;  // after "NAME"
  std::string expected;
};
void PrintTo(const NameCase& c, std::ostream* out) { *out << c.name; }

class PartNameTest : public TextLibraryTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(PartNameTest, NamesAreCutAtFortyNineBytesOnACharacterBoundary) {
  Nester& nester = read(libraryHeader(3000, 1500, 0) + "NAME" + GetParam().nameLine +
                        "\n5 0 0\n0 10 0\n0 10 10\n0 0 10\n0 0 0\n#end\n");
  ASSERT_EQ(nester.regions.count(), 1);
  EXPECT_EQ(nester.regions.begin()->label.text, GetParam().expected);
  EXPECT_LE(nester.regions.begin()->label.text.size(), TextLabel::kMaxBytes);
  EXPECT_TRUE(rejected_.empty());
}

// "零" in GBK is C1 E3; 24 of them after one ASCII letter fill 49 bytes exactly, so a 25th
// character would straddle the limit.
std::string gbkZeros(int count) {
  std::string s;
  for (int i = 0; i < count; ++i) s += "\xC1\xE3";
  return s;
}

std::string repeat(const std::string& s, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += s;
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PartNameTest,
    ::testing::Values(
        NameCase{"ColonSeparator", ":FL1-0-0", "FL1-0-0"},
        NameCase{"BlankSeparator", " plate 7", "plate 7"}, NameCase{"EmptyName", ":", ""},
        NameCase{"NothingAfterName", "", ""},
        NameCase{"FortyNineBytesKept", ":" + std::string(49, 'x'), std::string(49, 'x')},
        NameCase{"AsciiCut", ":" + std::string(60, 'x'), std::string(49, 'x')},
        NameCase{"GbkNotSplit", ":a" + gbkZeros(30), "a" + gbkZeros(24)},
        NameCase{"GbkNotSplitAtOddOffset", ":" + gbkZeros(30), gbkZeros(24)},
        // A 3-byte UTF-8 character is not split either: 16 of them make 48 bytes.
        NameCase{"Utf8NotSplit", ":" + repeat("零", 20), repeat("零", 16)},
        // A name line longer than one read: its rest is not taken for a contour head.
        NameCase{"LineLongerThanOneRead", ":" + std::string(150, 'y'), std::string(49, 'y')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TextLibraryTest, AFileThatCannotBeOpenedEndsTheRun) {
  nester_ = std::make_unique<Nester>();
  errorLog_ = openErrorLog(scratch_ / "PackError.txt");
  const std::filesystem::path missing = scratch_ / "missing.txt";
  try {
    readTextLibrary(*nester_, errorLog_, missing);
    FAIL() << "no fatal error";
  } catch (const FatalError& error) {
    EXPECT_EQ(error.text(), "零件数据文件读取失败!");
    EXPECT_EQ(error.caption(), "Warning!");
    EXPECT_EQ(error.detail(), missing.string());
  }
}

}  // namespace
}  // namespace platenest
