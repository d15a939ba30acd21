// The keyboard focus and typing into input fields, and the Selection object.

#include <cmath>

#include "swf/avm1/builtins.h"
#include "swf/avm1/text_fields.h"
#include "swf/player/clip_control.h"
#include "swf/player/text_field.h"

namespace tavelin::swf::avm1 {
namespace {

namespace vk {
inline constexpr int kBackspace = 8, kEnter = 13, kEnd = 35, kHome = 36, kLeft = 37, kRight = 39, kDelete = 46;
}

void CallHandler(Interpreter& vm, Object* target, const char* name, std::span<const Value> args) {
  if (!target) return;
  try {
    vm.CallMethod(Value(target), vm.Name(name), args);
  } catch (const ScriptThrow&) {
    // An uncaught throw in a handler ends that handler only.
  }
}

Value FocusValue(Object* field) { return field ? Value(field) : Value::Null(); }

Value GetFocus(Interpreter& vm, const Value&, std::span<const Value>) {
  Object* field = FocusedObject(vm);
  return field ? Value(vm.Intern(vm.TargetPath(field))) : Value::Null();
}

Value SetFocusNative(Interpreter& vm, const Value&, std::span<const Value> args) {
  const Value target = Arg(args, 0);
  if (target.IsNullish()) return Value(SetFocus(vm, nullptr));
  Object* clip = nullptr;
  if (target.IsObject() && target.object->kind == ObjectKind::kClip) {
    clip = target.object;
  } else if (target.IsString()) {
    clip = vm.ResolveTarget(vm.RootClip(), target.string->text);
  }
  if (!clip || !vm.AnchorOf(clip)) return Value(false);
  // Fields take the focus when they can be typed in or selected; other clips when
  // focusEnabled says so, and buttons.
  if (player::TextFieldState* state = FieldOf(vm, clip)) {
    if (!state->input && !state->selectable) return Value(false);
  } else if (clip->proto != vm.buttonProto && !vm.ToBoolean(vm.Get(clip, vm.Name("focusEnabled")))) {
    return Value(false);
  }
  return Value(SetFocus(vm, clip));
}

Value CaretIndex(Interpreter& vm, const Value&, std::span<const Value>) {
  player::TextFieldState* state = FieldOf(vm, FocusedObject(vm));
  return Value(state ? static_cast<double>(state->caret) : -1.0);
}

Value SetSelection(Interpreter& vm, const Value&, std::span<const Value> args) {
  player::TextFieldState* state = FieldOf(vm, FocusedObject(vm));
  if (!state) return Value();
  const double end = vm.ToNumber(Arg(args, 1));
  if (std::isfinite(end)) state->caret = static_cast<std::size_t>(std::clamp(end, 0.0, static_cast<double>(state->Length())));
  return Value();
}

}  // namespace

Object* FocusedObject(Interpreter& vm) {
  const auto anchor = vm.focus.lock();
  if (!anchor || !anchor->object) return nullptr;
  return vm.ClipFor(*anchor);
}

bool SetFocus(Interpreter& vm, Object* field) {
  player::ClipAnchor* anchor = vm.AnchorOf(field);
  if (field && (!anchor || !anchor->object)) return false;
  Object* old = FocusedObject(vm);
  if (old == field) return true;
  vm.focus = anchor ? anchor->weak_from_this() : std::weak_ptr<player::ClipAnchor>();
  if (player::TextFieldState* state = FieldOf(vm, field)) state->caret = 0;
  const Value toNew[] = {FocusValue(field)};
  const Value toOld[] = {FocusValue(old)};
  CallHandler(vm, old, "onKillFocus", toNew);
  CallHandler(vm, field, "onSetFocus", toOld);
  if (Object* selection = vm.Get(vm.global, vm.Name("Selection")).AsObject()) {
    const Value both[] = {FocusValue(old), FocusValue(field)};
    Value list = vm.Get(selection, vm.Name("_listeners"));
    if (Object* listeners = list.AsObject()) {
      std::vector<Value> items;
      for (std::size_t i = 0; i < vm.ArrayLength(listeners) && i < 10000; ++i) items.push_back(vm.ArrayAt(listeners, i));
      for (const Value& item : items) {
        if (Object* listener = item.AsObject()) CallHandler(vm, listener, "onSetFocus", both);
      }
    }
  }
  return true;
}

namespace {
bool Focusable(Interpreter& vm, player::ClipAnchor& clip) {
  player::TextFieldState* state = vm.Clips()->Field(clip);
  return state && (state->input || state->selectable);
}
}  // namespace

void FocusAt(Interpreter& vm, double x, double y) {
  if (!vm.Clips()) return;
  player::ClipAnchor* clip = vm.Clips()->FrontmostAt(x, y, [&vm](player::ClipAnchor& c) { return Focusable(vm, c); });
  if (clip) {
    Object* field = vm.ClipFor(*clip);
    SetFocus(vm, field);
    // A click leaves the caret after the text.
    if (player::TextFieldState* state = FieldOf(vm, field)) state->caret = state->Length();
  } else if (FieldOf(vm, FocusedObject(vm))) {
    SetFocus(vm, nullptr);
  }
}

bool FieldAt(Interpreter& vm, double x, double y) {
  return vm.Clips() && vm.Clips()->FrontmostAt(x, y, [&vm](player::ClipAnchor& c) { return Focusable(vm, c); });
}

bool TypeKey(Interpreter& vm, int virtualKey, int character) {
  Object* field = FocusedObject(vm);
  player::TextFieldState* state = FieldOf(vm, field);
  if (!state || !state->input) return false;
  state->caret = std::min(state->caret, state->Length());
  bool changed = false;
  switch (virtualKey) {
    case vk::kBackspace: changed = state->Backspace(); break;
    case vk::kDelete: changed = state->DeleteForward(); break;
    case vk::kLeft:
      if (state->caret > 0) --state->caret;
      return false;
    case vk::kRight:
      if (state->caret < state->Length()) ++state->caret;
      return false;
    case vk::kHome: state->caret = 0; return false;
    case vk::kEnd: state->caret = state->Length(); return false;
    case vk::kEnter: changed = state->Insert(U"\r"); break;
    default:
      if (character >= 32 && character != 127 && character <= 0x10FFFF) {
        changed = state->Insert(std::u32string(1, static_cast<char32_t>(character)));
      }
      break;
  }
  if (!changed) return false;
  ShowField(vm, field);
  StoreFieldVariable(vm, field, *state);
  const Value self[] = {Value(field)};
  CallHandler(vm, field, "onChanged", self);
  return true;
}

void InstallSelection(Interpreter& vm) {
  Object* selection = vm.NewObject();
  vm.DefineValue(vm.global, "Selection", Value(selection));
  const Value initialize[] = {Value(selection)};
  if (Object* broadcaster = vm.Get(vm.global, vm.Name("AsBroadcaster")).AsObject()) {
    vm.CallMethod(Value(broadcaster), vm.Name("initialize"), initialize);
  }
  vm.DefineNative(selection, "getFocus", GetFocus);
  vm.DefineNative(selection, "setFocus", SetFocusNative);
  vm.DefineNative(selection, "getBeginIndex", CaretIndex);
  vm.DefineNative(selection, "getEndIndex", CaretIndex);
  vm.DefineNative(selection, "getCaretIndex", CaretIndex);
  vm.DefineNative(selection, "setSelection", SetSelection);
}

}  // namespace tavelin::swf::avm1
