#include "win32/ports/desktop.h"
#include "win32/key_preview.h"
#include "win32/ports/wave_output.h"

#include <mmsystem.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <thread>
#include <vector>

#include "platform/failure.h"
#include "win32/ports/system_error.h"
#include "win32/text.h"

namespace tavelin::win32 {
namespace {

// Another program may hold the clipboard for a moment; try again for about a second.
constexpr int kClipboardAttempts = 50;
constexpr DWORD kClipboardRetryMs = 20;

class ClipboardSession {
 public:
  explicit ClipboardSession(HWND owner) {
    for (int attempt = 0; attempt < kClipboardAttempts && !open_; ++attempt) {
      open_ = OpenClipboard(owner) != FALSE;
      if (!open_) Sleep(kClipboardRetryMs);
    }
    if (!open_) ThrowLastError();
  }
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
  ~ClipboardSession() {
    if (open_) CloseClipboard();
  }

 private:
  bool open_ = false;
};

[[noreturn]] void ThrowWaveError(MMRESULT result) {
  wchar_t text[MAXERRORLENGTH] = {};
  if (waveOutGetErrorTextW(result, text, MAXERRORLENGTH) == MMSYSERR_NOERROR && text[0] != L'\0') {
    throw Failure(Narrow(text));
  }
  ThrowSystemError(result);
}

// Wave-out calls take a device id where they take a handle.
HWAVEOUT WaveDevice(int device) {
  return reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(static_cast<UINT>(device)));
}

SYSTEMTIME SystemTimeFrom(const LocalTime& time) {
  SYSTEMTIME system{};
  system.wYear = static_cast<WORD>(time.year);
  system.wMonth = static_cast<WORD>(time.month);
  system.wDay = static_cast<WORD>(time.day);
  system.wHour = static_cast<WORD>(time.hour);
  system.wMinute = static_cast<WORD>(time.minute);
  system.wSecond = static_cast<WORD>(time.second);
  return system;
}

// Runs a GetDateFormatW-like call twice: once for the size, once for the text.
template <class Format>
std::string Formatted(Format format) {
  const int needed = format(nullptr, 0);
  if (needed <= 0) ThrowLastError();
  std::wstring text(static_cast<std::size_t>(needed), L'\0');
  const int written = format(text.data(), needed);
  if (written <= 0) ThrowLastError();
  text.resize(static_cast<std::size_t>(written - 1));  // the count includes the NUL
  return Narrow(text);
}

double TwipsPerPixel(int axis) {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, axis) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? 1440.0 / dpi : 15.0;
}

}  // namespace

Win32Desktop::~Win32Desktop() {
  if (clipboardWindow_ != nullptr) DestroyWindow(clipboardWindow_);
}

HWND Win32Desktop::ClipboardWindow() {
  if (clipboardWindow_ == nullptr) {
    clipboardWindow_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    if (clipboardWindow_ == nullptr) ThrowLastError();
  }
  return clipboardWindow_;
}

void Win32Desktop::SetClipboardText(const std::string& text) {
  const std::wstring wide = Widen(text);
  const SIZE_T bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) ThrowLastError();
  void* target = GlobalLock(memory);
  if (target == nullptr) {
    const DWORD error = GetLastError();
    GlobalFree(memory);
    ThrowSystemError(error);
  }
  std::memcpy(target, wide.c_str(), bytes);
  GlobalUnlock(memory);

  try {
    ClipboardSession clipboard(ClipboardWindow());
    if (!EmptyClipboard()) ThrowLastError();
    if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) ThrowLastError();
  } catch (...) {
    GlobalFree(memory);  // the clipboard did not take it
    throw;
  }
}

