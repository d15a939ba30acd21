#include "swf/player/text_layout.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "swf/player/device_fonts.h"
#include "swf/player/dictionary.h"

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

std::u32string DecodeText(const std::string& text, int movieVersion) {
  std::u32string out;
  if (movieVersion < 6) {
    // Older movies stored text in the author's code page; Latin-1 keeps ASCII right.
    for (char c : text) out.push_back(static_cast<unsigned char>(c));
    return out;
  }
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const int extra = byte < 0x80 ? 0 : (byte >> 5) == 6 ? 1 : (byte >> 4) == 14 ? 2 : (byte >> 3) == 30 ? 3 : -1;
    if (extra < 0 || (extra > 0 && i + static_cast<std::size_t>(extra) >= text.size())) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    char32_t code = extra == 0 ? byte : byte & (0x3F >> extra);
    bool valid = true;
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) valid = false;
      code = code << 6 | (next & 0x3F);
    }
    out.push_back(valid ? code : 0xFFFD);
    i += valid ? static_cast<std::size_t>(extra) + 1 : 1;
  }
  return out;
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
  char32_t code = 0;
};

std::shared_ptr<const Shape> FieldBackground(const Rect& b) {
  auto shape = std::make_shared<Shape>();
  shape->bounds = b;
  StyleGroup group;
  FillStyle white;
  white.color = {255, 255, 255, 255};
  group.fills.push_back(white);
  LineStyle border;
  border.width = 20;
  border.color = {0, 0, 0, 255};
  group.lines.push_back(border);
  ShapePath path;
  path.fill1 = 1;
  path.line = 1;
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

std::shared_ptr<const TextCharacter> LayOutEditText(const format::EditTextDefinition& field, const Dictionary& dictionary,
                                                    DeviceFonts* deviceFonts, int movieVersion) {
  auto laid = std::make_shared<TextCharacter>();
  laid->bounds = field.bounds;
  if (field.border) laid->background = FieldBackground(field.bounds);

  FieldFont font;
  const auto embedded = field.hasFont ? dictionary.FindAs<Font>(field.fontId) : nullptr;
  if (embedded && !embedded->glyphs.empty()) {
    font.embedded = embedded;
    const format::FontDefinition& def = embedded->definition;
    for (std::size_t i = 0; i < def.codes.size() && i < embedded->glyphs.size(); ++i) font.indexOf.emplace(def.codes[i], i);
    font.unitsPerEm = def.unitsPerEm;
    font.ascent = def.hasLayout ? def.ascent : def.unitsPerEm * 0.8;
    font.descent = def.hasLayout ? def.descent : def.unitsPerEm * 0.2;
  } else {
    if (!deviceFonts) return laid;
    font.device = deviceFonts;
    font.name = embedded ? embedded->definition.name : "_sans";
    font.bold = embedded && embedded->definition.bold;
    font.italic = embedded && embedded->definition.italic;
    font.unitsPerEm = kDeviceUnitsPerEm;
    font.ascent = deviceFonts->Ascent(font.name);
    font.descent = deviceFonts->Descent(font.name);
  }

  const double scale = field.fontHeight / font.unitsPerEm;
  const double lineHeight = (font.ascent + font.descent) * scale + field.leading;
  const double left = field.bounds.xMin + kGutterTwips + field.leftMargin;
  const double available = std::max(0.0, static_cast<double>(field.bounds.xMax) - kGutterTwips - field.rightMargin - left);

  std::u32string text = DecodeText(field.html ? StripHtml(field.initialText) : field.initialText, movieVersion);
  if (field.password) std::fill(text.begin(), text.end(), U'*');

  // Break into lines: at line breaks, and where a wrapping field runs out of width.
  std::vector<std::vector<LaidGlyph>> lines(1);
  double x = field.indent;
  std::size_t total = 0;
  for (std::size_t i = 0; i < text.size() && total < kMaxFieldGlyphs; ++i) {
    const char32_t c = text[i];
    if (c == U'\r' || c == U'\n') {
      if (c == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') ++i;
      lines.emplace_back();
      x = field.indent;
      continue;
    }
    LaidGlyph glyph;
    glyph.code = c;
    double advance = 0;
    if (!font.Get(c, glyph.outline, advance)) continue;
    glyph.advance = advance * scale;
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

  const ColorTransform tint = Tint(field.color);
  double baseline = field.bounds.yMin + kGutterTwips + font.ascent * scale;
  for (std::size_t n = 0; n < lines.size(); ++n, baseline += lineHeight) {
    const auto& line = lines[n];
    double width = 0;
    for (const LaidGlyph& g : line) {
      if (g.code != U' ') width = std::max(width, g.x + g.advance);
    }
    double offset = left;
    if (field.align == format::TextAlign::kRight) offset += available - width;
    if (field.align == format::TextAlign::kCenter) offset += (available - width) / 2;
    for (const LaidGlyph& g : line) {
      if (g.outline) laid->glyphs.push_back({g.outline, Translate(offset + g.x, baseline) * Scale(scale), tint});
    }
  }
  return laid;
}

std::string StripHtml(const std::string& html) {
  std::string out;
  for (std::size_t i = 0; i < html.size();) {
    if (html[i] == '<') {
      const std::size_t close = html.find('>', i);
      if (close == std::string::npos) break;
      std::string tag = html.substr(i + 1, close - i - 1);
      for (char& c : tag) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
      if (tag == "br" || tag == "br/" || tag == "br /" || tag == "/p" || tag == "/li") out.push_back('\n');
      i = close + 1;
      continue;
    }
    if (html[i] == '&') {
      static const std::pair<const char*, const char*> kEntities[] = {
          {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&nbsp;", " "}};
      bool matched = false;
      for (const auto& [entity, text] : kEntities) {
        if (html.compare(i, std::char_traits<char>::length(entity), entity) == 0) {
          out += text;
          i += std::char_traits<char>::length(entity);
          matched = true;
          break;
        }
      }
      if (matched) continue;
    }
    out.push_back(html[i++]);
  }
  // A closing paragraph at the very end adds no empty line.
  if (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

}  // namespace tavelin::swf::player
