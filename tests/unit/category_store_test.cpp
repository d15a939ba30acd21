#include "library/category_store.h"

#include <gtest/gtest.h>

#include <random>

#include "support/main_window_fixture.h"

namespace tavelin::testing {
namespace {

const std::string kStore = "C:\\Program Files\\Tavelin\\Tavelin.ini";

// Each section of a tree as the store sees it: the node's text, then its movies' paths.
std::vector<std::vector<std::string>> Sections(const LibraryTree& tree) {
  std::vector<std::vector<std::string>> sections;
  const std::vector<int> top = tree.TopLevel();
  for (std::size_t i = 1; i < top.size(); ++i) {
    const TreeNode* section = tree.Node(top[i]);
    std::vector<std::string> lines{section->text};
    for (NodeId child : section->children) lines.push_back(tree.ById(child)->tag + tree.ById(child)->text);
    sections.push_back(lines);
  }
  return sections;
}

class CategoryStore : public MainWindowFixture {
 protected:
  std::vector<std::uint8_t> Ansi(const std::string& utf8) {
    std::string ansi;
    EXPECT_TRUE(codePage.FromUtf8(utf8, ansi));
    return {ansi.begin(), ansi.end()};
  }
  void Movie(const std::string& path) { files.AddFile(path, SwfWriter().BackgroundColor({}).Bytes()); }

  // A fresh window over the same files and dialogs, as after a restart.
  struct Restarted {
    explicit Restarted(CategoryStore& t) : window(Ports{t.files, t.dialogs, t.desktop, t.codePage}, main, output) {
      window.Load("");
    }
    FakeMainWindow main;
    FakeOutputWindow output;
    CWin window;
  };
};

const char* const kExample =
    "D:\\Movies\\\r\n60 0 0 True False False\r\n\r\n搜索结果\r\nD:\\Movies\\intro.swf\r\nC:\\Temp\\clip.swf\r\n\r\n"
    "Cartoons\r\nD:\\Cartoons\\cat.swf\r\n\r\nNew\r\n\r\n";

TEST_F(CategoryStore, TheDocumentedExampleReadsIntoItsTreeAndWritesBackByteForByte) {
  files.SetDriveType('D', DriveType::kFixed);
  for (const char* movie : {"D:\\Movies\\intro.swf", "C:\\Temp\\clip.swf", "D:\\Cartoons\\cat.swf"}) Movie(movie);
  const auto original = Ansi(kExample);
  files.AddFile(kStore, original);
  cwin.Load("");
  EXPECT_EQ(cwin.Library().CurrentFolder, "D:\\Movies\\");
  EXPECT_EQ(cwin.Library().CategoryCount, 2);
  EXPECT_TRUE(cwin.Options.AutoPlay);
  EXPECT_FALSE(cwin.Options.ListLoop || cwin.Options.MovieLoop);
  EXPECT_FALSE(putOut.control.loop);
  EXPECT_EQ(Sections(cwin.Library().Tree()), (std::vector<std::vector<std::string>>{
                                       {"搜索结果", "D:\\Movies\\intro.swf", "C:\\Temp\\clip.swf"},
                                       {"Cartoons", "D:\\Cartoons\\cat.swf"},
                                       {"New"}}));
  EXPECT_EQ(cwin.Library().Tree().Node(3)->tag, "2");
  const NodeId firstDrive = cwin.Library().Tree().Node(1)->children.at(0);
  EXPECT_GT(cwin.Library().Tree().IndexOf(firstDrive), 4);  // drives are created after the categories
  EXPECT_EQ(cwin.Library().List().Count(), 1);           // D:\Movies\ was revealed and listed
  EXPECT_TRUE(dialogs.messages.empty());
  cwin.Unload();
  EXPECT_EQ(files.Content(kStore), std::string(original.begin(), original.end()));
}

TEST_F(CategoryStore, RandomLibrariesSurviveARestartInOrder) {
  std::mt19937 random(7);
  cwin.Load("");
  for (const char* name : {"动画", "My Games", "宫崎骏 作品", "空", "New"}) {
    cwin.Library().Tree().Add(0, "", name, 6, "2");
    ++cwin.Library().CategoryCount;
  }
  for (int i = 0; i < 80; ++i) {
    // Same file names recur in different folders: only the first is filed.
    const std::string path = "C:\\Movies " + std::to_string(random() % 4) + "\\片 " + std::to_string(i % 50) + ".swf";
    Movie(path);
    AddItem(cwin.Library().Tree(), path, "", 2 + static_cast<int>(random() % 5));
  }
  cwin.Options.StepFrames = 25;
  cwin.Options.QualityIndex = 2;
  cwin.Options.ListLoop = true;
  const auto before = Sections(cwin.Library().Tree());
  cwin.Unload();

  Restarted restarted(*this);
  EXPECT_EQ(Sections(restarted.window.Library().Tree()), before);
  EXPECT_EQ(restarted.window.Library().CategoryCount, 5);
  EXPECT_EQ(restarted.window.Options.StepFrames, 25);
  EXPECT_EQ(restarted.output.control.quality, "Medium");
  EXPECT_TRUE(restarted.window.Options.ListLoop);
  EXPECT_FALSE(restarted.window.Options.MovieLoop);
  EXPECT_TRUE(restarted.window.Playback().Menus().ListLoop().checked);
  EXPECT_FALSE(restarted.window.Playback().Menus().FlashLoop().checked);
}

TEST_F(CategoryStore, MissingOptionsTurnOnWithMovieLoopWinningAndTheFailureIsReported) {
  files.AddFile(kStore, Ansi("\r\n60 0 0\r\n\r\n搜索结果\r\n"));  // no folder to reveal, no movie to file
  cwin.Load("");
  EXPECT_TRUE(cwin.Options.AutoPlay);
  EXPECT_TRUE(cwin.Options.MovieLoop);
  EXPECT_FALSE(cwin.Options.ListLoop);
  EXPECT_TRUE(putOut.control.loop);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"下标越界"});
}

