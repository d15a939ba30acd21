#include "shell/cwin.h"

#include <cmath>
#include <cstdlib>

#include "platform/rounding.h"
#include "platform/text.h"
#include "shell/app_info.h"
#include "shell/command_line.h"

namespace tavelin {

CWin::CWin(Ports ports, MainWindowHost& window, OutputWindowHost& putOut)
    : ports_(ports),
      window_(window),
      putOut_(putOut),
      playback_(ports, window, putOut, *this, Options, Screen),
      library_(ports, window, *this),
      projector_(ports, *this),
      search_(ports, *this),
      association_(ports) {}

void CWin::Load(const std::string& commandLine) {
  auto step = [this](auto&& action) { failures_.Run(action); };
  step([&] {
    Screen.TwipsX = static_cast<int>(RoundHalfEven(ports_.desktop.TwipsPerPixelX()));
    Screen.TwipsY = static_cast<int>(RoundHalfEven(ports_.desktop.TwipsPerPixelY()));
  });
  step([&] { Options.StepFrames = 60; });
  step([&] { AppFolder = WithTrailingBackslash(ports_.files.ProgramFolder()); });
  step([&] { HelpFile = AppFolder + "Tavelin.chm::/11.htm"; });
  step([&] { putOut_.Load(); });
  step([&] { playback_.Player = &putOut_.Control(); });
  step([&] { playback_.Menus().Build(); });
  step([&] { window_.CreateLabels(); });
  step([&] {
    library_.Tree().Add(0, "", "我的电脑", tree_image::kMyComputer);
    library_.Tree().Add(0, "", "搜索结果", tree_image::kClosedFolder, tree_tag::kCategory);
  });
  step([&] { window_.CompleteImageLists(); });
  step([&] { NavWindow = window_.ListWindow(); });
  if (library_.ReadStore(Options, failures_)) playback_.ApplyOptions(failures_);
  HandleCommandLine(commandLine);
  ListDrives();
  step([&] { window_.DrawSliderThumb(); });
  step([&] {
    const std::string folder = library_.CurrentFolder;
    if (folder.empty() || !ports_.files.FolderExists(folder)) return;
    failures_.Clear();  // revealing handles its own failures
    library_.TreeEvents().RevealPath(folder);
  });
  step([&] { window_.RequestListExtendedStyles(); });
  step([&] { association_.RemoveScripts(); });
  step([&] { playback_.AdjustVolume(0); });
  step([&] { window_.FitToolbarToButtons(); });
  step([&] { window_.MoveStatusStripIntoOutputWindow(); });
  // A movie played from the command line has already named itself in the caption;
  // the plain title must not hide which movie is playing.
  step([&] {
    if (caption_.empty()) SetCaption(std::string(kAppTitle));
  });
  step([&] { window_.SetLibraryFontSize(ReadFontSize()); });
  step([&] { playback_.DrawStatusStrip(); });
  if (failures_.HasFailure()) ShowMessage(failures_.LastFailure(), 0);
  Form_Resize();
}

void CWin::Show() {
  window_.Show();
  Form_Resize();
}

void CWin::HandleCommandLine(const std::string& commandLine) {
  for (const std::string& path : CommandLineMoviePaths(commandLine)) {
    failures_.Run([&] {
      if (!ports_.files.FileExists(path)) return;
      failures_.Clear();  // filing handles its own failures
      AddItem(library_.Tree(), path, "", kSearchResultsIndex);
      MovieControl* player = playback_.Player;
      if (player && player->Movie().empty()) playback_.Play(path);
    });
  }
}

void CWin::ListDrives() {
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    failures_.Run([&] {
      const std::string name = std::string(1, letter) + ":";
      switch (ports_.files.GetDriveType(name + "\\")) {
        case DriveType::kRemovable:
          library_.Tree().Add(kMyComputerIndex, "", name, tree_image::kRemovableDrive, tree_tag::kUnreadDrive);
          break;
        case DriveType::kFixed:
          library_.Tree().Add(kMyComputerIndex, "", name, tree_image::kFixedDrive);
          AddSearchMenuItem(name + "\\");
          break;
        case DriveType::kCdRom:
          library_.Tree().Add(kMyComputerIndex, "", name, tree_image::kCdRomDrive, tree_tag::kUnreadDrive);
          AddSearchMenuItem(name + "\\");
          break;
        default:
          break;
      }
    });
  }
}

