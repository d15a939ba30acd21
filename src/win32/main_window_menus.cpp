// The main window's pop-up menus built from the logic's entries, the toolbar's pressed
// states, the topmost band, the About window and closing.
#include "win32/main_window.h"

#include "win32/text.h"
#include "win32/topmost.h"

namespace tavelin::win32 {
namespace {

// Builds a menu (and its submenus) from entries; the caller destroys it.
HMENU BuildMenu(const std::vector<MenuEntry>& entries) {
  HMENU menu = CreatePopupMenu();
  for (const MenuEntry& entry : entries) {
    if (entry.caption.empty() && entry.submenu.empty()) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const std::wstring caption = Widen(entry.caption);
    UINT flags = MF_STRING | (entry.checked ? MF_CHECKED : 0) | (entry.enabled ? 0 : MF_GRAYED);
    if (!entry.submenu.empty()) {
      AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(BuildMenu(entry.submenu)), caption.c_str());
    } else {
      AppendMenuW(menu, flags, static_cast<UINT_PTR>(entry.id), caption.c_str());
    }
  }
  return menu;
}

int TrackMenu(HWND owner, const std::vector<MenuEntry>& entries, int x, int y) {
  HMENU menu = BuildMenu(entries);
  const int chosen = static_cast<int>(
      TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, owner, nullptr));
  DestroyMenu(menu);  // submenus go with it
  return chosen;
}

}  // namespace

int MainWindow::PopUpMenuBelowButton(int button, const std::vector<MenuEntry>& entries) {
  RECT item{};
  SendMessageW(toolbar_, TB_GETRECT, static_cast<WPARAM>(button), reinterpret_cast<LPARAM>(&item));
  RECT bar{};
  GetClientRect(toolbar_, &bar);
  POINT at{item.left, bar.bottom};  // at the button's left edge, directly below the toolbar
  ClientToScreen(toolbar_, &at);
  return TrackMenu(hwnd_, entries, at.x, at.y);
}

int MainWindow::PopUpMenuAtPointer(const std::vector<MenuEntry>& entries) {
  POINT pointer{};
  GetCursorPos(&pointer);
  // Owned by the window clicked (the movie's, usually), which stays in front.
  HWND owner = GetActiveWindow();
  return TrackMenu(owner ? owner : hwnd_, entries, pointer.x, pointer.y);
}

void MainWindow::SetToolbarButtonPressed(int index, bool pressed) {
  // Check buttons are checked; the find button is shown held down while a search runs.
  const UINT message = index == 11 ? TB_PRESSBUTTON : TB_CHECKBUTTON;
  SendMessageW(toolbar_, message, static_cast<WPARAM>(index), MAKELPARAM(pressed ? TRUE : FALSE, 0));
}

void MainWindow::SetTopmost(bool topmost) { SetTopmostBand(hwnd_, topmost); }

void MainWindow::ShowAboutWindow() { about_.Show(uiFont_); }

void MainWindow::Close() {
  if (hwnd_) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

}  // namespace tavelin::win32
