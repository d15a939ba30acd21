#include "swf/player/clip_control.h"

#include <algorithm>
#include <cmath>

#include "swf/format/frame_label.h"
#include "swf/player/dictionary.h"
#include "swf/player/hit_test.h"
#include "swf/player/text_field.h"
#include "swf/player/text_layout.h"
#include "swf/player/timeline_runner.h"

namespace tavelin::swf::player {

TransformedBox TransformBox(const Matrix& m, const Rect& r) {
  const double xs[] = {static_cast<double>(r.xMin), static_cast<double>(r.xMax)};
  const double ys[] = {static_cast<double>(r.yMin), static_cast<double>(r.yMax)};
  TransformedBox box{1e300, 1e300, -1e300, -1e300};
  for (double x : xs) {
    for (double y : ys) {
      const double tx = m.a * x + m.c * y + m.tx;
      const double ty = m.b * x + m.d * y + m.ty;
      box.xMin = std::min(box.xMin, tx);
      box.yMin = std::min(box.yMin, ty);
      box.xMax = std::max(box.xMax, tx);
      box.yMax = std::max(box.yMax, ty);
    }
  }
  return box;
}

namespace {

const format::SpriteDefinition* SpriteOf(const DisplayObject& object) {
  const auto* sprite = std::get_if<std::shared_ptr<const format::SpriteDefinition>>(&object.character);
  return sprite ? sprite->get() : nullptr;
}

bool SameName(std::string_view a, std::string_view b, bool exactCase) {
  if (a.size() != b.size()) return false;
  if (exactCase) return a == b;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

void Grow(Rect& into, const Rect& add, bool& empty) {
  into = empty ? add : Enclosing(into, add);
  empty = false;
}

Rect Transform(const Matrix& m, const Rect& r) {
  const TransformedBox box = TransformBox(m, r);
  return Rect{static_cast<std::int32_t>(std::floor(box.xMin)), static_cast<std::int32_t>(std::ceil(box.xMax)),
              static_cast<std::int32_t>(std::floor(box.yMin)), static_cast<std::int32_t>(std::ceil(box.yMax))};
}

bool ObjectBounds(const DisplayObject& object, Rect& out, int nesting) {
  if (const auto* shape = std::get_if<std::shared_ptr<const Shape>>(&object.character)) {
    out = (*shape)->bounds;
    return true;
  }
  if (object.morphed) {
    out = object.morphed->bounds;
    return true;
  }
  if (const auto* text = std::get_if<std::shared_ptr<const TextCharacter>>(&object.character)) {
    out = (*text)->bounds;
    return true;
  }
  if (!object.timeline || nesting > kMaxNesting) return false;
  bool empty = true;
  if (const auto drawn = object.timeline->Drawn()) Grow(out, drawn->bounds, empty);
  for (const auto& [depth, child] : object.timeline->list) {
    Rect inner;
    if (ObjectBounds(child, inner, nesting + 1)) Grow(out, Transform(child.matrix, inner), empty);
  }
  return !empty;
}

}  // namespace

ClipControl::ClipControl(const Movie& movie, Dictionary& dictionary, TimelineRunner& runner, TimelineState& root,
                         ClipAnchor& rootAnchor)
    : movie_(movie), dictionary_(dictionary), runner_(runner), root_(root), rootAnchor_(rootAnchor) {}

std::string ClipControl::FieldVariable(const ClipAnchor& field) const {
  if (!field.object) return {};
  if (field.object->field) return field.object->field->definition.variableName;
  const format::EditTextDefinition* definition = RunnerAround(field).Characters().FindBoundField(field.object->characterId);
  return definition ? definition->variableName : std::string();
}

void ClipControl::SetFieldText(ClipAnchor& field, const std::string& text) {
  TextFieldState* state = Field(field);
  if (!state) return;
  if (state->definition.html) {
    if (state->HtmlText() == text) return;
    state->SetHtmlText(text);
  } else {
    if (state->Text() == text) return;
    state->SetText(text);
  }
  ShowField(field);
}

TimelineState* ClipControl::Timeline(const ClipAnchor& clip) {
  if (&clip == &rootAnchor_) return &root_;
  if (!clip.object || !SpriteOf(*clip.object)) return nullptr;
  return clip.object->timeline.get();
}

int ClipControl::FrameCount(const ClipAnchor& clip) const {
  if (&clip == &rootAnchor_) return RunnerOf(root_).MovieData().FrameCount();
  if (!clip.object) return 0;
  const auto* sprite = SpriteOf(*clip.object);
  return sprite ? sprite->FrameCount() : 1;
}

int ClipControl::CurrentFrame(const ClipAnchor& clip) {
  const TimelineState* timeline = Timeline(clip);
  return timeline ? std::max(timeline->frame, 0) : 0;
}

void ClipControl::Goto(ClipAnchor& clip, int frame, bool play) {
  TimelineState* timeline = Timeline(clip);
  if (!timeline) return;
  timeline->playing = play;
  TimelineRunner& runner = RunnerOf(*timeline);
  const FrameSource source{&runner.MovieData(), &clip == &rootAnchor_ ? nullptr : SpriteOf(*clip.object)};
  runner.GotoFrame(*timeline, source, frame, Nesting(clip));
}

void ClipControl::SetPlaying(ClipAnchor& clip, bool playing) {
  if (TimelineState* timeline = Timeline(clip)) timeline->playing = playing;
}

int ClipControl::FrameOfLabel(const ClipAnchor& clip, std::string_view label) const {
  const format::SpriteDefinition* sprite = nullptr;
  if (&clip != &rootAnchor_) {
    if (!clip.object || !(sprite = SpriteOf(*clip.object))) return -1;
  }
  const Movie& movie = MovieOf(clip);
  const FrameSource source{&movie, sprite};
  for (int frame = 0; frame < source.Count(); ++frame) {
    for (const Tag& tag : source.Tags(frame)) {
      if (tag.code != tag_code::kFrameLabel) continue;
      try {
        if (SameName(format::DecodeFrameLabel(movie.TagBody(tag)), label, false)) return frame;
      } catch (...) {
      }
    }
  }
  return -1;
}

ClipAnchor* ClipControl::Child(const ClipAnchor& parent, std::string_view name, bool exactCase) {
  TimelineState* timeline = &parent == &rootAnchor_ ? &root_ : (parent.object ? parent.object->timeline.get() : nullptr);
  if (!timeline) return nullptr;
  for (auto& [depth, object] : timeline->list) {
    if (!SameName(object.name, name, exactCase)) continue;
    if (object.anchor) return object.anchor.get();
    // A named shape is no object of its own for scripts: its name leads to the clip it
    // lies in.
    if (!object.name.empty()) return const_cast<ClipAnchor*>(&parent);
  }
  return nullptr;
}

std::vector<ClipAnchor*> ClipControl::Children(const ClipAnchor& parent) {
  std::vector<ClipAnchor*> children;
  TimelineState* timeline = &parent == &rootAnchor_ ? &root_ : (parent.object ? parent.object->timeline.get() : nullptr);
  if (!timeline) return children;
  for (auto& [depth, object] : timeline->list) {
    if (object.anchor) children.push_back(object.anchor.get());
  }
  return children;
}

Rect ClipControl::Bounds(const ClipAnchor& clip) {
  Rect bounds;
  if (&clip == &rootAnchor_) {
    bool empty = true;
    if (const auto drawn = root_.Drawn()) Grow(bounds, drawn->bounds, empty);
    for (const auto& [depth, child] : root_.list) {
      Rect inner;
      if (ObjectBounds(child, inner, 1)) Grow(bounds, Transform(child.matrix, inner), empty);
    }
    return bounds;
  }
  if (clip.object) ObjectBounds(*clip.object, bounds, Nesting(clip));
  return bounds;
}

Matrix ClipControl::ToStage(const ClipAnchor& clip) const {
  Matrix matrix;
  int guard = 0;
  for (const ClipAnchor* at = &clip; at && at != &rootAnchor_ && guard < 64; at = at->parent.get(), ++guard) {
    if (!at->object) break;
    matrix = at->object->matrix * matrix;
  }
  return matrix;
}

bool ClipControl::HitTest(const ClipAnchor& clip, double x, double y, bool shapes) {
  if (shapes && clip.object) {
    const Matrix toParent = clip.parent && clip.parent.get() != &rootAnchor_ ? Inverse(ToStage(*clip.parent)) : Matrix{};
    return ObjectContains(*clip.object, toParent.a * x + toParent.c * y + toParent.tx, toParent.b * x + toParent.d * y + toParent.ty,
                          0, true);
  }
  const Rect bounds = Bounds(clip);
  if (bounds.xMin == bounds.xMax && bounds.yMin == bounds.yMax) return false;
  const Rect onStage = Transform(ToStage(clip), bounds);
  return x >= onStage.xMin && x <= onStage.xMax && y >= onStage.yMin && y <= onStage.yMax;
}

std::int32_t ClipControl::ListDepth(int scriptDepth) const {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{scriptDepth} + kScriptDepthOffset, 0, INT32_MAX));
}

