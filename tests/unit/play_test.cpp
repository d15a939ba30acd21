#include <gtest/gtest.h>

#include "support/main_window_fixture.h"

namespace tavelin::testing {
namespace {

class PlayTest : public MainWindowFixture {
 protected:
  void SetUp() override { cwin.Load(""); }
};

TEST_F(PlayTest, SizesTheOutputWindowToTheStageCentredAtTheTopAndStartsTheMovie) {
  AddMovie("C:\\m\\cat.swf", SwfWriter().StagePixels(550, 400).FrameRate(12).BackgroundColor({0x12, 0x34, 0x56}));
  putOut.control.totalFrames = 900;
  cwin.Playback().Play("C:\\m\\cat.swf");

  EXPECT_EQ(cwin.Playback().FlashWidth, 550);
  EXPECT_EQ(cwin.Playback().FlashHeigh, 400);
  EXPECT_EQ(putOut.width, 8370);
  EXPECT_EQ(putOut.height, 6120);
  EXPECT_EQ(putOut.left, (1024 * 15 - 550 * 15) / 2);
  EXPECT_EQ(putOut.top, 0);
  EXPECT_EQ(cwin.Caption(), "Tavelin Player(Tavelin播放器) 9.3.235.2 - cat.swf");
  EXPECT_EQ(cwin.Playback().Label(0), "900");
  EXPECT_EQ(cwin.Playback().Label(2), "1:15");
  EXPECT_TRUE(cwin.Playback().TrackProgress);
  EXPECT_TRUE(window.timerEnabled);
  EXPECT_EQ(putOut.control.calls, (std::vector<std::string>{"SetMovie(C:\\m\\cat.swf)", "SetBackgroundColor(1193046)",
                                                             "SetQuality(High)", "Play()"}));
  EXPECT_TRUE(dialogs.messages.empty());
}

// Movies of version 8 and later begin with their file attributes; the colour tag
// follows, so the bytes after the header are no colour and the movie's own is used.
TEST_F(PlayTest, AMovieThatDoesNotStartWithItsColourKeepsItsOwn) {
  AddMovie("C:\\v8.swf", SwfWriter().RawTag(69, {0x08, 0, 0, 0}).BackgroundColor({0x12, 0x34, 0x56}));
  cwin.Playback().Play("C:\\v8.swf");
  EXPECT_EQ(putOut.control.backgroundColor, -1);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(PlayTest, ShowsMinutesAndSecondsWithoutLeadingZeros) {
  AddMovie("C:\\a.swf", SwfWriter().FrameRate(12).BackgroundColor({}));
  putOut.control.totalFrames = 780;  // 65 seconds
  cwin.Playback().Play("C:\\a.swf");
  EXPECT_EQ(cwin.Playback().Label(2), "1:5");
}

TEST_F(PlayTest, SameFileIsNotReloadedButPlaysAgain) {
  AddMovie("C:\\a.swf", SwfWriter().BackgroundColor({}));
  cwin.Playback().Play("C:\\a.swf");
  putOut.control.calls.clear();
  putOut.control.playing = false;
  cwin.Playback().Play("c:\\A.SWF");
  for (const auto& call : putOut.control.calls) EXPECT_EQ(call.rfind("SetMovie", 0), std::string::npos) << call;
  EXPECT_TRUE(putOut.control.playing);
}

TEST_F(PlayTest, MissingFileIsReportedWithItsPathAndNothingChanges) {
  cwin.Playback().Play("C:\\gone\\x.swf");
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "文件: \u201CC:\\gone\\x.swf\u201D 不存在！");
  EXPECT_EQ(dialogs.messages[0].style, 64);
  EXPECT_EQ(dialogs.messages[0].caption, "文件信息");
  EXPECT_TRUE(putOut.control.calls.empty());
  EXPECT_FALSE(cwin.Playback().TrackProgress);
}

TEST_F(PlayTest, HiddenAndReadOnlyFilesPlayButAFolderOrSystemFileIsNotFound) {
  AddMovie("C:\\h.swf", SwfWriter().BackgroundColor({}));
  files.AddFile("C:\\ro.swf", SwfWriter().BackgroundColor({}).Bytes(), attr::kHidden | attr::kReadOnly);
  files.AddFile("C:\\sys.swf", SwfWriter().BackgroundColor({}).Bytes(), attr::kSystem);
  files.AddFolder("C:\\dir.swf");
  cwin.Playback().Play("C:\\ro.swf");
  EXPECT_EQ(putOut.control.movie, "C:\\ro.swf");
  cwin.Playback().Play("C:\\sys.swf");
  cwin.Playback().Play("C:\\dir.swf");
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"文件: \u201CC:\\sys.swf\u201D 不存在！",
                                                      "文件: \u201CC:\\dir.swf\u201D 不存在！"}));
  EXPECT_EQ(putOut.control.movie, "C:\\ro.swf");
}

