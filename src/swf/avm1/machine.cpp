#include "swf/avm1/machine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "swf/avm1/sound_objects.h"
#include "swf/avm1/text_fields.h"
#include "swf/format/button_decoder.h"
#include "swf/format/reader.h"
#include "swf/player/hit_test.h"
#include "swf/player/text_field.h"
#include "swf/player/timeline_runner.h"

namespace tavelin::swf::avm1 {

namespace ce = format::clip_event;

bool RunsActionScript1(const Movie& movie) {
  constexpr std::uint16_t kFileAttributes = 69;
  constexpr std::uint8_t kActionScript3 = 0x08;
  for (const Tag& tag : movie.FrameTags(0)) {
    if (tag.code != kFileAttributes) continue;
    const auto body = movie.TagBody(tag);
    return body.empty() || !(body[0] & kActionScript3);
  }
  return true;
}

Machine::Machine(int version, ScriptHost& host) : host_(host) {
  vm_ = std::make_unique<Interpreter>(version, nullptr, host);
  vm_->extraRoots = [this](std::vector<Cell*>& roots) { Roots(roots); };
}

Machine::~Machine() = default;

void Machine::Attached(player::Player& player) {
  player_ = &player;
  // The interpreter reaches the stage through the player's clip control.
  auto fresh = std::make_unique<Interpreter>(vm_->Version(), &player.Clips(), host_);
  fresh->exports = std::move(vm_->exports);
  fresh->extraRoots = [this](std::vector<Cell*>& roots) { Roots(roots); };
  fresh->clipCreated = [this](player::ClipAnchor& clip) {
    RunNow(clip);
    QueueLoad(clip);
  };
  fresh->clipDuplicated = [this](player::ClipAnchor& source, player::ClipAnchor& copy) { CopyClipEvents(source, copy); };
  fresh->sound = [this]() -> player::SoundHost& { return player_->Sound(); };
  vm_ = std::move(fresh);
}

void Machine::Roots(std::vector<Cell*>& roots) {
  for (const auto& interval : vm_->intervals) {
    if (interval.function.IsObject()) roots.push_back(interval.function.object);
    if (interval.method) roots.push_back(interval.method);
    for (const Value& arg : interval.args) {
      if (arg.IsObject()) roots.push_back(arg.object);
      if (arg.IsString()) roots.push_back(arg.string);
    }
  }
  if (vm_->dragged) roots.push_back(vm_->dragged);
  for (const PendingLoad& load : vm_->loads.loads) {
    if (load.listener) roots.push_back(load.listener);
  }
  for (const auto& [loader, target] : loadsInitializing_) {
    roots.push_back(loader);
    if (target) roots.push_back(target);
  }
}

std::shared_ptr<const LoadedProgram> Machine::ProgramOf(std::span<const std::uint8_t> bytes) {
  auto& slot = clipPrograms_[bytes.data()];
  if (!slot) slot = vm_->Load(format::DecodeActions(bytes));
  return slot;
}

std::shared_ptr<const LoadedProgram> Machine::ProgramAt(const Movie& movie, const Tag& tag, std::size_t skip) {
  // By address: the main movie and every loaded one have tags at the same offsets.
  const auto body = movie.TagBody(tag);
  auto& slot = programs_[body.data()];
  if (!slot) {
    if (body.size() < skip) return nullptr;
    slot = vm_->Load(format::DecodeActions(body.subspan(skip)));
  }
  return slot;
}

void Machine::FrameActions(player::ClipAnchor& clip, const Tag& tag) {
  if (stopped_) return;
  if (!player_) return;
  if (auto program = ProgramAt(player_->Clips().MovieOf(clip), tag, 0)) queue_.push_back(Queued{clip.shared_from_this(), program});
}

void Machine::DefinitionTag(player::ClipAnchor& timeline, const Tag& tag) {
  if (!player_) return;
  const Movie& movie = player_->Clips().MovieOf(timeline);
  const auto body = movie.TagBody(tag);
  if (tag.code == tag_code::kExportAssets) {
    try {
      format::Reader reader(body);
      const std::size_t count = reader.U16();
      for (std::size_t i = 0; i < count; ++i) {
        const std::uint16_t id = reader.U16();
        std::string name = reader.String();
        for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        vm_->exports.emplace(std::move(name), id);
      }
    } catch (const format::DecodeError&) {
    }
    return;
  }
  if (tag.code == tag_code::kDoInitAction && body.size() >= 2) {
    if (!initDone_.insert(body.data()).second) return;
    // Init actions run before the frame's other scripts, on the main timeline.
    if (auto program = ProgramAt(movie, tag, 2)) {
      player::ClipAnchor& root = player_->Clips().Root();
      (void)timeline;
      initQueue_.push_back(Queued{root.shared_from_this(), program});
    }
  }
}

void Machine::ClipPlaced(player::ClipAnchor& clip, const format::PlaceObject& place) {
  if (stopped_) return;
  if (clip.object && vm_->registeredClasses.count(clip.object->characterId)) {
    // The class's constructor runs before the clip's first frame script.
    auto keep = clip.shared_from_this();
    Object* object = vm_->ClipFor(clip);
    std::vector<Queued> held;
    for (auto it = queue_.begin(); it != queue_.end();) {
      if (it->clip.get() == &clip) {
        held.push_back(std::move(*it));
        it = queue_.erase(it);
      } else {
        ++it;
      }
    }
    try {
      vm_->ApplyRegisteredClass(object);
    } catch (const ScriptAbort& abort) {
      host_.ScriptStopped(abort.reason);
    }
    for (auto& item : held) queue_.push_back(std::move(item));
  } else if (clip.object && !initQueue_.empty() &&
             std::holds_alternative<std::shared_ptr<const format::SpriteDefinition>>(clip.object->character)) {
    // The frame's init actions may register a class for it: asked once they ran.
    const auto first = std::find_if(queue_.begin(), queue_.end(), [&clip](const Queued& item) { return item.clip.get() == &clip; });
    Queued construct{clip.shared_from_this(), nullptr};
    construct.applyClass = true;
    queue_.insert(first, std::move(construct));
  }
  QueueLoad(clip);
  if (place.clipActions.empty()) return;
  Handlers& handlers = handlers_[&clip];
  handlers.clip = clip.shared_from_this();
  handlers.actions.clear();
  for (const auto& action : place.clipActions) handlers.actions.emplace_back(action, ProgramOf(action.actions));
  Object* object = vm_->ClipFor(clip);
  for (const auto& [action, program] : handlers.actions) {
    if ((action.events & (ce::kInitialize | ce::kConstruct)) && !(action.events & ce::kLoad)) {
      queue_.push_back(Queued{clip.shared_from_this(), program});
    }
  }
  (void)object;
}

void Machine::QueueLoad(player::ClipAnchor& clip) {
  if (stopped_ || !clip.object || !std::holds_alternative<std::shared_ptr<const format::SpriteDefinition>>(clip.object->character)) {
    return;
  }
  queue_.push_back(Queued{clip.shared_from_this(), nullptr, ce::kLoad});
}

bool Machine::TellUnloaded() {
  bool ran = false;
  const std::vector<Object*> clips = vm_->liveClips;
  for (Object* clip : clips) {
    player::ClipAnchor* anchor = vm_->AnchorOf(clip);
    if (!anchor || anchor->object || !anchor->parent || anchor->unloadTold) continue;
    anchor->unloadTold = true;
    const auto found = handlers_.find(anchor);
    bool handled = found != handlers_.end() && std::any_of(found->second.actions.begin(), found->second.actions.end(),
                                                          [](const auto& entry) { return entry.first.events & ce::kUnload; });
    if (Property* method = vm_->Find(clip, vm_->Key(vm_->Names().onUnload)); method && AsFunction(method->value.AsObject())) {
      handled = true;
    }
    if (!handled) continue;
    ClipEvent(clip, ce::kUnload, vm_->Names().onUnload);
    ran = true;
  }
  return ran;
}

void Machine::CopyClipEvents(player::ClipAnchor& source, player::ClipAnchor& copy) {
  // A copy made by the old action has no load event queued yet.
  const bool loadQueued = std::any_of(queue_.begin(), queue_.end(), [&copy](const Queued& item) {
    return item.clip.get() == &copy && item.event == ce::kLoad;
  });
  if (!loadQueued && &source != &copy) QueueLoad(copy);
  const auto found = handlers_.find(&source);
  if (stopped_ || found == handlers_.end() || &source == &copy) return;
  Handlers copied;
  copied.clip = copy.shared_from_this();
  copied.actions = found->second.actions;
  // Its load event, queued when it was made, comes after the script that duplicated it.
  for (const auto& [action, program] : copied.actions) {
    if ((action.events & (ce::kInitialize | ce::kConstruct)) && !(action.events & ce::kLoad)) {
      queue_.push_back(Queued{copy.shared_from_this(), program});
    }
  }
  handlers_[&copy] = std::move(copied);
}

void Machine::Run(const std::shared_ptr<const LoadedProgram>& program, Object* target) {
  if (stopped_ || !program || !target || tooLong_.count(program.get())) return;
  try {
    vm_->RunProgram(program, target);
  } catch (const ScriptAbort& abort) {
    // Out of time, the frame's other scripts wait for the next frame; a script that
    // went too deep ends alone.
    if (abort.reason == "time") {
      queue_.clear();
      tooLong_.insert(program.get());
    }
    host_.ScriptStopped(abort.reason);
  }
}

void Machine::RunNow(player::ClipAnchor& clip) {
  const auto inside = [&clip](const player::ClipAnchor* at) {
    for (int guard = 0; at && guard < 64; at = at->parent.get(), ++guard) {
      if (at == &clip) return true;
    }
    return false;
  };
  std::vector<Queued> now;
  for (auto it = queue_.begin(); it != queue_.end();) {
    if (inside(it->clip.get())) {
      now.push_back(std::move(*it));
      it = queue_.erase(it);
    } else {
      ++it;
    }
  }
  for (const Queued& item : now) {
    if (item.clip->object) vm_->RunProgram(item.program, vm_->ClipFor(*item.clip));
  }
}

void Machine::RunQueue() {
  if (running_) return;
  running_ = true;
  std::size_t ran = 0;
  do {
    while ((!queue_.empty() || !initQueue_.empty()) && ran < kMaxQueuedPerFrame) {
      // Init actions, in file order, before any other script waiting.
      auto& from = initQueue_.empty() ? queue_ : initQueue_;
      Queued next = std::move(from.front());
      from.pop_front();
      ++ran;
      if (!next.clip->object && !(player_ && next.clip.get() == &player_->Clips().Root())) continue;
      if (next.applyClass) {
        if (vm_->registeredClasses.count(next.clip->object->characterId)) {
          try {
            vm_->ApplyRegisteredClass(vm_->ClipFor(*next.clip));
          } catch (const ScriptAbort& abort) {
            host_.ScriptStopped(abort.reason);
          }
        }
        continue;
      }
      if (next.event) {
        ClipEvent(vm_->ClipFor(*next.clip), next.event, next.event == ce::kLoad ? vm_->Names().onLoad : nullptr);
        continue;
      }
      if (std::getenv("TAVELIN_SCRIPT_DEBUG")) std::fprintf(stderr, "run %zu actions\n", next.program->program->actions.size());
      Run(next.program, vm_->ClipFor(*next.clip));
    }
  } while (ran < kMaxQueuedPerFrame && !stopped_ && TellUnloaded());
  queue_.clear();
  initQueue_.clear();
  running_ = false;
  if (!vm_->loads.loads.empty()) SendLoads();
}

void Machine::ClipEvent(Object* clip, std::uint32_t event, String* method, int keyCode) {
  player::ClipAnchor* anchor = vm_->AnchorOf(clip);
  if (!anchor) return;
  const auto found = handlers_.find(anchor);
  if (found != handlers_.end() && !found->second.clip.expired()) {
    for (const auto& [action, program] : found->second.actions) {
      if (!(action.events & event)) continue;
      if (event == ce::kKeyPress && action.keyCode != keyCode) continue;
      Run(program, clip);
    }
  }
  if (method) {
    // A removed clip's own handler (not the one of a clip now at its path).
    Value handler;
    if (anchor->object || !anchor->parent) {
      handler = vm_->Get(clip, method);
    } else if (Property* own = vm_->Find(clip, vm_->Key(method))) {
      handler = own->value;
    }
    const Function* function = handler.IsObject() ? AsFunction(handler.object) : nullptr;
    const void* body = function ? static_cast<const void*>(function->info) : nullptr;
    if (function && !(body && tooLong_.count(body))) {
      try {
        vm_->Call(handler, Value(clip), {});
      } catch (const ScriptThrow&) {
      } catch (const ScriptAbort& abort) {
        queue_.clear();
        if (abort.reason == "time" && body) tooLong_.insert(body);
        host_.ScriptStopped(abort.reason);
      }
    }
  }
}

void Machine::CollectClips(player::ClipAnchor& clip, std::vector<Object*>& out, int nesting) {
  (void)clip;
  (void)nesting;
  if (!player_) return;
  for (player::ClipAnchor* child : player_->Clips().AllClips()) out.push_back(vm_->ClipFor(*child));
}

void Machine::RunIntervals() {
  const double now = host_.MovieMilliseconds();
  // Timers added while these run wait for the next frame.
  const std::size_t count = vm_->intervals.size();
  for (std::size_t i = 0; i < count && i < vm_->intervals.size(); ++i) {
    Interpreter::Interval interval = vm_->intervals[i];
    if (interval.due > now) continue;
    vm_->intervals[i].due = now + std::max(interval.period, 1.0);
    if (interval.once) std::erase_if(vm_->intervals, [&](const auto& t) { return t.id == interval.id; });
    try {
      if (interval.method) {
        vm_->CallMethod(interval.function, interval.method, interval.args);
      } else {
        vm_->Call(interval.function, Value(), interval.args);
      }
    } catch (const ScriptThrow&) {
    } catch (const ScriptAbort& abort) {
      // A timer whose function ran too long is cleared, as if the script had.
      if (abort.reason == "time") std::erase_if(vm_->intervals, [&](const auto& t) { return t.id == interval.id; });
      host_.ScriptStopped(abort.reason);
    }
    RunQueue();
    if (interval.once) --i;
  }
}

void Machine::FrameStarting() {
  if (stopped_ || !player_) return;
  vm_->StartBudget();
  FinishLoads();
  RunIntervals();
  try {
    PollSounds(*vm_);
  } catch (const ScriptAbort& abort) {
    host_.ScriptStopped(abort.reason);
  }
  RunQueue();
  // Enter-frame handlers: the newest clips first, the main movie last.
  std::vector<Object*> clips;
  CollectClips(player_->Clips().Root(), clips, 0);
  clips.push_back(vm_->RootClip());
  for (Object* clip : clips) ClipEvent(clip, ce::kEnterFrame, vm_->Names().onEnterFrame);
}

void Machine::UpdateBoundFields() {
  for (player::ClipAnchor* clip : player_->Clips().AllClips()) {
    const std::string variable = player_->Clips().FieldVariable(*clip);
    if (variable.empty()) continue;
    Object* timeline = clip->parent ? vm_->ClipFor(*clip->parent) : vm_->RootClip();
    // "a.b.c" or "/a/b:c": the last name is the variable, the rest names its clip.
    std::size_t split = variable.find_last_of(".:");
    Object* holder = timeline;
    std::string name = variable;
    if (split != std::string::npos) {
      holder = vm_->ResolveTarget(timeline, variable.substr(0, split));
      name = variable.substr(split + 1);
    }
    if (!holder) continue;
    const Value value = vm_->Get(holder, vm_->Intern(name));
    if (value.IsUndefined()) {
      // A variable not yet set starts with the field's own text.
      Object* field = vm_->ClipFor(*clip);
      if (player::TextFieldState* state = FieldOf(*vm_, field); state && state->Length() > 0) {
        try {
          StoreFieldVariable(*vm_, field, *state);
        } catch (const ScriptThrow&) {
        } catch (const ScriptAbort& abort) {
          host_.ScriptStopped(abort.reason);
        }
      }
      continue;
    }
    std::string text = vm_->ToText(value);
    auto& shown = fieldTexts_[clip];
    if (!shown.first.expired() && shown.second == text) continue;
    shown = {clip->weak_from_this(), text};
    player_->Clips().SetFieldText(*clip, text);
  }
}

void Machine::FrameFinished() {
  if (!player_) return;
  vm_->StartBudget();
  RunQueue();
  TellLoadsInitialized();
  UpdateBoundFields();
  // A heap over its budget is collected at once rather than at the next round.
  if (++framesSinceCollect_ >= kCollectEveryFrames || vm_->GetHeap().OverBudget()) {
    framesSinceCollect_ = 0;
    for (auto it = handlers_.begin(); it != handlers_.end();) it = it->second.clip.expired() ? handlers_.erase(it) : std::next(it);
    for (auto it = fieldTexts_.begin(); it != fieldTexts_.end();) it = it->second.first.expired() ? fieldTexts_.erase(it) : std::next(it);
    vm_->Collect();
  }
}

void Machine::Broadcast(Object* source, String* name, std::span<const Value> args) {
  Value list = vm_->Get(source, vm_->Name("_listeners"));
  Object* array = list.AsObject();
  if (!array) return;
  std::vector<Value> items;
  for (std::size_t i = 0; i < vm_->ArrayLength(array); ++i) items.push_back(vm_->ArrayAt(array, i));
  for (const Value& item : items) {
    try {
      vm_->CallMethod(item, name, args);
    } catch (const ScriptThrow&) {
    } catch (const ScriptAbort& abort) {
      host_.ScriptStopped(abort.reason);
      return;
    }
  }
}

void Machine::MouseMove(double x, double y) {
  if (!player_) return;
  vm_->StartBudget();
  vm_->input.mouseX = x;
  vm_->input.mouseY = y;
  std::vector<Object*> clips;
  CollectClips(player_->Clips().Root(), clips, 0);
  for (Object* clip : clips) ClipEvent(clip, ce::kMouseMove, vm_->Names().onMouseMove);
  Broadcast(vm_->mouseObject, vm_->Names().onMouseMove);
  RunQueue();
}

void Machine::MouseButton(bool down, double x, double y) {
  if (!player_) return;
  vm_->StartBudget();
  vm_->input.mouseX = x;
  vm_->input.mouseY = y;
  vm_->input.mouseDown = down;
  std::vector<Object*> clips;
  CollectClips(player_->Clips().Root(), clips, 0);
  String* method = down ? vm_->Names().onMouseDown : vm_->Names().onMouseUp;
  for (Object* clip : clips) ClipEvent(clip, down ? ce::kMouseDown : ce::kMouseUp, method);
  Broadcast(vm_->mouseObject, method);
  RunQueue();
}

void Machine::KeyDown(int code, int character) {
  if (!player_) return;
  vm_->StartBudget();
  if (code >= 0 && code < 256) vm_->input.down[code] = true;
  vm_->input.lastKey = code;
  vm_->input.lastCharacter = character;
  std::vector<Object*> clips;
  CollectClips(player_->Clips().Root(), clips, 0);
  for (Object* clip : clips) ClipEvent(clip, ce::kKeyDown, vm_->Names().onKeyDown);
  Broadcast(vm_->keyObject, vm_->Names().onKeyDown);
  RunQueue();
}

void Machine::KeyUp(int code) {
  if (!player_) return;
  vm_->StartBudget();
  if (code >= 0 && code < 256) vm_->input.down[code] = false;
  vm_->input.lastKey = code;
  std::vector<Object*> clips;
  CollectClips(player_->Clips().Root(), clips, 0);
  for (Object* clip : clips) ClipEvent(clip, ce::kKeyUp, vm_->Names().onKeyUp);
  Broadcast(vm_->keyObject, vm_->Names().onKeyUp);
  RunQueue();
}

}  // namespace tavelin::swf::avm1
