#pragma once
// The action interpreter: runs decoded programs on a stack of values with the scope
// chain, registers and targets of each version's rules, and offers the conversions,
// property access and calls the built-in classes use.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "swf/avm1/heap.h"
#include "swf/avm1/loading.h"
#include "swf/avm1/object.h"
#include "swf/format/action_decoder.h"

namespace tavelin::swf::player {
class ClipControl;
struct ClipAnchor;
class SoundHost;
}  // namespace tavelin::swf::player

namespace tavelin::swf::avm1 {

// Deepest nesting of script function calls; a deeper call stops the script. Calls
// also stop once the nested scripts take this much of the thread's stack, whichever
// comes first, so deep recursion never overflows it (the programs reserve 8 MB).
inline constexpr int kMaxCallDepth = 256;
// Builds with the address checker have stack frames several times larger: they get
// room for the same nesting.
#if defined(__SANITIZE_ADDRESS__)
#define TAVELIN_WIDE_FRAMES 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAVELIN_WIDE_FRAMES 1
#endif
#endif
#if defined(TAVELIN_WIDE_FRAMES)
inline constexpr std::uintptr_t kMaxScriptStackBytes = std::uintptr_t{4} << 20;
#else
inline constexpr std::uintptr_t kMaxScriptStackBytes = std::uintptr_t{1} << 20;
#endif
// Values on the operand stack of all running scripts together.
inline constexpr std::size_t kMaxStack = 1 << 20;
// Most getters and setters running inside one another; one more reads undefined.
inline constexpr std::size_t kMaxAccessorDepth = 64;
// Longest __proto__ chain followed.
inline constexpr int kMaxProtoChain = 256;
// A script running this long in one frame is stopped.
inline constexpr double kScriptSecondsLimit = 15.0;

// What the running scripts ask of the program around them.
class ScriptHost {
 public:
  virtual ~ScriptHost() = default;
  virtual void Trace(const std::string& line) = 0;
  // fscommand and getURL: the command or address and its argument or window.
  virtual void Command(const std::string& command, const std::string& argument) = 0;
  virtual void OpenAddress(const std::string& url, const std::string& window) = 0;
  // Milliseconds since the movie started, as the movie's clock runs.
  virtual double MovieMilliseconds() = 0;
  // Seconds of wall-clock time, for the running-time limit.
  virtual double WallSeconds() = 0;
  // A script ran too long (or too deep, or out of memory) and was stopped.
  virtual void ScriptStopped(const std::string& reason) { (void)reason; }
  // Starts fetching what a script asked to load; the answer goes to the machine's
  // LoadArrived or LoadFailed, at once or later. False: the host loads nothing.
  virtual bool Load(const LoadRequest& request) {
    (void)request;
    return false;
  }
  // Called every few thousand actions while a script runs, so the program around it
  // can keep its windows answering during a long script. Must not run scripts.
  virtual void StillRunning() {}
};

// A script value thrown by Throw (or by the machine, for errors scripts can catch).
struct ScriptThrow {
  Value value;
};
// The running script is stopped: too long, too deep or out of memory.
struct ScriptAbort {
  std::string reason;
};

class Interpreter;
class SoundObjects;

// Names looked up often, interned once.
struct CommonNames {
  String *prototype, *proto, *constructor, *constructor2, *length, *thisName, *root, *parent, *global, *arguments,
      *superName, *toString, *valueOf, *callee, *caller, *empty, *undefined, *null, *trueName, *falseName, *nan,
      *level0, *onEnterFrame, *onLoad, *onUnload, *onPress, *onRelease, *onReleaseOutside, *onRollOver, *onRollOut,
      *onDragOver, *onDragOut, *onMouseDown, *onMouseUp, *onMouseMove, *onKeyDown, *onKeyUp, *onData, *onConstruct,
      *message, *name;
};

class Interpreter {
 public:
  Interpreter(int version, player::ClipControl* clips, ScriptHost& host);
  ~Interpreter();
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  int Version() const { return version_; }
  bool CaseSensitive() const { return version_ >= 7; }
  Heap& GetHeap() { return heap_; }
  ScriptHost& Host() { return host_; }
  player::ClipControl* Clips() { return clips_; }
  const CommonNames& Names() const { return names_; }

  // Strings.
  String* Intern(std::string_view text) { return heap_.Intern(text); }
  String* Key(String* name) { return CaseSensitive() ? name : heap_.Folded(name); }

