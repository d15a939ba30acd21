// TextFormat: a bag of text attributes whose properties convert what they are given
// (texts, truths, whole numbers rounded half to even, colours as unsigned numbers,
// margins never negative) and read null until set. The values live in a holder object
// in the format's primitive slot, so subclasses and prototypes without one read
// undefined.

#include <cmath>
#include <limits>

#include "swf/avm1/builtins.h"
#include "swf/avm1/text_fields.h"

namespace tavelin::swf::avm1 {
namespace {

// kIndent: a whole number, never negative for movies before version 8.
enum class Kind { kText, kTruth, kWhole, kMargin, kIndent, kColor, kNumber, kAlign, kList };

struct FormatProperty {
  const char* name;
  Kind kind;
};

// In the order the constructor takes them, then the rest.
constexpr FormatProperty kProperties[] = {
    {"font", Kind::kText},        {"size", Kind::kWhole},         {"color", Kind::kColor},
    {"bold", Kind::kTruth},       {"italic", Kind::kTruth},       {"underline", Kind::kTruth},
    {"url", Kind::kText},         {"target", Kind::kText},        {"align", Kind::kAlign},
    {"leftMargin", Kind::kMargin}, {"rightMargin", Kind::kMargin}, {"indent", Kind::kIndent},
    {"leading", Kind::kIndent},   {"blockIndent", Kind::kIndent},  {"bullet", Kind::kTruth},
    {"tabStops", Kind::kList},    {"kerning", Kind::kTruth},      {"letterSpacing", Kind::kNumber}};

Object* Holder(const Value& self) {
  Object* format = self.AsObject();
  if (!format || format->kind != ObjectKind::kObject) return nullptr;
  return format->primitive.AsObject();
}

// A whole number as the format keeps it: rounded half to even (cut towards zero before
// version 8), and the lowest 32-bit integer for anything beyond 32 bits (or not a
// number).
double Whole(double n, int version) {
  constexpr double kLowest = std::numeric_limits<std::int32_t>::min();
  if (!std::isfinite(n)) return kLowest;
  const double rounded = version >= 8 ? std::nearbyint(n) : std::trunc(n);  // the default rounding is half to even
  return rounded >= 2147483648.0 || rounded < kLowest ? kLowest : rounded;
}

Value Convert(Interpreter& vm, Kind kind, const Value& value, const Value& previous) {
  if (value.IsNullish()) return kind == Kind::kAlign ? previous : Value::Null();  // alignment is never unset
  switch (kind) {
    case Kind::kText: return Value(vm.ToString(value));
    case Kind::kTruth: return Value(vm.ToBoolean(value));
    case Kind::kWhole: return Value(Whole(vm.ToNumber(value), vm.Version()));
    case Kind::kIndent:
      if (vm.Version() >= 8) return Value(Whole(vm.ToNumber(value), vm.Version()));
      [[fallthrough]];
    case Kind::kMargin: {
      const double n = vm.ToNumber(value);
      return Value(std::isnan(n) || n < 0 ? 0.0 : Whole(n, vm.Version()));
    }
    case Kind::kColor: {
      const double n = vm.ToNumber(value);
      return Value(std::isfinite(n) ? static_cast<double>(ToUint32(std::trunc(n))) : 0.0);
    }
    case Kind::kNumber: return Value(vm.ToNumber(value));
    case Kind::kAlign: {
      std::string text = vm.ToText(value);
      for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
      for (const char* name : {"left", "center", "right", "justify"}) {
        if (text == name) return Value(vm.Name(name));
      }
      return previous;  // an unknown alignment changes nothing
    }
    case Kind::kList: {
      Object* from = value.AsObject();
      if (!from) return previous;
      Object* list = vm.NewArray();
      const std::size_t length = std::min<std::size_t>(vm.ArrayLength(from), 1000);
      for (std::size_t i = 0; i < length; ++i) vm.ArrayPush(list, Value(Whole(vm.ToNumber(vm.ArrayAt(from, i)), vm.Version())));
      return Value(list);
    }
  }
  return Value::Null();
}

template <std::size_t kIndex>
Value Getter(Interpreter& vm, const Value& self, std::span<const Value>) {
  Object* holder = Holder(self);
  return holder ? vm.Get(holder, vm.Name(kProperties[kIndex].name)) : Value();
}

template <std::size_t kIndex>
Value Setter(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* holder = Holder(self);
  if (!holder) return Value();
  String* name = vm.Name(kProperties[kIndex].name);
  const Value converted = Convert(vm, kProperties[kIndex].kind, Arg(args, 0), vm.Get(holder, name));
  vm.Set(holder, name, converted);
  return Value();
}

Value TextFormatCtor(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* format = self.AsObject();
  if (!format) return self;
  Object* holder = vm.NewObject();
  for (const FormatProperty& property : kProperties) vm.Set(holder, vm.Name(property.name), Value::Null());
  format->primitive = Value(holder);
  // The constructor's arguments, up to leading, in kProperties' order; whole numbers
  // given here are cut towards zero and margins may stay negative.
  for (std::size_t i = 0; i < args.size() && i < 13; ++i) {
    const Kind kind = kProperties[i].kind;
    if ((kind == Kind::kWhole || kind == Kind::kMargin || kind == Kind::kIndent) && !args[i].IsNullish()) {
      vm.Set(holder, vm.Name(kProperties[i].name), Value(static_cast<double>(ToInt32(vm.ToNumber(args[i])))));
    } else {
      vm.Set(format, vm.Name(kProperties[i].name), args[i]);
    }
  }
  return self;
}

template <std::size_t... kIndex>
void DefineAccessors(Interpreter& vm, Object* proto, std::index_sequence<kIndex...>) {
  const std::pair<NativeFunction, NativeFunction> accessors[] = {{Getter<kIndex>, Setter<kIndex>}...};
  for (std::size_t i = 0; i < sizeof...(kIndex); ++i) {
    String* key = vm.Name(kProperties[i].name);
    Property& property = proto->Put(vm.Key(key), key, Value(), 0);
    property.getter = vm.NewNative(accessors[i].first);
    property.setter = vm.NewNative(accessors[i].second);
  }
}

}  // namespace

Object* NewTextFormat(Interpreter& vm) {
  Object* ctor = vm.Get(vm.global, vm.Name("TextFormat")).AsObject();
  Object* format = vm.NewObject(ctor ? vm.Get(ctor, vm.Names().prototype).AsObject() : nullptr);
  TextFormatCtor(vm, Value(format), {});
  return format;
}

void InstallTextFormat(Interpreter& vm) {
  Object* proto = vm.NewObject();
  Function* ctor = vm.NewNative(TextFormatCtor, TextFormatCtor);
  vm.LinkConstructor(ctor, proto);
  vm.DefineValue(vm.global, "TextFormat", Value(ctor));
  DefineAccessors(vm, proto, std::make_index_sequence<std::size(kProperties)>());
}

}  // namespace tavelin::swf::avm1
