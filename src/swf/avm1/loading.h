#pragma once
// Loads that scripts start (loadMovie, loadMovieNum, loadVariables, getURL to a level
// or clip, MovieClipLoader, LoadVars). The machine asks its host for the bytes; the
// host answers later, and the machine puts the result in place at the start of a frame.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "swf/movie.h"

namespace tavelin::swf::player {
struct ClipAnchor;
}

namespace tavelin::swf::avm1 {

class Object;

// What the host is asked to fetch: a movie, or text of name=value pairs.
struct LoadRequest {
  enum class Kind { kMovie, kVariables };
  int id = 0;
  Kind kind = Kind::kMovie;
  std::string url;
};

struct PendingLoad {
  enum class Into { kLevel, kClip, kObject };  // kObject: a LoadVars object
  enum class State { kNew, kAsked, kArrived, kFailed };
  LoadRequest request;
  Into into = Into::kLevel;
  int level = 0;
  std::weak_ptr<player::ClipAnchor> clip;
  // The MovieClipLoader told of the load's progress, or the LoadVars filled; kept
  // alive while the load is pending.
  Object* listener = nullptr;
  bool unload = false;  // empties the target instead of loading
  State state = State::kNew;
  std::shared_ptr<const Movie> movie;
  std::string text;
};

// Loads pending, oldest first; bounded so a script in a loop cannot queue without end.
struct LoadQueue {
  static constexpr std::size_t kMaxPending = 256;
  std::vector<PendingLoad> loads;
  int nextId = 1;
  bool Add(PendingLoad load) {
    if (loads.size() >= kMaxPending) return false;
    load.request.id = nextId++;
    loads.push_back(std::move(load));
    return true;
  }
};

// "a=1&b=x+y%21" as names and values, decoded.
std::vector<std::pair<std::string, std::string>> DecodeVariables(const std::string& text);

}  // namespace tavelin::swf::avm1
