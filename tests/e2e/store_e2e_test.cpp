// The library survives a restart: Tavelin.exe reads a prepared store and writes it
// back when its main window is closed.
#include "win32/windows_api.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program_under_test.h"
#include "support/swf_writer.h"
#include "win32/main_window.h"
#include "win32/text.h"

namespace tavelin::e2e {
namespace {

std::string ReadAll(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  return bytes;
}

void WriteAll(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

// Text in the ANSI code page, as the store keeps it.
std::string Ansi(const std::wstring& text) {
  const int length = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), ansi.data(), length, nullptr, nullptr);
  return ansi;
}

TEST(LibraryStore, IsReadAtStartAndWrittenBackByteForByteAtClose) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"tavelin-store-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  const auto movie = testing::SwfWriter().StagePixels(320, 240).BackgroundColor({1, 2, 3}).ShowFrame().Bytes();
  std::vector<std::wstring> movies{folder + L"猫和老鼠.swf", folder + L"intro movie.swf", folder + L"cat.swf"};
  for (const auto& path : movies) WriteAll(path, std::string(movie.begin(), movie.end()));

  const std::wstring store = folder + L"\r\n120 3 2 False True False\r\n\r\n搜索结果\r\n" + movies[0] + L"\r\n" +
                             movies[1] + L"\r\n\r\n动画片\r\n" + movies[2] + L"\r\n\r\n空类别\r\n\r\n";
  const std::string expected = Ansi(store);
  WriteAll(ProgramUnderTest::StorePath(), expected);

  ProgramUnderTest program;
  ASSERT_TRUE(program.Start(L"", /*keepStore=*/true));
  const HWND mainWindow = program.WaitForWindow(win32::kMainWindowClass, 30000);
  ASSERT_NE(mainWindow, nullptr);
  Sleep(500);
  PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  ASSERT_EQ(program.WaitForExit(15000), 0);
  EXPECT_EQ(ReadAll(ProgramUnderTest::StorePath()), expected);

  for (const auto& path : movies) DeleteFileW(path.c_str());
  RemoveDirectoryW(folder.c_str());
  DeleteFileW(ProgramUnderTest::StorePath().c_str());
}

}  // namespace
}  // namespace tavelin::e2e
