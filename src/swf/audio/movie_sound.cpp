#include "swf/audio/movie_sound.h"

#include <algorithm>
#include <cmath>

#include "swf/format/action_decoder.h"
#include "swf/format/reader.h"

namespace tavelin::swf::audio {
namespace {

namespace code = tag_code;
// A block that decodes to more than this many output frames is cut there (a damaged
// or hostile count must not queue minutes of sound for one frame).
constexpr std::size_t kMaxBlockFrames = kOutputRate * 2;

bool IsMp3(const format::SoundEncoding& encoding) {
  return encoding.coding == static_cast<std::uint8_t>(format::SoundCoding::kMp3);
}

// A stream block's samples: MP3 blocks open with their frame count and a seek.
std::span<const std::uint8_t> BlockData(std::span<const std::uint8_t> body, const format::StreamHead& head) {
  if (!IsMp3(head.encoding)) return body;
  return body.size() >= 4 ? body.subspan(4) : std::span<const std::uint8_t>{};
}

// True when a frame's actions may stop the timeline or send it elsewhere: a stop, a
// go-to, or a call (which may do either). A body that does not read to its end counts.
bool MayChangeCourse(std::span<const std::uint8_t> actions) {
  namespace op = format::action_code;
  std::size_t at = 0;
  while (at < actions.size()) {
    const std::uint8_t action = actions[at++];
    if (action == 0) return false;
    if (action == op::kStop || action == op::kGotoFrame || action == op::kGotoLabel || action == op::kGotoFrame2 ||
        action == op::kCallFunction || action == op::kCallMethod) {
      return true;
    }
    if (action >= 0x80) {
      if (at + 2 > actions.size()) return true;
      at += 2 + (actions[at] | std::size_t{actions[at + 1]} << 8);
    }
  }
  return false;
}

}  // namespace

MovieSound::MovieSound(std::shared_ptr<const Movie> movie, SoundMixer& mixer, Mp3Codec* codec)
    : MovieSound(std::move(movie), mixer, codec, 0) {}

MovieSound::MovieSound(std::shared_ptr<const Movie> movie, SoundMixer& mixer, Mp3Codec* codec, int scope)
    : movie_(std::move(movie)), mixer_(mixer), codec_(codec), scope_(scope) {
  // Definitions live on the main timeline; knowing them all up front lets a script
  // start any sound, and a jump back need not pass over the frame that defined it.
  const int frames = movie_->FrameCount();
  std::optional<format::StreamHead> streamHead;
  std::vector<std::optional<Tag>> streamBlocks(static_cast<std::size_t>(frames));
  std::vector<bool> horizons(static_cast<std::size_t>(frames), false);
  bool anyBlock = false;
  for (int frame = 0; frame < frames; ++frame) {
    for (const Tag& tag : movie_->FrameTags(frame)) {
      try {
        if (tag.code == code::kDoAction) {
          if (MayChangeCourse(movie_->TagBody(tag))) horizons[static_cast<std::size_t>(frame)] = true;
        } else if (tag.code == code::kDefineSound) {
          const format::SoundDefinition definition = format::DecodeDefineSound(movie_->TagBody(tag));
          definitions_.emplace(definition.id, tag);
        } else if (tag.code == code::kDefineButtonSound) {
          format::Reader reader(movie_->TagBody(tag));
          buttonSounds_.emplace(reader.U16(), tag);
        } else if ((tag.code == code::kSoundStreamHead || tag.code == code::kSoundStreamHead2) && !streamHead) {
          streamHead = format::DecodeSoundStreamHead(movie_->TagBody(tag));
        } else if (tag.code == code::kSoundStreamBlock && !streamBlocks[static_cast<std::size_t>(frame)]) {
          streamBlocks[static_cast<std::size_t>(frame)] = tag;
          anyBlock = true;
        }
      } catch (const format::DecodeError&) {
        // A damaged sound tag is left out; the rest of the movie plays.
      }
    }
  }
  if (streamHead && anyBlock && scope_ == 0) {
    mainStream_ = std::make_unique<MainStream>(movie_, *streamHead, std::move(streamBlocks), std::move(horizons), mixer_,
                                               codec_);
    mixer_.SetSupplier(mainStream_.get());
  }
}

MovieSound::~MovieSound() {
  if (scope_ != 0) {
    mixer_.EndKeys(Key(0), Key(0) + 0x10000);
    return;
  }
  mixer_.SetSupplier(nullptr);  // waits for the device's thread to finish feeding
  mixer_.StopAll();
}

std::shared_ptr<player::SoundHost> MovieSound::ForLoadedMovie(std::shared_ptr<const Movie> movie) {
  if (!movie) return nullptr;
  std::erase_if(loaded_, [](const std::weak_ptr<MovieSound>& host) { return host.expired(); });
  lastScope_ = lastScope_ >= 0x7FFE ? 1 : lastScope_ + 1;
  auto host = std::make_shared<MovieSound>(std::move(movie), mixer_, codec_, lastScope_);
  host->SetSoundVolume(volume_);
  loaded_.push_back(host);
  return host;
}

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
        if (!sprite && scope_ == 0) return;  // the main timeline's stream is read ahead instead
        OpenSpriteStream(sprite, tag);
        return;
      }
      case code::kSoundStreamBlock: {
        if (!sprite && scope_ == 0) return;
        SpriteStream* stream = SpriteStreamFor(sprite);
        if (!stream) return;
        scratch_.clear();
        stream->converter->Convert(BlockData(movie_->TagBody(tag), stream->head), stream->head.samplesPerBlock,
                                   kMaxBlockFrames, scratch_);
        mixer_.QueueStream(stream->key, scratch_);
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

MovieSound::SpriteStream* MovieSound::OpenSpriteStream(const format::SpriteDefinition* sprite, const Tag& head) {
  const int key = SpriteStreamKey(sprite);
  if (key < 0) return nullptr;
  SpriteStream& stream = spriteStreams_[sprite];
  stream.head = format::DecodeSoundStreamHead(movie_->TagBody(head));
  stream.converter = std::make_unique<SoundConverter>(stream.head.encoding, codec_);
  return &stream;
}

MovieSound::SpriteStream* MovieSound::SpriteStreamFor(const format::SpriteDefinition* sprite) {
  const auto found = spriteStreams_.find(sprite);
  if (found != spriteStreams_.end() && found->second.converter) return &found->second;
  // An instance whose head ran before this object listened (placed on the movie's
  // first frame), or a new instance after the last one ended: the sprite's own head
  // (null: a loaded movie's main timeline).
  const int frames = sprite ? sprite->FrameCount() : movie_->FrameCount();
  for (int frame = 0; frame < frames; ++frame) {
    for (const Tag& tag : sprite ? sprite->FrameTags(frame) : movie_->FrameTags(frame)) {
      if (tag.code == code::kSoundStreamHead || tag.code == code::kSoundStreamHead2) return OpenSpriteStream(sprite, tag);
    }
  }
  return nullptr;
}

int MovieSound::SpriteStreamKey(const format::SpriteDefinition* sprite) {
  const auto found = spriteStreams_.find(sprite);
  if (found != spriteStreams_.end()) return found->second.key;
  if (spriteStreams_.size() + 1 >= SoundMixer::kMaxStreams) return -1;
  const int key = Key(static_cast<int>(spriteStreams_.size()) + 1);
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
    mixer_.StopSound(Key(id));
    return;
  }
  if (info.noMultiple && mixer_.SoundPlaying(Key(id))) return;  // spares the decoding
  try {
    mixer_.StartSound(Key(id), Decoded(id), info);
  } catch (const format::DecodeError&) {
    // A definition that cannot be read plays nothing.
  }
}

