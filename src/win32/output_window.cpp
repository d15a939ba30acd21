#include "win32/output_window.h"

#include <shellapi.h>

#include "platform/failure.h"
#include "win32/main_window.h"
#include "win32/text.h"
#include "win32/topmost.h"
#include "win32/window_class.h"

namespace tavelin::win32 {

HCURSOR ArrowCursor = nullptr;
HCURSOR IBeamCursor = nullptr;

namespace {

// A thin dialog frame: the outer size, 8 pixels larger than the stage, always holds
// the whole stage.
constexpr DWORD kStyle = WS_POPUP | WS_DLGFRAME | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU;
constexpr int kDesignLeftTwips = 60, kDesignTopTwips = 60;
constexpr int kDesignClientWidthTwips = 6000, kDesignClientHeightTwips = 4485;
constexpr int kStatusStripHeight = 16;

}  // namespace

OutputWindow::OutputWindow(HINSTANCE instance, FileSystem& files, Downloader* downloader)
    : instance_(instance), movie_(files, downloader) {}

OutputWindow::~OutputWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void OutputWindow::Load() {
  if (hwnd_) return;
  if (!EnsureWindowClass(instance_, kOutputWindowClass, &RouteToOwner<OutputWindow>,
                         LoadIconW(instance_, MAKEINTRESOURCEW(kResourceAppIcon)),
                         static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)))) {
    throw Failure("无法创建输出窗口");
  }
  const int tx = ScreenTwipsPerPixelX(), ty = ScreenTwipsPerPixelY();
  RECT frame{0, 0, kDesignClientWidthTwips / tx, kDesignClientHeightTwips / ty};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  hwnd_ = CreateWindowExW(0, kOutputWindowClass, L"", kStyle, kDesignLeftTwips / tx, kDesignTopTwips / ty,
                          frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance_, this);
  if (!hwnd_) throw Failure("无法创建输出窗口");
  if (!movie_.Create(hwnd_, instance_)) throw Failure("无法创建影片控件");
  DragAcceptFiles(hwnd_, TRUE);
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  if (onLoaded_) onLoaded_(movie_.Handle());
}

void OutputWindow::Unload() {
  if (!hwnd_) return;
  HWND window = hwnd_;
  DestroyWindow(window);
  hwnd_ = nullptr;
}

WindowState OutputWindow::State() {
  if (!hwnd_) return WindowState::kNormal;
  if (IsIconic(hwnd_)) return WindowState::kMinimized;
  if (IsZoomed(hwnd_)) return WindowState::kMaximized;
  return WindowState::kNormal;
}

// Full screen is the maximised window without its frame, covering the whole monitor
// it is on, taskbar included; restoring brings the frame and the former place back.
void OutputWindow::SetState(WindowState state) {
  if (!hwnd_) throw Failure("输出窗口不存在");
  const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  if (state != WindowState::kMaximized) {
    if (!(style & WS_DLGFRAME)) {
      SetWindowLongPtrW(hwnd_, GWL_STYLE, style | WS_DLGFRAME);
      SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    ShowWindow(hwnd_, state == WindowState::kMinimized ? SW_MINIMIZE : SW_RESTORE);
    return;
  }
  SetWindowLongPtrW(hwnd_, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_DLGFRAME));
  ShowWindow(hwnd_, SW_MAXIMIZE);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor)) {
    const RECT& m = monitor.rcMonitor;
    SetWindowPos(hwnd_, nullptr, m.left, m.top, m.right - m.left, m.bottom - m.top,
                 SWP_NOZORDER | SWP_FRAMECHANGED);
  }
}

void OutputWindow::MoveTwips(int left, int top, int width, int height) {
  const int tx = ScreenTwipsPerPixelX(), ty = ScreenTwipsPerPixelY();
  if (!SetWindowPos(hwnd_, nullptr, left / tx, top / ty, width / tx, height / ty, SWP_NOZORDER | SWP_NOACTIVATE)) {
    throw Failure("无法移动输出窗口");
  }
}

void OutputWindow::SetTopmost(bool topmost) { SetTopmostBand(hwnd_, topmost); }

void OutputWindow::SetVisible(bool visible) {
  if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

ScreenRect OutputWindow::WindowRect() {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return {r.left, r.top, r.right, r.bottom};
}

void OutputWindow::Focus() {
  SetForegroundWindow(hwnd_);
  SetFocus(movie_.Handle());
}

void OutputWindow::LoadStandardCursors() {
  ArrowCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  IBeamCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32513));  // IDC_IBEAM
}

void OutputWindow::OnResize() {
  RECT client{};
  GetClientRect(hwnd_, &client);
  if (movie_.Handle()) MoveWindow(movie_.Handle(), 0, 0, client.right, client.bottom, TRUE);
  if (onResized_) onResized_(State());
  if (!statusStrip_ || !showStatus_) return;
  MoveWindow(statusStrip_, 0, client.bottom - kStatusStripHeight, client.right, kStatusStripHeight, TRUE);
  ShowWindow(statusStrip_, *showStatus_ ? SW_SHOWNA : SW_HIDE);
}

LRESULT OutputWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      OnResize();
      return 0;
    case WM_DROPFILES: {
      // Names are read whole, in Unicode: long paths and names outside the ANSI code
      // page arrive intact. The handle is released here and never used again.
      const auto drop = reinterpret_cast<HDROP>(wParam);
      std::vector<std::string> paths;
      const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
      for (UINT i = 0; i < count; ++i) {
        std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        const UINT length = DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size()));
        name.resize(length);
        paths.push_back(Narrow(name));
      }
      DragFinish(drop);
      if (onDrop_) onDrop_(paths);
      return 0;
    }
    case WM_MOUSEWHEEL:
      // The wheel over the window reaches the movie whichever has the focus.
      return SendMessageW(movie_.Handle(), message, wParam, lParam);
    case WM_CLOSE:
      // The output window lives as long as the main window; closing it only hides it.
      ShowWindow(hwnd_, SW_HIDE);
      return 0;
    case WM_DESTROY:
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

}  // namespace tavelin::win32
