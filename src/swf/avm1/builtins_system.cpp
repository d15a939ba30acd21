// What movies ask of the player around them: its version ($version, getVersion,
// System.capabilities), the security calls of web movies (which change nothing here),
// Accessibility, and SharedObject, whose data lasts while the movie plays (nothing is
// written to disk).
#include "swf/avm1/builtins.h"

namespace tavelin::swf::avm1 {
namespace {

// The player these movies were made for, as they ask for it.
constexpr const char* kPlayerVersion = "WIN 8,0,24,0";

Value Nothing(Interpreter&, const Value&, std::span<const Value>) { return Value(); }
Value False(Interpreter&, const Value&, std::span<const Value>) { return Value(false); }
Value True(Interpreter&, const Value&, std::span<const Value>) { return Value(true); }
Value Zero(Interpreter&, const Value&, std::span<const Value>) { return Value(0.0); }

Value GetVersion(Interpreter& vm, const Value&, std::span<const Value>) { return Value(vm.Name(kPlayerVersion)); }

// SharedObject.getLocal(name): the same object for the same name while the movie plays.
Value GetLocal(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* shared = self.AsObject();
  if (!shared || args.empty()) return Value::Null();
  Object* store = vm.Get(shared, vm.Name("__store")).AsObject();
  Object* proto = vm.Get(shared, vm.Name("prototype")).AsObject();
  if (!store || !proto) return Value::Null();
  String* name = vm.ToString(args[0]);
  if (name->text.empty()) return Value::Null();
  if (Object* known = vm.Get(store, name).AsObject()) return Value(known);
  Object* object = vm.NewObject(proto);
  vm.Set(object, vm.Name("data"), Value(vm.NewObject()));
  vm.DefineValue(store, name->text, Value(object));
  return Value(object);
}

Value Clear(Interpreter& vm, const Value& self, std::span<const Value>) {
  if (Object* object = self.AsObject()) vm.Set(object, vm.Name("data"), Value(vm.NewObject()));
  return Value();
}

}  // namespace

void InstallSystem(Interpreter& vm) {
  Object* g = vm.global;
  vm.DefineNative(g, "getVersion", GetVersion);
  vm.DefineValue(g, "$version", Value(vm.Name(kPlayerVersion)));

  Object* system = vm.NewObject();
  vm.DefineValue(g, "System", Value(system));
  Object* capabilities = vm.NewObject();
  vm.DefineValue(system, "capabilities", Value(capabilities));
  vm.DefineValue(capabilities, "version", Value(vm.Name(kPlayerVersion)), 0);
  vm.DefineValue(capabilities, "os", Value(vm.Name("Windows")), 0);
  vm.DefineValue(capabilities, "manufacturer", Value(vm.Name("Tavelin")), 0);
  vm.DefineValue(capabilities, "playerType", Value(vm.Name("StandAlone")), 0);
  vm.DefineValue(capabilities, "language", Value(vm.Name("zh-CN")), 0);
  vm.DefineValue(capabilities, "hasAudio", Value(true), 0);
  vm.DefineValue(capabilities, "hasMP3", Value(true), 0);
  vm.DefineValue(capabilities, "isDebugger", Value(false), 0);
  Object* security = vm.NewObject();
  vm.DefineValue(system, "security", Value(security));
  for (const char* name : {"allowDomain", "allowInsecureDomain", "loadPolicyFile"}) vm.DefineNative(security, name, Nothing);
  vm.DefineValue(system, "IME", Value(vm.NewObject()));
  vm.DefineNative(system, "setClipboard", False);
  vm.DefineNative(system, "showSettings", Nothing);

  Object* accessibility = vm.NewObject();
  vm.DefineValue(g, "Accessibility", Value(accessibility));
  vm.DefineNative(accessibility, "isActive", False);
  vm.DefineNative(accessibility, "updateProperties", Nothing);

  if (vm.Version() < 6) return;
  Object* proto = vm.NewObject();
  Function* shared = vm.NewNative(Nothing);
  vm.LinkConstructor(shared, proto);
  vm.DefineValue(g, "SharedObject", Value(shared));
  vm.DefineValue(shared, "__store", Value(vm.NewObject()));
  vm.DefineNative(shared, "getLocal", GetLocal);
  vm.DefineNative(proto, "flush", True);
  vm.DefineNative(proto, "clear", Clear);
  vm.DefineNative(proto, "getSize", Zero);
  vm.DefineNative(proto, "close", Nothing);
}

}  // namespace tavelin::swf::avm1
