#include "win32/ports/dialogs.h"

#include <cderr.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/failure.h"
#include "win32/ports/input_box.h"
#include "win32/ports/system_error.h"
#include "win32/text.h"

namespace tavelin::win32 {
namespace {

// The common dialogs read and write file names in a buffer of this many characters.
constexpr std::size_t kFileNameCapacity = 32768;

// Hooks and templates need a procedure or resource the caller cannot give through
// the port, so those bits are never passed on.
constexpr DWORD kUnsupportedFileFlags = OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE;

[[noreturn]] void ThrowCommonDialogError(DWORD code) {
  char text[80];
  std::snprintf(text, sizeof text, "通用对话框出错 (代码 0x%04lX)", static_cast<unsigned long>(code));
  throw Failure(text);
}

}  // namespace

std::wstring CommonDialogFilter(const std::string& pipeSeparated) {
  std::vector<std::wstring> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t bar = pipeSeparated.find('|', start);
    pieces.push_back(Widen(std::string_view(pipeSeparated).substr(start, bar - start)));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  if (pieces.size() % 2 != 0) pieces.pop_back();

  std::wstring filter;
  for (const std::wstring& piece : pieces) {
    filter += piece;
    filter.push_back(L'\0');
  }
  if (!filter.empty()) filter.push_back(L'\0');
  return filter;
}

COLORREF ColorRefFromRgb(std::uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

std::uint32_t RgbFromColorRef(COLORREF color) {
  return (static_cast<std::uint32_t>(GetRValue(color)) << 16) | (static_cast<std::uint32_t>(GetGValue(color)) << 8) |
         GetBValue(color);
}

int Win32Dialogs::Message(const std::string& text, int style, const std::string& caption) {
  const std::wstring wideCaption = Widen(caption);
  const int answer = MessageBoxW(owner_, Widen(text).c_str(), caption.empty() ? nullptr : wideCaption.c_str(),
                                 static_cast<UINT>(style));
  if (answer == 0) ThrowLastError();
  return answer;
}

std::optional<std::string> Win32Dialogs::PickFile(const FilePickRequest& request) {
  const std::wstring filter = CommonDialogFilter(request.filter);
  const std::wstring title = Widen(request.title);
  std::wstring extension = Widen(request.defaultExtension);
  if (!extension.empty() && extension.front() == L'.') extension.erase(0, 1);
  const std::wstring initial = Widen(request.initialName);

  std::vector<wchar_t> buffer(kFileNameCapacity, L'\0');
  std::copy_n(initial.begin(), std::min(initial.size(), kFileNameCapacity - 1), buffer.begin());

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(buffer.size());
  dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  dialog.Flags = (request.flags & ~kUnsupportedFileFlags) | OFN_EXPLORER;

  for (int attempt = 0; attempt < 2; ++attempt) {
    const BOOL chosen = request.save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (chosen) return Narrow(buffer.data());
    const DWORD error = CommDlgExtendedError();
    if (error == 0) return std::nullopt;  // the user cancelled
    // An initial name the dialog cannot take: ask again without it.
    if (error == FNERR_INVALIDFILENAME && attempt == 0 && buffer[0] != L'\0') {
      std::fill(buffer.begin(), buffer.end(), L'\0');
      continue;
    }
    ThrowCommonDialogError(error);
  }
  return std::nullopt;
}

std::optional<std::string> Win32Dialogs::InputText(const std::string& prompt, const std::string& title,
                                                   const std::string& initial) {
  std::optional<std::wstring> answer = RunInputBox(owner_, Widen(prompt), Widen(title), Widen(initial));
  if (!answer) return std::nullopt;
  return Narrow(*answer);
}

std::optional<std::uint32_t> Win32Dialogs::PickColor(std::uint32_t initial) {
  CHOOSECOLORW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.rgbResult = ColorRefFromRgb(initial);
  dialog.lpCustColors = customColors_.data();
  dialog.Flags = CC_FULLOPEN | CC_ANYCOLOR | CC_RGBINIT;
  if (ChooseColorW(&dialog)) return RgbFromColorRef(dialog.rgbResult);
  const DWORD error = CommDlgExtendedError();
  if (error == 0) return std::nullopt;
  ThrowCommonDialogError(error);
}

}  // namespace tavelin::win32
