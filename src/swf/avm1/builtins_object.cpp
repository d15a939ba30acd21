// Object, Function, Error and the global functions.
#include <cmath>
#include <cstdio>

#include "swf/avm1/builtins.h"

namespace tavelin::swf::avm1 {
namespace {

namespace pf = property_flag;

Value ObjectCtor(Interpreter& vm, const Value& self, std::span<const Value> args) {
  const Value value = Arg(args, 0);
  if (value.IsObject()) return value;
  if (!value.IsNullish()) return Value(vm.ToObject(value));
  (void)self;
  // Called without `new` and with nothing to wrap, it makes an object with no prototype.
  return Value(vm.GetHeap().New<Object>(nullptr));
}
Value ObjectConstruct(Interpreter& vm, const Value& self, std::span<const Value> args) {
  const Value value = Arg(args, 0);
  if (value.IsObject()) return value;
  if (!value.IsNullish()) return Value(vm.ToObject(value));
  return self;
}

Value ObjectToString(Interpreter& vm, const Value& self, std::span<const Value>) {
  Object* object = self.AsObject();
  if (object && object->kind == ObjectKind::kFunction) return Value(vm.Intern("[type Function]"));
  return Value(vm.Intern("[object Object]"));
}
Value ObjectValueOf(Interpreter&, const Value& self, std::span<const Value>) { return self; }

Value HasOwnProperty(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* object = self.AsObject();
  if (!object || args.empty()) return Value(false);
  String* name = vm.ToString(args[0]);
  if (name->text.empty()) return Value(false);  // the empty name is never an own property
  if (vm.Key(name) == vm.Key(vm.Names().proto)) return Value(object->proto != nullptr);
  return Value(object->FindOwn(vm.Key(name)) != nullptr);
}

Value IsPropertyEnumerable(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* object = self.AsObject();
  if (!object) return Value(false);
  Property* property = object->FindOwn(vm.Key(vm.ToString(Arg(args, 0))));
  return Value(property && !(property->flags & pf::kDontEnum));
}

Value IsPrototypeOf(Interpreter&, const Value& self, std::span<const Value> args) {
  Object* proto = self.AsObject();
  Object* object = Arg(args, 0).AsObject();
  int guard = 0;
  for (Object* at = object ? object->proto : nullptr; at && guard < kMaxProtoChain; at = at->proto, ++guard) {
    if (at == proto) return Value(true);
  }
  return Value(false);
}

Value AddProperty(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* object = self.AsObject();
  Object* getter = Arg(args, 1).AsObject();
  Object* setter = Arg(args, 2).AsObject();
  String* name = vm.ToString(Arg(args, 0));
  if (!object || name->text.empty() || !getter || getter->kind != ObjectKind::kFunction) return Value(false);
  if (setter && setter->kind != ObjectKind::kFunction && !Arg(args, 2).IsNull()) return Value(false);
  String* key = vm.Key(name);
  // The stored value stays: it is what a watcher sees as the old value.
  Property* property = object->FindOwn(key);
  if (!property) property = &object->Put(key, name, Value());
  property->getter = getter;
  property->setter = setter && setter->kind == ObjectKind::kFunction ? setter : nullptr;
  if (object->watchers) {
    Value value;
    if (vm.RunWatcher(object, key, name, value)) {
      if (Property* now = object->FindOwn(key)) now->value = value;
    }
  }
  return Value(true);
}

Value RegisterClass(Interpreter& vm, const Value&, std::span<const Value> args) {
  std::string name = vm.ToText(Arg(args, 0));
  for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  const auto found = vm.exports.find(name);
  if (found == vm.exports.end()) return Value(false);
  if (Object* ctor = Arg(args, 1).AsObject(); ctor && ctor->kind == ObjectKind::kFunction) {
    vm.registeredClasses[found->second] = ctor;
  } else {
    vm.registeredClasses.erase(found->second);
  }
  return Value(true);
}

Value FunctionCall(Interpreter& vm, const Value& self, std::span<const Value> args) {
  // Called on nothing, the function runs on the global object.
  const Value thisValue = Arg(args, 0);
  return vm.Call(self, thisValue.IsNullish() ? Value(vm.global) : thisValue, args.size() > 1 ? args.subspan(1) : std::span<const Value>());
}

Value FunctionApply(Interpreter& vm, const Value& self, std::span<const Value> args) {
  std::vector<Value> list;
  if (Object* array = Arg(args, 1).AsObject()) {
    const std::size_t length = std::min<std::size_t>(vm.ArrayLength(array), 65536);
    for (std::size_t i = 0; i < length; ++i) list.push_back(vm.ArrayAt(array, i));
  }
  const Value thisValue = Arg(args, 0);
  return vm.Call(self, thisValue.IsNullish() ? Value(vm.global) : thisValue, list);
}

// Function(x) gives x back as it is; Function() an object with no prototype.
Value FunctionCtor(Interpreter& vm, const Value&, std::span<const Value> args) {
  if (!args.empty()) return args[0];
  return Value(vm.GetHeap().New<Object>(nullptr));
}
Value FunctionConstruct(Interpreter&, const Value& self, std::span<const Value> args) {
  return args.empty() ? self : args[0];
}

Value ErrorCtor(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* object = self.AsObject();
  if (!object) object = vm.NewObject(vm.errorProto);
  if (!Arg(args, 0).IsUndefined()) vm.Set(object, vm.Names().message, Arg(args, 0));
  return Value(object);
}
Value ErrorToString(Interpreter& vm, const Value& self, std::span<const Value>) {
  return Value(vm.ToString(vm.GetMember(self, vm.Names().message)));
}

Value AsSetPropFlags(Interpreter& vm, const Value&, std::span<const Value> args) {
  Object* object = Arg(args, 0).AsObject();
  if (!object) return Value();
  const std::uint32_t set = ToUint32(vm.ToNumber(Arg(args, 2)));
  const std::uint32_t clear = args.size() > 3 ? ToUint32(vm.ToNumber(args[3])) : 0;
  auto apply = [&](Property& property) {
    property.flags = static_cast<std::uint16_t>((property.flags & ~clear) | set);
  };
  const Value names = Arg(args, 1);
  if (names.IsNull()) {
    for (Property& property : object->Properties()) apply(property);
    return Value();
  }
  std::vector<String*> list;
  if (Object* array = names.AsObject(); array && array->kind == ObjectKind::kArray) {
    for (std::size_t i = 0; i < vm.ArrayLength(array) && i < 65536; ++i) list.push_back(vm.ToString(vm.ArrayAt(array, i)));
  } else {
    const std::string text = vm.ToText(names);
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t comma = text.find(',', start);
      if (comma == std::string::npos) comma = text.size();
      list.push_back(vm.Intern(text.substr(start, comma - start)));
      start = comma + 1;
    }
  }
  for (String* name : list) {
    if (Property* property = object->FindOwn(vm.Key(name))) apply(*property);
  }
  return Value();
}

// ---- global functions ----

Value IsNaN(Interpreter& vm, const Value&, std::span<const Value> args) {
  return Value(args.empty() || std::isnan(vm.ToNumber(args[0])));
}
Value IsFinite(Interpreter& vm, const Value&, std::span<const Value> args) {
  return Value(!args.empty() && std::isfinite(vm.ToNumber(args[0])));
}

// parseInt as the original player reads it: a "0x" prefix counts only at the very start
// (a sign may follow it), a leading zero means octal only when the whole text is a signed
// run of octal digits with no white space, and a radix outside 2..36 (or not a number)
// gives NaN.
Value ParseInt(Interpreter& vm, const Value&, std::span<const Value> args) {
  if (args.empty()) return Value();
  const std::string text = vm.ToText(Arg(args, 0));
  const bool radixGiven = args.size() > 1;
  int radix = 0;
  if (radixGiven) {
    const double wanted = vm.ToNumber(args[1]);
    if (!std::isfinite(wanted)) return Value(NAN);
    radix = ToInt32(wanted);
    if (radix < 2 || radix > 36) return Value(NAN);
  }
  auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  auto isX = [](char c) { return c == 'x' || c == 'X'; };
  std::size_t i = 0;
  bool negative = false;
  if (text.size() >= 2 && text[0] == '0' && isX(text[1])) {
    i = 2;
    if (!radixGiven) radix = 16;
    while (i < text.size() && isSpace(text[i])) ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  } else if (text.size() >= 3 && (text[0] == '-' || text[0] == '+') && text[1] == '0' && isX(text[2])) {
    // A signed "0x" loses its sign and its zero; the "x" is read as a digit.
    i = 2;
    if (!radixGiven) radix = 10;
  } else {
    while (i < text.size() && isSpace(text[i])) ++i;
    const std::size_t signAt = i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (!radixGiven) {
      radix = 10;
      const bool atStart = signAt == 0;
      if (atStart && i < text.size() && text[i] == '0') {
        bool octal = true;
        for (std::size_t k = i; k < text.size(); ++k) octal = octal && text[k] >= '0' && text[k] <= '7';
        if (octal) radix = 8;
      }
    }
  }
  double result = 0;
  bool any = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'z' ? c - 'a' + 10 : c >= 'A' && c <= 'Z' ? c - 'A' + 10 : 99;
    if (digit >= radix) break;
    result = result * radix + digit;
    any = true;
  }
  if (!any) return Value(NAN);
  return Value(negative ? -result : result);
}

