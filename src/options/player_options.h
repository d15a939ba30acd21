#pragma once
// The player options the store keeps between runs. One instance, owned by the main
// window and shared by reference: the library reads and writes it with the store,
// playback acts on it, and the menus' check marks are derived from it.

#include <cstdint>

namespace tavelin {

struct PlayerOptions {
  std::int32_t StepFrames = 60;  // frames a step key moves
  short QualityIndex = 0;        // item of the quality menu
  short ScaleIndex = 0;          // item of the scale-mode menu
  bool AutoPlay = false;         // restart a long movie that stopped near its start
  bool ListLoop = false;         // play the next file of the list when a movie ends
  bool MovieLoop = false;        // the movie control loops the movie
};

}  // namespace tavelin
