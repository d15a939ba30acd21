#include "swf/audio/pcm_decoder.h"

#include <algorithm>
#include <array>

namespace tavelin::swf::audio {
namespace {

constexpr std::array<std::int16_t, 89> kStepSizes = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

// How the step index moves for each magnitude, one table per code size (2 to 5 bits).
constexpr std::int8_t kIndexMoves2[] = {-1, 2};
constexpr std::int8_t kIndexMoves3[] = {-1, -1, 2, 4};
constexpr std::int8_t kIndexMoves4[] = {-1, -1, -1, -1, 2, 4, 6, 8};
constexpr std::int8_t kIndexMoves5[] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};
constexpr const std::int8_t* kIndexMoves[] = {kIndexMoves2, kIndexMoves3, kIndexMoves4, kIndexMoves5};

constexpr int kFramesPerPacket = 4096;

// Reads bit fields most significant bit first; reports when the data runs out.
class BitSource {
 public:
  explicit BitSource(std::span<const std::uint8_t> data) : data_(data) {}
  std::size_t BitsLeft() const { return data_.size() * 8 - position_; }
  std::uint32_t Read(int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
      const std::uint8_t byte = data_[position_ >> 3];
      value = (value << 1) | ((byte >> (7 - (position_ & 7))) & 1u);
      ++position_;
    }
    return value;
  }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t position_ = 0;
};

struct ChannelState {
  int sample = 0;
  int index = 0;

  std::int16_t Step(std::uint32_t code, int bits) {
    const std::uint32_t signBit = 1u << (bits - 1);
    const int step = kStepSizes[index];
    // The magnitude's bits weigh step, step/2, step/4, ... from the highest down, plus
    // half the lowest weight to round.
    int difference = step >> (bits - 1);
    for (int bit = bits - 2; bit >= 0; --bit) {
      if (code & (1u << bit)) difference += step >> (bits - 2 - bit);
    }
    sample = std::clamp(code & signBit ? sample - difference : sample + difference, -32768, 32767);
    index = std::clamp(index + kIndexMoves[bits - 2][code & (signBit - 1)], 0, 88);
    return static_cast<std::int16_t>(sample);
  }
};

}  // namespace

void DecodePcm(std::span<const std::uint8_t> data, bool sixteenBit, bool stereo, bool bigEndian, std::size_t maxFrames,
               std::vector<std::int16_t>& samples) {
  const std::size_t channels = stereo ? 2 : 1;
  const std::size_t bytesPerSample = sixteenBit ? 2 : 1;
  const std::size_t frames = std::min(maxFrames, data.size() / (channels * bytesPerSample));
  const std::size_t count = frames * channels;
  samples.reserve(samples.size() + count);
  for (std::size_t i = 0; i < count; ++i) {
    if (!sixteenBit) {
      samples.push_back(static_cast<std::int16_t>((data[i] - 128) * 256));
      continue;
    }
    const std::uint8_t first = data[2 * i], second = data[2 * i + 1];
    const auto value = static_cast<std::uint16_t>(bigEndian ? first << 8 | second : second << 8 | first);
    samples.push_back(static_cast<std::int16_t>(value));
  }
}

void DecodeAdpcm(std::span<const std::uint8_t> data, bool stereo, std::size_t maxFrames, std::vector<std::int16_t>& samples) {
  BitSource bits(data);
  if (bits.BitsLeft() < 2) return;
  const int codeBits = static_cast<int>(bits.Read(2)) + 2;
  const int channels = stereo ? 2 : 1;
  const std::size_t headerBits = static_cast<std::size_t>(22 * channels);
  const std::size_t frameBits = static_cast<std::size_t>(codeBits * channels);

  std::size_t frames = 0;
  ChannelState state[2];
  while (frames < maxFrames && bits.BitsLeft() >= headerBits) {
    for (int c = 0; c < channels; ++c) {
      state[c].sample = static_cast<std::int16_t>(bits.Read(16));
      state[c].index = static_cast<int>(bits.Read(6)) & 0x7F;
      state[c].index = std::min(state[c].index, 88);
      samples.push_back(static_cast<std::int16_t>(state[c].sample));
    }
    ++frames;
    for (int i = 1; i < kFramesPerPacket && frames < maxFrames && bits.BitsLeft() >= frameBits; ++i, ++frames) {
      for (int c = 0; c < channels; ++c) samples.push_back(state[c].Step(bits.Read(codeBits), codeBits));
    }
  }
}

}  // namespace tavelin::swf::audio
