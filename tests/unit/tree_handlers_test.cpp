#include "library/tree_handlers.h"

#include <gtest/gtest.h>

#include "support/main_window_fixture.h"

namespace tavelin::testing {
namespace {

// A started main window with helpers that name tree nodes by their full path.
class TreeFixture : public MainWindowFixture {
 protected:
  TreeFixture() {
    files.AddFolder("C:\\WINDOWS");
    files.AddFolder("C:\\Program Files");
  }

  // Folders and files on disk. The fake file system creates missing parent folders
  // without the directory attribute, which a real one never shows, so every folder on
  // the way is made a proper one first.
  void MarkParents(const std::string& path) {
    for (auto slash = path.find('\\', 3); slash != std::string::npos; slash = path.find('\\', slash + 1)) {
      files.AddFolder(path.substr(0, slash));
    }
  }
  void Folder(const std::string& path, std::uint32_t attributes = attr::kDirectory) {
    MarkParents(path);
    files.AddFolder(path, attributes);
  }
  void File(const std::string& path, std::vector<std::uint8_t> content = {},
            std::uint32_t attributes = attr::kArchive) {
    MarkParents(path);
    files.AddFile(path, std::move(content), attributes);
  }
  LibraryTree& Tree() { return cwin.Library().Tree(); }
  TreeHandlers& Events() { return cwin.Library().TreeEvents(); }

  void Start() { cwin.Load(""); }

  // The index of the node with this full path ("我的电脑\C:\Movies"), 0 when absent.
  int At(const std::string& fullPath) {
    for (int index = 1; index <= Tree().Count(); ++index) {
      if (Tree().FullPath(index) == fullPath) return index;
    }
    return 0;
  }
  const TreeNode& Node(const std::string& fullPath) {
    const TreeNode* node = Tree().Node(At(fullPath));
    if (!node) throw std::runtime_error("no node " + fullPath);
    return *node;
  }
  std::vector<std::string> ChildTexts(const std::string& fullPath) {
    std::vector<std::string> texts;
    for (const int child : Tree().Children(At(fullPath))) texts.push_back(Tree().Node(child)->text);
    return texts;
  }
  std::string SelectedPath() { return Tree().FullPath(Tree().Selected()); }

