#include "swf/timeline.h"

#include <gtest/gtest.h>

#include <limits>

namespace tavelin::swf {
namespace {

// Feeds `total` seconds in steps of `step` and counts the frame changes reported.
int AdvanceInSteps(Timeline& timeline, double total, double step) {
  int changes = 0;
  for (double t = 0; t + step / 2 < total; t += step) changes += timeline.Advance(step) ? 1 : 0;
  return changes;
}

TEST(Timeline, StartsStoppedOnTheFirstFrameAndRunsOnlyWhenPlaying) {
  Timeline timeline(10, 10);
  EXPECT_EQ(timeline.CurrentFrame(), 0);
  EXPECT_FALSE(timeline.IsPlaying());
  EXPECT_FALSE(timeline.Advance(5));
  EXPECT_EQ(timeline.CurrentFrame(), 0);

  timeline.Play();
  EXPECT_FALSE(timeline.Advance(0.05));  // half a frame
  EXPECT_TRUE(timeline.Advance(0.05));
  EXPECT_EQ(timeline.CurrentFrame(), 1);
  timeline.Stop();
  EXPECT_FALSE(timeline.Advance(0.2));
  EXPECT_EQ(timeline.CurrentFrame(), 1);
  EXPECT_FALSE(timeline.IsPlaying());
}

TEST(Timeline, FractionalRatesKeepTheirPaceWithoutDrift) {
  // 12.5 frames per second: 25 frames in 2 s, whatever the timer's step.
  for (double step : {0.08, 0.01, 1.0 / 60, 0.025, 1.0 / 30, 0.1}) {
    Timeline timeline(1000, 12.5);
    timeline.Play();
    AdvanceInSteps(timeline, 2.0, step);
    EXPECT_EQ(timeline.CurrentFrame(), 25) << step;
  }
  // 29.97 frames per second over ten minutes of 1/60 s ticks: 17982 frames.
  Timeline ntsc(20000, 29.97);
  ntsc.Play();
  AdvanceInSteps(ntsc, 600.0, 1.0 / 60);
  EXPECT_EQ(ntsc.CurrentFrame(), 17982);
  EXPECT_DOUBLE_EQ(Timeline(5, 12.5).FrameInterval(), 0.08);
}

TEST(Timeline, AtTheEndLoopsOrStopsOnTheLastFrame) {
  Timeline looping(3, 10);
  looping.Play();
  AdvanceInSteps(looping, 0.2, 0.1);
  EXPECT_EQ(looping.CurrentFrame(), 2);
  EXPECT_TRUE(looping.Advance(0.1));
  EXPECT_EQ(looping.CurrentFrame(), 0);
  EXPECT_TRUE(looping.IsPlaying());

  Timeline once(3, 10);
  once.SetLoop(false);
  once.Play();
  AdvanceInSteps(once, 0.2, 0.1);
  EXPECT_EQ(once.CurrentFrame(), 2);
  EXPECT_TRUE(once.IsPlaying());  // the last frame is shown for a full interval
  EXPECT_FALSE(once.Advance(0.1));
  EXPECT_EQ(once.CurrentFrame(), 2);
  EXPECT_FALSE(once.IsPlaying());

  // Switching loop off while playing takes effect at the next end.
  Timeline switched(2, 10);
  switched.Play();
  switched.Advance(0.1);
  switched.SetLoop(false);
  switched.Advance(0.1);
  EXPECT_EQ(switched.CurrentFrame(), 1);
  EXPECT_FALSE(switched.IsPlaying());
}

TEST(Timeline, GotoFrameClampsAndStops) {
  Timeline timeline(50, 20);
  timeline.Play();
  timeline.GotoFrame(30);
  EXPECT_EQ(timeline.CurrentFrame(), 30);
  EXPECT_FALSE(timeline.IsPlaying());
  timeline.GotoFrame(500);
  EXPECT_EQ(timeline.CurrentFrame(), 49);
  timeline.GotoFrame(-7);
  EXPECT_EQ(timeline.CurrentFrame(), 0);
  timeline.GotoFrame(std::numeric_limits<int>::max());
  EXPECT_EQ(timeline.CurrentFrame(), 49);
  // Play resumes from the frame shown, one full interval later.
  timeline.GotoFrame(10);
  timeline.Play();
  EXPECT_FALSE(timeline.Advance(0.04));
  EXPECT_TRUE(timeline.Advance(0.01));
  EXPECT_EQ(timeline.CurrentFrame(), 11);
}

TEST(Timeline, LongStallCatchesUpOnlyAQuarterSecond) {
  Timeline timeline(10000, 24);
  timeline.Play();
  EXPECT_TRUE(timeline.Advance(60));  // a minute's stall
  EXPECT_EQ(timeline.CurrentFrame(), 6);
  // The dropped time is not owed later: the next 1/24 s gives exactly one frame.
  timeline.Advance(1.0 / 24);
  EXPECT_EQ(timeline.CurrentFrame(), 7);

  // Slow movies still move one frame per stall.
  Timeline slow(10, 1);
  slow.Play();
  slow.Advance(1000);
  EXPECT_EQ(slow.CurrentFrame(), 1);
}

TEST(Timeline, UnusableRatesAndTimesNeverBreakTheClock) {
  // No rate declared: the fallback rate, so the movie still plays.
  Timeline unrated(100, 0);
  EXPECT_DOUBLE_EQ(unrated.FrameRate(), Timeline::kFallbackFrameRate);
  EXPECT_DOUBLE_EQ(unrated.FrameInterval(), 1 / Timeline::kFallbackFrameRate);
  unrated.Play();
  AdvanceInSteps(unrated, 1.0, 0.05);
  EXPECT_EQ(unrated.CurrentFrame(), 12);
  EXPECT_DOUBLE_EQ(Timeline(1, -3).FrameRate(), Timeline::kFallbackFrameRate);
  EXPECT_DOUBLE_EQ(Timeline(1, std::numeric_limits<double>::quiet_NaN()).FrameRate(), Timeline::kFallbackFrameRate);
  EXPECT_DOUBLE_EQ(Timeline(1, 1e300).FrameRate(), Timeline::kMaxFrameRate);

  Timeline timeline(0, 10);  // no frames counts as one
  EXPECT_EQ(timeline.FrameCount(), 1);
  timeline.Play();
  for (double bad : {-1.0, 0.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity()}) {
    EXPECT_FALSE(timeline.Advance(bad));
  }
  EXPECT_FALSE(timeline.Advance(1e308));  // one frame, looping back to itself
  EXPECT_EQ(timeline.CurrentFrame(), 0);
}

}  // namespace
}  // namespace tavelin::swf