void MovieSound::StopSound(std::uint16_t id) { mixer_.StopSound(Key(id)); }

std::uint32_t MovieSound::StartChannelSound(int channel, std::uint16_t id, const format::SoundInfo& info) {
  try {
    return mixer_.StartChannelSound(channel, Key(id), Decoded(id), info);
  } catch (const format::DecodeError&) {
    return 0;
  }
}

void MovieSound::SetChannelLevels(int channel, const player::ChannelLevels& levels) {
  mixer_.SetChannelLevels(channel, levels);
}

void MovieSound::StopChannelSound(int channel, std::uint16_t id) { mixer_.StopChannelSound(channel, id ? Key(id) : -1); }

double MovieSound::InstanceMilliseconds(std::uint32_t handle) const {
  const std::int64_t played = mixer_.InstancePlayed(handle);
  return played < 0 ? -1.0 : static_cast<double>(played) * 1000.0 / kOutputRate;
}

void MovieSound::StopAllSounds() {
  mixer_.StopSounds();
  SilenceSpriteStreams();
  StopStream();
}

void MovieSound::SetSoundVolume(int percent) {
  volume_ = std::clamp(percent, 0, 100);
  if (scope_ == 0) mixer_.SetMovieVolume(volume_);
}

void MovieSound::RestartStream(int frame, bool loop) {
  if (mainStream_) mainStream_->Restart(frame, loop);
}

