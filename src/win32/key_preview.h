#pragma once
// Key preview: while it is on, the main window's shortcuts see every key pressed in the
// main window or one of its controls before the control does. Every message pump of
// the interface thread (the main loop and the yields of long operations) dispatches
// through DispatchWithPreview, so the shortcuts act wherever the thread waits.

#include "win32/windows_api.h"

#include <functional>

namespace tavelin::win32 {

// Offers key-downs of `mainWindow` and its controls to `shortcuts` (key code, modifier
// mask), which decide whether preview is on; label editing keeps its keys.
void InstallKeyPreview(HWND mainWindow, std::function<void(int keyCode, int shift)> shortcuts);
void RemoveKeyPreview();

// Translates and dispatches one message, after offering it to key preview.
void DispatchWithPreview(MSG& message);

// The modifier mask of the keys held now: 1 Shift, 2 Ctrl, 4 Alt.
int HeldModifiers();

}  // namespace tavelin::win32
