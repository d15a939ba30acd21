#include "swf/format/bitmap_decoder.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "swf/format/inflate.h"
#include "swf/format/reader.h"

namespace tavelin::swf::format {
namespace {

std::uint32_t Premultiplied(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a) {
  r = (r * a + 127) / 255;
  g = (g * a + 127) / 255;
  b = (b * a + 127) / 255;
  return a << 24 | r << 16 | g << 8 | b;
}

// Colours already premultiplied, kept within their alpha.
std::uint32_t ClampedPremultiplied(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a) {
  return a << 24 | std::min(r, a) << 16 | std::min(g, a) << 8 | std::min(b, a);
}

void CheckSize(std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0 || width > kMaxBitmapSide || height > kMaxBitmapSide || width * height > kMaxBitmapPixels) {
    throw DecodeError("bitmap size out of range");
  }
}

bool IsJpeg(std::span<const std::uint8_t> data) {
  return data.size() >= 2 && data[0] == 0xFF && (data[1] == 0xD8 || data[1] == 0xD9);
}

// Authoring tools wrote JPEG streams with an extra end-and-start marker pair (FF D9 FF
// D8) at their front or between the tables and the picture. Inside entropy-coded data
// an FF is always followed by 00 or a restart marker, so the pair can only be markers.
std::vector<std::uint8_t> WithoutStrayMarkers(std::span<const std::uint8_t> data) {
  std::vector<std::uint8_t> out;
  out.reserve(data.size());
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (i + 3 < data.size() && data[i] == 0xFF && data[i + 1] == 0xD9 && data[i + 2] == 0xFF && data[i + 3] == 0xD8) {
      i += 3;
      continue;
    }
    out.push_back(data[i]);
  }
  return out;
}

// stb_image trusts a Huffman table's symbol counts and overflows its tables when they
// add up to more than 256, so every table is checked before the decoder sees it.
bool HuffmanTablesFit(std::span<const std::uint8_t> jpeg) {
  std::size_t at = 2;  // after the start marker
  while (at + 1 < jpeg.size()) {
    if (jpeg[at] != 0xFF) {
      ++at;  // entropy-coded data between markers
      continue;
    }
    const std::uint8_t marker = jpeg[at + 1];
    if (marker == 0xFF) {
      ++at;  // fill byte
      continue;
    }
    if (marker == 0x00 || marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) {
      at += 2;  // stuffed byte, or a marker without a segment
      continue;
    }
    if (marker == 0xD9) return true;
    if (at + 4 > jpeg.size()) return true;  // the decoder reports the truncation
    const std::size_t length = std::size_t{jpeg[at + 2]} << 8 | jpeg[at + 3];
    if (length < 2 || at + 2 + length > jpeg.size()) return true;
    if (marker == 0xC4) {
      std::size_t table = at + 4;
      const std::size_t end = at + 2 + length;
      while (table < end) {
        if (end - table < 17) return false;
        std::size_t symbols = 0;
        for (std::size_t i = 1; i <= 16; ++i) symbols += jpeg[table + i];
        if (symbols > 256 || end - table - 17 < symbols) return false;
        table += 17 + symbols;
      }
    }
    at += 2 + length;
  }
  return true;
}

// Decodes a JPEG, PNG or GIF picture into unpremultiplied RGBA bytes.
Bitmap DecodePicture(std::span<const std::uint8_t> data, std::vector<std::uint8_t>* alphaOut = nullptr) {
  if (data.size() > INT_MAX) throw DecodeError("picture too large");
  int width = 0, height = 0, channels = 0;
  const auto* bytes = data.data();
  const int length = static_cast<int>(data.size());
  if (IsJpeg(data) && !HuffmanTablesFit(data)) throw DecodeError("damaged JPEG tables");
  if (!stbi_info_from_memory(bytes, length, &width, &height, &channels)) throw DecodeError("undecodable picture");
  CheckSize(width, height);
  stbi_uc* rgba = stbi_load_from_memory(bytes, length, &width, &height, &channels, 4);
  if (!rgba) throw DecodeError("undecodable picture");
  Bitmap bitmap;
  bitmap.width = width;
  bitmap.height = height;
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  bitmap.pixels.resize(count);
  if (alphaOut) alphaOut->resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const stbi_uc* p = rgba + i * 4;
    bitmap.pixels[i] = Premultiplied(p[0], p[1], p[2], p[3]);
    if (alphaOut) (*alphaOut)[i] = p[3];
  }
  stbi_image_free(rgba);
  return bitmap;
}

std::shared_ptr<const Bitmap> Shared(Bitmap bitmap) { return std::make_shared<const Bitmap>(std::move(bitmap)); }

}  // namespace

