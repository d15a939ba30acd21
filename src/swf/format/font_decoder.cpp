#include "swf/format/font_decoder.h"

#include <algorithm>

#include "swf/format/reader.h"
#include "swf/format/shape_decoder.h"

namespace tavelin::swf::format {
namespace {

// One glyph's outline from its slice of the tag; a damaged glyph is drawn as nothing
// rather than losing the whole font.
Shape ReadGlyph(std::span<const std::uint8_t> bytes) {
  try {
    Reader reader(bytes);
    return ReadBareShape(reader);
  } catch (const DecodeError&) {
    return Shape{};
  }
}

// Slices glyph i out of `table` given offsets relative to the table's start.
std::span<const std::uint8_t> GlyphBytes(std::span<const std::uint8_t> table, std::size_t begin, std::size_t end) {
  if (begin > table.size()) return {};
  end = std::min(std::max(end, begin), table.size());
  return table.subspan(begin, end - begin);
}

}  // namespace

FontDefinition DecodeDefineFont(std::span<const std::uint8_t> body) {
  Reader reader(body);
  FontDefinition font;
  font.id = reader.U16();
  const std::span<const std::uint8_t> table = reader.Rest();
  if (table.size() < 2) return font;  // a font without glyphs
  Reader offsets(table);
  // The first offset is also the offset table's size.
  const std::size_t firstOffset = offsets.U16();
  const std::size_t count = firstOffset / 2;
  std::vector<std::size_t> starts{firstOffset};
  for (std::size_t i = 1; i < count; ++i) starts.push_back(offsets.U16());
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t end = i + 1 < count ? starts[i + 1] : table.size();
    font.glyphs.push_back(ReadGlyph(GlyphBytes(table, starts[i], end)));
  }
  return font;
}

FontDefinition DecodeDefineFont2(std::span<const std::uint8_t> body, int version) {
  Reader reader(body);
  FontDefinition font;
  font.id = reader.U16();
  const std::uint8_t flags = reader.U8();
  const bool hasLayout = flags & 0x80;
  const bool wideOffsets = flags & 0x08;
  const bool wideCodes = flags & 0x04;
  font.italic = flags & 0x02;
  font.bold = flags & 0x01;
  reader.U8();  // language
  const std::size_t nameLength = reader.U8();
  const auto name = reader.Bytes(nameLength);
  font.name.assign(name.begin(), name.end());
  while (!font.name.empty() && font.name.back() == '\0') font.name.pop_back();
  if (version >= 3) font.unitsPerEm = 20480;

  const std::size_t count = reader.U16();
  const std::size_t tableStart = reader.Position();
  const std::span<const std::uint8_t> table = body.subspan(tableStart);
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < count; ++i) starts.push_back(wideOffsets ? reader.U32() : reader.U16());
  const std::size_t codeTableOffset = count > 0 ? (wideOffsets ? reader.U32() : reader.U16()) : reader.Position() - tableStart;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t end = i + 1 < count ? starts[i + 1] : codeTableOffset;
    font.glyphs.push_back(ReadGlyph(GlyphBytes(table, starts[i], end)));
  }
  if (codeTableOffset > table.size()) throw DecodeError("font code table outside the tag");
  Reader codes(table.subspan(codeTableOffset));
  for (std::size_t i = 0; i < count; ++i) font.codes.push_back(wideCodes ? codes.U16() : codes.U8());
  if (hasLayout) {
    font.hasLayout = true;
    font.ascent = codes.U16();
    font.descent = codes.U16();
    font.leading = codes.S16();
    for (std::size_t i = 0; i < count; ++i) font.advances.push_back(codes.S16());
    // Glyph bounds and kerning follow; drawing needs neither.
  }
  return font;
}

FontInfoDefinition DecodeDefineFontInfo(std::span<const std::uint8_t> body, int version) {
  Reader reader(body);
  FontInfoDefinition info;
  info.fontId = reader.U16();
  const auto name = reader.Bytes(reader.U8());
  info.name.assign(name.begin(), name.end());
  while (!info.name.empty() && info.name.back() == '\0') info.name.pop_back();
  const std::uint8_t flags = reader.U8();
  info.italic = flags & 0x04;
  info.bold = flags & 0x02;
  const bool wideCodes = version >= 2 || (flags & 0x01);
  if (version >= 2) reader.U8();  // language
  while (reader.Remaining() >= (wideCodes ? 2u : 1u)) info.codes.push_back(wideCodes ? reader.U16() : reader.U8());
  return info;
}

}  // namespace tavelin::swf::format
