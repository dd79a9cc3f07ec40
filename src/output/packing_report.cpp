// The packing report: how long a strip of the plate the parts use, how densely they are
// packed, their true area, and which parts are on the plate. Before it is written the layout
// is checked for parts that collide or stick out over the plate edge; the operator is warned
// and those parts are left selected so that the view shows them.
#include "output/packing_report.h"

#include "job/id_index.h"
#include "nesting/nester.h"
#include "nesting/posed_layout.h"
#include "job/placed_part.h"
#include "job/part_lists.h"
#include "support/fatal_error.h"
#include "support/messages.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

constexpr int kNamesPerLine = 10;

// The parts on the plate as cut, each at its working part's place, in the order the report
// lists them: front insertion leaves them in the reverse of the loaded order.
PartList placedOutlines(const Nester& nester) {
  const PosedLayout view = poseLayout(nester);
  const FirstById posed(view.parts);
  PartList placed;
  for (const PlacedPart& twin : nester.loadedParts) {
    const PosedPart* part = posed.find(twin.id);
    if (part == nullptr || !part->onPlate) continue;
    placed.insertFront(part->cut);
  }
  return placed;
}

}  // namespace

void writePackingReport(Nester& nester, const std::filesystem::path& fileName) {
  for (PlacedPart& part : nester.parts) part.selected = false;
  if (!nester.markConflictingParts()) showWarning("板内零件排样冲突!");
  if (nester.markPartsCrossingPlateEdge()) showWarning("待排样零件与板冲突!");

  const PartList placed = placedOutlines(nester);
  double totalArea = 0.0;
  double packedLength = 0.0;
  for (const PlacedPart& part : placed) {
    totalArea += part.area();
    if (part.box().maxX > packedLength) packedLength = part.box().maxX;
  }
  // With nothing on the plate there is no strip to be dense in: report 0, not 0/0.
  const double density = packedLength == 0.0 ? 0.0 : totalArea / (packedLength * nester.plateWidth());

  TextWriter out;
  if (!out.open(fileName, TextWriter::Mode::kTruncate)) {
    throw FatalError(FatalChannel::kStandardError, "", "report file open error!",
                     out.problem());
  }
  out << "Packed length:" << packedLength;
  out.endLine();
  out << "Packing density:" << density * 100 << "%";
  out.endLine();
  out << "Area of all parts:" << totalArea;
  out.endLine();
  out << "已排样零件数量=" << placed.count();
  out.endLine();
  out << "已排样零件:";
  out.endLine();

  int onLine = 0;
  for (const PlacedPart& part : placed) {
    if (onLine > 0) out.bytes(",");
    out.bytes(part.label.text);
    if (++onLine == kNamesPerLine) {
      out.endLine();
      onLine = 0;
    }
  }
  if (onLine > 0) out.endLine();
  if (!out.close()) {
    throw FatalError(FatalChannel::kStandardError, "", "report file write error!", out.problem());
  }
}

}  // namespace platenest
