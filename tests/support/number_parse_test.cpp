#include "support/number_parse.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

namespace platenest {
namespace {

struct DoubleCase {
  const char* text;
  double value;
  std::size_t consumed;
};

TEST(NumberParseTest, DoublesAsStrtodReadsThem) {
  const DoubleCase cases[] = {
      {" 12.5abc", 12.5, 5}, {"-3e2", -300.0, 4}, {"1e", 1.0, 1},         {".5", 0.5, 2},
      {"abc", 0.0, 0},       {"+7", 7.0, 2},      {"--1", 0.0, 0},        {"+-1", 0.0, 0},
      {"", 0.0, 0},          {"   ", 0.0, 0},     {"-", 0.0, 0},          {".", 0.0, 0},
      {"5.", 5.0, 2},        {"1e+", 1.0, 1},     {"1e-2x", 0.01, 4},     {"\t\n\v\f\r 8", 8.0, 7},
      {"0012", 12.0, 4},     {"1,5", 1.0, 1},     {"-0.25 ", -0.25, 5},   {"2E3", 2000.0, 3},
      {"1.5.5", 1.5, 3},     {"e5", 0.0, 0},      {"1e999", HUGE_VAL, 5},
  };
  for (const DoubleCase& c : cases) {
    SCOPED_TRACE(std::string("\"") + c.text + "\"");
    std::size_t consumed = 99;
    EXPECT_EQ(parseDouble(c.text, &consumed), c.value);
    EXPECT_EQ(consumed, c.consumed);
    EXPECT_EQ(parseAtof(c.text), c.value);
  }
  // A view need not end with a terminator: nothing past its end is read.
  const std::string_view cut = std::string_view("12.75", 4);
  EXPECT_EQ(parseDouble(cut), 12.7);
  EXPECT_TRUE(std::signbit(parseDouble("-0")));
}

TEST(NumberParseTest, IntegersAsAtoiReadsThem) {
  const struct {
    const char* text;
    int value;
    std::size_t consumed;
  } cases[] = {
      {" 42abc", 42, 3},
      {"-17", -17, 3},
      {"+7", 7, 2},
      {"--1", 0, 0},
      {"abc", 0, 0},
      {"", 0, 0},
      {"3.9", 3, 1},
      {"2147483647", INT_MAX, 10},
      {"-2147483648", INT_MIN, 11},
      {"99999999999", INT_MAX, 11},
      {"-99999999999999999999", INT_MIN, 21},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("\"") + c.text + "\"");
    std::size_t consumed = 99;
    EXPECT_EQ(parseAtoi(c.text, &consumed), c.value);
    EXPECT_EQ(consumed, c.consumed);
  }
}

}  // namespace
}  // namespace platenest