Value ParseFloat(Interpreter& vm, const Value&, std::span<const Value> args) {
  const std::string text = vm.ToText(Arg(args, 0));
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r')) ++i;
  std::size_t end = i;
  if (end < text.size() && (text[end] == '-' || text[end] == '+')) ++end;
  bool digits = false, dot = false, exponent = false;
  while (end < text.size()) {
    const char c = text[end];
    if (c >= '0' && c <= '9') {
      digits = true;
    } else if (c == '.' && !dot && !exponent) {
      dot = true;
    } else if ((c == 'e' || c == 'E') && digits && !exponent && end + 1 < text.size() &&
               ((text[end + 1] >= '0' && text[end + 1] <= '9') ||
                ((text[end + 1] == '-' || text[end + 1] == '+') && end + 2 < text.size() && text[end + 2] >= '0' && text[end + 2] <= '9'))) {
      exponent = true;
      if (text[end + 1] == '-' || text[end + 1] == '+') ++end;
    } else {
      break;
    }
    ++end;
  }
  if (!digits) return Value(NAN);
  return Value(std::strtod(text.substr(i, end - i).c_str(), nullptr));
}

Value Escape(Interpreter& vm, const Value&, std::span<const Value> args) {
  const std::string text = vm.ToText(Arg(args, 0));
  std::string out;
  for (unsigned char c : text) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      out += static_cast<char>(c);
    } else {
      char buffer[4];
      std::snprintf(buffer, sizeof buffer, "%%%02X", c);
      out += buffer;
    }
  }
  return Value(vm.Intern(out));
}

