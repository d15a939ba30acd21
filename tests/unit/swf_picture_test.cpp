// The player's pictures: movies whose pixels are known by construction, drawn through
// the renderer at a small stage (1 pixel = 20 twips) and read back.
#include <gtest/gtest.h>

#include <memory>

#include "support/swf_writer.h"
#include "swf/player/player.h"

namespace tavelin::swf::player {
namespace {

using testing::Affine;
using testing::BoxGlyph;
using testing::ColourTransformValues;
using testing::Move;
using testing::Placement;
using testing::Put;
using testing::ShapeFill;
using testing::ShapeOutline;
using testing::ShapeDrawing;
using testing::SwfWriter;

constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kBlue = 0xFF0000FF;

// A 20 x 20 pixel stage on white.
SwfWriter Stage() {
  SwfWriter writer;
  writer.StagePixels(20, 20).BackgroundColor({255, 255, 255});
  return writer;
}

class Picture {
 public:
  explicit Picture(const SwfWriter& writer, render::Quality quality = render::Quality::kLow)
      : player_(std::make_shared<const Movie>(LoadMovie(writer.Bytes()))), quality_(quality) {}

  Player& player() { return player_; }

  // The picture of the current frame; `scale` pixels per stage pixel.
  const Framebuffer& Draw(double scale = 1) {
    const int side = static_cast<int>(20 * scale);
    frame_.Resize(side, side);
    std::fill(frame_.pixels.begin(), frame_.pixels.end(), kWhite);
    player_.Draw(frame_, Matrix{scale / 20, 0, 0, scale / 20, 0, 0}, quality_);
    return frame_;
  }
  std::uint32_t At(int x, int y) { return Draw().At(x, y); }

