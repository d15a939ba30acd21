#pragma once
// What the timelines tell a script machine while they run; the player works without one.

#include "swf/format/place_object.h"
#include "swf/movie.h"

namespace tavelin::swf::player {

struct ClipAnchor;
class Player;

class ScriptHooks {
 public:
  virtual ~ScriptHooks() = default;
  // The player is set up and about to show its first frame.
  virtual void Attached(Player& player) = 0;
  // A DoAction of the frame `clip`'s timeline just showed.
  virtual void FrameActions(ClipAnchor& clip, const Tag& tag) = 0;
  // A DoInitAction, DoABC-free ExportAssets or similar definition-time tag.
  virtual void DefinitionTag(ClipAnchor& timeline, const Tag& tag) = 0;
  // A sprite, button or text object was created on `clip`'s timeline by `place`.
  virtual void ClipPlaced(ClipAnchor& clip, const format::PlaceObject& place) = 0;
  // Around each frame the player plays (NextFrame), and after GotoFrame and the first
  // frame: the machine runs what the frame queued.
  virtual void FrameStarting() = 0;
  virtual void FrameFinished() = 0;
  // Input, in stage twips; the machine runs the handlers before it returns.
  virtual void PointerMove(double x, double y) = 0;
  virtual void PointerButton(bool down, double x, double y) = 0;
  virtual void Key(bool down, int virtualKey, int character) = 0;
  // What the pointer should look like over the stage point.
  enum class Cursor { kArrow, kHand, kIBeam };
  virtual Cursor CursorAt(double x, double y) = 0;
};

}  // namespace tavelin::swf::player
