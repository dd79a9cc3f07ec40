#include "support/line_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <sys/stat.h>

#include "support/whole_file.h"
#include "test_support/scratch_folder.h"

namespace platenest {
namespace {

TEST(LineReaderTest, LongLineComesBackInBufferSizedPieces) {
  const std::string longLine(120, 'x');
  LineReader reader;
  reader.openBytes(longLine + "\nnext\n");
  std::string line;
  ASSERT_TRUE(reader.readLine(line, 100));
  EXPECT_EQ(line, std::string(99, 'x'));
  EXPECT_EQ(reader.lineNumber(), 1);
  ASSERT_TRUE(reader.readLine(line, 100));
  EXPECT_EQ(line, std::string(21, 'x') + "\n");
  EXPECT_EQ(reader.lineNumber(), 2);
  ASSERT_TRUE(reader.readLine(line, 100));
  EXPECT_EQ(line, "next\n");
  EXPECT_FALSE(reader.readLine(line, 100));
  EXPECT_TRUE(line.empty());
}

TEST(LineReaderTest, LineEndsAsInTextMode) {
  LineReader reader;
  // CR LF becomes LF; a lone CR stays; the last line needs no line end.
  reader.openBytes("a\r\nb\rc\r\n\r\nlast");
  std::string line;
  ASSERT_TRUE(reader.readLine(line, 256));
  EXPECT_EQ(line, "a\n");
  ASSERT_TRUE(reader.readLine(line, 256));
  EXPECT_EQ(line, "b\rc\n");
  ASSERT_TRUE(reader.readLine(line, 256));
  EXPECT_EQ(line, "\n");
  ASSERT_TRUE(reader.readLine(line, 256));
  EXPECT_EQ(line, "last");
  EXPECT_TRUE(reader.atEnd());
  EXPECT_FALSE(reader.readLine(line, 256));
  // A CR LF split by the buffer edge is still one line end.
  reader.openBytes("ab\r\n");
  ASSERT_TRUE(reader.readLine(line, 3));
  EXPECT_EQ(line, "ab");
  ASSERT_TRUE(reader.readLine(line, 3));
  EXPECT_EQ(line, "\n");
}

TEST(LineReaderTest, RememberedPositionRestoresTheSameLines) {
  LineReader reader;
  reader.openBytes("first\r\nsecond\r\nthird\r\n");
  std::string line;
  ASSERT_TRUE(reader.readLine(line, 256));
  const std::size_t mark = reader.tell();
  EXPECT_EQ(mark, 6u);  // counted after CR LF -> LF
  ASSERT_TRUE(reader.readLine(line, 256));
  ASSERT_TRUE(reader.readLine(line, 256));
  EXPECT_EQ(reader.lineNumber(), 4);
  reader.seek(mark);
  EXPECT_EQ(reader.lineNumber(), 2);
  ASSERT_TRUE(reader.readLine(line, 256));
  EXPECT_EQ(line, "second\n");
  // A position past the end is the end: nothing is read beyond the data.
  reader.seek(1000);
  EXPECT_TRUE(reader.atEnd());
  EXPECT_FALSE(reader.readLine(line, 256));
  EXPECT_EQ(reader.lineNumber(), 4);
}

TEST(LineReaderTest, EmptyInputAndUselessBuffers) {
  LineReader reader;
  reader.openBytes("");
  std::string line = "stale";
  EXPECT_FALSE(reader.readLine(line, 100));
  EXPECT_TRUE(line.empty());
  EXPECT_EQ(reader.lineNumber(), 1);
  // A buffer with room for nothing but the terminator would never advance.
  reader.openBytes("abc\n");
  EXPECT_FALSE(reader.readLine(line, 1));
  EXPECT_FALSE(reader.readLine(line, 0));
  EXPECT_EQ(reader.tell(), 0u);
  ASSERT_TRUE(reader.readLine(line, 2));
  EXPECT_EQ(line, "a");
}

TEST(LineReaderTest, ReadsFilesAndReportsMissingOnes) {
  const testing::ScratchFolder scratch;
  const std::filesystem::path path = scratch / "job.txt";
  {
    std::ofstream file(path, std::ios::binary);
    file << "NAME P1\r\n\xC4\xB8\xB0\xE5\r\n";
  }
  LineReader reader;
  ASSERT_TRUE(reader.open(path));
  EXPECT_EQ(reader.path(), path);
  std::string line;
  ASSERT_TRUE(reader.readLine(line, 256));
  EXPECT_EQ(line, "NAME P1\n");
  ASSERT_TRUE(reader.readLine(line, 256));
  EXPECT_EQ(line, "\xC4\xB8\xB0\xE5\n");
  EXPECT_FALSE(reader.readLine(line, 256));
  std::filesystem::remove(path);
  LineReader missing;
  EXPECT_FALSE(missing.open(path));
}

// A drawing list may name a folder, a pipe or a device: each is refused at once, where
// reading it would throw out of the stream library, block forever or never end.
TEST(LineReaderTest, RefusesWhatIsNotAnOrdinaryFile) {
  const testing::ScratchFolder scratch;
  const std::filesystem::path& folder = scratch.path();
  const std::filesystem::path pipe = folder / "pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  LineReader reader;
  reader.openBytes("kept");
  EXPECT_FALSE(reader.open(folder));
  EXPECT_FALSE(reader.open(pipe));
  EXPECT_FALSE(reader.open("/dev/zero"));
  std::string bytes = "stale";
  EXPECT_FALSE(readWholeFile(folder, bytes));
  EXPECT_TRUE(bytes.empty());
}

// The size a file shows when asked is no bound on what a read gets: a job still being
// written, or a file of the kernel's whose size reads 0, is held to the limit as it arrives.
TEST(LineReaderTest, TheSizeLimitHoldsWhileTheFileIsRead) {
  const std::filesystem::path shownEmpty = "/proc/self/maps";
  ASSERT_EQ(std::filesystem::file_size(shownEmpty), 0u);
  std::string bytes;
  ASSERT_TRUE(readWholeFile(shownEmpty, bytes));
  ASSERT_GT(bytes.size(), 64u);
  EXPECT_FALSE(readWholeFile(shownEmpty, bytes, 64));
  EXPECT_TRUE(bytes.empty());
  const testing::ScratchFolder scratch;
  const std::filesystem::path path = scratch / "growing.txt";
  {
    std::ofstream file(path, std::ios::binary);
    file << std::string(200000, 'x');
  }
  EXPECT_TRUE(readWholeFile(path, bytes, 200000));
  EXPECT_EQ(bytes.size(), 200000u);
  EXPECT_FALSE(readWholeFile(path, bytes, 199999));
}

}  // namespace
}  // namespace platenest
