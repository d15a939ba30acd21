#include "projector/projector_layout.h"

#include <algorithm>
#include <cstring>

namespace tavelin::projector {
namespace {

constexpr std::uint64_t kMarkerOffset = 0x70;
constexpr std::uint64_t kMarkerLayoutMinimum = 116;  // the marker and its three offset bytes
constexpr std::uint32_t kTrailerMagic = 0xFA123456;
constexpr std::size_t kTrailerBytes = 8;
constexpr std::size_t kSignatureBytes = 3;
// A window must hold more than the overlap, or a scan would not move on.
constexpr std::size_t kSmallestWindow = 16;

std::uint32_t LittleEndian32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// The first 'F' in [at, end), or end. Eight bytes are tested at once: the C runtime's
// memchr of some systems tests one at a time, which made the scan of a large projector
// cost several times the reading of it.
const std::uint8_t* FindF(const std::uint8_t* at, const std::uint8_t* end) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u, kEffs = kOnes * 'F';
  while (end - at >= 8) {
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    const std::uint64_t x = word ^ kEffs;  // a zero byte where an 'F' was
    if ((x - kOnes) & ~x & kHighs) break;
    at += 8;
  }
  while (at < end && *at != 'F') ++at;
  return at;
}

// The first "FWS" at or after `start` lying wholly inside `bytes`; bytes.size() when none.
std::size_t SearchSignature(std::span<const std::uint8_t> bytes, std::size_t start) {
  if (bytes.size() < kSignatureBytes || start > bytes.size() - kSignatureBytes) return bytes.size();
  const std::size_t lastStart = bytes.size() - kSignatureBytes;
  const std::uint8_t* const end = bytes.data() + lastStart + 1;
  for (const std::uint8_t* at = bytes.data() + start; at < end; ++at) {
    at = FindF(at, end);
    if (at == end) break;
    if (at[1] == 'W' && at[2] == 'S') return static_cast<std::size_t>(at - bytes.data());
  }
  return bytes.size();
}

// One window of the file in memory, moved along as the layout decision asks for bytes.
class Window {
 public:
  Window(ProjectorBytes& file, std::size_t windowBytes)
      : file_(file),
        size_(file.Size()),
        buffer_(static_cast<std::size_t>(std::min<std::uint64_t>(size_, std::max(windowBytes, kSmallestWindow)))) {}

  std::uint64_t FileSize() const { return size_; }

  // The `count` bytes from `offset`, or nullptr when the file ends before them.
  const std::uint8_t* At(std::uint64_t offset, std::size_t count) {
    if (offset > size_ || count > size_ - offset || count > buffer_.size()) return nullptr;
    if (!Holds(offset, count)) Load(offset);
    return Holds(offset, count) ? buffer_.data() + (offset - begin_) : nullptr;  // else the file shrank
  }

  // The lowest offset p >= from where the file holds the signature, or 0 when none.
  std::uint64_t FindSignature(std::uint64_t from) {
    while (from <= size_ && size_ - from >= kSignatureBytes) {
      if (!Holds(from, kSignatureBytes)) {
        Load(from);
        if (!Holds(from, kSignatureBytes)) return 0;  // the file shrank
      }
      const std::span<const std::uint8_t> held(buffer_.data(), filled_);
      const std::size_t found = SearchSignature(held, static_cast<std::size_t>(from - begin_));
      if (found != held.size()) return begin_ + found;
      // The next window starts where a signature cut by this one's end would.
      from = begin_ + filled_ - (kSignatureBytes - 1);
    }
    return 0;
  }

 private:
  bool Holds(std::uint64_t offset, std::size_t count) const {
    return offset >= begin_ && offset - begin_ <= filled_ && count <= filled_ - (offset - begin_);
  }
  void Load(std::uint64_t offset) {
    begin_ = offset;
    filled_ = 0;  // nothing held should the read fail
    filled_ = file_.Read(offset, buffer_);
  }

  ProjectorBytes& file_;
  std::uint64_t size_;
  std::vector<std::uint8_t> buffer_;
  std::uint64_t begin_ = 0;
  std::size_t filled_ = 0;
};

bool HasSignatureAt(Window& window, std::uint64_t offset) {
  const std::uint8_t* p = window.At(offset, kSignatureBytes);
  return p && p[0] == 'F' && p[1] == 'W' && p[2] == 'S';
}

// Drops the trailer from the last movie when the file ends with one that names it.
void DropTrailer(Window& window, std::vector<MoviePiece>& movies) {
  const std::uint64_t size = window.FileSize();
  if (movies.empty() || size < kTrailerBytes) return;
  MoviePiece& last = movies.back();
  if (last.start + last.length != size || last.length <= kTrailerBytes) return;
  const std::uint8_t* trailer = window.At(size - kTrailerBytes, kTrailerBytes);
  if (!trailer || LittleEndian32(trailer) != kTrailerMagic) return;
  if (LittleEndian32(trailer + 4) != last.length - kTrailerBytes) return;
  last.length -= kTrailerBytes;
}

class MemoryBytes : public ProjectorBytes {
 public:
  explicit MemoryBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  std::size_t Read(std::uint64_t offset, std::span<std::uint8_t> into) override {
    if (offset >= bytes_.size()) return 0;
    const std::size_t n = std::min(into.size(), bytes_.size() - static_cast<std::size_t>(offset));
    std::memcpy(into.data(), bytes_.data() + offset, n);
    return n;
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace

std::size_t FindSwfSignature(std::span<const std::uint8_t> buffer, std::size_t start) {
  const std::size_t found = SearchSignature(buffer, start);
  return found == buffer.size() ? 0 : found;
}

ProjectorContents FindMovies(ProjectorBytes& file, std::size_t windowBytes) {
  Window window(file, windowBytes);
  ProjectorContents contents;
  const std::uint64_t size = window.FileSize();

  const std::uint8_t* marker = size >= kMarkerLayoutMinimum ? window.At(kMarkerOffset, 4) : nullptr;
  if (marker && marker[0] == 0) {
    contents.layout = Layout::kOffsetMarker;
    const std::uint64_t start = std::uint64_t{marker[1]} << 16 | std::uint64_t{marker[2]} << 8 | marker[3];
    if (start >= size) {
      contents.offsetPastEnd = true;
      return contents;
    }
    contents.movies.push_back({start, size - start});
    DropTrailer(window, contents.movies);
    return contents;
  }

  for (const std::uint64_t stub : kKnownStubLengths) {
    if (size > stub && HasSignatureAt(window, stub)) {
      contents.layout = Layout::kKnownStub;
      contents.movies.push_back({stub, size - stub});
      DropTrailer(window, contents.movies);
      return contents;
    }
  }

  std::uint64_t start = window.FindSignature(kFirstScanOffset);
  while (start != 0) {
    const std::uint64_t next = window.FindSignature(start + 1);
    contents.movies.push_back({start, (next != 0 ? next : size) - start});
    if (static_cast<int>(contents.movies.size()) >= kMostScannedMovies) break;
    start = next;
  }
  if (!contents.movies.empty()) {
    contents.layout = Layout::kScanned;
    DropTrailer(window, contents.movies);
  }
  return contents;
}

ProjectorContents FindMovies(std::span<const std::uint8_t> file, std::size_t windowBytes) {
  MemoryBytes bytes(file);
  return FindMovies(bytes, windowBytes);
}

}  // namespace tavelin::projector
