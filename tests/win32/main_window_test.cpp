// The real main window and output window wired to the main window's logic, driven
// by window messages as a user's gestures would arrive.
#include "wired_main_window.h"

#include "shell/app_info.h"

namespace tavelin::win32 {
namespace {

TEST_F(MainWindowWiring, OpensWithItsCaptionDesignedClientSizeAndNoFailure) {
  wchar_t caption[256] = {};
  GetWindowTextW(view.Handle(), caption, 256);
  EXPECT_EQ(Narrow(caption), std::string(kAppTitle));
  RECT client{};
  GetClientRect(view.Handle(), &client);
  EXPECT_EQ(client.right, 9315 / ScreenTwipsPerPixelX());
  EXPECT_EQ(client.bottom, 7530 / ScreenTwipsPerPixelY());
  EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text;
  EXPECT_TRUE(IsWindowVisible(putOut.Handle()));
  EXPECT_EQ(GetParent(view.StatusStripHandle()), putOut.Handle());
}

TEST_F(MainWindowWiring, LaysOutTreeSplitterAndListAtTheirDesignedColumns) {
  RECT client{};
  GetClientRect(view.Handle(), &client);
  const RECT tree = ChildRect(view.Handle(), view.TreeHandle());
  const RECT splitter = ChildRect(view.Handle(), view.SplitterHandle());
  const RECT list = ChildRect(view.Handle(), view.ListHandle());
  EXPECT_EQ(tree.left, 0);
  EXPECT_EQ(tree.top, 26);
  EXPECT_EQ(tree.right, 224);
  EXPECT_EQ(splitter.left, 226);
  EXPECT_EQ(list.left, 232);
  EXPECT_EQ(tree.bottom - tree.top, client.bottom - 42);
  EXPECT_EQ(list.bottom - list.top, client.bottom - 42);
}

TEST_F(MainWindowWiring, DraggingTheSplitterMovesTheColumnsAndStopsAtEighty) {
  SendMessageW(view.SplitterHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 5));
  SendMessageW(view.SplitterHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(-40), 5));
  EXPECT_EQ(ChildRect(view.Handle(), view.SplitterHandle()).left, 186);
  EXPECT_EQ(ChildRect(view.Handle(), view.TreeHandle()).right, 184);
  EXPECT_EQ(ChildRect(view.Handle(), view.ListHandle()).left, 192);
  SendMessageW(view.SplitterHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(-500), 5));
  EXPECT_EQ(ChildRect(view.Handle(), view.SplitterHandle()).left, 80);
  SendMessageW(view.SplitterHandle(), WM_LBUTTONUP, 0, MAKELPARAM(0, 5));
}

TEST_F(MainWindowWiring, ShowsTheTwoRootsAndTheDrivesInTheTree) {
  const HWND tree = view.TreeHandle();
  const HTREEITEM computer = TreeView_GetRoot(tree);
  ASSERT_NE(computer, nullptr);
  EXPECT_EQ(TreeItemText(tree, computer), "我的电脑");
  EXPECT_EQ(TreeItemText(tree, TreeView_GetNextSibling(tree, computer)), "搜索结果");
  TreeView_Expand(tree, computer, TVE_EXPAND);  // drives enter the control when it opens
  const HTREEITEM firstDrive = TreeView_GetChild(tree, computer);
  ASSERT_NE(firstDrive, nullptr);  // Wine gives at least C: and Z:
  EXPECT_EQ(TreeItemText(tree, firstDrive).size(), 2u);
}

TEST_F(MainWindowWiring, ToolbarCarriesFifteenButtonsWithTheirStylesAndTips) {
  const HWND toolbar = view.ToolbarHandle();
  ASSERT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 15);
  const BYTE expected[15] = {BTNS_DROPDOWN, BTNS_BUTTON, BTNS_DROPDOWN, BTNS_BUTTON, BTNS_SEP,
                             BTNS_BUTTON,   BTNS_BUTTON, BTNS_CHECK,    BTNS_SEP,    BTNS_CHECK,
                             BTNS_DROPDOWN, BTNS_SEP,    BTNS_BUTTON,   BTNS_BUTTON, BTNS_BUTTON};
  for (int i = 0; i < 15; ++i) {
    TBBUTTON button{};
    SendMessageW(toolbar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button));
    EXPECT_EQ(button.fsStyle & 0x0F, expected[i] & 0x0F) << "button " << i + 1;
    EXPECT_EQ(button.idCommand, i + 1);
  }
  wchar_t text[64] = {};
  SendMessageW(toolbar, TB_GETBUTTONTEXTW, 7, reinterpret_cast<LPARAM>(text));  // by command id
  EXPECT_EQ(Narrow(text), "后一段 [Ctrl+→]");
  RECT last{}, bar{};
  SendMessageW(toolbar, TB_GETITEMRECT, 14, reinterpret_cast<LPARAM>(&last));
  GetClientRect(toolbar, &bar);
  EXPECT_EQ(bar.right, last.right + 2);
}

