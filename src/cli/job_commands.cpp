#include "cli/job_commands.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include <unistd.h>

#include "cli/bundled_example.h"
#include "cli/human_summary.h"
#include "loading/input_type.h"
#include "cli/json_summary.h"
#include "cli/terminal_progress.h"
#include "nesting/layout_timing.h"
#include "nesting/nester.h"
#include "nesting/optimiser.h"
#include "output/layout_dxf.h"
#include "output/layout_svg.h"
#include "output/packing_report.h"
#include "output/parts_export.h"
#include "output/reduction_report.h"
#include "loading/load.h"
#include "readers/dxf_list_file.h"
#include "support/fatal_error.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

// Outputs without a path of their own (drawing, report, timing file, reduction steps) are
// written relative to the current directory, so -C simply moves the process there.
void enterOutputFolder(const std::optional<std::filesystem::path>& folder) {
  if (!folder) return;
  std::error_code error;
  std::filesystem::create_directories(*folder, error);
  if (!error) std::filesystem::current_path(*folder, error);
  if (error) {
    throw FatalError(FatalChannel::kStandardError, "",
                     "cannot use the output folder " + folder->string() + ": " + error.message());
  }
}

// Jobs are read whole; beyond this a file is no job a shop writes.
constexpr std::uintmax_t kLargestJobBytes = 512u * 1024u * 1024u;

// A job must be a file that can be read to its end: a folder, a device or a pipe is refused
// before it is opened, and so is a file too large to be a job. A missing file is left to
// the reader, which names it.
void refuseUnreadableJob(const CliRequest& request) {
  if (!request.jobPath) return;
  const std::filesystem::path& path = *request.jobPath;
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (!std::filesystem::exists(status)) return;
  if (!std::filesystem::is_regular_file(status)) {
    throw FatalError(FatalChannel::kStandardError, "",
                     path.string() + " is not a regular file and cannot be read as a job");
  }
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size > kLargestJobBytes) {
    throw FatalError(FatalChannel::kStandardError, "",
                     path.string() + " holds " + std::to_string(size) +
                         " bytes; a job may be at most 512 MB");
  }
}

// The load type the job will be read as (the bundled example is a text library).
LoadType jobLoadType(const CliRequest& request) {
  if (request.loadType) return *request.loadType;
  return request.jobPath ? detectLoadType(*request.jobPath) : LoadType::kTextLibrary;
}

// The files a command reads: the job and, for a DXF list, every file of its drawings' folder.
std::vector<std::filesystem::path> inputFiles(const CliRequest& request, LoadType loadType) {
  std::vector<std::filesystem::path> inputs;
  if (!request.jobPath) return inputs;
  inputs.push_back(*request.jobPath);
  if (loadType != LoadType::kDxfList) return inputs;
  if (const std::optional<std::filesystem::path> folder = dxfListFolder(*request.jobPath)) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(*folder, error)) {
      if (entry.is_regular_file(error)) inputs.push_back(entry.path());
    }
  }
  return inputs;
}

// Refuses, before anything is written, a command whose output or error log would land on
// a file the job is read from: the job would be lost or grow with every run.
void refuseOverwritingInputs(const CliRequest& request, LoadType loadType,
                             const std::vector<std::filesystem::path>& inputs) {
  std::vector<std::pair<std::string, std::filesystem::path>> outputs;
  outputs.emplace_back("the error log", request.errorLogPath.value_or(defaultErrorLogPath()));
  if (request.jsonPath) outputs.emplace_back("the JSON summary", *request.jsonPath);
  const bool laysOut = request.command == CliCommand::kLayout ||
                       request.command == CliCommand::kReduce ||
                       (request.command == CliCommand::kExportParts && request.layoutBeforeExport);
  if (laysOut) outputs.emplace_back("the timing file", LayoutTiming::kFileName);
  if (loadType == LoadType::kPartList) outputs.emplace_back("the check report", "PackError.txt");
  if (request.command == CliCommand::kLayout) {
    outputs.emplace_back("the layout drawing", request.dxfPath);
    outputs.emplace_back("the packing report", request.reportPath);
    if (request.svgPath) outputs.emplace_back("the SVG picture", *request.svgPath);
  }
  if (request.command == CliCommand::kReduce) {
    outputs.emplace_back("the detail report", "DetailsReport.txt");
  }
  // Two outputs on one path: the second would silently replace the first. The error log and
  // the part list's check report may share a file (both append to PackError.txt by design).
  const auto appended = [](const std::string& what) {
    return what == "the error log" || what == "the check report";
  };
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    for (std::size_t j = i + 1; j < outputs.size(); ++j) {
      if (appended(outputs[i].first) && appended(outputs[j].first)) continue;
      if (!sameFile(std::filesystem::absolute(outputs[i].second),
                    std::filesystem::absolute(outputs[j].second))) {
        continue;
      }
      throw UsageError(outputs[i].first + " and " + outputs[j].first + " would be one file, " +
                       std::filesystem::absolute(outputs[j].second).string() +
                       "; give each output a path of its own");
    }
  }
  const FileSet jobFiles(inputs);
  for (const auto& [what, output] : outputs) {
    if (!jobFiles.holds(output)) continue;
    for (const std::filesystem::path& input : inputs) {
      if (sameFile(output, input)) {
        throw UsageError(what + " " + std::filesystem::absolute(output).string() +
                         " would overwrite " + input.string() +
                         ", which the job is read from; choose another path or folder");
      }
    }
  }
}