int CWin::ReadFontSize() {
  constexpr int kDefaultPoints = 9;
  const std::string text = ports_.desktop.ReadUserSetting("Tavelin", "Setting", "FontSize");
  const char* begin = text.c_str();
  char* end = nullptr;
  const long points = std::strtol(begin, &end, 10);
  while (end && *end == ' ') ++end;
  if (end == begin || (end && *end != '\0') || points <= 0 || points > 200) return kDefaultPoints;
  return static_cast<int>(points);
}

void CWin::Unload() {
  failures_.Run([&] {
    if (playback_.Player) playback_.Player->SetMovie("");
  });
  if (WritesStore) library_.WriteStore(Options);
  failures_.Run([&] { putOut_.Unload(); });
  playback_.Player = nullptr;
}

void CWin::Form_Resize() {
  StepRecord ignored;
  if (window_.State() == WindowState::kMinimized) {
    ignored.Run([&] {
      bool playing = false;
      ignored.Run([&] {
        MovieControl* player = playback_.Player;
        playing = player && !player->Movie().empty() && player->IsPlaying();
      });
      putOut_.SetVisible(playing);
    });
    return;
  }
  ignored.Run([&] { putOut_.SetVisible(true); });
  ignored.Run([&] {
    if (window_.ClientWidth() < layout::kMinClientWidth) window_.SetOuterWidthTwips(Screen.TwipsX * layout::kSnapWidth);
  });
  ignored.Run([&] {
    if (window_.ClientHeight() < layout::kMinClientHeight) window_.SetOuterHeightTwips(Screen.TwipsY * layout::kSnapHeight);
  });
  if (LastWidth != 0) {
    ignored.Run([&] {
      const long scaled = RoundHalfEven(static_cast<double>(treeBox_.width) * window_.ClientWidth());
      splitterBox_.left = static_cast<int>(scaled / LastWidth) + 2;
    });
    ignored.Run([&] { DevV_MouseMove(1, 0, 1.0, 0); });
    ignored.Run([&] {
      const int height = window_.ClientHeight() - 42;
      splitterBox_.height = treeBox_.height = listBox_.height = height;
      PlaceControls();
    });
  }
  ignored.Run([&] { LastWidth = window_.ClientWidth(); });
  ignored.Run([&] { playback_.DrawStatusStrip(); });
}

void CWin::DevV_MouseMove(int button, int, double x, double) {
  if (button != 1 || RoundHalfEven(x) == 0) return;
  const int clientWidth = window_.ClientWidth();
  int newLeft = static_cast<int>(splitterBox_.left + RoundHalfEven(x) / Screen.TwipsX);
  if (newLeft < layout::kMinSplitter) newLeft = layout::kMinSplitter;
  if (clientWidth - layout::kMinSplitter < newLeft) newLeft = clientWidth - layout::kMinSplitter;
  if (treeBox_.width + 2 == newLeft) return;
  splitterBox_.left = newLeft;
  treeBox_ = {0, layout::kControlsTop, newLeft - 2, treeBox_.height};
  listBox_ = {newLeft + 6, layout::kControlsTop, clientWidth - newLeft - 6, listBox_.height};
  PlaceControls();
}

void CWin::DevV_MouseUp(int, int, double, double) { window_.RequestListColumnsFit(); }

void CWin::Form_MouseDown(int button) {
  if (button == 1 && window_.State() == WindowState::kNormal) window_.BeginWindowDrag();
}

void CWin::L_MouseDown(int, int) { Form_MouseDown(1); }

// A message box the system cannot show answers 0, no button; a failure must never
// leave a window procedure.
int CWin::ShowMessage(const std::string& text, int style, const std::string& caption) {
  try {
    return ports_.dialogs.Message(text, style, caption);
  } catch (...) {
    return 0;
  }
}

