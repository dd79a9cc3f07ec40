// The DXF list file ("OpenLibIn&Dxf"): plate size, gap and a folder whose *.dxf drawings
// are read as one part each, straight into nester.parts.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "job/job.h"
#include "readers/dxf_drawing.h"
#include "readers/dxf_part_reader.h"

namespace platenest {

// The plate size and gap, then every "*.dxf" file of the folder (extension in any letter
// case), in byte order of the names; each part read gets the next id from 0 and joins
// job.parts. A drawing may hold several parts side by side, named after the drawing with
// "#1", "#2", ... in the order of their outlines from left to right. A part is named by a
// "name:" TEXT of the drawing, else after its file without the extension. A file that cannot
// be read is named in a warning and listed in job.rejected with the reason.
// Throws FatalError when the list file cannot be opened or the plate size is zero.
Job readDxfListFile(const std::filesystem::path& path, const DxfReadOptions& options = {});

// One drawing of a list from its bytes, as readDxfListFile reads each: its parts (ids from
// `counter` on) and their drawings join `job`, or it is listed in job.rejected with the reason
// and warnings name it. `path` names the drawing in messages and gives its default name.
void readDxfDrawing(std::string_view bytes, const std::filesystem::path& path,
                    const DxfReadOptions& options, std::int32_t& counter, Job& job);

// The folder a list file names on its fourth line, "/" or "\" as separators: taken as
// written (absolute, or relative to the current directory) when that folder exists, else
// relative to the list file's own folder. Nothing when neither exists.
std::optional<std::filesystem::path> resolveDxfFolder(std::string_view folderLine,
                                                      const std::filesystem::path& listPath);
// The existing folder named by the list file at `listPath`, or nothing.
std::optional<std::filesystem::path> dxfListFolder(const std::filesystem::path& listPath);

}  // namespace platenest
