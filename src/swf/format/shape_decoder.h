#pragma once
// Decodes DefineShape 1–4 and the bare outlines fonts and morph shapes are made of.

#include <cstdint>
#include <span>

#include "swf/format/reader.h"
#include "swf/format/records.h"

namespace tavelin::swf::format {

struct ShapeDefinition {
  std::uint16_t id = 0;
  Shape shape;
};

// `version` is 1 for DefineShape, 2, 3 and 4 for DefineShape2..4: it decides RGB or
// RGBA colours, the extended style counts, new style lists and LineStyle2.
ShapeDefinition DecodeDefineShape(std::span<const std::uint8_t> body, int version);

// Reads one fill style of a shape of the given version.
FillStyle ReadFillStyle(Reader& reader, int version);
// The caps, join, scaling and fill flags of a line style of the second kind (shapes of
// version 4 and morphs of version 2), and its miter limit. With hasFill set, a fill
// style follows in place of the colour.
void ReadLineStyle2Flags(Reader& reader, LineStyle& line);

// Reads shape records up to their end record into `shape`, whose last group holds the
// styles in force (more groups are added when the records bring new style lists; only
// shapes of version 2 and up can). Starts at the reader's position with the given style
// index widths.
void ReadShapeRecords(Reader& reader, int version, int fillBits, int lineBits, Shape& shape);

// A bare outline (a glyph, a morph shape's edges): index widths, then records, with no
// style lists. Its paths refer to styles the owner supplies.
Shape ReadBareShape(Reader& reader);

}  // namespace tavelin::swf::format
