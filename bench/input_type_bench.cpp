// Telling a job file's kind: a file of many megabytes without one line feed (a binary or a
// cut-and-pasted drawing named as a job) must be told in time linear in its size.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "loading/input_type.h"

namespace platenest {
namespace {

void BM_DetectLoadTypeWithoutLineFeeds(benchmark::State& state) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / "platenest_bench_no_line_feeds.txt";
  {
    std::ofstream file(path, std::ios::binary);
    file << std::string(static_cast<std::size_t>(state.range(0)) << 20, 'x');
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(detectLoadType(path));
  }
  state.SetBytesProcessed(state.iterations() * (state.range(0) << 20));
  std::filesystem::remove(path);
}
BENCHMARK(BM_DetectLoadTypeWithoutLineFeeds)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace platenest
