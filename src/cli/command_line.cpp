#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "cli/order_command.h"

namespace platenest {
namespace {

// The whole text as a number, or nothing when any character is left over.
template <typename Number>
std::optional<Number> parseWhole(const std::string& text) {
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  Number value{};
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
    return std::nullopt;
  }
  return value;
}

// The option values as typed; turned into the request once the parse has succeeded.
struct RawOptions {
  std::string job;
  std::string type;
  std::string outputFolder;
  std::string errorLog;
  std::string rotationNumber;
  std::string packingPointDistance;
  std::string turnover;
  bool keepOrientation = false;
  std::string dxfJoinTolerance;
  std::string dxfLayers;
  std::string json;
  bool quiet = false;
  bool strict = false;
  std::string mode = "all";
  std::string seconds;
  std::string iterations;
  std::string seed;
  std::string threads;
  std::string dxf;
  std::string report;
  std::string svg;
  bool layoutBeforeExport = false;
};

CLI::Validator checkedBy(std::optional<std::string> (*problem)(const std::string&)) {
  return CLI::Validator(
      [problem](std::string& text) { return problem(text).value_or(std::string()); }, "");
}

void addCommonOptions(CLI::App& command, RawOptions& raw) {
  command
      .add_option("--type", raw.type,
                  "Input format (default: *.preSrc is a part list; a file whose fourth line "
                  "names an existing folder and that has no NAME line is a DXF list; "
                  "anything else is a text part library)")
      ->check(CLI::IsMember({"text", "dxf-list", "part-list"}));
  command
      .add_option("-C", raw.outputFolder,
                  "Write every output into DIR (created when missing); paths given on the "
                  "command line stay relative to the starting directory")
      ->type_name("DIR");
  command
      .add_option("--error-log", raw.errorLog,
                  "Where the error log of the input checks goes (default: PackError.txt in "
                  "the home directory)")
      ->type_name("PATH");
  command.add_option("--rn", raw.rotationNumber, "Rotation number RN: orientations tried per part")
      ->type_name("N")
      ->check(checkedBy(&rotationNumberProblem));
  command.add_option("--ppd", raw.packingPointDistance, "Packing point distance PPD in mm")
      ->type_name("MM")
      ->check(checkedBy(&packingPointDistanceProblem));
  command
      .add_option("--turnover", raw.turnover,
                  "Whether parts may be turned over (default: what the job says; on without "
                  "job settings)")
      ->check(CLI::IsMember({"on", "off"}));
  command.add_flag("--keep-orientation", raw.keepOrientation,
                   "Keep the parts' given orientations instead of turning each to its "
                   "least-box orientation at load");
  command
      .add_option("--dxf-join-tolerance", raw.dxfJoinTolerance,
                  "DXF drawings: join line ends this close in mm (default 0.1)")
      ->type_name("MM")
      ->check(checkedBy(&joinToleranceProblem));
  command
      .add_option("--dxf-layers", raw.dxfLayers,
                  "DXF drawings: cut only these layers (comma-separated; default: every layer "
                  "but those named for dimensions, centre lines, text, marking and frames)")
      ->type_name("NAME,...");
  command.add_option("--json", raw.json, "Write a machine-readable summary to PATH")
      ->type_name("PATH");
  command.add_flag("--quiet", raw.quiet, "No human summary on standard output");
  command.add_flag("--strict", raw.strict,
                   "End with status 3, after writing the outputs, when any part of the job "
                   "was rejected at load");
}

std::filesystem::path absoluteFrom(const std::string& text) {
  return std::filesystem::absolute(std::filesystem::path(text));
}

void fillRequest(const RawOptions& raw, CliRequest& request) {
  if (!raw.job.empty()) request.jobPath = absoluteFrom(raw.job);
  if (raw.type == "text") request.loadType = LoadType::kTextLibrary;
  if (raw.type == "dxf-list") request.loadType = LoadType::kDxfList;
  if (raw.type == "part-list") request.loadType = LoadType::kPartList;
  if (!raw.outputFolder.empty()) request.outputFolder = absoluteFrom(raw.outputFolder);
  if (!raw.errorLog.empty()) request.errorLogPath = absoluteFrom(raw.errorLog);
  if (!raw.rotationNumber.empty()) request.rotationNumber = parseWhole<int>(raw.rotationNumber);
  if (!raw.packingPointDistance.empty()) {
    request.packingPointDistance = parseWhole<double>(raw.packingPointDistance);
  }
  if (!raw.turnover.empty()) request.turnover = raw.turnover == "on";
  request.keepOrientation = raw.keepOrientation;
  if (!raw.dxfJoinTolerance.empty()) {
    request.dxf.joinTolerance = parseWhole<double>(raw.dxfJoinTolerance).value_or(0.1);
  }
  std::string layers = raw.dxfLayers;
  while (!layers.empty()) {
    const std::size_t comma = layers.find(',');
    const std::string layer = layers.substr(0, comma);
    if (!layer.empty()) request.dxf.cutLayers.push_back(layer);
    layers = comma == std::string::npos ? std::string() : layers.substr(comma + 1);
  }
  if (!raw.json.empty()) request.jsonPath = absoluteFrom(raw.json);
  request.quiet = raw.quiet;
  request.strict = raw.strict;
  request.mode = raw.mode == "multi"      ? LayoutMode::kMulti
                 : raw.mode == "optimise" ? LayoutMode::kOptimise
                                          : LayoutMode::kAll;
  if (!raw.seconds.empty()) request.optimise.seconds = *parseWhole<double>(raw.seconds);
  if (!raw.iterations.empty()) request.optimise.iterations = parseWhole<std::int64_t>(raw.iterations);
  if (!raw.seed.empty()) request.optimise.seed = *parseWhole<std::uint64_t>(raw.seed);
  if (!raw.threads.empty()) request.optimise.threads = *parseWhole<int>(raw.threads);
  // Outputs named on the command line are relative to the starting directory; the default
  // names stay relative so that they land in the -C folder.
  if (!raw.dxf.empty()) request.dxfPath = absoluteFrom(raw.dxf);
  if (!raw.report.empty()) request.reportPath = absoluteFrom(raw.report);
  if (!raw.svg.empty()) request.svgPath = absoluteFrom(raw.svg);
  request.layoutBeforeExport = raw.layoutBeforeExport;
}

}  // namespace

