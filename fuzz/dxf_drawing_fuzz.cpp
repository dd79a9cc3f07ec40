// The reader of CAD-saved drawings and the loop joiner, from memory: one drawing per input,
// read into loops and parts or refused with a reason, within the reader's limits; then the
// whole reading a list gives each drawing, plain reader and closing lines included.
#include <string_view>

#include "fuzz_support.h"
#include "readers/dxf_drawing.h"
#include "readers/dxf_list_file.h"
#include "readers/dxf_loops.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace platenest;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // A part is never handed on without an outline and an area, nor without its drawing.
  Job job;
  std::int32_t counter = 0;
  readDxfDrawing(bytes, fuzz::workFolder() / "drawing.dxf", DxfReadOptions{}, counter, job);
  if (job.parts.size() != job.drawings.size()) __builtin_trap();
  for (const PlacedPart& part : job.parts) {
    if (part.outer.vertexCount() < 3 || !(part.area() > 0.0)) __builtin_trap();
  }
  const DxfGeometry geometry = readDxfGeometry(bytes, DxfReadOptions{});
  if (!geometry.refusal.empty()) return 0;
  const DxfLoopParts parts = joinDxfLoops(geometry, 0.1, 1.0);
  for (const DxfLoopPart& part : parts.parts) {
    if (part.outer.vertexCount() < 3) __builtin_trap();
  }
  return 0;
}
