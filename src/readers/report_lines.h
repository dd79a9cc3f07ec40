// What the checks wrote to an error report, turned into the reason a part was left out, so
// that the operator is told in the same words the report keeps.
#pragma once

#include <string>
#include <string_view>

namespace platenest {

// Ends the part lines of the error reports: "以上错误发生于零件:" followed by the name.
inline constexpr const char* kPartNameLine = "以上错误发生于零件:";

// The report lines in `written` (GBK, as a TextWriter copies them) as UTF-8, without their
// indenting tabs, without empty lines and without the part-name lines, joined by '\n'.
std::string reportLines(std::string_view written);

}  // namespace platenest
