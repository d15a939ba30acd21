#include "swf/audio/sound_converter.h"

#include <algorithm>

#include "swf/audio/mp3_frames.h"
#include "swf/audio/pcm_decoder.h"

namespace tavelin::swf::audio {
namespace {

using format::SoundCoding;

bool Is(const format::SoundEncoding& encoding, SoundCoding coding) {
  return encoding.coding == static_cast<std::uint8_t>(coding);
}

}  // namespace

SoundConverter::SoundConverter(const format::SoundEncoding& encoding, Mp3Codec* codec)
    : encoding_(encoding), codec_(codec), resampler_(encoding.rate, encoding.Channels()) {}

SoundConverter::~SoundConverter() = default;

void SoundConverter::Silence(std::size_t frames, std::size_t maxOutputFrames, std::vector<std::int16_t>& stereo) const {
  const std::size_t rate = static_cast<std::size_t>(std::max(encoding_.rate, 1));
  const std::size_t output = std::min<std::size_t>(std::min(frames, kMaxSoundFrames) * kOutputRate / rate, maxOutputFrames);
  stereo.insert(stereo.end(), output * 2, 0);
}

void SoundConverter::Convert(std::span<const std::uint8_t> data, std::size_t frames, std::size_t maxOutputFrames,
                             std::vector<std::int16_t>& stereo) {
  scratch_.clear();
  // Input frames that make at most maxOutputFrames output frames, and a little more
  // for the interpolation.
  const std::size_t inputLimit =
      std::min<std::size_t>(maxOutputFrames, kMaxSoundFrames) * static_cast<std::size_t>(std::max(encoding_.rate, 1)) / kOutputRate + 2;
  if (Is(encoding_, SoundCoding::kPcm) || Is(encoding_, SoundCoding::kPcmLittleEndian)) {
    DecodePcm(data, encoding_.sixteenBit, encoding_.stereo, false, inputLimit, scratch_);
  } else if (Is(encoding_, SoundCoding::kAdpcm)) {
    DecodeAdpcm(data, encoding_.stereo, inputLimit, scratch_);
  } else if (Is(encoding_, SoundCoding::kMp3) && codec_ && !mp3Failed_) {
    if (!mp3_) {
      const auto first = FindMp3Frame(data);
      if (!first) {
        Silence(frames, maxOutputFrames, stereo);
        return;
      }
      try {
        mp3_ = codec_->Open(first->second.sampleRate, first->second.channels);
        resampler_ = Resampler(first->second.sampleRate, first->second.channels);
      } catch (...) {
        mp3Failed_ = true;
        Silence(frames, maxOutputFrames, stereo);
        return;
      }
    }
    mp3_->Decode(data, scratch_);
    if (scratch_.size() > inputLimit * 2) scratch_.resize(inputLimit * 2);
  } else {
    Silence(frames, maxOutputFrames, stereo);
    return;
  }
  const std::size_t before = stereo.size();
  resampler_.Convert(scratch_, stereo);
  if ((stereo.size() - before) / 2 > maxOutputFrames) stereo.resize(before + maxOutputFrames * 2);
}

}  // namespace tavelin::swf::audio
