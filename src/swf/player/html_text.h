#pragma once
// The text of a text field as styled runs: plain text in the field's own style, or
// HTML text whose tags (<b>, <i>, <font face color size>, <p>, <br>, <li>) change the
// style of what they enclose and whose entities are decoded. Other tags are dropped.

#include <cstdint>
#include <string>
#include <vector>

#include "swf/format/records.h"

namespace tavelin::swf::player {

struct TextStyle {
  std::string face;
  bool bold = false, italic = false;
  Rgba color;
  double size = 240;  // em size in twips
};

struct StyledText {
  std::u32string text;                // line breaks as '\n'
  std::vector<std::uint16_t> styleOf;  // one entry per character of `text`
  std::vector<TextStyle> styles;
};

// Text stored before movie version 6 is in the author's code page; Latin-1 is assumed.
std::u32string DecodeFieldText(const std::string& text, int movieVersion);

StyledText PlainText(const std::string& text, const TextStyle& style, int movieVersion);
StyledText ParseHtmlText(const std::string& html, const TextStyle& base, int movieVersion);

}  // namespace tavelin::swf::player
