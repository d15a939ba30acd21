// Times Tavelin.exe under Wine starting with a store of 100,000 movies in 200
// categories (until its main window shows) and closing (until the process ends).
//   scripts/wine.sh build/win/startup_bench.exe
#include "win32/windows_api.h"

#include "stopwatch.h"

#include <cstdio>
#include <string>

#include "../../tests/e2e/program_under_test.h"

namespace {

using tavelin::bench::Seconds;

void WriteAll(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

int main() {
  constexpr int kCategories = 200, kPerCategory = 500;
  const std::wstring root = L"C:\\tavelin-startup-bench\\";
  CreateDirectoryW(root.c_str(), nullptr);
  const std::string movie = "FWS\x0a\x1d\0\0\0\x78\0\x05\x5f\0\0\x0f\xa0\0";
  std::string store = "\r\n60 0 0 False False False\r\n\r\nSearch";
  for (int c = 0; c < kCategories; ++c) {
    const std::wstring folder = root + L"f" + std::to_wstring(c) + L"\\";
    const bool exists = GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES;
    CreateDirectoryW(folder.c_str(), nullptr);
    store += "\r\n\r\nCategory " + std::to_string(c);
    for (int m = 0; m < kPerCategory; ++m) {
      const std::wstring path = folder + L"movie" + std::to_wstring(c * kPerCategory + m) + L".swf";
      if (!exists) WriteAll(path, movie);
      store += "\r\nC:\\tavelin-startup-bench\\f" + std::to_string(c) + "\\movie" + std::to_string(c * kPerCategory + m) + ".swf";
    }
  }
  store += "\r\n\r\n";
  WriteAll(tavelin::e2e::ProgramUnderTest::StorePath(), store);

  tavelin::e2e::ProgramUnderTest program;
  double start = Seconds();
  if (!program.Start(L"", /*keepStore=*/true)) return 1;
  const HWND window = program.WaitForWindow(L"TavelinMainWindow", 120000);
  if (!window) return 2;
  std::printf("start-up with %d stored movies: %.2f s\n", kCategories * kPerCategory, Seconds() - start);
  start = Seconds();
  PostMessageW(window, WM_CLOSE, 0, 0);
  program.WaitForExit(120000);
  std::printf("close, writing the store: %.2f s\n", Seconds() - start);
  DeleteFileW(tavelin::e2e::ProgramUnderTest::StorePath().c_str());
  return 0;
}