  // A category as the store files it: last at the top level, counted.
  int AddCategory(const std::string& name) {
    ++cwin.Library().CategoryCount;
    return Tree().Add(0, "", name, tree_image::kClosedFolder, tree_tag::kCategory);
  }
  std::vector<std::string> ListedRows() {
    std::vector<std::string> rows;
    for (int row = 0; row < cwin.Library().List().Count(); ++row) rows.push_back(cwin.Library().List().Row(row).text);
    return rows;
  }
  void AddPlayableMovie(const std::string& path) { File(path, SwfWriter().BackgroundColor({}).Bytes()); }
};

const std::string kPc = "我的电脑";

using TreeDrives = TreeFixture;

TEST_F(TreeDrives, ShowFixedDrivesFoldersOnExpansionAndLeaveMediaUnread) {
  files.SetDriveType('A', DriveType::kRemovable);
  files.SetDriveType('D', DriveType::kCdRom);
  files.SetDriveType('E', DriveType::kRemote);
  Folder("A:\\floppy");
  Folder("D:\\disc");
  Folder("C:\\Movies\\Sub");
  File("C:\\Movies\\a.swf");
  Start();
  EXPECT_EQ(ChildTexts(kPc), (std::vector<std::string>{"A:", "C:", "D:"}));
  EXPECT_TRUE(ChildTexts(kPc + "\\C:").empty()) << "nothing is read before 我的电脑 opens";

  Events().Expand(kMyComputerIndex);
  EXPECT_EQ(Node(kPc).tag, "1");
  EXPECT_TRUE(Node(kPc).expanded);
  EXPECT_EQ(ChildTexts(kPc + "\\C:"), (std::vector<std::string>{"WINDOWS", "Program Files", "Movies"}));
  EXPECT_TRUE(ChildTexts(kPc + "\\A:").empty());
  EXPECT_TRUE(ChildTexts(kPc + "\\D:").empty());
  // The drives keep their kind; C:'s own folders are read, its grandchildren not yet.
  EXPECT_EQ(Node(kPc + "\\A:").tag, "A");
  EXPECT_EQ(Node(kPc + "\\D:").tag, "A");
  EXPECT_EQ(Node(kPc + "\\C:").tag, "");
  EXPECT_EQ(Node(kPc + "\\C:").image, tree_image::kFixedDrive);
  EXPECT_EQ(Node(kPc + "\\C:\\Movies").image, tree_image::kClosedFolder);
  EXPECT_TRUE(ChildTexts(kPc + "\\C:\\Movies").empty());
}

TEST_F(TreeDrives, ShowEveryFolderOfADriveRootEvenADotFolderListedFirst) {
  files.SetDriveType('E', DriveType::kFixed);
  Folder("E:\\.config");
  Folder("E:\\plain");
  File("E:\\notes.txt");
  Folder("E:\\System Volume Information", attr::kDirectory | attr::kHidden | attr::kSystem);
  Start();
  Events().Expand(kMyComputerIndex);
  EXPECT_EQ(ChildTexts(kPc + "\\E:"), (std::vector<std::string>{".config", "plain", "System Volume Information"}));
}

TEST_F(TreeDrives, SkipAFolderThatCannotBeReadAndReportNothing) {
  files.SetDriveType('E', DriveType::kFixed);
  Folder("E:\\later");
  Start();
  files.FailNext("List", "设备未就绪。");  // C:'s folders, the first to be read
  Events().Expand(kMyComputerIndex);
  EXPECT_TRUE(ChildTexts(kPc + "\\C:").empty());
  EXPECT_EQ(ChildTexts(kPc + "\\E:"), std::vector<std::string>{"later"});
  EXPECT_TRUE(dialogs.messages.empty());
}

using TreeFolders = TreeFixture;

TEST_F(TreeFolders, ReadOneLevelAheadAndMarkFoldersHoldingMovies) {
  Folder("C:\\Movies\\empty\\deeper");
  File("C:\\Movies\\full\\a.swf");
  Start();
  Events().Expand(kMyComputerIndex);
  Events().Expand(At(kPc + "\\C:"));
  EXPECT_EQ(ChildTexts(kPc + "\\C:\\Movies"), (std::vector<std::string>{"empty", "full"}));
  const int movies = At(kPc + "\\C:\\Movies");
  Events().Expand(movies);
  EXPECT_EQ(Node(kPc + "\\C:\\Movies").image, tree_image::kOpenFolder);
  EXPECT_EQ(Node(kPc + "\\C:\\Movies").tag, "1");
  EXPECT_EQ(Node(kPc + "\\C:\\Movies\\full").image, tree_image::kFolderWithMovies);
  EXPECT_EQ(Node(kPc + "\\C:\\Movies\\empty").image, tree_image::kClosedFolder);
  EXPECT_EQ(ChildTexts(kPc + "\\C:\\Movies\\empty"), std::vector<std::string>{"deeper"});
  const int before = Tree().Count();
  Events().Collapse(movies);
  Events().Expand(movies);
  EXPECT_EQ(Tree().Count(), before) << "an expanded folder is not read twice";
}

TEST_F(TreeFolders, CloseToTheImageOfWhatTheyHoldNow) {
  Folder("C:\\Movies");
  Start();
  Events().Expand(kMyComputerIndex);
  const int movies = At(kPc + "\\C:\\Movies");
  Events().Expand(movies);
  Events().Collapse(movies);
  EXPECT_EQ(Tree().Node(movies)->image, tree_image::kClosedFolder);
  EXPECT_FALSE(Tree().Node(movies)->expanded);
  File("C:\\Movies\\system.swf", {}, attr::kSystem);
  Events().Expand(movies);
  Events().Collapse(movies);
  EXPECT_EQ(Tree().Node(movies)->image, tree_image::kClosedFolder) << "system files are no movies";
  File("C:\\Movies\\hidden.swf", {}, attr::kHidden | attr::kReadOnly);
  Events().Expand(movies);
  Events().Collapse(movies);
  EXPECT_EQ(Tree().Node(movies)->image, tree_image::kFolderWithMovies);
}

using TreeClick = TreeFixture;

TEST_F(TreeClick, ListsAFolderWithMoviesAndLeavesTheListAloneOtherwise) {
  File("C:\\Movies\\full\\a.swf");
  File("C:\\Movies\\full\\b.SWF");
  File("C:\\Movies\\full\\c.txt");
  File("C:\\Movies\\stale\\old.swf");
  Folder("C:\\Movies\\empty");
  Start();
  Events().Expand(kMyComputerIndex);
  Events().Expand(At(kPc + "\\C:"));
  Events().Expand(At(kPc + "\\C:\\Movies"));
  Events().Tree_NodeClick(At(kPc + "\\C:\\Movies\\full"));
  EXPECT_EQ(cwin.Library().CurrentFolder, "C:\\Movies\\full\\");
  EXPECT_EQ(ListedRows(), (std::vector<std::string>{"a.swf", "b.SWF"}));

  Events().Tree_NodeClick(At(kPc + "\\C:\\Movies\\empty"));
  // A folder whose movies went after it was marked shows nothing new either.
  files.DeleteFile("C:\\Movies\\stale\\old.swf");
  Events().Tree_NodeClick(At(kPc + "\\C:\\Movies\\stale"));
  EXPECT_EQ(cwin.Library().CurrentFolder, "C:\\Movies\\full\\");
  EXPECT_EQ(ListedRows(), (std::vector<std::string>{"a.swf", "b.SWF"}));
}

TEST_F(TreeClick, ListsADriveRootButNothingForMyComputer) {
  File("C:\\root.swf");
  File("\\stray.swf");  // what an empty folder path would find
  Start();
  Events().Tree_NodeClick(kMyComputerIndex);
  EXPECT_EQ(cwin.Library().CurrentFolder, "");
  EXPECT_EQ(cwin.Library().List().Count(), 0);
  Events().Tree_NodeClick(At(kPc + "\\C:"));
  EXPECT_EQ(cwin.Library().CurrentFolder, "C:\\");
  EXPECT_EQ(ListedRows(), std::vector<std::string>{"root.swf"});
}

TEST_F(TreeClick, EnablesTheClearCategoryButtonExactlyForCategories) {
  Start();
  const int category = AddCategory("动画");
  const int entry = AddItem(Tree(), "C:\\x\\a.swf", "", category);
  for (const auto& [index, enabled] : std::vector<std::pair<int, bool>>{
           {kSearchResultsIndex, true}, {At(kPc + "\\C:"), false}, {category, true}, {entry, false},
           {kMyComputerIndex, false}}) {
    Events().Tree_NodeClick(index);
    EXPECT_EQ(window.toolbarEnabled[14], enabled) << Tree().FullPath(index);
    EXPECT_EQ(cwin.Toolbar().Button(14).enabled, enabled);
  }
}

TEST_F(TreeClick, RereadsACdRomDriveOnEveryClick) {
  files.SetDriveType('D', DriveType::kCdRom);
  Folder("D:\\one\\deep");
  File("D:\\intro.swf");
  Start();
  const int drive = At(kPc + "\\D:");
  Events().Tree_NodeClick(drive);
  EXPECT_EQ(ChildTexts(kPc + "\\D:"), std::vector<std::string>{"one"});
  EXPECT_EQ(ChildTexts(kPc + "\\D:\\one"), std::vector<std::string>{"deep"});
  EXPECT_EQ(Node(kPc + "\\D:").tag, "1");
  EXPECT_FALSE(Node(kPc + "\\D:").expanded) << "reading does not open the drive on screen";
  EXPECT_EQ(cwin.Library().CurrentFolder, "D:\\");
  EXPECT_EQ(ListedRows(), std::vector<std::string>{"intro.swf"});

  Folder("D:\\two");
  Events().Expand(drive);
  Events().Tree_NodeClick(drive);
  EXPECT_EQ(ChildTexts(kPc + "\\D:"), (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(ChildTexts(kPc + "\\D:\\one"), std::vector<std::string>{"deep"});
}

TEST_F(TreeClick, SurvivesARemovableDriveWithoutMedium) {
  files.SetDriveType('A', DriveType::kRemovable);
  Start();
  files.FailNext("List", "设备未就绪。");
  Events().Tree_NodeClick(At(kPc + "\\A:"));
  EXPECT_TRUE(ChildTexts(kPc + "\\A:").empty());
  EXPECT_EQ(cwin.Library().CurrentFolder, "");
  EXPECT_TRUE(dialogs.messages.empty());
}

using TreeReveal = TreeFixture;

TEST_F(TreeReveal, OpensThePathSelectsTheFolderAndListsIt) {
  File("C:\\a\\b\\m.swf");
  Folder("C:\\a\\b\\c");
  Start();
  Events().RevealPath("c:\\A\\B\\");
  EXPECT_EQ(SelectedPath(), kPc + "\\C:\\a\\b");
  for (const std::string& path : {kPc, kPc + "\\C:", kPc + "\\C:\\a", kPc + "\\C:\\a\\b"}) {
    EXPECT_TRUE(Node(path).expanded) << path;
  }
  EXPECT_EQ(cwin.Library().CurrentFolder, "C:\\a\\b\\");
  EXPECT_EQ(ListedRows(), std::vector<std::string>{"m.swf"});
}

TEST_F(TreeReveal, SelectsTheDeepestNodeItReachesWhenThePathIsGone) {
  Folder("C:\\a\\other");
  Start();
  Events().RevealPath("C:\\a\\gone\\deeper\\x.swf");
  EXPECT_EQ(SelectedPath(), kPc + "\\C:\\a");
  Events().RevealPath("http://example.com/x.swf");
  EXPECT_EQ(SelectedPath(), kPc);
  Events().RevealPath("");
  EXPECT_EQ(SelectedPath(), kPc);
  EXPECT_EQ(cwin.Library().CurrentFolder, "");
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(TreeReveal, ReadsACdRomOnTheWay) {
  files.SetDriveType('D', DriveType::kCdRom);
  File("D:\\disc\\m.swf");
  Start();
  Events().RevealPath("D:\\disc\\m.swf");
  EXPECT_EQ(SelectedPath(), kPc + "\\D:\\disc");
  EXPECT_EQ(cwin.Library().CurrentFolder, "D:\\disc\\");
}

using TreeEntries = TreeFixture;

TEST_F(TreeEntries, RefuseADuplicateFileNameUnderAnyCategory) {
  Start();
  const int first = AddCategory("一");
  const int second = AddCategory("二");
  EXPECT_NE(AddItem(Tree(), "C:\\x\\Same.swf", "", first), 0);
  const int count = Tree().Count();
  EXPECT_EQ(AddItem(Tree(), "D:\\y\\same.SWF", "", second), 0);
  EXPECT_EQ(AddItem(Tree(), "D:\\y\\same.swf", "", kSearchResultsIndex), 0);
  EXPECT_EQ(AddItem(Tree(), "C:\\x\\Same.swf", "", first), 0);
  EXPECT_EQ(Tree().Count(), count);
}

TEST_F(TreeEntries, PlayOnEnterDoubleClickAndMiddleClick) {
  AddPlayableMovie("C:\\m\\a.swf");
  AddPlayableMovie("C:\\m\\b.swf");
  Start();
  const int a = AddItem(Tree(), "C:\\m\\a.swf", "", kSearchResultsIndex);
  const int b = AddItem(Tree(), "C:\\m\\b.swf", "", kSearchResultsIndex);
  Tree().Select(a);
  Events().Tree_KeyDown(13, 0);
  EXPECT_EQ(putOut.control.movie, "C:\\m\\a.swf");
  Events().Tree_MouseUp(4, 0, b);
  EXPECT_EQ(putOut.control.movie, "C:\\m\\b.swf");
  EXPECT_EQ(Tree().Selected(), b);
  EXPECT_EQ(putOut.state, WindowState::kMaximized);
}

TEST_F(TreeEntries, PlayNothingForOtherNodes) {
  AddPlayableMovie("C:\\a.swf");
  Start();
  Tree().Select(At(kPc + "\\C:"));
  Events().Tree_DblClick();
  Events().Tree_KeyDown(13, 0);
  Events().Tree_MouseUp(4, 0, kSearchResultsIndex);
  Events().Tree_MouseUp(1, 0, At(kPc + "\\C:"));
  EXPECT_EQ(putOut.control.movie, "");
  EXPECT_EQ(putOut.state, WindowState::kNormal);
  EXPECT_TRUE(dialogs.messages.empty());
}

using TreeKeys = TreeFixture;

TEST_F(TreeKeys, DeleteOrF5OnACategoryAsksAndDeletesOnlyOnOk) {
  Start();
  AddCategory("动画");
  const int doomed = AddCategory("游戏");
  AddItem(Tree(), "C:\\g\\g.swf", "", doomed);
  for (const int key : {46, 116}) {
    Tree().Select(At("游戏"));
    dialogs.messageAnswers.push_back(mb::kAnswerCancel);
    Events().Tree_KeyDown(key, 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "本次操作将删除类别：游戏！确定要删除吗？");
    EXPECT_EQ(dialogs.messages[0].style, 65);
    EXPECT_EQ(dialogs.messages[0].caption, "删除类别");
    EXPECT_NE(At("游戏"), 0);
    EXPECT_EQ(cwin.Library().CategoryCount, 2);
    dialogs.messages.clear();
  }
  Events().Tree_KeyDown(116, 0);
  EXPECT_EQ(At("游戏"), 0);
  EXPECT_EQ(Tree().FindKey("g.swf"), nullptr) << "its entries go with it";
  EXPECT_EQ(cwin.Library().CategoryCount, 1);
  EXPECT_EQ(SelectedPath(), "动画");
}

TEST_F(TreeKeys, DeleteRemovesAMovieEntryWithoutAskingAndClosesTheCategoryLeftSelected) {
  File("C:\\m\\a.swf");
  Start();
  const int category = AddCategory("动画");
  AddItem(Tree(), "C:\\m\\a.swf", "", category);
  AddItem(Tree(), "C:\\m\\b.swf", "", category);
  Events().Expand(category);
  ASSERT_EQ(Tree().Node(category)->image, tree_image::kOpenFolder);
  Tree().Select(At("动画\\a.swf"));
  Events().Tree_KeyDown(46, 0);
  EXPECT_EQ(SelectedPath(), "动画\\b.swf");
  EXPECT_EQ(Tree().Node(category)->image, tree_image::kOpenFolder);
  Events().Tree_KeyDown(46, 0);
  EXPECT_EQ(SelectedPath(), "动画");
  EXPECT_EQ(Tree().Node(category)->image, tree_image::kClosedFolder);
  EXPECT_FALSE(Tree().Node(category)->expanded);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(cwin.Library().CategoryCount, 1);
  EXPECT_TRUE(files.Contains("C:\\m\\a.swf")) << "files on disk stay";
}

TEST_F(TreeKeys, F5OnAFolderRereadsItAndNothingHappensOnTheRoots) {
  Folder("C:\\Movies\\old");
  Start();
  Events().Expand(kMyComputerIndex);
  const int movies = At(kPc + "\\C:\\Movies");
  Events().Expand(movies);
  Folder("C:\\Movies\\new");
  Tree().Select(movies);
  Events().Tree_KeyDown(116, 0);
  EXPECT_EQ(ChildTexts(kPc + "\\C:\\Movies"), (std::vector<std::string>{"old", "new"}));
  EXPECT_EQ(Node(kPc + "\\C:\\Movies").tag, "");
  EXPECT_FALSE(Node(kPc + "\\C:\\Movies").expanded);

  const int count = Tree().Count();
  for (const int root : {kMyComputerIndex, kSearchResultsIndex}) {
    Tree().Select(root);
    Events().Tree_KeyDown(46, 0);
    Events().Tree_KeyDown(116, 0);
  }
  EXPECT_EQ(Tree().Count(), count);
  EXPECT_EQ(Node(kPc).tag, "1") << "我的电脑 was not reread";
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(TreeKeys, CtrlUpAndDownMoveAmongSiblingsSkippingChildrenAndStopAtTheEnds) {
  Folder("C:\\first\\inner");
  Folder("C:\\second");
  Start();
  Events().Expand(kMyComputerIndex);
  Events().Expand(At(kPc + "\\C:"));
  Events().Expand(At(kPc + "\\C:\\first"));
  Tree().Select(At(kPc + "\\C:\\first"));
  Events().Tree_KeyDown(40, 2);
  EXPECT_EQ(SelectedPath(), kPc + "\\C:\\second");
  Events().Tree_KeyDown(40, 2);
  EXPECT_EQ(SelectedPath(), kPc + "\\C:\\second") << "the last sibling stays";
  Events().Tree_KeyDown(38, 2);
  EXPECT_EQ(SelectedPath(), kPc + "\\C:\\first");
  Tree().Select(At(kPc + "\\C:\\WINDOWS"));
  Events().Tree_KeyDown(38, 2);
  EXPECT_EQ(SelectedPath(), kPc + "\\C:\\WINDOWS") << "the first sibling stays";
  for (const int shift : {0, 1, 3}) {
    Events().Tree_KeyDown(40, shift);
    EXPECT_EQ(SelectedPath(), kPc + "\\C:\\WINDOWS") << "shift " << shift;
  }
  Tree().Select(kSearchResultsIndex);
  Events().Tree_KeyDown(38, 2);
  EXPECT_EQ(Tree().Selected(), kMyComputerIndex) << "top-level nodes are siblings too";
}

using TreeMouse = TreeFixture;

TEST_F(TreeMouse, LeftSelectsAtOnceRightOpensTheMenuWithoutMovingTheSelection) {
  Start();
  const int drive = At(kPc + "\\C:");
  Events().Tree_MouseDown(1, 0, drive);
  EXPECT_EQ(Tree().Selected(), drive);
  Events().Tree_MouseDown(1, 0, 0);
  EXPECT_EQ(Tree().Selected(), drive) << "no node under the pointer";
  Events().Tree_MouseDown(2, 0, kSearchResultsIndex);
  EXPECT_EQ(window.treeMenus, 1);
  EXPECT_EQ(Tree().Selected(), drive);
}

TEST_F(TreeMouse, MiddleClickRereadsAFolderButNotACategory) {
  Folder("C:\\Movies");
  Start();
  Events().Expand(kMyComputerIndex);
  Folder("C:\\Movies\\later");
  Events().Tree_MouseUp(4, 0, At(kPc + "\\C:\\Movies"));
  EXPECT_EQ(ChildTexts(kPc + "\\C:\\Movies"), std::vector<std::string>{"later"});
  const int category = AddCategory("动画");
  AddItem(Tree(), "C:\\m\\a.swf", "", category);
  Events().Expand(category);
  Events().Tree_MouseUp(4, 0, category);
  EXPECT_EQ(Tree().Children(category).size(), 1u);
  EXPECT_TRUE(Tree().Node(category)->expanded);
}

using TreeLabels = TreeFixture;

TEST_F(TreeLabels, OnlyCategoriesMayBeRenamedAndNeverToNothing) {
  Folder("C:\\Movies");
  Start();
  Events().Expand(kMyComputerIndex);
  const int category = AddCategory("动画");
  const int entry = AddItem(Tree(), "C:\\m\\a.swf", "", category);
  for (const int index : {kMyComputerIndex, kSearchResultsIndex, At(kPc + "\\C:"), At(kPc + "\\C:\\Movies"), entry}) {
    EXPECT_FALSE(Events().Tree_BeforeLabelEdit(index)) << Tree().FullPath(index);
  }
  ASSERT_TRUE(Events().Tree_BeforeLabelEdit(category));
  EXPECT_FALSE(Events().Tree_AfterLabelEdit(category, ""));
  EXPECT_EQ(Tree().Node(category)->text, "动画");
  EXPECT_TRUE(Events().Tree_AfterLabelEdit(category, "搜索结果"));
  EXPECT_EQ(Tree().Node(category)->text, "搜索结果") << "duplicates are allowed";
}

TEST_F(TreeLabels, FocusMakesTheTreeTheNavigationTarget) {
  Start();
  EXPECT_EQ(cwin.NavWindow, 0x1111u);
  Events().Tree_GotFocus();
  EXPECT_EQ(cwin.NavWindow, 0x3333u);
}

TEST_F(TreeEntries, RemovingAllChildrenEmptiesAndClosesACategoryAndFreesItsNames) {
  Start();
  const int category = AddCategory("动画");
  AddItem(Tree(), "C:\\m\\a.swf", "", category);
  AddItem(Tree(), "C:\\m\\b.swf", "", category);
  Events().Expand(category);
  Tree().Select(At("动画\\b.swf"));
  Events().RemoveChildren(category);
  EXPECT_TRUE(Tree().Children(category).empty());
  EXPECT_EQ(Tree().Node(category)->image, tree_image::kClosedFolder);
  EXPECT_EQ(Tree().Selected(), category);
  EXPECT_NE(AddItem(Tree(), "D:\\other\\A.swf", "", kSearchResultsIndex), 0);
}

}  // namespace
}  // namespace tavelin::testing
