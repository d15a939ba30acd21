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

  int FrameCount() const { return static_cast<int>(frameEnds.size()); }
  std::span<const Tag> FrameTags(int frame) const;
};

// `body` is the DefineSprite tag's body, lying at `bodyOffset` in the movie's data.
SpriteDefinition DecodeDefineSprite(std::span<const std::uint8_t> body, std::uint32_t bodyOffset);

}  // namespace tavelin::swf::format
