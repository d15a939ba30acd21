#include "swf/avm1/object.h"

namespace tavelin::swf::avm1 {
namespace {
constexpr std::size_t kIndexFrom = 12;
}

Property* Object::FindOwn(String* key) {
  if (index_) {
    const auto found = index_->find(key);
    return found == index_->end() ? nullptr : &properties_[found->second];
  }
  for (Property& property : properties_) {
    if (property.key == key) return &property;
  }
  return nullptr;
}

Property& Object::Put(String* key, String* name, const Value& value, std::uint16_t flags) {
  if (Property* existing = FindOwn(key)) {
    existing->value = value;
    existing->getter = existing->setter = nullptr;
    return *existing;
  }
  properties_.push_back(Property{key, name, value, nullptr, nullptr, flags});
  if (index_) {
    index_->emplace(key, static_cast<std::uint32_t>(properties_.size() - 1));
  } else if (properties_.size() >= kIndexFrom) {
    Reindex();
  }
  return properties_.back();
}

bool Object::RemoveOwn(String* key) {
  for (std::size_t i = 0; i < properties_.size(); ++i) {
    if (properties_[i].key != key) continue;
    properties_.erase(properties_.begin() + static_cast<std::ptrdiff_t>(i));
    if (index_) Reindex();
    return true;
  }
  return false;
}

void Object::Reindex() {
  index_ = std::make_unique<std::unordered_map<String*, std::uint32_t>>();
  for (std::size_t i = 0; i < properties_.size(); ++i) index_->emplace(properties_[i].key, static_cast<std::uint32_t>(i));
}

void Object::TraceChildren(std::vector<Cell*>& stack) {
  if (proto) stack.push_back(proto);
  if (primitive.IsString()) stack.push_back(primitive.string);
  if (primitive.IsObject()) stack.push_back(primitive.object);
  for (Object* interface : interfaces) stack.push_back(interface);
  if (watchers) {
    for (const Watcher& watcher : *watchers) {
      stack.push_back(watcher.key);
      stack.push_back(watcher.callback);
      if (watcher.userData.IsString()) stack.push_back(watcher.userData.string);
      if (watcher.userData.IsObject()) stack.push_back(watcher.userData.object);
    }
  }
  for (const Property& property : properties_) {
    stack.push_back(property.key);
    stack.push_back(property.name);
    if (property.value.IsString()) stack.push_back(property.value.string);
    if (property.value.IsObject()) stack.push_back(property.value.object);
    if (property.getter) stack.push_back(property.getter);
    if (property.setter) stack.push_back(property.setter);
  }
}

void Function::TraceChildren(std::vector<Cell*>& stack) {
  Object::TraceChildren(stack);
  if (scope) stack.push_back(scope);
  if (timeline) stack.push_back(timeline);
  if (constantPool) {
    for (String* text : *constantPool) {
      if (text) stack.push_back(text);
    }
  }
}

}  // namespace tavelin::swf::avm1
