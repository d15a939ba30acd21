#pragma once
// The main window: a top-level window with the program's caption, centred on the
// screen with a client area of 9315 x 7530 twips.

#include <windows.h>

namespace tavelin::win32 {

inline constexpr wchar_t kMainWindowClass[] = L"TavelinMainWindow";
inline constexpr int kResourceAppIcon = 1;

// The screen's twips per pixel, horizontally and vertically (15 at 96 dpi).
int ScreenTwipsPerPixelX();
int ScreenTwipsPerPixelY();

class MainWindow {
 public:
  // quitOnDestroy ends the thread's message loop when the window is destroyed, as
  // the program's main window does; tests create windows without it.
  explicit MainWindow(bool quitOnDestroy) : quitOnDestroy_(quitOnDestroy) {}
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;
  ~MainWindow();

  // Creates the window (hidden); returns false when the system refuses.
  bool Create(HINSTANCE instance);
  void Show(int showCommand);
  HWND Handle() const { return hwnd_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  bool quitOnDestroy_;
};

}  // namespace tavelin::win32
