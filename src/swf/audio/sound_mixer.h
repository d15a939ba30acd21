#pragma once
// Mixes the movie's sounds into the output's 44,100 stereo frames a second: event sounds
// (each start an instance with its own passes, in and out points and volume envelope)
// and streams (samples queued ahead by the timeline that carries them). The sum is
// scaled by the volume and saturated, never wrapped.
//
// The device's thread calls Fill while the interface thread starts and stops sounds;
// every member takes the mixer's lock.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "platform/sound_output.h"
#include "swf/format/sound_decoder.h"
#include "swf/player/sound_host.h"

namespace tavelin::swf::audio {

// Keeps a stream queued from the device's thread: asked before each buffer is mixed,
// without the mixer's lock held.
class StreamSupplier {
 public:
  virtual ~StreamSupplier() = default;
  virtual void Supply() = 0;
};

// A decoded sound: output frames, interleaved left and right.
using SoundSamples = std::shared_ptr<const std::vector<std::int16_t>>;

class SoundMixer : public SoundSource {
 public:
  // Instances playing at once; a start beyond them ends the oldest.
  static constexpr std::size_t kMaxInstances = 32;
  // Frames a stream may hold queued (ten seconds); what comes beyond is dropped.
  static constexpr std::size_t kMaxStreamFrames = std::size_t{kOutputRate} * 10;
  static constexpr std::size_t kMaxStreams = 16;

  // Starts (or, with info.stop, stops) the sound `key` as `info` says.
  void StartSound(int key, SoundSamples samples, const format::SoundInfo& info);
  void StopSound(int key);
  // Ends every event sound instance; streams go on.
  void StopSounds();
  bool SoundPlaying(int key) const;

  // Starts `key` on `channel`, scaled by the channel's levels while it plays; returns
  // the instance's handle (0 when nothing started).
  std::uint32_t StartChannelSound(int channel, int key, SoundSamples samples, const format::SoundInfo& info);
  void SetChannelLevels(int channel, const player::ChannelLevels& levels);
  // Ends the channel's instances of `key`, or all of them when `key` is negative.
  void StopChannelSound(int channel, int key);
  // Frames the instance has played since it started; negative once it has ended.
  std::int64_t InstancePlayed(std::uint32_t handle) const;
  std::size_t InstanceCount() const;

  // Adds output frames to stream `key`; returns how many were taken.
  std::size_t QueueStream(int key, std::span<const std::int16_t> stereo);
  // Drops the stream's queued frames and restarts its count of frames played.
  void ClearStream(int key);
  struct StreamState {
    std::size_t queued = 0;    // frames waiting to be mixed
    std::uint64_t mixed = 0;   // frames handed to the device since the stream (re)started
  };
  StreamState Stream(int key) const;

  // Ends every instance and stream.
  void StopAll();
  // Ends the instances and streams whose keys lie in [from, to).
  void EndKeys(int from, int to);
  // The volume of each side, 0 to 65535 as the wave-out volume is given.
  void SetVolume(std::uint16_t left, std::uint16_t right);
  // The movie's own volume over its sounds, 0 to 100 percent, applied on top.
  void SetMovieVolume(int percent);

  // Asked before each Fill (may be null). Replacing it waits until a Supply under way
  // has returned, so the old supplier may go once this returns.
  void SetSupplier(StreamSupplier* supplier);

  void Fill(std::span<std::int16_t> samples) override;

 private:
  struct Instance {
    int key = 0;
    SoundSamples samples;
    std::size_t begin = 0, end = 0;  // one pass, in frames
    std::size_t position = 0;
    std::uint32_t passesLeft = 1;
    std::uint64_t played = 0;  // frames since the start, for the envelope
    std::vector<format::EnvelopePoint> envelope;
    std::size_t segment = 0;
    int channel = 0;
    std::uint32_t handle = 0;
  };
  // A channel's levels as fixed-point gains (32768 is unity).
  struct ChannelGains {
    std::int32_t leftToLeft, rightToLeft, leftToRight, rightToRight;
  };
  struct StreamQueue {
    std::vector<std::int16_t> samples;
    std::size_t read = 0;  // samples already mixed from the front
    std::uint64_t mixed = 0;
  };

  // Adds up to `frames` frames of `instance` to `sum`; false once it has ended.
  static bool MixInstance(Instance& instance, std::int32_t* sum, std::size_t frames);
  // The same through a channel's gains.
  static bool MixThrough(Instance& instance, const ChannelGains& gains, std::int32_t* sum, std::size_t frames,
                         std::vector<std::int32_t>& scratch);
  std::uint32_t Add(Instance instance, SoundSamples samples, const format::SoundInfo& info);

  std::mutex supplyMutex_;  // held while the supplier feeds
  StreamSupplier* supplier_ = nullptr;
  mutable std::mutex mutex_;
  std::vector<Instance> instances_;
  std::map<int, StreamQueue> streams_;
  void UpdateGains();

  std::uint16_t volumeLeft_ = 65535, volumeRight_ = 65535;
  int moviePercent_ = 100;
  std::int32_t gainLeft_ = 32768, gainRight_ = 32768;  // 32768 is unity
  std::vector<std::int32_t> sum_;
  std::vector<std::int32_t> channelScratch_;
  std::map<int, ChannelGains> channels_;
  std::uint32_t nextHandle_ = 1;
};

}  // namespace tavelin::swf::audio
