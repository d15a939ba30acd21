// Scripts and the life of clips: removal while a script runs, depths, references held
// by path, instance names, `this` of functions called by name, load and unload events,
// and how many frames a sprite plays.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "support/action_assembler.h"
#include "support/trace_host.h"
#include "support/swf_writer.h"
#include "swf/avm1/machine.h"
#include "swf/format/action_decoder.h"
#include "swf/format/button_decoder.h"
#include "swf/format/place_object.h"
#include "swf/format/sprite_decoder.h"
#include "swf/player/player.h"

namespace tavelin::swf {
namespace {

using testing::ActionAssembler;
using testing::PushValue;
using testing::SwfWriter;
namespace op = format::action_code;
using testing::TraceHost;
using Lines = std::vector<std::string>;


struct ClipMovie {
  explicit ClipMovie(const SwfWriter& writer) : movie(std::make_shared<const Movie>(LoadMovie(writer.Bytes()))) {
    machine = std::make_unique<avm1::Machine>(movie->Version(), host);
    player = std::make_unique<player::Player>(movie, nullptr, machine.get());
  }
  TraceHost host{true};
  std::shared_ptr<const Movie> movie;
  std::unique_ptr<avm1::Machine> machine;
  std::unique_ptr<player::Player> player;
};

// object.method(args...), its result left on the stack.
ActionAssembler& CallOn(ActionAssembler& s, const std::string& object, const std::string& method, std::vector<PushValue> args = {}) {
  for (auto it = args.rbegin(); it != args.rend(); ++it) s.Push({*it});
  s.Push({static_cast<int>(args.size()), object}).Op(op::kGetVariable).Push({method}).Op(op::kCallMethod);
  return s;
}
// trace(object.member)
ActionAssembler& TraceMember(ActionAssembler& s, const std::string& object, const std::string& member) {
  return s.Push({object}).Op(op::kGetVariable).Push({member}).Op(op::kGetMember).Op(op::kTrace);
}

TEST(ScriptClips, AScriptWhoseClipIsRemovedGoesOnOnTheRootUntilItsNextCallAndTheClipHearsItsUnload) {
  // The clip's frame sends the main timeline on to the frame that removes the clip,
  // reads a variable only the root has, then calls a method: that call ends it.
  ActionAssembler inner;
  inner.Trace("in").SetTarget("_root").GotoFrame(1).SetTarget("").TraceVariable("foo");
  CallOn(inner, "_root", "stop").Op(op::kPop).Trace("never");
  SwfWriter sprite;
  testing::AddDoAction(sprite, inner);
  sprite.ShowFrame();

  ActionAssembler unload;
  unload.Trace("unload");
  ActionAssembler first;
  first.Set("foo", "rootfoo").Op(op::kStop);
  SwfWriter movie;
  movie.Version(8).DefineSprite(1, sprite);
  testing::AddDoAction(movie, first);
  testing::AddPlaceWithEvents(movie, 1, 1, "clip", {{format::clip_event::kUnload, unload}});
  movie.ShowFrame().RemoveObject(1).ShowFrame();
  ClipMovie run(movie);
  EXPECT_EQ(run.host.lines, (Lines{"in", "rootfoo", "unload"}));
}

TEST(ScriptClips, DepthsReachTheDeepestScriptDepthAndReferencesFollowTheirPath) {
  ActionAssembler s;
  CallOn(s, "_root", "createEmptyMovieClip", {"a", 1}).Op(op::kPop);
  CallOn(s, "a", "swapDepths", {2130690044}).Op(op::kPop);
  CallOn(s, "a", "getDepth").Op(op::kTrace);
  CallOn(s, "_root", "getNextHighestDepth").Op(op::kTrace);
  CallOn(s, "a", "swapDepths", {2130690045}).Op(op::kPop);  // past the deepest: refused
  CallOn(s, "a", "swapDepths", {testing::Undefined{}}).Op(op::kPop);
  CallOn(s, "a", "getDepth").Op(op::kTrace);
  CallOn(s, "a", "swapDepths", {"not a number"}).Op(op::kPop);  // counts as 0
  CallOn(s, "a", "getDepth").Op(op::kTrace);
  // Below depth 0 a clip cannot be removed; above it, it can.
  CallOn(s, "_root", "createEmptyMovieClip", {"low", -1}).Op(op::kPop);
  CallOn(s, "low", "removeMovieClip").Op(op::kPop);
  s.TraceVariable("low");
  CallOn(s, "_root", "createEmptyMovieClip", {"c", 5}).Op(op::kPop);
  s.Push({"ref", "c"}).Op(op::kGetVariable).Op(op::kSetVariable);
  CallOn(s, "c", "removeMovieClip").Op(op::kPop);
  s.Push({"["}).Push({"ref"}).Op(op::kGetVariable).Op(op::kAdd2).Push({"]"}).Op(op::kAdd2).Op(op::kTrace);
  // A new clip at the same path is what the old reference reaches now.
  CallOn(s, "_root", "createEmptyMovieClip", {"c", 6}).Op(op::kPop);
  s.Push({"ref"}).Op(op::kGetVariable).Push({"_x", 7}).Op(op::kSetMember);
  TraceMember(s, "c", "_x");
  s.Push({"ref"}).Op(op::kGetVariable).Push({"c"}).Op(op::kGetVariable).Op(op::kStrictEquals).Op(op::kTrace);
  SwfWriter movie;
  movie.Version(8);
  testing::AddDoAction(movie, s);
  movie.ShowFrame();
  ClipMovie run(movie);
  EXPECT_EQ(run.host.lines,
            (Lines{"2130690044", "2130690045", "2130690044", "0", "_level0.low", "[]", "7", "true"}));
}

TEST(ScriptClips, NamesThisOfCalledFunctionsAndLoadEvents) {
  // An unnamed sprite inside an unnamed sprite: the outer one is numbered first.
  SwfWriter leaf;
  leaf.ShowFrame();
  SwfWriter outer;
  outer.DefineSprite(1, leaf).Place(testing::Put(1, 1)).ShowFrame();
  // A symbol whose class has an onLoad method, registered by its init actions.
  SwfWriter symbol;
  symbol.ShowFrame();
  ActionAssembler onLoad;
  onLoad.Push({"onLoad "}).Push({"this"}).Op(op::kGetVariable).Push({"_name"}).Op(op::kGetMember).Op(op::kAdd2).Op(op::kTrace);
  ActionAssembler init;
  init.Push({"C"}).DefineFunction("", {}, ActionAssembler()).Op(op::kSetVariable);
  init.Push({"C"}).Op(op::kGetVariable).Push({"prototype"}).Op(op::kGetMember).Push({"onLoad"})
      .DefineFunction("", {}, onLoad).Op(op::kSetMember);
  init.Push({"C"}).Op(op::kGetVariable).Push({"sym", 2, "Object"}).Op(op::kGetVariable).Push({"registerClass"})
      .Op(op::kCallMethod).Op(op::kPop);

  ActionAssembler whoAmI;
  whoAmI.Push({"this"}).Op(op::kGetVariable).Op(op::kTrace);
  ActionAssembler s;
  TraceMember(s, "instance1.instance2", "_name");
  s.Push({"box"}).Op(op::kGetVariable).Push({"f"}).DefineFunction("", {}, whoAmI).Op(op::kSetMember);
  s.Push({0, "box.f"}).Op(op::kCallFunction).Op(op::kPop);  // by path: this is the box
  ActionAssembler inWith;
  inWith.Push({0, "f"}).Op(op::kCallFunction).Op(op::kPop);
  s.Push({"box"}).Op(op::kGetVariable).With(inWith);  // found in a With block: this is the box
  CallOn(s, "_root", "attachMovie", {"sym", "made", 3}).Op(op::kPop);
  s.Trace("after attach");

  SwfWriter movie;
  movie.Version(8).DefineSprite(2, outer).DefineSprite(3, symbol).DefineSprite(4, leaf);
  testing::AddExportAssets(movie, {{3, "sym"}});
  testing::AddDoInitAction(movie, 3, init);
  movie.Place(testing::Put(1, 2));
  testing::Placement box = testing::Put(2, 4);
  box.name = "box";
  movie.Place(box);
  testing::AddDoAction(movie, s);
  movie.ShowFrame();
  ClipMovie run(movie);
  EXPECT_EQ(run.host.lines, (Lines{"instance2", "_level0.box", "_level0.box", "after attach", "onLoad made"}));
}

TEST(ScriptClips, StageSettingsAreNormalizedAndEachFrameScriptStartsWithEmptyRegisters) {
  ActionAssembler onFull;
  onFull.Push({"full "}).Push({"on"}).Op(op::kGetVariable).Op(op::kAdd2).Op(op::kTrace);
  ActionAssembler first;
  first.Push({"listener", 0, "Object"}).Op(op::kNewObject).Op(op::kSetVariable);
  first.Push({"listener"}).Op(op::kGetVariable).Push({"onFullScreen"}).DefineFunction("", {"on"}, onFull).Op(op::kSetMember);
  first.Push({"listener"}).Op(op::kGetVariable).Push({1, "Stage"}).Op(op::kGetVariable).Push({"addListener"})
      .Op(op::kCallMethod).Op(op::kPop);
  const auto setStage = [&first](const std::string& name, PushValue value) {
    first.Push({"Stage"}).Op(op::kGetVariable).Push({name}).Push({value}).Op(op::kSetMember);
    TraceMember(first, "Stage", name);
  };
  setStage("align", "tbx l");
  setStage("scaleMode", "NOSCALE");
  setStage("scaleMode", "nonsense");
  setStage("displayState", "FULLSCREEN");
  setStage("displayState", "fullScreen");  // no change: nothing told
  setStage("displayState", "sideways");    // not a state: left as it was
  first.Push({42}).StoreRegister(1).Op(op::kPop);
  ActionAssembler second;
  second.Push({"r1 "}).Push({testing::Register{1}}).Op(op::kAdd2).Op(op::kTrace);
  SwfWriter movie;
  movie.Version(8);
  testing::AddDoAction(movie, first);
  movie.ShowFrame();
  testing::AddDoAction(movie, second);
  movie.ShowFrame();
  ClipMovie run(movie);
  run.player->NextFrame();
  EXPECT_EQ(run.host.lines, (Lines{"LTB", "noScale", "showAll", "fullscreen:true", "full true", "fullScreen", "fullScreen",
                                   "fullScreen", "r1 undefined"}));
}

TEST(ScriptClips, AButtonWhoseEnabledIsFalseTakesNoPointerEvents) {
  SwfWriter movie;
  movie.Version(8).StagePixels(200, 100).DefineRectangle(1, 1000, 1000, {255, 0, 0});
  // Button actions run on the timeline around the button: each says which it is.
  for (const auto& [depth, name, x] : {std::tuple<int, const char*, int>{1, "off", 0}, {2, "on", 2000}}) {
    ActionAssembler release;
    release.Trace(std::string("released ") + name);
    const auto id = static_cast<std::uint16_t>(depth + 1);
    testing::AddButton(movie, id, {{1 | 2 | 4 | 8, 1, 1}}, {{format::button_condition::kRelease, release}});
    testing::Placement place = testing::Put(static_cast<std::uint16_t>(depth), id, x, 0);
    place.name = name;
    movie.Place(place);
  }
  ActionAssembler script;
  script.Push({"off"}).Op(op::kGetVariable).Push({"enabled", false}).Op(op::kSetMember).Op(op::kStop);
  testing::AddDoAction(movie, script);
  movie.ShowFrame();
  ClipMovie run(movie);
  for (const double x : {500.0, 2500.0}) {
    run.machine->PointerMove(x, 500);
    run.machine->PointerButton(true, x, 500);
    run.machine->PointerButton(false, x, 500);
  }
  EXPECT_EQ(run.host.lines, (Lines{"released on"}));
}

TEST(ScriptClips, HitTestingShapesHonoursMasksInsideTheClipButNotItsOwnVisibility) {
  // A 50 px square masks a 100 px wide bar: only its left half can be hit.
  SwfWriter inner;
  testing::Placement mask = testing::Put(1, 1);
  mask.clipDepth = 2;
  inner.Place(mask).Place(testing::Put(2, 2)).ShowFrame();
  SwfWriter movie;
  movie.Version(8).StagePixels(200, 100).DefineRectangle(1, 1000, 1000, {255, 0, 0}).DefineRectangle(2, 2000, 1000, {0, 0, 255});
  movie.DefineSprite(3, inner);
  testing::Placement clip = testing::Put(1, 3);
  clip.name = "clip";
  movie.Place(clip);
  ActionAssembler s;
  CallOn(s, "clip", "hitTest", {25, 25, true}).Op(op::kTrace);
  CallOn(s, "clip", "hitTest", {75, 25, true}).Op(op::kTrace);
  CallOn(s, "clip", "hitTest", {75, 25, false}).Op(op::kTrace);  // the bounds hold it
  s.Push({"clip"}).Op(op::kGetVariable).Push({"_visible", false}).Op(op::kSetMember);
  CallOn(s, "clip", "hitTest", {25, 25, true}).Op(op::kTrace);
  testing::AddDoAction(movie, s);
  movie.ShowFrame();
  ClipMovie run(movie);
  EXPECT_EQ(run.host.lines, (Lines{"true", "false", "true", "true"}));
}

// A DefineSprite body: id 1, `declared` frames, then `tags` as given.
std::vector<std::uint8_t> SpriteBody(std::uint16_t declared, const std::vector<std::uint8_t>& tags) {
  std::vector<std::uint8_t> body{1, 0, static_cast<std::uint8_t>(declared), static_cast<std::uint8_t>(declared >> 8)};
  body.insert(body.end(), tags.begin(), tags.end());
  return body;
}

TEST(ScriptClips, ASpriteHasTheFramesItShowsAndLoopsOnlyWhenItEndsWhole) {
  const std::vector<std::uint8_t> showFrame{0x40, 0x00}, end{0x00, 0x00}, removeDepth1{0x02, 0x07, 0x01, 0x00};
  const auto join = [](std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  };
  // Two frames shown where one is declared: it plays and loops both.
  const auto whole = format::DecodeDefineSprite(SpriteBody(1, join({showFrame, showFrame, end})), 0);
  EXPECT_EQ(whole.FrameCount(), 2);
  EXPECT_EQ(whole.NextFrame(1), 0);
  // Five declared, one shown: one frame.
  EXPECT_EQ(format::DecodeDefineSprite(SpriteBody(5, join({showFrame, end})), 0).FrameCount(), 1);
  // Tags after the last ShowFrame make a last frame it stays on.
  const auto trailing = format::DecodeDefineSprite(SpriteBody(1, join({showFrame, removeDepth1, end})), 0);
  EXPECT_EQ(trailing.FrameCount(), 2);
  EXPECT_EQ(trailing.FrameTags(1).size(), 1u);
  EXPECT_EQ(trailing.NextFrame(1), 1);
  // Without its End tag it stays on its last frame too.
  const auto cut = format::DecodeDefineSprite(SpriteBody(3, join({showFrame, showFrame})), 0);
  EXPECT_EQ(cut.FrameCount(), 2);
  EXPECT_EQ(cut.NextFrame(0), 1);
  EXPECT_EQ(cut.NextFrame(1), 1);
}

}  // namespace
}  // namespace tavelin::swf
