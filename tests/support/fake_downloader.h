#pragma once
// A downloader whose transfers the test drives by hand: it hands out bytes, the end or
// a failure of the newest download when the test says so.

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/downloader.h"

namespace tavelin::testing {

class FakeDownloader : public Downloader {
 public:
  struct Transfer {
    std::string address;
    DownloadEvents events;
    bool cancelled = false;
  };

  std::unique_ptr<Download> Start(const std::string& address, DownloadEvents events) override {
    auto transfer = std::make_shared<Transfer>(Transfer{address, std::move(events)});
    transfers.push_back(transfer);
    return std::make_unique<Handle>(transfer);
  }

  // The newest download; the calls below do nothing once it was cancelled.
  Transfer& Newest() { return *transfers.back(); }
  void Send(std::span<const std::uint8_t> bytes) {
    const auto t = transfers.back();
    if (!t->cancelled) t->events.received(bytes);
  }
  // Sends `bytes` in pieces of `piece` bytes.
  void SendInPieces(std::span<const std::uint8_t> bytes, std::size_t piece) {
    for (std::size_t at = 0; at < bytes.size(); at += piece) Send(bytes.subspan(at, std::min(piece, bytes.size() - at)));
  }
  void Finish() {
    const auto t = transfers.back();
    if (!t->cancelled) t->events.finished();
  }
  void Fail(const std::string& reason) {
    const auto t = transfers.back();
    if (!t->cancelled) t->events.failed(reason);
  }

  std::vector<std::shared_ptr<Transfer>> transfers;

 private:
  class Handle : public Download {
   public:
    explicit Handle(std::shared_ptr<Transfer> transfer) : transfer_(std::move(transfer)) {}
    ~Handle() override { transfer_->cancelled = true; }

   private:
    std::shared_ptr<Transfer> transfer_;
  };
};

}  // namespace tavelin::testing
