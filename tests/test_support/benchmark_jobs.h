// The benchmark jobs (tests/data/jobs, copies kept in the project) and the settings their
// layouts were recorded with, read from benchmark_jobs.txt, which the scripts read too.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace platenest::testing {

struct BenchmarkJob {
  std::string name;                 // a test-name-safe label: "jakobs1", "industrial60"
  std::filesystem::path file;       // relative to benchmarkFolder()
  std::optional<int> rotationNumber;  // --rn; nothing: the job's own
  std::optional<bool> turnover;       // --turnover; nothing: the job's own
  bool keepOrientation = false;       // --keep-orientation

  std::filesystem::path path() const;
  // The settings as command-line arguments, in the table's order.
  std::vector<std::string> arguments() const;
};

std::filesystem::path benchmarkFolder();
// Every job of the table, in its order.
const std::vector<BenchmarkJob>& benchmarkJobs();
// The job of that name; fails the test (and gives an empty job) when there is none.
BenchmarkJob benchmarkJob(const std::string& name);

// Readable names for parameterised cases and failure messages.
void PrintTo(const BenchmarkJob& job, std::ostream* out);
struct BenchmarkJobName {
  std::string operator()(const ::testing::TestParamInfo<BenchmarkJob>& info) const {
    return info.param.name;
  }
};

// Why a test of the benchmark jobs cannot run here (the folder is gone), or nothing when it can.
std::optional<std::string> missingBenchmarks();

}  // namespace platenest::testing

// Fails the test, naming the folder, when the jobs are missing: they are part of the project,
// so a run without them would cover less than it claims.
#define PLATENEST_REQUIRE_BENCHMARKS()                                                  \
  do {                                                                                  \
    if (const auto missing = ::platenest::testing::missingBenchmarks()) GTEST_FAIL() << *missing; \
  } while (false)
// The former name, for tests written before the jobs moved into the project.
#define PLATENEST_SKIP_WITHOUT_BENCHMARKS() PLATENEST_REQUIRE_BENCHMARKS()
