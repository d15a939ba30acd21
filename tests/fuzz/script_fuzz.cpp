// A movie whose frame script is the fuzzer's bytes, run for a few frames with the
// pointer and keys moving: the action decoder, the interpreter, the built-ins and the
// buttons must end every script without a crash, a hang or unbounded memory. The
// first bytes pick the movie version; a sprite named "clip" and a button stand on the
// stage for the script to use.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "swf/avm1/interpreter.h"
#include "swf/avm1/machine.h"
#include "swf/movie.h"
#include "swf/player/player.h"

namespace {

using namespace tavelin::swf;

class Host final : public avm1::ScriptHost {
 public:
  void Trace(const std::string&) override {}
  void Command(const std::string&, const std::string&) override {}
  void OpenAddress(const std::string&, const std::string&) override {}
  double MovieMilliseconds() override { return milliseconds; }
  // Every look at the clock moves it on by a quarter of the limit, so an endless loop
  // meets the limit within a few looks and the fuzzer tries many inputs a second.
  double WallSeconds() override { return wall += avm1::kScriptSecondsLimit / 4; }
  double milliseconds = 0, wall = 0;
};

void Tag(std::vector<std::uint8_t>& out, std::uint16_t code, const std::vector<std::uint8_t>& body) {
  out.push_back(static_cast<std::uint8_t>(((code << 6) | 0x3F) & 0xFF));
  out.push_back(static_cast<std::uint8_t>((code << 6) >> 8));
  const auto size = static_cast<std::uint32_t>(body.size());
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
  out.insert(out.end(), body.begin(), body.end());
}

std::vector<std::uint8_t> MovieAround(std::uint8_t version, std::span<const std::uint8_t> actions) {
  std::vector<std::uint8_t> tags;
  // A filled square (id 1), a one-frame sprite (id 2) placed as "clip", a button (id 3).
  Tag(tags, 2, {0x01, 0x00, 0x50, 0x00, 0x03, 0x20, 0x00, 0x03, 0x20, 0x01, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x10,
                0x12, 0xC8, 0x10, 0x80, 0x3E, 0x4C, 0x04, 0x3E, 0x4F, 0xC0, 0x7C, 0x80, 0x00});
  Tag(tags, 39, {0x02, 0x00, 0x01, 0x00, 0x40, 0x00, 0x00, 0x00});
  Tag(tags, 26, {0x22, 0x01, 0x00, 0x02, 0x00, 'c', 'l', 'i', 'p', 0x00});
  Tag(tags, 34, {0x03, 0x00, 0x00, 0x00, 0x00, 0x0F, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00});
  Tag(tags, 26, {0x02, 0x02, 0x00, 0x03, 0x00});
  Tag(tags, 12, std::vector<std::uint8_t>(actions.begin(), actions.end()));
  tags.insert(tags.end(), {0x40, 0x00, 0x40, 0x00, 0x00, 0x00});  // two ShowFrames, End
  // A 400 x 300 stage, 12 frames a second, two frames.
  std::vector<std::uint8_t> file = {'F',  'W',  'S',  version, 0,    0,    0,    0,    0x78, 0x00, 0x03,
                                    0xE8, 0x00, 0x00, 0x0B,    0xB8, 0x00, 0x00, 0x0C, 0x02, 0x00};
  file.insert(file.end(), tags.begin(), tags.end());
  const auto size = static_cast<std::uint32_t>(file.size());
  for (int i = 0; i < 4; ++i) file[4 + i] = static_cast<std::uint8_t>(size >> (8 * i));
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 1 << 16) return 0;
  const std::uint8_t version = static_cast<std::uint8_t>(4 + data[0] % 5);
  std::shared_ptr<const Movie> movie;
  try {
    movie = std::make_shared<const Movie>(LoadMovie(MovieAround(version, std::span(data + 1, size - 1))));
  } catch (...) {
    return 0;
  }
  Host host;
  avm1::Machine machine(movie->Version(), host);
  player::Player player(movie, nullptr, &machine);
  for (int i = 0; i < 3; ++i) {
    host.milliseconds += 100;
    player.PointerMove(100.0 * i, 100.0 * i);
    player.PointerButton(i == 1, 100, 100);
    player.KeyDown(37 + i, 'a' + i);
    player.NextFrame();
  }
  player.GotoFrame(0);
  return 0;
}
