// Movies loaded by scripts: levels above the main movie, movies loaded into clips and
// the replacement of the main movie, and how the clip control finds their timelines.
#include "swf/player/levels.h"

#include <algorithm>

#include "swf/player/player.h"

namespace tavelin::swf::player {
namespace {

std::shared_ptr<const format::SpriteDefinition> FramesOf(const Movie& movie) {
  auto frames = std::make_shared<format::SpriteDefinition>();
  for (int frame = 0; frame < movie.FrameCount(); ++frame) {
    for (const Tag& tag : movie.FrameTags(frame)) frames->tags.push_back(tag);
    frames->frameEnds.push_back(frames->tags.size());
  }
  if (frames->frameEnds.empty()) frames->frameEnds.push_back(0);
  return frames;
}

// Everything in `list` counts as made at `tick`: a movie put in place before a tick
// begins shows its first frame in that tick and plays on from the next.
void MarkCreated(DisplayList& list, std::uint64_t tick, int nesting) {
  if (nesting > kMaxNesting) return;
  for (auto& [depth, object] : list) {
    object.createdTick = tick;
    if (object.timeline) MarkCreated(object.timeline->list, tick, nesting + 1);
  }
}

// Gives `object` a fresh timeline playing `loaded` from its first frame.
void ShowLoaded(DisplayObject& object, ClipAnchor& owner, std::shared_ptr<LoadedMovie> loaded, std::uint64_t tick,
                int nesting) {
  // The old contents go before the movie that made them.
  object.timeline.reset();
  object.hitArea.reset();
  object.morphed = nullptr;
  object.loaded = std::move(loaded);
  // The character id stays: the parent's timeline still knows the clip by it.
  object.character = object.loaded->frames;
  object.createdTick = tick;
  object.timeline = std::make_unique<TimelineState>();
  object.timeline->owner = &owner;
  object.timeline->runner = &object.loaded->runner;
  object.loaded->runner.GotoFrame(*object.timeline, FrameSource{object.loaded->movie.get(), object.loaded->frames.get()}, 0,
                                  nesting);
  MarkCreated(object.timeline->list, tick, nesting);
}

}  // namespace

LoadedMovie::LoadedMovie(std::shared_ptr<const Movie> m, DeviceFonts* fonts, const TimelineRunner& main)
    : movie(std::move(m)), frames(FramesOf(*movie)), dictionary(fonts), runner(*movie, dictionary, main) {}

std::shared_ptr<LoadedMovie> Player::Loaded(std::shared_ptr<const Movie> movie) {
  auto loaded = std::make_shared<LoadedMovie>(std::move(movie), dictionary_.Fonts(), runner_);
  // Its sounds play through a host of its own, which ends them when the movie goes.
  if (sound_) loaded->sound = sound_->ForLoadedMovie(loaded->movie);
  loaded->runner.SetSoundHost(loaded->sound.get());
  return loaded;
}

void Player::PutOnLevel(int level, std::shared_ptr<const Movie> movie) {
  if (level < 0 || level > kMaxLevel || !movie) return;
  auto loaded = Loaded(std::move(movie));
  if (level == 0) {
    // Everything the old main movie and the levels showed goes first.
    levels_.clear();
    root_.list.clear();
    root_.frame = -1;
    root_.playing = true;
    mainLoaded_ = std::move(loaded);
    root_.runner = &mainLoaded_->runner;
    mainLoaded_->runner.GotoFrame(root_, FrameSource{mainLoaded_->movie.get(), nullptr}, 0, 0);
    mainLoadedTick_ = runner_.Tick() + 1;
    MarkCreated(root_.list, mainLoadedTick_, 0);
    return;
  }
  levels_.erase(level);
  DisplayObject& object = levels_[level];
  object.name = "_level" + std::to_string(level);
  if (runner_.Hooks()) {
    object.anchor = std::make_shared<ClipAnchor>();
    object.anchor->object = &object;
    object.anchor->depth = static_cast<std::uint16_t>(level);
    object.anchor->serial = runner_.NextSerial();
  }
  ClipAnchor& owner = object.anchor ? *object.anchor : *rootAnchor_;
  ShowLoaded(object, owner, std::move(loaded), runner_.Tick() + 1, 0);
  if (runner_.Hooks() && object.anchor) runner_.Hooks()->ClipPlaced(*object.anchor, format::PlaceObject{});
}

void Player::RemoveLevel(int level) {
  if (level == 0) {
    levels_.clear();
    root_.list.clear();
    return;
  }
  levels_.erase(level);
}

bool Player::LoadIntoClip(ClipAnchor& clip, std::shared_ptr<const Movie> movie) {
  if (!clip.object || &clip == rootAnchor_.get() || !movie) return false;
  if (!clip.parent) {
    // A level's own clip: the level gets the new movie.
    for (const auto& [number, level] : levels_) {
      if (&level == clip.object) {
        PutOnLevel(number, std::move(movie));
        return true;
      }
    }
    return false;
  }
  const int nesting = clips_.Nesting(clip);
  if (nesting >= kMaxNesting) return false;
  auto loaded = Loaded(std::move(movie));
  ShowLoaded(*clip.object, clip, std::move(loaded), runner_.Tick() + 1, nesting);
  return true;
}

void Player::UnloadClip(ClipAnchor& clip) {
  if (&clip == rootAnchor_.get()) {
    RemoveLevel(0);
    return;
  }
  if (!clip.object) return;
  if (!clip.parent) {
    for (const auto& [number, level] : levels_) {
      if (&level == clip.object) {
        levels_.erase(number);
        return;
      }
    }
    return;
  }
  // The clip stays, empty, where it was.
  static const auto empty = [] {
    auto sprite = std::make_shared<format::SpriteDefinition>();
    sprite->frameEnds.push_back(0);
    return std::shared_ptr<const format::SpriteDefinition>(sprite);
  }();
  DisplayObject& object = *clip.object;
  object.timeline.reset();
  object.hitArea.reset();
  object.loaded.reset();
  object.character = empty;
  object.timeline = std::make_unique<TimelineState>();
  object.timeline->owner = &clip;
  object.timeline->frame = 0;
}

void Player::AdvanceLevels() {
  std::vector<int> numbers;
  for (const auto& [number, level] : levels_) numbers.push_back(number);
  for (int number : numbers) {
    // A frame script may unload any level, this one too.
    const auto found = levels_.find(number);
    if (found == levels_.end()) continue;
    DisplayObject& level = found->second;
    if (!level.loaded || !level.timeline || level.createdTick >= runner_.Tick()) continue;
    level.loaded->runner.AdvanceAll(*level.timeline, FrameSource{level.loaded->movie.get(), level.loaded->frames.get()});
  }
}

ClipAnchor* ClipControl::Level(int level) {
  if (level == 0) return &rootAnchor_;
  if (!levels_) return nullptr;
  const auto found = levels_->find(level);
  return found == levels_->end() ? nullptr : found->second.anchor.get();
}

int ClipControl::LevelOf(const ClipAnchor& clip) const {
  const ClipAnchor* top = &clip;
  for (int guard = 0; top->parent && guard < 256; ++guard) top = top->parent.get();
  if (top == &rootAnchor_ || !top->object || !levels_) return 0;
  for (const auto& [number, level] : *levels_) {
    if (&level == top->object) return number;
  }
  return 0;
}

TimelineRunner& ClipControl::RunnerOf(const TimelineState& timeline) const {
  return timeline.runner ? *timeline.runner : runner_;
}

TimelineRunner& ClipControl::RunnerAround(const ClipAnchor& clip) const {
  const ClipAnchor* parent = clip.parent.get();
  if (!parent || parent == &rootAnchor_) return RunnerOf(root_);
  if (parent->object && parent->object->timeline) return RunnerOf(*parent->object->timeline);
  return runner_;
}

SoundHost* ClipControl::SoundAround(const ClipAnchor& clip) const { return RunnerAround(clip).Sound(); }

const Movie& ClipControl::MovieOf(const ClipAnchor& clip) const {
  if (&clip == &rootAnchor_) return RunnerOf(root_).MovieData();
  if (clip.object && clip.object->timeline) return RunnerOf(*clip.object->timeline).MovieData();
  if (clip.parent) return MovieOf(*clip.parent);
  return movie_;
}

}  // namespace tavelin::swf::player
