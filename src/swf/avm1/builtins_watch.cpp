// Object.watch and Object.unwatch: a function called with (name, old value, new value,
// user data) whenever a property of that name is set on the object, whose answer is
// what gets stored.
#include "swf/avm1/builtins.h"

namespace tavelin::swf::avm1 {
namespace {

Watcher* FindWatcher(Object* object, String* key) {
  if (!object->watchers) return nullptr;
  for (Watcher& watcher : *object->watchers) {
    if (watcher.key == key) return &watcher;
  }
  return nullptr;
}

Value WatchFn(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* object = self.AsObject();
  Object* callback = AsFunction(Arg(args, 1).AsObject());
  if (!object || !callback) return Value(false);
  String* name = vm.ToString(args[0]);
  String* key = vm.Key(name);
  if (Watcher* existing = FindWatcher(object, key)) {
    existing->callback = callback;
    existing->userData = Arg(args, 2);
    return Value(true);
  }
  if (!object->watchers) object->watchers = std::make_unique<std::vector<Watcher>>();
  object->watchers->push_back(Watcher{key, callback, Arg(args, 2)});
  return Value(true);
}

Value UnwatchFn(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* object = self.AsObject();
  if (!object || !object->watchers || args.empty()) return Value(false);
  String* key = vm.Key(vm.ToString(args[0]));
  // A property with a getter keeps its watcher.
  if (const Property* own = object->FindOwn(key); own && own->getter) return Value(false);
  auto& list = *object->watchers;
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (it->key != key) continue;
    list.erase(it);
    return Value(true);
  }
  return Value(false);
}

}  // namespace

bool Interpreter::WatchRunning(Object* object, String* key) {
  const Watcher* watcher = FindWatcher(object, key);
  return watcher && watcher->running > 0;
}

bool Interpreter::RunWatcher(Object* object, String* key, String* name, Value& value) {
  Watcher* watcher = FindWatcher(object, key);
  if (!watcher || (watcher->running > 0 && version_ <= 6) || accessorsRunning_.size() > kMaxAccessorDepth) return false;
  // The old value is the stored one, found through the prototypes; no getter runs.
  Property* current = Find(object, key);
  const Value old = current ? current->value : Value();
  const Value args[] = {Value(name), old, value, watcher->userData};
  const Value callback(watcher->callback);
  ++watcher->running;
  struct Done {
    Object* object;
    String* key;
    ~Done() {
      if (Watcher* w = FindWatcher(object, key); w && w->running > 0) --w->running;
    }
  } done{object, key};
  AccessorCall nested(*this, object, key);
  try {
    value = Call(callback, Value(object), args);
  } catch (const ScriptThrow&) {
    SetWatched(object, key, name, Value());
    throw;
  }
  return true;
}

void Interpreter::SetWatched(Object* object, String* key, String* name, const Value& value) {
  if (object->kind == ObjectKind::kArray) ElementWritten(object, key);
  Object* owner = nullptr;
  Property* property = Find(object, key, &owner);
  if (property && (property->getter || property->setter)) {
    property->value = value;
    if (property->setter) {
      const Value args[] = {value};
      Call(Value(property->setter), Value(object), args);
    }
    return;
  }
  if (property && owner == object) {
    if (!(property->flags & property_flag::kReadOnly)) property->value = value;
    return;
  }
  object->Put(key, name, value);
}

void InstallWatch(Interpreter& vm) {
  vm.DefineNative(vm.objectProto, "watch", WatchFn);
  vm.DefineNative(vm.objectProto, "unwatch", UnwatchFn);
}

}  // namespace tavelin::swf::avm1
