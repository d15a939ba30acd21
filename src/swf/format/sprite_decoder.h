#pragma once
// Decodes DefineSprite: a sprite's own tag list, split into its frames.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "swf/movie.h"

namespace tavelin::swf::format {

struct SpriteDefinition {
  std::uint16_t id = 0;
  // The sprite's control tags in order, without ShowFrame and End; offsets are into the
  // same data as the tag that defined the sprite (Movie::Data()).
  std::vector<Tag> tags;
  // frameEnds[f] is the index in tags just past frame f's last tag; at least one frame.
  std::vector<std::size_t> frameEnds;
  // Whether the last frame ended with ShowFrame and then the End tag: only then does
  // the sprite loop. A sprite cut short (tags after its last ShowFrame, or no End)
  // plays what it has and stays on its last frame, as one still loading would.
  bool loops = true;
  // The bytes of the sprite's tags (its definition without id and frame count).
  std::uint32_t byteLength = 0;

  int FrameCount() const { return static_cast<int>(frameEnds.size()); }
  // The frame after `frame` when the sprite plays on: the first after the last when it
  // loops; `frame` itself when it stays.
  int NextFrame(int frame) const {
    if (frame + 1 < FrameCount()) return frame + 1;
    return loops ? 0 : frame;
  }
  std::span<const Tag> FrameTags(int frame) const;
};

// `body` is the DefineSprite tag's body, lying at `bodyOffset` in the movie's data.
SpriteDefinition DecodeDefineSprite(std::span<const std::uint8_t> body, std::uint32_t bodyOffset);

}  // namespace tavelin::swf::format
