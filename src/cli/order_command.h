// `platenest nest ORDER`: an order laid out on the plates in stock, its cut drawings, pictures
// and report written.
#pragma once

#include <string>
#include <vector>

namespace platenest {

// Parses the nest command's arguments (those after "nest") and runs it; returns the exit
// status: 0 done, 1 a bad order or a failed output (nothing is written), 2 a bad command
// line, 130 stopped with Ctrl-C (the plates finished are written).
int runNestCommand(const std::vector<std::string>& arguments);

}  // namespace platenest
