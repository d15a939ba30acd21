#pragma once
// The movie control's sound: one mixer feeding the sound output, the playing movie's
// sound, and the pacing of the picture by the sound's clock while the main timeline
// streams sound.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/mp3_decoder.h"
#include "platform/sound_output.h"
#include "swf/audio/movie_sound.h"
#include "swf/audio/sound_mixer.h"
#include "swf/movie.h"
#include "swf/player/player.h"

namespace tavelin {

class MovieAudio {
 public:
  // Seconds the sound's clock may stand still while the movie streams sound before the
  // picture goes back to the wall clock (a device that stopped playing).
  static constexpr double kStallSeconds = 1.0;

  MovieAudio() = default;
  ~MovieAudio();
  MovieAudio(const MovieAudio&) = delete;
  MovieAudio& operator=(const MovieAudio&) = delete;

  // Where sound goes; either may be null (no sound, or MP3 plays silent). Both must
  // outlive this object.
  void Attach(SoundOutput* output, Mp3Codec* codec);

  // A movie was loaded into `player` (which then sends its sound here) and starts
  // playing on frame 0. The previous movie's sound ends. With `scripted`, the movie's
  // scripts run and FollowMainTimeline reports where they leave the main timeline.
  void Load(std::shared_ptr<const swf::Movie> movie, swf::player::Player& player, bool loop, bool scripted);
  void Unload();
  // The movie started playing at `frame` (it was stopped).
  void Play(int frame, bool loop);
  // The movie stopped: its stream pauses and its event sounds fall silent.
  void Stop();
  void SetLoop(bool loop);
  // Where a movie's scripts left the main timeline after each frame or event: the
  // stream pauses while the timeline stands stopped (at a play button, say), starts
  // again where it plays on, and follows a jump to another frame. `lastFrame` is the
  // timeline's last frame, after which it comes round to the first.
  void FollowMainTimeline(int frame, bool playing, int lastFrame);

  // While the sound paces the picture: the frames the picture moves on by now (0 when
  // it is early and waits), at most `maxSteps`. Nothing when the wall clock paces it.
  std::optional<long> PacedSteps(double seconds, long maxSteps);
  // True while the sound's clock paces the picture.
  bool Paced() const { return paced_; }

  // For measuring: called on every tick paced by the sound with the stream's position
  // heard (frames since it started, with the part of the frame) and the frames the
  // picture had moved on before and after the tick. May be empty.
  using SyncTrace = std::function<void(double heard, std::int64_t before, std::int64_t after)>;
  void SetSyncTrace(SyncTrace trace) { trace_ = std::move(trace); }

  swf::audio::SoundMixer& Mixer() { return mixer_; }
  swf::audio::MovieSound* Sound() { return sound_.get(); }

 private:
  void StartOutput();

  swf::audio::SoundMixer mixer_;
  SoundOutput* output_ = nullptr;
  Mp3Codec* codec_ = nullptr;
  std::unique_ptr<swf::audio::MovieSound> sound_;
  bool loop_ = true;
  std::int64_t pictureFrames_ = 0;  // frames the picture moved on since the stream started
  std::int64_t lastHeard_ = 0;
  double stalledSeconds_ = 0;
  bool paced_ = false;
  int followedFrame_ = -1;          // the main timeline's frame when last followed
  std::int64_t followedSteps_ = 0;
  bool scripted_ = false;  // frames it moved on in order since the stream started
  SyncTrace trace_;
};

}  // namespace tavelin
