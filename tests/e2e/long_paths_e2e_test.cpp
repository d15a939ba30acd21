// Tavelin.exe given a movie deeper than MAX_PATH, named outside the ANSI code page, on
// its command line: it plays it, files it, and the library keeps it across restarts.
#include "win32/windows_api.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program_under_test.h"
#include "shell/app_info.h"
#include "support/swf_writer.h"
#include "win32/deep_folder.h"
#include "win32/main_window.h"
#include "win32/output_window.h"
#include "win32/text.h"

namespace tavelin::e2e {
namespace {

std::string StoreBytes() {
  const std::vector<std::uint8_t> bytes = win32::DeepFolder::Read(ProgramUnderTest::StorePath());
  return {bytes.begin(), bytes.end()};
}

// Starts the program, waits for its windows, and closes it as the user would.
struct ProgramRun {
  explicit ProgramRun(const std::wstring& arguments, bool keepStore) {
    started = program.Start(arguments, keepStore);
    mainWindow = program.WaitForWindow(win32::kMainWindowClass, 30000);
    output = program.WaitForWindow(win32::kOutputWindowClass, 30000);
  }
  long Close() {
    Sleep(500);
    PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    return program.WaitForExit(15000);
  }
  ProgramUnderTest program;
  bool started = false;
  HWND mainWindow = nullptr, output = nullptr;
};

TEST(LongPathsInTheProgram, AMovieOnTheCommandLinePlaysAndStaysInTheLibraryAcrossRestarts) {
  win32::DeepFolder deep{L"命令行"};
  const std::wstring name = L"고양이 🐭 猫.swf";
  const std::wstring path = deep.Path() + name;
  ASSERT_GT(path.size(), static_cast<std::size_t>(MAX_PATH));
  win32::DeepFolder::Write(path, testing::SwfWriter().StagePixels(320, 200).BackgroundColor({1, 2, 3}).ShowFrame().Bytes());

  {
    ProgramRun first(path, /*keepStore=*/false);
    ASSERT_TRUE(first.started);
    ASSERT_NE(first.mainWindow, nullptr);
    ASSERT_NE(first.output, nullptr);
    EXPECT_EQ(win32::Narrow(ProgramUnderTest::WindowCaption(first.mainWindow)),
              std::string(kAppTitle) + " - " + win32::Narrow(name));
    RECT outer{};
    GetWindowRect(first.output, &outer);
    EXPECT_EQ(outer.right - outer.left, 328);  // sized to the stage
    ASSERT_EQ(first.Close(), 0);
  }
  // The search results keep the movie's exact path; the store stays in the ANSI code
  // page with that one line in its UTF-8 form.
  const std::string stored = StoreBytes();
  EXPECT_NE(stored.find("\r\n<utf-8:"), std::string::npos);
  EXPECT_NE(stored.compare(0, 3, "\xEF\xBB\xBF"), 0);

  // A restart reads it back and the next close writes the same library again: an entry
  // whose path came back wrong would name no file and be gone.
  {
    ProgramRun second(L"", /*keepStore=*/true);
    ASSERT_TRUE(second.started);
    ASSERT_NE(second.mainWindow, nullptr);
    ASSERT_EQ(second.Close(), 0);
  }
  EXPECT_EQ(StoreBytes(), stored);
  DeleteFileW(ProgramUnderTest::StorePath().c_str());
}

}  // namespace
}  // namespace tavelin::e2e
