#include "support/text_writer.h"
#include "test_support/scratch_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include <algorithm>
#include <chrono>

namespace platenest {
namespace {

using ::platenest::testing::readBytes;

class TextWriterTest : public ::testing::Test {
 protected:
  std::filesystem::path file(const char* name) const { return directory_ / name; }

  testing::ScratchFolder scratch_;
  const std::filesystem::path& directory_ = scratch_.path();
};

TEST(FormatTest, RealNumbersAsPercentG) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {1234.5678, "1234.57"}, {6000, "6000"},          {0.0, "0"},      {-0.5, "-0.5"},
      {1e6, "1e+06"},         {123456.7, "123457"},    {1e-5, "1e-05"}, {0.0001, "0.0001"},
      {2.5e-300, "2.5e-300"}, {3.14159265, "3.14159"},
  };
  for (const auto& c : cases) EXPECT_EQ(formatG(c.value), c.text) << c.value;
  EXPECT_EQ(formatC("%gx%g.dxf", 6000.0, 3999.5), "6000x3999.5.dxf");
  EXPECT_EQ(formatC("%d:%s", 42, "ok"), "42:ok");
  // Longer than any small internal buffer.
  const std::string longText(1000, 'a');
  EXPECT_EQ(formatC("%s|%d", longText.c_str(), 7), longText + "|7");
}

TEST_F(TextWriterTest, LineEndsBecomeCrLfAndTextBecomesGbk) {
  {
    TextWriter writer;
    ASSERT_TRUE(writer.open(file("report.txt"), TextWriter::Mode::kTruncate));
    writer << "母板" << 6000.0 << "x" << 4000 << "\n";
    writer.bytes("\xC4\xB8\n\n");  // a name as read: bytes pass unchanged
    writer.number(1234.5678).endLine();
    writer.text("a\nb");
    EXPECT_TRUE(writer.close());
  }
  EXPECT_EQ(readBytes(file("report.txt")),
            "\xC4\xB8\xB0\xE5"
            "6000x4000\r\n\xC4\xB8\r\n\r\n1234.57\r\na\r\nb");
}

TEST_F(TextWriterTest, AppendKeepsWhatWasThereAndTruncateDoesNot) {
  {
    TextWriter writer;
    ASSERT_TRUE(writer.open(file("log.txt"), TextWriter::Mode::kTruncate));
    writer << "one\n";
    EXPECT_TRUE(writer.close());
  }
  {
    TextWriter writer;
    ASSERT_TRUE(writer.open(file("log.txt"), TextWriter::Mode::kAppend));
    writer << "two\n";
  }
  EXPECT_EQ(readBytes(file("log.txt")), "one\r\ntwo\r\n");
  {
    TextWriter writer;
    ASSERT_TRUE(writer.open(file("log.txt"), TextWriter::Mode::kTruncate));
    writer << "three\n";
    EXPECT_TRUE(writer.close());
  }
  EXPECT_EQ(readBytes(file("log.txt")), "three\r\n");
}

TEST_F(TextWriterTest, ReplacedFileHoldsExactlyTheNewTextAndNoTemporaryStays) {
  const auto replace = [&](const std::string& text) {
    TextWriter writer;
    ASSERT_TRUE(writer.open(file("time.txt"), TextWriter::Mode::kTruncate));
    writer << text;
    EXPECT_TRUE(writer.close());
    EXPECT_TRUE(writer.problem().empty());
  };
  replace("a long first line\n");  // the file did not exist
  EXPECT_EQ(readBytes(file("time.txt")), "a long first line\r\n");
  replace("short\n");  // over a longer file: nothing of the old tail stays
  EXPECT_EQ(readBytes(file("time.txt")), "short\r\n");
  replace("");
  EXPECT_EQ(readBytes(file("time.txt")), "");
  {
    // A moved writer still puts the file in place when it closes.
    TextWriter first;
    ASSERT_TRUE(first.open(file("time.txt"), TextWriter::Mode::kTruncate));
    first << "x\n";
    TextWriter second(std::move(first));
    EXPECT_TRUE(first.close());  // NOLINT(bugprone-use-after-move): defined empty state
    second << "y\n";
    EXPECT_TRUE(second.close());
  }
  EXPECT_EQ(readBytes(file("time.txt")), "x\r\ny\r\n");
  {
    // Extend: the old text, then the new, replaced whole.
    TextWriter writer;
    ASSERT_TRUE(writer.open(file("time.txt"), TextWriter::Mode::kExtend));
    writer << "z\n";
    EXPECT_TRUE(writer.close());
  }
  EXPECT_EQ(readBytes(file("time.txt")), "x\r\ny\r\nz\r\n");
  EXPECT_EQ(writeWholeFile(file("raw.json"), "{\n}\n"), "");
  EXPECT_EQ(readBytes(file("raw.json")), "{\n}\n");  // raw bytes keep their line ends
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"raw.json", "time.txt"}));
}

