#include "swf/player/text_layout.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "swf/player/device_fonts.h"
#include "swf/player/dictionary.h"
#include "swf/player/html_text.h"

namespace tavelin::swf::player {
namespace {

// Text fields keep their text this far (2 pixels) inside their bounds.
constexpr double kGutterTwips = 40;
// Glyphs of one text field; beyond this the rest is not drawn.
constexpr std::size_t kMaxFieldGlyphs = 20000;
constexpr double kDeviceUnitsPerEm = 1024;

Matrix Translate(double x, double y) { return {1, 0, 0, 1, x, y}; }
Matrix Scale(double s) { return {s, 0, 0, s, 0, 0}; }

ColorTransform Tint(Rgba c) {
  return {c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, c.a / 255.0f, 0, 0, 0, 0};
}

// A glyph source for one field: the embedded font or the system's.
struct FieldFont {
  std::shared_ptr<const Font> embedded;
  std::unordered_map<char32_t, std::size_t> indexOf;
  DeviceFonts* device = nullptr;
  std::string name;
  bool bold = false, italic = false;
  double unitsPerEm = 1024;
  double ascent = 0, descent = 0;  // font units

  bool Get(char32_t code, std::shared_ptr<const Shape>& outline, double& advance) const {
    if (embedded) {
      const auto it = indexOf.find(code);
      if (it == indexOf.end()) return false;
      const format::FontDefinition& def = embedded->definition;
      outline = embedded->glyphs[it->second];
      advance = it->second < def.advances.size() ? def.advances[it->second] : unitsPerEm * 0.6;
      return true;
    }
    DeviceGlyph glyph;
    if (!device || !device->Glyph(name, bold, italic, code, glyph)) return false;
    outline = glyph.outline;
    advance = glyph.advance;
    return true;
  }
};

struct LaidGlyph {
  std::shared_ptr<const Shape> outline;
  double x = 0;        // from the line's start, twips
  double advance = 0;  // twips
  double scale = 1;    // glyph units to twips
  ColorTransform tint;
  char32_t code = 0;
};

std::string LowerAscii(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return text;
}

FieldFont EmbeddedFont(std::shared_ptr<const Font> embedded) {
  FieldFont font;
  const format::FontDefinition& def = embedded->definition;
  for (std::size_t i = 0; i < def.codes.size() && i < embedded->glyphs.size(); ++i) font.indexOf.emplace(def.codes[i], i);
  font.unitsPerEm = def.unitsPerEm;
  font.ascent = def.hasLayout ? def.ascent : def.unitsPerEm * 0.8;
  font.descent = def.hasLayout ? def.descent : def.unitsPerEm * 0.2;
  font.embedded = std::move(embedded);
  return font;
}

FieldFont SystemFont(DeviceFonts* device, const TextStyle& style) {
  FieldFont font;
  font.device = device;
  font.name = style.face.empty() ? "_sans" : style.face;
  font.bold = style.bold;
  font.italic = style.italic;
  font.unitsPerEm = kDeviceUnitsPerEm;
  font.ascent = device->Ascent(font.name);
  font.descent = device->Descent(font.name);
  return font;
}

// The field's background (when `fill`) and border (when `line`).
std::shared_ptr<const Shape> FieldBackground(const Rect& b, const Rgba* fill, const Rgba* line) {
  auto shape = std::make_shared<Shape>();
  shape->bounds = b;
  StyleGroup group;
  if (fill) {
    FillStyle background;
    background.color = *fill;
    group.fills.push_back(background);
  }
  if (line) {
    LineStyle border;  // a crisp line one pixel wide
    border.width = 20;
    border.pixelHinting = true;
    border.color = *line;
    group.lines.push_back(border);
  }
  ShapePath path;
  path.fill1 = fill ? 1 : 0;
  path.line = line ? 1 : 0;
  path.start = {b.xMin, b.yMin};
  for (const Point p : {Point{b.xMax, b.yMin}, Point{b.xMax, b.yMax}, Point{b.xMin, b.yMax}, Point{b.xMin, b.yMin}}) {
    path.segments.push_back({p, p, false});
  }
  group.paths.push_back(path);
  shape->groups.push_back(group);
  return shape;
}

}  // namespace

std::shared_ptr<const Font> MakeFont(format::FontDefinition definition) {
  auto font = std::make_shared<Font>();
  FillStyle white;
  white.color = {255, 255, 255, 255};
  for (Shape& outline : definition.glyphs) {
    auto glyph = std::make_shared<Shape>(std::move(outline));
    if (glyph->groups.empty()) glyph->groups.emplace_back();
    glyph->groups.front().fills = {white};
    font->glyphs.push_back(std::move(glyph));
  }
  definition.glyphs.clear();
  font->definition = std::move(definition);
  return font;
}

std::shared_ptr<const Font> WithFontInfo(const Font& font, const format::FontInfoDefinition& info) {
  auto merged = std::make_shared<Font>(font);
  merged->definition.codes = info.codes;
  merged->definition.name = info.name;
  merged->definition.bold = info.bold;
  merged->definition.italic = info.italic;
  return merged;
}

std::shared_ptr<const TextCharacter> LayOutStaticText(const format::TextDefinition& text, const Dictionary& dictionary) {
  auto laid = std::make_shared<TextCharacter>();
  laid->bounds = text.bounds;
  for (const format::TextRecord& record : text.records) {
    const auto font = dictionary.FindAs<Font>(record.fontId);
    if (!font) continue;
    const double scale = record.height / font->definition.unitsPerEm;
    double x = record.x;
    for (const format::GlyphEntry& entry : record.glyphs) {
      if (entry.index < font->glyphs.size()) {
        laid->glyphs.push_back({font->glyphs[entry.index], text.matrix * Translate(x, record.y) * Scale(scale), Tint(record.color)});
      }
      x += entry.advance;
    }
  }
  return laid;
}

TextStyle FieldStyle(const format::EditTextDefinition& field, const Dictionary& dictionary) {
  const auto embedded = field.hasFont ? dictionary.FindAs<Font>(field.fontId) : nullptr;
  TextStyle base;
  base.face = embedded ? embedded->definition.name : "";
  // HTML text is regular unless its tags say otherwise; plain text takes the font's style.
  base.bold = !field.html && embedded && embedded->definition.bold;
  base.italic = !field.html && embedded && embedded->definition.italic;
  base.color = field.color;
  base.size = field.fontHeight;
  return base;
}

StyledText FieldContent(const format::EditTextDefinition& field, const Dictionary& dictionary, int movieVersion) {
  const TextStyle base = FieldStyle(field, dictionary);
  return field.html ? ParseHtmlText(field.initialText, base, movieVersion) : PlainText(field.initialText, base, movieVersion);
}

std::shared_ptr<const TextCharacter> LayOutEditText(const format::EditTextDefinition& field, const Dictionary& dictionary,
                                                    DeviceFonts* deviceFonts, int movieVersion) {
  return LayOutStyledField(field, FieldContent(field, dictionary, movieVersion), dictionary, deviceFonts);
}

std::shared_ptr<const TextCharacter> LayOutStyledField(const format::EditTextDefinition& field, const StyledText& styled,
                                                       const Dictionary& dictionary, DeviceFonts* deviceFonts) {
  auto laid = std::make_shared<TextCharacter>();
  laid->bounds = field.bounds;
  if (field.border || field.background) {
    laid->background = FieldBackground(field.bounds, field.background ? &field.backgroundColor : nullptr,
                                       field.border ? &field.borderColor : nullptr);
  }

  // The field's own font: embedded when it has outlines (a font the field names, or
  // for script-made fields asked to use embedded fonts, one named by its text's style),
  // otherwise the system's.
  const TextStyle base = field.hasFont || styled.styles.empty() ? FieldStyle(field, dictionary) : styled.styles.front();
  auto embedded = field.hasFont ? dictionary.FindAs<Font>(field.fontId) : nullptr;
  if (!field.hasFont && field.useOutlines) embedded = dictionary.FindFont(base.face, base.bold, base.italic);
  const bool useEmbedded = embedded && !embedded->glyphs.empty();
  if (!useEmbedded && !deviceFonts) return laid;
  const FieldFont baseFont = useEmbedded ? EmbeddedFont(embedded) : SystemFont(deviceFonts, base);

  // Styled runs pick fonts by face and style: an embedded font of that name and style,
  // else one of that name, else the field's own.
  std::unordered_map<std::string, FieldFont> fonts;
  const auto fontFor = [&](const TextStyle& style) -> const FieldFont& {
    const std::string key = LowerAscii(style.face) + (style.bold ? "|b" : "|") + (style.italic ? "i" : "");
    if (const auto it = fonts.find(key); it != fonts.end()) return it->second;
    FieldFont font = baseFont;
    if (useEmbedded) {
      if (auto match = dictionary.FindFont(style.face, style.bold, style.italic)) font = EmbeddedFont(std::move(match));
    } else {
      font = SystemFont(deviceFonts, style);
    }
    return fonts.emplace(key, std::move(font)).first->second;
  };

  const double baseScale = base.size / baseFont.unitsPerEm;
  const double lineHeight = (baseFont.ascent + baseFont.descent) * baseScale + field.leading;
  const double left = field.bounds.xMin + kGutterTwips + field.leftMargin;
  const double available = std::max(0.0, static_cast<double>(field.bounds.xMax) - kGutterTwips - field.rightMargin - left);

  StyledText text = styled;
  if (field.password) std::fill(text.text.begin(), text.text.end(), U'*');

  // Break into lines: at line breaks, and where a wrapping field runs out of width.
  std::vector<std::vector<LaidGlyph>> lines(1);
  double x = field.indent;
  std::size_t total = 0;
  for (std::size_t i = 0; i < text.text.size() && total < kMaxFieldGlyphs; ++i) {
    const char32_t c = text.text[i];
    if (c == U'\r' || c == U'\n') {
      if (c == U'\r' && i + 1 < text.text.size() && text.text[i + 1] == U'\n') ++i;
      lines.emplace_back();
      x = field.indent;
      continue;
    }
    const TextStyle& style = text.styles[text.styleOf[i]];
    const FieldFont& font = fontFor(style);
    LaidGlyph glyph;
    glyph.code = c;
    double advance = 0;
    if (!font.Get(c, glyph.outline, advance)) continue;
    glyph.scale = style.size / font.unitsPerEm;
    glyph.advance = advance * glyph.scale;
    glyph.tint = Tint(style.color);
    if (field.wordWrap && x + glyph.advance > available && !lines.back().empty() && c != U' ') {
      // Move the current word to a new line when the line holds something before it.
      auto& line = lines.back();
      std::size_t wordStart = line.size();
      while (wordStart > 0 && line[wordStart - 1].code != U' ') --wordStart;
      std::vector<LaidGlyph> word;
      if (wordStart > 0) {
        word.assign(line.begin() + static_cast<std::ptrdiff_t>(wordStart), line.end());
        line.resize(wordStart);
      }
      lines.emplace_back();
      x = 0;
      for (LaidGlyph& moved : word) {
        moved.x = x;
        x += moved.advance;
        lines.back().push_back(std::move(moved));
      }
    }
    glyph.x = x;
    x += glyph.advance;
    lines.back().push_back(std::move(glyph));
    ++total;
  }

  double baseline = field.bounds.yMin + kGutterTwips + baseFont.ascent * baseScale;
  for (std::size_t n = 0; n < lines.size(); ++n, baseline += lineHeight) {
    const auto& line = lines[n];
    double width = 0;
    for (const LaidGlyph& g : line) {
      if (g.code != U' ') width = std::max(width, g.x + g.advance);
    }
    laid->textWidth = std::max(laid->textWidth, width);
    double offset = left;
    if (field.align == format::TextAlign::kRight) offset += available - width;
    if (field.align == format::TextAlign::kCenter) offset += (available - width) / 2;
    for (const LaidGlyph& g : line) {
      if (g.outline) laid->glyphs.push_back({g.outline, Translate(offset + g.x, baseline) * Scale(g.scale), g.tint});
    }
  }
  laid->textHeight = static_cast<double>(lines.size()) * lineHeight;
  return laid;
}

}  // namespace tavelin::swf::player
