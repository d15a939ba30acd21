#include <gtest/gtest.h>

#include "program_under_test.h"
#include "shell/app_info.h"
#include "win32/main_window.h"
#include "win32/text.h"

namespace tavelin::e2e {
namespace {

TEST(Startup, ShowsTheMainWindowWithItsCaptionAndEndsWhenItIsClosed) {
  ProgramUnderTest program;
  ASSERT_TRUE(program.Start(L""));
  const HWND mainWindow = program.WaitForWindow(win32::kMainWindowClass, 30000);
  ASSERT_NE(mainWindow, nullptr) << "no main window appeared";
  EXPECT_EQ(win32::Narrow(ProgramUnderTest::WindowCaption(mainWindow)), std::string(kAppTitle));

  PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(15000), 0);
}

}  // namespace
}  // namespace tavelin::e2e
