#pragma once
// Registering the program's window classes and routing their messages to the C++
// object that owns each window.

#include "win32/sent_messages.h"
#include "win32/windows_api.h"

namespace tavelin::win32 {

// Registers a window class once; later calls find it registered. Returns false when
// the system refuses.
inline bool EnsureWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, HICON icon, HBRUSH background) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(instance, name, &wc)) return true;
  wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hIcon = icon;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  return RegisterClassExW(&wc) != 0;
}

// The window procedure of a class whose windows are created with their owning object
// as the creation parameter: the object learns its handle at WM_NCCREATE and gets
// every message through its OnMessage. After WM_DESTROY clears the link, the rest go
// to the default procedure. While busy work answers sent messages (sent_messages.h)
// the owner is not asked, unless its class says it answers safely then
// (`static constexpr bool kAnswersWhileBusy = true`).
template <class Owner>
LRESULT CALLBACK RouteToOwner(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* owner = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    owner->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
  }
  if constexpr (!requires { requires Owner::kAnswersWhileBusy; }) {
    if (AnsweringSentMessages()) return BusyAnswer(hwnd, message, wParam, lParam);
  }
  auto* owner = reinterpret_cast<Owner*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return owner ? owner->OnMessage(message, wParam, lParam) : DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace tavelin::win32
