// Bitmap fills: texels where the fill matrix puts them, clipped fills clamping to their
// edge texels, repeating fills wrapping, smoothing, quality, colour transforms and
// premultiplied alpha.
#include <gtest/gtest.h>

#include <memory>

#include "support/render_canvas.h"
#include "support/shape_builder.h"

namespace tavelin::swf::render {
namespace {

using testing::Canvas;
using testing::kTwips;
using testing::ShapeBuilder;

constexpr Rgba kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255}, kWhite{255, 255, 255, 255};

// Red, green / blue, white; each texel 20 pixels wide, the bitmap's corner at (100.5, 100.5).
std::shared_ptr<const Bitmap> FourTexels() {
  auto bitmap = std::make_shared<Bitmap>();
  bitmap->width = 2;
  bitmap->height = 2;
  bitmap->pixels = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};
  return bitmap;
}

FillStyle BitmapFill(FillKind kind, std::shared_ptr<const Bitmap> bitmap) {
  FillStyle fill;
  fill.kind = kind;
  fill.bitmapId = 1;
  fill.bitmap = std::move(bitmap);
  fill.matrix = {20.0 * kTwips, 0, 0, 20.0 * kTwips, 2010, 2010};
  return fill;
}

std::unique_ptr<Canvas> Draw(const FillStyle& fill, Quality quality = Quality::kHigh, const ColorTransform& cxform = {}) {
  ShapeBuilder b;
  b.Styles(0, b.AddFill(fill), 0).Rect(50 * kTwips, 50 * kTwips, 200 * kTwips, 200 * kTwips);
  auto canvas = std::make_unique<Canvas>(220, 220, quality);
  canvas->Draw(b.Build(), testing::kTwipsToPixels, cxform);
  return canvas;
}

TEST(RenderBitmap, UnsmoothedFillsShowTexelsAndClampOrWrapOutside) {
  const auto clipped = Draw(BitmapFill(FillKind::kNonSmoothedClippedBitmap, FourTexels()));
  EXPECT_EQ(clipped->At(110, 110), kRed);
  EXPECT_EQ(clipped->At(130, 110), kGreen);
  EXPECT_EQ(clipped->At(110, 130), kBlue);
  EXPECT_EQ(clipped->At(139, 139), kWhite);
  // Outside the bitmap the nearest edge texel goes on.
  EXPECT_EQ(clipped->At(60, 60), kRed);
  EXPECT_EQ(clipped->At(190, 110), kGreen);
  EXPECT_EQ(clipped->At(95, 130), kBlue);
  EXPECT_EQ(clipped->At(190, 190), kWhite);
  EXPECT_EQ(clipped->At(40, 40), kWhite);  // outside the shape

  const auto repeating = Draw(BitmapFill(FillKind::kNonSmoothedRepeatingBitmap, FourTexels()));
  EXPECT_EQ(repeating->At(110, 110), kRed);
  EXPECT_EQ(repeating->At(95, 110), kGreen);   // one texel left of the bitmap: its right column
  EXPECT_EQ(repeating->At(150, 150), kRed);    // one bitmap further on
  EXPECT_EQ(repeating->At(170, 150), kGreen);
  EXPECT_EQ(repeating->At(150, 170), kBlue);
  EXPECT_EQ(repeating->At(70, 70), kRed);
}

TEST(RenderBitmap, SmoothedFillsBlendNeighbouringTexelsExceptAtLowQuality) {
  const auto smooth = Draw(BitmapFill(FillKind::kClippedBitmap, FourTexels()));
  EXPECT_EQ(smooth->At(110, 110), kRed);  // a texel centre
  const Rgba between = smooth->At(120, 110);  // half way between the red and green centres
  EXPECT_NEAR(between.r, 128, 2);
  EXPECT_NEAR(between.g, 128, 2);
  EXPECT_EQ(between.b, 0);
  const Rgba middle = smooth->At(120, 120);  // all four equally
  EXPECT_NEAR(middle.r, 128, 2);
  EXPECT_NEAR(middle.g, 128, 2);
  EXPECT_NEAR(middle.b, 128, 2);
  EXPECT_EQ(smooth->At(60, 60), kRed);  // clamped: only the corner texel

  const auto low = Draw(BitmapFill(FillKind::kClippedBitmap, FourTexels()), Quality::kLow);
  EXPECT_EQ(low->At(120, 110), kGreen);

  // Repeating and smoothed: across the seam the last column blends with the first.
  const auto wrapped = Draw(BitmapFill(FillKind::kRepeatingBitmap, FourTexels()));
  const Rgba seam = wrapped->At(140, 110);
  EXPECT_NEAR(seam.r, 128, 2);
  EXPECT_NEAR(seam.g, 128, 2);
}

TEST(RenderBitmap, TexelsArePremultipliedAndTakeTheColourTransform) {
  auto bitmap = std::make_shared<Bitmap>();
  bitmap->width = 1;
  bitmap->height = 1;
  bitmap->pixels = {0x80800000u};  // red at half opacity
  FillStyle fill = BitmapFill(FillKind::kNonSmoothedRepeatingBitmap, bitmap);
  const auto half = Draw(fill);
  EXPECT_EQ(half->At(110, 110).r, 255);
  EXPECT_NEAR(half->At(110, 110).g, 127, 1);

  ColorTransform swap;  // red to blue, opaque
  swap.mulR = 0;
  swap.addB = 255;
  swap.addA = 255;
  const auto transformed = Draw(fill, Quality::kHigh, swap);
  EXPECT_EQ(transformed->At(110, 110), kBlue);

  // A fill whose bitmap the movie never defined draws nothing.
  const auto missing = Draw(BitmapFill(FillKind::kClippedBitmap, nullptr));
  EXPECT_EQ(missing->At(110, 110), kWhite);
}

}  // namespace
}  // namespace tavelin::swf::render
