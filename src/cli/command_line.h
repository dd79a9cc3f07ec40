// The options of `platenest`: parsed into a CliRequest, with the defined exit statuses for
// a bad command line (2, usage on standard error) and for --help and --version (0).
#pragma once

#include <optional>
#include <string>

#include "cli/cli_request.h"

namespace platenest {

// Fills `request` from the arguments. Returns nothing when the command should run, or the
// exit status when the program ends here (after --help, --version, or a bad command line,
// whose message and usage go to standard error). Paths given on the command line are made
// absolute against the current directory, so that -C does not move them.
std::optional<int> parseCommandLine(int argc, const char* const* argv, CliRequest& request);

inline constexpr int kLargestRotationNumber = 3600;
inline constexpr double kLongestOptimiseSeconds = 7 * 24 * 3600;
inline constexpr int kMostOptimiseThreads = 256;

// A rotation number or packing point distance as the options accept them (whole number from
// 1 to 3600; positive finite number of millimetres), or an explanation of what is wrong.
std::optional<std::string> rotationNumberProblem(const std::string& text);
std::optional<std::string> joinToleranceProblem(const std::string& text);
std::optional<std::string> packingPointDistanceProblem(const std::string& text);
// The optimising layout's budget, seed and threads, checked the same way.
std::optional<std::string> secondsProblem(const std::string& text);
std::optional<std::string> iterationsProblem(const std::string& text);
std::optional<std::string> seedProblem(const std::string& text);
std::optional<std::string> threadsProblem(const std::string& text);

}  // namespace platenest