  // Conversions.
  double ToNumber(const Value& value);
  String* ToString(const Value& value);
  std::string ToText(const Value& value) { return ToString(value)->text; }
  bool ToBoolean(const Value& value) const;
  Value ToPrimitive(const Value& value, bool preferString = false);
  Object* ToObject(const Value& value);
  // An object's primitive value as operators see it: what valueOf (toString for a date)
  // answers, which may still be an object, or undefined when there is no such method.
  Value PrimitiveOrUndefined(const Value& value);
  Value Number(double n) { return Value(n); }
  String* TypeOf(const Value& value);
  bool Equals(const Value& a, const Value& b);        // ==
  bool StrictEquals(const Value& a, const Value& b) const;  // ===
  // a < b: true, false, or undefined (NaN involved).
  Value Less(const Value& a, const Value& b);

  // Properties (getters and setters run; clips answer their own properties and children).
  Value Get(Object* object, String* name);
  Value GetMember(const Value& target, String* name);
  // Runs the getter of `property` (found for `key`) on `object`, within the accessor limits.
  Value CallGetter(Object* object, String* key, const Property& property);
  void Set(Object* object, String* name, const Value& value);
  void SetMember(const Value& target, String* name, const Value& value);
  bool Has(Object* object, String* name);
  // Runs the watcher of `key` on `object`, if any, for a set of `value`: gives the value
  // to store instead. A watcher that throws leaves undefined stored.
  bool RunWatcher(Object* object, String* key, String* name, Value& value);
  bool WatchRunning(Object* object, String* key);
  // Stores what a watcher gave: in the property's own slot, and through its setter if it
  // has one.
  void SetWatched(Object* object, String* key, String* name, const Value& value);
  bool Delete(Object* object, String* name);
  // Finds `key` (already folded) on `object` or its prototypes; `owner` gets the object
  // holding it.
  Property* Find(Object* object, String* key, Object** owner = nullptr);
  void DefineNative(Object* object, std::string_view name, NativeFunction fn, int length = 0,
                    std::uint8_t flags = property_flag::kDontEnum);
  void DefineValue(Object* object, std::string_view name, const Value& value, std::uint8_t flags = property_flag::kDontEnum);
  Function* NewNative(NativeFunction fn, NativeFunction construct = nullptr);
  Object* NewObject(Object* proto = nullptr);
  Object* NewArray(std::span<const Value> items = {});
  // Gives a script-visible constructor its prototype and the prototype its constructor.
  void LinkConstructor(Function* ctor, Object* proto);
  std::size_t ArrayLength(Object* array);
  // An array's length as scripts see it (it may be negative), and setting it.
  std::int32_t SignedArrayLength(Object* array) const;
  void SetArrayLength(Object* array, std::int32_t length);
  // An element named `key` of `array` is being set: the length follows.
  void ElementWritten(Object* array, String* key);
  Value ArrayAt(Object* array, std::size_t i) { return Get(array, heap_.NumberName(i)); }
  void ArrayPush(Object* array, const Value& value);

  // Calls.
  Value Call(const Value& function, const Value& self, std::span<const Value> args, Object* home = nullptr);
  Value CallMethod(const Value& target, String* name, std::span<const Value> args);
  Value Construct(const Value& constructor, std::span<const Value> args);
  // Runs a constructor on an object already made (super(...)): a built-in one sets the
  // object up as it would a new one of its own.
  Value CallConstructor(const Value& constructor, Object* self, std::span<const Value> args, Object* home);
  // How many links from `self` the method's home is when the call starts (null home:
  // self's prototype; -1 when not on the chain), and `super` for that method.
  int SuperDepth(Object* self, Object* home);
  SuperObject* NewSuper(Object* self, int depth, Object* home);
  // super(...): the constructor above the method's level, run on the same object.
  void SuperCall(SuperObject* super, std::span<const Value> args, Value& result);
  [[noreturn]] void ThrowError(const std::string& message);

  // Running programs: a frame's or clip event's actions with `target` as their timeline.
  void RunProgram(const std::shared_ptr<const LoadedProgram>& program, Object* target);
  std::shared_ptr<const LoadedProgram> Load(std::shared_ptr<const format::ActionProgram> program);

  // Clips.
  Object* ClipFor(player::ClipAnchor& anchor);
  Object* RootClip();
  // _root as a clip's scripts see it: the main timeline of the level it lies in.
  Object* LevelRootOf(Object* clip);
  player::ClipAnchor* AnchorOf(Object* object) const;
  // The clip a reference means now: itself, or once removed, the clip now at its path
  // (itself when there is none).
  Object* Live(Object* object);
  // "_level0.a.b" for a clip.
  std::string TargetPath(Object* clip);
  // A clip named by a path ("/a/b", "_root.a", "a.b", "../x") from `base`; null when none.
  Object* ResolveTarget(Object* base, const std::string& path);

