#include <gtest/gtest.h>

#include "win32/windows_api.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/failure.h"
#include "playback/movie_control/engine_movie_control.h"
#include "support/swf_writer.h"
#include "swf/audio/mp3_frames.h"
#include "swf/audio/sound_converter.h"
#include "tone_mp3.h"
#include "win32/ports/acm_mp3.h"
#include "win32/ports/desktop.h"
#include "win32/ports/file_system.h"
#include "win32/ports/wave_output.h"

namespace tavelin::win32 {
namespace {

using testing::kToneMp3;

// Sign changes of a mono signal between `from` and `to`.
int ZeroCrossings(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to) {
  int crossings = 0;
  for (std::size_t i = from + 1; i < to; ++i) crossings += (samples[i - 1] < 0) != (samples[i] < 0);
  return crossings;
}

TEST(SoundPortMp3, AToneDecodesThroughTheSystemCodec) {
  const std::span<const std::uint8_t> tone(kToneMp3);
  const auto first = swf::audio::FindMp3Frame(tone);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->second.sampleRate, 44100);
  EXPECT_EQ(first->second.channels, 1);

  AcmMp3Codec codec;
  const auto decoder = codec.Open(44100, 1);
  std::vector<std::int16_t> samples;
  // Split inside a frame: the decoder keeps the part until the rest arrives.
  decoder->Decode(tone.first(1000), samples);
  decoder->Decode(tone.subspan(1000), samples);
  ASSERT_GT(samples.size(), 10000u);
  EXPECT_LT(samples.size(), 14000u);
  // 8,000 samples of 440 Hz at 44.1 kHz hold 80 periods: 160 sign changes.
  EXPECT_NEAR(ZeroCrossings(samples, 2000, 10000), 160, 6);
  const auto peak = *std::max_element(samples.begin() + 2000, samples.begin() + 10000);
  EXPECT_NEAR(peak, 16000, 2000);

  // The movie's path: a sound of MP3 frames becomes output frames on both sides.
  swf::audio::SoundConverter converter(swf::format::SoundEncoding{2, 44100, true, false}, &codec);
  std::vector<std::int16_t> stereo;
  converter.Convert(tone, 11025, swf::audio::kMaxSoundFrames, stereo);
  EXPECT_NEAR(double(stereo.size()) / 2, double(samples.size()), 2);
  EXPECT_EQ(stereo[2 * 5000], stereo[2 * 5000 + 1]);

  // Frames of a rate the codec cannot take fail with a description.
  EXPECT_THROW(codec.Open(0, 1), Failure);
}

// The longest run of stereo frames equal on both sides and within `low`..`high`.
std::size_t LongestRun(const std::vector<std::int16_t>& samples, int low, int high) {
  std::size_t longest = 0, run = 0;
  for (std::size_t i = 0; i + 1 < samples.size(); i += 2) {
    const bool inside = samples[i] == samples[i + 1] && samples[i] >= low && samples[i] <= high;
    run = inside ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  return longest;
}

std::vector<std::int16_t> ReadCapture(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  std::ifstream file(path, std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  std::vector<std::int16_t> samples(bytes.size() / 2);
  std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

// Plays a movie whose first frame starts half a second of the value 1234 and returns
// what the device wrote.
std::vector<std::int16_t> PlayConstantMovie(const std::string& capture) {
  testing::SwfWriter movie;
  std::vector<std::uint8_t> data;
  for (int i = 0; i < 22050; ++i) data.insert(data.end(), {0xD2, 0x04});
  movie.DefineSound(1, {3, 3, true, false}, 22050, data).StartSound(testing::SoundStartFields{}).ShowFrame();
  Win32FileSystem files;
  WaveOutput output;
  AcmMp3Codec codec;
  {
    EngineMovieControl control(files);
    control.SetSoundOutput(&output, &codec);
    control.LoadMovieData(movie.Bytes(), "constant.swf");
    Sleep(800);
    control.SetMovie("");  // closes the device, which finishes the file
  }
  return ReadCapture(capture);
}

TEST(SoundPortDevice, AMovieSoundReachesTheDeviceAtTheVolumeSet) {
  const char* capture = std::getenv("TAVELIN_SOUND_CAPTURE");
  if (!capture || !*capture || waveOutGetNumDevs() == 0) GTEST_SKIP() << "no capturing sound device";
  Win32Desktop desktop;
  const std::uint32_t original = desktop.GetWaveVolume(0);
  desktop.SetWaveVolume(0, 0xFFFFFFFFu);
  EXPECT_GT(LongestRun(PlayConstantMovie(capture), 1234, 1234), 20000u);

  // The volume bar's setting scales what is played.
  desktop.SetWaveVolume(0, 0x40004000u);
  EXPECT_GT(LongestRun(PlayConstantMovie(capture), 290, 330), 20000u);
  desktop.SetWaveVolume(0, original);
}

}  // namespace
}  // namespace tavelin::win32