struct LoadedJob {
  // Open until the run ends, when its failure is told.
  TextWriter errorLog;
  std::unique_ptr<Nester> nester;
  JobOrigin origin;
  LoadReport report;
};

LoadedJob loadJob(const CliRequest& request) {
  LoadedJob job;
  std::optional<TemporaryJobFile> example;
  std::filesystem::path path;
  if (request.jobPath) {
    path = *request.jobPath;
    job.origin.description = path.string();
    job.origin.loadType = jobLoadType(request);
  } else {
    example.emplace(bundledExampleBytes(), "job.txt");
    path = example->path();
    job.origin.description = "the bundled example job";
    job.origin.loadType = request.loadType.value_or(LoadType::kTextLibrary);
  }
  LoadOptions options;
  options.keepOrientation = request.keepOrientation;
  options.dxf = request.dxf;
  // The error log is a record beside the outputs, not one of them: a service account without
  // a home folder, or a log that cannot be opened, still gets its job done, with a warning.
  std::filesystem::path errorLogPath = request.errorLogPath.value_or(defaultErrorLogPath());
  {
    TextWriter probe;
    if (!probe.open(errorLogPath, TextWriter::Mode::kAppend)) {
      std::cerr << "platenest: warning: the error log cannot be opened (" << probe.problem()
                << "); the job runs without it\n";
      errorLogPath = "/dev/null";
    }
  }
  job.errorLog = openErrorLog(errorLogPath);
  job.nester = openLibrary(path, job.origin.loadType, job.errorLog, options, job.report);
  return job;
}

// RN, PPD and turnover from the command line replace what the job set, as the RN/PPD
// dialog replaces them; a new PPD makes the next layout build its grid afresh.
void applySettings(Nester& nester, const CliRequest& request) {
  if (request.rotationNumber) nester.rotationNumber = *request.rotationNumber;
  if (request.packingPointDistance) {
    nester.setPackingPointDistance(*request.packingPointDistance);
  }
  if (request.turnover) nester.bPartTurnover = *request.turnover;
}

// A grid that cannot be held is refused before any layout starts, rather than leaving every
// part unplaced.
void refuseUnbuildableGrid(const Nester& nester, const CliRequest& request, bool laysOut) {
  if (!request.packingPointDistance && !laysOut) return;
  if (const std::optional<std::string> problem = nester.packingGridProblem()) {
    throw UsageError("the packing-point grid for this plate cannot be built: " + *problem);
  }
  // A distance as long as a side of the plate leaves one row or column of points, on the
  // plate's edge: no part fits at any of them, and every part would be left off unsaid.
  const double ppd = nester.packingPointDistance();
  if (request.packingPointDistance && (ppd >= nester.plateWidth() || ppd >= nester.plateLength())) {
    throw UsageError("the packing point distance " + formatG(ppd) + " mm is not less than the " +
                     (ppd >= nester.plateWidth() ? "plate's width " + formatG(nester.plateWidth())
                                                 : "plate's length " + formatG(nester.plateLength())) +
                     " mm: no packing point lies inside the plate; choose a smaller --ppd");
  }
}

void selectEveryPart(Nester& nester) {
  for (PlacedPart& part : nester.parts) part.selected = true;
}

double layOut(Nester& nester, LayoutMode mode, LayoutTiming& timing) {
  if (mode == LayoutMode::kAll) {
    timing.time(TimingRecord::kLastCommand, false, [&]() { nester.layoutAll(); });
  } else {
    selectEveryPart(nester);
    timing.time(TimingRecord::kDatedEntry, false, [&]() { nester.layoutMultipleSteps(); });
  }
  return timing.lastSeconds();
}