void Win32Desktop::StartProcess(const std::string& commandLine, ShowState show) {
  std::wstring command = Widen(commandLine);  // CreateProcessW may write into it
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  switch (show) {
    case ShowState::kMinimizedWithFocus:
      startup.wShowWindow = SW_SHOWMINIMIZED;
      break;
    case ShowState::kHidden:
      startup.wShowWindow = SW_HIDE;
      break;
    case ShowState::kNormal:
      startup.wShowWindow = SW_SHOWNORMAL;
      break;
  }
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    ThrowLastError();
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

void Win32Desktop::ShellStart(const std::string& program, const std::string& parameters, ShowState show,
                              bool announceAssociations) {
  const std::wstring file = Widen(program), arguments = Widen(parameters);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpVerb = L"open";
  info.lpFile = file.c_str();
  info.lpParameters = arguments.c_str();
  info.nShow = show == ShowState::kMinimizedWithFocus ? SW_SHOWMINIMIZED : show == ShowState::kHidden ? SW_HIDE
                                                                                                   : SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info)) ThrowLastError();
  if (info.hProcess == nullptr) return;
  if (!announceAssociations) {
    CloseHandle(info.hProcess);
    return;
  }
  // The wait for the program happens on a thread of its own, so the window never waits.
  HANDLE process = info.hProcess;
  try {
    std::thread([process] {
      WaitForSingleObject(process, INFINITE);
      CloseHandle(process);
      SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    }).detach();
  } catch (...) {
    CloseHandle(process);
    throw;
  }
}

std::string Win32Desktop::LoadText(int id) {
  const wchar_t* text = nullptr;
  // With no buffer, the call gives a pointer to the resource's own (unterminated) text.
  const int length = LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) {
    const DWORD error = GetLastError();
    ThrowSystemError(error != 0 ? error : ERROR_RESOURCE_NAME_NOT_FOUND);
  }
  return Narrow(std::wstring_view(text, static_cast<std::size_t>(length)));
}

std::string Win32Desktop::TemporaryFolder() {
  // A user whose temporary folder lies deeper than MAX_PATH still has one.
  std::wstring folder(MAX_PATH + 1, L'\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD length = GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
    if (length == 0) ThrowLastError();
    if (length < folder.size()) {
      folder.resize(length);
      break;
    }
    folder.assign(length + 1, L'\0');
  }
  if (folder.empty() || folder.back() == L'\0') ThrowSystemError(ERROR_INSUFFICIENT_BUFFER);
  if (folder.back() != L'\\') folder += L'\\';
  return Narrow(folder);
}

void Win32Desktop::OpenHelp(const std::string& helpPath) {
  std::wstring parameter = Widen(helpPath);
  if (parameter.find(L' ') != std::wstring::npos && parameter.front() != L'"') parameter = L'"' + parameter + L'"';
  SetLastError(0);
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", L"hh.exe", parameter.c_str(), nullptr, SW_SHOWNORMAL));
  if (result > 32) return;
  const DWORD error = GetLastError();
  // Without a last error, the result is itself an error code (0 meaning out of memory).
  ThrowSystemError(error != 0 ? error : (result == 0 ? ERROR_OUTOFMEMORY : static_cast<DWORD>(result)));
}

std::uint32_t Win32Desktop::GetWaveVolume(int device) {
  DWORD volume = 0;
  const MMRESULT result = waveOutGetVolume(WaveDevice(device), &volume);
  if (result == MMSYSERR_NOERROR) return volume;
  // A system that takes no device id here still has the volume the program's own
  // sound is scaled by.
  if (device == 0 && waveOutGetNumDevs() > 0) return SoftwareWaveVolume();
  ThrowWaveError(result);
}

void Win32Desktop::SetWaveVolume(int device, std::uint32_t volume) {
  const MMRESULT result = waveOutSetVolume(WaveDevice(device), volume);
  if (result == MMSYSERR_NOERROR) return;
  if (device == 0 && waveOutGetNumDevs() > 0) {
    SoftwareWaveVolume() = volume;
    return;
  }
  ThrowWaveError(result);
}

