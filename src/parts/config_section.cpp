// Reading the job settings block and handing its values to the nester.
#include "parts/config_section.h"

#include <string>

#include "nesting/nester.h"
#include "support/line_reader.h"

namespace platenest {

void readConfigSection(LineReader& file, NestConfig& config) {
  config = NestConfig{};
  std::string line;
  while (file.readLine(line, 1000)) {
    if (line.find("_end_") != std::string::npos) break;
  }
}

void applyConfig(Nester& nester, const NestConfig& config) {
  nester.staPlate_0 = config.staPlate_0;
  nester.staPlate_1 = config.staPlate_1;
  nester.plateLength = config.staPlate_0;
  nester.plateWidth = config.staPlate_1;
  nester.partToPartGap = config.partToPartGap;
  nester.partGap = config.partToPartGap;
  nester.bPartTurnover = config.bPartTurnover;
}

}  // namespace platenest
