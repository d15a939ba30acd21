#pragma once
// Joins the fills of one style group along the edges they share. Each fill is still
// rasterized and composited on its own, but a pixel that two fills cover in part (the
// pixels along their common edge) is composited once with both: the fills' shares are
// summed (at most the whole pixel) and laid over what was there before the first of them,
// so the background does not show through the seam. Where a later fill overlaps an earlier
// one, the overlapping part is painted over it as painting in order would.
//
// Only the pixels a fill covers in part are remembered (per row, with the colour below
// and the fills' sum so far), and only where a later fill of the group may reach them;
// pixels covered wholly are left to the ordinary compositing.

#include <cstdint>
#include <vector>

#include "swf/render/edge_list.h"

namespace tavelin::swf::render {

class SharedEdges {
 public:
  // Starts a group's fills on a target `height` rows high.
  void Begin(int height);
  // Forgets what the group's fills noted.
  void End();
  // Before each fill of the group, in order: the boxes of the pixels this fill, the fills
  // before it and those after it may cover. Only pixels where they meet need joining.
  void NextFill(const PixelBox& fill, const PixelBox& earlier, const PixelBox& later);

  // Whether row y of the current fill may need joining: earlier fills noted shares where
  // it lies, or later fills may reach it. Only then need ColorRow or MaskRow be called.
  bool Involves(int y) const {
    return (endRow_ > firstRow_ && y >= watch_.y0 && y < watch_.y1 && y >= firstRow_ && y < endRow_) ||
           (y >= record_.y0 && y < record_.y1);
  }

  // Before a row of one fill is composited: `coverage` is the fill's coverage of pixels
  // x0 .. x0 + count - 1 of row y, `dst` that row of the target and `source` the fill's
  // premultiplied colours there (or null when it is the single colour `solid`). Pixels
  // finished here get coverage 0.
  void ColorRow(int y, int x0, int count, std::uint8_t* coverage, std::uint32_t* dst,
                const std::uint32_t* source, std::uint32_t solid);
  // The same for a mask being built, whose coverage is the union of the fills.
  void MaskRow(int y, int x0, int count, std::uint8_t* coverage, std::uint8_t* dst);

 private:
  struct Share {
    int x;
    std::uint32_t below;    // the pixel before the group's first fill touched it
    std::uint32_t sum;      // the fills so far, premultiplied, as if over nothing
    std::uint32_t covered;  // how much of the pixel they cover, 0..255
  };
  // Calls note(i) for each pixel of the run that this fill covers in part and that later
  // fills may reach, unless earlier fills already noted it.
  template <class NoteFn>
  void ForNewShares(int y, int x0, int count, const std::uint8_t* coverage, std::size_t earlierShares, NoteFn&& note);

  std::vector<std::vector<Share>> rows_;
  int firstRow_ = 0, endRow_ = 0;  // the rows holding shares
  PixelBox watch_;                 // the current fill's pixels earlier fills may have noted
  PixelBox record_;                // the current fill's pixels later fills may reach
};

}  // namespace tavelin::swf::render
