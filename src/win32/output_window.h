#pragma once
// The output window: a top-level window sized to each movie, whose client area the
// movie control fills. It also carries the full-screen status strip.

#include "win32/windows_api.h"

#include <functional>
#include <string>
#include <vector>

#include "playback/output_window_host.h"
#include "win32/movie_window.h"

namespace tavelin::win32 {

inline constexpr wchar_t kOutputWindowClass[] = L"TavelinOutput";

// Cursors the movie window's mouse handling compares against; loaded once at start-up.
extern HCURSOR ArrowCursor;
extern HCURSOR IBeamCursor;

class OutputWindow : public OutputWindowHost {
 public:
  OutputWindow(HINSTANCE instance, FileSystem& files, Downloader* downloader = nullptr);
  OutputWindow(const OutputWindow&) = delete;
  OutputWindow& operator=(const OutputWindow&) = delete;
  ~OutputWindow() override;

  HWND Handle() const { return hwnd_; }
  // Called once the window and its movie control exist (to make message boxes modal to it).
  void SetOnLoaded(std::function<void(HWND movieWindow)> onLoaded) { onLoaded_ = std::move(onLoaded); }
  // What gestures on the movie do, and where files dropped on the window go.
  void SetHook(MovieWindowHook* hook, HWND mainWindow) { movie_.SetHook(hook, mainWindow); }
  MovieSurface& Surface() { return movie_; }
  EngineMovieControl& Engine() { return movie_.Control(); }
  void SetOnDrop(std::function<void(const std::vector<std::string>&)> onDrop) { onDrop_ = std::move(onDrop); }
  // Where the message goes when a movie from a web address cannot be played.
  void SetOnLoadFailure(std::function<void(const std::string&)> onLoadFailure) {
    movie_.Control().SetOnLoadFailure(std::move(onLoadFailure));
  }
  // The strip shown at the bottom in full screen; placed on every resize, after
  // `onResized` has been told the window's new state.
  void SetStatusStrip(HWND strip, const bool* showStatus, std::function<void(WindowState)> onResized) {
    statusStrip_ = strip;
    showStatus_ = showStatus;
    onResized_ = std::move(onResized);
  }

  // OutputWindowHost.
  void Load() override;
  void Unload() override;
  MovieControl& Control() override { return movie_.Control(); }
  WindowId MovieWindow() override { return reinterpret_cast<WindowId>(movie_.Handle()); }
  WindowState State() override;
  void SetState(WindowState state) override;
  void MoveTwips(int left, int top, int width, int height) override;
  void SetVisible(bool visible) override;
  ScreenRect WindowRect() override;
  void Focus() override;
  void LoadStandardCursors() override;
  void SetTopmost(bool topmost) override;

 private:
  template <class Owner>
  friend LRESULT CALLBACK RouteToOwner(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnResize();

  HINSTANCE instance_;
  class MovieWindow movie_;
  HWND hwnd_ = nullptr;
  HWND statusStrip_ = nullptr;
  const bool* showStatus_ = nullptr;
  std::function<void(HWND)> onLoaded_;
  std::function<void(const std::vector<std::string>&)> onDrop_;
  std::function<void(WindowState)> onResized_;
};

}  // namespace tavelin::win32
