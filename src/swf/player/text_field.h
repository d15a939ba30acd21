#pragma once
// One text field as scripts and typing change it: its properties (the definition it
// was made from, as changed since), its text with a style per character, the style new
// text takes and the caret. The field is laid out again from this after each change.

#include <cstddef>
#include <cstdint>
#include <string>

#include "swf/format/text_decoder.h"
#include "swf/player/html_text.h"

namespace tavelin::swf::player {

// How a field follows its text's size.
enum class AutoSize : std::uint8_t { kNone, kLeft, kCenter, kRight };

// A field holds at most this many characters, however they arrive.
inline constexpr std::size_t kMaxFieldCharacters = 1 << 20;

struct TextFieldState {
  format::EditTextDefinition definition;  // initialText is not kept up to date
  StyledText content;
  TextStyle newStyle;  // the style of text typed or assigned as a whole
  bool input = false;  // typing edits it
  bool selectable = true;
  bool embedFonts = false;
  AutoSize autoSize = AutoSize::kNone;
  std::size_t caret = 0;
  int movieVersion = 6;

  // The text, line breaks as "\r".
  std::string Text() const;
  // Replaces the whole text with plain text in `newStyle`.
  void SetText(const std::string& text);
  // The text as HTML: a paragraph per line with its font, <B> and <I> around runs.
  std::string HtmlText() const;
  // Replaces the whole text with what the HTML says (tags dropped for a field that is
  // not HTML, which shows its text as it is).
  void SetHtmlText(const std::string& html);
  std::size_t Length() const { return content.text.size(); }

  // Editing at the caret; each returns whether the text changed.
  bool Insert(const std::u32string& text);
  bool Backspace();
  bool DeleteForward();
  // Removes the characters from `begin` to `end`, leaving the caret at `begin`.
  void Erase(std::size_t begin, std::size_t end);

  // Gives the characters from `begin` to `end` the parts of `style` that `which` names.
  struct StyleParts {
    bool face = false, size = false, color = false, bold = false, italic = false;
  };
  void ApplyStyle(std::size_t begin, std::size_t end, const TextStyle& style, const StyleParts& which);
  // The style of the character at `index` (newStyle past the end).
  const TextStyle& StyleAt(std::size_t index) const;

 private:
  std::uint16_t StyleIndex(const TextStyle& style);
};

// Makes the state of a field defined by `definition` with its initial content.
TextFieldState MakeFieldState(const format::EditTextDefinition& definition, StyledText content, int movieVersion);

// UTF-8 to and from code points.
std::u32string Utf8ToCodePoints(const std::string& text);
std::string CodePointsToUtf8(const std::u32string& text);

}  // namespace tavelin::swf::player
