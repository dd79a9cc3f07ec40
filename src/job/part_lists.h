// The containers of a job: the regions as read, the working parts and their untouched
// twins, and the mother plate. Insertion is at the front; copying a list reverses it.
#pragma once

#include <list>
#include <string>

#include "geometry/region.h"
#include "job/placed_part.h"

namespace platenest {

class RegionList {
 public:
  using iterator = std::list<Region>::iterator;
  using const_iterator = std::list<Region>::const_iterator;

  void insertFront(const Region& region) { items_.push_front(region); }
  iterator remove(iterator position) { return items_.erase(position); }
  void clear() { items_.clear(); }
  int count() const { return static_cast<int>(items_.size()); }
  bool empty() const { return items_.empty(); }

  iterator begin() { return items_.begin(); }
  iterator end() { return items_.end(); }
  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }
  // The first region with this id, or null.
  const Region* findById(std::int32_t id) const;

 private:
  std::list<Region> items_;
};

class PartList {
 public:
  using iterator = std::list<PlacedPart>::iterator;
  using const_iterator = std::list<PlacedPart>::const_iterator;

  void insertFront(const PlacedPart& part) { items_.push_front(part); }
  iterator remove(iterator position) { return items_.erase(position); }
  // Clears, then inserts a copy of each element of `other`, first to last, at the front:
  // the result holds them in reverse order.
  void assignFrom(const PartList& other);
  // Largest net area first; parts of equal area keep their order.
  void sortByAreaDescending();
  void clear() { items_.clear(); }
  int count() const { return static_cast<int>(items_.size()); }
  bool empty() const { return items_.empty(); }

  iterator begin() { return items_.begin(); }
  iterator end() { return items_.end(); }
  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }
  PlacedPart& front() { return items_.front(); }
  // The first part with this id, or null.
  PlacedPart* findById(std::int32_t id);
  const PlacedPart* findById(std::int32_t id) const;

 private:
  std::list<PlacedPart> items_;
};

struct Plate {
  std::string name = "Null";
  double length = 0.0;  // mm, along x
  double width = 0.0;   // mm, along y
  double area = 0.0;

  // Sets name "Null", the sizes and the area; returns validate().
  bool setSize(double plateLength, double plateWidth);
  // Warns "板数据错误!" for a negative size or area; zero sizes pass.
  bool validate() const;
};

}  // namespace platenest
