#include "swf/format/button_decoder.h"

#include <algorithm>

#include "swf/format/place_object.h"
#include "swf/format/reader.h"

namespace tavelin::swf::format {

ButtonDefinition DecodeDefineButton(std::span<const std::uint8_t> body, int version) {
  Reader reader(body);
  ButtonDefinition button;
  button.id = reader.U16();
  std::size_t actionOffset = 0;
  if (version >= 2) {
    button.trackAsMenu = reader.U8() & 0x01;
    const std::size_t at = reader.Position();
    actionOffset = reader.U16();
    if (actionOffset) actionOffset += at;
  }
  for (;;) {
    const std::uint8_t flags = reader.U8();
    if (flags == 0) break;
    ButtonRecord record;
    record.hitTest = flags & 0x08;
    record.down = flags & 0x04;
    record.over = flags & 0x02;
    record.up = flags & 0x01;
    record.characterId = reader.U16();
    record.depth = reader.U16();
    record.matrix = reader.ReadMatrix();
    if (version >= 2) {
      record.colorTransform = reader.ReadColorTransform(true);
      if (flags & 0x10) SkipFilterList(reader);
      if (flags & 0x20) record.blendMode = reader.U8();
    }
    button.records.push_back(record);
  }
  // Damaged actions leave the button's looks intact.
  try {
    if (version == 1) {
      button.actions.push_back(ButtonAction{button_condition::kRelease, reader.Rest()});
    } else if (actionOffset && actionOffset < body.size()) {
      Reader actions(body.subspan(actionOffset));
      for (;;) {
        const std::size_t start = actions.Position();
        const std::size_t size = actions.U16();
        const std::uint16_t conditions = actions.U16();
        const std::size_t length = size ? std::min(size, actions.Remaining() + 4) - 4 : actions.Remaining();
        button.actions.push_back(ButtonAction{conditions, actions.Bytes(length)});
        if (size == 0 || actions.AtEnd()) break;
        (void)start;
      }
    }
  } catch (const DecodeError&) {
  }
  return button;
}

}  // namespace tavelin::swf::format