int ClipControl::Nesting(const ClipAnchor& clip) const {
  int nesting = 0;
  for (const ClipAnchor* at = &clip; at && at != &rootAnchor_ && nesting < kMaxNesting; at = at->parent.get()) ++nesting;
  return nesting;
}

ClipDrawing* ClipControl::Drawing(ClipAnchor& clip) {
  TimelineState* timeline = Timeline(clip);
  if (!timeline) return nullptr;
  if (!timeline->drawing) timeline->drawing = std::make_shared<ClipDrawing>();
  return timeline->drawing.get();
}

ClipAnchor* ClipControl::Attach(ClipAnchor& parent, std::uint16_t characterId, const std::string& name, int depth) {
  if (Nesting(parent) + 1 >= kMaxNesting) return nullptr;
  TimelineState* timeline = Timeline(parent);
  if (!timeline) return nullptr;
  DisplayObject* object = RunnerOf(*timeline).CreateAt(parent, *timeline, characterId, ListDepth(depth), Nesting(parent) + 1);
  if (!object || !object->anchor) return nullptr;
  object->name = name;
  return object->anchor.get();
}

ClipAnchor* ClipControl::CreateEmpty(ClipAnchor& parent, const std::string& name, int depth) {
  static const auto empty = [] {
    auto sprite = std::make_shared<format::SpriteDefinition>();
    sprite->frameEnds.push_back(0);
    return std::shared_ptr<const format::SpriteDefinition>(sprite);
  }();
  ClipAnchor* clip = Attach(parent, 0, name, depth);
  if (!clip || !clip->object) return nullptr;
  clip->object->character = empty;
  clip->object->timeline = std::make_unique<TimelineState>();
  clip->object->timeline->owner = clip;
  clip->object->timeline->frame = 0;
  return clip;
}

