// The machine's side of loading: requests go to the host when the scripts that made
// them have finished, answers are put in place at the start of the next frame, and
// MovieClipLoader listeners and LoadVars objects hear how it went.
#include <algorithm>

#include "swf/avm1/machine.h"
#include "swf/player/clip_control.h"

namespace tavelin::swf::avm1 {

namespace ce = format::clip_event;

namespace {
// Movies kept for the program cache before those no clip shows any more are let go.
constexpr std::size_t kKeptMovies = 16;

void ClearVariables(Object* clip) {
  std::vector<String*> names;
  for (const Property& property : clip->Properties()) names.push_back(property.key);
  for (String* name : names) clip->RemoveOwn(name);
}
}  // namespace

PendingLoad* Machine::FindLoad(int id) {
  for (PendingLoad& load : vm_->loads.loads) {
    if (load.request.id == id && load.state == PendingLoad::State::kAsked) return &load;
  }
  return nullptr;
}

void Machine::LoadArrived(int id, std::shared_ptr<const Movie> movie) {
  PendingLoad* load = FindLoad(id);
  if (!load) return;
  if (!movie || load->request.kind != LoadRequest::Kind::kMovie) {
    load->state = PendingLoad::State::kFailed;
    return;
  }
  load->movie = std::move(movie);
  load->state = PendingLoad::State::kArrived;
}

void Machine::TextArrived(int id, std::string text) {
  PendingLoad* load = FindLoad(id);
  if (!load) return;
  load->text = std::move(text);
  load->state = load->request.kind == LoadRequest::Kind::kVariables ? PendingLoad::State::kArrived : PendingLoad::State::kFailed;
}

void Machine::LoadFailed(int id) {
  if (PendingLoad* load = FindLoad(id)) load->state = PendingLoad::State::kFailed;
}

Object* Machine::LoadTarget(const PendingLoad& load) {
  if (!player_) return nullptr;
  if (load.into == PendingLoad::Into::kClip) {
    const auto clip = load.clip.lock();
    return clip && clip->object ? vm_->ClipFor(*clip) : nullptr;
  }
  if (load.into == PendingLoad::Into::kLevel) {
    player::ClipAnchor* level = player_->Clips().Level(load.level);
    return level ? vm_->ClipFor(*level) : nullptr;
  }
  return nullptr;
}

void Machine::SendLoads() {
  if (!player_) return;
  // Unloads take effect now; requests go to the host, which answers by id.
  std::vector<LoadRequest> asking;
  for (auto it = vm_->loads.loads.begin(); it != vm_->loads.loads.end();) {
    if (it->state != PendingLoad::State::kNew) {
      ++it;
      continue;
    }
    if (it->unload) {
      // The target's variables go with what it showed.
      if (Object* target = LoadTarget(*it)) ClearVariables(target);
      if (it->into == PendingLoad::Into::kLevel) {
        player_->RemoveLevel(it->level);
      } else if (const auto clip = it->clip.lock()) {
        player_->UnloadClip(*clip);
      }
      it = vm_->loads.loads.erase(it);
      continue;
    }
    it->state = PendingLoad::State::kAsked;
    asking.push_back(it->request);
    ++it;
  }
  for (const LoadRequest& request : asking) {
    if (!host_.Load(request)) LoadFailed(request.id);
  }
}

void Machine::KeepMovie(std::shared_ptr<const Movie> movie) {
  if (keptMovies_.size() >= kKeptMovies) {
    // A movie no clip holds any more: its cached programs go with it, so a later
    // movie at the same address never finds them.
    for (auto it = keptMovies_.begin(); it != keptMovies_.end();) {
      if (it->use_count() > 1) {
        ++it;
        continue;
      }
      const auto data = (*it)->Data();
      const auto inside = [&data](const std::uint8_t* at) { return at >= data.data() && at < data.data() + data.size(); };
      std::erase_if(programs_, [&](const auto& entry) { return inside(entry.first); });
      std::erase_if(clipPrograms_, [&](const auto& entry) { return inside(entry.first); });
      std::erase_if(initDone_, [&](const std::uint8_t* at) { return inside(at); });
      // Scripts stopped for time are known by their programs' addresses, which a later
      // movie's programs may take: they are forgiven rather than confused.
      tooLong_.clear();
      vm_->movieUrls.erase(it->get());
      it = keptMovies_.erase(it);
    }
  }
  keptMovies_.push_back(std::move(movie));
}

void Machine::FinishLoads(bool failuresOnly) {
  if (!player_) return;
  std::vector<PendingLoad> done;
  auto& loads = vm_->loads.loads;
  for (auto it = loads.begin(); it != loads.end();) {
    if ((it->state == PendingLoad::State::kArrived && !failuresOnly) || it->state == PendingLoad::State::kFailed) {
      done.push_back(std::move(*it));
      it = loads.erase(it);
    } else {
      ++it;
    }
  }
  for (PendingLoad& load : done) {
    const bool arrived = load.state == PendingLoad::State::kArrived;
    if (load.into == PendingLoad::Into::kObject) {
      // LoadVars: onData gets the text (undefined when it did not come) and decodes it.
      const Value text[] = {arrived ? Value(vm_->Intern(load.text)) : Value()};
      if (arrived && load.listener) {
        const Value size(static_cast<double>(load.text.size()));
        vm_->DefineValue(load.listener, "_bytesLoaded", size);
        vm_->DefineValue(load.listener, "_bytesTotal", size);
      }
      try {
        if (load.listener) vm_->CallMethod(Value(load.listener), vm_->Name("onData"), text);
      } catch (const ScriptThrow&) {
      } catch (const ScriptAbort& abort) {
        host_.ScriptStopped(abort.reason);
      }
      continue;
    }
    if (load.request.kind == LoadRequest::Kind::kVariables) {
      Object* target = LoadTarget(load);
      if (!arrived || !target) continue;
      for (const auto& [name, value] : DecodeVariables(load.text)) vm_->Set(target, vm_->Intern(name), Value(vm_->Intern(value)));
      ClipEvent(target, ce::kData, vm_->Names().onData);
      continue;
    }
    if (!arrived) {
      if (load.listener) {
        const Value args[] = {LoadTarget(load) ? Value(LoadTarget(load)) : Value(), Value(vm_->Intern("URLNotFound")), Value(0.0)};
        Broadcast(load.listener, vm_->Name("onLoadError"), args);
      }
      continue;
    }
    // The target's old variables go with its old movie; the clip object stays.
    if (Object* old = LoadTarget(load)) ClearVariables(old);
    KeepMovie(load.movie);
    vm_->movieUrls[load.movie.get()] = load.request.url;
    const double bytes = static_cast<double>(load.movie->Data().size());
    if (load.into == PendingLoad::Into::kLevel) {
      player_->PutOnLevel(load.level, load.movie);
    } else {
      const auto clip = load.clip.lock();
      if (!clip || !player_->LoadIntoClip(*clip, load.movie)) continue;
    }
    if (!load.listener) continue;
    Object* target = LoadTarget(load);
    const Value start[] = {Value(target)};
    Broadcast(load.listener, vm_->Name("onLoadStart"), start);
    const Value progress[] = {Value(target), Value(bytes), Value(bytes)};
    Broadcast(load.listener, vm_->Name("onLoadProgress"), progress);
    const Value complete[] = {Value(target), Value(0.0)};
    Broadcast(load.listener, vm_->Name("onLoadComplete"), complete);
    loadsInitializing_.emplace_back(load.listener, target);
  }
}

void Machine::TellLoadsInitialized() {
  // What could not be loaded is told at the end of the frame that asked for it.
  FinishLoads(true);
  // The first frame of each loaded movie has run its scripts.
  const auto waiting = std::move(loadsInitializing_);
  loadsInitializing_.clear();
  for (const auto& [loader, target] : waiting) {
    const Value args[] = {Value(target)};
    Broadcast(loader, vm_->Name("onLoadInit"), args);
  }
  RunQueue();
}

}  // namespace tavelin::swf::avm1
