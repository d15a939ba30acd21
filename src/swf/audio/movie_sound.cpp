#include "swf/audio/movie_sound.h"

#include <algorithm>
#include <cmath>

#include "swf/format/reader.h"

namespace tavelin::swf::audio {
namespace {

namespace code = tag_code;
constexpr int kMainStream = 0;
// A block that decodes to more than this many output frames is cut there (a damaged
// or hostile count must not queue minutes of sound for one frame).
constexpr std::size_t kMaxBlockFrames = kOutputRate * 2;
// Frames fed in one call at most, however short they are.
constexpr int kMaxFramesPerFeed = 1000;

bool IsMp3(const format::SoundEncoding& encoding) {
  return encoding.coding == static_cast<std::uint8_t>(format::SoundCoding::kMp3);
}

// A stream block's samples: MP3 blocks open with their frame count and a seek.
std::span<const std::uint8_t> BlockData(std::span<const std::uint8_t> body, const format::StreamHead& head) {
  if (!IsMp3(head.encoding)) return body;
  return body.size() >= 4 ? body.subspan(4) : std::span<const std::uint8_t>{};
}

}  // namespace

MovieSound::MovieSound(std::shared_ptr<const Movie> movie, SoundMixer& mixer, Mp3Codec* codec)
    : movie_(std::move(movie)), mixer_(mixer), codec_(codec) {
  // Definitions live on the main timeline; knowing them all up front lets a script
  // start any sound, and a jump back need not pass over the frame that defined it.
  const int frames = movie_->FrameCount();
  streamBlocks_.resize(static_cast<std::size_t>(frames));
  bool anyBlock = false;
  for (int frame = 0; frame < frames; ++frame) {
    for (const Tag& tag : movie_->FrameTags(frame)) {
      try {
        if (tag.code == code::kDefineSound) {
          const format::SoundDefinition definition = format::DecodeDefineSound(movie_->TagBody(tag));
          definitions_.emplace(definition.id, tag);
        } else if ((tag.code == code::kSoundStreamHead || tag.code == code::kSoundStreamHead2) && !streamHead_) {
          streamHead_ = format::DecodeSoundStreamHead(movie_->TagBody(tag));
        } else if (tag.code == code::kSoundStreamBlock && !streamBlocks_[static_cast<std::size_t>(frame)]) {
          streamBlocks_[static_cast<std::size_t>(frame)] = tag;
          anyBlock = true;
        }
      } catch (const format::DecodeError&) {
        // A damaged sound tag is left out; the rest of the movie plays.
      }
    }
  }
  if (!anyBlock) streamHead_.reset();
}

MovieSound::~MovieSound() { mixer_.StopAll(); }

void MovieSound::OnSoundTag(const Tag& tag, const format::SpriteDefinition* sprite, int /*frame*/) {
  try {
    switch (tag.code) {
      case code::kStartSound: {
        const format::StartSound start = format::DecodeStartSound(movie_->TagBody(tag), 1);
        StartSound(start.soundId, start.info);
        return;
      }
      case code::kSoundStreamHead:
      case code::kSoundStreamHead2: {
        if (!sprite) return;  // the main timeline's stream is read ahead instead
        const int key = SpriteStreamKey(sprite);
        if (key < 0) return;
        SpriteStream& stream = spriteStreams_[sprite];
        stream.head = format::DecodeSoundStreamHead(movie_->TagBody(tag));
        stream.converter = std::make_unique<SoundConverter>(stream.head.encoding, codec_);
        return;
      }
      case code::kSoundStreamBlock: {
        if (!sprite) return;
        const auto found = spriteStreams_.find(sprite);
        if (found == spriteStreams_.end() || !found->second.converter) return;
        SpriteStream& stream = found->second;
        scratch_.clear();
        stream.converter->Convert(BlockData(movie_->TagBody(tag), stream.head), stream.head.samplesPerBlock,
                                  kMaxBlockFrames, scratch_);
        mixer_.QueueStream(stream.key, scratch_);
        return;
      }
      default:
        // Definitions were read up front; named starts and button sounds are for
        // scripts and buttons to ask for.
        return;
    }
  } catch (const format::DecodeError&) {
    // A damaged tag makes no sound.
  }
}

void MovieSound::StartFrameSounds(int frame) {
  for (const Tag& tag : movie_->FrameTags(frame)) {
    if (tag.code == code::kStartSound) OnSoundTag(tag, nullptr, frame);
  }
}

int MovieSound::SpriteStreamKey(const format::SpriteDefinition* sprite) {
  const auto found = spriteStreams_.find(sprite);
  if (found != spriteStreams_.end()) return found->second.key;
  if (spriteStreams_.size() + 1 >= SoundMixer::kMaxStreams) return -1;
  const int key = static_cast<int>(spriteStreams_.size()) + 1;
  spriteStreams_[sprite].key = key;
  return key;
}

SoundSamples MovieSound::Decoded(std::uint16_t id) {
  if (const auto hit = cache_.find(id); hit != cache_.end()) {
    recentlyUsed_.remove(id);
    recentlyUsed_.push_front(id);
    return hit->second;
  }
  const auto definitionTag = definitions_.find(id);
  if (definitionTag == definitions_.end()) return nullptr;
  const format::SoundDefinition definition = format::DecodeDefineSound(movie_->TagBody(definitionTag->second));

  auto samples = std::make_shared<std::vector<std::int16_t>>();
  SoundConverter converter(definition.encoding, codec_);
  std::span<const std::uint8_t> data = definition.data;
  std::size_t limit = kMaxSoundFrames;
  if (IsMp3(definition.encoding)) {
    data = data.size() >= 2 ? data.subspan(2) : std::span<const std::uint8_t>{};  // after the seek count
  } else {
    const double frames = std::ceil(double(definition.sampleCount) * kOutputRate / std::max(definition.encoding.rate, 1));
    limit = static_cast<std::size_t>(std::min(frames, double(kMaxSoundFrames)));
  }
  converter.Convert(data, definition.sampleCount, limit, *samples);

  const std::size_t frames = samples->size() / 2;
  while (!recentlyUsed_.empty() && cachedFrames_ + frames > kMaxCachedFrames) {
    const std::uint16_t oldest = recentlyUsed_.back();
    recentlyUsed_.pop_back();
    cachedFrames_ -= cache_[oldest]->size() / 2;
    cache_.erase(oldest);  // an instance still playing keeps its own reference
  }
  SoundSamples shared = std::move(samples);
  if (frames <= kMaxCachedFrames) {
    cache_[id] = shared;
    recentlyUsed_.push_front(id);
    cachedFrames_ += frames;
  }
  return shared;
}

void MovieSound::StartSound(std::uint16_t id, const format::SoundInfo& info) {
  if (info.stop) {
    mixer_.StopSound(id);
    return;
  }
  if (info.noMultiple && mixer_.SoundPlaying(id)) return;  // spares the decoding
  try {
    mixer_.StartSound(id, Decoded(id), info);
  } catch (const format::DecodeError&) {
    // A definition that cannot be read plays nothing.
  }
}

void MovieSound::StopSound(std::uint16_t id) { mixer_.StopSound(id); }

std::uint32_t MovieSound::StartChannelSound(int channel, std::uint16_t id, const format::SoundInfo& info) {
  try {
    return mixer_.StartChannelSound(channel, id, Decoded(id), info);
  } catch (const format::DecodeError&) {
    return 0;
  }
}

void MovieSound::SetChannelLevels(int channel, const player::ChannelLevels& levels) {
  mixer_.SetChannelLevels(channel, levels);
}

void MovieSound::StopChannelSound(int channel, std::uint16_t id) { mixer_.StopChannelSound(channel, id ? id : -1); }

double MovieSound::InstanceMilliseconds(std::uint32_t handle) const {
  const std::int64_t played = mixer_.InstancePlayed(handle);
  return played < 0 ? -1.0 : static_cast<double>(played) * 1000.0 / kOutputRate;
}

void MovieSound::StopAllSounds() {
  mixer_.StopAll();
  spriteStreams_.clear();
  streamRunning_ = false;
}

void MovieSound::SetSoundVolume(int percent) {
  volume_ = std::clamp(percent, 0, 100);
  mixer_.SetMovieVolume(volume_);
}

void MovieSound::RestartStream(int frame, bool loop) {
  mixer_.ClearStream(kMainStream);
  streamRunning_ = false;
  if (!streamHead_) return;
  streamConverter_ = std::make_unique<SoundConverter>(streamHead_->encoding, codec_);
  streamLoop_ = loop;
  feedFrame_ = std::clamp(frame, 0, movie_->FrameCount() - 1);
  silenceCarry_ = 0;
  fed_ = 0;
  frameStarts_.clear();
  firstFrameIndex_ = 0;
  streamRunning_ = true;
  FeedStream();
}

void MovieSound::StopStream() {
  mixer_.ClearStream(kMainStream);
  streamRunning_ = false;
}

void MovieSound::FeedStream() {
  for (int i = 0; i < kMaxFramesPerFeed && streamRunning_ && feedFrame_ >= 0; ++i) {
    if (mixer_.Stream(kMainStream).queued >= kStreamLead) return;
    FeedFrame();
  }
}

void MovieSound::FeedFrame() {
  scratch_.clear();
  if (const auto& block = streamBlocks_[static_cast<std::size_t>(feedFrame_)]) {
    streamConverter_->Convert(BlockData(movie_->TagBody(*block), *streamHead_), streamHead_->samplesPerBlock,
                              kMaxBlockFrames, scratch_);
  }
  // A frame without a block (or whose block holds nothing) lasts one frame interval of
  // silence, so the sound's clock keeps the movie's pace through it.
  const double rate = movie_->FrameRate() > 0 ? std::min(movie_->FrameRate(), 1000.0) : 12.0;
  silenceCarry_ += kOutputRate / rate;
  const auto interval = static_cast<std::size_t>(silenceCarry_);
  silenceCarry_ -= static_cast<double>(interval);
  if (scratch_.empty()) scratch_.assign(interval * 2, 0);

  frameStarts_.push_back(fed_);
  fed_ += mixer_.QueueStream(kMainStream, scratch_);

  const int last = movie_->FrameCount() - 1;
  if (feedFrame_ < last) {
    ++feedFrame_;
  } else if (streamLoop_) {
    feedFrame_ = 0;
  } else {
    feedFrame_ = -1;  // the movie stops on its last frame; so does the stream
  }
}

std::int64_t MovieSound::HeardStreamFrames(std::size_t deviceQueued) {
  if (!streamRunning_ || frameStarts_.empty()) return 0;
  const std::uint64_t mixed = mixer_.Stream(kMainStream).mixed;
  const std::uint64_t heard = mixed > deviceQueued ? mixed - deviceQueued : 0;
  while (frameStarts_.size() > 1 && frameStarts_[1] <= heard) {
    frameStarts_.pop_front();
    ++firstFrameIndex_;
  }
  return firstFrameIndex_;
}

}  // namespace tavelin::swf::audio
