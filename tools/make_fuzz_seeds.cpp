// Writes the seed inputs of the fuzz targets into FOLDER/<target>/: small movies of every
// kind of definition the engine reads, projectors of each layout, stores and command
// lines. The seeds are kept in the repository (tests/fuzz/corpus); run this again when
// the movie writer learns something new.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/swf_writer.h"

namespace {

using tavelin::testing::SwfWriter;
using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

void Write(const fs::path& folder, const std::string& name, const Bytes& bytes) {
  fs::create_directories(folder);
  std::ofstream(folder / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                        static_cast<std::streamsize>(bytes.size()));
}

void Write(const fs::path& folder, const std::string& name, const std::string& text) {
  Write(folder, name, Bytes(text.begin(), text.end()));
}

// Movies that between them use every definition and placement the writer knows.
std::vector<std::pair<std::string, Bytes>> Movies() {
  using namespace tavelin::testing;
  std::vector<std::pair<std::string, Bytes>> movies;
  movies.emplace_back("empty.swf", SwfWriter().StagePixels(20, 20).ShowFrame().Bytes());
  movies.emplace_back("compressed.swf", SwfWriter().Compressed(true).StagePixels(40, 30).BackgroundColor({1, 2, 3})
                                            .DefineRectangle(1, 200, 100, {9, 8, 7}).PlaceObject(1, 1).ShowFrame().Bytes());

  SwfWriter moving;
  moving.StagePixels(64, 48).FrameRate(12).DefineShape(1, {{{{0, -200}, {200, 0}, {0, 200}, {-200, 0}}, {200, 10, 10}}});
  moving.PlaceObject(1, 1, 100, 100).ShowFrame().MoveObject(1, 300, 200).ShowFrame().RemoveObject(1).ShowFrame();
  movies.emplace_back("moving.swf", moving.Bytes());

  ShapeDrawing drawing;
  drawing.version = 4;
  drawing.fills.push_back({ShapeFill::Kind::kLinearGradient, {}, {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 128}}}, 0, {}});
  drawing.fills.push_back({ShapeFill::Kind::kRadialGradient, {}, {{0, {0, 255, 0, 255}}, {255, {0, 0, 0, 0}}}, 0, {}});
  drawing.fills.push_back({ShapeFill::Kind::kClippedBitmap, {}, {}, 1, {20, 0, 0, 20, 0, 0}});
  drawing.lines.push_back({40, {0, 0, 0, 255}});
  drawing.outlines.push_back({{{0, 0}, {600, 0}, {600, 400}, {0, 400}}, 1, 0, 1, true});
  drawing.outlines.push_back({{{100, 100}, {500, 100}, {300, 350}}, 2, 0, 0, true});
  drawing.outlines.push_back({{{700, 0}, {900, 0}, {900, 200}}, 3, 0, 1, true});
  SwfWriter styled;
  styled.StagePixels(50, 25).DefineLosslessBitmap(1, 2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80FFFFFF});
  styled.DefineShape(2, drawing);
  Placement masked = Put(1, 2);
  masked.clipDepth = 3;
  styled.Place(masked).Place(Put(2, 2, 40, 40));
  Placement blended = Put(3, 2, 80, 0);
  blended.blendMode = 3;
  blended.colourTransform = ColourTransformValues{0.5, 1, 1, 0.75, 10, 0, 0, 0};
  blended.matrix = Affine{0.5, 0.2, -0.2, 1.5, 100, 50};
  styled.Place(blended).ShowFrame();
  movies.emplace_back("styled.swf", styled.Bytes());

  SwfWriter inner;
  inner.DefineRectangle(1, 100, 100, {0, 0, 255}).PlaceObject(1, 1).ShowFrame().MoveObject(1, 50, 50).ShowFrame();
  SwfWriter sprites;
  sprites.StagePixels(30, 30).DefineRectangle(1, 100, 100, {0, 0, 255}).DefineSprite(2, inner);
  Placement named = Put(1, 2, 20, 20);
  named.name = "clip";
  sprites.Place(named).ShowFrame().Place(Move(1, 60, 60)).ShowFrame();
  movies.emplace_back("sprites.swf", sprites.Bytes());

  SwfWriter morph;
  morph.StagePixels(30, 30).DefineMorphRectangles(1, {0, 0, 200, 200}, {255, 0, 0, 255}, {100, 100, 400, 300},
                                                  {0, 0, 255, 128});
  Placement half = Put(1, 1);
  half.ratio = 32768;
  morph.Place(half).ShowFrame();
  movies.emplace_back("morph.swf", morph.Bytes());

  SwfWriter text;
  text.StagePixels(80, 20).DefineBoxFont(1, {{'A', 512, 700, 600}, {'b', 400, 500, 500}});
  text.DefineText(2, 1, 240, {0, 0, 0, 255}, {20, 300}, {{0, 300}, {1, 250}, {0, 300}});
  text.DefineEditText(3, {0, 0, 1200, 300}, 1, 200, {10, 20, 30, 255}, "bAb");
  text.PlaceObject(1, 2).PlaceObject(2, 3, 0, 200).ShowFrame();
  movies.emplace_back("text.swf", text.Bytes());
  return movies;
}

