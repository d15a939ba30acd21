// Sound objects: a sound exported by name attached and started, stopped, its volume and
// pan per clip, its length and position, and onSoundComplete when it ends. Loading
// sound files is not supported: loadSound reports onLoad(false).
//
// A Sound made on a clip shares that clip's channel with every other Sound made on it:
// setVolume and setPan scale the sounds those objects start, playing or not yet
// started. A Sound made without a clip speaks for the movie as a whole: its volume is
// the movie's own volume over every sound, its pan applies to the sounds the timelines
// and such Sound objects start.

#include <algorithm>
#include <cmath>

#include "swf/avm1/builtins.h"
#include "swf/avm1/sound_objects.h"
#include "swf/format/reader.h"
#include "swf/format/sound_decoder.h"
#include "swf/player/clip_control.h"
#include "swf/player/sound_host.h"

namespace tavelin::swf::avm1 {

// ---- channels and lengths ----

player::ChannelLevels SoundChannel::Levels() const {
  const double scale = std::max(volume, 0.0) / 100.0 / 100.0;
  const auto gain = [scale](double percent) { return std::clamp(percent * scale, 0.0, 1.0); };
  return {gain(leftToLeft), gain(rightToLeft), gain(leftToRight), gain(rightToRight)};
}

SoundChannel& SoundObjects::ChannelOf(player::ClipAnchor* clip) {
  if (!clip) return movie_;
  const auto found = clips_.find(clip);
  if (found != clips_.end() && !found->second.first.expired()) return found->second.second;
  if (found != clips_.end()) clips_.erase(found);  // a clip gone whose address came back
  if (clips_.size() >= 256) std::erase_if(clips_, [](const auto& entry) { return entry.second.first.expired(); });
  auto& entry = clips_[clip];
  entry.first = clip->weak_from_this();
  entry.second.id = nextChannel_++;
  return entry.second;
}

double SoundObjects::DurationOf(Interpreter& vm, std::uint16_t id) {
  if (!durationsRead_ && vm.Clips()) {
    durationsRead_ = true;
    const Movie& movie = vm.Clips()->MovieData();
    for (int frame = 0; frame < movie.FrameCount(); ++frame) {
      for (const Tag& tag : movie.FrameTags(frame)) {
        if (tag.code != tag_code::kDefineSound) continue;
        try {
          const format::SoundDefinition sound = format::DecodeDefineSound(movie.TagBody(tag));
          // The lowest rate is 5,512.5 samples a second, stored as 5,512.
          const double rate = sound.encoding.rate == 5512 ? 5512.5 : std::max(sound.encoding.rate, 1) * 1.0;
          durations_.emplace(sound.id, std::round(sound.sampleCount * 1000.0 / rate));
        } catch (const format::DecodeError&) {
        }
      }
    }
  }
  const auto found = durations_.find(id);
  return found == durations_.end() ? 0 : found->second;
}

void SoundObjects::Playing(Object* sound) {
  if (std::find(playing_.begin(), playing_.end(), sound) == playing_.end()) playing_.push_back(sound);
}

void SoundObjects::Finished(Object* sound) { std::erase(playing_, sound); }

void SoundObjects::Roots(std::vector<Cell*>& roots) const {
  for (Object* sound : playing_) roots.push_back(sound);
}

namespace {

// The native side of one Sound object, held in its primitive slot.
class SoundState final : public Object {
 public:
  SoundState() : Object(nullptr, ObjectKind::kSound) {}
  bool movieWide = true;
  std::string target;  // the clip's path, looked up at each call
  std::uint16_t soundId = 0;
  double duration = 0;  // milliseconds
  // The sound started last: its handle, when, from where and how often.
  std::uint32_t handle = 0;
  double startedAt = 0, offset = 0;
  int loops = 1;
  bool playing = false;
  double position = 0;  // where it stopped, milliseconds
};

SoundState* StateOf(const Value& self) {
  Object* object = self.AsObject();
  if (!object || object->kind != ObjectKind::kSound) return nullptr;
  Object* state = object->primitive.AsObject();
  return state && state->kind == ObjectKind::kSound ? static_cast<SoundState*>(state) : nullptr;
}

SoundObjects& Sounds(Interpreter& vm) {
  if (!vm.soundObjects) vm.soundObjects = std::make_unique<SoundObjects>();
  return *vm.soundObjects;
}

// The channel a Sound object speaks for; null when its clip cannot be found now (a
// clip renamed or removed since).
SoundChannel* ChannelFor(Interpreter& vm, SoundState& state) {
  if (state.movieWide) return &Sounds(vm).ChannelOf(nullptr);
  player::ClipAnchor* clip = vm.AnchorOf(vm.ResolveTarget(vm.RootClip(), state.target));
  if (!clip || (!clip->object && clip->parent)) return nullptr;
  return &Sounds(vm).ChannelOf(clip);
}

void Apply(Interpreter& vm, const SoundChannel& channel) {
  if (!vm.sound) return;
  player::SoundHost& host = vm.sound();
  if (channel.id == 0) host.SetSoundVolume(static_cast<int>(std::clamp(channel.volume, 0.0, 100.0)));
  SoundChannel shape = channel;
  if (channel.id == 0) shape.volume = 100;  // the movie's volume is applied apart
  host.SetChannelLevels(channel.id, shape.Levels());
}

double Now(Interpreter& vm) { return vm.Host().MovieMilliseconds(); }

// Milliseconds into the current pass of the playing sound; negative once it ended.
double PlayingPosition(Interpreter& vm, SoundState& state) {
  double played = -1;
  if (state.handle && vm.sound) {
    played = vm.sound().InstanceMilliseconds(state.handle);
  } else {
    played = Now(vm) - state.startedAt;
    const double total = (state.duration - state.offset) + state.duration * (state.loops - 1);
    if (played >= total) played = -1;
  }
  if (played < 0) return -1;
  if (state.duration <= 0) return 0;
  return std::fmod(state.offset + played, state.duration);
}

Value SoundCtor(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* object = self.AsObject();
  if (!object) return self;
  auto* state = vm.GetHeap().New<SoundState>();
  const Value target = Arg(args, 0);
  if (!target.IsNullish()) {
    state->movieWide = false;
    Object* clip = target.AsObject();
    if (!clip || clip->kind != ObjectKind::kClip) clip = vm.ResolveTarget(vm.RootClip(), vm.ToText(target));
    state->target = clip && vm.AnchorOf(clip) ? vm.TargetPath(clip) : vm.ToText(target);
  }
  object->kind = ObjectKind::kSound;
  object->primitive = Value(static_cast<Object*>(state));
  return self;
}

Value AttachSound(Interpreter& vm, const Value& self, std::span<const Value> args) {
  SoundState* state = StateOf(self);
  if (!state) return Value();
  std::string name = vm.ToText(Arg(args, 0));
  for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  const auto found = vm.exports.find(name);
  if (found == vm.exports.end()) return Value();
  const double duration = Sounds(vm).DurationOf(vm, found->second);
  if (duration <= 0) return Value();  // not a sound
  state->soundId = found->second;
  state->duration = duration;
  state->position = 0;
  return Value();
}

Value Start(Interpreter& vm, const Value& self, std::span<const Value> args) {
  SoundState* state = StateOf(self);
  if (!state || !state->soundId) return Value();
  SoundChannel* channel = ChannelFor(vm, *state);
  if (!channel) return Value();
  const double seconds = vm.ToNumber(Arg(args, 0));
  const double loops = vm.ToNumber(Arg(args, 1));
  state->offset = std::isfinite(seconds) && seconds > 0 ? std::min(seconds * 1000, state->duration) : 0;
  state->loops = std::isfinite(loops) && loops > 1 ? static_cast<int>(std::min(loops, 65535.0)) : 1;
  format::SoundInfo info;
  if (state->offset > 0) info.inPoint = static_cast<std::uint32_t>(state->offset * 44.1);
  info.loops = static_cast<std::uint16_t>(state->loops);
  state->handle = 0;
  if (vm.sound) {
    Apply(vm, *channel);
    state->handle = vm.sound().StartChannelSound(channel->id, state->soundId, info);
  }
  state->startedAt = Now(vm);
  state->playing = true;
  state->position = state->offset;
  Sounds(vm).Playing(self.object);
  return Value();
}

// Ends the sounds a stop asks for as the Sound objects see them: the ones on `channel`
// (every one for the movie's) of sound `id` (any for 0).
void MarkStopped(Interpreter& vm, int channelId, bool everyChannel, std::uint16_t id) {
  std::vector<Object*> stopped;
  for (Object* sound : Sounds(vm).PlayingNow()) {
    SoundState* state = StateOf(Value(sound));
    if (!state) continue;
    SoundChannel* channel = ChannelFor(vm, *state);
    const bool sameChannel = everyChannel || (channel && channel->id == channelId);
    if (!sameChannel || (id && state->soundId != id)) continue;
    const double at = PlayingPosition(vm, *state);
    state->position = at < 0 ? state->duration : at;
    state->playing = false;
    stopped.push_back(sound);
  }
  for (Object* sound : stopped) Sounds(vm).Finished(sound);
}

Value Stop(Interpreter& vm, const Value& self, std::span<const Value> args) {
  SoundState* state = StateOf(self);
  if (!state) return Value();
  SoundChannel* channel = ChannelFor(vm, *state);
  if (!channel) return Value();
  std::uint16_t id = 0;
  if (!Arg(args, 0).IsUndefined()) {
    std::string name = vm.ToText(args[0]);
    for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    const auto found = vm.exports.find(name);
    if (found == vm.exports.end()) return Value();
    id = found->second;
  }
  if (vm.sound) {
    if (channel->id == 0 && !id) {
      vm.sound().StopAllSounds();
    } else if (channel->id == 0) {
      vm.sound().StopSound(id);
    } else {
      vm.sound().StopChannelSound(channel->id, id);
    }
  }
  MarkStopped(vm, channel->id, channel->id == 0, id);
  return Value();
}

Value GetVolume(Interpreter& vm, const Value& self, std::span<const Value>) {
  SoundState* state = StateOf(self);
  SoundChannel* channel = state ? ChannelFor(vm, *state) : nullptr;
  return channel ? Value(channel->volume) : Value();
}

Value SetVolume(Interpreter& vm, const Value& self, std::span<const Value> args) {
  SoundState* state = StateOf(self);
  SoundChannel* channel = state ? ChannelFor(vm, *state) : nullptr;
  if (!channel) return Value();
  const double volume = vm.ToNumber(Arg(args, 0));
  if (!std::isfinite(volume)) return Value();
  channel->volume = std::trunc(volume);
  Apply(vm, *channel);
  return Value();
}

Value GetPan(Interpreter& vm, const Value& self, std::span<const Value>) {
  SoundState* state = StateOf(self);
  SoundChannel* channel = state ? ChannelFor(vm, *state) : nullptr;
  return channel ? Value(channel->pan) : Value();
}

Value SetPan(Interpreter& vm, const Value& self, std::span<const Value> args) {
  SoundState* state = StateOf(self);
  SoundChannel* channel = state ? ChannelFor(vm, *state) : nullptr;
  if (!channel) return Value();
  const double pan = vm.ToNumber(Arg(args, 0));
  if (!std::isfinite(pan)) return Value();
  channel->pan = std::trunc(std::clamp(pan, -100.0, 100.0));
  // Towards one side the other side fades; neither side crosses over.
  channel->leftToLeft = channel->pan > 0 ? 100 - channel->pan : 100;
  channel->rightToRight = channel->pan < 0 ? 100 + channel->pan : 100;
  channel->leftToRight = channel->rightToLeft = 0;
  Apply(vm, *channel);
  return Value();
}

Value GetTransform(Interpreter& vm, const Value& self, std::span<const Value>) {
  SoundState* state = StateOf(self);
  SoundChannel* channel = state ? ChannelFor(vm, *state) : nullptr;
  if (!channel) return Value();
  Object* transform = vm.NewObject();
  vm.Set(transform, vm.Intern("ll"), Value(channel->leftToLeft));
  vm.Set(transform, vm.Intern("lr"), Value(channel->leftToRight));
  vm.Set(transform, vm.Intern("rr"), Value(channel->rightToRight));
  vm.Set(transform, vm.Intern("rl"), Value(channel->rightToLeft));
  return Value(transform);
}

Value SetTransform(Interpreter& vm, const Value& self, std::span<const Value> args) {
  SoundState* state = StateOf(self);
  SoundChannel* channel = state ? ChannelFor(vm, *state) : nullptr;
  Object* transform = Arg(args, 0).AsObject();
  if (!channel || !transform) return Value();
  const auto read = [&](const char* name, double& into) {
    const Value value = vm.Get(transform, vm.Intern(name));
    const double number = vm.ToNumber(value);
    if (!value.IsUndefined() && std::isfinite(number)) into = std::trunc(number);
  };
  read("ll", channel->leftToLeft);
  read("lr", channel->leftToRight);
  read("rr", channel->rightToRight);
  read("rl", channel->rightToLeft);
  Apply(vm, *channel);
  return Value();
}

Value GetDuration(Interpreter&, const Value& self, std::span<const Value>) {
  SoundState* state = StateOf(self);
  return state ? Value(state->duration) : Value();
}

Value GetPosition(Interpreter& vm, const Value& self, std::span<const Value>) {
  SoundState* state = StateOf(self);
  if (!state) return Value();
  if (!state->playing) return Value(state->position);
  const double at = PlayingPosition(vm, *state);
  return Value(std::round(at < 0 ? state->duration : at));
}

Value LoadSound(Interpreter& vm, const Value& self, std::span<const Value>) {
  // Sound files are not loaded; the script hears that the load failed.
  if (!StateOf(self)) return Value();
  const Value no[] = {Value(false)};
  vm.CallMethod(self, vm.Names().onLoad, no);
  return Value();
}

Value Zero(Interpreter&, const Value& self, std::span<const Value>) {
  return StateOf(self) ? Value(0.0) : Value();
}

Value Nothing(Interpreter&, const Value&, std::span<const Value>) { return Value(); }

}  // namespace

void AllSoundsStopped(Interpreter& vm) {
  if (vm.soundObjects) MarkStopped(vm, 0, true, 0);
}

void PollSounds(Interpreter& vm) {
  if (!vm.soundObjects || vm.soundObjects->PlayingNow().empty()) return;
  std::vector<Object*> ended;
  for (Object* sound : vm.soundObjects->PlayingNow()) {
    SoundState* state = StateOf(Value(sound));
    if (!state || PlayingPosition(vm, *state) < 0) ended.push_back(sound);
  }
  String* onSoundComplete = vm.Name("onSoundComplete");
  for (Object* sound : ended) {
    vm.soundObjects->Finished(sound);
    SoundState* state = StateOf(Value(sound));
    if (!state) continue;
    state->playing = false;
    state->position = state->duration;
    try {
      vm.CallMethod(Value(sound), onSoundComplete, {});
    } catch (const ScriptThrow&) {
    }
  }
}

void InstallSound(Interpreter& vm) {
  vm.soundProto = vm.NewObject();
  Function* sound = vm.NewNative(SoundCtor, SoundCtor);
  vm.LinkConstructor(sound, vm.soundProto);
  vm.DefineValue(vm.global, "Sound", Value(sound));
  const std::pair<const char*, NativeFunction> methods[] = {
      {"getPan", GetPan},       {"getTransform", GetTransform}, {"getVolume", GetVolume}, {"setPan", SetPan},
      {"setTransform", SetTransform}, {"setVolume", SetVolume}, {"stop", Stop},  {"attachSound", AttachSound},
      {"start", Start}};
  for (const auto& [name, fn] : methods) vm.DefineNative(vm.soundProto, name, fn, 0, property_flag::kDontEnum | property_flag::kDontDelete);
  if (vm.Version() < 6) return;
  const std::pair<const char*, NativeFunction> later[] = {
      {"getDuration", GetDuration}, {"setDuration", Nothing}, {"getPosition", GetPosition}, {"setPosition", Nothing},
      {"loadSound", LoadSound},     {"getBytesLoaded", Zero}, {"getBytesTotal", Zero}};
  for (const auto& [name, fn] : later) vm.DefineNative(vm.soundProto, name, fn, 0, property_flag::kDontEnum | property_flag::kDontDelete);
  const std::pair<const char*, NativeFunction> properties[] = {{"duration", GetDuration}, {"position", GetPosition}};
  for (const auto& [name, fn] : properties) {
    String* key = vm.Name(name);
    Property& property = vm.soundProto->Put(vm.Key(key), key, Value(), property_flag::kDontEnum | property_flag::kDontDelete);
    property.getter = vm.NewNative(fn);
  }
}

}  // namespace tavelin::swf::avm1
