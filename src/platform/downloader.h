#pragma once
// Fetching a file from a web address without waiting for it. The bytes arrive piece by
// piece on the interface thread, between messages, never inside Start.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace tavelin {

// What a download tells its owner, always on the interface thread. After Finished or
// Failed nothing more arrives.
struct DownloadEvents {
  // The next bytes of the file, in order.
  std::function<void(std::span<const std::uint8_t> bytes)> received;
  // The whole file has arrived.
  std::function<void()> finished;
  // The download stopped; `reason` is a description for the user: the system's text,
  // or "服务器回答: HTTP <code> <status>" when the server refused.
  std::function<void(const std::string& reason)> failed;
};

// A download in progress. Destroying it cancels the download: no event arrives after
// that, and a connection or read the system is blocked in is ended.
class Download {
 public:
  virtual ~Download() = default;
};

class Downloader {
 public:
  virtual ~Downloader() = default;
  // Starts fetching an http:// or https:// address.
  virtual std::unique_ptr<Download> Start(const std::string& address, DownloadEvents events) = 0;
};

// The reason given for a server's error answer.
inline std::string ServerRefusal(int status, const std::string& statusText) {
  std::string reason = "服务器回答: HTTP " + std::to_string(status);
  if (!statusText.empty()) reason += " " + statusText;
  return reason;
}

}  // namespace tavelin
