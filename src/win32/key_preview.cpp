#include "win32/key_preview.h"

#include <cwchar>
#include <utility>

#include "platform/input.h"

namespace tavelin::win32 {
namespace {

HWND previewWindow = nullptr;
std::function<void(int, int)> previewShortcuts;

bool IsEditBox(HWND window) {
  wchar_t name[16] = {};
  return GetClassNameW(window, name, 16) > 0 && _wcsicmp(name, L"Edit") == 0;
}

}  // namespace

void InstallKeyPreview(HWND mainWindow, std::function<void(int keyCode, int shift)> shortcuts) {
  previewWindow = mainWindow;
  previewShortcuts = std::move(shortcuts);
}

void RemoveKeyPreview() {
  previewWindow = nullptr;
  previewShortcuts = nullptr;
}

int HeldModifiers() {
  int mask = 0;
  if (GetKeyState(VK_SHIFT) < 0) mask |= modifier::kShift;
  if (GetKeyState(VK_CONTROL) < 0) mask |= modifier::kCtrl;
  if (GetKeyState(VK_MENU) < 0) mask |= modifier::kAlt;
  return mask;
}

void DispatchWithPreview(MSG& message) {
  const bool keyDown = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
  if (keyDown && previewShortcuts && message.hwnd &&
      (message.hwnd == previewWindow || IsChild(previewWindow, message.hwnd)) && !IsEditBox(message.hwnd)) {
    previewShortcuts(static_cast<int>(message.wParam), HeldModifiers());
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

}  // namespace tavelin::win32
