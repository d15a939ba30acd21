#include "win32/movie_window.h"

#include "win32/window_class.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace tavelin::win32 {
namespace {

constexpr UINT_PTR kFrameTimer = 1;

}  // namespace

MovieWindow::MovieWindow(FileSystem& files, Downloader* downloader) : control_(files, downloader) {
  QueryPerformanceFrequency(&tickFrequency_);
  control_.SetOnChange([this] {
    frameStale_ = true;
    if (!hwnd_) return;
    Retime();
    InvalidateRect(hwnd_, nullptr, FALSE);
  });
}

MovieWindow::~MovieWindow() {
  control_.SetOnChange(nullptr);
  if (hwnd_) DestroyWindow(hwnd_);
}

bool MovieWindow::Create(HWND parent, HINSTANCE instance) {
  if (!EnsureWindowClass(instance, kMovieWindowClass, &RouteToOwner<MovieWindow>, nullptr, nullptr)) return false;
  RECT client{};
  GetClientRect(parent, &client);
  hwnd_ = CreateWindowExW(0, kMovieWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, client.right,
                          client.bottom, parent, nullptr, instance, this);
  return hwnd_ != nullptr;
}

LRESULT MovieWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      control_.SetViewportSize(LOWORD(lParam), HIWORD(lParam));
      InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    case WM_TIMER:
      if (wParam == kFrameTimer) OnTimer();
      return 0;
    case WM_RBUTTONDOWN:
      if (gestures_.menu) gestures_.menu();
      return 0;
    case WM_LBUTTONDOWN:
      // The whole output window is dragged by its content, unless it fills the screen.
      if (HWND outer = GetParent(hwnd_); outer && !IsZoomed(outer)) {
        ReleaseCapture();
        PostMessageW(outer, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
      }
      return 0;
    case WM_LBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
      if (gestures_.toggleFullScreen) gestures_.toggleFullScreen();
      return 0;
    case WM_MOUSEWHEEL:
      if (gestures_.wheel) {
        const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
        gestures_.wheel(delta > 0 ? 1 : delta < 0 ? -1 : 0, GET_KEYSTATE_WPARAM(wParam));
      }
      return 0;
    case WM_ERASEBKGND:
      return 1;  // every pixel is painted from the frame
    case WM_PAINT:
      Paint();
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd_, kFrameTimer);
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

// Runs the timer at the movie's frame rate while it plays; the clock itself measures
// real elapsed time, so late timer messages do not slow the movie down.
void MovieWindow::Retime() {
  bool playing = false;
  try {
    playing = control_.HasMovie() && control_.IsPlaying();
  } catch (const std::exception&) {
    playing = false;
  }
  const double interval = playing ? control_.FrameInterval() : 0.0;
  const UINT milliseconds = interval > 0 ? static_cast<UINT>(std::lround(std::max(interval * 1000.0, 1.0))) : 0;
  if (milliseconds == timerInterval_) return;
  timerInterval_ = milliseconds;
  if (milliseconds == 0) {
    KillTimer(hwnd_, kFrameTimer);
    return;
  }
  QueryPerformanceCounter(&lastTick_);
  SetTimer(hwnd_, kFrameTimer, milliseconds, nullptr);
}

void MovieWindow::OnTimer() {
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  const double seconds = tickFrequency_.QuadPart > 0
                             ? static_cast<double>(now.QuadPart - lastTick_.QuadPart) / static_cast<double>(tickFrequency_.QuadPart)
                             : 0.0;
  lastTick_ = now;
  if (control_.AdvanceClock(seconds)) InvalidateRect(hwnd_, nullptr, FALSE);
  Retime();  // the movie may have stopped on its last frame
}

void MovieWindow::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd_, &paint);
  if (frameStale_) {
    try {
      control_.Render(frame_);
    } catch (const std::exception&) {
      frame_ = swf::Framebuffer{};  // no exception leaves a window procedure
    }
    frameStale_ = false;
  }
  if (frame_.width > 0 && frame_.height > 0) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = frame_.width;
    info.bmiHeader.biHeight = -frame_.height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(frame_.width), static_cast<DWORD>(frame_.height), 0, 0, 0,
                      static_cast<UINT>(frame_.height), frame_.pixels.data(), &info, DIB_RGB_COLORS);
  }
  EndPaint(hwnd_, &paint);
}

}  // namespace tavelin::win32
