#include "swf/player/dictionary.h"

#include <algorithm>
#include <string>

#include "swf/format/bitmap_decoder.h"
#include "swf/format/reader.h"
#include "swf/format/shape_decoder.h"
#include "swf/format/text_decoder.h"
#include "swf/player/text_layout.h"

namespace tavelin::swf::player {

namespace code = tag_code;

const Character& Dictionary::Find(std::uint16_t id) const {
  static const Character kNone;
  const auto it = characters_.find(id);
  return it == characters_.end() ? kNone : it->second;
}

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return text;
}

}  // namespace

void Dictionary::IndexFont(std::uint16_t id, const Font& font) {
  if (!font.glyphs.empty()) fontsByName_[Lower(font.definition.name)].push_back(id);
}

std::shared_ptr<const Font> Dictionary::FindFont(const std::string& name, bool bold, bool italic) const {
  const auto named = fontsByName_.find(Lower(name));
  if (named == fontsByName_.end()) return nullptr;
  std::shared_ptr<const Font> anyStyle;
  for (const std::uint16_t id : named->second) {
    const auto font = FindAs<Font>(id);
    // A font renamed by a later DefineFontInfo stays listed under its old name too.
    if (!font || Lower(font->definition.name) != named->first) continue;
    if (font->definition.bold == bold && font->definition.italic == italic) return font;
    if (!anyStyle) anyStyle = font;
  }
  return anyStyle;
}

void Dictionary::Add(std::uint16_t id, Character character) {
  const auto [it, added] = characters_.emplace(id, std::move(character));
  if (!added) return;
  if (const auto* font = std::get_if<std::shared_ptr<const Font>>(&it->second)) IndexFont(id, **font);
}

void Dictionary::ResolveBitmap(FillStyle& fill) const {
  if (fill.kind >= FillKind::kRepeatingBitmap) fill.bitmap = FindAs<Bitmap>(fill.bitmapId);
}

void Dictionary::ResolveBitmaps(Shape& shape) const {
  for (StyleGroup& group : shape.groups) {
    for (FillStyle& fill : group.fills) ResolveBitmap(fill);
    for (LineStyle& line : group.lines) {
      if (line.hasFill) ResolveBitmap(line.fill);
    }
  }
}

bool Dictionary::Define(const Movie& movie, const Tag& tag) {
  const std::span<const std::uint8_t> body = movie.TagBody(tag);
  const auto defineShape = [&](int version) {
    format::ShapeDefinition def = format::DecodeDefineShape(body, version);
    ResolveBitmaps(def.shape);
    Add(def.id, std::make_shared<const Shape>(std::move(def.shape)));
  };
  const auto defineBitmap = [&](format::BitmapDefinition def) { Add(def.id, def.bitmap); };
  try {
    switch (tag.code) {
      case code::kDefineShape: defineShape(1); return true;
      case code::kDefineShape2: defineShape(2); return true;
      case code::kDefineShape3: defineShape(3); return true;
      case code::kDefineShape4: defineShape(4); return true;
      case code::kDefineMorphShape:
      case code::kDefineMorphShape2: {
        auto morph = std::make_shared<MorphCharacter>();
        morph->definition = format::DecodeDefineMorphShape(body, tag.code == code::kDefineMorphShape ? 1 : 2);
        for (auto* fills : {&morph->definition.startFills, &morph->definition.endFills}) {
          for (FillStyle& fill : *fills) ResolveBitmap(fill);
        }
        for (auto* lines : {&morph->definition.startLines, &morph->definition.endLines}) {
          for (LineStyle& line : *lines) ResolveBitmap(line.fill);
        }
        const std::uint16_t id = morph->definition.id;
        Add(id, std::shared_ptr<const MorphCharacter>(std::move(morph)));
        return true;
      }
      case code::kDefineSprite: {
        const auto bodyOffset = static_cast<std::uint32_t>(body.data() - movie.Data().data());
        auto sprite = std::make_shared<const format::SpriteDefinition>(format::DecodeDefineSprite(body, bodyOffset));
        Add(sprite->id, sprite);
        return true;
      }
      case code::kJpegTables:
        if (jpegTables_.empty()) jpegTables_.assign(body.begin(), body.end());
        return true;
      case code::kDefineBits: defineBitmap(format::DecodeDefineBits(body, jpegTables_)); return true;
      case code::kDefineBitsJpeg2: defineBitmap(format::DecodeDefineBitsJpeg(body, 2)); return true;
      case code::kDefineBitsJpeg3: defineBitmap(format::DecodeDefineBitsJpeg(body, 3)); return true;
      case code::kDefineBitsJpeg4: defineBitmap(format::DecodeDefineBitsJpeg(body, 4)); return true;
      case code::kDefineBitsLossless: defineBitmap(format::DecodeDefineBitsLossless(body, 1)); return true;
      case code::kDefineBitsLossless2: defineBitmap(format::DecodeDefineBitsLossless(body, 2)); return true;
      case code::kDefineFont: {
        format::FontDefinition def = format::DecodeDefineFont(body);
        const std::uint16_t id = def.id;
        Add(id, MakeFont(std::move(def)));
        return true;
      }
      case code::kDefineFont2:
      case code::kDefineFont3: {
        format::FontDefinition def = format::DecodeDefineFont2(body, tag.code == code::kDefineFont2 ? 2 : 3);
        const std::uint16_t id = def.id;
        Add(id, MakeFont(std::move(def)));
        return true;
      }
      case code::kDefineFontInfo:
      case code::kDefineFontInfo2: {
        const format::FontInfoDefinition info = format::DecodeDefineFontInfo(body, tag.code == code::kDefineFontInfo ? 1 : 2);
        if (const auto font = FindAs<Font>(info.fontId)) {
          auto named = WithFontInfo(*font, info);
          IndexFont(info.fontId, *named);
          characters_[info.fontId] = std::move(named);
        }
        return true;
      }
      case code::kDefineText:
      case code::kDefineText2: {
        const format::TextDefinition text = format::DecodeDefineText(body, tag.code == code::kDefineText ? 1 : 2);
        Add(text.id, LayOutStaticText(text, *this));
        return true;
      }
      case code::kDefineEditText: {
        const format::EditTextDefinition field = format::DecodeDefineEditText(body);
        Add(field.id, LayOutEditText(field, *this, deviceFonts_, movie.Version()));
        editTexts_.emplace(field.id, field);
        return true;
      }
      case code::kDefineButton:
      case code::kDefineButton2: {
        auto button = std::make_shared<const format::ButtonDefinition>(
            format::DecodeDefineButton(body, tag.code == code::kDefineButton ? 1 : 2));
        Add(button->id, button);
        return true;
      }
      case code::kDefineButtonCxform: {
        // Colours the characters of a DefineButton (which has no colour transforms of
        // its own).
        format::Reader reader(body);
        const std::uint16_t id = reader.U16();
        const ColorTransform cxform = reader.ReadColorTransform(false);
        if (const auto button = FindAs<format::ButtonDefinition>(id)) {
          auto coloured = std::make_shared<format::ButtonDefinition>(*button);
          for (format::ButtonRecord& record : coloured->records) record.colorTransform = cxform;
          characters_[id] = std::shared_ptr<const format::ButtonDefinition>(std::move(coloured));
        }
        return true;
      }
      default:
        return false;
    }
  } catch (const format::DecodeError&) {
    return true;  // the damaged definition is dropped; the movie plays on without it
  }
}

}  // namespace tavelin::swf::player
