#pragma once
// A small cartoon as Flash cartoons were made: a preloader frame whose script waits
// until every frame has arrived, a frame that stops at a play button (up, over and down
// pictures, a hit area, a click sound as the button is pressed), then frames that
// stream an MP3 tone and move a square across the stage. After the last frame the
// movie comes back round to the preloader and stops at the button again.

#include <cstdint>
#include <vector>

namespace tavelin::testing {

struct CartoonLayout {
  static constexpr int kStageWidth = 400, kStageHeight = 300;  // pixels
  // 3,456 samples a frame: three MP3 frames of 1,152 at 44.1 kHz.
  static constexpr double kFrameRate = 12.75;
  static constexpr int kButtonFrame = 2;      // 0-based: the frame that stops
  static constexpr int kFirstSoundFrame = 3;  // the first frame with a stream block
  // The button's square, centred on the stage, in stage pixels.
  static constexpr int kButtonLeft = 150, kButtonTop = 100, kButtonSize = 100;
  // Colours of the button's states (0xRRGGBB).
  static constexpr std::uint32_t kUpColour = 0xC02020, kOverColour = 0x20C020, kDownColour = 0x2020C0;
  // The click as the button is pressed: this many frames of the value kClickLevel.
  static constexpr int kClickFrames = 882;
  static constexpr std::int16_t kClickLevel = 1234;
};

// The cartoon with `soundFrames` frames of tone after the button.
std::vector<std::uint8_t> MakeCartoon(int soundFrames);

}  // namespace tavelin::testing
