#pragma once
// The main window: the frame, the toolbar, the library tree and file list with the
// splitter between them, the slider and labels of the bottom strip, and the status
// strip that moves into the output window. It shows the main window's models and
// hands the user's gestures to the main window's logic.

#include "win32/windows_api.h"

#include <commctrl.h>

#include <array>
#include <memory>
#include <vector>

#include "library/library_tree.h"
#include "shell/window_hosts.h"
#include "win32/about_window.h"
#include "win32/library_drag_drop.h"

namespace tavelin {
class CWin;
}

namespace tavelin::win32 {

inline constexpr wchar_t kMainWindowClass[] = L"TavelinMainWindow";
inline constexpr int kResourceAppIcon = 1;
inline constexpr int kResourceToolbarImages = 101;
inline constexpr int kResourceLibraryImages = 102;

// The screen's twips per pixel, horizontally and vertically (15 at 96 dpi).
int ScreenTwipsPerPixelX();
int ScreenTwipsPerPixelY();

class LibraryTreeView;
class FileListView;

class MainWindow : public MainWindowHost {
 public:
  // quitOnDestroy ends the thread's message loop when the window is destroyed, as
  // the program's main window does; tests create windows without it.
  MainWindow(HINSTANCE instance, bool quitOnDestroy);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;
  ~MainWindow() override;

  // Creates the window and its controls, hidden; returns false when the system refuses.
  bool Create();
  // From now on the window's events go to `cwin`; `statusFlag` says whether the
  // status strip shows in full screen.
  void Attach(CWin* cwin);

  HWND Handle() const { return hwnd_; }
  HWND ToolbarHandle() const { return toolbar_; }
  HWND TreeHandle() const { return tree_; }
  HWND ListHandle() const { return list_; }
  HWND SplitterHandle() const { return splitter_; }
  HWND LabelHandle(int index) const { return labels_[static_cast<std::size_t>(index)]; }
  HWND StatusStripHandle() const { return statusStrip_; }
  HIMAGELIST ToolbarImages() const { return toolbarImages_; }
  HIMAGELIST LibraryImages() const { return libraryImages_; }
  // Where the status strip goes when the construction moves it (the output window).
  void SetStatusStripHome(HWND outputWindow) { statusHome_ = outputWindow; }

  // MainWindowHost.
  void Show() override;
  WindowId ListWindow() override { return reinterpret_cast<WindowId>(list_); }
  WindowId TreeWindow() override { return reinterpret_cast<WindowId>(tree_); }
  WindowState State() override;
  int ClientWidth() override;
  int ClientHeight() override;
  void SetOuterWidthTwips(int twips) override;
  void SetOuterHeightTwips(int twips) override;
  ScreenRect WindowRect() override;
  void SetCaption(const std::string& caption) override;
  void CreateLabels() override;
  void CompleteImageLists() override;
  void AddSearchMenuItem(const std::string& caption) override;
  void DrawSliderThumb() override;
  void RequestListExtendedStyles() override;
  void FitToolbarToButtons() override;
  void MoveStatusStripIntoOutputWindow() override;
  void SetLibraryFontSize(int points) override;
  void PlaceControls(const ControlBox& tree, const ControlBox& splitter, const ControlBox& list) override;
  void RequestListColumnsFit() override;
  void BeginWindowDrag() override;
  void SetLabelText(int index, const std::string& text) override;
  void EnableStatusTimer() override;
  void DrawStatusStrip(const StripLayout& layout) override;
  void SetThumbLeft(int x) override;
  int TextWidth(const std::string& text) override;
  void SetStatusLine(const std::string& text, int width) override;
  void ShowStatusLine(bool shown) override;
  int PopUpTreeMenu() override;
  HWND SliderHandle() const { return slider_; }
  int PopUpFileListMenu(const std::vector<FileListMenuItem>& items) override;
  void SetToolbarButtonEnabled(int index, bool enabled) override;
  void SetToolbarButtonPressed(int index, bool pressed) override;
  void SetTopmost(bool topmost) override;
  WindowId Id() override { return reinterpret_cast<WindowId>(hwnd_); }
  int PopUpMenuBelowButton(int button, const std::vector<MenuEntry>& entries) override;
  int PopUpMenuAtPointer(const std::vector<MenuEntry>& entries) override;
  void ShowAboutWindow() override;
  void Close() override;
  void ShowProgressLabel(bool shown) override;
  void SetProgressLabelWidth(int width) override;
  void EnableTree(bool enabled) override { EnableWindow(tree_, enabled ? TRUE : FALSE); }
  // The About window while it is open, for the program to wait for it at the end.
  AboutWindow& About() { return about_; }
  // The library's drag and drop, for tests that drive a drag through it.
  LibraryDragDrop* DragDrop() { return dragDrop_.get(); }

 private:
  template <class Owner>
  friend LRESULT CALLBACK RouteToOwner(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK ChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR self);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnChildMessage(HWND child, UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  void CreateToolbar();
  void CreateImageLists();
  void PaintStatusStrip(HDC dc);
  HWND CreateLabel(int index);
  void SplitterMouse(UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE instance_;
  bool quitOnDestroy_;
  CWin* cwin_ = nullptr;
  HWND hwnd_ = nullptr;
  HWND toolbar_ = nullptr, tree_ = nullptr, splitter_ = nullptr, list_ = nullptr;
  HWND slider_ = nullptr, sliderTip_ = nullptr, statusStrip_ = nullptr, statusLabel_ = nullptr;
  HWND statusHome_ = nullptr;
  static constexpr UINT_PTR kStatusTimer = 1;
  static constexpr int kStatusLineHeight = 16;
  std::array<HWND, 7> labels_{};
  AboutWindow about_;
  static constexpr COLORREF kProgressBackground = RGB(0, 0, 170), kProgressText = RGB(255, 255, 255);
  HBRUSH progressBrush_ = nullptr;
  int progressWidth_ = 224;
  HIMAGELIST toolbarImages_ = nullptr, libraryImages_ = nullptr;
  HBITMAP thumb_ = nullptr;
  HBITMAP stripImage_ = nullptr;  // the strip as drawn, painted from here without flicker
  int stripTop_ = 0, thumbTop_ = 0, thumbLeft_ = 1;
  HFONT uiFont_ = nullptr, libraryFont_ = nullptr;
  HMENU searchMenu_ = nullptr;
  std::unique_ptr<LibraryTreeView> treeView_;
  std::unique_ptr<FileListView> listView_;
  std::unique_ptr<LibraryDragDrop> dragDrop_;
  bool splitterDragging_ = false;
};

}  // namespace tavelin::win32
