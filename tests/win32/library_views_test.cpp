// The tree and list controls mirror the library's models, and gestures on them reach
// the handlers, with real folders and files under Wine.
#include <gtest/gtest.h>

#include <cstring>

#include <shlobj.h>

#include "auto_answer.h"
#include "support/swf_writer.h"
#include "wired_main_window.h"
#include "win32/library_drag_drop.h"

namespace tavelin::win32 {
namespace {

class LibraryViews : public MainWindowWiring {
 protected:
  void SetUp() override {
    MainWindowWiring::SetUp();
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder = Narrow(temp) + "tavelin-lib-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryW(Widen(folder).c_str(), nullptr);
  }
  void TearDown() override {
    for (const auto& entry : files.List(folder + "*")) {
      files.SetAttributesNormal(folder + entry.name);
      DeleteFileW(Widen(folder + entry.name).c_str());
    }
    RemoveDirectoryW(Widen(folder).c_str());
    MainWindowWiring::TearDown();
  }
  void Write(const std::string& name, std::size_t bytes, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    files.WriteFile(folder + name, std::vector<std::uint8_t>(bytes, 'x'));
    SetFileAttributesW(Widen(folder + name).c_str(), attributes);
  }
  std::string Cell(int row, int column) {
    wchar_t text[256] = {};
    ListView_GetItemText(view.ListHandle(), row, column, text, 256);
    return Narrow(text);
  }

