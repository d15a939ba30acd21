#pragma once
// Reads the headers of MPEG audio layer III frames: the rate and channels a decoder is
// opened with, and where each frame ends.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tavelin::swf::audio {

struct Mp3FrameHeader {
  int sampleRate = 0;
  int channels = 0;
  std::size_t length = 0;  // bytes of the whole frame, header included
  int frames = 0;          // sample frames it decodes to
};

// The header at the start of `bytes`, or nothing when no layer III frame starts there.
std::optional<Mp3FrameHeader> ReadMp3FrameHeader(std::span<const std::uint8_t> bytes);

// The header of the first frame found within the first `searchLimit` bytes, and the
// offset where it starts.
std::optional<std::pair<std::size_t, Mp3FrameHeader>> FindMp3Frame(std::span<const std::uint8_t> bytes,
                                                                     std::size_t searchLimit = 4096);

}  // namespace tavelin::swf::audio
