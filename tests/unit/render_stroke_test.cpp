// Strokes: width on screen (scaled, kept along an axis, never under a pixel), caps, joins
// and the miter limit, closed outlines joining at their start, stroke colours and fills,
// and strokes drawing over the fills of their group.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "support/render_canvas.h"
#include "support/shape_builder.h"

namespace tavelin::swf::render {
namespace {

using testing::Canvas;
using testing::kTwips;
using testing::ShapeBuilder;

constexpr Rgba kBlack{0, 0, 0, 255}, kWhite{255, 255, 255, 255}, kRed{255, 0, 0, 255};

LineStyle Line(std::uint16_t width, CapStyle cap = CapStyle::kRound, JoinStyle join = JoinStyle::kRound) {
  LineStyle line;
  line.width = width;
  line.color = kBlack;
  line.startCap = line.endCap = cap;
  line.join = join;
  return line;
}

// How much of column x (or row y) the ink covers, in pixels.
double InkInColumn(const Canvas& canvas, int x) {
  double ink = 0;
  for (int y = 0; y < canvas.framebuffer.height; ++y) ink += (255 - canvas.At(x, y).r) / 255.0;
  return ink;
}
double InkInRow(const Canvas& canvas, int y) {
  double ink = 0;
  for (int x = 0; x < canvas.framebuffer.width; ++x) ink += (255 - canvas.At(x, y).r) / 255.0;
  return ink;
}

// A horizontal line from (20, 50) to (80, 50) pixels.
std::unique_ptr<Canvas> Horizontal(const LineStyle& line, const Matrix& matrix = testing::kTwipsToPixels) {
  ShapeBuilder b;
  b.Styles(0, 0, b.AddLine(line)).MoveTo(20 * kTwips, 50 * kTwips).LineTo(80 * kTwips, 50 * kTwips);
  auto canvas = std::make_unique<Canvas>(100, 100);
  canvas->Draw(b.Build(), matrix);
  return canvas;
}

TEST(RenderStroke, WidthFollowsTheMatrixWithAOnePixelFloor) {
  const auto five = Horizontal(Line(100, CapStyle::kNone));  // 5 pixels: 47.5 .. 52.5
  for (int y = 48; y < 52; ++y) EXPECT_EQ(five->At(50, y), kBlack) << y;
  EXPECT_NEAR(five->At(50, 47).r, 128, 2);
  EXPECT_NEAR(five->At(50, 52).r, 128, 2);
  EXPECT_EQ(five->At(50, 46), kWhite);
  EXPECT_EQ(five->At(50, 53), kWhite);
  EXPECT_NEAR(InkInColumn(*five, 50), 5.0, 0.05);
  EXPECT_EQ(five->At(19, 50), kWhite);  // no cap
  EXPECT_EQ(five->At(20, 50), kBlack);

  // Scaled by two about (50, 50): ten pixels.
  const auto scaled = Horizontal(Line(100, CapStyle::kNone), {0.1, 0, 0, 0.1, -50, -50});
  EXPECT_NEAR(InkInColumn(*scaled, 50), 10.0, 0.05);

  // Hairlines and thin lines stay one pixel wide however small the scale.
  EXPECT_NEAR(InkInColumn(*Horizontal(Line(0, CapStyle::kNone)), 50), 1.0, 0.05);
  EXPECT_NEAR(InkInColumn(*Horizontal(Line(0, CapStyle::kNone), {0.5, 0, 0, 0.5, -450, -450}), 50), 1.0, 0.05);
  EXPECT_NEAR(InkInColumn(*Horizontal(Line(4, CapStyle::kNone)), 50), 1.0, 0.05);
}

TEST(RenderStroke, PixelHintingPutsTheSidesOnPixelBoundaries) {
  // An outline off the pixel grid: the hinted stroke covers whole rows and columns, its
  // width rounded to whole pixels; the same stroke unhinted smears over a row more.
  struct Case {
    std::uint16_t width;  // twips
    double offset;        // pixels the matrix moves the outline by
    int firstRow, rows;   // the rows the hinted horizontal side covers
  };
  const Case cases[] = {
      {20, 0.3, 50, 1},   // one pixel, centre 50.3 -> 50.5
      {20, 1.2, 51, 1},   // centre 51.2 -> 51.5
      {28, 0.3, 50, 1},   // 1.4 pixels -> 1
      {40, 0.3, 49, 2},   // two pixels, centre 50.3 -> 50
      {50, 0.2, 49, 3},   // 2.5 pixels -> 3, centre 50.2 -> 50.5
      {0, 0.4, 50, 1},    // hairline
  };
  for (const Case& c : cases) {
    for (const bool hinted : {true, false}) {
      LineStyle line = Line(c.width, CapStyle::kNone, JoinStyle::kMiter);
      line.pixelHinting = hinted;
      ShapeBuilder b;
      b.Styles(0, 0, b.AddLine(line)).Rect(20 * kTwips, 50 * kTwips, 80 * kTwips, 90 * kTwips);
      Canvas canvas(100, 100);
      canvas.Draw(b.Build(), {0.05, 0, 0, 0.05, c.offset, c.offset});
      if (!hinted) {
        int grey = 0;
        for (int y = 45; y < 56; ++y) grey += canvas.At(50, y) != kBlack && canvas.At(50, y) != kWhite;
        EXPECT_GT(grey, 0) << c.width;
        continue;
      }
      for (int y = 45; y < 56; ++y) {
        const bool inside = y >= c.firstRow && y < c.firstRow + c.rows;
        EXPECT_EQ(canvas.At(50, y), inside ? kBlack : kWhite) << "width " << c.width << " row " << y;
      }
      // The left side: the same columns as the top side's rows, less 30.
      for (int x = 15; x < 26; ++x) {
        const bool inside = x >= c.firstRow - 30 && x < c.firstRow - 30 + c.rows;
        EXPECT_EQ(canvas.At(x, 70), inside ? kBlack : kWhite) << "width " << c.width << " column " << x;
      }
    }
  }
}

TEST(RenderStroke, NoScaleFlagsKeepTheWidthAlongTheirAxis) {
  // A vertical line under a matrix that stretches x four times: a stroke that keeps its
  // width when scaled horizontally follows the vertical scale and the other way round;
  // one that keeps both counts stage pixels; a plain one follows the smaller scale.
  auto vertical = [](bool noHScale, bool noVScale) {
    LineStyle line = Line(100, CapStyle::kNone);
    line.noHScale = noHScale;
    line.noVScale = noVScale;
    ShapeBuilder b;
    b.Styles(0, 0, b.AddLine(line)).MoveTo(12 * kTwips, 10 * kTwips).LineTo(12 * kTwips, 90 * kTwips);
    auto canvas = std::make_unique<Canvas>(100, 100);
    canvas->Draw(b.Build(), {0.2, 0, 0, 0.05, 0, 0});  // the line lands at x = 48
    return InkInRow(*canvas, 50);
  };
  EXPECT_NEAR(vertical(false, false), 5.0, 0.05);
  EXPECT_NEAR(vertical(true, false), 5.0, 0.05);
  EXPECT_NEAR(vertical(false, true), 20.0, 0.05);
  EXPECT_NEAR(vertical(true, true), 5.0, 0.05);
}

TEST(RenderStroke, CapsEndTheLineRoundSquareOrFlush) {
  // 5 pixels wide ending at x = 20: pixel (17, 47) is the corner a square cap reaches
  // (covered from 17.5, 47.5: a quarter) and a round cap misses.
  const auto round = Horizontal(Line(100, CapStyle::kRound));
  const auto square = Horizontal(Line(100, CapStyle::kSquare));
  const auto none = Horizontal(Line(100, CapStyle::kNone));
  EXPECT_EQ(round->At(17, 47), kWhite);
  EXPECT_NEAR(square->At(17, 47).r, 191, 3);
  EXPECT_EQ(none->At(17, 47), kWhite);
  EXPECT_EQ(round->At(18, 50), kBlack);
  EXPECT_EQ(square->At(18, 50), kBlack);
  EXPECT_EQ(none->At(18, 50), kWhite);
  EXPECT_NEAR(round->At(17, 50).r, 152, 10);  // the arc covers 0.4 of the pixel
  EXPECT_EQ(round->At(81, 50), kBlack);           // the end cap too
  EXPECT_EQ(none->At(80, 50), kWhite);
}

TEST(RenderStroke, JoinsShapeTheOuterCornerAndTheMiterLimitCutsSharpOnes) {
  // An L from (20, 20) to (60, 20) to (60, 60), 10 pixels wide: the outer corner is (65, 15).
  auto corner = [](JoinStyle join) {
    ShapeBuilder b;
    b.Styles(0, 0, b.AddLine(Line(200, CapStyle::kNone, join)))
        .MoveTo(20 * kTwips, 20 * kTwips).LineTo(60 * kTwips, 20 * kTwips).LineTo(60 * kTwips, 60 * kTwips);
    auto canvas = std::make_unique<Canvas>(100, 100);
    canvas->Draw(b.Build());
    return canvas;
  };
  const auto miter = corner(JoinStyle::kMiter);
  const auto round = corner(JoinStyle::kRound);
  const auto bevel = corner(JoinStyle::kBevel);
  EXPECT_EQ(miter->At(64, 15), kBlack);
  EXPECT_EQ(round->At(64, 15), kWhite);
  EXPECT_EQ(bevel->At(64, 15), kWhite);
  EXPECT_EQ(miter->At(63, 17), kBlack);
  EXPECT_LT(round->At(63, 17).r, 8);  // inside the arc up to its far corner
  EXPECT_GT(bevel->At(63, 17).r, 200);
  for (const auto& canvas : {&miter, &round, &bevel}) {
    EXPECT_EQ((*canvas)->At(56, 24), kBlack);  // the inner corner is filled whatever the join
    EXPECT_EQ((*canvas)->At(54, 26), kWhite);
  }

  // A sharp turn at (80, 30), 4 pixels wide: the miter's tip is 2 / sin(9.46 degrees) =
  // 12.2 pixels beyond it, unless the limit (in half widths) cuts it.
  auto spike = [](float limit) {
    LineStyle line = Line(80, CapStyle::kNone, JoinStyle::kMiter);
    line.miterLimit = limit;
    ShapeBuilder b;
    b.Styles(0, 0, b.AddLine(line)).MoveTo(20 * kTwips, 20 * kTwips).LineTo(80 * kTwips, 30 * kTwips).LineTo(20 * kTwips, 40 * kTwips);
    auto canvas = std::make_unique<Canvas>(100, 60);
    canvas->Draw(b.Build());
    return canvas;
  };
  const auto sharp = spike(10);
  const auto cut = spike(2);
  EXPECT_EQ(sharp->At(84, 29), kBlack);
  EXPECT_LT(sharp->At(90, 29).r, 200);
  EXPECT_EQ(cut->At(83, 29), kBlack);  // cut 4 pixels out, square to the spike
  EXPECT_EQ(cut->At(84, 29), kWhite);
  EXPECT_EQ(cut->At(90, 29), kWhite);
}

TEST(RenderStroke, CurvedOutlinesKeepTheirWidthAllRound) {
  // A circle of radius 40 round (50, 50), stroked 4 pixels wide: every ray from the
  // centre crosses 4 pixels of ink, between radius 38 and 42.
  ShapeBuilder b;
  b.Styles(0, 0, b.AddLine(Line(80))).Ellipse(50 * kTwips, 50 * kTwips, 40 * kTwips, 40 * kTwips);
  Canvas canvas(100, 100);
  canvas.Draw(b.Build());
  EXPECT_NEAR(InkInRow(canvas, 50), 8.0, 0.15);
  EXPECT_NEAR(InkInColumn(canvas, 50), 8.0, 0.15);
  for (double angle = 0; angle < 6.28; angle += 0.25) {
    const double c = std::cos(angle), s = std::sin(angle);
    EXPECT_EQ(canvas.At(static_cast<int>(50 + 40 * c), static_cast<int>(50 + 40 * s)), kBlack) << angle;
    EXPECT_EQ(canvas.At(static_cast<int>(50 + 36 * c), static_cast<int>(50 + 36 * s)), kWhite) << angle;
    EXPECT_EQ(canvas.At(static_cast<int>(50 + 44.5 * c), static_cast<int>(50 + 44.5 * s)), kWhite) << angle;
  }
}

TEST(RenderStroke, ClosedOutlinesJoinAtTheirStartUnlessTheStyleSaysNoClose) {
  auto square = [](bool noClose) {
    LineStyle line = Line(80, CapStyle::kNone, JoinStyle::kMiter);
    line.noClose = noClose;
    ShapeBuilder b;
    b.Styles(0, 0, b.AddLine(line)).Rect(20 * kTwips, 20 * kTwips, 60 * kTwips, 60 * kTwips);
    auto canvas = std::make_unique<Canvas>(80, 80);
    canvas->Draw(b.Build());
    return canvas;
  };
  const auto closed = square(false);
  const auto open = square(true);
  for (const auto& [x, y] : {std::pair{18, 18}, std::pair{61, 18}, std::pair{61, 61}, std::pair{18, 61}}) {
    EXPECT_EQ(closed->At(x, y), kBlack) << x << "," << y;
  }
  EXPECT_EQ(open->At(18, 18), kWhite);  // where the outline starts and ends: two flush ends
  EXPECT_EQ(open->At(61, 18), kBlack);
  EXPECT_EQ(closed->At(40, 40), kWhite);  // the stroke has no inside
}

TEST(RenderStroke, StrokesUseTheirFillOrColourAndDrawOverTheGroupsFills) {
  ShapeBuilder b;
  const auto fill = b.AddSolidFill({0, 0, 255, 255});
  LineStyle plain = Line(200, CapStyle::kNone, JoinStyle::kMiter);
  LineStyle filled = plain;
  filled.hasFill = true;
  filled.fill.color = kRed;
  b.Styles(0, fill, b.AddLine(plain)).Rect(10 * kTwips, 10 * kTwips, 40 * kTwips, 40 * kTwips);
  b.Styles(0, fill, b.AddLine(filled)).Rect(50 * kTwips, 10 * kTwips, 80 * kTwips, 40 * kTwips);
  Canvas canvas(90, 50);
  canvas.Draw(b.Build());
  EXPECT_EQ(canvas.At(25, 25), (Rgba{0, 0, 255, 255}));
  EXPECT_EQ(canvas.At(11, 25), kBlack);  // over the fill's edge
  EXPECT_EQ(canvas.At(6, 25), kBlack);
  EXPECT_EQ(canvas.At(51, 25), kRed);
  EXPECT_EQ(canvas.At(84, 25), kRed);
}

}  // namespace
}  // namespace tavelin::swf::render
