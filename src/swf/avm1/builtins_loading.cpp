// What scripts load: getURL to a level or clip (loadMovie, loadMovieNum, unloadMovie,
// loadVariables), the clip methods of the same names, MovieClipLoader and LoadVars.
// Each load becomes a pending entry of the interpreter's queue; the machine asks the
// host for it and finishes it.

#include <cctype>

#include "swf/avm1/builtins.h"
#include "swf/player/clip_control.h"
#include "swf/player/levels.h"

namespace tavelin::swf::avm1 {

std::vector<std::pair<std::string, std::string>> DecodeVariables(const std::string& text) {
  const auto decode = [](std::string_view part) {
    std::string out;
    for (std::size_t i = 0; i < part.size(); ++i) {
      const char c = part[i];
      if (c == '+') {
        out += ' ';
      } else if (c == '%' && i + 2 < part.size() && std::isxdigit(static_cast<unsigned char>(part[i + 1])) &&
                 std::isxdigit(static_cast<unsigned char>(part[i + 2]))) {
        out += static_cast<char>(std::stoi(std::string(part.substr(i + 1, 2)), nullptr, 16));
        i += 2;
      } else {
        out += c;
      }
    }
    return out;
  };
  std::vector<std::pair<std::string, std::string>> pairs;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('&', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view pair(text.data() + start, end - start);
    if (!pair.empty()) {
      const std::size_t equals = pair.find('=');
      if (equals == std::string_view::npos) {
        pairs.emplace_back(decode(pair), "");
      } else {
        pairs.emplace_back(decode(pair.substr(0, equals)), decode(pair.substr(equals + 1)));
      }
    }
    start = end + 1;
  }
  return pairs;
}

namespace {

using player::LevelNumber;

// Points `load` at a clip (or, for a level's own clip, at that level); false when the
// object is no clip.
bool AimAtClip(Interpreter& vm, PendingLoad& load, Object* clip) {
  player::ClipAnchor* anchor = vm.AnchorOf(clip);
  if (!anchor || !vm.Clips()) return false;
  if (!anchor->parent) {
    load.into = PendingLoad::Into::kLevel;
    load.level = vm.Clips()->LevelOf(*anchor);
    return true;
  }
  load.into = PendingLoad::Into::kClip;
  load.clip = anchor->weak_from_this();
  return true;
}

// A target given as a clip, a level number or a path ("_level2", "_root.box").
bool AimAt(Interpreter& vm, PendingLoad& load, const Value& target, Object* base) {
  if (target.IsNumber()) {
    const double level = vm.ToNumber(target);
    if (!(level >= 0 && level <= player::kMaxLevel)) return false;
    load.into = PendingLoad::Into::kLevel;
    load.level = static_cast<int>(level);
    return true;
  }
  if (Object* object = target.AsObject()) return AimAtClip(vm, load, object);
  if (!target.IsString()) return false;
  const std::string path = target.string->text;
  if (const int level = LevelNumber(path); level >= 0) {
    load.into = PendingLoad::Into::kLevel;
    load.level = level;
    return true;
  }
  return AimAtClip(vm, load, vm.ResolveTarget(base ? base : vm.RootClip(), path));
}

Value Queue(Interpreter& vm, PendingLoad load) { return Value(vm.loads.Add(std::move(load))); }

// ---- MovieClip ----

Value ClipLoadMovie(Interpreter& vm, const Value& self, std::span<const Value> args) {
  PendingLoad load;
  load.request.url = vm.ToText(Arg(args, 0));
  if (!AimAtClip(vm, load, self.AsObject())) return Value();
  load.unload = load.request.url.empty();
  Queue(vm, std::move(load));
  return Value();
}

Value ClipUnloadMovie(Interpreter& vm, const Value& self, std::span<const Value>) {
  PendingLoad load;
  if (!AimAtClip(vm, load, self.AsObject())) return Value();
  load.unload = true;
  Queue(vm, std::move(load));
  return Value();
}

Value ClipLoadVariables(Interpreter& vm, const Value& self, std::span<const Value> args) {
  PendingLoad load;
  load.request.url = vm.ToText(Arg(args, 0));
  load.request.kind = LoadRequest::Kind::kVariables;
  if (load.request.url.empty() || !AimAtClip(vm, load, self.AsObject())) return Value();
  Queue(vm, std::move(load));
  return Value();
}

// The size of the movie the clip plays: all of it has arrived once it plays.
Value ClipBytes(Interpreter& vm, const Value& self, std::span<const Value>) {
  player::ClipAnchor* anchor = vm.AnchorOf(self.AsObject());
  if (!anchor || !vm.Clips() || (!anchor->object && anchor != &vm.Clips()->Root())) return Value();
  const Movie& movie = vm.Clips()->MovieOf(*anchor);
  // A sprite of the movie around it counts its own tags; a movie's main timeline (also
  // one loaded into a clip) the whole file.
  if (anchor->object && anchor->parent && &movie == &vm.Clips()->MovieOf(*anchor->parent)) {
    if (const auto* sprite = std::get_if<std::shared_ptr<const format::SpriteDefinition>>(&anchor->object->character)) {
      return Value(static_cast<double>((*sprite)->byteLength));
    }
  }
  return Value(static_cast<double>(movie.Data().size()));
}

// ---- MovieClipLoader ----

Value LoaderCtor(Interpreter& vm, const Value& self, std::span<const Value>) {
  Object* loader = self.AsObject();
  if (!loader) return Value();
  // The loader hears its own events, as do the listeners added later.
  const Value self_[] = {self};
  vm.Set(loader, vm.Name("_listeners"), Value(vm.NewArray(self_)));
  return self;
}

Value LoaderLoadClip(Interpreter& vm, const Value& self, std::span<const Value> args) {
  PendingLoad load;
  load.request.url = vm.ToText(Arg(args, 0));
  if (load.request.url.empty() || !self.AsObject() || !AimAt(vm, load, Arg(args, 1), nullptr)) return Value(false);
  load.listener = self.AsObject();
  return Queue(vm, std::move(load));
}

Value LoaderUnloadClip(Interpreter& vm, const Value&, std::span<const Value> args) {
  PendingLoad load;
  if (!AimAt(vm, load, Arg(args, 0), nullptr)) return Value(false);
  load.unload = true;
  return Queue(vm, std::move(load));
}

Value LoaderGetProgress(Interpreter& vm, const Value&, std::span<const Value> args) {
  Object* target = Arg(args, 0).AsObject();
  if (!vm.AnchorOf(target)) return Value();
  const Value bytes = ClipBytes(vm, Value(target), {});
  Object* progress = vm.NewObject(vm.objectProto);
  vm.Set(progress, vm.Name("bytesLoaded"), bytes);
  vm.Set(progress, vm.Name("bytesTotal"), bytes);
  return Value(progress);
}

// ---- LoadVars ----

// Loads name=value text into `into` (a LoadVars or any object); false without an address.
Value LoadInto(Interpreter& vm, Object* into, const Value& url) {
  if (!into || url.IsUndefined() || url.IsNull()) return Value(false);
  PendingLoad load;
  load.request.url = vm.ToText(url);
  load.request.kind = LoadRequest::Kind::kVariables;
  if (load.request.url.empty()) return Value(false);
  load.into = PendingLoad::Into::kObject;
  load.listener = into;
  vm.Set(into, vm.Name("loaded"), Value(false));
  vm.DefineValue(into, "_bytesLoaded", Value(0.0));
  vm.DefineValue(into, "_bytesTotal", Value());
  return Queue(vm, std::move(load));
}

Value VarsLoad(Interpreter& vm, const Value& self, std::span<const Value> args) {
  return LoadInto(vm, self.AsObject(), Arg(args, 0));
}

// The variables are not sent (the address is fetched as by load); the answer fills
// `target`.
Value VarsSendAndLoad(Interpreter& vm, const Value& self, std::span<const Value> args) {
  if (!self.AsObject()) return Value(false);
  return LoadInto(vm, Arg(args, 1).AsObject(), Arg(args, 0));
}

Value VarsBytesLoaded(Interpreter& vm, const Value& self, std::span<const Value>) {
  return self.AsObject() ? vm.Get(self.AsObject(), vm.Name("_bytesLoaded")) : Value();
}
Value VarsBytesTotal(Interpreter& vm, const Value& self, std::span<const Value>) {
  return self.AsObject() ? vm.Get(self.AsObject(), vm.Name("_bytesTotal")) : Value();
}

Value VarsDecode(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* vars = self.AsObject();
  if (!vars || Arg(args, 0).IsUndefined()) return Value();
  for (const auto& [name, value] : DecodeVariables(vm.ToText(Arg(args, 0)))) vm.Set(vars, vm.Intern(name), Value(vm.Intern(value)));
  return Value();
}

// The text arrived (or undefined: it did not): decoded into the object, then onLoad.
Value VarsOnData(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* vars = self.AsObject();
  if (!vars) return Value();
  const bool arrived = !Arg(args, 0).IsUndefined();
  if (arrived) {
    VarsDecode(vm, self, args);
    vm.Set(vars, vm.Name("loaded"), Value(true));
  }
  const Value success[] = {Value(arrived)};
  vm.CallMethod(self, vm.Name("onLoad"), success);
  return Value();
}

Value VarsToString(Interpreter& vm, const Value& self, std::span<const Value>) {
  Object* vars = self.AsObject();
  if (!vars) return Value();
  const auto encode = [](const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
      if (std::isalnum(c)) {
        out += static_cast<char>(c);
      } else {
        out += '%';
        out += kHex[c >> 4];
        out += kHex[c & 15];
      }
    }
    return out;
  };
  std::string text;
  // Newest first, as for..in lists them.
  const auto& properties = vars->Properties();
  for (auto it = properties.rbegin(); it != properties.rend(); ++it) {
    const Property& property = *it;
    if (property.flags & property_flag::kDontEnum) continue;
    if (!text.empty()) text += '&';
    text += encode(property.name->text) + "=" + encode(vm.ToText(property.value));
  }
  return Value(vm.Intern(text));
}

Value Refused(Interpreter&, const Value&, std::span<const Value>) { return Value(false); }
Value Nothing(Interpreter&, const Value&, std::span<const Value>) { return Value(); }

}  // namespace

