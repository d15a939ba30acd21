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
#include "swf/audio/main_stream.h"
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
  static constexpr std::size_t kStreamLead = MainStream::kLead;

  // `codec` may be null (MP3 plays silent); the mixer must outlive this.
  MovieSound(std::shared_ptr<const Movie> movie, SoundMixer& mixer, Mp3Codec* codec);
  // The sounds of a movie loaded into another: its mixer keys lie in a range of their
  // own (`scope` above 0), and its main timeline's stream plays as frames deliver it,
  // as a sprite's does, since the first movie's stream sets the pace.
  MovieSound(std::shared_ptr<const Movie> movie, SoundMixer& mixer, Mp3Codec* codec, int scope);
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
  void ButtonTransition(std::uint16_t buttonId, int transition) override;
  std::shared_ptr<void> SpriteStreamToken(const format::SpriteDefinition* sprite) override;
  std::shared_ptr<player::SoundHost> ForLoadedMovie(std::shared_ptr<const Movie> movie) override;

  // Silences the sprites' streams (the movie stopped); what their frames deliver
  // later plays again.
  void SilenceSpriteStreams();
  std::uint32_t StartChannelSound(int channel, std::uint16_t id, const format::SoundInfo& info) override;
  void SetChannelLevels(int channel, const player::ChannelLevels& levels) override;
  void StopChannelSound(int channel, std::uint16_t id) override;
  double InstanceMilliseconds(std::uint32_t handle) const override;

  // Starts the event sounds of a main timeline frame that ran before this object
  // listened (the first frame, shown as the movie loads).
  void StartFrameSounds(int frame);

  // True when the main timeline carries a stream.
  bool HasStream() const { return mainStream_ != nullptr; }
  // Plays the main stream from `frame` on, in the order the timeline plays its frames
  // (back to the first after the last when `loop`).
  void RestartStream(int frame, bool loop);
  void StopStream();
  void SetStreamLoop(bool loop);
  // How far the picture has moved on in order since the stream (re)started.
  void SetPictureProgress(std::int64_t frames) {
    if (mainStream_) mainStream_->SetPictureProgress(frames);
  }
  bool StreamRunning() const { return mainStream_ && mainStream_->Running(); }
  // Tops the main stream's queue up (the device's thread feeds it too).
  void FeedStream();
  // How many frames the main stream has been heard to move on since it (re)started,
  // given the frames the device still holds.
  std::int64_t HeardStreamFrames(std::size_t deviceQueued);
  // The last heard count with the part of the frame being heard.
  double HeardStreamPosition() const { return mainStream_ ? mainStream_->HeardPosition() : 0; }

  std::size_t CachedFrames() const { return cachedFrames_; }

 private:
  SoundSamples Decoded(std::uint16_t id);
  // The mixer's key for this movie's sound or stream `id`.
  int Key(int id) const { return scope_ << 16 | id; }
  void EndSpriteStream(const format::SpriteDefinition* sprite);
  int SpriteStreamKey(const format::SpriteDefinition* sprite);
  struct SpriteStream;
  SpriteStream* OpenSpriteStream(const format::SpriteDefinition* sprite, const Tag& head);
  SpriteStream* SpriteStreamFor(const format::SpriteDefinition* sprite);

  std::shared_ptr<const Movie> movie_;
  SoundMixer& mixer_;
  Mp3Codec* codec_;
  int scope_ = 0;
  // The hosts of loaded movies (scopes 1 and up, numbered on), silenced with this one.
  int lastScope_ = 0;
  std::vector<std::weak_ptr<MovieSound>> loaded_;
  int volume_ = 100;

  std::unordered_map<std::uint16_t, Tag> definitions_;
  std::unordered_map<std::uint16_t, SoundSamples> cache_;
  std::list<std::uint16_t> recentlyUsed_;  // most recent first
  std::size_t cachedFrames_ = 0;

  std::unique_ptr<MainStream> mainStream_;
  std::vector<std::int16_t> scratch_;
  std::unordered_map<std::uint16_t, Tag> buttonSounds_;  // DefineButtonSound by button

  struct SpriteStream {
    int key = 0;
    format::StreamHead head;
    std::unique_ptr<SoundConverter> converter;
  };
  std::map<const format::SpriteDefinition*, SpriteStream> spriteStreams_;
  std::map<const format::SpriteDefinition*, std::weak_ptr<void>> spriteTokens_;
  // Tokens reach this object only while it lives.
  std::shared_ptr<MovieSound*> self_ = std::make_shared<MovieSound*>(this);
};

}  // namespace tavelin::swf::audio
