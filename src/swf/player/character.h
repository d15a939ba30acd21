#pragma once
// What the dictionary holds for each character id, in the form the player places and
// draws: shapes ready for the renderer, text turned into positioned glyphs, sprites and
// buttons as the definitions their instances are built from.

#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

#include "swf/format/button_decoder.h"
#include "swf/format/font_decoder.h"
#include "swf/format/morph_decoder.h"
#include "swf/format/records.h"
#include "swf/format/sprite_decoder.h"

namespace tavelin::swf::player {

// A font's glyphs as shapes filled with opaque white, so one prepared shape serves every
// colour: the text's colour is applied as a colour transform.
struct Font {
  format::FontDefinition definition;
  std::vector<std::shared_ptr<const Shape>> glyphs;
};

// One glyph of a text, placed in the text's own twips.
struct PlacedGlyph {
  std::shared_ptr<const Shape> glyph;
  Matrix matrix;
  ColorTransform tint;
};

// Static text and text fields alike: glyphs (and for fields, a border and background
// drawn beneath them).
struct TextCharacter {
  Rect bounds;
  std::vector<PlacedGlyph> glyphs;
  std::shared_ptr<const Shape> background;  // may be null
  // Text fields: the extent of the laid-out text, twips.
  double textWidth = 0, textHeight = 0;
};

struct MorphCharacter {
  format::MorphShapeDefinition definition;
};

using Character = std::variant<std::monostate, std::shared_ptr<const Shape>, std::shared_ptr<const MorphCharacter>,
                               std::shared_ptr<const format::SpriteDefinition>, std::shared_ptr<const TextCharacter>,
                               std::shared_ptr<const format::ButtonDefinition>, std::shared_ptr<const Font>,
                               std::shared_ptr<const Bitmap>>;

}  // namespace tavelin::swf::player
