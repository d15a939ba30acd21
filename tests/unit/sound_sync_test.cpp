#include <gtest/gtest.h>

#include "playback/movie_control/engine_movie_control.h"
#include "support/fake_file_system.h"
#include "support/fake_sound_output.h"
#include "support/swf_writer.h"

namespace tavelin {
namespace {

using testing::FakeSoundOutput;
using testing::SwfWriter;

constexpr std::size_t kFrameSamples = 4410;  // one frame at 10 frames a second

// 20 frames at 10 fps streaming 44.1 kHz mono sound: frame f's block holds the value
// 100 * (f + 1). Frame 0 also starts event sound 1 (one frame of 7s).
std::vector<std::uint8_t> StreamingMovie() {
  SwfWriter movie;
  movie.FrameRate(10).SoundStreamHead({3, 3, true, false}, kFrameSamples);
  std::vector<std::uint8_t> event;
  for (std::size_t i = 0; i < kFrameSamples; ++i) event.insert(event.end(), {7, 0});
  movie.DefineSound(1, {3, 3, true, false}, kFrameSamples, event).StartSound(testing::SoundStartFields{});
  for (int frame = 0; frame < 20; ++frame) {
    std::vector<std::uint8_t> block;
    const int value = 100 * (frame + 1);
    for (std::size_t i = 0; i < kFrameSamples; ++i) {
      block.push_back(static_cast<std::uint8_t>(value));
      block.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    movie.SoundStreamBlock(block).ShowFrame();
  }
  return movie.Bytes();
}

class SoundSync : public ::testing::Test {
 protected:
  void SetUp() override {
    control.SetSoundOutput(&output, nullptr);
    control.LoadMovieData(StreamingMovie(), "stream.swf");
  }
  testing::FakeFileSystem files;
  FakeSoundOutput output;
  EngineMovieControl control{files};
};

TEST_F(SoundSync, FramesFollowTheSoundHeard) {
  ASSERT_TRUE(output.Running());
  // The stream and the event sound started with the first frame.
  const std::vector<std::int16_t> first = output.Pull(kFrameSamples);
  EXPECT_EQ(first[0], 107);
  EXPECT_EQ(first[1], 107);

  // The sound is two frames on but the picture was late: the frame between is run
  // (not skipped) and the picture lands on the frame heard.
  output.Pull(kFrameSamples);
  EXPECT_TRUE(control.AdvanceClock(0.01));
  EXPECT_EQ(control.CurrentFrame(), 2);
  output.Pull(kFrameSamples);
  EXPECT_TRUE(control.AdvanceClock(0.01));
  EXPECT_EQ(control.CurrentFrame(), 3);

  // The picture is early however much wall time passes while the sound stands still.
  EXPECT_FALSE(control.AdvanceClock(0.5));
  EXPECT_EQ(control.CurrentFrame(), 3);

  // Frames taken from the mixer but still queued in the device are not heard yet.
  const std::vector<std::int16_t> later = output.Pull(2 * kFrameSamples);
  EXPECT_EQ(later[0], 400);  // the stream plays frame 3's block now
  output.queued = 2 * kFrameSamples;
  EXPECT_FALSE(control.AdvanceClock(0.2));
  EXPECT_EQ(control.CurrentFrame(), 3);
  output.queued = 0;
  EXPECT_TRUE(control.AdvanceClock(0.01));
  EXPECT_EQ(control.CurrentFrame(), 5);

  // Far behind, the picture catches up a bounded number of frames per tick.
  output.Pull(10 * kFrameSamples);
  control.AdvanceClock(0.01);
  EXPECT_EQ(control.CurrentFrame(), 7);
  control.AdvanceClock(0.01);
  EXPECT_EQ(control.CurrentFrame(), 9);
}

TEST_F(SoundSync, StopPlayGotoAndUnloadControlTheSound) {
  output.Pull(kFrameSamples / 2);
  control.Stop();
  // Stopped: the stream and the event sound fall silent and the picture stays.
  EXPECT_EQ(output.Pull(10)[0], 0);
  output.Pull(3 * kFrameSamples);
  EXPECT_FALSE(control.AdvanceClock(0.5));
  EXPECT_EQ(control.CurrentFrame(), 0);

  // Going to a frame and playing restarts the stream there.
  control.GotoFrame(12);
  control.Play();
  EXPECT_EQ(output.Pull(kFrameSamples)[0], 1300);
  EXPECT_TRUE(control.AdvanceClock(0.01));
  EXPECT_EQ(control.CurrentFrame(), 13);

  // Unloading ends the sound and closes the device.
  control.SetMovie("");
  EXPECT_FALSE(output.Running());
}

TEST(SoundSyncWithoutDevice, TheWallClockPacesTheMovie) {
  testing::FakeFileSystem files;
  FakeSoundOutput output;
  output.refuseToStart = true;
  EngineMovieControl control{files};
  control.SetSoundOutput(&output, nullptr);
  control.LoadMovieData(StreamingMovie(), "stream.swf");
  EXPECT_TRUE(control.AdvanceClock(0.2));
  EXPECT_EQ(control.CurrentFrame(), 2);

  // A device that stops taking sound hands the pace back to the wall clock.
  FakeSoundOutput stalled;
  EngineMovieControl other{files};
  other.SetSoundOutput(&stalled, nullptr);
  other.LoadMovieData(StreamingMovie(), "stream.swf");
  EXPECT_FALSE(other.AdvanceClock(0.6));
  EXPECT_TRUE(other.AdvanceClock(0.6));
}

}  // namespace
}  // namespace tavelin
