// The toolbar's buttons and menus, the player menu and the keys, driven as the user
// does, with the fakes answering the dialogs.
#include <gtest/gtest.h>

#include "support/main_window_fixture.h"

namespace tavelin::testing {
namespace {

class Commands : public MainWindowFixture {
 protected:
  void SetUp() override {
    cwin.Load("");
    AddMovie("C:\\m\\a.swf", SwfWriter().FrameRate(25).BackgroundColor({1, 2, 3}));
  }
  void PlayA() {
    putOut.control.totalFrames = 500;
    cwin.Playback().Play("C:\\m\\a.swf");
    putOut.control.calls.clear();
  }
};

TEST_F(Commands, PlayAndStopButtonsResumePauseUnloadOrPlayTheSelectedFile) {
  cwin.TC_ButtonClick(1);  // no movie: the list that last had the focus plays its selection
  ASSERT_EQ(desktop.postedKeys.size(), 1u);
  EXPECT_EQ(desktop.postedKeys[0].window, cwin.NavWindow);
  EXPECT_EQ(desktop.postedKeys[0].virtualKey, 13);

  PlayA();
  cwin.TC_ButtonClick(2);  // playing: pause
  cwin.TC_ButtonClick(2);  // paused: unload, the default colour back
  EXPECT_EQ(putOut.control.calls,
            (std::vector<std::string>{"Stop()", "SetMovie()", "SetBackgroundColor(-1)"}));
  EXPECT_EQ(putOut.control.Movie(), "");
  cwin.TC_ButtonClick(1);
  EXPECT_EQ(desktop.postedKeys.size(), 2u);  // with the movie gone, button 1 plays the selection again
}

TEST_F(Commands, StepsMoveByTheStepSizeWhichTheUserSetsInFrames) {
  PlayA();
  cwin.Playback().FrameNow = 100;
  cwin.TC_ButtonClick(3);
  cwin.TC_ButtonClick(4);
  EXPECT_EQ(putOut.control.calls, (std::vector<std::string>{"GotoFrame(40)", "Play()", "GotoFrame(160)", "Play()"}));

  const auto ask = [&](const char* reply) {
    dialogs.textAnswers.push_back(std::string(reply));
    window.menuAnswers = {1};
    cwin.TC_ButtonDropDown(3);
    return cwin.Options.StepFrames;
  };
  EXPECT_EQ(ask("30"), 30);
  EXPECT_EQ(ask("0.4"), 30);
  EXPECT_EQ(ask("abc"), 30);
  EXPECT_EQ(ask("2.6"), 3);
  EXPECT_EQ(dialogs.textPrompts.back(), "请输入每次步进的增量值(帧)\r当前增量:1.2 秒\r当前帧速率:25 帧/秒");
  EXPECT_FALSE(window.buttonMenus.back().second[1].enabled);
}

TEST_F(Commands, LoopsExcludeEachOtherAndTheColourDialogGivesRgb) {
  PlayA();
  cwin.PlayerMenuCommand(player_menu::kFlashLoop);
  EXPECT_TRUE(cwin.Options.MovieLoop);
  cwin.PlayerMenuCommand(player_menu::kListLoop);
  EXPECT_TRUE(cwin.Options.ListLoop);
  EXPECT_FALSE(cwin.Options.MovieLoop);
  EXPECT_FALSE(putOut.control.loop);
  cwin.PlayerMenuCommand(player_menu::kFlashLoop);
  EXPECT_FALSE(cwin.Options.ListLoop);

  dialogs.colorAnswers = {0xFF0000u, 0x0000FFu, std::nullopt};
  for (int i = 0; i < 3; ++i) cwin.PlayerMenuCommand(player_menu::kSetColor);
  EXPECT_EQ(putOut.control.backgroundColor, 255);
  EXPECT_NE(std::find(putOut.control.calls.begin(), putOut.control.calls.end(), "SetBackgroundColor(16711680)"),
            putOut.control.calls.end());
}

TEST_F(Commands, ThePlayerMenuShowsTheOptionsAndItsChoicesAct) {
  PlayA();
  cwin.Options.AutoPlay = true;
  window.menuAnswers = {player_menu::kQualityFirst + 3};
  cwin.ShowPlayerMenu();
  const std::vector<MenuEntry>& menu = window.pointerMenus.back();
  EXPECT_EQ(menu.front().caption, "关于...");
  EXPECT_EQ(menu.back().caption, "关闭");
  const auto entry = [&](int id) {
    return *std::find_if(menu.begin(), menu.end(), [&](const MenuEntry& e) { return e.id == id; });
  };
  EXPECT_TRUE(entry(player_menu::kAutoStart).checked);
  EXPECT_EQ(entry(player_menu::kView).caption, "全屏");
  EXPECT_TRUE(entry(player_menu::kPack).enabled);
  EXPECT_EQ(putOut.control.quality, "Autolow");
  EXPECT_EQ(cwin.Options.QualityIndex, 3);

  cwin.PlayerMenuCommand(player_menu::kZoomIn);
  cwin.PlayerMenuCommand(player_menu::kZoomOut);
  cwin.PlayerMenuCommand(player_menu::kView);
  EXPECT_EQ(putOut.state, WindowState::kMaximized);
  EXPECT_EQ(putOut.control.calls, (std::vector<std::string>{"SetQuality(Autolow)", "Zoom(50)", "Zoom(150)"}));
  cwin.PlayerMenuCommand(player_menu::kAbout);
  cwin.PlayerMenuCommand(player_menu::kClose);
  EXPECT_EQ(window.aboutShown, 1);
  EXPECT_EQ(window.closes, 1);
}

TEST_F(Commands, PlayingAProjectorCutsTheMovieOutBesideItAndPlaysIt) {
  std::vector<std::uint8_t> projector(0x24000, 'x');
  const std::vector<std::uint8_t> movie = SwfWriter().FrameRate(12).BackgroundColor({}).Bytes();
  projector.insert(projector.end(), movie.begin(), movie.end());
  files.AddFile("C:\\games\\fly.exe", projector);
  dialogs.fileAnswers = {std::string("C:\\games\\fly.exe")};
  window.menuAnswers = {2};
  cwin.TC_ButtonDropDown(1);
  EXPECT_EQ(dialogs.filePicks.back().title, "选择 exe 文件");
  EXPECT_EQ(files.Content("C:\\games\\fly.swf"), std::string(movie.begin(), movie.end()));
  EXPECT_EQ(putOut.control.movie, "C:\\games\\fly.swf");

  dialogs.fileAnswers = {std::string("C:\\games\\fly.exe"), std::nullopt};  // the save dialog cancelled
  cwin.TC_ButtonMenuClick(3);
  EXPECT_EQ(dialogs.filePicks.back().initialName, "C:\\games\\fly");
  EXPECT_EQ(dialogs.filePicks.back().flags, 8388614u);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Commands, PinAndCategoryButtons) {
  cwin.TC_ButtonClick(8);
  EXPECT_TRUE(window.topmost && putOut.topmost && window.toolbarPressed[8]);
  cwin.TC_ButtonClick(8);
  EXPECT_FALSE(window.topmost || putOut.topmost || window.toolbarPressed[8]);

  cwin.TC_ButtonClick(13);
  const int category = cwin.Library().Tree().Selected();
  EXPECT_EQ(cwin.Library().Tree().Node(category)->text, "New");
  EXPECT_EQ(cwin.Library().CategoryCount, 1);
  AddItem(cwin.Library().Tree(), "C:\\m\\a.swf", "", category);
  dialogs.messageAnswers = {mb::kAnswerCancel, mb::kAnswerOk};
  cwin.TC_ButtonClick(14);
  EXPECT_EQ(cwin.Library().Tree().Children(category).size(), 1u);
  cwin.TC_ButtonClick(14);
  EXPECT_TRUE(cwin.Library().Tree().Children(category).empty());
  EXPECT_EQ(dialogs.messages.back().text, "你确定要删除类别: New 的所有条目吗？");
  EXPECT_EQ(dialogs.messages.back().style, 65);
}

TEST_F(Commands, StepAndNavigationKeysNeedCtrlAloneAndZoomKeysScaleByTheModifiers) {
  PlayA();
  cwin.Form_KeyDown(33, 2 | 1);
  cwin.Form_KeyDown(33, 0);
  EXPECT_TRUE(putOut.control.calls.empty());
  cwin.Form_KeyDown(79, 1);
  cwin.Form_KeyDown(73, 2);
  EXPECT_EQ(putOut.control.calls, (std::vector<std::string>{"Zoom(80)", "Zoom(130)"}));
  cwin.Form_KeyDown(90, 0);
  cwin.Form_KeyDown(27, 0);  // Esc leaves full screen and does not stop a search
  EXPECT_EQ(putOut.state, WindowState::kNormal);
  EXPECT_FALSE(cwin.StopRequested);
  cwin.Form_KeyDown(27, 0);
  EXPECT_TRUE(cwin.StopRequested);
}

TEST_F(Commands, TheListMenuConvertsItsProjectorsWithTheProgressLabelInPlaceOfTheBar) {
  std::vector<std::uint8_t> projector(0x24000, 'x');
  const std::vector<std::uint8_t> movie = SwfWriter().BackgroundColor({}).Bytes();
  projector.insert(projector.end(), movie.begin(), movie.end());
  files.AddFile("C:\\p\\One.exe", projector);
  files.AddFile("C:\\p\\Two.EXE", projector);
  cwin.Library().CurrentFolder = "C:\\p\\";
  cwin.Library().ListEvents().ListFolder("C:\\p\\", "exe");
  std::vector<std::string> progress;
  desktop.onYield = [&] { progress.push_back(window.labels[6]); };
  window.fileListMenuChoice = "mFL_TranFlie(0)";
  cwin.Library().ListEvents().FL_MouseDown(2, 0, -1);
  EXPECT_EQ(files.Content("C:\\p\\One.swf"), std::string(movie.begin(), movie.end()));
  EXPECT_TRUE(files.Contains("C:\\p\\Two.swf"));
  EXPECT_EQ(progress, std::vector<std::string>{"50%"});  // the hook runs at the first yield only
  EXPECT_EQ(window.labels[6], "100%");
  EXPECT_EQ(window.progressWidth, 224);
  EXPECT_FALSE(window.progressShown);
  EXPECT_TRUE(cwin.StopRequested);
  EXPECT_EQ(cwin.Caption(), "Tavelin Player(Tavelin播放器) 9.3.235.2");
}

TEST_F(Commands, FTogglesTheStatusLineOnlyInFullScreenAndPassedOnKeysActOnce) {
  PlayA();
  cwin.Form_KeyDown(70, 0);
  EXPECT_FALSE(cwin.Playback().ShowStatus);
  putOut.state = WindowState::kMaximized;
  cwin.Form_KeyDown(70, 0);
  EXPECT_TRUE(cwin.Playback().ShowStatus);
  EXPECT_TRUE(window.statusLineShown);
  cwin.Form_KeyDown(70, 1);
  EXPECT_FALSE(window.statusLineShown);

  // While key preview is on the key already acted when it was pressed; passed on by the
  // tree or the list it does nothing more. With the shortcuts off, passed-on keys act.
  putOut.control.playing = true;
  cwin.PassOnKey(32, 0);
  EXPECT_TRUE(putOut.control.calls.empty());
  cwin.TC_ButtonClick(10);
  cwin.PassOnKey(32, 0);
  EXPECT_EQ(putOut.control.calls, (std::vector<std::string>{"Stop()"}));
}

TEST_F(Commands, TheWheelStepsFramesByItsKeysAndDroppedMoviesAreFiledAndTheFirstPlays) {
  PlayA();
  putOut.control.currentFrame = 100;
  cwin.MovieWheel(1, 0);       // away from the user: 12 back, playing on
  cwin.MovieWheel(-1, 0x0008);  // Ctrl: one frame on, paused
  cwin.MovieWheel(1, 0x0004);  // Shift: 12 back, paused
  EXPECT_EQ(putOut.control.calls, (std::vector<std::string>{"GotoFrame(88)", "Play()", "GotoFrame(89)", "GotoFrame(77)"}));

  AddMovie("C:\\drop\\c.swf", SwfWriter().BackgroundColor({}));
  AddMovie("C:\\drop\\a.swf", SwfWriter().BackgroundColor({}));
  cwin.HandleDroppedFiles({"C:\\drop\\b.txt", "C:\\drop\\c.swf", "C:\\drop\\a.swf"});
  std::vector<std::string> filed;
  for (const int child : cwin.Library().Tree().Children(kSearchResultsIndex)) {
    filed.push_back(cwin.Library().Tree().Node(child)->text);
  }
  EXPECT_EQ(filed, (std::vector<std::string>{"c.swf", "a.swf"}));
  EXPECT_EQ(putOut.control.movie, "C:\\drop\\c.swf");
}

}  // namespace
}  // namespace tavelin::testing
