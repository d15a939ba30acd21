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

  // Button `buttonId` changed state: `transition` 0 from over to up (the pointer left),
  // 1 from up to over, 2 from over to down (pressed), 3 from down to over (released).
  virtual void ButtonTransition(std::uint16_t /*buttonId*/, int /*transition*/) {}
  // What an instance of `sprite` keeps while it lives once its timeline streams sound:
  // the sprite's stream ends when the last instance lets go (may be null).
  virtual std::shared_ptr<void> SpriteStreamToken(const format::SpriteDefinition* /*sprite*/) { return nullptr; }
};

// True for the tags a SoundHost is given.
inline bool IsSoundTag(std::uint16_t code) {
  return code == tag_code::kDefineSound || code == tag_code::kStartSound || code == tag_code::kStartSound2 ||
         code == tag_code::kSoundStreamHead || code == tag_code::kSoundStreamHead2 || code == tag_code::kSoundStreamBlock ||
         code == tag_code::kDefineButtonSound;
}

}  // namespace tavelin::swf::player
