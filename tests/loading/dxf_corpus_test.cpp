// Drawings as CAD programs save them (written by ezdxf at test time, grouped by kind in their
// names), each part compared with its true area, box and hole count computed apart (shapely);
// refused drawings must name their reason. Damaged copies of every drawing must never crash
// the reader or give a part without area.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "external_tools.h"
#include "readers/dxf_list_file.h"
#include "readers/parts_test_support.h"
#include "support/messages.h"

namespace platenest {
namespace {

using testing::findPython;
using testing::libraryHeader;
using testing::ScratchFolder;
using testing::readBytes;
using testing::runCommand;

std::filesystem::path writeCorpus(const ScratchFolder& scratch, const std::string& python) {
  int status = 0;
  const std::string output =
      runCommand(python + " '" PLATENEST_SOURCE_DIR "/tests/readers/dxf_corpus.py' '" +
                     (scratch / "parts").string() + "' 2>&1",
                 status);
  EXPECT_EQ(status, 0) << output;
  return scratch.write("job.txt", libraryHeader(3000, 1500, 5) + (scratch / "parts").string() + "\n");
}

// The part's name without the "#n" of a drawing that holds several.
std::string drawingOf(const std::string& label) { return label.substr(0, label.find('#')) + ".dxf"; }

TEST(DxfCorpusTest, EveryPartReadsTrueAndEveryRefusalNamesItsReason) {
  const std::string python = findPython("ezdxf, shapely");
  if (python.empty()) GTEST_SKIP() << "python3 with ezdxf and shapely not found";
  ScratchFolder scratch;
  const std::filesystem::path list = writeCorpus(scratch, python);
  const nlohmann::json truth = nlohmann::json::parse(readBytes(scratch / "parts" / "corpus.json"));

  RecordingMessageSink sink;
  ScopedMessageSink guard(&sink);
  const Job job = readDxfListFile(list);

  std::map<std::string, std::vector<const PlacedPart*>> read;
  for (const PlacedPart& part : job.parts) read[drawingOf(part.label.text)].push_back(&part);
  std::map<std::string, const RejectedPart*> refused;
  for (const RejectedPart& r : job.rejected) refused[r.name] = &r;

  const double chord = PlacedPart().chordTolerance;
  for (const auto& [name, expected] : truth.items()) {
    SCOPED_TRACE(name);
    if (expected.contains("refused")) {
      ASSERT_TRUE(refused.count(name)) << "read although it should be refused";
      EXPECT_NE(refused[name]->detail.find(expected["refused"].get<std::string>()),
                std::string::npos)
          << refused[name]->detail;
      continue;
    }
    ASSERT_FALSE(refused.count(name)) << refused[name]->detail;
    std::vector<const PlacedPart*> parts = read[name];
    ASSERT_EQ(parts.size(), expected["parts"].size());
    // Several parts of a drawing are numbered left to right, as the truth lists them.
    for (std::size_t i = 0; i < parts.size(); ++i) {
      const PlacedPart& part = *parts[i];
      const nlohmann::json& want = expected["parts"][i];
      if (parts.size() > 1) {
        EXPECT_EQ(part.label.text, name.substr(0, name.size() - 4) + "#" + std::to_string(i + 1));
      }
      EXPECT_EQ(part.holes.count(), want["holes"].get<int>()) << part.label.text;
      // Chords lie within the chord tolerance of every arc, so the area lost is at most that
      // tolerance times the length cut.
      const double area = want["area"].get<double>();
      EXPECT_NEAR(part.area(), area, chord * want["perimeter"].get<double>()) << part.label.text;
      const std::vector<double> box = want["box"].get<std::vector<double>>();
      EXPECT_NEAR(part.box().minX, box[0], chord) << part.label.text;
      EXPECT_NEAR(part.box().minY, box[1], chord) << part.label.text;
      EXPECT_NEAR(part.box().maxX, box[2], chord) << part.label.text;
      EXPECT_NEAR(part.box().maxY, box[3], chord) << part.label.text;
    }
  }
  EXPECT_EQ(job.parts.size() + job.rejected.size(),
            [&] {
              std::size_t n = 0;
              for (const auto& [name, expected] : truth.items()) {
                n += expected.contains("refused") ? 1 : expected["parts"].size();
              }
              return n;
            }());
}

// Every drawing of the corpus cut short at random places and with random bytes changed: the
// reader reads or refuses each with a reason, and every part it reads has area.
TEST(DxfCorpusTest, DamagedDrawingsAreReadOrRefusedWithAReason) {
  const std::string python = findPython("ezdxf, shapely");
  if (python.empty()) GTEST_SKIP() << "python3 with ezdxf and shapely not found";
  ScratchFolder scratch;
  writeCorpus(scratch, python);
  std::vector<std::string> drawings;
  for (const auto& entry : std::filesystem::directory_iterator(scratch / "parts")) {
    if (entry.path().extension() == ".dxf") drawings.push_back(readBytes(entry.path()));
  }
  std::filesystem::create_directories(scratch / "damaged");
  std::mt19937 random(21);
  int written = 0;
  for (const std::string& bytes : drawings) {
    for (int copy = 0; copy < 4; ++copy) {
      std::string damaged = bytes;
      if (copy % 2 == 0) {
        damaged.resize(std::uniform_int_distribution<std::size_t>(0, bytes.size())(random));
      } else {
        for (int k = 0; k < 8 && !damaged.empty(); ++k) {
          damaged[std::uniform_int_distribution<std::size_t>(0, damaged.size() - 1)(random)] =
              "0123456789-.eE \n"[std::uniform_int_distribution<int>(0, 15)(random)];
        }
      }
      scratch.write("damaged/d" + std::to_string(written++) + ".dxf", damaged);
    }
  }
  RecordingMessageSink sink;
  ScopedMessageSink guard(&sink);
  const Job job = readDxfListFile(
      scratch.write("damaged.txt", libraryHeader(3000, 1500, 5) + (scratch / "damaged").string() + "\n"));
  // Every damaged drawing gives a part or more, or is refused.
  EXPECT_GE(job.rejected.size() + job.parts.size(), static_cast<std::size_t>(written));
  for (const PlacedPart& part : job.parts) {
    EXPECT_GT(part.area(), 0.0) << part.label.text;
    EXPECT_GE(part.outer.vertexCount(), 3) << part.label.text;
  }
  for (const RejectedPart& r : job.rejected) EXPECT_FALSE(r.reason.empty()) << r.name;
}

}  // namespace
}  // namespace platenest
