#include "cli/order_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>
#include <optional>
#include <thread>

#include "cli/terminal_progress.h"
#include "loading/load.h"
#include "orders/order.h"
#include "orders/order_nesting.h"
#include "orders/order_report.h"
#include "support/fatal_error.h"
#include "support/messages.h"

namespace platenest {
namespace {

// The order's progress on the terminal's line; Ctrl-C cancels it.
class TerminalOrderProgress : public OrderProgress {
 public:
  explicit TerminalOrderProgress(TerminalProgress& line) : line_(line) {}
  void orderBegin(std::int64_t total) override { line_.begin("parts", total); }
  void orderAdvance(std::int64_t placed) override { line_.advance(placed); }

 private:
  TerminalProgress& line_;
};

}  // namespace

int runNestCommand(const std::vector<std::string>& arguments) {
  CLI::App app("Lay an order out on as few plates in stock as it takes, and write a cut drawing "
               "and a picture per plate layout and the order report",
               "platenest nest");
  std::string orderPath, folder = ".", mode, json, errorLog;
  std::optional<double> seconds;
  double gap = 0.0;
  bool quiet = false;
  int threads = 0;
  app.add_option("ORDER", orderPath, "The order (TOML), or a strip or bin packing instance (*.json)")
      ->required()
      ->type_name("");
  app.add_option("-C", folder, "Write the outputs into DIR (created when missing)")->type_name("DIR");
  app.add_option("--mode", mode, "all: Layout All per plate; optimise: then the search, per plate "
                                 "(default: what the order says)")
      ->check(CLI::IsMember({"all", "optimise"}));
  app.add_option("--seconds", seconds, "optimise: the budget per plate (default: the order's, or 10)")
      ->type_name("S")
      ->check(CLI::Range(0.01, 86400.0));
  app.add_option("--gap", gap, "JSON instances: the gap between parts in their units (default 0)")
      ->type_name("D")
      ->check(CLI::Range(0.0, 1000.0));
  app.add_option("--threads", threads, "optimise: threads (default: the machine's cores)")
      ->type_name("T")
      ->check(CLI::Range(1, 256));
  app.add_option("--json", json, "Also write the JSON summary to PATH")->type_name("PATH");
  app.add_option("--error-log", errorLog, "The readers' error log (default: PackError.txt in the home directory)")
      ->type_name("PATH");
  app.add_flag("--quiet", quiet, "No progress and no summary");
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
      std::cout << app.help();
      return 0;
    }
    std::cerr << "platenest nest: " << error.what() << "\n\n" << app.help();
    return 2;
  }

  TerminalMessageSink terminal;
  ScopedMessageSink sink(&terminal);
  try {
    Order order = readOrder(orderPath, gap);
    if (!mode.empty()) order.settings.mode = mode == "optimise" ? OrderMode::kOptimise : OrderMode::kAll;
    if (seconds) order.settings.secondsPerPlate = *seconds;
    const std::filesystem::path log =
        errorLog.empty() ? defaultErrorLogPath() : std::filesystem::absolute(errorLog);
    std::vector<OrderKind> kinds = prepareOrderKinds(order, log);

    TerminalProgress line(std::cerr, !quiet);
    TerminalOrderProgress progress(line);
    InterruptToCancel interrupt(progress);
    OrderNestOptions options;
    options.mode = order.settings.mode;
    options.secondsPerPlate = order.settings.secondsPerPlate;
    options.threads = threads > 0 ? threads : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    options.errorLogPath = log;
    options.progress = &progress;
    options.say = [&](const std::string& news) {
      if (quiet) return;
      line.clear();
      std::cerr << news << std::endl;
    };
    const OrderResult result = nestOrder(order, std::move(kinds), options);
    line.clear();

    const std::filesystem::path outputFolder = std::filesystem::absolute(folder);
    std::optional<std::filesystem::path> jsonPath;
    if (!json.empty()) jsonPath = std::filesystem::absolute(json);
    const std::vector<OrderOutput> outputs = orderOutputs(order, result, outputFolder, jsonPath);
    refuseOverwritingOrderInputs(order, outputs);
    std::error_code error;
    std::filesystem::create_directories(outputFolder, error);
    if (error) throw OrderError("cannot make the output folder " + outputFolder.string() + ": " + error.message());
    writeOrderOutputs(outputs);
    if (!quiet) {
      std::cout << orderReportText(order, result);
      std::cout << "Wrote " << result.plates.size() << " cut drawings and pictures and the report in "
                << outputFolder.string() << "\n";
      if (jsonPath) std::cout << "Wrote " << jsonPath->string() << "\n";
    }
    if (result.interrupted) {
      std::cerr << "platenest: interrupted; the outputs hold the plates finished until then\n";
      return kInterruptedStatus;
    }
    return 0;
  } catch (const OrderError& error) {
    std::cout.flush();
    std::cerr << "platenest: " << error.what() << "\n";
    return 1;
  } catch (const FatalError& error) {
    std::cout.flush();
    std::cerr << "platenest: " << error.text() << (error.detail().empty() ? "" : " in " + error.detail()) << "\n";
    return 1;
  } catch (const std::exception& error) {
    std::cout.flush();
    std::cerr << "platenest: " << error.what() << "\n";
    return 1;
  }
}

}  // namespace platenest
