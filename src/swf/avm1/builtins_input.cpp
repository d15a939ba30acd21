// Key, Mouse, Stage, Color, AsBroadcaster-style listeners and timers.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <tuple>

#include "swf/avm1/builtins.h"
#include "swf/player/clip_control.h"

namespace tavelin::swf::avm1 {
namespace {

String* ListenersName(Interpreter& vm) { return vm.Name("_listeners"); }

Object* Listeners(Interpreter& vm, Object* owner) {
  Value list = vm.Get(owner, ListenersName(vm));
  if (Object* array = list.AsObject()) return array;
  Object* array = vm.NewArray();
  String* name = ListenersName(vm);
  owner->Put(vm.Key(name), name, Value(array), property_flag::kDontEnum);
  return array;
}

// Listeners are compared loosely (undefined and null are one); adding one first takes an
// equal one away, so it moves to the end.
bool RemoveFrom(Interpreter& vm, Object* list, const Value& listener) {
  const std::size_t length = vm.ArrayLength(list);
  for (std::size_t i = 0; i < length; ++i) {
    if (!vm.Equals(vm.ArrayAt(list, i), listener)) continue;
    const Value args[] = {Value(static_cast<double>(i)), Value(1.0)};
    vm.CallMethod(Value(list), vm.Name("splice"), args);
    return true;
  }
  return false;
}

Value AddListener(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* owner = self.AsObject();
  if (!owner) return Value(false);
  Object* list = Listeners(vm, owner);
  RemoveFrom(vm, list, Arg(args, 0));
  vm.ArrayPush(list, Arg(args, 0));
  return Value(true);
}

Value RemoveListener(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* owner = self.AsObject();
  if (!owner) return Value(false);
  return Value(RemoveFrom(vm, Listeners(vm, owner), Arg(args, 0)));
}

// Calls the named method of every listener (a listener given no name is called itself);
// true when there was a listener to call.
Value BroadcastMessage(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* owner = self.AsObject();
  if (!owner || args.empty()) return Value();
  String* name = vm.ToString(args[0]);
  Object* list = Listeners(vm, owner);
  std::vector<Value> items;
  for (std::size_t i = 0; i < vm.ArrayLength(list); ++i) items.push_back(vm.ArrayAt(list, i));
  for (const Value& item : items) {
    if (name->text.empty()) {
      vm.Call(item, Value(), args.subspan(1));
    } else {
      vm.CallMethod(item, name, args.subspan(1));
    }
  }
  return items.empty() ? Value() : Value(true);
}

// The same three function objects go onto every broadcaster.
Value Initialize(Interpreter& vm, const Value&, std::span<const Value> args) {
  Object* target = Arg(args, 0).AsObject();
  if (!target) return Value();
  Object* broadcaster = vm.Get(vm.global, vm.Name("AsBroadcaster")).AsObject();
  for (const char* name : {"addListener", "removeListener", "broadcastMessage"}) {
    String* key = vm.Name(name);
    Value fn = broadcaster ? vm.Get(broadcaster, key) : Value();
    if (!AsFunction(fn.AsObject())) {
      fn = Value(vm.NewNative(name[0] == 'a' ? AddListener : name[0] == 'r' ? RemoveListener : BroadcastMessage));
    }
    target->Put(vm.Key(key), key, fn, property_flag::kDontEnum);
  }
  String* listeners = ListenersName(vm);
  target->Put(vm.Key(listeners), listeners, Value(vm.NewArray()), property_flag::kDontEnum);
  return Value();
}

// ---- Key ----

Value KeyIsDown(Interpreter& vm, const Value&, std::span<const Value> args) {
  const double code = vm.ToNumber(Arg(args, 0));
  return Value(code >= 0 && code < 256 && vm.input.down[static_cast<int>(code)]);
}
Value KeyGetCode(Interpreter& vm, const Value&, std::span<const Value>) { return Value(static_cast<double>(vm.input.lastKey)); }
Value KeyGetAscii(Interpreter& vm, const Value&, std::span<const Value>) { return Value(static_cast<double>(vm.input.lastCharacter)); }
Value KeyIsToggled(Interpreter&, const Value&, std::span<const Value>) { return Value(false); }

// ---- Mouse ----

Value MouseShowHide(Interpreter&, const Value&, std::span<const Value>) { return Value(1.0); }

// ---- Stage ----

Value StageWidth(Interpreter& vm, const Value&, std::span<const Value>) {
  return vm.Clips() ? Value(static_cast<double>(vm.Clips()->MovieData().Stage().Width() / 20)) : Value(0.0);
}
Value StageHeight(Interpreter& vm, const Value&, std::span<const Value>) {
  return vm.Clips() ? Value(static_cast<double>(vm.Clips()->MovieData().Stage().Height() / 20)) : Value(0.0);
}

// align: the letters L, T, R and B found in the text (either case), in that order.
Value StageAlign(Interpreter& vm, const Value&, std::span<const Value>) { return Value(vm.Intern(vm.stageSettings.align)); }
Value StageSetAlign(Interpreter& vm, const Value&, std::span<const Value> args) {
  const std::string text = vm.ToText(Arg(args, 0));
  std::string align;
  for (const char letter : {'L', 'T', 'R', 'B'}) {
    if (text.find(letter) != std::string::npos || text.find(static_cast<char>(letter - 'A' + 'a')) != std::string::npos) align += letter;
  }
  vm.stageSettings.align = align;
  return Value();
}

// scaleMode: one of the four modes, named in either case; anything else is showAll.
Value StageScaleMode(Interpreter& vm, const Value&, std::span<const Value>) {
  return Value(vm.Intern(vm.stageSettings.scaleMode));
}
Value StageSetScaleMode(Interpreter& vm, const Value&, std::span<const Value> args) {
  const std::string text = vm.ToText(Arg(args, 0));
  const char* mode = "showAll";
  for (const char* known : {"showAll", "exactFit", "noBorder", "noScale"}) {
    if (text.size() == std::strlen(known) &&
        std::equal(text.begin(), text.end(), known, [](char a, char b) { return std::tolower(a) == std::tolower(b); })) {
      mode = known;
    }
  }
  vm.stageSettings.scaleMode = mode;
  return Value();
}

// displayState: "normal" or "fullScreen" (either case); a change asks the program to
// show the movie so and tells the Stage's listeners by onFullScreen.
Value StageDisplayState(Interpreter& vm, const Value&, std::span<const Value>) {
  return Value(vm.Intern(vm.stageSettings.displayState));
}
Value StageSetDisplayState(Interpreter& vm, const Value&, std::span<const Value> args) {
  std::string text = vm.ToText(Arg(args, 0));
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (text != "normal" && text != "fullscreen") return Value();
  const bool full = text == "fullscreen";
  if ((vm.stageSettings.displayState == "fullScreen") == full) return Value();
  vm.stageSettings.displayState = full ? "fullScreen" : "normal";
  vm.Host().Command("fullscreen", full ? "true" : "false");
  const Value message[] = {Value(vm.Name("onFullScreen")), Value(full)};
  BroadcastMessage(vm, Value(vm.stageObject), message);
  return Value();
}

// ---- Color ----

player::DisplayObject* ColorTarget(Interpreter& vm, const Value& self) {
  Object* color = self.AsObject();
  if (!color) return nullptr;
  Value target = vm.Get(color, vm.Name("_target"));
  Object* clip = target.AsObject();
  player::ClipAnchor* anchor = vm.AnchorOf(clip);
  return anchor ? anchor->object : nullptr;
}

Value ColorCtor(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* color = self.AsObject();
  if (!color) return Value();
  Value target = Arg(args, 0);
  if (target.IsString()) target = Value(vm.ResolveTarget(vm.RootClip(), target.string->text));
  String* name = vm.Name("_target");
  color->Put(vm.Key(name), name, target, property_flag::kDontEnum);
  return self;
}

Value ColorSetRgb(Interpreter& vm, const Value& self, std::span<const Value> args) {
  player::DisplayObject* object = ColorTarget(vm, self);
  if (!object) return Value();
  const std::uint32_t rgb = ToUint32(vm.ToNumber(Arg(args, 0)));
  ColorTransform& c = object->colorTransform;
  c.mulR = c.mulG = c.mulB = 0;
  c.addR = static_cast<float>((rgb >> 16) & 0xFF);
  c.addG = static_cast<float>((rgb >> 8) & 0xFF);
  c.addB = static_cast<float>(rgb & 0xFF);
  return Value();
}

Value ColorGetRgb(Interpreter& vm, const Value& self, std::span<const Value>) {
  player::DisplayObject* object = ColorTarget(vm, self);
  if (!object) return Value();
  const ColorTransform& c = object->colorTransform;
  const auto channel = [](float v) { return static_cast<std::uint32_t>(std::clamp(static_cast<int>(v), 0, 255)); };
  return Value(static_cast<double>((channel(c.addR) << 16) | (channel(c.addG) << 8) | channel(c.addB)));
}

Value ColorSetTransform(Interpreter& vm, const Value& self, std::span<const Value> args) {
  player::DisplayObject* object = ColorTarget(vm, self);
  Object* t = Arg(args, 0).AsObject();
  if (!object || !t) return Value();
  ColorTransform& c = object->colorTransform;
  auto read = [&](const char* name, float& into, float scale) {
    const Value v = vm.Get(t, vm.Intern(name));
    if (!v.IsUndefined()) into = static_cast<float>(vm.ToNumber(v) * scale);
  };
  read("ra", c.mulR, 0.01f);
  read("ga", c.mulG, 0.01f);
  read("ba", c.mulB, 0.01f);
  read("aa", c.mulA, 0.01f);
  read("rb", c.addR, 1);
  read("gb", c.addG, 1);
  read("bb", c.addB, 1);
  read("ab", c.addA, 1);
  return Value();
}

Value ColorGetTransform(Interpreter& vm, const Value& self, std::span<const Value>) {
  player::DisplayObject* object = ColorTarget(vm, self);
  if (!object) return Value();
  const ColorTransform& c = object->colorTransform;
  Object* t = vm.NewObject();
  vm.Set(t, vm.Intern("ra"), Value(c.mulR * 100.0));
  vm.Set(t, vm.Intern("ga"), Value(c.mulG * 100.0));
  vm.Set(t, vm.Intern("ba"), Value(c.mulB * 100.0));
  vm.Set(t, vm.Intern("aa"), Value(c.mulA * 100.0));
  vm.Set(t, vm.Intern("rb"), Value(static_cast<double>(c.addR)));
  vm.Set(t, vm.Intern("gb"), Value(static_cast<double>(c.addG)));
  vm.Set(t, vm.Intern("bb"), Value(static_cast<double>(c.addB)));
  vm.Set(t, vm.Intern("ab"), Value(static_cast<double>(c.addA)));
  return Value(t);
}

// ---- timers ----

Value AddTimer(Interpreter& vm, std::span<const Value> args, bool once) {
  Interpreter::Interval interval;
  std::size_t next = 0;
  if (Arg(args, 0).IsObject() && args[0].object->kind != ObjectKind::kFunction && args.size() > 1) {
    interval.function = args[0];
    interval.method = vm.ToString(args[1]);
    next = 2;
  } else if (Arg(args, 0).IsObject()) {
    interval.function = args[0];
    next = 1;
  } else {
    return Value();
  }
  if (Arg(args, next).IsUndefined()) return Value();
  const double period = vm.ToNumber(Arg(args, next));
  interval.period = std::isfinite(period) && period > 0 ? period : 0;
  for (std::size_t i = next + 1; i < args.size() && i < next + 64; ++i) interval.args.push_back(args[i]);
  interval.due = vm.Host().MovieMilliseconds() + interval.period;
  interval.once = once;
  interval.id = vm.nextIntervalId++;
  if (vm.intervals.size() >= 10000) return Value();
  vm.intervals.push_back(interval);
  return Value(static_cast<double>(interval.id));
}
Value SetInterval(Interpreter& vm, const Value&, std::span<const Value> args) { return AddTimer(vm, args, false); }
Value SetTimeout(Interpreter& vm, const Value&, std::span<const Value> args) { return AddTimer(vm, args, true); }
Value ClearInterval(Interpreter& vm, const Value&, std::span<const Value> args) {
  const double id = vm.ToNumber(Arg(args, 0));
  std::erase_if(vm.intervals, [&](const Interpreter::Interval& interval) { return interval.id == id; });
  return Value();
}

}  // namespace

void InstallInputObjects(Interpreter& vm) {
  Object* g = vm.global;
  // A function, as movies test with typeof; scripts use its initialize.
  Function* broadcaster = vm.NewNative([](Interpreter&, const Value& self, std::span<const Value>) { return self; });
  vm.LinkConstructor(broadcaster, vm.NewObject());
  vm.DefineValue(g, "AsBroadcaster", Value(broadcaster));
  vm.DefineNative(broadcaster, "initialize", Initialize);
  vm.DefineNative(broadcaster, "addListener", AddListener);
  vm.DefineNative(broadcaster, "removeListener", RemoveListener);
  vm.DefineNative(broadcaster, "broadcastMessage", BroadcastMessage);

  vm.keyObject = vm.NewObject();
  vm.DefineValue(g, "Key", Value(vm.keyObject));
  { const Value target[] = {Value(vm.keyObject)}; Initialize(vm, Value(), target); }
  vm.DefineNative(vm.keyObject, "isDown", KeyIsDown);
  vm.DefineNative(vm.keyObject, "getCode", KeyGetCode);
  vm.DefineNative(vm.keyObject, "getAscii", KeyGetAscii);
  vm.DefineNative(vm.keyObject, "isToggled", KeyIsToggled);
  const std::pair<const char*, double> keys[] = {{"BACKSPACE", 8}, {"CAPSLOCK", 20}, {"CONTROL", 17}, {"DELETEKEY", 46},
                                                 {"DOWN", 40},     {"END", 35},      {"ENTER", 13},   {"ESCAPE", 27},
                                                 {"HOME", 36},     {"INSERT", 45},   {"LEFT", 37},    {"PGDN", 34},
                                                 {"PGUP", 33},     {"RIGHT", 39},    {"SHIFT", 16},   {"SPACE", 32},
                                                 {"TAB", 9},       {"UP", 38},       {"ALT", 18}};
  for (const auto& [name, code] : keys) vm.DefineValue(vm.keyObject, name, Value(code));

  vm.mouseObject = vm.NewObject();
  vm.DefineValue(g, "Mouse", Value(vm.mouseObject));
  { const Value target[] = {Value(vm.mouseObject)}; Initialize(vm, Value(), target); }
  vm.DefineNative(vm.mouseObject, "show", MouseShowHide);
  vm.DefineNative(vm.mouseObject, "hide", MouseShowHide);

  vm.stageObject = vm.NewObject();
  vm.DefineValue(g, "Stage", Value(vm.stageObject));
  { const Value target[] = {Value(vm.stageObject)}; Initialize(vm, Value(), target); }
  Property& width = vm.stageObject->Put(vm.Key(vm.Name("width")), vm.Name("width"), Value(), property_flag::kDontEnum);
  width.getter = vm.NewNative(StageWidth);
  Property& height = vm.stageObject->Put(vm.Key(vm.Name("height")), vm.Name("height"), Value(), property_flag::kDontEnum);
  height.getter = vm.NewNative(StageHeight);
  const std::tuple<const char*, NativeFunction, NativeFunction> kept[] = {
      {"align", StageAlign, StageSetAlign},
      {"scaleMode", StageScaleMode, StageSetScaleMode},
      {"displayState", StageDisplayState, StageSetDisplayState}};
  for (const auto& [name, get, set] : kept) {
    Property& property = vm.stageObject->Put(vm.Key(vm.Name(name)), vm.Name(name), Value(), property_flag::kDontEnum);
    property.getter = vm.NewNative(get);
    property.setter = vm.NewNative(set);
  }
  vm.DefineValue(vm.stageObject, "showMenu", Value(true));

  vm.colorProto = vm.NewObject();
  Function* color = vm.NewNative(ColorCtor);
  vm.LinkConstructor(color, vm.colorProto);
  vm.DefineValue(g, "Color", Value(color));
  vm.DefineNative(vm.colorProto, "setRGB", ColorSetRgb);
  vm.DefineNative(vm.colorProto, "getRGB", ColorGetRgb);
  vm.DefineNative(vm.colorProto, "setTransform", ColorSetTransform);
  vm.DefineNative(vm.colorProto, "getTransform", ColorGetTransform);

  vm.DefineNative(g, "setInterval", SetInterval);
  vm.DefineNative(g, "setTimeout", SetTimeout);
  vm.DefineNative(g, "clearInterval", ClearInterval);
  vm.DefineNative(g, "clearTimeout", ClearInterval);
}

}  // namespace tavelin::swf::avm1
