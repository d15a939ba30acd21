#include <gtest/gtest.h>
#include <zlib.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <vector>

#include "support/swf_writer.h"
#include "swf/format/bitmap_decoder.h"
#include "swf/format/inflate.h"
#include "swf/format/place_object.h"
#include "swf/format/reader.h"
#include "swf/format/shape_decoder.h"
#include "swf/movie.h"

namespace tavelin::swf::format {
namespace {

using testing::Affine;
using testing::ShapeFill;
using testing::ShapeLine;
using testing::ShapeOutline;
using testing::ShapeDrawing;
using testing::SwfWriter;
using Bytes = std::vector<std::uint8_t>;

// The body of the movie's first tag with the given code.
Bytes FirstBody(const SwfWriter& writer, std::uint16_t code) {
  const Movie movie = LoadMovie(writer.Bytes());
  for (const Tag& tag : movie.FrameTags(0)) {
    if (tag.code == code) {
      const auto body = movie.TagBody(tag);
      return Bytes(body.begin(), body.end());
    }
  }
  return {};
}

Bytes Deflate(const Bytes& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes packed(size);
  compress2(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9);
  packed.resize(size);
  return packed;
}

Bytes JpegOf(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  std::vector<std::uint8_t> rgb;
  for (int i = 0; i < width * height; ++i) rgb.insert(rgb.end(), {r, g, b});
  Bytes jpeg;
  stbi_write_jpg_to_func(
      [](void* context, void* data, int size) {
        auto* out = static_cast<Bytes*>(context);
        out->insert(out->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
      },
      &jpeg, width, height, 3, rgb.data(), 100);
  return jpeg;
}

void ExpectNear(std::uint32_t actual, std::uint32_t expected, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    EXPECT_NEAR(static_cast<int>(actual >> shift & 0xFF), static_cast<int>(expected >> shift & 0xFF), tolerance)
        << std::hex << actual << " vs " << expected;
  }
}

TEST(SwfDecoders, ShapeKeepsItsStylesEdgesAndColourDepthByVersion) {
  ShapeDrawing drawing;
  drawing.fills = {ShapeFill{ShapeFill::Kind::kSolid, {10, 20, 30, 128}, {}, 0, {}},
                ShapeFill{ShapeFill::Kind::kLinearGradient, {}, {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 64}}}, 0, Affine{0.5, 0, 0, 0.25, 100, 200}},
                ShapeFill{ShapeFill::Kind::kRepeatingBitmap, {}, {}, 7, Affine{20, 0, 0, 20, 0, 0}}};
  drawing.lines = {ShapeLine{60, {1, 2, 3, 4}}};
  drawing.outlines = {ShapeOutline{{{0, 0}, {400, 0}, {400, 300}}, 0, 1, 1, true},
                   ShapeOutline{{{-100, -50}, {20, 30}}, 2, 3, 0, false}};

  for (int version : {1, 3, 4}) {
    SCOPED_TRACE(version);
    drawing.version = version;
    const ShapeDefinition def = DecodeDefineShape(FirstBody(SwfWriter().DefineShape(5, drawing), version == 1 ? 2 : version == 3 ? 32 : 83), version);
    EXPECT_EQ(def.id, 5);
    EXPECT_EQ(def.shape.bounds, (Rect{-100, 400, -50, 300}));
    ASSERT_EQ(def.shape.groups.size(), 1u);
    const StyleGroup& group = def.shape.groups[0];
    ASSERT_EQ(group.fills.size(), 3u);
    const std::uint8_t alpha = version >= 3 ? 128 : 255;  // RGB before DefineShape3
    EXPECT_EQ(group.fills[0].color, (Rgba{10, 20, 30, alpha}));
    EXPECT_EQ(group.fills[1].kind, FillKind::kLinearGradient);
    ASSERT_EQ(group.fills[1].gradient.stops.size(), 2u);
    EXPECT_EQ(group.fills[1].gradient.stops[1].ratio, 255);
    EXPECT_EQ(group.fills[1].gradient.stops[1].color, (Rgba{0, 0, 255, static_cast<std::uint8_t>(version >= 3 ? 64 : 255)}));
    EXPECT_EQ(group.fills[1].matrix, (Matrix{0.5, 0, 0, 0.25, 100, 200}));
    EXPECT_EQ(group.fills[2].kind, FillKind::kRepeatingBitmap);
    EXPECT_EQ(group.fills[2].bitmapId, 7);
    ASSERT_EQ(group.lines.size(), 1u);
    EXPECT_EQ(group.lines[0].width, 60);

    ASSERT_EQ(group.paths.size(), 2u);
    EXPECT_EQ(group.paths[0].fill1, 1u);
    EXPECT_EQ(group.paths[0].line, 1u);
    EXPECT_EQ(group.paths[0].start, (Point{0, 0}));
    ASSERT_EQ(group.paths[0].segments.size(), 3u);
    EXPECT_EQ(group.paths[0].segments[1].to, (Point{400, 300}));
    EXPECT_EQ(group.paths[0].segments[2].to, (Point{0, 0}));
    EXPECT_EQ(group.paths[1].fill0, 2u);
    EXPECT_EQ(group.paths[1].fill1, 3u);
    EXPECT_EQ(group.paths[1].start, (Point{-100, -50}));
    ASSERT_EQ(group.paths[1].segments.size(), 1u);
    EXPECT_EQ(group.paths[1].segments[0].to, (Point{20, 30}));
  }
}

