// Solid fills: which pixels a region covers, how edges are anti-aliased at each quality,
// how fill0 and fill1 make regions, transparency and colour transforms, and absurd input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>
#include <set>

#include "support/render_canvas.h"
#include "support/shape_builder.h"

namespace tavelin::swf::render {
namespace {

using testing::Canvas;
using testing::kTwips;
using testing::ShapeBuilder;

constexpr Rgba kRed{255, 0, 0, 255};
constexpr Rgba kBlue{0, 0, 255, 255};
constexpr Rgba kBlack{0, 0, 0, 255};
constexpr Rgba kWhite{255, 255, 255, 255};

Shape Square(double x0, double y0, double x1, double y1, Rgba color) {
  ShapeBuilder b;
  const auto fill = b.AddSolidFill(color);
  b.Styles(0, fill, 0).Rect(static_cast<std::int32_t>(x0 * kTwips), static_cast<std::int32_t>(y0 * kTwips),
                            static_cast<std::int32_t>(x1 * kTwips), static_cast<std::int32_t>(y1 * kTwips));
  return b.Build();
}

TEST(RenderFill, SquareCoversExactlyItsPixelsAtEveryQuality) {
  for (Quality quality : {Quality::kLow, Quality::kMedium, Quality::kHigh}) {
    Canvas canvas(60, 60, quality);
    canvas.Draw(Square(20, 20, 40, 40, kRed));
    for (int i = 20; i < 40; ++i) {
      EXPECT_EQ(canvas.At(i, 20), kRed);
      EXPECT_EQ(canvas.At(i, 39), kRed);
      EXPECT_EQ(canvas.At(20, i), kRed);
      EXPECT_EQ(canvas.At(39, i), kRed);
      EXPECT_EQ(canvas.At(i, 19), kWhite);
      EXPECT_EQ(canvas.At(i, 40), kWhite);
      EXPECT_EQ(canvas.At(19, i), kWhite);
      EXPECT_EQ(canvas.At(40, i), kWhite);
    }
    EXPECT_EQ(canvas.At(30, 30), kRed);
  }
}

TEST(RenderFill, EdgePixelsShowTheCoveredFractionAtHighAndMediumAndAllOrNothingAtLow) {
  struct Case {
    double edge;  // left side of a black square, in pixels: pixel 10 is covered from here to 11
    Quality quality;
    int grey;  // expected value of pixel (10, 20) on white
  };
  const Case cases[] = {
      {10.5, Quality::kHigh, 128},   {10.7, Quality::kHigh, 179},  {10.1, Quality::kHigh, 26},
      {10.5, Quality::kMedium, 128}, {10.7, Quality::kMedium, 192}, {10.1, Quality::kMedium, 0},
      {10.3, Quality::kLow, 0},      {10.7, Quality::kLow, 255},
      {10.5, Quality::kLow, 0},  // a centre on the left edge is inside
  };
  for (const Case& c : cases) {
    Canvas canvas(40, 40, c.quality);
    canvas.Draw(Square(c.edge, 10, 30, 30, kBlack));
    EXPECT_NEAR(canvas.At(10, 20).r, c.grey, 2) << c.edge << " quality " << static_cast<int>(c.quality);
    EXPECT_EQ(canvas.At(9, 20), kWhite);
    EXPECT_EQ(canvas.At(11, 20), kBlack);
  }
  // ... and one on the right edge outside, so a pixel goes to exactly one of two
  // shapes meeting there.
  Canvas low(40, 40, Quality::kLow);
  low.Draw(Square(5, 10, 10.5, 30, kBlack));
  low.Draw(Square(10.5, 10, 20, 30, kRed));
  EXPECT_EQ(low.At(9, 20), kBlack);
  EXPECT_EQ(low.At(10, 20), kRed);
}

TEST(RenderFill, SlantedEdgeHasManyLevelsAtHighFewAtMediumTwoAtLow) {
  // An edge from x = 10 at the top to x = 11 at the bottom, 200 rows down: pixel column 10
  // goes through every coverage from full to none.
  auto levels = [](Quality quality) {
    Canvas canvas(30, 220, quality);
    ShapeBuilder b;
    const auto fill = b.AddSolidFill(kBlack);
    b.Styles(0, fill, 0).MoveTo(10 * kTwips, 10 * kTwips).LineTo(25 * kTwips, 10 * kTwips).LineTo(25 * kTwips, 210 * kTwips).LineTo(11 * kTwips, 210 * kTwips).LineTo(10 * kTwips, 10 * kTwips);
    canvas.Draw(b.Build());
    std::set<int> values;
    for (int y = 10; y < 210; ++y) values.insert(canvas.At(10, y).r);
    return values.size();
  };
  EXPECT_GE(levels(Quality::kHigh), 100u);
  EXPECT_GE(levels(Quality::kMedium), 4u);
  EXPECT_LE(levels(Quality::kMedium), 5u);
  EXPECT_EQ(levels(Quality::kLow), 2u);
}

TEST(RenderFill, CoverageAddsUpToTheAreaOfAnyTriangle) {
  // Edges at every slope and sub-pixel position: the partial coverage of all pixels sums
  // to the triangle's exact area (each pixel rounds to 1/255, hence the tolerance).
  std::mt19937 random(11);
  std::uniform_int_distribution<std::int32_t> coordinate(2 * kTwips, 98 * kTwips);
  for (int i = 0; i < 200; ++i) {
    const Point a{coordinate(random), coordinate(random)}, b{coordinate(random), coordinate(random)},
        c{coordinate(random), coordinate(random)};
    const double area = std::fabs(static_cast<double>(b.x - a.x) * (c.y - a.y) -
                                  static_cast<double>(c.x - a.x) * (b.y - a.y)) / 2 / (kTwips * kTwips);
    ShapeBuilder builder;
    const auto fill = builder.AddSolidFill(kBlack);
    // Alternate which side carries the fill; the region is the same.
    builder.Styles(i % 2 == 0 ? fill : 0, i % 2 == 0 ? 0 : fill, 0).MoveTo(a.x, a.y).LineTo(b.x, b.y).LineTo(c.x, c.y).LineTo(a.x, a.y);
    Canvas canvas(100, 100);
    canvas.Draw(builder.Build());
    double ink = 0;
    for (int y = 0; y < 100; ++y) {
      for (int x = 0; x < 100; ++x) ink += (255 - canvas.At(x, y).r) / 255.0;
    }
    EXPECT_NEAR(ink, area, 0.05 + area * 0.002) << i;
  }
}

TEST(RenderFill, FillOnEitherSideOfTheEdgesMakesTheSameRegion) {
  // A ring: outer square 10..50 and a hole 20..40, once with the fill on the right of
  // clockwise outlines (fill1 outside, fill0 round the hole), once with both drawn the
  // other way round.
  ShapeBuilder clockwise;
  const auto a = clockwise.AddSolidFill(kBlue);
  clockwise.Styles(0, a, 0).Rect(10 * kTwips, 10 * kTwips, 50 * kTwips, 50 * kTwips);
  clockwise.Styles(a, 0, 0).Rect(20 * kTwips, 20 * kTwips, 40 * kTwips, 40 * kTwips);

  ShapeBuilder counter;
  const auto b = counter.AddSolidFill(kBlue);
  counter.Styles(b, 0, 0).MoveTo(10 * kTwips, 10 * kTwips).LineTo(10 * kTwips, 50 * kTwips).LineTo(50 * kTwips, 50 * kTwips).LineTo(50 * kTwips, 10 * kTwips).LineTo(10 * kTwips, 10 * kTwips);
  counter.Styles(0, b, 0).MoveTo(20 * kTwips, 20 * kTwips).LineTo(20 * kTwips, 40 * kTwips).LineTo(40 * kTwips, 40 * kTwips).LineTo(40 * kTwips, 20 * kTwips).LineTo(20 * kTwips, 20 * kTwips);

  for (const Shape& shape : {clockwise.Build(), counter.Build()}) {
    Canvas canvas(60, 60);
    canvas.Draw(shape);
    EXPECT_EQ(canvas.At(30, 30), kWhite);  // the hole
    EXPECT_EQ(canvas.At(20, 30), kWhite);
    EXPECT_EQ(canvas.At(39, 30), kWhite);
    EXPECT_EQ(canvas.At(19, 30), kBlue);
    EXPECT_EQ(canvas.At(40, 30), kBlue);
    EXPECT_EQ(canvas.At(15, 15), kBlue);
    EXPECT_EQ(canvas.At(9, 30), kWhite);
  }
}

TEST(RenderFill, TwoFillsShareTheEdgeBetweenThem) {
  // Red on the left, blue on the right; the middle edge runs down with red on its right
  // (fill1) and blue on its left (fill0).
  ShapeBuilder b;
  const auto red = b.AddSolidFill(kRed);
  const auto blue = b.AddSolidFill(kBlue);
  b.Styles(0, red, 0).MoveTo(30 * kTwips, 50 * kTwips).LineTo(10 * kTwips, 50 * kTwips).LineTo(10 * kTwips, 10 * kTwips).LineTo(30 * kTwips, 10 * kTwips);
  b.Styles(0, blue, 0).MoveTo(30 * kTwips, 10 * kTwips).LineTo(50 * kTwips, 10 * kTwips).LineTo(50 * kTwips, 50 * kTwips).LineTo(30 * kTwips, 50 * kTwips);
  b.Styles(blue, red, 0).MoveTo(30 * kTwips, 10 * kTwips).LineTo(30 * kTwips, 50 * kTwips);
  Canvas canvas(60, 60);
  canvas.Draw(b.Build());
  EXPECT_EQ(canvas.At(29, 30), kRed);
  EXPECT_EQ(canvas.At(30, 30), kBlue);
  EXPECT_EQ(canvas.At(10, 10), kRed);
  EXPECT_EQ(canvas.At(49, 49), kBlue);
  EXPECT_EQ(canvas.At(50, 30), kWhite);
}

TEST(RenderFill, OverlappingOutlinesOfOneFillCutEachOtherUnlessTheShapeAsksToJoin) {
  // Two overlapping squares in the same fill: the overlap is outside (even-odd), as the
  // drawing tools show such outlines; a shape with the non-zero hint fills it.
  for (const bool nonZero : {false, true}) {
    ShapeBuilder b;
    const auto fill = b.AddSolidFill(kBlack);
    b.Styles(0, fill, 0).Rect(10 * kTwips, 10 * kTwips, 30 * kTwips, 30 * kTwips).Rect(20 * kTwips, 20 * kTwips, 40 * kTwips, 40 * kTwips);
    Shape shape = b.Build();
    shape.nonZeroWinding = nonZero;
    Canvas canvas(50, 50);
    canvas.Draw(shape);
    EXPECT_EQ(canvas.At(15, 15), kBlack);
    EXPECT_EQ(canvas.At(25, 25), nonZero ? kBlack : kWhite);
    EXPECT_EQ(canvas.At(35, 35), kBlack);
  }
}

TEST(RenderFill, TransparencyAndColourTransformsCompositeOverWhatIsBelow) {
  Canvas canvas(40, 20);
  canvas.Draw(Square(0, 0, 10, 20, {255, 0, 0, 128}));
  ColorTransform halfAlpha;
  halfAlpha.mulA = 0.5f;
  canvas.Draw(Square(10, 0, 20, 20, kRed), testing::kTwipsToPixels, halfAlpha);
  ColorTransform toGreen;  // black made green by the added term, red channel dropped
  toGreen.mulR = 0;
  toGreen.addG = 255;
  canvas.Draw(Square(20, 0, 30, 20, kBlack), testing::kTwipsToPixels, toGreen);
  for (int x : {5, 15}) {
    EXPECT_EQ(canvas.At(x, 10).r, 255);
    EXPECT_NEAR(canvas.At(x, 10).g, 127, 1);
    EXPECT_NEAR(canvas.At(x, 10).b, 127, 1);
  }
  EXPECT_EQ(canvas.At(25, 10), (Rgba{0, 255, 0, 255}));
  EXPECT_EQ(canvas.At(35, 10), kWhite);
}

TEST(RenderFill, GroupsDrawInOrderAndPreparedShapesFollowTheirMatrix) {
  ShapeBuilder b;
  b.Styles(0, b.AddSolidFill(kRed), 0).Rect(0, 0, 20 * kTwips, 20 * kTwips);
  b.NewGroup();
  b.Styles(0, b.AddSolidFill(kBlue), 0).Rect(10 * kTwips, 0, 30 * kTwips, 20 * kTwips);
  const Shape shape = b.Build();
  Canvas canvas(80, 20);
  canvas.Draw(shape);
  canvas.Draw(shape, {0.05, 0, 0, 0.05, 40, 0});  // the same shape, moved
  for (int offset : {0, 40}) {
    EXPECT_EQ(canvas.At(offset + 5, 10), kRed);
    EXPECT_EQ(canvas.At(offset + 15, 10), kBlue);
    EXPECT_EQ(canvas.At(offset + 25, 10), kBlue);
  }
  EXPECT_EQ(canvas.At(35, 10), kWhite);
}

TEST(RenderFill, CurvesFollowTheCircleTheyDescribe) {
  // Radius 100 pixels: the covered area is within 0.5% of pi r^2 and the rim is where the
  // radius says.
  ShapeBuilder b;
  b.Styles(0, b.AddSolidFill(kBlack), 0).Ellipse(128 * kTwips, 128 * kTwips, 100 * kTwips, 100 * kTwips);
  Canvas canvas(256, 256);
  canvas.Draw(b.Build());
  double area = 0;
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) area += (255 - canvas.At(x, y).r) / 255.0;
  }
  EXPECT_NEAR(area, std::numbers::pi * 100 * 100, std::numbers::pi * 100 * 100 * 0.005);
  for (double angle = 0; angle < 6.28; angle += 0.3) {
    const int inX = static_cast<int>(128 + 97 * std::cos(angle)), inY = static_cast<int>(128 + 97 * std::sin(angle));
    const int outX = static_cast<int>(128 + 103 * std::cos(angle)), outY = static_cast<int>(128 + 103 * std::sin(angle));
    EXPECT_EQ(canvas.At(inX, inY), kBlack) << angle;
    EXPECT_EQ(canvas.At(outX, outY), kWhite) << angle;
  }
}

