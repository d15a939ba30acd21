#include "swf/audio/mp3_frames.h"

#include <algorithm>
#include <utility>

namespace tavelin::swf::audio {

std::optional<Mp3FrameHeader> ReadMp3FrameHeader(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 4) return std::nullopt;
  const std::uint32_t h = std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 | bytes[3];
  if ((h >> 21) != 0x7FF) return std::nullopt;  // frame sync
  const unsigned version = (h >> 19) & 3;        // 0: 2.5, 2: 2, 3: 1
  const unsigned layer = (h >> 17) & 3;          // 1: layer III
  const unsigned bitrateIndex = (h >> 12) & 15;
  const unsigned rateIndex = (h >> 10) & 3;
  if (version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return std::nullopt;

  static constexpr int kBitratesV1[15] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
  static constexpr int kBitratesV2[15] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
  static constexpr int kRatesV1[3] = {44100, 48000, 32000};
  const bool v1 = version == 3;
  const int bitrate = (v1 ? kBitratesV1 : kBitratesV2)[bitrateIndex] * 1000;
  const int rate = kRatesV1[rateIndex] / (v1 ? 1 : version == 2 ? 2 : 4);
  const int padding = static_cast<int>((h >> 9) & 1);

  Mp3FrameHeader header;
  header.sampleRate = rate;
  header.channels = ((h >> 6) & 3) == 3 ? 1 : 2;
  header.frames = v1 ? 1152 : 576;
  header.length = static_cast<std::size_t>((v1 ? 144 : 72) * bitrate / rate + padding);
  return header;
}

std::optional<std::pair<std::size_t, Mp3FrameHeader>> FindMp3Frame(std::span<const std::uint8_t> bytes,
                                                                     std::size_t searchLimit) {
  const std::size_t end = std::min(bytes.size(), searchLimit);
  for (std::size_t offset = 0; offset < end; ++offset) {
    if (bytes[offset] != 0xFF) continue;
    if (auto header = ReadMp3FrameHeader(bytes.subspan(offset))) return std::make_pair(offset, *header);
  }
  return std::nullopt;
}

}  // namespace tavelin::swf::audio
