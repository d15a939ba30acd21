#pragma once
// Composites a finished layer onto what lies below it with one of the blend modes.
// Both are premultiplied; the framebuffer below a top-level layer is opaque and stays so.

#include <cstdint>

#include "swf/render/edge_list.h"
#include "swf/render/renderer.h"

namespace tavelin::swf::render {

// One pixel of `src` blended onto `dst` with `mode` (kAlpha and kErase included).
std::uint32_t BlendPixel(BlendMode mode, std::uint32_t src, std::uint32_t dst);

// Blends `src` onto `dst` (both `stride` pixels a row) over `box`. kAlpha works over
// `dstBox` as well: the layer below is kept only where the layer above is opaque.
void BlendLayer(BlendMode mode, const std::uint32_t* src, const PixelBox& box, std::uint32_t* dst,
                const PixelBox& dstBox, int stride);

}  // namespace tavelin::swf::render
