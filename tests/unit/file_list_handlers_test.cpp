#include "library/file_list_handlers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "support/main_window_fixture.h"

namespace tavelin::testing {
namespace {

constexpr std::int64_t k20240305T1709Utc = 133541321400000000;
constexpr std::int64_t k20231231T163059Utc = 133485138590000000;

class ListNotices : public FileListObserver {
 public:
  std::vector<std::string> notices;
  bool failOnReset = false;
  void RowsReset() override {
    notices.push_back("reset");
    if (failOnReset) throw std::runtime_error("control gone");
  }
  void RowRemoved(int row) override { notices.push_back("removed " + std::to_string(row)); }
  void RowChanged(int row) override { notices.push_back("changed " + std::to_string(row)); }
  void SelectionChanged() override { notices.push_back("selection"); }
  void HeaderImageChanged(int column, int image) override {
    notices.push_back("header " + std::to_string(column) + "=" + std::to_string(image));
  }
  void ColumnsFitRequested() override { notices.push_back("fit"); }
  void LabelEditStarted(int row) override { notices.push_back("edit " + std::to_string(row)); }
};

class FileListHandlersTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    cwin.Load("");
    cwin.Library().List().SetObserver(&notices);
  }

  void AddSizedFile(const std::string& path, std::size_t bytes, std::int64_t ticks = k20240305T1709Utc,
                    std::uint32_t attributes = attr::kArchive) {
    files.AddFile(path, std::vector<std::uint8_t>(bytes), attributes, FileTime{ticks});
  }
  // Lists folder C:\m\ as a click on it does.
  void ShowFolder(const std::string& extension = "swf") {
    cwin.Library().CurrentFolder = "C:\\m\\";
    handlers().ListFolder("C:\\m\\", extension);
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (int i = 0; i < cwin.Library().List().Count(); ++i) names.push_back(cwin.Library().List().Row(i).text);
    return names;
  }
  FileListHandlers& handlers() { return cwin.Library().ListEvents(); }
  const FileListMenuItem& Entry(const std::string& name) {
    const auto& menu = window.fileListMenus.back();
    const auto it = std::find_if(menu.begin(), menu.end(), [&](const auto& item) { return item.name == name; });
    EXPECT_NE(it, menu.end()) << name;
    return *it;
  }
  void RightClick() { handlers().FL_MouseDown(2, 0, -1); }

  ListNotices notices;
};

// Listing a folder.

TEST_F(FileListHandlersTest, ListsMatchingEntriesInFileSystemOrderWithSizeAndLocalTime) {
  AddSizedFile("C:\\m\\b.swf", 1024);
  AddSizedFile("C:\\m\\notes.txt", 10);
  AddSizedFile("C:\\m\\A.SWF", 0, k20231231T163059Utc);
  AddSizedFile("C:\\m\\secret.swf", 3072, k20240305T1709Utc, attr::kHidden | attr::kSystem);
  files.AddFolder("C:\\m\\dir.swf");
  files.AddFile("C:\\m\\sub\\deep.swf");
  cwin.Library().List().Append({{"kept.swf", "", "", false}});
  notices.notices.clear();

  cwin.Library().CurrentFolder = "C:\\m\\";
  handlers().ListFolder("C:\\m", "swf");

  EXPECT_EQ(Names(), (std::vector<std::string>{"kept.swf", "b.swf", "A.SWF", "secret.swf", "dir.swf"}));
  const FileList& list = cwin.Library().List();
  EXPECT_EQ(list.Row(1).size, "    2 KB");
  EXPECT_EQ(list.Row(1).time, "2024/03/06 01:09");
  EXPECT_EQ(list.Row(2).size, "    0 KB");
  EXPECT_EQ(list.Row(2).time, "2024/01/01 00:30");
  EXPECT_EQ(list.Row(3).size, "    4 KB");
  EXPECT_EQ(notices.notices, (std::vector<std::string>{"reset", "fit"}));
}

