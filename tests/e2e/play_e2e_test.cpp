// Tavelin.exe started with a movie on its command line plays it in an output window
// sized to the stage and painted in the movie's background colour.
#include "win32/windows_api.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program_under_test.h"
#include "shell/app_info.h"
#include "support/swf_writer.h"
#include "win32/main_window.h"
#include "win32/output_window.h"
#include "win32/text.h"

namespace tavelin::e2e {
namespace {

// Writes a movie to a fresh temporary folder under a name with spaces and characters
// outside the ANSI code page.
std::wstring WriteMovie(const std::wstring& name, const std::vector<std::uint8_t>& bytes) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"tavelin-e2e-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring path = folder + L"\\" + name;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return path;
}

COLORREF PixelAtCentre(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  HDC screen = GetDC(nullptr);
  const COLORREF pixel = GetPixel(screen, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  ReleaseDC(nullptr, screen);
  return pixel;
}

TEST(PlayingFromTheCommandLine, ShowsTheMovieInAnOutputWindowSizedToTheStage) {
  const auto movie = testing::SwfWriter()
                         .Compressed(true)
                         .StagePixels(550, 400)
                         .FrameRate(25)
                         .BackgroundColor({0x20, 0x90, 0x40})
                         .ShowFrame()
                         .ShowFrame()
                         .Bytes();
  const std::wstring path = WriteMovie(L"한국 영화.swf", movie);

  ProgramUnderTest program;
  ASSERT_TRUE(program.Start(path));
  const HWND mainWindow = program.WaitForWindow(win32::kMainWindowClass, 30000);
  const HWND output = program.WaitForWindow(win32::kOutputWindowClass, 30000);
  ASSERT_NE(mainWindow, nullptr);
  ASSERT_NE(output, nullptr);

  EXPECT_EQ(win32::Narrow(ProgramUnderTest::WindowCaption(mainWindow)), std::string(kAppTitle) + " - 한국 영화.swf");
  RECT outer{};
  GetWindowRect(output, &outer);
  EXPECT_EQ(outer.right - outer.left, 558);
  EXPECT_EQ(outer.bottom - outer.top, 408);
  EXPECT_EQ(outer.top, 0);
  EXPECT_NEAR((outer.left + outer.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 5);
  // The first frames may still be on their way to the screen: look for up to five seconds.
  COLORREF pixel = PixelAtCentre(output);
  for (int wait = 0; wait < 50 && pixel != RGB(0x20, 0x90, 0x40); ++wait) {
    Sleep(100);
    pixel = PixelAtCentre(output);
  }
  EXPECT_EQ(pixel, RGB(0x20, 0x90, 0x40));

  PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(15000), 0);
  DeleteFileW(path.c_str());
  RemoveDirectoryW(path.substr(0, path.find_last_of(L'\\')).c_str());
}

}  // namespace
}  // namespace tavelin::e2e
