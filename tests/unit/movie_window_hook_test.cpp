// The movie window's rules, driven as the mouse and the keyboard would.
#include "shell/movie_window_hook.h"

#include <gtest/gtest.h>

#include "support/main_window_fixture.h"

namespace tavelin::testing {
namespace {

struct FakeSurface : MovieSurface {
  PointerShape cursor = PointerShape::kArrow;
  std::vector<BandRect> drawn;
  int drags = 0, bands = 0;
  int clientWidth = 275, clientHeight = 200;
  std::vector<int> forwardedKeys;
  std::vector<std::string> focus;

  PointerShape Cursor() override { return cursor; }
  void ShowArrowCursor() override { cursor = PointerShape::kArrow; }
  void BeginBand() override { bands = 1; }
  void DrawBand(const BandRect& band) override { drawn.push_back(band); }
  void EndBand() override { bands = 0; }
  void DragOutputWindow() override { ++drags; }
  void OutputClientSize(int& width, int& height) override {
    width = clientWidth;
    height = clientHeight;
  }
  void ForwardKeyDown(int virtualKey, std::intptr_t) override { forwardedKeys.push_back(virtualKey); }
  void FocusMainWindow() override { focus.push_back("main"); }
  void FocusOutputWindow() override { focus.push_back("output"); }
};

class MovieHook : public MainWindowFixture {
 protected:
  void SetUp() override {
    cwin.Load("");
    AddMovie("C:\\m\\a.swf", SwfWriter().Stage(0, 11000, 0, 8000).BackgroundColor({1, 2, 3}));
    putOut.control.totalFrames = 500;
    cwin.Playback().Play("C:\\m\\a.swf");
    putOut.control.calls.clear();
  }
  FakeSurface surface;
  MovieWindowHook hook{cwin, surface};
};

TEST_F(MovieHook, TheAreaZoomBandFollowsTheDragAndZoomsToItsStageTwips) {
  cwin.PlayerMenuCommand(player_menu::kZoomRect);
  hook.LeftButtonDown(100, 50);
  hook.MouseMove(1, 40, 80);
  hook.MouseMove(1, 120, 60);
  hook.MouseMove(1 | 8, 500, 500);  // with Ctrl held the band stays
  EXPECT_EQ(hook.Band(), (BandRect{100, 50, 120, 60}));
  // Each move erases the band drawn before and draws the new one.
  ASSERT_EQ(surface.drawn.size(), 4u);
  EXPECT_EQ(surface.drawn[2], (BandRect{40, 50, 100, 80}));
  EXPECT_EQ(surface.drawn[3], (BandRect{100, 50, 120, 60}));
  EXPECT_EQ(surface.drags, 0);

  // A 550 x 400 stage in a 275 x 200 window: 40 twips of stage a pixel.
  hook.LeftButtonDown(10, 20);
  hook.MouseMove(1, 110, 120);
  hook.LeftButtonUp();
  EXPECT_EQ(putOut.control.calls,
            (std::vector<std::string>{"Stop()", "Stop()", "SetZoomRect(400,800,4400,4800)", "Play()"}));
  EXPECT_EQ(hook.Band(), BandRect{});
  EXPECT_EQ(surface.bands, 0);
}

TEST_F(MovieHook, DragFullScreenAndFocusActOnlyOverTheArrowAndTheMenuNotOverText) {
  surface.cursor = PointerShape::kOther;  // a button of the movie
  hook.LeftButtonDown(5, 5);
  hook.ToggleFullScreen();
  EXPECT_EQ(surface.drags, 0);
  EXPECT_EQ(putOut.state, WindowState::kNormal);

  surface.cursor = PointerShape::kArrow;
  hook.LeftButtonDown(5, 5);
  EXPECT_EQ(surface.drags, 1);
  hook.ToggleFullScreen();
  EXPECT_EQ(putOut.state, WindowState::kMaximized);
  hook.LeftButtonDown(5, 5);  // a full-screen window is not dragged
  EXPECT_EQ(surface.drags, 1);
  hook.LeftButtonUp();
  hook.LeftButtonUp();
  EXPECT_EQ(surface.focus, (std::vector<std::string>{"main", "output"}));

  surface.cursor = PointerShape::kIBeam;
  EXPECT_FALSE(hook.RightButtonDown());
  EXPECT_TRUE(window.pointerMenus.empty());
  surface.cursor = PointerShape::kArrow;
  EXPECT_TRUE(hook.RightButtonDown());
  ASSERT_EQ(window.pointerMenus.size(), 1u);
  hook.ToggleFullScreen();
  EXPECT_EQ(putOut.state, WindowState::kNormal);
}

TEST_F(MovieHook, TheWheelOutsideResizesKeepingTheAspectOnScreenAndInsideSteps) {
  desktop.screenWidth = 1024;
  desktop.screenHeight = 768;
  putOut.MoveTwips(950 * 15, 100 * 15, 100 * 15, 50 * 15);  // near the right edge
  putOut.moves = 0;
  // Toward the user: 300 twips wider, the height in proportion, pushed back on screen.
  EXPECT_TRUE(hook.Wheel(-120, 0, 10, 10));
  EXPECT_EQ(putOut.width, 1800);
  EXPECT_EQ(putOut.height, 900);
  EXPECT_EQ(putOut.left, 1024 * 15 - 1800);
  EXPECT_EQ(putOut.top, 1500);
  // Away from the user: narrower, left and top kept, never below 450 twips.
  putOut.MoveTwips(0, 0, 750, 600);
  EXPECT_TRUE(hook.Wheel(120, 0, 2000, 2000));
  EXPECT_EQ(putOut.width, 450);
  EXPECT_EQ(putOut.height, 360);
  EXPECT_EQ(putOut.left, 0);
  const int moves = putOut.moves;
  EXPECT_FALSE(hook.Wheel(120, 0, 2000, 2000));
  EXPECT_EQ(putOut.moves, moves);
  EXPECT_TRUE(putOut.control.calls.empty());

  // Inside the window (or in full screen) the wheel steps frames instead.
  putOut.MoveTwips(0, 0, 3000, 3000);
  putOut.control.currentFrame = 100;
  hook.Wheel(120, 0, 50, 50);
  putOut.state = WindowState::kMaximized;
  hook.Wheel(120, 0x0008, 2000, 2000);
  EXPECT_EQ(putOut.control.calls, (std::vector<std::string>{"GotoFrame(88)", "Play()", "GotoFrame(87)"}));
}

TEST_F(MovieHook, KeysGoToTheShortcutsOnlyWhileKeyPreviewIsOn) {
  hook.KeyDown(90, 0);
  cwin.TC_ButtonClick(10);  // shortcuts off
  hook.KeyDown(88, 0);
  EXPECT_EQ(surface.forwardedKeys, (std::vector<int>{90}));
}

}  // namespace
}  // namespace tavelin::testing