TEST_F(CategoryStore, AStepAbove32767IsSavedButFallsBackTo60OnReading) {
  cwin.Load("");
  cwin.Options.StepFrames = 40000;
  cwin.Unload();
  EXPECT_EQ(files.Content(kStore).substr(0, 25), "\r\n40000 0 0 False False F");
  Restarted restarted(*this);
  EXPECT_EQ(restarted.window.Options.StepFrames, 60);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"溢出"});
}

TEST_F(CategoryStore, FilingAStoredMovieClearsEarlierConversionFailures) {
  Movie("C:\\a.swf");
  files.AddFile(kStore, Ansi("\r\nabc 0 0 True False False\r\n\r\n搜索结果\r\nC:\\a.swf\r\n"));
  cwin.Load("");
  EXPECT_EQ(cwin.Options.StepFrames, 60);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(CategoryStore, LineFeedOnlyFilesAreOneSectionAndTrailingBlanksAreIgnored) {
  files.AddFile(kStore, Ansi("C:\\x\\\n60 0 0 False True False\n\n搜索结果\n"));
  cwin.Load("");
  EXPECT_EQ(cwin.Library().CurrentFolder, "C:\\x\\\n60 0 0 False True False\n\n搜索结果");
  EXPECT_TRUE(cwin.Options.AutoPlay && cwin.Options.MovieLoop && !cwin.Options.ListLoop);
  EXPECT_EQ(cwin.Library().CategoryCount, 0);

  const auto parsed = ParseStore(DecodeStore(Ansi("C:\\\r\n60 0 0 True False False\r\n\r\n搜索结果\r\n\r\nA \t\r\n \r\n"), codePage));
  ASSERT_EQ(parsed.sections.size(), 2u);
  EXPECT_EQ(parsed.sections[1].name, "A");
}

TEST_F(CategoryStore, StoredMoviesThatAreGoneOrNotMoviesAreDroppedAtTheNextClose) {
  Movie("C:\\kept.swf");
  files.AddFile("C:\\notes.txt", "x");
  files.AddFile(kStore, Ansi("\r\n60 0 0 False False False\r\n\r\n搜索结果\r\nC:\\gone.swf\r\nC:\\notes.txt\r\nC:\\KEPT.SWF\r\n"));
  cwin.Load("");
  cwin.Unload();
  const auto expected = Ansi("\r\n60 0 0 False False False\r\n\r\n搜索结果\r\nC:\\KEPT.SWF\r\n\r\n");
  EXPECT_EQ(files.Content(kStore), std::string(expected.begin(), expected.end()));
}

TEST_F(CategoryStore, QualityAndScaleOutsideTheirMenusSelectTheFirstItem) {
  files.AddFile(kStore, "\r\n60 9 -1 False False False\r\n\r\n搜索结果\r\n");
  cwin.Load("");
  EXPECT_EQ(cwin.Options.QualityIndex, 0);
  EXPECT_EQ(cwin.Options.ScaleIndex, 0);
  EXPECT_EQ(putOut.control.quality, "High");
  EXPECT_TRUE(cwin.Playback().Menus().QualityItems()[0].checked);
}

// Exactly one item of each group carries the check mark, after a restored choice and
// after every later one.
TEST_F(CategoryStore, RestoredQualityAndScaleCarryTheOnlyCheckMarks) {
  files.AddFile(kStore, "\r\n60 2 1 False False False\r\n\r\n搜索结果\r\n");
  cwin.Load("");
  auto checked = [](const std::vector<MenuItemState>& items) {
    std::vector<int> marks;
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (items[i].checked) marks.push_back(static_cast<int>(i));
    }
    return marks;
  };
  EXPECT_EQ(checked(cwin.Playback().Menus().QualityItems()), std::vector<int>{2});
  EXPECT_EQ(checked(cwin.Playback().Menus().ScaleItems()), std::vector<int>{1});
  cwin.Playback().Menus().ChooseQuality(4, putOut.control);
  cwin.Playback().Menus().ChooseQuality(0, putOut.control);
  cwin.Playback().Menus().ChooseScale(2, putOut.control);
  EXPECT_EQ(checked(cwin.Playback().Menus().QualityItems()), std::vector<int>{0});
  EXPECT_EQ(checked(cwin.Playback().Menus().ScaleItems()), std::vector<int>{2});
}

