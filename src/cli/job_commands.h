// The four job commands of the command line: load the job, apply the options as the RN/PPD
// dialog would, run the command, write its outputs and report.
#pragma once

#include "cli/cli_request.h"

namespace platenest {

// Runs a checked request and returns its exit status (0). Throws FatalError for the
// failures that end a job (status 1) and UsageError for options that the loaded job cannot
// take, such as a packing-point grid too large to build (status 2).
int runCommand(const CliRequest& request);

}  // namespace platenest
