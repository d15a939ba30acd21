#include "swf/player/text_field.h"

#include "platform/text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace tavelin::swf::player {
namespace {

// Styles one field keeps; beyond, new text reuses the last.
constexpr std::size_t kMaxStyles = 1000;

bool SameStyle(const TextStyle& a, const TextStyle& b) {
  return a.face == b.face && a.bold == b.bold && a.italic == b.italic && a.color == b.color && a.size == b.size;
}

std::string Escaped(const std::u32string& text, std::size_t begin, std::size_t end) {
  std::string out;
  for (std::size_t i = begin; i < end; ++i) {
    switch (text[i]) {
      case U'<': out += "&lt;"; break;
      case U'>': out += "&gt;"; break;
      case U'&': out += "&amp;"; break;
      case U'"': out += "&quot;"; break;
      default: out += CodePointsToUtf8(std::u32string(1, text[i]));
    }
  }
  return out;
}

std::string FontAttributes(const TextStyle& style, const TextStyle* outer) {
  std::string out;
  char buffer[64];
  if (!outer || outer->face != style.face) out += " FACE=\"" + (style.face.empty() ? std::string("Times New Roman") : style.face) + "\"";
  if (!outer || outer->size != style.size) {
    std::snprintf(buffer, sizeof buffer, " SIZE=\"%g\"", std::round(style.size / 20));
    out += buffer;
  }
  if (!outer || !(outer->color == style.color)) {
    std::snprintf(buffer, sizeof buffer, " COLOR=\"#%02X%02X%02X\"", style.color.r, style.color.g, style.color.b);
    out += buffer;
  }
  return out;
}

const char* AlignName(format::TextAlign align) {
  switch (align) {
    case format::TextAlign::kRight: return "RIGHT";
    case format::TextAlign::kCenter: return "CENTER";
    case format::TextAlign::kJustify: return "JUSTIFY";
    default: return "LEFT";
  }
}

}  // namespace

std::u32string Utf8ToCodePoints(const std::string& text) { return DecodeFieldText(text, 6); }

std::string CodePointsToUtf8(const std::u32string& text) {
  std::string out;
  for (char32_t c : text) AppendUtf8(out, c);
  return out;
}

TextFieldState MakeFieldState(const format::EditTextDefinition& definition, StyledText content, int movieVersion) {
  TextFieldState state;
  state.definition = definition;
  state.movieVersion = movieVersion;
  state.input = !definition.readOnly;
  state.selectable = !definition.noSelect;
  state.embedFonts = definition.useOutlines;
  state.autoSize = definition.autoSize ? AutoSize::kLeft : AutoSize::kNone;
  // Line breaks are kept as "\r", as scripts read them.
  for (char32_t& c : content.text) {
    if (c == U'\n') c = U'\r';
  }
  if (!content.styles.empty()) state.newStyle = content.styles.front();
  state.content = std::move(content);
  state.caret = state.content.text.size();
  return state;
}

std::string TextFieldState::Text() const {
  if (movieVersion >= 6) return CodePointsToUtf8(content.text);
  std::string out;
  for (char32_t c : content.text) out += static_cast<char>(c < 256 ? c : '?');
  return out;
}

const TextStyle& TextFieldState::StyleAt(std::size_t index) const {
  if (index < content.styleOf.size() && content.styleOf[index] < content.styles.size()) {
    return content.styles[content.styleOf[index]];
  }
  return newStyle;
}

std::uint16_t TextFieldState::StyleIndex(const TextStyle& style) {
  for (std::size_t i = 0; i < content.styles.size(); ++i) {
    if (SameStyle(content.styles[i], style)) return static_cast<std::uint16_t>(i);
  }
  if (content.styles.size() >= kMaxStyles) return static_cast<std::uint16_t>(content.styles.size() - 1);
  content.styles.push_back(style);
  return static_cast<std::uint16_t>(content.styles.size() - 1);
}

void TextFieldState::SetText(const std::string& text) {
  StyledText plain = PlainText(text, newStyle, movieVersion);
  for (char32_t& c : plain.text) {
    if (c == U'\n') c = U'\r';
  }
  if (plain.text.size() > kMaxFieldCharacters) plain.text.resize(kMaxFieldCharacters);
  plain.styleOf.resize(plain.text.size());
  content = std::move(plain);
  caret = std::min(caret, content.text.size());
}

void TextFieldState::SetHtmlText(const std::string& html) {
  if (!definition.html) {
    SetText(html);
    return;
  }
  StyledText parsed = ParseHtmlText(html, newStyle, movieVersion);
  // A paragraph's end is a line break, except after the last one.
  while (!parsed.text.empty() && parsed.text.back() == U'\n') {
    parsed.text.pop_back();
    parsed.styleOf.pop_back();
  }
  for (char32_t& c : parsed.text) {
    if (c == U'\n') c = U'\r';
  }
  if (parsed.text.size() > kMaxFieldCharacters) {
    parsed.text.resize(kMaxFieldCharacters);
    parsed.styleOf.resize(kMaxFieldCharacters);
  }
  content = std::move(parsed);
  if (content.styles.empty()) content.styles.push_back(newStyle);
  caret = std::min(caret, content.text.size());
}

