// Helpers for the part-data tests: a scratch folder per test, library files written from
// text, the error log read back as UTF-8, and the names of a part list in order.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "job/part_lists.h"
#include "support/gbk.h"

#include "test_support/library_text.h"
#include "test_support/scratch_folder.h"

namespace platenest::testing {

// The lines of a GBK, CR LF file as UTF-8, without their line ends.
inline std::vector<std::string> gbkLines(const std::filesystem::path& path) {
  const std::string text = gbkToUtf8(readBytes(path));
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// The header lines of a library with the captions the shop's tools write (13, 12 and 14
// characters).
inline std::string libraryHeader(double length, double width, double gap) {
  auto number = [](double v) {
    std::string s = std::to_string(v);
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    return s;
  };
  return "PlateLength: " + number(length) + "\nPlateWidth: " + number(width) +
         "\nPartToPartGap:" + number(gap) + "\n";
}

inline std::vector<std::string> namesOf(const PartList& parts) {
  std::vector<std::string> names;
  for (const PlacedPart& part : parts) names.push_back(part.label.text);
  return names;
}

}  // namespace platenest::testing
