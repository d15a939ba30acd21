#include "win32/ports/long_path.h"

#include "win32/windows_api.h"

#include "win32/text.h"

namespace tavelin::win32 {
namespace {

constexpr std::wstring_view kVerbatimPrefix = L"\\\\?\\";
constexpr std::wstring_view kDevicePrefix = L"\\\\.\\";

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// GetFullPathNameW resolves "." and "..", forward slashes and relative paths. It
// handles paths of any length in its wide form.
std::wstring FullPath(const std::wstring& path) {
  DWORD capacity = static_cast<DWORD>(path.size()) + MAX_PATH;
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::wstring full(capacity, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), capacity, full.data(), nullptr);
    if (length == 0) return path;  // the call that uses the path reports the problem
    if (length < capacity) {
      full.resize(length);
      return full;
    }
    capacity = length + 1;
  }
  return path;
}

}  // namespace

std::wstring SystemPath(std::wstring path) {
  if (path.size() < MAX_PATH) return path;
  if (StartsWith(path, kVerbatimPrefix) || StartsWith(path, kDevicePrefix)) return path;

  std::wstring full = FullPath(path);
  if (StartsWith(full, L"\\\\")) return std::wstring(kVerbatimPrefix) + L"UNC" + full.substr(1);
  return std::wstring(kVerbatimPrefix) + full;
}

std::wstring SystemPath(const std::string& utf8Path) { return SystemPath(Widen(utf8Path)); }

}  // namespace tavelin::win32
