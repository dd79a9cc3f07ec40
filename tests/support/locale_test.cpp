// The window runs under the operator's locale; numbers read from and written to job files
// must keep the '.' decimal point all the same.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/number_parse.h"
#include "support/text_writer.h"
#include "test_support/scratch_folder.h"

namespace platenest {
namespace {

// Switches LC_NUMERIC to a locale whose decimal point is ','; builds one with localedef into
// a temporary folder when none is installed. False when neither works.
bool switchToCommaLocale(const std::filesystem::path& scratch) {
  auto commaNow = [] { return std::string(std::localeconv()->decimal_point) == ","; };
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"}) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr && commaNow()) return true;
  }
  std::filesystem::create_directories(scratch);
  const std::string command =
      "localedef -i de_DE -f UTF-8 '" + scratch.string() + "/de_DE.UTF-8' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return false;
  setenv("LOCPATH", scratch.c_str(), 1);
  const bool switched = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr && commaNow();
  unsetenv("LOCPATH");
  return switched;
}

TEST(LocaleTest, NumbersKeepTheDecimalPointUnderACommaLocale) {
  const testing::ScratchFolder scratch;
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  const bool switched = switchToCommaLocale(scratch.path());
  const std::string written = formatG(1234.5678);
  const std::string formatted = formatC("%gx%g", 0.5, 2.25);
  std::size_t consumed = 0;
  const double read = parseDouble("12.5", &consumed);
  const double huge = parseDouble("1.5e999");
  std::setlocale(LC_NUMERIC, previous.c_str());
  if (!switched) GTEST_SKIP() << "no locale with a decimal comma could be set up";
  EXPECT_EQ(written, "1234.57");
  EXPECT_EQ(formatted, "0.5x2.25");
  EXPECT_EQ(read, 12.5);
  EXPECT_EQ(consumed, 4u);
  EXPECT_EQ(huge, HUGE_VAL);
}

}  // namespace
}  // namespace platenest