// A store that exists but cannot be read (locked, denied, too large) is never replaced
// by the empty library the program started with; the user is told once at the close.
TEST_F(CategoryStore, AStoreThatCouldNotBeReadIsKeptAndTheUserToldWhy) {
  const auto original = Ansi(kExample);
  files.AddFile(kStore, original);
  files.FailNext("ReadFile", "另一个程序正在使用此文件，进程无法访问。");
  cwin.Load("");
  dialogs.messages.clear();  // construction reports its last failure
  cwin.Library().Tree().Add(0, "", "New category", 6, "2");
  cwin.Unload();
  EXPECT_EQ(files.Content(kStore), std::string(original.begin(), original.end()));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].style, 48);
  EXPECT_NE(dialogs.messages[0].text.find(kStore), std::string::npos);
  EXPECT_NE(dialogs.messages[0].text.find("另一个程序正在使用此文件"), std::string::npos);

  // A store too large to read is the same, never a silently truncated library.
  files.AddFile(kStore, std::vector<std::uint8_t>((256u << 20) + 1, 'x'));
  Restarted restarted(*this);
  dialogs.messages.clear();
  restarted.window.Unload();
  EXPECT_EQ(files.Content(kStore).size(), (256u << 20) + 1);
  ASSERT_EQ(dialogs.messages.size(), 1u);

  // No store at all is no failure: the first close writes one.
  files.DeleteFile(kStore);
  Restarted fresh(*this);
  dialogs.messages.clear();
  fresh.window.Unload();
  EXPECT_TRUE(files.Contains(kStore));
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(CategoryStore, AFailedWriteLeavesThePreviousStoreWholeAndIsReportedOnce) {
  const auto original = Ansi(kExample);
  files.AddFile(kStore, original);
  cwin.Load("");
  files.FailNextWriteAfter(10, "磁盘空间不足。");
  cwin.Unload();
  EXPECT_EQ(files.Content(kStore), std::string(original.begin(), original.end()));
  EXPECT_FALSE(files.Contains(kStore + ".new"));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "无法保存媒体库文件：" + kStore + "\r磁盘空间不足。");
  EXPECT_EQ(dialogs.messages[0].style, 48);
  EXPECT_EQ(dialogs.messages[0].caption, "");
  EXPECT_FALSE(putOut.loaded);  // the rest of the shutdown still ran
}

TEST_F(CategoryStore, AReadOnlyStoreIsReplacedAndNamesOutsideTheCodePageAreKeptAsUtf8) {
  files.AddFile(kStore, "old", attr::kReadOnly | attr::kHidden);
  cwin.Load("");
  cwin.Library().Tree().Add(0, "", "한국 만화", 6, "2");
  ++cwin.Library().CategoryCount;
  cwin.Unload();
  const std::string written = files.Content(kStore);
  // The rest stays in the ANSI code page, which earlier versions read; the one line
  // that does not fit keeps its exact UTF-8 in a form they pass over.
  const auto results = Ansi("搜索结果");
  EXPECT_NE(written.find("\r\n" + std::string(results.begin(), results.end()) + "\r\n"), std::string::npos);
  EXPECT_NE(written.find("\r\n<utf-8:%ED%95%9C%EA%B5%AD %EB%A7%8C%ED%99%94>\r\n"), std::string::npos);
  Restarted restarted(*this);
  EXPECT_EQ(restarted.window.Library().Tree().Node(3)->text, "한국 만화");

  // A name that only looks like that form, and a store written as UTF-8 throughout.
  const std::string lookalike = "<utf-8:%41>";
  EXPECT_EQ(ParseStore(DecodeStore(EncodeStore("C:\\\r\n60\r\n\r\n" + lookalike, codePage), codePage)).sections[0].name,
            lookalike);
  const std::string utf8 = "\xEF\xBB\xBF" "C:\\\r\n60 0 0 True False False\r\n\r\n搜索结果\r\n\r\n한국 만화\r\n\r\n";
  EXPECT_EQ(ParseStore(DecodeStore(std::vector<std::uint8_t>(utf8.begin(), utf8.end()), codePage)).sections[1].name,
            "한국 만화");
}

}  // namespace
}  // namespace tavelin::testing
