#pragma once
// What the player asks of whatever plays the movie's sound: the sound tags its
// timelines meet, and the starts, stops and volume that scripts ask for. The player
// works without one (the movie is silent).

#include <cstdint>
#include <memory>

#include "swf/format/sound_decoder.h"
#include "swf/format/sprite_decoder.h"
#include "swf/movie.h"

namespace tavelin::swf::player {

// How a channel of script sounds reaches the two outputs: the gains (0 to 1) of the
// sound's left and right sides into the left output and into the right output.
struct ChannelLevels {
  double leftToLeft = 1, rightToLeft = 0, leftToRight = 0, rightToRight = 1;
  bool operator==(const ChannelLevels&) const = default;
};

class SoundHost {
 public:
  virtual ~SoundHost() = default;

  // A sound tag (definition, start, stream head or block) that a timeline meets as it
  // runs `frame`: `sprite` is the sprite's definition, or null for the main timeline.
  virtual void OnSoundTag(const Tag& tag, const format::SpriteDefinition* sprite, int frame) = 0;

  // Starts (or, with info.stop, stops) the sound defined with `id`.
  virtual void StartSound(std::uint16_t id, const format::SoundInfo& info) = 0;
  virtual void StopSound(std::uint16_t id) = 0;
  // Ends every event sound and stream.
  virtual void StopAllSounds() = 0;
  // The movie's own volume over its sounds, 0 to 100 (100 at the start).
  virtual void SetSoundVolume(int percent) = 0;
  virtual int SoundVolume() const = 0;

  // The host of a movie that scripts loaded into this one: its character ids are its
  // own, so its sounds need a host of their own. Null leaves that movie silent.
  virtual std::shared_ptr<SoundHost> ForLoadedMovie(std::shared_ptr<const Movie> /*movie*/) { return nullptr; }
  // Button `buttonId` changed state: `transition` 0 from over to up (the pointer left),
  // 1 from up to over, 2 from over to down (pressed), 3 from down to over (released).
  virtual void ButtonTransition(std::uint16_t /*buttonId*/, int /*transition*/) {}
  // What an instance of `sprite` keeps while it lives once its timeline streams sound:
  // the sprite's stream ends when the last instance lets go (may be null).
  virtual std::shared_ptr<void> SpriteStreamToken(const format::SpriteDefinition* /*sprite*/) { return nullptr; }
  // Sounds that scripts' Sound objects start play on a channel (one per clip whose
  // Sound objects started them; 0 for sounds of the movie as a whole), whose levels
  // scale them while they play. Returns the instance's handle, 0 when the host cannot
  // follow it (the script then times the sound by the movie's clock).
  virtual std::uint32_t StartChannelSound(int channel, std::uint16_t id, const format::SoundInfo& info) {
    (void)channel;
    StartSound(id, info);
    return 0;
  }
  virtual void SetChannelLevels(int channel, const ChannelLevels& levels) {
    (void)channel;
    (void)levels;
  }
  // Stops the channel's instances of sound `id`, or all of them when `id` is 0.
  virtual void StopChannelSound(int channel, std::uint16_t id) {
    (void)channel;
    if (id) StopSound(id);
  }
  // Milliseconds the instance has played since it started (across its loops), or
  // negative once it has ended or is unknown.
  virtual double InstanceMilliseconds(std::uint32_t handle) const {
    (void)handle;
    return -1;
  }
};

// True for the tags a SoundHost is given.
inline bool IsSoundTag(std::uint16_t code) {
  return code == tag_code::kDefineSound || code == tag_code::kStartSound || code == tag_code::kStartSound2 ||
         code == tag_code::kSoundStreamHead || code == tag_code::kSoundStreamHead2 || code == tag_code::kSoundStreamBlock ||
         code == tag_code::kDefineButtonSound;
}

}  // namespace tavelin::swf::player
