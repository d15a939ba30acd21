#include "playback/status_strip.h"

namespace tavelin {

StripLayout LayoutStatusStrip(int width, int height) {
  StripLayout layout;
  const int top = height - strip::kHeight;
  layout.thumbTop = top + 1;
  layout.labels[6] = {1, top + 1};
  layout.groove = {0, top, strip::kGrooveWidth, height};
  for (int i = 0; i <= 5; ++i) {
    const int x = 230 + 39 * i;
    layout.labels[static_cast<std::size_t>(i)] = {x + 2, top + 1};
    if (i <= 4) layout.boxes[static_cast<std::size_t>(i)] = {x, top, x + 36, height};
  }
  layout.boxes[5] = {425, top, width, height};
  layout.labels[5] = {427, top + 1};
  layout.sizeGrip = width > 470;
  if (layout.sizeGrip) layout.grip = {width - 16, height - 17, width, height - 1};
  return layout;
}

}  // namespace tavelin