// A projector: a stub of `stubLength` bytes, then the movie.
Bytes Projector(std::size_t stubLength, const Bytes& movie, bool marker) {
  Bytes file(stubLength, 'x');
  if (marker) {
    file[0x70] = 0;
    file[0x71] = static_cast<std::uint8_t>(stubLength >> 16);
    file[0x72] = static_cast<std::uint8_t>(stubLength >> 8);
    file[0x73] = static_cast<std::uint8_t>(stubLength);
  }
  file.insert(file.end(), movie.begin(), movie.end());
  return file;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  try {
    const fs::path root = argv[1];
    const auto movies = Movies();
    for (const auto& [name, bytes] : movies) {
      Write(root / "movie_fuzz", name, bytes);
      Write(root / "engine_fuzz", name, bytes);
      Write(root / "movie_header_fuzz", name, Bytes(bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), 64)));
    }
    const Bytes& movie = movies[2].second;
    Write(root / "projector_fuzz", "marker.exe", Projector(0x200, movie, true));
    Write(root / "projector_fuzz", "scanned.exe", Projector(0x500, movie, false));
    Bytes twice = Projector(0x500, movie, false);
    twice.insert(twice.end(), movie.begin(), movie.end());
    const Bytes trailer{0x56, 0x34, 0x12, 0xFA, static_cast<std::uint8_t>(movie.size()), 0, 0, 0};
    twice.insert(twice.end(), trailer.begin(), trailer.end());
    Write(root / "projector_fuzz", "two-with-trailer.exe", twice);

    const fs::path store = root / "store_fuzz";
    Write(store, "ansi.ini",
          "D:\\Movies\\\r\n60 0 0 True False False\r\n\r\n\xCB\xD1\xCB\xF7\xBD\xE1\xB9\xFB\r\nD:\\Movies\\intro.swf\r\n"
          "C:\\Temp\\clip.swf\r\n\r\nCartoons\r\nD:\\Cartoons\\cat.swf\r\n\r\nNew\r\n\r\n");
    Write(store, "utf8.ini", "\xEF\xBB\xBF" "C:\\\r\n12 4 2 False True True\r\n\r\n搜索结果\r\n\r\n动画\r\nC:\\动画\\猫.swf\r\n\r\n");
    Write(store, "short.ini", "C:\\\r\n");

    const fs::path commandLine = root / "command_line_fuzz";
    Write(commandLine, "plain.txt", "C:\\Movies\\a.swf");
    Write(commandLine, "quoted.txt", "\"C:\\My Movies\\b.SWF\" D:\\c.swf -x \"unterminated.swf");
    Write(commandLine, "spaces.txt", "C:\\a b\\c d.swf  E:\\x.swf.swf   .swf");

    // The render target reads its own byte layout: a few plain byte patterns start it.
    const fs::path render = root / "render_fuzz";
    Write(render, "zeros.bin", Bytes(64, 0));
    Bytes ramp(256);
    for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<std::uint8_t>(i * 37);
    Write(render, "ramp.bin", ramp);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_fuzz_seeds: %s\n", e.what());
    return 1;
  }
  return 0;
}
