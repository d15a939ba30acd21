#pragma once
// What a movie's scripts load (other movies, variables) fetched for its script machine:
// local paths relative to the playing movie's folder through the file system, web
// addresses through the downloader. Other schemes and script addresses are refused.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/downloader.h"
#include "platform/file_system.h"
#include "swf/avm1/loading.h"
#include "swf/avm1/machine.h"

namespace tavelin {

// Where `url` leads from the movie at `base` (a path or a web address): a local path,
// an http(s) address, or "" when it may not be loaded.
std::string ResolveLoadAddress(const std::string& base, const std::string& url);

class MovieLoads {
 public:
  // `base` reads the playing movie's path or address when a load starts. Without a
  // downloader web addresses fail.
  MovieLoads(FileSystem& files, Downloader* downloader, swf::avm1::Machine& machine, std::function<std::string()> base);
  MovieLoads(const MovieLoads&) = delete;
  MovieLoads& operator=(const MovieLoads&) = delete;

  // Starts a load; the machine hears the answer (a local file's at once, it puts it in
  // place at the next frame). False when nothing will be loaded.
  bool Start(const swf::avm1::LoadRequest& request);

 private:
  void Deliver(const swf::avm1::LoadRequest& request, const std::vector<std::uint8_t>& bytes);

  struct Transfer {
    std::vector<std::uint8_t> bytes;
    std::unique_ptr<Download> download;
    bool done = false;
  };

  FileSystem& files_;
  Downloader* downloader_;
  swf::avm1::Machine& machine_;
  std::function<std::string()> base_;
  // Web loads in progress, by request id; finished ones go at the next start.
  std::map<int, std::unique_ptr<Transfer>> transfers_;
};

}  // namespace tavelin