namespace tavelin::swf {
namespace {

TEST(Timeline, WaitsAtTheLastLoadedFrameUntilMoreArrive) {
  Timeline timeline(5, 10);
  timeline.SetFramesLoaded(2);
  timeline.Play();
  EXPECT_TRUE(timeline.Advance(0.1));
  EXPECT_EQ(timeline.CurrentFrame(), 1);
  EXPECT_FALSE(timeline.Advance(5.0));  // neither loops nor stops
  EXPECT_EQ(timeline.CurrentFrame(), 1);
  EXPECT_TRUE(timeline.IsPlaying());
  timeline.GotoFrame(4);  // only loaded frames can be shown
  EXPECT_EQ(timeline.CurrentFrame(), 1);
  timeline.Play();

  timeline.SetFramesLoaded(4);
  EXPECT_TRUE(timeline.Advance(0.1));
  EXPECT_EQ(timeline.CurrentFrame(), 2);
  // The whole movie turns out shorter than its header said: it loops at its real end.
  timeline.SetFrameCount(3);
  EXPECT_TRUE(timeline.Advance(0.1));
  EXPECT_EQ(timeline.CurrentFrame(), 0);
  timeline.SetFrameCount(2);
  timeline.GotoFrame(1);
  timeline.SetFrameCount(1);
  EXPECT_EQ(timeline.CurrentFrame(), 0);
}

}  // namespace
}  // namespace tavelin::swf
