// Memory of a movie full of pictures: a generated movie of about 5 MB holding 300 bitmaps
// (half DefineBitsLossless2, half DefineBitsJPEG2, 160 x 160 each), played frame by frame
// and drawn at 550 x 400, ten new pictures on the stage each frame. Reports the file's
// size, the bitmaps' decoded bytes and the peak resident memory of loading and playing
// it: the process's peak (Linux: reset through /proc/self/clear_refs once the file's
// bytes are in memory) less what it held before, plus the file's bytes; and that peak
// over the decoded bytes.
//   build/native/bench/bitmap_memory_bench
#include <benchmark/benchmark.h>
#include <malloc.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "support/swf_writer.h"
#include "swf/player/player.h"

namespace {

using namespace tavelin;
using namespace tavelin::swf;
using testing::Affine;
using testing::Placement;
using testing::ShapeDrawing;
using testing::ShapeFill;
using testing::ShapeOutline;
using testing::SwfWriter;

constexpr int kBitmaps = 300;
constexpr int kSide = 160;
constexpr int kPerFrame = 10;

// A picture of tiles of colour with some grain, so it neither packs to nothing nor is
// pure noise.
std::vector<std::uint32_t> Picture(int index, std::mt19937& random) {
  std::uniform_int_distribution<int> grain(0, 2);
  std::vector<std::uint32_t> texels(static_cast<std::size_t>(kSide) * kSide);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const auto r = static_cast<std::uint32_t>((x / 8 * 12 + index * 7 + grain(random)) & 0xFF);
      const auto g = static_cast<std::uint32_t>((y / 8 * 12 + index * 13 + grain(random)) & 0xFF);
      const auto b = static_cast<std::uint32_t>(((x + y) / 16 * 6 + index * 29) & 0xFF);
      texels[static_cast<std::size_t>(y) * kSide + x] = 0xFF000000u | r << 16 | g << 8 | b;
    }
  }
  return texels;
}

std::vector<std::uint8_t> Jpeg(const std::vector<std::uint32_t>& texels) {
  std::vector<std::uint8_t> rgb;
  rgb.reserve(texels.size() * 3);
  for (std::uint32_t t : texels) {
    rgb.insert(rgb.end(), {static_cast<std::uint8_t>(t >> 16), static_cast<std::uint8_t>(t >> 8), static_cast<std::uint8_t>(t)});
  }
  std::vector<std::uint8_t> jpeg;
  stbi_write_jpg_to_func(
      [](void* context, void* data, int size) {
        auto* out = static_cast<std::vector<std::uint8_t>*>(context);
        out->insert(out->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
      },
      &jpeg, kSide, kSide, 3, rgb.data(), 80);
  return jpeg;
}

std::vector<std::uint8_t> PictureMovie() {
  std::mt19937 random(7);
  SwfWriter movie;
  movie.StagePixels(550, 400);
  for (int i = 0; i < kBitmaps; ++i) {
    const auto bitmapId = static_cast<std::uint16_t>(1 + 2 * i), shapeId = static_cast<std::uint16_t>(2 + 2 * i);
    const std::vector<std::uint32_t> texels = Picture(i, random);
    if (i % 2 == 0) {
      movie.DefineLosslessBitmap(bitmapId, kSide, kSide, texels);
    } else {
      std::vector<std::uint8_t> body{static_cast<std::uint8_t>(bitmapId), static_cast<std::uint8_t>(bitmapId >> 8)};
      const std::vector<std::uint8_t> jpeg = Jpeg(texels);
      body.insert(body.end(), jpeg.begin(), jpeg.end());
      movie.RawTag(tag_code::kDefineBitsJpeg2, body);
    }
    ShapeDrawing shape;
    shape.fills = {ShapeFill{ShapeFill::Kind::kClippedBitmap, {}, {}, bitmapId, Affine{20, 0, 0, 20, 0, 0}}};
    shape.outlines = {ShapeOutline{{{0, 0}, {kSide * 20, 0}, {kSide * 20, kSide * 20}, {0, kSide * 20}}, 0, 1, 0, true}};
    movie.DefineShape(shapeId, shape);
    Placement p;
    p.depth = static_cast<std::uint16_t>(1 + i % kPerFrame);
    p.characterId = shapeId;
    p.move = i >= kPerFrame;  // replaces what stood at that depth
    p.matrix = Affine{0.5, 0, 0, 0.5, (i % 5) * 2000, (i % kPerFrame / 5) * 3000};
    movie.Place(p);
    if (i % kPerFrame == kPerFrame - 1) movie.ShowFrame();
  }
  return movie.Bytes();
}

// A /proc/self/status field in kB, or -1.
long StatusKb(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
  }
  return -1;
}

void BM_PlayPictureMovie(benchmark::State& state) {
  const std::vector<std::uint8_t> bytes = PictureMovie();
  for (auto _ : state) {
    malloc_trim(0);  // what making the movie freed goes back, so it is not counted
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from here
    const long before = StatusKb("VmRSS");
    std::size_t decoded = 0;
    {
      auto movie = std::make_shared<const Movie>(LoadMovie(bytes));
      player::Player player(movie);
      Framebuffer frame;
      frame.Resize(550, 400);
      for (int i = 0; i < kBitmaps / kPerFrame; ++i) {
        player.Draw(frame, Matrix{0.05, 0, 0, 0.05, 0, 0}, render::Quality::kHigh);
        player.NextFrame();
      }
      benchmark::DoNotOptimize(frame.pixels.data());
      decoded = static_cast<std::size_t>(kBitmaps) * kSide * kSide * 4;
    }
    const double peak = static_cast<double>(StatusKb("VmHWM") - before) * 1024 + static_cast<double>(bytes.size());
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
    state.counters["decoded_MB"] = static_cast<double>(decoded) / 1e6;
    state.counters["peak_MB"] = peak / 1e6;
    state.counters["peak_per_decoded"] = peak / static_cast<double>(decoded);
  }
}
BENCHMARK(BM_PlayPictureMovie)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
