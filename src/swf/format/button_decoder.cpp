#include "swf/format/button_decoder.h"

#include "swf/format/place_object.h"
#include "swf/format/reader.h"

namespace tavelin::swf::format {

ButtonDefinition DecodeDefineButton(std::span<const std::uint8_t> body, int version) {
  Reader reader(body);
  ButtonDefinition button;
  button.id = reader.U16();
  if (version >= 2) {
    reader.U8();   // track as menu
    reader.U16();  // offset to the actions
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
  return button;
}

}  // namespace tavelin::swf::format
