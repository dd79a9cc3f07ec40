// The DXF list file: header lines, the folder on the fourth line, one part per drawing in
// name order, ids counting only the parts read, and the example folder read by ezdxf too.
#include "readers/dxf_list_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "external_tools.h"
#include "loading/reader_runs.h"
#include "readers/parts_test_support.h"
#include "support/fatal_error.h"
#include "support/gbk.h"
#include "support/messages.h"

namespace platenest {
namespace {

using testing::findPython;
using testing::libraryHeader;
using testing::namesOf;
using testing::ScratchFolder;
using testing::CurrentFolder;
using testing::runCommand;

// A closed w x h rectangle named by a TEXT, as a drawing file's bytes.
std::string partDrawing(const std::string& name, double w = 100, double h = 50) {
  auto pair = [](const std::string& code, const std::string& value) {
    return code + "\n" + value + "\n";
  };
  auto n = [](double v) { return std::to_string(v); };
  auto line = [&](double x1, double y1, double x2, double y2) {
    return pair("  0", "LINE") + pair(" 10", n(x1)) + pair(" 20", n(y1)) + pair(" 11", n(x2)) +
           pair(" 21", n(y2));
  };
  return pair("  0", "SECTION") + pair("  2", "ENTITIES") + line(0, 0, w, 0) + line(w, 0, w, h) +
         line(w, h, 0, h) + line(0, h, 0, 0) + pair("  0", "TEXT") + pair(" 10", "1") +
         pair(" 20", "1") + pair(" 40", "5") + pair("  1", "name:" + name) + pair("  0", "ENDSEC") +
         pair("  0", "EOF");
}

// Three sides of a rectangle: a chain that does not close.
std::string openDrawing() {
  return "  0\nLINE\n 10\n0\n 20\n0\n 11\n100\n 21\n0\n  0\nLINE\n 10\n100\n 20\n0\n 11\n100\n"
         " 21\n50\n  0\nLINE\n 10\n100\n 20\n50\n 11\n0\n 21\n50\n  0\nEOF\n";
}

struct ListRun {
  std::unique_ptr<Nester> nester;
  std::vector<std::string> messages;
  std::vector<RejectedPart> rejected;
};

// Reads a list file into a fresh nester whose error log stays in the scratch folder.
ListRun readList(const ScratchFolder& scratch, const std::filesystem::path& listPath) {
  ListRun run;
  run.nester = std::make_unique<Nester>();
  RecordingMessageSink sink;
  ScopedMessageSink guard(&sink);
  readDxfListFile(*run.nester, listPath, run.rejected);
  run.messages = sink.texts();
  return run;
}

std::filesystem::path writeList(const ScratchFolder& scratch, const std::string& folderLine,
                                const std::string& name = "job.txt") {
  return scratch.write(name, libraryHeader(3000, 1500, 5) + folderLine + "\n");
}

std::vector<int> idsOf(const PartList& parts) {
  std::vector<int> ids;
  for (const PlacedPart& part : parts) ids.push_back(part.id);
  return ids;
}

TEST(DxfListFileTest, HeaderSetsPlateAndGap) {
  ScratchFolder scratch;
  std::filesystem::create_directories(scratch / "parts");
  const ListRun run = readList(scratch, writeList(scratch, (scratch / "parts").string()));
  const Nester& nester = *run.nester;
  EXPECT_EQ(nester.plateLength(), 3000.0);
  EXPECT_EQ(nester.plateWidth(), 1500.0);
  EXPECT_EQ(nester.partGap, 5.0);
  EXPECT_EQ(nester.plate().length, 3000.0);
  EXPECT_EQ(nester.plate().width, 1500.0);
  EXPECT_EQ(nester.plate().area, 4500000.0);
  EXPECT_EQ(nester.plate().name, "Null");
  EXPECT_EQ(nester.plateRect().maxX, 3000.0);
  EXPECT_EQ(nester.plateRect().maxY, 1500.0);
  EXPECT_TRUE(nester.regions.empty());
}

TEST(DxfListFileTest, AFileThatCannotBeReadIsNamedAndSkipped) {
  ScratchFolder scratch;
  std::filesystem::create_directories(scratch / "parts");
  scratch.write("parts/a.dxf", partDrawing("A"));
  scratch.write("parts/b.dxf", openDrawing());
  const ListRun run = readList(scratch, writeList(scratch, (scratch / "parts").string()));
  ASSERT_EQ(run.nester->parts.count(), 1);
  EXPECT_EQ(run.nester->parts.front().id, 0);
  EXPECT_EQ(run.nester->parts.front().label.text, "A");
  EXPECT_EQ(run.nester->parts.front().area(), 5000.0);
  const std::string path = (scratch / "parts" / "b.dxf").string();
  // The drawing reaches the list of rejected parts, named by its file, with the warning and
  // what was found; the operator is shown both.
  ASSERT_EQ(run.rejected.size(), 1u);
  EXPECT_EQ(run.rejected[0].id, -1);
  EXPECT_EQ(run.rejected[0].name, "b.dxf");
  EXPECT_EQ(run.rejected[0].reason, "零件\"" + path + "\"读取失败!");
  EXPECT_TRUE(run.rejected[0].detail.starts_with("outline not closed near (")) << run.rejected[0].detail;
  EXPECT_EQ(run.messages, (std::vector<std::string>{"读取得到的零件顶点无法构成多边形面域!",
                                                    "零件\"" + path + "\"读取失败!",
                                                    "b.dxf: " + run.rejected[0].detail}));
}

// Zero bytes after the folder's name end it; the drawings in it are still read, each once.
TEST(DxfListFileTest, AFolderLineEndsAtAZeroByte) {
  ScratchFolder scratch;
  std::filesystem::create_directories(scratch / "parts");
  scratch.write("parts/a.dxf", partDrawing("A"));
  const ListRun run = readList(
      scratch, writeList(scratch, (scratch / "parts").string() + std::string(20, '\0')));
  EXPECT_EQ(namesOf(run.nester->parts), (std::vector<std::string>{"A"}));
  EXPECT_TRUE(run.rejected.empty());
  EXPECT_TRUE(run.messages.empty());
  const ListRun nothing = readList(scratch, writeList(scratch, std::string(5, '\0') + "parts"));
  EXPECT_EQ(nothing.nester->parts.count(), 0);
}

// Files go in byte order of their names; each is inserted at the front, so the list holds
// them in reverse, and ids count the files read from 0.
TEST(DxfListFileTest, FilesInNameOrderGiveTheListReversed) {
  ScratchFolder scratch;
  std::filesystem::create_directories(scratch / "parts");
  for (const char* name : {"z", "x", "y"}) {
    scratch.write(std::string("parts/") + name + ".dxf", partDrawing(name));
  }
  const ListRun run = readList(scratch, writeList(scratch, (scratch / "parts").string()));
  EXPECT_EQ(namesOf(run.nester->parts), (std::vector<std::string>{"z", "y", "x"}));
  EXPECT_EQ(idsOf(run.nester->parts), (std::vector<int>{2, 1, 0}));
  EXPECT_TRUE(run.messages.empty());

  // Byte order, not the order of a person: capitals first, "a10" before "a9".
  ScratchFolder other;
  std::filesystem::create_directories(other / "p");
  for (const char* name : {"a9", "a10", "a", "B"}) {
    other.write(std::string("p/") + name + ".dxf", partDrawing(name));
  }
  const ListRun ordered = readList(other, writeList(other, (other / "p").string()));
  EXPECT_EQ(namesOf(ordered.nester->parts), (std::vector<std::string>{"a9", "a10", "a", "B"}));
}

TEST(DxfListFileTest, TheExtensionMatchesInAnyCaseAndOnlyFilesAreRead) {
  ScratchFolder scratch;
  std::filesystem::create_directories(scratch / "parts" / "g.dxf");
  for (const char* name : {"C.DXF", "d.Dxf", "e.dxf.bak", "f.txt", "dxf"}) {
    scratch.write(std::string("parts/") + name, partDrawing(name));
  }
  const ListRun run = readList(scratch, writeList(scratch, (scratch / "parts").string()));
  EXPECT_EQ(namesOf(run.nester->parts), (std::vector<std::string>{"d.Dxf", "C.DXF"}));
  EXPECT_TRUE(run.messages.empty());
}

// A folder that is missing, empty, without drawings or not given reads no part, silently.
TEST(DxfListFileTest, NoDrawingsGiveAnEmptyJob) {
  ScratchFolder scratch;
  std::filesystem::create_directories(scratch / "empty");
  std::filesystem::create_directories(scratch / "other");
  scratch.write("other/notes.txt", "nothing here");
  for (const std::string& line4 : {(scratch / "empty").string(), (scratch / "other").string(),
                                   (scratch / "missing").string(), std::string()}) {
    const ListRun run = readList(scratch, writeList(scratch, line4));
    EXPECT_TRUE(run.nester->parts.empty()) << line4;
    EXPECT_TRUE(run.messages.empty()) << line4;
  }
  const ListRun threeLines =
      readList(scratch, scratch.write("three.txt", libraryHeader(10, 10, 0)));
  EXPECT_TRUE(threeLines.nester->parts.empty());
}

// Absolute, relative to the current directory, or else relative to the list file's folder;
// "\" separates like "/".
TEST(DxfListFileTest, WhereTheFolderIsFound) {
  ScratchFolder scratch;
  std::filesystem::create_directories(scratch / "jobs" / "sub" / "parts");
  std::filesystem::create_directories(scratch / "sub" / "parts");
  scratch.write("jobs/sub/parts/beside.dxf", partDrawing("beside"));
  scratch.write("sub/parts/current.dxf", partDrawing("current"));
  const std::filesystem::path list =
      scratch.write("jobs/job.txt", libraryHeader(10, 10, 0) + "sub\\parts\n");

  {
    CurrentFolder here(scratch.path());
    EXPECT_EQ(namesOf(readList(scratch, list).nester->parts), std::vector<std::string>{"current"});
  }
  {
    CurrentFolder here(scratch / "jobs" / "sub");
    EXPECT_EQ(namesOf(readList(scratch, list).nester->parts), std::vector<std::string>{"beside"});
    EXPECT_EQ(dxfListFolder(list), list.parent_path() / "sub/parts");
  }
  std::string absolute = (scratch / "sub" / "parts").string();
  for (char& c : absolute) {
    if (c == '/') c = '\\';
  }
  absolute[0] = '/';  // the root stays a root
  const std::filesystem::path absoluteList =
      scratch.write("absolute.txt", libraryHeader(10, 10, 0) + absolute + "\r\n");
  EXPECT_EQ(namesOf(readList(scratch, absoluteList).nester->parts),
            std::vector<std::string>{"current"});
  EXPECT_FALSE(dxfListFolder(scratch / "jobs" / "missing.txt").has_value());
}

// A folder name written in GBK, as the list file is, finds the folder whose name the file
// system keeps in UTF-8.
TEST(DxfListFileTest, AGbkFolderNameFindsItsFolder) {
  ScratchFolder scratch;
  std::filesystem::create_directories(scratch / "零件");
  scratch.write("零件/一.dxf", partDrawing("one"));
  const std::string line4 = scratch.path().string() + "/" + utf8ToGbk("零件");
  ASSERT_FALSE(isValidUtf8(line4));
  const ListRun run = readList(scratch, writeList(scratch, line4));
  EXPECT_EQ(namesOf(run.nester->parts), std::vector<std::string>{"one"});
}

// The folder line and the paths built from it are not cut at 200 characters.
TEST(DxfListFileTest, LongPathsAreReadWhole) {
  ScratchFolder scratch;
  std::filesystem::path folder = scratch.path();
  for (int i = 0; i < 6; ++i) folder /= std::string(60, static_cast<char>('a' + i));
  std::filesystem::create_directories(folder);
  const std::string longName = std::string(120, 'n') + ".dxf";
  std::ofstream(folder / longName, std::ios::binary) << partDrawing("long");
  ASSERT_GT((folder / longName).string().size(), 400u);
  const ListRun run = readList(scratch, writeList(scratch, folder.string()));
  EXPECT_EQ(namesOf(run.nester->parts), std::vector<std::string>{"long"});
  EXPECT_TRUE(run.messages.empty());
}

TEST(DxfListFileTest, FatalErrors) {
  ScratchFolder scratch;
  Nester nester;
  try {
    readDxfListFile(nester, scratch / "no-such-list.txt");
    ADD_FAILURE() << "a missing list file must end the job";
  } catch (const FatalError& error) {
    EXPECT_EQ(error.text(), "排样信息文件读取失败!");
    EXPECT_EQ(error.caption(), "Warning!");
  }
  // A caption one character short loses the first digit to it: 3000 reads as 000.
  const std::filesystem::path zero =
      scratch.write("zero.txt", "PlateLength:3000\nPlateWidth: 1500\nPartToPartGap:5\n" +
                                    scratch.path().string() + "\n");
  const std::filesystem::path shortLine =
      scratch.write("short.txt", "PlateLength\nPlateWidth: 1500\nPartToPartGap:5\n.\n");
  for (const std::filesystem::path& list : {zero, shortLine}) {
    Nester fresh;
    try {
      readDxfListFile(fresh, list);
      ADD_FAILURE() << "a zero plate must end the job: " << list;
    } catch (const FatalError& error) {
      EXPECT_EQ(error.text(), "包围盒大小为零!");
    }
  }
}

std::filesystem::path exampleList() {
  return std::filesystem::path(PLATENEST_SOURCE_DIR) / "examples" / "dxf-job.txt";
}

std::vector<std::filesystem::path> exampleDrawings() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry :
       std::filesystem::directory_iterator(exampleList().parent_path() / "dxf-parts")) {
    if (entry.path().extension() == ".dxf") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST(DxfListFileTest, TheExampleFolderReadsWhole) {
  ScratchFolder scratch;
  const ListRun run = readList(scratch, exampleList());
  EXPECT_TRUE(run.messages.empty());
  const std::map<std::string, int> holes = {{"BASE-320", 1},  {"BRACKET-L", 2},  {"COVER-T", 2},
                                            {"FLANGE-A", 5},  {"GUSSET-180", 1}, {"HEX-70", 1},
                                            {"法兰环-90", 1}, {"SLOT-300", 1}};
  ASSERT_EQ(run.nester->parts.count(), static_cast<int>(holes.size()));
  std::set<int> ids;
  for (const PlacedPart& part : run.nester->parts) {
    const std::string name = displayName(part.label.text);
    SCOPED_TRACE(name);
    ASSERT_EQ(holes.count(name), 1u);
    EXPECT_EQ(part.holes.count(), holes.at(name));
    EXPECT_NE(part.secondLabel.text, "empty text!");
    // Every hole lies inside the outline, and the centroid inside the box.
    for (const Polygon& hole : part.holes) {
      EXPECT_GT(hole.box().minX, part.box().minX);
      EXPECT_LT(hole.box().maxX, part.box().maxX);
      EXPECT_GT(hole.box().minY, part.box().minY);
      EXPECT_LT(hole.box().maxY, part.box().maxY);
      EXPECT_TRUE(part.outer.containsAll(hole));
    }
    EXPECT_GT(part.area(), 0.0);
    EXPECT_LT(part.area(), part.outer.area());
    EXPECT_GT(part.centroid().x, part.box().minX);
    EXPECT_LT(part.centroid().x, part.box().maxX);
    ids.insert(part.id);
  }
  EXPECT_EQ(ids, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7}));
}