ClipAnchor* ClipControl::Duplicate(ClipAnchor& clip, const std::string& name, int depth) {
  if (!clip.object || !clip.parent) return nullptr;
  const DisplayObject& source = *clip.object;
  const std::uint16_t characterId = source.characterId;
  const Matrix matrix = source.matrix;
  const ColorTransform cxform = source.colorTransform;
  const bool visible = source.visible;
  // The copy starts with what was drawn into the original (and goes on on its own).
  const std::shared_ptr<ClipDrawing> drawing =
      source.timeline && source.timeline->drawing ? std::make_shared<ClipDrawing>(*source.timeline->drawing) : nullptr;
  ClipAnchor* copy = characterId ? Attach(*clip.parent, characterId, name, depth) : CreateEmpty(*clip.parent, name, depth);
  if (!copy || !copy->object) return nullptr;
  copy->object->matrix = matrix;
  copy->object->colorTransform = cxform;
  copy->object->visible = visible;
  if (drawing && copy->object->timeline) copy->object->timeline->drawing = drawing;
  return copy;
}

DisplayList* ClipControl::ParentList(const ClipAnchor& clip) {
  if (!clip.parent) return nullptr;
  if (clip.parent.get() == &rootAnchor_) return &root_.list;
  if (!clip.parent->object || !clip.parent->object->timeline) return nullptr;
  return &clip.parent->object->timeline->list;
}

