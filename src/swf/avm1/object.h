#pragma once
// Script objects: named properties (with getters and setters from addProperty and the
// ASSetPropFlags flags), the __proto__ link, and the kinds the built-ins give extra
// state: functions, boxed primitives, dates, movie clips.

#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

#include "swf/avm1/value.h"
#include "swf/format/action_decoder.h"

namespace tavelin::swf::player {
struct ClipAnchor;
}

namespace tavelin::swf::avm1 {

class Interpreter;
class Scope;

namespace property_flag {
inline constexpr std::uint8_t kDontEnum = 0x01;
inline constexpr std::uint8_t kDontDelete = 0x02;
inline constexpr std::uint8_t kReadOnly = 0x04;
// A gate ASSetPropFlags can give: the property is hidden from the movie (as a version 8
// movie shows it) until the movie sets it again. Taken to hold for movies before
// version 10, which the engine does not run.
inline constexpr std::uint16_t kFromTen = 0x4000;
inline constexpr std::uint16_t kVersionGates = kFromTen;
// Whether a property with `flags` exists for a movie of `version`.
constexpr bool VisibleIn(std::uint16_t flags, int version) { return !(flags & kFromTen) || version >= 10; }
}  // namespace property_flag

struct Property {
  String* key = nullptr;   // the name as compared (lower case in case-insensitive movies)
  String* name = nullptr;  // the name as first written, for enumeration
  Value value;
  Object* getter = nullptr;
  Object* setter = nullptr;
  std::uint16_t flags = 0;
};

// A function Object.watch attached to one property name of an object.
struct Watcher {
  String* key = nullptr;
  Object* callback = nullptr;
  Value userData;
  int running = 0;  // calls under way (up to version 6 a set made by the callback does not call it again)
};

enum class ObjectKind : std::uint8_t {
  kObject, kFunction, kArray, kClip, kString, kNumber, kBoolean, kDate, kError, kArguments, kColor, kSound, kTextField,
  kSuper
};

class Object : public Cell {
 public:
  explicit Object(Object* prototype, ObjectKind objectKind = ObjectKind::kObject) : proto(prototype), kind(objectKind) {}

  Property* FindOwn(String* key);
  // Adds or replaces an own value (keeping a property's flags and accessors off).
  Property& Put(String* key, String* name, const Value& value, std::uint16_t flags = 0);
  bool RemoveOwn(String* key);
  const std::vector<Property>& Properties() const { return properties_; }
  std::vector<Property>& Properties() { return properties_; }

  void TraceChildren(std::vector<Cell*>& stack) override;

  Object* proto = nullptr;
  ObjectKind kind;
  // Boxed String, Number and Boolean objects, a Date's time, an Array's length.
  Value primitive;
  // Interfaces an `implements` declaration gave a constructor's prototype.
  std::vector<Object*> interfaces;
  // Watched property names; they outlive the properties themselves.
  std::unique_ptr<std::vector<Watcher>> watchers;

 private:
  void Reindex();

  std::vector<Property> properties_;
  // Built once an object has many properties, so lookups stay constant time.
  std::unique_ptr<std::unordered_map<String*, std::uint32_t>> index_;
};

// The decoded program a function's body lives in, with its strings made script strings
// once (pinned, so programs need not be traced).
struct LoadedProgram {
  std::shared_ptr<const format::ActionProgram> program;
  std::vector<String*> strings;
  int version = 0;
};

using NativeFunction = Value (*)(Interpreter& vm, const Value& self, std::span<const Value> args);

class Function;
class SuperObject;
// Checked downcasts by kind (cheaper than dynamic_cast on hot paths).
Function* AsFunction(Object* object);
SuperObject* AsSuper(Object* object);

class Function final : public Object {
 public:
  explicit Function(Object* prototype) : Object(prototype, ObjectKind::kFunction) {}
  void TraceChildren(std::vector<Cell*>& stack) override;

  NativeFunction native = nullptr;
  // A native constructor's own behaviour when called with `new` (may be null: the
  // plain call is used on the new object).
  NativeFunction construct = nullptr;
  // Script functions.
  std::shared_ptr<const LoadedProgram> code;
  const format::FunctionInfo* info = nullptr;
  Scope* scope = nullptr;
  std::shared_ptr<const std::vector<String*>> constantPool;
  // The timeline the function was defined on; its variables are the function's outer
  // scope, and it is `this` when the function is called without an object.
  Object* timeline = nullptr;
};

// One link of a scope chain: an object whose properties are variables there.
class Scope final : public Cell {
 public:
  Scope(Object* holder, Scope* outer) : object(holder), parent(outer) {}
  void TraceChildren(std::vector<Cell*>& stack) override {
    if (object) stack.push_back(object);
    if (parent) stack.push_back(parent);
  }
  Object* object;
  Scope* parent;
  bool with = false;  // opened by a With block: a function called from it runs on its object
};

// What `super` stands for in a method: the prototype the method belongs to (its level),
// found again on each use by climbing `depth` links from `self` so that a prototype
// chain changed during the call is followed. Members are looked up above the level,
// super() calls the level's __constructor__, and calls run with `self` as this.
class SuperObject final : public Object {
 public:
  SuperObject(Object* thisObject, int hops, Object* fixedLevel)
      : Object(nullptr, ObjectKind::kSuper), self(thisObject), depth(hops), level(fixedLevel) {}
  void TraceChildren(std::vector<Cell*>& stack) override {
    Object::TraceChildren(stack);
    if (self) stack.push_back(self);
    if (level) stack.push_back(level);
  }
  Object* Level() const {
    if (depth < 0) return level;
    Object* at = self;
    for (int i = 0; i < depth && at; ++i) at = at->proto;
    return at;
  }
  Object* Members() const {
    Object* at = Level();
    return at ? at->proto : nullptr;
  }
  Object* self;
  int depth;      // links from self to the level; -1: the level is fixed
  Object* level;  // the fixed level, when the method's home is not on self's chain
};

// A movie clip (or button, or text field) on the stage, seen from scripts.
class ClipObject final : public Object {
 public:
  ClipObject(Object* prototype, std::shared_ptr<player::ClipAnchor> clip) : Object(prototype, ObjectKind::kClip), anchor(std::move(clip)) {}
  std::shared_ptr<player::ClipAnchor> anchor;
};

inline Function* AsFunction(Object* object) {
  return object && object->kind == ObjectKind::kFunction ? static_cast<Function*>(object) : nullptr;
}
inline SuperObject* AsSuper(Object* object) {
  return object && object->kind == ObjectKind::kSuper ? static_cast<SuperObject*>(object) : nullptr;
}

}  // namespace tavelin::swf::avm1
