// A movie arriving from the network in 16 KB pieces: the cost of decoding its start
// again and again as it grows, beside decoding the whole file once. A movie of about
// 6 MB in 200 frames, uncompressed and compressed.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "support/swf_writer.h"
#include "swf/arriving_movie.h"

namespace {

using namespace tavelin;

std::vector<std::uint8_t> BigMovie(bool compressed) {
  testing::SwfWriter writer;
  writer.Compressed(compressed).StagePixels(550, 400).FrameRate(24);
  std::mt19937 noise(3);
  for (int frame = 0; frame < 200; ++frame) {
    // 60 KB of pictures per frame, half noise (compressing poorly) and half flat.
    std::vector<std::uint32_t> texels(128 * 120);
    for (std::size_t i = 0; i < texels.size(); ++i) texels[i] = i % 2 ? 0xFF204060u : noise() | 0xFF000000u;
    writer.DefineLosslessBitmap(static_cast<std::uint16_t>(frame + 1), 128, 120, texels);
    writer.ShowFrame();
  }
  return writer.Bytes();
}

void ArrivingInPieces(benchmark::State& state) {
  const std::vector<std::uint8_t> file = BigMovie(state.range(0) != 0);
  int decodes = 0;
  for (auto _ : state) {
    swf::ArrivingMovie arriving;
    std::shared_ptr<swf::Movie> playing;
    for (std::size_t at = 0; at < file.size(); at += 16 * 1024) {
      auto start = arriving.Add(std::span(file).subspan(at, std::min<std::size_t>(16 * 1024, file.size() - at)));
      if (!start) continue;
      if (playing) {
        playing->Grow(std::move(*start));
      } else {
        playing = std::make_shared<swf::Movie>(std::move(*start));
      }
    }
    playing->Grow(arriving.Finish());
    benchmark::DoNotOptimize(playing->FrameCount());
    decodes = arriving.Decodes() + 1;
  }
  state.counters["decodes"] = decodes;
  state.counters["MB"] = static_cast<double>(file.size()) / (1 << 20);
}
BENCHMARK(ArrivingInPieces)->Arg(0)->Arg(1)->ArgName("compressed")->Unit(benchmark::kMillisecond);

void WholeFileOnce(benchmark::State& state) {
  const std::vector<std::uint8_t> file = BigMovie(state.range(0) != 0);
  for (auto _ : state) benchmark::DoNotOptimize(swf::LoadMovie(file).FrameCount());
}
BENCHMARK(WholeFileOnce)->Arg(0)->Arg(1)->ArgName("compressed")->Unit(benchmark::kMillisecond);

}  // namespace
