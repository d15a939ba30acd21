// The script machine through whole movies: small scripts whose trace output is known.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/action_assembler.h"
#include "support/swf_writer.h"
#include "swf/avm1/machine.h"
#include "swf/format/action_decoder.h"
#include "swf/player/player.h"

namespace tavelin::swf {
namespace {

using testing::ActionAssembler;
using testing::Null;
using testing::Register;
using testing::Undefined;
namespace op = format::action_code;
namespace fl = format::function_flag;

class RecordingHost final : public avm1::ScriptHost {
 public:
  void Trace(const std::string& line) override { lines.push_back(line); }
  void Command(const std::string& command, const std::string& argument) override { commands.push_back(command + ":" + argument); }
  void OpenAddress(const std::string& url, const std::string&) override { commands.push_back("url:" + url); }
  double MovieMilliseconds() override { return milliseconds; }
  double WallSeconds() override {
    wall += wallStep;
    return wall;
  }
  void ScriptStopped(const std::string& reason) override { stopped.push_back(reason); }

  std::vector<std::string> lines, commands, stopped;
  double milliseconds = 0, wall = 0, wallStep = 0;
};

// A movie of `frames` frames whose first frame runs `script`; the host's clock moves a
// twelfth of a second per frame.
struct ScriptMovie {
  explicit ScriptMovie(testing::SwfWriter writer) : movie(std::make_shared<const Movie>(LoadMovie(writer.Bytes()))) {
    machine = std::make_unique<avm1::Machine>(movie->Version(), host);
    player = std::make_unique<player::Player>(movie, nullptr, machine.get());
  }
  void Frames(int count) {
    for (int i = 0; i < count; ++i) {
      host.milliseconds += 1000.0 / 12;
      player->NextFrame();
    }
  }
  RecordingHost host;
  std::shared_ptr<const Movie> movie;
  std::unique_ptr<avm1::Machine> machine;
  std::unique_ptr<player::Player> player;
};

std::vector<std::string> RunScript(const ActionAssembler& script, int version = 8) {
  testing::SwfWriter writer;
  writer.Version(static_cast<std::uint8_t>(version));
  testing::AddDoAction(writer, script);
  writer.ShowFrame();
  ScriptMovie movie(writer);
  return movie.host.lines;
}

using Lines = std::vector<std::string>;

TEST(ScriptMachine, ConversionsFollowTheMovieVersion) {
  ActionAssembler script;
  script.Push({"u: "}).Push({"missing"}).Op(op::kGetVariable).Op(op::kAdd2).Op(op::kTrace)  // undefined in a string
      .Push({"", 1}).Op(op::kAdd2).Op(op::kTrace)                                           // "" + 1 -> "1"
      .Push({"Abc"}).Push({5}).Op(op::kSetVariable).Push({"aBC"}).Op(op::kGetVariable).Op(op::kTrace)  // case of names
      .Push({"0x10"}).Op(op::kToNumber).Op(op::kTrace)
      .Push({" 12 "}).Op(op::kToNumber).Op(op::kTrace)  // trailing white space: a number before version 6 only
      .Push({"missing"}).Op(op::kGetVariable).Op(op::kToNumber).Op(op::kTrace)
      .Push({1.0e21}).Op(op::kTrace).Push({-0.5}).Op(op::kTrace).Push({0.1}).Push({0.2}).Op(op::kAdd2).Op(op::kTrace)
      .Push({Null{}}).Push({Undefined{}}).Op(op::kEquals2).Op(op::kTrace)
      .Push({"10"}).Push({9}).Op(op::kLess2).Op(op::kTrace)       // "10" < 9 compares numbers
      .Push({"10"}).Push({"9"}).Op(op::kLess2).Op(op::kTrace);    // two strings compare as text
  EXPECT_EQ(RunScript(script, 7),
            (Lines{"u: undefined", "1", "undefined", "16", "NaN", "NaN", "1e+21", "-0.5", "0.3", "true", "false", "true"}));
  EXPECT_EQ(RunScript(script, 6), (Lines{"u: ", "1", "5", "16", "NaN", "0", "1e+21", "-0.5", "0.3", "true", "false", "true"}));
  EXPECT_EQ(RunScript(script, 5), (Lines{"u: ", "1", "5", "NaN", "12", "0", "1e+21", "-0.5", "0.3", "true", "false", "true"}));
}

TEST(ScriptMachine, SwfFourActionsUseNumbersForTruth) {
  ActionAssembler script;
  script.Push({3, 3}).Op(op::kEquals).Op(op::kTrace)
      .Push({"this"}).Push({"plain"}).Op(op::kSetVariable).Push({"this"}).Op(op::kGetVariable).Op(op::kTrace)
      .Push({"ab", "cd"}).Op(op::kStringAdd).Op(op::kTrace)
      .Push({"hello", 2, 3}).Op(op::kStringExtract).Op(op::kTrace);
  EXPECT_EQ(RunScript(script, 4), (Lines{"1", "plain", "abcd", "ell"}));
}

// function counter() { var n = 0; return function () { n++; return n; }; }
// a = counter(); b = counter(); a(); a(); b(); trace(a() + "," + b());
TEST(ScriptMachine, ClosuresKeepTheirOwnScope) {
  ActionAssembler inner;
  inner.Push({"n"}).Push({"n"}).Op(op::kGetVariable).Op(op::kIncrement).Op(op::kSetVariable).Push({"n"}).Op(op::kGetVariable).Op(op::kReturn);
  ActionAssembler counter;
  counter.Push({"n", 0}).Op(op::kDefineLocal).DefineFunction("", {}, inner).Op(op::kReturn);
  ActionAssembler script;
  script.DefineFunction("counter", {}, counter);
  for (const char* name : {"a", "b"}) script.Push({name}).Push({0, "counter"}).Op(op::kCallFunction).Op(op::kSetVariable);
  for (const char* name : {"a", "a", "b"}) script.Push({0, name}).Op(op::kCallFunction).Op(op::kPop);
  script.Push({0, "a"}).Op(op::kCallFunction).Push({","}).Op(op::kAdd2).Push({0, "b"}).Op(op::kCallFunction).Op(op::kAdd2).Op(op::kTrace)
      .TraceVariable("n");  // the timeline has no n of its own
  EXPECT_EQ(RunScript(script), (Lines{"3,2", "undefined"}));
}

// DefineFunction2 with registers: this, arguments and _root preloaded, a parameter in a
// register; and the names it preloads are not variables inside it.
TEST(ScriptMachine, RegisterFunctionsPreloadWhatTheyAsk) {
  ActionAssembler body;
  body.Push({Register{1}}).Op(op::kTrace)                                    // this
      .Push({Register{2}, "length"}).Op(op::kGetMember).Op(op::kTrace)       // arguments.length
      .Push({Register{3}}).Op(op::kTrace)                                    // _root
      .Push({Register{4}, 10}).Op(op::kMultiply).Op(op::kTrace)              // x * 10
      .Push({"this"}).Op(op::kGetVariable).Op(op::kTypeOf).Op(op::kTrace)
      .Push({"y"}).Op(op::kGetVariable).Op(op::kTrace);                      // a named parameter
  ActionAssembler script;
  script.DefineFunction2("f", 5, fl::kPreloadThis | fl::kPreloadArguments | fl::kPreloadRoot, {{4, "x"}, {0, "y"}}, body)
      .Push({"Y", 4, 2, "f"}).Op(op::kCallFunction).Op(op::kPop);
  EXPECT_EQ(RunScript(script), (Lines{"_level0", "2", "_level0", "40", "undefined", "Y"}));
}

// function Base(v) { this.v = v; }  Base.prototype.describe = function () { return "base " + this.v; };
// function Sub(v) { super(v * 2); }  Sub extends Base; Sub.prototype.describe: "sub/" + super.describe()
TEST(ScriptMachine, PrototypesInheritAndSuperReachesTheParent) {
  ActionAssembler baseCtor;
  baseCtor.Push({"this"}).Op(op::kGetVariable).Push({"v", "v"}).Op(op::kGetVariable).Op(op::kSetMember);
  ActionAssembler baseDescribe;
  baseDescribe.Push({"base "}).Push({"this"}).Op(op::kGetVariable).Push({"v"}).Op(op::kGetMember).Op(op::kAdd2).Op(op::kReturn);
  ActionAssembler subCtor;
  subCtor.Push({"v"}).Op(op::kGetVariable).Push({2}).Op(op::kMultiply).Push({1, "super"}).Op(op::kCallFunction).Op(op::kPop);
  ActionAssembler subDescribe;
  subDescribe.Push({"sub/"}).Push({0}).Push({"super"}).Op(op::kGetVariable).Push({"describe"}).Op(op::kCallMethod).Op(op::kAdd2).Op(op::kReturn);
  ActionAssembler script;
  script.DefineFunction("Base", {"v"}, baseCtor)
      .Push({"Base"}).Op(op::kGetVariable).Push({"prototype"}).Op(op::kGetMember).Push({"describe"}).DefineFunction("", {}, baseDescribe).Op(op::kSetMember)
      .DefineFunction("Sub", {"v"}, subCtor)
      .Push({"Sub"}).Op(op::kGetVariable).Push({"Base"}).Op(op::kGetVariable).Op(op::kExtends)
      .Push({"Sub"}).Op(op::kGetVariable).Push({"prototype"}).Op(op::kGetMember).Push({"describe"}).DefineFunction("", {}, subDescribe).Op(op::kSetMember)
      .Push({"s"}).Push({21, 1, "Sub"}).Op(op::kNewObject).Op(op::kSetVariable)
      .Push({0}).Push({"s"}).Op(op::kGetVariable).Push({"describe"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({"s"}).Op(op::kGetVariable).Push({"Base"}).Op(op::kGetVariable).Op(op::kInstanceOf).Op(op::kTrace)
      .Push({"s"}).Op(op::kGetVariable).Push({"__proto__"}).Op(op::kGetMember).Push({"Sub"}).Op(op::kGetVariable).Push({"prototype"}).Op(op::kGetMember).Op(op::kStrictEquals).Op(op::kTrace);
  EXPECT_EQ(RunScript(script, 7), (Lines{"sub/base 42", "true", "true"}));
}

// o.addProperty("twice", getter, setter); ASSetPropFlags hides and protects.
TEST(ScriptMachine, AccessorsAndPropertyFlags) {
  ActionAssembler getter;
  getter.Push({"this"}).Op(op::kGetVariable).Push({"raw"}).Op(op::kGetMember).Push({2}).Op(op::kMultiply).Op(op::kReturn);
  ActionAssembler setter;
  setter.Push({"this"}).Op(op::kGetVariable).Push({"raw", "value"}).Op(op::kGetVariable).Op(op::kSetMember);
  ActionAssembler script;
  script.Push({"o"}).Push({0}).Op(op::kInitObject).Op(op::kSetVariable)
      .Push({"o"}).Op(op::kGetVariable).Push({"hidden", 1}).Op(op::kSetMember)
      .DefineFunction("", {"value"}, setter).DefineFunction("", {}, getter).Push({"twice", 3, "o"}).Op(op::kGetVariable).Push({"addProperty"}).Op(op::kCallMethod).Op(op::kPop)
      .Push({"o"}).Op(op::kGetVariable).Push({"twice", 5}).Op(op::kSetMember)
      .Push({"o"}).Op(op::kGetVariable).Push({"twice"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({7, "hidden"}).Push({"o"}).Op(op::kGetVariable).Push({3, "ASSetPropFlags"}).Op(op::kCallFunction).Op(op::kPop)
      .Push({"o"}).Op(op::kGetVariable).Push({"hidden", 2}).Op(op::kSetMember)  // read-only now
      .Push({"o"}).Op(op::kGetVariable).Push({"hidden"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({"list", ""}).Op(op::kSetVariable)
      .Push({"o"}).Op(op::kGetVariable).Op(op::kEnumerate2)
      .Label("next").StoreRegister(0).Push({Null{}}).Op(op::kEquals2).If("done")
      .Push({"list"}).Push({"list"}).Op(op::kGetVariable).Push({Register{0}}).Op(op::kAdd2).Push({";"}).Op(op::kAdd2).Op(op::kSetVariable).Jump("next")
      .Label("done").TraceVariable("list");
  // Enumeration gives the newest property first.
  EXPECT_EQ(RunScript(script), (Lines{"10", "1", "raw;twice;"}));
}

TEST(ScriptMachine, ArraysAndStrings) {
  ActionAssembler script;
  script.Push({"a"}).Push({3, 1, 2, 3}).Op(op::kInitArray).Op(op::kSetVariable)  // [3, 1, 2]
      .Push({0}).Push({"a"}).Op(op::kGetVariable).Push({"sort"}).Op(op::kCallMethod).Op(op::kPop)
      .Push({4, 1}).Push({"a"}).Op(op::kGetVariable).Push({"push"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({"a"}).Op(op::kGetVariable).Op(op::kTrace)
      .Push({2, 1, 2}).Push({"a"}).Op(op::kGetVariable).Push({"splice"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({"a"}).Op(op::kGetVariable).Push({"length"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({"a"}).Op(op::kGetVariable).Push({"length", 1}).Op(op::kSetMember)
      .Push({"-", 1}).Push({"a"}).Op(op::kGetVariable).Push({"join"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({",", 1, "a,b,,c"}).Push({"split"}).Op(op::kCallMethod).Push({"length"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({-3, 1, "abcdef"}).Push({"substr"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({4, 2, 2, "abcdef"}).Push({"substring"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({"d", 1, "abcdef"}).Push({"indexOf"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({0, "Hi"}).Push({"toUpperCase"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({"Hi"}).Push({"length"}).Op(op::kGetMember).Op(op::kTrace);
  EXPECT_EQ(RunScript(script), (Lines{"4", "1,2,3,4", "2,3", "2", "1", "4", "def", "cd", "3", "HI", "2"}));
}

// Sorting as movies rely on it: flags are the last number given, numbers compare as
// numbers only with numbers, sortOn takes fields with flags of their own and reads only
// the items' own values, and a first argument that is neither flags nor a function
// sorts nothing.
TEST(ScriptMachine, SortAndSortOnFollowTheirArguments) {
  ActionAssembler script;
  script.Push({"r"})
      .Push({"n", "foo", "b", 1, 2}).Op(op::kInitObject)
      .Push({"n", "bar", "b", 3, 2}).Op(op::kInitObject)
      .Push({"n", "BAR", "b", 22, 2}).Op(op::kInitObject)
      .Push({"n", "foo", "b", 2, 2}).Op(op::kInitObject)
      .Push({4}).Op(op::kInitArray).Op(op::kSetVariable)
      .Push({16, 9, 2}).Op(op::kInitArray).Push({"b", "n", 2}).Op(op::kInitArray).Push({2})
      .Push({"r"}).Op(op::kGetVariable).Push({"sortOn"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({"a"}).Push({22, 1, "x", 4, 4}).Op(op::kInitArray).Op(op::kSetVariable)
      .Push({16, 2, 2}).Push({"a"}).Op(op::kGetVariable).Push({"sort"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({true, 1}).Push({"a"}).Op(op::kGetVariable).Push({"sort"}).Op(op::kCallMethod).Op(op::kTypeOf).Op(op::kTrace)
      .Push({0}).Push({"a"}).Op(op::kGetVariable).Push({"reverse"}).Op(op::kCallMethod).Op(op::kPop)
      .Push({0}).Op(op::kInitObject).Push({1}).Push({"a"}).Op(op::kGetVariable).Push({"sort"}).Op(op::kCallMethod)
      .Op(op::kTrace);
  EXPECT_EQ(RunScript(script), (Lines{"2,1,3,0", "1,4,22,x", "undefined", "x,22,4,1"}));
}

// The old numeric actions convert their operands in the order movies saw them (valueOf
// runs left first for an addition, right first for a subtraction), and a catch leaves
// the stack as the try block left it when that block popped values.
TEST(ScriptMachine, OperandsConvertInTheirOrderAndACatchKeepsWhatTheTryPopped) {
  ActionAssembler left, right;
  left.Trace("left").Push({1}).Op(op::kReturn);
  right.Trace("right").Push({2}).Op(op::kReturn);
  ActionAssembler body, handler;
  body.Op(op::kPop).Push({"boom"}).Op(op::kThrow);
  handler.Op(op::kPushDuplicate).Op(op::kTrace);
  ActionAssembler script;
  script.Push({"a"}).Push({0}).Op(op::kInitObject).Op(op::kSetVariable)
      .Push({"a"}).Op(op::kGetVariable).Push({"valueOf"}).DefineFunction("", {}, left).Op(op::kSetMember)
      .Push({"b"}).Push({0}).Op(op::kInitObject).Op(op::kSetVariable)
      .Push({"b"}).Op(op::kGetVariable).Push({"valueOf"}).DefineFunction("", {}, right).Op(op::kSetMember)
      .Push({"a"}).Op(op::kGetVariable).Push({"b"}).Op(op::kGetVariable).Op(op::kAdd).Op(op::kTrace)
      .Push({"a"}).Op(op::kGetVariable).Push({"b"}).Op(op::kGetVariable).Op(op::kSubtract).Op(op::kTrace)
      .Push({7, 8, 9}).Try(body, "e", &handler, nullptr);
  EXPECT_EQ(RunScript(script), (Lines{"left", "right", "3", "right", "left", "-1", "8"}));
}

// A saved object keeps its data for the same name while the movie plays, and movies
// find the player's version where they look for it.
TEST(ScriptMachine, SharedObjectsAndThePlayersVersion) {
  ActionAssembler script;
  script.Push({"so"}).Push({"scores", 1}).Push({"SharedObject"}).Op(op::kGetVariable).Push({"getLocal"})
      .Op(op::kCallMethod).Op(op::kSetVariable)
      .Push({"so"}).Op(op::kGetVariable).Push({"data"}).Op(op::kGetMember).Push({"best", 42}).Op(op::kSetMember)
      .Push({"scores", 1}).Push({"SharedObject"}).Op(op::kGetVariable).Push({"getLocal"}).Op(op::kCallMethod)
      .Push({"data"}).Op(op::kGetMember).Push({"best"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({0}).Push({"so"}).Op(op::kGetVariable).Push({"flush"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({"$version"}).Op(op::kGetVariable).Op(op::kTrace)
      .Push({"System"}).Op(op::kGetVariable).Push({"capabilities"}).Op(op::kGetMember).Push({"version"})
      .Op(op::kGetMember).Op(op::kTrace);
  EXPECT_EQ(RunScript(script), (Lines{"42", "true", "WIN 8,0,24,0", "WIN 8,0,24,0"}));
}

// Texts are indexed by character, not by byte: a Chinese character is one, a character
// beyond the basic plane two (as the movies' own player counts them).
TEST(ScriptMachine, StringMethodsCountCharactersNotBytes) {
  const std::string text = "\xe4\xbd\xa0\xe5\xa5\xbd\xe4\xb8\x96\xe7\x95\x8c";  // 你好世界
  ActionAssembler script;
  script.Push({text}).Push({"length"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({1, 1, text}).Push({"charAt"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({3, 1, 2, text}).Push({"substring"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({"\xe4\xb8\x96", 1, text}).Push({"indexOf"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({0, 1, text}).Push({"charCodeAt"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({0x4E16, 1}).Push({"String"}).Op(op::kGetVariable).Push({"fromCharCode"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({"\xf0\x9f\x98\x8b"}).Push({"length"}).Op(op::kGetMember).Op(op::kTrace);
  EXPECT_EQ(RunScript(script), (Lines{"4", "\xe5\xa5\xbd", "\xe5\xa5\xbd\xe4\xb8\x96", "2", "20320",
                                      "\xe4\xb8\x96", "2"}));
}

TEST(ScriptMachine, TryCatchFinallyAndThrownValues) {
  ActionAssembler thrower;
  thrower.Push({"boom"}).Op(op::kThrow);
  ActionAssembler handler;
  handler.Push({"caught "}).Push({"e"}).Op(op::kGetVariable).Op(op::kAdd2).Op(op::kTrace);
  ActionAssembler last;
  last.Trace("finally");
  ActionAssembler body;
  body.Push({0, "f"}).Op(op::kCallFunction).Op(op::kPop).Trace("not reached");
  ActionAssembler script;
  script.DefineFunction("f", {}, thrower).Try(body, "e", &handler, &last).Trace("after");
  // A throw nothing catches ends that script only.
  script.Push({"uncaught"}).Op(op::kThrow).Trace("never");
  EXPECT_EQ(RunScript(script), (Lines{"caught boom", "finally", "after"}));
}

}  // namespace
}  // namespace tavelin::swf


