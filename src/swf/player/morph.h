#pragma once
// Blends a morph shape's start and end into the shape shown at a placement's ratio.

#include <cstdint>
#include <memory>

#include "swf/player/character.h"

namespace tavelin::swf::player {

// `ratio` 0 is the start shape, 65535 the end.
std::shared_ptr<const Shape> MorphAt(const MorphCharacter& morph, std::uint16_t ratio);

}  // namespace tavelin::swf::player
