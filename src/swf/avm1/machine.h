#pragma once
// The script machine of one movie: answers the player's timelines (frame actions, init
// actions, exported symbols, placed clips and their event handlers), runs what they
// queue in the order a player does, runs timers and input events, and keeps the heap
// collected.

#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "swf/avm1/interpreter.h"
#include "swf/player/player.h"
#include "swf/player/script_hooks.h"

namespace tavelin::swf::avm1 {

// The heap is collected every this many frames.
inline constexpr int kCollectEveryFrames = 30;
// Queued scripts run in one frame at most; more are dropped (a goto loop, say).
inline constexpr std::size_t kMaxQueuedPerFrame = 100000;

// Whether the movie's scripts are ours to run: ActionScript 3 movies (a FileAttributes
// tag saying so) play their timeline without scripts.
bool RunsActionScript1(const Movie& movie);

class Machine final : public player::ScriptHooks {
 public:
  // `host` receives trace output and commands; it must outlive the machine. Pass the
  // machine to the player's constructor; the player then attaches itself.
  Machine(int version, ScriptHost& host);
  ~Machine() override;

  Interpreter& Vm() { return *vm_; }

  // ScriptHooks.
  void Attached(player::Player& player) override;
  void FrameActions(player::ClipAnchor& clip, const Tag& tag) override;
  void DefinitionTag(player::ClipAnchor& timeline, const Tag& tag) override;
  void ClipPlaced(player::ClipAnchor& clip, const format::PlaceObject& place) override;
  void FrameStarting() override;
  void FrameFinished() override;
  void PointerMove(double x, double y) override;
  void PointerButton(bool down, double x, double y) override;
  void Key(bool down, int virtualKey, int character) override;
  Cursor CursorAt(double x, double y) override;

  // Runs a clip event's handlers (the PlaceObject ones and the on... method) now.
  void ClipEvent(Object* clip, std::uint32_t event, String* method, int keyCode = 0);
  // Input from the program; coordinates in stage twips.
  void MouseMove(double x, double y);
  void MouseButton(bool down, double x, double y);
  void KeyDown(int code, int character);
  void KeyUp(int code);
  // Runs queued actions to the end (used after input events too).
  void RunQueue();
  // Calls `name` on every listener of Key, Mouse or Stage.
  void Broadcast(Object* source, String* name, std::span<const Value> args = {});

  bool Stopped() const { return stopped_; }

  // The host's answers to ScriptHost::Load, by request id; the result is put in place
  // at the start of the next frame the player plays.
  void LoadArrived(int id, std::shared_ptr<const Movie> movie);
  void TextArrived(int id, std::string text);
  void LoadFailed(int id);

 private:
  // Buttons and clips with button handlers.
  bool ActsAsButton(player::ClipAnchor& clip);
  player::ClipAnchor* ButtonAt(double x, double y);
  // Runs what a button transition (button_condition flag) asks of `clip`.
  void ButtonEvent(player::ClipAnchor& clip, std::uint16_t condition);
  void ShowButtonState(player::ClipAnchor& clip);
  void RunButtonKeys(int keyCode);
  // Text fields bound to variables show the variables' values.
  void UpdateBoundFields();
  std::unordered_map<player::ClipAnchor*, std::pair<std::weak_ptr<player::ClipAnchor>, std::string>> fieldTexts_;

  std::weak_ptr<player::ClipAnchor> hover_;
  std::weak_ptr<player::ClipAnchor> pressed_;

 private:
  struct Queued {
    std::shared_ptr<player::ClipAnchor> clip;
    std::shared_ptr<const LoadedProgram> program;
    // A clip event to run instead of a program (its handlers and its on... method).
    std::uint32_t event = 0;
    // Gives the clip the class registered for its symbol (by init actions that had not
    // run when it was placed), before its own scripts run.
    bool applyClass = false;
  };
  struct Handlers {
    std::weak_ptr<player::ClipAnchor> clip;
    std::vector<std::pair<format::PlaceObject::ClipAction, std::shared_ptr<const LoadedProgram>>> actions;
  };

  std::shared_ptr<const LoadedProgram> ProgramAt(const Movie& movie, const Tag& tag, std::size_t skip);
  std::shared_ptr<const LoadedProgram> ProgramOf(std::span<const std::uint8_t> bytes);
  void Run(const std::shared_ptr<const LoadedProgram>& program, Object* target);
  void RunIntervals();
  void CopyClipEvents(player::ClipAnchor& source, player::ClipAnchor& copy);
  // Queues a sprite's load event (its load handlers and onLoad), after what is queued.
  void QueueLoad(player::ClipAnchor& clip);
  // Runs the unload handlers and onUnload of the clips removed since last asked; true
  // when any ran.
  bool TellUnloaded();
  // Runs the queued scripts of `clip` and the clips inside it now.
  void RunNow(player::ClipAnchor& clip);
  void CollectClips(player::ClipAnchor& clip, std::vector<Object*>& out, int nesting);
  void Roots(std::vector<Cell*>& roots);
  // Loads (machine_loads.cpp): asks the host for what scripts queued and empties
  // what they unloaded; puts what arrived in place (or only tells of failures); tells
  // loaders their movie's first frame ran.
  void SendLoads();
  void FinishLoads(bool failuresOnly = false);
  void TellLoadsInitialized();
  PendingLoad* FindLoad(int id);
  Object* LoadTarget(const PendingLoad& load);
  void KeepMovie(std::shared_ptr<const Movie> movie);
  // Loaders waiting for onLoadInit, with their targets.
  std::vector<std::pair<Object*, Object*>> loadsInitializing_;
  // The movies whose programs are cached by address, kept while the cache may hold
  // them.
  std::vector<std::shared_ptr<const Movie>> keptMovies_;

  std::unique_ptr<Interpreter> vm_;
  ScriptHost& host_;
  player::Player* player_ = nullptr;
  std::deque<Queued> queue_;
  std::deque<Queued> initQueue_;
  std::unordered_map<const std::uint8_t*, std::shared_ptr<const LoadedProgram>> programs_;
  std::unordered_map<const std::uint8_t*, std::shared_ptr<const LoadedProgram>> clipPrograms_;
  std::unordered_set<const std::uint8_t*> initDone_;
  // Scripts stopped for running too long (their programs and function bodies): they
  // are not run again, so a movie that loops back to an endless script keeps playing
  // instead of stalling for the whole time limit every round.
  std::unordered_set<const void*> tooLong_;
  std::unordered_map<player::ClipAnchor*, Handlers> handlers_;
  int framesSinceCollect_ = 0;
  bool stopped_ = false;
  bool running_ = false;
};

}  // namespace tavelin::swf::avm1
