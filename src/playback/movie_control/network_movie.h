#pragma once
// A movie the control plays from a web address: the download, the decodes of its
// start as it arrives, and the message for the user when it cannot be played.

#include <functional>
#include <memory>
#include <string>

#include "platform/downloader.h"
#include "swf/arriving_movie.h"
#include "swf/movie.h"

namespace tavelin {

class NetworkMovie {
 public:
  struct Handlers {
    // The first frames have arrived: the movie to play. Later frames are added to this
    // same movie in place.
    std::function<void(std::shared_ptr<swf::Movie> movie)> started;
    // The movie handed to `started` holds more frames (or is now complete).
    std::function<void()> grew;
    // The movie cannot be played (further): the whole message for the user. Nothing
    // arrives after it.
    std::function<void(const std::string& message)> failed;
  };

  // Whether the control fetches this address itself (http:// and https://).
  static bool IsWebAddress(const std::string& address);
  // The message shown when the movie at `address` cannot be played.
  static std::string FailureMessage(const std::string& address, const std::string& reason);

  // Starts the download; the handlers are called later, on the interface thread.
  NetworkMovie(Downloader& downloader, std::string address, Handlers handlers);
  // Cancels the download if it still runs.
  ~NetworkMovie();
  NetworkMovie(const NetworkMovie&) = delete;
  NetworkMovie& operator=(const NetworkMovie&) = delete;

  // Whether every byte has arrived and been decoded, or the download has failed.
  bool Done() const { return !download_; }

 private:
  void Received(std::span<const std::uint8_t> bytes);
  void Finished();
  void Fail(const std::string& reason);
  void Take(swf::Movie&& decoded);

  std::string address_;
  Handlers handlers_;
  swf::ArrivingMovie arriving_;
  std::shared_ptr<swf::Movie> movie_;
  std::unique_ptr<Download> download_;
};

}  // namespace tavelin
