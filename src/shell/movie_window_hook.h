#pragma once
// The movie window's own behaviour, in front of the movie: keys forwarded to the main
// window's shortcuts, the window dragged by its content, the rubber band of the area
// zoom, full screen on a double-click, the player menu on a right click, and the wheel
// stepping through frames or resizing the window. The Windows side turns messages into
// these calls and implements `MovieSurface`; the movie itself sees the same input
// afterwards unless a call says otherwise.

#include <cstdint>

namespace tavelin {

class CWin;

// The cursor the movie shows under the pointer, as the rules below tell them apart.
enum class PointerShape { kNone, kArrow, kIBeam, kOther };

// A rectangle in the movie window's client pixels.
struct BandRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const BandRect&) const = default;
};

// What the hook asks of the movie's window.
class MovieSurface {
 public:
  virtual ~MovieSurface() = default;
  virtual PointerShape Cursor() = 0;
  virtual void ShowArrowCursor() = 0;
  // The band is drawn as a focus rectangle: drawing the same rectangle twice erases it.
  virtual void BeginBand() = 0;
  virtual void DrawBand(const BandRect& band) = 0;
  virtual void EndBand() = 0;
  // Starts moving the output window with the mouse, as a drag on its caption would.
  virtual void DragOutputWindow() = 0;
  // The output window's client area, in pixels.
  virtual void OutputClientSize(int& width, int& height) = 0;
  // Posts the key-down (virtual key and its message data) to the main window.
  virtual void ForwardKeyDown(int virtualKey, std::intptr_t keyData) = 0;
  virtual void FocusMainWindow() = 0;
  virtual void FocusOutputWindow() = 0;
};

class MovieWindowHook {
 public:
  MovieWindowHook(CWin& cwin, MovieSurface& surface) : cwin_(cwin), surface_(surface) {}

  void KeyDown(int virtualKey, std::intptr_t keyData);
  // `buttons` is the mouse message's key bits (1 exactly: the left button alone).
  void MouseMove(int buttons, int x, int y);
  void LeftButtonDown(int x, int y);
  void LeftButtonUp();
  // A double-click or the middle button.
  void ToggleFullScreen();
  // Returns false when the movie's own menu is to show instead (over a text field).
  bool RightButtonDown();
  // `delta` as the wheel message gives it, `keyState` its key bits, the pointer in
  // screen pixels. Returns false when the message is to go no further.
  bool Wheel(int delta, int keyState, int screenX, int screenY);

  const BandRect& Band() const { return band_; }

 private:
  void ResizeByWheel(int direction);

  CWin& cwin_;
  MovieSurface& surface_;
  // The area zoom: on while "区域放大" was checked at the last press.
  bool zoomBandActive_ = false;
  int startX_ = 0, startY_ = 0;
  BandRect band_;
  // Which window the next click on the full-screen movie gives the focus to.
  bool focusToggle_ = false;
};

}  // namespace tavelin
