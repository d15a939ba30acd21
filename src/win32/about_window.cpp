#include "win32/about_window.h"

#include "shell/app_info.h"
#include "win32/main_window.h"
#include "win32/text.h"
#include "win32/window_class.h"

namespace tavelin::win32 {
namespace {

constexpr wchar_t kAboutWindowClass[] = L"TavelinAbout";
constexpr int kClientWidthTwips = 4650, kClientHeightTwips = 2265;
constexpr wchar_t kDescription[] =
    L"小巧精悍的Flash播放器，流畅播放Flash动画和网上流行的Flash视频，具有Flash视频缩放、Flash音量调整、"
    L"视频质量调整、逐帧播放、播放进度拖动等功能。是观看Flash动画和Flash视频的最佳工具。\r\n";
constexpr wchar_t kContact[] = L"Tavelin Player 开发组";

}  // namespace

AboutWindow::~AboutWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

HWND AboutWindow::Child(const wchar_t* className, const wchar_t* text, DWORD style, int id, int left, int top,
                        int width, int height, HFONT font) {
  const int tx = ScreenTwipsPerPixelX(), ty = ScreenTwipsPerPixelY();
  HWND child = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, left / tx, top / ty, width / tx,
                               height / ty, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_,
                               nullptr);
  if (child && font) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

void AboutWindow::Show(HFONT font) {
  if (hwnd_) {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
    return;
  }
  if (!EnsureWindowClass(instance_, kAboutWindowClass, &RouteToOwner<AboutWindow>,
                         LoadIconW(instance_, MAKEINTRESOURCEW(kResourceAppIcon)),
                         reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)))) {
    return;
  }
  constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT frame{0, 0, kClientWidthTwips / ScreenTwipsPerPixelX(), kClientHeightTwips / ScreenTwipsPerPixelY()};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  const std::wstring title = Widen(std::string(kAppTitle));
  CreateWindowExW(kExStyle, kAboutWindowClass, title.c_str(), kStyle, left, top, width, height, nullptr, nullptr,
                  instance_, this);
  if (!hwnd_) return;
  Child(L"STATIC", title.c_str(), 0, 0, 360, 240, 4332, 372, font);               // Label1
  Child(L"STATIC", kDescription, 0, 0, 240, 600, 4092, 972, font);               // f
  Child(L"STATIC", kContact, 0, 0, 360, 1680, 3492, 252, font);                  // Label2
  HWND ok = Child(L"BUTTON", L"确定(&Q)", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, 2760, 1680, 1815, 495, font);  // Command1
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  SetFocus(ok);
}

bool AboutWindow::HandleDialogKeys(MSG& message) { return hwnd_ && IsDialogMessageW(hwnd_, &message); }

LRESULT AboutWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) DestroyWindow(hwnd_);
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

}  // namespace tavelin::win32
