// Shared helpers of the engine tests: parts built from outlines, a nester with a plate of a
// chosen size and its files in the test's temporary folder, and exact pose comparison.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "nesting/nester.h"
#include "job/placed_part.h"
#include "loading/load.h"
#include "support/messages.h"
#include "test_support/benchmark_jobs.h"
#include "test_support/part_makers.h"
#include "test_support/scratch_folder.h"

namespace platenest::engine_test {

using ::platenest::testing::makePart;
using ::platenest::testing::makeRectangle;
using ::platenest::testing::rectangleOutline;

// The job's grid search, turned over or not as the test asks.
inline GridSearchOptions gridOptions(const Nester& nester, bool turnedOver) {
  GridSearchOptions options = jobGridSearch(nester);
  options.tryTurnedOver = turnedOver;
  return options;
}

using ::platenest::testing::ScratchFolder;

// The bundled example job, loaded afresh; its error log named after `run`.
inline std::unique_ptr<Nester> openExampleJob(const ScratchFolder& folder, const std::string& run) {
  auto nester =
      openLibrary(std::filesystem::path(PLATENEST_SOURCE_DIR) / "examples" / "job.txt",
                  LoadType::kTextLibrary, folder.path() / ("log-" + run + ".txt"));
  return nester;
}

// A benchmark job loaded with its recorded settings, nothing laid out yet.
inline std::unique_ptr<Nester> openBenchmark(const ::platenest::testing::BenchmarkJob& job,
                                             const ScratchFolder& folder) {
  RecordingMessageSink sink;
  ScopedMessageSink guard(&sink);
  LoadOptions options;
  options.keepOrientation = job.keepOrientation;
  auto nester =
      openLibrary(job.path(), LoadType::kTextLibrary, folder.path() / "PackError.txt", options);
  if (job.rotationNumber) nester->rotationNumber = *job.rotationNumber;
  if (job.turnover) nester->bPartTurnover = *job.turnover;
  return nester;
}

// A benchmark job loaded with its recorded settings and laid out by Layout All.
inline std::unique_ptr<Nester> layOutBenchmark(const ::platenest::testing::BenchmarkJob& job,
                                               const ScratchFolder& folder) {
  auto nester = openBenchmark(job, folder);
  RecordingMessageSink sink;
  ScopedMessageSink guard(&sink);
  nester->layoutAll();
  return nester;
}

// A nester on a plate of the given size whose error log lies in a temporary folder. Parts
// are added in list order.
class Scene {
 public:
  Scene(double length, double width, double ppd = 10) {
    nester_ = std::make_unique<Nester>();
    Plate plate;
    plate.setSize(length, width);
    nester_->setPlate(plate);
    nester_->setPackingPointDistance(ppd);
  }
  ~Scene() { nester_.reset(); }

  Nester& nester() { return *nester_; }
  const std::filesystem::path& folder() const { return folder_.path(); }

  // Sets the parts, first to last, and gives them ids 1, 2, … in that order.
  void setParts(std::vector<PlacedPart> list) {
    nester_->parts.clear();
    for (std::size_t i = list.size(); i-- > 0;) {
      list[i].id = static_cast<std::int32_t>(i + 1);
      nester_->parts.insertFront(list[i]);
    }
  }
  // The occupied flag of every grid point, in storage order.
  std::vector<bool> occupancy() const {
    std::vector<bool> flags;
    for (const PackingPoint& point : nester_->packingGrid()) flags.push_back(point.occupied);
    return flags;
  }
  PlacedPart& part(std::size_t index) {
    auto it = nester_->parts.begin();
    std::advance(it, static_cast<std::ptrdiff_t>(index));
    return *it;
  }

 private:
  ScratchFolder folder_;
  std::unique_ptr<Nester> nester_;
};

// Bit-for-bit equality of two doubles (so that -0 and 0 differ, and NaN equals itself).
// A star-shaped outline around (cx, cy), n vertices at equal angles, radii drawn from
// [rMin, rMax].
inline std::vector<Point> randomStar(std::mt19937& random, double cx, double cy, double rMin,
                                     double rMax, int vertices) {
  const double pi = std::acos(-1.0);
  std::uniform_real_distribution<double> radius(rMin, rMax);
  std::vector<Point> outline;
  for (int i = 0; i < vertices; ++i) {
    const double angle = 2 * pi * i / vertices;
    const double r = radius(random);
    outline.emplace_back(cx + r * std::cos(angle), cy + r * std::sin(angle));
  }
  return outline;
}

// Independent geometry for checking the engine: plain formulas, none of its code.
inline double distanceToSegment(const Point& p, const Point& a, const Point& b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// Inside the ring by winding number (written independently of the engine's ray cast).
inline bool windingInside(const std::vector<Point>& ring, const Point& p) {
  int winding = 0;
  for (std::size_t i = 0; i < ring.size(); ++i) {
    const Point& a = ring[i];
    const Point& b = ring[(i + 1) % ring.size()];
    const double side = (b.x - a.x) * (p.y - a.y) - (p.x - a.x) * (b.y - a.y);
    if (a.y <= p.y) {
      if (b.y > p.y && side > 0) ++winding;
    } else if (b.y <= p.y && side < 0) {
      --winding;
    }
  }
  return winding != 0;
}

inline bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

inline bool samePolygon(const Polygon& a, const Polygon& b) {
  if (a.vertexCount() != b.vertexCount()) return false;
  for (int i = 0; i < a.vertexCount(); ++i) {
    if (!sameBits(a.vertex(i).x, b.vertex(i).x) || !sameBits(a.vertex(i).y, b.vertex(i).y)) {
      return false;
    }
  }
  const BoundingBox& p = a.box();
  const BoundingBox& q = b.box();
  return sameBits(p.minX, q.minX) && sameBits(p.maxX, q.maxX) && sameBits(p.minY, q.minY) &&
         sameBits(p.maxY, q.maxY);
}

// The pose and the geometry of two parts agree bit for bit (holes in list order).
inline bool samePose(const PlacedPart& a, const PlacedPart& b) {
  if (!samePolygon(a.outer, b.outer) || a.holes.count() != b.holes.count()) return false;
  for (int i = 0; i < a.holes.count(); ++i) {
    if (!samePolygon(a.holes[static_cast<std::size_t>(i)], b.holes[static_cast<std::size_t>(i)])) {
      return false;
    }
  }
  return a.mirrored == b.mirrored && sameBits(a.rotation, b.rotation) &&
         sameBits(a.refPoint.x, b.refPoint.x) && sameBits(a.refPoint.y, b.refPoint.y) &&
         sameBits(a.centroid().x, b.centroid().x) && sameBits(a.centroid().y, b.centroid().y) &&
         sameBits(a.box().minX, b.box().minX) && sameBits(a.box().maxX, b.box().maxX) &&
         sameBits(a.box().minY, b.box().minY) && sameBits(a.box().maxY, b.box().maxY);
}

}  // namespace platenest::engine_test
