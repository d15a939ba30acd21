#pragma once
// Geometry of the bottom strip: the groove with the thumb, six number boxes and, on
// wide windows, the size grip. Pixels of the main window's client area.

#include <array>

namespace tavelin {

struct StripBox {
  int left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const StripBox&, const StripBox&) = default;
};

struct StripPoint {
  int x = 0, y = 0;
  friend bool operator==(const StripPoint&, const StripPoint&) = default;
};

struct StripLayout {
  StripBox groove;
  // Boxes drawn with a thin sunken edge: five fixed ones, then the last reaching the right edge.
  std::array<StripBox, 6> boxes;
  std::array<StripPoint, 7> labels;  // where L(0)..L(6) stand
  int thumbTop = 0;
  bool sizeGrip = false;
  StripBox grip;
};

namespace strip {
inline constexpr int kHeight = 14;
inline constexpr int kGrooveWidth = 227;
inline constexpr int kThumbWidth = 25, kThumbHeight = 12;
inline constexpr int kLastPosition = 200;
}  // namespace strip

// The strip of a client area `width` x `height` pixels.
StripLayout LayoutStatusStrip(int width, int height);

}  // namespace tavelin
