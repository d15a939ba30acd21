#include "program_view.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace tavelin::e2e {
namespace {

struct FrameLabelSearch {
  HWND parent;
  HWND found;
};

// The strip's second number box stands 271 pixels from the client area's left edge.
BOOL CALLBACK MatchFrameLabel(HWND child, LPARAM lParam) {
  auto* search = reinterpret_cast<FrameLabelSearch*>(lParam);
  wchar_t className[32] = {};
  GetClassNameW(child, className, 32);
  RECT r{};
  GetWindowRect(child, &r);
  POINT at{r.left, r.top};
  ScreenToClient(search->parent, &at);
  if (lstrcmpiW(className, L"Static") == 0 && at.x == 230 + 39 + 2 && GetParent(child) == search->parent) {
    search->found = child;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!done()) {
    if (GetTickCount64() > deadline) return false;
    Sleep(50);
  }
  return true;
}

int FrameShown(HWND mainWindow) {
  FrameLabelSearch search{mainWindow, nullptr};
  EnumChildWindows(mainWindow, MatchFrameLabel, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return -1;
  // Another process's control gives its text when asked by message.
  wchar_t text[32] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(search.found, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &copied) ||
      copied == 0) {
    return -1;
  }
  return _wtoi(text);
}

COLORREF PixelAt(POINT screen) {
  HDC dc = GetDC(nullptr);
  const COLORREF pixel = GetPixel(dc, screen.x, screen.y);
  ReleaseDC(nullptr, dc);
  return pixel;
}

HCURSOR CursorShown() {
  CURSORINFO info{};
  info.cbSize = sizeof info;
  return GetCursorInfo(&info) ? info.hCursor : nullptr;
}

void MovePointer(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = static_cast<LONG>(screen.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1));
  input.mi.dy = static_cast<LONG>(screen.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1));
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof input);
}

void Click() {
  INPUT inputs[2]{};
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, inputs, sizeof inputs[0]);
}

std::wstring WriteTemporaryFile(const std::wstring& name, const std::vector<std::uint8_t>& bytes) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring path = std::wstring(temp) + name;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return path;
}

namespace {

std::string OnDriveZ(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

}  // namespace

void RemoveUnixFile(const std::string& unixPath) { DeleteFileA(OnDriveZ(unixPath).c_str()); }

std::vector<std::int16_t> ReadSamples(const std::string& unixPath) {
  const std::string path = OnDriveZ(unixPath);
  std::ifstream file(path, std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  std::vector<std::int16_t> samples(bytes.size() / 4 * 2);
  std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

}  // namespace tavelin::e2e
