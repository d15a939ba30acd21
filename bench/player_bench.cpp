// The player's share of a frame: moving a display list of 200 animated sprites on by one
// frame, drawing it at 550 x 400, and going back to the first frame; and the whole cost
// of a frame of the busy movie the program's playing is measured on (timeline and
// drawing at High quality).
#include <benchmark/benchmark.h>

#include <memory>
#include <utility>

#include "support/busy_movie.h"
#include "support/swf_writer.h"
#include "swf/player/player.h"

namespace {

using namespace tavelin;
using namespace tavelin::swf;
using testing::Affine;
using testing::Placement;
using testing::SwfWriter;

// 200 sprites, each of four frames turning a square, placed over a 550 x 400 stage
// whose twelve frames move every other sprite.
std::shared_ptr<const Movie> BusyMovie() {
  SwfWriter inner;
  for (int frame = 0; frame < 4; ++frame) {
    Placement p;
    p.depth = 1;
    if (frame == 0) p.characterId = 1;
    p.move = frame > 0;
    p.matrix = Affine{0.9 + frame * 0.05, frame * 0.2, -frame * 0.2, 0.9 + frame * 0.05, 0, 0};
    inner.Place(p).ShowFrame();
  }
  SwfWriter movie;
  movie.StagePixels(550, 400).DefineRectangle(1, 600, 600, {200, 40, 40}).DefineSprite(2, inner);
  for (int frame = 0; frame < 12; ++frame) {
    for (int i = 0; i < 200; ++i) {
      if (frame > 0 && i % 2 == 1) continue;
      Placement p;
      p.depth = static_cast<std::uint16_t>(i + 1);
      if (frame == 0) p.characterId = 2;
      p.move = frame > 0;
      p.matrix = Affine{1, 0, 0, 1, (i % 20) * 550 + frame * 40, (i / 20) * 800};
      movie.Place(p);
    }
    movie.ShowFrame();
  }
  return std::make_shared<const Movie>(LoadMovie(movie.Bytes()));
}

void BM_NextFrame(benchmark::State& state) {
  player::Player player(BusyMovie());
  for (auto _ : state) player.NextFrame();
}
BENCHMARK(BM_NextFrame);

// Each pass moves `movie` on by one frame and draws it at 550 x 400, High quality.
void PlayAndDraw(benchmark::State& state, std::shared_ptr<const Movie> movie) {
  player::Player player(std::move(movie));
  Framebuffer frame;
  frame.Resize(550, 400);
  for (auto _ : state) {
    player.NextFrame();
    player.Draw(frame, Matrix{0.05, 0, 0, 0.05, 0, 0}, render::Quality::kHigh);
  }
}

void BM_NextFrameAndDraw(benchmark::State& state) { PlayAndDraw(state, BusyMovie()); }
BENCHMARK(BM_NextFrameAndDraw)->Unit(benchmark::kMillisecond);

void BM_GoBackToTheFirstFrame(benchmark::State& state) {
  player::Player player(BusyMovie());
  for (auto _ : state) {
    player.GotoFrame(11);
    player.GotoFrame(0);
  }
}
BENCHMARK(BM_GoBackToTheFirstFrame)->Unit(benchmark::kMicrosecond);

void BM_PlayTheBusyMovie(benchmark::State& state) {
  PlayAndDraw(state, std::make_shared<const Movie>(LoadMovie(testing::MakeBusyMovie())));
}
BENCHMARK(BM_PlayTheBusyMovie)->Unit(benchmark::kMillisecond);

}  // namespace
