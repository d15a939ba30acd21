#pragma once
// Which part of the stage the movie control shows and where it lands in the window:
// the scale mode fits the visible area into the viewport, zoom and the zoom rectangle
// choose the visible area. Pure arithmetic, no drawing.

namespace tavelin {

// A rectangle in stage twips, left/top inclusive, right/bottom exclusive.
struct TwipRect {
  double left = 0, top = 0, right = 0, bottom = 0;
  double Width() const { return right - left; }
  double Height() const { return bottom - top; }
  friend bool operator==(const TwipRect&, const TwipRect&) = default;
};

// A rectangle in window pixels (fractional), same conventions.
struct PixelRect {
  double left = 0, top = 0, right = 0, bottom = 0;
};

// Whole pixels of the viewport, clipped to it: columns left..right-1, rows top..bottom-1.
struct PixelSpan {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool Empty() const { return left >= right || top >= bottom; }
};

// pixel = twip * scale + offset, on each axis.
struct StageTransform {
  double scaleX = 0, scaleY = 0, offsetX = 0, offsetY = 0;
};

enum class ScaleMode : int {
  kShowAll = 0,   // the whole visible area, uniformly scaled, centred with bars beside it
  kNoBorder = 1,  // the viewport filled, uniformly scaled, centred, the overflow cut off
  kExactFit = 2,  // the visible area stretched to the viewport on each axis
};

class StageView {
 public:
  // The smallest and largest visible area a zoom may make, as a side in twips.
  static constexpr double kMinVisibleTwips = 1.0;
  static constexpr double kMaxVisibleTwips = 1e9;

  // A new stage shows all of itself.
  void SetStage(const TwipRect& stage);
  void SetViewport(int width, int height);
  void SetScaleMode(ScaleMode mode) { mode_ = mode; }

  // Scales the visible area around its centre: 0.5 shows half the width and height
  // (twice as large), 1.5 shows more. A factor of 0 or less shows the whole stage; a
  // factor that would take a side beyond the limits above changes nothing.
  void Zoom(double factor);
  // Shows this area of the stage (it may reach past the stage). An all-zero
  // rectangle shows the whole stage; reversed edges are put in order; an area with no
  // width or height changes nothing.
  void SetZoomRect(const TwipRect& area);
  void ShowWholeStage() { visible_ = stage_; }

  const TwipRect& Stage() const { return stage_; }
  const TwipRect& VisibleArea() const { return visible_; }
  ScaleMode Mode() const { return mode_; }
  int ViewportWidth() const { return viewportWidth_; }
  int ViewportHeight() const { return viewportHeight_; }

  StageTransform Transform() const;
  PixelRect Map(const TwipRect& area) const;

 private:
  TwipRect stage_{0, 0, 550 * 20, 400 * 20};
  TwipRect visible_ = stage_;
  ScaleMode mode_ = ScaleMode::kShowAll;
  int viewportWidth_ = 0;
  int viewportHeight_ = 0;
};

// The pixels whose centres lie inside `area`, clipped to a width x height viewport.
PixelSpan CoveredPixels(const PixelRect& area, int width, int height);

}  // namespace tavelin
