#include "swf/player/timeline_runner.h"

#include <algorithm>

#include "swf/format/reader.h"
#include "swf/player/clip_control.h"
#include "swf/player/morph.h"

namespace tavelin::swf::player {
namespace {

namespace code = tag_code;

// What a frame's display-list tag asks for, or nothing for other tags.
struct DisplayChange {
  enum class Kind { kNone, kPlace, kRemove } kind = Kind::kNone;
  format::PlaceObject place;
  std::uint16_t depth = 0;
};

DisplayChange ReadDisplayChange(const Movie& movie, const Tag& tag) {
  DisplayChange change;
  try {
    const auto body = movie.TagBody(tag);
    switch (tag.code) {
      case code::kPlaceObject:
      case code::kPlaceObject2:
      case code::kPlaceObject3:
        change.place = format::DecodePlaceObject(body, tag.code == code::kPlaceObject ? 1 : tag.code == code::kPlaceObject2 ? 2 : 3,
                                                movie.Version());
        change.kind = DisplayChange::Kind::kPlace;
        break;
      case code::kRemoveObject:
      case code::kRemoveObject2:
        change.depth = format::DecodeRemoveObjectDepth(body, tag.code == code::kRemoveObject ? 1 : 2);
        change.kind = DisplayChange::Kind::kRemove;
        break;
      default:
        break;
    }
  } catch (const format::DecodeError&) {
    change.kind = DisplayChange::Kind::kNone;  // a damaged tag changes nothing
  }
  return change;
}

// PlaceObject fields merged over earlier ones, as a depth's state while a frame is
// rebuilt.
void Merge(format::PlaceObject& into, const format::PlaceObject& place) {
  if (place.characterId) into.characterId = place.characterId;
  if (place.matrix) into.matrix = place.matrix;
  if (place.colorTransform) into.colorTransform = place.colorTransform;
  if (place.ratio) into.ratio = place.ratio;
  if (place.name) into.name = place.name;
  if (place.clipDepth) into.clipDepth = place.clipDepth;
  if (place.blendMode) into.blendMode = place.blendMode;
  if (place.visible) into.visible = place.visible;
}

}  // namespace

TimelineRunner::TimelineRunner(const Movie& movie, Dictionary& dictionary) : movie_(movie), dictionary_(dictionary) {}

TimelineRunner::TimelineRunner(const Movie& movie, Dictionary& dictionary, const TimelineRunner& main)
    : movie_(movie),
      dictionary_(dictionary),
      hooks_(main.hooks_),
      counters_(main.counters_),
      liveObjects_(main.liveObjects_) {}

void TimelineRunner::GotoFrame(TimelineState& timeline, const FrameSource& source, int target, int nesting) {
  target = std::clamp(target, 0, source.Count() - 1);
  if (target == timeline.frame) return;
  if (target < timeline.frame) {
    Rebuild(timeline, source, target, nesting);
    return;
  }
  // Only the frame arrived at runs its scripts; frames passed on the way do not.
  while (timeline.frame < target) RunFrame(timeline, source, timeline.frame + 1, nesting, timeline.frame + 1 == target);
}

void TimelineRunner::TellFrameActions(TimelineState& timeline, const FrameSource& source, int frame) {
  if (!hooks_ || !timeline.owner) return;
  for (const Tag& tag : source.Tags(frame)) {
    if (tag.code == code::kDoAction) hooks_->FrameActions(*timeline.owner, tag);
  }
}

void TimelineRunner::RunFrame(TimelineState& timeline, const FrameSource& source, int frame, int nesting, bool runScripts) {
  timeline.frame = frame;
  // The frame's own scripts are queued before those of the clips it places.
  if (runScripts) TellFrameActions(timeline, source, frame);
  for (const Tag& tag : source.Tags(frame)) {
    if (IsSoundTag(tag.code)) {
      if (sound_ && !soundMuted_ && runScripts) {
        const bool stream = tag.code == code::kSoundStreamHead || tag.code == code::kSoundStreamHead2 ||
                            tag.code == code::kSoundStreamBlock;
        if (stream && source.sprite && !timeline.soundToken) timeline.soundToken = sound_->SpriteStreamToken(source.sprite);
        sound_->OnSoundTag(tag, source.sprite, frame);
      }
      continue;
    }
    if (dictionary_.Define(movie_, tag)) continue;
    if (hooks_ && timeline.owner && (tag.code == code::kDoInitAction || tag.code == code::kExportAssets)) {
      hooks_->DefinitionTag(*timeline.owner, tag);
      continue;
    }
    const DisplayChange change = ReadDisplayChange(movie_, tag);
    if (change.kind == DisplayChange::Kind::kPlace) Place(timeline, change.place, frame, nesting);
    if (change.kind == DisplayChange::Kind::kRemove) {
      const auto found = timeline.list.find(change.depth);
      // Whatever stands at the depth goes, also a clip a script moved there.
      if (found != timeline.list.end()) timeline.list.erase(found);
    }
  }
}

void TimelineRunner::Rebuild(TimelineState& timeline, const FrameSource& source, int target, int nesting) {
  struct Planned {
    format::PlaceObject placement;
    int placedInFrame = 0;
  };
  std::map<std::uint16_t, Planned> plan;
  for (int frame = 0; frame <= target; ++frame) {
    for (const Tag& tag : source.Tags(frame)) {
      const DisplayChange change = ReadDisplayChange(movie_, tag);
      if (change.kind == DisplayChange::Kind::kRemove) plan.erase(change.depth);
      if (change.kind != DisplayChange::Kind::kPlace) continue;
      const format::PlaceObject& place = change.place;
      const auto existing = plan.find(place.depth);
      if (existing == plan.end() || !place.move) {
        if (!place.characterId) continue;
        plan[place.depth] = Planned{place, frame};
      } else {
        Merge(existing->second.placement, place);
        if (place.characterId) existing->second.placedInFrame = frame;
      }
    }
  }

  DisplayList rebuilt;
  std::vector<std::pair<std::uint16_t, const format::PlaceObject*>> created;
  for (auto& [depth, old] : timeline.list) {
    // The depths scripts use are not the timeline's to rebuild; what scripts put at
    // the timeline's own depths goes like the rest.
    if (hooks_ && depth >= kScriptDepthOffset && !plan.count(depth)) rebuilt.emplace(depth, std::move(old));
  }
  for (auto& [depth, planned] : plan) {
    const std::uint16_t characterId = *planned.placement.characterId;
    const auto old = timeline.list.find(depth);
    DisplayObject object;
    if (old != timeline.list.end() && old->second.placedInFrame == planned.placedInFrame && old->second.characterId == characterId) {
      object = std::move(old->second);
      object.matrix = Matrix{};
      object.colorTransform = ColorTransform{};
      object.ratio = 0;
      object.morphed = nullptr;
      object.clipDepth = 0;
      object.blendMode = 0;
      object.visible = true;
    } else if (!Create(object, characterId, planned.placedInFrame, nesting, timeline.owner, depth,
                       planned.placement.name ? &*planned.placement.name : nullptr)) {
      continue;
    } else {
      created.emplace_back(depth, &planned.placement);
    }
    ApplyPlacement(object, planned.placement);
    rebuilt.emplace(depth, std::move(object));
  }
  timeline.list = std::move(rebuilt);
  timeline.frame = target;
  TellFrameActions(timeline, source, target);
  if (hooks_) {
    for (const auto& [depth, placement] : created) {
      const auto found = timeline.list.find(depth);
      if (found != timeline.list.end() && found->second.anchor) hooks_->ClipPlaced(*found->second.anchor, *placement);
    }
  }
}

void TimelineRunner::Place(TimelineState& timeline, const format::PlaceObject& place, int frame, int nesting) {
  DisplayList& list = timeline.list;
  const auto existing = list.find(place.depth);
  if (place.move && existing != list.end()) {
    DisplayObject& object = existing->second;
    // A clip scripts made or moved to this depth is theirs: the timeline's moves pass it by.
    if (hooks_ && object.anchor && object.anchor->dynamic) return;
    if (place.characterId && *place.characterId != object.characterId) {
      // A new character at the same depth keeps the placement's other properties.
      DisplayObject replacement;
      if (!Create(replacement, *place.characterId, frame, nesting, timeline.owner, place.depth, &object.name)) return;
      replacement.matrix = object.matrix;
      replacement.colorTransform = object.colorTransform;
      replacement.ratio = object.ratio;
      replacement.name = object.name;
      replacement.clipDepth = object.clipDepth;
      replacement.blendMode = object.blendMode;
      replacement.visible = object.visible;
      object = std::move(replacement);
    }
    ApplyPlacement(object, place);
    return;
  }
  if (!place.characterId) return;
  if (existing != list.end() && hooks_) return;  // with scripts, an occupied depth keeps its object
  DisplayObject object;
  if (!Create(object, *place.characterId, frame, nesting, timeline.owner, place.depth, place.name ? &*place.name : nullptr)) return;
  ApplyPlacement(object, place);
  auto& placed = list.insert_or_assign(place.depth, std::move(object)).first->second;
  if (hooks_ && placed.anchor) hooks_->ClipPlaced(*placed.anchor, place);
}

DisplayObject* TimelineRunner::CreateAt(ClipAnchor& parent, TimelineState& timeline, std::uint16_t characterId,
                                        std::int32_t depth, int nesting) {
  DisplayObject object;
  static const std::string kNamedByScript;
  if (!Create(object, characterId, std::max(timeline.frame, 0), nesting, &parent, depth, &kNamedByScript)) return nullptr;
  if (object.anchor) object.anchor->dynamic = true;
  return &timeline.list.insert_or_assign(depth, std::move(object)).first->second;
}

void TimelineRunner::ApplyPlacement(DisplayObject& object, const format::PlaceObject& place) {
  if (place.matrix) object.matrix = *place.matrix;
  if (place.colorTransform) object.colorTransform = *place.colorTransform;
  if (place.name) object.name = *place.name;
  if (place.clipDepth) object.clipDepth = *place.clipDepth;
  if (place.blendMode) object.blendMode = *place.blendMode;
  if (place.visible) object.visible = *place.visible;
  const bool ratioChanged = place.ratio && *place.ratio != object.ratio;
  if (place.ratio) object.ratio = *place.ratio;
  if (const auto* morph = std::get_if<std::shared_ptr<const MorphCharacter>>(&object.character)) {
    if (ratioChanged || !object.morphed) object.morphed = MorphAt(**morph, object.ratio);
  }
}

bool TimelineRunner::Create(DisplayObject& object, std::uint16_t characterId, int frame, int nesting, ClipAnchor* parent,
                            std::int32_t depth, const std::string* name) {
  if (*liveObjects_ >= kMaxObjects) return false;
  ++*liveObjects_;
  object.liveToken = std::shared_ptr<void>(nullptr, [count = liveObjects_](void*) { --*count; });
  object.characterId = characterId;
  object.character = dictionary_.Find(characterId);
  object.placedInFrame = frame;
  object.createdTick = counters_->tick;
  // Shapes, morphs, static text and bitmaps are no objects of their own for scripts.
  const bool staticText = std::holds_alternative<std::shared_ptr<const TextCharacter>>(object.character) &&
                          !dictionary_.FindEditText(characterId);
  const bool scriptable = !std::holds_alternative<std::shared_ptr<const Shape>>(object.character) &&
                          !std::holds_alternative<std::shared_ptr<const MorphCharacter>>(object.character) &&
                          !std::holds_alternative<std::shared_ptr<const Bitmap>>(object.character) && !staticText;
  if (hooks_ && parent && scriptable) {
    object.anchor = std::make_shared<ClipAnchor>();
    object.anchor->object = &object;
    object.anchor->parent = parent->shared_from_this();
    object.anchor->depth = depth;
    object.anchor->serial = counters_->nextSerial++;
    // Scripts see unnamed objects as "instance1", "instance2", ...
    object.name = name ? *name : "instance" + std::to_string(++counters_->unnamedClips);
  }
  if (nesting >= kMaxNesting) return true;  // too deep: shown without contents
  if (const auto* sprite = std::get_if<std::shared_ptr<const format::SpriteDefinition>>(&object.character)) {
    object.timeline = std::make_unique<TimelineState>();
    object.timeline->owner = object.anchor.get();
    object.timeline->runner = this;
    GotoFrame(*object.timeline, FrameSource{&movie_, sprite->get()}, 0, nesting + 1);
  } else if (std::holds_alternative<std::shared_ptr<const format::ButtonDefinition>>(object.character)) {
    object.hitArea = std::make_unique<TimelineState>();
    ShowButtonState(object, button_state::kUp, nesting);
    ShowButtonState(object, button_state::kHitArea, nesting);
  }
  return true;
}

void TimelineRunner::ShowButtonState(DisplayObject& object, std::uint8_t state, int nesting) {
  const auto* button = std::get_if<std::shared_ptr<const format::ButtonDefinition>>(&object.character);
  if (!button || nesting >= kMaxNesting) return;
  TimelineState* into = state == button_state::kHitArea ? object.hitArea.get() : nullptr;
  if (!into) {
    if (!object.timeline) object.timeline = std::make_unique<TimelineState>();
    object.timeline->owner = object.anchor.get();
    object.timeline->runner = this;
    if (object.buttonState == state && !object.timeline->list.empty()) return;
    object.buttonState = state;
    into = object.timeline.get();
  }
  DisplayList rebuilt;
  for (const format::ButtonRecord& record : (*button)->records) {
    const bool shown = state == button_state::kUp     ? record.up
                       : state == button_state::kOver ? record.over
                       : state == button_state::kDown ? record.down
                                                      : record.hitTest;
    if (!shown) continue;
    // A child shown in the state before keeps its own frame.
    const auto kept = into->list.find(record.depth);
    if (kept != into->list.end() && kept->second.characterId == record.characterId) {
      rebuilt.emplace(record.depth, std::move(kept->second));
      continue;
    }
    DisplayObject child;
    if (!Create(child, record.characterId, 0, nesting + 1, state == button_state::kHitArea ? nullptr : object.anchor.get(),
                record.depth)) {
      break;
    }
    format::PlaceObject place;
    place.matrix = record.matrix;
    place.colorTransform = record.colorTransform;
    place.blendMode = record.blendMode;
    ApplyPlacement(child, place);
    rebuilt.emplace(record.depth, std::move(child));
  }
  into->list = std::move(rebuilt);
}

void TimelineRunner::AdvanceSprites(DisplayList& list, int nesting) {
  for (auto& [depth, object] : list) {
    if (!object.timeline) continue;
    const auto* sprite = std::get_if<std::shared_ptr<const format::SpriteDefinition>>(&object.character);
    if (sprite && object.createdTick < counters_->tick && object.timeline->playing &&
        (*sprite)->NextFrame(object.timeline->frame) != object.timeline->frame) {
      TimelineRunner& runner = object.timeline->runner ? *object.timeline->runner : *this;
      const int next = (*sprite)->NextFrame(object.timeline->frame);
      runner.GotoFrame(*object.timeline, FrameSource{&runner.movie_, sprite->get()}, next, nesting + 1);
    }
    AdvanceSprites(object.timeline->list, nesting + 1);
  }
}

}  // namespace tavelin::swf::player

