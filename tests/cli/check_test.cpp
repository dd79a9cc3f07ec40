// `platenest check`: a job loaded and reported, never laid out. The JSON summary of a
// shop job must show its parts sorted by area, grown by half the gap and parked beside the
// plate; a small job's summary is compared byte for byte with a golden file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "test_support/benchmark_jobs.h"

namespace platenest::testing {
namespace {

using Json = nlohmann::json;

const std::string kIndustrial60 =
    std::string(PLATENEST_BENCHMARK_DIR) + "/industrial/industrial-60.txt";

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<double> numbers(const std::string& line) {
  std::vector<double> values;
  std::istringstream stream(line);
  for (double value; stream >> value;) values.push_back(value);
  return values;
}

// The names in a text part library, and those of its parts the arc check at load must reject:
// an arc edge whose radius cannot join its end points (chord > 2|R|), or whose radius is not
// above the 1 mm chord tolerance. Read here independently of the program's reader.
struct LibraryParts {
  std::vector<std::string> names;
  std::set<std::string> unbuildable;
};

LibraryParts readLibraryParts(const std::string& text) {
  LibraryParts result;
  const std::vector<std::string> lines = splitLines(text);
  std::string name;
  for (std::size_t i = 3; i < lines.size() && lines[i].rfind("#end", 0) != 0;) {
    if (lines[i].rfind("NAME", 0) == 0) {
      name = lines[i].substr(5);
      result.names.push_back(name);
      ++i;
      continue;
    }
    const std::vector<double> head = numbers(lines[i]);
    const int vertexCount = static_cast<int>(head.at(0)) - 1;
    std::vector<std::pair<double, double>> vertices = {{head.at(1), head.at(2)}};
    std::vector<double> radii;
    for (int k = 1; k <= vertexCount; ++k) {
      const std::vector<double> edge = numbers(lines.at(i + k));
      radii.push_back(edge.at(0));
      if (k < vertexCount) vertices.push_back({edge.at(1), edge.at(2)});
    }
    for (int k = 0; k < vertexCount; ++k) {
      if (radii[k] == 0.0) continue;
      const auto& [x1, y1] = vertices[k];
      const auto& [x2, y2] = vertices[(k + 1) % vertexCount];
      const double chord = std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1));
      if (chord > 2 * std::fabs(radii[k]) || std::fabs(radii[k]) <= 1.0) {
        result.unbuildable.insert(name);
      }
    }
    i += vertexCount + 1;
  }
  return result;
}

// The library with its gap line replaced, the parts otherwise the same.
std::string withGap(const std::string& library, const std::string& gapLine) {
  const std::size_t third = library.find('\n', library.find('\n') + 1) + 1;
  const std::size_t fourth = library.find('\n', third) + 1;
  return library.substr(0, third) + gapLine + "\r\n" + library.substr(fourth);
}

