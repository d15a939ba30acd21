// The executor's variables, targets and calls: names through the scope chain and
// paths, function activations with their registers and preloads, and running a
// frame's program.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "swf/avm1/clip_properties.h"
#include "swf/avm1/executor.h"
#include "swf/player/clip_control.h"
#include "swf/player/levels.h"

namespace tavelin::swf::avm1 {

NameKind ClassifyName(Interpreter& vm, String* name) {
  if (name->nameKind >= 0) return static_cast<NameKind>(name->nameKind);
  const std::string& folded = vm.GetHeap().Folded(name)->text;
  const std::string& text = vm.CaseSensitive() ? name->text : folded;
  NameKind kind = kPlain;
  if (vm.Version() < 5) {
    // Early movies have no special names: "this" and "_root" are plain variables.
    kind = name->text.find_first_of("/:") != std::string::npos ? kPath : kPlain;
  } else if (text == "this") kind = kThis;
  else if (text == "_root") kind = kRoot;
  else if (text == "_global") kind = kGlobal;
  else if (text == "super") kind = kSuper;
  else if (folded.rfind("_level", 0) == 0 && folded.size() > 6 && folded.find_first_not_of("0123456789", 6) == std::string::npos) kind = kLevel;
  else if (name->text.find_first_of("/:.") != std::string::npos) kind = kPath;
  name->nameKind = kind;
  return kind;
}


// ---- stack ----

Value Executor::Pop(Activation& a) {
  auto& stack = vm_.stack_;
  if (stack.size() <= a.stackBase) return Value();
  const Value v = stack.back();
  stack.pop_back();
  return v;
}

void Executor::Push(const Value& v) {
  if (vm_.stack_.size() >= kMaxStack) throw ScriptAbort{"stack"};
  vm_.stack_.push_back(v);
}

void Executor::CheckBudget() {
  vm_.host_.StillRunning();
  if (vm_.host_.WallSeconds() - vm_.budgetStart_ > kScriptSecondsLimit) throw ScriptAbort{"time"};
  if (vm_.heap_.OverBudget()) throw ScriptAbort{"memory"};
}

// ---- variables ----

bool Executor::Lookup(Object* object, String* name, Value& out) {
  String* key = vm_.Key(name);
  if (object->kind == ObjectKind::kClip) {
    // Variables of the timeline first, as they are what scripts read most.
    if (Property* own = object->FindOwn(key); own && ClipPropertyIndex(vm_, name) < 0) {
      out = own->getter ? vm_.CallGetter(object, key, *own) : own->value;
      return true;
    }
    if (ClipPropertyIndex(vm_, name) >= 0 || key == vm_.Key(vm_.Names().parent)) {
      out = vm_.Get(object, name);
      return key != vm_.Key(vm_.Names().parent) || !out.IsUndefined();
    }
    if (player::ClipAnchor* anchor = vm_.AnchorOf(object); anchor && vm_.Clips()) {
      if (player::ClipAnchor* child = vm_.Clips()->Child(*anchor, name->text, vm_.CaseSensitive())) {
        out = Value(vm_.ClipFor(*child));
        return true;
      }
    }
    Property* inherited = vm_.Find(object->proto, key);
    if (!inherited) return false;
    out = inherited->getter ? vm_.CallGetter(object, key, *inherited) : inherited->value;
    return true;
  }
  Property* property = vm_.Find(object, key);
  if (!property) return false;
  out = property->getter ? vm_.CallGetter(object, key, *property) : property->value;
  return true;
}

Value Executor::GetVariable(Activation& a, String* name) {
  switch (ClassifyName(vm_, name)) {
    case kThis:
      if (!a.thisVisible) break;
      return a.thisObject ? Value(a.thisObject) : Value(a.target);
    case kRoot:
    case kGlobal: {
      // A variable a script gave one of these names hides what the name stands for.
      String* key = vm_.Key(name);
      for (Scope* scope = a.scope; scope; scope = scope->parent) {
        if (!scope->object || scope->object == vm_.global) continue;
        if (const Property* own = scope->object->FindOwn(key); own && !own->getter) return own->value;
      }
      return ClassifyName(vm_, name) == kRoot ? Value(vm_.LevelRootOf(a.target)) : Value(vm_.global);
    }
    case kLevel: {
      const int number = player::LevelNumber(name->text);
      player::ClipAnchor* level = vm_.Clips() && number >= 0 ? vm_.Clips()->Level(number) : nullptr;
      return level ? Value(vm_.ClipFor(*level)) : Value();
    }
    case kSuper: {
      if (!a.locals || !a.superVisible) break;
      return Value(vm_.NewSuper(a.thisObject, a.superDepth, a.home));
    }
    case kPath: {
      const std::string& text = name->text;
      const std::size_t colon = text.rfind(':');
      if (colon != std::string::npos) {
        Object* clip = vm_.ResolveTarget(a.target, text.substr(0, colon));
        if (!clip) return Value();
        return vm_.Get(clip, vm_.Intern(text.substr(colon + 1)));
      }
      if (text.find('/') != std::string::npos) {
        Object* clip = vm_.ResolveTarget(a.target, text);
        return clip ? Value(clip) : Value();
      }
      if (vm_.Version() >= 5) {
        // a.b.c: each scope in turn that holds the whole path answers it.
        std::vector<String*> parts;
        std::size_t i = 0;
        while (i <= text.size() && parts.size() < 256) {
          std::size_t next = text.find('.', i);
          if (next == std::string::npos) next = text.size();
          parts.push_back(vm_.Intern(text.substr(i, next - i)));
          i = next + 1;
        }
        const bool special = ClassifyName(vm_, parts[0]) != kPlain;
        for (Scope* scope = a.scope; scope; scope = scope->parent) {
          Value at;
          if (special) {
            // _root.a, this.a, _global.a: the first name is not a variable.
            at = GetVariable(a, parts[0]);
          } else if (!scope->object || !Lookup(scope->object, parts[0], at)) {
            continue;
          }
          bool whole = true;
          for (std::size_t k = 1; k < parts.size() && whole; ++k) {
            Object* holder = at.IsObject() ? at.object : nullptr;
            if (holder && vm_.Has(holder, parts[k])) {
              at = vm_.Get(holder, parts[k]);
            } else if (!holder && !at.IsNullish() && k + 1 == parts.size() &&
                       !vm_.GetMember(at, parts[k]).IsUndefined()) {
              at = vm_.GetMember(at, parts[k]);  // a text's length and the like
            } else {
              whole = false;
            }
          }
          if (whole || special) return whole ? at : Value();
        }
        return Value();
      }
      break;
    }
    default: break;
  }
  Value out;
  for (Scope* scope = a.scope; scope; scope = scope->parent) {
    Object* object = scope->object;
    // A clip taken off the stage has no variables left to find: its movie's root
    // answers instead.
    if (const player::ClipAnchor* anchor = vm_.AnchorOf(object); anchor && !anchor->object && anchor->parent) {
      object = vm_.LevelRootOf(object);
    }
    if (object && Lookup(object, name, out)) return out;
  }
  return Value();
}

Value Executor::CallFunctionSelf(Activation& a, String* name, NameKind kind) {
  if (kind == kPath) {
    const std::string& text = name->text;
    const std::size_t split = text.find_last_of(vm_.Version() >= 5 ? ".:" : ":");
    if (split == std::string::npos || split == 0) return Value();
    const std::string path = text.substr(0, split);
    if (path.find_first_of("/:") != std::string::npos || text[split] == ':') {
      Object* clip = vm_.ResolveTarget(a.target, path);
      return clip ? Value(clip) : Value();
    }
    return GetVariable(a, vm_.Intern(path));
  }
  if (kind != kPlain) return Value();
  for (Scope* scope = a.scope; scope; scope = scope->parent) {
    if (!scope->object || !vm_.Has(scope->object, name)) continue;
    return scope->with ? Value(scope->object) : Value();
  }
  return Value();
}

void Executor::SetVariable(Activation& a, String* name, const Value& value) {
  if (ClassifyName(vm_, name) == kPath) {
    const std::string& text = name->text;
    std::size_t split = text.rfind(':');
    if (split == std::string::npos && vm_.Version() >= 5) split = text.rfind('.');
    if (split != std::string::npos) {
      const std::string path = text.substr(0, split);
      Object* owner = path.find('/') == std::string::npos && path.find(':') == std::string::npos && vm_.Version() >= 5
                          ? GetVariable(a, vm_.Intern(path)).AsObject()
                          : vm_.ResolveTarget(a.target, path);
      if (owner) vm_.Set(owner, vm_.Intern(text.substr(split + 1)), value);
      return;
    }
  }
  for (Scope* scope = a.scope; scope && scope->parent; scope = scope->parent) {
    if (!scope->object) continue;
    if (Property* own = scope->object->FindOwn(vm_.Key(name)); own && !own->setter && !own->getter &&
        !(own->flags & property_flag::kReadOnly) && scope->object->kind != ObjectKind::kArray && !scope->object->watchers &&
        (scope->object->kind != ObjectKind::kClip || ClipPropertyIndex(vm_, name) < 0)) {
      own->value = value;
      return;
    }
    if (vm_.Has(scope->object, name)) {
      vm_.Set(scope->object, name, value);
      return;
    }
  }
  vm_.Set(a.variables ? a.variables : a.target, name, value);
}

Object* Executor::TargetOf(Activation& a, const Value& target) {
  if (target.IsObject()) return target.object;
  const std::string path = vm_.ToText(target);
  if (path.empty()) return a.target;
  Object* found = vm_.ResolveTarget(a.target, path);
  if (!found && path.find_first_of("/:") == std::string::npos) found = GetVariable(a, vm_.Intern(path)).AsObject();
  return found;
}

void Executor::GotoFrameValue(Activation& a, const Value& frame, bool play, int bias) {
  player::ClipControl* clips = vm_.Clips();
  Object* clip = a.target;
  if (!clips) return;
  int index = -1;
  // Anything but a number is read as text: a frame number, or a label ("undefined"
  // and "false" are labels too).
  if (!frame.IsNumber()) {
    std::string text = vm_.ToString(frame)->text;
    const std::size_t colon = text.rfind(':');
    if (colon != std::string::npos) {
      clip = vm_.ResolveTarget(a.target, text.substr(0, colon));
      text = text.substr(colon + 1);
    }
    player::ClipAnchor* anchor = vm_.AnchorOf(clip);
    if (!anchor) return;
    const double number = TextToNumber(text, 5);
    if (!std::isnan(number)) {
      index = static_cast<int>(number) - 1 + bias;
    } else {
      // The scene's bias is added to a label's frame too.
      index = clips->FrameOfLabel(*anchor, text);
      if (index < 0) return;
      index += bias;
    }
  } else {
    // Whole numbers only, wrapping as 32-bit integers.
    const double number = vm_.ToNumber(frame);
    if (std::isnan(number) || number != std::floor(number)) return;
    index = static_cast<int>(std::clamp<std::int64_t>(std::int64_t{ToInt32(number)} - 1 + bias, -1, 1 << 30));
  }
  player::ClipAnchor* anchor = vm_.AnchorOf(clip);
  if (!anchor || index < 0) return;
  clips->Goto(*anchor, index, play);
}

Function* Executor::DefineFunction(Activation& a, const format::FunctionInfo& info) {
  Function* function = vm_.heap_.New<Function>(vm_.functionProto);
  function->code = std::shared_ptr<const LoadedProgram>(a.callee ? a.callee->code : nullptr);
  function->info = &info;
  function->scope = a.scope;
  function->timeline = a.original;
  if (a.ownPool) {
    function->constantPool = a.ownPool;
  } else if (a.callee) {
    function->constantPool = a.callee->constantPool;
  }
  Object* proto = vm_.NewObject();
  vm_.LinkConstructor(function, proto);
  return function;
}

// ---- calls ----

bool Executor::BaseRemoved(const Activation& a) const {
  const player::ClipAnchor* anchor = vm_.AnchorOf(a.original);
  return anchor && !anchor->object && anchor->parent;
}

Value Interpreter::Call(const Value& function, const Value& self, std::span<const Value> args, Object* home) {
  auto* fn = AsFunction(function.AsObject());
  if (!fn) return Value();
  if (depth_ >= kMaxCallDepth) throw ScriptAbort{"depth"};
  const char marker = 0;
  const auto here = reinterpret_cast<std::uintptr_t>(&marker);
  if (depth_ == 0) stackBase_ = here;
  if (stackBase_ > here && stackBase_ - here > kMaxScriptStackBytes) throw ScriptAbort{"depth"};
  if (fn->native) {
    ++depth_;
    struct Leave {
      int& d;
      ~Leave() { --d; }
    } leave{depth_};
    return fn->native(*this, self, args);
  }
  if (!fn->info) return Value();
  Executor executor(*this);
  return executor.CallScript(fn, self, args, home);
}

Value Executor::CallScript(Function* fn, const Value& self, std::span<const Value> args, Object* home) {
  const format::FunctionInfo& info = *fn->info;
  ++vm_.depth_;
  struct Leave {
    int& d;
    ~Leave() { --d; }
  } leave{vm_.depth_};

  Activation a;
  a.code = fn->code.get();
  a.pool = fn->constantPool.get();
  a.callee = fn;
  a.home = home;
  // Functions came with version 5 and run by its rules in older movies too.
  a.version = std::max(a.code ? a.code->version : vm_.version_, 5);
  Object* locals = vm_.heap_.New<Object>(nullptr);
  a.locals = locals;
  a.scope = vm_.heap_.New<Scope>(locals, fn->scope);
  // A number, string or boolean given as this is boxed.
  a.thisObject = self.IsNullish() ? nullptr : vm_.ToObject(self);
  if (!a.thisObject) a.thisObject = fn->timeline;
  a.superDepth = vm_.SuperDepth(a.thisObject, home);
  a.original = fn->timeline;
  a.target = fn->timeline;
  if (vm_.nextCallTarget_) {
    a.target = vm_.nextCallTarget_;
    vm_.nextCallTarget_ = nullptr;
  }
  a.variables = fn->timeline;
  if (BaseRemoved(a)) {
    // The function's timeline is gone: it runs on `this` when that is a clip still
    // shown, else on the main movie.
    player::ClipAnchor* self = vm_.AnchorOf(a.thisObject);
    Object* base = self && (self->object || !self->parent) ? a.thisObject : vm_.RootClip();
    if (base) a.original = a.target = a.variables = base;
  }
  a.stackBase = vm_.stack_.size();

  const int count = info.v2 ? std::max<int>(info.registerCount, 1) : 4;
  std::vector<Value> registers(static_cast<std::size_t>(count));
  a.registers = registers.data();
  a.registerCount = count;

  const auto& n = vm_.names_;
  const auto& strings = a.code->strings;
  Object* argumentsObject = nullptr;
  const bool wantArguments = !info.v2 || !(info.flags & format::function_flag::kSuppressArguments);
  if (wantArguments) {
    argumentsObject = vm_.NewArray(args);
    argumentsObject->Put(vm_.Key(n.callee), n.callee, Value(fn), property_flag::kDontEnum);
  }
  if (!info.v2) {
    if (argumentsObject) locals->Put(vm_.Key(n.arguments), n.arguments, Value(argumentsObject), property_flag::kDontEnum);
    for (std::size_t i = 0; i < info.parameters.size(); ++i) {
      String* name = strings[info.parameters[i].name];
      locals->Put(vm_.Key(name), name, i < args.size() ? args[i] : Value());
    }
  } else {
    namespace f = format::function_flag;
    int next = 1;
    auto preload = [&](std::uint16_t flag, const Value& value) {
      if ((info.flags & flag) && next < count) registers[static_cast<std::size_t>(next++)] = value;
    };
    preload(f::kPreloadThis, Value(a.thisObject));
    preload(f::kPreloadArguments, Value(argumentsObject));
    if (info.flags & f::kPreloadSuper) {
      preload(f::kPreloadSuper, Value(vm_.NewSuper(a.thisObject, a.superDepth, home)));
    }
    preload(f::kPreloadRoot, Value(vm_.LevelRootOf(a.original)));
    if (info.flags & f::kPreloadParent) {
      player::ClipAnchor* anchor = vm_.AnchorOf(a.original);
      // The main timeline has no parent: nothing is preloaded and the next preload
      // takes the register.
      if (anchor && anchor->parent) preload(f::kPreloadParent, Value(vm_.ClipFor(*anchor->parent)));
    }
    preload(f::kPreloadGlobal, Value(vm_.global));
    if (argumentsObject && !(info.flags & f::kPreloadArguments)) {
      locals->Put(vm_.Key(n.arguments), n.arguments, Value(argumentsObject), property_flag::kDontEnum);
    }
    for (std::size_t i = 0; i < info.parameters.size(); ++i) {
      const Value value = i < args.size() ? args[i] : Value();
      const auto& parameter = info.parameters[i];
      if (parameter.reg && parameter.reg < count) {
        registers[parameter.reg] = value;
      } else {
        String* name = strings[parameter.name];
        locals->Put(vm_.Key(name), name, value);
      }
    }
  }
  if (info.v2) {
    namespace f = format::function_flag;
    a.thisVisible = !(info.flags & (f::kPreloadThis | f::kSuppressThis));
    a.superVisible = !(info.flags & (f::kPreloadSuper | f::kSuppressSuper));
  }
  const Completion done = Run(a, info.bodyBegin, info.bodyEnd);
  vm_.stack_.resize(a.stackBase);
  return done.returned ? done.value : Value();
}

std::shared_ptr<const LoadedProgram> Interpreter::Load(std::shared_ptr<const format::ActionProgram> program) {
  auto loaded = std::make_shared<LoadedProgram>();
  loaded->version = version_;
  loaded->strings.reserve(program->strings.size());
  for (const std::string& text : program->strings) loaded->strings.push_back(Name(text));
  loaded->program = std::move(program);
  return loaded;
}

void Interpreter::RunProgram(const std::shared_ptr<const LoadedProgram>& program, Object* target) {
  if (!program || !target) return;
  // A function defined by the program keeps it through its `code`.
  auto holder = heap_.New<Function>(functionProto);
  holder->code = program;
  Activation a;
  a.code = program.get();
  a.callee = holder;
  a.version = program->version;
  a.target = a.original = a.variables = target;
  a.thisObject = target;
  a.scope = heap_.New<Scope>(target, heap_.New<Scope>(global, nullptr));
  // Each program starts with four empty registers, which the functions it calls reach
  // past their own; an enclosing program gets its own back afterwards.
  Value savedRegisters[4];
  std::copy(std::begin(globalRegisters_), std::end(globalRegisters_), savedRegisters);
  std::fill(std::begin(globalRegisters_), std::end(globalRegisters_), Value());
  struct Restore {
    Value* registers;
    const Value* saved;
    ~Restore() { std::copy(saved, saved + 4, registers); }
  } restore{globalRegisters_, savedRegisters};
  a.registers = globalRegisters_;
  a.registerCount = 4;
  a.stackBase = stack_.size();
  Executor executor(*this);
  ++programsRunning_;
  struct Leave {
    int& running;
    ~Leave() { --running; }
  } leave{programsRunning_};
  try {
    executor.Run(a, 0, static_cast<std::uint32_t>(program->program->actions.size()));
  } catch (const ScriptThrow& thrown) {
    // An exception nothing caught ends the script quietly.
    if (std::getenv("TAVELIN_SCRIPT_DEBUG")) std::fprintf(stderr, "uncaught: %s\n", ToText(thrown.value).c_str());
  }
  stack_.resize(a.stackBase);
}

}  // namespace tavelin::swf::avm1