// Layout All, then the search; one line on standard error for the start and each gain.
OptimiseResult optimise(Nester& nester, const CliRequest& request, TerminalProgress& progress) {
  OptimiseOptions options;
  options.seconds = request.optimise.seconds;
  options.iterations = request.optimise.iterations;
  options.seed = request.optimise.seed;
  options.threads = request.optimise.threads > 0
                        ? request.optimise.threads
                        : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  auto say = [&](double seconds, const LayoutStatistics& statistics, const char* note) {
    if (request.quiet) return;
    progress.clear();
    std::cerr << formatC("%8.2f s  packing length %g mm  density %.2f %%%s", seconds,
                         statistics.packingLength, statistics.density * 100, note)
              << std::endl;
  };
  say(0.0, nester.computeLayoutStatistics(), "  (Layout All)");
  return optimiseLayout(nester, options, [&](const OptimiseImprovement& step) {
    say(step.seconds, step.statistics, "");
  });
}

std::string shownPath(const std::filesystem::path& path) {
  return std::filesystem::absolute(path).lexically_normal().string();
}

}  // namespace

// The timing file is a record of the last run, not an output a script asks for: where its
// folder cannot be written (a read-only current folder with every output named elsewhere) the
// run goes on with a warning, timing into a scratch file removed at the end.
class ScratchTimingFile {
 public:
  explicit ScratchTimingFile(bool laysOut) {
    if (!laysOut) return;
    TextWriter probe;
    if (probe.open(path_, TextWriter::Mode::kExtend)) {
      probe.discard();
      return;
    }
    std::cerr << "platenest: warning: the timing file cannot be written (" << probe.problem()
              << "); the run goes on without it\n";
    std::error_code error;
    scratch_ = std::filesystem::temp_directory_path(error) /
               ("platenest-timing-" + std::to_string(::getpid()) + ".txt");
    path_ = scratch_;
  }
  // Where the run records its layout times.
  const std::filesystem::path& path() const { return path_; }
  ~ScratchTimingFile() {
    std::error_code error;
    if (!scratch_.empty()) std::filesystem::remove(scratch_, error);
  }
  ScratchTimingFile(const ScratchTimingFile&) = delete;
  ScratchTimingFile& operator=(const ScratchTimingFile&) = delete;

 private:
  std::filesystem::path path_ = LayoutTiming::kFileName;
  std::filesystem::path scratch_;
};