// ezdxf opens every example drawing as a CAD program would, finds nothing to repair, and
// counts the same entities as our scanner.
TEST(DxfListFileTest, EzdxfReadsEveryExampleDrawing) {
  const std::string python = findPython("ezdxf");
  if (python.empty()) GTEST_SKIP() << "python3 with ezdxf not found";
  ScratchFolder scratch;
  const std::filesystem::path script = scratch.write("count.py", R"(import collections, sys
import ezdxf
for path in sys.argv[1:]:
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    kinds = collections.Counter(e.dxftype() for e in doc.modelspace())
    names = [e.dxf.text for e in doc.modelspace()
             if e.dxftype() == "TEXT" and e.dxf.text.startswith("name:")]
    print(path, kinds["LINE"], kinds["ARC"], kinds["CIRCLE"], len(auditor.errors),
          names[-1][5:] if names else "-")
)");
  std::string command = python + " " + script.string();
  const std::vector<std::filesystem::path> drawings = exampleDrawings();
  ASSERT_FALSE(drawings.empty());
  for (const auto& drawing : drawings) {
    command += ' ';
    command += drawing.string();
  }
  int status = 0;
  const std::string output = runCommand(command + " 2>&1", status);
  ASSERT_EQ(status, 0) << output;

  std::istringstream lines(output);
  std::size_t seen = 0;
  std::string path;
  std::size_t lineCount, arcCount, circleCount, errors;
  std::string name;
  while (lines >> path >> lineCount >> arcCount >> circleCount >> errors >> name) {
    SCOPED_TRACE(path);
    ++seen;
    EXPECT_EQ(errors, 0u);
    LineReader reader;
    ASSERT_TRUE(reader.open(path));
    DxfEntities entities;
    scanDxfEntities(reader, entities);
    EXPECT_EQ(entities.segments.size(), lineCount);
    EXPECT_EQ(entities.arcs.size(), arcCount);
    EXPECT_EQ(entities.circles.size(), circleCount);
    EXPECT_EQ(displayName(entities.label.text), name);
  }
  EXPECT_EQ(seen, drawings.size()) << output;
}