  std::string folder;
};

TEST_F(LibraryViews, TreeControlFollowsNodesAddedChangedSelectedAndRemoved) {
  const int index = cwin.Library().Tree().Add(0, "", "动画", 6, "2");
  const HWND tree = view.TreeHandle();
  HTREEITEM item = TreeView_GetNextSibling(tree, TreeView_GetNextSibling(tree, TreeView_GetRoot(tree)));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(TreeItemText(tree, item), "动画");
  cwin.Library().Tree().SetText(index, "卡通");
  EXPECT_EQ(TreeItemText(tree, item), "卡通");
  cwin.Library().Tree().Select(index);
  EXPECT_EQ(TreeView_GetSelection(tree), item);
  cwin.Library().Tree().Remove(index);
  EXPECT_EQ(TreeView_GetNextSibling(tree, TreeView_GetNextSibling(tree, TreeView_GetRoot(tree))), nullptr);
}

// A folder never opened in the control loses its subfolders (F5 after they were
// deleted, a disc taken out): its "+" goes at once, without a click.
TEST_F(LibraryViews, TheExpandButtonFollowsTheModelForNodesNeverOpened) {
  const int category = cwin.Library().Tree().Add(0, "", "动画", 6, "2");
  cwin.Library().Tree().Add(category, "", "a", 6);
  cwin.Library().Tree().Add(category, "", "b", 6);
  const HWND tree = view.TreeHandle();
  const HTREEITEM item = TreeView_GetNextSibling(tree, TreeView_GetNextSibling(tree, TreeView_GetRoot(tree)));
  ASSERT_NE(item, nullptr);
  auto hasButton = [&] {
    TVITEMW tv{};
    tv.mask = TVIF_HANDLE | TVIF_CHILDREN;
    tv.hItem = item;
    TreeView_GetItem(tree, &tv);
    return tv.cChildren != 0;
  };
  EXPECT_TRUE(hasButton());
  cwin.Library().Tree().RemoveChildrenOf(category);
  EXPECT_FALSE(hasButton());
  const int only = cwin.Library().Tree().Add(category, "", "c", 6);
  EXPECT_TRUE(hasButton());
  cwin.Library().Tree().Remove(only);
  EXPECT_FALSE(hasButton());
}

// A drag from the list reaches the tree's real drop target with a real data object:
// the row is filed under the category; a drag from another program is refused.
TEST_F(LibraryViews, ListRowsDraggedOntoACategoryAreFiledAndOutsideDragsRefused) {
  Write("a.swf", 10);
  cwin.Library().CurrentFolder = folder;
  cwin.Library().ListEvents().ListFolder(folder, "swf");
  cwin.Library().List().SelectOnly(0);
  const int category = cwin.Library().Tree().Add(0, "", "动画", 6, "2");
  const HWND tree = view.TreeHandle();
  const HTREEITEM item = TreeView_GetNextSibling(tree, TreeView_GetNextSibling(tree, TreeView_GetRoot(tree)));
  RECT box{};
  TreeView_GetItemRect(tree, item, &box, TRUE);
  POINT centre{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
  ClientToScreen(tree, &centre);
  const POINTL at{centre.x, centre.y};
  IDropTarget* target = view.DragDrop()->Target();
  IDataObject* data = NewTextDataObject("a.swf");

  DWORD effect = DROPEFFECT_COPY;  // nothing started inside the program: refused
  target->DragEnter(data, MK_LBUTTON, at, &effect);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  target->DragLeave();

  cwin.Library().Drag().StartFromList();
  effect = DROPEFFECT_COPY;
  target->DragEnter(data, MK_LBUTTON, at, &effect);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(TreeView_GetDropHilight(tree), item);
  target->Drop(data, 0, at, &effect);
  cwin.Library().Drag().Complete();
  data->Release();
  EXPECT_FALSE(TreeView_GetItemState(tree, item, TVIS_DROPHILITED) & TVIS_DROPHILITED);
  ASSERT_EQ(cwin.Library().Tree().Children(category).size(), 1u);
  EXPECT_EQ(cwin.Library().Tree().Node(cwin.Library().Tree().Children(category)[0])->tag, folder);
}

// A shell drop with a real drop handle: a long name outside the ANSI code page arrives
// whole, is filed under "搜索结果" and plays.
TEST_F(LibraryViews, AMovieDroppedFromTheShellIsFiledWholeAndPlays) {
  const std::string name = "한국 영화 " + std::string(140, 'x') + ".swf";
  const std::vector<std::uint8_t> movie = testing::SwfWriter().BackgroundColor({}).ShowFrame().Bytes();
  files.WriteFile(folder + name, movie);
  putOut.SetOnDrop([this](const std::vector<std::string>& paths) { cwin.HandleDroppedFiles(paths); });
  const std::wstring path = Widen(folder + name);
  const SIZE_T bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), path.c_str(), path.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  SendMessageW(putOut.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
  PumpMessages();
  const std::vector<int> results = cwin.Library().Tree().Children(kSearchResultsIndex);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(cwin.Library().Tree().Node(results[0])->text, name);
  EXPECT_EQ(putOut.Control().Movie(), folder + name);
}

TEST_F(LibraryViews, OnlyCategoriesCanBeRenamedInTheControl) {
  const int index = cwin.Library().Tree().Add(0, "", "New", 6, "2");
  const HWND tree = view.TreeHandle();
  const HTREEITEM results = TreeView_GetNextSibling(tree, TreeView_GetRoot(tree));
  SetFocus(tree);
  EXPECT_EQ(TreeView_EditLabel(tree, results), nullptr);
  const HTREEITEM category = TreeView_GetNextSibling(tree, results);
  const HWND edit = TreeView_EditLabel(tree, category);
  ASSERT_NE(edit, nullptr);
  SetWindowTextW(edit, L"宫崎骏");
  TreeView_EndEditLabelNow(tree, FALSE);
  EXPECT_EQ(cwin.Library().Tree().Node(index)->text, "宫崎骏");
  EXPECT_EQ(TreeItemText(tree, category), "宫崎骏");
}

TEST_F(LibraryViews, RevealingAFolderListsItsMoviesInTheListControl) {
  Write("b.swf", 2048);
  Write("한국 영화.swf", 10240);
  Write("hidden.swf", 1, FILE_ATTRIBUTE_HIDDEN);
  Write("notes.txt", 5);
  cwin.Library().TreeEvents().RevealPath(folder);
  PumpMessages();
  EXPECT_EQ(cwin.Library().CurrentFolder, folder);
  ASSERT_EQ(ListView_GetItemCount(view.ListHandle()), 3);
  for (int row = 0; row < 3; ++row) EXPECT_EQ(Cell(row, 0), cwin.Library().List().Row(row).text);
  const int korean = Cell(0, 0) == "한국 영화.swf" ? 0 : Cell(1, 0) == "한국 영화.swf" ? 1 : 2;
  EXPECT_EQ(Cell(korean, 1), "   10 KB");
  EXPECT_EQ(Cell(korean, 2).size(), 16u);  // yyyy/mm/dd hh:mm

  const int selected = cwin.Library().Tree().Selected();
  ASSERT_NE(selected, 0);
  EXPECT_EQ(cwin.Library().Tree().Node(selected)->text, "tavelin-lib-" + std::to_string(GetCurrentProcessId()));
}

TEST_F(LibraryViews, ClickingAColumnHeaderSortsAndMarksTheHeader) {
  Write("a.swf", 5000);
  Write("c.swf", 100);
  Write("b.swf", 3000);
  cwin.Library().TreeEvents().RevealPath(folder);
  NMLISTVIEW click{};
  click.hdr.hwndFrom = view.ListHandle();
  click.hdr.code = LVN_COLUMNCLICK;
  click.iSubItem = 1;
  SendMessageW(view.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(Cell(0, 0), "c.swf");
  EXPECT_EQ(Cell(2, 0), "a.swf");
  HDITEMW header{};
  header.mask = HDI_FORMAT | HDI_IMAGE;
  Header_GetItem(ListView_GetHeader(view.ListHandle()), 1, &header);
  EXPECT_TRUE(header.fmt & HDF_IMAGE);
  EXPECT_EQ(header.iImage, 8);  // slot 9: ascending
}

TEST_F(LibraryViews, AFailedRenameShowsTheSystemsReasonAndKeepsTheName) {
  Write("a.swf", 10);
  Write("b.swf", 10);
  cwin.Library().TreeEvents().RevealPath(folder);
  const int row = cwin.Library().List().Row(0).text == "a.swf" ? 0 : 1;
  EXPECT_FALSE(cwin.Library().ListEvents().FL_AfterLabelEdit(row, "b.swf"));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  const std::string prefix = "重命名时发生错误，可能的原因如下：\r";
  EXPECT_EQ(dialogs.messages[0].text.rfind(prefix, 0), 0u);
  EXPECT_GT(dialogs.messages[0].text.size(), prefix.size());
  EXPECT_EQ(dialogs.messages[0].caption, "文件重命名");
  EXPECT_EQ(dialogs.messages[0].style, 64);
  EXPECT_EQ(Cell(row, 0), "a.swf");
}

TEST_F(LibraryViews, DeleteKeySendsTheSelectedFileToTheRecycleBinAfterTheShellAsks) {
  Write("gone.swf", 10, FILE_ATTRIBUTE_READONLY);
  Write("kept.swf", 10);
  cwin.Library().TreeEvents().RevealPath(folder);
  const int row = cwin.Library().List().Row(0).text == "gone.swf" ? 0 : 1;
  cwin.Library().List().SelectOnly(row);
  AutoAnswer yes(nullptr, [](HWND box) {
    PostMessageW(box, WM_COMMAND, IDYES, 0);
    return true;
  });
  cwin.Library().ListEvents().FL_KeyDown(VK_DELETE, 0);
  EXPECT_FALSE(files.FileExists(folder + "gone.swf"));
  EXPECT_TRUE(files.FileExists(folder + "kept.swf"));
  EXPECT_EQ(ListView_GetItemCount(view.ListHandle()), 1);
}

}  // namespace
}  // namespace tavelin::win32
