#include "swf/format/place_object.h"

#include "swf/format/reader.h"

namespace tavelin::swf::format {
void SkipFilterList(Reader& reader) {
  const std::size_t count = reader.U8();
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t kind = reader.U8();
    switch (kind) {
      case 0: reader.Skip(23); break;  // drop shadow
      case 1: reader.Skip(9); break;   // blur
      case 2: reader.Skip(15); break;  // glow
      case 3: reader.Skip(27); break;  // bevel
      case 4:                           // gradient glow
      case 7: {                         // gradient bevel
        const std::size_t colors = reader.U8();
        reader.Skip(colors * 5 + 19);
        break;
      }
      case 5: {  // convolution
        const std::size_t columns = reader.U8();
        const std::size_t rows = reader.U8();
        reader.Skip(8 + columns * rows * 4 + 5);
        break;
      }
      case 6: reader.Skip(80); break;  // colour matrix
      default: throw DecodeError("unknown filter");
    }
  }
}

PlaceObject DecodePlaceObject(std::span<const std::uint8_t> body, int version, int movieVersion) {
  Reader reader(body);
  PlaceObject place;
  if (version == 1) {
    place.characterId = reader.U16();
    place.depth = reader.U16();
    place.matrix = reader.ReadMatrix();
    if (!reader.AtEnd()) place.colorTransform = reader.ReadColorTransform(false);
    return place;
  }
  const std::uint8_t flags = reader.U8();
  const std::uint8_t flags3 = version >= 3 ? reader.U8() : 0;
  place.depth = reader.U16();
  place.move = flags & 0x01;
  const bool hasImage = flags3 & 0x10;
  if ((flags3 & 0x08) || (hasImage && (flags & 0x02))) reader.String();  // class name
  if (flags & 0x02) place.characterId = reader.U16();
  if (flags & 0x04) place.matrix = reader.ReadMatrix();
  if (flags & 0x08) place.colorTransform = reader.ReadColorTransform(true);
  if (flags & 0x10) place.ratio = reader.U16();
  if (flags & 0x20) place.name = reader.String();
  if (flags & 0x40) place.clipDepth = reader.U16();
  if (flags3 & 0x01) SkipFilterList(reader);
  if (flags3 & 0x02) place.blendMode = reader.U8();
  if (flags3 & 0x04) reader.U8();  // cache as bitmap
  if (flags3 & 0x20) place.visible = reader.U8() != 0;
  if (flags3 & 0x40) reader.ReadRgba();  // opaque background
  if (flags & 0x80) {
    // Damaged handlers leave the placement itself intact.
    try {
      const auto events = [&]() -> std::uint32_t { return movieVersion >= 6 ? reader.U32() : reader.U16(); };
      reader.U16();
      events();
      for (;;) {
        const std::uint32_t which = events();
        if (which == 0) break;
        std::uint32_t size = reader.U32();
        PlaceObject::ClipAction action;
        action.events = which;
        if ((which & clip_event::kKeyPress) && size > 0) {
          action.keyCode = reader.U8();
          --size;
        }
        action.actions = reader.Bytes(size);
        place.clipActions.push_back(action);
      }
    } catch (const DecodeError&) {
    }
  }
  return place;
}

std::uint16_t DecodeRemoveObjectDepth(std::span<const std::uint8_t> body, int version) {
  Reader reader(body);
  if (version == 1) reader.U16();
  return reader.U16();
}

}  // namespace tavelin::swf::format
