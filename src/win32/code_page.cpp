#include "win32/code_page.h"

#include "win32/windows_api.h"

#include "win32/text.h"

namespace tavelin::win32 {

// A character "fits" the ANSI code page only when it comes back unchanged: the system
// otherwise replaces some characters by look-alikes (best fit) without reporting it,
// and a path written that way names a file that does not exist.
bool AnsiCodePage::FromUtf8(const std::string& utf8, std::string& out) {
  const std::wstring wide = Widen(utf8);
  out.clear();
  if (wide.empty()) return true;
  const int wideLength = static_cast<int>(wide.size());
  BOOL lossy = FALSE;
  const int length =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, nullptr, 0, nullptr, &lossy);
  if (length <= 0) return false;
  out.resize(static_cast<std::size_t>(length));
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, out.data(), length, nullptr, &lossy);
  if (lossy) return false;
  const int backLength = MultiByteToWideChar(CP_ACP, 0, out.data(), length, nullptr, 0);
  std::wstring back(static_cast<std::size_t>(backLength > 0 ? backLength : 0), L'\0');
  if (backLength > 0) MultiByteToWideChar(CP_ACP, 0, out.data(), length, back.data(), backLength);
  return back == wide;
}

std::string AnsiCodePage::ToUtf8(const std::string& ansi) {
  if (ansi.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), length);
  return Narrow(wide);
}

}  // namespace tavelin::win32
