#include "swf/audio/sound_mixer.h"

#include <algorithm>

namespace tavelin::swf::audio {
namespace {

constexpr std::int32_t kFullLevel = 32768;

std::int16_t Saturate(std::int64_t value) {
  return static_cast<std::int16_t>(std::clamp<std::int64_t>(value, -32768, 32767));
}

// The envelope's levels at frame `t` of an instance; `segment` remembers where the
// last lookup ended, since t only grows.
void EnvelopeLevels(const std::vector<format::EnvelopePoint>& points, std::size_t& segment, std::uint64_t t,
                    std::int32_t& left, std::int32_t& right) {
  while (segment + 1 < points.size() && points[segment + 1].position <= t) ++segment;
  const format::EnvelopePoint& a = points[segment];
  if (t <= a.position || segment + 1 == points.size()) {
    left = a.left;
    right = a.right;
    return;
  }
  const format::EnvelopePoint& b = points[segment + 1];
  const std::int64_t span = b.position - a.position;
  const std::int64_t into = static_cast<std::int64_t>(t - a.position);
  left = static_cast<std::int32_t>(a.left + (std::int64_t{b.left} - a.left) * into / span);
  right = static_cast<std::int32_t>(a.right + (std::int64_t{b.right} - a.right) * into / span);
}

}  // namespace

void SoundMixer::StartSound(int key, SoundSamples samples, const format::SoundInfo& info) {
  std::lock_guard lock(mutex_);
  if (info.stop) {
    std::erase_if(instances_, [key](const Instance& instance) { return instance.key == key; });
    return;
  }
  Instance instance;
  instance.key = key;
  Add(std::move(instance), std::move(samples), info);
}

std::uint32_t SoundMixer::Add(Instance instance, SoundSamples samples, const format::SoundInfo& info) {
  if (!samples) return 0;
  const int key = instance.key;
  if (info.noMultiple &&
      std::any_of(instances_.begin(), instances_.end(), [key](const Instance& other) { return other.key == key; })) {
    return 0;
  }
  const std::size_t frames = samples->size() / 2;
  instance.begin = std::min<std::size_t>(info.inPoint.value_or(0), frames);
  instance.end = std::min<std::size_t>(info.outPoint ? *info.outPoint : frames, frames);
  if (instance.end <= instance.begin) return 0;  // nothing between the points
  instance.position = instance.begin;
  instance.passesLeft = std::max<std::uint32_t>(info.loops, 1);
  instance.envelope = info.envelope;
  instance.samples = std::move(samples);
  instance.handle = nextHandle_++;
  if (nextHandle_ == 0) nextHandle_ = 1;
  if (instances_.size() >= kMaxInstances) instances_.erase(instances_.begin());
  instances_.push_back(std::move(instance));
  return instances_.back().handle;
}

std::uint32_t SoundMixer::StartChannelSound(int channel, int key, SoundSamples samples, const format::SoundInfo& info) {
  std::lock_guard lock(mutex_);
  Instance instance;
  instance.key = key;
  instance.channel = channel;
  return Add(std::move(instance), std::move(samples), info);
}

void SoundMixer::SetChannelLevels(int channel, const player::ChannelLevels& levels) {
  const auto fixed = [](double gain) { return static_cast<std::int32_t>(std::clamp(gain, 0.0, 1.0) * kFullLevel + 0.5); };
  std::lock_guard lock(mutex_);
  if (levels == player::ChannelLevels{}) {
    channels_.erase(channel);
    return;
  }
  channels_[channel] = {fixed(levels.leftToLeft), fixed(levels.rightToLeft), fixed(levels.leftToRight),
                        fixed(levels.rightToRight)};
}

void SoundMixer::StopChannelSound(int channel, int key) {
  std::lock_guard lock(mutex_);
  std::erase_if(instances_, [&](const Instance& instance) {
    return instance.channel == channel && (key < 0 || instance.key == key);
  });
}

std::int64_t SoundMixer::InstancePlayed(std::uint32_t handle) const {
  std::lock_guard lock(mutex_);
  for (const Instance& instance : instances_) {
    if (instance.handle == handle) return static_cast<std::int64_t>(instance.played);
  }
  return -1;
}

void SoundMixer::StopSound(int key) {
  std::lock_guard lock(mutex_);
  std::erase_if(instances_, [key](const Instance& instance) { return instance.key == key; });
}

void SoundMixer::StopSounds() {
  std::lock_guard lock(mutex_);
  instances_.clear();
}

bool SoundMixer::SoundPlaying(int key) const {
  std::lock_guard lock(mutex_);
  return std::any_of(instances_.begin(), instances_.end(), [key](const Instance& instance) { return instance.key == key; });
}

std::size_t SoundMixer::InstanceCount() const {
  std::lock_guard lock(mutex_);
  return instances_.size();
}

std::size_t SoundMixer::QueueStream(int key, std::span<const std::int16_t> stereo) {
  std::lock_guard lock(mutex_);
  if (!streams_.contains(key) && streams_.size() >= kMaxStreams) return 0;
  StreamQueue& stream = streams_[key];
  if (stream.read > 0 && stream.read * 2 >= stream.samples.size()) {
    stream.samples.erase(stream.samples.begin(), stream.samples.begin() + static_cast<std::ptrdiff_t>(stream.read));
    stream.read = 0;
  }
  const std::size_t queued = (stream.samples.size() - stream.read) / 2;
  const std::size_t taken = std::min(stereo.size() / 2, kMaxStreamFrames - std::min(queued, kMaxStreamFrames));
  stream.samples.insert(stream.samples.end(), stereo.begin(), stereo.begin() + static_cast<std::ptrdiff_t>(taken * 2));
  return taken;
}

void SoundMixer::ClearStream(int key) {
  std::lock_guard lock(mutex_);
  streams_.erase(key);
}

SoundMixer::StreamState SoundMixer::Stream(int key) const {
  std::lock_guard lock(mutex_);
  const auto found = streams_.find(key);
  if (found == streams_.end()) return {};
  return {(found->second.samples.size() - found->second.read) / 2, found->second.mixed};
}

void SoundMixer::StopAll() {
  std::lock_guard lock(mutex_);
  instances_.clear();
  streams_.clear();
}

void SoundMixer::EndKeys(int from, int to) {
  std::lock_guard lock(mutex_);
  const auto inside = [from, to](int key) { return key >= from && key < to; };
  std::erase_if(instances_, [&](const Instance& instance) { return inside(instance.key); });
  std::erase_if(streams_, [&](const auto& entry) { return inside(entry.first); });
}

void SoundMixer::SetVolume(std::uint16_t left, std::uint16_t right) {
  std::lock_guard lock(mutex_);
  volumeLeft_ = left;
  volumeRight_ = right;
  UpdateGains();
}

void SoundMixer::SetMovieVolume(int percent) {
  std::lock_guard lock(mutex_);
  moviePercent_ = std::clamp(percent, 0, 100);
  UpdateGains();
}

void SoundMixer::UpdateGains() {
  const auto gain = [&](std::uint16_t volume) {
    return static_cast<std::int32_t>((std::int64_t{volume} * kFullLevel * moviePercent_ + 65535 * 50) / (65535 * 100));
  };
  gainLeft_ = gain(volumeLeft_);
  gainRight_ = gain(volumeRight_);
}

bool SoundMixer::MixInstance(Instance& instance, std::int32_t* sum, std::size_t frames) {
  const std::int16_t* data = instance.samples->data();
  std::size_t done = 0;
  while (done < frames) {
    if (instance.position >= instance.end) {
      if (--instance.passesLeft == 0) return false;
      instance.position = instance.begin;
    }
    const std::size_t run = std::min(frames - done, instance.end - instance.position);
    const std::int16_t* from = data + instance.position * 2;
    std::int32_t* to = sum + done * 2;
    if (instance.envelope.empty()) {
      for (std::size_t i = 0; i < run * 2; ++i) to[i] += from[i];
    } else {
      for (std::size_t i = 0; i < run; ++i) {
        std::int32_t left = kFullLevel, right = kFullLevel;
        EnvelopeLevels(instance.envelope, instance.segment, instance.played + i, left, right);
        to[2 * i] += (from[2 * i] * left) >> 15;
        to[2 * i + 1] += (from[2 * i + 1] * right) >> 15;
      }
    }
    instance.position += run;
    instance.played += run;
    done += run;
  }
  return true;
}

void SoundMixer::SetSupplier(StreamSupplier* supplier) {
  std::lock_guard lock(supplyMutex_);
  supplier_ = supplier;
}

bool SoundMixer::MixThrough(Instance& instance, const ChannelGains& gains, std::int32_t* sum, std::size_t frames,
                            std::vector<std::int32_t>& scratch) {
  scratch.assign(frames * 2, 0);
  const bool going = MixInstance(instance, scratch.data(), frames);
  for (std::size_t i = 0; i < frames; ++i) {
    const std::int64_t left = scratch[2 * i], right = scratch[2 * i + 1];
    sum[2 * i] += static_cast<std::int32_t>((left * gains.leftToLeft + right * gains.rightToLeft) >> 15);
    sum[2 * i + 1] += static_cast<std::int32_t>((left * gains.leftToRight + right * gains.rightToRight) >> 15);
  }
  return going;
}

void SoundMixer::Fill(std::span<std::int16_t> samples) {
  {
    std::lock_guard supplying(supplyMutex_);
    if (supplier_) supplier_->Supply();
  }
  std::lock_guard lock(mutex_);
  const std::size_t frames = samples.size() / 2;
  sum_.assign(frames * 2, 0);
  std::erase_if(instances_, [&](Instance& instance) {
    const auto channel = channels_.find(instance.channel);
    if (channel == channels_.end()) return !MixInstance(instance, sum_.data(), frames);
    return !MixThrough(instance, channel->second, sum_.data(), frames, channelScratch_);
  });
  for (auto& [key, stream] : streams_) {
    const std::size_t available = (stream.samples.size() - stream.read) / 2;
    const std::size_t count = std::min(available, frames);
    const std::int16_t* from = stream.samples.data() + stream.read;
    for (std::size_t i = 0; i < count * 2; ++i) sum_[i] += from[i];
    stream.read += count * 2;
    stream.mixed += count;
  }
  for (std::size_t i = 0; i < frames; ++i) {
    samples[2 * i] = Saturate((std::int64_t{sum_[2 * i]} * gainLeft_) >> 15);
    samples[2 * i + 1] = Saturate((std::int64_t{sum_[2 * i + 1]} * gainRight_) >> 15);
  }
}

}  // namespace tavelin::swf::audio
