#include "win32/ports/desktop.h"

#include <mmsystem.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cwchar>
#include <string>

#include "platform/failure.h"
#include "win32/ports/system_error.h"
#include "win32/text.h"

namespace tavelin::win32 {
namespace {

constexpr wchar_t kReportSwitch[] = L"--tavelin-report-startup=";

// When the StartProcess test starts this program with the switch above, the copy only
// writes down how it was asked to show itself, and ends before any test runs.
const bool kIsStartupReporter = [] {
  const wchar_t* commandLine = GetCommandLineW();
  const wchar_t* found = std::wcsstr(commandLine, kReportSwitch);
  if (found == nullptr) return false;
  std::wstring path = found + std::wcslen(kReportSwitch);
  if (!path.empty() && path.front() == L'"') path = path.substr(1, path.find(L'"', 1) - 1);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  char report[64];
  const int length = std::snprintf(report, sizeof report, "%lu %u", static_cast<unsigned long>(startup.dwFlags),
                                   static_cast<unsigned>(startup.wShowWindow));
  const std::wstring partial = path + L".part";
  HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, report, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(file);
    MoveFileW(partial.c_str(), path.c_str());  // appears whole, never half written
  }
  ExitProcess(0);
}();

std::wstring ModulePath() {
  wchar_t path[4096] = {};
  GetModuleFileNameW(nullptr, path, 4096);
  return path;
}

std::wstring TempFile(const wchar_t* stem) {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  wchar_t name[MAX_PATH + 80];
  swprintf(name, MAX_PATH + 80, L"%lstavelin-%ls-%lu-%lu.txt", temp, stem, GetCurrentProcessId(), GetTickCount());
  return name;
}

// Waits, within a generous bound, for a file another process writes, and reads it.
std::string WaitForFile(const std::wstring& path) {
  for (int attempt = 0; attempt < 600; ++attempt) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      char buffer[128] = {};
      DWORD read = 0;
      ReadFile(file, buffer, sizeof buffer - 1, &read, nullptr);
      CloseHandle(file);
      DeleteFileW(path.c_str());
      return std::string(buffer, read);
    }
    Sleep(100);
  }
  return "(never written)";
}

TEST(DesktopPortProcess, StartsWithTheRequestedShowStateWithoutWaiting) {
  Win32Desktop desktop;
  const struct {
    ShowState state;
    unsigned showWindow;
  } cases[] = {{ShowState::kHidden, SW_HIDE},
               {ShowState::kMinimizedWithFocus, SW_SHOWMINIMIZED},
               {ShowState::kNormal, SW_SHOWNORMAL}};
  for (const auto& expected : cases) {
    const std::wstring report = TempFile(L"startup");
    const std::wstring command = L"\"" + ModulePath() + L"\" " + kReportSwitch + L"\"" + report + L"\"";
    desktop.StartProcess(Narrow(command), expected.state);
    char wanted[64];
    std::snprintf(wanted, sizeof wanted, "%lu %u", static_cast<unsigned long>(STARTF_USESHOWWINDOW),
                  expected.showWindow);
    EXPECT_EQ(WaitForFile(report), wanted);
  }
}

TEST(DesktopPortProcess, AMissingProgramFailsWithTheSystemsDescription) {
  Win32Desktop desktop;
  try {
    desktop.StartProcess("\"C:\\no such folder\\没有这个程序.exe\" /x", ShowState::kNormal);
    ADD_FAILURE() << "a missing program started";
  } catch (const Failure& failure) {
    const std::string text = failure.what();
    EXPECT_TRUE(text == SystemErrorText(ERROR_FILE_NOT_FOUND) || text == SystemErrorText(ERROR_PATH_NOT_FOUND))
        << text;
  }
}

std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return L"(clipboard busy)";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT); data != nullptr) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data)); chars != nullptr) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

TEST(DesktopPortClipboard, ChineseTextRoundTripsAndReplacesWhatWasThere) {
  Win32Desktop desktop;
  desktop.SetClipboardText("第一段");
  desktop.SetClipboardText("C:\\影片\\猫和老鼠 \xF0\x9F\x8E\xAC.swf");
  EXPECT_EQ(ClipboardText(), L"C:\\影片\\猫和老鼠 \U0001F3AC.swf");
  desktop.SetClipboardText("");
  EXPECT_EQ(ClipboardText(), L"");
}

