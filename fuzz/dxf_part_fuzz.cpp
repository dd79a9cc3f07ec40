// The reader of one part's DXF drawing, from memory: any bytes make a part or none.
#include <string>

#include "fuzz_support.h"
#include "readers/dxf_part_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace platenest;
  fuzz::workFolder();
  LineReader reader;
  reader.openBytes(std::string(reinterpret_cast<const char*>(data), size));
  PlacedPart part;
  PartDrawing drawing;
  readDxfPart(part, reader, drawing);
  return 0;
}