TEST_F(TextWriterTest, UnfinishedOrFailedReplacementKeepsTheOldFile) {
  ASSERT_EQ(writeWholeFile(file("layout.dxf"), "old drawing"), "");
  {
    // Dropped before close (an error part way through): the old file stays.
    TextWriter writer;
    ASSERT_TRUE(writer.open(file("layout.dxf"), TextWriter::Mode::kTruncate));
    writer << "half a drawing";
  }
  EXPECT_EQ(readBytes(file("layout.dxf")), "old drawing");
  {
    TextWriter writer;
    ASSERT_TRUE(writer.open(file("layout.dxf"), TextWriter::Mode::kTruncate));
    writer << "new";
    writer.discard();
    EXPECT_FALSE(writer.isOpen());
  }
  EXPECT_EQ(readBytes(file("layout.dxf")), "old drawing");
  // A link is followed: the file it names gets the text and the link stays a link.
  std::filesystem::create_symlink(file("layout.dxf"), file("link.dxf"));
  EXPECT_EQ(writeWholeFile(file("link.dxf"), "through the link"), "");
  EXPECT_TRUE(std::filesystem::is_symlink(file("link.dxf")));
  EXPECT_EQ(readBytes(file("layout.dxf")), "through the link");
  // Folders and missing folders cannot be written; the problem names the path.
  const std::string problem = writeWholeFile(directory_, "x");
  EXPECT_NE(problem.find(directory_.string()), std::string::npos) << problem;
  EXPECT_NE(writeWholeFile(directory_ / "missing" / "x.txt", "x"), "");
}

TEST_F(TextWriterTest, FullDeviceIsAFailureNamingTheFile) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  for (const TextWriter::Mode mode : {TextWriter::Mode::kTruncate, TextWriter::Mode::kAppend}) {
    TextWriter writer;
    ASSERT_TRUE(writer.open("/dev/full", mode));
    writer << std::string(100000, 'x');
    EXPECT_FALSE(writer.close());
    EXPECT_TRUE(writer.failed());
    EXPECT_NE(writer.problem().find("/dev/full"), std::string::npos) << writer.problem();
  }
  EXPECT_NE(writeWholeFile("/dev/full", "x"), "");
  // The device is written, never replaced by a file.
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

TEST_F(TextWriterTest, MovedWriterOwnsTheFileAndClosedWriterIgnoresWrites) {
  TextWriter first;
  ASSERT_TRUE(first.open(file("moved.txt"), TextWriter::Mode::kTruncate));
  TextWriter second(std::move(first));
  EXPECT_FALSE(first.isOpen());  // NOLINT(bugprone-use-after-move): defined empty state
  first << "lost\n";
  second << "kept\n";
  TextWriter third;
  third = std::move(second);
  third << "too\n";
  EXPECT_TRUE(third.close());
  third << "after close\n";
  EXPECT_FALSE(third.isOpen());
  EXPECT_EQ(readBytes(file("moved.txt")), "kept\r\ntoo\r\n");
}

