#pragma once
// Display lists: the objects a timeline shows, by depth, each with its placement and,
// for sprites and buttons, the objects inside it.

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "swf/format/records.h"
#include "swf/player/character.h"
#include "swf/player/clip_anchor.h"
#include "swf/player/clip_drawing.h"

namespace tavelin::swf::player {

struct DisplayObject;
struct LoadedMovie;
class TimelineRunner;
struct TextFieldState;
using DisplayList = std::map<std::int32_t, DisplayObject>;

// A timeline in play: the main movie's or a sprite instance's.
struct TimelineState {
  int frame = -1;  // 0-based; -1 before the first frame ran
  DisplayList list;
  bool playing = true;  // stopped timelines stay on their frame
  ClipAnchor* owner = nullptr;  // the clip whose timeline this is
  // Sprites whose timeline streams sound: held while the instance lives (SoundHost).
  std::shared_ptr<void> soundToken;
  // The runner of the movie whose frames these are; null for the player's own movie.
  // A clip holding a movie loaded into it plays that movie's frames with its runner.
  TimelineRunner* runner = nullptr;
  // What scripts drew into the clip with its drawing methods, shown below its children;
  // null until a script first draws.
  std::shared_ptr<ClipDrawing> drawing;
  // The drawing's shape, or null.
  std::shared_ptr<const Shape> Drawn() const { return drawing ? drawing->AsShape() : nullptr; }
};

struct DisplayObjectFields {
  std::uint16_t characterId = 0;
  Character character;
  Matrix matrix;
  ColorTransform colorTransform;
  std::uint16_t ratio = 0;
  std::string name;
  std::uint16_t clipDepth = 0;  // above 0: a mask for the depths up to this one
  std::uint8_t blendMode = 0;
  bool visible = true;
  // A script's setMask: the clip whose shapes mask this object (none when empty or gone),
  // and on the other side, whether this object masks one so (it is then drawn only as
  // that mask).
  std::weak_ptr<ClipAnchor> scriptMask;
  bool masksByScript = false;

  // The parent's frame whose PlaceObject created this object (or gave it its current
  // character): rebuilding an earlier frame keeps the object when the same placement
  // made it.
  int placedInFrame = -1;
  // The player tick that created it; objects created this tick do not advance yet.
  std::uint64_t createdTick = 0;
  // The morph shape at `ratio`, for morph characters.
  std::shared_ptr<const Shape> morphed;
  // A movie loaded into this clip or level (its frames, characters and runner); kept
  // alive by every object it shows, and declared before them so it goes last.
  std::shared_ptr<LoadedMovie> loaded;
  // Sprites: their own timeline. Buttons: the objects of the state shown (frame unused).
  std::unique_ptr<TimelineState> timeline;
  // Buttons: the characters of the hit area, and the state shown (button_state).
  std::unique_ptr<TimelineState> hitArea;
  std::uint8_t buttonState = 0;
  // Keeps the player's count of live objects (see TimelineRunner).
  std::shared_ptr<void> liveToken;
  // Text fields: what scripts and typing made of it; null until first asked.
  std::shared_ptr<TextFieldState> field;
};

// The fields plus an anchor that follows the object through moves and goes null when it
// is destroyed.
struct DisplayObject : DisplayObjectFields {
  std::shared_ptr<ClipAnchor> anchor;

  DisplayObject() = default;
  DisplayObject(DisplayObject&& other) noexcept : DisplayObjectFields(std::move(other)), anchor(std::move(other.anchor)) {
    if (anchor) anchor->object = this;
  }
  DisplayObject& operator=(DisplayObject&& other) noexcept {
    if (this == &other) return *this;
    if (anchor && anchor->object == this) {
      anchor->removedName = name;
      anchor->object = nullptr;
    }
    DisplayObjectFields::operator=(std::move(other));
    anchor = std::move(other.anchor);
    if (anchor) anchor->object = this;
    return *this;
  }
  ~DisplayObject() {
    if (anchor && anchor->object == this) {
      anchor->removedName = name;
      anchor->object = nullptr;
    }
  }
};

}  // namespace tavelin::swf::player
