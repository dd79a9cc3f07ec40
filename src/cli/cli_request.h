// What the operator asked the command line to do, after the options have been checked.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "loading/load.h"

namespace platenest {

enum class CliCommand { kLayout, kReduce, kExportParts, kCheck };
enum class LayoutMode {
  kAll,    // Layout All
  kMulti,  // every part selected, then Layout Multiple Steps
  kOptimise,  // Layout All, then the optimising search within a budget
};

// The budget and settings of the optimising layout.
struct OptimiseRequest {
  double seconds = 30.0;
  std::optional<std::int64_t> iterations;  // trial layouts instead of time
  std::uint64_t seed = 1;
  int threads = 0;  // 0: the machine's cores
};

struct CliRequest {
  CliCommand command = CliCommand::kLayout;
  // The job file; none means the bundled example (layout only).
  std::optional<std::filesystem::path> jobPath;
  // The input format; none means: tell it from the file.
  std::optional<LoadType> loadType;
  // -C: the folder every output is written into (created when missing).
  std::optional<std::filesystem::path> outputFolder;
  std::optional<std::filesystem::path> errorLogPath;
  std::optional<int> rotationNumber;
  std::optional<double> packingPointDistance;  // mm
  std::optional<bool> turnover;
  bool keepOrientation = false;
  // --dxf-join-tolerance, --dxf-layers: how the drawings of a DXF list are read.
  DxfReadOptions dxf;
  std::optional<std::filesystem::path> jsonPath;
  bool quiet = false;
  // --strict: a part left out of the job ends the command with kRejectedPartStatus, once
  // the outputs are written, so that a script notices.
  bool strict = false;

  // layout
  LayoutMode mode = LayoutMode::kAll;
  OptimiseRequest optimise;
  std::filesystem::path dxfPath = "layout.dxf";
  std::filesystem::path reportPath = "Report.txt";
  std::optional<std::filesystem::path> svgPath;

  // export-parts
  bool layoutBeforeExport = false;
};

// The exit status of a --strict command some of whose parts were rejected at load.
inline constexpr int kRejectedPartStatus = 3;

// A command line that cannot be carried out as given; the program ends with status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace platenest
