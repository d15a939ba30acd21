#include <gtest/gtest.h>

#include "support/main_window_fixture.h"

namespace tavelin::testing {
namespace {

using MainWindowConstruction = MainWindowFixture;

TEST_F(MainWindowConstruction, RunsItsStepsInOrderAndEndsWithTheCaptionAndLayout) {
  cwin.Load("");
  EXPECT_EQ(window.journal,
            (std::vector<std::string>{"PutOut.Load", "CreateLabels", "CompleteImageLists", "DrawSliderThumb",
                                      "RequestListExtendedStyles", "FitToolbarToButtons",
                                      "MoveStatusStripIntoOutputWindow", "SetCaption", "SetLibraryFontSize"}));
  EXPECT_EQ(window.caption, "Tavelin Player(Tavelin播放器) 9.3.235.2");
  EXPECT_EQ(cwin.AppFolder, "C:\\Program Files\\Tavelin\\");
  EXPECT_EQ(cwin.HelpFile, "C:\\Program Files\\Tavelin\\Tavelin.chm::/11.htm");
  EXPECT_EQ(cwin.Playback().Player, &putOut.control);
  EXPECT_EQ(cwin.NavWindow, 0x1111u);
  EXPECT_EQ(cwin.Options.StepFrames, 60);
  EXPECT_FALSE(cwin.Options.AutoPlay || cwin.Options.ListLoop || cwin.Options.MovieLoop);
  EXPECT_EQ(cwin.LastWidth, 621);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainWindowConstruction, CreatesTheTwoRootsThenTheDrivesThatCanHoldMovies) {
  files.SetDriveType('A', DriveType::kRemovable);
  files.SetDriveType('D', DriveType::kCdRom);
  files.SetDriveType('Z', DriveType::kRemote);
  files.SetDriveType('R', DriveType::kRamDisk);
  cwin.Load("");
  const LibraryTree& tree = cwin.Library().Tree();
  ASSERT_EQ(tree.Count(), 5);
  EXPECT_EQ(tree.Node(1)->text, "我的电脑");
  EXPECT_EQ(tree.Node(1)->image, 1);
  EXPECT_EQ(tree.Node(2)->text, "搜索结果");
  EXPECT_EQ(tree.Node(2)->image, 6);
  EXPECT_EQ(tree.Node(2)->tag, "2");
  struct Drive {
    std::string text;
    int image;
    std::string tag;
  };
  const std::vector<Drive> expected{{"A:", 2, "A"}, {"C:", 3, ""}, {"D:", 5, "A"}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const TreeNode* node = tree.Node(3 + static_cast<int>(i));
    EXPECT_EQ(node->parent, 1);
    EXPECT_EQ(node->text, expected[i].text);
    EXPECT_EQ(node->image, expected[i].image);
    EXPECT_EQ(node->tag, expected[i].tag);
  }
  EXPECT_EQ(window.searchMenu, (std::vector<std::string>{"C:\\", "D:\\"}));
}

TEST_F(MainWindowConstruction, ReportsOnlyTheLastFailureOnceAtTheEnd) {
  window.failures["CompleteImageLists"] = "first";
  window.failures["FitToolbarToButtons"] = "内存不足";
  cwin.Load("");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"内存不足"});
  EXPECT_EQ(window.caption, "Tavelin Player(Tavelin播放器) 9.3.235.2");  // later steps still ran
}

TEST_F(MainWindowConstruction, FilingACommandLineMovieClearsEarlierFailures) {
  window.failures["CreateLabels"] = "earlier";
  files.AddFile("C:\\a.swf", SwfWriter().BackgroundColor({}).Bytes());
  cwin.Load("C:\\a.swf");
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainWindowConstruction, DeletesALeftoverRegistryScript) {
  files.AddFile("C:\\flash.reg", "REGEDIT4", attr::kHidden);
  cwin.Load("");
  EXPECT_FALSE(files.Contains("C:\\flash.reg"));
}

TEST_F(MainWindowConstruction, FontSizeComesFromTheUserSettingWithNineAsDefault) {
  for (const auto& [setting, points] : std::vector<std::pair<std::string, int>>{
           {"", 9}, {"0", 9}, {"abc", 9}, {"12", 12}, {"-3", 9}, {"11 ", 11}}) {
    FakeMainWindow fresh;
    FakeOutputWindow out;
    desktop.userSettings["Tavelin/Setting/FontSize"] = setting;
    CWin other(Ports{files, dialogs, desktop, codePage}, fresh, out);
    other.Load("");
    EXPECT_EQ(fresh.fontPoints, points) << "setting '" << setting << "'";
  }
}

TEST_F(MainWindowConstruction, CommandLineFilesExistingMoviesAndPlaysTheFirstOfThem) {
  files.AddFile("C:\\My Movies\\a.swf", SwfWriter().BackgroundColor({}).Bytes());
  files.AddFile("D:\\b.swf", SwfWriter().BackgroundColor({}).Bytes());
  cwin.Load("C:\\My Movies\\a.swf D:\\b.swf");
  const TreeNode* results = cwin.Library().Tree().Node(2);
  ASSERT_EQ(results->children.size(), 2u);
  EXPECT_EQ(cwin.Library().Tree().Node(results->children[0])->text, "a.swf");
  EXPECT_EQ(cwin.Library().Tree().Node(results->children[0])->tag, "C:\\My Movies\\");
  EXPECT_EQ(cwin.Library().Tree().Node(results->children[1])->text, "b.swf");
  EXPECT_EQ(putOut.control.movie, "C:\\My Movies\\a.swf");
  EXPECT_EQ(window.caption, "Tavelin Player(Tavelin播放器) 9.3.235.2 - a.swf");
}

