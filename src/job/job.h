// A job as its file describes it: the plate, the gap, the settings block of a part list, the
// parts in the order the file gives them, and the entries that did not become parts, with why.
// The readers make it; the load flow hands it to a nester.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "geometry/part_drawing.h"
#include "geometry/region.h"
#include "job/part_lists.h"
#include "job/placed_part.h"

namespace platenest {

// The settings block of a part-list file, which the nester keeps as its job settings. Every
// field is named after its key. Reals are single precision as in the file format, so 0.1
// reaches the nester's double arithmetic as the double nearest the float 0.1. Index 0 of a pair is the plate length (x), index 1 the plate width (y).
// Lengths in mm.
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

// A part of the input that did not become a part of the job.
struct RejectedPart {
  std::int32_t id = -1;  // the reader's sequence number; -1 when the reader dropped the block
  std::string name;      // bytes as read (GBK or UTF-8), as written to the error log
  std::string reason;    // UTF-8, the error log's lines for it without the part-name line
  // UTF-8: what the reader found, in words the operator can act on (the place, the gap);
  // empty when the reason says it all.
  std::string detail = {};
};

struct Job {
  // The plate the file sets (sizes checked non-zero by the reader); nothing when the file
  // sets none (a part list without a settings block) and the nester keeps its own.
  std::optional<Plate> plate;
  double partGap = 0.0;  // mm; read only together with a plate
  std::optional<NestConfig> settings;
  // Parts still to be checked and converted (text library, part list), in file order.
  std::vector<Region> regions;
  // Parts read ready-made (the drawings of a DXF list), in file order, with their lines,
  // arcs and circles as drawn.
  std::vector<PlacedPart> parts;
  std::vector<PartDrawing> drawings;
  // Entries the reader could not make a part of, in the order they were found.
  std::vector<RejectedPart> rejected;
};

}  // namespace platenest
