#include "cli/human_summary.h"

#include <cmath>
#include <vector>

#include "loading/input_type.h"
#include "nesting/nester.h"
#include "support/gbk.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

std::string joinNames(const std::vector<std::string>& names) {
  std::string result;
  for (const std::string& name : names) {
    if (!result.empty()) result += ", ";
    result += name;
  }
  return result;
}

std::string percent(double fraction) {
  return std::isfinite(fraction) ? formatC("%.2f %%", fraction * 100.0) : std::string("-");
}

}  // namespace

std::string oneLineReason(const std::string& reason) {
  std::string result;
  std::size_t start = 0;
  while (start <= reason.size()) {
    std::size_t end = reason.find('\n', start);
    if (end == std::string::npos) end = reason.size();
    std::string line = reason.substr(start, end - start);
    while (!line.empty() && (line.front() == '\t' || line.front() == ' ')) line.erase(0, 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty()) result += (result.empty() ? "" : "; ") + line;
    start = end + 1;
  }
  return result.empty() ? std::string("no reason given") : result;
}

void printLoadSummary(std::ostream& out, const Nester& nester, const JobOrigin& origin,
                      const LoadReport& report) {
  out << "Job: " << origin.description << " (" << loadTypeName(origin.loadType) << ")\n";
  out << "Plate: " << formatG(nester.plateLength()) << " x " << formatG(nester.plateWidth())
      << " mm, gap " << formatG(nester.partGap) << " mm\n";
  out << "Parts: " << nester.parts.count() << " loaded, " << report.rejected.size()
      << " rejected\n";
  for (const RejectedPart& rejected : report.rejected) {
    out << "  rejected " << terminalText(displayName(rejected.name)) << ": "
        << oneLineReason(rejected.reason);
    if (!rejected.detail.empty()) out << " " << rejected.detail;
    out << "\n";
  }
  if (nester.parts.empty()) out << "The job holds no part.\n";
  out << "RN " << nester.rotationNumber << ", PPD " << formatG(nester.packingPointDistance())
      << " mm, turnover " << (nester.bPartTurnover ? "on" : "off") << "\n";
}

void printLayoutSummary(std::ostream& out, const Nester& nester, const std::string& timingMessage) {
  std::vector<std::string> placed;
  std::vector<std::string> notPlaced;
  for (const PlacedPart& part : nester.parts) {
    (nester.isOnPlate(part) ? placed : notPlaced)
        .push_back(terminalText(displayName(part.label.text)));
  }
  const LayoutStatistics statistics = nester.computeLayoutStatistics();
  out << "Placed: " << placed.size() << " of " << nester.parts.count() << " parts";
  out << (placed.empty() ? std::string() : ": " + joinNames(placed)) << "\n";
  out << "Not placed: "
      << (notPlaced.empty() ? std::string("none")
                            : std::to_string(notPlaced.size()) + ": " + joinNames(notPlaced))
      << "\n";
  out << "Packing length: " << formatG(statistics.packingLength) << " mm\n";
  out << "Density: " << percent(statistics.density) << " (whole plate "
      << percent(statistics.overallDensity) << ")\n";
  if (!timingMessage.empty()) out << timingMessage << "\n";
}

}  // namespace platenest
