// MovieClip methods.
#include <algorithm>
#include <cmath>

#include "swf/avm1/builtins.h"
#include "swf/avm1/clip_properties.h"
#include "swf/player/clip_control.h"

namespace tavelin::swf::avm1 {
namespace {

using player::ClipAnchor;

ClipAnchor* Anchor(Interpreter& vm, const Value& self) { return vm.AnchorOf(vm.Live(self.AsObject())); }

// The 0-based frame a goto method names, or -1 for none. An object names what its
// text or number does; numbers wrap as 32-bit integers, frame 0 goes nowhere and
// frames before the first go to the first.
int FrameArg(Interpreter& vm, ClipAnchor& clip, const Value& argument) {
  const Value frame = argument.IsObject() ? vm.ToPrimitive(argument) : argument;
  if (frame.IsString()) {
    const double number = TextToNumber(frame.string->text, 5);
    if (!std::isnan(number)) return static_cast<int>(std::clamp(number, -1.0, 1e9)) - 1;
    return vm.Clips()->FrameOfLabel(clip, frame.string->text);
  }
  const auto index = static_cast<std::int32_t>(static_cast<std::uint32_t>(ToInt32(vm.ToNumber(frame))) - 1u);
  if (index == -1) return -1;
  return std::max(index, 0);
}

Value Play(Interpreter& vm, const Value& self, std::span<const Value>) {
  if (ClipAnchor* clip = Anchor(vm, self)) vm.Clips()->SetPlaying(*clip, true);
  return Value();
}
Value Stop(Interpreter& vm, const Value& self, std::span<const Value>) {
  if (ClipAnchor* clip = Anchor(vm, self)) vm.Clips()->SetPlaying(*clip, false);
  return Value();
}
template <bool kPlay>
Value GotoAnd(Interpreter& vm, const Value& self, std::span<const Value> args) {
  ClipAnchor* clip = Anchor(vm, self);
  if (!clip) return Value();
  const int frame = FrameArg(vm, *clip, Arg(args, args.size() > 1 ? 1 : 0));
  if (frame >= 0) vm.Clips()->Goto(*clip, frame, kPlay);
  return Value();
}
Value NextFrame(Interpreter& vm, const Value& self, std::span<const Value>) {
  if (ClipAnchor* clip = Anchor(vm, self)) vm.Clips()->Goto(*clip, vm.Clips()->CurrentFrame(*clip) + 1, false);
  return Value();
}
Value PrevFrame(Interpreter& vm, const Value& self, std::span<const Value>) {
  if (ClipAnchor* clip = Anchor(vm, self)) vm.Clips()->Goto(*clip, std::max(0, vm.Clips()->CurrentFrame(*clip) - 1), false);
  return Value();
}
Value BytesTotal(Interpreter& vm, const Value& self, std::span<const Value>) {
  if (!Anchor(vm, self)) return Value();
  return Value(static_cast<double>(vm.Clips()->MovieData().Data().size()));
}

Value CopyInit(Interpreter& vm, Object* clip, const Value& init) {
  if (Object* from = init.AsObject()) {
    for (const Property& property : from->Properties()) vm.Set(clip, property.name, property.value);
  }
  vm.ApplyRegisteredClass(clip);
  if (vm.clipCreated) {
    if (player::ClipAnchor* anchor = vm.AnchorOf(clip)) vm.clipCreated(*anchor);
  }
  return Value(clip);
}

Value Attach(Interpreter& vm, const Value& self, std::span<const Value> args) {
  ClipAnchor* parent = Anchor(vm, self);
  if (!parent || args.size() < 3) return Value();
  std::string id = vm.ToText(args[0]);
  for (char& c : id) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  const auto found = vm.exports.find(id);
  if (found == vm.exports.end()) return Value();
  const double depth = vm.ToNumber(args[2]);
  if (!std::isfinite(depth)) return Value();
  ClipAnchor* clip = vm.Clips()->Attach(*parent, found->second, vm.ToText(args[1]), static_cast<int>(depth));
  if (!clip) return Value();
  return CopyInit(vm, vm.ClipFor(*clip), Arg(args, 3));
}

Value CreateEmpty(Interpreter& vm, const Value& self, std::span<const Value> args) {
  ClipAnchor* parent = Anchor(vm, self);
  if (!parent || args.size() < 2) return Value();
  const double depth = vm.ToNumber(args[1]);
  if (!std::isfinite(depth)) return Value();
  ClipAnchor* clip = vm.Clips()->CreateEmpty(*parent, vm.ToText(args[0]), static_cast<int>(depth));
  return clip ? Value(vm.ClipFor(*clip)) : Value();
}

Value Duplicate(Interpreter& vm, const Value& self, std::span<const Value> args) {
  ClipAnchor* source = Anchor(vm, self);
  if (!source || args.size() < 2) return Value();
  const std::string name = vm.ToText(args[0]);  // converted before the depth
  const double depth = vm.ToNumber(args[1]);
  if (!std::isfinite(depth) || depth > player::kMaxDuplicateDepth) return Value();
  ClipAnchor* clip = vm.Clips()->Duplicate(*source, name, static_cast<int>(std::max(depth, -1.0e9)));
  if (!clip) return Value();
  const Value made = CopyInit(vm, vm.ClipFor(*clip), Arg(args, 2));
  if (vm.clipDuplicated) vm.clipDuplicated(*source, *clip);
  return made;
}

Value RemoveClip(Interpreter& vm, const Value& self, std::span<const Value>) {
  ClipAnchor* clip = Anchor(vm, self);
  // Only clips at script depths from 0 (made by scripts or moved there) can go.
  if (clip && clip->object && player::RemovableDepth(clip->depth)) vm.Clips()->Remove(*clip);
  return Value();
}

constexpr int kMaxScriptDepth = 2130690044;

Value SwapDepths(Interpreter& vm, const Value& self, std::span<const Value> args) {
  ClipAnchor* clip = Anchor(vm, self);
  if (!clip || args.empty()) return Value();
  if (args[0].IsUndefined()) return Value();
  int depth;
  // A clip, or a text naming one by its path, gives its depth.
  ClipAnchor* other = vm.AnchorOf(args[0].AsObject());
  if (!other && args[0].IsString()) other = vm.AnchorOf(vm.ResolveTarget(vm.ClipFor(*clip), args[0].string->text));
  if (other) {
    if (other->parent != clip->parent) return Value();
    depth = other->depth - player::kScriptDepthOffset;
  } else {
    depth = ToInt32(vm.ToNumber(args[0]));  // wraps as a 32-bit integer; not a number is 0
  }
  // Depths from the first timeline depth up to the deepest a script may use.
  if (depth < -player::kScriptDepthOffset || depth > kMaxScriptDepth) return Value();
  vm.Clips()->SwapDepths(*clip, depth);
  return Value();
}

Value NextHighestDepth(Interpreter& vm, const Value& self, std::span<const Value>) {
  ClipAnchor* clip = Anchor(vm, self);
  return clip ? Value(static_cast<double>(vm.Clips()->NextHighestDepth(*clip))) : Value();
}

// blendMode by name; a number names the mode of that index (as an 8-bit integer),
// null and undefined are normal, anything else leaves the mode as it was.
constexpr const char* kBlendModes[] = {"normal", "normal",     "layer",    "multiply", "screen",  "lighten", "darken",   "difference",
                                       "add",    "subtract",   "invert",   "alpha",    "erase",   "overlay", "hardlight"};
constexpr int kBlendModeCount = static_cast<int>(std::size(kBlendModes));

Value GetBlendMode(Interpreter& vm, const Value& self, std::span<const Value>) {
  ClipAnchor* clip = Anchor(vm, self);
  if (!clip || !clip->object) return Value();
  const int mode = clip->object->blendMode < kBlendModeCount ? clip->object->blendMode : 1;
  return Value(vm.Intern(kBlendModes[mode]));
}

Value SetBlendMode(Interpreter& vm, const Value& self, std::span<const Value> args) {
  ClipAnchor* clip = Anchor(vm, self);
  if (!clip || !clip->object) return Value();
  const Value wanted = Arg(args, 0);
  int mode = -1;
  if (wanted.IsNullish()) {
    mode = 1;
  } else if (wanted.IsNumber()) {
    mode = ToInt32(wanted.number) & 0xFF;
  } else if (wanted.IsString()) {
    for (int i = 1; i < kBlendModeCount; ++i) {
      if (wanted.string->text == kBlendModes[i]) mode = i;
    }
  }
  if (mode >= 0 && mode < kBlendModeCount) clip->object->blendMode = static_cast<std::uint8_t>(mode);
  return Value();
}

Value SwfVersion(Interpreter& vm, const Value& self, std::span<const Value>) {
  ClipAnchor* clip = Anchor(vm, self);
  if (!clip || (!clip->object && clip->parent)) return Value();
  return Value(static_cast<double>(vm.Clips()->MovieOf(*clip).Version()));
}

Value GetDepth(Interpreter& vm, const Value& self, std::span<const Value>) {
  ClipAnchor* clip = Anchor(vm, self);
  if (!clip) return Value();
  if (clip == &vm.Clips()->Root()) return Value(-16384.0);
  return Value(static_cast<double>(clip->depth) - player::kScriptDepthOffset);
}

Value GetInstanceAtDepth(Interpreter& vm, const Value& self, std::span<const Value> args) {
  ClipAnchor* clip = Anchor(vm, self);
  if (!clip) return Value();
  const double depth = vm.ToNumber(Arg(args, 0)) + player::kScriptDepthOffset;
  for (ClipAnchor* child : vm.Clips()->Children(*clip)) {
    if (child->depth == depth) return Value(vm.ClipFor(*child));
  }
  return Value();
}

// setMask(mask): the clip (or the clip its text names as a path from this clip's parent,
// "level:name" read as "level.name") masks this one and is drawn only as its mask; null
// or undefined takes the mask away. Without an argument, or with a path to nothing, the
// mask stays as it was.
Value SetMask(Interpreter& vm, const Value& self, std::span<const Value> args) {
  ClipAnchor* clip = Anchor(vm, self);
  if (!clip || !clip->object) return Value(false);
  if (args.empty()) return Value();
  const Value& target = args[0];
  ClipAnchor* mask = vm.AnchorOf(target.AsObject());
  if (!mask && !target.IsNullish()) {
    std::string path = vm.ToString(target)->text;
    std::replace(path.begin(), path.end(), ':', '.');
    mask = vm.AnchorOf(vm.ResolveTarget(vm.ClipFor(clip->parent ? *clip->parent : *clip), path));
    if (!mask || !mask->object) return Value(false);
  }
  if (const auto old = clip->object->scriptMask.lock(); old && old->object) old->object->masksByScript = false;
  clip->object->scriptMask.reset();
  if (!mask || !mask->object || mask == clip) return Value(true);
  mask->object->masksByScript = true;
  clip->object->scriptMask = mask->shared_from_this();
  return Value(true);
}

Value HitTest(Interpreter& vm, const Value& self, std::span<const Value> args) {
  ClipAnchor* clip = Anchor(vm, self);
  if (!clip) return Value(false);
  if (ClipAnchor* other = vm.AnchorOf(Arg(args, 0).AsObject())) {
    const Rect a = vm.Clips()->Bounds(*clip), b = vm.Clips()->Bounds(*other);
    const player::TransformedBox p = player::TransformBox(vm.Clips()->ToStage(*clip), a);
    const player::TransformedBox q = player::TransformBox(vm.Clips()->ToStage(*other), b);
    return Value(p.xMin <= q.xMax && q.xMin <= p.xMax && p.yMin <= q.yMax && q.yMin <= p.yMax);
  }
  const double x = vm.ToNumber(Arg(args, 0)) * 20, y = vm.ToNumber(Arg(args, 1)) * 20;
  if (std::isnan(x) || std::isnan(y)) return Value(false);
  return Value(vm.Clips()->HitTest(*clip, x, y, vm.ToBoolean(Arg(args, 2))));
}

Value GetBounds(Interpreter& vm, const Value& self, std::span<const Value> args) {
  ClipAnchor* clip = Anchor(vm, self);
  if (!clip) return Value();
  Rect r = vm.Clips()->Bounds(*clip);
  Matrix m;
  if (ClipAnchor* space = vm.AnchorOf(Arg(args, 0).AsObject()); space && space != clip) {
    const Matrix to = vm.Clips()->ToStage(*space);
    const double det = to.a * to.d - to.b * to.c;
    if (det != 0) {
      const Matrix inverse{to.d / det, -to.b / det, -to.c / det, to.a / det, (to.c * to.ty - to.d * to.tx) / det,
                           (to.b * to.tx - to.a * to.ty) / det};
      m = inverse * vm.Clips()->ToStage(*clip);
    }
  }
  const player::TransformedBox box = player::TransformBox(m, r);
  const double x0 = box.xMin, y0 = box.yMin, x1 = box.xMax, y1 = box.yMax;
  Object* out = vm.NewObject();
  const bool empty = r.xMin == r.xMax && r.yMin == r.yMax;
  vm.Set(out, vm.Intern("xMin"), Value(empty ? 6710886.35 : x0 / 20));
  vm.Set(out, vm.Intern("xMax"), Value(empty ? 6710886.35 : x1 / 20));
  vm.Set(out, vm.Intern("yMin"), Value(empty ? 6710886.35 : y0 / 20));
  vm.Set(out, vm.Intern("yMax"), Value(empty ? 6710886.35 : y1 / 20));
  return Value(out);
}

template <bool kToGlobal>
Value ConvertPoint(Interpreter& vm, const Value& self, std::span<const Value> args) {
  ClipAnchor* clip = Anchor(vm, self);
  Object* point = Arg(args, 0).AsObject();
  if (!clip || !point) return Value();
  String* xName = vm.Intern("x");
  String* yName = vm.Intern("y");
  const double x = vm.ToNumber(vm.Get(point, xName)) * 20, y = vm.ToNumber(vm.Get(point, yName)) * 20;
  Matrix m = vm.Clips()->ToStage(*clip);
  if (!kToGlobal) {
    const double det = m.a * m.d - m.b * m.c;
    if (det == 0) return Value();
    m = Matrix{m.d / det, -m.b / det, -m.c / det, m.a / det, (m.c * m.ty - m.d * m.tx) / det, (m.b * m.tx - m.a * m.ty) / det};
  }
  vm.Set(point, xName, Value((m.a * x + m.c * y + m.tx) / 20));
  vm.Set(point, yName, Value((m.b * x + m.d * y + m.ty) / 20));
  return Value();
}

Value StartDrag(Interpreter& vm, const Value& self, std::span<const Value>) {
  if (Anchor(vm, self)) vm.dragged = self.AsObject();
  return Value();
}
Value StopDrag(Interpreter& vm, const Value&, std::span<const Value>) {
  vm.dragged = nullptr;
  return Value();
}

Value Nothing(Interpreter&, const Value&, std::span<const Value>) { return Value(); }

// A clip names itself by its path; anything else that inherits the method (a class's
// prototype, `super`) is a plain object.
Value ClipToString(Interpreter& vm, const Value& self, std::span<const Value>) {
  if (self.IsObject() && self.object->kind != ObjectKind::kClip) return Value(vm.Intern("[object Object]"));
  return Value(vm.ToString(self));
}

}  // namespace

void InstallMovieClip(Interpreter& vm) {
  vm.clipProto = vm.NewObject();
  Function* ctor = vm.NewNative(Nothing);
  vm.LinkConstructor(ctor, vm.clipProto);
  vm.DefineValue(vm.global, "MovieClip", Value(ctor));
  Object* p = vm.clipProto;
  vm.DefineNative(p, "play", Play);
  vm.DefineNative(p, "stop", Stop);
  vm.DefineNative(p, "gotoAndPlay", GotoAnd<true>);
  vm.DefineNative(p, "gotoAndStop", GotoAnd<false>);
  vm.DefineNative(p, "nextFrame", NextFrame);
  vm.DefineNative(p, "prevFrame", PrevFrame);
  vm.DefineNative(p, "getBytesLoaded", BytesTotal);
  vm.DefineNative(p, "getBytesTotal", BytesTotal);
  vm.DefineNative(p, "attachMovie", Attach);
  vm.DefineNative(p, "createEmptyMovieClip", CreateEmpty);
  vm.DefineNative(p, "duplicateMovieClip", Duplicate);
  vm.DefineNative(p, "removeMovieClip", RemoveClip);
  vm.DefineNative(p, "swapDepths", SwapDepths);
  vm.DefineNative(p, "getNextHighestDepth", NextHighestDepth);
  vm.DefineNative(p, "getSWFVersion", SwfVersion);
  vm.DefineNative(p, "getDepth", GetDepth);
  vm.DefineNative(p, "getInstanceAtDepth", GetInstanceAtDepth);
  vm.DefineNative(p, "hitTest", HitTest);
  vm.DefineNative(p, "getBounds", GetBounds);
  vm.DefineNative(p, "getRect", GetBounds);
  vm.DefineNative(p, "localToGlobal", ConvertPoint<true>);
  vm.DefineNative(p, "globalToLocal", ConvertPoint<false>);
  vm.DefineNative(p, "startDrag", StartDrag);
  vm.DefineNative(p, "stopDrag", StopDrag);
  vm.DefineNative(p, "toString", ClipToString);
  InstallClipDrawing(vm, p);
  vm.DefineNative(p, "setMask", SetMask);
  for (const char* name : {"createTextField", "loadMovie", "unloadMovie", "loadVariables", "getURL"}) {
    vm.DefineNative(p, name, Nothing);
  }
  vm.buttonProto = vm.NewObject();
  Function* button = vm.NewNative(Nothing);
  vm.LinkConstructor(button, vm.buttonProto);
  vm.DefineValue(vm.global, "Button", Value(button));
  vm.DefineNative(vm.buttonProto, "getDepth", GetDepth);
  if (vm.Version() >= 8) {
    Property& blend = p->Put(vm.Key(vm.Name("blendMode")), vm.Name("blendMode"), Value(), property_flag::kDontEnum);
    blend.getter = vm.NewNative(GetBlendMode);
    blend.setter = vm.NewNative(SetBlendMode);
  }
  // Buttons and clips acting as buttons take pointer events, and show the hand, unless
  // told otherwise.
  vm.DefineValue(p, "enabled", Value(true));
  vm.DefineValue(vm.buttonProto, "enabled", Value(true));
  vm.DefineValue(p, "useHandCursor", Value(true));
  vm.DefineValue(vm.buttonProto, "useHandCursor", Value(true));
  vm.textFieldProto = vm.NewObject();
  Function* text = vm.NewNative(Nothing);
  vm.LinkConstructor(text, vm.textFieldProto);
  vm.DefineValue(vm.global, "TextField", Value(text));
  vm.DefineNative(vm.textFieldProto, "getDepth", GetDepth);
  vm.DefineNative(vm.textFieldProto, "removeTextField", RemoveClip);
}

}  // namespace tavelin::swf::avm1
