// Numbers as the C library reads them (atof, atoi, strtod), independent of the locale:
// leading white space skipped, the longest valid prefix taken, 0 when there is none.
#pragma once

#include <cstddef>
#include <string_view>

namespace platenest {

// strtod: the value, and in `consumed` how many characters it took (0 when no number).
double parseDouble(std::string_view text, std::size_t* consumed = nullptr);
inline double parseAtof(std::string_view text) { return parseDouble(text); }
// atoi / strtol base 10, clamped to the int range.
int parseAtoi(std::string_view text, std::size_t* consumed = nullptr);

}  // namespace platenest