TEST_F(MainWindowConstruction, CommandLineSkipsMissingFilesSilentlyAndPlaysTheFirstExistingOne) {
  files.AddFile("D:\\B.swf", SwfWriter().BackgroundColor({}).Bytes());
  cwin.Load("C:\\missing.SWF D:\\B.SWF \"D:\\B.swf\"");
  EXPECT_EQ(cwin.Library().Tree().Node(2)->children.size(), 1u);
  EXPECT_EQ(putOut.control.movie, "D:\\B.swf");
  EXPECT_TRUE(dialogs.messages.empty());
}

class MainWindowLayout : public MainWindowFixture {
 protected:
  void SetUp() override {
    cwin.Load("");
    cwin.Show();  // the first show resizes once more, so heights follow the window
  }
};

TEST_F(MainWindowLayout, KeepsTheDesignedColumnsAfterStartUpWithHeightsFollowingTheWindow) {
  EXPECT_EQ(window.tree, (ControlBox{0, 26, 224, 460}));
  EXPECT_EQ(window.splitter, (ControlBox{226, 26, 4, 460}));
  EXPECT_EQ(window.list, (ControlBox{232, 26, 382, 460}));
}

TEST_F(MainWindowLayout, SplitterStopsEightyPixelsFromEitherEdge) {
  cwin.DevV_MouseMove(1, 0, -5000 * 15, 0);
  EXPECT_EQ(window.splitter.left, 80);
  EXPECT_EQ(window.tree.width, 78);
  EXPECT_EQ(window.list.left, 86);
  EXPECT_EQ(window.list.width, 621 - 80 - 6);
  cwin.DevV_MouseMove(1, 0, 5000 * 15, 0);
  EXPECT_EQ(window.splitter.left, 621 - 80);
  cwin.DevV_MouseUp(1, 0, 0, 0);
  EXPECT_EQ(window.columnFits, 1);
}

TEST_F(MainWindowLayout, SplitterIgnoresOtherButtonsAndMovesByWholePixels) {
  const int placements = window.placements;
  cwin.DevV_MouseMove(2, 0, 300, 0);
  cwin.DevV_MouseMove(3, 0, 300, 0);
  cwin.DevV_MouseMove(1, 0, 0.4, 0);
  EXPECT_EQ(window.placements, placements);
  cwin.DevV_MouseMove(1, 0, 10 * 15 + 7, 0);
  EXPECT_EQ(window.splitter.left, 236);
}

TEST_F(MainWindowLayout, SnapsTheWindowToItsSmallestSize) {
  window.clientWidth = 300;
  window.clientHeight = 150;
  cwin.Form_Resize();
  EXPECT_EQ(window.clientWidth, 470 - window.frameWidth);
  EXPECT_EQ(window.clientHeight, 200 - window.frameHeight);
  window.clientWidth = 461;
  window.clientHeight = 191;
  cwin.Form_Resize();
  EXPECT_EQ(window.clientWidth, 461);
  EXPECT_EQ(window.clientHeight, 191);
}

TEST_F(MainWindowLayout, TreeColumnScalesWithTheWindowWidth) {
  window.clientWidth = 1242;
  cwin.Form_Resize();
  EXPECT_EQ(window.tree.width, 448);
  EXPECT_EQ(window.splitter.left, 450);
  EXPECT_EQ(window.list.left, 456);
  EXPECT_EQ(window.list.width, 1242 - 456);
  window.clientWidth = 700;  // 448 * 700 / 1242 = 252.5...: whole pixels, rounded down
  cwin.Form_Resize();
  EXPECT_EQ(window.tree.width, 252);
}

TEST_F(MainWindowLayout, MinimisingHidesTheOutputWindowUnlessAMovieIsPlaying) {
  window.state = WindowState::kMinimized;
  cwin.Form_Resize();
  EXPECT_FALSE(putOut.visible);
  putOut.control.SetMovie("C:\\a.swf");
  cwin.Form_Resize();
  EXPECT_TRUE(putOut.visible);
  putOut.control.Stop();
  cwin.Form_Resize();
  EXPECT_FALSE(putOut.visible);
  window.state = WindowState::kNormal;
  cwin.Form_Resize();
  EXPECT_TRUE(putOut.visible);
}

TEST_F(MainWindowLayout, DraggingByTheClientAreaOrAnyLabelOnlyFromANormalWindow) {
  cwin.Form_MouseDown(2);
  EXPECT_EQ(window.drags, 0);
  cwin.Form_MouseDown(1);
  cwin.L_MouseDown(3, 2);
  EXPECT_EQ(window.drags, 2);
  window.state = WindowState::kMaximized;
  cwin.Form_MouseDown(1);
  EXPECT_EQ(window.drags, 2);
}

TEST_F(MainWindowLayout, UnloadingClearsTheMovieAndClosesTheOutputWindow) {
  files.AddFile("C:\\a.swf", SwfWriter().BackgroundColor({}).Bytes());
  cwin.Playback().Play("C:\\a.swf");
  cwin.Unload();
  EXPECT_EQ(putOut.control.movie, "");
  EXPECT_FALSE(putOut.loaded);
  EXPECT_EQ(cwin.Playback().Player, nullptr);
}

}  // namespace
}  // namespace tavelin::testing
