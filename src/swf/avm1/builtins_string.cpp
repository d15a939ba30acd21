// String, Number and Boolean.
#include <algorithm>
#include <cmath>

#include "swf/avm1/builtins.h"
#include "swf/avm1/text_case.h"
#include "swf/avm1/text_units.h"

namespace tavelin::swf::avm1 {
namespace {

// The string a String method works on: the primitive, a boxed string's value, or the
// object converted.
std::string Text(Interpreter& vm, const Value& self) {
  if (Object* object = self.AsObject(); object && object->kind == ObjectKind::kString) return vm.ToText(object->primitive);
  return vm.ToText(self);
}

Value Str(Interpreter& vm, std::string text) { return Value(vm.GetHeap().Intern(std::move(text))); }

double Integer(Interpreter& vm, const Value& v) {
  const double n = vm.ToNumber(v);
  return std::isnan(n) ? 0 : std::trunc(n);
}

Value StringCtor(Interpreter& vm, const Value&, std::span<const Value> args) {
  return args.empty() ? Value(vm.Names().empty) : Value(vm.ToString(args[0]));
}
Value StringConstruct(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* object = self.AsObject();
  object->kind = ObjectKind::kString;
  object->primitive = args.empty() ? Value(vm.Names().empty) : Value(vm.ToString(args[0]));
  // A String object keeps its length as an own value scripts may overwrite.
  String* length = vm.Names().length;
  object->Put(vm.Key(length), length, Value(static_cast<double>(UnitCount(object->primitive.string->text, vm.Version()))),
              property_flag::kDontEnum | property_flag::kDontDelete);
  return self;
}
Value StringValueOf(Interpreter& vm, const Value& self, std::span<const Value>) { return Str(vm, Text(vm, self)); }

// The units the methods below index (see text_units.h) and the text made of some.
std::u16string Units(Interpreter& vm, const Value& self) { return ToUnits(Text(vm, self), vm.Version()); }
Value Str(Interpreter& vm, std::u16string_view units) { return Str(vm, FromUnits(units, vm.Version())); }
std::u16string UnitsOf(Interpreter& vm, const Value& value) { return ToUnits(vm.ToText(value), vm.Version()); }

// A character's index wraps as a 32-bit integer.
double Index(Interpreter& vm, const Value& v) { return static_cast<double>(ToInt32(vm.ToNumber(v))); }

Value CharAt(Interpreter& vm, const Value& self, std::span<const Value> args) {
  const std::u16string text = Units(vm, self);
  const double i = Index(vm, Arg(args, 0));
  if (i < 0 || i >= static_cast<double>(text.size())) return Value(vm.Names().empty);
  return Str(vm, std::u16string_view(text).substr(static_cast<std::size_t>(i), 1));
}

Value CharCodeAt(Interpreter& vm, const Value& self, std::span<const Value> args) {
  const std::u16string text = Units(vm, self);
  const double i = Index(vm, Arg(args, 0));
  // Version 5 answers zero past the end.
  if (vm.Version() < 6 && i >= static_cast<double>(text.size())) return Value(0.0);
  if (i < 0 || i >= static_cast<double>(text.size())) return Value(NAN);
  return Value(static_cast<double>(text[static_cast<std::size_t>(i)]));
}

Value IndexOf(Interpreter& vm, const Value& self, std::span<const Value> args) {
  if (args.empty()) return Value();
  const std::u16string text = Units(vm, self);
  const std::u16string wanted = UnitsOf(vm, args[0]);
  double from = args.size() > 1 ? Index(vm, args[1]) : 0;
  if (from < 0) from = 0;
  if (from > static_cast<double>(text.size())) return Value(-1.0);
  const std::size_t at = text.find(wanted, static_cast<std::size_t>(from));
  return Value(at == std::u16string::npos ? -1.0 : static_cast<double>(at));
}

Value LastIndexOf(Interpreter& vm, const Value& self, std::span<const Value> args) {
  if (args.empty()) return Value();
  const std::u16string text = Units(vm, self);
  const std::u16string wanted = UnitsOf(vm, args[0]);
  std::size_t from = std::u16string::npos;
  if (args.size() > 1 && !args[1].IsUndefined()) {
    const double f = Index(vm, args[1]);
    if (f < 0) return Value(-1.0);
    from = static_cast<std::size_t>(std::min(f, 1e9));
  }
  const std::size_t at = text.rfind(wanted, from);
  return Value(at == std::u16string::npos ? -1.0 : static_cast<double>(at));
}

Value Substr(Interpreter& vm, const Value& self, std::span<const Value> args) {
  if (args.empty()) return Value();
  const std::u16string text = Units(vm, self);
  const double size = static_cast<double>(text.size());
  double start = Index(vm, args[0]);
  if (start < 0) start = std::max(0.0, size + start);
  start = std::min(start, size);
  double count = args.size() > 1 && !args[1].IsUndefined() ? Index(vm, args[1]) : size - start;
  if (count < 0) {
    // A negative count is taken from the whole length; one that would reach the end
    // gives nothing.
    count += size;
    if (count <= 0 || start + count >= size) return Value(vm.Names().empty);
  }
  count = std::min(count, size - start);
  return Str(vm, std::u16string_view(text).substr(static_cast<std::size_t>(start), static_cast<std::size_t>(count)));
}

Value Substring(Interpreter& vm, const Value& self, std::span<const Value> args) {
  if (args.empty()) return Value();
  const std::u16string text = Units(vm, self);
  const double size = static_cast<double>(text.size());
  double from = std::clamp(Index(vm, args[0]), 0.0, size);
  double to = args.size() > 1 && !args[1].IsUndefined() ? std::clamp(Index(vm, args[1]), 0.0, size) : size;
  if (from > to) std::swap(from, to);
  return Str(vm, std::u16string_view(text).substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from)));
}

