#include "swf/avm1/executor.h"
#include "swf/avm1/text_units.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "swf/avm1/clip_properties.h"
#include "swf/player/clip_control.h"

namespace tavelin::swf::avm1 {
namespace {

namespace op = format::action_code;

std::mt19937& Random() {
  static std::mt19937 generator(12345);
  return generator;
}

std::size_t Utf8Length(const std::string& text) {
  std::size_t count = 0;
  for (unsigned char c : text) count += (c & 0xC0) != 0x80;
  return count;
}

}  // namespace

// A register of the running code; numbers past a function's own registers reach the
// four global ones.
Value* Executor::Register(Activation& a, int number) {
  if (number < 0) return nullptr;
  if (number < a.registerCount) return &a.registers[number];
  if (number < 4) return &vm_.globalRegisters_[number];
  return nullptr;
}

// ---- the action loop ----

std::uint32_t Executor::RunTry(Activation& a, std::uint32_t at, Completion& out) {
  const auto& program = *a.code->program;
  const format::TryInfo& info = program.tries[program.actions[at].a];
  const std::size_t stackSize = vm_.stack_.size();
  const Scope* scope = a.scope;
  Completion inner;
  bool pending = false;
  ScriptThrow pendingThrow;
  try {
    inner = Run(a, at + 1, info.tryEnd);
  } catch (const ScriptThrow& thrown) {
    // What the block pushed goes; what it popped stays popped.
    if (vm_.stack_.size() > stackSize) vm_.stack_.resize(std::max(stackSize, a.stackBase));
    a.scope = const_cast<Scope*>(scope);
    if (info.hasCatch) {
      if (info.catchInRegister) {
        if (Value* slot = Register(a, info.catchRegister)) *slot = thrown.value;
      } else {
        SetVariable(a, a.code->strings[info.catchName], thrown.value);
        if (a.locals) {
          String* name = a.code->strings[info.catchName];
          a.locals->Put(vm_.Key(name), name, thrown.value);
        }
      }
      try {
        inner = Run(a, info.tryEnd, info.catchEnd);
      } catch (const ScriptThrow& again) {
        if (!info.hasFinally) throw;
        pending = true;
        pendingThrow = again;
      }
    } else {
      pending = true;
      pendingThrow = thrown;
    }
  }
  if (info.hasFinally) {
    Completion finalBlock = Run(a, info.catchEnd, info.finallyEnd);
    if (finalBlock.returned) {
      out = finalBlock;
      return info.finallyEnd;
    }
  }
  if (pending) throw pendingThrow;
  if (inner.returned) {
    out = inner;
    return info.finallyEnd;
  }
  // A jump out of the block goes where it pointed.
  if (inner.exit < at || inner.exit > info.finallyEnd) return inner.exit;
  return info.finallyEnd;
}

// The last frame (0-based) WaitForFrame finds loaded.
constexpr std::uint32_t kMaxWaitableFrame = 16000;

Executor::Completion Executor::Run(Activation& a, std::uint32_t begin, std::uint32_t end) {
  const format::ActionProgram& program = *a.code->program;
  const auto& actions = program.actions;
  const auto& strings = a.code->strings;
  end = std::min<std::uint32_t>(end, static_cast<std::uint32_t>(actions.size()));
  auto& stack = vm_.stack_;
  std::uint32_t pc = begin;
  Completion completion;
  // Both run for nearly every action: kept inline.
  auto pop = [&]() __attribute__((always_inline)) -> Value {
    if (stack.size() <= a.stackBase) return Value();
    const Value v = stack.back();
    stack.pop_back();
    return v;
  };
  auto push = [&](const Value& v) __attribute__((always_inline)) {
    if (stack.size() >= kMaxStack) throw ScriptAbort{"stack"};
    stack.push_back(v);
  };
  auto logical = [&](bool b) { return Value(b); };
  // The two operands of a numeric action, the left one converted first (valueOf runs
  // in that order) or, for the actions that do so, the right one.
  auto popNumbers = [&](double& x, double& y) {
    const Value right = pop(), left = pop();
    x = vm_.ToNumber(left);
    y = vm_.ToNumber(right);
  };
  auto popNumbersRightFirst = [&](double& x, double& y) {
    y = vm_.ToNumber(pop());
    x = vm_.ToNumber(pop());
  };
  // Text as the running code makes it: code of movies before version 5 writes truth as
  // 1 and 0.
  auto text = [&](const Value& v) -> String* {
    if (v.IsBoolean() && a.version < 5) return vm_.heap_.NumberName(v.boolean ? 1 : 0);
    return vm_.ToString(v);
  };
  // The text actions convert the right operand first.
  auto popStrings = [&](String*& x, String*& y) {
    const Value right = pop(), left = pop();
    y = text(right);
    x = text(left);
  };
  auto collectArgs = [&](std::vector<Value>& args, double count) {
    const std::size_t available = stack.size() - a.stackBase;
    std::size_t c = count > 0 ? static_cast<std::size_t>(std::min(count, 65536.0)) : 0;
    args.clear();
    for (std::size_t i = 0; i < c; ++i) args.push_back(i < available ? pop() : Value());
  };
  std::vector<Value> args;
  // A call that removed the clip the script runs in ends the script there (the
  // caller, on a timeline still shown, goes on).
  auto halted = [&]() {
    if (!BaseRemoved(a)) return false;
    completion.returned = true;
    completion.value = Value();
    completion.exit = end;
    return true;
  };
  static const bool debugActions = std::getenv("TAVELIN_SCRIPT_ACTIONS") != nullptr;

  while (pc >= begin && pc < end) {
    if ((++vm_.actionsRun_ & 0x3FFF) == 0) CheckBudget();
    const format::Action& action = actions[pc++];
    if (debugActions) std::fprintf(stderr, "  %u: %02x stack %zu\n", pc - 1, action.code, stack.size());
    switch (action.code) {
      case op::kEnd:
        completion.exit = end;
        return completion;
      case op::kPush: {
        const format::PushItem* item = program.pushItems.data() + action.a;
        for (std::uint32_t i = 0; i < action.c; ++i, ++item) {
          switch (item->kind) {
            case format::PushItem::Kind::kString: push(Value(strings[item->text])); break;
            case format::PushItem::Kind::kNumber: push(Value(item->number)); break;
            case format::PushItem::Kind::kNull: push(Value::Null()); break;
            case format::PushItem::Kind::kUndefined: push(Value()); break;
            case format::PushItem::Kind::kBoolean: push(Value(item->number != 0)); break;
            case format::PushItem::Kind::kRegister: {
              const int r = static_cast<int>(item->number);
              const Value* slot = Register(a, r);
              push(slot ? *slot : Value());
              break;
            }
            case format::PushItem::Kind::kConstant: {
              const auto index = static_cast<std::size_t>(item->number);
              push(a.pool && index < a.pool->size() ? Value((*a.pool)[index]) : Value());
              break;
            }
          }
        }
        break;
      }
      case op::kPop: pop(); break;
      case op::kConstantPool: {
        auto pool = std::make_shared<std::vector<String*>>();
        for (std::uint32_t index : program.constantPools[action.a]) pool->push_back(strings[index]);
        a.ownPool = pool;
        a.pool = pool.get();
        break;
      }
      case op::kAdd: { double x, y; popNumbers(x, y); push(Value(x + y)); break; }
      case op::kSubtract: { double x, y; popNumbersRightFirst(x, y); push(Value(x - y)); break; }
      case op::kMultiply: { double x, y; popNumbers(x, y); push(Value(x * y)); break; }
      case op::kDivide: {
        double x, y;
        popNumbersRightFirst(x, y);
        if (y == 0 && a.version < 5) {
          push(Value(vm_.Intern("#ERROR#")));
        } else {
          push(Value(x / y));
        }
        break;
      }
      case op::kModulo: { double x, y; popNumbersRightFirst(x, y); push(Value(std::fmod(x, y))); break; }
      case op::kEquals: { double x, y; popNumbersRightFirst(x, y); push(logical(x == y)); break; }
      case op::kLess: { double x, y; popNumbers(x, y); push(logical(x < y)); break; }
      case op::kAnd: { const bool y = vm_.ToBoolean(pop()), x = vm_.ToBoolean(pop()); push(logical(x && y)); break; }
      case op::kOr: { const bool y = vm_.ToBoolean(pop()), x = vm_.ToBoolean(pop()); push(logical(x || y)); break; }
      case op::kNot: push(logical(!vm_.ToBoolean(pop()))); break;
      case op::kStringEquals: { String *x, *y; popStrings(x, y); push(logical(x == y)); break; }
      case op::kStringLess: { String *x, *y; popStrings(x, y); push(logical(x->text < y->text)); break; }
      case op::kStringGreater: { String *x, *y; popStrings(x, y); push(logical(x->text > y->text)); break; }
      case op::kStringAdd: {
        String *x, *y;
        popStrings(x, y);
        if (x->text.size() + y->text.size() > kMaxStringBytes) throw ScriptAbort{"memory"};
        push(Value(vm_.heap_.Intern(x->text + y->text)));
        if (vm_.heap_.OverBudget()) throw ScriptAbort{"memory"};
        break;
      }
      case op::kStringLength:
      case op::kMbStringLength: {
        String* s = vm_.ToString(pop());
        push(Value(static_cast<double>(action.code == op::kMbStringLength && a.version < 6 ? Utf8Length(s->text)
                                                                                           : UnitCount(s->text, a.version))));
        break;
      }
      case op::kStringExtract:
      case op::kMbStringExtract: {
        // Index (from 1) and count wrap as 32-bit integers; a negative count takes the rest.
        const std::int32_t count = ToInt32(vm_.ToNumber(pop()));
        const std::int32_t index = ToInt32(vm_.ToNumber(pop()));
        const std::u16string text = ToUnits(vm_.ToString(pop())->text, a.version);
        const std::size_t from = index > 1 ? static_cast<std::size_t>(index - 1) : 0;
        const std::size_t size = count < 0 ? text.size() : static_cast<std::size_t>(count);
        const std::u16string part = from < text.size() ? text.substr(from, size) : std::u16string();
        push(Value(vm_.heap_.Intern(FromUnits(part, a.version))));
        break;
      }
      case op::kCharToAscii:
      case op::kMbCharToAscii: {
        const std::u16string text = ToUnits(vm_.ToString(pop())->text, a.version);
        // A character beyond the basic plane reads as U+FFFD.
        const bool paired = text.size() > 1 && text[0] >= 0xD800 && text[0] < 0xDC00 && a.version >= 6;
        push(Value(text.empty() ? 0.0 : paired ? 65533.0 : static_cast<double>(text[0])));
        break;
      }
      case op::kAsciiToChar:
      case op::kMbAsciiToChar: {
        // From version 6 the code is a 16-bit unit; a lone surrogate becomes U+FFFD.
        std::uint32_t code = ToUint32(vm_.ToNumber(pop()));
        if (a.version >= 6) {
          code &= 0xFFFF;
          if (code >= 0xD800 && code < 0xE000) code = 0xFFFD;
        }
        push(Value(vm_.heap_.Intern(code == 0 ? std::string() : Utf8Of(code & 0x1FFFFF))));
        break;
      }
      case op::kToInteger: push(Value(static_cast<double>(ToInt32(vm_.ToNumber(pop()))))); break;
      case op::kJump: pc = action.a; break;
      case op::kIf:
        if (vm_.ToBoolean(pop())) pc = action.a;
        break;
      case op::kGetVariable: {
        const Value name = pop();
        push(GetVariable(a, name.IsString() ? name.string : vm_.ToString(name)));
        break;
      }
      case op::kSetVariable: {
        const Value value = pop();
        const Value nameValue = pop();
        String* name = nameValue.IsString() ? nameValue.string : vm_.ToString(nameValue);
        SetVariable(a, name, value);
        break;
      }
      case op::kDefineLocal: {
        const Value value = pop();
        String* name = vm_.ToString(pop());
        if (a.locals) {
          a.locals->Put(vm_.Key(name), name, value);
        } else {
          vm_.Set(a.target, name, value);
        }
        break;
      }
      case op::kDefineLocal2: {
        String* name = vm_.ToString(pop());
        Object* holder = a.locals ? a.locals : a.target;
        // A name the holder already has, itself or through its prototypes, stays as it is.
        if (holder && !vm_.Has(holder, name)) holder->Put(vm_.Key(name), name, Value());
        break;
      }
      case op::kTrace: {
        const Value value = pop();
        std::string line = value.IsUndefined() ? std::string("undefined") : text(value)->text;
        for (char& c : line) {
          if (c == '\r') c = '\n';
        }
        vm_.host_.Trace(line);
        break;
      }
      case op::kGetTime: push(Value(std::floor(vm_.host_.MovieMilliseconds()))); break;
      case op::kRandomNumber: {
        const double max = vm_.ToNumber(pop());
        if (!(max >= 1)) {
          push(Value(0.0));
        } else {
          std::uniform_int_distribution<long long> pick(0, static_cast<long long>(std::min(max, 2147483647.0)) - 1);
          push(Value(static_cast<double>(pick(Random()))));
        }
        break;
      }
      // Objects and functions.
      case op::kDefineFunction:
      case op::kDefineFunction2: {
        const format::FunctionInfo& info = program.functions[action.a];
        Function* function = DefineFunction(a, info);
        String* name = strings[info.name];
        if (name->text.empty()) {
          push(Value(function));
        } else if (a.locals) {
          a.locals->Put(vm_.Key(name), name, Value(function));
        } else {
          vm_.Set(a.target, name, Value(function));
        }
        pc = info.bodyEnd;
        break;
      }
      case op::kCallFunction: {
        String* name = vm_.ToString(pop());
        collectArgs(args, vm_.ToNumber(pop()));
        const Value fn = GetVariable(a, name);
        const NameKind kind = ClassifyName(vm_, name);
        if (kind == kSuper) {
          // super(...) runs the parent class's constructor on this object.
          Value result;
          if (auto* ref = AsSuper(fn.AsObject())) vm_.SuperCall(ref, args, result);
          push(result);
          break;
        }
        // A built-in method found on a timeline in scope (getNextHighestDepth() on a
        // clip's frame) runs on that timeline; so does a script method clips inherit
        // (MovieClip.prototype.move() called from a clip's frame).
        Value self = CallFunctionSelf(a, name, kind);
        if (self.IsObject()) {
          // found through a path or a With block: that object is `this`
        } else if (auto* function = AsFunction(fn.AsObject());
            function && (function->native || vm_.Find(vm_.clipProto, vm_.Key(name)))) {
          for (Scope* scope = a.scope; scope; scope = scope->parent) {
            if (scope->object && scope->object->kind == ObjectKind::kClip && vm_.Has(scope->object, name)) {
              self = Value(scope->object);
              break;
            }
          }
        }
        // In version 5 movies a function clips inherit, called from a clip's frame, takes
        // that clip as its target too.
        auto* function = AsFunction(fn.AsObject());
        vm_.nextCallTarget_ = a.version <= 5 && self.IsObject() && function && !function->native ? self.object : nullptr;
        struct Forget {
          Object*& target;
          ~Forget() { target = nullptr; }  // also when the call throws
        } forget{vm_.nextCallTarget_};
        push(vm_.Call(fn, self, args));
        if (halted()) return completion;
        break;
      }
      case op::kCallMethod: {
        const Value nameValue = pop();
        const Value object = pop();
        collectArgs(args, vm_.ToNumber(pop()));
        if (nameValue.IsUndefined() || (nameValue.IsString() && nameValue.string->text.empty())) {
          auto* ref = AsSuper(object.AsObject());
          if (ref) {
            Value result;
            vm_.SuperCall(ref, args, result);
            push(result);
          } else {
            push(vm_.Call(object, Value(), args));
          }
          break;
        }
        push(vm_.CallMethod(object, vm_.ToString(nameValue), args));
        if (!object.IsNullish() && halted()) return completion;
        break;
      }
      case op::kNewObject: {
        String* name = vm_.ToString(pop());
        collectArgs(args, vm_.ToNumber(pop()));
        push(vm_.Construct(GetVariable(a, name), args));
        if (halted()) return completion;
        break;
      }
      case op::kNewMethod: {
        const Value nameValue = pop();
        const Value object = pop();
        collectArgs(args, vm_.ToNumber(pop()));
        if (nameValue.IsUndefined() || (nameValue.IsString() && nameValue.string->text.empty())) {
          push(vm_.Construct(object, args));
        } else {
          push(vm_.Construct(vm_.GetMember(object, vm_.ToString(nameValue)), args));
        }
        if (!object.IsNullish() && halted()) return completion;
        break;
      }
      case op::kReturn:
        completion.returned = true;
        completion.value = pop();
        completion.exit = end;
        return completion;
      case op::kGetMember: {
        const Value nameValue = pop();
        String* name = nameValue.IsString() ? nameValue.string : vm_.ToString(nameValue);
        const Value object = pop();
        push(vm_.GetMember(object, name));
        break;
      }
      case op::kSetMember: {
        const Value value = pop();
        const Value nameValue = pop();
        String* name = nameValue.IsString() ? nameValue.string : vm_.ToString(nameValue);
        const Value object = pop();
        vm_.SetMember(object, name, value);
        break;
      }
      case op::kInitArray: {
        // A count beyond the 32-bit signed range takes nothing and makes no array.
        const double count = vm_.ToNumber(pop());
        if (count > 2147483647.0) {
          push(Value());
          break;
        }
        collectArgs(args, count);
        push(Value(vm_.NewArray(args)));
        break;
      }
      case op::kAdd2: {
        const Value yRaw = pop(), xRaw = pop();
        const Value x = vm_.PrimitiveOrUndefined(xRaw);
        const Value y = vm_.PrimitiveOrUndefined(yRaw);
        if (x.IsNumber() && y.IsNumber()) {
          push(Value(x.number + y.number));
        } else if (x.IsString() || y.IsString()) {
          // An operand whose valueOf gave an object joins as its own text.
          String* sx = text(x.IsObject() ? xRaw : x);
          String* sy = text(y.IsObject() ? yRaw : y);
          if (sx->text.size() + sy->text.size() > kMaxStringBytes) throw ScriptAbort{"memory"};
          push(Value(vm_.heap_.Intern(sx->text + sy->text)));
          if (vm_.heap_.OverBudget()) throw ScriptAbort{"memory"};
        } else {
          push(Value((x.IsObject() ? NAN : vm_.ToNumber(x)) + (y.IsObject() ? NAN : vm_.ToNumber(y))));
        }
        break;
      }
      case op::kLess2: {
        const Value y = pop(), x = pop();
        if (x.IsNumber() && y.IsNumber() && !std::isnan(x.number) && !std::isnan(y.number)) {
          push(Value(x.number < y.number));
          break;
        }
        push(vm_.Less(x, y));
        break;
      }
      case op::kGreater: {
        const Value y = pop(), x = pop();
        push(vm_.Less(y, x));
        break;
      }
      case op::kEquals2: {
        const Value y = pop(), x = pop();
        // In a version 4 movie the answer is 1 or 0, as the older actions give it.
        push(logical(vm_.Equals(x, y)));
        break;
      }
      case op::kStrictEquals: {
        const Value y = pop(), x = pop();
        push(Value(vm_.StrictEquals(x, y)));
        break;
      }
      case op::kToNumber: push(Value(vm_.ToNumber(pop()))); break;
      case op::kToString: push(Value(vm_.ToString(pop()))); break;
      case op::kPushDuplicate: {
        const Value top = stack.size() > a.stackBase ? stack.back() : Value();
        push(top);
        break;
      }
      case op::kStackSwap: {
        const Value y = pop(), x = pop();
        push(y);
        push(x);
        break;
      }
      case op::kIncrement: {
        const Value v = pop();
        push(Value((v.IsNumber() ? v.number : vm_.ToNumber(v)) + 1));
        break;
      }
      case op::kDecrement: push(Value(vm_.ToNumber(pop()) - 1)); break;
      case op::kBitAnd: { const auto y = ToInt32(vm_.ToNumber(pop())), x = ToInt32(vm_.ToNumber(pop())); push(Value(double(x & y))); break; }
      case op::kBitOr: { const auto y = ToInt32(vm_.ToNumber(pop())), x = ToInt32(vm_.ToNumber(pop())); push(Value(double(x | y))); break; }
      case op::kBitXor: { const auto y = ToInt32(vm_.ToNumber(pop())), x = ToInt32(vm_.ToNumber(pop())); push(Value(double(x ^ y))); break; }
      case op::kBitLShift: {
        const auto y = ToUint32(vm_.ToNumber(pop())) & 31;
        const auto x = ToInt32(vm_.ToNumber(pop()));
        push(Value(double(static_cast<std::int32_t>(static_cast<std::uint32_t>(x) << y))));
        break;
      }
      case op::kBitRShift: {
        const auto y = ToUint32(vm_.ToNumber(pop())) & 31;
        const auto x = ToInt32(vm_.ToNumber(pop()));
        push(Value(double(x >> y)));
        break;
      }
      case op::kBitURShift: {
        const auto y = ToUint32(vm_.ToNumber(pop())) & 31;
        const auto x = ToUint32(vm_.ToNumber(pop()));
        push(Value(double(x >> y)));
        break;
      }
      case op::kStoreRegister: {
        const Value top = stack.size() > a.stackBase ? stack.back() : Value();
        if (Value* slot = Register(a, static_cast<int>(action.a))) *slot = top;
        break;
      }
      case op::kThrow: throw ScriptThrow{pop()};
      case op::kTry: {
        Completion inner;
        const std::uint32_t next = RunTry(a, pc - 1, inner);
        if (inner.returned) return inner;
        pc = next;
        break;
      }
      case op::kWaitForFrame:
        // Every frame of the movie is loaded; frames past the most a movie can have
        // never are, and the actions waiting for them are skipped.
        if (action.a > kMaxWaitableFrame) pc = std::min<std::uint32_t>(pc + action.b, end);
        break;
      case op::kWith: {
        Object* object = vm_.ToObject(pop());
        const std::uint32_t blockEnd = action.a;
        if (!object) {
          pc = blockEnd;
          break;
        }
        Scope* saved = a.scope;
        a.scope = vm_.heap_.New<Scope>(object, saved);
        a.scope->with = true;
        Completion inner = Run(a, pc, blockEnd);
        a.scope = saved;
        if (inner.returned) return inner;
        pc = inner.exit < pc || inner.exit > blockEnd ? inner.exit : blockEnd;
        break;
      }
      default:
        // Timeline and object-model actions are rarer: kept out of the hot loop.
        if (!RunTimelineAction(a, action)) RunObjectAction(a, action);
        break;  // unknown actions are skipped
    }
  }
  completion.exit = pc;
  return completion;
}

}  // namespace tavelin::swf::avm1
