#pragma once
// Paints runs of one row: premultiplied source colours, scaled by each pixel's coverage,
// over the destination. Four pixels at a time where the processor has SSE2 (every x86-64),
// one at a time elsewhere; both give the same values.

#include <cstdint>

namespace tavelin::swf::render {

// dst[i] = src[i] * coverage[i] / 255 over dst[i].
void CompositeSpan(std::uint32_t* dst, const std::uint32_t* src, const std::uint8_t* coverage, int count);

// The same with one colour for the whole run.
void CompositeSolidSpan(std::uint32_t* dst, std::uint32_t color, const std::uint8_t* coverage, int count);

}  // namespace tavelin::swf::render