Value Slice(Interpreter& vm, const Value& self, std::span<const Value> args) {
  if (args.empty()) return Value();
  const std::u16string text = Units(vm, self);
  const double size = static_cast<double>(text.size());
  auto clamp = [&](const Value& v, double fallback) {
    if (v.IsUndefined()) return fallback;
    double n = Index(vm, v);
    if (n < 0) n += size;
    return std::clamp(n, 0.0, size);
  };
  const double from = clamp(Arg(args, 0), 0), to = clamp(Arg(args, 1), size);
  if (to <= from) return Value(vm.Names().empty);
  return Str(vm, std::u16string_view(text).substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from)));
}

Value Split(Interpreter& vm, const Value& self, std::span<const Value> args) {
  const std::u16string text = Units(vm, self);
  const std::u16string_view view(text);
  Object* array = vm.NewArray();
  // Version 5 splits at commas when given no separator, and not at all at "".
  const bool v5 = vm.Version() < 6;
  std::size_t limit = SIZE_MAX;
  if (args.size() > 1 && !args[1].IsUndefined()) limit = static_cast<std::size_t>(std::max(0.0, Integer(vm, args[1])));
  if (Arg(args, 0).IsUndefined() && !v5) {
    vm.ArrayPush(array, Str(vm, view));
    return Value(array);
  }
  const std::u16string separator = Arg(args, 0).IsUndefined() ? std::u16string(u",") : UnitsOf(vm, args[0]);
  if (separator.empty() && v5) {
    if (limit > 0) vm.ArrayPush(array, Str(vm, view));
    return Value(array);
  }
  if (separator.empty()) {
    for (std::size_t i = 0; i < view.size() && i < limit; ++i) vm.ArrayPush(array, Str(vm, view.substr(i, 1)));
    return Value(array);
  }
  std::size_t start = 0, count = 0;
  while (count < limit) {
    const std::size_t at = view.find(separator, start);
    vm.ArrayPush(array, Str(vm, view.substr(start, at == std::u16string_view::npos ? std::u16string_view::npos : at - start)));
    ++count;
    if (at == std::u16string_view::npos) break;
    start = at + separator.size();
  }
  return Value(array);
}

Value ToUpper(Interpreter& vm, const Value& self, std::span<const Value>) {
  if (vm.Version() >= 6) return Str(vm, std::u16string_view(UpperUnits(Units(vm, self))));
  std::string text = Text(vm, self);
  for (char& c : text) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  return Str(vm, text);
}
Value ToLower(Interpreter& vm, const Value& self, std::span<const Value>) {
  if (vm.Version() >= 6) return Str(vm, std::u16string_view(LowerUnits(Units(vm, self))));
  std::string text = Text(vm, self);
  for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return Str(vm, text);
}
Value StrConcat(Interpreter& vm, const Value& self, std::span<const Value> args) {
  std::string text = Text(vm, self);
  for (const Value& arg : args) text += vm.ToText(arg);
  return Str(vm, text);
}
// Characters from code units; a pair of surrogates makes one character, a unit 0 ends
// the text (script texts end at a zero).
Value FromCharCode(Interpreter& vm, const Value&, std::span<const Value> args) {
  std::u16string units;
  for (const Value& arg : args) {
    const auto unit = static_cast<char16_t>(ToUint32(vm.ToNumber(arg)) & 0xFFFF);
    if (unit == 0) break;
    units += unit;
  }
  return Value(vm.GetHeap().Intern(FromUnits(units, std::max(vm.Version(), 6))));
}

// ---- Number ----

double ThisNumber(Interpreter& vm, const Value& self) {
  if (Object* object = self.AsObject(); object && object->kind == ObjectKind::kNumber) return vm.ToNumber(object->primitive);
  return vm.ToNumber(self);
}

