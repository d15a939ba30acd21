#include <gtest/gtest.h>

#include <numeric>

#include "support/swf_bits.h"
#include "swf/audio/pcm_decoder.h"
#include "swf/audio/resampler.h"
#include "swf/audio/sound_converter.h"
#include "swf/format/reader.h"
#include "swf/format/sound_decoder.h"

namespace tavelin::swf::audio {
namespace {

using testing::swf_bits::BitWriter;

// One mono packet: code size, first sample 1000 at step index 0, then `codes`.
std::vector<std::uint8_t> MonoPacket(int bits, const std::vector<std::uint32_t>& codes) {
  BitWriter writer;
  writer.Unsigned(bits - 2, 2);
  writer.Signed(1000, 16);
  writer.Unsigned(0, 6);
  for (std::uint32_t code : codes) writer.Unsigned(code, bits);
  return writer.Take();
}

std::vector<std::int16_t> Adpcm(const std::vector<std::uint8_t>& data, bool stereo, std::size_t maxFrames = 100000) {
  std::vector<std::int16_t> samples;
  DecodeAdpcm(data, stereo, maxFrames, samples);
  return samples;
}

TEST(SoundDecoding, AdpcmFollowsTheStepTableForEveryCodeSize) {
  // Worked by hand from step 7 at index 0: the top bit is the sign, the magnitude bits
  // weigh step, step/2, ... and half the lowest weight is always added.
  // (The sound's frame count ends decoding; the bits that pad the last byte are not
  // told from codes.)
  EXPECT_EQ(Adpcm(MonoPacket(2, {0b01, 0b11, 0b00}), false, 4), (std::vector<std::int16_t>{1000, 1010, 997, 1002}));
  EXPECT_EQ(Adpcm(MonoPacket(3, {0b011, 0b101}), false, 3), (std::vector<std::int16_t>{1000, 1011, 1004}));
  EXPECT_EQ(Adpcm(MonoPacket(4, {0b0111, 0b1000}), false, 3), (std::vector<std::int16_t>{1000, 1011, 1009}));
  EXPECT_EQ(Adpcm(MonoPacket(5, {0b01111, 0b11000}), false, 3), (std::vector<std::int16_t>{1000, 1011, 975}));

  // Stereo packets interleave the channels, each with its own first sample and index.
  BitWriter stereo;
  stereo.Unsigned(2, 2);  // 4 bits
  stereo.Signed(-500, 16);
  stereo.Unsigned(0, 6);
  stereo.Signed(32760, 16);
  stereo.Unsigned(88, 6);  // the largest step: the sum saturates
  stereo.Unsigned(0b0111, 4);
  stereo.Unsigned(0b0111, 4);
  EXPECT_EQ(Adpcm(stereo.Take(), true), (std::vector<std::int16_t>{-500, 32760, -489, 32767}));

  // A second packet starts over from its own header after 4,096 frames.
  BitWriter twoPackets;
  twoPackets.Unsigned(0, 2);
  for (int packet = 0; packet < 2; ++packet) {
    twoPackets.Signed(packet == 0 ? 100 : -100, 16);
    twoPackets.Unsigned(0, 6);
    for (int i = 1; i < 4096; ++i) twoPackets.Unsigned(0b00, 2);
  }
  const std::vector<std::int16_t> both = Adpcm(twoPackets.Take(), false);
  ASSERT_EQ(both.size(), 8192u);
  EXPECT_EQ(both[4096], -100);

  // The frame limit and data cut short both end decoding cleanly.
  EXPECT_EQ(Adpcm(MonoPacket(4, {1, 2, 3, 4, 5}), false, 2).size(), 2u);
  EXPECT_EQ(Adpcm({0x40}, false).size(), 0u);
  EXPECT_EQ(Adpcm({}, true).size(), 0u);
}

TEST(SoundDecoding, UncompressedSamplesInEverySizeAndByteOrder) {
  std::vector<std::int16_t> samples;
  DecodePcm(std::vector<std::uint8_t>{0, 128, 255}, false, false, false, 100, samples);
  EXPECT_EQ(samples, (std::vector<std::int16_t>{-32768, 0, 32512}));

  samples.clear();
  DecodePcm(std::vector<std::uint8_t>{0x34, 0x12, 0xFE, 0xFF}, true, false, false, 100, samples);
  EXPECT_EQ(samples, (std::vector<std::int16_t>{0x1234, -2}));
  samples.clear();
  DecodePcm(std::vector<std::uint8_t>{0x34, 0x12, 0xFE, 0xFF}, true, false, true, 100, samples);
  EXPECT_EQ(samples, (std::vector<std::int16_t>{0x3412, -257}));

  // Stereo keeps whole frames only, and no more than asked.
  samples.clear();
  DecodePcm(std::vector<std::uint8_t>{1, 0, 2, 0, 3, 0}, true, true, false, 100, samples);
  EXPECT_EQ(samples, (std::vector<std::int16_t>{1, 2}));
  samples.clear();
  DecodePcm(std::vector<std::uint8_t>(100, 128), false, false, false, 7, samples);
  EXPECT_EQ(samples.size(), 7u);

  // Both uncompressed codings are read little-endian.
  const std::vector<std::uint8_t> data{0x10, 0x00, 0x20, 0x00};
  for (std::uint8_t coding : {0, 3}) {
    SoundConverter converter(format::SoundEncoding{coding, 44100, true, false}, nullptr);
    std::vector<std::int16_t> stereo;
    converter.Convert(data, 2, 100, stereo);
    EXPECT_EQ(stereo, (std::vector<std::int16_t>{16, 16, 32, 32})) << int(coding);
  }
  // Codings without a decoder give silence of their length.
  SoundConverter speex(format::SoundEncoding{11, 11025, true, false}, nullptr);
  std::vector<std::int16_t> silence{1};
  speex.Convert(data, 11025, 1000000, silence);
  EXPECT_EQ(silence.size(), 1u + 44100u * 2);
  EXPECT_EQ(std::accumulate(silence.begin() + 1, silence.end(), 0), 0);
}

TEST(SoundDecoding, ResamplingInterpolatesAndJoinsPieces) {
  // 22,050 mono: twice the frames, the new ones halfway between, on both sides.
  Resampler half(22050, 1);
  std::vector<std::int16_t> out;
  half.Convert(std::vector<std::int16_t>{0, 1000, 2000, 3000}, out);
  ASSERT_GE(out.size(), 12u);
  const std::vector<std::int16_t> expected{0, 0, 500, 500, 1000, 1000, 1500, 1500, 2000, 2000, 2500, 2500};
  EXPECT_EQ(std::vector<std::int16_t>(out.begin(), out.begin() + 12), expected);

  // A stream converted piece by piece gives what the whole gives.
  std::vector<std::int16_t> ramp(2000);
  for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<std::int16_t>(i * 7 % 3001 - 1500);
  for (int rate : {5512, 11025, 22050, 48000}) {
    Resampler whole(rate, 2), pieces(rate, 2);
    std::vector<std::int16_t> a, b;
    whole.Convert(ramp, a);
    pieces.Convert(std::span<const std::int16_t>(ramp).first(602), b);
    pieces.Convert(std::span<const std::int16_t>(ramp).subspan(602), b);
    EXPECT_EQ(a, b) << rate;
    // About 44,100 / rate output frames for each input frame; the last input frame
    // waits for the next piece.
    EXPECT_NEAR(double(a.size()) / 2, 1000.0 * 44100 / rate, 44100.0 / rate + 1) << rate;
  }
  // At the output rate samples pass unchanged.
  Resampler same(44100, 2);
  std::vector<std::int16_t> copied;
  same.Convert(ramp, copied);
  EXPECT_EQ(copied, ramp);
}

TEST(SoundDecoding, SoundTagsReadEveryField) {
  const std::vector<std::uint8_t> define{0x07, 0x00, 0x3E, 0x10, 0x00, 0x00, 0x00, 0xAA};
  const format::SoundDefinition definition = format::DecodeDefineSound(define);
  EXPECT_EQ(definition.id, 7);
  EXPECT_EQ(definition.encoding.coding, 3);
  EXPECT_EQ(definition.encoding.rate, 44100);
  EXPECT_TRUE(definition.encoding.sixteenBit);
  EXPECT_FALSE(definition.encoding.stereo);
  EXPECT_EQ(definition.sampleCount, 16u);
  EXPECT_EQ(definition.data.size(), 1u);

  const std::vector<std::uint8_t> start{0x02, 0x00, 0x3F, 1, 0, 0, 0, 9, 0, 0, 0, 3, 0, 1, 10, 0, 0, 0, 0x00, 0x40, 0x00, 0x80};
  const format::StartSound decoded = format::DecodeStartSound(start, 1);
  EXPECT_EQ(decoded.soundId, 2);
  EXPECT_TRUE(decoded.info.stop);
  EXPECT_TRUE(decoded.info.noMultiple);
  EXPECT_EQ(decoded.info.inPoint, 1u);
  EXPECT_EQ(decoded.info.outPoint, 9u);
  EXPECT_EQ(decoded.info.loops, 3);
  ASSERT_EQ(decoded.info.envelope.size(), 1u);
  EXPECT_EQ(decoded.info.envelope[0].position, 10u);
  EXPECT_EQ(decoded.info.envelope[0].left, 0x4000);
  EXPECT_EQ(decoded.info.envelope[0].right, 0x8000);

  // Envelope points beyond the body are refused, not read past it.
  std::vector<std::uint8_t> cut(start.begin(), start.end() - 3);
  EXPECT_THROW(format::DecodeStartSound(cut, 1), format::DecodeError);
  EXPECT_THROW(format::DecodeDefineSound(std::vector<std::uint8_t>{1, 0, 0}), format::DecodeError);
}

}  // namespace
}  // namespace tavelin::swf::audio
