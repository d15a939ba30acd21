// The interpreter's conversions and comparisons as the player makes them: an object
// becomes text through toString alone and a number through valueOf alone, loose
// equality and ordering look at what valueOf gives, and version 7 changes what
// undefined reads as.
#include <cmath>

#include "swf/avm1/interpreter.h"
#include "swf/player/clip_control.h"

namespace tavelin::swf::avm1 {

double Interpreter::ToNumber(const Value& value) {
  switch (value.type) {
    case Value::Type::kUndefined:
    case Value::Type::kNull: return version_ >= 7 ? NAN : 0;
    case Value::Type::kBoolean: return value.boolean ? 1 : 0;
    case Value::Type::kNumber: return value.number;
    case Value::Type::kString: return TextToNumber(value.string->text, version_);
    case Value::Type::kObject: {
      // Only valueOf is asked; an object it does not turn into a primitive is NaN.
      if (value.object->kind == ObjectKind::kClip) return NAN;
      const Value fn = Get(value.object, names_.valueOf);
      if (!AsFunction(fn.AsObject())) return NAN;
      const Value primitive = Call(fn, value, {});
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
      // Only toString is asked; unless it gives a string, the object prints its type.
      const Value fn = GetMember(value, names_.toString);  // through `super` too
      const Value text = AsFunction(fn.AsObject()) ? Call(fn, value, {}) : Value();
      if (text.IsString()) return text.string;
      return Intern(object->kind == ObjectKind::kFunction ? "[type Function]" : "[type Object]");
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
  // Loose equality holds between two NaNs.
  if (a.IsNumber() && b.IsNumber()) return a.number == b.number || (std::isnan(a.number) && std::isnan(b.number));
  if (a.type == b.type) {
    return StrictEquals(a, b);
  }
  if (a.IsNullish() && b.IsNullish()) return true;
  // An object met with anything else is compared as its primitive value; one with no
  // valueOf or toString to call stands for undefined (so it equals null and undefined).
  if (a.IsObject() || b.IsObject()) {
    const bool left = a.IsObject();
    const Value primitive = PrimitiveOrUndefined(left ? a : b);
    if (primitive.IsObject()) return false;
    return left ? Equals(primitive, b) : Equals(a, primitive);
  }
  if (a.IsNullish() || b.IsNullish()) return false;
  if (a.IsNumber() && b.IsString()) return a.number == ToNumber(b);
  if (a.IsString() && b.IsNumber()) return ToNumber(a) == b.number;
  if (a.IsBoolean()) return Equals(Value(a.boolean ? 1.0 : 0.0), b);
  if (b.IsBoolean()) return Equals(a, Value(b.boolean ? 1.0 : 0.0));
  return false;
}

Value Interpreter::PrimitiveOrUndefined(const Value& value) {
  if (!value.IsObject() || value.object->kind == ObjectKind::kClip) return ToPrimitive(value);
  // One method is asked (toString for a date from version 6, valueOf for the rest); its answer may
  // still be an object.
  Object* object = value.object;
  const bool date = object->kind == ObjectKind::kDate && version_ >= 6;
  const Value fn = Get(object, date ? names_.toString : names_.valueOf);
  if (!AsFunction(fn.AsObject())) return Value();
  return Call(fn, value, {});
}

Value Interpreter::Less(const Value& a, const Value& b) {
  // A clip compares as no number at all.
  if ((a.IsObject() && a.object->kind == ObjectKind::kClip) || (b.IsObject() && b.object->kind == ObjectKind::kClip)) return Value();
  // Objects are compared by what valueOf gives (undefined when they have none); one that
  // stays an object makes the comparison false (the right one is then not converted).
  auto numeric = [&](const Value& v) -> Value {
    if (!v.IsObject()) return v;
    const Value fn = Get(v.object, names_.valueOf);
    if (!AsFunction(fn.AsObject())) return Value();
    return Call(fn, v, {});
  };
  const Value pa = numeric(a);
  if (pa.IsObject()) return Value(false);
  const Value pb = numeric(b);
  if (pb.IsObject()) return Value(false);
  if (pa.IsString() && pb.IsString()) return pa.string->text < pb.string->text;
  const double x = ToNumber(pa), y = ToNumber(pb);
  if (std::isnan(x) || std::isnan(y)) return Value();
  return x < y;
}

}  // namespace tavelin::swf::avm1
