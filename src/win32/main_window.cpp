// The main window: creating it with its controls, image lists and toolbar, and the
// frame, construction and layout members the logic asks of it.
#include "win32/main_window.h"

#include <windowsx.h>

#include "platform/failure.h"
#include "playback/status_strip.h"
#include "playback/toolbar_model.h"
#include "shell/cwin.h"
#include "win32/file_list_view.h"
#include "win32/library_tree_view.h"
#include "win32/text.h"
#include "win32/window_class.h"

namespace tavelin::win32 {
namespace {

constexpr int kClientWidthTwips = 9315;
constexpr int kClientHeightTwips = 7530;
constexpr int kToolbarImageCount = 13;
constexpr int kLibraryImageCount = 9;

int TwipsPerPixel(int dotsPerInchIndex) {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, dotsPerInchIndex) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? (1440 + dpi / 2) / dpi : 15;
}

HFONT MessageFont(int points = 0) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  LOGFONTW font = metrics.lfMessageFont;
  if (points > 0) {
    HDC screen = GetDC(nullptr);
    font.lfHeight = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    font.lfWidth = 0;
  }
  return CreateFontIndirectW(&font);
}

// An image list of 16 x 16 images from a bitmap strip; missing images stay blank so
// that slot numbers keep their meaning.
HIMAGELIST LoadImageStrip(HINSTANCE instance, int resource, int count) {
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, count, 4);
  if (auto strip = static_cast<HBITMAP>(
          LoadImageW(instance, MAKEINTRESOURCEW(resource), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))) {
    ImageList_Add(list, strip, nullptr);
    DeleteObject(strip);
  }
  if (ImageList_GetImageCount(list) < count) {
    HDC screen = GetDC(nullptr);
    HBITMAP blank = CreateCompatibleBitmap(screen, 16, 16);
    ReleaseDC(nullptr, screen);
    while (ImageList_GetImageCount(list) < count) ImageList_AddMasked(list, blank, RGB(0, 0, 0));
    DeleteObject(blank);
  }
  return list;
}

}  // namespace

int ScreenTwipsPerPixelX() { return TwipsPerPixel(LOGPIXELSX); }
int ScreenTwipsPerPixelY() { return TwipsPerPixel(LOGPIXELSY); }

MainWindow::MainWindow(HINSTANCE instance, bool quitOnDestroy)
    : instance_(instance), quitOnDestroy_(quitOnDestroy), about_(instance) {}

MainWindow::~MainWindow() {
  if (cwin_) {
    cwin_->Library().Tree().SetObserver(nullptr);
    cwin_->Library().List().SetObserver(nullptr);
  }
  dragDrop_.reset();
  treeView_.reset();
  listView_.reset();
  if (hwnd_) DestroyWindow(hwnd_);
  if (statusStrip_ && IsWindow(statusStrip_)) DestroyWindow(statusStrip_);
  if (progressBrush_) DeleteObject(progressBrush_);
  if (toolbarImages_) ImageList_Destroy(toolbarImages_);
  if (libraryImages_) ImageList_Destroy(libraryImages_);
  if (thumb_) DeleteObject(thumb_);
  if (stripImage_) DeleteObject(stripImage_);
  if (uiFont_) DeleteObject(uiFont_);
  if (libraryFont_) DeleteObject(libraryFont_);
  if (searchMenu_) DestroyMenu(searchMenu_);
}

bool MainWindow::Create() {
  if (!EnsureWindowClass(instance_, kMainWindowClass, &RouteToOwner<MainWindow>,
                         LoadIconW(instance_, MAKEINTRESOURCEW(kResourceAppIcon)),
                         reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1))) {
    return false;
  }
  constexpr DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  RECT frame{0, 0, kClientWidthTwips / ScreenTwipsPerPixelX(), kClientHeightTwips / ScreenTwipsPerPixelY()};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  hwnd_ = CreateWindowExW(0, kMainWindowClass, L"", style, left, top, width, height, nullptr, nullptr, instance_, this);
  if (!hwnd_) return false;
  CreateControls();
  return true;
}

void MainWindow::Attach(CWin* cwin) {
  cwin_ = cwin;
  treeView_ = std::make_unique<LibraryTreeView>(tree_, cwin_->Library().Tree(), cwin_->Library().TreeEvents());
  listView_ = std::make_unique<FileListView>(list_, libraryImages_, cwin_->Library().List(), cwin_->Library().ListEvents());
  cwin_->Library().Tree().SetObserver(treeView_.get());
  cwin_->Library().List().SetObserver(listView_.get());
  dragDrop_ = std::make_unique<LibraryDragDrop>(tree_, cwin_->Library().Tree(), cwin_->Library().Drag());
  treeView_->SetDragDrop(dragDrop_.get());
  listView_->SetDragDrop(dragDrop_.get());
}

