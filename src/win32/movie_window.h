#pragma once
// The movie control's window: a child of the output window that runs the engine's
// clock on a timer at the movie's frame rate and paints its frames.

#include "win32/windows_api.h"

#include "playback/movie_control/engine_movie_control.h"
#include "swf/framebuffer.h"

namespace tavelin::win32 {

inline constexpr wchar_t kMovieWindowClass[] = L"TavelinMovie";

class MovieWindow {
 public:
  explicit MovieWindow(FileSystem& files);
  MovieWindow(const MovieWindow&) = delete;
  MovieWindow& operator=(const MovieWindow&) = delete;
  ~MovieWindow();

  bool Create(HWND parent, HINSTANCE instance);
  HWND Handle() const { return hwnd_; }
  EngineMovieControl& Control() { return control_; }

 private:
  template <class Owner>
  friend LRESULT CALLBACK RouteToOwner(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Retime();
  void OnTimer();
  void Paint();

  EngineMovieControl control_;
  swf::Framebuffer frame_;
  HWND hwnd_ = nullptr;
  UINT timerInterval_ = 0;
  LARGE_INTEGER lastTick_{};
  LARGE_INTEGER tickFrequency_{};
};

}  // namespace tavelin::win32
