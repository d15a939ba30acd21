#pragma once
// What scripts may do to the clips on the stage, by anchor: move through their frames,
// find them by name, read and change their placement, and create or remove clips. The
// script machine reaches the display lists only through this.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "swf/format/records.h"
#include "swf/movie.h"
#include "swf/player/clip_anchor.h"
#include "swf/player/display_list.h"

namespace tavelin::swf::player {

class TimelineRunner;
class SoundHost;
class Dictionary;
struct TextFieldState;

// The box around a rectangle after a matrix, in exact coordinates.
struct TransformedBox {
  double xMin, yMin, xMax, yMax;
};
TransformedBox TransformBox(const Matrix& m, const Rect& r);

// Scripts count depths from -16384 (the first timeline depth is 1); the display lists
// from 0.
inline constexpr int kScriptDepthOffset = 16384;
// The deepest depth a script may duplicate a clip to, in script terms.
inline constexpr int kMaxDuplicateDepth = 2130706428 - kScriptDepthOffset;
// Scripts may remove only what stands at script depths 0 up to this one.
inline constexpr int kMaxRemovableDepth = 2130690031;
inline bool RemovableDepth(std::int32_t listDepth) {
  return listDepth >= kScriptDepthOffset && std::int64_t{listDepth} - kScriptDepthOffset <= kMaxRemovableDepth;
}

class ClipControl {
 public:
  ClipControl(const Movie& movie, Dictionary& dictionary, TimelineRunner& runner, TimelineState& root,
              ClipAnchor& rootAnchor);

  ClipAnchor& Root() { return rootAnchor_; }
  // The levels the player keeps beside the main movie (set once by the player).
  void SetLevels(std::map<int, DisplayObject>* levels) { levels_ = levels; }
  // _levelN: the main movie's root for 0, null for a level nothing was loaded into.
  ClipAnchor* Level(int level);
  // The level a clip belongs to (0 for the main movie's clips).
  int LevelOf(const ClipAnchor& clip) const;
  // The movie whose frames `clip`'s timeline plays (for a clip without a timeline, that
  // of the timeline it lies on).
  const Movie& MovieOf(const ClipAnchor& clip) const;
  const Movie& MovieData() const { return movie_; }

  // The clip's timeline, or null for objects without one (or removed).
  TimelineState* Timeline(const ClipAnchor& clip);
  int FrameCount(const ClipAnchor& clip) const;
  // 0-based frame shown; 0 for clips without frames.
  int CurrentFrame(const ClipAnchor& clip);
  // Shows `frame` (0-based, clamped) and plays on from there or stops.
  void Goto(ClipAnchor& clip, int frame, bool play);
  void SetPlaying(ClipAnchor& clip, bool playing);
  // The 0-based frame carrying `label` (ASCII case ignored), -1 when none.
  int FrameOfLabel(const ClipAnchor& clip, std::string_view label) const;

  // A child of `parent` by instance name; case is ignored unless `exactCase`. Objects
  // without an anchor (shapes) are not found.
  ClipAnchor* Child(const ClipAnchor& parent, std::string_view name, bool exactCase);
  // The children with anchors, in depth order.
  std::vector<ClipAnchor*> Children(const ClipAnchor& parent);

  // The object's bounds in its own twips (empty when it draws nothing).
  Rect Bounds(const ClipAnchor& clip);
  // The clip's matrix to the stage's twips.
  Matrix ToStage(const ClipAnchor& clip) const;
  // Whether the stage point (twips) falls in the clip's bounds, or with `shapes`, in
  // one of its filled shapes.
  bool HitTest(const ClipAnchor& clip, double x, double y, bool shapes);

  // What scripts draw into the clip (made on first use); null for objects without a
  // timeline of their own.
  ClipDrawing* Drawing(ClipAnchor& clip);

  ClipAnchor* Attach(ClipAnchor& parent, std::uint16_t characterId, const std::string& name, int depth);
  ClipAnchor* CreateEmpty(ClipAnchor& parent, const std::string& name, int depth);
  ClipAnchor* Duplicate(ClipAnchor& clip, const std::string& name, int depth);
  // Removes a clip from its parent's list (the main movie stays).
  void Remove(ClipAnchor& clip);
  // Moves the clip to `depth`, swapping with whatever stood there.
  void SwapDepths(ClipAnchor& clip, int depth);
  // One above the highest depth in use, in script depths (0 at least).
  int NextHighestDepth(const ClipAnchor& parent);
  int Nesting(const ClipAnchor& clip) const;
  // Shows a button's state (button_state::kUp, kOver, kDown).
  void SetButtonState(ClipAnchor& button, std::uint8_t state);
  // The frontmost clip under the stage point (twips) that `wanted` accepts, looking
  // into sprites; null when none.
  ClipAnchor* FrontmostAt(double x, double y, const std::function<bool(ClipAnchor&)>& wanted);
  // A text field's variable name ("" when it has none).
  std::string FieldVariable(const ClipAnchor& field) const;
  // Shows `text` in a text field bound to a variable.
  void SetFieldText(ClipAnchor& field, const std::string& text);
  // A text field's editable state (made from its definition when first asked); null
  // for anything else. After changing it, ShowField lays the field out again (fitting
  // its bounds to its text when it sizes itself).
  TextFieldState* Field(ClipAnchor& field);
  void ShowField(ClipAnchor& field);
  // A new empty text field with `bounds` (twips, in the parent's space) at a script depth.
  ClipAnchor* CreateTextField(ClipAnchor& parent, const std::string& name, int depth, const Rect& bounds);
  // Where the sounds of the movie `clip` belongs to play (null: silent).
  SoundHost* SoundAround(const ClipAnchor& clip) const;
  // Every clip on the stage, newest first (the order frames and events run in).
  std::vector<ClipAnchor*> AllClips();

 private:
  DisplayList* ParentList(const ClipAnchor& clip);
  TimelineRunner& RunnerOf(const TimelineState& timeline) const;
  // The runner of the timeline `clip` lies on (its movie's characters and frames).
  TimelineRunner& RunnerAround(const ClipAnchor& clip) const;
  std::int32_t ListDepth(int scriptDepth) const;

  const Movie& movie_;
  Dictionary& dictionary_;
  TimelineRunner& runner_;
  TimelineState& root_;
  ClipAnchor& rootAnchor_;
  std::map<int, DisplayObject>* levels_ = nullptr;
};

}  // namespace tavelin::swf::player
