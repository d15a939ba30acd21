#pragma once
// Joins the fills of one style group along the edges they share. Each fill is still
// rasterized and composited on its own, but a pixel that two fills cover in part (the
// pixels along their common edge) is composited once with both: the fills' shares are
// summed (at most the whole pixel) and laid over what was there before the first of them,
// so the background does not show through the seam. Where a later fill overlaps an earlier
// one, the overlapping part is painted over it as painting in order would.
//
// Pixels a fill covers wholly, or that earlier fills covered wholly, are left to the
// ordinary compositing: only the coverage of each pixel is noted (one byte), and the
// colour below and the colour so far only for pixels some fill covers in part.

#include <cstdint>
#include <vector>

#include "swf/render/edge_list.h"

namespace tavelin::swf::render {

class SharedEdges {
 public:
  // Starts a group's fills on a target `width` x `height` pixels.
  void Begin(int width, int height);
  // Clears what the group's fills noted.
  void End();
  // Before each fill of the group, in order: the boxes of the pixels this fill, the fills
  // before it and those after it may cover. Only pixels where they meet need joining.
  void NextFill(const PixelBox& fill, const PixelBox& earlier, const PixelBox& later);

  // Before a row of one fill is composited: `coverage` is the fill's coverage of pixels
  // x0 .. x0 + count - 1 of row y, `dst` that row of the target and `source` the fill's
  // premultiplied colours there (or null when it is the single colour `solid`). Pixels
  // finished here get coverage 0.
  void ColorRow(int y, int x0, int count, std::uint8_t* coverage, std::uint32_t* dst,
                const std::uint32_t* source, std::uint32_t solid);
  // The same for a mask being built, whose coverage is the union of the fills.
  void MaskRow(int y, int x0, int count, std::uint8_t* coverage, std::uint8_t* dst);

 private:
  struct Entry {
    std::uint32_t key = 0, generation = 0;
    std::uint32_t below = 0;  // the pixel before the group's first fill touched it
    std::uint32_t sum = 0;    // the fills so far, premultiplied, as if over nothing
  };
  Entry* Find(std::uint32_t key);
  Entry& Insert(std::uint32_t key);
  void Grow();
  // The run of pixels of row y that may need joining; false when none.
  bool Clip(int y, int& x0, int& count, int& skip) const {
    if (y < watch_.y0 || y >= watch_.y1) return false;
    skip = watch_.x0 > x0 ? watch_.x0 - x0 : 0;
    const int x1 = x0 + count < watch_.x1 ? x0 + count : watch_.x1;
    x0 += skip;
    count = x1 - x0;
    return count > 0;
  }
  static std::uint32_t Sort(const std::uint8_t* coverage, std::uint8_t* covered, int n);
  // Whether a later fill may cover pixel (x, y).
  bool Later(int x, int y) const { return x >= record_.x0 && x < record_.x1 && y >= record_.y0 && y < record_.y1; }

  int width_ = 0, height_ = 0;
  std::vector<std::uint8_t> covered_;  // per target pixel, how much the group's fills cover
  PixelBox touched_;                   // where covered_ may be non-zero
  PixelBox watch_;                     // the current fill's pixels that other fills may cover
  PixelBox record_;                    // the current fill's pixels that later fills may cover
  // Open-addressed table of the pixels some fill covered in part; entries of earlier
  // groups are told apart by their generation, so nothing needs clearing.
  std::vector<Entry> entries_;
  std::uint32_t generation_ = 0;
  std::size_t used_ = 0;
};

}  // namespace tavelin::swf::render