std::optional<std::string> joinToleranceProblem(const std::string& text) {
  const std::optional<double> value = parseWhole<double>(text);
  // Ends further apart than 10 mm are no drawing slip but a missing edge.
  if (!value || !(*value >= 0.0 && *value <= 10.0)) {
    return "--dxf-join-tolerance: " + text + " is not a number of mm from 0 to 10";
  }
  return std::nullopt;
}

std::optional<std::string> rotationNumberProblem(const std::string& text) {
  const std::optional<int> value = parseWhole<int>(text);
  // Beyond one orientation per tenth of a degree the work and memory only grow.
  if (value && *value >= 1 && *value <= kLargestRotationNumber) return std::nullopt;
  return "the rotation number must be a whole number from 1 to " +
         std::to_string(kLargestRotationNumber) + ", not '" + text + "'";
}

std::optional<std::string> packingPointDistanceProblem(const std::string& text) {
  const std::optional<double> value = parseWhole<double>(text);
  if (value && std::isfinite(*value) && *value > 0.0) return std::nullopt;
  return "the packing point distance must be a positive number of millimetres, not '" + text + "'";
}

std::optional<std::string> secondsProblem(const std::string& text) {
  const std::optional<double> value = parseWhole<double>(text);
  if (value && std::isfinite(*value) && *value > 0.0 && *value <= kLongestOptimiseSeconds) {
    return std::nullopt;
  }
  return "the time budget must be a positive number of seconds up to one week, not '" + text + "'";
}

std::optional<std::string> iterationsProblem(const std::string& text) {
  const std::optional<std::int64_t> value = parseWhole<std::int64_t>(text);
  if (value && *value >= 1) return std::nullopt;
  return "the number of trial layouts must be a whole number of at least 1, not '" + text + "'";
}

std::optional<std::string> seedProblem(const std::string& text) {
  if (parseWhole<std::uint64_t>(text)) return std::nullopt;
  return "the seed must be a whole number from 0 to 18446744073709551615, not '" + text + "'";
}

std::optional<std::string> threadsProblem(const std::string& text) {
  const std::optional<int> value = parseWhole<int>(text);
  if (value && *value >= 1 && *value <= kMostOptimiseThreads) return std::nullopt;
  return "the number of threads must be a whole number from 1 to " +
         std::to_string(kMostOptimiseThreads) + ", not '" + text + "'";
}

