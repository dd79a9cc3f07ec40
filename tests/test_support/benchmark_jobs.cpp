#include "test_support/benchmark_jobs.h"

#include <fstream>
#include <sstream>
#include <system_error>

namespace platenest::testing {
namespace {

std::vector<BenchmarkJob> readTable() {
  std::vector<BenchmarkJob> jobs;
  std::ifstream in(PLATENEST_BENCHMARK_JOBS);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    BenchmarkJob job;
    std::string file;
    fields >> job.name >> file;
    job.file = file;
    std::string option;
    while (fields >> option) {
      if (option == "--rn") {
        int rn = 0;
        fields >> rn;
        job.rotationNumber = rn;
      } else if (option == "--turnover") {
        std::string value;
        fields >> value;
        job.turnover = value == "on";
      } else if (option == "--keep-orientation") {
        job.keepOrientation = true;
      } else {
        ADD_FAILURE() << "benchmark_jobs.txt: unknown setting " << option << " of " << job.name;
      }
    }
    jobs.push_back(std::move(job));
  }
  return jobs;
}

}  // namespace

std::filesystem::path benchmarkFolder() { return PLATENEST_BENCHMARK_DIR; }

std::filesystem::path BenchmarkJob::path() const { return benchmarkFolder() / file; }

std::vector<std::string> BenchmarkJob::arguments() const {
  std::vector<std::string> arguments;
  if (rotationNumber) arguments.insert(arguments.end(), {"--rn", std::to_string(*rotationNumber)});
  if (turnover) arguments.insert(arguments.end(), {"--turnover", *turnover ? "on" : "off"});
  if (keepOrientation) arguments.push_back("--keep-orientation");
  return arguments;
}

const std::vector<BenchmarkJob>& benchmarkJobs() {
  static const std::vector<BenchmarkJob> jobs = readTable();
  return jobs;
}

BenchmarkJob benchmarkJob(const std::string& name) {
  for (const BenchmarkJob& job : benchmarkJobs()) {
    if (job.name == name) return job;
  }
  ADD_FAILURE() << "no benchmark job named " << name << " in " << PLATENEST_BENCHMARK_JOBS;
  return BenchmarkJob{};
}

void PrintTo(const BenchmarkJob& job, std::ostream* out) {
  *out << job.name << " (" << job.file.string();
  for (const std::string& argument : job.arguments()) *out << " " << argument;
  *out << ")";
}

std::optional<std::string> missingBenchmarks() {
  std::error_code error;
  if (std::filesystem::is_directory(benchmarkFolder(), error)) return std::nullopt;
  return "the benchmark job folder " + benchmarkFolder().lexically_normal().string() +
         " is missing";
}

}  // namespace platenest::testing
