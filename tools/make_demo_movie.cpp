// Writes a short compressed demo movie: a 550 x 400 stage with a few coloured shapes
// moving across it for two seconds at 25 frames per second. With --busy it writes the
// movie the player's cost is measured on instead: 200 curved, gradient-filled,
// translucent shapes turning for four seconds.
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

#include "support/busy_movie.h"
#include "support/swf_writer.h"

int main(int argc, char** argv) {
  const bool busy = argc == 3 && std::string(argv[1]) == "--busy";
  if (argc != 2 && !busy) {
    std::fprintf(stderr, "usage: %s [--busy] OUTPUT.swf\n", argv[0]);
    return 2;
  }
  if (busy) {
    const auto bytes = tavelin::testing::MakeBusyMovie();
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "make_demo_movie: cannot write %s\n", argv[2]);
      return 1;
    }
    return 0;
  }
  using tavelin::testing::SwfWriter;
  try {
    SwfWriter movie;
    movie.Compressed(true).StagePixels(550, 400).FrameRate(25).BackgroundColor({0x20, 0x4A, 0x87});
    movie.DefineRectangle(1, 120 * 20, 80 * 20, {0xF5, 0xC2, 0x11});
    movie.DefineShape(2, {{{{0, -900}, {860, 0}, {0, 900}, {-860, 0}}, {0xE8, 0x4A, 0x5F}}});
    movie.PlaceObject(1, 1, 40 * 20, 60 * 20).PlaceObject(2, 2, 275 * 20, 300 * 20);
    for (int frame = 0; frame < 50; ++frame) {
      movie.MoveObject(1, (40 + frame * 8) * 20, 60 * 20);
      movie.MoveObject(2, 275 * 20, (300 - frame * 3) * 20);
      movie.ShowFrame();
    }
    movie.WriteTo(argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_demo_movie: %s\n", e.what());
    return 1;
  }
  return 0;
}
