#include "projector/projector_layout.h"

#include <cstring>

namespace tavelin::projector {
namespace {

constexpr std::size_t kMarkerOffset = 0x70;
constexpr std::size_t kMarkerLayoutMinimum = 116;  // the marker and its three offset bytes
constexpr std::uint32_t kTrailerMagic = 0xFA123456;
constexpr std::size_t kTrailerBytes = 8;

std::uint32_t LittleEndian32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool HasSignatureAt(std::span<const std::uint8_t> buffer, std::size_t offset) {
  return offset + 3 <= buffer.size() && buffer[offset] == 'F' && buffer[offset + 1] == 'W' &&
         buffer[offset + 2] == 'S';
}

// Drops the trailer from the last movie when the file ends with one that names it.
void DropTrailer(std::span<const std::uint8_t> file, std::vector<MoviePiece>& movies) {
  if (movies.empty() || file.size() < kTrailerBytes) return;
  MoviePiece& last = movies.back();
  if (last.start + last.length != file.size() || last.length < kTrailerBytes) return;
  const std::uint8_t* trailer = file.data() + file.size() - kTrailerBytes;
  if (LittleEndian32(trailer) != kTrailerMagic) return;
  if (LittleEndian32(trailer + 4) != last.length - kTrailerBytes) return;
  last.length -= kTrailerBytes;
}

}  // namespace

std::size_t FindSwfSignature(std::span<const std::uint8_t> buffer, std::size_t start) {
  if (buffer.size() < 3) return 0;
  const std::size_t lastStart = buffer.size() - 3;
  std::size_t at = start;
  while (at <= lastStart) {
    // memchr runs at memory speed; most bytes of a stub are not 'F'.
    const void* found = std::memchr(buffer.data() + at, 'F', lastStart - at + 1);
    if (!found) return 0;
    at = static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - buffer.data());
    if (buffer[at + 1] == 'W' && buffer[at + 2] == 'S') return at;
    ++at;
  }
  return 0;
}

ProjectorContents FindMovies(std::span<const std::uint8_t> file) {
  ProjectorContents contents;
  const std::size_t size = file.size();

  if (size >= kMarkerLayoutMinimum && file[kMarkerOffset] == 0) {
    contents.layout = Layout::kOffsetMarker;
    const std::size_t start = static_cast<std::size_t>(file[0x71]) << 16 | static_cast<std::size_t>(file[0x72]) << 8 |
                              file[0x73];
    if (start >= size) {
      contents.offsetPastEnd = true;
      return contents;
    }
    contents.movies.push_back({start, size - start});
    DropTrailer(file, contents.movies);
    return contents;
  }

  for (const std::size_t stub : kKnownStubLengths) {
    if (size > stub && HasSignatureAt(file, stub)) {
      contents.layout = Layout::kKnownStub;
      contents.movies.push_back({stub, size - stub});
      DropTrailer(file, contents.movies);
      return contents;
    }
  }

  std::size_t start = FindSwfSignature(file, kFirstScanOffset);
  while (start != 0) {
    const std::size_t next = FindSwfSignature(file, start + 1);
    contents.movies.push_back({start, (next != 0 ? next : size) - start});
    if (static_cast<int>(contents.movies.size()) >= kMostScannedMovies) break;
    start = next;
  }
  if (!contents.movies.empty()) {
    contents.layout = Layout::kScanned;
    DropTrailer(file, contents.movies);
  }
  return contents;
}

}  // namespace tavelin::projector
