// One PARTINFO block of a part-list file: its fields as read, the outline it encodes as
// numbered point records, and the check, repair and conversion of that outline.
//
// Outline encoding: the records form consecutive contour groups, each a header record
// (ignored), then a head record whose v is n (records after the header: vertex count + 1)
// and whose point is the first vertex, then n - 1 records; record j gives in v the radius of
// the edge ending at its point, the last one the radius of the closing edge (its point is
// ignored). Radii: 0 straight, > 0 counterclockwise arc, < 0 clockwise arc (mm).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "geometry/lists.h"
#include "geometry/region.h"

namespace platenest {

class LineReader;
class TextWriter;

// Longest tag kept from a point line; longer ones are cut.
inline constexpr std::size_t kMaxTagBytes = 63;

struct PointRecord {
  double v = 0.0;  // vertex count + 1 on a head record, the edge radius otherwise
  double x = 0.0;  // mm
  double y = 0.0;  // mm
  std::int32_t code = 0;
  std::string tag;
  float value1 = 0.0f;
  float value2 = 0.0f;
};

struct PartEntry {
  std::string NameID;  // bytes as read, blanks kept; the part's name
  std::string partName;
  std::int32_t partinfNumber = 0;
  bool partinfFlag = false;
  float partinfValue = 0.0f;
  std::vector<PointRecord> points;
  // The block closed with its "_end_" line rather than with the end of the file.
  bool ended = false;
};

// The contours an entry's records describe, in reverse reading order (each is inserted at
// the front), and how many groups could not be built.
struct EntryContours {
  ContourList contours;
  int badGroups = 0;
};
EntryContours buildEntryContours(const PartEntry& entry);

// Reads one PARTINFO block after its opening line, up to the line holding "_end_" or the
// end of the file. False when the entry is to be dropped: its point block did not yield
// exactly the announced number of records, or it holds fewer than 3.
bool parsePartEntry(LineReader& file, PartEntry& entry);

// Checks that every group is buildable and every arc can join its end points; findings go
// to the check report. True when the entry passed.
bool checkPartEntry(const PartEntry& entry, TextWriter& report);

// Enlarges unreachable arc radii once by 0.1 mm and, when that suffices, converts the
// repaired outline into `region`. False (region untouched) when the entry stays unusable.
bool repairPartEntry(const PartEntry& entry, Region& region, TextWriter& report);

// The contour of largest area becomes the outer boundary, the others holes; the NameID
// becomes the label text (cut to the label's capacity).
void convertPartEntry(const PartEntry& entry, Region& region);

}  // namespace platenest
