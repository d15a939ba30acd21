// The script machine's core language through small movies: loose equality and ordering
// with objects, number parsing, and other conversions movies depend on.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/action_assembler.h"
#include "support/trace_host.h"
#include "support/swf_writer.h"
#include "swf/avm1/machine.h"
#include "swf/format/action_decoder.h"
#include "swf/player/player.h"

namespace tavelin::swf {
namespace {

using testing::ActionAssembler;
using testing::Null;
using testing::Undefined;
namespace op = format::action_code;
using testing::TraceHost;
using Lines = std::vector<std::string>;


// The trace lines of the movie's first frame, which runs `scripts` in turn.
Lines RunScripts(const std::vector<const ActionAssembler*>& scripts, int version = 8) {
  testing::SwfWriter writer;
  writer.Version(static_cast<std::uint8_t>(version));
  for (const ActionAssembler* script : scripts) testing::AddDoAction(writer, *script);
  writer.ShowFrame();
  auto movie = std::make_shared<const Movie>(LoadMovie(writer.Bytes()));
  TraceHost host;
  avm1::Machine machine(movie->Version(), host);
  player::Player player(movie, nullptr, &machine);
  player.NextFrame();
  return host.lines;
}

Lines RunLines(const ActionAssembler& script, int version = 8) { return RunScripts({&script}, version); }

// _global has no prototype, so no valueOf: it stands for undefined when compared. A plain
// object's valueOf gives the object itself, which makes any ordering false without
// converting the other side; two NaNs are loosely equal.
TEST(ScriptCoreLanguage, ObjectsCompareByTheirPrimitiveValue) {
  ActionAssembler script;
  script.Push({"_global"}).Op(op::kGetVariable).Push({Null{}}).Op(op::kEquals2).Op(op::kTrace)
      .Push({"_global"}).Op(op::kGetVariable).Push({"__proto__"}).Op(op::kGetMember).Op(op::kTypeOf).Op(op::kTrace)
      .Push({"_global"}).Op(op::kGetVariable).Push({true}).Op(op::kLess2).Op(op::kTrace)  // undefined is 0 before 7
      .Push({"NaN"}).Op(op::kGetVariable).Push({"NaN"}).Op(op::kGetVariable).Op(op::kEquals2).Op(op::kTrace)
      .Push({0}).Op(op::kInitObject).Push({0}).Op(op::kLess2).Op(op::kTrace)
      .Push({"this"}).Op(op::kGetVariable).Push({"a"}).Op(op::kLess2).Op(op::kTrace);  // a clip is no number
  EXPECT_EQ(RunLines(script, 6), (Lines{"true", "undefined", "true", "true", "false", "undefined"}));
}

TEST(ScriptCoreLanguage, ParseIntReadsPrefixesAndRadixAsThePlayerDoes) {
  ActionAssembler script;
  auto parse = [&](const char* text) { script.Push({text, 1, "parseInt"}).Op(op::kCallFunction).Op(op::kTrace); };
  auto parseIn = [&](const char* text, double radix) {
    script.Push({radix, text, 2, "parseInt"}).Op(op::kCallFunction).Op(op::kTrace);
  };
  parse("077");      // octal only when the whole text is octal digits
  parse("  077");    // white space first: decimal
  parse("-0100z");   // not all octal: decimal
  parse("0x-100");   // a sign after the prefix
  parse(" 0x100");   // the prefix counts only at the start
  parse("-0x100");   // a signed prefix: the "x" is read as a digit
  parseIn("0x100", 36);
  parseIn("100", 0);
  parseIn("11", 3.8);
  EXPECT_EQ(RunLines(script), (Lines{"63", "77", "-100", "-256", "0", "NaN", "1296", "NaN", "4"}));
}

// Traces the names `variable` enumerates, newest first, as "k1,k2,".
void TraceKeys(ActionAssembler& script, const std::string& variable, const std::string& label) {
  script.Push({"keys", ""}).Op(op::kSetVariable)
      .Push({variable}).Op(op::kGetVariable).Op(op::kEnumerate2)
      .Label(label).StoreRegister(0).Push({Null{}}).Op(op::kEquals2).If(label + "_done")
      .Push({"keys"}).Push({"keys"}).Op(op::kGetVariable).Push({testing::Register{0}}).Op(op::kAdd2).Push({","}).Op(op::kAdd2)
      .Op(op::kSetVariable).Jump(label)
      .Label(label + "_done").TraceVariable("keys");
}

// The array methods move elements by deleting and setting them again, so enumeration
// shows the order they were written in; the length is a wrapping 32-bit number.
TEST(ScriptCoreLanguage, ArrayMethodsRewriteElementsAndLengthWraps) {
  ActionAssembler script;
  script.Push({"a"}).Push({3, 2, 1, 3}).Op(op::kInitArray).Op(op::kSetVariable)
      .Push({0}).Push({"a"}).Op(op::kGetVariable).Push({"reverse"}).Op(op::kCallMethod).Op(op::kPop);
  TraceKeys(script, "a", "reversed");
  script.Push({"b"}).Push({2, 1, 2}).Op(op::kInitArray).Op(op::kSetVariable)
      .Push({9, 1}).Push({"b"}).Op(op::kGetVariable).Push({"unshift"}).Op(op::kCallMethod).Op(op::kTrace);
  TraceKeys(script, "b", "unshifted");
  script.Push({"b"}).Op(op::kGetVariable).Push({"2147483647", "x"}).Op(op::kSetMember)  // the length wraps below zero
      .Push({"b"}).Op(op::kGetVariable).Push({"length"}).Op(op::kGetMember).Op(op::kTrace);
  TraceKeys(script, "b", "wrapped");  // and the old elements went
  script.Push({"b"}).Op(op::kGetVariable).Push({"4294967296", "y"}).Op(op::kSetMember)  // element 0
      .Push({"b"}).Op(op::kGetVariable).Push({"length"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({"c"}).Push({-1, 1, "Array"}).Op(op::kNewObject).Op(op::kSetVariable)
      .Push({"c"}).Op(op::kGetVariable).Push({"length"}).Op(op::kGetMember).Op(op::kTrace);
  EXPECT_EQ(RunLines(script),
            (Lines{"2,0,1,", "3", "0,1,2,", "-2147483648", "2147483647,", "1", "-1"}));
}

// o.watch("v", clamp): every set of o.v goes through clamp (also after v was deleted), the
// value it answers is stored, and up to version 6 a set made inside the watcher stores
// plainly; a getter and setter added later see the watcher's answer; unwatch ends it.
TEST(ScriptCoreLanguage, WatchersDecideWhatIsStored) {
  ActionAssembler clamp;  // function (name, old, value) { trace(name + ":" + old + ">" + value); this.v = -1; return value > 10 ? 10 : value; }
  clamp.Push({"name"}).Op(op::kGetVariable).Push({":"}).Op(op::kAdd2).Push({"old"}).Op(op::kGetVariable).Op(op::kAdd2)
      .Push({">"}).Op(op::kAdd2).Push({"value"}).Op(op::kGetVariable).Op(op::kAdd2).Op(op::kTrace)
      .Push({"this"}).Op(op::kGetVariable).Push({"v", -1}).Op(op::kSetMember)
      .Push({10, "value"}).Op(op::kGetVariable).Op(op::kLess2).If("big")
      .Push({"value"}).Op(op::kGetVariable).Op(op::kReturn)
      .Label("big").Push({10}).Op(op::kReturn);
  ActionAssembler setter;  // function (x) { trace("set " + x); }
  setter.Push({"set "}).Push({"x"}).Op(op::kGetVariable).Op(op::kAdd2).Op(op::kTrace);
  ActionAssembler getter;
  getter.Push({7}).Op(op::kReturn);
  ActionAssembler script;
  script.Push({"o"}).Push({0}).Op(op::kInitObject).Op(op::kSetVariable)
      .DefineFunction("", {"name", "old", "value"}, clamp).Push({"v", 2, "o"}).Op(op::kGetVariable).Push({"watch"})
      .Op(op::kCallMethod).Op(op::kTrace)
      .Push({"o"}).Op(op::kGetVariable).Push({"v", 30}).Op(op::kSetMember)
      .Push({"o"}).Op(op::kGetVariable).Push({"v"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({"o"}).Op(op::kGetVariable).Push({"v"}).Op(op::kDelete).Op(op::kPop)
      .Push({"o"}).Op(op::kGetVariable).Push({"v", 4}).Op(op::kSetMember)
      .Push({"o"}).Op(op::kGetVariable).Push({"v"}).Op(op::kGetMember).Op(op::kTrace)
      .DefineFunction("", {"x"}, setter).DefineFunction("", {}, getter).Push({"v", 3, "o"}).Op(op::kGetVariable)
      .Push({"addProperty"}).Op(op::kCallMethod).Op(op::kPop)
      .Push({"o"}).Op(op::kGetVariable).Push({"v", 12}).Op(op::kSetMember)
      .Push({"v", 1, "o"}).Op(op::kGetVariable).Push({"unwatch"}).Op(op::kCallMethod).Op(op::kTrace);
  EXPECT_EQ(RunLines(script, 6), (Lines{"true", "v:>30", "10", "v:>4", "4", "v:4>", "v:>12", "set 10", "false"}));
  // From version 7 the watcher's own set calls it again, down to a depth limit.
  const Lines later = RunLines(script, 7);
  EXPECT_GT(later.size(), 60u);
  EXPECT_EQ(later.back(), "false");
}

// ASSetPropFlags: names from any object's text (only arrays list them one by one), and
// version gates that hide a property from older movies until it is set again. The end
// of an enumeration is undefined.
TEST(ScriptCoreLanguage, PropertyFlagsHideByVersion) {
  ActionAssembler names;  // toString() { return "a,b"; }
  names.Push({"a,b"}).Op(op::kReturn);
  ActionAssembler script;
  script.Push({"o"}).Push({"a", 1, "b", 2, "c", 3, 3}).Op(op::kInitObject).Op(op::kSetVariable)
      .Push({"n"}).Push({0}).Op(op::kInitObject).Op(op::kSetVariable)
      .Push({"n"}).Op(op::kGetVariable).Push({"toString"}).DefineFunction("", {}, names).Op(op::kSetMember)
      .Push({0, 0x4001}).Push({"n"}).Op(op::kGetVariable).Push({"o"}).Op(op::kGetVariable).Push({4, "ASSetPropFlags"})
      .Op(op::kCallFunction).Op(op::kPop)
      .Push({"o"}).Op(op::kGetVariable).Push({"a"}).Op(op::kGetMember).Op(op::kTrace)     // hidden in version 8
      .Push({"o"}).Op(op::kGetVariable).Push({"b"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({"a", 1, "o"}).Op(op::kGetVariable).Push({"hasOwnProperty"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({"o"}).Op(op::kGetVariable).Push({"a", 5}).Op(op::kSetMember)                 // visible again
      .Push({"o"}).Op(op::kGetVariable).Push({"a"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({Undefined{}}).Op(op::kEnumerate2).Op(op::kTypeOf).Op(op::kTrace);
  EXPECT_EQ(RunLines(script), (Lines{"undefined", "undefined", "true", "5", "undefined"}));
}

// super() runs a built-in constructor on the object itself (a class extending Array is an
// array), and `super` follows the prototype chain as it is when used, not as it was when
// the method was called.
TEST(ScriptCoreLanguage, SuperReachesBuiltInConstructorsAndFollowsTheChain) {
  ActionAssembler ctor;  // function Sub() { super(1, 2); }
  ctor.Push({2, 1, 2, "super"}).Op(op::kCallFunction).Op(op::kPop);
  ActionAssembler method;  // function () { this.__proto__ = {__constructor__: Boolean, __proto__: Boolean.prototype}; return super(0); }
  method.Push({"this"}).Op(op::kGetVariable).Push({"__proto__"})
      .Push({"__constructor__", "Boolean"}).Op(op::kGetVariable)
      .Push({"__proto__", "Boolean"}).Op(op::kGetVariable).Push({"prototype"}).Op(op::kGetMember).Push({2}).Op(op::kInitObject)
      .Op(op::kSetMember)
      .Push({0, 1, "super"}).Op(op::kCallFunction).Op(op::kReturn);
  ActionAssembler script;
  script.DefineFunction("Sub", {}, ctor)
      .Push({"Sub"}).Op(op::kGetVariable).Push({"prototype"}).Op(op::kGetMember).Push({"__proto__", "Array"}).Op(op::kGetVariable)
      .Push({"prototype"}).Op(op::kGetMember).Op(op::kSetMember)
      .Push({"Sub"}).Op(op::kGetVariable).Push({"prototype"}).Op(op::kGetMember).Push({"__constructor__", "Array"})
      .Op(op::kGetVariable).Op(op::kSetMember)
      .Push({"o"}).Push({0, "Sub"}).Op(op::kNewObject).Op(op::kSetVariable)
      .Push({"o"}).Op(op::kGetVariable).Push({"length"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({"o"}).Op(op::kGetVariable).Op(op::kTrace)
      .Push({"Base"}).Push({0}).Op(op::kInitObject).Op(op::kSetVariable)
      .Push({"Base"}).Op(op::kGetVariable).Push({"m"}).DefineFunction("", {}, method).Op(op::kSetMember)
      .Push({"b"}).Push({0}).Op(op::kInitObject).Op(op::kSetVariable)
      .Push({"b"}).Op(op::kGetVariable).Push({"__proto__", "Base"}).Op(op::kGetVariable).Op(op::kSetMember)
      .Push({0, "b"}).Op(op::kGetVariable).Push({"m"}).Op(op::kCallMethod).Op(op::kTrace);
  EXPECT_EQ(RunLines(script), (Lines{"2", "1,2", "false"}));
}

// Calling Object and Function without `new`, and calling a function on nothing or on a
// number: Function(x) is x, Object() a bare object, call(null) runs on _global (which
// joins a string as undefined), a number given as this is boxed.
TEST(ScriptCoreLanguage, ConstructorsCalledAsFunctionsAndThisOfCall) {
  ActionAssembler showThis;  // function () { return "" + this + "/" + (this == _global) + "/" + typeof this; }
  showThis.Push({""}).Push({"this"}).Op(op::kGetVariable).Op(op::kAdd2).Push({"/"}).Op(op::kAdd2)
      .Push({"this"}).Op(op::kGetVariable).Push({"_global"}).Op(op::kGetVariable).Op(op::kStrictEquals).Op(op::kAdd2)
      .Push({"/"}).Op(op::kAdd2).Push({"this"}).Op(op::kGetVariable).Op(op::kTypeOf).Op(op::kAdd2).Op(op::kReturn);
  ActionAssembler script;
  script.Push({"return 5", 1, "Function"}).Op(op::kCallFunction).Op(op::kTrace)
      .Push({0, "Function"}).Op(op::kCallFunction).Push({"__proto__"}).Op(op::kGetMember).Op(op::kTypeOf).Op(op::kTrace)
      .Push({0, "Object"}).Op(op::kCallFunction).Op(op::kTrace)
      .DefineFunction("show", {}, showThis)
      .Push({Null{}, 1, "show"}).Op(op::kGetVariable).Push({"call"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({123, 1, "show"}).Op(op::kGetVariable).Push({"call"}).Op(op::kCallMethod).Op(op::kTrace);
  EXPECT_EQ(RunLines(script), (Lines{"return 5", "undefined", "[type Object]", "undefined/true/object", "123/false/object"}));
}

// String methods where versions differ: a negative substr count is taken from the whole
// length (and gives nothing when it would reach the end); version 5 splits at commas when
// given no separator, keeps the text whole for "", and answers 0 past the end.
TEST(ScriptCoreLanguage, StringMethodsAtTheirEdges) {
  ActionAssembler script;
  script.Push({-4, 3, 2, "hello world"}).Push({"substr"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({-3, 3, 2, "hello world"}).Push({"substr"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({0, "a,b"}).Push({"split"}).Op(op::kCallMethod).Push({"length"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({"", 1, "a,b"}).Push({"split"}).Op(op::kCallMethod).Push({"length"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({5, 1, "abc"}).Push({"charCodeAt"}).Op(op::kCallMethod).Op(op::kTrace)
      // A String object's length is its own value: it can be overwritten, not deleted.
      .Push({"s"}).Push({"abcd", 1, "String"}).Op(op::kNewObject).Op(op::kSetVariable)
      .Push({"s"}).Op(op::kGetVariable).Push({"length"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({"s"}).Op(op::kGetVariable).Push({"length", "hmm"}).Op(op::kSetMember)
      .Push({"s"}).Op(op::kGetVariable).Push({"length"}).Op(op::kDelete).Op(op::kPop)
      .Push({"s"}).Op(op::kGetVariable).Push({"length"}).Op(op::kGetMember).Op(op::kTrace);
  EXPECT_EQ(RunLines(script, 8), (Lines{"lo worl", "", "1", "3", "NaN", "4", "hmm"}));
  EXPECT_EQ(RunLines(script, 5), (Lines{"lo worl", "", "2", "1", "0", "4", "hmm"}));
}

// How objects become text and numbers: text asks only toString (anything but a string
// prints the object's type), numbers ask only valueOf; "+" joins an object as its own
// text only next to a string, else adds NaN; version 4 code writes truth as 1 and 0 and
// its text actions convert the right operand first.
TEST(ScriptCoreLanguage, ObjectsConvertThroughOneMethod) {
  ActionAssembler toNumber;  // toString() { trace("t"); return 7; }
  toNumber.Push({"t"}).Op(op::kTrace).Push({7}).Op(op::kReturn);
  ActionAssembler toText;  // toString() { trace("t"); return "X"; }
  toText.Push({"t"}).Op(op::kTrace).Push({"X"}).Op(op::kReturn);
  ActionAssembler script;
  script.Push({"a"}).Push({"toString"}).DefineFunction("", {}, toNumber).Push({1}).Op(op::kInitObject).Op(op::kSetVariable)
      .Push({"a"}).Op(op::kGetVariable).Op(op::kTrace)                                        // t, [type Object]
      .Push({"a"}).Op(op::kGetVariable).Op(op::kToNumber).Op(op::kTrace)                      // NaN, no toString
      .Push({"b"}).Push({"toString"}).DefineFunction("", {}, toText).Push({1}).Op(op::kInitObject).Op(op::kSetVariable)
      .Push({"b"}).Op(op::kGetVariable).Push({"s"}).Op(op::kAdd2).Op(op::kTrace)              // t, Xs
      .Push({"b"}).Op(op::kGetVariable).Push({1}).Op(op::kAdd2).Op(op::kTrace)                // NaN
      .Push({"a"}).Op(op::kGetVariable).Push({"b"}).Op(op::kGetVariable).Op(op::kStringAdd).Op(op::kTrace);  // t t
  EXPECT_EQ(RunLines(script), (Lines{"t", "[type Object]", "NaN", "t", "Xs", "NaN", "t", "t", "[type Object]X"}));

  ActionAssembler truth;
  truth.Push({"", 1, 1}).Op(op::kEquals2).Op(op::kAdd2).Op(op::kTrace);
  EXPECT_EQ(RunLines(truth, 4), (Lines{"1"}));
  EXPECT_EQ(RunLines(truth, 5), (Lines{"true"}));
}

// A prototype chain may loop (a.__proto__ = a); looking a missing name up through it stops
// the script instead of hanging, and the next script runs.
TEST(ScriptCoreLanguage, APrototypeLoopStopsTheScript) {
  ActionAssembler script;
  script.Push({"a"}).Push({0}).Op(op::kInitObject).Op(op::kSetVariable)
      .Push({"a"}).Op(op::kGetVariable).Push({"__proto__", "a"}).Op(op::kGetVariable).Op(op::kSetMember)
      .Trace("before")
      .Push({"a"}).Op(op::kGetVariable).Push({"Array"}).Op(op::kGetVariable).Op(op::kInstanceOf).Op(op::kTrace)
      .Push({"Array"}).Op(op::kGetVariable).Push({"a"}).Op(op::kGetVariable).Op(op::kCastOp).Op(op::kTrace)
      .Push({"a"}).Op(op::kGetVariable).Push({"missing"}).Op(op::kGetMember).Op(op::kTrace)
      .Trace("not reached");
  ActionAssembler next;
  next.Trace("next script");
  EXPECT_EQ(RunScripts({&script, &next}), (Lines{"before", "false", "null", "next script"}));
}

// Text read as a number from version 6: octal only without white space before it, and
// octal and hexadecimal digits wrap to a signed 32-bit number; unescape drops a broken
// escape up to its first character that is no hex digit; isNaN() is true, Boolean()
// undefined.
TEST(ScriptCoreLanguage, NumbersFromTextAndGlobalFunctionEdges) {
  ActionAssembler script;
  for (const char* text : {"-037777777777", " 010", "-010", "0x1999999981ffffff"}) {
    script.Push({text}).Op(op::kToNumber).Op(op::kTrace);
  }
  for (const char* text : {"aaa%zz", "aaa%4zz", "%u0100"}) {
    script.Push({text, 1, "unescape"}).Op(op::kCallFunction).Op(op::kTrace);
  }
  script.Push({0, "isNaN"}).Op(op::kCallFunction).Op(op::kTrace)
      .Push({0, "Boolean"}).Op(op::kCallFunction).Op(op::kTypeOf).Op(op::kTrace);
  EXPECT_EQ(RunLines(script, 6), (Lines{"1", "10", "-8", "-2113929217", "aaaz", "aaaz", "0100", "true", "undefined"}));
}

// Letters beyond ASCII change case by the player's mapping from version 6 (an old one:
// "İ" lowers to "i", Georgian capitals have small forms, "Ⱥ" is left alone), and names of
// version 6 movies fold the same way; version 5 changes ASCII only.
TEST(ScriptCoreLanguage, CaseMappingBeyondAscii) {
  ActionAssembler script;
  script.Push({0, "ÀÉİႠȺ"}).Push({"toLowerCase"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({0, "àéᾀǆ"}).Push({"toUpperCase"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({"Äǅ", 1}).Op(op::kSetVariable).Push({"äǄ"}).Op(op::kGetVariable).Op(op::kTrace);
  EXPECT_EQ(RunLines(script, 6), (Lines{"àéiაȺ", "ÀÉᾈǄ", "1"}));
  EXPECT_EQ(RunLines(script, 5), (Lines{"ÀÉİႠȺ", "àéᾀǆ", "undefined"}));
}

// Getters and setters that reach their own property: up to version 6 the property is its
// stored value meanwhile (the setter's inner set is dropped, the getter reads what was
// last set); later a getter calling itself ends quietly at a depth limit with the stored value.
TEST(ScriptCoreLanguage, AccessorsReachingTheirOwnProperty) {
  ActionAssembler setter;  // function (v) { trace("set " + v); o.p = "inner"; }
  setter.Push({"set "}).Push({"v"}).Op(op::kGetVariable).Op(op::kAdd2).Op(op::kTrace)
      .Push({"o"}).Op(op::kGetVariable).Push({"p", "inner"}).Op(op::kSetMember);
  ActionAssembler getter;  // function () { return o.p; }
  getter.Push({"o"}).Op(op::kGetVariable).Push({"p"}).Op(op::kGetMember).Op(op::kReturn);
  ActionAssembler script;
  script.Push({"o"}).Push({0}).Op(op::kInitObject).Op(op::kSetVariable)
      .DefineFunction("", {"v"}, setter).DefineFunction("", {}, getter).Push({"p", 3, "o"}).Op(op::kGetVariable)
      .Push({"addProperty"}).Op(op::kCallMethod).Op(op::kPop)
      .Push({"o"}).Op(op::kGetVariable).Push({"p", "outer"}).Op(op::kSetMember)
      .Push({"o"}).Op(op::kGetVariable).Push({"p"}).Op(op::kGetMember).Op(op::kTrace)
      .Trace("end");
  EXPECT_EQ(RunLines(script, 6), (Lines{"set outer", "outer", "end"}));
  // From version 7 the setter's own set runs the setter again, down to the limit; the
  // getter recurses to the limit and reads the value stored last.
  const Lines later = RunLines(script, 7);
  ASSERT_GE(later.size(), 3u);
  EXPECT_EQ(later[0], "set outer");
  EXPECT_EQ(later[1], "set inner");
  EXPECT_EQ(later[later.size() - 2], "inner");
  EXPECT_EQ(later.back(), "end");
}

// AsBroadcaster: initialize gives a target the broadcaster's own functions; listeners are
// compared loosely (adding null replaces undefined, removing undefined takes null away);
// broadcastMessage answers true when it had listeners, undefined when given no name.
TEST(ScriptCoreLanguage, BroadcasterListeners) {
  ActionAssembler hello;  // function () { trace("hello " + this.n); }
  hello.Push({"hello "}).Push({"this"}).Op(op::kGetVariable).Push({"n"}).Op(op::kGetMember).Op(op::kAdd2).Op(op::kTrace);
  ActionAssembler script;
  // b.method(value) with the answer left on the stack; `value` a variable's name or none.
  auto call = [&](const char* method, const char* variable) {
    if (variable) script.Push({variable}).Op(op::kGetVariable);
    script.Push({variable ? 1 : 0, "b"}).Op(op::kGetVariable).Push({method}).Op(op::kCallMethod);
  };
  script.Push({"b"}).Push({0}).Op(op::kInitObject).Op(op::kSetVariable)
      .Push({"b"}).Op(op::kGetVariable).Push({1, "AsBroadcaster"}).Op(op::kGetVariable).Push({"initialize"})
      .Op(op::kCallMethod).Op(op::kPop)
      .Push({"b"}).Op(op::kGetVariable).Push({"addListener"}).Op(op::kGetMember)
      .Push({"AsBroadcaster"}).Op(op::kGetVariable).Push({"addListener"}).Op(op::kGetMember).Op(op::kStrictEquals).Op(op::kTrace)
      .Push({"nothing", Null{}}).Op(op::kSetVariable);
  call("addListener", "undefinedName");
  script.Op(op::kPop);
  call("addListener", "nothing");
  script.Op(op::kPop).Push({"b"}).Op(op::kGetVariable).Push({"_listeners"}).Op(op::kGetMember).Op(op::kTrace);
  call("removeListener", nullptr);
  script.Op(op::kTrace)
      .Push({"l"}).Push({"n", 1, 1}).Op(op::kInitObject).Op(op::kSetVariable)
      .Push({"l"}).Op(op::kGetVariable).Push({"hello"}).DefineFunction("", {}, hello).Op(op::kSetMember);
  call("addListener", "l");
  script.Op(op::kPop).Push({"hello", 1, "b"}).Op(op::kGetVariable).Push({"broadcastMessage"}).Op(op::kCallMethod).Op(op::kTrace);
  call("broadcastMessage", nullptr);
  script.Op(op::kTrace);
  EXPECT_EQ(RunLines(script), (Lines{"true", "null", "true", "hello 1", "true", "undefined"}));
}

// A variable a script names _root or _global hides what the name stands for when read as
// a variable; a function that preloads _root still gets the real one.
TEST(ScriptCoreLanguage, VariablesNamedRootOrGlobalHideThem) {
  ActionAssembler body;
  body.Push({testing::Register{1}}).Op(op::kTrace);
  ActionAssembler script;
  script.DefineFunction2("f", 2, format::function_flag::kPreloadRoot, {}, body)
      .Push({"_root", "fake"}).Op(op::kSetVariable)
      .Push({"_root"}).Op(op::kGetVariable).Op(op::kTrace)
      .Push({0, "f"}).Op(op::kCallFunction).Op(op::kPop);
  EXPECT_EQ(RunLines(script), (Lines{"fake", "_level0"}));
}

// The Math functions read exactly two arguments, in order: min and max of one argument are
// NaN, a third argument is never converted, and a one-argument function still converts
// its second.
TEST(ScriptCoreLanguage, MathReadsTwoArguments) {
  ActionAssembler valueOf;  // function () { trace("v" + this.v); return this.v; }
  valueOf.Push({"v"}).Push({"this"}).Op(op::kGetVariable).Push({"v"}).Op(op::kGetMember).Op(op::kAdd2).Op(op::kTrace)
      .Push({"this"}).Op(op::kGetVariable).Push({"v"}).Op(op::kGetMember).Op(op::kReturn);
  ActionAssembler script;
  script.Push({"Object"}).Op(op::kGetVariable).Push({"prototype"}).Op(op::kGetMember).Push({"valueOf"})
      .DefineFunction("", {}, valueOf).Op(op::kSetMember);
  auto boxes = [&](std::initializer_list<int> values) {
    for (auto it = std::rbegin(values); it != std::rend(values); ++it) script.Push({"v", *it, 1}).Op(op::kInitObject);
  };
  boxes({3, 2, 1});
  script.Push({3, "Math"}).Op(op::kGetVariable).Push({"pow"}).Op(op::kCallMethod).Op(op::kTrace);
  boxes({5, 4});
  script.Push({2, "Math"}).Op(op::kGetVariable).Push({"abs"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({7, 1, "Math"}).Op(op::kGetVariable).Push({"min"}).Op(op::kCallMethod).Op(op::kTrace);
  EXPECT_EQ(RunLines(script), (Lines{"v3", "v2", "9", "v5", "v4", "5", "NaN"}));
}

// The old text actions from version 6: a character beyond the basic plane reads as
// U+FFFD, a character code is cut to 16 bits (a lone surrogate becomes U+FFFD), and the
// extract index and count wrap as 32-bit integers.
TEST(ScriptCoreLanguage, OldTextActionsWorkInSixteenBitUnits) {
  ActionAssembler script;
  script.Push({"😋"}).Op(op::kCharToAscii).Op(op::kTrace)
      .Push({65616}).Op(op::kAsciiToChar).Op(op::kTrace)
      .Push({0xD801}).Op(op::kAsciiToChar).Op(op::kCharToAscii).Op(op::kTrace)
      .Push({"😋航空母艦testing!", 4294967303.0, -4294967294.0}).Op(op::kStringExtract).Op(op::kTrace);
  EXPECT_EQ(RunLines(script, 6), (Lines{"65533", "P", "65533", "te"}));
}

// Each frame program starts with four empty registers; a function reaches the ones past
// its own count in the program that called it.
TEST(ScriptCoreLanguage, RegistersPastAFunctionsOwnAreTheProgramsOwn) {
  ActionAssembler body;  // one register of its own: r3 is the program's
  body.Push({testing::Register{3}}).Op(op::kTrace).Push({9}).StoreRegister(3).Op(op::kPop);
  ActionAssembler first;
  first.DefineFunction2("f", 1, 0, {}, body)
      .Push({3}).StoreRegister(3).Op(op::kPop)
      .Push({0, "f"}).Op(op::kCallFunction).Op(op::kPop)
      .Push({testing::Register{3}}).Op(op::kTrace);
  ActionAssembler second;
  second.Push({testing::Register{3}}).Op(op::kTrace);
  EXPECT_EQ(RunScripts({&first, &second}), (Lines{"3", "9", "undefined"}));
}

}  // namespace
}  // namespace tavelin::swf
