#pragma once
// The main window's logic: its fields, its construction, its layout handlers and the
// operations other parts of the program share (Play, ShowMessage). The real window
// and the output window are reached through the host interfaces.

#include <array>
#include <cstdint>
#include <string>

#include "library/file_list.h"
#include "library/file_list_handlers.h"
#include "library/library_tree.h"
#include "library/tree_handlers.h"
#include "platform/code_page.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/failure.h"
#include "platform/file_system.h"
#include "playback/player_menus.h"
#include "playback/toolbar_model.h"
#include "shell/window_hosts.h"

namespace tavelin {

struct Ports {
  FileSystem& files;
  Dialogs& dialogs;
  Desktop& desktop;
  CodePage& codePage;
};

// Designed geometry of the library controls, in pixels.
namespace layout {
inline constexpr int kControlsTop = 26;
inline constexpr int kMinSplitter = 80;
inline constexpr int kSnapWidth = 470, kMinClientWidth = 461;
inline constexpr int kSnapHeight = 200, kMinClientHeight = 191;
inline constexpr ControlBox kTree{0, 26, 224, 157};
inline constexpr ControlBox kSplitter{226, 26, 4, 157};
inline constexpr ControlBox kList{232, 26, 382, 157};
}  // namespace layout

class CWin {
 public:
  static constexpr int kLabelCount = 7;

  CWin(Ports ports, MainWindowHost& window, OutputWindowHost& putOut);

  // Construction: every step of the window's load, in order, with one report of the
  // last failure at its end. `commandLine` is the program's argument text.
  void Load(const std::string& commandLine);
  // Shows the window; showing it resizes it once more, as every first show does.
  void Show();
  // The unload handler: unloads the movie and the output window.
  void Unload();

  void Form_Resize();
  // Splitter mouse events; x and y in twips as the splitter reports them.
  void DevV_MouseMove(int button, int shift, double x, double y);
  void DevV_MouseUp(int button, int shift, double x, double y);
  // A mouse-down on the window's client area, or (any button) on label L(index).
  void Form_MouseDown(int button);
  void L_MouseDown(int index, int button);

  // Loads and starts a movie file; reports everything itself.
  void Play(const std::string& file);
  // One modal message box over the movie; returns the button code.
  int ShowMessage(const std::string& text, int style, const std::string& caption = {});
  // The main window's keyboard shortcuts; the tree and the list pass on the keys they
  // do not handle themselves.
  void Form_KeyDown(int keyCode, int shift);
  // The toolbar's button handler; its commands arrive with the toolbar.
  void TC_ButtonClick(int button);

  // The bottom strip and the thumb (positions x, y in twips inside the thumb).
  void DrawStatusStrip();
  void AdjustVolume(short steps);
  void Slider_MouseDown(int button, int shift, double x, double y);
  void Slider_MouseMove(int button, int shift, double x, double y);
  void Slider_MouseUp(int button, int shift, double x, double y);
  int ThumbLeft() const { return thumbLeft_; }
  // The 200 ms status tick.
  void Timer1_Timer();
  // The output window was resized: the status line is a full-screen feature.
  void PutOut_Resize(WindowState state);
  void SetToolbarButtonEnabled(int index, bool enabled);

  // Fields shared with the rest of the program.
  int TwipsX = 15, TwipsY = 15;
  std::string AppFolder;
  std::string CurrentFolder;
  MovieControl* Player = nullptr;
  WindowId NavWindow = 0;
  short CategoryCount = 0;
  bool StopRequested = false;
  std::int32_t StepFrames = 60;
  short QualityIndex = 0;
  short ScaleIndex = 0;
  bool AutoPlay = false, ListLoop = false, MovieLoop = false;
  std::int32_t LastWidth = 0;
  // Playback fields.
  std::int32_t FlashWidth = 0, FlashHeigh = 0;
  short FrameRate = 0;
  std::int32_t FrameTotal = 0, FrameNow = 0;
  bool TrackProgress = false;
  bool ShowStatus = false;
  short OnTop = 0;
  std::int32_t DragStartX = 0;
  std::string HelpFile;

  LibraryTree& Tree() { return tree_; }
  FileList& List() { return list_; }
  TreeHandlers& TreeEvents() { return treeHandlers_; }
  FileListHandlers& ListEvents() { return listHandlers_; }
  MainWindowHost& Window() { return window_; }
  OutputWindowHost& PutOut() { return putOut_; }
  PlayerMenus& Menus() { return menus_; }
  ToolbarModel& Toolbar() { return toolbar_; }
  const std::string& Caption() const { return caption_; }
  const std::string& Label(int index) const { return labels_[static_cast<std::size_t>(index)]; }
  ControlBox TreeBox() const { return treeBox_; }
  ControlBox SplitterBox() const { return splitterBox_; }
  ControlBox ListBox() const { return listBox_; }
  Ports& System() { return ports_; }

 private:
  void HandleCommandLine(const std::string& commandLine);
  void ListDrives();
  int ReadFontSize();
  void SetCaption(const std::string& caption);
  void SetLabel(int index, const std::string& text);
  void PlaceControls();

  Ports ports_;
  MainWindowHost& window_;
  OutputWindowHost& putOut_;
  LibraryTree tree_;
  FileList list_;
  TreeHandlers treeHandlers_{*this};
  FileListHandlers listHandlers_{*this};
  PlayerMenus menus_;
  ToolbarModel toolbar_;
  StepRecord failures_;
  std::string storeReadFailure_;  // why the store that exists could not be read
  std::string caption_;
  std::array<std::string, kLabelCount> labels_;
  int thumbLeft_ = 1;
  ControlBox treeBox_ = layout::kTree, splitterBox_ = layout::kSplitter, listBox_ = layout::kList;
};

// Rounds halves to the even neighbour, as the window's own arithmetic does.
long RoundHalfEven(double value);

}  // namespace tavelin
