#pragma once
// The main window's logic: its construction, its layout (splitter, window drag), its
// messages and its shutdown. The subsystems own their state: playback the playing
// movie and the bottom strip, the library the tree, the list and the store; the
// player options are one shared struct. CWin creates them, answers what they ask of
// the rest of the program, and reaches the real windows through the host interfaces.

#include <string>
#include <vector>

#include "integration/file_association.h"
#include "library/library.h"
#include "options/player_options.h"
#include "platform/failure.h"
#include "platform/ports.h"
#include "platform/window_types.h"
#include "playback/playback.h"
#include "playback/toolbar_model.h"
#include "projector/projector_tools.h"
#include "search/drive_search.h"
#include "shell/window_hosts.h"

namespace tavelin {

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

class CWin : private PlaybackHost,
             private LibraryHost,
             private ProjectorHost,
             private BatchProgress,
             private SearchHost {
 public:
  CWin(Ports ports, MainWindowHost& window, OutputWindowHost& putOut);
  CWin(const CWin&) = delete;
  CWin& operator=(const CWin&) = delete;

  // Construction: every step of the window's load, in order, with one report of the
  // last failure at its end. `commandLine` is the program's argument text.
  void Load(const std::string& commandLine);
  // Shows the window; showing it resizes it once more, as every first show does.
  void Show();
  // The unload handler: unloads the movie, writes the store, unloads the output window.
  void Unload();

  void Form_Resize();
  // Splitter mouse events; x and y in twips as the splitter reports them.
  void DevV_MouseMove(int button, int shift, double x, double y);
  void DevV_MouseUp(int button, int shift, double x, double y);
  // A mouse-down on the window's client area, or (any button) on label L(index).
  void Form_MouseDown(int button);
  void L_MouseDown(int index, int button);

  // One modal message box over the movie; returns the button code (0 when the system
  // could not show one).
  int ShowMessage(const std::string& text, int style, const std::string& caption = {}) override;
  // The main window's keyboard shortcuts; the tree and the list pass on the keys they
  // do not handle themselves.
  void Form_KeyDown(int keyCode, int shift);
  // A key the tree or the list did not handle. While key preview is on the shortcut
  // already acted when the key was pressed, so a key acts once either way.
  void PassOnKey(int keyCode, int shift) override;
  // The toolbar: a button's click, its drop-down arrow (which opens its menu and runs
  // the entry chosen), and the entries of the play button's menu (1 network, 2 play a
  // projector, 3 unpack a projector).
  void TC_ButtonClick(int button);
  void TC_ButtonDropDown(int button);
  void TC_ButtonMenuClick(int index);
  void SetToolbarButtonEnabled(int index, bool enabled) override;
  // The player pop-up menu at the pointer (a right click on the movie), and its commands.
  void ShowPlayerMenu();
  void PlayerMenuCommand(int id);
  // Opens the help file at its start page (F1, the help button, "帮助").
  void OpenHelp();
  // The search menu: 1 every drive it offers, 2 onward one drive each.
  void mFindItem_Click(int index);

  // Gestures on the movie: a double-click (or the middle button) toggles full screen;
  // the wheel steps through frames (`notches` > 0 turned away from the user goes back;
  // `keyState` the wheel message's key bits); files dropped from the shell are filed
  // under "搜索结果" and the first movie among them plays.
  void ToggleFullScreen();
  void MovieWheel(int notches, int keyState);
  void HandleDroppedFiles(const std::vector<std::string>& paths);
  // The command line of a later start from this program's folder, handed over to this
  // copy: its existing movies are filed under "搜索结果" and the first of them plays.
  void OpenHandedOverMovies(const std::string& commandLine);

  tavelin::Playback& Playback() { return playback_; }
  tavelin::Library& Library() { return library_; }
  ProjectorTools& Projector() { return projector_; }
  DriveSearch& Search() { return search_; }
  ToolbarModel& Toolbar() { return toolbar_; }
  MainWindowHost& Window() { return window_; }
  OutputWindowHost& PutOut() { return putOut_; }
  Ports& System() { return ports_; }
  const std::string& Caption() const { return caption_; }
  ControlBox TreeBox() const { return treeBox_; }
  ControlBox SplitterBox() const { return splitterBox_; }
  ControlBox ListBox() const { return listBox_; }

  // Fields of the main window.
  ScreenScale Screen;
  std::string AppFolder;  // with a trailing "\"
  std::string HelpFile;
  WindowId NavWindow = 0;  // the tree or the list, whichever last had the focus
  bool StopRequested = false;
  std::int32_t LastWidth = 0;
  bool KeyPreview = true;  // the main window sees keys first; toolbar button 10 turns it off
  PlayerOptions Options;
  // False in a copy that runs beside the one keeping the library: it leaves the store alone.
  bool WritesStore = true;

 private:
  // What playback and the library ask of the rest of the program.
  void NameMovieInCaption(const std::string& fileName) override;
  void PlayNextFile() override;
  void Play(const std::string& file) override;
  void MaximizeOutputWindow() override;
  void SetNavWindow(WindowId window) override;
  std::string ProgramFolder() override;
  void PackMovie(const std::string& movie) override;
  void ConvertProjectors(bool selectedOnly) override;
  // How a batch conversion shows itself: the progress label in place of the bar.
  void Begin() override;
  void Advance(const std::string& caption, int width) override;
  bool YieldAndCheckStop() override;
  void End() override;
  // What the drive search and the validity check ask.
  LibraryTree& Tree() override { return library_.Tree(); }
  void SetFindButtonPressed(bool pressed) override;
  void SetStopRequested(bool stop) override { StopRequested = stop; }
  void BeginCheck() override;
  void SetCheckProgressWidth(int width) override;
  void EndCheck() override;
  void CheckValidity() override;
  void AssociateMovies() override { association_.mFL_RegPlayer(); }

  void AddSearchMenuItem(const std::string& caption);
  void HandleCommandLine(const std::string& commandLine);
  void ListDrives();
  int ReadFontSize();
  void SetCaption(const std::string& caption);
  void PlaceControls();

  Ports ports_;
  MainWindowHost& window_;
  OutputWindowHost& putOut_;
  tavelin::Playback playback_;
  tavelin::Library library_;
  ProjectorTools projector_;
  DriveSearch search_;
  FileAssociation association_;
  std::vector<std::string> searchMenu_;  // the drives the search menu offers
  ToolbarModel toolbar_;
  StepRecord failures_;
  std::string caption_;
  ControlBox treeBox_ = layout::kTree, splitterBox_ = layout::kSplitter, listBox_ = layout::kList;
};

}  // namespace tavelin
