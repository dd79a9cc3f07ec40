// Locale-free number reading with the C library's prefix rules: the window may run under
// the operator's locale, where strtod would stop at the '.' of "12.5".
#include "support/number_parse.h"

#include <locale.h>

#include <charconv>
#include <climits>
#include <cstdlib>
#include <string>

namespace platenest {
namespace {

bool isCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Past the leading white space and an optional sign; `negative` tells which sign.
std::size_t skipSpaceAndSign(std::string_view text, bool& negative) {
  std::size_t i = 0;
  while (i < text.size() && isCSpace(text[i])) ++i;
  negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  return i;
}

// strtod in the "C" locale, for the values from_chars leaves out (too large, too small).
double strtodInCLocale(std::string_view number) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  const std::string copy(number);
  if (cLocale == static_cast<locale_t>(0)) return std::strtod(copy.c_str(), nullptr);
  return strtod_l(copy.c_str(), nullptr, cLocale);
}

}  // namespace

double parseDouble(std::string_view text, std::size_t* consumed) {
  if (consumed != nullptr) *consumed = 0;
  bool negative = false;
  const std::size_t start = skipSpaceAndSign(text, negative);
  // The sign is ours to read: from_chars would take a second '-' ("--1") as a number.
  if (start >= text.size() || text[start] == '+' || text[start] == '-') return 0.0;
  const char* first = text.data() + start;
  const char* last = text.data() + text.size();
  double value = 0.0;
  const std::from_chars_result result = std::from_chars(first, last, value);
  if (result.ec == std::errc::invalid_argument) return 0.0;
  if (result.ec == std::errc::result_out_of_range) {
    value = strtodInCLocale(std::string_view(first, static_cast<std::size_t>(result.ptr - first)));
  }
  if (consumed != nullptr) *consumed = static_cast<std::size_t>(result.ptr - text.data());
  return negative ? -value : value;
}

int parseAtoi(std::string_view text, std::size_t* consumed) {
  if (consumed != nullptr) *consumed = 0;
  bool negative = false;
  std::size_t i = skipSpaceAndSign(text, negative);
  if (i >= text.size() || !isDigit(text[i])) return 0;
  // Accumulate toward the sign so that INT_MIN itself is reachable; clamp on overflow.
  long long value = 0;
  for (; i < text.size() && isDigit(text[i]); ++i) {
    if (value <= static_cast<long long>(INT_MAX) + 1) value = value * 10 + (text[i] - '0');
  }
  if (consumed != nullptr) *consumed = i;
  if (negative)
    return value > static_cast<long long>(INT_MAX) + 1 ? INT_MIN : static_cast<int>(-value);
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

}  // namespace platenest
