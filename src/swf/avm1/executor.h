#pragma once
// Runs decoded actions: one activation per frame script or function call.

#include <cstdint>
#include <memory>

#include "swf/avm1/interpreter.h"

namespace tavelin::swf::avm1 {

// What a variable name means before the scope chain is asked: most are plain; "this",
// "_root", "_global", "super" and "_levelN" are special from version 5; names with "/",
// ":" or "." are paths. Cached on the string.
enum NameKind : std::int8_t { kPlain = 0, kThis, kRoot, kGlobal, kSuper, kPath, kLevel };
NameKind ClassifyName(Interpreter& vm, String* name);

struct Activation {
  const LoadedProgram* code = nullptr;
  const std::vector<String*>* pool = nullptr;
  std::shared_ptr<const std::vector<String*>> ownPool;  // a pool defined in this activation
  Scope* scope = nullptr;
  Object* thisObject = nullptr;
  Object* target = nullptr;     // the timeline that timeline actions act on
  Object* original = nullptr;   // the timeline the code runs in (SetTarget "" returns here)
  Object* variables = nullptr;  // where assignments to unknown names go
  Object* locals = nullptr;     // a function's activation object (null in frame scripts)
  Value* registers = nullptr;
  int registerCount = 0;
  Function* callee = nullptr;
  Object* home = nullptr;  // the object the called method was found on, for super
  int superDepth = 1;      // links from this to home when the call started
  std::size_t stackBase = 0;
  int version = 0;
  // DefineFunction2 functions that preload or suppress them have no "this" or "super"
  // variables.
  bool thisVisible = true;
  bool superVisible = true;
};

class Executor {
 public:
  explicit Executor(Interpreter& vm) : vm_(vm) {}

  struct Completion {
    bool returned = false;
    Value value;
    std::uint32_t exit = 0;
  };
  Completion Run(Activation& a, std::uint32_t begin, std::uint32_t end);
  Value CallScript(Function* function, const Value& self, std::span<const Value> args, Object* home);

 private:
  Value Pop(Activation& a);
  Value* Register(Activation& a, int number);
  void Push(const Value& v);
  Value GetVariable(Activation& a, String* name);
  void SetVariable(Activation& a, String* name, const Value& value);
  // `this` for a function called by name: the object a path names it on ("a.b.f",
  // "/a:f"), or the object of the With block it was found in; undefined otherwise.
  Value CallFunctionSelf(Activation& a, String* name, NameKind kind);
  bool Lookup(Object* object, String* name, Value& out);
  Object* TargetOf(Activation& a, const Value& target);
  void GotoFrameValue(Activation& a, const Value& frame, bool play, int bias);
  Function* DefineFunction(Activation& a, const format::FunctionInfo& info);
  std::uint32_t RunTry(Activation& a, std::uint32_t at, Completion& out);
  // The rarer actions, outside the action loop; false when the action is not theirs.
  bool RunTimelineAction(Activation& a, const format::Action& action);
  bool RunObjectAction(Activation& a, const format::Action& action);
  bool IsInstance(Object* object, Object* ctor);
  void CheckBudget();
  // Whether the clip the code runs in has been taken off the stage.
  bool BaseRemoved(const Activation& a) const;

  Interpreter& vm_;
};

}  // namespace tavelin::swf::avm1
