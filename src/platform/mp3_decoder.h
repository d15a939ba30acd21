#pragma once
// Decodes MPEG audio layer III frames to 16-bit samples through the system's codec.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace tavelin {

// One stream of MP3 frames: frames are decoded in order, and a frame may draw on the
// ones before it, so a stream keeps one decoder.
class Mp3Decoder {
 public:
  virtual ~Mp3Decoder() = default;
  // Appends the samples of the whole frames in `frames` to `samples`, interleaved when
  // stereo, at the rate the decoder was opened with. Bytes that do not form a frame are
  // skipped; a damaged stream yields fewer samples, never a failure.
  virtual void Decode(std::span<const std::uint8_t> frames, std::vector<std::int16_t>& samples) = 0;
};

class Mp3Codec {
 public:
  virtual ~Mp3Codec() = default;
  // A decoder for frames of `sampleRate` Hz with 1 or 2 channels. Throws Failure when
  // the system has no codec for them.
  virtual std::unique_ptr<Mp3Decoder> Open(int sampleRate, int channels) = 0;
};

}  // namespace tavelin
