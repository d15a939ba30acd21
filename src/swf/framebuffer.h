#pragma once
// A picture in memory that frames are drawn into and the window copies to the screen.

#include <cstdint>
#include <vector>

namespace tavelin::swf {

// Pixels are 0xAARRGGBB, rows top to bottom; in memory this is the BGRA order of a
// 32-bit top-down device-independent bitmap.
struct Framebuffer {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  void Resize(int w, int h) {
    width = w > 0 ? w : 0;
    height = h > 0 ? h : 0;
    pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0xFF000000u);
  }
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)]; }
};

}  // namespace tavelin::swf
