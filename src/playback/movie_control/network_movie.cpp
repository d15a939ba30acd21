#include "playback/movie_control/network_movie.h"

#include <exception>
#include <utility>

#include "platform/failure.h"

namespace tavelin {
namespace {

constexpr const char* kCannotPlay = "无法播放网络上的影片:";

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

}  // namespace

bool NetworkMovie::IsWebAddress(const std::string& address) {
  return StartsWithNoCase(address, "http://") || StartsWithNoCase(address, "https://");
}

std::string NetworkMovie::FailureMessage(const std::string& address, const std::string& reason) {
  return std::string(kCannotPlay) + "\r" + address + "\r" + reason;
}

NetworkMovie::NetworkMovie(Downloader& downloader, std::string address, Handlers handlers)
    : address_(std::move(address)), handlers_(std::move(handlers)) {
  DownloadEvents events;
  events.received = [this](std::span<const std::uint8_t> bytes) { Received(bytes); };
  events.finished = [this] { Finished(); };
  events.failed = [this](const std::string& reason) { Fail(reason); };
  download_ = downloader.Start(address_, std::move(events));
}

NetworkMovie::~NetworkMovie() = default;

void NetworkMovie::Take(swf::Movie&& decoded) {
  if (!movie_) {
    movie_ = std::make_shared<swf::Movie>(std::move(decoded));
    handlers_.started(movie_);
    return;
  }
  movie_->Grow(std::move(decoded));
  handlers_.grew();
}

void NetworkMovie::Received(std::span<const std::uint8_t> bytes) {
  if (!download_) return;
  try {
    if (std::optional<swf::Movie> start = arriving_.Add(bytes)) Take(std::move(*start));
  } catch (const std::exception& e) {
    // The movie's own refusal, such as a web page that is no movie at all.
    Fail(e.what());
  }
}

void NetworkMovie::Finished() {
  if (!download_) return;
  try {
    Take(arriving_.Finish());
    download_.reset();
  } catch (const std::exception& e) {
    Fail(e.what());
  }
}

void NetworkMovie::Fail(const std::string& reason) {
  if (!download_) return;
  // The download ends before the user is told, so nothing arrives while the message
  // is up; the handler may even end this object, so nothing of it is used after.
  download_.reset();
  const auto failed = handlers_.failed;
  if (failed) failed(FailureMessage(address_, reason));
}

}  // namespace tavelin
