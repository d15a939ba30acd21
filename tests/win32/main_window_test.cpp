#include "win32/main_window.h"

#include <gtest/gtest.h>

#include "shell/app_info.h"
#include "win32/text.h"

namespace tavelin::win32 {
namespace {

TEST(MainWindow, OpensWithTheProgramCaptionAndItsDesignedClientSizeCentred) {
  MainWindow window(/*quitOnDestroy=*/false);
  ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr)));
  window.Show(SW_SHOWNORMAL);

  wchar_t caption[256] = {};
  GetWindowTextW(window.Handle(), caption, 256);
  EXPECT_EQ(Narrow(caption), std::string(kAppTitle));

  RECT client{};
  GetClientRect(window.Handle(), &client);
  EXPECT_EQ(client.right, 9315 / ScreenTwipsPerPixelX());
  EXPECT_EQ(client.bottom, 7530 / ScreenTwipsPerPixelY());

  RECT outer{};
  GetWindowRect(window.Handle(), &outer);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  EXPECT_NEAR(outer.left, screenWidth - outer.right, 1);
}

TEST(MainWindow, ClosingDestroysTheWindowWithoutEndingTheTestsLoop) {
  MainWindow window(/*quitOnDestroy=*/false);
  ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr)));
  const HWND hwnd = window.Handle();
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(window.Handle(), nullptr);
  MSG message;
  EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(ScreenMetrics, TwipsPerPixelMatchTheScreensDotsPerInch) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(ScreenTwipsPerPixelX(), (1440 + dpi / 2) / dpi);
}

}  // namespace
}  // namespace tavelin::win32
