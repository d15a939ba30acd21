// The interpreter's side of clips: the script object of each clip, references that
// follow a clip's path, target paths and resolving them.
#include "swf/avm1/interpreter.h"
#include "swf/player/clip_control.h"
#include "swf/player/levels.h"

namespace tavelin::swf::avm1 {

// ---- clips ----

Object* Interpreter::ClipFor(player::ClipAnchor& anchor) {
  if (anchor.script) return static_cast<Object*>(anchor.script);
  Object* proto = clipProto;
  if (anchor.object) {
    if (std::holds_alternative<std::shared_ptr<const format::ButtonDefinition>>(anchor.object->character)) proto = buttonProto;
    if (std::holds_alternative<std::shared_ptr<const player::TextCharacter>>(anchor.object->character)) proto = textFieldProto;
  }
  auto* clip = heap_.New<ClipObject>(proto, anchor.shared_from_this());
  anchor.script = clip;
  liveClips.push_back(clip);
  return clip;
}

Object* Interpreter::RootClip() { return clips_ ? ClipFor(clips_->Root()) : nullptr; }

Object* Interpreter::Live(Object* object) {
  player::ClipAnchor* anchor = AnchorOf(object);
  if (!anchor || anchor->object || !anchor->parent || !clips_) return object;
  // Scripts hold clips by path: a removed clip's reference reaches the clip now there.
  Object* found = ResolveTarget(RootClip(), TargetPath(object));
  player::ClipAnchor* now = AnchorOf(found);
  return now && now->object ? found : object;
}

player::ClipAnchor* Interpreter::AnchorOf(Object* object) const {
  if (!object || object->kind != ObjectKind::kClip) return nullptr;
  auto* clip = static_cast<ClipObject*>(object);
  return clip->anchor.get();
}

std::string Interpreter::TargetPath(Object* clip) {
  player::ClipAnchor* anchor = AnchorOf(clip);
  if (!anchor) return "";
  std::vector<std::string> names;
  int guard = 0;
  for (player::ClipAnchor* at = anchor; at && at->parent && guard < 64; at = at->parent.get(), ++guard) {
    names.push_back(at->object ? at->object->name : at->removedName);
  }
  std::string path = "_level" + std::to_string(clips_ ? clips_->LevelOf(*anchor) : 0);
  for (auto it = names.rbegin(); it != names.rend(); ++it) path += "." + *it;
  return path;
}

Object* Interpreter::ResolveTarget(Object* base, const std::string& path) {
  if (path.empty()) return base;
  Object* at = base;
  std::size_t i = 0;
  if (path[0] == '/') {
    at = RootClip();
    i = 1;
  }
  int guard = 0;
  while (i < path.size() && at && guard++ < 256) {
    std::size_t next = path.find_first_of("/.", i);
    // "../" climbs; ".." alone too.
    if (path.compare(i, 2, "..") == 0 && (i + 2 == path.size() || path[i + 2] == '/')) {
      player::ClipAnchor* anchor = AnchorOf(at);
      at = anchor && anchor->parent ? ClipFor(*anchor->parent) : nullptr;
      i += 3;
      continue;
    }
    if (next == std::string::npos) next = path.size();
    const std::string part = path.substr(i, next - i);
    // Two slashes in a row name no clip.
    if (part.empty() && next < path.size() && path[next] == '/') return nullptr;
    i = next + 1;
    if (part.empty()) continue;
    String* name = Intern(part);
    String* key = Key(name);
    if (key == Key(names_.root)) {
      at = LevelRootOf(at);
      continue;
    }
    if (key == Key(names_.level0)) {
      at = RootClip();
      continue;
    }
    if (const int number = player::LevelNumber(part); number >= 0 && clips_) {
      player::ClipAnchor* level = clips_->Level(number);
      at = level ? ClipFor(*level) : nullptr;
      continue;
    }
    if (key == Key(names_.parent)) {
      player::ClipAnchor* anchor = AnchorOf(at);
      at = anchor && anchor->parent ? ClipFor(*anchor->parent) : nullptr;
      continue;
    }
    if (key == Key(names_.thisName)) continue;
    const Value found = Get(at, name);
    at = found.AsObject();
  }
  return at;
}

}  // namespace tavelin::swf::avm1
