#pragma once
// What the main window's logic asks of the real main window: what playback and the
// library ask of it, and the frame, construction and layout steps of its own. The
// Windows side implements it; tests use a fake.

#include <string>
#include <vector>

#include "library/library_window.h"
#include "playback/output_window_host.h"
#include "playback/player_menus.h"
#include "playback/playback_window.h"

namespace tavelin {

// Where the main window's three library controls stand, in client pixels.
struct ControlBox {
  int left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const ControlBox&, const ControlBox&) = default;
};

class MainWindowHost : public PlaybackWindow, public LibraryWindow {
 public:
  virtual void Show() = 0;
  virtual WindowState State() = 0;
  // Outer size of the window, set in twips (the other dimension stays).
  virtual void SetOuterWidthTwips(int twips) = 0;
  virtual void SetOuterHeightTwips(int twips) = 0;
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
  virtual void SetToolbarButtonEnabled(int index, bool enabled) = 0;

  // The window itself, to post keys to.
  virtual WindowId Id() = 0;
  // Pop-up menus; each returns the id of the entry chosen, 0 for none. Below a toolbar
  // button (its drop-down arrow), or at the pointer.
  virtual int PopUpMenuBelowButton(int button, const std::vector<MenuEntry>& entries) = 0;
  virtual int PopUpMenuAtPointer(const std::vector<MenuEntry>& entries) = 0;
  // The About window: shown, not modal; one window however often it is asked for.
  virtual void ShowAboutWindow() = 0;
  // Closes the main window as its close box does (its unload runs).
  virtual void Close() = 0;
  // The progress label L(6) of batch work in place of the bar, and its width (of 224).
  virtual void ShowProgressLabel(bool shown) = 0;
  virtual void SetProgressLabelWidth(int width) = 0;
  // The tree takes no input while the validity check runs.
  virtual void EnableTree(bool enabled) = 0;
};

}  // namespace tavelin
