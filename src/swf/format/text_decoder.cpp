#include "swf/format/text_decoder.h"

#include <algorithm>
#include <cstdint>

#include "swf/format/reader.h"

namespace tavelin::swf::format {

TextDefinition DecodeDefineText(std::span<const std::uint8_t> body, int version) {
  Reader reader(body);
  TextDefinition text;
  text.id = reader.U16();
  text.bounds = reader.ReadRect();
  text.matrix = reader.ReadMatrix();
  const int glyphBits = reader.U8();
  const int advanceBits = reader.U8();
  TextRecord state;
  std::int64_t penX = 0;
  for (;;) {
    const std::uint8_t flags = reader.U8();
    if (flags == 0) break;
    TextRecord record = state;
    record.glyphs.clear();
    if (flags & 0x08) record.fontId = reader.U16();
    if (flags & 0x04) record.color = version >= 2 ? reader.ReadRgba() : reader.ReadRgb();
    if (flags & 0x01) penX = reader.S16();
    if (flags & 0x02) record.y = reader.S16();
    if (flags & 0x08) record.height = reader.U16();
    record.x = static_cast<std::int32_t>(penX);
    const std::size_t count = reader.U8();
    for (std::size_t i = 0; i < count; ++i) {
      GlyphEntry glyph;
      glyph.index = reader.Bits(glyphBits);
      glyph.advance = reader.SignedBits(advanceBits);
      penX += glyph.advance;
      record.glyphs.push_back(glyph);
    }
    reader.Align();
    penX = std::clamp<std::int64_t>(penX, INT32_MIN, INT32_MAX);
    state = record;
    text.records.push_back(std::move(record));
  }
  return text;
}

EditTextDefinition DecodeDefineEditText(std::span<const std::uint8_t> body) {
  Reader reader(body);
  EditTextDefinition edit;
  edit.id = reader.U16();
  edit.bounds = reader.ReadRect();
  const std::uint8_t flags1 = reader.U8();
  const std::uint8_t flags2 = reader.U8();
  const bool hasText = flags1 & 0x80;
  edit.wordWrap = flags1 & 0x40;
  edit.multiline = flags1 & 0x20;
  edit.password = flags1 & 0x10;
  edit.readOnly = flags1 & 0x08;
  const bool hasColor = flags1 & 0x04;
  const bool hasMaxLength = flags1 & 0x02;
  edit.hasFont = flags1 & 0x01;
  const bool hasFontClass = flags2 & 0x80;
  const bool hasLayout = flags2 & 0x20;
  edit.autoSize = flags2 & 0x40;
  edit.noSelect = flags2 & 0x10;
  edit.border = flags2 & 0x08;
  edit.background = edit.border;
  edit.html = flags2 & 0x02;
  edit.useOutlines = flags2 & 0x01;
  if (edit.hasFont) edit.fontId = reader.U16();
  if (hasFontClass) edit.fontClass = reader.String();
  if (edit.hasFont || hasFontClass) edit.fontHeight = reader.U16();
  if (hasColor) edit.color = reader.ReadRgba();
  if (hasMaxLength) edit.maxLength = reader.U16();
  if (hasLayout) {
    const std::uint8_t align = reader.U8();
    edit.align = align <= 3 ? static_cast<TextAlign>(align) : TextAlign::kLeft;
    edit.leftMargin = reader.U16();
    edit.rightMargin = reader.U16();
    edit.indent = reader.U16();
    edit.leading = reader.S16();
  }
  edit.variableName = reader.String();
  if (hasText) edit.initialText = reader.String();
  return edit;
}

}  // namespace tavelin::swf::format