TEST(SwfDecoders, NewStylesInTheRecordsStartANewGroup) {
  // DefineShape2 records packed by hand: select fill 1 and move to (0, 0); an edge to
  // (1, 0); new styles (one green fill) selecting fill 1; an edge down; end.
  std::vector<bool> bits;
  Bytes packed;
  const auto put = [&](std::uint32_t v, int n) {
    for (int i = n - 1; i >= 0; --i) bits.push_back((v >> i) & 1);
  };
  const auto flush = [&] {
    for (std::size_t i = 0; i < bits.size(); i += 8) {
      std::uint8_t byte = 0;
      for (std::size_t k = 0; k < 8; ++k) byte = static_cast<std::uint8_t>(byte << 1 | (i + k < bits.size() && bits[i + k]));
      packed.push_back(byte);
    }
    bits.clear();
  };
  put(0, 1), put(0x05, 5), put(1, 5), put(0, 1), put(0, 1), put(1, 1);  // fill1 = 1, move to 0, 0
  put(1, 1), put(1, 1), put(0, 4), put(0, 1), put(0, 1), put(1, 2);      // horizontal edge, dx = 1
  put(0, 1), put(0x14, 5), put(1, 1);                                      // new styles, fill1 = 1
  flush();
  packed.insert(packed.end(), {0x01, 0x00, 0, 255, 0, 0x00});  // one fill (green), no lines
  put(1, 4), put(0, 4);                                          // the new index widths
  put(1, 1), put(1, 1), put(0, 4), put(0, 1), put(1, 1), put(1, 2);  // vertical edge, dy = 1
  put(0, 6);
  flush();

  Shape shape;
  shape.groups.emplace_back();
  shape.groups[0].fills.push_back(FillStyle{});
  Reader records(packed);
  ReadShapeRecords(records, 2, 1, 0, shape);
  ASSERT_EQ(shape.groups.size(), 2u);
  ASSERT_EQ(shape.groups[0].paths.size(), 1u);
  EXPECT_EQ(shape.groups[0].paths[0].segments.at(0).to, (Point{1, 0}));
  ASSERT_EQ(shape.groups[1].paths.size(), 1u);
  EXPECT_EQ(shape.groups[1].fills.at(0).color, (Rgba{0, 255, 0, 255}));
  EXPECT_EQ(shape.groups[1].paths[0].fill1, 1u);
  EXPECT_EQ(shape.groups[1].paths[0].start, (Point{1, 0}));  // the pen carries over
  EXPECT_EQ(shape.groups[1].paths[0].segments.at(0).to, (Point{1, 1}));
}

