#pragma once
// Message boxes, the common file and colour dialogs, and the input box.

#include "win32/windows_api.h"

#include <array>

#include "platform/dialogs.h"

namespace tavelin::win32 {

// "描述|*.swf|描述2|*.exe" as the common dialog reads it: each piece ended by a NUL and
// the list by another. An unpaired trailing description is dropped; an empty filter
// gives an empty string.
std::wstring CommonDialogFilter(const std::string& pipeSeparated);

// 0xRRGGBB to and from a COLORREF, which keeps its bytes as 0x00BBGGRR.
COLORREF ColorRefFromRgb(std::uint32_t rgb);
std::uint32_t RgbFromColorRef(COLORREF color);

class Win32Dialogs : public Dialogs {
 public:
  explicit Win32Dialogs(HWND owner = nullptr) : owner_(owner) { customColors_.fill(RGB(255, 255, 255)); }

  // The window that owns the boxes (and is disabled while one is open).
  void SetOwner(HWND owner) { owner_ = owner; }
  HWND Owner() const { return owner_; }

  int Message(const std::string& text, int style, const std::string& caption) override;
  std::optional<std::string> PickFile(const FilePickRequest& request) override;
  std::optional<std::string> InputText(const std::string& prompt, const std::string& title,
                                       const std::string& initial) override;
  std::optional<std::uint32_t> PickColor(std::uint32_t initial) override;

 private:
  HWND owner_;
  // The colour dialog's custom colours, kept from one call to the next.
  std::array<COLORREF, 16> customColors_;
};

}  // namespace tavelin::win32
