#pragma once
// A gradient's 256 colours (index i stands for ratio i), with the colour transform
// applied and premultiplied, ready for lookup per pixel.

#include <array>
#include <cstdint>

#include "swf/format/records.h"

namespace tavelin::swf::render {

void BuildGradientColors(const Gradient& gradient, const ColorTransform& cxform,
                         std::array<std::uint32_t, 256>& colors);

}  // namespace tavelin::swf::render