TEST_F(MainWindowWiring, ImageListsGainTheProgramIconAndAFolderAndTheListItsStyles) {
  EXPECT_EQ(ImageList_GetImageCount(view.LibraryImages()), 10);
  EXPECT_EQ(ImageList_GetImageCount(view.ToolbarImages()), 14);
  EXPECT_EQ(ListView_GetExtendedListViewStyle(view.ListHandle()), 0x31u);
}

TEST_F(MainWindowWiring, ClosingTheMainWindowUnloadsTheOutputWindow) {
  const HWND output = putOut.Handle();
  SendMessageW(view.Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(output));
  EXPECT_EQ(cwin.Playback().Player, nullptr);
}

}  // namespace
}  // namespace tavelin::win32

namespace tavelin::win32 {
namespace {

COLORREF ClientPixel(HWND window, int x, int y) {
  UpdateWindow(window);
  HDC dc = GetDC(window);
  const COLORREF pixel = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return pixel;
}

TEST_F(MainWindowWiring, DrawsTheBottomStripsGrooveAndBoxesWithSunkenEdges) {
  RECT client{};
  GetClientRect(view.Handle(), &client);
  const int top = client.bottom - 14;
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), face = GetSysColor(COLOR_BTNFACE);
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  EXPECT_EQ(ClientPixel(view.Handle(), 0, top + 5), shadow);      // groove, left edge
  EXPECT_EQ(ClientPixel(view.Handle(), 226, top + 5), light);     // groove, right edge
  EXPECT_EQ(ClientPixel(view.Handle(), 228, top + 5), face);      // between groove and first box
  EXPECT_EQ(ClientPixel(view.Handle(), 240, top), shadow);        // first box, top edge
  EXPECT_EQ(ClientPixel(view.Handle(), 240, client.bottom - 1), light);
  RECT thumb{};
  GetWindowRect(view.SliderHandle(), &thumb);
  MapWindowPoints(nullptr, view.Handle(), reinterpret_cast<POINT*>(&thumb), 2);
  EXPECT_EQ(thumb.left, 1);
  EXPECT_EQ(thumb.top, top + 1);
  EXPECT_EQ(thumb.right - thumb.left, 25);
}

TEST_F(MainWindowWiring, TheProgressLabelIsWhiteOnDarkBlue) {
  const HWND label = view.LabelHandle(6);
  SetWindowTextW(label, L"    ");
  SetWindowPos(label, HWND_TOP, 300, 40, 120, 16, SWP_SHOWWINDOW);
  RedrawWindow(label, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_EQ(ClientPixel(label, 2, 2), RGB(0, 0, 170));
  SetWindowTextW(label, L"\x2588\x2588\x2588\x2588\x2588\x2588");  // full blocks: text pixels
  RedrawWindow(label, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  bool white = false;
  for (int x = 0; x < 120 && !white; ++x) {
    for (int y = 0; y < 16 && !white; ++y) white = ClientPixel(label, x, y) == RGB(255, 255, 255);
  }
  EXPECT_TRUE(white);
}

// The About window is not modal and asking twice gives the same window; its button
// closes it.
TEST_F(MainWindowWiring, TheAboutWindowOpensOnceAndItsButtonClosesIt) {
  cwin.PlayerMenuCommand(player_menu::kAbout);
  cwin.PlayerMenuCommand(player_menu::kAbout);
  PumpMessages();
  int windows = 0;
  for (HWND w = FindWindowExW(nullptr, nullptr, L"TavelinAbout", nullptr); w;
       w = FindWindowExW(nullptr, w, L"TavelinAbout", nullptr)) {
    ++windows;
  }
  EXPECT_EQ(windows, 1);
  const HWND about = view.About().Handle();
  ASSERT_NE(about, nullptr);
  wchar_t caption[128] = {};
  GetWindowTextW(about, caption, 128);
  EXPECT_EQ(Narrow(caption), "Tavelin Player(Tavelin播放器) 9.3.235.2");
  RECT client{};
  GetClientRect(about, &client);
  EXPECT_EQ(client.right, 4650 / 15);
  EXPECT_TRUE(IsWindowEnabled(view.Handle()));  // not modal
  SendMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
  PumpMessages();
  EXPECT_EQ(view.About().Handle(), nullptr);
}

// The toolbar's buttons arrive as their commands: button 13 makes a category.
// The toolbar's buttons arrive as their commands: pinning and a new category.
TEST_F(MainWindowWiring, AToolbarClickRunsTheButtonsCommand) {
  const auto click = [&](int button) {
    SendMessageW(view.Handle(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(view.ToolbarHandle()));
    PumpMessages();
  };
  click(8);
  EXPECT_TRUE(GetWindowLongW(view.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(GetWindowLongW(putOut.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(SendMessageW(view.ToolbarHandle(), TB_ISBUTTONCHECKED, 8, 0));
  click(8);
  EXPECT_FALSE(GetWindowLongW(view.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(GetWindowLongW(putOut.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  click(13);
  EXPECT_EQ(cwin.Library().CategoryCount, 1);
}

TEST_F(MainWindowWiring, DraggingTheThumbWithTheRightButtonSetsTheVolumeLabel) {
  SendMessageW(view.SliderHandle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
  SendMessageW(view.SliderHandle(), WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(105, 5));
  SendMessageW(view.SliderHandle(), WM_RBUTTONUP, 0, MAKELPARAM(105, 5));
  wchar_t text[32] = {};
  GetWindowTextW(view.LabelHandle(4), text, 32);
  EXPECT_EQ(Narrow(text), "50 %");
  RECT thumb{};
  GetWindowRect(view.SliderHandle(), &thumb);
  MapWindowPoints(nullptr, view.Handle(), reinterpret_cast<POINT*>(&thumb), 2);
  EXPECT_EQ(thumb.left, 101);
  EXPECT_TRUE(cwin.Playback().TrackProgress);
}

}  // namespace
}  // namespace tavelin::win32

namespace tavelin::win32 {
namespace {

bool HasFrame(HWND window) { return (GetWindowLongPtrW(window, GWL_STYLE) & WS_DLGFRAME) != 0; }

// Real key-downs in the movie window reach the shortcuts through the main window, as
// the user's keys do: full screen covers the whole screen without a frame, F shows the
// status line there, Z brings the former window back; with the shortcuts off the movie
// window keeps its keys.
TEST_F(MainWindowWiring, KeysInTheMovieWindowDriveFullScreenAndTheStatusLine) {
  const HWND movie = reinterpret_cast<HWND>(putOut.MovieWindow());
  RECT before{};
  GetWindowRect(putOut.Handle(), &before);
  const auto press = [&](int key) {
    SendMessageW(movie, WM_KEYDOWN, static_cast<WPARAM>(key), 0);
    PumpMessages();
  };
  press('Z');
  ASSERT_TRUE(IsZoomed(putOut.Handle()));
  RECT full{};
  GetWindowRect(putOut.Handle(), &full);
  EXPECT_EQ(full.left, 0);
  EXPECT_EQ(full.top, 0);
  EXPECT_EQ(full.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(full.bottom, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_FALSE(HasFrame(putOut.Handle()));
  press('F');
  EXPECT_TRUE(IsWindowVisible(view.StatusStripHandle()));
  RECT strip{};
  GetWindowRect(view.StatusStripHandle(), &strip);
  EXPECT_EQ(strip.bottom, full.bottom);
  press('F');
  EXPECT_FALSE(IsWindowVisible(view.StatusStripHandle()));

  press('Z');
  RECT after{};
  GetWindowRect(putOut.Handle(), &after);
  EXPECT_FALSE(IsZoomed(putOut.Handle()));
  EXPECT_TRUE(HasFrame(putOut.Handle()));
  EXPECT_TRUE(EqualRect(&before, &after));

  cwin.TC_ButtonClick(10);  // shortcuts off
  press('Z');
  EXPECT_FALSE(IsZoomed(putOut.Handle()));
}

}  // namespace
}  // namespace tavelin::win32
