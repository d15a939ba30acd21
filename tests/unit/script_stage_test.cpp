// Scripts and the stage: targets and paths, frames and labels inside sprites, clip
// events, timers, buttons and the running-time limit.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/action_assembler.h"
#include "support/swf_writer.h"
#include "swf/avm1/machine.h"
#include "swf/format/action_decoder.h"
#include "swf/format/button_decoder.h"
#include "swf/format/place_object.h"
#include "swf/player/player.h"

namespace tavelin::swf {
namespace {

using testing::ActionAssembler;
using testing::SwfWriter;
namespace op = format::action_code;
using Lines = std::vector<std::string>;

class RecordingHost final : public avm1::ScriptHost {
 public:
  void Trace(const std::string& line) override { lines.push_back(line); }
  void Command(const std::string& command, const std::string& argument) override { commands.push_back(command + ":" + argument); }
  void OpenAddress(const std::string& url, const std::string&) override { commands.push_back("url:" + url); }
  double MovieMilliseconds() override { return milliseconds; }
  double WallSeconds() override { return wall += wallStep; }
  void ScriptStopped(const std::string& reason) override { stopped.push_back(reason); }

  std::vector<std::string> lines, commands, stopped;
  double milliseconds = 0, wall = 0, wallStep = 0;
};

struct ScriptMovie {
  explicit ScriptMovie(const SwfWriter& writer, double wallStep = 0)
      : movie(std::make_shared<const Movie>(LoadMovie(writer.Bytes()))) {
    host.wallStep = wallStep;
    machine = std::make_unique<avm1::Machine>(movie->Version(), host);
    player = std::make_unique<player::Player>(movie, nullptr, machine.get());
  }
  void Frames(int count, double millisecondsEach = 100) {
    for (int i = 0; i < count; ++i) {
      host.milliseconds += millisecondsEach;
      player->NextFrame();
    }
  }
  RecordingHost host;
  std::shared_ptr<const Movie> movie;
  std::unique_ptr<avm1::Machine> machine;
  std::unique_ptr<player::Player> player;
};

testing::Placement Named(std::uint16_t depth, std::uint16_t id, const std::string& name) {
  testing::Placement place = testing::Put(depth, id);
  place.name = name;
  return place;
}

// A sprite of three frames labelled "one", "two", "three", each tracing its label, the
// last one stopping.
SwfWriter LabelledSprite() {
  SwfWriter sprite;
  for (const char* label : {"one", "two", "three"}) {
    testing::AddFrameLabel(sprite, label);
    ActionAssembler frame;
    frame.Trace(std::string("inner ") + label);
    if (std::string(label) == "three") frame.Op(op::kStop);
    testing::AddDoAction(sprite, frame);
    sprite.ShowFrame();
  }
  return sprite;
}

TEST(ScriptStage, TargetsAndPaths) {
  SwfWriter inner;
  inner.ShowFrame();
  SwfWriter outer;
  outer.DefineSprite(1, inner).Place(Named(1, 1, "leaf")).ShowFrame();
  SwfWriter movie;
  movie.Version(6).DefineSprite(2, outer).Place(Named(1, 2, "box"));
  ActionAssembler script;
  script.Push({"/box/leaf"}).Op(op::kGetVariable).Op(op::kTargetPath).Op(op::kTrace)   // slash path
      .Push({"box.leaf"}).Op(op::kGetVariable).Op(op::kTrace)                            // dot path
      .Push({"box"}).Op(op::kGetVariable).Push({"leaf"}).Op(op::kGetMember).Push({"_parent"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({"/box/leaf:v", 7}).Op(op::kSetVariable)                                     // a variable of a clip by path
      .Push({"box.leaf.v"}).Op(op::kGetVariable).Op(op::kTrace)
      .SetTarget("box/leaf").Push({"w", 1}).Op(op::kSetVariable).Push({"_name"}).Op(op::kGetVariable).Op(op::kTrace).SetTarget("")
      .Push({"box.leaf.w"}).Op(op::kGetVariable).Op(op::kTrace)
      .Push({"BOX"}).Op(op::kGetVariable).Op(op::kTypeOf).Op(op::kTrace)                 // names ignore case in version 6
      .Push({"_root"}).Op(op::kGetVariable).Push({"_target"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({"box/leaf", 11}).Op(op::kGetProperty).Op(op::kTrace)                         // _target by number
      .Push({"missing.thing"}).Op(op::kGetVariable).Op(op::kTrace);
  testing::AddDoAction(movie, script);
  movie.ShowFrame();
  ScriptMovie run(movie);
  EXPECT_EQ(run.host.lines, (Lines{"_level0.box.leaf", "_level0.box.leaf", "_level0.box", "7", "leaf", "1", "movieclip", "/",
                                   "/box/leaf", "undefined"}));
}

TEST(ScriptStage, GotoByNumberAndLabelInsideSprites) {
  SwfWriter movie;
  movie.Version(8).DefineSprite(1, LabelledSprite()).Place(Named(1, 1, "clip"));
  ActionAssembler script;
  script.Push({"three", 1, "clip"}).Op(op::kGetVariable).Push({"gotoAndStop"}).Op(op::kCallMethod).Op(op::kPop)
      .Push({"TWO", 1, "clip"}).Op(op::kGetVariable).Push({"gotoAndPlay"}).Op(op::kCallMethod).Op(op::kPop)  // labels ignore case
      .Push({"clip"}).Op(op::kGetVariable).Push({"_currentframe"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({"nowhere", 1, "clip"}).Op(op::kGetVariable).Push({"gotoAndStop"}).Op(op::kCallMethod).Op(op::kPop);  // no such label
  testing::AddDoAction(movie, script);
  movie.ShowFrame();
  ScriptMovie run(movie);
  // The frame script runs first, then the clip's first frame; the frames a script's
  // gotos arrive at run after it, in order ("three" stops the clip again).
  run.Frames(2);
  EXPECT_EQ(run.host.lines, (Lines{"2", "inner one", "inner three", "inner two"}));
}

TEST(ScriptStage, ClipEventsAndEnterFrameHandlers) {
  SwfWriter inner;
  inner.ShowFrame();
  SwfWriter movie;
  movie.Version(6).DefineSprite(1, inner);
  ActionAssembler onLoad;
  onLoad.Trace("load");
  ActionAssembler onEnter;
  onEnter.Push({"count"}).Push({"count"}).Op(op::kGetVariable).Op(op::kIncrement).Op(op::kSetVariable)
      .Push({"enter "}).Push({"count"}).Op(op::kGetVariable).Op(op::kAdd2).Op(op::kTrace);
  testing::AddPlaceWithEvents(movie, 1, 1, "a", {{format::clip_event::kLoad, onLoad}, {format::clip_event::kEnterFrame, onEnter}});
  // this.onEnterFrame on the main timeline, removed after its second run.
  ActionAssembler handler;
  handler.Trace("root").Push({"runs"}).Push({"runs"}).Op(op::kGetVariable).Op(op::kIncrement).Op(op::kSetVariable)
      .Push({"runs"}).Op(op::kGetVariable).Push({2}).Op(op::kLess2).If("keep")
      .Push({"this"}).Op(op::kGetVariable).Push({"onEnterFrame"}).Op(op::kDelete).Op(op::kPop).Label("keep");
  ActionAssembler script;
  script.Push({"this"}).Op(op::kGetVariable).Push({"onEnterFrame"}).DefineFunction("", {}, handler).Op(op::kSetMember).Trace("frame");
  testing::AddDoAction(movie, script);
  movie.ShowFrame();
  ScriptMovie run(movie);
  run.Frames(3);
  EXPECT_EQ(run.host.lines, (Lines{"frame", "load", "enter 1", "root", "enter 2", "root", "enter 3"}));
}

// A duplicate takes its source's clip events: its load runs after the script that made
// it, by the action and by the method alike; a depth past the deepest makes nothing.
TEST(ScriptStage, DuplicatesKeepTheirSourcesClipEvents) {
  SwfWriter inner;
  inner.ShowFrame();
  SwfWriter movie;
  movie.Version(6).DefineSprite(1, inner);
  ActionAssembler onLoad;
  onLoad.Push({"load "}).Push({"this"}).Op(op::kGetVariable).Push({"_name"}).Op(op::kGetMember).Op(op::kAdd2).Op(op::kTrace);
  testing::AddPlaceWithEvents(movie, 1, 1, "a", {{format::clip_event::kLoad, onLoad}});
  ActionAssembler script;
  script.Push({"a", "b", 16385}).Op(op::kCloneSprite)
      .Push({7, "c", 2}).Push({"a"}).Op(op::kGetVariable).Push({"duplicateMovieClip"}).Op(op::kCallMethod).Op(op::kPop)
      .Push({2130706429, "d", 2}).Push({"a"}).Op(op::kGetVariable).Push({"duplicateMovieClip"}).Op(op::kCallMethod)
      .Op(op::kTrace);
  testing::AddDoAction(movie, script);
  movie.ShowFrame();
  ScriptMovie run(movie);
  EXPECT_EQ(run.host.lines, (Lines{"undefined", "load a", "load b", "load c"}));
}

TEST(ScriptStage, IntervalsFollowTheMovieClock) {
  SwfWriter movie;
  movie.Version(7);
  ActionAssembler tick;
  tick.Push({"tick "}).Push({"label"}).Op(op::kGetVariable).Op(op::kAdd2).Op(op::kTrace)
      .Push({"n"}).Push({"n"}).Op(op::kGetVariable).Op(op::kIncrement).Op(op::kSetVariable)
      .Push({"n"}).Op(op::kGetVariable).Push({2}).Op(op::kLess2).If("more")
      .Push({"id"}).Op(op::kGetVariable).Push({1, "clearInterval"}).Op(op::kCallFunction).Op(op::kPop).Label("more");
  ActionAssembler script;
  script.Push({"n", 0}).Op(op::kSetVariable)
      .Push({"id"}).Push({"x", 250}).DefineFunction("", {"label"}, tick).Push({3, "setInterval"}).Op(op::kCallFunction).Op(op::kSetVariable);
  testing::AddDoAction(movie, script);
  movie.ShowFrame();
  ScriptMovie run(movie);
  run.Frames(2);  // 200 ms: not yet
  EXPECT_TRUE(run.host.lines.empty());
  run.Frames(8);  // to 1 s: twice, then cleared
  EXPECT_EQ(run.host.lines, (Lines{"tick x", "tick x"}));
}

TEST(ScriptStage, AScriptRunningTooLongIsStopped) {
  SwfWriter movie;
  movie.Version(8);
  ActionAssembler forever;
  forever.Trace("start").Label("loop").Jump("loop");
  testing::AddDoAction(movie, forever);
  ActionAssembler next;
  next.Trace("next frame");
  movie.ShowFrame();
  testing::AddDoAction(movie, next);
  movie.ShowFrame();
  // Each look at the clock moves it a second on: the loop is stopped at 15 s, not
  // hung, and the movie plays on.
  ScriptMovie run(movie, 1.0);
  EXPECT_EQ(run.host.stopped, (Lines{"time"}));
  run.Frames(1);
  EXPECT_EQ(run.host.lines, (Lines{"start", "next frame"}));
}

TEST(ScriptStage, RecursionAndDamagedActionsFailCleanly) {
  SwfWriter movie;
  movie.Version(8);
  ActionAssembler body;
  body.Push({0, "f"}).Op(op::kCallFunction).Op(op::kReturn);
  ActionAssembler script;
  script.DefineFunction("f", {}, body).Push({0, "f"}).Op(op::kCallFunction).Op(op::kPop).Trace("not reached");
  testing::AddDoAction(movie, script);
  // A push that runs past its record, and a jump into the middle of a record.
  movie.RawTag(12, {0x96, 0x09, 0x00, 0x00, 'a', 0x00, 0x26, 0x00});
  movie.RawTag(12, {0x99, 0x02, 0x00, 0x01, 0x00, 0x96, 0x02, 0x00, 0x07, 0x01, 0x26, 0x00});
  ActionAssembler after;
  after.Trace("still running");
  testing::AddDoAction(movie, after);
  movie.ShowFrame();
  ScriptMovie run(movie);
  EXPECT_EQ(run.host.stopped, (Lines{"depth"}));
  EXPECT_EQ(run.host.lines, (Lines{"still running"}));
}

// A button of one square (up), a larger one (over and down) and the square as hit area,
// reporting each transition; a clip with onPress/onRelease acts as a button too.
TEST(ScriptStage, ButtonEventsForPressAndReleaseInsideAndOutside) {
  namespace bc = format::button_condition;
  SwfWriter movie;
  movie.Version(6).DefineRectangle(1, 400, 400, {255, 0, 0}).DefineRectangle(2, 600, 600, {0, 255, 0});
  std::vector<std::pair<std::uint16_t, ActionAssembler>> actions;
  for (const auto& [condition, name] : std::vector<std::pair<std::uint16_t, const char*>>{
           {bc::kRollOver, "over"}, {bc::kRollOut, "out"}, {bc::kPress, "press"}, {bc::kRelease, "release"},
           {bc::kReleaseOutside, "releaseOutside"}, {bc::kDragOut, "dragOut"}, {bc::kDragOver, "dragOver"}}) {
    ActionAssembler a;
    a.Trace(name);
    actions.emplace_back(condition, a);
  }
  testing::AddButton(movie, 3, {{1, 1, 1}, {2 | 4, 2, 2}, {8, 1, 3}}, actions);
  movie.Place(Named(1, 3, "b"));
  movie.ShowFrame();
  ScriptMovie run(movie);
  auto& player = *run.player;
  player.PointerMove(200, 200);
  EXPECT_EQ(player.CursorAt(200, 200), player::ScriptHooks::Cursor::kHand);
  EXPECT_EQ(player.CursorAt(500, 500), player::ScriptHooks::Cursor::kArrow);  // the over state is not the hit area
  player.PointerButton(true, 200, 200);
  player.PointerButton(false, 200, 200);  // release inside
  player.PointerButton(true, 200, 200);
  player.PointerMove(2000, 2000);
  player.PointerMove(100, 100);
  player.PointerMove(2000, 2000);
  player.PointerButton(false, 2000, 2000);  // release outside
  EXPECT_EQ(run.host.lines, (Lines{"over", "press", "release", "press", "dragOut", "dragOver", "dragOut", "releaseOutside"}));
}

TEST(ScriptStage, KeyConditionsAndCommandsReachTheHost) {
  namespace bc = format::button_condition;
  SwfWriter movie;
  movie.Version(6).DefineRectangle(1, 400, 400, {255, 0, 0});
  ActionAssembler onA;
  onA.Trace("key a").GetUrl("FSCommand:fullscreen", "true").GetUrl("http://example.com/", "_blank");
  testing::AddButton(movie, 2, {{1 | 8, 1, 1}}, {{static_cast<std::uint16_t>('a' << 9), onA}});
  movie.Place(Named(1, 2, "b"));
  ActionAssembler script;
  script.Push({"listener"}).Push({0}).Op(op::kInitObject).Op(op::kSetVariable);
  ActionAssembler down;
  down.Push({"down "}).Push({0, "Key"}).Op(op::kGetVariable).Push({"getCode"}).Op(op::kCallMethod).Op(op::kAdd2).Op(op::kTrace);
  script.Push({"listener"}).Op(op::kGetVariable).Push({"onKeyDown"}).DefineFunction("", {}, down).Op(op::kSetMember)
      .Push({"listener"}).Op(op::kGetVariable).Push({1, "Key"}).Op(op::kGetVariable).Push({"addListener"}).Op(op::kCallMethod).Op(op::kPop);
  testing::AddDoAction(movie, script);
  movie.ShowFrame();
  ScriptMovie run(movie);
  run.player->KeyDown(65, 'a');
  run.player->KeyUp(65);
  run.player->KeyDown(66, 'b');
  EXPECT_EQ(run.host.lines, (Lines{"down 65", "key a", "down 66"}));
  EXPECT_EQ(run.host.commands, (Lines{"fullscreen:true", "url:http://example.com/"}));
}

TEST(ScriptStage, ClipsMadeMovedAndRemovedByScripts) {
  SwfWriter inner;
  inner.ShowFrame();
  SwfWriter square;
  square.PlaceObject(1, 1).ShowFrame();
  SwfWriter movie;
  movie.Version(7).DefineRectangle(1, 400, 400, {0, 0, 255}).DefineSprite(2, inner).DefineSprite(3, square);
  testing::AddExportAssets(movie, {{3, "Square"}});
  movie.Place(Named(1, 2, "fixed"));
  auto call = [](ActionAssembler& a, const char* target, const char* method, std::initializer_list<testing::PushValue> args) {
    a.Push(args).Push({static_cast<int>(args.size())}).Push({target}).Op(op::kGetVariable).Push({method}).Op(op::kCallMethod);
  };
  ActionAssembler script;
  call(script, "_root", "getNextHighestDepth", {});
  script.Op(op::kTrace);
  call(script, "_root", "attachMovie", {5, "sq", "square"});  // export names ignore case; arguments pushed last first
  script.Op(op::kTargetPath).Op(op::kTrace);
  script.Push({"sq"}).Op(op::kGetVariable).Push({"_x", 100}).Op(op::kSetMember);
  call(script, "sq", "hitTest", {true, 10, 110});  // inside the square, by its outline
  script.Op(op::kTrace);
  call(script, "sq", "hitTest", {true, 10, 50});   // left of it
  script.Op(op::kTrace);
  call(script, "sq", "duplicateMovieClip", {9, "copy"});
  script.Push({"copy"}).Op(op::kGetVariable).Push({"_x"}).Op(op::kGetMember).Op(op::kTrace);
  call(script, "_root", "getNextHighestDepth", {});
  script.Op(op::kTrace);
  call(script, "copy", "swapDepths", {2});
  call(script, "copy", "getDepth", {});
  script.Op(op::kTrace);
  call(script, "copy", "removeMovieClip", {});
  call(script, "fixed", "removeMovieClip", {});  // placed by the timeline: stays
  script.Push({"copy"}).Op(op::kGetVariable).Op(op::kTypeOf).Op(op::kTrace)
      .Push({"fixed"}).Op(op::kGetVariable).Op(op::kTypeOf).Op(op::kTrace);
  call(script, "_root", "createEmptyMovieClip", {3, "holder"});
  script.Op(op::kTargetPath).Op(op::kTrace);
  testing::AddDoAction(movie, script);
  movie.ShowFrame();
  ScriptMovie run(movie);
  EXPECT_EQ(run.host.lines, (Lines{"0", "_level0.sq", "true", "false", "100", "10", "2", "undefined", "movieclip",
                                   "_level0.holder"}));
}

}  // namespace
}  // namespace tavelin::swf
