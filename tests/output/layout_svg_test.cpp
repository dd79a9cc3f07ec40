// The SVG picture: well-formed for a standard XML parser, every part drawn with its holes,
// turned-over parts marked, names readable whatever bytes they hold, nothing outside the view.
#include "output/layout_svg.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "output_test_support.h"
#include "support/fatal_error.h"
#include "support/gbk.h"

namespace platenest {
namespace {

using testing::ScratchFolder;

struct SvgFindings {
  std::map<std::string, std::string> figures;
  std::vector<std::string> names;
};

SvgFindings checkSvg(const std::filesystem::path& path) {
  SvgFindings findings;
  const std::string python = testing::findPython();
  if (python.empty()) {
    ADD_FAILURE() << "python3 not found";
    return findings;
  }
  int status = 0;
  const std::string output = testing::runCommand(
      python + " " + testing::scriptPath("svg_check.py") + " '" + path.string() + "' 2>&1", status);
  EXPECT_EQ(status, 0) << output;
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const std::string key = line.substr(0, tab);
    const std::string value = line.substr(tab + 1);
    if (key == "name") {
      findings.names.push_back(value);
    } else {
      findings.figures[key] = value;
    }
  }
  return findings;
}

void rename(Nester& nester, const std::string& from, const std::string& to) {
  for (PartList* list : {&nester.parts, &nester.loadedParts}) {
    for (PlacedPart& part : *list) {
      if (part.label.text == from) part.label.text = to;
    }
  }
}

TEST(LayoutSvgTest, PictureOfTheSmallJobIsValidAndComplete) {
  if (testing::findPython().empty()) GTEST_SKIP() << "python3 not found";
  ScratchFolder scratch;
  auto nester = testing::smallLayout(2);
  rename(*nester, "FLANGE", "A&B <1> \"x\"");
  rename(*nester, "HALF", utf8ToGbk("半圆"));
  rename(*nester, "PARKED", std::string("bad\x01name"));
  writeLayoutSvg(*nester, scratch / "layout.svg");

  const SvgFindings svg = checkSvg(scratch / "layout.svg");
  EXPECT_EQ(svg.figures.at("parts"), "4");  // the parked part too
  EXPECT_EQ(svg.figures.at("mirrored"), "1");
  EXPECT_EQ(svg.figures.at("evenodd"), "4");
  // Outer outlines plus holes: flange 1 + 3, half disc 1, bracket 1 + 1, parked part 1.
  EXPECT_EQ(svg.figures.at("rings"), "8");
  EXPECT_EQ(svg.figures.at("outside"), "0");
  // The packing length of the true outlines, not of the grown ones (901).
  EXPECT_EQ(svg.figures.at("packing"), "900.0");
  EXPECT_EQ(svg.names, (std::vector<std::string>{"A&B <1> \"x\"", "半圆", "BRACKET", "bad?name"}));
}

TEST(LayoutSvgTest, EmptyPlateStillDrawsThePlate) {
  if (testing::findPython().empty()) GTEST_SKIP() << "python3 not found";
  ScratchFolder scratch;
  auto nester = testing::makeNester(3000, 1500);
  writeLayoutSvg(*nester, scratch / "layout.svg");
  const SvgFindings svg = checkSvg(scratch / "layout.svg");
  EXPECT_EQ(svg.figures.at("parts"), "0");
  EXPECT_EQ(svg.figures.at("outside"), "0");
  EXPECT_EQ(svg.figures.at("packing"), "0.0");
  const std::string bytes = testing::readBytes(scratch / "layout.svg");
  EXPECT_NE(bytes.find("class=\"plate\" x=\"0\" y=\"0\" width=\"3000.000\" height=\"1500.000\""),
            std::string::npos);
}

TEST(LayoutSvgTest, UnwritablePathIsFatal) {
  ScratchFolder scratch;
  auto nester = testing::makeNester(3000, 1500);
  EXPECT_THROW(writeLayoutSvg(*nester, scratch / "missing" / "layout.svg"), FatalError);
}

}  // namespace
}  // namespace platenest