int runCommand(const CliRequest& request) {
  refuseUnreadableJob(request);
  enterOutputFolder(request.outputFolder);
  const std::vector<std::filesystem::path> inputs = inputFiles(request, jobLoadType(request));
  refuseOverwritingInputs(request, jobLoadType(request), inputs);
  // Temporaries a killed run left beside its outputs; ten minutes keep a run writing now safe.
  for (const std::filesystem::path& output :
       {request.dxfPath, request.reportPath, std::filesystem::path("DetailsReport.txt"),
        std::filesystem::path(LayoutTiming::kFileName), request.jsonPath.value_or(""),
        request.svgPath.value_or("")}) {
    if (!output.empty()) removeStrayTemporaries(output, 600);
  }
  LoadedJob job = loadJob(request);
  Nester& nester = *job.nester;
  // A job that yields no part is a wrong or broken file: its outputs would replace good
  // ones with empty ones, so nothing is written.
  if (nester.parts.empty()) {
    if (!request.quiet) printLoadSummary(std::cout, nester, job.origin, job.report);
    throw FatalError(FatalChannel::kStandardError, "",
                     "no part could be loaded from " + job.origin.description);
  }
  if (job.origin.loadType == LoadType::kPartList && !nester.hasJobSettings) {
    std::cout << "The part list has no CONFIGINFO block: the nester's construction values are "
                 "kept (plate 6000 x 4000, gap 0, turnover on).\n";
  }
  applySettings(nester, request);
  const bool laysOut = request.command == CliCommand::kLayout ||
                       request.command == CliCommand::kReduce ||
                       (request.command == CliCommand::kExportParts && request.layoutBeforeExport);
  refuseUnbuildableGrid(nester, request, laysOut);
  const ScratchTimingFile timingFile(laysOut);
  LayoutTiming timing(timingFile.path());

  // Progress on standard error for long runs; Ctrl-C stops the layout between two
  // placements and what was placed is still written, and an export between two drawings.
  TerminalProgress progress(std::cerr, !request.quiet);
  InterruptToCancel interrupt(progress);
  nester.progress = &progress;
  double seconds = 0.0;
  std::optional<OptimiseResult> optimised;
  std::vector<std::string> written;
  std::size_t exportedDrawings = 0;
  // The files a run writes are one set: none replaces its old file until all are finished.
  std::optional<OutputSet> outputs;
  switch (request.command) {
    case CliCommand::kLayout:
      if (request.mode == LayoutMode::kOptimise) {
        seconds = layOut(nester, LayoutMode::kAll, timing);
        // Stopped during Layout All, there is nothing to improve on.
        if (!progress.cancelled()) {
          optimised = optimise(nester, request, progress);
          seconds += optimised->seconds;
        }
      } else {
        seconds = layOut(nester, request.mode, timing);
      }
      outputs.emplace();
      writePackingReport(nester, request.reportPath);
      written.push_back(shownPath(request.reportPath));
      writeLayoutDxf(nester, request.dxfPath);
      written.push_back(shownPath(request.dxfPath));
      if (request.svgPath) {
        writeLayoutSvg(nester, *request.svgPath);
        written.push_back(shownPath(*request.svgPath));
      }
      break;
    case CliCommand::kReduce:
      {
        // The report and the step drawings are one set: a run that fails leaves the previous
        // report beside the drawings it names.
        outputs.emplace();
        selectEveryPart(nester);
        const auto start = std::chrono::steady_clock::now();
        ReductionReport details("DetailsReport.txt");
        details.keepOff(inputs);
        nester.reducePlateSize(timing, [&](const ReductionStep& step) {
          details.record(nester, step, [&progress](const std::string& line) {
            progress.clear();
            std::cerr << line << std::endl;
          });
        });
        details.finish();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        written.push_back(shownPath("DetailsReport.txt"));
      }
      break;
    case CliCommand::kExportParts:
      if (request.layoutBeforeExport) {
        seconds = layOut(nester, LayoutMode::kAll, timing);
      }
    {
      const std::vector<ExportedDrawing> drawings = exportPartsDxf(nester, ".", inputs);
      exportedDrawings = drawings.size();
      written.push_back(std::to_string(drawings.size()) + " part drawings in " +
                        shownPath("."));
      for (const ExportedDrawing& drawing : drawings) {
        if (drawing.renamed) {
          written.push_back(drawing.path.filename().string() +
                            " (its part's name was taken by another part or a drawing of the job)");
        }
      }
    }
      break;
    case CliCommand::kCheck:
      break;
  }
  if (request.jsonPath) {
    if (!outputs) outputs.emplace();
    writeJsonSummary(nester, seconds, *request.jsonPath, job.report.rejected,
                     optimised ? &*optimised : nullptr);
    written.push_back(shownPath(*request.jsonPath));
  }
  if (outputs) {
    const std::string problem = outputs->commit();
    if (!problem.empty()) {
      throw FatalError(FatalChannel::kStandardError, "",
                       "the outputs could not be put in place: " + problem);
    }
  }
  // The job is right even when its error log is not: the failure is only a warning.
  job.errorLog.flush();
  if (job.errorLog.failed()) {
    std::cerr << "platenest: warning: the error log could not be written: "
              << job.errorLog.problem() << "\n";
  }
  progress.clear();
  nester.progress = nullptr;
  const bool interrupted = progress.cancelled();
  if (interrupted && request.command == CliCommand::kExportParts) {
    std::cerr << "platenest: interrupted; the export was stopped with " << exportedDrawings
              << (exportedDrawings == 1 ? " part drawing" : " part drawings")
              << " written, each whole\n";
  } else if (interrupted) {
    std::cerr << (optimised ? "platenest: interrupted; the outputs hold the best layout found "
                              "until then\n"
                            : "platenest: interrupted; the outputs hold what was placed until "
                              "then\n");
  }
  int status = interrupted ? interruptedStatus() : 0;
  if (!interrupted && request.strict && !job.report.rejected.empty()) {
    std::cerr << "platenest: " << job.report.rejected.size()
              << (job.report.rejected.size() == 1 ? " part was" : " parts were")
              << " rejected at load (--strict)\n";
    status = kRejectedPartStatus;
  }

  if (request.quiet) return status;
  printLoadSummary(std::cout, nester, job.origin, job.report);
  if (laysOut) printLayoutSummary(std::cout, nester, timing.lastMessage());
  if (optimised) {
    std::cout << "Layout All: packing length " << formatG(optimised->start.packingLength)
              << " mm; the search made " << optimised->iterations << " trial layouts in "
              << formatC("%.1f", optimised->seconds) << " s and shortened it by "
              << formatC("%.2f", 100 * (1 - optimised->best.packingLength /
                                                optimised->start.packingLength))
              << " %\n";
  }
  if (request.command == CliCommand::kReduce) {
    std::cout << "Final plate: " << formatG(nester.plateLength()) << " x "
              << formatG(nester.plateWidth()) << " mm\n";
  }
  for (const std::string& output : written) std::cout << "Wrote " << output << "\n";
  return status;
}

}  // namespace platenest
