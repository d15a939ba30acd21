#include "win32/ports/system_error.h"

#include "win32/windows_api.h"

#include <cstdio>

#include "platform/failure.h"
#include "win32/text.h"

namespace tavelin::win32 {

std::string SystemErrorText(unsigned long code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text;
  if (length != 0 && buffer != nullptr) text.assign(buffer, length);
  if (buffer != nullptr) LocalFree(buffer);

  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  if (!text.empty()) return Narrow(text);

  char fallback[64];
  std::snprintf(fallback, sizeof fallback, "系统错误 %lu (0x%08lX)", code, code);
  return fallback;
}

void ThrowSystemError(unsigned long code) { throw Failure(SystemErrorText(code)); }

void ThrowLastError() { ThrowSystemError(GetLastError()); }

}  // namespace tavelin::win32
