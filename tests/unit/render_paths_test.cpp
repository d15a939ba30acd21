// The rasterizer's hot loops come in a baseline version and, where the processor has
// AVX2, a wider one: both must paint the same picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "support/render_canvas.h"
#include "support/shape_builder.h"
#include "swf/render/cpu_features.h"

namespace tavelin::swf::render {
namespace {

using testing::Canvas;
using testing::kTwips;
using testing::ShapeBuilder;

// Every fill kind and spread, translucent colours, strokes, overlaps, edges at all angles.
std::unique_ptr<Canvas> DrawEverything() {
  auto canvas = std::make_unique<Canvas>(203, 151);
  const FillKind kinds[] = {FillKind::kLinearGradient, FillKind::kRadialGradient, FillKind::kFocalGradient};
  const SpreadMode spreads[] = {SpreadMode::kPad, SpreadMode::kReflect, SpreadMode::kRepeat};
  int n = 0;
  for (FillKind kind : kinds) {
    for (SpreadMode spread : spreads) {
      ShapeBuilder b;
      FillStyle fill;
      fill.kind = kind;
      fill.gradient.spread = spread;
      fill.gradient.focalPoint = -0.6f;
      fill.gradient.stops = {{0, {255, 0, 0, 255}}, {100, {0, 200, 0, 180}}, {255, {0, 0, 255, 90}}};
      const double cx = (25 + 60 * (n % 3)) * kTwips, cy = (25 + 50 * (n / 3)) * kTwips;
      fill.matrix = {700.0 / 32768 * kTwips, 300.0 / 32768 * kTwips, -200.0 / 32768 * kTwips, 600.0 / 32768 * kTwips, cx, cy};
      LineStyle line;
      line.width = static_cast<std::uint16_t>(10 + 30 * n);
      line.color = {20, 20, 20, 200};
      b.Styles(0, b.AddFill(fill), b.AddLine(line)).Ellipse(cx, cy, 33.3 * kTwips, 27.1 * kTwips);
      b.Styles(0, b.AddSolidFill({250, 250, 0, 120}), 0).Ellipse(cx + 9 * kTwips, cy - 5 * kTwips, 20.7 * kTwips, 9.3 * kTwips);
      canvas->Draw(b.Build());
      ++n;
    }
  }
  return canvas;
}

TEST(RenderPaths, WideAndBaselineLoopsPaintTheSamePixels) {
  WideInstructionsAllowed() = true;
  const auto wide = DrawEverything();
  WideInstructionsAllowed() = false;
  const auto baseline = DrawEverything();
  WideInstructionsAllowed() = true;
  int differing = 0;
  for (int y = 0; y < wide->framebuffer.height; ++y) {
    for (int x = 0; x < wide->framebuffer.width; ++x) {
      const Rgba a = wide->At(x, y), b = baseline->At(x, y);
      // Sums taken in another order may round one coverage step apart.
      if (std::abs(a.r - b.r) > 1 || std::abs(a.g - b.g) > 1 || std::abs(a.b - b.b) > 1) ++differing;
    }
  }
  EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace tavelin::swf::render
