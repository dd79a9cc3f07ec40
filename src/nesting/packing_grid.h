// The packing-point grid in compact form. Every column shares the rows' heights and every row
// the columns' abscissae (both laid out by repeated addition of the PPD), so the grid keeps
// one abscissa per column, one height per row and an occupied bit per point: a 12000 x 2500
// plate at PPD 30 costs some kilobytes instead of a megabyte of fresh memory per layout, and
// the search passes over 64 occupied points with one word test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/point.h"

namespace platenest {

struct PackingPoint {
  Point position;
  bool occupied = false;
};

// The first index in [from, end) whose bit is clear in `bits` and, when given, in `more`; end
// when there is none. Passes over 64 set bits at a time.
std::size_t nextClearBit(std::size_t from, std::size_t end, const std::uint64_t* bits,
                         const std::uint64_t* more = nullptr);

class PackingGrid {
 public:
  // Points stored column after column: point i * rows + j is column i, row j.
  void build(std::int32_t columns, std::int32_t rows, double ppd);
  void clear();

  std::size_t size() const { return columnX_.size() * rowY_.size(); }
  bool empty() const { return size() == 0; }

  double columnX(std::size_t column) const { return columnX_[column]; }
  double rowY(std::size_t row) const { return rowY_[row]; }
  const std::vector<double>& columnXs() const { return columnX_; }
  const std::vector<double>& rowYs() const { return rowY_; }
  Point position(std::size_t point) const {
    return Point(columnX_[point / rowY_.size()], rowY_[point % rowY_.size()]);
  }
  bool isOccupied(std::size_t point) const { return (occupied_[point >> 6] >> (point & 63)) & 1U; }
  void occupy(std::size_t point) { occupied_[point >> 6] |= std::uint64_t{1} << (point & 63); }
  // Occupied bits of points 64 w .. 64 w + 63.
  const std::vector<std::uint64_t>& occupiedWords() const { return occupied_; }

  PackingPoint operator[](std::size_t point) const {
    PackingPoint p;
    p.position = position(point);
    p.occupied = isOccupied(point);
    return p;
  }

  // Every point in storage order, as values.
  class Iterator {
   public:
    Iterator(const PackingGrid& grid, std::size_t point) : grid_(&grid), point_(point) {}
    PackingPoint operator*() const { return (*grid_)[point_]; }
    Iterator& operator++() {
      ++point_;
      return *this;
    }
    bool operator==(const Iterator& other) const { return point_ == other.point_; }

   private:
    const PackingGrid* grid_;
    std::size_t point_;
  };
  Iterator begin() const { return Iterator(*this, 0); }
  Iterator end() const { return Iterator(*this, size()); }

 private:
  std::vector<double> columnX_;
  std::vector<double> rowY_;
  std::vector<std::uint64_t> occupied_;
};

}  // namespace platenest