std::string TextFieldState::HtmlText() const {
  if (!definition.html) return Text();
  std::string out;
  const std::u32string& text = content.text;
  if (text.empty()) return out;
  // Paragraph formats other than the defaults wrap each paragraph.
  std::string paragraphFormat;
  const auto attribute = [&](const char* name, int twips) {
    if (twips == 0) return;
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, " %s=\"%d\"", name, static_cast<int>(std::lround(twips / 20.0)));
    paragraphFormat += buffer;
  };
  attribute("LEFTMARGIN", definition.leftMargin);
  attribute("RIGHTMARGIN", definition.rightMargin);
  attribute("INDENT", definition.indent);
  attribute("LEADING", definition.leading);
  for (std::size_t begin = 0;;) {
    std::size_t end = begin;
    while (end < text.size() && text[end] != U'\r' && text[end] != U'\n') ++end;
    const TextStyle& paragraph = StyleAt(begin);
    if (!paragraphFormat.empty()) out += "<TEXTFORMAT" + paragraphFormat + ">";
    out += std::string("<P ALIGN=\"") + AlignName(definition.align) + "\">";
    out += "<FONT" + FontAttributes(paragraph, nullptr) + " LETTERSPACING=\"0\" KERNING=\"0\">";
    for (std::size_t run = begin; run < end;) {
      const TextStyle& style = StyleAt(run);
      std::size_t runEnd = run;
      while (runEnd < end && SameStyle(StyleAt(runEnd), style)) ++runEnd;
      const std::string font = FontAttributes(style, &paragraph);
      if (!font.empty()) out += "<FONT" + font + ">";
      if (style.bold) out += "<B>";
      if (style.italic) out += "<I>";
      out += Escaped(text, run, runEnd);
      if (style.italic) out += "</I>";
      if (style.bold) out += "</B>";
      if (!font.empty()) out += "</FONT>";
      run = runEnd;
    }
    out += "</FONT></P>";
    if (!paragraphFormat.empty()) out += "</TEXTFORMAT>";
    if (end >= text.size()) break;
    begin = end + 1;
  }
  return out;
}

bool TextFieldState::Insert(const std::u32string& text) {
  std::u32string accepted;
  for (char32_t c : text) {
    if (c == U'\n') c = U'\r';
    if (c == U'\r' && !definition.multiline) continue;
    accepted.push_back(c);
  }
  const std::size_t limit = definition.maxLength ? std::min<std::size_t>(definition.maxLength, kMaxFieldCharacters)
                                                 : kMaxFieldCharacters;
  if (content.text.size() >= limit) return false;
  if (accepted.size() > limit - content.text.size()) accepted.resize(limit - content.text.size());
  if (accepted.empty()) return false;
  caret = std::min(caret, content.text.size());
  // Typed text continues the style before the caret.
  const std::uint16_t style = caret > 0 ? content.styleOf[caret - 1] : StyleIndex(StyleAt(0));
  content.text.insert(caret, accepted);
  content.styleOf.insert(content.styleOf.begin() + static_cast<std::ptrdiff_t>(caret), accepted.size(), style);
  caret += accepted.size();
  return true;
}

void TextFieldState::Erase(std::size_t begin, std::size_t end) {
  end = std::min(end, content.text.size());
  begin = std::min(begin, end);
  content.text.erase(begin, end - begin);
  content.styleOf.erase(content.styleOf.begin() + static_cast<std::ptrdiff_t>(begin),
                        content.styleOf.begin() + static_cast<std::ptrdiff_t>(end));
  caret = begin;
}

bool TextFieldState::Backspace() {
  caret = std::min(caret, content.text.size());
  if (caret == 0) return false;
  Erase(caret - 1, caret);
  return true;
}

bool TextFieldState::DeleteForward() {
  caret = std::min(caret, content.text.size());
  if (caret == content.text.size()) return false;
  Erase(caret, caret + 1);
  return true;
}

void TextFieldState::ApplyStyle(std::size_t begin, std::size_t end, const TextStyle& style, const StyleParts& which) {
  end = std::min(end, content.text.size());
  // Each old style becomes one new style, looked up once.
  std::vector<std::int32_t> becomes(content.styles.size(), -1);
  for (std::size_t i = begin; i < end; ++i) {
    const std::uint16_t old = content.styleOf[i];
    if (old < becomes.size() && becomes[old] >= 0) {
      content.styleOf[i] = static_cast<std::uint16_t>(becomes[old]);
      continue;
    }
    TextStyle changed = StyleAt(i);
    if (which.face) changed.face = style.face;
    if (which.size) changed.size = style.size;
    if (which.color) changed.color = style.color;
    if (which.bold) changed.bold = style.bold;
    if (which.italic) changed.italic = style.italic;
    content.styleOf[i] = StyleIndex(changed);
    if (old < becomes.size()) becomes[old] = content.styleOf[i];
  }
}

}  // namespace tavelin::swf::player
