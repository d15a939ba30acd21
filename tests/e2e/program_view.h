#pragma once
// What the end-to-end checks read off the running program's windows, and the real
// pointer they move over them.

#include "win32/windows_api.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tavelin::e2e {

// Polls `done` every 50 ms until it holds or `timeoutMs` has passed.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs);
// The frame the main window's bottom strip shows (counted from 0), or -1 when it shows
// none.
int FrameShown(HWND mainWindow);
COLORREF PixelAt(POINT screen);
// The cursor the system shows now (null when it cannot tell).
HCURSOR CursorShown();
// Moves the real pointer to a screen point, and clicks the left button there.
void MovePointer(POINT screen);
void Click();
// Writes `bytes` to a file in the temporary folder; returns its path.
std::wstring WriteTemporaryFile(const std::wstring& name, const std::vector<std::uint8_t>& bytes);
// A file's bytes read as 16-bit samples, whole stereo frames only; `unixPath` is a
// path of the Linux side (Wine's Z: drive).
std::vector<std::int16_t> ReadSamples(const std::string& unixPath);
// Removes such a file (the sound device's capture is written over, never cut short, so
// a run that starts with it removed reads only its own sound).
void RemoveUnixFile(const std::string& unixPath);

}  // namespace tavelin::e2e