void ClipControl::Remove(ClipAnchor& clip) {
  DisplayList* list = ParentList(clip);
  if (!list || !clip.object) return;
  for (auto it = list->begin(); it != list->end(); ++it) {
    if (&it->second == clip.object) {
      list->erase(it);
      return;
    }
  }
}

void ClipControl::SwapDepths(ClipAnchor& clip, int depth) {
  DisplayList* list = ParentList(clip);
  if (!list || !clip.object) return;
  const std::int32_t to = ListDepth(depth);
  std::int32_t from = 0;
  for (auto& [at, object] : *list) {
    if (&object == clip.object) from = at;
  }
  if (from == to || list->find(from) == list->end()) return;
  DisplayObject moving = std::move(list->at(from));
  list->erase(from);
  const auto other = list->find(to);
  if (other != list->end()) {
    DisplayObject displaced = std::move(other->second);
    list->erase(other);
    if (displaced.anchor) displaced.anchor->depth = from;
    list->emplace(from, std::move(displaced));
  }
  moving.anchor->depth = to;
  moving.anchor->dynamic = true;
  list->emplace(to, std::move(moving));
}

void ClipControl::SetButtonState(ClipAnchor& button, std::uint8_t state) {
  if (button.object) runner_.ShowButtonState(*button.object, state, Nesting(button));
}

namespace {
ClipAnchor* Frontmost(DisplayList& list, double x, double y, const std::function<bool(ClipAnchor&)>& wanted, int nesting) {
  if (nesting > kMaxNesting) return nullptr;
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    DisplayObject& object = it->second;
    if (!object.visible || object.clipDepth) continue;
    if (object.anchor && wanted(*object.anchor)) {
      if (ObjectContains(object, x, y)) return object.anchor.get();
      continue;
    }
    if (object.timeline && !object.hitArea) {
      const Matrix toLocal = Inverse(object.matrix);
      const double lx = toLocal.a * x + toLocal.c * y + toLocal.tx, ly = toLocal.b * x + toLocal.d * y + toLocal.ty;
      if (ClipAnchor* found = Frontmost(object.timeline->list, lx, ly, wanted, nesting + 1)) return found;
    }
  }
  return nullptr;
}
}  // namespace

ClipAnchor* ClipControl::FrontmostAt(double x, double y, const std::function<bool(ClipAnchor&)>& wanted) {
  // Higher levels lie in front of lower ones and of the main movie.
  if (levels_) {
    for (auto it = levels_->rbegin(); it != levels_->rend(); ++it) {
      DisplayObject& level = it->second;
      if (!level.visible || !level.timeline) continue;
      if (level.anchor && wanted(*level.anchor) && ObjectContains(level, x, y)) return level.anchor.get();
      const Matrix toLocal = Inverse(level.matrix);
      const double lx = toLocal.a * x + toLocal.c * y + toLocal.tx, ly = toLocal.b * x + toLocal.d * y + toLocal.ty;
      if (ClipAnchor* found = Frontmost(level.timeline->list, lx, ly, wanted, 1)) return found;
    }
  }
  return Frontmost(root_.list, x, y, wanted, 0);
}

std::vector<ClipAnchor*> ClipControl::AllClips() {
  std::vector<ClipAnchor*> clips = runner_.ClipsNewestFirst(root_.list);
  if (!levels_ || levels_->empty()) return clips;
  for (auto& [number, level] : *levels_) {
    if (level.anchor) clips.push_back(level.anchor.get());
    if (level.timeline) {
      const auto inside = runner_.ClipsNewestFirst(level.timeline->list);
      clips.insert(clips.end(), inside.begin(), inside.end());
    }
  }
  std::sort(clips.begin(), clips.end(), [](const ClipAnchor* a, const ClipAnchor* b) { return a->serial > b->serial; });
  return clips;
}

int ClipControl::NextHighestDepth(const ClipAnchor& parent) {
  TimelineState* timeline = &parent == &rootAnchor_ ? &root_ : (parent.object ? parent.object->timeline.get() : nullptr);
  if (!timeline || timeline->list.empty()) return 0;
  return std::max(0, static_cast<int>(timeline->list.rbegin()->first) + 1 - kScriptDepthOffset);
}

}  // namespace tavelin::swf::player
