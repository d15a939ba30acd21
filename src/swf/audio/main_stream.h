#pragma once
// The main timeline's stream: read from the movie frame by frame in playing order and
// queued in the mixer up to half a second ahead of what the device has taken.
//
// The device's thread keeps it fed (the mixer asks before each buffer), so a busy
// interface thread never lets the device run dry. The interface thread restarts and
// stops the stream by leaving a command that the feeding applies; it never waits for a
// frame to be decoded: it feeds (or reads the clock) only when the feeding is free.
//
// A frame whose script may stop the timeline or send it elsewhere is a horizon: the
// frames after it are queued only once the picture has reached it and gone on, so a
// movie that stops at a play button is not heard playing past the button.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/mp3_decoder.h"
#include "swf/audio/sound_converter.h"
#include "swf/audio/sound_mixer.h"
#include "swf/movie.h"

namespace tavelin::swf::audio {

class MainStream : public StreamSupplier {
 public:
  // How far ahead of the mixer the stream is kept queued, in output frames.
  static constexpr std::size_t kLead = kOutputRate / 2;
  static constexpr int kMixerKey = 0;

  // `blocks` holds each frame's block tag (or none), `horizons` the frames whose
  // scripts may change the timeline's course; the mixer must outlive this.
  MainStream(std::shared_ptr<const Movie> movie, format::StreamHead head, std::vector<std::optional<Tag>> blocks,
             std::vector<bool> horizons, SoundMixer& mixer, Mp3Codec* codec);

  // Interface thread. Plays from `frame` on, in the order the timeline plays its frames
  // (back to the first after the last when `loop`).
  void Restart(int frame, bool loop);
  void Stop();
  void SetLoop(bool loop) { loop_ = loop; }
  // The picture has moved on `frames` frames in order since the (re)start, its scripts
  // run and the timeline still playing.
  void SetPictureProgress(std::int64_t frames) { pictureProgress_ = frames; }
  bool Running() const { return running_; }
  // Tops the queue up when the device's thread is not feeding it right now.
  void TryFeed();
  // How many timeline frames have been heard since the (re)start, given the frames the
  // device still holds; the last known count while the feeding is busy.
  std::int64_t HeardFrames(std::size_t deviceQueued);
  // The same clock with the part of the frame being heard, as of the last HeardFrames.
  double HeardPosition() const { return lastPosition_; }

  // The device's thread, before each buffer.
  void Supply() override;

 private:
  struct Command {
    bool restart = false;
    int frame = 0;
  };
  void FeedLocked();  // with feedMutex_ held
  void ApplyCommandLocked();
  void FeedFrameLocked();

  std::shared_ptr<const Movie> movie_;
  format::StreamHead head_;
  std::vector<std::optional<Tag>> blocks_;
  std::vector<bool> horizons_;
  SoundMixer& mixer_;
  Mp3Codec* codec_;

  std::atomic<bool> running_{false};  // as the interface thread last asked
  std::atomic<bool> loop_{true};
  std::atomic<std::int64_t> pictureProgress_{0};

  std::mutex commandMutex_;  // held only to copy a command
  std::optional<Command> command_;
  std::atomic<bool> commandWaiting_{false};

  // The feeding's state, behind feedMutex_.
  std::mutex feedMutex_;
  std::unique_ptr<SoundConverter> converter_;
  bool feeding_ = false;
  int feedFrame_ = 0;
  double silenceCarry_ = 0;
  std::uint64_t fed_ = 0;                  // output frames queued since the restart
  std::int64_t framesFed_ = 0;             // timeline frames queued since the restart
  std::int64_t horizonFed_ = -1;           // the count before the last horizon frame fed
  std::deque<std::uint64_t> frameStarts_;  // where each fed timeline frame begins
  std::int64_t firstFrameIndex_ = 0;       // the count of frames before frameStarts_[0]
  std::vector<std::int16_t> scratch_;
  std::atomic<std::int64_t> lastHeard_{0};
  std::atomic<double> lastPosition_{0};
};

}  // namespace tavelin::swf::audio
