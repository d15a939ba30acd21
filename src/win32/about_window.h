#pragma once
// The About window: the program's name and version, what it does and who makes it.
// Not modal; asking for it while it is open brings the same window forward.

#include "win32/windows_api.h"

namespace tavelin::win32 {

class AboutWindow {
 public:
  explicit AboutWindow(HINSTANCE instance) : instance_(instance) {}
  ~AboutWindow();
  AboutWindow(const AboutWindow&) = delete;
  AboutWindow& operator=(const AboutWindow&) = delete;

  // Opens the window centred on the screen, or activates it when it is open.
  void Show(HFONT font);
  HWND Handle() const { return hwnd_; }
  // Lets the window's keys work as in a dialog (Tab, Enter, Esc, Alt+Q); true when the
  // message was the window's.
  bool HandleDialogKeys(MSG& message);

 private:
  template <class Owner>
  friend LRESULT CALLBACK RouteToOwner(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  HWND Child(const wchar_t* className, const wchar_t* text, DWORD style, int id, int left, int top, int width,
             int height, HFONT font);

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
};

}  // namespace tavelin::win32