std::optional<int> parseCommandLine(int argc, const char* const* argv, CliRequest& request) {
  CLI::App app(
      "Nests flat parts with arcs and holes on a rectangular plate, using as short a "
      "length of plate as possible, and writes the layout as DXF and text reports.",
      "platenest");
  app.set_version_flag("--version", std::string("platenest ") + PLATENEST_VERSION);
  app.require_subcommand(1);

  // Orders take options of their own, parsed and run by the order command.
  if (argc >= 2 && std::string(argv[1]) == "nest") {
    return runNestCommand(std::vector<std::string>(argv + 2, argv + argc));
  }

  RawOptions raw;

  CLI::App* layout =
      app.add_subcommand("layout",
                         "Load a job, lay it out and write the drawing and the packing report "
                         "(without JOB: the bundled example job)");
  std::vector<CLI::Option*> jobOptions;
  jobOptions.push_back(layout->add_option("JOB", raw.job, "The job file")->type_name(""));
  addCommonOptions(*layout, raw);
  layout
      ->add_option("--mode", raw.mode,
                   "all: Layout All (default); multi: every part selected, then Layout "
                   "Multiple Steps; optimise: Layout All, then a search for a shorter layout "
                   "within a budget of time or trials")
      ->check(CLI::IsMember({"all", "multi", "optimise"}));
  std::vector<CLI::Option*> optimiseOptions;
  optimiseOptions.push_back(
      layout->add_option("--seconds", raw.seconds, "optimise: the time budget (default 30)")
          ->type_name("S")
          ->check(checkedBy(&secondsProblem)));
  optimiseOptions.push_back(
      layout
          ->add_option("--iterations", raw.iterations,
                       "optimise: a fixed number of trial layouts instead of a time budget; "
                       "with the same seed the result is the same on every run")
          ->type_name("N")
          ->check(checkedBy(&iterationsProblem)));
  optimiseOptions.push_back(layout->add_option("--seed", raw.seed, "optimise: the seed (default 1)")
                                ->type_name("N")
                                ->check(checkedBy(&seedProblem)));
  optimiseOptions.push_back(
      layout
          ->add_option("--threads", raw.threads,
                       "optimise: threads that share the trials (default: the machine's cores)")
          ->type_name("T")
          ->check(checkedBy(&threadsProblem)));
  layout->add_option("--dxf", raw.dxf, "The layout drawing (default: layout.dxf)")
      ->type_name("PATH");
  layout->add_option("--report", raw.report, "The packing report (default: Report.txt)")
      ->type_name("PATH");
  layout->add_option("--svg", raw.svg, "Also draw the layout as an SVG picture")->type_name("PATH");

  CLI::App* reduce = app.add_subcommand(
      "reduce",
      "Load a job, select every part and shrink the plate step by step while no fewer "
      "parts fit (DetailsReport.txt and one drawing per step)");
  jobOptions.push_back(reduce->add_option("JOB", raw.job, "The job file")->required()->type_name(""));
  addCommonOptions(*reduce, raw);

  CLI::App* exportParts =
      app.add_subcommand("export-parts",
                         "Load a job and write one DXF drawing per part (the outlines grown by "
                         "half the gap)");
  jobOptions.push_back(exportParts->add_option("JOB", raw.job, "The job file")->required()->type_name(""));
  addCommonOptions(*exportParts, raw);
  exportParts->add_flag("--layout", raw.layoutBeforeExport, "Lay the job out first (Layout All)");

  CLI::App* check =
      app.add_subcommand("check", "Load a job only and say what the input checks found");
  jobOptions.push_back(check->add_option("JOB", raw.job, "The job file")->required()->type_name(""));
  addCommonOptions(*check, raw);

  // Listed in the help; its arguments never reach this parser.
  app.add_subcommand("nest", "Lay an order out on the plates in stock (platenest nest --help for its options)")
      ->prefix_command()
      ->set_help_flag();

  const std::string exitStatuses =
      "Exit status: 0 done; 1 the job failed (the message says why); 2 bad command line; "
      "3 with --strict, a part was rejected at load (the outputs are written).";
  for (CLI::App* command : {layout, reduce, exportParts, check}) command->footer(exitStatuses);
  app.footer(exitStatuses + "\nRun 'platenest COMMAND --help' for the options of a command.");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
      return app.exit(error);  // --help or --version, on standard output
    }
    std::cerr << "platenest: " << error.what() << "\n\n" << app.help();
    return 2;
  }

  // An empty value (an unset shell variable) names nothing; ignored, it would leave a stale
  // output or the default in place without a word.
  for (const CLI::App* command : {layout, reduce, exportParts, check}) {
    if (!command->parsed()) continue;
    for (const CLI::Option* option : command->get_options()) {
      if (!option->nonpositional() || option->count() == 0 || option->get_type_size_min() == 0) {
        continue;
      }
      for (const std::string& value : option->results()) {
        if (!value.empty()) continue;
        std::cerr << "platenest: " << option->get_name() << " needs a value, not an empty one\n\n"
                  << app.help();
        return 2;
      }
    }
  }

  // An empty job path (an unset shell variable) names no file; it is not the example.
  for (const CLI::Option* job : jobOptions) {
    if (job->count() > 0 && raw.job.empty()) {
      std::cerr << "platenest: the job path is empty\n\n" << app.help();
      return 2;
    }
  }

  // A budget without the search it is for is a mistake worth saying, not ignoring.
  for (const CLI::Option* option : optimiseOptions) {
    if (option->count() > 0 && raw.mode != "optimise") {
      std::cerr << "platenest: " << option->get_name() << " needs --mode optimise\n\n"
                << layout->help();
      return 2;
    }
  }

  if (layout->parsed()) request.command = CliCommand::kLayout;
  if (reduce->parsed()) request.command = CliCommand::kReduce;
  if (exportParts->parsed()) request.command = CliCommand::kExportParts;
  if (check->parsed()) request.command = CliCommand::kCheck;
  fillRequest(raw, request);
  return std::nullopt;
}

}  // namespace platenest
