#pragma once
// Turns text definitions into glyphs placed in the text's twips: static text at the
// advances its records give, text fields by laying out their initial text in their
// bounds with the field's font, size, colour, margins and alignment.

#include <memory>
#include <string>

#include "swf/format/font_decoder.h"
#include "swf/format/text_decoder.h"
#include "swf/player/character.h"

namespace tavelin::swf::player {

class Dictionary;
class DeviceFonts;

std::shared_ptr<const Font> MakeFont(format::FontDefinition definition);
// The font with the codes (and name and style) a DefineFontInfo gives it.
std::shared_ptr<const Font> WithFontInfo(const Font& font, const format::FontInfoDefinition& info);

std::shared_ptr<const TextCharacter> LayOutStaticText(const format::TextDefinition& text, const Dictionary& dictionary);
std::shared_ptr<const TextCharacter> LayOutEditText(const format::EditTextDefinition& field, const Dictionary& dictionary,
                                                    DeviceFonts* deviceFonts, int movieVersion);

// The visible text of an HTML text field: tags dropped, line-breaking tags turned into
// line breaks, the common entities decoded.
std::string StripHtml(const std::string& html);

}  // namespace tavelin::swf::player
