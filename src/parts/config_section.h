// The job settings block of a part-list file: lines "key<blanks>= value" between a line
// holding "CONFIGINFO" and one holding "_end_", and how the settings reach the nester.
#pragma once

#include <cstdint>

namespace platenest {

class LineReader;
class Nester;

// Every field is named after its key. Reals are single precision as in the file format,
// so 0.1 reaches the nester as the double nearest the float 0.1. Index 0 of a pair is the
// plate length (x), index 1 the plate width (y). Lengths in mm.
struct NestConfig {
  std::int32_t nestType = 0;
  std::int32_t mplateType = 0;
  float feetLength_0 = 0.0f;
  float feetLength_1 = 0.0f;
  float staPlate_0 = 0.0f;
  float staPlate_1 = 0.0f;
  float minPlate_0 = 0.0f;
  float minPlate_1 = 0.0f;
  float maxPlate_0 = 0.0f;
  float maxPlate_1 = 0.0f;
  bool bAutoResize = false;
  bool bMirror = false;
  float partToPartGap = 0.0f;
  float partToMplateGap = 0.0f;
  bool bPartTurnover = false;
  bool bHolePart = false;
  std::int32_t maxNestPartNum = 0;
  float minPartGap = 0.0f;
  float maxPartGap = 0.0f;
  float minMplateGap = 0.0f;
  float maxMplateGap = 0.0f;
  float precision_length = 0.0f;
  float precision_ang = 0.0f;

  bool operator==(const NestConfig&) const = default;
};

// Called right after the line holding "CONFIGINFO": clears `config`, then reads lines up to
// and including the one that closes the block (or to the end of the file).
void readConfigSection(LineReader& file, NestConfig& config);

// Copies the settings into the nester: plate size, gap, turnover, reduction limits and the
// stored-only values. The caller sets the plate and its rectangle afterwards.
void applyConfig(Nester& nester, const NestConfig& config);

}  // namespace platenest
