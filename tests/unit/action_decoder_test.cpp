// Decoding action records into programs, and the heap's collection and strings.
#include "swf/format/action_decoder.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/action_assembler.h"
#include "swf/avm1/heap.h"
#include "swf/avm1/object.h"
#include "swf/avm1/value.h"

namespace tavelin::swf {
namespace {

using testing::ActionAssembler;
namespace op = format::action_code;

TEST(ActionDecoder, BranchesFunctionsAndTryBlocksBecomeIndexRanges) {
  ActionAssembler body;
  body.Push({1}).Op(op::kReturn);
  ActionAssembler handler;
  handler.Op(op::kPop);
  ActionAssembler script;
  script.Label("top").Push({"a", 2.5, true}).Op(op::kPop).If("end")          // 0, 1, 2
      .DefineFunction("f", {"x", "y"}, body)                                    // 3 (body 4, 5)
      .Try(ActionAssembler().Op(op::kNot), "e", &handler, nullptr)              // 6 (try 7, catch 8)
      .Jump("top").Label("end");                                                // 9
  const auto program = format::DecodeActions(script.Bytes());
  const auto& actions = program->actions;
  ASSERT_EQ(actions.size(), 11u);  // the End record included
  EXPECT_EQ(actions[2].code, op::kIf);
  EXPECT_EQ(actions[2].a, 10u);  // just past the jump: the End record
  EXPECT_EQ(actions[9].a, 0u);
  ASSERT_EQ(program->functions.size(), 1u);
  const auto& f = program->functions[0];
  EXPECT_EQ(program->strings[f.name], "f");
  EXPECT_EQ(f.parameters.size(), 2u);
  EXPECT_EQ(f.bodyBegin, 4u);
  EXPECT_EQ(f.bodyEnd, 6u);
  ASSERT_EQ(program->tries.size(), 1u);
  EXPECT_EQ(program->tries[0].tryEnd, 8u);
  EXPECT_EQ(program->tries[0].catchEnd, 9u);
  EXPECT_EQ(program->tries[0].finallyEnd, 9u);
  ASSERT_EQ(actions[0].c, 3u);
  EXPECT_EQ(program->pushItems[actions[0].a + 1].number, 2.5);
}

TEST(ActionDecoder, DamagedRecordsEndTheProgramInsteadOfFailing) {
  // A record longer than the bytes left, a branch past the end, a push of an unknown
  // type and a branch into the middle of a record.
  const std::vector<std::vector<std::uint8_t>> damaged = {
      {0x96, 0x40, 0x00, 0x00, 'a'},
      {0x99, 0x10, 0x27, 0x07},
      {0x96, 0x02, 0x00, 0x0C, 0x00, 0x26},
      {0x99, 0x01, 0x00, 0x96, 0x02, 0x00, 0x05, 0x01, 0x26},
      {},
  };
  for (const auto& bytes : damaged) {
    const auto program = format::DecodeActions(bytes);
    for (const auto& action : program->actions) {
      if (action.code == op::kJump || action.code == op::kIf) {
        EXPECT_LE(action.a, program->actions.size());
      }
    }
  }
  EXPECT_EQ(format::DecodeActions(damaged[2])->actions[0].code, op::kEnd);
}

TEST(ScriptValues, NumbersPrintAndParseAsScriptsDo) {
  EXPECT_EQ(avm1::NumberToText(0.1 + 0.2), "0.3");
  EXPECT_EQ(avm1::NumberToText(1e21), "1e+21");
  EXPECT_EQ(avm1::NumberToText(-1.5e-7), "-1.5e-7");
  EXPECT_EQ(avm1::NumberToText(123456789012345.0), "123456789012345");
  EXPECT_EQ(avm1::NumberToText(NAN), "NaN");
  EXPECT_EQ(avm1::NumberToText(-INFINITY), "-Infinity");
  EXPECT_TRUE(std::isnan(avm1::TextToNumber("", 7)));
  EXPECT_EQ(avm1::TextToNumber("", 4), 0);
  EXPECT_EQ(avm1::TextToNumber("0x1F", 6), 31);
  EXPECT_TRUE(std::isnan(avm1::TextToNumber("0x1F", 5)));
  EXPECT_EQ(avm1::TextToNumber("010", 6), 8);
  EXPECT_TRUE(std::isnan(avm1::TextToNumber("12abc", 7)));
  EXPECT_TRUE(std::isnan(avm1::TextToNumber("inf", 7)));
  EXPECT_EQ(avm1::ToInt32(4294967298.0), 2);
  EXPECT_EQ(avm1::ToInt32(-2147483649.0), 2147483647);
  EXPECT_EQ(avm1::ToUint32(-1), 4294967295u);
}

TEST(ScriptHeap, CollectionFreesWhatNothingReachesAndKeepsInternedNames) {
  avm1::Heap heap;
  avm1::String* name = heap.Intern("kept");
  avm1::Object* root = heap.New<avm1::Object>(nullptr);
  avm1::Object* child = heap.New<avm1::Object>(nullptr);
  root->Put(name, name, avm1::Value(child));
  // A cycle nothing outside reaches.
  avm1::Object* a = heap.New<avm1::Object>(nullptr);
  avm1::Object* b = heap.New<avm1::Object>(a);
  a->proto = b;
  heap.Intern("garbage text");
  avm1::String* pinned = heap.Intern("pinned");
  pinned->pinned = true;
  const std::size_t before = heap.CellCount();
  heap.Collect({root});
  EXPECT_EQ(heap.CellCount(), before - 3);
  EXPECT_EQ(heap.Intern("kept"), name);  // still the same cell
  EXPECT_EQ(heap.Intern("pinned"), pinned);
  EXPECT_EQ(root->FindOwn(name)->value.object, child);
  EXPECT_EQ(heap.Folded(heap.Intern("MiXeD"))->text, "mixed");
}

}  // namespace
}  // namespace tavelin::swf
