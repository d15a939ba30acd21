#pragma once
// Composites a finished layer onto what lies below it with one of the blend modes.
// Both are premultiplied; the framebuffer below a top-level layer is opaque and stays so.

#include <cstdint>

#include "swf/render/edge_list.h"
#include "swf/render/renderer.h"

namespace tavelin::swf::render {

// One pixel of `src` blended onto `dst` with `mode` (kAlpha and kErase included).
std::uint32_t BlendPixel(BlendMode mode, std::uint32_t src, std::uint32_t dst);

// Blends `src` onto `dst` (both `stride` pixels a row) over `box`. Wholly clear pixels
// of `src` leave `dst` as it is in every mode.
void BlendLayer(BlendMode mode, const std::uint32_t* src, const PixelBox& box, std::uint32_t* dst, int stride);

}  // namespace tavelin::swf::render