TEST_F(FileListHandlersTest, TimesUseTheSystemSeparatorsAndExecutablesListTheSameWay) {
  desktop.dateSeparator = "-";
  desktop.timeSeparator = ".";
  AddSizedFile("C:\\m\\tool.exe", 10240);
  AddSizedFile("C:\\m\\movie.swf", 1);
  ShowFolder("exe");
  ASSERT_EQ(Names(), (std::vector<std::string>{"tool.exe"}));
  EXPECT_EQ(cwin.Library().List().Row(0).size, "   10 KB");
  EXPECT_EQ(cwin.Library().List().Row(0).time, "2024-03-06 01.09");
}

TEST_F(FileListHandlersTest, AFolderThatCannotBeReadAddsNoRowsAndReportsNothing) {
  cwin.Library().CurrentFolder = "C:\\gone\\";
  handlers().ListFolder("C:\\gone\\", "swf");
  AddSizedFile("C:\\m\\a.swf", 1);
  files.FailNext("List", "拒绝访问。");
  ShowFolder();
  EXPECT_EQ(cwin.Library().List().Count(), 0);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FileListHandlersTest, AFailingControlDoesNotLetTheFailureOutOfAHandler) {
  AddSizedFile("C:\\m\\a.swf", 1);
  notices.failOnReset = true;
  EXPECT_NO_THROW(ShowFolder());
  EXPECT_NO_THROW(handlers().FL_ColumnClick(1));
  EXPECT_EQ(cwin.Library().List().Count(), 1);
}

// Playing.

TEST_F(FileListHandlersTest, DoubleClickAndEnterPlayTheSelectedRowsFile) {
  AddMovie("C:\\m\\one.swf", SwfWriter().BackgroundColor({}));
  AddMovie("C:\\m\\two.swf", SwfWriter().BackgroundColor({}));
  ShowFolder();
  cwin.Library().List().SelectOnly(1);
  handlers().FL_DblClick();
  EXPECT_EQ(putOut.control.movie, "C:\\m\\two.swf");
  cwin.Library().List().SelectOnly(0);
  handlers().FL_KeyDown(13, 0);
  EXPECT_EQ(putOut.control.movie, "C:\\m\\one.swf");
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FileListHandlersTest, AnEmptyListIgnoresEveryKeyWithoutTouchingAnything) {
  cwin.Library().CurrentFolder = "C:\\m\\";
  AddSizedFile("C:\\m\\a.swf", 1);
  for (int key : {13, 46, 113, 65, 32, 116}) {
    handlers().FL_KeyDown(key, 0);
    handlers().FL_KeyDown(key, 1);
  }
  handlers().FL_DblClick();
  EXPECT_TRUE(putOut.control.calls.empty());
  EXPECT_TRUE(files.shellDeletes.empty());
  EXPECT_TRUE(notices.notices.empty());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FileListHandlersTest, MiddleClickPlaysTheRowUnderThePointerInTheMaximisedOutputWindow) {
  AddMovie("C:\\m\\one.swf", SwfWriter().BackgroundColor({}));
  AddMovie("C:\\m\\two.swf", SwfWriter().BackgroundColor({}));
  AddMovie("C:\\m\\three.swf", SwfWriter().BackgroundColor({}));
  ShowFolder();
  cwin.Library().List().SelectOnly(0);
  handlers().FL_MouseDown(4, 0, 2);
  EXPECT_EQ(putOut.control.movie, "C:\\m\\three.swf");
  EXPECT_EQ(putOut.state, WindowState::kMaximized);
  EXPECT_EQ(cwin.Library().List().SelectedItem(), 2);
  EXPECT_EQ(cwin.Library().List().SelectedRows(), (std::vector<int>{2}));
}

TEST_F(FileListHandlersTest, MiddleClickBesideTheRowsAndOtherButtonsDoNothing) {
  AddMovie("C:\\m\\one.swf", SwfWriter().BackgroundColor({}));
  ShowFolder();
  cwin.Library().List().SelectOnly(0);
  handlers().FL_MouseDown(4, 0, -1);
  handlers().FL_MouseDown(4, 0, 1);
  handlers().FL_MouseDown(1, 0, 0);
  EXPECT_TRUE(putOut.control.calls.empty());
  EXPECT_EQ(putOut.state, WindowState::kNormal);
  EXPECT_EQ(cwin.Library().List().SelectedItem(), 0);
}

// Deleting.

