#pragma once
// Clipboard, processes, help, wave-out volume, the per-user setting, screen metrics,
// the message queue and the clock through Win32.

#include "win32/windows_api.h"

#include "platform/desktop.h"

namespace tavelin::win32 {

// Where per-user program settings are kept under HKEY_CURRENT_USER, one key per
// application and one below it per section; existing installs keep theirs there.
inline constexpr wchar_t kUserSettingsRoot[] = L"Software\\VB and VBA Program Settings";

class Win32Desktop : public Desktop {
 public:
  Win32Desktop() = default;
  Win32Desktop(const Win32Desktop&) = delete;
  Win32Desktop& operator=(const Win32Desktop&) = delete;
  ~Win32Desktop() override;

  void SetClipboardText(const std::string& text) override;
  void StartProcess(const std::string& commandLine, ShowState show) override;
  void ShellStart(const std::string& program, const std::string& parameters, ShowState show,
                  bool announceAssociations) override;
  std::string LoadText(int id) override;
  std::string TemporaryFolder() override;
  void OpenHelp(const std::string& helpPath) override;
  std::uint32_t GetWaveVolume(int device) override;
  void SetWaveVolume(int device, std::uint32_t volume) override;
  std::string ReadUserSetting(const std::string& application, const std::string& section,
                              const std::string& key) override;
  double TwipsPerPixelX() override;
  double TwipsPerPixelY() override;
  int ScreenWidthPixels() override;
  int ScreenHeightPixels() override;
  void YieldToMessages() override;
  void PostKeyDown(WindowId window, int virtualKey, std::intptr_t keyData) override;
  LocalTime Now() override;
  LocalTime ToLocalTime(std::int64_t fileTimeTicks) override;
  std::string DateSeparator() override;
  std::string TimeSeparator() override;
  std::string FormatShortDate(const LocalTime& time) override;
  std::string FormatShortTime(const LocalTime& time) override;
  int CompareTexts(const std::string& a, const std::string& b) override;

 private:
  // A hidden message-only window that owns what this desktop puts on the clipboard.
  HWND ClipboardWindow();

  HWND clipboardWindow_ = nullptr;
};

}  // namespace tavelin::win32
