#pragma once
// The sound of one movie: its event sounds, decoded when first started and kept in a
// bounded cache, the streams of its sprites as their frames deliver them, and the main
// timeline's stream, read from the movie ahead of the picture so the picture can follow
// the sound's clock.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/mp3_decoder.h"
#include "swf/audio/sound_converter.h"
#include "swf/audio/sound_mixer.h"
#include "swf/movie.h"
#include "swf/player/sound_host.h"

namespace tavelin::swf::audio {

class MovieSound : public player::SoundHost {
 public:
  // Decoded event sounds kept at once, in output frames (about 64 MB).
  static constexpr std::size_t kMaxCachedFrames = std::size_t{16} << 20;
  // How far ahead of the mixer the main stream is kept queued, in output frames.
  static constexpr std::size_t kStreamLead = kOutputRate / 2;

  // `codec` may be null (MP3 plays silent); the mixer must outlive this.
  MovieSound(std::shared_ptr<const Movie> movie, SoundMixer& mixer, Mp3Codec* codec);
  ~MovieSound() override;  // ends the movie's sounds
  MovieSound(const MovieSound&) = delete;
  MovieSound& operator=(const MovieSound&) = delete;

  // player::SoundHost.
  void OnSoundTag(const Tag& tag, const format::SpriteDefinition* sprite, int frame) override;
  void StartSound(std::uint16_t id, const format::SoundInfo& info) override;
  void StopSound(std::uint16_t id) override;
  void StopAllSounds() override;
  void SetSoundVolume(int percent) override;
  int SoundVolume() const override { return volume_; }
  std::uint32_t StartChannelSound(int channel, std::uint16_t id, const format::SoundInfo& info) override;
  void SetChannelLevels(int channel, const player::ChannelLevels& levels) override;
  void StopChannelSound(int channel, std::uint16_t id) override;
  double InstanceMilliseconds(std::uint32_t handle) const override;

  // Starts the event sounds of a main timeline frame that ran before this object
  // listened (the first frame, shown as the movie loads).
  void StartFrameSounds(int frame);

  // True when the main timeline carries a stream.
  bool HasStream() const { return streamHead_.has_value(); }
  // Plays the main stream from `frame` on, in the order the timeline plays its frames
  // (back to the first after the last when `loop`).
  void RestartStream(int frame, bool loop);
  void StopStream();
  void SetStreamLoop(bool loop) { streamLoop_ = loop; }
  bool StreamRunning() const { return streamRunning_; }
  // Queues the main stream up to kStreamLead ahead of the mixer; call on every tick.
  void FeedStream();
  // How many frames the main stream has been heard to move on since it (re)started,
  // given the frames the device still holds.
  std::int64_t HeardStreamFrames(std::size_t deviceQueued);

  std::size_t CachedFrames() const { return cachedFrames_; }

 private:
  SoundSamples Decoded(std::uint16_t id);
  void FeedFrame();
  int SpriteStreamKey(const format::SpriteDefinition* sprite);

  std::shared_ptr<const Movie> movie_;
  SoundMixer& mixer_;
  Mp3Codec* codec_;
  int volume_ = 100;

  std::unordered_map<std::uint16_t, Tag> definitions_;
  std::unordered_map<std::uint16_t, SoundSamples> cache_;
  std::list<std::uint16_t> recentlyUsed_;  // most recent first
  std::size_t cachedFrames_ = 0;

  // The main timeline's stream: its head and, per frame, its block.
  std::optional<format::StreamHead> streamHead_;
  std::vector<std::optional<Tag>> streamBlocks_;
  std::unique_ptr<SoundConverter> streamConverter_;
  bool streamRunning_ = false;
  bool streamLoop_ = true;
  int feedFrame_ = 0;
  double silenceCarry_ = 0;
  std::uint64_t fed_ = 0;                // frames queued since the restart
  std::deque<std::uint64_t> frameStarts_;  // where each fed timeline frame begins
  std::int64_t firstFrameIndex_ = 0;     // the count of frames before frameStarts_[0]
  std::vector<std::int16_t> scratch_;

  struct SpriteStream {
    int key = 0;
    format::StreamHead head;
    std::unique_ptr<SoundConverter> converter;
  };
  std::map<const format::SpriteDefinition*, SpriteStream> spriteStreams_;
};

}  // namespace tavelin::swf::audio
