// Fills of one shape that meet along an edge: the pixels on the edge show the two fills
// and nothing of what lies below, at every angle, at High and Medium, in colour and in
// masks; fills that overlap still paint over each other in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "support/render_canvas.h"
#include "support/shape_builder.h"

namespace tavelin::swf::render {
namespace {

using testing::Canvas;
using testing::kTwips;
using testing::ShapeBuilder;

constexpr std::int32_t kSide = 40 * kTwips;

// A square of side 40 pixels cut along its diagonal: `upper` above it, `lower` below,
// written as drawing tools write it (the diagonal once, with a fill on each side).
Shape CutSquare(Rgba upper, Rgba lower) {
  ShapeBuilder b;
  const auto a = b.AddSolidFill(upper);
  const auto c = b.AddSolidFill(lower);
  b.Styles(0, a, 0).MoveTo(0, 0).LineTo(kSide, 0).LineTo(kSide, kSide);
  b.ChangeStyles(0, c, 0).LineTo(0, kSide).LineTo(0, 0);
  b.Styles(a, c, 0).MoveTo(0, 0).LineTo(kSide, kSide);
  return b.Build();
}

// Placements of the square: on whole pixels, shifted by fractions, turned and scaled.
struct Placement {
  double angle, scale, x, y;
  Matrix ToMatrix() const {
    const double c = std::cos(angle) * scale / kTwips, s = std::sin(angle) * scale / kTwips;
    return {c, s, -s, c, x, y};
  }
  // Whether pixel (px, py)'s centre lies at least `inset` pixels inside the square.
  bool Inside(int px, int py, double inset) const {
    const double dx = px + 0.5 - x, dy = py + 0.5 - y;
    const double u = (std::cos(angle) * dx + std::sin(angle) * dy) / scale;
    const double v = (-std::sin(angle) * dx + std::cos(angle) * dy) / scale;
    const double margin = inset / scale;
    return u > margin && v > margin && u < 40 - margin && v < 40 - margin;
  }
};
constexpr Placement kPlacements[] = {
    {0, 1, 10, 10}, {0, 1, 10.3, 10.6}, {std::numbers::pi / 7, 1.3, 40.2, 5.7}, {-0.4, 0.85, 15.5, 30.25}};

// Every channel of the pixel lies between the two colours (with `slack` for rounding).
::testing::AssertionResult Between(Rgba pixel, Rgba a, Rgba b, int slack) {
  const int p[] = {pixel.r, pixel.g, pixel.b}, ca[] = {a.r, a.g, a.b}, cb[] = {b.r, b.g, b.b};
  for (int i = 0; i < 3; ++i) {
    if (p[i] < std::min(ca[i], cb[i]) - slack || p[i] > std::max(ca[i], cb[i]) + slack) {
      return ::testing::AssertionFailure() << "channel " << i << " is " << p[i] << ", outside " << ca[i] << ".." << cb[i];
    }
  }
  return ::testing::AssertionSuccess();
}

TEST(RenderSharedEdges, FillsMeetingAlongAnEdgeLetNothingBelowShowThrough) {
  struct Colours {
    Rgba upper, lower;
    Rgba upperShown, lowerShown;  // each fill alone over the white canvas
  };
  const Colours pairs[] = {
      {{255, 0, 0, 255}, {0, 0, 255, 255}, {255, 0, 0, 255}, {0, 0, 255, 255}},
      {{0, 0, 0, 255}, {0, 160, 0, 255}, {0, 0, 0, 255}, {0, 160, 0, 255}},
      // Half transparent: the edge pixels mix the two as each shows over the white.
      {{255, 0, 0, 128}, {0, 0, 255, 128}, {255, 127, 127, 255}, {127, 127, 255, 255}},
  };
  for (Quality quality : {Quality::kHigh, Quality::kMedium}) {
    for (const Colours& colours : pairs) {
      const Shape shape = CutSquare(colours.upper, colours.lower);
      for (const Placement& placement : kPlacements) {
        Canvas canvas(100, 90, quality);
        canvas.Draw(shape, placement.ToMatrix());
        int checked = 0;
        for (int y = 0; y < 90; ++y) {
          for (int x = 0; x < 100; ++x) {
            if (!placement.Inside(x, y, 1.5)) continue;
            ++checked;
            EXPECT_TRUE(Between(canvas.At(x, y), colours.upperShown, colours.lowerShown, 2))
                << "pixel " << x << "," << y << " at angle " << placement.angle;
          }
        }
        EXPECT_GT(checked, 900);
      }
    }
  }
}

TEST(RenderSharedEdges, MasksMadeOfFillsMeetingAlongAnEdgeHaveNoGap) {
  const Shape mask = CutSquare({255, 0, 0, 255}, {0, 0, 255, 255});
  ShapeBuilder b;
  b.Styles(0, b.AddSolidFill({0, 0, 0, 255}), 0).Rect(0, 0, 100 * kTwips, 90 * kTwips);
  const Shape black = b.Build();
  for (const Placement& placement : kPlacements) {
    Canvas canvas(100, 90);
    canvas.renderer.BeginMask();
    canvas.Draw(mask, placement.ToMatrix());
    canvas.renderer.EndMask();
    canvas.Draw(black);
    canvas.renderer.PopMask();
    for (int y = 0; y < 90; ++y) {
      for (int x = 0; x < 100; ++x) {
        if (placement.Inside(x, y, 1.5)) {
          EXPECT_LE(canvas.At(x, y).r, 1) << "pixel " << x << "," << y;
        }
      }
    }
  }
}

TEST(RenderSharedEdges, OverlappingFillsStillPaintInOrder) {
  // Red and green halves of a square meeting at x = 30.5, and a half-transparent blue
  // square over parts of both, all in one group: inside the overlap blue lies over each
  // half; on the blue square's sides each pixel mixes only the half below and blue over
  // it; where its side crosses the halves' edge, blue lies over the two halves' mix.
  ShapeBuilder b;
  const auto red = b.AddSolidFill({255, 0, 0, 255});
  const auto green = b.AddSolidFill({0, 255, 0, 255});
  const auto blue = b.AddSolidFill({0, 0, 255, 128});
  constexpr std::int32_t kMiddle = 30 * kTwips + 10;
  b.Styles(0, red, 0).MoveTo(kMiddle, 50 * kTwips).LineTo(10 * kTwips, 50 * kTwips).LineTo(10 * kTwips, 10 * kTwips).LineTo(kMiddle, 10 * kTwips);
  b.Styles(0, green, 0).MoveTo(kMiddle, 10 * kTwips).LineTo(50 * kTwips, 10 * kTwips).LineTo(50 * kTwips, 50 * kTwips).LineTo(kMiddle, 50 * kTwips);
  b.Styles(green, red, 0).MoveTo(kMiddle, 10 * kTwips).LineTo(kMiddle, 50 * kTwips);
  b.Styles(0, blue, 0).Rect(20 * kTwips + 7, 20 * kTwips + 7, 40 * kTwips + 13, 40 * kTwips + 13);
  Canvas canvas(60, 60);
  canvas.Draw(b.Build());
  const Rgba redBelow{255, 0, 0, 255}, greenBelow{0, 255, 0, 255};
  const Rgba blueOverRed{127, 0, 128, 255}, blueOverGreen{0, 127, 128, 255};
  EXPECT_TRUE(Between(canvas.At(25, 30), blueOverRed, blueOverRed, 1));
  EXPECT_TRUE(Between(canvas.At(35, 30), blueOverGreen, blueOverGreen, 1));
  for (int i = 21; i < 40; ++i) {
    EXPECT_TRUE(Between(canvas.At(20, i), redBelow, blueOverRed, 1)) << i;
    EXPECT_TRUE(Between(canvas.At(40, i), greenBelow, blueOverGreen, 1)) << i;
    if (i == 30) continue;
    const bool left = i < 30;
    EXPECT_TRUE(Between(canvas.At(i, 40), left ? redBelow : greenBelow, left ? blueOverRed : blueOverGreen, 1)) << i;
  }
  // Row 20: blue covers 0.65 of it at half opacity over half red, half green.
  const Rgba crossing = canvas.At(30, 20);
  EXPECT_NEAR(crossing.r, 86, 3);
  EXPECT_NEAR(crossing.g, 86, 3);
  EXPECT_NEAR(crossing.b, 83, 3);
}

}  // namespace
}  // namespace tavelin::swf::render
