// The main window's commands: the toolbar's buttons, drop-down menus and button menu,
// the player pop-up menu and the keyboard shortcuts. Each reaches the subsystem that
// does the work.
#include <optional>
#include <string>
#include <vector>

#include "platform/input.h"
#include "platform/rounding.h"
#include "platform/text.h"
#include "shell/command_line.h"
#include "shell/cwin.h"

namespace tavelin {
namespace {

namespace button_menu {
enum : int { kNetwork = 1, kPlayProjector = 2, kUnpackProjector = 3 };
}

constexpr int kF1 = 112;
constexpr std::uint32_t kSaveFlags = 8388614;  // resizable, read-only box hidden, overwrite prompt
constexpr const char* kAutomaticSearchQuestion = "单击确定将进入全自动模式，可能需要几分钟时间，请稍候……  ";

// `path` up to and including its last ".", then "swf": the movie beside the projector.
std::string MovieBeside(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  return dot == std::string::npos ? path + ".swf" : path.substr(0, dot + 1) + "swf";
}

std::string WithoutExtension(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  const std::size_t slash = path.rfind('\\');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path;
  return path.substr(0, dot);
}

}  // namespace

void CWin::TC_ButtonClick(int button) {
  StepRecord steps;
  switch (button) {
    case 1:
      steps.Run([&] { playback_.PlayButton(NavWindow); });
      break;
    case 2:
      steps.Run([&] { playback_.StopButton(); });
      break;
    case 3:
    case 4:
      steps.Run([&] { playback_.StepButton(button); });
      break;
    case 6:
    case 7:
      // Previous or next file: the tree or list that last had the focus moves its
      // selection one line (Up or Down) and plays it (Enter).
      steps.Run([&] { ports_.desktop.PostKeyDown(NavWindow, 2 * button + 26, 2); });
      steps.Run([&] { ports_.desktop.PostKeyDown(NavWindow, key::kEnter, 0); });
      break;
    case 8:
      steps.Run([&] { playback_.TogglePin(); });
      break;
    case 10:
      KeyPreview = !KeyPreview;
      toolbar_.Button(10).pressed = !KeyPreview;
      break;
    case 11:
      // The drive search keeps the button pressed while it runs.
      if (toolbar_.Button(11).pressed) StopRequested = true;
      toolbar_.Button(11).pressed = false;
      steps.Run([&] { window_.SetToolbarButtonPressed(11, false); });
      break;
    case 13:
      steps.Run([&] { library_.NewCategory(); });
      break;
    case 14:
      steps.Run([&] { library_.ClearSelectedCategory(); });
      break;
    case 15:
      steps.Run([&] { ports_.desktop.PostKeyDown(window_.Id(), kF1, 0); });
      break;
    default:
      break;
  }
  if (steps.HasFailure()) ShowMessage(steps.LastFailure(), 0);
}

void CWin::TC_ButtonDropDown(int button) {
  StepRecord ignored;
  switch (button) {
    case 1: {
      const std::vector<MenuEntry> entries{{button_menu::kNetwork, "网络...", false, true, {}},
                                           {button_menu::kPlayProjector, "播放 exe 文件...", false, true, {}},
                                           {button_menu::kUnpackProjector, "分解 exe 文件...", false, true, {}}};
      int chosen = 0;
      ignored.Run([&] { chosen = window_.PopUpMenuBelowButton(1, entries); });
      if (chosen) TC_ButtonMenuClick(chosen);
      break;
    }
    case 3: {
      const std::vector<MenuEntry> entries{{1, "设置步进(帧)", false, true, {}},
                                           {2, playback_.FrameRateCaption(), false, false, {}}};
      int chosen = 0;
      ignored.Run([&] { chosen = window_.PopUpMenuBelowButton(3, entries); });
      if (chosen) ignored.Run([&] { playback_.AskStepSize(); });
      break;
    }
    case 11: {
      std::vector<MenuEntry> entries{{1, "本地高速驱动器", false, true, {}}, {}};
      for (const std::string& drive : searchMenu_) {
        entries.push_back({static_cast<int>(entries.size()), drive, false, true, {}});
      }
      int chosen = 0;
      ignored.Run([&] { chosen = window_.PopUpMenuBelowButton(11, entries); });
      if (chosen) mFindItem_Click(chosen);
      break;
    }
    default:
      break;
  }
}

void CWin::TC_ButtonMenuClick(int index) {
  StepRecord ignored;
  const auto pickProjector = [&] {
    std::optional<std::string> path;
    ignored.Run([&] { path = ports_.dialogs.PickFile({"选择 exe 文件", 0, "可执行文件|*.exe", false, "", "exe"}); });
    return path.value_or("");
  };
  switch (index) {
    case button_menu::kNetwork:
      ignored.Run([&] { playback_.OpenNetworkAddress(); });
      break;
    case button_menu::kPlayProjector: {
      const std::string source = pickProjector();
      if (!source.empty()) projector_.ExtractSwf(source, MovieBeside(source), true);
      break;
    }
    case button_menu::kUnpackProjector: {
      const std::string source = pickProjector();
      // The save dialog comes even without a projector; there is then nothing to cut.
      std::optional<std::string> output;
      ignored.Run([&] {
        output = ports_.dialogs.PickFile(
            {"选择或创建输出文件", kSaveFlags, "Flash影片|*.swf", true, WithoutExtension(source), "swf"});
      });
      projector_.ExtractSwf(source, output.value_or(""), true);
      break;
    }
    default:
      break;
  }
}

void CWin::ShowPlayerMenu() {
  const bool fullScreen = putOut_.State() == WindowState::kMaximized;
  MovieControl* player = playback_.Player;
  bool loaded = false;
  StepRecord ignored;
  ignored.Run([&] { loaded = player && !player->Movie().empty(); });
  int chosen = 0;
  ignored.Run([&] { chosen = window_.PopUpMenuAtPointer(playback_.Menus().PopUpEntries(fullScreen, loaded)); });
  if (chosen) PlayerMenuCommand(chosen);
}

void CWin::PlayerMenuCommand(int id) {
  namespace pm = player_menu;
  MovieControl* player = playback_.Player;
  PlayerMenus& menus = playback_.Menus();
  StepRecord ignored;  // the menu's commands report nothing
  if (id >= pm::kQualityFirst && id < pm::kQualityFirst + 5) {
    if (player) ignored.Run([&] { menus.ChooseQuality(id - pm::kQualityFirst, *player); });
    return;
  }
  if (id >= pm::kScaleFirst && id < pm::kScaleFirst + 3) {
    if (player) ignored.Run([&] { menus.ChooseScale(id - pm::kScaleFirst, *player); });
    return;
  }
  switch (id) {
    case pm::kAbout:
      ignored.Run([&] { window_.ShowAboutWindow(); });
      break;
    case pm::kHelp:
      ignored.Run([&] { ports_.desktop.PostKeyDown(window_.Id(), kF1, 0); });
      break;
    case pm::kSetColor:
      ignored.Run([&] { playback_.ChooseBackgroundColor(); });
      break;
    case pm::kZoomIn:
    case pm::kZoomOut:
      Form_KeyDown(id == pm::kZoomIn ? 79 : 73, 4);
      break;
    case pm::kZoomRect:
      menus.ZoomRect().checked = !menus.ZoomRect().checked;
      break;
    case pm::kZoomReset:
      menus.ZoomRect().enabled = true;
      if (player) ignored.Run([&] { player->SetZoomRect(0, 0, 0, 0); });
      break;
    case pm::kAutoStart:
      playback_.ToggleAutoPlay();
      break;
    case pm::kFlashLoop:
      ignored.Run([&] { playback_.ToggleMovieLoop(); });
      break;
    case pm::kListLoop:
      ignored.Run([&] { playback_.ToggleListLoop(); });
      break;
    case pm::kView:
      ToggleFullScreen();
      break;
    case pm::kClose:
      ignored.Run([&] { window_.Close(); });
      break;
    case pm::kPack:
      // Beside the movie, without a dialog: intro.swf becomes intro.exe.
      if (player) {
        std::string movie;
        ignored.Run([&] { movie = player->Movie(); });
        if (movie.size() >= 3) projector_.PackSwf(movie, movie.substr(0, movie.size() - 3) + "exe");
      }
      break;
    case pm::kExpandPath:
      if (player) {
        std::string movie;
        ignored.Run([&] { movie = player->Movie(); });
        library_.RevealMovie(movie);
      }
      break;
    default:
      break;
  }
}

void CWin::ToggleFullScreen() {
  StepRecord ignored;
  ignored.Run([&] {
    const WindowState state = putOut_.State();
    if (state != WindowState::kMinimized) putOut_.SetState(static_cast<WindowState>(2 - static_cast<int>(state)));
  });
}

void CWin::MovieWheel(int notches, int keyState) {
  MovieControl* player = playback_.Player;
  if (!player || notches == 0) return;
  const int direction = notches > 0 ? 1 : -1;
  // The key bits pick the step: none (or one button) 12 frames and playing on; Shift
  // 12 frames paused; Ctrl one frame paused (frame by frame); Ctrl, Shift and the
  // right button 10 frames the other way.
  const int k = static_cast<int>(RoundHalfEven((keyState & 15) / 4.0));
  const int q = k / 2;
  const int step = ((1 - q) * 11 + 1) * direction;
  StepRecord ignored;
  ignored.Run([&] { player->GotoFrame(player->CurrentFrame() - step); });
  if (k == 0) ignored.Run([&] { player->Play(); });
}

void CWin::HandleDroppedFiles(const std::vector<std::string>& paths) {
  bool played = false;
  for (const std::string& path : paths) {
    if (!EndsWithIgnoreCase(path, "swf")) continue;
    AddItem(library_.Tree(), path, "", kSearchResultsIndex);
    if (!played) {
      played = true;
      playback_.Play(path);
    }
  }
}

void CWin::OpenHandedOverMovies(const std::string& commandLine) {
  std::vector<std::string> movies;
  StepRecord ignored;  // a path that cannot be looked at is passed over, as on the own command line
  for (const std::string& path : CommandLineMoviePaths(commandLine)) {
    ignored.Run([&] {
      if (ports_.files.FileExists(path)) movies.push_back(path);
    });
  }
  HandleDroppedFiles(movies);
}

void CWin::OpenHelp() {
  StepRecord ignored;  // a missing help file is reported by the help viewer
  ignored.Run([&] { ports_.desktop.OpenHelp(HelpFile); });
}

void CWin::PassOnKey(int keyCode, int shift) {
  if (!KeyPreview) Form_KeyDown(keyCode, shift);
}

void CWin::Form_KeyDown(int keyCode, int shift) {
  MovieControl* player = playback_.Player;
  StepRecord ignored;  // a key whose action fails simply has no effect
  const bool ctrlOnly = shift == modifier::kCtrl;
  switch (keyCode) {
    case key::kEnter:
      if (player) ignored.Run([&] { player->Play(); });
      break;
    case 27:  // Esc: leaves full screen first; otherwise stops a running search or check
      ignored.Run([&] {
        if (putOut_.State() == WindowState::kMaximized) {
          putOut_.SetState(WindowState::kNormal);
        } else {
          StopRequested = true;
        }
      });
      break;
    case 32:  // Space
      if (player) ignored.Run([&] { player->Playing() ? player->Stop() : player->Play(); });
      break;
    case 33:
      if (ctrlOnly) TC_ButtonClick(3);
      break;
    case 34:
      if (ctrlOnly) TC_ButtonClick(4);
      break;
    case 37:
      if (ctrlOnly) TC_ButtonClick(6);
      break;
    case 39:
      if (ctrlOnly) TC_ButtonClick(7);
      break;
    case 70:  // F: the status line, in full screen only
      ignored.Run([&] {
        if (putOut_.State() != WindowState::kMaximized) return;
        playback_.ShowStatus = !playback_.ShowStatus;
        window_.ShowStatusLine(playback_.ShowStatus);
      });
      break;
    case 73:  // I: zoom out
      if (player) ignored.Run([&] { player->Zoom(110 + 10 * shift); });
      break;
    case 79:  // O: zoom in
      if (player) ignored.Run([&] { player->Zoom(90 - 10 * shift); });
      break;
    case 88:  // X
      ignored.Run([&] { window_.Close(); });
      break;
    case 90:  // Z: full screen and back
      ToggleFullScreen();
      break;
    case 123:  // F12: the automatic search of every drive, after asking
      if (ShowMessage(kAutomaticSearchQuestion, mb::kOkCancel | mb::kIconInformation, "自动操作") == mb::kAnswerOk) {
        mFindItem_Click(1);
      }
      break;
    case 187:
      playback_.AdjustVolume(1);
      break;
    case 189:
      playback_.AdjustVolume(-1);
      break;
    default:
      break;
  }
}

}  // namespace tavelin
