// Reading the job settings block.
//
// A setting line is the key padded with blanks to 16 characters, then "=" and the value.
// Keys are tried in one fixed order and the first whose padded name occurs in the line
// takes the value, so a key written with too few blanks is simply not recognised.
#include "readers/config_section.h"

#include <cfloat>
#include <cmath>
#include <string>
#include <string_view>

#include "support/line_reader.h"
#include "support/number_parse.h"

namespace platenest {
namespace {

// A key's name followed by blanks up to this width is what a line must contain.
constexpr std::size_t kKeyPatternWidth = 16;
// fgets buffer of the original reader: at most 999 characters of a line per read.
constexpr int kLineBuffer = 1000;

struct ConfigKey {
  const char* name;
  std::int32_t NestConfig::*intField = nullptr;
  bool NestConfig::*boolField = nullptr;
  float NestConfig::*floatField = nullptr;
};

// The order in which the keys are tried.
const ConfigKey kKeys[] = {
    {"nestType", &NestConfig::nestType},
    {"bMirror", nullptr, &NestConfig::bMirror},
    {"partToPartGap", nullptr, nullptr, &NestConfig::partToPartGap},
    {"partToMplateGap", nullptr, nullptr, &NestConfig::partToMplateGap},
    {"bPartTurnover", nullptr, &NestConfig::bPartTurnover},
    {"bHolePart", nullptr, &NestConfig::bHolePart},
    {"maxNestPartNum", &NestConfig::maxNestPartNum},
    {"minPartGap", nullptr, nullptr, &NestConfig::minPartGap},
    {"maxPartGap", nullptr, nullptr, &NestConfig::maxPartGap},
    {"minMplateGap", nullptr, nullptr, &NestConfig::minMplateGap},
    {"maxMplateGap", nullptr, nullptr, &NestConfig::maxMplateGap},
    {"precision_length", nullptr, nullptr, &NestConfig::precision_length},
    {"precision_ang", nullptr, nullptr, &NestConfig::precision_ang},
    {"mplateType", &NestConfig::mplateType},
    {"feetLength_0", nullptr, nullptr, &NestConfig::feetLength_0},
    {"feetLength_1", nullptr, nullptr, &NestConfig::feetLength_1},
    {"staPlate_0", nullptr, nullptr, &NestConfig::staPlate_0},
    {"staPlate_1", nullptr, nullptr, &NestConfig::staPlate_1},
    {"minPlate_0", nullptr, nullptr, &NestConfig::minPlate_0},
    {"minPlate_1", nullptr, nullptr, &NestConfig::minPlate_1},
    {"maxPlate_0", nullptr, nullptr, &NestConfig::maxPlate_0},
    {"maxPlate_1", nullptr, nullptr, &NestConfig::maxPlate_1},
    {"bAutoResize", nullptr, &NestConfig::bAutoResize},
};

std::string keyPattern(std::string_view name) {
  std::string pattern(name);
  if (pattern.size() < kKeyPatternWidth) pattern.append(kKeyPatternWidth - pattern.size(), ' ');
  return pattern;
}

// The settings are single precision; a value beyond the float range becomes infinite
// rather than an undefined conversion.
float toFloat32(double value) {
  if (value > FLT_MAX) return HUGE_VALF;
  if (value < -FLT_MAX) return -HUGE_VALF;
  return static_cast<float>(value);
}

// Tries every key in order on one line; true when one took the value.
bool readSetting(std::string_view line, NestConfig& config) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  const std::string_view value = line.substr(equals + 1);
  for (const ConfigKey& key : kKeys) {
    if (line.find(keyPattern(key.name)) == std::string_view::npos) continue;
    if (key.intField != nullptr) {
      config.*key.intField = parseAtoi(value);
    } else if (key.boolField != nullptr) {
      config.*key.boolField = parseAtoi(value) != 0;
    } else {
      config.*key.floatField = toFloat32(parseDouble(value));
    }
    return true;
  }
  return false;
}

}  // namespace

void readConfigSection(LineReader& file, NestConfig& config) {
  config = NestConfig{};
  std::string line;
  while (file.readLine(line, kLineBuffer)) {
    // Only a line end is dropped: a last line without one keeps its last character.
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (readSetting(line, config)) continue;
    if (line.find("_end_") != std::string::npos) return;
  }
}

}  // namespace platenest