 private:
  Player player_;
  render::Quality quality_;
  Framebuffer frame_;
};

void ExpectPixel(std::uint32_t actual, std::uint32_t expected, int tolerance = 2) {
  for (int shift = 0; shift < 32; shift += 8) {
    EXPECT_NEAR(static_cast<int>(actual >> shift & 0xFF), static_cast<int>(expected >> shift & 0xFF), tolerance)
        << std::hex << "pixel " << actual << ", expected " << expected;
  }
}

TEST(SwfPicture, APlacedSquareCoversExactlyItsPixels) {
  // 10 x 10 pixels at (5, 5): pixels 5..14 on both axes, nothing around them.
  for (const auto quality : {render::Quality::kLow, render::Quality::kHigh}) {
    Picture picture(Stage().DefineRectangle(1, 200, 200, {255, 0, 0}).Place(Put(1, 1, 100, 100)).ShowFrame(), quality);
    const Framebuffer& frame = picture.Draw();
    for (int y = 0; y < 20; ++y) {
      for (int x = 0; x < 20; ++x) {
        const bool inside = x >= 5 && x < 15 && y >= 5 && y < 15;
        ASSERT_EQ(frame.At(x, y), inside ? kRed : kWhite) << x << "," << y;
      }
    }
    // Twice the size through the stage mapping.
    const Framebuffer& big = picture.Draw(2);
    EXPECT_EQ(big.At(9, 9), kWhite);
    EXPECT_EQ(big.At(10, 10), kRed);
    EXPECT_EQ(big.At(29, 29), kRed);
    EXPECT_EQ(big.At(30, 30), kWhite);
  }
}

TEST(SwfPicture, ASpriteAnimatesInsideItsMovingParent) {
  // The sprite's square (2 x 2 px) steps 5 px right each frame; the parent steps 5 px
  // down each frame.
  SwfWriter inner;
  inner.Place(Put(1, 1, 0)).ShowFrame().Place(Move(1, 100)).ShowFrame().Place(Move(1, 200)).ShowFrame();
  SwfWriter movie = Stage();
  movie.DefineRectangle(1, 40, 40, {0, 0, 255})
      .DefineSprite(2, inner)
      .Place(Put(1, 2, 0, 0))
      .ShowFrame()
      .Place(Move(1, 0, 100))
      .ShowFrame()
      .Place(Move(1, 0, 200))
      .ShowFrame();
  Picture picture(movie);
  EXPECT_EQ(picture.At(0, 0), kBlue);
  picture.player().NextFrame();
  EXPECT_EQ(picture.At(0, 0), kWhite);
  EXPECT_EQ(picture.At(5, 5), kBlue);
  picture.player().NextFrame();
  EXPECT_EQ(picture.At(5, 5), kWhite);
  EXPECT_EQ(picture.At(10, 10), kBlue);
  EXPECT_EQ(picture.At(11, 11), kBlue);
  EXPECT_EQ(picture.At(12, 12), kWhite);
  picture.player().GotoFrame(0);  // back: the parent returns, the sprite keeps its frame
  EXPECT_EQ(picture.At(10, 0), kBlue);
}

TEST(SwfPicture, AClipDepthMasksTheDepthsAboveIt) {
  // A mask covering the left half at depth 1 clips depths 2..3; depth 4 is not clipped.
  SwfWriter movie = Stage();
  Placement mask = Put(1, 1);
  mask.clipDepth = 3;
  movie.DefineRectangle(1, 200, 400, {0, 255, 0})
      .DefineRectangle(2, 400, 100, {255, 0, 0})
      .DefineRectangle(3, 400, 100, {0, 0, 255})
      .Place(mask)
      .Place(Put(2, 2, 0, 0))
      .Place(Put(4, 3, 0, 200))
      .ShowFrame();
  Picture picture(movie);
  EXPECT_EQ(picture.At(2, 2), kRed);
  EXPECT_EQ(picture.At(12, 2), kWhite);  // cut by the mask
  EXPECT_EQ(picture.At(2, 8), kWhite);   // the mask's own colour never shows
  EXPECT_EQ(picture.At(2, 12), kBlue);
  EXPECT_EQ(picture.At(12, 12), kBlue);  // above the clip depth
}

TEST(SwfPicture, AColourTransformHalvesAlpha) {
  Placement half = Put(1, 1);
  half.colourTransform = ColourTransformValues{1, 1, 1, 0.5, 0, 0, 0, 0};
  Picture picture(Stage().DefineRectangle(1, 400, 400, {255, 0, 0}).Place(half).ShowFrame());
  ExpectPixel(picture.At(10, 10), 0xFFFF8080);
}

TEST(SwfPicture, BlendModesDrawThroughALayer) {
  // Multiply: red over a half-grey square gives dark red; difference of blue and white
  // gives yellow.
  Placement multiply = Put(2, 2);
  multiply.blendMode = 3;
  Placement difference = Put(3, 3, 0, 200);
  difference.blendMode = 7;
  SwfWriter movie = Stage();
  movie.DefineRectangle(1, 400, 200, {128, 128, 128})
      .DefineRectangle(2, 400, 200, {255, 0, 0})
      .DefineRectangle(3, 400, 200, {0, 0, 255})
      .Place(Put(1, 1))
      .Place(multiply)
      .Place(difference)
      .ShowFrame();
  Picture picture(movie);
  ExpectPixel(picture.At(5, 5), 0xFF800000);
  ExpectPixel(picture.At(5, 15), 0xFFFFFF00);
}

TEST(SwfPicture, AMorphAtHalfwayShowsTheBlendedShape) {
  // From 0..4 px (red) to 8..20 px (blue): halfway 4..12 px, purple.
  Placement half = Put(1, 1);
  half.ratio = 32768;
  Picture picture(Stage().DefineMorphRectangles(1, {0, 0, 80, 80}, {255, 0, 0, 255}, {160, 160, 400, 400}, {0, 0, 255, 255})
                      .Place(half)
                      .ShowFrame());
  EXPECT_EQ(picture.At(3, 3), kWhite);
  ExpectPixel(picture.At(4, 4), 0xFF800080);
  ExpectPixel(picture.At(11, 11), 0xFF800080);
  EXPECT_EQ(picture.At(12, 12), kWhite);
}

TEST(SwfPicture, TextGlyphsAreDrawnAtTheirAdvancesInTheTextColour) {
  // Glyphs are half-em boxes; at a 20 px em they are 10 px squares above the baseline.
  // Advances of 12 px put the second box at x = 13..22 (cut at 20).
  Picture picture(Stage()
                      .DefineBoxFont(1, {BoxGlyph{'A', 512, 512, 600}})
                      .DefineText(2, 1, 400, {0, 0, 255, 255}, {20, 300}, {{0, 240}, {0, 240}})
                      .Place(Put(1, 2))
                      .ShowFrame());
  EXPECT_EQ(picture.At(0, 10), kWhite);
  EXPECT_EQ(picture.At(1, 5), kBlue);
  EXPECT_EQ(picture.At(10, 14), kBlue);
  EXPECT_EQ(picture.At(11, 10), kWhite);  // between the glyphs
  EXPECT_EQ(picture.At(12, 10), kWhite);
  EXPECT_EQ(picture.At(13, 10), kBlue);
  EXPECT_EQ(picture.At(13, 15), kWhite);  // below the baseline
  EXPECT_EQ(picture.At(13, 4), kWhite);   // above the glyph
}

TEST(SwfPicture, ALosslessBitmapFillShowsItsTexels) {
  // A 2 x 2 bitmap, one texel per 5 px, filling a 10 x 10 px square.
  const std::vector<std::uint32_t> texels{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80800000};
  ShapeDrawing shape;
  shape.fills = {ShapeFill{ShapeFill::Kind::kClippedBitmap, {}, {}, 1, Affine{100, 0, 0, 100, 0, 0}}};
  shape.outlines = {ShapeOutline{{{0, 0}, {200, 0}, {200, 200}, {0, 200}}, 0, 1, 0, true}};
  Picture picture(Stage().DefineLosslessBitmap(1, 2, 2, texels).DefineShape(2, shape).Place(Put(1, 2)).ShowFrame());
  EXPECT_EQ(picture.At(2, 2), 0xFFFF0000u);
  EXPECT_EQ(picture.At(7, 2), 0xFF00FF00u);
  EXPECT_EQ(picture.At(2, 7), 0xFF0000FFu);
  ExpectPixel(picture.At(7, 7), 0xFFFF7F7F);  // half-transparent red over white
  EXPECT_EQ(picture.At(12, 12), kWhite);
}

TEST(SwfPicture, AButtonShowsItsUpState) {
  // DefineButton2: red square (up state) at 0, 0; blue square (over state) at 10, 10 px.
  const std::vector<std::uint8_t> button{3, 0, 0x00, 0, 0,           // id 3, not a menu, no actions
                                         0x01, 1, 0, 1, 0, 0x00, 0x00,  // up: character 1, depth 1
                                         0x02, 2, 0, 2, 0, 0x00, 0x00,  // over: character 2, depth 2
                                         0x00};
  // DefineButton with the red square, turned blue by DefineButtonCxform (red -255,
  // blue +255).
  const std::vector<std::uint8_t> plainButton{4, 0, 0x01, 1, 0, 1, 0, 0x00, 0x00, 0x00};
  const std::vector<std::uint8_t> recolour{4, 0, 0xA6, 0x02, 0x00, 0x7F, 0x80};
  Picture picture(Stage()
                      .DefineRectangle(1, 100, 100, {255, 0, 0})
                      .DefineRectangle(2, 400, 400, {0, 0, 255})
                      .RawTag(tag_code::kDefineButton2, button)
                      .RawTag(tag_code::kDefineButton, plainButton)
                      .RawTag(tag_code::kDefineButtonCxform, recolour)
                      .Place(Put(1, 3, 100, 100))
                      .Place(Put(2, 4, 300, 300))
                      .ShowFrame());
  EXPECT_EQ(picture.At(5, 5), kRed);
  EXPECT_EQ(picture.At(12, 12), kWhite);
  EXPECT_EQ(picture.At(16, 16), kBlue);
}

}  // namespace
}  // namespace tavelin::swf::player
