#pragma once
// Small values that describe windows, shared by the subsystems and the windows.

namespace tavelin {

enum class WindowState { kNormal = 0, kMinimized = 1, kMaximized = 2 };

// A rectangle in screen pixels.
struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool Intersects(const ScreenRect& other) const {
    return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
  }
};

// Twips per pixel of the screen, read once at construction (15 at 96 dpi).
struct ScreenScale {
  int TwipsX = 15, TwipsY = 15;
};

}  // namespace tavelin
