#pragma once
// Downloads through WinINet: each download reads on a worker thread of its own, and
// hands its bytes and its end to the interface thread through a message-only window,
// so the interface never waits for the network.

#include "win32/windows_api.h"

#include <cstdint>
#include <memory>
#include <unordered_map>

#include "platform/downloader.h"

namespace tavelin::win32 {

class Win32Downloader : public Downloader {
 public:
  // Made on the interface thread, whose message loop delivers the events. It must
  // outlive the downloads it starts.
  Win32Downloader();
  ~Win32Downloader() override;
  Win32Downloader(const Win32Downloader&) = delete;
  Win32Downloader& operator=(const Win32Downloader&) = delete;

  std::unique_ptr<Download> Start(const std::string& address, DownloadEvents events) override;

  struct Job;

 private:
  template <class Owner>
  friend LRESULT CALLBACK RouteToOwner(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Deliver(std::uint64_t id);
  void Cancel(const std::shared_ptr<Job>& job);

  class Handle;
  HWND hwnd_ = nullptr;
  std::unordered_map<std::uint64_t, std::shared_ptr<Job>> jobs_;
  std::uint64_t nextId_ = 1;
};

// The description of a WinINet or system error code: the program's own text for the
// common network failures, otherwise WinINet's message table, otherwise the system's.
std::string InternetErrorText(unsigned long code);

}  // namespace tavelin::win32