// The command line tells the list file by its folder, lays out the example folder, and the
// layout drawing shows every part.
TEST(DxfListJobTest, TheExampleLaysOutFromTheCommandLine) {
  ScratchFolder scratch;
  const std::filesystem::path out = scratch / "out";
  const std::string command = std::string(PLATENEST_CLI_PATH) + " layout " +
                              exampleList().string() + " -C " + out.string() + " --svg " +
                              (out / "layout.svg").string() + " --json " +
                              (out / "job.json").string() + " --quiet 2>&1";
  int status = 0;
  const std::string output = runCommand(command, status);
  ASSERT_EQ(status, 0) << output;

  std::ifstream jsonFile(out / "job.json");
  const nlohmann::json job = nlohmann::json::parse(jsonFile);
  ASSERT_EQ(job["parts"].size(), 8u);
  for (const auto& part : job["parts"]) EXPECT_TRUE(part["onPlate"].get<bool>()) << part["name"];

  const std::string drawing = testing::readBytes(out / "layout.dxf");
  for (const char* name : {"BASE-320", "BRACKET-L", "COVER-T", "FLANGE-A", "GUSSET-180", "HEX-70",
                           "法兰环-90", "SLOT-300"}) {
    EXPECT_NE(drawing.find("\r\n" + utf8ToGbk(name) + "\r\n"), std::string::npos) << name;
  }
  EXPECT_TRUE(std::filesystem::exists(out / "layout.svg"));
}