  // Well-known objects.
  Object* global = nullptr;
  Object* objectProto = nullptr;
  Object* functionProto = nullptr;
  Object* arrayProto = nullptr;
  Object* stringProto = nullptr;
  Object* numberProto = nullptr;
  Object* booleanProto = nullptr;
  Object* clipProto = nullptr;
  Object* buttonProto = nullptr;
  Object* textFieldProto = nullptr;
  Object* dateProto = nullptr;
  Object* errorProto = nullptr;
  Object* colorProto = nullptr;
  Object* soundProto = nullptr;
  Object* keyObject = nullptr;
  Object* mouseObject = nullptr;
  Object* stageObject = nullptr;
  // Stage.align, scaleMode and displayState as the movie last set them, normalized (kept
  // apart from the properties' slots, which take whatever a script assigns).
  struct StageSettings {
    std::string align, scaleMode = "showAll", displayState = "normal";
  } stageSettings;

  // Runs at once the first-frame scripts of a clip a script just made (attachMovie,
  // duplicateMovieClip), after its init object was copied.
  std::function<void(player::ClipAnchor&)> clipCreated;
  // A clip was duplicated: the copy takes the source's clip events, its load among them.
  std::function<void(player::ClipAnchor& source, player::ClipAnchor& copy)> clipDuplicated;
  // Extra roots (listeners, intervals) the machine keeps.
  std::function<void(std::vector<Cell*>&)> extraRoots;
  // Collects cells nothing reaches; only between scripts.
  void Collect();
  // The time budget of the frame being run starts now.
  void StartBudget();
  bool Running() const { return depth_ > 0; }

  // Interned names of `format` strings, for natives that take a fixed name.
  String* Name(std::string_view text) {
    String* s = heap_.Intern(text);
    s->pinned = true;
    return s;
  }

  // Movies and variables scripts asked to load (or unload), until the machine is done.
  LoadQueue loads;
  // The addresses loaded movies came from, for _url.
  std::unordered_map<const Movie*, std::string> movieUrls;

  std::vector<Object*> liveClips;  // clip objects, kept while their clip is on stage

  // Symbols exported by name (lower case), for attachMovie, and the classes
  // Object.registerClass linked to them, by character id.
  std::unordered_map<std::string, std::uint16_t> exports;
  std::unordered_map<std::uint16_t, Object*> registeredClasses;
  // Gives a clip of a registered symbol its class: prototype, then constructor.
  void ApplyRegisteredClass(Object* clip);

  // Timers of setInterval and setTimeout.
  struct Interval {
    int id = 0;
    Value function;         // or the object whose method runs
    String* method = nullptr;
    std::vector<Value> args;
    double period = 0;      // milliseconds
    double due = 0;         // movie milliseconds
    bool once = false;
  };
  std::vector<Interval> intervals;
  int nextIntervalId = 1;

  // What the keyboard and mouse last did, for Key, Mouse and _xmouse.
  struct Input {
    bool down[256] = {};
    int lastKey = 0;
    int lastCharacter = 0;
    double mouseX = 0, mouseY = 0;  // stage twips
    bool mouseDown = false;
  } input;
  // Asks the host to quit, go full screen, ... (fscommand) and clips being dragged.
  Object* dragged = nullptr;

  // The movie's sound, for Sound objects and StopSounds; unset until the machine has a
  // player. What the Sound objects keep between calls: their channels and the sounds
  // playing (builtins_sound.cpp).
  std::function<player::SoundHost&()> sound;
  std::unique_ptr<SoundObjects> soundObjects;
  // The field or clip with the keyboard focus (text_input.cpp).
  std::weak_ptr<player::ClipAnchor> focus;

 private:
  friend class Executor;
  void InstallBuiltins();

  int version_;
  player::ClipControl* clips_;
  ScriptHost& host_;
  Heap heap_;
  CommonNames names_{};
  std::vector<Value> stack_;
  // Getters and setters running, by object and name (see AccessorRunning).
  bool AccessorRunning(Object* object, String* key) const;
  struct AccessorCall {
    AccessorCall(Interpreter& vm, Object* object, String* key);
    ~AccessorCall();
    Interpreter& vm_;
  };
  std::vector<std::pair<Object*, String*>> accessorsRunning_;
  int depth_ = 0;
  int programsRunning_ = 0;  // frame and event programs under way (they are no calls)
  // The target the next script function called starts on, when not its own timeline
  // (taken by that call).
  Object* nextCallTarget_ = nullptr;
  // Where the outermost running call began on the stack.
  std::uintptr_t stackBase_ = 0;
  double budgetStart_ = 0;
  std::uint64_t actionsRun_ = 0;
  Value globalRegisters_[4];
};

}  // namespace tavelin::swf::avm1
