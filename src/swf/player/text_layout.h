#pragma once
// Turns text definitions into glyphs placed in the text's twips: static text at the
// advances its records give, text fields by laying out their initial text in their
// bounds with the field's font, size, colour, margins and alignment (HTML text in the
// fonts, colours and sizes its tags choose).

#include <memory>
#include <string>

#include "swf/format/font_decoder.h"
#include "swf/format/text_decoder.h"
#include "swf/player/character.h"
#include "swf/player/html_text.h"

namespace tavelin::swf::player {

class Dictionary;
class DeviceFonts;

std::shared_ptr<const Font> MakeFont(format::FontDefinition definition);
// The font with the codes (and name and style) a DefineFontInfo gives it.
std::shared_ptr<const Font> WithFontInfo(const Font& font, const format::FontInfoDefinition& info);

std::shared_ptr<const TextCharacter> LayOutStaticText(const format::TextDefinition& text, const Dictionary& dictionary);
std::shared_ptr<const TextCharacter> LayOutEditText(const format::EditTextDefinition& field, const Dictionary& dictionary,
                                                    DeviceFonts* deviceFonts, int movieVersion);
// The style a field's definition gives its text, and its initial text in that style.
TextStyle FieldStyle(const format::EditTextDefinition& field, const Dictionary& dictionary);
StyledText FieldContent(const format::EditTextDefinition& field, const Dictionary& dictionary, int movieVersion);
// Lays out styled text in a field's bounds (the field's definition gives the rest).
std::shared_ptr<const TextCharacter> LayOutStyledField(const format::EditTextDefinition& field, const StyledText& text,
                                                       const Dictionary& dictionary, DeviceFonts* deviceFonts);

}  // namespace tavelin::swf::player