bool StartScriptLoad(Interpreter& vm, Object* base, const std::string& url, const std::string& window, int flags) {
  constexpr int kTargetIsClip = 0x40, kVariables = 0x80;
  PendingLoad load;
  load.request.url = url;
  load.request.kind = flags & kVariables ? LoadRequest::Kind::kVariables : LoadRequest::Kind::kMovie;
  if (const int level = LevelNumber(window); level >= 0) {
    load.into = PendingLoad::Into::kLevel;
    load.level = level;
  } else if (flags & (kTargetIsClip | kVariables)) {
    // A target that names no clip loads nothing.
    if (!AimAtClip(vm, load, vm.ResolveTarget(base, window))) return true;
  } else {
    return false;
  }
  if (url.empty()) {
    if (load.request.kind == LoadRequest::Kind::kVariables) return true;
    load.unload = true;
  }
  Queue(vm, std::move(load));
  return true;
}

void InstallLoading(Interpreter& vm) {
  Object* clip = vm.clipProto;
  vm.DefineNative(clip, "loadMovie", ClipLoadMovie);
  vm.DefineNative(clip, "unloadMovie", ClipUnloadMovie);
  vm.DefineNative(clip, "loadVariables", ClipLoadVariables);
  vm.DefineNative(clip, "getBytesLoaded", ClipBytes);
  vm.DefineNative(clip, "getBytesTotal", ClipBytes);

  Object* loaderProto = vm.NewObject(vm.objectProto);
  Function* loader = vm.NewNative(LoaderCtor);
  vm.LinkConstructor(loader, loaderProto);
  vm.DefineValue(vm.global, "MovieClipLoader", Value(loader));
  if (Object* broadcaster = vm.Get(vm.global, vm.Name("AsBroadcaster")).AsObject()) {
    const Value target[] = {Value(loaderProto)};
    vm.CallMethod(Value(broadcaster), vm.Name("initialize"), target);
  }
  vm.DefineNative(loaderProto, "loadClip", LoaderLoadClip);
  vm.DefineNative(loaderProto, "unloadClip", LoaderUnloadClip);
  vm.DefineNative(loaderProto, "getProgress", LoaderGetProgress);

  Object* varsProto = vm.NewObject(vm.objectProto);
  Function* vars = vm.NewNative(Nothing);
  vm.LinkConstructor(vars, varsProto);
  vm.DefineValue(vm.global, "LoadVars", Value(vars));
  vm.DefineNative(varsProto, "load", VarsLoad);
  vm.DefineNative(varsProto, "decode", VarsDecode);
  vm.DefineNative(varsProto, "onData", VarsOnData);
  vm.DefineNative(varsProto, "toString", VarsToString);
  vm.DefineNative(varsProto, "send", Refused);
  vm.DefineNative(varsProto, "sendAndLoad", VarsSendAndLoad);
  vm.DefineNative(varsProto, "getBytesLoaded", VarsBytesLoaded);
  vm.DefineNative(varsProto, "getBytesTotal", VarsBytesTotal);
}

}  // namespace tavelin::swf::avm1

namespace tavelin::swf::avm1 {

Object* Interpreter::LevelRootOf(Object* clip) {
  player::ClipAnchor* anchor = AnchorOf(clip);
  if (!anchor || !clips_) return RootClip();
  player::ClipAnchor* top = anchor;
  for (int guard = 0; top->parent && guard < 256; ++guard) top = top->parent.get();
  return ClipFor(*top);
}

}  // namespace tavelin::swf::avm1
