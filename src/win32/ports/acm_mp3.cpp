#include "win32/ports/acm_mp3.h"

#include "win32/windows_api.h"

#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstring>

#include "platform/failure.h"

namespace tavelin::win32 {
namespace {

constexpr const char* kNoCodec = "系统中没有可用的 MP3 解码器";
// Bytes handed to one conversion; the codec keeps what starts a frame it cannot finish.
constexpr std::size_t kChunkBytes = 16384;
// Input held back waiting for the rest of a frame, at most; more is junk.
constexpr std::size_t kMaxPendingBytes = 65536;

class AcmMp3Decoder : public Mp3Decoder {
 public:
  AcmMp3Decoder(int sampleRate, int channels) : channels_(channels) {
    MPEGLAYER3WAVEFORMAT source{};
    source.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
    source.wfx.nChannels = static_cast<WORD>(channels);
    source.wfx.nSamplesPerSec = static_cast<DWORD>(sampleRate);
    source.wfx.nAvgBytesPerSec = 16000;
    source.wfx.nBlockAlign = 1;
    source.wfx.wBitsPerSample = 0;
    source.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
    source.wID = MPEGLAYER3_ID_MPEG;
    source.fdwFlags = MPEGLAYER3_FLAG_PADDING_ISO;
    source.nBlockSize = static_cast<WORD>(sampleRate >= 32000 ? 1152 * 16000 / sampleRate : 576 * 16000 / sampleRate);
    source.nFramesPerBlock = 1;
    source.nCodecDelay = 0;

    WAVEFORMATEX pcm{};
    pcm.wFormatTag = WAVE_FORMAT_PCM;
    pcm.nChannels = static_cast<WORD>(channels);
    pcm.nSamplesPerSec = static_cast<DWORD>(sampleRate);
    pcm.wBitsPerSample = 16;
    pcm.nBlockAlign = static_cast<WORD>(channels * 2);
    pcm.nAvgBytesPerSec = pcm.nSamplesPerSec * pcm.nBlockAlign;
    if (acmStreamOpen(&stream_, nullptr, &source.wfx, &pcm, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) != MMSYSERR_NOERROR) {
      throw Failure(kNoCodec);
    }
    output_.resize(kChunkBytes * 64);
  }
  ~AcmMp3Decoder() override { acmStreamClose(stream_, 0); }

  void Decode(std::span<const std::uint8_t> frames, std::vector<std::int16_t>& samples) override {
    pending_.insert(pending_.end(), frames.begin(), frames.end());
    std::size_t offset = 0;
    while (offset < pending_.size()) {
      const std::size_t chunk = std::min(kChunkBytes, pending_.size() - offset);
      ACMSTREAMHEADER header{};
      header.cbStruct = sizeof header;
      header.pbSrc = pending_.data() + offset;
      header.cbSrcLength = static_cast<DWORD>(chunk);
      header.pbDst = output_.data();
      header.cbDstLength = static_cast<DWORD>(output_.size());
      if (acmStreamPrepareHeader(stream_, &header, 0) != MMSYSERR_NOERROR) break;
      const MMRESULT result = acmStreamConvert(stream_, &header, ACM_STREAMCONVERTF_BLOCKALIGN);
      acmStreamUnprepareHeader(stream_, &header, 0);
      if (result != MMSYSERR_NOERROR) break;
      const auto* pcm = reinterpret_cast<const std::int16_t*>(output_.data());
      samples.insert(samples.end(), pcm, pcm + header.cbDstLengthUsed / 2);
      if (header.cbSrcLengthUsed == 0) break;
      offset += header.cbSrcLengthUsed;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(offset));
    if (pending_.size() > kMaxPendingBytes) pending_.clear();
  }

 private:
  HACMSTREAM stream_ = nullptr;
  int channels_;
  std::vector<std::uint8_t> pending_;
  std::vector<std::uint8_t> output_;
};

}  // namespace

std::unique_ptr<Mp3Decoder> AcmMp3Codec::Open(int sampleRate, int channels) {
  if (sampleRate <= 0 || (channels != 1 && channels != 2)) throw Failure(kNoCodec);
  return std::make_unique<AcmMp3Decoder>(sampleRate, channels);
}

}  // namespace tavelin::win32
