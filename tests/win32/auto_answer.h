#pragma once
// Answers the modal boxes that tests open, so that no test waits for a person.

#include "win32/windows_api.h"

#include <functional>
#include <string>

namespace tavelin::win32 {

// Answers the modal box a test opens, from a thread timer that the box's own message
// loop runs. The action gets the box owned by the test's owner window once it shows
// and returns true when it has answered. Should the box never be found, any box of
// the thread is cancelled after a few seconds, so no test waits for a person.
class AutoAnswer {
 public:
  using Action = std::function<bool(HWND box)>;

  AutoAnswer(HWND owner, Action action) {
    current_ = this;
    owner_ = owner;
    action_ = std::move(action);
    timer_ = SetTimer(nullptr, 0, kTickMs, &AutoAnswer::OnTick);
  }
  AutoAnswer(const AutoAnswer&) = delete;
  AutoAnswer& operator=(const AutoAnswer&) = delete;
  ~AutoAnswer() {
    if (timer_ != 0) KillTimer(nullptr, timer_);
    current_ = nullptr;
  }

  bool Answered() const { return answered_; }

 private:
  static constexpr UINT kTickMs = 50;
  static constexpr int kGiveUpTicks = 200;  // ten seconds

  struct Search {
    HWND owner;
    HWND found;
  };

  static BOOL CALLBACK FindOwned(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    if (IsWindowVisible(window) && std::wstring(className) == L"#32770" &&
        (search->owner == nullptr || GetWindow(window, GW_OWNER) == search->owner)) {
      search->found = window;
      return FALSE;
    }
    return TRUE;
  }

  static HWND FindBox(HWND owner) {
    Search search{owner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &AutoAnswer::FindOwned, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
    AutoAnswer* self = current_;
    if (self == nullptr || self->answered_) return;
    ++self->ticks_;
    if (const HWND box = FindBox(self->owner_); box != nullptr && self->action_(box)) {
      self->answered_ = true;
      return;
    }
    if (self->ticks_ >= kGiveUpTicks) {
      if (const HWND stray = FindBox(nullptr); stray != nullptr) PostMessageW(stray, WM_COMMAND, IDCANCEL, 0);
    }
  }

  static inline AutoAnswer* current_ = nullptr;
  HWND owner_ = nullptr;
  Action action_;
  UINT_PTR timer_ = 0;
  int ticks_ = 0;
  bool answered_ = false;
};

}  // namespace tavelin::win32
