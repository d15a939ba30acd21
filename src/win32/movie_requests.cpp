#include "win32/movie_requests.h"

#include "win32/windows_api.h"

#include <deque>
#include <exception>
#include <functional>
#include <utility>

namespace tavelin::win32 {
namespace {

// Requests waiting for the message loop, run by a zero-delay thread timer.
std::deque<std::function<void()>> pending;
UINT_PTR pendingTimer = 0;

void CALLBACK RunPending(HWND, UINT, UINT_PTR, DWORD) {
  KillTimer(nullptr, pendingTimer);
  pendingTimer = 0;
  std::deque<std::function<void()>> due;
  due.swap(pending);
  for (auto& request : due) {
    try {
      request();
    } catch (const std::exception&) {
      // A request that fails has no effect, as a failed key does.
    }
  }
}

void RunSoon(std::function<void()> request) {
  pending.push_back(std::move(request));
  if (!pendingTimer) pendingTimer = SetTimer(nullptr, 0, 0, &RunPending);
}

}  // namespace

MovieRequests::~MovieRequests() {
  if (pendingTimer) KillTimer(nullptr, pendingTimer);
  pendingTimer = 0;
  pending.clear();
}

void MovieRequests::Quit() {
  RunSoon([this] {
    if (MovieControl* player = cwin_.Playback().Player) {
      player->SetMovie("");
      player->SetBackgroundColor(-1);
    }
  });
}

void MovieRequests::FullScreen(bool on) {
  RunSoon([this, on] { cwin_.PutOut().SetState(on ? WindowState::kMaximized : WindowState::kNormal); });
}

void MovieRequests::OpenWebAddress(const std::string& url) {
  RunSoon([this, url] { cwin_.System().desktop.ShellStart(url, "", ShowState::kNormal, false); });
}

void MovieRequests::ScriptStopped(const std::string& movieName) {
  RunSoon([this, movieName] {
    // The movie plays on behind the message; a script stopped meanwhile is not
    // reported in a second message over the first.
    if (tellingStopped_) return;
    tellingStopped_ = true;
    try {
      cwin_.ShowMessage("影片中的脚本运行时间过长，已被停止：\r" + movieName, mb::kIconWarning);
    } catch (...) {
      tellingStopped_ = false;
      throw;
    }
    tellingStopped_ = false;
  });
}

}  // namespace tavelin::win32
