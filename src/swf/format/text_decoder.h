#pragma once
// Decodes static text (DefineText 1–2) and text fields (DefineEditText).

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "swf/format/records.h"

namespace tavelin::swf::format {

struct GlyphEntry {
  std::uint32_t index = 0;  // into the font's glyphs
  std::int32_t advance = 0;  // twips to the next glyph
};

// A run of glyphs in one font, colour and size; the decoder carries forward the values
// a record leaves out, so each record stands on its own.
struct TextRecord {
  std::uint16_t fontId = 0;
  Rgba color;
  std::int32_t x = 0, y = 0;  // the first glyph's origin, in the text's twips
  std::uint16_t height = 0;   // the em size in twips
  std::vector<GlyphEntry> glyphs;
};

struct TextDefinition {
  std::uint16_t id = 0;
  Rect bounds;
  Matrix matrix;
  std::vector<TextRecord> records;
};

enum class TextAlign : std::uint8_t { kLeft, kRight, kCenter, kJustify };

struct EditTextDefinition {
  std::uint16_t id = 0;
  Rect bounds;
  bool wordWrap = false, multiline = false, password = false, html = false, border = false;
  bool useOutlines = false;  // draw with the embedded font's glyphs
  bool hasFont = false;
  std::uint16_t fontId = 0;
  std::string fontClass;
  std::uint16_t fontHeight = 240;  // twips
  Rgba color{0, 0, 0, 255};
  TextAlign align = TextAlign::kLeft;
  std::uint16_t leftMargin = 0, rightMargin = 0, indent = 0;
  std::int16_t leading = 0;
  std::string variableName;
  std::string initialText;  // as stored: UTF-8 (or the system's code page before version 6)
  bool readOnly = false, noSelect = false, autoSize = false;
  std::uint16_t maxLength = 0;  // 0: no limit
  // A border draws a background too unless told otherwise; their colours.
  bool background = false;
  Rgba backgroundColor{255, 255, 255, 255};
  Rgba borderColor{0, 0, 0, 255};
};

// `version` is 1 for DefineText (RGB colours), 2 for DefineText2 (RGBA).
TextDefinition DecodeDefineText(std::span<const std::uint8_t> body, int version);
EditTextDefinition DecodeDefineEditText(std::span<const std::uint8_t> body);

}  // namespace tavelin::swf::format
