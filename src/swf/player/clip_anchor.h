#pragma once
// A stable handle on one object of a display list. Display objects move between map
// nodes when timelines are rebuilt; the anchor follows them, and reads null once the
// object is gone, so scripts holding a clip can tell it was removed.

#include <cstdint>
#include <memory>
#include <string>

namespace tavelin::swf::player {

struct DisplayObject;

struct ClipAnchor : std::enable_shared_from_this<ClipAnchor> {
  DisplayObject* object = nullptr;  // null once removed
  std::shared_ptr<ClipAnchor> parent;  // null for the main movie
  std::int32_t depth = 0;  // in its display list (scripts may go past the timeline's 16 bits)
  // The script machine's object for this clip (opaque to the player).
  void* script = nullptr;
  // Created by a script (attachMovie, duplicateMovieClip, createEmptyMovieClip): the
  // parent's timeline leaves it alone when it goes back.
  bool dynamic = false;
  // Creation order: frames run the newest clips first and the main movie last.
  std::uint64_t serial = 0;
  // The object's instance name when it was removed (scripts find clips again by path).
  std::string removedName;
  // The script machine ran the clip's unload handlers (once it was removed).
  bool unloadTold = false;
};

}  // namespace tavelin::swf::player
