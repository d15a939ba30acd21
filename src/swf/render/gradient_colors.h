#pragma once
// A gradient's colour table, with the colour transform applied and premultiplied, ready
// for lookup per pixel. The table has 256 entries, one per ratio, or more where the
// stops lie close enough for a colour to change by several steps from one ratio to the
// next: a wide gradient then still changes smoothly from pixel to pixel instead of in
// visible bands. Entry i stands for ratio 255 * i / (size - 1).

#include <cstdint>
#include <vector>

#include "swf/format/records.h"

namespace tavelin::swf::render {

inline constexpr int kMaxGradientEntries = 4096;
using GradientTable = std::vector<std::uint32_t>;

void BuildGradientColors(const Gradient& gradient, const ColorTransform& cxform, GradientTable& colors);

// A built table and where t (0..1 across the gradient square) falls in it.
struct GradientLookup {
  const std::uint32_t* entries = nullptr;
  float perT = 0, offset = 0, last = 0;  // index = clamp(t * perT + offset, 0, last)
};

}  // namespace tavelin::swf::render
