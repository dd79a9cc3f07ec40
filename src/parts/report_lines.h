// Reading back what the checks just wrote to an error report, so that the operator is told
// why a part was left out in the same words the report keeps.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "support/text_writer.h"

namespace platenest {

// Ends the part lines of the error reports: "以上错误发生于零件:" followed by the name.
inline constexpr const char* kPartNameLine = "以上错误发生于零件:";

// The size of the report file now, after flushing its writer (0 when it cannot be read).
std::uintmax_t reportSize(TextWriter& writer, const std::filesystem::path& path);

// The lines written to the report since `from`, as UTF-8, without their indenting tabs,
// without empty lines and without the part-name lines, joined by '\n'.
std::string reportLinesSince(TextWriter& writer, const std::filesystem::path& path,
                             std::uintmax_t from);

}  // namespace platenest
