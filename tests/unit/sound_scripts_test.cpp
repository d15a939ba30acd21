// The sound of movies with scripts and buttons: the main timeline's stream follows
// where the scripts leave the timeline, buttons play their own sounds, sprites' streams
// end with Stop and with their clip, and the device's own thread keeps the stream fed.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "playback/movie_control/engine_movie_control.h"
#include "support/action_assembler.h"
#include "support/fake_file_system.h"
#include "support/fake_sound_output.h"
#include "support/swf_writer.h"
#include "swf/format/action_decoder.h"
#include "swf/format/button_decoder.h"

namespace tavelin {
namespace {

using testing::ActionAssembler;
using testing::FakeSoundOutput;
using testing::SwfWriter;
namespace bc = swf::format::button_condition;
namespace op = swf::format::action_code;

constexpr std::size_t kFrameSamples = 4410;  // one frame at 10 frames a second

// A block (or a defined sound) of 44.1 kHz mono samples all of `value`.
std::vector<std::uint8_t> Level(int value, std::size_t samples = kFrameSamples) {
  std::vector<std::uint8_t> data;
  for (std::size_t i = 0; i < samples; ++i) data.insert(data.end(), {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)});
  return data;
}

// Ten frames at 10 fps; frame f's stream block holds 100 * (f + 1). Frame 2 stops at a
// button over the whole stage (release: play(); pressing it plays 50 frames of 7,
// releasing 50 frames of 9).
std::vector<std::uint8_t> StoppingMovie() {
  SwfWriter movie;
  movie.Version(8).StagePixels(100, 100).FrameRate(10).SoundStreamHead({3, 3, true, false}, kFrameSamples);
  movie.DefineRectangle(1, 2000, 2000, {255, 0, 0}).DefineSound(3, {3, 3, true, false}, 50, Level(7, 50));
  movie.DefineSound(4, {3, 3, true, false}, 50, Level(9, 50));
  ActionAssembler play, stop;
  play.Op(op::kPlay);
  stop.Op(op::kStop);
  testing::AddButton(movie, 2, {{1 | 2 | 4 | 8, 1, 1}}, {{bc::kRelease, play}});
  testing::SoundStartFields press, release;
  press.id = 3;
  release.id = 4;
  movie.DefineButtonSound(2, {std::nullopt, std::nullopt, press, release});
  for (int frame = 0; frame < 10; ++frame) {
    if (frame == 2) {
      movie.Place(testing::Put(1, 2));
      testing::AddDoAction(movie, stop);
    }
    movie.SoundStreamBlock(Level(100 * (frame + 1))).ShowFrame();
  }
  return movie.Bytes();
}

// Runs the picture to the frames heard, pulling `frames` sound frames at a time.
std::vector<std::int16_t> PullAndTick(FakeSoundOutput& output, EngineMovieControl& control, std::size_t frames) {
  std::vector<std::int16_t> samples = output.Pull(frames);
  control.AdvanceClock(double(frames) / kOutputRate);
  return samples;
}

TEST(SoundWithScripts, TheStreamWaitsAtAStoppedFrameAndGoesOnWithTheButtonsSounds) {
  testing::FakeFileSystem files;
  FakeSoundOutput output;
  EngineMovieControl control{files};
  control.SetSoundOutput(&output, nullptr);
  control.LoadMovieData(StoppingMovie(), "stop.swf");
  control.SetViewportSize(100, 100);

  // The stream is read ahead up to the frame whose script stops, not past it.
  const std::vector<std::int16_t> ahead = output.Pull(4 * kFrameSamples);
  EXPECT_EQ(ahead[0], 100);
  EXPECT_EQ(ahead[2 * kFrameSamples], 200);
  EXPECT_EQ(ahead[4 * kFrameSamples], 300);
  EXPECT_EQ(ahead[6 * kFrameSamples], 0);
  control.AdvanceClock(0.01);
  ASSERT_EQ(control.CurrentFrame(), 2);
  // Stopped at the button: no sound of the frames after it, however long it waits,
  // and the picture stays.
  for (int i = 0; i < 20; ++i) {
    const std::vector<std::int16_t> waiting = PullAndTick(output, control, kFrameSamples);
    ASSERT_EQ(*std::max_element(waiting.begin(), waiting.end()), 0) << "tick " << i;
  }
  EXPECT_EQ(control.CurrentFrame(), 2);

  // Pressing plays the press sound; releasing plays the release sound and the stream
  // from the frame the timeline stands on.
  control.PointerMove(50, 50);
  control.PointerButton(true, 50, 50);
  EXPECT_EQ(output.Pull(50)[0], 7);
  control.PointerButton(false, 50, 50);
  const std::vector<std::int16_t> released = output.Pull(kFrameSamples);
  EXPECT_EQ(released[0], 300 + 9);
  EXPECT_EQ(released[2 * 100], 300);
  control.AdvanceClock(0.1);
  EXPECT_EQ(control.CurrentFrame(), 3);
  EXPECT_EQ(PullAndTick(output, control, kFrameSamples)[0], 400);
  EXPECT_EQ(control.CurrentFrame(), 4);

  // A script's jump elsewhere takes the stream along: Play after GotoFrame(6).
  control.GotoFrame(6);
  control.Play();
  EXPECT_EQ(PullAndTick(output, control, kFrameSamples)[0], 700);
}

// The device's thread keeps the main stream fed while the interface thread is busy
// elsewhere, and restarts from the interface thread meanwhile never mix two positions.
TEST(SoundWithScripts, TheDevicesThreadFeedsTheStreamWhileTheInterfaceIsBusy) {
  SwfWriter movie;
  movie.FrameRate(10).SoundStreamHead({3, 3, true, false}, kFrameSamples);
  for (int frame = 0; frame < 50; ++frame) movie.SoundStreamBlock(Level(100 * (frame + 1))).ShowFrame();
  testing::FakeFileSystem files;
  FakeSoundOutput output;
  EngineMovieControl control{files};
  control.SetSoundOutput(&output, nullptr);
  control.LoadMovieData(movie.Bytes(), "long.swf");

  // Three seconds pulled with no tick between: every frame's block in order.
  for (int frame = 0; frame < 30; ++frame) {
    const std::vector<std::int16_t> heard = output.Pull(kFrameSamples);
    ASSERT_EQ(heard.front(), 100 * (frame + 1)) << frame;
    ASSERT_EQ(heard.back(), 100 * (frame + 1)) << frame;
  }

  // A device thread pulls while the interface restarts the stream again and again:
  // every sample is still a whole multiple of the levels, never torn.
  std::atomic<bool> done{false};
  std::atomic<int> bad{0};
  std::thread device([&] {
    while (!done) {
      const std::vector<std::int16_t> buffer = output.Pull(441);
      for (std::int16_t sample : buffer) {
        if (sample % 100 != 0 || sample < 0 || sample > 5000) ++bad;
      }
    }
  });
  for (int i = 0; i < 300; ++i) {
    control.GotoFrame(i % 50);
    control.Play();
    control.AdvanceClock(0.001);
  }
  done = true;
  device.join();
  EXPECT_EQ(bad, 0);
}

// A sprite's stream stops with the movie and ends when its clip is removed.
TEST(SoundWithScripts, ASpritesStreamStopsWithTheMovieAndEndsWithItsClip) {
  SwfWriter sprite;
  sprite.SoundStreamHead({3, 3, true, false}, kFrameSamples);
  for (int frame = 0; frame < 4; ++frame) sprite.SoundStreamBlock(Level(500)).ShowFrame();
  SwfWriter movie;
  movie.Version(8).FrameRate(10).DefineSprite(5, sprite).Place(testing::Put(1, 5)).ShowFrame();
  movie.ShowFrame().ShowFrame().ShowFrame().RemoveObject(1).ShowFrame().ShowFrame().ShowFrame();
  testing::FakeFileSystem files;
  FakeSoundOutput output;
  EngineMovieControl control{files};
  control.SetSoundOutput(&output, nullptr);
  control.LoadMovieData(movie.Bytes(), "sprite.swf");

  control.AdvanceClock(0.1);
  EXPECT_EQ(output.Pull(100)[0], 500);
  control.Stop();
  EXPECT_EQ(output.Pull(100)[0], 0);
  control.Play();
  control.AdvanceClock(0.1);  // the sprite's next frame delivers its next block
  control.AdvanceClock(0.1);
  ASSERT_EQ(control.CurrentFrame(), 3);
  EXPECT_EQ(output.Pull(100)[0], 500);
  control.AdvanceClock(0.1);  // frame 4 removes the clip
  EXPECT_EQ(output.Pull(100)[0], 0);
}

}  // namespace
}  // namespace tavelin
