#include "win32/ports/input_box.h"

#include <algorithm>
#include <vector>

#include "win32/ports/system_error.h"

namespace tavelin::win32 {
namespace {

constexpr wchar_t kOkText[] = L"确定";
constexpr wchar_t kCancelText[] = L"取消";

// Sizes in pixels at 96 dpi, scaled to the screen's dots per inch.
constexpr int kMargin = 11;
constexpr int kGap = 7;
constexpr int kPromptWidth = 330;
constexpr int kEditHeight = 23;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;

// Builds a DLGTEMPLATE and its items in memory. Every item starts on a DWORD boundary;
// the vector's storage is aligned for that.
class TemplateBuilder {
 public:
  TemplateBuilder(DWORD style, const std::wstring& title, WORD pointSize, const std::wstring& face,
                  WORD itemCount) {
    PushDword(style);
    PushDword(0);  // extended style
    words_.push_back(itemCount);
    PushShorts({0, 0, 200, 80});  // laid out again once the font is known
    words_.push_back(0);          // no menu
    words_.push_back(0);          // the standard dialog class
    PushText(title);
    words_.push_back(pointSize);
    PushText(face);
  }

  // classAtom: 0x0080 button, 0x0081 edit, 0x0082 static.
  void AddItem(DWORD style, WORD id, WORD classAtom, const std::wstring& text) {
    if (words_.size() % 2 != 0) words_.push_back(0);
    PushDword(style | WS_CHILD | WS_VISIBLE);
    PushDword(0);
    PushShorts({0, 0, 10, 10});
    words_.push_back(id);
    words_.push_back(0xFFFF);
    words_.push_back(classAtom);
    PushText(text);
    words_.push_back(0);  // no creation data
  }

  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void PushDword(DWORD value) {
    words_.push_back(LOWORD(value));
    words_.push_back(HIWORD(value));
  }
  void PushShorts(std::initializer_list<short> values) {
    for (short value : values) words_.push_back(static_cast<WORD>(value));
  }
  void PushText(const std::wstring& text) {
    words_.insert(words_.end(), text.begin(), text.end());
    words_.push_back(0);
  }

  std::vector<WORD> words_;
};

struct InputBoxState {
  const std::wstring* prompt;
  const std::wstring* initial;
  std::wstring answer;
};

int Scaled(int pixels, int dpi) { return MulDiv(pixels, dpi, 96); }

// Places the controls: the prompt on top, measured so every line shows, the edit
// below it and the buttons at the bottom right; then sizes and centres the box.
void LayOut(HWND dialog, const std::wstring& prompt) {
  HDC screen = GetDC(dialog);
  const int dpi = std::max(GetDeviceCaps(screen, LOGPIXELSY), 1);
  const HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  const HGDIOBJ oldFont = font != nullptr ? SelectObject(screen, font) : nullptr;
  RECT promptRect{0, 0, Scaled(kPromptWidth, dpi), 0};
  DrawTextW(screen, prompt.empty() ? L" " : prompt.c_str(), -1, &promptRect,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS | DT_EDITCONTROL);
  if (oldFont != nullptr) SelectObject(screen, oldFont);
  ReleaseDC(dialog, screen);

  const int margin = Scaled(kMargin, dpi);
  const int gap = Scaled(kGap, dpi);
  const int width = Scaled(kPromptWidth, dpi);
  const int promptHeight = promptRect.bottom - promptRect.top;
  const int editTop = margin + promptHeight + gap;
  const int buttonsTop = editTop + Scaled(kEditHeight, dpi) + gap;
  const int buttonWidth = Scaled(kButtonWidth, dpi);
  const int buttonHeight = Scaled(kButtonHeight, dpi);

  MoveWindow(GetDlgItem(dialog, kInputBoxPromptId), margin, margin, width, promptHeight, FALSE);
  MoveWindow(GetDlgItem(dialog, kInputBoxEditId), margin, editTop, width, Scaled(kEditHeight, dpi), FALSE);
  MoveWindow(GetDlgItem(dialog, IDCANCEL), margin + width - buttonWidth, buttonsTop, buttonWidth, buttonHeight, FALSE);
  MoveWindow(GetDlgItem(dialog, IDOK), margin + width - 2 * buttonWidth - gap, buttonsTop, buttonWidth, buttonHeight,
             FALSE);

  RECT frame{0, 0, width + 2 * margin, buttonsTop + buttonHeight + margin};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
  const int frameWidth = frame.right - frame.left;
  const int frameHeight = frame.bottom - frame.top;

  RECT area{};
  const HWND owner = GetWindow(dialog, GW_OWNER);
  if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) {
    GetWindowRect(owner, &area);
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  const int left = area.left + (area.right - area.left - frameWidth) / 2;
  const int top = area.top + (area.bottom - area.top - frameHeight) / 2;
  SetWindowPos(dialog, nullptr, std::max<int>(left, 0), std::max<int>(top, 0), frameWidth, frameHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK InputBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* state = reinterpret_cast<InputBoxState*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      SetDlgItemTextW(dialog, kInputBoxPromptId, state->prompt->c_str());
      const HWND edit = GetDlgItem(dialog, kInputBoxEditId);
      SetWindowTextW(edit, state->initial->c_str());
      LayOut(dialog, *state->prompt);
      SetFocus(edit);
      SendMessageW(edit, EM_SETSEL, 0, -1);
      return FALSE;  // focus set here
    }
    case WM_COMMAND: {
      const int command = LOWORD(wParam);
      if (command == IDOK) {
        auto* state = reinterpret_cast<InputBoxState*>(GetWindowLongPtrW(dialog, DWLP_USER));
        const HWND edit = GetDlgItem(dialog, kInputBoxEditId);
        try {
          std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
          text.resize(static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
          state->answer = std::move(text);
        } catch (...) {  // nothing may leave a dialog procedure
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        }
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (command == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

// The message-box font: its face and its size in points.
void MessageFont(std::wstring& face, WORD& points) {
  face = L"MS Shell Dlg";
  points = 9;
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return;
  if (metrics.lfMessageFont.lfFaceName[0] != L'\0') face = metrics.lfMessageFont.lfFaceName;
  HDC screen = GetDC(nullptr);
  const int dpi = std::max(GetDeviceCaps(screen, LOGPIXELSY), 1);
  ReleaseDC(nullptr, screen);
  const LONG height = metrics.lfMessageFont.lfHeight;
  if (height != 0) points = static_cast<WORD>(std::max(1, MulDiv(height < 0 ? -height : height, 72, dpi)));
}

}  // namespace

std::optional<std::wstring> RunInputBox(HWND owner, const std::wstring& prompt, const std::wstring& title,
                                        const std::wstring& initial) {
  std::wstring face;
  WORD points = 9;
  MessageFont(face, points);

  TemplateBuilder box(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, title, points, face, 4);
  box.AddItem(SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, kInputBoxPromptId, 0x0082, L"");
  box.AddItem(ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, kInputBoxEditId, 0x0081, L"");
  box.AddItem(BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, 0x0080, kOkText);
  box.AddItem(BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, 0x0080, kCancelText);

  InputBoxState state{&prompt, &initial, {}};
  const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), box.get(), owner, InputBoxProc,
                                                 reinterpret_cast<LPARAM>(&state));
  if (result <= 0) {  // -1: the box could not be made; 0: the owner is not a window
    const DWORD error = GetLastError();
    ThrowSystemError(error != 0 ? error : ERROR_INVALID_WINDOW_HANDLE);
  }
  if (result != IDOK) return std::nullopt;
  return std::move(state.answer);
}

}  // namespace tavelin::win32