void MainWindow::CreateControls() {
  uiFont_ = MessageFont();
  CreateImageLists();
  CreateToolbar();

  const DWORD child = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  tree_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                          child | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS |
                              TVS_EDITLABELS,
                          layout::kTree.left, layout::kTree.top, layout::kTree.width, layout::kTree.height, hwnd_,
                          nullptr, instance_, nullptr);
  TreeView_SetImageList(tree_, libraryImages_, TVSIL_NORMAL);

  splitter_ = CreateWindowExW(0, L"STATIC", L"", child | SS_NOTIFY, layout::kSplitter.left, layout::kSplitter.top,
                              layout::kSplitter.width, layout::kSplitter.height, hwnd_, nullptr, instance_, nullptr);
  SetWindowSubclass(splitter_, &MainWindow::ChildProc, 1, reinterpret_cast<DWORD_PTR>(this));

  list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                          child | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_EDITLABELS | LVS_SHAREIMAGELISTS | LVS_OWNERDATA,
                          layout::kList.left, layout::kList.top, layout::kList.width, layout::kList.height, hwnd_,
                          nullptr, instance_, nullptr);
  ListView_SetImageList(list_, libraryImages_, LVSIL_SMALL);
  ListView_SetImageList(list_, libraryImages_, LVSIL_NORMAL);
  const struct {
    const wchar_t* title;
    int width;
    int format;
  } columns[] = {{L"文件名称", 200, LVCFMT_LEFT}, {L"大小", 70, LVCFMT_RIGHT}, {L"修改时间", 110, LVCFMT_LEFT}};
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = const_cast<wchar_t*>(columns[i].title);
    column.cx = columns[i].width;
    column.fmt = columns[i].format;
    ListView_InsertColumn(list_, i, &column);
  }

  slider_ = CreateWindowExW(0, L"STATIC", L"", child | SS_BITMAP | SS_NOTIFY, 0, 0, 25, 12, hwnd_, nullptr, instance_,
                            nullptr);
  sliderTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance_, nullptr);
  static wchar_t sliderTipText[] = L"左键控制进度,右键控制音量";
  TOOLINFOW tip{};
  tip.cbSize = sizeof tip;
  tip.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tip.hwnd = hwnd_;
  tip.uId = reinterpret_cast<UINT_PTR>(slider_);
  tip.lpszText = sliderTipText;
  SendMessageW(sliderTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tip));

  labels_[0] = CreateLabel(0);  // designed with the window; the others come with the construction

  statusStrip_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 400, kStatusLineHeight, hwnd_,
                                 nullptr, instance_, nullptr);
  statusLabel_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 2, 1, 2000,
                                 kStatusLineHeight - 2, statusStrip_, nullptr, instance_, nullptr);
  SendMessageW(statusLabel_, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_), FALSE);

  searchMenu_ = CreatePopupMenu();
  AppendMenuW(searchMenu_, MF_STRING, 1, L"本地高速驱动器");
  AppendMenuW(searchMenu_, MF_SEPARATOR, 0, nullptr);
  SetWindowSubclass(slider_, &MainWindow::ChildProc, 2, reinterpret_cast<DWORD_PTR>(this));
}

void MainWindow::CreateImageLists() {
  toolbarImages_ = LoadImageStrip(instance_, kResourceToolbarImages, kToolbarImageCount);
  libraryImages_ = LoadImageStrip(instance_, kResourceLibraryImages, kLibraryImageCount);
}

void MainWindow::CreateToolbar() {
  toolbar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"",
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | TBSTYLE_LIST |
                                 CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN,
                             0, 0, 400, layout::kControlsTop, hwnd_, nullptr, instance_, nullptr);
  SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(toolbar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS | TBSTYLE_EX_MIXEDBUTTONS);
  SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolbarImages_));

  const ToolbarModel model;
  std::vector<TBBUTTON> buttons;
  static std::vector<std::wstring> tooltips;  // the toolbar keeps pointers to its texts
  tooltips.clear();
  tooltips.reserve(ToolbarModel::kButtonCount);
  for (int index = 1; index <= ToolbarModel::kButtonCount; ++index) {
    const ToolbarButton& b = model.Button(index);
    tooltips.push_back(Widen(b.tooltip));
    TBBUTTON button{};
    button.idCommand = index;
    button.fsState = TBSTATE_ENABLED;
    switch (b.style) {
      case ButtonStyle::kSeparator: button.fsStyle = BTNS_SEP; break;
      case ButtonStyle::kDropDown: button.fsStyle = BTNS_DROPDOWN; break;
      case ButtonStyle::kCheck: button.fsStyle = BTNS_CHECK; break;
      case ButtonStyle::kPlain: button.fsStyle = BTNS_BUTTON; break;
    }
    button.iBitmap = b.style == ButtonStyle::kSeparator ? 6 : b.image - 1;
    button.iString = b.style == ButtonStyle::kSeparator ? 0 : reinterpret_cast<INT_PTR>(tooltips.back().c_str());
    buttons.push_back(button);
  }
  SendMessageW(toolbar_, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  SendMessageW(toolbar_, TB_SETMAXTEXTROWS, 0, 0);  // texts serve as tooltips only
}

void MainWindow::Show() {
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
}

WindowState MainWindow::State() {
  if (IsIconic(hwnd_)) return WindowState::kMinimized;
  if (IsZoomed(hwnd_)) return WindowState::kMaximized;
  return WindowState::kNormal;
}