// A run killed while writing (kill -9) left ".layout.dxf.XXXXXX" beside the drawing for ever;
// the next run removes the old ones of its outputs and nothing else.
TEST_F(TextWriterTest, StrayTemporariesOfAKilledRunAreRemovedByTheNext) {
  {
    // A writer abandoned mid-write, as a killed process leaves it: its temporary stays.
    TextWriter killed;
    ASSERT_TRUE(killed.open(file("layout.dxf"), TextWriter::Mode::kTruncate));
    killed << "half";
    killed.flush();
    std::vector<std::filesystem::path> left;
    for (const auto& entry : std::filesystem::directory_iterator(directory_)) left.push_back(entry.path());
    ASSERT_EQ(left.size(), 1u);
    std::filesystem::copy_file(left[0], file(".layout.dxf.Ab12Cd"));
    killed.discard();
  }
  for (const char* name : {".layout.dxf.xyzXYZ", ".layout.dxf.toolong1", ".Report.txt.Ab12Cd", "layout.dxf"}) {
    std::ofstream(file(name)) << "x";
  }
  const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  for (const char* name : {".layout.dxf.Ab12Cd", ".layout.dxf.toolong1", ".Report.txt.Ab12Cd", "layout.dxf"}) {
    std::filesystem::last_write_time(file(name), old);
  }
  EXPECT_EQ(removeStrayTemporaries(file("layout.dxf"), 600), 1);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  // The fresh one may be a run writing now; other names are not this output's.
  EXPECT_EQ(names, (std::vector<std::string>{".Report.txt.Ab12Cd", ".layout.dxf.toolong1",
                                              ".layout.dxf.xyzXYZ", "layout.dxf"}));
}

TEST_F(TextWriterTest, OpenFailsWhereNoFileCanBeMade) {
  TextWriter writer;
  EXPECT_FALSE(writer.open(directory_ / "missing" / "x.txt", TextWriter::Mode::kTruncate));
  EXPECT_FALSE(writer.isOpen());
}

// A run's files are replaced together or not at all: a drawing that fails after the report
// was finished must not leave a new report beside the old drawing.
TEST_F(TextWriterTest, FilesOfOneSetReplaceTheirOldOnesTogether) {
  ASSERT_EQ(writeWholeFile(file("Report.txt"), "old report"), "");
  ASSERT_EQ(writeWholeFile(file("layout.dxf"), "old drawing"), "");
  const auto hidden = [this] {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(directory_)) {
      count += entry.path().filename().string()[0] == '.';
    }
    return count;
  };
  {
    OutputSet set;
    ASSERT_EQ(writeWholeFile(file("Report.txt"), "new report"), "");
    EXPECT_EQ(readBytes(file("Report.txt")), "old report");
    TextWriter drawing;
    ASSERT_TRUE(drawing.open(file("layout.dxf"), TextWriter::Mode::kTruncate));
    drawing << "half a drawing";
    // The drawing fails; the set is dropped uncommitted.
  }
  EXPECT_EQ(readBytes(file("Report.txt")), "old report");
  EXPECT_EQ(readBytes(file("layout.dxf")), "old drawing");
  EXPECT_EQ(hidden(), 0);
  {
    OutputSet set;
    ASSERT_EQ(writeWholeFile(file("Report.txt"), "new report"), "");
    ASSERT_EQ(writeWholeFile(file("layout.dxf"), "new drawing"), "");
    EXPECT_EQ(readBytes(file("layout.dxf")), "old drawing");
    EXPECT_EQ(set.commit(), "");
  }
  EXPECT_EQ(readBytes(file("Report.txt")), "new report");
  EXPECT_EQ(readBytes(file("layout.dxf")), "new drawing");
  EXPECT_EQ(hidden(), 0);
  // Outside a set a file is replaced at once, as before.
  ASSERT_EQ(writeWholeFile(file("Report.txt"), "alone"), "");
  EXPECT_EQ(readBytes(file("Report.txt")), "alone");
  // A file a run extends again and again (the timing file of every reduction trial) keeps
  // every entry, and a file it replaces twice ends as the last writer left it.
  {
    OutputSet set;
    for (const char* entry : {" one", " two", " three"}) {
      TextWriter timing;
      ASSERT_TRUE(timing.open(file("Report.txt"), TextWriter::Mode::kExtend));
      timing.raw(entry);
      ASSERT_TRUE(timing.close());
    }
    ASSERT_EQ(writeWholeFile(file("layout.dxf"), "first"), "");
    ASSERT_EQ(writeWholeFile(file("layout.dxf"), "second"), "");
    EXPECT_EQ(hidden(), 2);
    EXPECT_EQ(readBytes(file("Report.txt")), "alone");
    EXPECT_EQ(set.commit(), "");
  }
  EXPECT_EQ(readBytes(file("Report.txt")), "alone one two three");
  EXPECT_EQ(readBytes(file("layout.dxf")), "second");
  EXPECT_EQ(hidden(), 0);
}

}  // namespace
}  // namespace platenest