void CWin::SetToolbarButtonEnabled(int index, bool enabled) {
  toolbar_.Button(index).enabled = enabled;
  window_.SetToolbarButtonEnabled(index, enabled);
}

void CWin::SetCaption(const std::string& caption) {
  caption_ = caption;
  window_.SetCaption(caption);
}

void CWin::AddSearchMenuItem(const std::string& caption) {
  searchMenu_.push_back(caption);
  window_.AddSearchMenuItem(caption);
}

void CWin::PlaceControls() { window_.PlaceControls(treeBox_, splitterBox_, listBox_); }

// What the subsystems ask of the rest of the program.

void CWin::NameMovieInCaption(const std::string& fileName) { SetCaption(std::string(kAppTitle) + " - " + fileName); }

void CWin::PlayNextFile() { TC_ButtonClick(7); }

void CWin::Play(const std::string& file) { playback_.Play(file); }

void CWin::MaximizeOutputWindow() { putOut_.SetState(WindowState::kMaximized); }

void CWin::SetNavWindow(WindowId window) { NavWindow = window; }

std::string CWin::ProgramFolder() { return AppFolder; }

void CWin::PackMovie(const std::string& movie) { projector_.PackSwf(movie, ""); }

void CWin::ConvertProjectors(bool selectedOnly) {
  // The list may change while the batch yields: it works on the rows as they are now.
  const FileList& list = library_.List();
  std::vector<BatchItem> items;
  items.reserve(static_cast<std::size_t>(list.Count()));
  for (int row = 0; row < list.Count(); ++row) items.push_back({list.Row(row).text, list.Row(row).selected});
  projector_.ConvertProjectors(library_.CurrentFolder, items, selectedOnly, *this);
}

void CWin::Begin() {
  StopRequested = false;
  StepRecord ignored;
  ignored.Run([&] { window_.SetProgressLabelWidth(0); });
  ignored.Run([&] { window_.ShowProgressLabel(true); });
}

void CWin::Advance(const std::string& caption, int width) {
  StepRecord ignored;
  ignored.Run([&] { window_.SetLabelText(6, caption); });
  ignored.Run([&] { window_.SetProgressLabelWidth(width); });
}

bool CWin::YieldAndCheckStop() {
  StepRecord ignored;
  ignored.Run([&] { ports_.desktop.YieldToMessages(); });
  return StopRequested;
}

void CWin::SetFindButtonPressed(bool pressed) {
  toolbar_.Button(11).pressed = pressed;
  StepRecord ignored;
  ignored.Run([&] { window_.SetToolbarButtonPressed(11, pressed); });
}

void CWin::BeginCheck() {
  Begin();
  StepRecord ignored;
  ignored.Run([&] { window_.EnableTree(false); });
}

void CWin::SetCheckProgressWidth(int width) {
  StepRecord ignored;
  ignored.Run([&] { window_.SetProgressLabelWidth(width); });
}

void CWin::EndCheck() {
  End();
  StepRecord ignored;
  ignored.Run([&] { window_.EnableTree(true); });
}

void CWin::CheckValidity() {
  // The list may change while the check yields: it works on the rows as they are now.
  const FileList& list = library_.List();
  std::vector<std::string> paths;
  paths.reserve(static_cast<std::size_t>(list.Count()));
  for (int row = 0; row < list.Count(); ++row) paths.push_back(library_.CurrentFolder + list.Row(row).text);
  search_.CheckValidity(paths);
}

void CWin::mFindItem_Click(int index) {
  std::vector<std::string> roots;
  if (index == 1) {
    roots = searchMenu_;
  } else if (index >= 2 && index - 2 < static_cast<int>(searchMenu_.size())) {
    roots.push_back(searchMenu_[static_cast<std::size_t>(index - 2)]);
  } else {
    return;
  }
  search_.SearchDrives(roots);
}

void CWin::End() {
  SetCaption(std::string(kAppTitle));
  StopRequested = true;
  StepRecord ignored;
  ignored.Run([&] { window_.ShowProgressLabel(false); });
}

}  // namespace tavelin
