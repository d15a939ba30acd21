#include "playback/movie_control/movie_loads.h"

#include <cctype>

#include "platform/failure.h"
#include "swf/movie.h"

namespace tavelin {
namespace {

// Most web loads at once; more are refused.
constexpr std::size_t kMaxTransfers = 32;

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  for (std::size_t i = 0; prefix[i]; ++i) {
    if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

bool IsWeb(const std::string& address) { return StartsWithNoCase(address, "http://") || StartsWithNoCase(address, "https://"); }

// "name:" before any separator, longer than a drive letter.
bool HasScheme(const std::string& url) {
  const std::size_t colon = url.find(':');
  if (colon == std::string::npos || colon < 2) return false;
  for (std::size_t i = 0; i < colon; ++i) {
    const unsigned char c = static_cast<unsigned char>(url[i]);
    if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
  }
  return true;
}

bool IsAbsolutePath(const std::string& path) {
  if (!path.empty() && (path[0] == '\\' || path[0] == '/')) return true;
  return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

}  // namespace

std::string ResolveLoadAddress(const std::string& base, const std::string& url) {
  if (url.empty()) return "";
  if (IsWeb(url)) return url;
  std::string path = url;
  if (StartsWithNoCase(path, "file:///")) {
    path = path.substr(8);
  } else if (HasScheme(path)) {
    return "";  // javascript:, ftp:, ... are not ours to fetch
  }
  if (IsWeb(base)) {
    if (IsAbsolutePath(path) && path[0] != '/') return "";
    const std::size_t hostEnd = base.find('/', base.find("//") + 2);
    if (path[0] == '/') return hostEnd == std::string::npos ? base + path : base.substr(0, hostEnd) + path;
    const std::size_t slash = base.find_last_of('/');
    return base.substr(0, slash + 1) + path;
  }
  // A local file: no query, and the separators of the movie's own path.
  path = path.substr(0, path.find('?'));
  if (path.empty()) return "";
  const bool backslashes = base.find('\\') != std::string::npos || base.empty();
  if (backslashes) {
    for (char& c : path) c = c == '/' ? '\\' : c;
  }
  if (IsAbsolutePath(path)) return path;
  const std::size_t folderEnd = base.find_last_of("\\/");
  return folderEnd == std::string::npos ? path : base.substr(0, folderEnd + 1) + path;
}

MovieLoads::MovieLoads(FileSystem& files, Downloader* downloader, swf::avm1::Machine& machine, std::function<std::string()> base)
    : files_(files), downloader_(downloader), machine_(machine), base_(std::move(base)) {}

bool MovieLoads::Start(const swf::avm1::LoadRequest& request) {
  std::erase_if(transfers_, [](const auto& entry) { return entry.second->done; });
  const std::string address = ResolveLoadAddress(base_ ? base_() : std::string(), request.url);
  if (address.empty()) return false;
  if (IsWeb(address)) {
    if (!downloader_ || transfers_.size() >= kMaxTransfers) return false;
    auto transfer = std::make_unique<Transfer>();
    Transfer* at = transfer.get();
    DownloadEvents events;
    events.received = [this, at, request](std::span<const std::uint8_t> bytes) {
      if (at->done) return;
      if (at->bytes.size() + bytes.size() > swf::kMaxMovieBytes) {
        at->done = true;
        machine_.LoadFailed(request.id);
        return;
      }
      at->bytes.insert(at->bytes.end(), bytes.begin(), bytes.end());
    };
    events.finished = [this, at, request] {
      if (at->done) return;
      at->done = true;
      Deliver(request, at->bytes);
    };
    events.failed = [this, at, request](const std::string&) {
      if (at->done) return;
      at->done = true;
      machine_.LoadFailed(request.id);
    };
    transfer->download = downloader_->Start(address, std::move(events));
    transfers_[request.id] = std::move(transfer);
    return true;
  }
  std::vector<std::uint8_t> bytes;
  try {
    if (!files_.FileExists(address)) return false;
    bytes = files_.ReadFile(address, swf::kMaxMovieBytes + 1);
  } catch (const std::exception&) {
    return false;
  }
  if (bytes.size() > swf::kMaxMovieBytes) return false;
  Deliver(request, bytes);
  return true;
}

void MovieLoads::Deliver(const swf::avm1::LoadRequest& request, const std::vector<std::uint8_t>& bytes) {
  if (request.kind == swf::avm1::LoadRequest::Kind::kVariables) {
    machine_.TextArrived(request.id, std::string(bytes.begin(), bytes.end()));
    return;
  }
  try {
    machine_.LoadArrived(request.id, std::make_shared<const swf::Movie>(swf::LoadMovie(bytes)));
  } catch (const std::exception&) {
    machine_.LoadFailed(request.id);  // not a movie, or a damaged one
  }
}

}  // namespace tavelin
