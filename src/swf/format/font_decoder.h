#pragma once
// Decodes fonts: DefineFont (outlines only), DefineFont2/3 (outlines, codes, layout)
// and DefineFontInfo 1–2 (the codes and name of a DefineFont).

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "swf/format/records.h"

namespace tavelin::swf::format {

struct FontDefinition {
  std::uint16_t id = 0;
  std::string name;
  bool bold = false, italic = false;
  // Outlines in glyph units; each fills style 1 (the text's colour).
  std::vector<Shape> glyphs;
  // Character code of each glyph (UCS-2 for DefineFont2/3 with wide codes).
  std::vector<std::uint16_t> codes;
  // Glyph units per em: 1024, or 20480 for DefineFont3's finer outlines.
  double unitsPerEm = 1024;
  bool hasLayout = false;
  double ascent = 0, descent = 0, leading = 0;  // glyph units
  std::vector<double> advances;                 // glyph units, one per glyph with layout
};

struct FontInfoDefinition {
  std::uint16_t fontId = 0;
  std::string name;
  bool bold = false, italic = false;
  std::vector<std::uint16_t> codes;
};

FontDefinition DecodeDefineFont(std::span<const std::uint8_t> body);
// DefineFont2 (`version` 2) and DefineFont3 (`version` 3).
FontDefinition DecodeDefineFont2(std::span<const std::uint8_t> body, int version);
// DefineFontInfo (`version` 1) and DefineFontInfo2 (`version` 2).
FontInfoDefinition DecodeDefineFontInfo(std::span<const std::uint8_t> body, int version);

}  // namespace tavelin::swf::format
