#pragma once
// Moving a top-level window into the topmost band, or out of it.

#include "win32/windows_api.h"

namespace tavelin::win32 {

// Unpinning leaves the topmost band (HWND_NOTOPMOST) without sending the window behind
// all others.
inline void SetTopmostBand(HWND window, bool topmost) {
  if (window) {
    SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

}  // namespace tavelin::win32