TEST(CheckTest, ShopJobLoadsSortedGrownByHalfTheGapAndParked) {
  PLATENEST_REQUIRE_BENCHMARKS();
  const std::string library = readBytes(kIndustrial60);
  ASSERT_FALSE(library.empty()) << kIndustrial60;
  const LibraryParts expected = readLibraryParts(library);
  ASSERT_EQ(expected.names.size(), 60u);

  CliFolder scratch;
  writeBytes(scratch / "nogap.txt", withGap(library, "PartToPartGap:0"));
  const CliRun run =
      scratch.run({"check", kIndustrial60, "--error-log", "log.txt", "--json", "gap5.json"});
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(
      scratch.run({"check", "nogap.txt", "--error-log", "log.txt", "--json", "gap0.json"}).status,
      0);
  const Json grown = Json::parse(readBytes(scratch / "gap5.json"));
  const Json plain = Json::parse(readBytes(scratch / "gap0.json"));

  // Every part is loaded unless its arcs cannot be built, and each rejection is named.
  const std::size_t loaded = expected.names.size() - expected.unbuildable.size();
  EXPECT_NE(run.out.find("Parts: " + std::to_string(loaded) + " loaded, " +
                         std::to_string(expected.unbuildable.size()) + " rejected"),
            std::string::npos)
      << run.out;
  for (const std::string& name : expected.unbuildable) {
    EXPECT_NE(run.out.find("rejected " + name + ": "), std::string::npos) << name;
  }
  std::set<std::string> names;
  for (const Json& part : grown["parts"]) names.insert(part["name"].get<std::string>());
  std::set<std::string> wanted(expected.names.begin(), expected.names.end());
  for (const std::string& name : expected.unbuildable) wanted.erase(name);
  EXPECT_EQ(names, wanted);
  ASSERT_EQ(grown["parts"].size(), plain["parts"].size());

  // Sorted by the true net area, largest first; growing by the gap comes after sorting, so
  // both jobs hold their parts in the same order.
  for (std::size_t i = 0; i < plain["parts"].size(); ++i) {
    EXPECT_EQ(grown["parts"][i]["id"], plain["parts"][i]["id"]) << i;
    if (i > 0) {
      EXPECT_GE(plain["parts"][i - 1]["area"].get<double>(),
                plain["parts"][i]["area"].get<double>())
          << i;
    }
  }

  // Each side of a part's box lies at least half the gap (2.5 mm) beyond its ungrown twin;
  // exactly so where an edge is the extreme, a little more at a mitred corner.
  const double length = grown["plate"]["length"];
  for (std::size_t i = 0; i < grown["parts"].size(); ++i) {
    const Json& part = grown["parts"][i];
    const Json& twin = plain["parts"][i];
    // Both were parked; their reference points tell how far apart the parkings put them.
    const double dx = part["refPoint"][0].get<double>() - twin["refPoint"][0].get<double>();
    const double dy = part["refPoint"][1].get<double>() - twin["refPoint"][1].get<double>();
    const double growth[4] = {twin["box"][0].get<double>() + dx - part["box"][0].get<double>(),
                              part["box"][1].get<double>() - (twin["box"][1].get<double>() + dx),
                              twin["box"][2].get<double>() + dy - part["box"][2].get<double>(),
                              part["box"][3].get<double>() - (twin["box"][3].get<double>() + dy)};
    for (double side : growth) {
      EXPECT_GE(side, 2.5 - 1e-9) << part["name"];
      EXPECT_LE(side, 2.5 * 2) << part["name"];
    }
    EXPECT_LE(*std::min_element(growth, growth + 4), 2.5 + 0.05) << part["name"];

    // Parked: right of the plate, touching y = 0 from below, not on the plate.
    EXPECT_GE(part["box"][0].get<double>(), length - 1e-9) << part["name"];
    EXPECT_NEAR(part["box"][3].get<double>(), 0.0, 1e-9) << part["name"];
    EXPECT_FALSE(part["onPlate"].get<bool>()) << part["name"];
  }
  EXPECT_EQ(grown["count"], 0);
  EXPECT_EQ(grown["packingLength"], 0.0);
  EXPECT_EQ(grown["seconds"], 0.0);
  EXPECT_EQ(grown["partGap"], 5.0);
}

// The summary's format: key order, number spelling, null for 0/0. Regenerate the golden
// file only after checking the difference by eye.
TEST(CheckTest, SummaryOfASmallJobMatchesTheGoldenFileByteForByte) {
  CliFolder scratch;
  writeBytes(scratch / "job.txt",
            textLibraryHeader(1000, 500, 10) +
                crlfLines({"NAME:frame", "5 0 0", "0 300 0", "0 300 200", "0 0 200", "0",
                           "5 100 75", "0 200 75", "0 200 125", "0 100 125", "0"}) +
                rectangleBlock("tab", 0, 0, 100, 50) + "#end\r\n");
  const CliRun run = scratch.run({"check", "job.txt", "--error-log", "log.txt", "--json", "j"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string golden =
      readBytes(std::string(PLATENEST_SOURCE_DIR) + "/tests/cli/data/small_check.json");
  ASSERT_FALSE(golden.empty());
  EXPECT_EQ(readBytes(scratch / "j"), golden);
}

}  // namespace
}  // namespace platenest::testing
