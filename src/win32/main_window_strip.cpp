// The main window's bottom strip: the labels L(0)..L(6), the groove and boxes drawn
// into the window's picture, the thumb, and the full-screen status line.
#include "win32/main_window.h"

#include "platform/failure.h"
#include "playback/playback.h"
#include "playback/status_strip.h"
#include "win32/text.h"

namespace tavelin::win32 {

HWND MainWindow::CreateLabel(int index) {
  HWND label = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOTIFY, 0, 0, 40, 14, hwnd_,
                               nullptr, instance_, nullptr);
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_), FALSE);
  SetWindowSubclass(label, &MainWindow::ChildProc, 100 + static_cast<UINT_PTR>(index), reinterpret_cast<DWORD_PTR>(this));
  return label;
}

void MainWindow::CreateLabels() {
  labels_[6] = CreateLabel(6);
  for (int index = 1; index <= 5; ++index) labels_[static_cast<std::size_t>(index)] = CreateLabel(index);
  ShowWindow(labels_[6], SW_HIDE);  // the progress label of batch work, shown only then
}

void MainWindow::DrawSliderThumb() {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  thumb_ = CreateCompatibleBitmap(screen, 25, 12);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, thumb_);
  RECT r{0, 0, 25, 12};
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
  SelectObject(dc, old);
  DeleteDC(dc);
  SendMessageW(slider_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(thumb_));
}

void MainWindow::MoveStatusStripIntoOutputWindow() {
  if (!statusHome_) throw Failure("输出窗口不存在");
  SetParent(statusStrip_, statusHome_);
  SetWindowPos(statusStrip_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void MainWindow::SetLabelText(int index, const std::string& text) {
  HWND label = labels_[static_cast<std::size_t>(index)];
  if (!label) throw Failure("控件数组元素不存在");
  SetWindowTextW(label, Widen(text).c_str());
}

void MainWindow::EnableStatusTimer() {
  if (!SetTimer(hwnd_, kStatusTimer, 200, nullptr)) throw Failure("无法启动计时器");
}

void MainWindow::DrawStatusStrip(const StripLayout& layout) {
  RECT client{};
  GetClientRect(hwnd_, &client);
  stripTop_ = client.bottom - strip::kHeight;
  thumbTop_ = layout.thumbTop;
  if (stripImage_) DeleteObject(stripImage_);
  HDC screen = GetDC(hwnd_);
  stripImage_ = CreateCompatibleBitmap(screen, std::max<LONG>(client.right, 1), strip::kHeight);
  HDC dc = CreateCompatibleDC(screen);
  ReleaseDC(hwnd_, screen);
  HGDIOBJ old = SelectObject(dc, stripImage_);
  RECT all{0, 0, client.right, strip::kHeight};
  FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
  auto edge = [&](const StripBox& box) {
    RECT r{box.left, box.top - stripTop_, box.right, box.bottom - stripTop_};
    DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
  };
  edge(layout.groove);
  for (int i = 0; i <= 4; ++i) edge(layout.boxes[static_cast<std::size_t>(i)]);
  edge(layout.boxes[5]);
  if (layout.sizeGrip) {
    RECT grip{layout.grip.left, layout.grip.top - stripTop_, layout.grip.right, layout.grip.bottom - stripTop_};
    DrawFrameControl(dc, &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    edge(layout.boxes[5]);
  }
  SelectObject(dc, old);
  DeleteDC(dc);

  for (int i = 0; i < Playback::kLabelCount; ++i) {
    HWND label = labels_[static_cast<std::size_t>(i)];
    if (!label) continue;
    const StripPoint at = layout.labels[static_cast<std::size_t>(i)];
    const int width = i == 6 ? progressWidth_ : i == 5 ? std::max(32, static_cast<int>(client.right) - at.x - 18) : 32;
    SetWindowPos(label, HWND_TOP, at.x, at.y, width, strip::kThumbHeight, SWP_NOACTIVATE);
  }
  SetWindowPos(slider_, HWND_TOP, thumbLeft_, thumbTop_, strip::kThumbWidth, strip::kThumbHeight, SWP_NOACTIVATE);
  RECT area{0, stripTop_, client.right, client.bottom};
  InvalidateRect(hwnd_, &area, FALSE);
}

void MainWindow::PaintStatusStrip(HDC dc) {
  if (!stripImage_) return;
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, stripImage_);
  BITMAP size{};
  GetObjectW(stripImage_, sizeof size, &size);
  BitBlt(dc, 0, stripTop_, size.bmWidth, size.bmHeight, source, 0, 0, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
}

void MainWindow::SetThumbLeft(int x) {
  thumbLeft_ = x;
  SetWindowPos(slider_, nullptr, x, thumbTop_, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int MainWindow::TextWidth(const std::string& text) {
  const std::wstring wide = Widen(text);
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, uiFont_);
  SIZE size{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  return size.cx;
}

void MainWindow::SetStatusLine(const std::string& text, int width) {
  SetWindowTextW(statusLabel_, Widen(text).c_str());
  SetWindowPos(statusLabel_, nullptr, 0, 0, width, kStatusLineHeight - 2, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(statusStrip_, nullptr, 0, 0, width - 2, kStatusLineHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::ShowStatusLine(bool shown) {
  if (HWND home = GetParent(statusStrip_)) {
    RECT client{};
    GetClientRect(home, &client);
    SetWindowPos(statusStrip_, HWND_TOP, 0, client.bottom - kStatusLineHeight, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  }
  ShowWindow(statusStrip_, shown ? SW_SHOWNA : SW_HIDE);
}

void MainWindow::ShowProgressLabel(bool shown) {
  ShowWindow(slider_, shown ? SW_HIDE : SW_SHOWNA);
  ShowWindow(labels_[6], shown ? SW_SHOWNA : SW_HIDE);
}

void MainWindow::SetProgressLabelWidth(int width) {
  progressWidth_ = width;
  SetWindowPos(labels_[6], HWND_TOP, 0, 0, width, strip::kThumbHeight, SWP_NOMOVE | SWP_NOACTIVATE);
  UpdateWindow(labels_[6]);
}

}  // namespace tavelin::win32