void MovieSound::StopStream() {
  if (mainStream_) mainStream_->Stop();
}

void MovieSound::SetStreamLoop(bool loop) {
  if (mainStream_) mainStream_->SetLoop(loop);
}

void MovieSound::FeedStream() {
  if (mainStream_) mainStream_->TryFeed();
}

std::int64_t MovieSound::HeardStreamFrames(std::size_t deviceQueued) {
  return mainStream_ ? mainStream_->HeardFrames(deviceQueued) : 0;
}

void MovieSound::ButtonTransition(std::uint16_t buttonId, int transition) {
  const auto found = buttonSounds_.find(buttonId);
  if (found == buttonSounds_.end() || transition < 0 || transition > 3) return;
  try {
    // The button's id, then for each change a sound id and, when it is not 0, how the
    // sound plays.
    format::Reader reader(movie_->TagBody(found->second));
    reader.U16();
    for (int i = 0; i <= transition; ++i) {
      const std::uint16_t sound = reader.U16();
      if (sound == 0) {
        if (i == transition) return;
        continue;
      }
      const format::SoundInfo info = format::DecodeSoundInfo(reader);
      if (i == transition) StartSound(sound, info);
    }
  } catch (const format::DecodeError&) {
    // A damaged list of button sounds plays nothing.
  }
}

std::shared_ptr<void> MovieSound::SpriteStreamToken(const format::SpriteDefinition* sprite) {
  std::weak_ptr<void>& known = spriteTokens_[sprite];
  if (auto token = known.lock()) return token;
  struct Life {
    Life(std::weak_ptr<MovieSound*> o, const format::SpriteDefinition* s) : owner(std::move(o)), sprite(s) {}
    Life(const Life&) = delete;
    Life& operator=(const Life&) = delete;
    ~Life() {
      if (const auto sound = owner.lock()) (*sound)->EndSpriteStream(sprite);
    }
    std::weak_ptr<MovieSound*> owner;
    const format::SpriteDefinition* sprite;
  };
  auto token = std::make_shared<Life>(self_, sprite);
  known = token;
  return token;
}

void MovieSound::EndSpriteStream(const format::SpriteDefinition* sprite) {
  const auto found = spriteStreams_.find(sprite);
  if (found == spriteStreams_.end()) return;
  mixer_.ClearStream(found->second.key);
  found->second.converter.reset();  // blocks wait for the next instance's head
}

void MovieSound::SilenceSpriteStreams() {
  for (const auto& [sprite, stream] : spriteStreams_) mixer_.ClearStream(stream.key);
  for (const auto& host : loaded_) {
    if (const auto loaded = host.lock()) loaded->SilenceSpriteStreams();
  }
}

}  // namespace tavelin::swf::audio