TEST_F(FileListHandlersTest, DeleteSendsTheSelectedFilesToTheRecycleBinLastFirst) {
  for (const char* name : {"a.swf", "b.swf", "c.swf", "d.swf"}) AddSizedFile(std::string("C:\\m\\") + name, 1);
  ShowFolder();
  cwin.Library().List().SelectOnly(0);
  cwin.Library().List().SetSelected(2, true);
  cwin.Library().List().SetSelected(3, true);
  handlers().FL_KeyDown(46, 0);
  EXPECT_EQ(files.shellDeletes,
            (std::vector<std::string>{"recycle C:\\m\\d.swf", "recycle C:\\m\\c.swf", "recycle C:\\m\\a.swf"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"b.swf"}));
  EXPECT_EQ(files.Recycled().size(), 3u);
  EXPECT_TRUE(files.Contains("C:\\m\\b.swf"));
}

// The shell's confirmation runs the message loop: a click on another folder or on a
// column meanwhile must not redirect the rest of the deletion to other files.
TEST_F(FileListHandlersTest, DeletingDeletesTheFilesSelectedAtTheStartWhateverTheListShowsMeanwhile) {
  for (const char* name : {"a.swf", "b.swf", "c.swf"}) AddSizedFile(std::string("C:\\m\\") + name, 1);
  for (const char* name : {"x.swf", "y.swf", "z.swf"}) AddSizedFile(std::string("C:\\n\\") + name, 1);
  ShowFolder();
  cwin.Library().List().SelectOnly(0);
  cwin.Library().List().SetSelected(2, true);
  files.whileShellAsks = [&] {
    cwin.Library().CurrentFolder = "C:\\n\\";
    cwin.Library().List().Clear();
    handlers().ListFolder("C:\\n\\", "swf");
  };
  handlers().FL_KeyDown(46, 0);
  EXPECT_EQ(files.shellDeletes, (std::vector<std::string>{"recycle C:\\m\\c.swf", "recycle C:\\m\\a.swf"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"x.swf", "y.swf", "z.swf"}));

  // Re-sorting meanwhile: the rows removed are the deleted files' rows.
  AddSizedFile("C:\\m\\a.swf", 1);
  AddSizedFile("C:\\m\\c.swf", 1);
  cwin.Library().List().Clear();
  ShowFolder();
  cwin.Library().List().SelectOnly(0);  // b.swf, listed first
  files.whileShellAsks = [&] { cwin.Library().List().SortBy(0, 1); };
  handlers().FL_KeyDown(46, 0);
  EXPECT_EQ(files.shellDeletes.back(), "recycle C:\\m\\b.swf");
  EXPECT_EQ(Names(), (std::vector<std::string>{"c.swf", "a.swf"}));
}

TEST_F(FileListHandlersTest, ShiftDeleteDeletesForGood) {
  AddSizedFile("C:\\m\\a.swf", 1);
  ShowFolder();
  cwin.Library().List().SelectOnly(0);
  handlers().FL_KeyDown(46, 1 | 2);
  EXPECT_EQ(files.shellDeletes, (std::vector<std::string>{"delete C:\\m\\a.swf"}));
  EXPECT_FALSE(files.Contains("C:\\m\\a.swf"));
  EXPECT_TRUE(files.Recycled().empty());
  EXPECT_EQ(cwin.Library().List().Count(), 0);
}

TEST_F(FileListHandlersTest, ADeclinedOrFailedDeletionStillRemovesTheRowWithAttributesReset) {
  AddSizedFile("C:\\m\\a.swf", 1, k20240305T1709Utc, attr::kReadOnly | attr::kHidden | attr::kArchive);
  AddSizedFile("C:\\m\\b.swf", 1);
  ShowFolder();
  files.shellDeclines = true;
  cwin.Library().List().SelectOnly(0);
  handlers().FL_KeyDown(46, 0);
  EXPECT_TRUE(files.Contains("C:\\m\\a.swf"));
  EXPECT_EQ(files.Attributes("C:\\m\\a.swf"), attr::kArchive);
  EXPECT_EQ(Names(), (std::vector<std::string>{"b.swf"}));

  files.FailNext("ShellDelete", "拒绝访问。");
  cwin.Library().List().SelectOnly(0);
  handlers().FL_KeyDown(46, 0);
  EXPECT_EQ(cwin.Library().List().Count(), 0);
  EXPECT_TRUE(dialogs.messages.empty());
}

