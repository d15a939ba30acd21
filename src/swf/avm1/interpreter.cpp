#include "swf/avm1/interpreter.h"
#include "swf/avm1/text_units.h"

#include <cmath>

#include "swf/avm1/clip_properties.h"
#include "swf/avm1/sound_objects.h"
#include "swf/player/clip_control.h"
#include "swf/player/levels.h"

namespace tavelin::swf::avm1 {


Interpreter::Interpreter(int version, player::ClipControl* clips, ScriptHost& host)
    : version_(version), clips_(clips), host_(host) {
  heap_.foldBeyondAscii = version >= 6;
  auto& n = names_;
  n.prototype = Name("prototype");
  n.proto = Name("__proto__");
  n.constructor = Name("constructor");
  n.constructor2 = Name("__constructor__");
  n.length = Name("length");
  n.thisName = Name("this");
  n.root = Name("_root");
  n.parent = Name("_parent");
  n.global = Name("_global");
  n.arguments = Name("arguments");
  n.superName = Name("super");
  n.toString = Name("toString");
  n.valueOf = Name("valueOf");
  n.callee = Name("callee");
  n.caller = Name("caller");
  n.empty = Name("");
  n.undefined = Name("undefined");
  n.null = Name("null");
  n.trueName = Name("true");
  n.falseName = Name("false");
  n.nan = Name("NaN");
  n.level0 = Name("_level0");
  n.onEnterFrame = Name("onEnterFrame");
  n.onLoad = Name("onLoad");
  n.onUnload = Name("onUnload");
  n.onPress = Name("onPress");
  n.onRelease = Name("onRelease");
  n.onReleaseOutside = Name("onReleaseOutside");
  n.onRollOver = Name("onRollOver");
  n.onRollOut = Name("onRollOut");
  n.onDragOver = Name("onDragOver");
  n.onDragOut = Name("onDragOut");
  n.onMouseDown = Name("onMouseDown");
  n.onMouseUp = Name("onMouseUp");
  n.onMouseMove = Name("onMouseMove");
  n.onKeyDown = Name("onKeyDown");
  n.onKeyUp = Name("onKeyUp");
  n.onData = Name("onData");
  n.onConstruct = Name("onConstruct");
  n.message = Name("message");
  n.name = Name("name");
  stack_.reserve(1 << 14);
  InstallBuiltins();
}

Interpreter::~Interpreter() {
  for (Object* clip : liveClips) {
    if (auto* anchor = AnchorOf(clip)) anchor->script = nullptr;
  }
}

// ---- properties ----

Property* Interpreter::Find(Object* object, String* key, Object** owner) {
  int guard = 0;
  Object* at = object;
  for (; at && guard < kMaxProtoChain; at = at->proto, ++guard) {
    if (Property* property = at->FindOwn(key)) {
      // A property gated to later versions is not there for this movie.
      if (!property_flag::VisibleIn(property->flags, version_)) return nullptr;
      if (owner) *owner = at;
      return property;
    }
  }
  // A chain that goes on (a prototype loop) stops the running script.
  if (at && (depth_ > 0 || programsRunning_ > 0)) throw ScriptAbort{"prototypes"};
  return nullptr;
}

Value Interpreter::Get(Object* object, String* name) {
  if (!object) return Value();
  if (object->kind == ObjectKind::kClip) object = Live(object);
  String* key = Key(name);
  if (key == names_.proto) return object->proto ? Value(object->proto) : Value();
  if (object->kind == ObjectKind::kArray && key == names_.length) return object->primitive;
  if (object->kind == ObjectKind::kClip) {
    const int index = ClipPropertyIndex(*this, name);
    if (index >= 0) {
      // A child named like a property ("_x") hides it from reading.
      player::ClipAnchor* anchor = AnchorOf(object);
      player::ClipAnchor* child = anchor && clips_ ? clips_->Child(*anchor, name->text, CaseSensitive()) : nullptr;
      if (child && child->object) return Value(ClipFor(*child));
      return GetClipProperty(*this, object, index);
    }
    if (Property* own = object->FindOwn(key)) {
      if (own->getter) return Call(Value(own->getter), Value(object), {});
      return own->value;
    }
    if (player::ClipAnchor* anchor = AnchorOf(object)) {
      if (key == Key(names_.parent)) {
        if (anchor->parent) return Value(ClipFor(*anchor->parent));
        return Value();
      }
      // Every clip answers the root of its level and the global object by name.
      if (key == Key(names_.root)) return Value(LevelRootOf(object));
      if (key == Key(names_.global) && version_ >= 6) return Value(global);
      if (clips_) {
        if (player::ClipAnchor* child = clips_->Child(*anchor, name->text, CaseSensitive())) return Value(ClipFor(*child));
      }
    }
  }
  if (object->kind == ObjectKind::kString && key == names_.length && object->primitive.IsString() && !object->FindOwn(key)) {
    // Boxed strings answer their length; the String methods do the same for primitives.
    return Value(static_cast<double>(UnitCount(object->primitive.string->text, version_)));
  }
  Object* owner = nullptr;
  Property* property = Find(object, key, &owner);
  if (!property) return Value();
  if (property->getter && !(version_ <= 6 && object->watchers && WatchRunning(object, key))) return CallGetter(object, key, *property);
  return property->value;
}

Value Interpreter::CallGetter(Object* object, String* key, const Property& property) {
  if (AccessorRunning(object, key)) return property.value;
  // Getters calling themselves end quietly past this depth, reading the stored value.
  if (depth_ > kMaxCallDepth || accessorsRunning_.size() > kMaxAccessorDepth) return property.value;
  const Value getter(property.getter);
  AccessorCall running(*this, object, key);
  return Call(getter, Value(object), {});
}

// Up to version 6 a property whose getter or setter is running is its stored value
// meanwhile: reads give that value and sets are dropped, so accessors never recurse.
bool Interpreter::AccessorRunning(Object* object, String* key) const {
  if (version_ > 6) return false;
  for (const auto& [o, k] : accessorsRunning_) {
    if (o == object && k == key) return true;
  }
  return false;
}

Interpreter::AccessorCall::AccessorCall(Interpreter& vm, Object* object, String* key) : vm_(vm) {
  vm_.accessorsRunning_.emplace_back(object, key);
}
Interpreter::AccessorCall::~AccessorCall() { vm_.accessorsRunning_.pop_back(); }

Value Interpreter::GetMember(const Value& target, String* name) {
  if (target.IsObject()) {
    if (auto* super = AsSuper(target.object)) {
      Object* members = super->Members();
      if (Key(name) == names_.proto) return members && members->proto ? Value(members->proto) : Value();
      Property* property = Find(members, Key(name));
      if (!property) return Value();
      if (property->getter) return Call(Value(property->getter), Value(super->self), {});
      return property->value;
    }
    return Get(target.object, name);
  }
  if (target.IsString()) {
    if (Key(name) == names_.length) return Value(static_cast<double>(UnitCount(target.string->text, version_)));
    return Get(stringProto, name);
  }
  if (target.IsNumber()) return Get(numberProto, name);
  if (target.IsBoolean()) return Get(booleanProto, name);
  return Value();
}

void Interpreter::Set(Object* object, String* name, const Value& value) {
  if (!object) return;
  if (object->kind == ObjectKind::kClip) object = Live(object);
  String* key = Key(name);
  if (key == names_.proto) {
    // A loop is allowed; looking a name up through it stops the script.
    object->proto = value.AsObject();
    return;
  }
  if (object->kind == ObjectKind::kClip) {
    const int index = ClipPropertyIndex(*this, name);
    if (index >= 0) {
      SetClipProperty(*this, object, index, value);
      return;
    }
  }
  if (object->watchers) {
    // While its watcher runs, a property is a plain value: no getter, setter or watcher
    // (from version 7 the watcher is called again, down to the accessor depth limit).
    if (WatchRunning(object, key) && (version_ <= 6 || accessorsRunning_.size() > kMaxAccessorDepth)) {
      if (Property* own = object->FindOwn(key)) {
        own->value = value;
      } else {
        object->Put(key, name, value);
      }
      return;
    }
    Value watched = value;
    if (RunWatcher(object, key, name, watched)) {
      SetWatched(object, key, name, watched);
      return;
    }
  }
  if (object->kind == ObjectKind::kArray) {
    if (key == names_.length) {
      SetArrayLength(object, ToInt32(ToNumber(value)));
      return;
    }
    ElementWritten(object, key);
  }
  Object* owner = nullptr;
  Property* property = Find(object, key, &owner);
  if (property && property->setter) {
    if (depth_ > kMaxCallDepth || AccessorRunning(object, key) || accessorsRunning_.size() > kMaxAccessorDepth) return;
    property->value = value;
    const Value args[] = {value};
    AccessorCall running(*this, object, key);
    Call(Value(property->setter), Value(object), args);
    return;
  }
  if (property && property->getter && !property->setter) return;  // read-only accessor
  if (property && owner == object) {
    if (property->flags & property_flag::kReadOnly) return;
    property->value = value;
    return;
  }
  // Setting a property this movie cannot see makes it a plain visible one.
  if (Property* hidden = object->FindOwn(key); hidden && !property_flag::VisibleIn(hidden->flags, version_)) {
    hidden->flags = 0;
    hidden->getter = hidden->setter = nullptr;
    hidden->value = value;
    return;
  }
  object->Put(key, name, value);
}

void Interpreter::SetMember(const Value& target, String* name, const Value& value) {
  if (target.IsObject()) {
    if (auto* super = AsSuper(target.object)) {
      Set(super->self, name, value);
      return;
    }
    Set(target.object, name, value);
  }
}

bool Interpreter::Has(Object* object, String* name) {
  if (!object) return false;
  String* key = Key(name);
  if (object->kind == ObjectKind::kClip) {
    if (ClipPropertyIndex(*this, name) >= 0) return true;
    if (object->FindOwn(key)) return true;
    if (player::ClipAnchor* anchor = AnchorOf(object)) {
      if (key == Key(names_.parent)) return anchor->parent != nullptr;
      if (clips_ && clips_->Child(*anchor, name->text, CaseSensitive())) return true;
    }
  }
  if (object->kind == ObjectKind::kArray && key == names_.length) return true;
  return Find(object, key) != nullptr;
}

bool Interpreter::Delete(Object* object, String* name) {
  if (!object) return false;
  String* key = Key(name);
  Property* property = object->FindOwn(key);
  if (!property || (property->flags & property_flag::kDontDelete)) return false;
  return object->RemoveOwn(key);
}

void Interpreter::DefineNative(Object* object, std::string_view name, NativeFunction fn, int length, std::uint8_t flags) {
  Function* function = NewNative(fn);
  (void)length;
  String* n = Name(name);
  object->Put(Key(n), n, Value(function), flags);
}

void Interpreter::DefineValue(Object* object, std::string_view name, const Value& value, std::uint8_t flags) {
  String* n = Name(name);
  object->Put(Key(n), n, value, flags);
}

Function* Interpreter::NewNative(NativeFunction fn, NativeFunction construct) {
  Function* function = heap_.New<Function>(functionProto);
  function->native = fn;
  function->construct = construct;
  return function;
}

Object* Interpreter::NewObject(Object* proto) { return heap_.New<Object>(proto ? proto : objectProto); }

Object* Interpreter::NewArray(std::span<const Value> items) {
  Object* array = heap_.New<Object>(arrayProto, ObjectKind::kArray);
  array->primitive = Value(0.0);
  for (const Value& item : items) ArrayPush(array, item);
  return array;
}

void Interpreter::LinkConstructor(Function* ctor, Object* proto) {
  ctor->Put(Key(names_.prototype), names_.prototype, Value(proto), property_flag::kDontEnum | property_flag::kDontDelete);
  proto->Put(Key(names_.constructor), names_.constructor, Value(ctor), property_flag::kDontEnum | property_flag::kDontDelete);
}

std::size_t Interpreter::ArrayLength(Object* array) {
  if (array->kind == ObjectKind::kArray) return static_cast<std::size_t>(std::max<std::int32_t>(0, SignedArrayLength(array)));
  const double n = ToNumber(Get(array, names_.length));
  return n > 0 && n < 1e8 ? static_cast<std::size_t>(n) : 0;
}

void Interpreter::ArrayPush(Object* array, const Value& value) {
  const std::size_t length = ArrayLength(array);
  String* name = heap_.NumberName(length);
  array->Put(name, name, value);
  array->primitive = Value(static_cast<double>(length + 1));
}

Value Interpreter::CallMethod(const Value& target, String* name, std::span<const Value> args) {
  Object* home = nullptr;
  Value fn;
  Value self = target;
  if (target.IsObject()) {
    if (auto* super = AsSuper(target.object)) {
      Property* property = Find(super->Members(), Key(name), &home);
      if (property) fn = property->getter ? Call(Value(property->getter), Value(super->self), {}) : property->value;
      self = Value(super->self);
    } else {
      fn = Get(target.object, name);
      Find(target.object, Key(name), &home);
    }
  } else {
    fn = GetMember(target, name);
  }
  if (!fn.IsObject() || fn.object->kind != ObjectKind::kFunction) return Value();
  return Call(fn, self, args, home);
}

Value Interpreter::Construct(const Value& constructor, std::span<const Value> args) {
  Function* ctor = AsFunction(constructor.AsObject());
  if (!ctor) return Value();
  Object* proto = Get(ctor, names_.prototype).AsObject();
  Object* object = heap_.New<Object>(proto);
  object->Put(Key(names_.constructor2), names_.constructor2, Value(ctor), property_flag::kDontEnum);
  if (version_ <= 5) object->Put(Key(names_.constructor), names_.constructor, Value(ctor), property_flag::kDontEnum);
  if (ctor->construct) return ctor->construct(*this, Value(object), args);
  Call(Value(ctor), Value(object), args, proto);
  return Value(object);
}

int Interpreter::SuperDepth(Object* self, Object* home) {
  if (!home) return 1;
  int depth = 0;
  for (Object* at = self; at && depth < kMaxProtoChain; at = at->proto, ++depth) {
    if (at == home) return std::max(depth, 1);  // a method on the object itself: its prototype
  }
  return -1;
}

SuperObject* Interpreter::NewSuper(Object* self, int depth, Object* home) {
  return heap_.New<SuperObject>(self, depth, depth < 0 ? home : nullptr);
}

void Interpreter::SuperCall(SuperObject* super, std::span<const Value> args, Value& result) {
  Value ctor;
  if (Object* level = super->Level()) {
    ctor = Get(level, names_.constructor2);
    if (!AsFunction(ctor.AsObject()) && super->Members()) ctor = Get(super->Members(), names_.constructor);
  }
  result = CallConstructor(ctor, super->self, args, super->Members());
}

Value Interpreter::CallConstructor(const Value& constructor, Object* self, std::span<const Value> args, Object* home) {
  Function* ctor = AsFunction(constructor.AsObject());
  if (ctor && ctor->native && ctor->construct) {
    if (depth_ >= kMaxCallDepth) throw ScriptAbort{"depth"};
    return ctor->construct(*this, Value(self), args);
  }
  return Call(constructor, Value(self), args, home);
}

void Interpreter::ThrowError(const std::string& message) {
  Object* error = NewObject(errorProto);
  error->kind = ObjectKind::kError;
  Set(error, names_.message, Value(Intern(message)));
  throw ScriptThrow{Value(error)};
}

void Interpreter::ApplyRegisteredClass(Object* clip) {
  player::ClipAnchor* anchor = AnchorOf(clip);
  if (!anchor || !anchor->object) return;
  const auto found = registeredClasses.find(anchor->object->characterId);
  if (found == registeredClasses.end()) return;
  Object* proto = Get(found->second, names_.prototype).AsObject();
  if (!proto) return;
  clip->proto = proto;
  try {
    Call(Value(found->second), Value(clip), {}, proto);
  } catch (const ScriptThrow&) {
  }
}

void Interpreter::StartBudget() {
  budgetStart_ = host_.WallSeconds();
  actionsRun_ = 0;
}

void Interpreter::Collect() {
  if (depth_ > 0) return;
  std::vector<Cell*> roots = {global, objectProto, functionProto, arrayProto, stringProto, numberProto,
                              booleanProto, clipProto, buttonProto, textFieldProto, dateProto, errorProto,
                              colorProto, soundProto, keyObject, mouseObject, stageObject};
  for (const Value& v : globalRegisters_) {
    if (v.IsObject()) roots.push_back(v.object);
    if (v.IsString()) roots.push_back(v.string);
  }
  std::vector<Object*> kept;
  for (Object* clip : liveClips) {
    player::ClipAnchor* anchor = AnchorOf(clip);
    if (anchor && (anchor->object || (clips_ && anchor == &clips_->Root()))) {
      kept.push_back(clip);
      roots.push_back(clip);
    } else if (anchor) {
      anchor->script = nullptr;
    }
  }
  liveClips = std::move(kept);
  for (const auto& [id, ctor] : registeredClasses) roots.push_back(ctor);
  if (extraRoots) extraRoots(roots);
  if (soundObjects) soundObjects->Roots(roots);
  heap_.Collect(std::move(roots));
}

}  // namespace tavelin::swf::avm1
