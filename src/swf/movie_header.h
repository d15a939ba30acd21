#pragma once
// Decoding the start of a movie file: signature, stage size, frame rate and the
// background colour of the first tag. Play reads these before it loads the movie.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tavelin::swf {

// The number of leading bytes the decoder looks at.
inline constexpr std::size_t kHeaderBytes = 29;
using HeaderBuffer = std::array<std::uint8_t, kHeaderBytes>;

// How many bytes of a file to read so that a compressed movie's header can be
// decompressed: plenty for the 21 uncompressed bytes the decoder needs.
inline constexpr std::size_t kHeaderReadLimit = 4096;

struct PreparedHeader {
  HeaderBuffer bytes{};
  std::string failure;  // empty unless a compressed header could not be decompressed
};

// Fills the header buffer from the start of a file (any length; missing bytes are 0).
// For a compressed movie ("CWS") the bytes from index 8 on are decompressed, so the
// stage, frame rate and colour describe the movie and not its compressed data.
PreparedHeader PrepareHeader(std::span<const std::uint8_t> fileStart);

// Reads the fields of a header buffer. The getters that can run past the buffer
// throw Failure("下标越界"), so a caller running its steps one by one loses only
// the value that does not fit.
class MovieHeader {
 public:
  explicit MovieHeader(const HeaderBuffer& bytes);

  // Bytes 1 and 2 are "W" and "S" (byte 0 is not checked: "FWS" and "CWS" both pass).
  bool HasSignature() const;
  // The bit width of each of the stage rectangle's four fields.
  int RectFieldBits() const { return nbits_; }
  // The stage rectangle's length in bytes.
  int RectBytes() const { return rectBytes_; }

  // Integer part of the frame rate.
  int FrameRate() const;
  // The first tag's colour as 0xRRGGBB.
  std::uint32_t BackgroundColor() const;
  // Whether the first tag is the one that sets the background colour. Movies of
  // version 8 and later start with their file attributes instead, and then the bytes
  // BackgroundColor reads are no colour.
  bool FirstTagIsBackgroundColor() const;
  // The stage's Xmax and Ymax in pixels (twips divided by 20).
  std::int32_t StageWidth() const;
  std::int32_t StageHeight() const;

 private:
  std::uint8_t At(int index) const;
  std::int32_t FieldPixels(int startBit) const;

  HeaderBuffer bytes_;
  int nbits_;
  int rectBytes_;
};

}  // namespace tavelin::swf
