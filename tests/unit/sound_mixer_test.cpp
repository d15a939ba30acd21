#include "swf/audio/sound_mixer.h"

#include <gtest/gtest.h>

namespace tavelin::swf::audio {
namespace {

// A stereo sound whose frame i holds i on the left and -i on the right.
SoundSamples Counting(int frames) {
  auto samples = std::make_shared<std::vector<std::int16_t>>();
  for (int i = 0; i < frames; ++i) {
    samples->push_back(static_cast<std::int16_t>(i));
    samples->push_back(static_cast<std::int16_t>(-i));
  }
  return samples;
}

SoundSamples Constant(int frames, std::int16_t value) {
  return std::make_shared<std::vector<std::int16_t>>(static_cast<std::size_t>(frames) * 2, value);
}

std::vector<std::int16_t> Mix(SoundMixer& mixer, std::size_t frames) {
  std::vector<std::int16_t> samples(frames * 2, 1234);
  mixer.Fill(samples);
  return samples;
}

TEST(SoundMixer, PassesRepeatThePartBetweenInAndOutPoints) {
  SoundMixer mixer;
  format::SoundInfo info;
  info.inPoint = 10;
  info.outPoint = 14;
  info.loops = 3;
  mixer.StartSound(1, Counting(100), info);
  const std::vector<std::int16_t> out = Mix(mixer, 14);
  std::vector<std::int16_t> left;
  for (std::size_t i = 0; i < out.size(); i += 2) left.push_back(out[i]);
  EXPECT_EQ(left, (std::vector<std::int16_t>{10, 11, 12, 13, 10, 11, 12, 13, 10, 11, 12, 13, 0, 0}));
  EXPECT_EQ(out[3], -11);
  EXPECT_FALSE(mixer.SoundPlaying(1));

  // Points past the end are clamped; an out point before the in point plays nothing.
  info = {};
  info.inPoint = 98;
  info.outPoint = 5000;
  mixer.StartSound(2, Counting(100), info);
  EXPECT_EQ(Mix(mixer, 3), (std::vector<std::int16_t>{98, -98, 99, -99, 0, 0}));
  info.outPoint = 50;
  mixer.StartSound(3, Counting(100), info);
  EXPECT_FALSE(mixer.SoundPlaying(3));
  // No loops given, or 0, is one pass, across any number of fills.
  info = {};
  info.loops = 0;
  mixer.StartSound(4, Counting(5), info);
  EXPECT_EQ(Mix(mixer, 3)[4], 2);
  EXPECT_EQ(Mix(mixer, 3), (std::vector<std::int16_t>{3, -3, 4, -4, 0, 0}));
}

TEST(SoundMixer, EnvelopeScalesEachSideBetweenItsPoints) {
  SoundMixer mixer;
  format::SoundInfo info;
  info.envelope = {{100, 0, 32768}, {200, 32768, 0}};
  info.loops = 2;
  mixer.StartSound(1, Constant(150, 16384), info);
  const std::vector<std::int16_t> out = Mix(mixer, 300);
  EXPECT_EQ(out[0], 0);  // before the first point its levels hold
  EXPECT_EQ(out[1], 16384);
  EXPECT_EQ(out[2 * 150], 8192);  // halfway, across the start of the second pass
  EXPECT_EQ(out[2 * 150 + 1], 8192);
  EXPECT_EQ(out[2 * 250], 16384);  // after the last point its levels hold
  EXPECT_EQ(out[2 * 250 + 1], 0);
}

TEST(SoundMixer, StartsStopsAndSaturates) {
  SoundMixer mixer;
  format::SoundInfo once;
  mixer.StartSound(1, Constant(10, 1000), once);
  mixer.StartSound(1, Constant(10, 1000), once);
  format::SoundInfo noMultiple;
  noMultiple.noMultiple = true;
  mixer.StartSound(1, Constant(10, 1000), noMultiple);  // already playing: ignored
  EXPECT_EQ(Mix(mixer, 1)[0], 2000);

  format::SoundInfo stop;
  stop.stop = true;
  mixer.StartSound(1, nullptr, stop);
  EXPECT_EQ(Mix(mixer, 1)[0], 0);
  mixer.StartSound(1, Constant(10, 1000), noMultiple);  // nothing plays now: starts
  EXPECT_EQ(Mix(mixer, 1)[0], 1000);
  mixer.StopSounds();

  // Loud sounds add up to the limits instead of wrapping around.
  for (int i = 0; i < 3; ++i) mixer.StartSound(7, Constant(4, 30000), once);
  for (int i = 0; i < 3; ++i) mixer.StartSound(8, Constant(4, -30000), once);
  EXPECT_EQ(Mix(mixer, 1)[0], 0);
  mixer.StopSound(8);
  EXPECT_EQ(Mix(mixer, 1)[0], 32767);
  mixer.StopSound(7);
  for (int i = 0; i < 3; ++i) mixer.StartSound(8, Constant(4, -30000), once);
  EXPECT_EQ(Mix(mixer, 1)[0], -32768);

  // The volume scales each side; the movie's own volume scales on top.
  mixer.StopAll();
  mixer.SetVolume(0x8000, 0xFFFF);
  mixer.SetMovieVolume(50);
  mixer.StartSound(2, Constant(4, 20000), once);
  const std::vector<std::int16_t> scaled = Mix(mixer, 1);
  EXPECT_NEAR(scaled[0], 5000, 2);
  EXPECT_NEAR(scaled[1], 10000, 2);

  // Instances are bounded: the oldest ends.
  mixer.StopAll();
  for (int i = 0; i < 40; ++i) mixer.StartSound(i, Constant(4, 1), once);
  EXPECT_EQ(mixer.InstanceCount(), SoundMixer::kMaxInstances);
  EXPECT_FALSE(mixer.SoundPlaying(0));
  EXPECT_TRUE(mixer.SoundPlaying(39));
}

TEST(SoundMixer, StreamsPlayWhatIsQueuedAndCountIt) {
  SoundMixer mixer;
  const std::vector<std::int16_t> block(2 * 100, 50);
  EXPECT_EQ(mixer.QueueStream(0, block), 100u);
  const std::vector<std::int16_t> out = Mix(mixer, 150);
  EXPECT_EQ(out[2 * 99], 50);
  EXPECT_EQ(out[2 * 100], 0);  // ran dry: silence, not counted
  EXPECT_EQ(mixer.Stream(0).mixed, 100u);
  EXPECT_EQ(mixer.Stream(0).queued, 0u);

  // A stream holds at most ten seconds.
  const std::vector<std::int16_t> minute(2 * 44100 * 60, 1);
  EXPECT_EQ(mixer.QueueStream(1, minute), SoundMixer::kMaxStreamFrames);
  mixer.ClearStream(1);
  EXPECT_EQ(mixer.Stream(1).queued, 0u);
}

}  // namespace
}  // namespace tavelin::swf::audio