TEST(SwfDecoders, LosslessBitmapsGiveTheirTexelsPremultiplied) {
  // Version 1, colour-mapped: rows of 3 indices padded to 4 bytes; index 3 is past the
  // two-entry palette and shows nothing.
  Bytes v1{9, 0, 3, 3, 0, 2, 0, 1};
  const Bytes mapped = Deflate({255, 0, 0, 0, 0, 255,  // palette: red, blue
                                0, 1, 3, 0xEE,         // row 1 (+ padding)
                                1, 1, 0, 0xEE});       // row 2
  v1.insert(v1.end(), mapped.begin(), mapped.end());
  const BitmapDefinition paletted = DecodeDefineBitsLossless(v1, 1);
  EXPECT_EQ(paletted.id, 9);
  ASSERT_EQ(paletted.bitmap->width, 3);
  EXPECT_EQ(paletted.bitmap->pixels, (std::vector<std::uint32_t>{0xFFFF0000, 0xFF0000FF, 0, 0xFF0000FF, 0xFF0000FF, 0xFFFF0000}));

  // Version 2, 32-bit: already premultiplied ARGB; colours above their alpha are clamped.
  Bytes v2{4, 0, 5, 2, 0, 1, 0};
  const Bytes argb = Deflate({0x80, 0x40, 0x20, 0x10, 0x10, 0xFF, 0x00, 0x00});
  v2.insert(v2.end(), argb.begin(), argb.end());
  EXPECT_EQ(DecodeDefineBitsLossless(v2, 2).bitmap->pixels, (std::vector<std::uint32_t>{0x80402010, 0x10100000}));

  // Version 1, 24-bit: the first byte of each texel is unused and the texel opaque.
  Bytes v1Rgb{4, 0, 5, 1, 0, 1, 0};
  const Bytes xrgb = Deflate({0x00, 0x12, 0x34, 0x56});
  v1Rgb.insert(v1Rgb.end(), xrgb.begin(), xrgb.end());
  EXPECT_EQ(DecodeDefineBitsLossless(v1Rgb, 1).bitmap->pixels, (std::vector<std::uint32_t>{0xFF123456}));
}

TEST(SwfDecoders, ADecompressionBombIsRefusedBeforeAllocating) {
  // 8192 x 8192 at 4 bytes is 256 MB; a few hundred bytes of zlib cannot hold it.
  const Bytes zeros(200000, 0);
  const Bytes packed = Deflate(zeros);
  ASSERT_LT(packed.size(), 1000u);
  Bytes bomb{1, 0, 5, 0x00, 0x20, 0x00, 0x20};
  bomb.insert(bomb.end(), packed.begin(), packed.end());
  EXPECT_THROW(DecodeDefineBitsLossless(bomb, 2), DecodeError);
  EXPECT_THROW(InflateBounded(packed, std::size_t{1} << 30), DecodeError);
  EXPECT_FALSE(CouldInflateTo(100, 1'000'000));
  EXPECT_TRUE(CouldInflateTo(1000, 1'000'000));

  // Sides beyond the limit are refused whatever the data.
  Bytes wide{1, 0, 5, 0x01, 0x20, 0x01, 0x00};  // 8193 x 1
  wide.insert(wide.end(), packed.begin(), packed.end());
  EXPECT_THROW(DecodeDefineBitsLossless(wide, 2), DecodeError);
  // A stream too short for its declared size is damaged.
  Bytes shortData{1, 0, 5, 4, 0, 4, 0};
  const Bytes few = Deflate({1, 2, 3});
  shortData.insert(shortData.end(), few.begin(), few.end());
  EXPECT_THROW(DecodeDefineBitsLossless(shortData, 2), DecodeError);
}

TEST(SwfDecoders, JpegsDecodeWithStrayMarkersSharedTablesAndAlpha) {
  const Bytes jpeg = JpegOf(8, 8, 200, 40, 40);

  // DefineBitsJPEG2 with the stray end-and-start pair in front.
  Bytes jpeg2{3, 0, 0xFF, 0xD9, 0xFF, 0xD8};
  jpeg2.insert(jpeg2.end(), jpeg.begin(), jpeg.end());
  const BitmapDefinition plain = DecodeDefineBitsJpeg(jpeg2, 2);
  EXPECT_EQ(plain.id, 3);
  ASSERT_EQ(plain.bitmap->width, 8);
  ExpectNear(plain.bitmap->pixels[27], 0xFFC82828, 6);

  // DefineBits after (empty) shared tables: the pair appears between them.
  const Bytes tables{0xFF, 0xD8, 0xFF, 0xD9};
  Bytes bits{4, 0};
  bits.insert(bits.end(), jpeg.begin(), jpeg.end());
  ExpectNear(DecodeDefineBits(bits, tables).bitmap->pixels[0], 0xFFC82828, 6);

  // DefineBitsJPEG3 with a zlib alpha plane at half: premultiplied texels.
  Bytes jpeg3{5, 0};
  for (int i = 0; i < 4; ++i) jpeg3.push_back(static_cast<std::uint8_t>(jpeg.size() >> (8 * i)));
  jpeg3.insert(jpeg3.end(), jpeg.begin(), jpeg.end());
  const Bytes alpha = Deflate(Bytes(64, 128));
  jpeg3.insert(jpeg3.end(), alpha.begin(), alpha.end());
  ExpectNear(DecodeDefineBitsJpeg(jpeg3, 3).bitmap->pixels[9], 0x80641414, 6);

  // Huffman tables claiming more symbols than a table holds are refused, not decoded.
  Bytes inflated{6, 0};
  inflated.insert(inflated.end(), jpeg.begin(), jpeg.end());
  for (std::size_t i = 2; i + 21 < inflated.size(); ++i) {
    if (inflated[i] == 0xFF && inflated[i + 1] == 0xC4) {
      for (std::size_t k = 0; k < 16; ++k) inflated[i + 5 + k] = 0xFF;
      break;
    }
  }
  EXPECT_THROW(DecodeDefineBitsJpeg(inflated, 2), DecodeError);

  // Not a picture at all.
  EXPECT_THROW(DecodeDefineBitsJpeg(Bytes{1, 0, 0xFF, 0xD8, 0x00, 0x01}, 2), DecodeError);
}

