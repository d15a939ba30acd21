#include "shell/movie_window_hook.h"

#include <algorithm>
#include <cmath>

#include "platform/failure.h"
#include "shell/cwin.h"

namespace tavelin {
namespace {

// Turning the wheel outside the window resizes it by this much width a notch, never
// below the smallest width.
constexpr int kWheelResizeTwips = 300;
constexpr int kSmallestWidthTwips = 450;

}  // namespace

void MovieWindowHook::KeyDown(int virtualKey, std::intptr_t keyData) {
  // With the shortcuts switched off, keys reach only the movie.
  if (cwin_.KeyPreview) surface_.ForwardKeyDown(virtualKey, keyData);
}

void MovieWindowHook::MouseMove(int buttons, int x, int y) {
  if (buttons != 1 || !zoomBandActive_) return;
  surface_.DrawBand(band_);  // erases the band drawn last
  band_ = {std::min(x, startX_), std::min(y, startY_), std::max(x, startX_), std::max(y, startY_)};
  surface_.DrawBand(band_);
}

void MovieWindowHook::LeftButtonDown(int x, int y) {
  zoomBandActive_ = cwin_.Playback().Menus().ZoomRect().checked;
  if (surface_.Cursor() == PointerShape::kNone) surface_.ShowArrowCursor();
  StepRecord ignored;
  if (zoomBandActive_) {
    surface_.BeginBand();
    startX_ = x;
    startY_ = y;
    // The band starts empty, so the first move has nothing stale to erase.
    band_ = {x, y, x, y};
    if (MovieControl* player = cwin_.Playback().Player) ignored.Run([&] { player->Stop(); });
    return;
  }
  if (surface_.Cursor() != PointerShape::kArrow) return;
  ignored.Run([&] {
    if (cwin_.PutOut().State() == WindowState::kNormal) surface_.DragOutputWindow();
  });
}

void MovieWindowHook::LeftButtonUp() {
  StepRecord ignored;
  if (zoomBandActive_) {
    surface_.DrawBand(band_);
    int clientWidth = 0, clientHeight = 0;
    surface_.OutputClientSize(clientWidth, clientHeight);
    MovieControl* player = cwin_.Playback().Player;
    if (player && clientWidth > 0 && clientHeight > 0) {
      // Stage twips per window pixel.
      const double kx = cwin_.Playback().FlashWidth * 20.0 / clientWidth;
      const double ky = cwin_.Playback().FlashHeigh * 20.0 / clientHeight;
      const auto twips = [](double value) { return static_cast<int>(std::lround(value)); };
      ignored.Run([&] {
        player->SetZoomRect(twips(kx * band_.left), twips(ky * band_.top), twips(kx * band_.right),
                            twips(ky * band_.bottom));
      });
    }
    surface_.EndBand();
    if (player) ignored.Run([&] { player->Play(); });
    band_ = {};
    return;
  }
  if (surface_.Cursor() != PointerShape::kArrow) return;
  ignored.Run([&] {
    if (cwin_.PutOut().State() != WindowState::kMaximized) return;
    // In full screen a click hands the focus back and forth between the windows.
    focusToggle_ = !focusToggle_;
    focusToggle_ ? surface_.FocusMainWindow() : surface_.FocusOutputWindow();
  });
}

void MovieWindowHook::ToggleFullScreen() {
  if (surface_.Cursor() == PointerShape::kArrow) cwin_.ToggleFullScreen();
}

bool MovieWindowHook::RightButtonDown() {
  if (surface_.Cursor() == PointerShape::kIBeam) return false;
  cwin_.ShowPlayerMenu();
  return true;
}

bool MovieWindowHook::Wheel(int delta, int keyState, int screenX, int screenY) {
  const int direction = delta >= 0 ? 1 : -1;
  ScreenRect window;
  WindowState state = WindowState::kNormal;
  StepRecord ignored;
  if (!ignored.Run([&] {
        window = cwin_.PutOut().WindowRect();
        state = cwin_.PutOut().State();
      })) {
    return true;
  }
  const bool inside = screenX > window.left && screenX < window.right && screenY > window.top && screenY < window.bottom;
  if (!inside) {
    const int widthTwips = (window.right - window.left) * cwin_.Screen.TwipsX;
    if (widthTwips - direction * kWheelResizeTwips < kSmallestWidthTwips) return false;
    if (state == WindowState::kNormal) {
      ResizeByWheel(direction);
      return true;
    }
  }
  cwin_.MovieWheel(direction, keyState);
  return true;
}

// Resizes the normal output window by one notch keeping its aspect; a growing window
// is pushed back onto the screen where it would leave it.
void MovieWindowHook::ResizeByWheel(int direction) {
  StepRecord ignored;
  ignored.Run([&] {
    const int tx = cwin_.Screen.TwipsX, ty = cwin_.Screen.TwipsY;
    const ScreenRect r = cwin_.PutOut().WindowRect();
    const int width = (r.right - r.left) * tx, height = (r.bottom - r.top) * ty;
    int left = r.left * tx, top = r.top * ty;
    const int newWidth = width - direction * kWheelResizeTwips;
    const int newHeight = width > 0 ? static_cast<int>(std::lround(static_cast<double>(height) * newWidth / width)) : height;
    if (direction < 0) {
      Desktop& desktop = cwin_.System().desktop;
      const int screenWidth = desktop.ScreenWidthPixels() * tx, screenHeight = desktop.ScreenHeightPixels() * ty;
      if (left + newWidth > screenWidth) left = newWidth - width < left ? screenWidth - newWidth : 0;
      if (top + newHeight > screenHeight) top = newHeight - height < top ? screenHeight - newHeight : 0;
    }
    cwin_.PutOut().MoveTwips(left, top, newWidth, newHeight);
  });
}

}  // namespace tavelin