// Renaming.

TEST_F(FileListHandlersTest, F2StartsEditingTheSelectedRowAndEveryRowMayBeEdited) {
  AddSizedFile("C:\\m\\abc.swf", 1);
  AddSizedFile("C:\\m\\def.swf", 1);
  ShowFolder();
  cwin.Library().List().SelectOnly(1);
  notices.notices.clear();
  handlers().FL_KeyDown(113, 0);
  EXPECT_EQ(notices.notices, (std::vector<std::string>{"edit 1"}));
  EXPECT_TRUE(handlers().FL_BeforeLabelEdit(0));
  EXPECT_TRUE(handlers().FL_BeforeLabelEdit(1));
  EXPECT_FALSE(handlers().FL_BeforeLabelEdit(2));
}

TEST_F(FileListHandlersTest, ARenameMovesTheFileAndTheRowShowsTheNewName) {
  AddSizedFile("C:\\m\\abc.swf", 1, k20240305T1709Utc, attr::kReadOnly);
  ShowFolder();
  AddItem(cwin.Library().Tree(), "C:\\m\\abc.swf", "", kSearchResultsIndex);
  cwin.Library().List().SelectOnly(0);
  EXPECT_TRUE(handlers().FL_AfterLabelEdit(0, "xyz.swf"));
  EXPECT_FALSE(files.Contains("C:\\m\\abc.swf"));
  EXPECT_TRUE(files.Contains("C:\\m\\xyz.swf"));
  EXPECT_EQ(Names(), (std::vector<std::string>{"xyz.swf"}));
  EXPECT_TRUE(dialogs.messages.empty());
  const TreeNode* entry = cwin.Library().Tree().FindKey("abc.swf");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->text, "abc.swf");
  EXPECT_EQ(entry->tag, "C:\\m\\");
}

TEST_F(FileListHandlersTest, AFailedRenameExplainsWhyAndKeepsTheOldName) {
  AddSizedFile("C:\\m\\abc.swf", 1, k20240305T1709Utc, attr::kReadOnly | attr::kHidden);
  AddSizedFile("C:\\m\\taken.swf", 1);
  ShowFolder();
  cwin.Library().List().SelectOnly(0);
  notices.notices.clear();
  EXPECT_FALSE(handlers().FL_AfterLabelEdit(0, "taken.swf"));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "重命名时发生错误，可能的原因如下：\r当文件已存在时，无法创建该文件。");
  EXPECT_EQ(dialogs.messages[0].caption, "文件重命名");
  EXPECT_EQ(dialogs.messages[0].style, 64);
  EXPECT_EQ(Names(), (std::vector<std::string>{"abc.swf", "taken.swf"}));
  EXPECT_EQ(files.Attributes("C:\\m\\abc.swf"), attr::kNormal);
  EXPECT_TRUE(notices.notices.empty());
}

// Sorting.

TEST_F(FileListHandlersTest, AnotherColumnSortsInTheDirectionInForceAndASecondClickReverses) {
  AddSizedFile("C:\\m\\b.swf", 5000);
  AddSizedFile("C:\\m\\a.swf", 100);
  AddSizedFile("C:\\m\\c.swf", 2000);
  ShowFolder();
  EXPECT_FALSE(cwin.Library().List().Sorted());
  EXPECT_EQ(handlers().LastSortColumn(), 0);
  notices.notices.clear();

  handlers().FL_ColumnClick(1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.swf", "c.swf", "b.swf"}));
  EXPECT_EQ(notices.notices, (std::vector<std::string>{"header 0=0", "reset", "header 1=9"}));
  EXPECT_EQ(handlers().LastSortColumn(), 1);

  handlers().FL_ColumnClick(1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"b.swf", "c.swf", "a.swf"}));
  EXPECT_EQ(cwin.Library().List().HeaderImage(1), 8);

  handlers().FL_ColumnClick(0);
  EXPECT_EQ(Names(), (std::vector<std::string>{"c.swf", "b.swf", "a.swf"}));
  EXPECT_EQ(cwin.Library().List().HeaderImage(0), 8);
  EXPECT_EQ(cwin.Library().List().HeaderImage(1), 0);
  EXPECT_EQ(cwin.Library().List().SortOrder(), 1);
}

