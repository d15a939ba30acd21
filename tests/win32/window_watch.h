#pragma once
// Asks a window from another thread, every 100 ms, whether it answers (a WM_NULL sent
// with a time-out, as the system does to find hung windows) and keeps the longest
// wait for an answer.

#include "win32/windows_api.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace tavelin::win32 {

class WindowWatch {
 public:
  explicit WindowWatch(HWND window) : window_(window), thread_([this] { Run(); }) {}
  WindowWatch(const WindowWatch&) = delete;
  WindowWatch& operator=(const WindowWatch&) = delete;
  ~WindowWatch() { Stop(); }

  // Stops asking; the figures stay. Call it on the window's thread: the question in
  // flight is answered while it waits.
  void Stop() {
    stop_ = true;
    MSG message;
    while (!finished_) {
      PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
      Sleep(1);
    }
    if (thread_.joinable()) thread_.join();
  }
  // The longest wait for an answer, in milliseconds, and whether the system ever
  // took the window for hung.
  double LongestWaitMs() const { return longestMs_; }
  bool EverHung() const { return everHung_; }
  int Questions() const { return questions_; }

 private:
  void Run() {
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    while (!stop_) {
      LARGE_INTEGER before{}, after{};
      QueryPerformanceCounter(&before);
      DWORD_PTR answer = 0;
      SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer);
      QueryPerformanceCounter(&after);
      const double ms = 1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) / static_cast<double>(frequency.QuadPart);
      longestMs_ = std::max(longestMs_.load(), ms);
      if (IsHungAppWindow(window_)) everHung_ = true;
      ++questions_;
      Sleep(100);
    }
    finished_ = true;
  }

  HWND window_;
  std::atomic<bool> stop_{false};
  std::atomic<double> longestMs_{0};
  std::atomic<bool> everHung_{false};
  std::atomic<int> questions_{0};
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

}  // namespace tavelin::win32
