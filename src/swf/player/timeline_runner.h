#pragma once
// Runs timelines: a frame's tags change its display list (definitions go to the
// dictionary), sprite instances play their own frames, and going back to an earlier
// frame rebuilds the list as the movie had it there.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "swf/format/place_object.h"
#include "swf/movie.h"
#include "swf/player/dictionary.h"
#include "swf/player/display_list.h"
#include "swf/player/sound_host.h"
#include "swf/player/script_hooks.h"

namespace tavelin::swf::player {

// Sprites inside sprites deeper than this are not instantiated (a sprite that places
// itself would otherwise never end).
inline constexpr int kMaxNesting = 24;
// Objects alive at once in the whole movie; placements beyond it are ignored.
inline constexpr std::size_t kMaxObjects = 100000;

namespace button_state {
inline constexpr std::uint8_t kUp = 1, kOver = 2, kDown = 3, kHitArea = 4;
}

// The frames of one timeline: the main movie's or a sprite's.
struct FrameSource {
  const Movie* movie = nullptr;
  const format::SpriteDefinition* sprite = nullptr;

  int Count() const { return sprite ? sprite->FrameCount() : movie->FrameCount(); }
  std::span<const Tag> Tags(int frame) const { return sprite ? sprite->FrameTags(frame) : movie->FrameTags(frame); }
};

class TimelineRunner {
 public:
  TimelineRunner(const Movie& movie, Dictionary& dictionary);
  // A runner for a movie loaded beside `main`'s: both count ticks, creation order,
  // unnamed clips and live objects together, so the movies play as one stage.
  TimelineRunner(const Movie& movie, Dictionary& dictionary, const TimelineRunner& main);

  const Movie& MovieData() const { return movie_; }
  Dictionary& Characters() const { return dictionary_; }

  // Starts a new tick: objects created from now on wait for the next one to advance.
  void BeginTick() { ++counters_->tick; }
  std::uint64_t Tick() const { return counters_->tick; }
  // Shows frame `target` (clamped to the timeline): later frames run in order, an
  // earlier one is rebuilt from the first frame, keeping the objects that were there
  // all along. `nesting` is the timeline's depth below the main movie.
  void GotoFrame(TimelineState& timeline, const FrameSource& source, int target, int nesting);
  // Moves every sprite in `list` and below that existed before this tick on by one
  // frame, looping at its end.
  void AdvanceSprites(DisplayList& list, int nesting);
  // With scripts: every clip that existed before this tick plays its next frame, the
  // newest clip first and `root` (the main timeline) last, so frame scripts run in
  // the order players run them. Without `rootLoops` the main timeline stops on its
  // last frame instead of going back to the first; the clips go on.
  void AdvanceAll(TimelineState& root, const FrameSource& rootSource, bool rootLoops = true);
  // Shows a button's up, over or down state (or builds its hit area); children shown
  // in both states stay as they are.
  void ShowButtonState(DisplayObject& object, std::uint8_t state, int nesting);
  // Every clip below `list`, newest first.
  std::vector<ClipAnchor*> ClipsNewestFirst(DisplayList& list);

  std::size_t LiveObjects() const { return *liveObjects_; }
  // A new creation-order number (newest clips run their frames first).
  std::uint64_t NextSerial() { return counters_->nextSerial++; }
  // Scripts are told of frame actions and placed clips; null plays without them.
  void SetHooks(ScriptHooks* hooks) { hooks_ = hooks; }
  ScriptHooks* Hooks() const { return hooks_; }
  // A new object of `characterId` at `depth` of `parent`'s timeline (anything already
  // there is replaced); null when the budget is spent.
  DisplayObject* CreateAt(ClipAnchor& parent, TimelineState& timeline, std::uint16_t characterId, std::int32_t depth,
                          int nesting);

  // Where the sound tags of the frames run go (null: nowhere). While muted, frames run
  // without them, as when a jump passes over frames.
  void SetSoundHost(SoundHost* host) { sound_ = host; }
  SoundHost* Sound() const { return sound_; }
  void SetSoundMuted(bool muted) { soundMuted_ = muted; }

 private:
  void RunFrame(TimelineState& timeline, const FrameSource& source, int frame, int nesting, bool runScripts);
  void TellFrameActions(TimelineState& timeline, const FrameSource& source, int frame);
  void Rebuild(TimelineState& timeline, const FrameSource& source, int target, int nesting);
  void Place(TimelineState& timeline, const format::PlaceObject& place, int frame, int nesting);
  // A new object showing `characterId`, with sprite and button contents built; false
  // when the object budget is spent. With scripts, an object they can reach takes
  // `name`, or when none is given the next "instanceN" before its contents are built
  // (so a clip is numbered before the clips inside it).
  bool Create(DisplayObject& object, std::uint16_t characterId, int frame, int nesting, ClipAnchor* parent = nullptr,
              std::int32_t depth = 0, const std::string* name = nullptr);
  void ApplyPlacement(DisplayObject& object, const format::PlaceObject& place);

  const Movie& movie_;
  Dictionary& dictionary_;
  ScriptHooks* hooks_ = nullptr;
  struct Counters {
    std::uint64_t tick = 1;
    std::uint64_t nextSerial = 1;
    int unnamedClips = 0;
  };
  std::shared_ptr<Counters> counters_ = std::make_shared<Counters>();
  std::shared_ptr<std::size_t> liveObjects_ = std::make_shared<std::size_t>(0);
  SoundHost* sound_ = nullptr;
  bool soundMuted_ = false;
};

}  // namespace tavelin::swf::player
