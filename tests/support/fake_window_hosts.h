#pragma once
// Stand-ins for the main window and the output window that keep the geometry the
// logic sets and record, in order, every step asked of them.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "library/file_list_handlers.h"
#include "playback/status_strip.h"
#include "platform/failure.h"
#include "shell/window_hosts.h"
#include "support/fake_movie_control.h"

namespace tavelin::testing {

class FakeOutputWindow : public OutputWindowHost {
 public:
  FakeMovieControl control;
  WindowState state = WindowState::kNormal;
  bool loaded = false, visible = false, focused = false, cursorsLoaded = false;
  int moves = 0;
  int left = 0, top = 0, width = 0, height = 0;  // twips
  int twipsPerPixel = 15;
  std::vector<std::string>* journal = nullptr;

  void Load() override {
    Note("PutOut.Load");
    loaded = visible = true;
  }
  void Unload() override {
    Note("PutOut.Unload");
    loaded = visible = false;
  }
  MovieControl& Control() override { return control; }
  WindowId MovieWindow() override { return 0x2222; }
  WindowState State() override { return state; }
  void SetState(WindowState s) override { state = s; }
  void MoveTwips(int l, int t, int w, int h) override {
    ++moves;
    left = l, top = t, width = w, height = h;
  }
  void SetVisible(bool v) override { visible = v; }
  ScreenRect WindowRect() override {
    return {left / twipsPerPixel, top / twipsPerPixel, (left + width) / twipsPerPixel, (top + height) / twipsPerPixel};
  }
  void Focus() override { focused = true; }
  void LoadStandardCursors() override { cursorsLoaded = true; }
  void SetTopmost(bool t) override { topmost = t; }
  bool topmost = false;

 private:
  void Note(const std::string& what) {
    if (journal) journal->push_back(what);
  }
};

class FakeMainWindow : public MainWindowHost {
 public:
  WindowState state = WindowState::kNormal;
  int clientWidth = 621, clientHeight = 502;  // pixels
  int frameWidth = 8, frameHeight = 34;       // outer minus client, pixels
  int twipsPerPixel = 15;
  ScreenRect rect{200, 100, 829, 636};
  std::string caption;
  std::vector<std::string> searchMenu;
  std::map<int, std::string> labels;
  ControlBox tree = {}, splitter = {}, list = {};
  int placements = 0, columnFits = 0, drags = 0, fontPoints = 0;
  bool timerEnabled = false, shown = false;
  std::vector<std::string> journal;
  // Steps named here throw this description.
  std::map<std::string, std::string> failures;

  void Show() override { shown = true; }
  WindowId ListWindow() override { return 0x1111; }
  WindowId TreeWindow() override { return 0x3333; }
  WindowState State() override { return state; }
  int ClientWidth() override { return clientWidth; }
  int ClientHeight() override { return clientHeight; }
  void SetOuterWidthTwips(int twips) override { clientWidth = twips / twipsPerPixel - frameWidth; }
  void SetOuterHeightTwips(int twips) override { clientHeight = twips / twipsPerPixel - frameHeight; }
  ScreenRect WindowRect() override { return rect; }
  void SetCaption(const std::string& c) override {
    Step("SetCaption");
    caption = c;
  }
  void CreateLabels() override { Step("CreateLabels"); }
  void CompleteImageLists() override { Step("CompleteImageLists"); }
  void AddSearchMenuItem(const std::string& c) override { searchMenu.push_back(c); }
  void DrawSliderThumb() override { Step("DrawSliderThumb"); }
  void RequestListExtendedStyles() override { Step("RequestListExtendedStyles"); }
  void FitToolbarToButtons() override { Step("FitToolbarToButtons"); }
  void MoveStatusStripIntoOutputWindow() override { Step("MoveStatusStripIntoOutputWindow"); }
  void SetLibraryFontSize(int points) override {
    Step("SetLibraryFontSize");
    fontPoints = points;
  }
  void PlaceControls(const ControlBox& t, const ControlBox& s, const ControlBox& l) override {
    ++placements;
    tree = t, splitter = s, list = l;
  }
  void RequestListColumnsFit() override { ++columnFits; }
  void BeginWindowDrag() override { ++drags; }
  void SetLabelText(int index, const std::string& text) override { labels[index] = text; }
  void DrawStatusStrip(const StripLayout& layout) override {
    ++stripDrawings;
    strip = layout;
  }
  void SetThumbLeft(int x) override {
    thumbLeft = x;
    ++thumbMoves;
  }
  int TextWidth(const std::string& text) override { return static_cast<int>(text.size()) * 6; }
  void SetStatusLine(const std::string& text, int width) override {
    statusLine = text;
    statusWidth = width;
  }
  void ShowStatusLine(bool shown) override { statusLineShown = shown; }
  bool statusLineShown = false;
  int stripDrawings = 0, thumbLeft = 0, thumbMoves = 0, statusWidth = 0;
  StripLayout strip;
  std::string statusLine;
  int PopUpTreeMenu() override {
    ++treeMenus;
    return treeMenuChoice;
  }
  int treeMenuChoice = 0;
  // Answers with the entry named `fileListMenuChoice`, if any.
  int PopUpFileListMenu(const std::vector<FileListMenuItem>& items) override {
    fileListMenus.push_back(items);
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (items[i].name == fileListMenuChoice && items[i].enabled) return static_cast<int>(i);
    }
    return -1;
  }
  std::string fileListMenuChoice;
  void SetToolbarButtonEnabled(int index, bool enabled) override { toolbarEnabled[index] = enabled; }
  int treeMenus = 0;
  std::vector<std::vector<FileListMenuItem>> fileListMenus;
  std::map<int, bool> toolbarEnabled;
  void EnableStatusTimer() override { timerEnabled = true; }
  void SetTopmost(bool t) override { topmost = t; }
  void SetToolbarButtonPressed(int index, bool pressed) override { toolbarPressed[index] = pressed; }
  WindowId Id() override { return 0x4444; }
  // Menus answer from `menuAnswers` (0 when empty) and are recorded.
  int PopUpMenuBelowButton(int button, const std::vector<MenuEntry>& entries) override {
    buttonMenus.push_back({button, entries});
    return NextMenuAnswer();
  }
  int PopUpMenuAtPointer(const std::vector<MenuEntry>& entries) override {
    pointerMenus.push_back(entries);
    return NextMenuAnswer();
  }
  void ShowAboutWindow() override { ++aboutShown; }
  void ShowProgressLabel(bool shown) override { progressShown = shown; }
  void EnableTree(bool enabled) override { treeEnabled = enabled; }
  bool treeEnabled = true;
  void SetProgressLabelWidth(int width) override { progressWidth = width; }
  bool progressShown = false;
  int progressWidth = -1;
  void Close() override { ++closes; }

  bool topmost = false;
  std::map<int, bool> toolbarPressed;
  std::vector<std::pair<int, std::vector<MenuEntry>>> buttonMenus;
  std::vector<std::vector<MenuEntry>> pointerMenus;
  std::vector<int> menuAnswers;
  int aboutShown = 0, closes = 0;

  int NextMenuAnswer() {
    if (menuAnswers.empty()) return 0;
    const int answer = menuAnswers.front();
    menuAnswers.erase(menuAnswers.begin());
    return answer;
  }

 private:
  void Step(const std::string& name) {
    journal.push_back(name);
    const auto it = failures.find(name);
    if (it != failures.end()) throw Failure(it->second);
  }
};

}  // namespace tavelin::testing
