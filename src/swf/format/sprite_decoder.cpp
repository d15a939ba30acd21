#include "swf/format/sprite_decoder.h"

#include <algorithm>

#include "swf/format/reader.h"

namespace tavelin::swf::format {
namespace {

constexpr std::size_t kMaxFrames = 65535;

}  // namespace

std::span<const Tag> SpriteDefinition::FrameTags(int frame) const {
  if (frame < 0 || frame >= FrameCount()) return {};
  const auto index = static_cast<std::size_t>(frame);
  const std::size_t begin = index == 0 ? 0 : frameEnds[index - 1];
  return std::span<const Tag>(tags).subspan(begin, frameEnds[index] - begin);
}

SpriteDefinition DecodeDefineSprite(std::span<const std::uint8_t> body, std::uint32_t bodyOffset) {
  Reader reader(body);
  SpriteDefinition sprite;
  sprite.id = reader.U16();
  reader.U16();  // the frame count the sprite declares: the ShowFrame tags decide
  bool ended = false;
  // A tag that runs past the sprite's end ends the sprite there: what came before it
  // still plays.
  while (reader.Remaining() >= 2) {
    const std::uint16_t codeAndLength = reader.U16();
    const auto code = static_cast<std::uint16_t>(codeAndLength >> 6);
    std::size_t length = codeAndLength & 0x3Fu;
    if (length == 0x3F) {
      if (reader.Remaining() < 4) break;
      length = reader.U32();
    }
    if (length > reader.Remaining()) break;
    const auto at = static_cast<std::uint32_t>(bodyOffset + reader.Position());
    reader.Skip(length);
    if (code == tag_code::kEnd) {
      ended = true;
      break;
    }
    if (code == tag_code::kShowFrame) {
      if (sprite.frameEnds.size() < kMaxFrames) sprite.frameEnds.push_back(sprite.tags.size());
      continue;
    }
    sprite.tags.push_back(Tag{code, at, static_cast<std::uint32_t>(length)});
  }
  const std::size_t shown = sprite.frameEnds.size();
  const bool trailing = sprite.tags.size() > (shown == 0 ? 0 : sprite.frameEnds.back());
  const std::size_t frames = std::min(kMaxFrames, std::max(shown + (trailing ? 1 : 0), std::size_t{1}));
  sprite.loops = ended && !trailing;
  sprite.byteLength = static_cast<std::uint32_t>(body.size() - std::min<std::size_t>(body.size(), 4));
  sprite.frameEnds.resize(std::min(sprite.frameEnds.size(), frames));
  while (sprite.frameEnds.size() < frames) sprite.frameEnds.push_back(sprite.tags.size());
  sprite.tags.resize(sprite.frameEnds.back());
  return sprite;
}

}  // namespace tavelin::swf::format