int MainWindow::ClientWidth() {
  RECT r{};
  GetClientRect(hwnd_, &r);
  return r.right;
}

int MainWindow::ClientHeight() {
  RECT r{};
  GetClientRect(hwnd_, &r);
  return r.bottom;
}

void MainWindow::SetOuterWidthTwips(int twips) {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  SetWindowPos(hwnd_, nullptr, 0, 0, twips / ScreenTwipsPerPixelX(), r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::SetOuterHeightTwips(int twips) {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, twips / ScreenTwipsPerPixelY(),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

ScreenRect MainWindow::WindowRect() {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return {r.left, r.top, r.right, r.bottom};
}

void MainWindow::SetCaption(const std::string& caption) { SetWindowTextW(hwnd_, Widen(caption).c_str()); }

void MainWindow::CompleteImageLists() {
  auto icon = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(kResourceAppIcon), IMAGE_ICON, 16, 16, 0));
  if (!icon) icon = static_cast<HICON>(LoadImageW(nullptr, MAKEINTRESOURCEW(32512), IMAGE_ICON, 16, 16, LR_SHARED));
  if (ImageList_AddIcon(libraryImages_, icon) < 0) throw Failure("无法添加图像");
  HICON folder = ImageList_GetIcon(libraryImages_, 5, ILD_NORMAL);
  const int added = ImageList_AddIcon(toolbarImages_, folder);
  DestroyIcon(folder);
  if (added < 0) throw Failure("无法添加图像");
}

void MainWindow::AddSearchMenuItem(const std::string& caption) {
  const int position = GetMenuItemCount(searchMenu_);
  AppendMenuW(searchMenu_, MF_STRING, static_cast<UINT_PTR>(position), Widen(caption).c_str());
}

void MainWindow::RequestListExtendedStyles() {
  PostMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, static_cast<WPARAM>(-1),
               LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_GRIDLINES);
}

void MainWindow::FitToolbarToButtons() {
  const int count = static_cast<int>(SendMessageW(toolbar_, TB_BUTTONCOUNT, 0, 0));
  RECT last{};
  if (count == 0 || !SendMessageW(toolbar_, TB_GETITEMRECT, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(&last))) {
    throw Failure("无法取得工具栏按钮的位置");
  }
  SetWindowPos(toolbar_, nullptr, 0, 0, last.right + 2, layout::kControlsTop, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::SetLibraryFontSize(int points) {
  HFONT font = MessageFont(points);
  if (!font) throw Failure("无法创建字体");
  SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  SendMessageW(tree_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (libraryFont_) DeleteObject(libraryFont_);
  libraryFont_ = font;
}

void MainWindow::PlaceControls(const ControlBox& tree, const ControlBox& splitter, const ControlBox& list) {
  HDWP batch = BeginDeferWindowPos(3);
  batch = DeferWindowPos(batch, tree_, nullptr, tree.left, tree.top, tree.width, tree.height, SWP_NOZORDER | SWP_NOACTIVATE);
  batch = DeferWindowPos(batch, splitter_, nullptr, splitter.left, splitter.top, splitter.width, splitter.height,
                         SWP_NOZORDER | SWP_NOACTIVATE);
  batch = DeferWindowPos(batch, list_, nullptr, list.left, list.top, list.width, list.height, SWP_NOZORDER | SWP_NOACTIVATE);
  EndDeferWindowPos(batch);
}

void MainWindow::RequestListColumnsFit() {
  for (int column = 0; column < 3; ++column) {
    PostMessageW(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
  }
}

void MainWindow::BeginWindowDrag() {
  ReleaseCapture();
  PostMessageW(hwnd_, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
}

int MainWindow::PopUpTreeMenu() {
  HMENU menu = CreatePopupMenu();
  UINT id = 1;
  for (const wchar_t* caption : {L"显示 EXE 文件", L"删除选择项", L"复制路径"}) AppendMenuW(menu, MF_STRING, id++, caption);
  POINT pointer{};
  GetCursorPos(&pointer);
  const int chosen = static_cast<int>(
      TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, pointer.x, pointer.y, 0, hwnd_, nullptr));
  DestroyMenu(menu);
  return chosen;
}

int MainWindow::PopUpFileListMenu(const std::vector<FileListMenuItem>& items) {
  HMENU menu = CreatePopupMenu();
  for (std::size_t position = 0; position < items.size(); ++position) {
    const FileListMenuItem& item = items[position];
    if (item.separator) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(menu, MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED), position + 1, Widen(item.caption).c_str());
    }
  }
  POINT pointer{};
  GetCursorPos(&pointer);
  const int chosen = static_cast<int>(
      TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, pointer.x, pointer.y, 0, hwnd_, nullptr));
  DestroyMenu(menu);
  return chosen - 1;
}

void MainWindow::SetToolbarButtonEnabled(int index, bool enabled) {
  SendMessageW(toolbar_, TB_ENABLEBUTTON, static_cast<WPARAM>(index), MAKELPARAM(enabled ? TRUE : FALSE, 0));
}

}  // namespace tavelin::win32