// A per-user setting written the way the program's earlier versions wrote it.
class DesktopPortSetting : public ::testing::Test {
 protected:
  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kUserSettingsRoot) + L"\\" + kApplication).c_str());
  }
  void Write(const wchar_t* section, const wchar_t* key, const void* data, DWORD bytes, DWORD type = REG_SZ) {
    HKEY handle = nullptr;
    const std::wstring path = std::wstring(kUserSettingsRoot) + L"\\" + kApplication + L"\\" + section;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                              nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(handle, key, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
    RegCloseKey(handle);
  }

  static constexpr wchar_t kApplication[] = L"Tavelin 端口测试";
  Win32Desktop desktop_;
};

TEST_F(DesktopPortSetting, ReadsTheStringValueAndGivesEmptyWhenAbsent) {
  const std::wstring folder = L"D:\\我的影片\\한국";
  Write(L"设置", L"影片目录", folder.c_str(), static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
  // Stored without its terminating NUL, as some tools write strings.
  const std::wstring bare = L"无结尾";
  Write(L"设置", L"bare", bare.c_str(), static_cast<DWORD>(bare.size() * sizeof(wchar_t)));
  const DWORD number = 42;
  Write(L"设置", L"number", &number, sizeof number, REG_DWORD);
  const std::wstring longValue(5000, L'长');
  Write(L"其他", L"long", longValue.c_str(), static_cast<DWORD>((longValue.size() + 1) * sizeof(wchar_t)));

  EXPECT_EQ(desktop_.ReadUserSetting("Tavelin 端口测试", "设置", "影片目录"), "D:\\我的影片\\한국");
  EXPECT_EQ(desktop_.ReadUserSetting("Tavelin 端口测试", "设置", "bare"), "无结尾");
  EXPECT_EQ(desktop_.ReadUserSetting("Tavelin 端口测试", "其他", "long"), Narrow(longValue));
  EXPECT_EQ(desktop_.ReadUserSetting("Tavelin 端口测试", "设置", "number"), "");
  EXPECT_EQ(desktop_.ReadUserSetting("Tavelin 端口测试", "设置", "没有"), "");
  EXPECT_EQ(desktop_.ReadUserSetting("Tavelin 端口测试", "没有这节", "影片目录"), "");
  EXPECT_EQ(desktop_.ReadUserSetting("没有这个程序", "设置", "影片目录"), "");
}

TEST(DesktopPortVolume, EitherWorksOnTheDeviceOrFailsBothWaysWithADescription) {
  Win32Desktop desktop;
  if (waveOutGetNumDevs() == 0) {
    // No wave-out device, as under a virtual screen without sound.
    EXPECT_THROW(desktop.GetWaveVolume(0), Failure);
    try {
      desktop.SetWaveVolume(0, 0x80008000);
      ADD_FAILURE() << "setting the volume of a missing device succeeded";
    } catch (const Failure& failure) {
      EXPECT_STRNE(failure.what(), "");
    }
  } else {
    const std::uint32_t original = desktop.GetWaveVolume(0);
    desktop.SetWaveVolume(0, 0x40002000);
    const std::uint32_t changed = desktop.GetWaveVolume(0);
    desktop.SetWaveVolume(0, original);
    // Devices may round each channel a little.
    EXPECT_NEAR(static_cast<double>(changed & 0xFFFF), 0x2000, 0x200);
    EXPECT_NEAR(static_cast<double>(changed >> 16), 0x4000, 0x200);
  }
  // A device id far beyond those present always fails with the system's text.
  try {
    desktop.GetWaveVolume(1000);
    ADD_FAILURE() << "device 1000 has a volume";
  } catch (const Failure& failure) {
    EXPECT_STRNE(failure.what(), "");
  }
}

TEST(DesktopPortScreen, MetricsMatchTheScreen) {
  Win32Desktop desktop;
  HDC screen = GetDC(nullptr);
  const int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
  const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  EXPECT_DOUBLE_EQ(desktop.TwipsPerPixelX() * dpiX, 1440.0);
  EXPECT_DOUBLE_EQ(desktop.TwipsPerPixelY() * dpiY, 1440.0);
  EXPECT_EQ(desktop.ScreenWidthPixels(), GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(desktop.ScreenHeightPixels(), GetSystemMetrics(SM_CYSCREEN));
  EXPECT_GT(desktop.ScreenWidthPixels(), desktop.ScreenHeightPixels() / 2);
}

// A window that counts the messages it is sent.
class DesktopPortQueue : public ::testing::Test {
 protected:
  static constexpr UINT kPing = WM_APP + 7;

  void SetUp() override {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &DesktopPortQueue::Proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TavelinPortQueueTest";
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, L"TavelinPortQueueTest", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    pings_ = 0;
    MSG stale;
    while (PeekMessageW(&stale, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  void TearDown() override { DestroyWindow(window_); }

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPing) {
      ++pings_;
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  static inline int pings_ = 0;
  HWND window_ = nullptr;
  Win32Desktop desktop_;
};

TEST_F(DesktopPortQueue, PostedKeyDownArrivesWithItsKeyAndData) {
  desktop_.PostKeyDown(reinterpret_cast<WindowId>(window_), VK_RIGHT, 0x014D0001);
  MSG message{};
  ASSERT_TRUE(PeekMessageW(&message, window_, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
  EXPECT_EQ(message.wParam, static_cast<WPARAM>(VK_RIGHT));
  EXPECT_EQ(message.lParam, static_cast<LPARAM>(0x014D0001));
  EXPECT_FALSE(PeekMessageW(&message, window_, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));

  try {
    desktop_.PostKeyDown(reinterpret_cast<WindowId>(window_) + 0x10000, VK_SPACE, 0);
    ADD_FAILURE() << "posting to a window that does not exist succeeded";
  } catch (const Failure& failure) {
    EXPECT_EQ(std::string(failure.what()), SystemErrorText(ERROR_INVALID_WINDOW_HANDLE));
  }
}

TEST_F(DesktopPortQueue, YieldRunsPendingMessagesAndLeavesTheQuitRequestForTheLoop) {
  PostMessageW(window_, kPing, 0, 0);
  PostMessageW(window_, kPing, 0, 0);
  PostQuitMessage(7);
  PostMessageW(window_, kPing, 0, 0);

  desktop_.YieldToMessages();
  EXPECT_EQ(pings_, 3);
  MSG message{};
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);

  desktop_.YieldToMessages();  // an empty queue returns at once
  EXPECT_EQ(pings_, 3);
}

// Date and time fields in order of significance, for comparing moments.
std::array<int, 6> Fields(const SYSTEMTIME& t) { return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond}; }
std::array<int, 6> Fields(const LocalTime& t) { return {t.year, t.month, t.day, t.hour, t.minute, t.second}; }

TEST(DesktopPortClock, NowLiesBetweenTwoReadingsOfTheLocalClock) {
  Win32Desktop desktop;
  SYSTEMTIME before{}, after{};
  GetLocalTime(&before);
  const LocalTime now = desktop.Now();
  GetLocalTime(&after);
  EXPECT_LE(Fields(before), Fields(now));
  EXPECT_LE(Fields(now), Fields(after));
}

TEST(DesktopPortClock, ShortFormatsFollowTheUsersLocale) {
  Win32Desktop desktop;
  const LocalTime morning{2024, 3, 5, 7, 8, 9};
  const std::string date = desktop.FormatShortDate(morning);
  const std::string time = desktop.FormatShortTime(morning);
  // The Simplified Chinese short date puts the year first.
  EXPECT_EQ(date.rfind("2024", 0), 0u) << date;
  EXPECT_NE(date.find('3'), std::string::npos) << date;
  EXPECT_NE(date.find('5'), std::string::npos) << date;
  EXPECT_NE(date, desktop.FormatShortDate({2024, 3, 6, 7, 8, 9}));
  // Hours and minutes, never seconds.
  EXPECT_NE(time.find("08"), std::string::npos) << time;
  EXPECT_EQ(time.find("09"), std::string::npos) << time;
  EXPECT_NE(time, desktop.FormatShortTime({2024, 3, 5, 19, 8, 9}));
  EXPECT_EQ(date.find('\0'), std::string::npos);
  EXPECT_EQ(time.find('\0'), std::string::npos);

  EXPECT_THROW(desktop.FormatShortDate({2024, 13, 40, 0, 0, 0}), Failure);
  EXPECT_THROW(desktop.FormatShortTime({2024, 3, 5, 25, 61, 0}), Failure);
}

}  // namespace
}  // namespace tavelin::win32
