#include "swf/audio/movie_sound.h"

#include <gtest/gtest.h>

#include "support/swf_writer.h"
#include "swf/audio/mp3_frames.h"

namespace tavelin::swf::audio {
namespace {

using testing::SwfWriter;

// An MPEG-2 layer III frame header: 22,050 Hz stereo at 64 kbit/s (208 bytes a frame).
std::vector<std::uint8_t> Mp3Frames(int count) {
  std::vector<std::uint8_t> frames;
  for (int i = 0; i < count; ++i) {
    std::vector<std::uint8_t> frame(208, 0);
    frame[0] = 0xFF;
    frame[1] = 0xF3;
    frame[2] = 0x80;
    frames.insert(frames.end(), frame.begin(), frame.end());
  }
  return frames;
}

// Decodes each whole frame to 576 frames of 500 on both sides, and remembers how it was
// opened.
class FakeMp3Codec : public Mp3Codec {
 public:
  int openedRate = 0, openedChannels = 0;
  std::unique_ptr<Mp3Decoder> Open(int sampleRate, int channels) override {
    openedRate = sampleRate;
    openedChannels = channels;
    struct Decoder : Mp3Decoder {
      void Decode(std::span<const std::uint8_t> frames, std::vector<std::int16_t>& samples) override {
        for (std::size_t at = 0; at < frames.size();) {
          const auto header = ReadMp3FrameHeader(frames.subspan(at));
          if (!header || at + header->length > frames.size()) break;
          samples.insert(samples.end(), std::size_t{576} * 2, 500);
          at += header->length;
        }
      }
    };
    return std::make_unique<Decoder>();
  }
};

TEST(MovieSound, Mp3SoundsAndStreamsGoThroughTheCodecAtTheirFramesRate) {
  std::vector<std::uint8_t> definition{0, 0};  // the seek count, then the frames
  const std::vector<std::uint8_t> frames = Mp3Frames(2);
  definition.insert(definition.end(), frames.begin(), frames.end());
  std::vector<std::uint8_t> block{0x40, 0x02, 0, 0};  // frame count and seek, then a frame
  const std::vector<std::uint8_t> one = Mp3Frames(1);
  block.insert(block.end(), one.begin(), one.end());

  SwfWriter writer;
  writer.SoundStreamHead({2, 2, true, true}, 576)
      .DefineSound(4, {2, 3, true, false}, 1152, definition)  // the tag's rate and channels are wrong
      .SoundStreamBlock(block)
      .ShowFrame();
  const auto bytes = writer.Bytes();
  auto movie = std::make_shared<const Movie>(LoadMovie(bytes));

  SoundMixer mixer;
  FakeMp3Codec codec;
  MovieSound sound(movie, mixer, &codec);
  sound.StartSound(4, format::SoundInfo{});
  EXPECT_EQ(codec.openedRate, 22050);
  EXPECT_EQ(codec.openedChannels, 2);
  std::vector<std::int16_t> out(2 * 4000);
  mixer.Fill(out);
  // 1,152 frames at 22,050 Hz last 2,304 output frames.
  EXPECT_EQ(out[2 * 1000], 500);
  EXPECT_EQ(out[2 * 2290 + 1], 500);
  EXPECT_EQ(out[2 * 2400], 0);

  // The stream's block decodes past its own counts: one frame of 500 is queued, twice as
  // long at the output rate, before any silence.
  ASSERT_TRUE(sound.HasStream());
  sound.RestartStream(0, false);
  const SoundMixer::StreamState queued = mixer.Stream(0);
  EXPECT_NEAR(double(queued.queued), 1152, 2);
  mixer.Fill(out);
  EXPECT_EQ(out[2 * 600], 500);

  // Without a codec the same sound plays as silence of its length.
  SoundMixer quiet;
  MovieSound silent(movie, quiet, nullptr);
  silent.StartSound(4, format::SoundInfo{});
  EXPECT_TRUE(quiet.SoundPlaying(4));
  quiet.Fill(out);
  EXPECT_EQ(out[2 * 1000], 0);
}

}  // namespace
}  // namespace tavelin::swf::audio
