// The DXF list with its drawings through the load flow. The input is the list file, then
// each drawing after a line "%%drawing"; the drawings are written as parts/NN.dxf beside the
// list, the folder the seeds' fourth line names.
#include <string>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace platenest;
  const std::filesystem::path folder = fuzz::workFolder() / "parts";
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  std::filesystem::create_directories(folder);

  const std::string_view input(reinterpret_cast<const char*>(data), size);
  constexpr std::string_view kSeparator = "\n%%drawing\n";
  std::size_t start = 0;
  int piece = 0;
  for (;;) {
    const std::size_t end = input.find(kSeparator, start);
    const std::string_view bytes = input.substr(start, end - start);
    const std::filesystem::path path =
        piece == 0 ? fuzz::workFolder() / "list.txt"
                   : folder / ("d" + std::to_string(piece) + ".dxf");
    fuzz::writeBytes(path, bytes);
    ++piece;
    if (end == std::string_view::npos) break;
    start = end + kSeparator.size();
  }
  fuzz::loadJob(fuzz::workFolder() / "list.txt", LoadType::kDxfList);
  return 0;
}