std::string Win32Desktop::ReadUserSetting(const std::string& application, const std::string& section,
                                          const std::string& key) {
  const std::wstring path = std::wstring(kUserSettingsRoot) + L"\\" + Widen(application) + L"\\" + Widen(section);
  HKEY settings = nullptr;
  LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &settings);
  if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND) return {};
  if (status != ERROR_SUCCESS) ThrowSystemError(static_cast<DWORD>(status));

  const std::wstring name = Widen(key);
  std::vector<BYTE> data(256);
  DWORD type = 0;
  for (;;) {
    DWORD size = static_cast<DWORD>(data.size());
    status = RegQueryValueExW(settings, name.c_str(), nullptr, &type, data.data(), &size);
    if (status == ERROR_MORE_DATA) {
      data.resize(size + sizeof(wchar_t));
      continue;
    }
    data.resize(status == ERROR_SUCCESS ? size : 0);
    break;
  }
  RegCloseKey(settings);
  if (status == ERROR_FILE_NOT_FOUND) return {};
  if (status != ERROR_SUCCESS) ThrowSystemError(static_cast<DWORD>(status));
  if (type != REG_SZ) return {};

  // The stored string need not end with a NUL; it ends at the first one if it has one.
  std::wstring text(data.size() / sizeof(wchar_t), L'\0');
  std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
  text.resize(std::wcslen(text.c_str()));
  return Narrow(text);
}

double Win32Desktop::TwipsPerPixelX() { return TwipsPerPixel(LOGPIXELSX); }
double Win32Desktop::TwipsPerPixelY() { return TwipsPerPixel(LOGPIXELSY); }
int Win32Desktop::ScreenWidthPixels() { return GetSystemMetrics(SM_CXSCREEN); }
int Win32Desktop::ScreenHeightPixels() { return GetSystemMetrics(SM_CYSCREEN); }

void Win32Desktop::YieldToMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The thread's own message loop must still see it, after this handler returns.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    DispatchWithPreview(message);
  }
}

void Win32Desktop::PostKeyDown(WindowId window, int virtualKey, std::intptr_t keyData) {
  if (!PostMessageW(reinterpret_cast<HWND>(window), WM_KEYDOWN, static_cast<WPARAM>(virtualKey),
                    static_cast<LPARAM>(keyData))) {
    ThrowLastError();
  }
}

LocalTime Win32Desktop::Now() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

LocalTime Win32Desktop::ToLocalTime(std::int64_t fileTimeTicks) {
  FILETIME utc{static_cast<DWORD>(fileTimeTicks & 0xFFFFFFFF), static_cast<DWORD>(fileTimeTicks >> 32)};
  SYSTEMTIME universal{}, local{};
  if (!FileTimeToSystemTime(&utc, &universal) || !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) {
    ThrowLastError();
  }
  return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

namespace {

std::string LocaleText(LCTYPE what, const char* fallback) {
  wchar_t text[16] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, what, text, 16) <= 1) return fallback;
  return Narrow(text);
}

}  // namespace

std::string Win32Desktop::DateSeparator() { return LocaleText(LOCALE_SDATE, "/"); }
std::string Win32Desktop::TimeSeparator() { return LocaleText(LOCALE_STIME, ":"); }

std::string Win32Desktop::FormatShortDate(const LocalTime& time) {
  const SYSTEMTIME system = SystemTimeFrom(time);
  return Formatted([&](wchar_t* buffer, int size) {
    return GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &system, nullptr, buffer, size);
  });
}

std::string Win32Desktop::FormatShortTime(const LocalTime& time) {
  const SYSTEMTIME system = SystemTimeFrom(time);
  return Formatted([&](wchar_t* buffer, int size) {
    return GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &system, nullptr, buffer, size);
  });
}

int Win32Desktop::CompareTexts(const std::string& a, const std::string& b) {
  const std::wstring left = Widen(a), right = Widen(b);
  const int order = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, left.c_str(), static_cast<int>(left.size()),
                                   right.c_str(), static_cast<int>(right.size()));
  if (order == 0) return left.compare(right);  // the system could not compare them: code point order
  return order - CSTR_EQUAL;
}

}  // namespace tavelin::win32
