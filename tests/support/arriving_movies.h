#pragma once
// Movies for the tests of movies that arrive piece by piece: each frame shows a
// rectangle of its own colour, and a block of noise between frames makes the file big
// enough for a compressed stream to come out in several pieces.

#include <cstdint>
#include <random>
#include <vector>

#include "support/swf_writer.h"

namespace tavelin::testing {

inline constexpr int kArrivingFrames = 6;

// The colour of frame `frame`'s rectangle.
inline Rgb ArrivingFrameColour(int frame) {
  return {static_cast<std::uint8_t>(40 * frame), static_cast<std::uint8_t>(200 - 30 * frame), 90};
}

// 100 x 100 px at 10 fps, kArrivingFrames frames.
inline std::vector<std::uint8_t> ArrivingMovieBytes(bool compressed) {
  SwfWriter writer;
  writer.Compressed(compressed).StagePixels(100, 100).FrameRate(10).BackgroundColor({255, 255, 255});
  std::mt19937 noise(7);
  for (int frame = 0; frame < kArrivingFrames; ++frame) {
    const auto id = static_cast<std::uint16_t>(frame + 1);
    writer.DefineRectangle(id, 2000, 2000, ArrivingFrameColour(frame));
    if (frame > 0) writer.RemoveObject(1);
    writer.PlaceObject(1, id, 0, 0);
    writer.ShowFrame();
    std::vector<std::uint32_t> texels(96 * 96);
    for (auto& texel : texels) texel = noise() | 0xFF000000u;
    writer.DefineLosslessBitmap(static_cast<std::uint16_t>(100 + frame), 96, 96, texels);
  }
  return writer.Bytes();
}

}  // namespace tavelin::testing
