#pragma once
// MP3 decoding through the system's audio compression manager: a stream opened from
// MPEG layer III to 16-bit PCM of the same rate and channels.

#include "platform/mp3_decoder.h"

namespace tavelin::win32 {

class AcmMp3Codec : public Mp3Codec {
 public:
  std::unique_ptr<Mp3Decoder> Open(int sampleRate, int channels) override;
};

}  // namespace tavelin::win32
