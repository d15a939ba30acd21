// The drive search and the validity check, driven from the main window's menus.
#include <gtest/gtest.h>

#include "support/main_window_fixture.h"

namespace tavelin::testing {
namespace {

class DriveSearchTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    files.SetDriveType('D', DriveType::kFixed);
    files.AddFolder("D:\\");
  }
  std::vector<std::string> Results() {
    std::vector<std::string> found;
    LibraryTree& tree = cwin.Library().Tree();
    for (const int child : tree.Children(kSearchResultsIndex)) found.push_back(tree.Node(child)->tag + tree.Node(child)->text);
    return found;
  }
  std::string Report(int count) {
    return "文件查找结束，结果已经输出到[搜索结果]！\r选择列表项或按 [Ctrl]+[←/→] 可直接播放！\r本次查找共更新 Flash 文件：" +
           std::to_string(count) + " 个！";
  }
  // The search menu's entry of drive D: (after "本地高速驱动器", a separator and C:).
  void SearchD() {
    window.menuAnswers = {3};
    cwin.TC_ButtonDropDown(11);
  }
};

TEST_F(DriveSearchTest, FilesEveryMovieDepthFirstOnceReportsTheCountAndPlaysTheFirstNew) {
  files.AddFile("D:\\first.swf", SwfWriter().BackgroundColor({}).Bytes());
  files.AddFolder("D:\\b");
  files.AddFile("D:\\b\\MOVIE.SWF", SwfWriter().BackgroundColor({}).Bytes());
  files.AddFolder("D:\\b\\deep");
  files.AddFile("D:\\b\\deep\\x.swf", "FWS");
  files.AddFile("D:\\b\\movie.swf.bak", "FWS");
  files.AddFolder("D:\\c");
  files.AddFile("D:\\c\\first.swf", "FWS");  // the same name again: filed once
  files.AddFile("D:\\c\\later.swf", "FWS");
  cwin.Load("");
  SearchD();
  EXPECT_EQ(Results(), (std::vector<std::string>{"D:\\first.swf", "D:\\b\\MOVIE.SWF", "D:\\b\\deep\\x.swf",
                                                 "D:\\c\\later.swf"}));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, Report(4));
  EXPECT_EQ(dialogs.messages[0].caption, "文件查找");
  EXPECT_EQ(putOut.control.movie, "D:\\first.swf");
  EXPECT_FALSE(window.toolbarPressed[11]);

  files.AddFile("D:\\c\\new.swf", SwfWriter().BackgroundColor({}).Bytes());
  SearchD();  // only the new movie counts, and it plays, not an old one
  EXPECT_EQ(dialogs.messages.back().text, Report(1));
  EXPECT_EQ(putOut.control.movie, "D:\\c\\new.swf");
  SearchD();
  EXPECT_EQ(dialogs.messages.back().text, Report(0));
  EXPECT_EQ(putOut.control.movie, "D:\\c\\new.swf");
}

TEST_F(DriveSearchTest, WalksEverySubfolderAndAFolderReachedTwiceThroughALinkOnce) {
  for (int i = 0; i < 300; ++i) {
    files.AddFolder("D:\\many\\f" + std::to_string(i));
    files.AddFile("D:\\many\\f" + std::to_string(i) + "\\m" + std::to_string(i) + ".swf", "FWS");
  }
  files.AddLink("D:\\many\\f0\\back", "D:\\many");  // a junction that loops
  cwin.Load("");
  SearchD();
  EXPECT_EQ(Results().size(), 300u);
  EXPECT_EQ(dialogs.messages.front().text, Report(300));
}

TEST_F(DriveSearchTest, TheFindButtonOrEscStopsTheSearchWhichStillReports) {
  for (const char* folder : {"D:\\a", "D:\\b", "D:\\c"}) {
    files.AddFolder(folder);
    files.AddFile(std::string(folder) + "\\m.swf" + (folder[3] == 'a' ? "" : "x"), "FWS");
  }
  files.AddFile("D:\\a\\one.swf", "FWS");
  files.AddFile("D:\\b\\two.swf", "FWS");
  cwin.Load("");
  desktop.onYield = [&] { cwin.TC_ButtonClick(11); };  // pressed while the search shows it held down
  SearchD();
  EXPECT_TRUE(Results().empty());  // stopped before the first folder was read
  EXPECT_EQ(dialogs.messages.back().text, Report(0));
}

TEST_F(DriveSearchTest, TheValidityCheckNamesEveryListedFileThatIsNoMovie) {
  files.AddFolder("D:\\m");
  files.AddFile("D:\\m\\a.swf", "FWS\x0a");
  files.AddFile("D:\\m\\b.swf", "CWS\x0a");
  files.AddFile("D:\\m\\c.swf", "hello");
  files.AddFile("D:\\m\\d.swf", "FW");
  files.AddFile("D:\\m\\e.swf", "FWS");
  cwin.Load("");
  cwin.Library().CurrentFolder = "D:\\m\\";
  cwin.Library().ListEvents().ListFolder("D:\\m\\", "swf");
  files.FailNext("ReadFile", "拒绝访问。");  // a.swf cannot be read
  window.fileListMenuChoice = "mFL_Check";
  cwin.Library().ListEvents().FL_MouseDown(2, 0, -1);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "\r\nD:\\m\\a.swf\r\nD:\\m\\c.swf\r\nD:\\m\\d.swf");
  EXPECT_EQ(dialogs.messages[0].caption, "无效文件");
  EXPECT_EQ(window.progressWidth, 224);
  EXPECT_TRUE(window.treeEnabled);
  EXPECT_FALSE(window.progressShown);
}

}  // namespace
}  // namespace tavelin::testing
