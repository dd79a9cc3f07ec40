// The platenest command line: batch runs of every job command (layout, reduce,
// export-parts, check) without a window, for operators' scripts, CI and benchmarks.
#include <exception>
#include <iostream>
#include <optional>

#include "cli/cli_request.h"
#include "cli/command_line.h"
#include "cli/job_commands.h"
#include "support/fatal_error.h"
#include "support/messages.h"

namespace {

// A fatal error appears where it is defined to: a message as "caption: text" on standard
// error, a console message as its text on its stream; then where in the input it arose.
void reportFatalError(const platenest::FatalError& error) {
  std::cout.flush();
  switch (error.channel()) {
    case platenest::FatalChannel::kMessageBox:
      std::cerr << error.caption() << ": " << error.text() << "\n";
      break;
    case platenest::FatalChannel::kStandardOutput:
      std::cout << error.text() << std::endl;
      break;
    case platenest::FatalChannel::kStandardError:
      std::cerr << error.text() << "\n";
      break;
  }
  if (!error.detail().empty()) std::cerr << "  in " << error.detail() << "\n";
  std::cerr.flush();
}

}  // namespace

int main(int argc, char** argv) {
  platenest::CliRequest request;
  if (const std::optional<int> status = platenest::parseCommandLine(argc, argv, request)) {
    return *status;
  }

  platenest::TerminalMessageSink terminal;
  platenest::ScopedMessageSink sink(&terminal);
  try {
    return platenest::runCommand(request);
  } catch (const platenest::UsageError& error) {
    std::cout.flush();
    std::cerr << "platenest: " << error.what() << "\nRun 'platenest --help' for the options.\n";
    return 2;
  } catch (const platenest::FatalError& error) {
    reportFatalError(error);
    return 1;
  } catch (const std::exception& error) {
    std::cout.flush();
    std::cerr << "platenest: " << error.what() << "\n";
    return 1;
  }
}
