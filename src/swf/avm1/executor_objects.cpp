// Object-model actions: object literals, deletion, enumeration, instanceof, casts and
// class declarations (extends, implements). Kept apart from the action loop.

#include "swf/avm1/executor.h"

#include <algorithm>
#include <vector>

#include "swf/player/clip_control.h"

namespace tavelin::swf::avm1 {

namespace op = format::action_code;

// Whether `object` has the class's prototype on its chain, or a prototype on its chain
// implements it.
bool Executor::IsInstance(Object* object, Object* ctor) {
  const auto& n = vm_.names_;
  Object* proto = ctor ? vm_.Get(ctor, n.prototype).AsObject() : nullptr;
  if (!object || !proto) return false;
  int guard = 0;
  for (Object* at = object->proto; at && guard < kMaxProtoChain; at = at->proto, ++guard) {
    if (at == proto) return true;
    for (Object* interface : at->interfaces) {
      if (interface == ctor || vm_.Get(interface, n.prototype).AsObject() == proto) return true;
    }
  }
  return false;
}

bool Executor::RunObjectAction(Activation& a, const format::Action& action) {
  const auto& n = vm_.names_;
  auto pop = [&] { return Pop(a); };
  auto push = [&](const Value& v) { Push(v); };
  switch (action.code) {
    case op::kInitObject: {
      const double count = vm_.ToNumber(pop());
      Object* object = vm_.NewObject();
      const std::size_t c = count > 0 ? static_cast<std::size_t>(std::min(count, 65536.0)) : 0;
      for (std::size_t i = 0; i < c; ++i) {
        const Value value = pop();
        vm_.Set(object, vm_.ToString(pop()), value);
      }
      push(Value(object));
      break;
    }
    case op::kDelete: {
      String* name = vm_.ToString(pop());
      Object* object = pop().AsObject();
      push(Value(object ? vm_.Delete(object, name) : false));
      break;
    }
    case op::kDelete2: {
      String* name = vm_.ToString(pop());
      bool deleted = false;
      for (Scope* scope = a.scope; scope; scope = scope->parent) {
        if (scope->object && vm_.Has(scope->object, name)) {
          deleted = vm_.Delete(scope->object, name);
          break;
        }
      }
      push(Value(deleted));
      break;
    }
    case op::kEnumerate:
    case op::kEnumerate2: {
      Value target = pop();
      if (action.code == op::kEnumerate) target = GetVariable(a, vm_.ToString(target));
      push(Value());  // the end of the names
      Object* object = target.AsObject();
      // A clip's children come after its properties, the deepest first (what is pushed
      // first comes out last).
      if (player::ClipAnchor* anchor = vm_.AnchorOf(object); anchor && vm_.Clips()) {
        for (player::ClipAnchor* child : vm_.Clips()->Children(*anchor)) {
          if (child->object && !child->object->name.empty()) push(Value(vm_.Intern(child->object->name)));
        }
      }
      std::vector<String*> seen;
      int guard = 0;
      for (Object* at = object; at && guard < kMaxProtoChain; at = at->proto, ++guard) {
        for (const Property& property : at->Properties()) {
          if (property.flags & property_flag::kDontEnum) continue;
          bool shadowed = false;
          for (String* key : seen) shadowed = shadowed || key == property.key;
          if (shadowed) continue;
          seen.push_back(property.key);
          push(Value(property.name));
        }
      }
      break;
    }
    case op::kTypeOf: push(Value(vm_.TypeOf(pop()))); break;
    case op::kTargetPath: {
      const Value value = pop();
      if (value.IsObject() && value.object->kind == ObjectKind::kClip) {
        push(Value(vm_.Intern(vm_.TargetPath(value.object))));
      } else {
        push(Value());
      }
      break;
    }
    case op::kInstanceOf: {
      Object* ctor = pop().AsObject();
      const Value value = pop();
      push(Value(IsInstance(value.AsObject(), ctor)));
      break;
    }
    case op::kCastOp: {
      // The object when it is an instance of the class (or implements the interface).
      Object* object = pop().AsObject();
      Object* ctor = pop().AsObject();
      push(IsInstance(object, ctor) ? Value(object) : Value::Null());
      break;
    }
    case op::kExtends: {
      Object* superclass = pop().AsObject();
      Object* subclass = pop().AsObject();
      if (!superclass || !subclass) break;
      Object* proto = vm_.heap_.New<Object>(vm_.Get(superclass, n.prototype).AsObject());
      proto->Put(vm_.Key(n.constructor2), n.constructor2, Value(superclass), property_flag::kDontEnum);
      if (a.version < 7) proto->Put(vm_.Key(n.constructor), n.constructor, Value(superclass), property_flag::kDontEnum);
      vm_.Set(subclass, n.prototype, Value(proto));
      break;
    }
    case op::kImplementsOp: {
      Object* ctor = pop().AsObject();
      const double count = vm_.ToNumber(pop());
      std::vector<Object*> interfaces;
      for (int i = 0; i < count && i < 256; ++i) {
        if (Object* interface = pop().AsObject()) interfaces.push_back(interface);
      }
      Object* proto = ctor ? vm_.Get(ctor, n.prototype).AsObject() : nullptr;
      if (proto) proto->interfaces = std::move(interfaces);
      break;
    }
    default:
      return false;
  }
  return true;
}

}  // namespace tavelin::swf::avm1
