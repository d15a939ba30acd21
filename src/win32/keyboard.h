#pragma once
// The modifier keys held now, as handlers take them: 1 Shift, 2 Ctrl, 4 Alt, added.

#include "win32/windows_api.h"

namespace tavelin::win32 {

inline int ShiftState() {
  return (GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) | (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

}  // namespace tavelin::win32
