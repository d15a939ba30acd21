// The bottom strip's bar and the 200 ms status tick.
#include <gtest/gtest.h>

#include "support/main_window_fixture.h"

namespace tavelin::testing {
namespace {

class StatusBar : public MainWindowFixture {
 protected:
  void SetUp() override {
    cwin.Load("");
    files.AddFile("C:\\a.swf", SwfWriter().FrameRate(12).BackgroundColor({}).Bytes());
    files.AddFile("C:\\b.swf", SwfWriter().FrameRate(12).BackgroundColor({}).Bytes());
  }
  // A movie of `frames` frames at 12 per second, stopped at `frame`.
  void StoppedAt(int frame, int frames) {
    putOut.control.totalFrames = frames;
    cwin.Playback().Play("C:\\a.swf");
    putOut.control.currentFrame = frame;
    putOut.control.playing = false;
    putOut.control.calls.clear();
  }
  static constexpr double kTwips = 15;  // per pixel in the fakes
};

TEST_F(StatusBar, TickShowsFrameTimeAndPercentAndMovesTheThumb) {
  StoppedAt(500, 1000);
  putOut.control.playing = true;
  cwin.Playback().Timer1_Timer();
  EXPECT_EQ(cwin.Playback().Label(1), "500");
  EXPECT_EQ(cwin.Playback().Label(5), "50 %");
  EXPECT_EQ(window.thumbLeft, 101);
  putOut.control.currentFrame = 750;
  cwin.Playback().Timer1_Timer();
  EXPECT_EQ(cwin.Playback().Label(3), "1:2");  // 62 seconds at 12 frames per second
  EXPECT_EQ(desktop.yields, 2);
}

TEST_F(StatusBar, TickWritesTheThumbAndPercentOnlyWhenTheyChange) {
  StoppedAt(500, 1000);
  putOut.control.playing = true;
  cwin.Playback().Timer1_Timer();
  const int moves = window.thumbMoves;
  cwin.Playback().Timer1_Timer();
  putOut.control.currentFrame = 501;  // still position 100
  cwin.Playback().Timer1_Timer();
  EXPECT_EQ(window.thumbMoves, moves);
}

TEST_F(StatusBar, ListLoopAdvancesPastPosition190Only) {
  cwin.Options.ListLoop = true;
  StoppedAt(950, 1000);  // P = 190
  cwin.Playback().Timer1_Timer();
  EXPECT_TRUE(desktop.postedKeys.empty());
  putOut.control.currentFrame = 955;  // P = 191: the next file, Down then Enter in the list
  cwin.Playback().Timer1_Timer();
  ASSERT_EQ(desktop.postedKeys.size(), 2u);
  EXPECT_EQ(desktop.postedKeys[0].window, 0x1111u);
  EXPECT_EQ(desktop.postedKeys[0].virtualKey, 40);
  EXPECT_EQ(desktop.postedKeys[0].keyData, 2);
  EXPECT_EQ(desktop.postedKeys[1].virtualKey, 13);
  desktop.postedKeys.clear();
  cwin.Options.ListLoop = false;
  cwin.Playback().Timer1_Timer();
  EXPECT_TRUE(desktop.postedKeys.empty());
}

TEST_F(StatusBar, AutoPlayRestartsOnlyLongMoviesStoppedNearTheirStart) {
  cwin.Options.AutoPlay = true;
  StoppedAt(10, 100);
  cwin.Playback().Timer1_Timer();
  EXPECT_EQ(putOut.control.calls, std::vector<std::string>{"Play()"});
  StoppedAt(10, 60);
  cwin.Playback().Timer1_Timer();
  EXPECT_TRUE(putOut.control.calls.empty());
  cwin.Options.AutoPlay = false;
  StoppedAt(10, 100);
  cwin.Playback().Timer1_Timer();
  EXPECT_TRUE(putOut.control.calls.empty());
}

TEST_F(StatusBar, TickWithoutAMovieOrWithZeroRatesFailsSilently) {
  putOut.control.failures["CurrentFrame"] = "没有载入影片";
  cwin.Playback().Timer1_Timer();
  EXPECT_EQ(cwin.Playback().Label(1), "");
  putOut.control.failures.clear();
  StoppedAt(5, 0);
  cwin.Playback().FrameRate = 0;
  cwin.Playback().Timer1_Timer();
  EXPECT_EQ(cwin.Playback().Label(1), "5");
  EXPECT_EQ(cwin.Playback().Label(3), "");
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(StatusBar, StatusLineShowsOnlyInFullScreen) {
  StoppedAt(500, 1000);
  cwin.Playback().ShowStatus = true;
  cwin.Playback().PutOut_Resize(WindowState::kNormal);
  cwin.Playback().Timer1_Timer();
  EXPECT_EQ(window.statusLine, "");
  cwin.Playback().ShowStatus = true;
  cwin.Playback().PutOut_Resize(WindowState::kMaximized);
  cwin.Playback().Timer1_Timer();
  EXPECT_EQ(window.statusLine, "当前文件：[C:\\a.swf] 总帧数：[1000] 当前帧：[500] 进度：[50 %] 时钟：[2026/12/7 9:05]");
  EXPECT_EQ(window.statusWidth, static_cast<int>(window.statusLine.size()) * 6 + 20);
}

TEST_F(StatusBar, LeftDragPreviewsClampsAndSeeksOnALevelRelease) {
  StoppedAt(0, 1000);
  cwin.Playback().Slider_MouseDown(1, 0, 5 * kTwips, 5 * kTwips);
  EXPECT_FALSE(cwin.Playback().TrackProgress);
  cwin.Playback().Slider_MouseMove(1, 0, 105 * kTwips, 5 * kTwips);
  EXPECT_EQ(window.thumbLeft, 101);
  EXPECT_EQ(cwin.Playback().Label(1), "500");
  EXPECT_EQ(cwin.Playback().Label(5), "50 %");
  EXPECT_TRUE(putOut.control.calls.empty());  // the movie does not move while dragging
  cwin.Playback().Slider_MouseUp(1, 0, 5 * kTwips, 6 * kTwips);
  EXPECT_EQ(putOut.control.calls, (std::vector<std::string>{"GotoFrame(500)", "Play()"}));
  EXPECT_TRUE(cwin.Playback().TrackProgress);

  putOut.control.calls.clear();
  cwin.Playback().Slider_MouseUp(1, 2, 5 * kTwips, 6 * kTwips);  // Ctrl held
  EXPECT_EQ(putOut.control.calls, std::vector<std::string>{"GotoFrame(500)"});
  putOut.control.calls.clear();
  cwin.Playback().Slider_MouseUp(1, 0, 5 * kTwips, 20 * kTwips);  // below the thumb
  EXPECT_EQ(putOut.control.calls, std::vector<std::string>{"Play()"});

  cwin.Playback().Slider_MouseDown(1, 0, 0, 0);
  cwin.Playback().Slider_MouseMove(1, 0, 900 * kTwips, 0);
  EXPECT_EQ(window.thumbLeft, 201);
  cwin.Playback().Slider_MouseMove(1, 0, -900 * kTwips, 0);
  EXPECT_EQ(window.thumbLeft, 1);
}

TEST_F(StatusBar, RightDragSetsBothChannelsOfTheVolume) {
  cwin.Playback().Slider_MouseDown(2, 0, 0, 0);
  cwin.Playback().Slider_MouseMove(2, 0, 300 * kTwips, 0);
  EXPECT_EQ(desktop.waveVolume, 0xFFFFFFFFu);
  EXPECT_EQ(cwin.Playback().Label(4), "100 %");
  cwin.Playback().Slider_MouseMove(2, 0, -100 * kTwips, 0);  // back to P = 100
  EXPECT_EQ(desktop.waveVolume, 0x7FFF7FFFu);
  EXPECT_EQ(cwin.Playback().Label(4), "50 %");
  cwin.Playback().Slider_MouseMove(4, 0, 50 * kTwips, 0);  // the middle button drags nothing
  EXPECT_EQ(window.thumbLeft, 101);
}

TEST_F(StatusBar, AdjustVolumeAveragesTheChannelsAndWritesOnlyForASteps) {
  desktop.waveVolume = 0x40008000;
  desktop.volumesSet.clear();
  cwin.Playback().AdjustVolume(0);
  EXPECT_TRUE(desktop.volumesSet.empty());
  cwin.Playback().AdjustVolume(1);
  EXPECT_EQ(desktop.waveVolume, 0x70107010u);
  EXPECT_EQ(cwin.Playback().Label(4), "43 %");
  desktop.waveVolume = 0;
  cwin.Playback().AdjustVolume(-1);
  EXPECT_EQ(desktop.waveVolume, 0u);  // clamped at silence
  desktop.waveDeviceMissing = true;  // no device: nothing changes and nothing is reported
  EXPECT_NO_THROW(cwin.Playback().AdjustVolume(1));
  EXPECT_EQ(cwin.Playback().Label(4), "0 %");
}

TEST(StatusStripLayout, PlacesGrooveBoxesLabelsAndTheGripOnlyOnWideWindows) {
  const StripLayout wide = LayoutStatusStrip(621, 502);
  EXPECT_EQ(wide.groove, (StripBox{0, 488, 227, 502}));
  EXPECT_EQ(wide.boxes[0], (StripBox{230, 488, 266, 502}));
  EXPECT_EQ(wide.boxes[4], (StripBox{386, 488, 422, 502}));
  EXPECT_EQ(wide.boxes[5], (StripBox{425, 488, 621, 502}));
  EXPECT_EQ(wide.labels[0], (StripPoint{232, 489}));
  EXPECT_EQ(wide.labels[5], (StripPoint{427, 489}));
  EXPECT_EQ(wide.labels[6], (StripPoint{1, 489}));
  EXPECT_EQ(wide.thumbTop, 489);
  EXPECT_TRUE(wide.sizeGrip);
  EXPECT_EQ(wide.grip, (StripBox{605, 485, 621, 501}));
  EXPECT_FALSE(LayoutStatusStrip(470, 200).sizeGrip);
  EXPECT_TRUE(LayoutStatusStrip(471, 200).sizeGrip);
}

}  // namespace
}  // namespace tavelin::testing