TEST_F(FileListHandlersTest, TheFirstClickOnTheNameColumnSortsAscendingAndTheSecondReverses) {
  AddSizedFile("C:\\m\\b.swf", 1);
  AddSizedFile("C:\\m\\a.swf", 1);
  ShowFolder();
  handlers().FL_ColumnClick(0);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.swf", "b.swf"}));
  EXPECT_EQ(cwin.Library().List().HeaderImage(0), 9);
  handlers().FL_ColumnClick(0);
  EXPECT_EQ(Names(), (std::vector<std::string>{"b.swf", "a.swf"}));
  EXPECT_EQ(cwin.Library().List().HeaderImage(0), 8);
  handlers().FL_ColumnClick(7);
  EXPECT_EQ(handlers().LastSortColumn(), 0);
  EXPECT_EQ(cwin.Library().List().HeaderImage(0), 8);
}

// Names sort as the user's locale does, like Explorer: Chinese by pinyin, not by code
// point, letter case ignored; sizes still sort by their padded texts.
TEST_F(FileListHandlersTest, NamesSortByPinyinIgnoringCaseAndSizesByTheirTexts) {
  AddSizedFile("C:\\m\\张三.swf", 30000);
  AddSizedFile("C:\\m\\北京.swf", 2000);
  AddSizedFile("C:\\m\\阿里.swf", 100);
  ShowFolder();
  handlers().FL_ColumnClick(0);
  EXPECT_EQ(Names(), (std::vector<std::string>{"阿里.swf", "北京.swf", "张三.swf"}));
  handlers().FL_ColumnClick(1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"阿里.swf", "北京.swf", "张三.swf"}));

  for (const char* name : {"Beta.swf", "alpha.swf", "Gamma.swf"}) AddSizedFile(std::string("C:\\n\\") + name, 1);
  cwin.Library().CurrentFolder = "C:\\n\\";
  cwin.Library().List().Clear();
  handlers().ListFolder("C:\\n\\", "swf");
  handlers().FL_ColumnClick(0);
  EXPECT_EQ(Names(), (std::vector<std::string>{"alpha.swf", "Beta.swf", "Gamma.swf"}));
}

// The pop-up menu.

TEST_F(FileListHandlersTest, RightClickOpensTheMenuWithItsEntriesInOrderAndKeepsTheSelection) {
  AddSizedFile("C:\\m\\a.swf", 1);
  ShowFolder();
  cwin.Library().List().SelectOnly(0);
  notices.notices.clear();
  RightClick();
  ASSERT_EQ(window.fileListMenus.size(), 1u);
  std::vector<std::string> captions;
  for (const auto& item : window.fileListMenus[0]) captions.push_back(item.separator ? "-" : item.caption);
  EXPECT_EQ(captions, (std::vector<std::string>{"关联 swf 文件到 Tavelin", "-", "清除文件框", "打包(SWF -> EXE)...",
                                                "当前无效", "-", "显示 EXE 文件", "批量转化 EXE -> SWF 文件",
                                                "转化选择项 EXE -> SWF", "有效性检验", "复制路径"}));
  for (const char* always : {"mFL_RegPlayer", "mFL_Clear", "mFL_ShowEXE", "mFL_TranFlie(1)", "mFL_Check",
                             "mFL_CopyPath"}) {
    EXPECT_TRUE(Entry(always).enabled) << always;
  }
  EXPECT_TRUE(notices.notices.empty());
  EXPECT_EQ(cwin.Library().List().SelectedItem(), 0);
}

TEST_F(FileListHandlersTest, PackingNeedsRowsAndTheStubInTheProgramFolder) {
  RightClick();
  EXPECT_FALSE(Entry("mFL_CreateExe").enabled);
  files.AddFile(cwin.AppFolder + "data.dat", "stub");
  RightClick();
  EXPECT_FALSE(Entry("mFL_CreateExe").enabled);
  AddSizedFile("C:\\m\\a.swf", 1);
  ShowFolder();
  RightClick();
  EXPECT_TRUE(Entry("mFL_CreateExe").enabled);
  files.DeleteFile(cwin.AppFolder + "data.dat");
  RightClick();
  EXPECT_FALSE(Entry("mFL_CreateExe").enabled);
}

