#pragma once
// Movies that scripts load beside the main one: on a level of their own (_level1, ...,
// drawn above the main movie in level order), into a clip (whose timeline becomes the
// loaded movie's), or in place of the main movie (_level0). Each loaded movie keeps its
// own characters and runner, so character ids of different movies never meet.

#include <map>
#include <memory>
#include <string_view>

#include "swf/format/sprite_decoder.h"
#include "swf/movie.h"
#include "swf/player/dictionary.h"
#include "swf/player/display_list.h"
#include "swf/player/timeline_runner.h"

namespace tavelin::swf::player {

struct LoadedMovie {
  // `main` is the runner of the player's own movie, whose counters the new one shares.
  LoadedMovie(std::shared_ptr<const Movie> movie, DeviceFonts* fonts, const TimelineRunner& main);
  LoadedMovie(const LoadedMovie&) = delete;
  LoadedMovie& operator=(const LoadedMovie&) = delete;

  std::shared_ptr<const Movie> movie;
  // The movie's main timeline seen as a sprite of that movie, so the clip showing it
  // goes through frames, labels and counts as any other clip does.
  std::shared_ptr<const format::SpriteDefinition> frames;
  Dictionary dictionary;
  // Before the runner, which plays its sounds through it.
  std::shared_ptr<SoundHost> sound;
  TimelineRunner runner;
};

// The levels above _level0 by number; each object shows its loaded movie.
using Levels = std::map<int, DisplayObject>;

// Levels are numbered 0 to this.
inline constexpr int kMaxLevel = 16000;

// The number of a "_levelN" name (any case); -1 for other names and levels above the
// highest.
inline int LevelNumber(std::string_view name) {
  if (name.size() < 7 || name.size() > 12) return -1;
  constexpr std::string_view kPrefix = "_level";
  for (std::size_t i = 0; i < kPrefix.size(); ++i) {
    const char c = name[i] >= 'A' && name[i] <= 'Z' ? static_cast<char>(name[i] - 'A' + 'a') : name[i];
    if (c != kPrefix[i]) return -1;
  }
  int level = 0;
  for (std::size_t i = kPrefix.size(); i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return -1;
    level = level * 10 + (name[i] - '0');
  }
  return level <= kMaxLevel ? level : -1;
}

}  // namespace tavelin::swf::player
