#pragma once
// What scripts' Sound objects keep between calls: the volume and pan of each channel
// (the movie as a whole, or one clip shared by every Sound object made on it), the
// lengths of the movie's sounds, and the Sound objects whose sound is playing, which
// are told onSoundComplete when it ends.

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "swf/avm1/interpreter.h"
#include "swf/player/sound_host.h"

namespace tavelin::swf::avm1 {

// A channel's settings as scripts see them: percentages.
struct SoundChannel {
  int id = 0;  // the sound host's channel; 0 for the movie as a whole
  double volume = 100;
  double pan = 0;
  double leftToLeft = 100, leftToRight = 0, rightToRight = 100, rightToLeft = 0;

  player::ChannelLevels Levels() const;
};

class SoundObjects {
 public:
  // The channel of the clip (created at 100 % on first use); the movie's for null.
  SoundChannel& ChannelOf(player::ClipAnchor* clip);
  // Milliseconds the sound lasts; 0 for an id that defines no sound.
  double DurationOf(Interpreter& vm, std::uint16_t id);

  void Playing(Object* sound);
  void Finished(Object* sound);
  const std::vector<Object*>& PlayingNow() const { return playing_; }
  void Roots(std::vector<Cell*>& roots) const;

 private:
  SoundChannel movie_;
  std::unordered_map<player::ClipAnchor*, std::pair<std::weak_ptr<player::ClipAnchor>, SoundChannel>> clips_;
  int nextChannel_ = 1;
  std::unordered_map<std::uint16_t, double> durations_;
  bool durationsRead_ = false;
  std::vector<Object*> playing_;
};

// Tells the Sound objects whose sound has ended (onSoundComplete); call once a frame.
void PollSounds(Interpreter& vm);
// Every sound was stopped: no Sound object's sound is playing any more (and none hears
// onSoundComplete for it).
void AllSoundsStopped(Interpreter& vm);

}  // namespace tavelin::swf::avm1