TEST_F(PlayTest, TextFileIsRejectedBySignatureAndThePreviousMovieKeepsPlaying) {
  AddMovie("C:\\good.swf", SwfWriter().BackgroundColor({}));
  files.AddFile("C:\\notes.swf", "This is a text file, not a movie.");
  cwin.Playback().Play("C:\\good.swf");
  putOut.control.calls.clear();
  cwin.Playback().Play("C:\\notes.swf");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"标志位错误，文件可能已经损坏！"});
  EXPECT_EQ(dialogs.messages[0].style, 0);
  EXPECT_EQ(dialogs.messages[0].caption, "");
  EXPECT_TRUE(putOut.control.calls.empty());
  EXPECT_EQ(putOut.control.movie, "C:\\good.swf");
}

TEST_F(PlayTest, ARefusedMovieChangesNothingAtAll) {
  AddMovie("C:\\good.swf", SwfWriter().StagePixels(320, 240).FrameRate(12).BackgroundColor({0, 0, 255}));
  AddMovie("C:\\bad.swf", SwfWriter().StagePixels(8, 8).FrameRate(24).BackgroundColor({0, 0, 0}));
  putOut.control.totalFrames = 120;
  cwin.Playback().Play("C:\\good.swf");
  const int left = putOut.left, width = putOut.width, height = putOut.height;
  putOut.control.failures["SetMovie"] = "影片数据不完整";
  putOut.control.totalFrames = 999;
  cwin.Playback().Play("C:\\bad.swf");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"影片数据不完整"});
  EXPECT_EQ(putOut.control.movie, "C:\\good.swf");
  EXPECT_EQ(putOut.control.backgroundColor, 0x0000FF);
  EXPECT_EQ(putOut.left, left);
  EXPECT_EQ(putOut.width, width);
  EXPECT_EQ(putOut.height, height);
  EXPECT_EQ(cwin.Playback().FrameRate, 12);
  EXPECT_EQ(cwin.Playback().FlashWidth, 320);
  EXPECT_EQ(cwin.Caption(), "Tavelin Player(Tavelin播放器) 9.3.235.2 - good.swf");
  EXPECT_EQ(cwin.Playback().Label(0), "120");
  EXPECT_EQ(cwin.Playback().Label(2), "0:10");
}

// A header may declare a stage of a hundred million pixels; the window arithmetic must
// neither overflow nor ask the system for a window it cannot make.
TEST_F(PlayTest, AGiganticStageGivesTheLargestWindowTheSystemAllows) {
  AddMovie("C:\\huge.swf", SwfWriter().Stage(0, 1'073'741'823, 0, 1'073'741'823).FrameRate(12).BackgroundColor({}));
  cwin.Screen.TwipsX = cwin.Screen.TwipsY = 40;  // a 36 dpi screen: 53 million pixels make more twips than 32 bits hold
  cwin.Playback().Play("C:\\huge.swf");
  EXPECT_EQ(cwin.Playback().FlashWidth, 53'687'091);
  EXPECT_EQ(putOut.width, 32767 * 40);
  EXPECT_EQ(putOut.height, 32767 * 40);
  EXPECT_EQ(putOut.left, (1024 - 32767) / 2 * 40);
}

