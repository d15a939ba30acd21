// The main window's messages: its window procedure, the splitter's drag, and the
// messages of its children (the thumb and the labels) turned into handler calls.
#include "win32/main_window.h"
#include "win32/sent_messages.h"

#include <commctrl.h>
#include <windowsx.h>

#include "shell/cwin.h"
#include "win32/file_list_view.h"
#include "win32/library_tree_view.h"

namespace tavelin::win32 {
namespace {

int ButtonOf(WPARAM keys) {
  return ((keys & MK_LBUTTON) ? 1 : 0) | ((keys & MK_RBUTTON) ? 2 : 0) | ((keys & MK_MBUTTON) ? 4 : 0);
}

int ShiftOf(WPARAM keys) {
  return ((keys & MK_SHIFT) ? 1 : 0) | ((keys & MK_CONTROL) ? 2 : 0) | (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

}  // namespace

void MainWindow::SplitterMouse(UINT message, WPARAM wParam, LPARAM lParam) {
  const double x = GET_X_LPARAM(lParam) * static_cast<double>(ScreenTwipsPerPixelX());
  const double y = GET_Y_LPARAM(lParam) * static_cast<double>(ScreenTwipsPerPixelY());
  switch (message) {
    case WM_LBUTTONDOWN:
      SetCapture(splitter_);
      splitterDragging_ = true;
      break;
    case WM_MOUSEMOVE:
      if (cwin_) cwin_->DevV_MouseMove(ButtonOf(wParam), ShiftOf(wParam), x, y);
      break;
    case WM_LBUTTONUP:
      if (splitterDragging_) ReleaseCapture();
      splitterDragging_ = false;
      if (cwin_) cwin_->DevV_MouseUp(1, ShiftOf(wParam), x, y);
      break;
    default:
      break;
  }
}

LRESULT CALLBACK MainWindow::ChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR self) {
  if (AnsweringSentMessages()) return DefSubclassProc(hwnd, message, wParam, lParam);
  return reinterpret_cast<MainWindow*>(self)->OnChildMessage(hwnd, message, wParam, lParam);
}

LRESULT MainWindow::OnChildMessage(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
  if (child == slider_ && cwin_) {
    const double x = GET_X_LPARAM(lParam) * static_cast<double>(ScreenTwipsPerPixelX());
    const double y = GET_Y_LPARAM(lParam) * static_cast<double>(ScreenTwipsPerPixelY());
    switch (message) {
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
        SetCapture(slider_);
        cwin_->Playback().Slider_MouseDown(message == WM_LBUTTONDOWN ? 1 : 2, ShiftOf(wParam), x, y);
        return 0;
      case WM_MOUSEMOVE:
        if (GetCapture() == slider_) cwin_->Playback().Slider_MouseMove(ButtonOf(wParam), ShiftOf(wParam), x, y);
        break;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
        if (GetCapture() == slider_) ReleaseCapture();
        cwin_->Playback().Slider_MouseUp(message == WM_LBUTTONUP ? 1 : 2, ShiftOf(wParam), x, y);
        return 0;
      default:
        break;
    }
  }
  if (child == splitter_) {
    if (message == WM_SETCURSOR) {
      SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32644)));  // IDC_SIZEWE
      return TRUE;
    }
    if (message == WM_LBUTTONDOWN || message == WM_MOUSEMOVE || message == WM_LBUTTONUP) {
      SplitterMouse(message, wParam, lParam);
      return 0;
    }
  } else if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN) {
    for (int index = 0; index < Playback::kLabelCount; ++index) {
      if (labels_[static_cast<std::size_t>(index)] == child && cwin_) {
        const int button = message == WM_LBUTTONDOWN ? 1 : message == WM_RBUTTONDOWN ? 2 : 4;
        cwin_->L_MouseDown(index, button);
        return 0;
      }
    }
  }
  return DefSubclassProc(child, message, wParam, lParam);
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (cwin_) cwin_->Form_Resize();
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd_, &paint);
      PaintStatusStrip(dc);
      EndPaint(hwnd_, &paint);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
      // The progress label of batch work: white text on dark blue.
      if (reinterpret_cast<HWND>(lParam) == labels_[6]) {
        const auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, kProgressText);
        SetBkColor(dc, kProgressBackground);
        if (!progressBrush_) progressBrush_ = CreateSolidBrush(kProgressBackground);
        return reinterpret_cast<LRESULT>(progressBrush_);
      }
      return DefWindowProcW(hwnd_, message, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (cwin_) cwin_->Form_MouseDown(message == WM_LBUTTONDOWN ? 1 : message == WM_RBUTTONDOWN ? 2 : 4);
      return 0;
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lParam) == toolbar_ && cwin_) {
        cwin_->TC_ButtonClick(LOWORD(wParam));
        return 0;
      }
      return DefWindowProcW(hwnd_, message, wParam, lParam);
    case WM_KEYDOWN:
      if (wParam == VK_F1 && cwin_) cwin_->OpenHelp();  // F1 opens the help whatever else is on
      return 0;
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
      LRESULT result = 0;
      if (header.hwndFrom == toolbar_ && header.code == TBN_DROPDOWN && cwin_) {
        cwin_->TC_ButtonDropDown(reinterpret_cast<const NMTOOLBARW&>(header).iItem);
        return TBDDRET_DEFAULT;
      }
      if (treeView_ && treeView_->OnNotify(header, result)) return result;
      if (listView_ && listView_->OnNotify(header, result)) return result;
      return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
    case WM_TIMER:
      if (wParam == kStatusTimer && cwin_) cwin_->Playback().Timer1_Timer();
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd_, kStatusTimer);
      dragDrop_.reset();  // the tree stops being a drop target while OLE is still there
      if (cwin_) cwin_->Unload();
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      if (quitOnDestroy_) PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

}  // namespace tavelin::win32
