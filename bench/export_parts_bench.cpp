// The export of part drawings from a DXF list of thousands of drawings, into the drawings'
// own folder: each drawing written is kept off every input drawing, which must cost a
// look-up, not a comparison with each input.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "loading/load.h"
#include "nesting/nester.h"
#include "output/parts_export.h"
#include "support/messages.h"

namespace platenest {
namespace {

namespace fs = std::filesystem;

// N copies of one example drawing in a folder of their own, and the DXF list that names it;
// the list and the drawings are the job's files, as the command line gathers them.
fs::path drawingsJob(int count, std::vector<fs::path>& inputs) {
  const fs::path root = fs::temp_directory_path() / "platenest-bench" / ("drawings-" + std::to_string(count));
  const fs::path folder = root / "parts";
  fs::remove_all(root);
  fs::create_directories(folder);
  const fs::path drawing = fs::path(PLATENEST_SOURCE_DIR) / "examples" / "dxf-parts" / "hex-70.dxf";
  const fs::path list = root / "job.txt";
  inputs = {list};
  for (int i = 0; i < count; ++i) {
    const fs::path copy = folder / ("hex-" + std::to_string(i) + ".dxf");
    fs::copy_file(drawing, copy);
    inputs.push_back(copy);
  }
  std::ofstream(list, std::ios::binary) << "PlateLength: 100000\r\nPlateWidth: 2000\r\nPartToPartGap:5\r\n"
                                        << folder.string() << "\r\n";
  return list;
}

void BM_ExportPartsIntoTheDrawingsFolder(benchmark::State& state) {
  std::vector<fs::path> inputs;
  const fs::path list = drawingsJob(static_cast<int>(state.range(0)), inputs);
  static RecordingMessageSink quiet;
  ScopedMessageSink guard(&quiet);
  const auto nester =
      openLibrary(list, LoadType::kDxfList, list.parent_path() / "PackError.txt", LoadOptions{});
  const fs::path folder = list.parent_path() / "parts";
  std::size_t written = 0;
  for (auto _ : state) written = exportPartsDxf(*nester, folder, inputs).size();
  state.counters["drawings"] = static_cast<double>(written);
  fs::remove_all(list.parent_path());
}
BENCHMARK(BM_ExportPartsIntoTheDrawingsFolder)->Arg(1000)->Arg(3000)->Arg(10000)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
}  // namespace platenest