BitmapDefinition DecodeDefineBits(std::span<const std::uint8_t> body, std::span<const std::uint8_t> jpegTables) {
  Reader reader(body);
  BitmapDefinition definition;
  definition.id = reader.U16();
  const auto picture = reader.Rest();
  std::vector<std::uint8_t> joined(jpegTables.begin(), jpegTables.end());
  // The tables' end marker and the picture's start marker meet in the middle.
  joined.insert(joined.end(), picture.begin(), picture.end());
  definition.bitmap = Shared(DecodePicture(WithoutStrayMarkers(joined)));
  return definition;
}

BitmapDefinition DecodeDefineBitsJpeg(std::span<const std::uint8_t> body, int version) {
  Reader reader(body);
  BitmapDefinition definition;
  definition.id = reader.U16();
  std::span<const std::uint8_t> picture;
  std::span<const std::uint8_t> alpha;
  if (version >= 3) {
    const std::uint32_t alphaOffset = reader.U32();
    if (version >= 4) reader.U16();  // deblocking strength
    if (alphaOffset > reader.Remaining()) throw DecodeError("alpha outside the tag");
    picture = reader.Bytes(alphaOffset);
    alpha = reader.Rest();
  } else {
    picture = reader.Rest();
  }
  if (!IsJpeg(picture)) {
    definition.bitmap = Shared(DecodePicture(picture));  // PNG and GIF carry their own alpha
    return definition;
  }
  Bitmap bitmap = DecodePicture(WithoutStrayMarkers(picture));
  if (!alpha.empty()) {
    const std::size_t count = bitmap.pixels.size();
    // A damaged or short alpha plane leaves the rest of the picture opaque.
    std::vector<std::uint8_t> plane;
    try {
      plane = InflateBounded(alpha, count);
    } catch (const DecodeError&) {
      plane.clear();
    }
    for (std::size_t i = 0; i < plane.size(); ++i) {
      const std::uint32_t p = bitmap.pixels[i];
      bitmap.pixels[i] = Premultiplied(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF, plane[i]);
    }
  }
  definition.bitmap = Shared(std::move(bitmap));
  return definition;
}

BitmapDefinition DecodeDefineBitsLossless(std::span<const std::uint8_t> body, int version) {
  Reader reader(body);
  BitmapDefinition definition;
  definition.id = reader.U16();
  const std::uint8_t format = reader.U8();
  const int width = reader.U16();
  const int height = reader.U16();
  CheckSize(width, height);
  const std::size_t w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
  const bool withAlpha = version >= 2;

  std::size_t paletteEntries = 0, stride = 0;
  switch (format) {
    case 3:
      paletteEntries = std::size_t{reader.U8()} + 1;
      stride = (w + 3) & ~std::size_t{3};
      break;
    case 4:
      stride = (w * 2 + 3) & ~std::size_t{3};
      break;
    case 5:
      stride = w * 4;
      break;
    default:
      throw DecodeError("unknown lossless format");
  }
  const std::size_t entryBytes = withAlpha ? 4 : 3;
  const std::size_t paletteBytes = paletteEntries * entryBytes;
  const std::size_t wanted = paletteBytes + stride * h;
  const std::vector<std::uint8_t> data = InflateBounded(reader.Rest(), wanted);
  if (data.size() < wanted) throw DecodeError("lossless bitmap data ends early");

  Bitmap bitmap;
  bitmap.width = width;
  bitmap.height = height;
  bitmap.pixels.resize(w * h);
  std::vector<std::uint32_t> palette(256, 0);
  for (std::size_t i = 0; i < paletteEntries; ++i) {
    const std::uint8_t* e = data.data() + i * entryBytes;
    palette[i] = withAlpha ? ClampedPremultiplied(e[0], e[1], e[2], e[3]) : 0xFF000000u | e[0] << 16 | e[1] << 8 | e[2];
  }
  for (std::size_t y = 0; y < h; ++y) {
    const std::uint8_t* row = data.data() + paletteBytes + y * stride;
    std::uint32_t* out = bitmap.pixels.data() + y * w;
    for (std::size_t x = 0; x < w; ++x) {
      if (format == 3) {
        // Indices past the palette's end show nothing.
        out[x] = row[x] < paletteEntries ? palette[row[x]] : 0;
      } else if (format == 4) {
        const std::uint32_t v = static_cast<std::uint32_t>(row[x * 2] << 8 | row[x * 2 + 1]);
        const auto expand = [](std::uint32_t c) { return (c << 3) | (c >> 2); };
        out[x] = 0xFF000000u | expand(v >> 10 & 31) << 16 | expand(v >> 5 & 31) << 8 | expand(v & 31);
      } else {
        const std::uint8_t* p = row + x * 4;
        out[x] = withAlpha ? ClampedPremultiplied(p[1], p[2], p[3], p[0]) : 0xFF000000u | p[1] << 16 | p[2] << 8 | p[3];
      }
    }
  }
  definition.bitmap = Shared(std::move(bitmap));
  return definition;
}

}  // namespace tavelin::swf::format
