// Typing into an input field: each key inserts a character at the caret, lays the whole
// field out again, updates its bound variable and runs onChanged. The field holds 5,000
// characters of wrapping text in an embedded font; one key and one Backspace are timed
// together. Target: under 2 ms for the pair, so typing keeps up at 60 keys a second with
// the frame's own work beside it.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "support/action_assembler.h"
#include "support/swf_writer.h"
#include "swf/avm1/machine.h"
#include "swf/format/action_decoder.h"
#include "swf/player/player.h"
#include "swf/player/text_field.h"

namespace {

using namespace tavelin;
namespace op = swf::format::action_code;

class QuietHost final : public swf::avm1::ScriptHost {
 public:
  void Trace(const std::string& line) override { last = line; }
  void Command(const std::string&, const std::string&) override {}
  void OpenAddress(const std::string&, const std::string&) override {}
  double MovieMilliseconds() override { return 0; }
  double WallSeconds() override { return 0; }
  std::string last;
};

std::shared_ptr<const swf::Movie> FieldMovie() {
  std::vector<testing::BoxGlyph> glyphs;
  for (char c = 'a'; c <= 'z'; ++c) glyphs.push_back({static_cast<std::uint16_t>(c), 400, 500, 560});
  glyphs.push_back({' ', 0, 0, 280});
  std::string text;
  for (int i = 0; text.size() < 5000; ++i) text += std::string(1 + i % 9, static_cast<char>('a' + i % 26)) + " ";
  testing::SwfWriter movie;
  movie.Version(8).DefineBoxFont(1, glyphs).DefineEditText(2, {0, 0, 8000, 8000}, 1, 240, {0, 0, 0, 255}, text);
  testing::Placement place = testing::Put(1, 2);
  place.name = "field";
  movie.Place(place);
  testing::ActionAssembler script;
  script.Push({"field"}).Op(op::kGetVariable).Push({"variable", "typed"}).Op(op::kSetMember)
      .Push({"field"}).Op(op::kGetVariable).Push({"wordWrap", true}).Op(op::kSetMember)
      .Push({"field"}).Op(op::kGetVariable).Push({"multiline", true}).Op(op::kSetMember)
      .Push({"field", 1, "Selection"}).Op(op::kGetVariable).Push({"setFocus"}).Op(op::kCallMethod).Op(op::kPop);
  testing::AddDoAction(movie, script);
  movie.ShowFrame();
  return std::make_shared<const swf::Movie>(swf::LoadMovie(movie.Bytes()));
}

void BM_TypeIntoLongField(benchmark::State& state) {
  const auto movie = FieldMovie();
  QuietHost host;
  swf::avm1::Machine machine(movie->Version(), host);
  swf::player::Player player(movie, nullptr, &machine);
  const auto length = [&player] {
    const auto& field = player.Objects().at(1).field;
    return field ? field->Length() : 0;
  };
  const std::size_t before = length();
  player.KeyDown('X', 'x');
  if (length() != before + 1) state.SkipWithError("the field took no typing");
  player.KeyDown(8, 8);
  for (auto _ : state) {
    player.KeyDown('X', 'x');
    player.KeyDown(8, 8);
  }
}
BENCHMARK(BM_TypeIntoLongField)->Unit(benchmark::kMicrosecond);

}  // namespace
