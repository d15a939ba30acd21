#include "playback/movie_control/movie_audio.h"

#include <algorithm>

namespace tavelin {

MovieAudio::~MovieAudio() {
  // The device's thread stops pulling from the mixer before the mixer goes.
  if (output_) output_->Stop();
  sound_.reset();
}

void MovieAudio::Attach(SoundOutput* output, Mp3Codec* codec) {
  if (output_ && output_ != output) output_->Stop();
  output_ = output;
  codec_ = codec;
}

void MovieAudio::StartOutput() {
  if (!output_ || output_->Running()) return;
  try {
    output_->Start(mixer_);
  } catch (...) {
    // No device: the movie plays without sound, on the wall clock.
  }
}

void MovieAudio::Load(std::shared_ptr<const swf::Movie> movie, swf::player::Player& player, bool loop, bool scripted) {
  sound_.reset();  // ends the previous movie's sound
  scripted_ = scripted;
  mixer_.SetMovieVolume(100);
  sound_ = std::make_unique<swf::audio::MovieSound>(std::move(movie), mixer_, codec_);
  player.SetSoundHost(sound_.get());
  StartOutput();
  sound_->StartFrameSounds(0);
  Play(0, loop);
}

void MovieAudio::Unload() {
  sound_.reset();
  paced_ = false;
  if (output_) output_->Stop();
}

void MovieAudio::Play(int frame, bool loop) {
  loop_ = loop;
  paced_ = false;
  if (!sound_ || !sound_->HasStream()) return;
  StartOutput();
  sound_->RestartStream(frame, loop);
  followedFrame_ = frame;
  followedSteps_ = 0;
  pictureFrames_ = 0;
  lastHeard_ = 0;
  stalledSeconds_ = 0;
  paced_ = true;
}

void MovieAudio::Stop() {
  paced_ = false;
  if (!sound_) return;
  sound_->StopStream();
  sound_->SilenceSpriteStreams();
  mixer_.StopSounds();
}

void MovieAudio::FollowMainTimeline(int frame, bool playing, int lastFrame) {
  if (!sound_ || !sound_->HasStream()) return;
  const int before = followedFrame_;
  followedFrame_ = frame;
  if (!playing) {
    if (sound_->StreamRunning()) {
      sound_->StopStream();  // event sounds play on, as they do when a script stops
      paced_ = false;
    }
    return;
  }
  const bool inOrder = before >= 0 && (frame == before || frame == before + 1 || (frame == 0 && before == lastFrame));
  if (!sound_->StreamRunning() || !inOrder) {
    Play(frame, loop_);
    return;
  }
  if (frame != before) sound_->SetPictureProgress(++followedSteps_);
}

void MovieAudio::SetLoop(bool loop) {
  loop_ = loop;
  if (sound_) sound_->SetStreamLoop(loop);
}

std::optional<long> MovieAudio::PacedSteps(double seconds, long maxSteps) {
  if (!sound_ || !sound_->StreamRunning() || !output_ || !output_->Running()) return std::nullopt;
  // The stream goes on even when the wall clock has taken over the picture.
  sound_->FeedStream();
  if (!paced_) return std::nullopt;
  const std::int64_t heard = sound_->HeardStreamFrames(output_->QueuedFrames());
  if (heard != lastHeard_) {
    lastHeard_ = heard;
    stalledSeconds_ = 0;
  } else {
    stalledSeconds_ += std::max(seconds, 0.0);
    if (stalledSeconds_ > kStallSeconds) {
      paced_ = false;  // the device stopped taking sound: the wall clock takes over
      return std::nullopt;
    }
  }
  const std::int64_t before = pictureFrames_;
  if (heard > pictureFrames_) {
    pictureFrames_ += std::min<std::int64_t>(heard - pictureFrames_, std::max(maxSteps, 1L));
  }  // else the picture is early: it waits
  // Without scripts nothing changes the timeline's course: the picture's progress is
  // the paced steps (with them, FollowMainTimeline reports it once a frame's scripts ran).
  if (!scripted_) sound_->SetPictureProgress(pictureFrames_);
  if (trace_) trace_(sound_->HeardStreamPosition(), before, pictureFrames_);
  return static_cast<long>(pictureFrames_ - before);
}

}  // namespace tavelin
