// Any bytes that load as a movie must play and draw without a crash, a hang or
// unbounded memory: the tag decoders, the player's timelines and the renderer together.
// A few frames are played (one backwards jump included) and drawn small.
#include <cstdint>
#include <exception>
#include <memory>
#include <span>

#include "platform/failure.h"
#include "swf/movie.h"
#include "swf/player/player.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tavelin::swf;
  std::shared_ptr<const Movie> movie;
  try {
    movie = std::make_shared<const Movie>(LoadMovie(std::span<const std::uint8_t>(data, size)));
  } catch (const tavelin::Failure&) {
    return 0;
  }
  player::Player player(movie);
  Framebuffer frame;
  frame.Resize(32, 24);
  const StageRect& stage = movie->Stage();
  const double scale = 32.0 / static_cast<double>(stage.Width());
  const Matrix toPixels{scale, 0, 0, scale, -stage.xMin * scale, -stage.yMin * scale};
  const render::Quality qualities[] = {render::Quality::kHigh, render::Quality::kLow, render::Quality::kMedium};
  for (int i = 0; i < 4; ++i) {
    player.Draw(frame, toPixels, qualities[i % 3]);
    if (i == 2) {
      player.GotoFrame(0);
    } else {
      player.NextFrame();
    }
  }
  return 0;
}
