#pragma once
// The sound device the movie's sound is played on: 44,100 frames a second, two
// channels, signed 16-bit samples interleaved left then right.

#include <cstddef>
#include <cstdint>
#include <span>

namespace tavelin {

inline constexpr int kOutputRate = 44100;
inline constexpr int kOutputChannels = 2;

// What the device plays. Fill is called on the device's own thread whenever a buffer
// is free, so an implementation guards what it shares with the interface thread.
class SoundSource {
 public:
  virtual ~SoundSource() = default;
  // Writes exactly samples.size() / 2 frames of interleaved stereo.
  virtual void Fill(std::span<std::int16_t> samples) = 0;
};

class SoundOutput {
 public:
  virtual ~SoundOutput() = default;
  // Opens the device and starts pulling from `source`, which must outlive Stop. Throws
  // Failure with the system's description when no device can be opened; starting a
  // running output changes nothing.
  virtual void Start(SoundSource& source) = 0;
  // Stops pulling and closes the device; what is queued is dropped.
  virtual void Stop() = 0;
  virtual bool Running() const = 0;
  // Frames already taken from the source that the device has not played yet, so the
  // frames heard so far are the frames taken minus these.
  virtual std::size_t QueuedFrames() const = 0;
};

}  // namespace tavelin
