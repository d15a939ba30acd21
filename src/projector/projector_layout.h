#pragma once
// Where the movie lies inside a projector: a player program (the stub) followed, in the
// same file, by the bytes of one or more movies. The layout is decided from a few bytes
// and a scan that reads the file a window at a time, so a projector of any size costs
// one window of memory; reading the file is the ProjectorBytes implementation's.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tavelin::projector {

// Stub lengths of the common projectors, in the order they are tried.
inline constexpr std::array<std::uint64_t, 4> kKnownStubLengths = {0x24000, 0x46000, 0x47000, 0x5C000};
// The scan never looks below this offset: the stub's own headers live there.
inline constexpr std::uint64_t kFirstScanOffset = 1024;
// The scan cuts at most this many movies out of one file.
inline constexpr int kMostScannedMovies = 11;
// How much of a projector is read at a time. Windows overlap by the two bytes a
// signature may reach into the next one.
inline constexpr std::size_t kScanWindowBytes = std::size_t{4} << 20;

// The lowest offset p >= start where the buffer holds "FWS" (all three bytes inside
// it), or 0 when there is none (no scan starts below 1,024, so 0 is never a match).
std::size_t FindSwfSignature(std::span<const std::uint8_t> buffer, std::size_t start);

enum class Layout {
  kNone,          // no movie found
  kOffsetMarker,  // byte 0x70 is zero and bytes 0x71-0x73 give the offset
  kKnownStub,     // a movie signature right after a stub of a known length
  kScanned,       // movies found by scanning for their signature
};

struct MoviePiece {
  std::uint64_t start = 0;
  std::uint64_t length = 0;
  friend bool operator==(const MoviePiece&, const MoviePiece&) = default;
};

struct ProjectorContents {
  Layout layout = Layout::kNone;
  // In file order. Empty for kNone, and for an offset marker pointing at or past the
  // end of the file (offsetPastEnd).
  std::vector<MoviePiece> movies;
  bool offsetPastEnd = false;
};

// The bytes of a projector, read a piece at a time.
class ProjectorBytes {
 public:
  virtual ~ProjectorBytes() = default;
  virtual std::uint64_t Size() const = 0;
  // Fills `into` from `offset`; fewer bytes only where the file ends. Throws Failure
  // when the bytes cannot be read.
  virtual std::size_t Read(std::uint64_t offset, std::span<std::uint8_t> into) = 0;
};

// Decides the layout and cuts the movies, reading `file` at most `windowBytes` at a
// time. The layout alone decides a movie's extent, with one exception: a file that ends
// with the 8-byte trailer other projector makers append (0xFA123456 little-endian, then
// the movie's length) loses the trailer from its last movie when that length matches
// the movie.
ProjectorContents FindMovies(ProjectorBytes& file, std::size_t windowBytes = kScanWindowBytes);
// The same over bytes already in memory.
ProjectorContents FindMovies(std::span<const std::uint8_t> file, std::size_t windowBytes = kScanWindowBytes);

}  // namespace tavelin::projector
