#include "swf/audio/resampler.h"

#include <algorithm>

#include "platform/sound_output.h"

namespace tavelin::swf::audio {

Resampler::Resampler(int rate, int channels)
    : step_((std::uint64_t(std::clamp(rate, 1000, 192000)) << 32) / kOutputRate), channels_(channels == 2 ? 2 : 1) {}

void Resampler::Reset() {
  phase_ = 0;
  primed_ = false;
}

void Resampler::Convert(std::span<const std::int16_t> samples, std::vector<std::int16_t>& stereo) {
  const std::size_t frames = samples.size() / channels_;
  if (frames == 0) return;
  const auto left = [&](std::size_t i) { return std::int32_t{samples[i * channels_]}; };
  const auto right = [&](std::size_t i) { return std::int32_t{samples[i * channels_ + channels_ - 1]}; };
  constexpr std::uint64_t kOne = std::uint64_t{1} << 32;
  if (step_ == kOne) {  // already at the output rate: copied, mono on both sides
    stereo.reserve(stereo.size() + frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
      stereo.push_back(static_cast<std::int16_t>(left(i)));
      stereo.push_back(static_cast<std::int16_t>(right(i)));
    }
    return;
  }
  if (!primed_) {  // the first output frame is the first input frame
    heldLeft_ = left(0);
    heldRight_ = right(0);
    phase_ = kOne;
    primed_ = true;
  }
  // Position p (32.32) counts input frames from the held one: frame i of this piece
  // lies at i + 1. An output frame at p needs the frames at floor(p) and floor(p) + 1.
  const std::uint64_t end = std::uint64_t{frames} << 32;
  stereo.reserve(stereo.size() + static_cast<std::size_t>((end - std::min(end, phase_)) / step_ + 1) * 2);
  std::uint64_t p = phase_;
  for (; p < end; p += step_) {
    const std::size_t i = static_cast<std::size_t>(p >> 32);
    const auto f = static_cast<std::int32_t>((p & (kOne - 1)) >> 17);  // 15-bit fraction
    const std::int32_t l0 = i == 0 ? heldLeft_ : left(i - 1), r0 = i == 0 ? heldRight_ : right(i - 1);
    const std::int32_t l1 = left(i), r1 = right(i);
    stereo.push_back(static_cast<std::int16_t>(l0 + (((l1 - l0) * f) >> 15)));
    stereo.push_back(static_cast<std::int16_t>(r0 + (((r1 - r0) * f) >> 15)));
  }
  phase_ = p - end;
  heldLeft_ = left(frames - 1);
  heldRight_ = right(frames - 1);
}

}  // namespace tavelin::swf::audio