// A close handled while a tick or a handler yields releases the control; whatever
// runs afterwards finds it gone and does nothing.
TEST_F(PlayTest, NothingReachesTheControlAfterTheWindowUnloads) {
  AddMovie("C:\\a.swf", SwfWriter().FrameRate(12).BackgroundColor({}));
  putOut.control.totalFrames = 100;
  cwin.Playback().Play("C:\\a.swf");
  desktop.onYield = [&] { cwin.Unload(); };
  cwin.Playback().Timer1_Timer();
  EXPECT_EQ(cwin.Playback().Player, nullptr);
  const std::size_t calls = putOut.control.calls.size();
  cwin.Playback().Play("C:\\a.swf");
  cwin.Playback().Timer1_Timer();
  cwin.Playback().Slider_MouseUp(1, 0, 0, 30);
  EXPECT_EQ(putOut.control.calls.size(), calls);
}

TEST_F(PlayTest, ZeroFrameRateGivesOneMessageAndTheMovieStillPlays) {
  AddMovie("C:\\z.swf", SwfWriter().FrameRate(0).BackgroundColor({}));
  putOut.control.totalFrames = 10;
  cwin.Playback().Play("C:\\z.swf");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"除数为零"});
  EXPECT_EQ(cwin.Playback().Label(0), "10");
  EXPECT_EQ(cwin.Playback().Label(2), "");
  EXPECT_TRUE(putOut.control.playing);
}

TEST_F(PlayTest, MaximisedOutputWindowIsNeitherMovedNorResizedAndKeepsTheOldStage) {
  AddMovie("C:\\a.swf", SwfWriter().StagePixels(320, 240).BackgroundColor({}));
  AddMovie("C:\\b.swf", SwfWriter().StagePixels(800, 600).BackgroundColor({}));
  cwin.Playback().Play("C:\\a.swf");
  putOut.state = WindowState::kMaximized;
  const int moves = putOut.moves;
  cwin.Playback().Play("C:\\b.swf");
  EXPECT_EQ(putOut.moves, moves);
  EXPECT_EQ(cwin.Playback().FlashWidth, 320);
  EXPECT_EQ(putOut.control.movie, "C:\\b.swf");
}

TEST_F(PlayTest, OnlyTheLastOfSeveralFailuresIsReported) {
  AddMovie("C:\\a.swf", SwfWriter().FrameRate(0).BackgroundColor({}));
  putOut.control.failures["Play"] = "控件出错";
  cwin.Playback().Play("C:\\a.swf");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"控件出错"});
}

TEST_F(PlayTest, CompressedMovieIsSizedByItsDecompressedHeader) {
  AddMovie("C:\\c.swf", SwfWriter().Compressed(true).StagePixels(640, 480).FrameRate(30).BackgroundColor({255, 0, 0}));
  cwin.Playback().Play("C:\\c.swf");
  EXPECT_EQ(cwin.Playback().FlashWidth, 640);
  EXPECT_EQ(cwin.Playback().FrameRate, 30);
  EXPECT_EQ(putOut.control.backgroundColor, 0xFF0000);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(PlayTest, FocusGoesToTheOutputWindowOnlyWhenTheWindowsOverlap) {
  AddMovie("C:\\a.swf", SwfWriter().StagePixels(100, 100).BackgroundColor({}));
  window.rect = {0, 500, 600, 700};  // below the output window at the top of the screen
  cwin.Playback().Play("C:\\a.swf");
  EXPECT_FALSE(putOut.focused);
  window.rect = {400, 0, 1000, 400};
  cwin.Playback().Play("C:\\a.swf");
  EXPECT_TRUE(putOut.focused);
}

TEST_F(PlayTest, ReappliesTheChosenQualityAndReenablesAreaZoomForANewMovie) {
  AddMovie("C:\\a.swf", SwfWriter().BackgroundColor({}));
  cwin.Playback().Menus().ChooseQuality(3, putOut.control);
  putOut.control.SetQuality("High");  // start-up's quality, until the first Play
  cwin.Playback().Menus().ZoomRect().enabled = false;
  cwin.Playback().Play("C:\\a.swf");
  EXPECT_EQ(putOut.control.quality, "Autolow");
  EXPECT_TRUE(cwin.Playback().Menus().QualityItems()[3].checked);
  EXPECT_FALSE(cwin.Playback().Menus().QualityItems()[0].checked);
  EXPECT_TRUE(cwin.Playback().Menus().ZoomRect().enabled);
}

}  // namespace
}  // namespace tavelin::testing
