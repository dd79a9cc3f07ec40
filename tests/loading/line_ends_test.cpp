// Files whose lines end with a carriage return alone: every line-based reader refuses them,
// naming the file and its line ends, while the same file with LF ends reads.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "loading/reader_runs.h"
#include "readers/parts_test_support.h"
#include "support/fatal_error.h"
#include "support/messages.h"

namespace platenest {
namespace {

namespace fs = std::filesystem;

using testing::libraryHeader;
using testing::ScratchFolder;

struct LineEndCase {
  const char* reader;
  const char* kind;  // how the message names the file
  std::string text;  // LF line ends; a plate of 3000 x 1500
  std::function<void(Nester&, const fs::path&, const fs::path& scratch)> read;
};

TEST(LineEndsTest, EveryReaderRefusesLinesEndedByACarriageReturnAlone) {
  const std::string square = "NAME:sq\n5 0 0\n0 100 0\n0 100 100\n0 0 100\n0 0 0\n";
  const std::string rectangle =
      "PARTINFO\nNameID=P1\npartName=P1\npartinf=3,1,2.5\npointNum=6\n0,0,,0,0,0,0,0\n"
      "1,0,,0,0,5,0,0\n2,0,,0,0,0,100,0\n3,0,,0,0,0,100,50\n4,0,,0,0,0,0,50\n"
      "5,0,,0,0,0,0,0\n_end_\n";
  const LineEndCase cases[] = {
      {"text library", "the part library", libraryHeader(3000, 1500, 5) + square + "#end\n",
       [](Nester& nester, const fs::path& file, const fs::path& scratch) {
         TextWriter errorLog = openErrorLog(scratch / "log.txt");
         readTextLibrary(nester, errorLog, file);
       }},
      {"part list", "the part list",
       "header line\nCONFIGINFO\nstaPlate_0      = 3000\nstaPlate_1      = 1500\n_end_\n" +
           rectangle,
       [](Nester& nester, const fs::path& file, const fs::path& scratch) {
         readPartListFile(nester, file, scratch / "PackError.txt");
       }},
      {"DXF list", "the DXF list", libraryHeader(3000, 1500, 5) + "drawings\n",
       [](Nester& nester, const fs::path& file, const fs::path&) {
         readDxfListFile(nester, file);
       }},
  };
  for (const LineEndCase& c : cases) {
    SCOPED_TRACE(c.reader);
    ScratchFolder scratch;
    RecordingMessageSink sink;
    ScopedMessageSink guard(&sink);
    {
      Nester nester;
      c.read(nester, scratch.write("lf.txt", c.text), scratch.path());
      EXPECT_EQ(nester.plateLength(), 3000);
      EXPECT_EQ(nester.plateWidth(), 1500);
    }
    std::string crOnly = c.text;
    for (char& ch : crOnly) {
      if (ch == '\n') ch = '\r';
    }
    const fs::path file = scratch.write("cr.txt", crOnly);
    Nester nester;
    try {
      c.read(nester, file, scratch.path());
      ADD_FAILURE() << "read without an error";
    } catch (const FatalError& error) {
      EXPECT_NE(error.text().find("the lines of " + std::string(c.kind) +
                                  " end with a carriage return alone"),
                std::string::npos)
          << error.text();
      EXPECT_EQ(error.detail(), file.string() + ":1");
    }
  }
}

}  // namespace
}  // namespace platenest
