// Masks (coverage that limits later draws, nested by intersection, never painted) and
// layers composited with each blend mode.
#include <gtest/gtest.h>

#include <cstdint>

#include "support/render_canvas.h"
#include "support/shape_builder.h"

namespace tavelin::swf::render {
namespace {

using testing::Canvas;
using testing::kTwips;
using testing::ShapeBuilder;

constexpr Rgba kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255}, kWhite{255, 255, 255, 255};

Shape Square(double x0, double y0, double x1, double y1, Rgba color) {
  ShapeBuilder b;
  b.Styles(0, b.AddSolidFill(color), 0)
      .Rect(static_cast<std::int32_t>(x0 * kTwips), static_cast<std::int32_t>(y0 * kTwips),
            static_cast<std::int32_t>(x1 * kTwips), static_cast<std::int32_t>(y1 * kTwips));
  return b.Build();
}

TEST(RenderMask, AMaskCutsTheShapesDrawnUnderItAndNeverShowsItself) {
  Canvas canvas(60, 20);
  canvas.renderer.BeginMask();
  canvas.Draw(Square(10.5, 0, 30, 20, kGreen));
  canvas.renderer.EndMask();
  canvas.Draw(Square(0, 0, 50, 20, kRed));
  canvas.renderer.PopMask();
  EXPECT_EQ(canvas.At(5, 10), kWhite);
  EXPECT_EQ(canvas.At(20, 10), kRed);
  EXPECT_EQ(canvas.At(29, 10), kRed);
  EXPECT_EQ(canvas.At(30, 10), kWhite);
  const Rgba edge = canvas.At(10, 10);  // half covered by the mask
  EXPECT_EQ(edge.r, 255);
  EXPECT_NEAR(edge.g, 127, 2);
  // After the mask is gone, shapes draw everywhere again.
  canvas.Draw(Square(40, 0, 60, 20, kBlue));
  EXPECT_EQ(canvas.At(55, 10), kBlue);
}

TEST(RenderMask, NestedMasksShowOnlyWhereAllOfThemCover) {
  Canvas canvas(60, 20);
  canvas.renderer.BeginMask();
  canvas.Draw(Square(0, 0, 30, 20, kGreen));
  canvas.renderer.EndMask();
  canvas.renderer.BeginMask();
  canvas.Draw(Square(20, 0, 50, 20, kGreen));
  canvas.renderer.EndMask();
  canvas.Draw(Square(0, 0, 60, 20, kRed));
  canvas.renderer.PopMask();
  canvas.Draw(Square(0, 10, 60, 20, kBlue));  // under the outer mask only
  canvas.renderer.PopMask();
  EXPECT_EQ(canvas.At(10, 5), kWhite);
  EXPECT_EQ(canvas.At(25, 5), kRed);
  EXPECT_EQ(canvas.At(40, 5), kWhite);
  EXPECT_EQ(canvas.At(10, 15), kBlue);
  EXPECT_EQ(canvas.At(25, 15), kBlue);
  EXPECT_EQ(canvas.At(40, 15), kWhite);
}

TEST(RenderBlend, EachModeMixesOnePixelPairAsItsFormulaSays) {
  // Source (200, 100, 50) over backdrop (100, 150, 250), both opaque.
  struct Case {
    BlendMode mode;
    int r, g, b;
  };
  const Case cases[] = {
      {BlendMode::kNormal, 200, 100, 50},     {BlendMode::kLayer, 200, 100, 50},
      {BlendMode::kMultiply, 78, 59, 49},     {BlendMode::kScreen, 222, 191, 251},
      {BlendMode::kLighten, 200, 150, 250},   {BlendMode::kDarken, 100, 100, 50},
      {BlendMode::kDifference, 100, 50, 200}, {BlendMode::kAdd, 255, 250, 255},
      {BlendMode::kSubtract, 0, 50, 200},     {BlendMode::kInvert, 155, 105, 5},
      {BlendMode::kOverlay, 157, 127, 247},   {BlendMode::kHardlight, 188, 118, 98},
      // At the top level there is no layer whose opacity these could change.
      {BlendMode::kAlpha, 100, 150, 250},     {BlendMode::kErase, 100, 150, 250},
  };
  for (const Case& c : cases) {
    Canvas canvas(20, 20);
    canvas.Draw(Square(0, 0, 20, 20, {100, 150, 250, 255}));
    canvas.renderer.BeginLayer();
    canvas.Draw(Square(5, 5, 15, 15, {200, 100, 50, 255}));
    canvas.renderer.EndLayer(c.mode);
    const Rgba p = canvas.At(10, 10);
    EXPECT_NEAR(p.r, c.r, 2) << static_cast<int>(c.mode);
    EXPECT_NEAR(p.g, c.g, 2) << static_cast<int>(c.mode);
    EXPECT_NEAR(p.b, c.b, 2) << static_cast<int>(c.mode);
    EXPECT_EQ(p.a, 255);
    EXPECT_EQ(canvas.At(2, 2), (Rgba{100, 150, 250, 255})) << static_cast<int>(c.mode);  // outside the source
  }
}

TEST(RenderBlend, AlphaAndEraseWorkOnTheEnclosingLayersOpacity) {
  // A layer holding a blue square 0..40; inside it a half-opaque square 10..20 with alpha
  // (keep the layer only as far as it is opaque, but leave it where it is wholly clear)
  // or erase (cut it out as far as it is opaque).
  auto draw = [](BlendMode mode) {
    auto canvas = std::make_unique<Canvas>(40, 10);
    canvas->renderer.BeginLayer();
    canvas->Draw(Square(0, 0, 40, 10, kBlue));
    canvas->renderer.BeginLayer();
    canvas->Draw(Square(10, 0, 20, 10, {0, 0, 0, 128}));
    canvas->renderer.EndLayer(mode);
    canvas->renderer.EndLayer(BlendMode::kLayer);
    return canvas;
  };
  const auto alpha = draw(BlendMode::kAlpha);
  EXPECT_EQ(alpha->At(5, 5), kBlue);
  EXPECT_NEAR(alpha->At(15, 5).r, 127, 2);  // half the blue over white
  EXPECT_EQ(alpha->At(15, 5).b, 255);
  EXPECT_EQ(alpha->At(30, 5), kBlue);

  // An alpha layer's nearly clear pixels cut what is below nearly away; its wholly clear
  // ones leave it.
  Canvas faint(40, 10);
  faint.renderer.BeginLayer();
  faint.Draw(Square(0, 0, 40, 10, kBlue));
  faint.renderer.BeginLayer();
  faint.Draw(Square(10, 0, 20, 10, {0, 0, 0, 3}));
  faint.Draw(Square(20, 0, 30, 10, {0, 0, 0, 0}));
  faint.renderer.EndLayer(BlendMode::kAlpha);
  faint.renderer.EndLayer(BlendMode::kLayer);
  EXPECT_GE(faint.At(15, 5).r, 250);
  EXPECT_EQ(faint.At(25, 5), kBlue);

  const auto erase = draw(BlendMode::kErase);
  EXPECT_EQ(erase->At(5, 5), kBlue);
  EXPECT_NEAR(erase->At(15, 5).r, 128, 2);
  EXPECT_EQ(erase->At(30, 5), kBlue);
}

TEST(RenderBlend, LayersNestAndTakeMasksFromOutside) {
  Canvas canvas(40, 10);
  canvas.Draw(Square(0, 0, 40, 10, {100, 150, 250, 255}));
  canvas.renderer.BeginMask();
  canvas.Draw(Square(0, 0, 20, 10, kGreen));
  canvas.renderer.EndMask();
  canvas.renderer.BeginLayer();
  canvas.renderer.BeginLayer();
  canvas.Draw(Square(0, 0, 40, 10, {200, 100, 50, 255}));
  canvas.renderer.EndLayer(BlendMode::kNormal);
  canvas.renderer.EndLayer(BlendMode::kDifference);
  canvas.renderer.PopMask();
  EXPECT_EQ(canvas.At(10, 5), (Rgba{100, 50, 200, 255}));
  EXPECT_EQ(canvas.At(30, 5), (Rgba{100, 150, 250, 255}));
}

TEST(RenderBlend, OpenLayersAndMasksAreDroppedWhenTheTargetChangesSize) {
  Canvas canvas(40, 10);
  canvas.renderer.BeginMask();
  canvas.Draw(Square(0, 0, 10, 10, kGreen));
  canvas.renderer.EndMask();
  canvas.renderer.BeginLayer();
  canvas.Draw(Square(0, 0, 40, 10, kRed));
  canvas.framebuffer.Resize(80, 30);
  canvas.renderer.Clear(kWhite);
  canvas.Draw(Square(30, 0, 70, 30, kBlue));  // at the top level, unmasked
  canvas.renderer.EndLayer(BlendMode::kMultiply);
  canvas.renderer.PopMask();
  EXPECT_EQ(canvas.At(5, 5), kWhite);
  EXPECT_EQ(canvas.At(50, 25), kBlue);
}

}  // namespace
}  // namespace tavelin::swf::render
