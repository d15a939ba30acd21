// Scripts drawing into clips: fills closing themselves, curved strokes, gradients, the
// drawing's part in bounds and hit tests, duplicates, clear(), and arguments that make
// no sense.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/action_assembler.h"
#include "support/trace_host.h"
#include "support/swf_writer.h"
#include "swf/avm1/machine.h"
#include "swf/format/action_decoder.h"
#include "swf/player/clip_drawing.h"
#include "swf/player/player.h"

namespace tavelin::swf {
namespace {

using testing::ActionAssembler;
using testing::PushValue;
using testing::SwfWriter;
namespace op = format::action_code;
using testing::TraceHost;

constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kBlue = 0xFF0000FF;


// A 120 x 60 pixel stage running one script per frame.
struct DrawingMovie {
  explicit DrawingMovie(const std::vector<ActionAssembler>& frames) {
    SwfWriter writer;
    writer.StagePixels(120, 60).BackgroundColor({255, 255, 255});
    for (const ActionAssembler& frame : frames) {
      testing::AddDoAction(writer, frame);
      writer.ShowFrame();
    }
    movie = std::make_shared<const Movie>(LoadMovie(writer.Bytes()));
    machine = std::make_unique<avm1::Machine>(movie->Version(), host);
    player = std::make_unique<player::Player>(movie, nullptr, machine.get());
  }
  const Framebuffer& Draw() {
    picture.Resize(120, 60);
    std::fill(picture.pixels.begin(), picture.pixels.end(), kWhite);
    player->Draw(picture, Matrix{0.05, 0, 0, 0.05, 0, 0}, render::Quality::kLow);
    return picture;
  }
  TraceHost host;
  std::shared_ptr<const Movie> movie;
  std::unique_ptr<avm1::Machine> machine;
  std::unique_ptr<player::Player> player;
  Framebuffer picture;
};

// target.method(args), its result traced or dropped.
ActionAssembler& Call(ActionAssembler& a, const char* target, const char* method, const std::vector<PushValue>& args,
                      bool trace = false) {
  for (auto it = args.rbegin(); it != args.rend(); ++it) a.Push({*it});
  a.Push({static_cast<int>(args.size()), target}).Op(op::kGetVariable).Push({method}).Op(op::kCallMethod);
  return a.Op(trace ? op::kTrace : op::kPop);
}

// clip.moveTo to the first point, then clip.lineTo through the others.
void Outline(ActionAssembler& a, const char* clip, const std::vector<std::pair<int, int>>& points) {
  Call(a, clip, "moveTo", {points.front().first, points.front().second});
  for (std::size_t i = 1; i < points.size(); ++i) Call(a, clip, "lineTo", {points[i].first, points[i].second});
}

ActionAssembler& TraceMember(ActionAssembler& a, const char* target, const char* member) {
  return a.Push({target}).Op(op::kGetVariable).Push({member}).Op(op::kGetMember).Op(op::kTrace);
}

void ExpectNear(std::uint32_t actual, std::uint32_t expected, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    EXPECT_NEAR(static_cast<int>(actual >> shift & 0xFF), static_cast<int>(expected >> shift & 0xFF), tolerance)
        << std::hex << actual << " vs " << expected;
  }
}

TEST(ClipDrawing, FilledSquareAndCurvedStrokeShowCountAndHit) {
  ActionAssembler first;
  Call(first, "_root", "createEmptyMovieClip", {"c", 1});
  // A red square whose fourth side comes from the fill closing itself.
  Call(first, "c", "beginFill", {0xFF0000, 100});
  Outline(first, "c", {{10, 10}, {50, 10}, {50, 50}, {10, 50}});
  Call(first, "c", "endFill", {});
  // A blue curve 4 pixels wide, bulging right to x = 80, outside any fill.
  Call(first, "c", "lineStyle", {4, 0x0000FF, 100});
  Call(first, "c", "moveTo", {60, 10});
  Call(first, "c", "curveTo", {100, 30, 60, 50});
  TraceMember(first, "c", "_width");   // 10 .. 80 + 2
  TraceMember(first, "c", "_height");  // 10 - 2 .. 50 + 2
  Call(first, "c", "hitTest", {30, 30, true}, true);
  Call(first, "c", "hitTest", {70, 30, true}, true);  // inside the curve's bow: not filled
  Call(first, "c", "hitTest", {81, 30, true}, true);  // on the stroke
  Call(first, "c", "duplicateMovieClip", {"d", 2});
  TraceMember(first, "d", "_width");
  ActionAssembler second;
  Call(second, "c", "clear", {});
  Call(second, "c", "lineTo", {100, 50});  // no line style any more: nothing drawn
  TraceMember(second, "c", "_width");
  Call(second, "d", "removeMovieClip", {});
  Call(second, "c", "hitTest", {30, 30, true}, true);
  second.Op(op::kStop);

  DrawingMovie run({first, second});  // the first frame runs as the movie is opened
  EXPECT_EQ(run.host.lines, (std::vector<std::string>{"72", "44", "true", "false", "true", "72"}));
  const Framebuffer& picture = run.Draw();
  EXPECT_EQ(picture.At(30, 30), kRed);
  EXPECT_EQ(picture.At(11, 30), kRed);  // the closing side
  EXPECT_EQ(picture.At(8, 30), kWhite);
  EXPECT_EQ(picture.At(70, 30), kWhite);
  EXPECT_EQ(picture.At(80, 30), kBlue);
  EXPECT_EQ(picture.At(62, 12), kBlue);
  EXPECT_EQ(picture.At(90, 30), kWhite);

  run.host.lines.clear();
  run.player->NextFrame();
  EXPECT_EQ(run.host.lines, (std::vector<std::string>{"0", "false"}));
  const Framebuffer& cleared = run.Draw();
  for (const auto& [x, y] : {std::pair{30, 30}, {80, 30}, {11, 30}}) EXPECT_EQ(cleared.At(x, y), kWhite);
}

TEST(ClipDrawing, GradientFillsFollowTheirBoxAndFillAnOpenOutline) {
  ActionAssembler a;
  // beginGradientFill("linear", [red, blue], [100, 100], [0, 255], {matrixType: "box", x: 0, y: 0, w: 100, h: 20, r: 0})
  a.Push({"matrixType", "box", "x", 0, "y", 0, "w", 100, "h", 20, "r", 0, 6}).Op(op::kInitObject);
  a.Push({255, 0, 2}).Op(op::kInitArray);
  a.Push({100, 100, 2}).Op(op::kInitArray);
  a.Push({0x0000FF, 0xFF0000, 2}).Op(op::kInitArray);
  a.Push({"linear", 5, "_root"}).Op(op::kGetVariable).Push({"beginGradientFill"}).Op(op::kCallMethod).Op(op::kPop);
  Call(a, "_root", "lineTo", {100, 0});
  Call(a, "_root", "lineTo", {100, 20});
  Call(a, "_root", "lineTo", {0, 20});  // left open: shown closed all the same
  // The same box turned a quarter round: red at the top, blue at the bottom.
  a.Push({"matrixType", "box", "x", 0, "y", 30, "w", 30, "h", 30, "r", 1.5707963267948966, 6}).Op(op::kInitObject);
  a.Push({255, 0, 2}).Op(op::kInitArray);
  a.Push({100, 100, 2}).Op(op::kInitArray);
  a.Push({0x0000FF, 0xFF0000, 2}).Op(op::kInitArray);
  a.Push({"linear", 5, "_root"}).Op(op::kGetVariable).Push({"beginGradientFill"}).Op(op::kCallMethod).Op(op::kPop);
  Call(a, "_root", "moveTo", {0, 30});
  Call(a, "_root", "lineTo", {30, 30});
  Call(a, "_root", "lineTo", {30, 60});
  Call(a, "_root", "lineTo", {0, 60});
  Call(a, "_root", "endFill", {});
  // m = new flash.geom.Matrix(); m.createGradientBox(40, 20, 0, 60, 30): red at x = 60, blue at 100.
  a.Push({"m", 0, "flash"}).Op(op::kGetVariable).Push({"geom"}).Op(op::kGetMember).Push({"Matrix"}).Op(op::kNewMethod);
  a.Op(op::kSetVariable);
  Call(a, "m", "createGradientBox", {40, 20, 0, 60, 30});
  a.Push({"m"}).Op(op::kGetVariable);
  a.Push({255, 0, 2}).Op(op::kInitArray);
  a.Push({100, 100, 2}).Op(op::kInitArray);
  a.Push({0x0000FF, 0xFF0000, 2}).Op(op::kInitArray);
  a.Push({"linear", 5, "_root"}).Op(op::kGetVariable).Push({"beginGradientFill"}).Op(op::kCallMethod).Op(op::kPop);
  Call(a, "_root", "moveTo", {60, 30});
  Call(a, "_root", "lineTo", {100, 30});
  Call(a, "_root", "lineTo", {100, 50});
  Call(a, "_root", "lineTo", {60, 50});
  Call(a, "_root", "endFill", {});
  a.Op(op::kStop);

  DrawingMovie run({a});
  const Framebuffer& picture = run.Draw();
  ExpectNear(picture.At(60, 40), kRed, 12);
  ExpectNear(picture.At(99, 40), kBlue, 12);
  ExpectNear(picture.At(0, 10), kRed, 6);
  ExpectNear(picture.At(99, 10), kBlue, 6);
  ExpectNear(picture.At(50, 10), 0xFF800080, 6);
  ExpectNear(picture.At(15, 30), kRed, 12);
  ExpectNear(picture.At(15, 59), kBlue, 12);
  EXPECT_EQ(picture.At(110, 10), kWhite);
}

TEST(ClipDrawing, SetMaskShowsTheClipOnlyUnderTheFillsOfItsMaskUntilNullTakesItAway) {
  ActionAssembler first;
  Call(first, "_root", "createEmptyMovieClip", {"c", 1});
  Call(first, "c", "beginFill", {0xFF0000, 100});
  Outline(first, "c", {{10, 10}, {50, 10}, {50, 50}, {10, 50}});
  Call(first, "c", "endFill", {});
  // The mask: a blue square over the right half of c and beyond, with a wide outline
  // that masks nothing.
  Call(first, "_root", "createEmptyMovieClip", {"m", 2});
  Call(first, "m", "lineStyle", {10, 0x00FF00, 100});
  Call(first, "m", "beginFill", {0x0000FF, 100});
  Outline(first, "m", {{30, 0}, {90, 0}, {90, 60}, {30, 60}, {30, 0}});
  Call(first, "m", "endFill", {});
  Call(first, "c", "setMask", {"m"}, true);           // a path from c's parent
  Call(first, "c", "setMask", {"nothing here"}, true);  // to nothing: the mask stays
  ActionAssembler second;
  second.Push({testing::Null{}, 1, "c"}).Op(op::kGetVariable).Push({"setMask"}).Op(op::kCallMethod).Op(op::kTrace);
  second.Op(op::kStop);

  DrawingMovie run({first, second});
  EXPECT_EQ(run.host.lines, (std::vector<std::string>{"true", "false"}));
  const Framebuffer& masked = run.Draw();
  EXPECT_EQ(masked.At(20, 30), kWhite);  // c outside the mask
  EXPECT_EQ(masked.At(40, 30), kRed);    // c under the mask
  EXPECT_EQ(masked.At(28, 30), kWhite);  // under the mask's outline only
  EXPECT_EQ(masked.At(70, 30), kWhite);  // the mask itself is not drawn
  run.player->NextFrame();
  const Framebuffer& unmasked = run.Draw();
  EXPECT_EQ(unmasked.At(20, 30), kRed);
  EXPECT_EQ(unmasked.At(70, 30), kBlue);
}

TEST(ClipDrawing, NonsenseArgumentsAndEndlessEdgesStayBounded) {
  ActionAssembler a;
  Call(a, "_root", "createEmptyMovieClip", {"c", 1});
  Call(a, "c", "lineStyle", {-5, "red", 1000, "yes", 7, 8, 9, -1});
  Call(a, "c", "lineTo", {});
  Call(a, "c", "lineTo", {"left", testing::Undefined{}});
  Call(a, "c", "curveTo", {1e300, -1e300, std::nan(""), 5});
  Call(a, "c", "beginFill", {"x", -40});
  Call(a, "c", "moveTo", {1e30, 1e30});
  Call(a, "c", "lineTo", {-1e30, 7});
  a.Push({0, 0, 1}).Op(op::kInitArray).Push({0}).Op(op::kInitArray).Push({0xFF, 1}).Op(op::kInitArray);
  a.Push({"radial", 4, "c"}).Op(op::kGetVariable).Push({"beginGradientFill"}).Op(op::kCallMethod).Op(op::kPop);
  // A gradient squeezed to nothing, focal point far outside, spread repeated.
  a.Push({7, "linearRGB", "repeat", "matrixType", "box", "x", 5, "y", 5, "w", 0, "h", 0, "r", 1e308, 6}).Op(op::kInitObject);
  a.Push({255, 0, 2}).Op(op::kInitArray).Push({100, 100, 2}).Op(op::kInitArray).Push({0xFF, 0xFF00, 2}).Op(op::kInitArray);
  a.Push({"radial", 8, "c"}).Op(op::kGetVariable).Push({"beginGradientFill"}).Op(op::kCallMethod).Op(op::kPop);
  Call(a, "c", "lineTo", {100, 50});
  Call(a, "c", "lineTo", {0, 50});
  Call(a, "c", "beginGradientFill", {});
  Call(a, "c", "beginBitmapFill", {1, 2});
  Call(a, "c", "endFill", {});
  Call(a, "c", "endFill", {});
  TraceMember(a, "c", "_width");
  a.Op(op::kStop);
  DrawingMovie run({a});
  ASSERT_EQ(run.host.lines.size(), 1u);
  EXPECT_NE(run.host.lines[0], "NaN");
  run.Draw();

  // Edges past the limit are dropped; the shape keeps its size.
  player::ClipDrawing drawing;
  drawing.SetLineStyle(LineStyle{});
  drawing.BeginFill(FillStyle{});
  for (std::size_t i = 0; i < player::ClipDrawing::kMaxEdges + 5000; ++i) {
    drawing.LineTo({static_cast<std::int32_t>(i % 1000) * 20, static_cast<std::int32_t>(i / 1000) * 20});
  }
  drawing.EndFill();
  std::size_t edges = 0;
  for (const StyleGroup& group : drawing.AsShape()->groups) {
    for (const ShapePath& path : group.paths) edges += path.segments.size();
  }
  EXPECT_LE(edges, player::ClipDrawing::kMaxEdges + 1);

  // Styles set again and again without drawing pile nothing up.
  player::ClipDrawing restless;
  restless.SetLineStyle(LineStyle{});
  restless.LineTo({20, 20});
  for (int i = 0; i < 200000; ++i) {
    restless.BeginFill(FillStyle{});
    restless.SetLineStyle(LineStyle{});
    restless.EndFill();
    restless.SetLineStyle(std::nullopt);
  }
  std::size_t styles = 0;
  for (const StyleGroup& group : restless.AsShape()->groups) styles += group.fills.size() + group.lines.size();
  EXPECT_LE(styles, 3u);
}

}  // namespace
}  // namespace tavelin::swf
