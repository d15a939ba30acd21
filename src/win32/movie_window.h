#pragma once
// The movie control's window: a child of the output window that runs the engine's
// clock on a timer at the movie's frame rate and paints its frames.
//
// Everything runs on the interface thread: the timer moves the clock on and marks the
// window invalid, and WM_PAINT draws the current frame once. Windows merges pending
// timer messages and paints only when the queue is otherwise empty, so when drawing
// overruns a frame's slot the clock (which measures real time) moves on by the frames
// due and only the newest one is drawn: frames are skipped, never queued.

#include "win32/windows_api.h"

#include <functional>
#include <utility>

#include "playback/movie_control/engine_movie_control.h"
#include "shell/movie_window_hook.h"
#include "swf/framebuffer.h"
#include "win32/ports/acm_mp3.h"
#include "win32/ports/wave_output.h"

namespace tavelin::win32 {

inline constexpr wchar_t kMovieWindowClass[] = L"TavelinMovie";

class MovieWindow : public MovieSurface {
 public:
  explicit MovieWindow(FileSystem& files, Downloader* downloader = nullptr);
  MovieWindow(const MovieWindow&) = delete;
  MovieWindow& operator=(const MovieWindow&) = delete;
  ~MovieWindow() override;

  bool Create(HWND parent, HINSTANCE instance);
  HWND Handle() const { return hwnd_; }
  EngineMovieControl& Control() { return control_; }
  // The rules the mouse and keys follow on the movie, and the main window that keys
  // are forwarded to.
  void SetHook(MovieWindowHook* hook, HWND mainWindow) {
    hook_ = hook;
    mainWindow_ = mainWindow;
  }

  // MovieSurface.
  PointerShape Cursor() override;
  void ShowArrowCursor() override;
  void BeginBand() override;
  void DrawBand(const BandRect& band) override;
  void EndBand() override;
  void DragOutputWindow() override;
  void OutputClientSize(int& width, int& height) override;
  void ForwardKeyDown(int virtualKey, std::intptr_t keyData) override;
  void FocusMainWindow() override;
  void FocusOutputWindow() override;

 private:
  template <class Owner>
  friend LRESULT CALLBACK RouteToOwner(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnInput(UINT message, WPARAM wParam, LPARAM lParam);
  bool SetCursorForMovie();
  void Retime();
  void OnTimer();
  void Paint();

  // The movie's sound goes to wave-out device 0; declared before the control, which
  // stops the device before they go.
  WaveOutput soundOutput_;
  AcmMp3Codec mp3Codec_;
  EngineMovieControl control_;
  // The last frame drawn; repainting an uncovered window copies it again instead of
  // drawing the movie anew. Set when the control reports a change.
  swf::Framebuffer frame_;
  bool frameStale_ = true;
  HWND hwnd_ = nullptr;
  UINT timerInterval_ = 0;
  LARGE_INTEGER lastTick_{};
  LARGE_INTEGER tickFrequency_{};
  MovieWindowHook* hook_ = nullptr;
  HWND mainWindow_ = nullptr;
  HDC bandDc_ = nullptr;
};

}  // namespace tavelin::win32