namespace tavelin::swf::player {
namespace {
void Gather(DisplayList& list, std::vector<ClipAnchor*>& out, int nesting) {
  if (nesting > kMaxNesting) return;
  for (auto& [depth, object] : list) {
    if (!object.anchor) continue;
    out.push_back(object.anchor.get());
    if (object.timeline) Gather(object.timeline->list, out, nesting + 1);
  }
}

int NestingOf(const ClipAnchor& clip) {
  int nesting = 0;
  for (const ClipAnchor* at = clip.parent.get(); at && nesting < kMaxNesting; at = at->parent.get()) ++nesting;
  return nesting;
}
}  // namespace

std::vector<ClipAnchor*> TimelineRunner::ClipsNewestFirst(DisplayList& list) {
  std::vector<ClipAnchor*> clips;
  Gather(list, clips, 0);
  std::sort(clips.begin(), clips.end(), [](const ClipAnchor* a, const ClipAnchor* b) { return a->serial > b->serial; });
  return clips;
}

void TimelineRunner::AdvanceAll(TimelineState& root, const FrameSource& rootSource, bool rootLoops) {
  std::vector<std::shared_ptr<ClipAnchor>> clips;
  for (ClipAnchor* clip : ClipsNewestFirst(root.list)) clips.push_back(clip->shared_from_this());
  for (const auto& clip : clips) {
    DisplayObject* object = clip->object;
    if (!object || !object->timeline || object->createdTick >= counters_->tick || !object->timeline->playing) continue;
    const auto* sprite = std::get_if<std::shared_ptr<const format::SpriteDefinition>>(&object->character);
    if (!sprite) continue;
    const int next = (*sprite)->NextFrame(object->timeline->frame);
    if (next == object->timeline->frame) continue;
    TimelineRunner& runner = object->timeline->runner ? *object->timeline->runner : *this;
    runner.GotoFrame(*object->timeline, FrameSource{&runner.movie_, sprite->get()}, next, NestingOf(*clip) + 1);
  }
  if (!root.playing) return;
  if (!rootLoops && root.frame + 1 >= rootSource.Count()) {
    root.playing = false;
    return;
  }
  GotoFrame(root, rootSource, (root.frame + 1) % rootSource.Count(), 0);
}

}  // namespace tavelin::swf::player