Value Unescape(Interpreter& vm, const Value&, std::span<const Value> args) {
  const std::string text = vm.ToText(Arg(args, 0));
  std::string out;
  auto hex = [](char c) { return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1; };
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%') {
      // A broken escape is dropped up to the first character that is no hex digit.
      if (i + 1 < text.size() && hex(text[i + 1]) < 0) {
        i += 1;
        continue;
      }
      if (i + 2 < text.size() && hex(text[i + 2]) >= 0) out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
      i += 2;
    } else if (text[i] == '+') {
      out += ' ';
    } else {
      out += text[i];
    }
  }
  return Value(vm.Intern(out));
}

Value GetTimer(Interpreter& vm, const Value&, std::span<const Value>) { return Value(std::floor(vm.Host().MovieMilliseconds())); }

Value TraceFunction(Interpreter& vm, const Value&, std::span<const Value> args) {
  vm.Host().Trace(Arg(args, 0).IsUndefined() ? std::string("undefined") : vm.ToText(Arg(args, 0)));
  return Value();
}

Value FsCommand(Interpreter& vm, const Value&, std::span<const Value> args) {
  vm.Host().Command(vm.ToText(Arg(args, 0)), vm.ToText(Arg(args, 1)));
  return Value();
}

}  // namespace

void InstallObjectAndFunction(Interpreter& vm) {
  Heap& heap = vm.GetHeap();
  vm.objectProto = heap.New<Object>(nullptr);
  vm.functionProto = heap.New<Object>(vm.objectProto);
  // The global object has no prototype: it prints as "[type Object]".
  vm.global = heap.New<Object>(nullptr);

  Function* object = vm.NewNative(ObjectCtor, ObjectConstruct);
  vm.LinkConstructor(object, vm.objectProto);
  vm.DefineValue(vm.global, "Object", Value(object));
  vm.DefineNative(vm.objectProto, "toString", ObjectToString);
  vm.DefineNative(vm.objectProto, "toLocaleString", ObjectToString);
  vm.DefineNative(vm.objectProto, "valueOf", ObjectValueOf);
  vm.DefineNative(vm.objectProto, "hasOwnProperty", HasOwnProperty);
  vm.DefineNative(vm.objectProto, "isPropertyEnumerable", IsPropertyEnumerable);
  vm.DefineNative(vm.objectProto, "isPrototypeOf", IsPrototypeOf);
  vm.DefineNative(vm.objectProto, "addProperty", AddProperty);
  InstallWatch(vm);
  vm.DefineNative(object, "registerClass", RegisterClass);

  Function* function = vm.NewNative(FunctionCtor, FunctionConstruct);
  vm.LinkConstructor(function, vm.functionProto);
  vm.DefineValue(vm.global, "Function", Value(function));
  vm.DefineNative(vm.functionProto, "call", FunctionCall);
  vm.DefineNative(vm.functionProto, "apply", FunctionApply);

  vm.errorProto = vm.NewObject();
  Function* error = vm.NewNative(ErrorCtor);
  vm.LinkConstructor(error, vm.errorProto);
  vm.DefineValue(vm.global, "Error", Value(error));
  vm.DefineValue(vm.errorProto, "message", Value(vm.Intern("Error")));
  vm.DefineValue(vm.errorProto, "name", Value(vm.Intern("Error")));
  vm.DefineNative(vm.errorProto, "toString", ErrorToString);
}

