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

// ---- conversions ----

double Interpreter::ToNumber(const Value& value) {
  switch (value.type) {
    case Value::Type::kUndefined:
    case Value::Type::kNull: return version_ >= 7 ? NAN : 0;
    case Value::Type::kBoolean: return value.boolean ? 1 : 0;
    case Value::Type::kNumber: return value.number;
    case Value::Type::kString: return TextToNumber(value.string->text, version_);
    case Value::Type::kObject: {
      if (value.object->kind == ObjectKind::kClip) return NAN;
      const Value primitive = ToPrimitive(value);
      return primitive.IsObject() ? NAN : ToNumber(primitive);
    }
  }
  return NAN;
}

String* Interpreter::ToString(const Value& value) {
  switch (value.type) {
    case Value::Type::kUndefined: return version_ >= 7 ? names_.undefined : names_.empty;
    case Value::Type::kNull: return names_.null;
    case Value::Type::kBoolean: return value.boolean ? names_.trueName : names_.falseName;
    case Value::Type::kNumber: {
      const double n = value.number;
      if (n >= 0 && n < 1024 && n == std::floor(n)) return heap_.NumberName(static_cast<std::size_t>(n));
      return heap_.Intern(NumberToText(n));
    }
    case Value::Type::kString: return value.string;
    case Value::Type::kObject: {
      Object* object = value.object;
      if (object->kind == ObjectKind::kClip) {
        // A removed clip with nothing at its path any more reads as empty text.
        object = Live(object);
        const player::ClipAnchor* anchor = AnchorOf(object);
        if (anchor && !anchor->object && anchor->parent) return names_.empty;
        return heap_.Intern(TargetPath(object));
      }
      const Value primitive = ToPrimitive(value, true);
      if (primitive.IsObject()) return Intern(object->kind == ObjectKind::kFunction ? "[type Function]" : "[type Object]");
      return ToString(primitive);
    }
  }
  return names_.empty;
}

bool Interpreter::ToBoolean(const Value& value) const {
  switch (value.type) {
    case Value::Type::kUndefined:
    case Value::Type::kNull: return false;
    case Value::Type::kBoolean: return value.boolean;
    case Value::Type::kNumber: return !std::isnan(value.number) && value.number != 0;
    case Value::Type::kString:
      if (version_ >= 7) return !value.string->text.empty();
      return const_cast<Interpreter*>(this)->ToNumber(value) != 0 && !std::isnan(TextToNumber(value.string->text, version_));
    case Value::Type::kObject: return true;
  }
  return false;
}

Value Interpreter::ToPrimitive(const Value& value, bool preferString) {
  if (!value.IsObject()) return value;
  Object* object = value.object;
  if (object->kind == ObjectKind::kClip) return ToString(value);
  String* first = preferString ? names_.toString : names_.valueOf;
  String* second = preferString ? names_.valueOf : names_.toString;
  if (object->kind == ObjectKind::kDate && !preferString) std::swap(first, second);
  for (String* method : {first, second}) {
    const Value fn = Get(object, method);
    if (!fn.IsObject() || fn.object->kind != ObjectKind::kFunction) continue;
    const Value result = Call(fn, value, {});
    if (!result.IsObject()) return result;
  }
  return value;
}

Object* Interpreter::ToObject(const Value& value) {
  switch (value.type) {
    case Value::Type::kObject: return value.object;
    case Value::Type::kString: {
      Object* box = NewObject(stringProto);
      box->kind = ObjectKind::kString;
      box->primitive = value;
      return box;
    }
    case Value::Type::kNumber: {
      Object* box = NewObject(numberProto);
      box->kind = ObjectKind::kNumber;
      box->primitive = value;
      return box;
    }
    case Value::Type::kBoolean: {
      Object* box = NewObject(booleanProto);
      box->kind = ObjectKind::kBoolean;
      box->primitive = value;
      return box;
    }
    default: return nullptr;
  }
}

String* Interpreter::TypeOf(const Value& value) {
  switch (value.type) {
    case Value::Type::kUndefined: return names_.undefined;
    case Value::Type::kNull: return names_.null;
    case Value::Type::kBoolean: return Name("boolean");
    case Value::Type::kNumber: return Name("number");
    case Value::Type::kString: return Name("string");
    case Value::Type::kObject:
      if (value.object->kind == ObjectKind::kFunction) return Name("function");
      if (value.object->kind == ObjectKind::kClip) {
        player::ClipAnchor* anchor = AnchorOf(value.object);
        if (anchor && anchor->object &&
            std::holds_alternative<std::shared_ptr<const player::TextCharacter>>(anchor->object->character) &&
            value.object->proto == textFieldProto)
          return Name("object");
        return Name("movieclip");
      }
      return Name("object");
  }
  return names_.undefined;
}

bool Interpreter::StrictEquals(const Value& a, const Value& b) const {
  if (a.type != b.type) return false;
  switch (a.type) {
    case Value::Type::kUndefined:
    case Value::Type::kNull: return true;
    case Value::Type::kBoolean: return a.boolean == b.boolean;
    case Value::Type::kNumber: return a.number == b.number;
    case Value::Type::kString: return a.string == b.string;
    case Value::Type::kObject:
      if (a.object == b.object) return true;
      if (a.object->kind == ObjectKind::kClip && b.object->kind == ObjectKind::kClip) {
        // Clips are held by path: two with the same path are the same clip.
        if (AnchorOf(a.object) && AnchorOf(a.object) == AnchorOf(b.object)) return true;
        auto* self = const_cast<Interpreter*>(this);
        const std::string path = self->TargetPath(a.object);
        return !path.empty() && path == self->TargetPath(b.object);
      }
      return false;
  }
  return false;
}

