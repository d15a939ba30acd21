#pragma once
// A framebuffer with a renderer on it, cleared to white, and ways to read its pixels, for
// tests and benchmarks of the rasterizer.

#include <cstdint>

#include "swf/framebuffer.h"
#include "swf/render/renderer.h"

namespace tavelin::testing {

// Maps shape twips to pixels one to one (20 twips a pixel).
inline constexpr swf::Matrix kTwipsToPixels{0.05, 0, 0, 0.05, 0, 0};

struct Canvas {
  Canvas(int width, int height, swf::render::Quality quality = swf::render::Quality::kHigh)
      : renderer((framebuffer.Resize(width, height), framebuffer), quality) {
    renderer.Clear({255, 255, 255, 255});
  }

  swf::Rgba At(int x, int y) const {
    const std::uint32_t p = framebuffer.At(x, y);
    return {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8), static_cast<std::uint8_t>(p),
            static_cast<std::uint8_t>(p >> 24)};
  }
  void Draw(const swf::Shape& shape, const swf::Matrix& matrix = kTwipsToPixels,
            const swf::ColorTransform& cxform = {}) {
    renderer.DrawShape(shape, matrix, cxform);
  }

  swf::Framebuffer framebuffer;
  swf::render::Renderer renderer;
};

}  // namespace tavelin::testing
