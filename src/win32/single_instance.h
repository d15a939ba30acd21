#pragma once
// One library per program folder on Windows: a named mutex marks the copy that keeps
// it, and a message-only window of that copy takes the command lines of later starts
// (WM_COPYDATA, UTF-16 text).

#include "win32/windows_api.h"

#include <functional>
#include <string>
#include <vector>

#include "integration/single_instance.h"

namespace tavelin::win32 {

inline constexpr wchar_t kHandOverWindowClass[] = L"TavelinHandOver";

class Win32InstancePort : public InstancePort {
 public:
  Win32InstancePort() = default;
  Win32InstancePort(const Win32InstancePort&) = delete;
  Win32InstancePort& operator=(const Win32InstancePort&) = delete;
  ~Win32InstancePort() override;

  bool Claim(const std::string& name) override;
  bool HandOver(const std::string& name, const std::string& commandLine, int timeoutMs) override;
  std::int64_t NowMs() override;
  void Sleep(int ms) override;

 private:
  HANDLE claim_ = nullptr;  // held until the process ends
};

// The first copy's ear: each command line handed over reaches `onCommandLine` later,
// from this thread's message loop (the sender never waits for a movie to load).
class HandOverReceiver {
 public:
  // `isOpen` says whether the program still takes command lines (its main window is
  // up); a closing program refuses them, and later starts wait for it to end.
  HandOverReceiver(HINSTANCE instance, const std::string& name, std::function<bool()> isOpen,
                   std::function<void(const std::string&)> onCommandLine);
  HandOverReceiver(const HandOverReceiver&) = delete;
  HandOverReceiver& operator=(const HandOverReceiver&) = delete;
  ~HandOverReceiver();

  HWND Handle() const { return hwnd_; }
  void Close();
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // A hand-over only copies the command line and posts it to itself, so a later start
  // is answered even while the program is busy.
  static constexpr bool kAnswersWhileBusy = true;

  HWND hwnd_ = nullptr;

 private:
  std::function<bool()> isOpen_;
  std::function<void(const std::string&)> onCommandLine_;
  std::vector<std::wstring> pending_;
};

}  // namespace tavelin::win32
