#include "playback/movie_control/stage_view.h"

#include <algorithm>
#include <cmath>

namespace tavelin {
namespace {

bool SideAllowed(double side) {
  return side >= StageView::kMinVisibleTwips && side <= StageView::kMaxVisibleTwips;
}

// Rounds a pixel edge to the first pixel whose centre is at or past it, kept within
// 0..limit so that far-off edges of a deep zoom stay representable.
int FirstCentreAtOrAfter(double edge, int limit) {
  if (!(edge > 0)) return 0;  // also NaN
  if (edge >= limit) return limit;
  return std::clamp(static_cast<int>(std::ceil(edge - 0.5)), 0, limit);
}

}  // namespace

void StageView::SetStage(const TwipRect& stage) {
  stage_ = stage;
  visible_ = stage;
}

void StageView::SetViewport(int width, int height) {
  viewportWidth_ = std::max(width, 0);
  viewportHeight_ = std::max(height, 0);
}

void StageView::Zoom(double factor) {
  if (!(factor > 0)) {
    ShowWholeStage();
    return;
  }
  const double width = visible_.Width() * factor;
  const double height = visible_.Height() * factor;
  if (!SideAllowed(width) || !SideAllowed(height)) return;
  const double centreX = (visible_.left + visible_.right) / 2;
  const double centreY = (visible_.top + visible_.bottom) / 2;
  visible_ = {centreX - width / 2, centreY - height / 2, centreX + width / 2, centreY + height / 2};
}

void StageView::SetZoomRect(const TwipRect& area) {
  if (area == TwipRect{}) {
    ShowWholeStage();
    return;
  }
  const TwipRect ordered{std::min(area.left, area.right), std::min(area.top, area.bottom),
                         std::max(area.left, area.right), std::max(area.top, area.bottom)};
  if (!SideAllowed(ordered.Width()) || !SideAllowed(ordered.Height())) return;
  visible_ = ordered;
}

StageTransform StageView::Transform() const {
  // The visible area never has a side below kMinVisibleTwips, nor does a loaded stage.
  double scaleX = viewportWidth_ / std::max(visible_.Width(), kMinVisibleTwips);
  double scaleY = viewportHeight_ / std::max(visible_.Height(), kMinVisibleTwips);
  if (mode_ == ScaleMode::kShowAll) {
    scaleX = scaleY = std::min(scaleX, scaleY);
  } else if (mode_ == ScaleMode::kNoBorder) {
    scaleX = scaleY = std::max(scaleX, scaleY);
  }
  // The centre of the visible area goes to the centre of the viewport.
  const double centreX = (visible_.left + visible_.right) / 2;
  const double centreY = (visible_.top + visible_.bottom) / 2;
  return {scaleX, scaleY, viewportWidth_ / 2.0 - centreX * scaleX, viewportHeight_ / 2.0 - centreY * scaleY};
}

PixelRect StageView::Map(const TwipRect& area) const {
  const StageTransform t = Transform();
  return {area.left * t.scaleX + t.offsetX, area.top * t.scaleY + t.offsetY, area.right * t.scaleX + t.offsetX,
          area.bottom * t.scaleY + t.offsetY};
}

PixelSpan CoveredPixels(const PixelRect& area, int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  return {FirstCentreAtOrAfter(area.left, width), FirstCentreAtOrAfter(area.top, height),
          FirstCentreAtOrAfter(area.right, width), FirstCentreAtOrAfter(area.bottom, height)};
}

}  // namespace tavelin
