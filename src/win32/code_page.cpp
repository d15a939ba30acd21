#include "win32/code_page.h"

#include "win32/windows_api.h"

#include "win32/text.h"

namespace tavelin::win32 {

bool AnsiCodePage::FromUtf8(const std::string& utf8, std::string& out) {
  const std::wstring wide = Widen(utf8);
  out.clear();
  if (wide.empty()) return true;
  BOOL lossy = FALSE;
  const int length =
      WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, &lossy);
  out.resize(static_cast<std::size_t>(length));
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), length, nullptr, &lossy);
  return !lossy;
}

std::string AnsiCodePage::ToUtf8(const std::string& ansi) {
  if (ansi.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), length);
  return Narrow(wide);
}

}  // namespace tavelin::win32
