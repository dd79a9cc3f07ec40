// The reader of CAD-saved drawings and the loop joiner, from memory: one drawing per input,
// read into loops and parts or refused with a reason, within the reader's limits.
#include <string_view>

#include "fuzz_support.h"
#include "readers/dxf_drawing.h"
#include "readers/dxf_loops.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace platenest;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const DxfGeometry geometry = readDxfGeometry(bytes, DxfReadOptions{});
  if (!geometry.refusal.empty()) return 0;
  const DxfLoopParts parts = joinDxfLoops(geometry, 0.1, 1.0);
  // A part is never handed on without an outline.
  for (const DxfLoopPart& part : parts.parts) {
    if (part.outer.vertexCount() < 3) __builtin_trap();
  }
  return 0;
}
