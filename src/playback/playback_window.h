#pragma once
// What playback asks of the main window: the bottom strip with its labels and thumb,
// the full-screen status line, the status timer and the window's place.

#include <string>

#include "platform/window_types.h"
#include "playback/status_strip.h"

namespace tavelin {

class PlaybackWindow {
 public:
  virtual ~PlaybackWindow() = default;

  virtual ScreenRect WindowRect() = 0;
  virtual int ClientWidth() = 0;   // pixels
  virtual int ClientHeight() = 0;  // pixels

  virtual void SetLabelText(int index, const std::string& text) = 0;
  // The bottom strip: drawn into the window's own picture, with the labels and the
  // thumb placed; then the thumb's left edge as the bar moves it.
  virtual void DrawStatusStrip(const StripLayout& layout) = 0;
  virtual void SetThumbLeft(int x) = 0;
  // Width in pixels of a text in the main window's font.
  virtual int TextWidth(const std::string& text) = 0;
  // The full-screen status line: its text and its width in pixels.
  virtual void SetStatusLine(const std::string& text, int width) = 0;
  // Shows or hides the status line at the bottom of the output window.
  virtual void ShowStatusLine(bool shown) = 0;
  virtual void EnableStatusTimer() = 0;
  // Puts the main window into the topmost band, or takes it out of it.
  virtual void SetTopmost(bool topmost) = 0;
  // The pressed state of a toolbar check button.
  virtual void SetToolbarButtonPressed(int index, bool pressed) = 0;
};

// What playback asks of the rest of the program.
class PlaybackHost {
 public:
  virtual ~PlaybackHost() = default;

  // A modal message box; returns the button code (0 when none could be shown).
  virtual int ShowMessage(const std::string& text, int style, const std::string& caption = {}) = 0;
  // The main window's caption names the playing movie's file.
  virtual void NameMovieInCaption(const std::string& fileName) = 0;
  // List loop: the tree or list that last had the focus plays its next file.
  virtual void PlayNextFile() = 0;
};

}  // namespace tavelin