TEST(RenderFill, AbsurdInputDrawsWhatItCanAndNeverFails) {
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  ShapeBuilder huge;
  huge.Styles(0, huge.AddSolidFill(kRed), 0).Rect(kMin, kMin, kMax, kMax);
  // A triangle with one corner at the far end of the coordinate range, through the target.
  ShapeBuilder spike;
  spike.Styles(0, spike.AddSolidFill(kBlue), 0).MoveTo(0, 0).LineTo(kMax, kMax).CurveTo(kMin, kMax, 0, 40 * kTwips).LineTo(0, 0);

  Canvas canvas(50, 50);
  canvas.Draw(huge.Build());
  EXPECT_EQ(canvas.At(0, 0), kRed);
  EXPECT_EQ(canvas.At(49, 49), kRed);
  canvas.Draw(spike.Build());
  EXPECT_EQ(canvas.At(2, 30), kBlue);

  const Matrix matrices[] = {
      {0, 0, 0, 0, 0, 0},       {1e30, 0, 0, 1e30, 0, 0},   {1e300, 1e300, -1e300, 1e300, 1e300, 0},
      {1e-30, 0, 0, 1e-30, 0, 0}, {0.05, 1e9, -1e9, 0.05, 25, 25}, {0, 0, 0, 0, 1e300, -1e300},
  };
  for (const Matrix& m : matrices) {
    Canvas other(50, 50);
    other.Draw(huge.Build(), m);
    other.Draw(spike.Build(), m);
  }
  Canvas zero(50, 50);
  zero.Draw(Square(0, 0, 50, 50, kRed), {0, 0, 0, 0, 0, 0});
  EXPECT_EQ(zero.At(25, 25), kWhite);

  // Empty and one-pixel targets.
  for (int size : {0, 1}) {
    Canvas tiny(size, size);
    tiny.Draw(huge.Build());
    tiny.renderer.BeginMask();
    tiny.Draw(spike.Build());
    tiny.renderer.EndMask();
    tiny.renderer.BeginLayer();
    tiny.Draw(huge.Build());
    tiny.renderer.EndLayer(BlendMode::kDifference);
    tiny.renderer.PopMask();
  }

  // Thousands of random edges, curves included, in one fill and one stroke.
  std::mt19937 random(7);
  std::uniform_int_distribution<std::int32_t> coordinate(-2000, 3000);
  ShapeBuilder noise;
  LineStyle line;
  line.width = 40;
  noise.Styles(noise.AddSolidFill(kBlue), noise.AddSolidFill(kRed), noise.AddLine(line)).MoveTo(0, 0);
  for (int i = 0; i < 5000; ++i) {
    if (i % 3 == 0) {
      noise.CurveTo(coordinate(random), coordinate(random), coordinate(random), coordinate(random));
    } else {
      noise.LineTo(coordinate(random), coordinate(random));
    }
  }
  Canvas busy(100, 100);
  busy.Draw(noise.Build());
}

}  // namespace
}  // namespace tavelin::swf::render