Value NumberCtor(Interpreter& vm, const Value&, std::span<const Value> args) {
  return args.empty() ? Value(0.0) : Value(vm.ToNumber(args[0]));
}
Value NumberConstruct(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* object = self.AsObject();
  object->kind = ObjectKind::kNumber;
  object->primitive = args.empty() ? Value(0.0) : Value(vm.ToNumber(args[0]));
  return self;
}
Value NumberToString(Interpreter& vm, const Value& self, std::span<const Value> args) {
  const double n = ThisNumber(vm, self);
  const int radix = args.empty() || args[0].IsUndefined() ? 10 : ToInt32(vm.ToNumber(args[0]));
  if (radix == 10 || radix < 2 || radix > 36 || !std::isfinite(n)) return Value(vm.ToString(Value(n)));
  long long whole = static_cast<long long>(std::trunc(n));
  const bool negative = whole < 0;
  unsigned long long magnitude = negative ? static_cast<unsigned long long>(-whole) : static_cast<unsigned long long>(whole);
  std::string digits;
  do {
    const int d = static_cast<int>(magnitude % static_cast<unsigned>(radix));
    digits += static_cast<char>(d < 10 ? '0' + d : 'a' + d - 10);
    magnitude /= static_cast<unsigned>(radix);
  } while (magnitude);
  if (negative) digits += '-';
  std::reverse(digits.begin(), digits.end());
  return Str(vm, digits);
}
Value NumberValueOf(Interpreter& vm, const Value& self, std::span<const Value>) { return Value(ThisNumber(vm, self)); }

// ---- Boolean ----

Value BooleanCtor(Interpreter& vm, const Value&, std::span<const Value> args) {
  if (args.empty()) return Value();  // Boolean() is undefined
  return Value(vm.ToBoolean(args[0]));
}
Value BooleanConstruct(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* object = self.AsObject();
  object->kind = ObjectKind::kBoolean;
  object->primitive = Value(!args.empty() && vm.ToBoolean(args[0]));
  return self;
}
Value BooleanValueOf(Interpreter& vm, const Value& self, std::span<const Value>) {
  if (Object* object = self.AsObject(); object && object->kind == ObjectKind::kBoolean) return object->primitive;
  return Value(vm.ToBoolean(self));
}
Value BooleanToString(Interpreter& vm, const Value& self, std::span<const Value> args) {
  return Value(vm.ToString(BooleanValueOf(vm, self, args)));
}

}  // namespace

void InstallStringNumberBoolean(Interpreter& vm) {
  vm.stringProto = vm.NewObject();
  Function* string = vm.NewNative(StringCtor, StringConstruct);
  vm.LinkConstructor(string, vm.stringProto);
  vm.DefineValue(vm.global, "String", Value(string));
  vm.DefineNative(string, "fromCharCode", FromCharCode);
  Object* s = vm.stringProto;
  vm.DefineNative(s, "toString", StringValueOf);
  vm.DefineNative(s, "valueOf", StringValueOf);
  vm.DefineNative(s, "charAt", CharAt);
  vm.DefineNative(s, "charCodeAt", CharCodeAt);
  vm.DefineNative(s, "indexOf", IndexOf);
  vm.DefineNative(s, "lastIndexOf", LastIndexOf);
  vm.DefineNative(s, "substr", Substr);
  vm.DefineNative(s, "substring", Substring);
  vm.DefineNative(s, "slice", Slice);
  vm.DefineNative(s, "split", Split);
  vm.DefineNative(s, "toUpperCase", ToUpper);
  vm.DefineNative(s, "toLowerCase", ToLower);
  vm.DefineNative(s, "concat", StrConcat);

  vm.numberProto = vm.NewObject();
  Function* number = vm.NewNative(NumberCtor, NumberConstruct);
  vm.LinkConstructor(number, vm.numberProto);
  vm.DefineValue(vm.global, "Number", Value(number));
  vm.DefineNative(vm.numberProto, "toString", NumberToString);
  vm.DefineNative(vm.numberProto, "valueOf", NumberValueOf);
  const std::uint8_t fixed = property_flag::kDontEnum | property_flag::kDontDelete | property_flag::kReadOnly;
  vm.DefineValue(number, "MAX_VALUE", Value(1.79769313486231e+308), fixed);
  vm.DefineValue(number, "MIN_VALUE", Value(4.9406564584124654e-324), fixed);
  vm.DefineValue(number, "NaN", Value(NAN), fixed);
  vm.DefineValue(number, "POSITIVE_INFINITY", Value(INFINITY), fixed);
  vm.DefineValue(number, "NEGATIVE_INFINITY", Value(-INFINITY), fixed);

  vm.booleanProto = vm.NewObject();
  Function* boolean = vm.NewNative(BooleanCtor, BooleanConstruct);
  vm.LinkConstructor(boolean, vm.booleanProto);
  vm.DefineValue(vm.global, "Boolean", Value(boolean));
  vm.DefineNative(vm.booleanProto, "toString", BooleanToString);
  vm.DefineNative(vm.booleanProto, "valueOf", BooleanValueOf);
}

}  // namespace tavelin::swf::avm1
