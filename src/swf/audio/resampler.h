#pragma once
// Converts samples of any rate and one or two channels to the output's 44,100 frames a
// second in stereo, by linear interpolation. A stream is converted piece by piece
// through one resampler, so its pieces join without a click.

#include <cstdint>
#include <span>
#include <vector>

namespace tavelin::swf::audio {

class Resampler {
 public:
  // `rate` is clamped to 1,000..192,000 frames a second.
  Resampler(int rate, int channels);

  // Appends the output frames that `samples` (interleaved, of the input's channels)
  // completes; the input's last frame is held to interpolate the next piece's first.
  void Convert(std::span<const std::int16_t> samples, std::vector<std::int16_t>& stereo);
  // Forgets the held frame and the phase, as for a new stream.
  void Reset();
  int Channels() const { return channels_; }

 private:
  std::uint64_t step_;  // input frames per output frame, 32.32 fixed point
  int channels_;
  std::uint64_t phase_ = 0;  // position past the held frame, 32.32 fixed point
  bool primed_ = false;
  std::int32_t heldLeft_ = 0, heldRight_ = 0;
};

}  // namespace tavelin::swf::audio
