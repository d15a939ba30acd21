// The projector stub (data.dat): a small player that plays the movie appended to its
// own file. Packing copies it in front of a movie; the marker the build writes into
// its DOS header (byte 0x70 zero, bytes 0x71-0x73 its own length) tells both this
// program and the extraction where the movie starts.
#include "win32/windows_api.h"

#include <commctrl.h>
#include <shellapi.h>

#include <new>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "projector/projector_file.h"
#include "playback/movie_control/movie_events.h"
#include "projector/projector_layout.h"
#include "win32/movie_window.h"
#include "win32/ports/file_system.h"
#include "win32/sent_messages.h"
#include "win32/text.h"

namespace {

using namespace tavelin;

constexpr wchar_t kProjectorClass[] = L"TavelinProjector";
constexpr wchar_t kTitle[] = L"Tavelin Player";
// The movie is held in memory while it plays; a larger one is refused.
constexpr std::uint64_t kLargestMovie = std::uint64_t{1} << 30;
constexpr const char* kNoMovie = "这个程序中没有影片。";
enum Command : UINT { kFullScreen = 1, kQualityHigh, kQualityMedium, kQualityLow, kClose };

struct Projector {
  HWND window = nullptr;
  win32::MovieWindow* movie = nullptr;
  bool fullScreen = false;
  WINDOWPLACEMENT before = {sizeof(WINDOWPLACEMENT), 0, 0, {}, {}, {}};
  LONG_PTR style = 0;
};
Projector shown;  // the one projector window of this program

void ToggleFullScreen() {
  HWND w = shown.window;
  if (!shown.fullScreen) {
    GetWindowPlacement(w, &shown.before);
    shown.style = GetWindowLongPtrW(w, GWL_STYLE);
    MONITORINFO monitor = {sizeof monitor, {}, {}, 0};
    GetMonitorInfoW(MonitorFromWindow(w, MONITOR_DEFAULTTONEAREST), &monitor);
    SetWindowLongPtrW(w, GWL_STYLE, shown.style & ~static_cast<LONG_PTR>(WS_OVERLAPPEDWINDOW));
    SetMenu(w, nullptr);
    const RECT& r = monitor.rcMonitor;
    SetWindowPos(w, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_FRAMECHANGED);
  } else {
    SetWindowLongPtrW(w, GWL_STYLE, shown.style);
    SetWindowPlacement(w, &shown.before);
    SetWindowPos(w, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  }
  shown.fullScreen = !shown.fullScreen;
}

// What the movie's scripts ask of the projector: quit, full screen, open a web page.
class ProjectorEvents final : public MovieEvents {
 public:
  void Quit() override {
    if (shown.window) DestroyWindow(shown.window);
  }
  void FullScreen(bool on) override {
    if (shown.window && on != shown.fullScreen) ToggleFullScreen();
  }
  void OpenWebAddress(const std::string& url) override {
    ShellExecuteW(shown.window, L"open", win32::Widen(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }
  void ScriptStopped(const std::string&) override {
    MessageBoxW(shown.window, L"影片中的脚本运行时间过长，已被停止。", kTitle, MB_OK | MB_ICONWARNING);
  }
};

HMENU BuildMenu() {
  HMENU bar = CreateMenu();
  HMENU quality = CreatePopupMenu();
  AppendMenuW(quality, MF_STRING, kQualityHigh, L"高(&H)");
  AppendMenuW(quality, MF_STRING, kQualityMedium, L"适中(&M)");
  AppendMenuW(quality, MF_STRING, kQualityLow, L"低(&L)");
  AppendMenuW(bar, MF_STRING, kFullScreen, L"全屏(&F)");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(quality), L"质量(&Q)");
  AppendMenuW(bar, MF_STRING, kClose, L"关闭(&X)");
  return bar;
}

LRESULT CALLBACK ProjectorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (win32::AnsweringSentMessages()) return win32::BusyAnswer(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_SIZE:
      if (shown.movie && shown.movie->Handle()) {
        MoveWindow(shown.movie->Handle(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      }
      return 0;
    case WM_COMMAND:
      try {
        switch (LOWORD(wParam)) {
          case kFullScreen: ToggleFullScreen(); break;
          case kQualityHigh: shown.movie->Control().SetQuality("High"); break;
          case kQualityMedium: shown.movie->Control().SetQuality("Medium"); break;
          case kQualityLow: shown.movie->Control().SetQuality("Low"); break;
          case kClose: DestroyWindow(hwnd); break;
          default: break;
        }
      } catch (...) {
        // A quality the control refuses changes nothing.
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE && shown.fullScreen) ToggleFullScreen();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

std::wstring OwnPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

int Fail(const std::string& text) {
  MessageBoxW(nullptr, win32::Widen(text).c_str(), kTitle, MB_OK | MB_ICONWARNING);
  return 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  win32::Win32FileSystem files;
  const std::wstring self = OwnPath();
  const std::string selfPath = win32::Narrow(self);
  // Only the marker and the movie are read: the program's own bytes stay on disk.
  std::vector<std::uint8_t> bytes;
  try {
    const std::vector<DirectoryEntry> entries = files.List(selfPath);
    if (entries.empty()) return Fail(kNoMovie);
    projector::ProjectorFile file(files, selfPath, entries.front().size);
    const projector::ProjectorContents contents = projector::FindMovies(file);
    if (contents.layout != projector::Layout::kOffsetMarker || contents.movies.empty()) {
      return Fail(kNoMovie);
    }
    const projector::MoviePiece piece = contents.movies.front();
    if (piece.length > kLargestMovie) return Fail("影片过大，无法播放。");
    bytes.resize(static_cast<std::size_t>(piece.length));
    if (files.ReadFileAt(selfPath, piece.start, bytes) != bytes.size()) return Fail(kNoMovie);
  } catch (const Failure& failure) {
    return Fail(failure.what());
  } catch (const std::bad_alloc&) {
    return Fail("内存不足，无法播放影片。");
  }

  win32::MovieWindow movie(files);
  shown.movie = &movie;
  ProjectorEvents events;
  movie.Control().SetMovieEvents(&events);
  try {
    movie.Control().LoadMovieData(bytes, selfPath);
  } catch (const Failure& failure) {
    return Fail(std::string("影片已损坏，无法播放：") + failure.what());
  }
  std::vector<std::uint8_t>().swap(bytes);  // the movie keeps its own copy

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ProjectorProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kProjectorClass;
  RegisterClassExW(&wc);

  // The window's client area is the stage, centred on the screen; its title the
  // program's own name.
  int width = 550, height = 400;
  movie.Control().StageSize(width, height);
  std::wstring name = self.substr(self.find_last_of(L"\\/") + 1);
  if (const auto dot = name.find_last_of(L'.'); dot != std::wstring::npos) name.resize(dot);
  constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  HMENU menu = BuildMenu();
  RECT frame{0, 0, width, height};
  AdjustWindowRect(&frame, kStyle, TRUE);
  const int outerWidth = frame.right - frame.left, outerHeight = frame.bottom - frame.top;
  shown.window = CreateWindowExW(0, kProjectorClass, name.c_str(), kStyle,
                                     (GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2,
                                     (GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2, outerWidth, outerHeight,
                                     nullptr, menu, instance, nullptr);
  if (!shown.window || !movie.Create(shown.window, instance)) return Fail("无法创建窗口。");
  ShowWindow(shown.window, show);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) message.hwnd = shown.window;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  movie.Control().SetMovieEvents(nullptr);
  shown.movie = nullptr;
  return static_cast<int>(message.wParam);
}
