#include "win32/movie_window.h"

#include "win32/output_window.h"
#include "win32/ports/sync_trace_file.h"
#include "win32/sent_messages.h"
#include "win32/window_class.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <exception>

namespace tavelin::win32 {
namespace {

constexpr UINT_PTR kFrameTimer = 1;

}  // namespace

MovieWindow::MovieWindow(FileSystem& files, Downloader* downloader) : control_(files, downloader) {
  QueryPerformanceFrequency(&tickFrequency_);
  control_.SetSoundOutput(&soundOutput_, &mp3Codec_);
  if (auto trace = SyncTraceFromEnvironment()) control_.SetSyncTrace(std::move(trace));
  // A large movie is inflated, and a script runs until it ends or reaches its time
  // limit, on this thread; meanwhile the windows answer what the system and other
  // programs send them.
  control_.SetWhileBusy(&AnswerSentMessages);
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
    case WM_KEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MOUSEWHEEL:
    case WM_KEYUP:
      return OnInput(message, wParam, lParam);
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && SetCursorForMovie()) return TRUE;
      return DefWindowProcW(hwnd_, message, wParam, lParam);
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

namespace {

// No exception leaves a window procedure: input the movie cannot take is dropped.
template <class Step>
void Quietly(Step&& step) {
  try {
    step();
  } catch (const std::exception&) {
  }
}

// The character a key-down types with the keys held now; 0 for keys that type none.
int CharacterOf(WPARAM virtualKey, LPARAM keyData) {
  BYTE keys[256] = {};
  if (!GetKeyboardState(keys)) return 0;
  wchar_t typed[4] = {};
  const int count = ToUnicode(static_cast<UINT>(virtualKey), static_cast<UINT>((keyData >> 16) & 0xFF), keys, typed, 4,
                              0x4 /* leaves the keyboard's dead-key state alone */);
  return count == 1 ? typed[0] : 0;
}

}  // namespace

// Mouse and keys go through the hook's rules first (in the program; the projector has
// none), then to the movie, whose buttons and scripts see them in stage coordinates.
LRESULT MovieWindow::OnInput(UINT message, WPARAM wParam, LPARAM lParam) {
  const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  switch (message) {
    case WM_KEYDOWN:
      if (hook_) hook_->KeyDown(static_cast<int>(wParam), static_cast<std::intptr_t>(lParam));
      Quietly([&] { control_.KeyDown(static_cast<int>(wParam), CharacterOf(wParam, lParam)); });
      return 0;
    case WM_KEYUP:
      Quietly([&] { control_.KeyUp(static_cast<int>(wParam)); });
      return 0;
    case WM_MOUSEMOVE:
      if (hook_) hook_->MouseMove(static_cast<int>(wParam), x, y);
      Quietly([&] { control_.PointerMove(x, y); });
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(hwnd_);
      SetCapture(hwnd_);  // a release outside the window still reaches the movie's buttons
      if (hook_) hook_->LeftButtonDown(x, y);
      Quietly([&] { control_.PointerButton(true, x, y); });
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() == hwnd_) ReleaseCapture();
      if (hook_) hook_->LeftButtonUp();
      Quietly([&] { control_.PointerButton(false, x, y); });
      return 0;
    case WM_LBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
      if (hook_) hook_->ToggleFullScreen();
      return 0;
    case WM_RBUTTONDOWN:
      if (hook_) hook_->RightButtonDown();
      return 0;
    case WM_MOUSEWHEEL:
      if (hook_) hook_->Wheel(GET_WHEEL_DELTA_WPARAM(wParam), GET_KEYSTATE_WPARAM(wParam), x, y);
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

// The pointer shows what is under it: the hand over a button, the I-beam over a text
// field, the arrow elsewhere.
bool MovieWindow::SetCursorForMovie() {
  POINT at{};
  if (!GetCursorPos(&at) || !ScreenToClient(hwnd_, &at)) return false;
  MovieCursor look = MovieCursor::Arrow;
  try {
    look = control_.CursorAt(at.x, at.y);
  } catch (const std::exception&) {
    look = MovieCursor::Arrow;
  }
  const int shape = look == MovieCursor::Hand ? 32649 /* IDC_HAND */ : look == MovieCursor::IBeam ? 32513 /* IDC_IBEAM */
                                                                                                  : 32512 /* IDC_ARROW */;
  SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(shape)));
  return true;
}

PointerShape MovieWindow::Cursor() {
  const HCURSOR shown = GetCursor();
  if (!shown) return PointerShape::kNone;
  if (shown == ArrowCursor) return PointerShape::kArrow;
  if (shown == IBeamCursor) return PointerShape::kIBeam;
  return PointerShape::kOther;
}

void MovieWindow::ShowArrowCursor() { SetCursor(ArrowCursor); }

void MovieWindow::BeginBand() {
  if (!bandDc_) bandDc_ = GetDC(hwnd_);
}

void MovieWindow::DrawBand(const BandRect& band) {
  if (!bandDc_ || band.right <= band.left || band.bottom <= band.top) return;
  const RECT r{band.left, band.top, band.right, band.bottom};
  DrawFocusRect(bandDc_, &r);
}

void MovieWindow::EndBand() {
  if (bandDc_) ReleaseDC(hwnd_, bandDc_);
  bandDc_ = nullptr;
}

void MovieWindow::DragOutputWindow() {
  ReleaseCapture();
  if (HWND outer = GetParent(hwnd_)) PostMessageW(outer, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
}

void MovieWindow::OutputClientSize(int& width, int& height) {
  RECT client{};
  GetClientRect(GetParent(hwnd_), &client);
  width = client.right;
  height = client.bottom;
}

void MovieWindow::ForwardKeyDown(int virtualKey, std::intptr_t keyData) {
  if (mainWindow_) PostMessageW(mainWindow_, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), static_cast<LPARAM>(keyData));
}

void MovieWindow::FocusMainWindow() {
  if (!mainWindow_) return;
  SetForegroundWindow(mainWindow_);
  SetFocus(mainWindow_);
}

void MovieWindow::FocusOutputWindow() {
  SetForegroundWindow(GetParent(hwnd_));
  SetFocus(hwnd_);
}

// Runs the timer at the movie's frame rate while it plays; the clock itself measures
// real elapsed time, so late timer messages do not slow the movie down.
void MovieWindow::Retime() {
  bool playing = false;
  try {
    playing = control_.ClockRunning();
  } catch (const std::exception&) {
    playing = false;
  }
  const double interval = playing ? control_.TickInterval() : 0.0;
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
