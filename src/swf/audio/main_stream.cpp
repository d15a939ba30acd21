#include "swf/audio/main_stream.h"

#include <algorithm>

namespace tavelin::swf::audio {
namespace {

// A block that decodes to more than this many output frames is cut there (a damaged
// or hostile count must not queue minutes of sound for one frame).
constexpr std::size_t kMaxBlockFrames = kOutputRate * 2;
// Frames fed in one go at most, however short they are.
constexpr int kMaxFramesPerFeed = 1000;

}  // namespace

MainStream::MainStream(std::shared_ptr<const Movie> movie, format::StreamHead head, std::vector<std::optional<Tag>> blocks,
                       std::vector<bool> horizons, SoundMixer& mixer, Mp3Codec* codec)
    : movie_(std::move(movie)), head_(head), blocks_(std::move(blocks)), horizons_(std::move(horizons)), mixer_(mixer),
      codec_(codec) {
  horizons_.resize(blocks_.size(), false);
}

void MainStream::Restart(int frame, bool loop) {
  loop_ = loop;
  running_ = true;
  pictureProgress_ = 0;
  {
    std::lock_guard lock(commandMutex_);
    command_ = Command{true, std::clamp(frame, 0, std::max(static_cast<int>(blocks_.size()) - 1, 0))};
    commandWaiting_ = true;
  }
  mixer_.ClearStream(kMixerKey);  // what was queued falls silent at once
  lastHeard_ = 0;
  lastPosition_ = 0;
  TryFeed();
}

void MainStream::Stop() {
  running_ = false;
  {
    std::lock_guard lock(commandMutex_);
    command_ = Command{false, 0};
    commandWaiting_ = true;
  }
  mixer_.ClearStream(kMixerKey);
  lastHeard_ = 0;
  TryFeed();
}

void MainStream::TryFeed() {
  std::unique_lock lock(feedMutex_, std::try_to_lock);
  if (lock) FeedLocked();
}

void MainStream::Supply() {
  std::lock_guard lock(feedMutex_);
  FeedLocked();
}

void MainStream::ApplyCommandLocked() {
  std::optional<Command> command;
  {
    std::lock_guard lock(commandMutex_);
    command.swap(command_);
    commandWaiting_ = false;
  }
  if (!command) return;
  // Anything queued from the old position between the request and now goes too.
  mixer_.ClearStream(kMixerKey);
  feeding_ = command->restart;
  if (!feeding_) return;
  converter_ = std::make_unique<SoundConverter>(head_.encoding, codec_);
  feedFrame_ = command->frame;
  silenceCarry_ = 0;
  fed_ = 0;
  framesFed_ = 0;
  horizonFed_ = -1;
  frameStarts_.clear();
  firstFrameIndex_ = 0;
}

void MainStream::FeedLocked() {
  for (int i = 0; i < kMaxFramesPerFeed; ++i) {
    if (commandWaiting_) ApplyCommandLocked();
    if (!feeding_ || feedFrame_ < 0 || blocks_.empty()) return;
    if (mixer_.Stream(kMixerKey).queued >= kLead) return;
    if (horizonFed_ >= 0 && pictureProgress_ < horizonFed_) return;  // waits for the picture to pass it
    FeedFrameLocked();
  }
}

void MainStream::FeedFrameLocked() {
  scratch_.clear();
  if (const auto& block = blocks_[static_cast<std::size_t>(feedFrame_)]) {
    std::span<const std::uint8_t> data = movie_->TagBody(*block);
    // MP3 blocks open with their frame count and a seek.
    if (head_.encoding.coding == static_cast<std::uint8_t>(format::SoundCoding::kMp3)) {
      data = data.size() >= 4 ? data.subspan(4) : std::span<const std::uint8_t>{};
    }
    converter_->Convert(data, head_.samplesPerBlock, kMaxBlockFrames, scratch_);
  }
  // A frame without a block (or whose block holds nothing) lasts one frame interval of
  // silence, so the sound's clock keeps the movie's pace through it.
  const double rate = movie_->FrameRate() > 0 ? std::min(movie_->FrameRate(), 1000.0) : 12.0;
  silenceCarry_ += kOutputRate / rate;
  const auto interval = static_cast<std::size_t>(silenceCarry_);
  silenceCarry_ -= static_cast<double>(interval);
  if (scratch_.empty()) scratch_.assign(interval * 2, 0);

  frameStarts_.push_back(fed_);
  fed_ += mixer_.QueueStream(kMixerKey, scratch_);
  if (horizons_[static_cast<std::size_t>(feedFrame_)]) horizonFed_ = framesFed_;
  ++framesFed_;

  const int last = static_cast<int>(blocks_.size()) - 1;
  if (feedFrame_ < last) {
    ++feedFrame_;
  } else if (loop_) {
    feedFrame_ = 0;
  } else {
    feedFrame_ = -1;  // the movie stops on its last frame; so does the stream
  }
}

std::int64_t MainStream::HeardFrames(std::size_t deviceQueued) {
  std::unique_lock lock(feedMutex_, std::try_to_lock);
  if (!lock || !running_ || commandWaiting_) return lastHeard_;
  if (frameStarts_.empty()) return 0;
  const std::uint64_t mixed = mixer_.Stream(kMixerKey).mixed;
  const std::uint64_t heard = mixed > deviceQueued ? mixed - deviceQueued : 0;
  while (frameStarts_.size() > 1 && frameStarts_[1] <= heard) {
    frameStarts_.pop_front();
    ++firstFrameIndex_;
  }
  lastHeard_ = firstFrameIndex_;
  double part = 0;
  if (frameStarts_.size() > 1 && heard >= frameStarts_[0]) {
    part = double(heard - frameStarts_[0]) / double(std::max<std::uint64_t>(frameStarts_[1] - frameStarts_[0], 1));
  }
  lastPosition_ = double(firstFrameIndex_) + std::min(part, 1.0);
  return firstFrameIndex_;
}

}  // namespace tavelin::swf::audio
