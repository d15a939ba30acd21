#pragma once
// Inflates the zlib streams inside tags (lossless bitmaps, JPEG alpha planes) with the
// output bounded by what the compressed bytes can justify, so a small stream that
// claims a huge picture is refused before anything is allocated for it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tavelin::swf::format {

// zlib's best case turns one byte into at most about 1032; a declared size beyond this
// many bytes per compressed byte (plus a little slack for tiny streams) cannot be real.
inline constexpr std::size_t kMaxInflateRatio = 1032;

// True when `compressed` could possibly inflate to `bytes`.
bool CouldInflateTo(std::size_t compressedBytes, std::size_t bytes);

// Inflates up to `wanted` bytes. Throws DecodeError when the declared size is beyond
// what the stream can hold or the stream is damaged; a stream that ends early returns
// what it held.
std::vector<std::uint8_t> InflateBounded(std::span<const std::uint8_t> compressed, std::size_t wanted);

}  // namespace tavelin::swf::format
