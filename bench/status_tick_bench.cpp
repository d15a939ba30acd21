// One 200 ms status tick while a movie plays, with fake windows and control.
#include <benchmark/benchmark.h>

#include "support/fake_world.h"

namespace {

using namespace tavelin;
using namespace tavelin::testing;

void BM_StatusTick(benchmark::State& state) {
  FakeWorld world;
  CWin& cwin = world.cwin;
  FakeOutputWindow& output = world.putOut;
  cwin.Load("");
  cwin.Playback().Player = &output.control;
  cwin.Playback().FrameRate = 25;
  cwin.Playback().FrameTotal = 3000;
  cwin.Playback().TrackProgress = true;
  output.control.movie = "C:\\a.swf";
  output.control.playing = true;
  int frame = 1;
  for (auto _ : state) {
    output.control.currentFrame = frame;
    frame = frame % 2999 + 5;  // five frames a tick, as at 25 frames per second
    cwin.Playback().Timer1_Timer();
  }
}
BENCHMARK(BM_StatusTick);

}  // namespace