void InstallGlobalFunctions(Interpreter& vm) {
  Object* g = vm.global;
  vm.DefineNative(g, "ASSetPropFlags", AsSetPropFlags);
  vm.DefineNative(g, "isNaN", IsNaN);
  vm.DefineNative(g, "isFinite", IsFinite);
  vm.DefineNative(g, "parseInt", ParseInt);
  vm.DefineNative(g, "parseFloat", ParseFloat);
  vm.DefineNative(g, "escape", Escape);
  vm.DefineNative(g, "unescape", Unescape);
  vm.DefineNative(g, "getTimer", GetTimer);
  vm.DefineNative(g, "trace", TraceFunction);
  vm.DefineNative(g, "fscommand", FsCommand);
  vm.DefineValue(g, "NaN", Value(NAN));
  vm.DefineValue(g, "Infinity", Value(INFINITY));
}

void Interpreter::InstallBuiltins() {
  InstallObjectAndFunction(*this);
  InstallGlobalFunctions(*this);
  InstallArray(*this);
  InstallStringNumberBoolean(*this);
  InstallMathAndDate(*this);
  InstallMovieClip(*this);
  InstallInputObjects(*this);
  InstallLoading(*this);
  InstallSound(*this);
  InstallTextField(*this);
  InstallGeometry(*this);
  InstallSystem(*this);
}

}  // namespace tavelin::swf::avm1
