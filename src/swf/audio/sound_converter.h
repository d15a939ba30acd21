#pragma once
// Decodes one sound or one stream of any encoding to the output's 44,100 stereo frames
// a second. Codings the player has no decoder for (Nellymoser, Speex, MP3 without a
// codec, unknown ones) play as silence of their length.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/mp3_decoder.h"
#include "platform/sound_output.h"
#include "swf/audio/resampler.h"
#include "swf/format/sound_decoder.h"

namespace tavelin::swf::audio {

// The longest sound decoded, in output frames (five minutes); what lies beyond is not
// played.
inline constexpr std::size_t kMaxSoundFrames = std::size_t{kOutputRate} * 300;

class SoundConverter {
 public:
  // `codec` may be null.
  SoundConverter(const format::SoundEncoding& encoding, Mp3Codec* codec);
  ~SoundConverter();

  // Appends the output frames of `data`, which holds `frames` frames of the encoding
  // (used for silence when the coding cannot be decoded; 0 when unknown). MP3 data is
  // bare frames, without the tags' leading counts. At most `maxOutputFrames` are added.
  void Convert(std::span<const std::uint8_t> data, std::size_t frames, std::size_t maxOutputFrames,
               std::vector<std::int16_t>& stereo);

 private:
  void Silence(std::size_t frames, std::size_t maxOutputFrames, std::vector<std::int16_t>& stereo) const;

  format::SoundEncoding encoding_;
  Mp3Codec* codec_;
  std::unique_ptr<Mp3Decoder> mp3_;
  bool mp3Failed_ = false;
  Resampler resampler_;
  std::vector<std::int16_t> scratch_;
};

}  // namespace tavelin::swf::audio
