// Two movies opened one after the other from one program folder: the second start
// hands its movie to the copy already running, which plays it and keeps both.
#include "win32/windows_api.h"

#include <gtest/gtest.h>

#include <string>

#include "program_under_test.h"
#include "shell/app_info.h"
#include "support/swf_writer.h"
#include "win32/main_window.h"
#include "win32/text.h"

namespace tavelin::e2e {
namespace {

std::wstring MovieFolder() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"tavelin-one-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

void WriteMovie(const std::wstring& path) {
  const auto bytes = testing::SwfWriter().StagePixels(200, 150).BackgroundColor({9, 9, 9}).ShowFrame().Bytes();
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string ReadAll(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  return bytes;
}

// Waits (bounded) until the main window's caption names the movie.
bool WaitForCaption(HWND window, const std::string& caption) {
  for (int i = 0; i < 150; ++i) {
    if (win32::Narrow(ProgramUnderTest::WindowCaption(window)) == caption) return true;
    Sleep(100);
  }
  return false;
}

TEST(OneLibrary, ASecondStartHandsItsMovieToTheRunningCopyWhichPlaysItAndKeepsBoth) {
  const std::wstring folder = MovieFolder();
  const std::wstring first = folder + L"first movie.swf", second = folder + L"second.swf";
  WriteMovie(first);
  WriteMovie(second);

  ProgramUnderTest running;
  ASSERT_TRUE(running.Start(first));
  const HWND mainWindow = running.WaitForWindow(win32::kMainWindowClass, 30000);
  ASSERT_NE(mainWindow, nullptr);
  ASSERT_TRUE(WaitForCaption(mainWindow, std::string(kAppTitle) + " - first movie.swf"));

  ProgramUnderTest later;
  ASSERT_TRUE(later.Start(second, /*keepStore=*/true));
  EXPECT_EQ(later.WaitForExit(30000), 0);  // it handed over and ended, never showing a window
  EXPECT_TRUE(WaitForCaption(mainWindow, std::string(kAppTitle) + " - second.swf"));

  PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  ASSERT_EQ(running.WaitForExit(15000), 0);
  const std::string store = ReadAll(ProgramUnderTest::StorePath());
  EXPECT_NE(store.find(win32::Narrow(first)), std::string::npos);
  EXPECT_NE(store.find(win32::Narrow(second)), std::string::npos);

  DeleteFileW(first.c_str());
  DeleteFileW(second.c_str());
  RemoveDirectoryW(folder.c_str());
  DeleteFileW(ProgramUnderTest::StorePath().c_str());
}

}  // namespace
}  // namespace tavelin::e2e
