// swf_render MOVIE --frames N [--out FILE.png] [--quality low|medium|high] [--size WxH] [--no-scripts]
//
// Plays a movie from its start for N frames, as the player does (frame 1 is the first
// frame shown), and writes the picture then shown as a PNG: at the stage's size, or
// fitted whole into WxH. Without --out no picture is written. The movie's scripts run
// on a clock that moves one frame's time per frame; each trace() line goes to standard
// output as it is printed. Failures go to standard error with a non-zero exit.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "swf/avm1/machine.h"
#include "swf/movie.h"
#include "swf/player/player.h"
#include "swf/player/truetype_fonts.h"

namespace {

using namespace tavelin::swf;

struct Options {
  std::string movie;
  std::string out;
  int frames = 1;
  render::Quality quality = render::Quality::kHigh;
  int width = 0, height = 0;  // 0: the stage's size
  bool scripts = true;
};

[[noreturn]] void Usage(const std::string& problem) {
  std::cerr << "swf_render: " << problem << "\n"
            << "usage: swf_render MOVIE --frames N [--out FILE.png] [--quality low|medium|high] [--size WxH] [--no-scripts]\n";
  std::exit(2);
}

Options Parse(int argc, char** argv) {
  Options options;
  bool sawFrames = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= argc) Usage(arg + " needs a value");
      return argv[++i];
    };
    if (arg == "--frames") {
      const std::string text = value();
      char* end = nullptr;
      const long n = std::strtol(text.c_str(), &end, 10);
      if (*end != '\0' || n < 1 || n > 1'000'000) Usage("bad frame count " + text);
      options.frames = static_cast<int>(n);
      sawFrames = true;
    } else if (arg == "--no-scripts") {
      options.scripts = false;
    } else if (arg == "--out") {
      options.out = value();
    } else if (arg == "--quality") {
      const std::string q = value();
      if (q == "low") options.quality = render::Quality::kLow;
      else if (q == "medium") options.quality = render::Quality::kMedium;
      else if (q == "high") options.quality = render::Quality::kHigh;
      else Usage("bad quality " + q);
    } else if (arg == "--size") {
      const std::string size = value();
      if (std::sscanf(size.c_str(), "%dx%d", &options.width, &options.height) != 2 || options.width < 1 ||
          options.height < 1 || options.width > 16384 || options.height > 16384) {
        Usage("bad size " + size);
      }
    } else if (options.movie.empty() && (arg.empty() || arg[0] != '-')) {
      options.movie = arg;
    } else {
      Usage("unknown argument " + arg);
    }
  }
  if (options.movie.empty() || !sawFrames) Usage("MOVIE and --frames are required");
  return options;
}

std::vector<std::uint8_t> ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  std::vector<std::uint8_t> bytes;
  char buffer[1 << 16];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    bytes.insert(bytes.end(), buffer, buffer + in.gcount());
    if (bytes.size() > kMaxMovieBytes) break;  // LoadMovie refuses it as too large
  }
  return bytes;
}

// Text fields without embedded fonts are drawn with Debian's fonts where installed.
constexpr const char* kDeviceFontFiles[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
};

std::vector<std::vector<std::uint8_t>> DeviceFontFiles() {
  std::vector<std::vector<std::uint8_t>> files;
  for (const char* path : kDeviceFontFiles) {
    std::ifstream in(path, std::ios::binary);
    if (in) files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return files;
}

// Trace lines to standard output; time moves only with the frames.
class RenderHost final : public avm1::ScriptHost {
 public:
  void Trace(const std::string& line) override { std::cout << line << '\n'; }
  void Command(const std::string&, const std::string&) override {}
  void OpenAddress(const std::string&, const std::string&) override {}
  double MovieMilliseconds() override { return milliseconds; }
  double WallSeconds() override {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  }
  void ScriptStopped(const std::string& reason) override { std::cerr << "script stopped: " << reason << "\n"; }
  // Movies and variables the scripts load, from files beside the movie.
  bool Load(const avm1::LoadRequest& request) override {
    if (!machine || request.url.empty() || request.url.find(':') != std::string::npos) return false;
    const std::string path = folder + request.url.substr(0, request.url.find('?'));
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (request.kind == avm1::LoadRequest::Kind::kVariables) {
      machine->TextArrived(request.id, std::string(bytes.begin(), bytes.end()));
      return true;
    }
    try {
      machine->LoadArrived(request.id, std::make_shared<const Movie>(LoadMovie(bytes)));
    } catch (const std::exception&) {
      machine->LoadFailed(request.id);
    }
    return true;
  }
  double milliseconds = 0;
  avm1::Machine* machine = nullptr;
  std::string folder;
};

}  // namespace

