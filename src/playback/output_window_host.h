#pragma once
// The output window, which holds the movie control: what playback and the main
// window's logic ask of it. The Windows side implements it; tests use a fake.

#include "platform/desktop.h"
#include "platform/movie_control.h"
#include "platform/window_types.h"

namespace tavelin {

class OutputWindowHost {
 public:
  virtual ~OutputWindowHost() = default;

  // Creates and shows the window with its movie control.
  virtual void Load() = 0;
  virtual void Unload() = 0;
  virtual MovieControl& Control() = 0;
  // The movie control's own window, which message boxes are modal to.
  virtual WindowId MovieWindow() = 0;

  virtual WindowState State() = 0;
  virtual void SetState(WindowState state) = 0;
  // Moves and sizes the outer window; units are twips.
  virtual void MoveTwips(int left, int top, int width, int height) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual ScreenRect WindowRect() = 0;
  virtual void Focus() = 0;
  // Puts the window into the topmost band, or takes it out of it.
  virtual void SetTopmost(bool topmost) = 0;
  // Loads the standard arrow and I-beam cursors that the movie window compares against.
  virtual void LoadStandardCursors() = 0;
};

}  // namespace tavelin
