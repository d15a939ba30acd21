#pragma once
// Plays a movie's picture: the dictionary, the main timeline and every sprite instance,
// and the drawing of the current frame through the renderer.

#include <memory>
#include <string>

#include "swf/format/records.h"
#include "swf/framebuffer.h"
#include "swf/movie.h"
#include "swf/player/clip_control.h"
#include "swf/player/dictionary.h"
#include "swf/player/levels.h"
#include "swf/player/display_list.h"
#include "swf/player/sound_host.h"
#include "swf/player/timeline_runner.h"
#include "swf/render/renderer.h"

namespace tavelin::swf::player {

class DeviceFonts;

class Player {
 public:
  // Shows the movie's first frame. `deviceFonts` (may be null) draws text fields that
  // use the system's fonts; it must outlive the player.
  // `scripts` (may be null) is told of the timelines' scripts and runs them; it must
  // outlive the player.
  explicit Player(std::shared_ptr<const Movie> movie, DeviceFonts* deviceFonts = nullptr, ScriptHooks* scripts = nullptr);
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  // The main timeline's frames (those of the movie loaded into _level0, once one is).
  int FrameCount() const { return MainRunner().MovieData().FrameCount(); }
  // The main timeline's frame shown, 0-based.
  int CurrentFrame() const { return root_.frame; }
  // Whether the main timeline moves on with each frame (scripts may stop it while the
  // clips inside go on), and resuming it.
  bool MainTimelinePlaying() const { return root_.playing; }
  void PlayMainTimeline() { root_.playing = true; }
  // With scripts: whether the main timeline goes back to its first frame after its
  // last (the clips inside play on either way). Without scripts the caller's clock
  // decides which frame comes next.
  void SetMainTimelineLoops(bool loops) { rootLoops_ = loops; }

  // One frame of play: the main timeline moves on (after the last frame, back to the
  // first) and every sprite instance plays its next frame.
  void NextFrame();
  // Shows a frame of the main timeline (0-based, clamped) as the movie had it there;
  // sprite instances that stay keep their own frames.
  void GotoFrame(int frame);

  // The main timeline's frame (0-based) carrying `label`, compared without regard to
  // ASCII case; -1 when no frame has it.
  int FrameOfLabel(const std::string& label) const;

  // Draws the current frame over what `target` holds (the caller paints the
  // background). `stageTwipsToPixels` maps the stage's twips to target pixels.
  void Draw(Framebuffer& target, const Matrix& stageTwipsToPixels, render::Quality quality) const;

  // Where the movie's sound goes; null leaves it silent. The host must outlive the
  // player or be replaced first.
  void SetSoundHost(SoundHost* host);
  // The movie's sound, for scripts: a silent host when none is set.
  SoundHost& Sound();

  const DisplayList& Objects() const { return root_.list; }
  const Dictionary& Characters() const { return dictionary_; }
  Rgba BackgroundColor() const;
  const Movie& MovieData() const { return *movie_; }
  // Mouse and keys, in stage twips; without scripts they change nothing.
  void PointerMove(double x, double y);
  void PointerButton(bool down, double x, double y);
  void KeyDown(int virtualKey, int character);
  void KeyUp(int virtualKey);
  ScriptHooks::Cursor CursorAt(double x, double y) const;
  // What scripts do to clips: frames, properties, creating and removing them.
  ClipControl& Clips() { return clips_; }

  // Movies that scripts load (levels.cpp). `level` 0 replaces the main movie (and
  // clears every other level); the stage keeps its size. The new movie shows its first
  // frame at once and plays on from the next.
  void PutOnLevel(int level, std::shared_ptr<const Movie> movie);
  void RemoveLevel(int level);
  // The clip's timeline becomes the movie's; its placement stays. False when the clip
  // is gone or the main movie's root (use level 0).
  bool LoadIntoClip(ClipAnchor& clip, std::shared_ptr<const Movie> movie);
  // Empties a clip of what it showed (a loaded movie or its own frames).
  void UnloadClip(ClipAnchor& clip);

 private:
  // A movie ready to be put in place, its sounds given a host.
  std::shared_ptr<LoadedMovie> Loaded(std::shared_ptr<const Movie> movie);
  // Every level's clips play their next frame, lowest level first.
  void AdvanceLevels();

 public:

 private:
  std::shared_ptr<const Movie> movie_;
  Dictionary dictionary_;
  TimelineRunner runner_;
  TimelineState root_;
  // The movie loaded into _level0, whose runner then plays root_ (null until then).
  std::shared_ptr<LoadedMovie> mainLoaded_;
  // The tick the movie loaded into _level0 shows its first frame in (it plays on from
  // the next).
  std::uint64_t mainLoadedTick_ = 0;
  Levels levels_;
  TimelineRunner& MainRunner() { return root_.runner ? *root_.runner : runner_; }
  const TimelineRunner& MainRunner() const { return root_.runner ? *root_.runner : runner_; }
  SoundHost* sound_ = nullptr;
  bool rootLoops_ = true;
  std::shared_ptr<ClipAnchor> rootAnchor_ = std::make_shared<ClipAnchor>();
  ClipControl clips_;
};

}  // namespace tavelin::swf::player
