// The machine's buttons and pointer: which clips act as buttons, the transitions the
// pointer and keys make on them, and the cursor shown over them.
#include <cstdio>
#include <cstdlib>

#include "swf/avm1/machine.h"
#include "swf/avm1/text_fields.h"
#include "swf/format/button_decoder.h"
#include "swf/player/hit_test.h"
#include "swf/player/text_field.h"
#include "swf/player/timeline_runner.h"

namespace tavelin::swf::avm1 {
namespace {
namespace ce = format::clip_event;
namespace bc = format::button_condition;

const format::ButtonDefinition* ButtonOf(const player::ClipAnchor& clip) {
  if (!clip.object) return nullptr;
  const auto* button = std::get_if<std::shared_ptr<const format::ButtonDefinition>>(&clip.object->character);
  return button ? button->get() : nullptr;
}

// Windows virtual keys to the key codes button conditions use.
int ButtonKeyCode(int virtualKey, int character) {
  switch (virtualKey) {
    case 37: return 1;
    case 39: return 2;
    case 36: return 3;
    case 35: return 4;
    case 45: return 5;
    case 46: return 6;
    case 8: return 8;
    case 13: return 13;
    case 38: return 14;
    case 40: return 15;
    case 33: return 16;
    case 34: return 17;
    case 9: return 18;
    case 27: return 19;
    default: return character >= 32 && character < 128 ? character : 0;
  }
}
}  // namespace

bool Machine::ActsAsButton(player::ClipAnchor& clip) {
  // A button or clip whose `enabled` is false takes no pointer events.
  if (clip.script) {
    const Value enabled = vm_->Get(static_cast<Object*>(clip.script), vm_->Name("enabled"));
    if (enabled.IsBoolean() && !enabled.boolean) return false;
  }
  if (ButtonOf(clip)) return true;
  if (!clip.object || !clip.object->timeline) return false;
  constexpr std::uint32_t kMouseEvents = ce::kPress | ce::kRelease | ce::kReleaseOutside | ce::kRollOver | ce::kRollOut |
                                         ce::kDragOver | ce::kDragOut;
  const auto found = handlers_.find(&clip);
  if (found != handlers_.end() && !found->second.clip.expired()) {
    for (const auto& [action, program] : found->second.actions) {
      if (action.events & kMouseEvents) return true;
    }
  }
  if (!clip.script) return false;
  Object* object = static_cast<Object*>(clip.script);
  const auto& n = vm_->Names();
  for (String* name : {n.onPress, n.onRelease, n.onReleaseOutside, n.onRollOver, n.onRollOut, n.onDragOver, n.onDragOut}) {
    if (vm_->Find(object, vm_->Key(name))) return true;
  }
  return false;
}

player::ClipAnchor* Machine::ButtonAt(double x, double y) {
  if (!player_) return nullptr;
  return player_->Clips().FrontmostAt(x, y, [this](player::ClipAnchor& clip) { return ActsAsButton(clip); });
}

void Machine::ShowButtonState(player::ClipAnchor& clip) {
  if (!ButtonOf(clip) || !player_) return;
  const auto hover = hover_.lock();
  const auto pressed = pressed_.lock();
  std::uint8_t state = player::button_state::kUp;
  if (hover.get() == &clip) state = pressed.get() == &clip ? player::button_state::kDown : player::button_state::kOver;
  player_->Clips().SetButtonState(clip, state);
}

void Machine::ButtonEvent(player::ClipAnchor& clip, std::uint16_t condition) {
  auto keep = clip.shared_from_this();
  const auto& n = vm_->Names();
  String* method = nullptr;
  std::uint32_t event = 0;
  switch (condition) {
    case bc::kRollOver: method = n.onRollOver; event = ce::kRollOver; break;
    case bc::kRollOut: method = n.onRollOut; event = ce::kRollOut; break;
    case bc::kPress: method = n.onPress; event = ce::kPress; break;
    case bc::kRelease: method = n.onRelease; event = ce::kRelease; break;
    case bc::kDragOut: method = n.onDragOut; event = ce::kDragOut; break;
    case bc::kDragOver: method = n.onDragOver; event = ce::kDragOver; break;
    case bc::kReleaseOutside: method = n.onReleaseOutside; event = ce::kReleaseOutside; break;
    default: break;
  }
  if (const format::ButtonDefinition* button = ButtonOf(clip)) {
    ShowButtonState(clip);
    // The button's own sounds for the change of state.
    const int transition = condition == bc::kRollOut ? 0 : condition == bc::kRollOver ? 1 : condition == bc::kPress ? 2
                           : condition == bc::kRelease ? 3 : -1;
    if (transition >= 0 && player_) {
      // The button's movie has its own sounds (a loaded movie's ids are its own).
      if (player::SoundHost* sound = player_->Clips().SoundAround(clip)) sound->ButtonTransition(button->id, transition);
    }
    // Button actions run on the timeline that holds the button.
    Object* timeline = clip.parent ? vm_->ClipFor(*clip.parent) : vm_->RootClip();
    for (const format::ButtonAction& action : button->actions) {
      if (action.conditions & condition & 0x01FF) Run(ProgramOf(action.actions), timeline);
    }
    RunQueue();
    if (method && clip.object) ClipEvent(vm_->ClipFor(clip), 0, method);
  } else if (clip.object) {
    ClipEvent(vm_->ClipFor(clip), event, method);
  }
  RunQueue();
}

void Machine::PointerMove(double x, double y) {
  MouseMove(x, y);
  if (Object* dragged = vm_->dragged) {
    if (player::ClipAnchor* anchor = vm_->AnchorOf(dragged); anchor && anchor->object) {
      const Matrix toParent = anchor->parent && anchor->parent.get() != &player_->Clips().Root()
                                  ? player::Inverse(player_->Clips().ToStage(*anchor->parent))
                                  : Matrix{};
      anchor->object->matrix.tx = toParent.a * x + toParent.c * y + toParent.tx;
      anchor->object->matrix.ty = toParent.b * x + toParent.d * y + toParent.ty;
    }
  }
  player::ClipAnchor* now = ButtonAt(x, y);
  auto hover = hover_.lock();
  auto pressed = pressed_.lock();
  if (now == hover.get()) return;
  hover_ = now ? now->weak_from_this() : std::weak_ptr<player::ClipAnchor>();
  if (pressed) {
    if (hover.get() == pressed.get()) ButtonEvent(*pressed, bc::kDragOut);
    if (now == pressed.get()) ButtonEvent(*pressed, bc::kDragOver);
    return;
  }
  if (hover) ButtonEvent(*hover, bc::kRollOut);
  if (now) ButtonEvent(*now, bc::kRollOver);
}

void Machine::PointerButton(bool down, double x, double y) {
  PointerMove(x, y);
  if (down) {
    try {
      FocusAt(*vm_, x, y);
    } catch (const ScriptThrow&) {
    } catch (const ScriptAbort& abort) {
      host_.ScriptStopped(abort.reason);
    }
  }
  MouseButton(down, x, y);
  auto hover = hover_.lock();
  if (down) {
    if (!hover) return;
    pressed_ = hover;
    ButtonEvent(*hover, bc::kPress);
    return;
  }
  auto pressed = pressed_.lock();
  pressed_.reset();
  if (!pressed) return;
  if (pressed == hover) {
    ButtonEvent(*pressed, bc::kRelease);
  } else {
    ButtonEvent(*pressed, bc::kReleaseOutside);
    if (hover) ButtonEvent(*hover, bc::kRollOver);
  }
  UpdateBoundFields();
}

void Machine::RunButtonKeys(int keyCode) {
  if (!keyCode || !player_) return;
  std::vector<std::shared_ptr<player::ClipAnchor>> buttons;
  for (player::ClipAnchor* clip : player_->Clips().AllClips()) {
    if (ButtonOf(*clip)) buttons.push_back(clip->shared_from_this());
  }
  for (const auto& clip : buttons) {
    const format::ButtonDefinition* button = ButtonOf(*clip);
    if (!button) continue;
    Object* timeline = clip->parent ? vm_->ClipFor(*clip->parent) : vm_->RootClip();
    for (const format::ButtonAction& action : button->actions) {
      if (bc::KeyCode(action.conditions) == keyCode) Run(ProgramOf(action.actions), timeline);
    }
  }
  RunQueue();
}

void Machine::Key(bool down, int virtualKey, int character) {
  if (down) {
    try {
      vm_->StartBudget();
      TypeKey(*vm_, virtualKey, character);
    } catch (const ScriptThrow&) {
      // A bound variable's setter that throws leaves the field typed in.
    } catch (const ScriptAbort& abort) {
      host_.ScriptStopped(abort.reason);
    }
    KeyDown(virtualKey, character);
    RunButtonKeys(ButtonKeyCode(virtualKey, character));
  } else {
    KeyUp(virtualKey);
  }
  UpdateBoundFields();
}

player::ScriptHooks::Cursor Machine::CursorAt(double x, double y) {
  player::ClipAnchor* clip = ButtonAt(x, y);
  if (!clip) return FieldAt(*vm_, x, y) ? Cursor::kIBeam : Cursor::kArrow;
  if (clip->script) {
    const Value hand = vm_->Get(static_cast<Object*>(clip->script), vm_->Name("useHandCursor"));
    if (hand.IsBoolean() && !hand.boolean) return Cursor::kArrow;
  }
  return Cursor::kHand;
}

}  // namespace tavelin::swf::avm1
