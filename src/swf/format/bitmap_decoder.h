#pragma once
// Decodes the bitmap definitions into premultiplied Bitmaps: JPEG (DefineBits with the
// movie's shared JPEG tables, DefineBitsJPEG2–4 with their own tables, PNG or GIF data
// and a zlib alpha plane) and the zlib-compressed lossless formats.

#include <cstdint>
#include <memory>
#include <span>

#include "swf/format/records.h"

namespace tavelin::swf::format {

// Pictures larger than this on either side, or in area, are refused.
inline constexpr int kMaxBitmapSide = 8192;
inline constexpr std::int64_t kMaxBitmapPixels = std::int64_t{kMaxBitmapSide} * kMaxBitmapSide;

struct BitmapDefinition {
  std::uint16_t id = 0;
  std::shared_ptr<const Bitmap> bitmap;
};

// DefineBits: a JPEG whose tables come from the movie's JPEGTables tag (maybe empty).
BitmapDefinition DecodeDefineBits(std::span<const std::uint8_t> body, std::span<const std::uint8_t> jpegTables);
// DefineBitsJPEG2, 3 and 4 (`version` 2..4).
BitmapDefinition DecodeDefineBitsJpeg(std::span<const std::uint8_t> body, int version);
// DefineBitsLossless and DefineBitsLossless2 (`version` 1 or 2).
BitmapDefinition DecodeDefineBitsLossless(std::span<const std::uint8_t> body, int version);

}  // namespace tavelin::swf::format
