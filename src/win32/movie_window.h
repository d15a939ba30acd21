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
#include "swf/framebuffer.h"

namespace tavelin::win32 {

inline constexpr wchar_t kMovieWindowClass[] = L"TavelinMovie";

class MovieWindow {
 public:
  explicit MovieWindow(FileSystem& files, Downloader* downloader = nullptr);
  MovieWindow(const MovieWindow&) = delete;
  MovieWindow& operator=(const MovieWindow&) = delete;
  ~MovieWindow();

  bool Create(HWND parent, HINSTANCE instance);
  HWND Handle() const { return hwnd_; }
  EngineMovieControl& Control() { return control_; }
  // What gestures on the movie do: the right click's menu, the double-click's (or
  // middle button's) full screen, the wheel's frame steps (notches, key bits).
  struct Gestures {
    std::function<void()> menu;
    std::function<void()> toggleFullScreen;
    std::function<void(int notches, int keyState)> wheel;
  };
  void SetGestures(Gestures gestures) { gestures_ = std::move(gestures); }

 private:
  template <class Owner>
  friend LRESULT CALLBACK RouteToOwner(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Retime();
  void OnTimer();
  void Paint();

  EngineMovieControl control_;
  // The last frame drawn; repainting an uncovered window copies it again instead of
  // drawing the movie anew. Set when the control reports a change.
  swf::Framebuffer frame_;
  bool frameStale_ = true;
  HWND hwnd_ = nullptr;
  UINT timerInterval_ = 0;
  LARGE_INTEGER lastTick_{};
  LARGE_INTEGER tickFrequency_{};
  Gestures gestures_;
};

}  // namespace tavelin::win32
