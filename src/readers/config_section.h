// The job settings block of a part-list file: lines "key<blanks>= value" between a line
// holding "CONFIGINFO" and one holding "_end_".
#pragma once

#include "job/job.h"

namespace platenest {

class LineReader;

// Called right after the line holding "CONFIGINFO": clears `config`, then reads lines up to
// and including the one that closes the block (or to the end of the file).
void readConfigSection(LineReader& file, NestConfig& config);

}  // namespace platenest
