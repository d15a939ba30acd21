#pragma once
// Turns the lines of a region into per-pixel coverage, one row at a time. Each line adds
// the signed area it leaves to its right into the cells of the rows it crosses; a running
// sum along a row then gives, for every pixel, the winding inside the region and, on its
// edges, the exact covered fraction (in twips precision: no vertex is rounded).

#include <algorithm>
#include <cstdint>
#include <vector>

#include "swf/render/edge_list.h"

namespace tavelin::swf::render {

enum class FillRule : std::uint8_t { kEvenOdd, kNonZero };

// How coverage is measured: exact area (High), area rounded to quarters (Medium), or
// one sample at the pixel centre (Low).
enum class CoverageMode : std::uint8_t { kArea, kQuarterArea, kCentre };

class CoverageRasterizer {
 public:
  // Rasterizes `edges` and calls `row(y, x0, count, coverage)` for each row that has
  // coverage, with coverage[i] (0..255) for pixel x0 + i; coverage may be changed by the
  // callee. Rows come top to bottom; a run may hold pixels of zero coverage, inside it
  // and, to make it whole groups of eight where the box allows, at its ends.
  template <class RowFn>
  void Rasterize(const EdgeList& edges, FillRule rule, CoverageMode mode, RowFn&& row) {
    const PixelBox box = edges.Bounds();
    if (box.Empty()) return;
    Accumulate(edges, box, mode);
    for (int y = box.y0; y < box.y1; ++y) {
      if (!RowTouched(y - box.y0)) continue;  // no line crosses the row
      int first = 0, count = 0;
      SweepRow(y - box.y0, rule, mode, first, count);
      if (count > 0) row(y, box.x0 + first, count, coverage_.data() + first);
    }
  }

 private:
  void Accumulate(const EdgeList& edges, const PixelBox& box, CoverageMode mode);
  void AddAreaLine(float x0, float y0, float x1, float y1);
  void AddSteepLine(float x0, float y0, float x1, float y1, float dxdy, float dir, int rowEnd);
  void AddShallowLine(float x0, float y0, float x1, float y1, float dxdy, float dir);
  // Lines flatter than this go row by row again: a column at a time would cost more.
  static constexpr float kColumnWiseSlope = 8.0f;
  void Touch(int row, int from, int to) {
    std::uint64_t* blocks = touchedBlocks_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(blockWords_);
    for (int block = from / kBlockCells; block <= to / kBlockCells; ++block) {
      blocks[block / 64] |= std::uint64_t{1} << (block % 64);
    }
  }
  // The same for at most kBlockCells cells (two blocks at most), without a loop.
  void TouchFew(int row, int from, int to) {
    std::uint64_t* blocks = touchedBlocks_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(blockWords_);
    const int first = from / kBlockCells, last = to / kBlockCells;
    blocks[first / 64] |= std::uint64_t{1} << (first % 64);
    blocks[last / 64] |= std::uint64_t{1} << (last % 64);
  }
  bool RowTouched(int row) const {
    const std::uint64_t* blocks = touchedBlocks_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(blockWords_);
    for (int word = 0; word < blockWords_; ++word) {
      if (blocks[word] != 0) return true;
    }
    return false;
  }
  void AddCentreLine(float x0, float y0, float x1, float y1);
  // Turns one row of cells into coverage (clearing the cells for the next region) and
  // reports the run of pixels that have any.
  void SweepRow(int row, FillRule rule, CoverageMode mode, int& first, int& count);

  std::vector<float> cells_;  // rows of stride_ cells, kept all zero between regions
  // Per row, one bit per block of kBlockCells cells that a line wrote: the sweep runs
  // from the first to the last and passes the others (inside a region or between its
  // parts) without reading them.
  static constexpr int kBlockCells = 8;
  std::vector<std::uint64_t> touchedBlocks_;
  int blockWords_ = 0;
  std::vector<std::uint8_t> coverage_;
  int width_ = 0, height_ = 0, stride_ = 0;
};

}  // namespace tavelin::swf::render