// A hand-drawn outline whose ends miss by 0.2 mm is nested closed, and the drawings the cutter
// gets are closed too: ezdxf finds every end of the layout drawing and of the part's export
// meeting another. A gap of 1 mm refuses the drawing, and `check` and the JSON say why.
TEST(DxfListJobTest, GapsAreClosedInTheDrawingsAndWideOnesNamed) {
  const std::string python = findPython("ezdxf");
  if (python.empty()) GTEST_SKIP() << "python3 with ezdxf not found";
  ScratchFolder scratch;
  const auto rectangleWithGap = [](double gap) {
    return "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\n0\n 20\n0\n 11\n" +
           std::to_string(150 - gap) +
           "\n 21\n0\n  0\nLINE\n 10\n150\n 20\n0\n 11\n150\n 21\n100\n  0\nLINE\n 10\n150\n"
           " 20\n100\n 11\n0\n 21\n100\n  0\nLINE\n 10\n0\n 20\n100\n 11\n0\n 21\n0\n"
           "  0\nCIRCLE\n 10\n50\n 20\n50\n 40\n20\n  0\nENDSEC\n  0\nEOF\n";
  };
  scratch.write("near/a.dxf", rectangleWithGap(0.2));
  scratch.write("wide/b.dxf", rectangleWithGap(1.0));
  scratch.write("wide/closed.dxf", rectangleWithGap(0.0));  // a part, so that the JSON is written
  writeList(scratch, (scratch / "near").string(), "near.txt");
  writeList(scratch, (scratch / "wide").string(), "wide.txt");
  const std::string cli = std::string(PLATENEST_CLI_PATH);
  int status = 0;
  const std::filesystem::path out = scratch / "out";
  std::string output = runCommand(cli + " layout " + (scratch / "near.txt").string() + " -C " +
                                      out.string() + " 2>&1",
                                  status);
  ASSERT_EQ(status, 0) << output;
  EXPECT_NE(output.find("a.dxf: gap of 0.2 mm closed at ("), std::string::npos) << output;
  output = runCommand(cli + " export-parts " + (scratch / "near.txt").string() + " -C " +
                          (scratch / "parts").string() + " 2>&1",
                      status);
  ASSERT_EQ(status, 0) << output;
  const std::string checker = python + " '" PLATENEST_SOURCE_DIR "/tests/output/dxf_contours.py' ";
  for (const auto& [layer, plate, file] :
       {std::tuple<std::string, std::string, std::filesystem::path>{"1", "1", out / "layout.dxf"},
        {"0", "0", scratch / "parts" / "a.dxf"}}) {
    ASSERT_TRUE(std::filesystem::exists(file)) << file;
    output = runCommand(checker + layer + " 1 " + plate + " '" + file.string() + "' 2>&1", status);
    ASSERT_EQ(status, 0) << output;
    // "file PATH ENTITIES OPEN DUPLICATES": four lines and the closing one, no open end.
    EXPECT_NE(output.find("\t5\t0\t0"), std::string::npos) << output;
  }

  const std::string reason =
      ": gap 1 mm is above the join tolerance 0.1 mm; see --dxf-join-tolerance";
  output = runCommand(cli + " check " + (scratch / "wide.txt").string() + " --json " +
                          (scratch / "wide.json").string() + " 2>&1",
                      status);
  EXPECT_NE(output.find(reason), std::string::npos) << output;
  std::ifstream jsonFile(scratch / "wide.json");
  const nlohmann::json job = nlohmann::json::parse(jsonFile);
  ASSERT_EQ(job["rejected"].size(), 1u) << job.dump();
  EXPECT_NE(job["rejected"][0]["detail"].get<std::string>().find(reason), std::string::npos)
      << job.dump();
}

}  // namespace
}  // namespace platenest
