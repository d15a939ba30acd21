// Gradient fills: where the gradient square lands, each spread mode beyond it, radial and
// focal distances, the interpolation modes and the colour transform on the table.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "support/render_canvas.h"
#include "support/shape_builder.h"

namespace tavelin::swf::render {
namespace {

using testing::Canvas;
using testing::kTwips;
using testing::ShapeBuilder;

// 100 pixels of shape (2000 twips) for the 32768 units of the gradient square.
constexpr double kUnitsTo100Pixels = 2000.0 / 32768.0;

Gradient BlackToWhite(SpreadMode spread) {
  Gradient g;
  g.spread = spread;
  g.stops = {{0, {0, 0, 0, 255}}, {255, {255, 255, 255, 255}}};
  return g;
}

// A 400 x 400 pixel square filled with `fill`, drawn one twip to 1/20 pixel.
std::unique_ptr<Canvas> Fill(const FillStyle& fill, const ColorTransform& cxform = {}) {
  ShapeBuilder b;
  b.Styles(0, b.AddFill(fill), 0).Rect(0, 0, 400 * kTwips, 400 * kTwips);
  auto canvas = std::make_unique<Canvas>(400, 400);
  canvas->Draw(b.Build(), testing::kTwipsToPixels, cxform);
  return canvas;
}

TEST(RenderGradient, LinearRunsAcrossItsSquareAndSpreadsBeyondIt) {
  // The square spans x = 100..200 pixels: pixel x has t = (x + 0.5 - 100) / 100.
  struct Case {
    SpreadMode spread;
    int before, inside, after;  // grey at pixels 49 (t -0.505), 150 (t 0.505), 249 (t 1.495)
  };
  for (const Case& c : {Case{SpreadMode::kPad, 0, 129, 255}, Case{SpreadMode::kRepeat, 126, 129, 126},
                        Case{SpreadMode::kReflect, 129, 129, 129}}) {
    FillStyle fill;
    fill.kind = FillKind::kLinearGradient;
    fill.gradient = BlackToWhite(c.spread);
    fill.matrix = {kUnitsTo100Pixels, 0, 0, kUnitsTo100Pixels, 150 * kTwips, 0};
    const auto canvas = Fill(fill);
    EXPECT_NEAR(canvas->At(49, 10).r, c.before, 1) << static_cast<int>(c.spread);
    EXPECT_NEAR(canvas->At(150, 10).r, c.inside, 1) << static_cast<int>(c.spread);
    EXPECT_NEAR(canvas->At(249, 300).r, c.after, 1) << static_cast<int>(c.spread);
    EXPECT_NEAR(canvas->At(100, 0).r, 1, 1);  // t 0.005
    EXPECT_NEAR(canvas->At(199, 0).r, 254, 1);
  }
}

TEST(RenderGradient, RadialAndFocalMeasureFromTheirCentres) {
  // The square's inscribed circle, radius 100 pixels round (200, 200).
  const Matrix square{2 * kUnitsTo100Pixels, 0, 0, 2 * kUnitsTo100Pixels, 200 * kTwips, 200 * kTwips};
  for (SpreadMode spread : {SpreadMode::kPad, SpreadMode::kRepeat, SpreadMode::kReflect}) {
    FillStyle fill;
    fill.kind = FillKind::kRadialGradient;
    fill.gradient = BlackToWhite(spread);
    fill.matrix = square;
    const auto canvas = Fill(fill);
    EXPECT_NEAR(canvas->At(200, 200).r, 2, 1);  // distance 0.7
    EXPECT_NEAR(canvas->At(249, 199).r, 126, 1);  // distance 49.5: t 0.495
    EXPECT_NEAR(canvas->At(199, 249).r, 126, 1);
    const int beyond = spread == SpreadMode::kPad ? 255 : spread == SpreadMode::kRepeat ? 126 : 129;
    EXPECT_NEAR(canvas->At(349, 199).r, beyond, 1);  // t 1.495
  }

  // Focal point half way to the right edge (250, 200): t grows from there to the circle.
  FillStyle focal;
  focal.kind = FillKind::kFocalGradient;
  focal.gradient = BlackToWhite(SpreadMode::kPad);
  focal.gradient.focalPoint = 0.5f;
  focal.matrix = square;
  const auto canvas = Fill(focal);
  EXPECT_NEAR(canvas->At(250, 200).r, 1, 2);        // at the focal point
  EXPECT_NEAR(canvas->At(274, 199).r, 125, 2);      // 24.5 of the 50 pixels to the rim
  EXPECT_NEAR(canvas->At(149, 199).r, 171, 2);      // 100.5 of the 150 pixels to the rim
  EXPECT_NEAR(canvas->At(200, 129).r, 183, 2);      // up and left of the focal point: t 0.718
  EXPECT_EQ(canvas->At(330, 200).r, 255);           // beyond the rim
}

TEST(RenderGradient, StopsInterpolateInRgbOrLinearRgbUnderTheColourTransform) {
  FillStyle fill;
  fill.kind = FillKind::kLinearGradient;
  fill.matrix = {kUnitsTo100Pixels * 2, 0, 0, kUnitsTo100Pixels, 200 * kTwips, 0};  // x 100..300
  fill.gradient.stops = {{0, {255, 0, 0, 255}}, {128, {0, 255, 0, 255}}, {255, {0, 0, 255, 255}}};
  {
    const auto canvas = Fill(fill);
    EXPECT_EQ(canvas->At(10, 0), (Rgba{255, 0, 0, 255}));
    EXPECT_NEAR(canvas->At(200, 0).g, 253, 2);  // t 0.5025: just past the middle stop
    EXPECT_EQ(canvas->At(390, 0), (Rgba{0, 0, 255, 255}));
    EXPECT_NEAR(canvas->At(150, 0).r, 128, 2);  // a quarter: half red, half green
    EXPECT_NEAR(canvas->At(150, 0).g, 126, 2);
  }
  fill.gradient.stops = {{0, {0, 0, 0, 255}}, {255, {255, 255, 255, 255}}};
  fill.gradient.interpolation = InterpolationMode::kLinearRgb;
  {
    // Half way in light is about 188 in screen values.
    const auto canvas = Fill(fill);
    EXPECT_NEAR(canvas->At(199, 0).r, 188, 2);
  }
  fill.gradient.interpolation = InterpolationMode::kRgb;
  fill.gradient.stops = {{0, {0, 0, 0, 0}}, {255, {0, 0, 255, 255}}};
  ColorTransform redder;
  redder.addR = 255;
  {
    // Transparent black to opaque blue, red added: half way is (255, 0, 128) at half alpha.
    const auto canvas = Fill(fill, redder);
    EXPECT_EQ(canvas->At(10, 0), (Rgba{255, 255, 255, 255}));
    EXPECT_NEAR(canvas->At(199, 0).r, 255, 1);
    EXPECT_NEAR(canvas->At(199, 0).g, 128, 2);
    EXPECT_NEAR(canvas->At(199, 0).b, 191, 2);
    EXPECT_EQ(canvas->At(390, 0), (Rgba{255, 0, 255, 255}));
  }
}

TEST(RenderGradient, SquashedGradientShowsItsLastColour) {
  FillStyle fill;
  fill.kind = FillKind::kRadialGradient;
  fill.gradient = BlackToWhite(SpreadMode::kPad);
  fill.gradient.stops[1].color = {0, 0, 255, 255};
  fill.matrix = {0, 0, 0, 0, 100, 100};
  const auto canvas = Fill(fill);
  EXPECT_EQ(canvas->At(10, 10), (Rgba{0, 0, 255, 255}));
}

TEST(RenderGradient, StopsOutOfOrderPairEachRatioWithTheFirstStopAtOrPastIt) {
  // Ratios 0 (black), 200 (red), 100 (white), 255 (blue) across x = 0..256 pixels: a
  // ratio up to 200 lies between black and red, one past it between white and blue.
  FillStyle fill;
  fill.kind = FillKind::kLinearGradient;
  fill.gradient.stops = {{0, {0, 0, 0, 255}}, {200, {255, 0, 0, 255}}, {100, {255, 255, 255, 255}}, {255, {0, 0, 255, 255}}};
  fill.matrix = {256.0 * kTwips / 32768, 0, 0, 256.0 * kTwips / 32768, 128 * kTwips, 0};
  const auto canvas = Fill(fill);
  EXPECT_NEAR(canvas->At(150, 5).r, 191, 2);  // ratio 150: three quarters to red
  EXPECT_EQ(canvas->At(150, 5).g, 0);
  EXPECT_NEAR(canvas->At(227, 5).g, 255 - 255 * 127 / 155, 2);  // ratio 227: white fading to blue
  EXPECT_EQ(canvas->At(227, 5).b, 255);
}

}  // namespace
}  // namespace tavelin::swf::render