int main(int argc, char** argv) {
  const Options options = Parse(argc, argv);
  try {
    auto movie = std::make_shared<const Movie>(LoadMovie(ReadWhole(options.movie)));
    player::TrueTypeFonts deviceFonts(DeviceFontFiles());
    RenderHost host;
    avm1::Machine machine(movie->Version(), host);
    host.machine = &machine;
    host.folder = options.movie.substr(0, options.movie.find_last_of('/') + 1);
    const bool scripts = options.scripts && avm1::RunsActionScript1(*movie);
    player::Player player(movie, deviceFonts.Empty() ? nullptr : &deviceFonts, scripts ? &machine : nullptr);
    const double frameMilliseconds = 1000.0 / (movie->FrameRate() > 0 ? movie->FrameRate() : 12.0);
    for (int frame = 1; frame < options.frames; ++frame) {
      host.milliseconds += frameMilliseconds;
      player.NextFrame();
    }
    std::cout.flush();
    if (options.out.empty()) return 0;

    const StageRect& stage = movie->Stage();
    const double stageWidth = static_cast<double>(stage.Width()) / 20.0;
    const double stageHeight = static_cast<double>(stage.Height()) / 20.0;
    const int width = options.width > 0 ? options.width : std::max(1, static_cast<int>(std::ceil(stageWidth - 1e-9)));
    const int height = options.height > 0 ? options.height : std::max(1, static_cast<int>(std::ceil(stageHeight - 1e-9)));
    // Show all: the whole stage, uniformly scaled and centred.
    const double scale = options.width > 0 ? std::min(width / stageWidth, height / stageHeight) : 1.0;
    const double left = (width - stageWidth * scale) / 2, top = (height - stageHeight * scale) / 2;
    const Matrix toPixels{scale / 20, 0, 0, scale / 20, left - stage.xMin * scale / 20, top - stage.yMin * scale / 20};

    Framebuffer frame;
    frame.Resize(width, height);
    const Rgba bg = player.BackgroundColor();
    const std::uint32_t background = 0xFF000000u | bg.r << 16 | bg.g << 8 | bg.b;
    const int x0 = std::clamp(static_cast<int>(std::lround(left)), 0, width);
    const int x1 = std::clamp(static_cast<int>(std::lround(left + stageWidth * scale)), 0, width);
    const int y0 = std::clamp(static_cast<int>(std::lround(top)), 0, height);
    const int y1 = std::clamp(static_cast<int>(std::lround(top + stageHeight * scale)), 0, height);
    for (int y = y0; y < y1; ++y) {
      std::fill_n(frame.pixels.begin() + static_cast<std::ptrdiff_t>(y) * width + x0, x1 - x0, background);
    }
    player.Draw(frame, toPixels, options.quality);

    std::vector<std::uint8_t> rgba;
    rgba.reserve(frame.pixels.size() * 4);
    for (std::uint32_t p : frame.pixels) {
      rgba.insert(rgba.end(), {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8), static_cast<std::uint8_t>(p), 255});
    }
    if (!stbi_write_png(options.out.c_str(), width, height, 4, rgba.data(), width * 4)) {
      throw std::runtime_error("cannot write " + options.out);
    }
  } catch (const std::exception& failure) {
    std::cerr << failure.what() << "\n";
    return 1;
  }
  return 0;
}
