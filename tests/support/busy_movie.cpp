#include "busy_movie.h"

#include <cmath>
#include <numbers>
#include <random>

#include "swf_writer.h"

namespace tavelin::testing {
namespace {

constexpr int kTwips = 20;
constexpr int kStageWidth = 550, kStageHeight = 400;
constexpr int kKinds = 20, kInstances = 200, kFrames = 100;

Rgba8 RandomColour(std::mt19937& random, std::uint8_t alpha) {
  std::uniform_int_distribution<int> channel(0, 255);
  return {static_cast<std::uint8_t>(channel(random)), static_cast<std::uint8_t>(channel(random)),
          static_cast<std::uint8_t>(channel(random)), alpha};
}

// An ellipse as eight curves, its control points where the tangents cross.
ShapeOutline Ellipse(double cx, double cy, double rx, double ry, std::uint32_t fill, std::uint32_t line) {
  constexpr int kPieces = 8;
  const double step = 2 * std::numbers::pi / kPieces, reach = 1 / std::cos(step / 2);
  auto at = [&](double angle, double r) {
    return TwipPoint{static_cast<std::int32_t>(std::lround(cx + rx * r * std::cos(angle))),
                     static_cast<std::int32_t>(std::lround(cy + ry * r * std::sin(angle)))};
  };
  ShapeOutline outline;
  outline.fill1 = fill;
  outline.line = line;
  for (int i = 0; i < kPieces; ++i) {
    outline.points.push_back(at(step * i, 1));
    outline.controls.push_back(at(step * (i + 0.5), reach));
  }
  return outline;
}

ShapeDrawing Kind(std::mt19937& random, int index) {
  std::uniform_real_distribution<double> radius(8, 30);  // pixels
  const double rx = radius(random) * kTwips, ry = radius(random) * kTwips;
  ShapeDrawing shape;
  ShapeFill body;
  body.kind = index % 2 == 0 ? ShapeFill::Kind::kRadialGradient : ShapeFill::Kind::kLinearGradient;
  body.stops = {{0, RandomColour(random, 255)}, {128, RandomColour(random, 200)}, {255, RandomColour(random, 160)}};
  body.matrix.scaleX = rx * 2 / 32768;
  body.matrix.scaleY = ry * 2 / 32768;
  ShapeFill highlight;
  highlight.colour = RandomColour(random, 128);
  shape.fills = {body, highlight};
  std::uint32_t line = 0;
  if (index % 4 == 0) {
    shape.lines.push_back({40, RandomColour(random, 255)});
    line = 1;
  }
  shape.outlines.push_back(Ellipse(0, 0, rx, ry, 1, line));
  shape.outlines.push_back(Ellipse(-rx * 0.3, -ry * 0.3, rx * 0.4, ry * 0.3, 2, 0));
  return shape;
}

}  // namespace

std::vector<std::uint8_t> MakeBusyMovie() {
  std::mt19937 random(2024);
  SwfWriter movie;
  movie.Version(8).Compressed(true).StagePixels(kStageWidth, kStageHeight).FrameRate(25).BackgroundColor({240, 240, 230});
  for (int i = 0; i < kKinds; ++i) movie.DefineShape(static_cast<std::uint16_t>(i + 1), Kind(random, i));
  struct Instance {
    double x, y, dx, dy, angle, spin;  // pixels, radians
  };
  std::uniform_real_distribution<double> x(0, kStageWidth), y(0, kStageHeight), drift(-1.5, 1.5), turn(-0.05, 0.05);
  std::vector<Instance> instances;
  for (int i = 0; i < kInstances; ++i) instances.push_back({x(random), y(random), drift(random), drift(random), 0, turn(random)});
  for (int frame = 0; frame < kFrames; ++frame) {
    for (int i = 0; i < kInstances; ++i) {
      Instance& it = instances[static_cast<std::size_t>(i)];
      Placement place;
      place.depth = static_cast<std::uint16_t>(i + 1);
      if (frame == 0) {
        place.characterId = static_cast<std::uint16_t>(i % kKinds + 1);
      } else {
        place.move = true;
        it.x += it.dx, it.y += it.dy, it.angle += it.spin;
      }
      const double c = std::cos(it.angle), s = std::sin(it.angle);
      place.matrix = Affine{c, s, -s, c, static_cast<std::int32_t>(std::lround(it.x * kTwips)),
                            static_cast<std::int32_t>(std::lround(it.y * kTwips))};
      movie.Place(place);
    }
    movie.ShowFrame();
  }
  return movie.Bytes();
}

}  // namespace tavelin::testing