namespace tavelin::swf::audio {
namespace {

TEST(SoundMixer, ChannelLevelsScaleAndCrossTheirInstancesWhilePlaying) {
  SoundMixer mixer;
  format::SoundInfo info;
  info.loops = 2;
  const std::uint32_t handle = mixer.StartChannelSound(5, 1, Constant(4, 1000), info);
  mixer.StartSound(2, Constant(8, 100), {});  // the movie's channel, untouched
  ASSERT_NE(handle, 0u);
  mixer.SetChannelLevels(5, {0.5, 0, 0.25, 0});  // left side at half, its quarter to the right; right side silent
  EXPECT_EQ(Mix(mixer, 2), (std::vector<std::int16_t>{600, 350, 600, 350}));
  EXPECT_EQ(mixer.InstancePlayed(handle), 2);
  mixer.SetChannelLevels(5, {});  // back to full, in the middle of the sound
  EXPECT_EQ(Mix(mixer, 2), (std::vector<std::int16_t>{1100, 1100, 1100, 1100}));
  mixer.StopChannelSound(6, -1);  // another channel: nothing of this one stops
  EXPECT_EQ(mixer.InstancePlayed(handle), 4);
  mixer.StopChannelSound(5, -1);
  EXPECT_EQ(mixer.InstancePlayed(handle), -1);
  EXPECT_TRUE(mixer.SoundPlaying(2));
}

}  // namespace
}  // namespace tavelin::swf::audio
