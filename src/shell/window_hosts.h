#pragma once
// What the portable main-window logic asks of the real windows. The Windows side
// implements these with the main window and the output window; tests use fakes.

#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/movie_control.h"

namespace tavelin {

struct FileListMenuItem;
struct StripLayout;

enum class WindowState { kNormal = 0, kMinimized = 1, kMaximized = 2 };

// A rectangle in screen pixels.
struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool Intersects(const ScreenRect& other) const {
    return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
  }
};

// Where the main window's three library controls stand, in client pixels.
struct ControlBox {
  int left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const ControlBox&, const ControlBox&) = default;
};

// The output window, which holds the movie control.
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
  // Loads the standard arrow and I-beam cursors that the movie window compares against.
  virtual void LoadStandardCursors() = 0;
};

// The main window's controls and frame, step by step as its construction needs them.
class MainWindowHost {
 public:
  virtual ~MainWindowHost() = default;

  virtual void Show() = 0;
  virtual WindowId ListWindow() = 0;
  virtual WindowId TreeWindow() = 0;
  virtual WindowState State() = 0;
  virtual int ClientWidth() = 0;   // pixels
  virtual int ClientHeight() = 0;  // pixels
  // Outer size of the window, set in twips (the other dimension stays).
  virtual void SetOuterWidthTwips(int twips) = 0;
  virtual void SetOuterHeightTwips(int twips) = 0;
  virtual ScreenRect WindowRect() = 0;
  virtual void SetCaption(const std::string& caption) = 0;

  // Construction steps that only concern the controls.
  virtual void CreateLabels() = 0;                   // L(6), then L(1)..L(5)
  virtual void CompleteImageLists() = 0;             // program icon into the library images, a folder into the toolbar's
  virtual void AddSearchMenuItem(const std::string& caption) = 0;
  virtual void DrawSliderThumb() = 0;                // the bar's thumb picture, given to the slider
  virtual void RequestListExtendedStyles() = 0;      // full-row select, draggable headers, grid lines
  virtual void FitToolbarToButtons() = 0;
  virtual void MoveStatusStripIntoOutputWindow() = 0;
  virtual void SetLibraryFontSize(int points) = 0;   // the list first, then the tree

  // Layout of the tree, the splitter and the list.
  virtual void PlaceControls(const ControlBox& tree, const ControlBox& splitter, const ControlBox& list) = 0;
  virtual void RequestListColumnsFit() = 0;
  // Lets the user drag the window as if by its title bar.
  virtual void BeginWindowDrag() = 0;

  virtual void SetLabelText(int index, const std::string& text) = 0;
  // The bottom strip: drawn into the window's own picture, with the labels and the
  // thumb placed; then the thumb's left edge as the bar moves it.
  virtual void DrawStatusStrip(const StripLayout& layout) = 0;
  virtual void SetThumbLeft(int x) = 0;
  // Width in pixels of a text in the main window's font.
  virtual int TextWidth(const std::string& text) = 0;
  // The full-screen status line: its text and its width in pixels.
  virtual void SetStatusLine(const std::string& text, int width) = 0;
  // Pop-up menus at the pointer: the tree's, and the list's with its entries' states.
  virtual void PopUpTreeMenu() = 0;
  virtual void PopUpFileListMenu(const std::vector<FileListMenuItem>& items) = 0;
  virtual void SetToolbarButtonEnabled(int index, bool enabled) = 0;
  virtual void EnableStatusTimer() = 0;
};

}  // namespace tavelin
