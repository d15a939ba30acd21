#include "playback/movie_control/stage_view.h"

#include <gtest/gtest.h>

#include <limits>

namespace tavelin {
namespace {

// A 400 x 200 pixel stage in a square 200 x 200 viewport: the aspect ratios differ.
StageView WideStageInSquare(ScaleMode mode) {
  StageView view;
  view.SetStage({0, 0, 8000, 4000});
  view.SetViewport(200, 200);
  view.SetScaleMode(mode);
  return view;
}

void ExpectRect(const PixelRect& actual, double left, double top, double right, double bottom) {
  EXPECT_NEAR(actual.left, left, 1e-9);
  EXPECT_NEAR(actual.top, top, 1e-9);
  EXPECT_NEAR(actual.right, right, 1e-9);
  EXPECT_NEAR(actual.bottom, bottom, 1e-9);
}

TEST(StageView, ScaleModesFitAStageOfAnotherShape) {
  const StageView showAll = WideStageInSquare(ScaleMode::kShowAll);
  ExpectRect(showAll.Map(showAll.Stage()), 0, 50, 200, 150);  // bars above and below
  EXPECT_DOUBLE_EQ(showAll.Transform().scaleX, showAll.Transform().scaleY);

  const StageView noBorder = WideStageInSquare(ScaleMode::kNoBorder);
  ExpectRect(noBorder.Map(noBorder.Stage()), -100, 0, 300, 200);  // sides cut off

  const StageView exactFit = WideStageInSquare(ScaleMode::kExactFit);
  ExpectRect(exactFit.Map(exactFit.Stage()), 0, 0, 200, 200);
  EXPECT_DOUBLE_EQ(exactFit.Transform().scaleX, 200.0 / 8000);
  EXPECT_DOUBLE_EQ(exactFit.Transform().scaleY, 200.0 / 4000);

  // A tall viewport puts the bars beside a tall stage instead.
  StageView tall;
  tall.SetStage({0, 0, 2000, 2000});
  tall.SetViewport(100, 300);
  ExpectRect(tall.Map(tall.Stage()), 0, 100, 100, 200);
}

TEST(StageView, StageAwayFromTheOriginIsCentredAllTheSame) {
  StageView view;
  view.SetStage({-1000, 500, 3000, 2500});  // 200 x 100 pixels
  view.SetViewport(400, 400);
  ExpectRect(view.Map(view.Stage()), 0, 100, 400, 300);
  const StageTransform t = view.Transform();
  EXPECT_DOUBLE_EQ(-1000 * t.scaleX + t.offsetX, 0.0);
}

TEST(StageView, ZoomIsRelativeToTheCurrentView) {
  StageView view = WideStageInSquare(ScaleMode::kExactFit);
  view.Zoom(0.5);
  EXPECT_EQ(view.VisibleArea(), (TwipRect{2000, 1000, 6000, 3000}));
  ExpectRect(view.Map(view.Stage()), -100, -100, 300, 300);  // twice as large
  view.Zoom(0.5);
  EXPECT_EQ(view.VisibleArea(), (TwipRect{3000, 1500, 5000, 2500}));
  view.Zoom(1.5);  // shrinks back part of the way, still around the same centre
  EXPECT_EQ(view.VisibleArea(), (TwipRect{2500, 1250, 5500, 2750}));
  view.Zoom(0);
  EXPECT_EQ(view.VisibleArea(), view.Stage());

  // Shrinking past the stage shows the stage smaller in the middle.
  view.Zoom(2);
  ExpectRect(view.Map(view.Stage()), 50, 50, 150, 150);
}

TEST(StageView, ZoomBeyondTheLimitsChangesNothing) {
  StageView view = WideStageInSquare(ScaleMode::kShowAll);
  for (int i = 0; i < 20; ++i) view.Zoom(0.5);
  EXPECT_GE(view.VisibleArea().Height(), StageView::kMinVisibleTwips);
  EXPECT_LT(view.VisibleArea().Height(), 2 * StageView::kMinVisibleTwips);
  view.Zoom(0);
  for (int i = 0; i < 100; ++i) view.Zoom(10);
  EXPECT_LE(view.VisibleArea().Width(), StageView::kMaxVisibleTwips);
  const PixelRect stage = view.Map(view.Stage());
  EXPECT_GT(stage.right, stage.left);  // tiny, yet still in order
}

TEST(StageView, ZoomRectShowsThatAreaOfTheStage) {
  StageView view = WideStageInSquare(ScaleMode::kShowAll);
  view.SetZoomRect({2000, 0, 4000, 2000});  // a square quarter of the stage fills the viewport
  ExpectRect(view.Map({2000, 0, 4000, 2000}), 0, 0, 200, 200);
  ExpectRect(view.Map(view.Stage()), -200, 0, 600, 400);

  view.SetZoomRect({4000, 2000, 2000, 0});  // edges given the wrong way round
  EXPECT_EQ(view.VisibleArea(), (TwipRect{2000, 0, 4000, 2000}));

  view.SetZoomRect({100, 100, 100, 900});  // no width: ignored
  EXPECT_EQ(view.VisibleArea(), (TwipRect{2000, 0, 4000, 2000}));

  // Zoom after a zoom rectangle works on that rectangle.
  view.Zoom(0.5);
  EXPECT_EQ(view.VisibleArea(), (TwipRect{2500, 500, 3500, 1500}));

  view.SetZoomRect({0, 0, 0, 0});
  EXPECT_EQ(view.VisibleArea(), view.Stage());

  view.SetZoomRect({100, 100, 900, 900});
  view.SetStage({0, 0, 20, 20});  // a new stage is shown whole
  EXPECT_EQ(view.VisibleArea(), (TwipRect{0, 0, 20, 20}));
}

TEST(StageView, CoveredPixelsAreThoseWithTheirCentreInside) {
  const PixelSpan span = CoveredPixels({0.5, 0.4, 3.5, 2.6}, 10, 10);
  EXPECT_EQ(span.left, 0);   // centre 0.5 is on the edge: inside
  EXPECT_EQ(span.right, 3);  // centre 3.5 is on the far edge: outside
  EXPECT_EQ(span.top, 0);
  EXPECT_EQ(span.bottom, 3);  // centre 2.5 < 2.6

  const PixelSpan clipped = CoveredPixels({-1e12, -5, 1e12, 1e300}, 640, 480);
  EXPECT_EQ(clipped.left, 0);
  EXPECT_EQ(clipped.top, 0);
  EXPECT_EQ(clipped.right, 640);
  EXPECT_EQ(clipped.bottom, 480);

  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_TRUE(CoveredPixels({nan, nan, nan, nan}, 10, 10).Empty());
  EXPECT_TRUE(CoveredPixels({20, 0, 30, 10}, 10, 10).Empty());  // right of the viewport
  EXPECT_TRUE(CoveredPixels({2.6, 0, 3.4, 10}, 10, 10).Empty());  // between two centres
  EXPECT_TRUE(CoveredPixels({0, 0, 10, 10}, -4, 10).Empty());
}

TEST(StageView, EmptyViewportMapsEverythingToNothing) {
  StageView view;
  view.SetStage({0, 0, 11000, 8000});
  view.SetViewport(0, -3);
  EXPECT_EQ(view.ViewportHeight(), 0);
  const PixelRect stage = view.Map(view.Stage());
  EXPECT_TRUE(CoveredPixels(stage, view.ViewportWidth(), view.ViewportHeight()).Empty());
}

}  // namespace
}  // namespace tavelin
