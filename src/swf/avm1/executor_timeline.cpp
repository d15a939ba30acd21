// Timeline actions: frames, targets, clip properties, duplicates and addresses. Kept apart
// from the action loop, which handles the frequent actions inline.

#include "swf/avm1/executor.h"

#include <algorithm>
#include <cmath>

#include "swf/avm1/builtins.h"
#include "swf/avm1/clip_properties.h"
#include "swf/avm1/sound_objects.h"
#include "swf/player/clip_control.h"
#include "swf/player/sound_host.h"

namespace tavelin::swf::avm1 {

namespace op = format::action_code;

bool Executor::RunTimelineAction(Activation& a, const format::Action& action) {
  const auto& strings = a.code->strings;
  auto pop = [&] { return Pop(a); };
  auto push = [&](const Value& v) { Push(v); };
  switch (action.code) {
    case op::kNextFrame:
    case op::kPrevFrame:
    case op::kPlay:
    case op::kStop: {
      player::ClipAnchor* anchor = vm_.AnchorOf(a.target);
      player::ClipControl* clips = vm_.Clips();
      if (!anchor || !clips) break;
      if (action.code == op::kPlay) clips->SetPlaying(*anchor, true);
      if (action.code == op::kStop) clips->SetPlaying(*anchor, false);
      if (action.code == op::kNextFrame) clips->Goto(*anchor, clips->CurrentFrame(*anchor) + 1, false);
      if (action.code == op::kPrevFrame) clips->Goto(*anchor, std::max(0, clips->CurrentFrame(*anchor) - 1), false);
      break;
    }
    case op::kGotoFrame: {
      player::ClipAnchor* anchor = vm_.AnchorOf(a.target);
      if (anchor && vm_.Clips()) vm_.Clips()->Goto(*anchor, static_cast<int>(action.a), false);
      break;
    }
    case op::kGotoLabel: {
      player::ClipAnchor* anchor = vm_.AnchorOf(a.target);
      if (!anchor || !vm_.Clips()) break;
      const int frame = vm_.Clips()->FrameOfLabel(*anchor, strings[action.a]->text);
      if (frame >= 0) vm_.Clips()->Goto(*anchor, frame, false);
      break;
    }
    case op::kGotoFrame2: GotoFrameValue(a, pop(), action.a & 0x01, static_cast<int>(action.b)); break;
    case op::kToggleQuality: break;
    case op::kStopSounds:
      if (vm_.sound) vm_.sound().StopAllSounds();
      AllSoundsStopped(vm_);
      break;
    case op::kWaitForFrame:
    case op::kWaitForFrame2:
      if (action.code == op::kWaitForFrame2) pop();
      break;  // every frame is loaded: nothing is skipped
    case op::kSetTarget:
    case op::kSetTarget2: {
      // An empty target (and before version 7 an undefined one) is the script's own
      // timeline again; anything else is taken as a path, and one that names no clip
      // leaves the movie's root as the target.
      Value target = action.code == op::kSetTarget ? Value(strings[action.a]) : pop();
      Object* found = nullptr;
      if ((target.IsString() && target.string->text.empty()) || (target.IsUndefined() && a.version < 7)) {
        found = a.original;
      } else if (BaseRemoved(a)) {
        // Paths lead nowhere from a clip taken off the stage: timeline actions act on
        // nothing until the target is set back.
        found = a.original;
      } else if (!target.IsUndefined() && !target.IsNull()) {
        // A clip is found again by its path, so of two clips with one name the first wins.
        found = vm_.ResolveTarget(a.original, vm_.ToText(target));
      }
      a.target = found ? found : vm_.LevelRootOf(a.original);
      if (!a.locals) {
        a.scope = vm_.heap_.New<Scope>(a.target, vm_.heap_.New<Scope>(vm_.global, nullptr));
        a.variables = a.target;
      }
      break;
    }
    case op::kGetProperty: {
      const double index = std::trunc(vm_.ToNumber(pop()));
      Object* clip = TargetOf(a, pop());
      push(clip && index >= 0 && index < kClipPropertyCount ? GetClipProperty(vm_, clip, static_cast<int>(index)) : Value());
      break;
    }
    case op::kSetProperty: {
      const Value value = pop();
      const double index = std::trunc(vm_.ToNumber(pop()));
      Object* clip = TargetOf(a, pop());
      if (clip && index >= 0 && index < kClipPropertyCount) SetClipProperty(vm_, clip, static_cast<int>(index), value);
      break;
    }
    case op::kCloneSprite: {
      const Value depthValue = pop(), nameValue = pop();
      Object* source = TargetOf(a, pop());
      const std::string name = vm_.ToText(nameValue);  // converted before the depth
      const double depth = vm_.ToNumber(depthValue) - player::kScriptDepthOffset;
      player::ClipAnchor* anchor = vm_.AnchorOf(source);
      if (!anchor || !vm_.Clips() || !std::isfinite(depth) || depth > player::kMaxDuplicateDepth) break;
      player::ClipAnchor* copy = vm_.Clips()->Duplicate(*anchor, name, static_cast<int>(std::max(depth, -1.0e9)));
      if (copy && vm_.clipDuplicated) vm_.clipDuplicated(*anchor, *copy);
      break;
    }
    case op::kRemoveSprite: {
      Object* clip = TargetOf(a, pop());
      player::ClipAnchor* anchor = vm_.AnchorOf(clip);
      if (anchor && anchor->object && vm_.Clips() && player::RemovableDepth(anchor->depth)) vm_.Clips()->Remove(*anchor);
      break;
    }
    case op::kStartDrag: {
      pop();
      pop();
      if (vm_.ToBoolean(pop())) {
        for (int i = 0; i < 4; ++i) pop();
      }
      break;
    }
    case op::kEndDrag: break;
    case op::kGetUrl:
    case op::kGetUrl2: {
      std::string window, url;
      int flags = 0;
      if (action.code == op::kGetUrl) {
        url = strings[action.a]->text;
        window = strings[action.b]->text;
      } else {
        window = vm_.ToText(pop());
        url = vm_.ToText(pop());
        flags = static_cast<int>(action.a);
      }
      if (StartScriptLoad(vm_, a.target, url, window, flags)) break;
      if (url.rfind("FSCommand:", 0) == 0 || url.rfind("fscommand:", 0) == 0) {
        vm_.host_.Command(url.substr(10), window);
      } else {
        vm_.host_.OpenAddress(url, window);
      }
      break;
    }
    case op::kCall: pop(); break;
    default:
      return false;
  }
  return true;
}

}  // namespace tavelin::swf::avm1