TEST_F(FileListHandlersTest, BatchConversionFollowsTheFirstRowAndKeepsItsStateForAnEmptyList) {
  AddSizedFile("C:\\m\\b.swf", 1);
  AddSizedFile("C:\\m\\a.EXE", 1);
  ShowFolder("*");
  RightClick();
  EXPECT_FALSE(Entry("mFL_TranFlie(0)").enabled);
  handlers().FL_ColumnClick(1);  // equal sizes keep the order: b.swf stays first
  RightClick();
  EXPECT_FALSE(Entry("mFL_TranFlie(0)").enabled);
  handlers().FL_ColumnClick(0);  // by name, still ascending: a.EXE comes first
  RightClick();
  EXPECT_TRUE(Entry("mFL_TranFlie(0)").enabled);
  cwin.Library().List().Clear();
  RightClick();
  EXPECT_TRUE(Entry("mFL_TranFlie(0)").enabled);

  ShowFolder("swf");
  RightClick();
  EXPECT_FALSE(Entry("mFL_TranFlie(0)").enabled);
  cwin.Library().List().Clear();
  RightClick();
  EXPECT_FALSE(Entry("mFL_TranFlie(0)").enabled);
}

TEST_F(FileListHandlersTest, AddingNamesTheSelectedCategoryOrTheMoviesCategory) {
  AddSizedFile("C:\\m\\a.swf", 1);
  ShowFolder();
  LibraryTree& tree = cwin.Library().Tree();
  const int category = tree.Add(0, "", "动画", tree_image::kClosedFolder, "2");
  const int movie = AddItem(tree, "C:\\m\\a.swf", "", category);
  ASSERT_GT(movie, 0);

  RightClick();
  EXPECT_FALSE(Entry("mFL_AddTo").enabled);
  EXPECT_EQ(Entry("mFL_AddTo").caption, "当前无效");

  tree.Select(category);
  RightClick();
  EXPECT_TRUE(Entry("mFL_AddTo").enabled);
  EXPECT_EQ(Entry("mFL_AddTo").caption, "添加到 动画");

  tree.Select(kSearchResultsIndex);
  RightClick();
  EXPECT_TRUE(Entry("mFL_AddTo").enabled);
  EXPECT_EQ(Entry("mFL_AddTo").caption, "添加到 搜索结果");

  tree.Select(movie);
  RightClick();
  EXPECT_TRUE(Entry("mFL_AddTo").enabled);
  EXPECT_EQ(Entry("mFL_AddTo").caption, "添加到 动画");
}

TEST_F(FileListHandlersTest, AddingIsOffForFoldersAndForAnEmptyListAndKeepsTheLastCaption) {
  AddSizedFile("C:\\m\\a.swf", 1);
  ShowFolder();
  LibraryTree& tree = cwin.Library().Tree();
  const int category = tree.Add(0, "", "收藏", tree_image::kClosedFolder, "2");
  tree.Select(category);
  RightClick();
  ASSERT_TRUE(Entry("mFL_AddTo").enabled);

  tree.Select(kMyComputerIndex + 2);  // the drive C:
  ASSERT_EQ(tree.Node(tree.Selected())->text, "C:");
  RightClick();
  EXPECT_FALSE(Entry("mFL_AddTo").enabled);
  EXPECT_EQ(Entry("mFL_AddTo").caption, "添加到 收藏");

  tree.Select(kSearchResultsIndex);
  cwin.Library().List().Clear();
  RightClick();
  EXPECT_FALSE(Entry("mFL_AddTo").enabled);
  EXPECT_EQ(Entry("mFL_AddTo").caption, "添加到 收藏");
}

// Focus.

TEST_F(FileListHandlersTest, FocusMakesTheListTheWindowThatReceivesToolbarKeys) {
  cwin.NavWindow = 0x9999;
  handlers().FL_GotFocus();
  EXPECT_EQ(cwin.NavWindow, window.ListWindow());
}

}  // namespace
}  // namespace tavelin::testing
