// Rendering one frame of a busy movie: 200 shapes with curved outlines, gradient fills
// and transparency on a 550 x 400 stage, at High quality, drawn into a 550 x 400 and a
// 1920 x 1080 framebuffer (the stage scaled to fit, as in a full-screen window). Every
// frame moves and turns each shape a little, as a playing movie does. Also the making of
// one gradient's colour table, which a colour transform that changes every frame (a
// fade) repeats each frame for each gradient fill.
//   build/native/bench/render_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "support/render_canvas.h"
#include "swf/render/gradient_colors.h"
#include "support/shape_builder.h"

namespace {

using namespace tavelin;
using namespace tavelin::swf;
using testing::kTwips;
using testing::ShapeBuilder;

constexpr int kStageWidth = 550, kStageHeight = 400;
constexpr int kDefinitions = 20;
constexpr int kInstances = 200;

Rgba RandomColor(std::mt19937& random, std::uint8_t alpha) {
  std::uniform_int_distribution<int> channel(0, 255);
  return {static_cast<std::uint8_t>(channel(random)), static_cast<std::uint8_t>(channel(random)),
          static_cast<std::uint8_t>(channel(random)), alpha};
}

// A shape as drawing tools make them: a gradient-filled body of curves (radial or
// linear, partly transparent), a translucent solid highlight, and on some an outline.
Shape MakeDefinition(std::mt19937& random, int index) {
  std::uniform_real_distribution<double> radius(8, 30);  // pixels on the stage
  const double rx = radius(random) * kTwips, ry = radius(random) * kTwips;
  ShapeBuilder b;
  FillStyle body;
  body.kind = index % 2 == 0 ? FillKind::kRadialGradient : FillKind::kLinearGradient;
  body.gradient.stops = {{0, RandomColor(random, 255)}, {128, RandomColor(random, 200)}, {255, RandomColor(random, 160)}};
  body.matrix = {rx * 2 / 32768, 0, 0, ry * 2 / 32768, 0, 0};
  const auto bodyFill = b.AddFill(body);
  const auto highlight = b.AddSolidFill(RandomColor(random, 128));
  std::uint32_t outline = 0;
  if (index % 4 == 0) {
    LineStyle line;
    line.width = 40;
    line.color = RandomColor(random, 255);
    outline = b.AddLine(line);
  }
  b.Styles(0, bodyFill, outline).Ellipse(0, 0, rx, ry);
  b.Styles(0, highlight, 0).Ellipse(-rx * 0.3, -ry * 0.3, rx * 0.4, ry * 0.3);
  return b.Build();
}

struct Placement {
  int definition;
  double x, y, angle, spin;  // stage pixels, radians
};

struct Scene {
  std::vector<Shape> definitions;
  std::vector<Placement> placements;

  Scene() {
    std::mt19937 random(2024);
    for (int i = 0; i < kDefinitions; ++i) definitions.push_back(MakeDefinition(random, i));
    std::uniform_real_distribution<double> x(0, kStageWidth), y(0, kStageHeight), turn(-0.05, 0.05);
    for (int i = 0; i < kInstances; ++i) placements.push_back({i % kDefinitions, x(random), y(random), 0, turn(random)});
  }

  // One frame: the stage scaled to fit the target and every shape in its place.
  void Draw(render::Renderer& renderer, int width, int height, int frame) const {
    const double scale = std::min(static_cast<double>(width) / kStageWidth, static_cast<double>(height) / kStageHeight);
    const double offsetX = (width - kStageWidth * scale) / 2, offsetY = (height - kStageHeight * scale) / 2;
    renderer.Clear({240, 240, 230, 255});
    for (const Placement& p : placements) {
      const double angle = p.angle + p.spin * frame;
      const double c = std::cos(angle) * scale / kTwips, s = std::sin(angle) * scale / kTwips;
      const Matrix matrix{c, s, -s, c, offsetX + p.x * scale, offsetY + p.y * scale};
      renderer.DrawShape(definitions[static_cast<std::size_t>(p.definition)], matrix, {});
    }
  }
};

void BM_RenderFrame(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
  const Scene scene;
  Framebuffer framebuffer;
  framebuffer.Resize(width, height);
  render::Renderer renderer(framebuffer, render::Quality::kHigh);
  int frame = 0;
  for (auto _ : state) {
    scene.Draw(renderer, width, height, frame++);
    benchmark::DoNotOptimize(framebuffer.pixels.data());
  }
  state.SetLabel("200 shapes at High");
}
BENCHMARK(BM_RenderFrame)->Args({550, 400})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

void BM_GradientTable(benchmark::State& state) {
  Gradient gradient;
  gradient.interpolation = state.range(0) ? InterpolationMode::kLinearRgb : InterpolationMode::kRgb;
  gradient.stops = {{0, {255, 0, 0, 255}}, {128, {0, 255, 0, 200}}, {255, {0, 0, 255, 160}}};
  render::GradientTable table;
  ColorTransform fade;
  for (auto _ : state) {
    fade.mulA = fade.mulA > 0.1f ? fade.mulA - 0.01f : 1.0f;
    render::BuildGradientColors(gradient, fade, table);
    benchmark::DoNotOptimize(table.data());
  }
  state.SetLabel(state.range(0) ? "three stops, linear RGB" : "three stops");
}
BENCHMARK(BM_GradientTable)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