bool Interpreter::Equals(const Value& a, const Value& b) {
  if (a.type == b.type) {
    if (a.IsObject() && a.object->kind == ObjectKind::kClip && b.object->kind == ObjectKind::kClip) {
      return StrictEquals(a, b);
    }
    return StrictEquals(a, b);
  }
  if (a.IsNullish() && b.IsNullish()) return true;
  if (a.IsNullish() || b.IsNullish()) return false;
  if (a.IsNumber() && b.IsString()) return a.number == ToNumber(b);
  if (a.IsString() && b.IsNumber()) return ToNumber(a) == b.number;
  if (a.IsBoolean()) return Equals(Value(a.boolean ? 1.0 : 0.0), b);
  if (b.IsBoolean()) return Equals(a, Value(b.boolean ? 1.0 : 0.0));
  if (a.IsObject()) {
    const Value primitive = ToPrimitive(a);
    return primitive.IsObject() ? false : Equals(primitive, b);
  }
  if (b.IsObject()) {
    const Value primitive = ToPrimitive(b);
    return primitive.IsObject() ? false : Equals(a, primitive);
  }
  return false;
}

Value Interpreter::Less(const Value& a, const Value& b) {
  const Value pa = ToPrimitive(a), pb = ToPrimitive(b);
  if (pa.IsString() && pb.IsString()) return pa.string->text < pb.string->text;
  const double x = ToNumber(pa), y = ToNumber(pb);
  if (std::isnan(x) || std::isnan(y)) return Value();
  return x < y;
}

// ---- properties ----

Property* Interpreter::Find(Object* object, String* key, Object** owner) {
  int guard = 0;
  for (Object* at = object; at && guard < kMaxProtoChain; at = at->proto, ++guard) {
    if (Property* property = at->FindOwn(key)) {
      if (owner) *owner = at;
      return property;
    }
  }
  return nullptr;
}

Value Interpreter::Get(Object* object, String* name) {
  if (!object) return Value();
  if (object->kind == ObjectKind::kClip) object = Live(object);
  String* key = Key(name);
  if (key == names_.proto) return Value(object->proto);
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
  if (object->kind == ObjectKind::kString && key == names_.length && object->primitive.IsString()) {
    // Boxed strings answer their length; the String methods do the same for primitives.
    return Value(static_cast<double>(UnitCount(object->primitive.string->text, version_)));
  }
  Object* owner = nullptr;
  Property* property = Find(object, key, &owner);
  if (!property) return Value();
  if (property->getter) {
    if (depth_ > kMaxCallDepth) return Value();
    return Call(Value(property->getter), Value(object), {});
  }
  return property->value;
}

Value Interpreter::GetMember(const Value& target, String* name) {
  if (target.IsObject()) {
    if (auto* super = AsSuper(target.object)) {
      Property* property = Find(super->proto, Key(name));
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
    Object* proto = value.AsObject();
    // A prototype chain that loops is refused.
    for (Object* at = proto; at; at = at->proto) {
      if (at == object) return;
    }
    object->proto = proto;
    return;
  }
  if (object->kind == ObjectKind::kClip) {
    const int index = ClipPropertyIndex(*this, name);
    if (index >= 0) {
      SetClipProperty(*this, object, index, value);
      return;
    }
  }
  if (object->kind == ObjectKind::kArray) {
    if (key == names_.length) {
      const double wanted = ToNumber(value);
      if (!(wanted >= 0) || wanted > 1e8) return;
      const std::size_t newLength = static_cast<std::size_t>(wanted);
      const std::size_t oldLength = ArrayLength(object);
      for (std::size_t i = newLength; i < oldLength && i < newLength + 100000; ++i) object->RemoveOwn(heap_.NumberName(i));
      object->primitive = Value(static_cast<double>(newLength));
      return;
    }
    const std::string& text = key->text;
    if (!text.empty() && text.size() < 10 && text[0] >= '0' && text[0] <= '9' && (text == "0" || text[0] != '0')) {
      bool digits = true;
      for (char c : text) digits = digits && c >= '0' && c <= '9';
      if (digits) {
        const std::size_t index = std::stoul(text);
        if (index >= ArrayLength(object)) object->primitive = Value(static_cast<double>(index + 1));
      }
    }
  }
  Object* owner = nullptr;
  Property* property = Find(object, key, &owner);
  if (property && property->setter) {
    if (depth_ > kMaxCallDepth) return;
    const Value args[] = {value};
    Call(Value(property->setter), Value(object), args);
    return;
  }
  if (property && property->getter && !property->setter) return;  // read-only accessor
  if (property && owner == object) {
    if (property->flags & property_flag::kReadOnly) return;
    property->value = value;
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
  if (array->kind == ObjectKind::kArray) return array->primitive.IsNumber() ? static_cast<std::size_t>(array->primitive.number) : 0;
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
      Property* property = Find(super->proto, Key(name), &home);
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