TEST(SwfDecoders, PlaceObject3ReadsPastClassNameFiltersAndCacheToItsBlendMode) {
  Bytes body{0x06, 0x0F, 7, 0};                // matrix and character; class name, cache, blend, filters
  body.insert(body.end(), {'F', 'o', 'o', 0});  // class name
  body.insert(body.end(), {42, 0, 0x00});       // character 42, identity matrix
  body.insert(body.end(), {3});                 // three filters:
  body.insert(body.end(), {1, 0, 0, 1, 0, 0, 0, 1, 0, 1});  // blur
  body.insert(body.end(), {4, 2});              // gradient glow with two colours
  body.insert(body.end(), 2 * 5 + 19, 0x11);
  body.insert(body.end(), {5, 2, 1});           // convolution, 2 x 1
  body.insert(body.end(), 8 + 2 * 4 + 5, 0x22);
  body.insert(body.end(), {3, 1});              // blend mode multiply, cached
  const PlaceObject place = DecodePlaceObject(body, 3);
  EXPECT_EQ(place.depth, 7);
  EXPECT_EQ(place.characterId, 42);
  EXPECT_EQ(place.matrix, Matrix{});
  EXPECT_EQ(place.blendMode, 3);
  EXPECT_FALSE(place.move);
  EXPECT_FALSE(place.clipDepth.has_value());

  // PlaceObject (the first kind) with and without its optional colour transform.
  const Bytes first{9, 0, 2, 0, 0x00};
  EXPECT_FALSE(DecodePlaceObject(first, 1).colorTransform.has_value());
  EXPECT_EQ(DecodePlaceObject(first, 1).characterId, 9);
  Bytes tinted = first;
  tinted.insert(tinted.end(), {0x65, 0, 0, 0, 0});  // multiply terms only, 9 bits: 0.5 0.0 0.0
  const PlaceObject withColour = DecodePlaceObject(tinted, 1);
  ASSERT_TRUE(withColour.colorTransform.has_value());
  EXPECT_FLOAT_EQ(withColour.colorTransform->mulR, 0.5f);
  EXPECT_FLOAT_EQ(withColour.colorTransform->mulA, 1.0f);
  EXPECT_THROW(DecodePlaceObject(Bytes{0x06, 0x0F, 7, 0, 'F'}, 3), DecodeError);
}

TEST(SwfDecoders, ReaderNeverReadsPastItsBytes) {
  const Bytes two{0xAB, 0xCD};
  Reader reader(two);
  EXPECT_EQ(reader.Bits(4), 0xAu);
  EXPECT_EQ(reader.SignedBits(4), -5);  // 1011
  EXPECT_EQ(reader.U8(), 0xCD);
  EXPECT_THROW(reader.U8(), DecodeError);
  EXPECT_THROW(reader.Bits(1), DecodeError);
  const Bytes oneByte{0xF8};  // a rectangle claiming 31-bit fields in one byte
  Reader rect(oneByte);
  EXPECT_THROW(rect.ReadRect(), DecodeError);
  const Bytes unterminated{'a', 'b'};
  Reader text(unterminated);
  EXPECT_EQ(text.String(), "ab");  // no terminator: ends with the body
}

}  // namespace
}  // namespace tavelin::swf::format
