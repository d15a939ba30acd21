// The script machine's speed: a frame script looping 1,000,000 times, each pass an
// addition, a property write on a movie clip (clip._x = i) and, every 1,000th pass, a
// string concatenation. Target: under 0.3 s on one core.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "support/action_assembler.h"
#include "swf/avm1/machine.h"
#include "swf/format/action_decoder.h"
#include "swf/player/player.h"
#include "support/swf_writer.h"

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

std::shared_ptr<const swf::Movie> LoopMovie() {
  testing::ActionAssembler loop;
  loop.Set("i", 0).Set("x", 0).Set("s", "")
      .Label("top")
      .Push({"i"}).Op(op::kGetVariable).Push({1000000}).Op(op::kLess2).Op(op::kNot).If("done")
      .Push({"x"}).Push({"x"}).Op(op::kGetVariable).Push({1}).Op(op::kAdd2).Op(op::kSetVariable)
      .Push({"i"}).Op(op::kGetVariable).Push({1000}).Op(op::kModulo).Push({0}).Op(op::kEquals2).Op(op::kNot).If("skip")
      .Push({"s"}).Push({"s"}).Op(op::kGetVariable).Push({"a"}).Op(op::kAdd2).Op(op::kSetVariable)
      .Label("skip")
      .Push({"clip"}).Op(op::kGetVariable).Push({"_x"}).Push({"i"}).Op(op::kGetVariable).Op(op::kSetMember)
      .Push({"i"}).Push({"i"}).Op(op::kGetVariable).Op(op::kIncrement).Op(op::kSetVariable)
      .Jump("top")
      .Label("done")
      .TraceVariable("x");
  testing::SwfWriter sprite;
  sprite.ShowFrame();
  testing::SwfWriter movie;
  movie.Version(8).DefineSprite(1, sprite);
  testing::Placement place = testing::Put(1, 1);
  place.name = "clip";
  movie.Place(place);
  testing::AddDoAction(movie, loop);
  movie.ShowFrame();
  return std::make_shared<const swf::Movie>(swf::LoadMovie(movie.Bytes()));
}

void BM_ScriptLoop(benchmark::State& state) {
  const auto movie = LoopMovie();
  for (auto _ : state) {
    QuietHost host;
    swf::avm1::Machine machine(movie->Version(), host);
    swf::player::Player player(movie, nullptr, &machine);
    if (host.last != "1000000") state.SkipWithError("the loop did not finish");
    benchmark::DoNotOptimize(host.last);
  }
}
BENCHMARK(BM_ScriptLoop)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
